#include "vorl/geometry/EllipsePaths.h"

namespace oq {

namespace {

constexpr float kTan15 = 0.26795f;
constexpr float kCos30 = 0.866026f;
constexpr float kCorner = 0.73205f;

// Segment k runs counter-clockwise from 30k to 30(k + 1) degrees.
constexpr float kCircleSegments[12][6] = {
    {1.0f, 0.0f, 1.0f, kTan15, kCos30, 0.5f},
    {kCos30, 0.5f, kCorner, kCorner, 0.5f, kCos30},
    {0.5f, kCos30, kTan15, 1.0f, 0.0f, 1.0f},
    {0.0f, 1.0f, -kTan15, 1.0f, -0.5f, kCos30},
    {-0.5f, kCos30, -kCorner, kCorner, -kCos30, 0.5f},
    {-kCos30, 0.5f, -1.0f, kTan15, -1.0f, 0.0f},
    {-1.0f, 0.0f, -1.0f, -kTan15, -kCos30, -0.5f},
    {-kCos30, -0.5f, -kCorner, -kCorner, -0.5f, -kCos30},
    {-0.5f, -kCos30, -kTan15, -1.0f, 0.0f, -1.0f},
    {0.0f, -1.0f, kTan15, -1.0f, 0.5f, -kCos30},
    {0.5f, -kCos30, kCorner, -kCorner, kCos30, -0.5f},
    {kCos30, -0.5f, 1.0f, -kTan15, 1.0f, 0.0f},
};

QuadraticBezier2D MapSegment(int32_t k, float cx, float cy, float rx, float ry)
{
    const float *s = kCircleSegments[((k % 12) + 12) % 12];
    return QuadraticBezier2D(Point2D(cx + rx * s[0], cy + ry * s[1]), Point2D(cx + rx * s[2], cy + ry * s[3]),
                             Point2D(cx + rx * s[4], cy + ry * s[5]));
}

QuadraticBezier2D Line(float ax, float ay, float bx, float by)
{
    return QuadraticBezier2D(Point2D(ax, ay), Point2D(bx, by), Point2D(bx, by));
}

// The rectangle and its radii limited to half its size; false for the plain rectangle.
struct RoundedRect
{
    float x0, y0, x1, y1;
    float rx, ry;
    float X0, X1, Y0, Y1;  // inner corners

    bool Set(float a0, float b0, float a1, float b1, float radiusX, float radiusY)
    {
        x0 = a0;
        y0 = b0;
        x1 = a1;
        y1 = b1;
        float hx = (x1 - x0) * 0.5f, hy = (y1 - y0) * 0.5f;
        rx = radiusX < hx ? radiusX : hx;
        ry = radiusY < hy ? radiusY : hy;
        X0 = x0 + rx;
        X1 = x1 - rx;
        Y0 = y0 + ry;
        Y1 = y1 - ry;
        float smaller = rx < ry ? rx : ry;
        return smaller > 0.0f;
    }

    // Corner c (0 bottom right, 1 top right, 2 top left, 3 bottom left): three segments around its
    // inner corner; arc ends on a side take that side's coordinate exactly.
    void Corner(int32_t c, QuadraticBezier2D *out) const
    {
        static constexpr int32_t kFirstSegment[4] = {9, 0, 3, 6};
        float cx = (c == 0 || c == 1) ? X1 : X0;
        float cy = (c == 1 || c == 2) ? Y1 : Y0;
        for (int32_t i = 0; i < 3; i++)
            out[i] = MapSegment(kFirstSegment[c] + i, cx, cy, rx, ry);
        // Ends: bottom right runs from the bottom side to the right side, and so on around.
        Point2D &start = out[0].p0;
        Point2D &end = out[2].p2;
        switch (c)
        {
        case 0:
            start.Set(X1, y0);
            end.Set(x1, Y0);
            break;
        case 1:
            start.Set(x1, Y1);
            end.Set(X1, y1);
            break;
        case 2:
            start.Set(X0, y1);
            end.Set(x0, Y1);
            break;
        default:
            start.Set(x0, Y0);
            end.Set(X0, y0);
            break;
        }
    }

