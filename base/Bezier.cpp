#include "base/Bezier.h"

#include <cmath>

namespace oq {

namespace {

constexpr float kOneSixteenThousandth = 1.52587890625e-5f;  // 2^-16
constexpr float kSplitMin = 0.015625f;                      // 1/64
constexpr float kSplitMax = 0.984375f;                      // 63/64
constexpr float kTangentEpsilon = 2.38418579e-7f;           // 2^-22
constexpr float kInverseSqrt3 = 0.57735026f;                // bits 0x3F13CD3A

inline float Min(float a, float b) { return (b < a) ? b : a; }
inline float Max(float a, float b) { return (b > a) ? b : a; }

float EvaluateQuadratic(float a0, float a1, float a2, float t)
{
    float u = 1.0f - t;
    return u * u * a0 + 2.0f * t * u * a1 + t * t * a2;
}

float EvaluateCubic(float a0, float a1, float a2, float a3, float t)
{
    float u = 1.0f - t;
    return u * u * u * a0 + 3.0f * t * u * u * a1 + 3.0f * t * t * u * a2 + t * t * t * a3;
}

// B'(t) / 3 of a cubic coordinate.
float GetCubicTangent(float a0, float a1, float a2, float a3, float t)
{
    float u = 1.0f - t;
    return u * u * (a1 - a0) + 2.0f * t * u * (a2 - a1) + t * t * (a3 - a2);
}

// Widens (minimum, maximum) of one quadratic coordinate by its interior extremum.
void GetQuadraticExtent(float a0, float a1, float a2, bool testDenominator, float *minimum, float *maximum)
{
    float low = Min(a0, a2);
    float high = Max(a0, a2);
    float den = a0 - 2.0f * a1 + a2;
    if (!testDenominator || den > FloatMinNormal || den < -FloatMinNormal)
    {
        float t = (a0 - a1) / den;
        if (t > 0.0f && t < 1.0f)
        {
            float v = EvaluateQuadratic(a0, a1, a2, t);
            low = Min(low, v);
            high = Max(high, v);
        }
    }
    *minimum = low;
    *maximum = high;
}

// Widens (minimum, maximum), which already hold the end values, by the interior extrema of a cubic
// coordinate.
void WidenCubicExtent(float a0, float a1, float a2, float a3, float *minimum, float *maximum)
{
    float A = 3.0f * (a1 - a2) + (a3 - a0);
    float g = 2.0f * a1 - a0 - a2;
    float d = a1 - a0;
    float t[2];
    int count = 0;
    if (A > FloatMinNormal || A < -FloatMinNormal)
    {
        // The roots (g - s) / A and (g + s) / A: the one of larger magnitude from the sum without
        // cancellation, the other as d / (that sum), their product being d / A. A small A (a cubic that
        // is nearly a quadratic) would otherwise leave the small root with rounding noise only.
        float s = Sqrt(g * g - A * d);
        float sum = (g < 0.0f) ? g - s : g + s;
        t[0] = sum / A;
        t[1] = d / sum;
        count = 2;
    }
    else if (g > FloatMinNormal || g < -FloatMinNormal)
    {
        t[0] = d / (2.0f * g);
        count = 1;
    }
    for (int i = 0; i < count; ++i)
    {
        if (t[i] > 0.0f && t[i] < 1.0f)
        {
            float v = EvaluateCubic(a0, a1, a2, a3, t[i]);
            *minimum = Min(*minimum, v);
            *maximum = Max(*maximum, v);
        }
    }
}

Point2D Evaluate(const QuadraticBezier2D &q, float t)
{
    return Point2D(EvaluateQuadratic(q.p0.x, q.p1.x, q.p2.x, t), EvaluateQuadratic(q.p0.y, q.p1.y, q.p2.y, t));
}

Point2D Evaluate(const CubicBezier2D &c, float t)
{
    return Point2D(EvaluateCubic(c.p0.x, c.p1.x, c.p2.x, c.p3.x, t),
                   EvaluateCubic(c.p0.y, c.p1.y, c.p2.y, c.p3.y, t));
}

Point3D Evaluate(const QuadraticBezier3D &q, float t)
{
    return Point3D(EvaluateQuadratic(q.p0.x, q.p1.x, q.p2.x, t), EvaluateQuadratic(q.p0.y, q.p1.y, q.p2.y, t),
                   EvaluateQuadratic(q.p0.z, q.p1.z, q.p2.z, t));
}

// (1 - t)(p1 - p0) + t (p2 - p1): half the quadratic's derivative.
Vector2D GetHalfDerivative(const QuadraticBezier2D &q, float t)
{
    return (q.p1 - q.p0) * (1.0f - t) + (q.p2 - q.p1) * t;
}

Vector3D GetHalfDerivative(const QuadraticBezier3D &q, float t)
{
    return (q.p1 - q.p0) * (1.0f - t) + (q.p2 - q.p1) * t;
}

Vector2D GetThirdDerivative(const CubicBezier2D &c, float t)
{
    return Vector2D(GetCubicTangent(c.p0.x, c.p1.x, c.p2.x, c.p3.x, t),
                    GetCubicTangent(c.p0.y, c.p1.y, c.p2.y, c.p3.y, t));
}

Vector3D GetThirdDerivative(const CubicBezier3D &c, float t)
{
    return Vector3D(GetCubicTangent(c.p0.x, c.p1.x, c.p2.x, c.p3.x, t),
                    GetCubicTangent(c.p0.y, c.p1.y, c.p2.y, c.p3.y, t),
                    GetCubicTangent(c.p0.z, c.p1.z, c.p2.z, c.p3.z, t));
}

bool IsFinite(const Point2D &p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// A fit passes only with a finite deviation below the tolerance.
bool IsWithinTolerance(float deviation, float tolerance)
{
    return std::isfinite(deviation) && deviation < tolerance;
}

// The fit of a piece that is kept without a test. When the tangent lines do not meet (parallel end
// tangents), the control point is taken so that the quadratic passes through the piece's midpoint.
QuadraticBezier2D FitFinalPiece(const CubicBezier2D &piece)
{
    QuadraticBezier2D q = FitQuadraticToCubic(piece);
    if (!IsFinite(q.p1) || !std::isfinite(GetCubicQuadraticDeviation(piece, q)))
    {
        Point2D middle = Evaluate(piece, 0.5f);
        q.p1.Set(2.0f * middle.x - (piece.p0.x + piece.p3.x) * 0.5f,
                 2.0f * middle.y - (piece.p0.y + piece.p3.y) * 0.5f);
    }
    return q;
}

}  // namespace

void QuadraticBezier2D::GetXExtent(float *minimum, float *maximum) const
{
    GetQuadraticExtent(p0.x, p1.x, p2.x, true, minimum, maximum);
}

void QuadraticBezier2D::GetYExtent(float *minimum, float *maximum) const
{
    GetQuadraticExtent(p0.y, p1.y, p2.y, true, minimum, maximum);
}

void QuadraticBezier2D::GetExtentAlongDirection(const Vector2D &d, float *minimum, float *maximum) const
{
    GetQuadraticExtent(Dot(p0, d), Dot(p1, d), Dot(p2, d), true, minimum, maximum);
}

Box2D QuadraticBezier2D::GetBoundingBox() const
{
    Box2D box;
    GetXExtent(&box.min.x, &box.max.x);
    GetYExtent(&box.min.y, &box.max.y);
    return box;
}

Point2D QuadraticBezier2D::GetExtremePoint(const Vector2D &d) const
{
    float a0 = Dot(p0, d);
    float a1 = Dot(p1, d);
    float a2 = Dot(p2, d);
    return Evaluate(*this, (a0 - a1) / (a0 - 2.0f * a1 + a2));
}

QuadraticBezier2D QuadraticBezier2D::GetSubcurve(float t0, float t1) const
{
    Point2D start = Evaluate(*this, t0);
    return QuadraticBezier2D(start, start + GetHalfDerivative(*this, t0) * (t1 - t0), Evaluate(*this, t1));
}

float QuadraticBezier2D::GetDerivativeLength(float t) const
{
    // The correctly rounded root, so that lengths do not depend on the processor's root estimate
    // (a straight curve (0, 0), (1, 0), (2, 0) measures exactly 2).
    return 2.0f * std::sqrt(SquaredMag(GetHalfDerivative(*this, t)));
}

float QuadraticBezier2D::GetArcLength(float t0, float t1) const
{
    float m = (t0 + t1) * 0.5f;
    float h = (t1 - t0) * 0.5f;
    float offset = kInverseSqrt3 * h;
    return h * (GetDerivativeLength(m + offset) + GetDerivativeLength(m - offset));
}

Box2D CubicBezier2D::GetBoundingBox() const
{
    Box2D box(Point2D(Min(p0.x, p3.x), Min(p0.y, p3.y)), Point2D(Max(p0.x, p3.x), Max(p0.y, p3.y)));
    WidenCubicExtent(p0.x, p1.x, p2.x, p3.x, &box.min.x, &box.max.x);
    WidenCubicExtent(p0.y, p1.y, p2.y, p3.y, &box.min.y, &box.max.y);
    return box;
}

CubicBezier2D CubicBezier2D::GetSubcurve(float t0, float t1) const
{
    float h = t1 - t0;
    Point2D start = Evaluate(*this, t0);
    Point2D end = Evaluate(*this, t1);
    return CubicBezier2D(start, start + GetThirdDerivative(*this, t0) * h, end - GetThirdDerivative(*this, t1) * h,
                         end);
}

Box3D QuadraticBezier3D::GetBoundingBox() const
{
    Box3D box;
    GetQuadraticExtent(p0.x, p1.x, p2.x, false, &box.min.x, &box.max.x);
    GetQuadraticExtent(p0.y, p1.y, p2.y, false, &box.min.y, &box.max.y);
    GetQuadraticExtent(p0.z, p1.z, p2.z, false, &box.min.z, &box.max.z);
    return box;
}

QuadraticBezier3D QuadraticBezier3D::GetSubcurve(float t0, float t1) const
{
    Point3D start = Evaluate(*this, t0);
    return QuadraticBezier3D(start, start + GetHalfDerivative(*this, t0) * (t1 - t0), Evaluate(*this, t1));
}

Point3D CubicBezier3D::Evaluate(float t) const
{
    return Point3D(EvaluateCubic(p0.x, p1.x, p2.x, p3.x, t), EvaluateCubic(p0.y, p1.y, p2.y, p3.y, t),
                   EvaluateCubic(p0.z, p1.z, p2.z, p3.z, t));
}

Box3D CubicBezier3D::GetBoundingBox() const
{
    Box3D box(Point3D(Min(p0.x, p3.x), Min(p0.y, p3.y), Min(p0.z, p3.z)),
              Point3D(Max(p0.x, p3.x), Max(p0.y, p3.y), Max(p0.z, p3.z)));
    WidenCubicExtent(p0.x, p1.x, p2.x, p3.x, &box.min.x, &box.max.x);
    WidenCubicExtent(p0.y, p1.y, p2.y, p3.y, &box.min.y, &box.max.y);
    WidenCubicExtent(p0.z, p1.z, p2.z, p3.z, &box.min.z, &box.max.z);
    return box;
}

CubicBezier3D CubicBezier3D::GetSubcurve(float t0, float t1) const
{
    float h = t1 - t0;
    Point3D start = Evaluate(t0);
    Point3D end = Evaluate(t1);
    return CubicBezier3D(start, start + GetThirdDerivative(*this, t0) * h, end - GetThirdDerivative(*this, t1) * h,
                         end);
}

QuadraticBezier2D FitQuadraticToCubic(const CubicBezier2D &c)
{
    Vector2D d0 = c.p1 - c.p0;
    if (SquaredMag(d0) < kTangentEpsilon) d0 = c.p2 - c.p0;
    Vector2D d3 = c.p2 - c.p3;
    if (SquaredMag(d3) < kTangentEpsilon) d3 = c.p1 - c.p3;

    // Intersection of the line through p0 along d0 with the line through p3 along d3.
    float k0 = Cross(c.p0, d0);
    float k3 = Cross(c.p3, d3);
    float den = d3.x * d0.y - d0.x * d3.y;
    Point2D q((k0 * d3.x - d0.x * k3) / den, (k0 * d3.y - d0.y * k3) / den);
    return QuadraticBezier2D(c.p0, q, c.p3);
}

float GetCubicQuadraticDeviation(const CubicBezier2D &c, const QuadraticBezier2D &q)
{
    Point2D previousC = c.p0;
    Point2D previousQ = q.p0;
    float lengthC = 0.0f, lengthQ = 0.0f, areaC = 0.0f, areaQ = 0.0f;
    for (int i = 1; i <= 8; ++i)
    {
        float t = static_cast<float>(i) * 0.125f;
        Point2D nextC = Evaluate(c, t);
        Point2D nextQ = Evaluate(q, t);
        lengthC += Sqrt(SquaredMag(nextC - previousC));
        lengthQ += Sqrt(SquaredMag(nextQ - previousQ));
        areaC += Cross(previousC, nextC);
        areaQ += Cross(previousQ, nextQ);
        previousC = nextC;
        previousQ = nextQ;
    }
    return std::fabs(areaC - areaQ) / (lengthC + lengthQ);
}

int32_t ConvertCubicPieceToQuadratics(const CubicBezier2D &piece, float tolerance, QuadraticBezier2D *output)
{
    output[0] = FitQuadraticToCubic(piece);
    if (IsWithinTolerance(GetCubicQuadraticDeviation(piece, output[0]), tolerance)) return 1;

    CubicBezier2D first = piece.GetSubcurve(0.0f, 0.5f);
    CubicBezier2D second = piece.GetSubcurve(0.5f, 1.0f);
    output[0] = FitQuadraticToCubic(first);
    output[1] = FitQuadraticToCubic(second);
    if (IsWithinTolerance(GetCubicQuadraticDeviation(first, output[0]), tolerance)
        && IsWithinTolerance(GetCubicQuadraticDeviation(second, output[1]), tolerance))
    {
        return 2;
    }

    constexpr float kThird = 1.0f / 3.0f;
    constexpr float kTwoThirds = 2.0f / 3.0f;
    output[0] = FitFinalPiece(piece.GetSubcurve(0.0f, kThird));
    output[1] = FitFinalPiece(piece.GetSubcurve(kThird, kTwoThirds));
    output[2] = FitFinalPiece(piece.GetSubcurve(kTwoThirds, 1.0f));
    return 3;
}

int32_t ConvertCubicToQuadratics(const CubicBezier2D &c, float tolerance, QuadraticBezier2D *output)
{
    float xmin = Min(Min(c.p0.x, c.p1.x), Min(c.p2.x, c.p3.x));
    float xmax = Max(Max(c.p0.x, c.p1.x), Max(c.p2.x, c.p3.x));
    float ymin = Min(Min(c.p0.y, c.p1.y), Min(c.p2.y, c.p3.y));
    float ymax = Max(Max(c.p0.y, c.p1.y), Max(c.p2.y, c.p3.y));
    float w = xmax - xmin;
    float h = ymax - ymin;

    // A thin cubic becomes a straight segment.
    if (Min(w, h) < kOneSixteenThousandth)
    {
        output[0] = QuadraticBezier2D(c.p0, c.p3, c.p3);
        return 1;
    }

    // Work on a copy that starts at the origin, scaled by the larger side of the control box.
    float S = Max(w, h);
    CubicBezier2D working(Point2D(0.0f, 0.0f), Point2D((c.p1 - c.p0) / S), Point2D((c.p2 - c.p0) / S),
                          Point2D((c.p3 - c.p0) / S));

    // A cubic without a cubic term is a quadratic.
    Vector2D cubicTerm = (working.p3 - working.p2 * 3.0f) + working.p1 * 3.0f;
    if (std::fabs(cubicTerm.x) < kOneSixteenThousandth && std::fabs(cubicTerm.y) < kOneSixteenThousandth)
    {
        output[0] = QuadraticBezier2D(c.p0, Point2D(1.5f * c.p1.x - 0.5f * c.p0.x, 1.5f * c.p1.y - 0.5f * c.p0.y),
                                      c.p3);
        return 1;
    }

    // Inflections are the roots of a t^2 + b t + cc (B' x B'' / 18).
    float c12 = Cross(working.p1, working.p2);
    float c13 = Cross(working.p1, working.p3);
    float c23 = Cross(working.p2, working.p3);
    float a = 3.0f * c12 - 2.0f * c13 + c23;
    float b = c13 - 3.0f * c12;
    float cc = c12;
    if (std::fabs(a) < kOneSixteenThousandth && std::fabs(b) < kOneSixteenThousandth
        && std::fabs(cc) < kOneSixteenThousandth)
    {
        output[0] = QuadraticBezier2D(c.p0, c.p3, c.p3);
        return 1;
    }

    float candidates[3];
    int32_t candidateCount = 0;
    if (std::fabs(a) > kOneSixteenThousandth)
    {
        float K = -b / (2.0f * a);
        float L = 0.0f;
        float M = 0.0f;
        float discriminant = b * b - 4.0f * a * cc;
        if (discriminant > FloatMinNormal)
        {
            float s = Sqrt(discriminant);
            float r0 = (-b - s) / (2.0f * a);
            float r1 = (-b + s) / (2.0f * a);
            L = Min(r0, r1);
            M = Max(r0, r1);
            if (!(M - L > kSplitMin)) L = M = 0.0f;
        }
        candidates[0] = L;
        candidates[1] = K;
        candidates[2] = M;
        candidateCount = 3;
    }
    else if (std::fabs(b) > kOneSixteenThousandth)
    {
        candidates[0] = -cc / b;
        candidateCount = 1;
    }

    int32_t count = 0;
    float start = 0.0f;
    for (int32_t i = 0; i < candidateCount; ++i)
    {
        float t = candidates[i];
        if (t > kSplitMin && t < kSplitMax)
        {
            count += ConvertCubicPieceToQuadratics(working.GetSubcurve(start, t), tolerance, output + count);
            start = t;
        }
    }
    if (start == 0.0f)
    {
        count += ConvertCubicPieceToQuadratics(working, tolerance, output + count);
    }
    else
    {
        count += ConvertCubicPieceToQuadratics(working.GetSubcurve(start, 1.0f), tolerance, output + count);
    }

    for (int32_t i = 0; i < count; ++i)
    {
        QuadraticBezier2D &q = output[i];
        q.p0.Set(q.p0.x * S + c.p0.x, q.p0.y * S + c.p0.y);
        q.p1.Set(q.p1.x * S + c.p0.x, q.p1.y * S + c.p0.y);
        q.p2.Set(q.p2.x * S + c.p0.x, q.p2.y * S + c.p0.y);
    }
    output[0].p0 = c.p0;
    output[count - 1].p2 = c.p3;
    return count;
}

}  // namespace oq
