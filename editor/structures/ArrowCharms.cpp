// Arrow charms: the outlines of the decorations an arrow line carries, and the sides they reach.
#include "editor/document/MathDesign.h"
#include "editor/document/StretchyOutlines.h"
#include "editor/structures/ArrowNode.h"
#include "vorl/geometry/EllipsePaths.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace oq {

namespace {

// The 'chrm' parameters a charm reads, in points (s the size, mu = s / 18).
struct CharmParams
{
    float lineRadius;
    float thickness;
    float verticalSpacing;
    float diagonalSpacing;
    float headLength;
    float headWidth;
    float headInner;
    float headOuter;
    float headCurvature;
    float barWidth;
    float barThickness;
    float slashBreadth;
    float shapeRadius;
    float hookRadius;
    float hookTail;
    float loopRadius;
    float loopTail;
    float mu;

    CharmParams(const Design *design, float s)
    {
        auto get = [design](uint32_t key) { return GetGroupParam(design, 'chrm', key); };
        mu = s / 18.0f;
        lineRadius = get('chrd') * s;
        thickness = get('chth') * mu;
        verticalSpacing = get('vdsp') * mu;
        diagonalSpacing = get('ddsp') * mu;
        headLength = get('arln') * s;
        headWidth = get('arwd') * s;
        headInner = get('arit') * mu;
        headOuter = get('arot') * mu;
        headCurvature = get('arcv');
        barWidth = get('brwd') * s;
        barThickness = get('brth') * mu;
        slashBreadth = get('slbd') * s;
        shapeRadius = get('shrd') * s;
        hookRadius = get('hkrd') * s;
        hookTail = get('hktl') * s;
        loopRadius = get('lprd') * s;
        loopTail = get('lptl') * s;
    }
};

QuadraticBezier2D Line(const Point2D &a, const Point2D &b)
{
    return QuadraticBezier2D(a, b, b);
}

// The closed polygon through the points in their order.
int32_t AppendPolygon(std::initializer_list<Point2D> points, QuadraticBezier2D *out)
{
    int32_t count = 0;
    const Point2D *first = points.begin();
    for (const Point2D *p = first; p != points.end(); ++p)
    {
        out[count++] = Line(*p, p + 1 != points.end() ? p[1] : *first);
    }
    return count;
}

// The rectangle counter-clockwise from (x0, y0), or clockwise (a hole).
int32_t AppendRectangle(float x0, float y0, float x1, float y1, QuadraticBezier2D *out)
{
    return AppendPolygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, out);
}

int32_t AppendRectangleHole(float x0, float y0, float x1, float y1, QuadraticBezier2D *out)
{
    return AppendPolygon({{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}}, out);
}

void SetExtent(ArrowCharmExtent *extent, float minX, float maxX, float bottom, float top, float leftAttach,
               float rightAttach)
{
    extent->minX = minX;
    extent->maxX = maxX;
    extent->bottom = bottom;
    extent->top = top;
    extent->leftAttach = leftAttach;
    extent->rightAttach = rightAttach;
}

// A slash from (-a, -b) to (a, b), t thick, mirrored in x for a backslash, moved right by dx.
int32_t AppendSlash(float a, float b, float t, bool backslash, float dx, QuadraticBezier2D *out)
{
    float n = GetGuardedInverseLength(a * a + b * b);
    float e = b * t * n / 2.0f;
    float f = a * t * n / 2.0f;
    if (!backslash)
    {
        return AppendPolygon({{dx - a - e, -b + f}, {dx - a + e, -b - f}, {dx + a + e, b - f}, {dx + a - e, b + f}},
                             out);
    }
    // Mirrored corners in the reverse order keep the outline counter-clockwise.
    return AppendPolygon({{dx + a + e, -b + f}, {dx - a + e, b + f}, {dx - a - e, b - f}, {dx + a - e, -b - f}},
                         out);
}