    void Plain(QuadraticBezier2D *out, bool reversed) const
    {
        if (!reversed)
        {
            out[0] = Line(x0, y0, x1, y0);
            out[1] = Line(x1, y0, x1, y1);
            out[2] = Line(x1, y1, x0, y1);
            out[3] = Line(x0, y1, x0, y0);
        }
        else
        {
            out[0] = Line(x0, y0, x0, y1);
            out[1] = Line(x0, y1, x1, y1);
            out[2] = Line(x1, y1, x1, y0);
            out[3] = Line(x1, y0, x0, y0);
        }
    }
};

QuadraticBezier2D Reverse(const QuadraticBezier2D &c) { return QuadraticBezier2D(c.p2, c.p1, c.p0); }

}  // namespace

int32_t AppendEllipseCurves(float centerX, float centerY, float rx, float ry, QuadraticBezier2D *output,
                            int32_t first, int32_t last)
{
    if (output)
    {
        for (int32_t i = first; i <= last; i++)
            output[i - first] = MapSegment(i, centerX, centerY, rx, ry);
    }
    return last - first + 1;
}

int32_t AppendEllipseCurvesReversed(float centerX, float centerY, float rx, float ry, QuadraticBezier2D *output,
                                    int32_t first, int32_t last)
{
    if (output)
    {
        for (int32_t i = last; i >= first; i--)
            output[last - i] = Reverse(MapSegment(i, centerX, centerY, rx, ry));
    }
    return last - first + 1;
}

namespace {

enum RectForm
{
    kRectFull,
    kRectReversed,
    kRectLeft,
    kRectRight,
};

int32_t AppendRect(RectForm form, float x0, float y0, float x1, float y1, float rx, float ry,
                   QuadraticBezier2D *output)
{
    RoundedRect r;
    if (!r.Set(x0, y0, x1, y1, rx, ry))
    {
        if (output)
            r.Plain(output, form == kRectReversed);
        return 4;
    }
    if (form == kRectLeft)
    {
        if (output)
        {
            output[0] = Line(r.X0, y0, x1, y0);
            output[1] = Line(x1, y0, x1, y1);
            output[2] = Line(x1, y1, r.X0, y1);
            r.Corner(2, output + 3);
            output[6] = Line(x0, r.Y1, x0, r.Y0);
            r.Corner(3, output + 7);
        }
        return 10;
    }
    if (form == kRectRight)
    {
        if (output)
        {
            output[0] = Line(x0, y0, r.X1, y0);
            r.Corner(0, output + 1);
            output[4] = Line(x1, r.Y0, x1, r.Y1);
            r.Corner(1, output + 5);
            output[8] = Line(r.X1, y1, x0, y1);
            output[9] = Line(x0, y1, x0, y0);
        }
        return 10;
    }
    if (output)
    {
        QuadraticBezier2D forward[16];
        QuadraticBezier2D *out = form == kRectFull ? output : forward;
        out[0] = Line(r.X0, y0, r.X1, y0);
        r.Corner(0, out + 1);
        out[4] = Line(x1, r.Y0, x1, r.Y1);
        r.Corner(1, out + 5);
        out[8] = Line(r.X1, y1, r.X0, y1);
        r.Corner(2, out + 9);
        out[12] = Line(x0, r.Y1, x0, r.Y0);
        r.Corner(3, out + 13);
        if (form == kRectReversed)
        {
            for (int32_t i = 0; i < 16; i++)
                output[i] = Reverse(forward[15 - i]);
        }
    }
    return 16;
}

}  // namespace

int32_t AppendRoundedRectCurves(float x0, float y0, float x1, float y1, float rx, float ry,
                                QuadraticBezier2D *output)
{
    return AppendRect(kRectFull, x0, y0, x1, y1, rx, ry, output);
}

int32_t AppendRoundedRectCurvesReversed(float x0, float y0, float x1, float y1, float rx, float ry,
                                        QuadraticBezier2D *output)
{
    return AppendRect(kRectReversed, x0, y0, x1, y1, rx, ry, output);
}

int32_t AppendLeftRoundedRectCurves(float x0, float y0, float x1, float y1, float rx, float ry,
                                    QuadraticBezier2D *output)
{
    return AppendRect(kRectLeft, x0, y0, x1, y1, rx, ry, output);
}

int32_t AppendRightRoundedRectCurves(float x0, float y0, float x1, float y1, float rx, float ry,
                                     QuadraticBezier2D *output)
{
    return AppendRect(kRectRight, x0, y0, x1, y1, rx, ry, output);
}

}  // namespace oq
