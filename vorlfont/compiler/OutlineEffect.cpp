#include "vorlfont/compiler/OutlineEffect.h"

#include "base/ScalarMath.h"

#include <cmath>

namespace oq {

namespace {

constexpr float kSharpCorner = 0.984375f;
constexpr float kParallel = 1.0f / 65536.0f;

inline bool Equal(const Point2D &a, const Point2D &b) { return a.x == b.x && a.y == b.y; }
inline Point2D Midpoint(const Point2D &a, const Point2D &b) { return Point2D((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f); }

// A direction of length 1, or zero when the vector is too short to have one.
Vector2D UnitOrZero(const Vector2D &v)
{
    float s = v.x * v.x + v.y * v.y;
    if (!(s >= FloatMinNormal) || !(s < FloatInfinity)) return Vector2D(0.0f, 0.0f);
    float f = InverseSqrt(s);
    return Vector2D(v.x * f, v.y * f);
}

// The control point that gives a curve its end tangents: p1, or the chord's midpoint when p1
// lies on an end point.
Point2D EffectiveControl(const QuadraticBezier2D &c)
{
    return (Equal(c.p1, c.p0) || Equal(c.p1, c.p2)) ? Midpoint(c.p0, c.p2) : c.p1;
}

// Per input curve: its tangents, the following curve's start tangent and the corner kind.
struct CornerInfo
{
    Vector2D t0;
    Vector2D t1;
    Vector2D t2;
    int32_t contourStart;
    bool closes;   // last curve of its contour
    bool sharp;
};

inline Point2D Offset(const Point2D &p, const Vector2D &t, float d) { return Point2D(p.x - d * t.y, p.y + d * t.x); }
inline QuadraticBezier2D Straight(const Point2D &a, const Point2D &b) { return QuadraticBezier2D(a, a, b); }

}  // namespace

int32_t BuildGlyphCurveList(int32_t count, const QuadraticBezier2D *curves, float size, float miterLimit,
                            uint32_t join, Array<QuadraticBezier2D> *output)
{
    output->SetElementCount(0);
    Array<QuadraticBezier2D> kept;
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        if (!(Equal(c.p0, c.p1) && Equal(c.p1, c.p2))) kept.AddElement(c);
    }
    const int32_t n = kept.GetElementCount();
    const QuadraticBezier2D *in = kept.GetElements();

    // Pass 1: contours, tangents and sharp corners, once for both passes; the signed area sum.
    Array<CornerInfo> info;
    info.SetElementCount(n);
    int32_t sharpCount = 0;
    float area = 0.0f;
    int32_t start = 0;
    for (int32_t i = 0; i < n; ++i)
    {
        const QuadraticBezier2D &c = in[i];
        bool closes = Equal(c.p2, in[start].p0) || i + 1 == n || !Equal(in[i + 1].p0, c.p2);
        const QuadraticBezier2D &f = in[closes ? start : i + 1];
        Point2D q = EffectiveControl(c);
        Point2D q2 = (Equal(f.p1, c.p2) || Equal(f.p1, f.p2)) ? Midpoint(c.p2, f.p2) : f.p1;
        CornerInfo &k = info[i];
        k.t0 = UnitOrZero(q - c.p0);
        k.t1 = UnitOrZero(c.p2 - q);
        k.t2 = UnitOrZero(q2 - c.p2);
        k.contourStart = start;
        k.closes = closes;
        k.sharp = !(Dot(k.t1, k.t2) >= kSharpCorner);
        if (k.sharp) ++sharpCount;
        area += c.p2.y * c.p0.x - c.p0.y * c.p2.x;
        if (closes) start = i + 1;
    }

    const int32_t room = n + 4 * sharpCount;
    if (room > output->GetReservedCount()) output->SetReservedCount(room);
    const float d = (area > 0.0f) ? -size : size;
    const float limit = size * miterLimit * size * miterLimit - size * size;

    // Pass 2: offset curves and joins.
    Point2D from(0.0f, 0.0f);
    int32_t contourFirst = 0;
    for (int32_t i = 0; i < n; ++i)
    {
        const QuadraticBezier2D &c = in[i];
        const CornerInfo &k = info[i];
        Point2D s = Offset(c.p0, k.t0, d);
        Point2D e = Offset(c.p2, k.t1, d);
        if (i == k.contourStart)
        {
            from = s;
            contourFirst = output->GetElementCount();
        }
        float cross = k.t1.y * k.t0.x - k.t0.y * k.t1.x;
        Point2D control = s;
        if (std::fabs(cross) > kParallel)
        {
            float u = (k.t1.y * (e.x - s.x) - (e.y - s.y) * k.t1.x) / cross;
            control = s + k.t0 * u;
        }
        output->AddElement(QuadraticBezier2D(from, control, e));
        from = e;

        if (k.sharp)
        {
            Point2D nPoint = Offset(c.p2, k.t2, d);
            float denominator = Cross(k.t1, k.t2);
            float j = (std::fabs(denominator) >= kParallel) ? Cross(k.t1, nPoint - e) / denominator : 0.0f;
            if (j <= 0.0f)
            {
                output->AddElement(Straight(e, nPoint));
            }
            else if (j * j < limit)
            {
                Point2D m = nPoint - k.t2 * j;
                output->AddElement(Straight(e, m));
                output->AddElement(QuadraticBezier2D(m, nPoint, nPoint));
            }
            else
            {
                Vector2D w = UnitOrZero(k.t1 - k.t2);
                float l = (size * miterLimit - (-k.t1.y * w.x + k.t1.x * w.y) * d) / Dot(w, k.t1);
                Point2D p1 = e + k.t1 * l;
                Point2D p2 = nPoint - k.t2 * l;
                if (join == 'BEVL')
                {
                    output->AddElement(Straight(e, p1));
                    output->AddElement(Straight(p1, p2));
                    output->AddElement(QuadraticBezier2D(p2, nPoint, nPoint));
                }
                else
                {
                    Point2D middle = Midpoint(p1, p2);
                    float l2 = l - Sqrt(Dot(middle - p1, middle - p1));
                    if (l2 <= 1.0f / 1024.0f)
                    {
                        output->AddElement(QuadraticBezier2D(e, p1, middle));
                        output->AddElement(QuadraticBezier2D(middle, p2, nPoint));
                    }
                    else
                    {
                        Point2D q1 = e + k.t1 * l2;
                        Point2D q2 = nPoint - k.t2 * l2;
                        output->AddElement(Straight(e, q1));
                        output->AddElement(QuadraticBezier2D(q1, p1, middle));
                        output->AddElement(QuadraticBezier2D(middle, p2, q2));
                        output->AddElement(QuadraticBezier2D(q2, nPoint, nPoint));
                    }
                }
            }
            from = nPoint;
        }
        if (k.closes) (*output)[contourFirst].p0 = from;
    }
    return output->GetElementCount();
}

}  // namespace oq
