#include "vorl/geometry/StrokeOffsets.h"

#include <cmath>

namespace oq {

namespace {

constexpr float kPointDistanceSquared = 1.0f / 4194304.0f;  // (2^-11)^2

bool IsNear(const Point2D &a, const Point2D &b)
{
    return SquaredMag(a - b) < kPointDistanceSquared;
}

Vector2D LeftNormal(const Vector2D &v)
{
    return Vector2D(-v.y, v.x);
}

// The unit tangent direction at t: (1 - t)(p1 - p0) + t(p2 - p1), normalised.
Vector2D GetUnitTangent(const QuadraticBezier2D &curve, float t)
{
    Vector2D d = (curve.p1 - curve.p0) * (1.0f - t) + (curve.p2 - curve.p1) * t;
    return d * InverseSqrt(SquaredMag(d));
}

}  // namespace

bool IsStrokePoint(const QuadraticBezier2D &curve)
{
    return IsNear(curve.p1, curve.p0) && IsNear(curve.p2, curve.p0);
}

void GetStrokeOffsets(const QuadraticBezier2D &curve, float halfWidth, StrokeOffsets *offsets)
{
    const Point2D &p0 = curve.p0;
    const Point2D &p2 = curve.p2;
    if (IsStrokePoint(curve))
    {
        Vector2D up(0.0f, halfWidth);
        offsets->start = {p0, Vector2D(1.0f, 0.0f), p0 + up, p0 - up};
        offsets->end = {p2, Vector2D(1.0f, 0.0f), p2 + up, p2 - up};
        offsets->control = (p0 + p2) * 0.5f;
        offsets->turn = 0.0f;
        offsets->point = 1;
        return;
    }
    Point2D control = curve.p1;
    if (IsNear(control, p0) || IsNear(control, p2)) control = (p0 + p2) * 0.5f;
    Vector2D t0 = control - p0;
    t0 *= InverseSqrt(SquaredMag(t0));
    Vector2D t1 = p2 - control;
    t1 *= InverseSqrt(SquaredMag(t1));
    Vector2D n0 = LeftNormal(t0) * halfWidth;
    Vector2D n1 = LeftNormal(t1) * halfWidth;
    offsets->start = {p0, t0, p0 + n0, p0 - n0};
    offsets->end = {p2, t1, p2 + n1, p2 - n1};
    offsets->control = control;
    offsets->turn = Cross(t0, t1);
    offsets->point = 0;
}

int32_t GetStrokeSamples(const QuadraticBezier2D &curve, bool flags[5])
{
    Vector2D t0 = GetUnitTangent(curve, 0.0f);
    Vector2D tm = GetUnitTangent(curve, 0.5f);
    Vector2D t1 = GetUnitTangent(curve, 1.0f);
    flags[0] = true;
    flags[4] = true;
    flags[2] = std::fabs(Cross(t0, t1)) > 0.5f;
    flags[1] = std::fabs(Cross(t0, tm)) > 0.5f;
    flags[3] = std::fabs(Cross(tm, t1)) > 0.5f;
    return 2 + int32_t(flags[1]) + int32_t(flags[2]) + int32_t(flags[3]);
}

Point2D Evaluate(const QuadraticBezier2D &curve, float t)
{
    float u = 1.0f - t;
    return curve.p0 * (u * u) + curve.p1 * (2.0f * t * u) + curve.p2 * (t * t);
}

float GetStrokeArcLength(const QuadraticBezier2D &curve)
{
    float lengths[16];
    GetStrokeArcLengths(curve, lengths);
    return lengths[15];
}

void GetStrokeArcLengths(const QuadraticBezier2D &curve, float lengths[16])
{
    // QuadraticBezier2D::GetArcLength over each sixteenth, with the same operations in the same
    // order, its 32 correctly rounded roots taken four at a time.
    const float inverseSqrt3 = 0.57735026f;
    Vector2D a = curve.p1 - curve.p0;
    Vector2D b = curve.p2 - curve.p1;
    alignas(16) float squared[32];
    float halfSteps[16];
    for (int k = 0; k < 16; ++k)
    {
        float t0 = float(k) * 0.0625f;
        float t1 = float(k + 1) * 0.0625f;
        float m = (t0 + t1) * 0.5f;
        float h = (t1 - t0) * 0.5f;
        float offset = inverseSqrt3 * h;
        halfSteps[k] = h;
        squared[2 * k] = SquaredMag(a * (1.0f - (m + offset)) + b * (m + offset));
        squared[2 * k + 1] = SquaredMag(a * (1.0f - (m - offset)) + b * (m - offset));
    }
#if defined(__SSE__) || defined(__x86_64__)
    for (int i = 0; i < 32; i += 4) _mm_store_ps(squared + i, _mm_sqrt_ps(_mm_load_ps(squared + i)));
#else
    for (int i = 0; i < 32; ++i) squared[i] = std::sqrt(squared[i]);
#endif
    float length = 0.0f;
    for (int k = 0; k < 16; ++k)
    {
        length += halfSteps[k] * (2.0f * squared[2 * k] + 2.0f * squared[2 * k + 1]);
        lengths[k] = length;
    }
}

float GetParameterAtArcLength(const QuadraticBezier2D &curve, float s)
{
    if (!(s > 0.0f)) return 0.0f;
    float lengths[16];
    GetStrokeArcLengths(curve, lengths);
    return GetParameterAtArcLength(lengths, s);
}

float GetParameterAtArcLength(const float lengths[16], float s)
{
    if (!(s > 0.0f)) return 0.0f;
    float start = 0.0f;
    for (int k = 0; k < 16; ++k)
    {
        if (lengths[k] > s) return float(k) * 0.0625f + (s - start) / (lengths[k] - start) * 0.0625f;
        start = lengths[k];
    }
    return 1.0f;
}

}  // namespace oq