int32_t BuildSlashCharm(const CharmParams &p, uint32_t charm, QuadraticBezier2D *out, ArrowCharmExtent *extent)
{
    float a = p.slashBreadth;
    float b = p.lineRadius;
    float t = p.thickness;
    float n = GetGuardedInverseLength(a * a + b * b);
    float e = b * t * n / 2.0f;
    float f = a * t * n / 2.0f;
    int32_t count = 0;
    float shift = 0.0f;
    if (charm == 'dbsl' || charm == 'dbbk')
    {
        // The copy stands ddsp apart across the strokes: the horizontal distance for that is len / b.
        float len = std::sqrt(a * a + b * b);
        shift = (b > 0.0f ? len / b * p.diagonalSpacing : p.diagonalSpacing) + t;
    }
    bool back = charm == 'back' || charm == 'dbbk';
    count += AppendSlash(a, b, t, back, 0.0f, out + count);
    if (charm == 'exxx') count += AppendSlash(a, b, t, true, 0.0f, out + count);
    if (shift != 0.0f) count += AppendSlash(a, b, t, back, shift, out + count);
    SetExtent(extent, -(a + e), a + e + shift, -(b + f), b + f, shift, 0.0f);
    return count;
}

// The triangle pointing left (tip at (-2R, 0), base on x = 0), open with a hole whose every side
// stands t from the outline's, or solid; mirrored to point right. Below R = 2t the hole's base
// would vanish and the outline grow without bound: such triangles are those of R = 2t.
int32_t BuildTriangleCharm(const CharmParams &p, bool right, bool open, QuadraticBezier2D *out,
                           ArrowCharmExtent *extent)
{
    double t = p.thickness;
    double R = std::max(double(p.shapeRadius), 2.0 * t);
    double W = 2.0 * R;
    double r1 = R - t;
    double w1 = W - t;
    double A = r1 * r1 * w1;
    double B = (w1 * w1 - t * t) * r1 * r1;
    double C = r1 * r1 - t * t;
    // The smaller root of C k^2 - 2 A k + B, in the form that stays exact at C = 0.
    double root = A + std::sqrt(std::max(A * A - B * C, 0.0));
    double k = root > 0.0 ? B / root : 0.0;
    double H = k > 0.0 ? W * r1 / k : 0.0;
    float m = right ? -1.0f : 1.0f;  // x of the left-pointing triangle times m
    float tip = float(-W) * m;
    float h = float(H);
    float holeTip = float(-t - k) * m;
    float holeBase = float(-t) * m;
    float holeHalf = float(r1);
    int32_t count = 0;
    if (!right)
    {
        count += AppendPolygon({{tip, 0.0f}, {0.0f, -h}, {0.0f, h}}, out);
        if (open) count += AppendPolygon({{holeTip, 0.0f}, {holeBase, holeHalf}, {holeBase, -holeHalf}}, out + count);
        float attach = open ? float(-t / 2.0) : float(-R);
        SetExtent(extent, tip, 0.0f, -h, h, attach, open ? holeTip : float(-R));
    }
    else
    {
        count += AppendPolygon({{tip, 0.0f}, {0.0f, h}, {0.0f, -h}}, out);
        if (open) count += AppendPolygon({{holeTip, 0.0f}, {holeBase, -holeHalf}, {holeBase, holeHalf}}, out + count);
        float attach = open ? float(t / 2.0) : float(R);
        SetExtent(extent, 0.0f, tip, -h, h, open ? holeTip : float(R), attach);
    }
    return count;
}

// The straight tail (or bar across the far end) that closes a hook or loop from the arc end x to
// the arc end y through the two points xt and yt; one straight curve when xt is x.
int32_t AppendTail(const Point2D &x, const Point2D &xt, const Point2D &yt, const Point2D &y, QuadraticBezier2D *out)
{
    if (xt.x == x.x && xt.y == x.y)
    {
        out[0] = Line(x, y);
        return 1;
    }
    out[0] = Line(x, xt);
    out[1] = Line(xt, yt);
    out[2] = Line(yt, y);
    return 3;
}

// How a hook or loop is closed at one end of its ring.
enum class RingEnd
{
    kLine,  // the rounded end at the arrow line
    kTail,  // the far end with its tail
};

// A partial ring (stroke d centred on radius r about (0, cy)) over the segments first..last, closed
// at both ends: the outer arc counter-clockwise, the closure at its end, the inner arc backwards and
// the closure at its start. A line end is one quadratic bulging by capX; a tail end runs to
// (x + tailX, tailY) along the tail, tailX and tailY applied as offsets (hooks) or as a height
// (loops, tailToY).
struct RingShape
{
    float cy;
    float r;
    float d;
    int32_t first;
    int32_t last;
    RingEnd startEnd;
    float capX;
    float tailX;
    bool tailToY;
    float tailY;
};

