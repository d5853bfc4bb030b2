// Stretchy outlines: braces, tortoise-shell brackets and arrowheads built for any length.
#include "editor/document/StretchyOutlines.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace oq {

namespace {

QuadraticBezier2D Line(const Point2D &a, const Point2D &b)
{
    return QuadraticBezier2D(a, b, b);
}

// Mirrors the outline: reverses the curve order and each curve's points, so the winding survives a
// mirror in one axis.
void ReverseCurves(QuadraticBezier2D *curves, int32_t count)
{
    for (int32_t i = 0, j = count - 1; i < j; ++i, --j)
    {
        QuadraticBezier2D c = curves[i];
        curves[i] = curves[j];
        curves[j] = c;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        QuadraticBezier2D &c = curves[i];
        // A straight edge keeps its control point on its (new) end.
        bool line = c.p1.x == c.p2.x && c.p1.y == c.p2.y;
        Point2D p = c.p0;
        c.p0 = c.p2;
        c.p2 = p;
        if (line) c.p1 = c.p2;
    }
}

// Applies (x, y) -> (mx x + dx, my y + dy) to every point.
void TransformCurves(QuadraticBezier2D *curves, int32_t count, float mx, float dx, float my, float dy)
{
    for (int32_t i = 0; i < count; ++i)
    {
        for (Point2D *p : {&curves[i].p0, &curves[i].p1, &curves[i].p2})
        {
            p->x = mx * p->x + dx;
            p->y = my * p->y + dy;
        }
    }
}

// The extent of a head turned to point to -x, its barbs at x = length.
void ReverseExtent(float length, ArrowheadExtent *extent)
{
    float minX = extent->minX;
    extent->join = length - extent->join;
    extent->minX = length - extent->maxX;
    extent->maxX = length - minX;
}

// A half head on a shaft of thickness s: the upper barb moved down by s / 2, turned to point to -x
// (reversed) and mirrored to the lower barb (flipped). One mirror reverses the curves.
int32_t BuildHalfHead(float L, float W, float ti, float to, float k, float s, bool reversed, bool flipped,
                      QuadraticBezier2D *out, ArrowheadExtent *extent)
{
    float h = s / 2.0f;
    int32_t count = BuildArrowheadOutline(L, W + h, ti, to, k, true, out, extent);
    TransformCurves(out, count, reversed ? -1.0f : 1.0f, reversed ? L : 0.0f, flipped ? -1.0f : 1.0f, flipped ? h : -h);
    if (reversed != flipped) ReverseCurves(out, count);
    extent->lateral -= h;
    if (reversed) ReverseExtent(L, extent);
    return count;
}

}  // namespace

float GetGuardedInverseLength(float q)
{
    if (!(q >= FLT_MIN)) return std::numeric_limits<float>::infinity();
    return 1.0f / std::sqrt(q);
}

int32_t BuildBraceOutline(float L, float W, float H, float c, float T, float Te, float Ta, QuadraticBezier2D *out)
{
    float d = H * (1.0f - c);
    float n = GetGuardedInverseLength(d * d + W * W);
    float u = n * W * Te / 2.0f;
    float v = -n * d * Te / 2.0f;
    float k = d / W;
    float w = H - u - (W - T / 2.0f - v) * k;
    float E = H + u - (v + W + T / 2.0f) * k;
    float m = L / 2.0f;
    float xr = W + T / 2.0f;  // the strokes' edges on the apex side and the far side
    float xl = W - T / 2.0f;
    Point2D tip(T, m);
    out[0] = QuadraticBezier2D(tip, Point2D(xr, m + Ta / 2.0f), Point2D(xr, m + H));
    out[1] = Line(Point2D(xr, m + H), Point2D(xr, L - H));
    out[2] = QuadraticBezier2D(Point2D(xr, L - H), Point2D(xr, L - H + w), Point2D(2.0f * W - v, L - u));
    out[3] = Line(Point2D(2.0f * W - v, L - u), Point2D(2.0f * W + v, L + u));
    out[4] = QuadraticBezier2D(Point2D(2.0f * W + v, L + u), Point2D(xl, L - H + E), Point2D(xl, L - H));
    out[5] = Line(Point2D(xl, L - H), Point2D(xl, m + H));
    out[6] = QuadraticBezier2D(Point2D(xl, m + H), Point2D(xl, m + Ta / 2.0f), Point2D(0.0f, m + Ta / 2.0f));
    out[7] = Line(Point2D(0.0f, m + Ta / 2.0f), Point2D(0.0f, m - Ta / 2.0f));
    out[8] = QuadraticBezier2D(Point2D(0.0f, m - Ta / 2.0f), Point2D(xl, m - Ta / 2.0f), Point2D(xl, m - H));
    out[9] = Line(Point2D(xl, m - H), Point2D(xl, H));
    out[10] = QuadraticBezier2D(Point2D(xl, H), Point2D(xl, H - E), Point2D(2.0f * W + v, -u));
    out[11] = Line(Point2D(2.0f * W + v, -u), Point2D(2.0f * W - v, u));
    out[12] = QuadraticBezier2D(Point2D(2.0f * W - v, u), Point2D(xr, H - w), Point2D(xr, H));
    out[13] = Line(Point2D(xr, H), Point2D(xr, m - H));
    out[14] = QuadraticBezier2D(Point2D(xr, m - H), Point2D(xr, m - Ta / 2.0f), tip);
    return kBraceOutlineCurves;
}