int32_t AppendRing(const RingShape &ring, QuadraticBezier2D *out)
{
    float ro = ring.r + ring.d / 2.0f;
    // A stroke wider than the ring keeps its inner radius at 0 rather than turning inside out.
    float ri = std::max(ring.r - ring.d / 2.0f, 0.0f);
    int32_t count = AppendEllipseCurves(0.0f, ring.cy, ro, ro, out, ring.first, ring.last);
    Point2D outerStart = out[0].p0;
    Point2D outerEnd = out[count - 1].p2;
    QuadraticBezier2D *inner = out + count + 4;  // room for the closure at the arc's end
    int32_t innerCount = AppendEllipseCurvesReversed(0.0f, ring.cy, ri, ri, inner, ring.first, ring.last);
    Point2D innerEnd = inner[0].p0;
    Point2D innerStart = inner[innerCount - 1].p2;
    auto close = [&ring](RingEnd kind, const Point2D &from, const Point2D &to, QuadraticBezier2D *at) {
        if (kind == RingEnd::kLine)
        {
            at[0] = QuadraticBezier2D(from, Point2D(ring.capX, (from.y + to.y) / 2.0f), to);
            return int32_t(1);
        }
        if (ring.tailToY)
        {
            return AppendTail(from, Point2D(from.x, ring.tailY), Point2D(to.x, ring.tailY), to, at);
        }
        return AppendTail(from, Point2D(from.x + ring.tailX, from.y), Point2D(to.x + ring.tailX, to.y), to, at);
    };
    RingEnd endEnd = ring.startEnd == RingEnd::kLine ? RingEnd::kTail : RingEnd::kLine;
    int32_t closing = close(endEnd, outerEnd, innerEnd, out + count);
    // The inner arc follows the closure directly.
    for (int32_t i = 0; i < innerCount; ++i) out[count + closing + i] = inner[i];
    count += closing + innerCount;
    count += close(ring.startEnd, innerStart, outerStart, out + count);
    return count;
}

// A hook: a half ring centred at (0, r) curling up or at (0, -r) curling down, on the left or right
// of the line end, its tail pointing into the arrow.
int32_t AppendHook(const CharmParams &p, float d, bool right, bool down, QuadraticBezier2D *out)
{
    RingShape ring;
    ring.r = p.hookRadius;
    ring.d = d;
    ring.cy = down ? -ring.r : ring.r;
    ring.first = right ? 9 : 3;
    ring.last = right ? 14 : 8;
    // The arc starts at the top (90 degrees) on the left, at the bottom (270) on the right.
    bool startsAtLine = right != down;
    ring.startEnd = startsAtLine ? RingEnd::kLine : RingEnd::kTail;
    ring.capX = (right ? -0.375f : 0.375f) * d;
    ring.tailX = right ? -p.hookTail : p.hookTail;
    ring.tailToY = false;
    ring.tailY = 0.0f;
    return AppendRing(ring, out);
}

int32_t BuildHookCharm(const CharmParams &p, float d, uint32_t charm, QuadraticBezier2D *out,
                       ArrowCharmExtent *extent)
{
    bool right = charm == 'ruhk' || charm == 'rdhk' || charm == 'rfsh';
    bool up = charm != 'ldhk' && charm != 'rdhk';
    bool down = charm != 'luhk' && charm != 'ruhk';
    int32_t count = 0;
    if (up) count += AppendHook(p, d, right, false, out + count);
    if (down) count += AppendHook(p, d, right, true, out + count);
    float r = p.hookRadius;
    float ro = r + d / 2.0f;
    float T = p.hookTail;
    SetExtent(extent, right ? -T : -ro, right ? ro : T, down ? -(r + ro) : 0.0f, up ? r + ro : 0.0f, 0.0f, 0.0f);
    return count;
}

// A loop: a three-quarter ring above (centred at (0, r)) or below the line, on the left or right of
// the line end, whose tail runs across the line.
int32_t BuildLoopCharm(const CharmParams &p, float d, uint32_t charm, QuadraticBezier2D *out,
                       ArrowCharmExtent *extent)
{
    bool right = charm == 'rulp' || charm == 'rdlp';
    bool up = charm == 'lulp' || charm == 'rulp';
    float r = p.loopRadius;
    float T = p.loopTail;
    RingShape ring;
    ring.r = r;
    ring.d = d;
    ring.cy = up ? r : -r;
    static const int32_t kFirst[2][2] = {{3, 0}, {6, 9}};  // [right][up]
    ring.first = kFirst[right][up];
    ring.last = ring.first + 8;
    // 'lulp' and 'rdlp' start at the tail's side (0 and 180 degrees), the others at the line.
    ring.startEnd = up != right ? RingEnd::kTail : RingEnd::kLine;
    ring.capX = (right ? -0.375f : 0.375f) * d;
    ring.tailX = 0.0f;
    ring.tailToY = true;
    ring.tailY = up ? -T : T;
    int32_t count = AppendRing(ring, out);
    float ro = r + d / 2.0f;
    SetExtent(extent, -ro, ro, up ? -T : -(r + ro), up ? r + ro : T, 0.0f, 0.0f);
    return count;
}