int32_t BuildShellBracketOutline(float L, float W, float H, float T, float Te, QuadraticBezier2D *out)
{
    float n = GetGuardedInverseLength(W * W + H * H);
    float hx = n * H * Te / 2.0f;
    float hy = n * W * Te / 2.0f;
    float f = (W * T / 2.0f) / (std::sqrt(W * W + H * H) + H);
    const Point2D p[8] = {
        Point2D(W - hx, -hy),          Point2D(W + hx, hy),           Point2D(T / 2.0f, H + f),
        Point2D(T / 2.0f, L - H - f),  Point2D(W + hx, L - hy),       Point2D(W - hx, L + hy),
        Point2D(-T / 2.0f, L - H + f), Point2D(-T / 2.0f, H - f),
    };
    for (int32_t i = 0; i < kShellBracketOutlineCurves; ++i) out[i] = Line(p[i], p[(i + 1) % 8]);
    return kShellBracketOutlineCurves;
}

int32_t BuildArrowheadOutline(float L, float W, float ti, float to, float k, bool half, QuadraticBezier2D *out,
                              ArrowheadExtent *extent)
{
    float n = GetGuardedInverseLength(L * L + W * W);
    // The tip and the notch divide by n L (ti - to) / 2 - W and n L (to - ti) / 2 - W: keep both at or
    // below -W / 4 by bounding the difference of the thicknesses.
    float nl = n * L;
    if (nl > 0.0f)
    {
        // A barb's cut may reach the axis but not cross it: past it the barbs fold over each other
        // and the head turns inside out.
        to = std::min(to, 2.0f * W / nl);
        float limit = 1.5f * W / nl;
        if (ti - to > limit) ti = to + limit;
        else if (to - ti > limit) to = ti + limit;
    }
    float ox = n * W * to / 2.0f;
    float oy = n * L * to / 2.0f;
    float ix = n * W * ti / 2.0f;
    float iy = n * L * ti / 2.0f;
    Point2D p1(ox, W + oy);
    Point2D p2(-ox, W - oy);
    float u = ox - (ix + L - ox) / (iy - W - oy) * (W + oy);
    float a = -ox - (L - ix + ox) / (-iy - W + oy) * (W - oy);
    Point2D tip(u, 0.0f);
    Point2D notch(a, 0.0f);
    bool curved = k > 0.0f;
    Point2D innerControl((-ox + a) / 2.0f, (W - oy) * (1.0f - k) / 2.0f);
    Point2D outerControl((u + ox) / 2.0f, (W + oy) * (1.0f - k) / 2.0f);
    auto edge = [curved](const Point2D &from, const Point2D &control, const Point2D &to) {
        return curved ? QuadraticBezier2D(from, control, to) : Line(from, to);
    };
    int32_t count = 0;
    if (to > 0.0f) out[count++] = Line(p1, p2);
    out[count++] = edge(p2, innerControl, notch);
    if (half)
    {
        out[count++] = Line(notch, tip);
    }
    else
    {
        Point2D p2m(p2.x, -p2.y);
        Point2D p1m(p1.x, -p1.y);
        out[count++] = edge(notch, Point2D(innerControl.x, -innerControl.y), p2m);
        if (to > 0.0f) out[count++] = Line(p2m, p1m);
        out[count++] = edge(p1m, Point2D(outerControl.x, -outerControl.y), tip);
    }
    out[count++] = edge(tip, outerControl, p1);
    extent->lateral = W + oy;
    extent->join = a;
    extent->minX = -ox;
    extent->maxX = u;
    return count;
}

int32_t BuildArrowhead(float L, float W, float ti, float to, float k, QuadraticBezier2D *out, ArrowheadExtent *extent)
{
    return BuildArrowheadOutline(L, W, ti, to, k, false, out, extent);
}

int32_t BuildArrowheadReversed(float L, float W, float ti, float to, float k, QuadraticBezier2D *out,
                               ArrowheadExtent *extent)
{
    int32_t count = BuildArrowheadOutline(L, W, ti, to, k, false, out, extent);
    TransformCurves(out, count, -1.0f, L, -1.0f, 0.0f);
    ReverseExtent(L, extent);
    return count;
}

int32_t BuildHalfArrowhead(float L, float W, float ti, float to, float k, float s, QuadraticBezier2D *out,
                           ArrowheadExtent *extent)
{
    return BuildHalfHead(L, W, ti, to, k, s, false, false, out, extent);
}

int32_t BuildHalfArrowheadReversed(float L, float W, float ti, float to, float k, float s, QuadraticBezier2D *out,
                                   ArrowheadExtent *extent)
{
    return BuildHalfHead(L, W, ti, to, k, s, true, false, out, extent);
}

int32_t BuildHalfArrowheadFlipped(float L, float W, float ti, float to, float k, float s, QuadraticBezier2D *out,
                                  ArrowheadExtent *extent)
{
    return BuildHalfHead(L, W, ti, to, k, s, false, true, out, extent);
}

int32_t BuildHalfArrowheadReversedFlipped(float L, float W, float ti, float to, float k, float s,
                                          QuadraticBezier2D *out, ArrowheadExtent *extent)
{
    return BuildHalfHead(L, W, ti, to, k, s, true, true, out, extent);
}

}  // namespace oq