// Which builder an arrowhead charm uses.
enum class HeadForm
{
    kNone,
    kWhole,
    kWholeReversed,
    kUpper,
    kLower,
    kUpperReversed,
    kLowerReversed,
};

HeadForm GetHeadForm(uint32_t charm, bool *bar)
{
    *bar = false;
    switch (charm)
    {
    case 'rabr': *bar = true; [[fallthrough]];
    case 'rarw': return HeadForm::kWhole;
    case 'labr': *bar = true; [[fallthrough]];
    case 'larw': return HeadForm::kWholeReversed;
    case 'ruhb': *bar = true; [[fallthrough]];
    case 'ruhp': return HeadForm::kUpper;
    case 'rdhb': *bar = true; [[fallthrough]];
    case 'rdhp': return HeadForm::kLower;
    case 'luhb': *bar = true; [[fallthrough]];
    case 'luhp': return HeadForm::kUpperReversed;
    case 'ldhb': *bar = true; [[fallthrough]];
    case 'ldhp': return HeadForm::kLowerReversed;
    default: return HeadForm::kNone;
    }
}

int32_t BuildHeadCharm(const CharmParams &p, float d, HeadForm form, bool bar, QuadraticBezier2D *out,
                       ArrowCharmExtent *extent)
{
    float L = p.headLength;
    float W = p.headWidth;
    float ti = p.headInner;
    float to = p.headOuter;
    float k = p.headCurvature;
    ArrowheadExtent head{};
    int32_t count = 0;
    switch (form)
    {
    case HeadForm::kWhole: count = BuildArrowhead(L, W, ti, to, k, out, &head); break;
    case HeadForm::kWholeReversed: count = BuildArrowheadReversed(L, W, ti, to, k, out, &head); break;
    case HeadForm::kUpper: count = BuildHalfArrowhead(L, W, ti, to, k, d, out, &head); break;
    case HeadForm::kLower: count = BuildHalfArrowheadFlipped(L, W, ti, to, k, d, out, &head); break;
    case HeadForm::kUpperReversed: count = BuildHalfArrowheadReversed(L, W, ti, to, k, d, out, &head); break;
    case HeadForm::kLowerReversed:
        count = BuildHalfArrowheadReversedFlipped(L, W, ti, to, k, d, out, &head);
        break;
    case HeadForm::kNone: return 0;
    }
    bool upper = form != HeadForm::kLower && form != HeadForm::kLowerReversed;
    bool lower = form != HeadForm::kUpper && form != HeadForm::kUpperReversed;
    float hw = head.lateral;
    SetExtent(extent, head.minX, head.maxX, lower ? -hw : 0.0f, upper ? hw : 0.0f, head.join, head.join);
    if (bar)
    {
        float w = p.barThickness;
        float h = p.barWidth;
        bool pointsRight = form == HeadForm::kWhole || form == HeadForm::kUpper || form == HeadForm::kLower;
        if (pointsRight)
        {
            float x0 = extent->maxX;
            count += AppendRectangle(x0, -h, x0 + w, h, out + count);
            extent->maxX = x0 + w;
            extent->leftAttach = x0 + w / 2.0f;
        }
        else
        {
            float x1 = extent->minX;
            count += AppendRectangle(x1 - w, -h, x1, h, out + count);
            extent->minX = x1 - w;
            extent->rightAttach = x1 - w / 2.0f;
        }
        extent->bottom = std::min(extent->bottom, -h);
        extent->top = std::max(extent->top, h);
    }
    return count;
}

}  // namespace

int32_t ArrowNode::BuildGeometry(const Design *design, uint32_t charm, float size, float ruleThickness,
                                 QuadraticBezier2D *curves, ArrowCharmExtent *extent, bool *nesting)
{
    *extent = ArrowCharmExtent();
    if (!(size > 0.0f) || !std::isfinite(size)) return 0;
    float d = std::isfinite(ruleThickness) ? std::max(ruleThickness, 0.0f) : 0.0f;
    CharmParams p(design, size);
    float t = p.thickness;
    switch (charm)
    {
    case 'line':
    case 'barr':
    {
        float w = charm == 'line' ? t : p.barThickness;
        float h = charm == 'line' ? p.lineRadius : p.barWidth;
        SetExtent(extent, 0.0f, w, -h, h, w / 2.0f, w / 2.0f);
        return AppendRectangle(0.0f, -h, w, h, curves);
    }
    case 'dbln':
    {
        float g = p.verticalSpacing;
        float h = p.lineRadius;
        int32_t count = AppendRectangle(0.0f, -h, t, h, curves);
        count += AppendRectangle(g + t, -h, g + 2.0f * t, h, curves + count);
        SetExtent(extent, 0.0f, g + 2.0f * t, -h, h, g + 1.5f * t, t / 2.0f);
        return count;
    }
    case 'slsh':
    case 'back':
    case 'exxx':
    case 'dbsl':
    case 'dbbk': return BuildSlashCharm(p, charm, curves, extent);
    case 'circ':
    case 'sdcr':
    {
        float R = 1.0625f * p.shapeRadius;
        int32_t count = AppendEllipseCurves(0.0f, 0.0f, R, R, curves, 0, 11);
        if (charm == 'sdcr')
        {
            SetExtent(extent, -R, R, -R, R, 0.0f, 0.0f);
            return count;
        }
        float r = std::max(R - t, 0.0f);
        count += AppendEllipseCurvesReversed(0.0f, 0.0f, r, r, curves + count, 0, 11);
        SetExtent(extent, -R, R, -R, R, (R + r) / 2.0f, -(R + r) / 2.0f);
        return count;
    }
    case 'squa':
    case 'sdsq':
    {
        float h = p.shapeRadius;
        int32_t count = AppendRectangle(-h, -h, h, h, curves);
        if (charm == 'sdsq')
        {
            SetExtent(extent, -h, h, -h, h, 0.0f, 0.0f);
            return count;
        }
        float i = std::max(h - t, 0.0f);
        count += AppendRectangleHole(-i, -i, i, i, curves + count);
        SetExtent(extent, -h, h, -h, h, (h + i) / 2.0f, -(h + i) / 2.0f);
        return count;
    }
    case 'diam':
    case 'sddm':
    {
        float R = p.shapeRadius + 0.4142f * t;
        int32_t count = AppendPolygon({{0.0f, -R}, {R, 0.0f}, {0.0f, R}, {-R, 0.0f}}, curves);
        if (charm == 'sddm')
        {
            SetExtent(extent, -R, R, -R, R, 0.0f, 0.0f);
            return count;
        }
        float i = std::max(R - 1.4142f * t, 0.0f);
        count += AppendPolygon({{0.0f, -i}, {-i, 0.0f}, {0.0f, i}, {i, 0.0f}}, curves + count);
        SetExtent(extent, -R, R, -R, R, i, -i);
        return count;
    }
    case 'ltri': return BuildTriangleCharm(p, false, true, curves, extent);
    case 'sdlt': return BuildTriangleCharm(p, false, false, curves, extent);
    case 'rtri': return BuildTriangleCharm(p, true, true, curves, extent);
    case 'sdrt': return BuildTriangleCharm(p, true, false, curves, extent);
    case 'luhk':
    case 'ldhk':
    case 'lfsh':
    case 'ruhk':
    case 'rdhk':
    case 'rfsh': return BuildHookCharm(p, d, charm, curves, extent);
    case 'lulp':
    case 'ldlp':
    case 'rulp':
    case 'rdlp': return BuildLoopCharm(p, d, charm, curves, extent);
    default: break;
    }
    bool bar = false;
    HeadForm form = GetHeadForm(charm, &bar);
    if (form == HeadForm::kNone) return 0;
    *nesting = true;
    return BuildHeadCharm(p, d, form, bar, curves, extent);
}

ArrowCharmSides ArrowPart::GetCharmSides() const
{
    ArrowCharmSides sides;
    const Array<uint32_t, 3> *lists[3] = {&leftCharms, &rightCharms, &middleCharms};
    const uint32_t bits[3] = {kCharmSideLeft, kCharmSideRight, kCharmSideMiddle};
    for (int32_t i = 0; i < 3; ++i)
    {
        for (uint32_t charm : *lists[i])
        {
            if (charm != 'ldhp' && charm != 'rdhp') sides.above |= bits[i];
            if (charm != 'luhp' && charm != 'ruhp') sides.below |= bits[i];
        }
    }
    return sides;
}

}  // namespace oq
