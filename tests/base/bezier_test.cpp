#include <gtest/gtest.h>

#include "base/Bezier.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace oq {
namespace {

constexpr float kTolerance = 0.0009765625f;  // 2^-10, the tolerance the font and path code use

struct D2
{
    double x, y;
};

// Curve points evaluated in double from the float control points.
D2 EvaluateDouble(const QuadraticBezier2D &q, double t)
{
    double u = 1.0 - t;
    return {u * u * q.p0.x + 2.0 * t * u * q.p1.x + t * t * q.p2.x,
            u * u * q.p0.y + 2.0 * t * u * q.p1.y + t * t * q.p2.y};
}

D2 EvaluateDouble(const CubicBezier2D &c, double t)
{
    double u = 1.0 - t;
    double b0 = u * u * u, b1 = 3.0 * t * u * u, b2 = 3.0 * t * t * u, b3 = t * t * t;
    return {b0 * c.p0.x + b1 * c.p1.x + b2 * c.p2.x + b3 * c.p3.x, b0 * c.p0.y + b1 * c.p1.y + b2 * c.p2.y + b3 * c.p3.y};
}

double EvaluateDouble(double a0, double a1, double a2, double a3, double t)
{
    double u = 1.0 - t;
    return u * u * u * a0 + 3.0 * t * u * u * a1 + 3.0 * t * t * u * a2 + t * t * t * a3;
}

// The mean-distance measure between the cubic restricted to [a, b] and a quadratic, in double.
double DeviationDouble(const CubicBezier2D &c, double a, double b, const QuadraticBezier2D &q)
{
    D2 pc = EvaluateDouble(c, a), pq = EvaluateDouble(q, 0.0);
    double lc = 0.0, lq = 0.0, ac = 0.0, aq = 0.0;
    for (int i = 1; i <= 8; ++i)
    {
        D2 nc = EvaluateDouble(c, a + (b - a) * i / 8.0), nq = EvaluateDouble(q, i / 8.0);
        lc += std::hypot(nc.x - pc.x, nc.y - pc.y);
        lq += std::hypot(nq.x - pq.x, nq.y - pq.y);
        ac += pc.x * nc.y - pc.y * nc.x;
        aq += pq.x * nq.y - pq.y * nq.x;
        pc = nc;
        pq = nq;
    }
    return std::fabs(ac - aq) / (lc + lq);
}

double DistanceToSegment(D2 p, D2 a, D2 b)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    double length = dx * dx + dy * dy;
    double t = length > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length : 0.0;
    t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Largest distance from the cubic to the chain of quadratics (both as fine polylines).
double MeasureDistance(const CubicBezier2D &c, const QuadraticBezier2D *q, int32_t count)
{
    std::vector<D2> chain;
    for (int32_t i = 0; i < count; ++i)
    {
        for (int k = (i == 0) ? 0 : 1; k <= 64; ++k) chain.push_back(EvaluateDouble(q[i], k / 64.0));
    }
    double worst = 0.0;
    for (int k = 0; k <= 256; ++k)
    {
        D2 p = EvaluateDouble(c, k / 256.0);
        double best = INFINITY;
        for (size_t j = 0; j + 1 < chain.size(); ++j) best = std::fmin(best, DistanceToSegment(p, chain[j], chain[j + 1]));
        worst = std::fmax(worst, best);
    }
    return worst;
}

Point2D RandomPoint2D(std::mt19937 &random, std::uniform_real_distribution<float> &value)
{
    float x = value(random);
    return Point2D(x, value(random));
}

Point3D RandomPoint3D(std::mt19937 &random, std::uniform_real_distribution<float> &value)
{
    float x = value(random);
    float y = value(random);
    return Point3D(x, y, value(random));
}

// One curve of each record with random control points.
struct RandomCurves
{
    QuadraticBezier2D q;
    CubicBezier2D c;
    QuadraticBezier3D q3;
    CubicBezier3D c3;
};

RandomCurves MakeRandomCurves(std::mt19937 &random, std::uniform_real_distribution<float> &value)
{
    RandomCurves curves;
    curves.q.p0 = RandomPoint2D(random, value);
    curves.q.p1 = RandomPoint2D(random, value);
    curves.q.p2 = RandomPoint2D(random, value);
    curves.c.p0 = RandomPoint2D(random, value);
    curves.c.p1 = RandomPoint2D(random, value);
    curves.c.p2 = RandomPoint2D(random, value);
    curves.c.p3 = RandomPoint2D(random, value);
    curves.q3.p0 = RandomPoint3D(random, value);
    curves.q3.p1 = RandomPoint3D(random, value);
    curves.q3.p2 = RandomPoint3D(random, value);
    curves.c3.p0 = RandomPoint3D(random, value);
    curves.c3.p1 = RandomPoint3D(random, value);
    curves.c3.p2 = RandomPoint3D(random, value);
    curves.c3.p3 = RandomPoint3D(random, value);
    return curves;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof(float)) == 0; }
bool IsFinite(const Point2D &p) { return std::isfinite(p.x) && std::isfinite(p.y); }

CubicBezier2D MakeCubic(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3)
{
    return CubicBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x2, y2), Point2D(x3, y3));
}

// Cubics that stress the conversion: cusps, loops, inflections, parallel tangents, coincident points.
std::vector<CubicBezier2D> HardCubics()
{
    std::vector<CubicBezier2D> cubics = {
        MakeCubic(0, 0, 1, 1, 0, 1, 1, 0),                  // cusp
        MakeCubic(0, 0, 1, 1, 0, 1.0001f, 1, 0),            // near cusp
        MakeCubic(0, 0, 2, 2, -1, 2, 1, 0),                 // loop
        MakeCubic(0, 0, 3, 3, -2, 3, 1, 0),                 // wide loop
        MakeCubic(0, 0, 1, 1, 2, -1, 3, 0),                 // symmetric S, inflection at 1/2
        MakeCubic(0, 0, 1, 2, 2, -2, 3, 2),                 // strong S
        MakeCubic(0, 0, 1, 3, -2, -3, 3, 1),                // two turns
        MakeCubic(0, 0, 0, 1, 1, 1, 1, 0),                  // U: parallel end tangents
        MakeCubic(0, 0, 0, 4, 1, 4, 1, 0),                  // tall U
        MakeCubic(0, 0, 1, 0, 2, 1, 3, 1),                  // parallel tangents, same direction
        MakeCubic(0, 0, 0, 1, -1, 2, 1, 3),                 // vertical tangents at 0 and 1/2
        MakeCubic(0, 0, 4, 1, -1, 2, 3, 3),                 // vertical tangents at 1/3 and 2/3
        MakeCubic(0, 0, 4.0f / 3, 2, -1.0f / 3, 2, 1, 0),   // loop turning back between 1/3 and 2/3
        MakeCubic(0, 0, 0, 0, 1, 1, 2, 0),                  // p0 = p1
        MakeCubic(0, 0, 1, 1, 2, 0, 2, 0),                  // p2 = p3
        MakeCubic(0, 0, 0, 0, 1, 1, 1, 1),                  // p0 = p1, p2 = p3: straight
        MakeCubic(0, 0, 0, 0, 1, 0.5f, 2, 0),               // p0 = p1, curved
        MakeCubic(1, 1, 1, 1, 1, 1, 1, 1),                  // a point
        MakeCubic(0, 0, 1, 1, -1, 1, 0, 0),                 // closed: p0 = p3
        MakeCubic(0, 0, 5, 0, -4, 0.001f, 1, 0.001f),       // almost flat with overshoot
        MakeCubic(0, 0, 0.5523f, 0, 1, 0.4477f, 1, 1),      // quarter circle
        MakeCubic(0, 0, 100, 10, -100, 10, 0, 0),           // long closed loop
        MakeCubic(0, 0, 1.0f / 3, 0, 2.0f / 3, -0.01f, 1, 0.97f),  // inflection near t = 0.01
        MakeCubic(10000, 20000, 11000, 21000, 10000, 21000, 11000, 20000),  // far from the origin
        MakeCubic(0, 0, 0.001f, 0.001f, 0, 0.001f, 0.001f, 0),             // tiny cusp
        MakeCubic(0, 0, 0, 1e-5f, 1, 1e-5f, 1, 0),          // thin: one quadratic
        MakeCubic(0, 0, 2, 0, 1, 1e-3f, 3, 1e-3f),          // near-straight zigzag
    };
    std::mt19937 random(1234);
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    for (int i = 0; i < 300; ++i)
    {
        cubics.push_back(MakeCubic(value(random), value(random), value(random), value(random), value(random),
                                   value(random), value(random), value(random)));
    }
    return cubics;
}

void ExpectValidConversion(const CubicBezier2D &c, float tolerance, double *worst)
{
    QuadraticBezier2D out[kMaxCubicQuadratics + 4];
    int32_t count = ConvertCubicToQuadratics(c, tolerance, out);
    ASSERT_GE(count, 1);
    ASSERT_LE(count, kMaxCubicQuadratics);
    EXPECT_TRUE(SameBits(out[0].p0.x, c.p0.x) && SameBits(out[0].p0.y, c.p0.y));
    EXPECT_TRUE(SameBits(out[count - 1].p2.x, c.p3.x) && SameBits(out[count - 1].p2.y, c.p3.y));

    const Point2D points[4] = {c.p0, c.p1, c.p2, c.p3};
    Box2D box;
    box.Calculate(4, points);
    float size = std::fmax(box.max.x - box.min.x, box.max.y - box.min.y);
    for (int32_t i = 0; i < count; ++i)
    {
        EXPECT_TRUE(IsFinite(out[i].p0) && IsFinite(out[i].p1) && IsFinite(out[i].p2)) << "quadratic " << i;
        if (i > 0)
        {
            EXPECT_NEAR(out[i].p0.x, out[i - 1].p2.x, 1e-6 * size + 1e-30);
            EXPECT_NEAR(out[i].p0.y, out[i - 1].p2.y, 1e-6 * size + 1e-30);
        }
    }
    if (size > 0.0f) *worst = std::fmax(*worst, MeasureDistance(c, out, count) / size);
}

TEST(QuadraticBezier2D, ExtentsAndExtremePoint)
{
    QuadraticBezier2D arch(Point2D(0.0f, 0.0f), Point2D(1.0f, 2.0f), Point2D(2.0f, 0.0f));
    float low, high;
    arch.GetXExtent(&low, &high);
    EXPECT_EQ(low, 0.0f);
    EXPECT_EQ(high, 2.0f);
    arch.GetYExtent(&low, &high);
    EXPECT_EQ(low, 0.0f);
    EXPECT_EQ(high, 1.0f);
    Box2D box = arch.GetBoundingBox();
    EXPECT_EQ(box.max.y, 1.0f);
    EXPECT_EQ(box.max.x, 2.0f);

    Point2D top = arch.GetExtremePoint(Vector2D(0.0f, 1.0f));
    EXPECT_EQ(top.x, 1.0f);
    EXPECT_EQ(top.y, 1.0f);

    // The parameter is not clamped: here it is -1.
    QuadraticBezier2D rising(Point2D(0.0f, 0.0f), Point2D(2.0f, 1.0f), Point2D(3.0f, 3.0f));
    Point2D outside = rising.GetExtremePoint(Vector2D(0.0f, 1.0f));
    EXPECT_EQ(outside.x, -5.0f);
    EXPECT_EQ(outside.y, -1.0f);

    // Extent along a direction of any length.
    arch.GetExtentAlongDirection(Vector2D(0.0f, -2.0f), &low, &high);
    EXPECT_EQ(low, -2.0f);
    EXPECT_EQ(high, 0.0f);
}

TEST(Bezier, BoxesAndExtentsContainDenseSamples)
{
    std::mt19937 random(42);
    std::uniform_real_distribution<float> value(-50.0f, 50.0f);
    for (int trial = 0; trial < 300; ++trial)
    {
        RandomCurves curves = MakeRandomCurves(random, value);
        const QuadraticBezier2D &q = curves.q;
        const CubicBezier2D &c = curves.c;
        const QuadraticBezier3D &q3 = curves.q3;
        const CubicBezier3D &c3 = curves.c3;
        Vector2D d(value(random), value(random));

        Box2D qb = q.GetBoundingBox();
        Box2D cb = c.GetBoundingBox();
        Box3D q3b = q3.GetBoundingBox();
        Box3D c3b = c3.GetBoundingBox();
        float dlow, dhigh;
        q.GetExtentAlongDirection(d, &dlow, &dhigh);

        const double slack = 1e-4;
        double qx0 = INFINITY, qx1 = -INFINITY, cy0 = INFINITY, cy1 = -INFINITY, dd0 = INFINITY, dd1 = -INFINITY;
        double z0 = INFINITY, z1 = -INFINITY;
        for (int k = 0; k <= 2000; ++k)
        {
            double t = k / 2000.0;
            D2 pq = EvaluateDouble(q, t);
            D2 pc = EvaluateDouble(c, t);
            EXPECT_TRUE(pq.x >= qb.min.x - slack && pq.x <= qb.max.x + slack && pq.y >= qb.min.y - slack
                        && pq.y <= qb.max.y + slack);
            EXPECT_TRUE(pc.x >= cb.min.x - slack && pc.x <= cb.max.x + slack && pc.y >= cb.min.y - slack
                        && pc.y <= cb.max.y + slack);
            double dot = pq.x * d.x + pq.y * d.y;
            EXPECT_TRUE(dot >= dlow - 0.05 && dot <= dhigh + 0.05);
            double u = 1.0 - t;
            double qz = u * u * q3.p0.z + 2.0 * t * u * q3.p1.z + t * t * q3.p2.z;
            double cz = EvaluateDouble(c3.p0.z, c3.p1.z, c3.p2.z, c3.p3.z, t);
            EXPECT_TRUE(qz >= q3b.min.z - slack && qz <= q3b.max.z + slack);
            EXPECT_TRUE(cz >= c3b.min.z - slack && cz <= c3b.max.z + slack);
            qx0 = std::fmin(qx0, pq.x);
            qx1 = std::fmax(qx1, pq.x);
            cy0 = std::fmin(cy0, pc.y);
            cy1 = std::fmax(cy1, pc.y);
            dd0 = std::fmin(dd0, dot);
            dd1 = std::fmax(dd1, dot);
            z0 = std::fmin(z0, cz);
            z1 = std::fmax(z1, cz);
        }

        // The boxes are tight: no wider than the samples by more than the sampling error.
        EXPECT_NEAR(qb.min.x, qx0, 1e-3);
        EXPECT_NEAR(qb.max.x, qx1, 1e-3);
        EXPECT_NEAR(cb.min.y, cy0, 1e-3);
        EXPECT_NEAR(cb.max.y, cy1, 1e-3);
        EXPECT_NEAR(dlow, dd0, 0.05);
        EXPECT_NEAR(dhigh, dd1, 0.05);
        EXPECT_NEAR(c3b.min.z, z0, 1e-3);
        EXPECT_NEAR(c3b.max.z, z1, 1e-3);
    }

    // A straight 3-D quadratic has a zero denominator on an axis; the box is its end points.
    QuadraticBezier3D straight(Point3D(0.0f, 0.0f, 1.0f), Point3D(1.0f, 0.0f, 1.0f), Point3D(2.0f, 0.0f, 1.0f));
    Box3D sb = straight.GetBoundingBox();
    EXPECT_EQ(sb.min.x, 0.0f);
    EXPECT_EQ(sb.max.x, 2.0f);
    EXPECT_EQ(sb.min.z, 1.0f);
    EXPECT_EQ(sb.max.z, 1.0f);
}

// The degree elevation of a quadratic, rounded to float, has a cubic coefficient A of rounding size.
// Its extremum must still be found: the small root may not lose its digits in g - s.
TEST(Bezier, NearlyQuadraticCubicBoxesContainTheCurve)
{
    const float quadratics[][3] = {
        {0.0f, -3.0f, -2.0f}, {0.0f, -3.0f, -1.0f}, {0.0f, 2.0f, 1.0f}, {1.0f, 7.0f, 3.0f},
        {-5.0f, 4.0f, 0.5f},  {0.1f, 0.9f, 0.3f},   {0.0f, 1e4f, 1.0f}, {2.0f, -0.7f, 1.3f},
    };
    std::mt19937 random(77);
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    std::vector<std::array<float, 3>> table;
    for (const auto &q : quadratics) table.push_back({q[0], q[1], q[2]});
    for (int i = 0; i < 300; ++i) table.push_back({value(random), value(random), value(random)});

    for (const auto &q : table)
    {
        float a0 = q[0], a1 = q[0] / 3.0f + 2.0f * q[1] / 3.0f, a2 = 2.0f * q[1] / 3.0f + q[2] / 3.0f, a3 = q[2];
        CubicBezier2D c(Point2D(0.0f, a0), Point2D(1.0f, a1), Point2D(2.0f, a2), Point2D(3.0f, a3));
        CubicBezier3D c3(Point3D(a0, 0.0f, a3), Point3D(a1, 1.0f, a2), Point3D(a2, 2.0f, a1), Point3D(a3, 3.0f, a0));
        Box2D box = c.GetBoundingBox();
        Box3D box3 = c3.GetBoundingBox();
        double low = INFINITY, high = -INFINITY;
        for (int k = 0; k <= 4000; ++k)
        {
            double y = EvaluateDouble(a0, a1, a2, a3, k / 4000.0);
            low = std::fmin(low, y);
            high = std::fmax(high, y);
        }
        double slack = 1e-5 * (1.0 + std::fabs(high) + std::fabs(low));
        SCOPED_TRACE(testing::Message() << "cubic coordinates " << a0 << " " << a1 << " " << a2 << " " << a3);
        EXPECT_LE(box.min.y, low + slack);
        EXPECT_GE(box.max.y, high - slack);
        EXPECT_GE(box.min.y, low - slack);
        EXPECT_LE(box.max.y, high + slack);
        EXPECT_LE(box3.min.x, low + slack);
        EXPECT_GE(box3.max.x, high - slack);
        EXPECT_LE(box3.min.z, low + slack);
        EXPECT_GE(box3.max.z, high - slack);
    }
}

TEST(Bezier, Subcurves)
{
    QuadraticBezier2D arch(Point2D(0.0f, 0.0f), Point2D(1.0f, 2.0f), Point2D(2.0f, 0.0f));
    QuadraticBezier2D whole = arch.GetSubcurve(0.0f, 1.0f);
    EXPECT_EQ(std::memcmp(&whole, &arch, sizeof(arch)), 0);
    QuadraticBezier2D half = arch.GetSubcurve(0.5f, 1.0f);
    EXPECT_EQ(half.p0.x, 1.0f);
    EXPECT_EQ(half.p0.y, 1.0f);
    EXPECT_EQ(half.p1.x, 1.5f);
    EXPECT_EQ(half.p1.y, 1.0f);
    EXPECT_EQ(half.p2.x, 2.0f);
    EXPECT_EQ(half.p2.y, 0.0f);

    std::mt19937 random(8);
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    std::uniform_real_distribution<float> parameter(-0.25f, 1.25f);
    for (int trial = 0; trial < 200; ++trial)
    {
        RandomCurves curves = MakeRandomCurves(random, value);
        const QuadraticBezier2D &q = curves.q;
        const CubicBezier2D &c = curves.c;
        const QuadraticBezier3D &q3 = curves.q3;
        const CubicBezier3D &c3 = curves.c3;
        float t0 = parameter(random), t1 = parameter(random);  // t0 > t1 gives the reversed piece
        QuadraticBezier2D qs = q.GetSubcurve(t0, t1);
        CubicBezier2D cs = c.GetSubcurve(t0, t1);
        CubicBezier3D c3s = c3.GetSubcurve(t0, t1);
        QuadraticBezier3D q3s = q3.GetSubcurve(t0, t1);
        for (int k = 0; k <= 16; ++k)
        {
            double s = k / 16.0;
            double t = t0 + s * (double(t1) - t0);
            D2 a = EvaluateDouble(qs, s), b = EvaluateDouble(q, t);
            EXPECT_NEAR(a.x, b.x, 1e-4);
            EXPECT_NEAR(a.y, b.y, 1e-4);
            D2 e = EvaluateDouble(cs, s), f = EvaluateDouble(c, t);
            EXPECT_NEAR(e.x, f.x, 2e-4);
            EXPECT_NEAR(e.y, f.y, 2e-4);
            double sz = EvaluateDouble(c3s.p0.z, c3s.p1.z, c3s.p2.z, c3s.p3.z, s);
            EXPECT_NEAR(sz, EvaluateDouble(c3.p0.z, c3.p1.z, c3.p2.z, c3.p3.z, t), 2e-4);
            Point3D onCurve = c3.Evaluate(float(t));
            EXPECT_NEAR(onCurve.y, EvaluateDouble(c3.p0.y, c3.p1.y, c3.p2.y, c3.p3.y, t), 1e-4);
            double u = 1.0 - s, v = 1.0 - t;
            double qz = u * u * q3s.p0.z + 2.0 * s * u * q3s.p1.z + s * s * q3s.p2.z;
            EXPECT_NEAR(qz, v * v * q3.p0.z + 2.0 * t * v * q3.p1.z + t * t * q3.p2.z, 1e-4);
        }
    }
}

TEST(QuadraticBezier2D, ArcLengthIsTheTwoPointFormula)
{
    QuadraticBezier2D straight(Point2D(0.0f, 0.0f), Point2D(1.0f, 0.0f), Point2D(2.0f, 0.0f));
    EXPECT_EQ(straight.GetArcLength(0.0f, 1.0f), 2.0f);
    EXPECT_EQ(straight.GetDerivativeLength(0.3f), 2.0f);

    const double node = 0.57735026f;
    std::mt19937 random(17);
    std::uniform_real_distribution<float> value(-5.0f, 5.0f);
    std::uniform_real_distribution<float> parameter(0.0f, 1.0f);
    int gentle = 0;
    for (int trial = 0; trial < 400; ++trial)
    {
        QuadraticBezier2D q(RandomPoint2D(random, value), RandomPoint2D(random, value),
                            RandomPoint2D(random, value));
        float t0 = parameter(random), t1 = parameter(random);
        auto speed = [&](double t) {
            double dx = (1.0 - t) * (double(q.p1.x) - q.p0.x) + t * (double(q.p2.x) - q.p1.x);
            double dy = (1.0 - t) * (double(q.p1.y) - q.p0.y) + t * (double(q.p2.y) - q.p1.y);
            return 2.0 * std::sqrt(dx * dx + dy * dy);
        };
        double m = (double(t0) + t1) / 2.0, h = (double(t1) - t0) / 2.0;
        double expected = h * (speed(m + node * h) + speed(m - node * h));
        float length = q.GetArcLength(t0, t1);
        EXPECT_NEAR(length, expected, 1e-5 * (1.0 + std::fabs(expected)));
        EXPECT_EQ(q.GetArcLength(t1, t0), -length);

        // A loose bound against fine quadrature for gently curved pieces (control legs within 30 degrees
        // and of similar length).
        Vector2D leg0 = q.p1 - q.p0, leg1 = q.p2 - q.p1;
        double lengths = std::sqrt(double(SquaredMag(leg0)) * SquaredMag(leg1));
        double ratio = SquaredMag(leg0) / (SquaredMag(leg1) + 1e-30);
        if (Dot(leg0, leg1) > 0.0f && std::fabs(Cross(leg0, leg1)) < 0.5 * lengths && ratio > 0.1 && ratio < 10.0)
        {
            ++gentle;
            double exact = 0.0;
            const int steps = 4096;
            double a = t0, b = t1;
            for (int i = 0; i < steps; ++i)
            {
                double x0 = a + (b - a) * i / steps, x1 = a + (b - a) * (i + 1) / steps;
                exact += (x1 - x0) / 6.0 * (speed(x0) + 4.0 * speed((x0 + x1) / 2.0) + speed(x1));
            }
            EXPECT_NEAR(length, exact, 0.02 * std::fabs(exact) + 1e-5);
        }
    }
    EXPECT_GT(gentle, 10);
}

TEST(ConvertCubicToQuadratics, EdgeCases)
{
    QuadraticBezier2D out[kMaxCubicQuadratics];

    // Four points on one horizontal line: one straight segment.
    CubicBezier2D flat = MakeCubic(0, 3, 1, 3, -1, 3, 5, 3);
    ASSERT_EQ(ConvertCubicToQuadratics(flat, kTolerance, out), 1);
    EXPECT_EQ(out[0].p0.x, 0.0f);
    EXPECT_EQ(out[0].p1.x, 5.0f);
    EXPECT_EQ(out[0].p2.x, 5.0f);
    EXPECT_EQ(out[0].p2.y, 3.0f);

    // The degree elevation of a quadratic gives that quadratic back exactly.
    CubicBezier2D elevated = MakeCubic(0, 0, 2.0f / 3, 4.0f / 3, 4.0f / 3, 4.0f / 3, 2, 0);
    ASSERT_EQ(ConvertCubicToQuadratics(elevated, kTolerance, out), 1);
    EXPECT_EQ(out[0].p0.x, 0.0f);
    EXPECT_EQ(out[0].p0.y, 0.0f);
    EXPECT_EQ(out[0].p1.x, 1.0f);
    EXPECT_EQ(out[0].p1.y, 2.0f);
    EXPECT_EQ(out[0].p2.x, 2.0f);
    EXPECT_EQ(out[0].p2.y, 0.0f);

    // The symmetric S splits first at its inflection t = 1/2, the point (1.5, 0).
    CubicBezier2D s = MakeCubic(0, 0, 1, 1, 2, -1, 3, 0);
    int32_t count = ConvertCubicToQuadratics(s, kTolerance, out);
    ASSERT_GE(count, 2);
    bool splitAtMiddle = false;
    for (int32_t i = 0; i + 1 < count; ++i)
    {
        splitAtMiddle = splitAtMiddle || (std::fabs(out[i].p2.x - 1.5f) < 1e-6f && std::fabs(out[i].p2.y) < 1e-6f);
    }
    EXPECT_TRUE(splitAtMiddle);
    EXPECT_EQ(count % 2, 0);

    // An inflection at t = 0.01 lies below 1/64: no joint lands near B(0.01).
    CubicBezier2D early = MakeCubic(0, 0, 1.0f / 3, 0, 2.0f / 3, -0.01f, 1, 0.97f);
    count = ConvertCubicToQuadratics(early, kTolerance, out);
    D2 inflection = EvaluateDouble(early, 0.01);
    for (int32_t i = 0; i + 1 < count; ++i)
    {
        EXPECT_GT(std::hypot(out[i].p2.x - inflection.x, out[i].p2.y - inflection.y), 0.05);
    }

    // A point gives one degenerate segment.
    CubicBezier2D point = MakeCubic(1, 1, 1, 1, 1, 1, 1, 1);
    ASSERT_EQ(ConvertCubicToQuadratics(point, kTolerance, out), 1);
    EXPECT_EQ(out[0].p1.x, 1.0f);

    // Non-finite coordinates from damaged data stay within the output's room and still end at p3.
    const float bad[] = {NAN, INFINITY, -INFINITY, 3e38f};
    for (float value : bad)
    {
        for (int k = 0; k < 8; ++k)
        {
            CubicBezier2D c = MakeCubic(0, 0, 1, 2, 3, -1, 4, 1);
            float *coordinates[8] = {&c.p0.x, &c.p0.y, &c.p1.x, &c.p1.y, &c.p2.x, &c.p2.y, &c.p3.x, &c.p3.y};
            *coordinates[k] = value;
            count = ConvertCubicToQuadratics(c, kTolerance, out);
            EXPECT_GE(count, 1);
            EXPECT_LE(count, kMaxCubicQuadratics);
            EXPECT_TRUE(SameBits(out[count - 1].p2.x, c.p3.x) && SameBits(out[count - 1].p2.y, c.p3.y));
        }
    }
}

TEST(ConvertCubicToQuadratics, HardCubicsGiveFiniteContinuousOutput)
{
    const float tolerances[] = {kTolerance, 1e-2f, 1e-7f, 0.0f};
    double worst = 0.0;
    for (float tolerance : tolerances)
    {
        for (const CubicBezier2D &c : HardCubics())
        {
            SCOPED_TRACE(testing::Message() << "cubic (" << c.p0.x << "," << c.p0.y << ") (" << c.p1.x << ","
                                            << c.p1.y << ") (" << c.p2.x << "," << c.p2.y << ") (" << c.p3.x
                                            << "," << c.p3.y << ") tolerance " << tolerance);
            ExpectValidConversion(c, tolerance, &worst);
        }
    }
    std::printf("largest distance from a cubic to its quadratics: %.3g of the control box side\n", worst);
}

TEST(ConvertCubicPieceToQuadratics, AcceptedFitsAreWithinTolerance)
{
    // Pieces in the normalised frame of the conversion, cut at several ranges of each hard cubic.
    const float ranges[][2] = {{0.0f, 1.0f}, {0.0f, 0.5f}, {0.5f, 1.0f}, {0.2f, 0.7f}, {0.0f, 0.3f}};
    const float tolerances[] = {kTolerance, 1e-2f, 1e-4f};
    double worstThreeWay = 0.0;
    int counts[4] = {0, 0, 0, 0};
    for (const CubicBezier2D &c : HardCubics())
    {
        const Point2D points[4] = {c.p0, c.p1, c.p2, c.p3};
        Box2D box;
        box.Calculate(4, points);
        float size = std::fmax(box.max.x - box.min.x, box.max.y - box.min.y);
        if (!(size > 0.0f)) continue;
        CubicBezier2D working(Point2D(0.0f, 0.0f), Point2D((c.p1 - c.p0) / size), Point2D((c.p2 - c.p0) / size),
                              Point2D((c.p3 - c.p0) / size));
        for (const auto &range : ranges)
        {
            CubicBezier2D piece = working.GetSubcurve(range[0], range[1]);
            for (float tolerance : tolerances)
            {
                QuadraticBezier2D out[3];
                int32_t count = ConvertCubicPieceToQuadratics(piece, tolerance, out);
                ASSERT_GE(count, 1);
                ASSERT_LE(count, 3);
                ++counts[count];
                for (int32_t i = 0; i < count; ++i)
                {
                    double a = double(i) / count, b = double(i + 1) / count;
                    double deviation = DeviationDouble(piece, a, b, out[i]);
                    if (count < 3)
                    {
                        EXPECT_LE(deviation, tolerance * 1.001 + 1e-6) << "piece " << i << " of " << count;
                    }
                    else
                    {
                        EXPECT_TRUE(IsFinite(out[i].p1));
                        if (std::isfinite(deviation)) worstThreeWay = std::fmax(worstThreeWay, deviation);
                    }
                }
            }
        }
    }
    EXPECT_GT(counts[1], 0);
    EXPECT_GT(counts[2], 0);
    EXPECT_GT(counts[3], 0);
    std::printf("pieces fitted by 1, 2, 3 quadratics: %d, %d, %d; worst three-way deviation %.3g\n", counts[1],
                counts[2], counts[3], worstThreeWay);
}

TEST(ConvertCubicPieceToQuadratics, ParallelTangentsNeverLeaveNonFiniteFits)
{
    // Straight piece with doubled end points: every fit has parallel tangents.
    CubicBezier2D straight = MakeCubic(0, 0, 0, 0, 1, 0, 1, 0);
    QuadraticBezier2D out[3];
    ASSERT_EQ(ConvertCubicPieceToQuadratics(straight, kTolerance, out), 3);
    for (const QuadraticBezier2D &q : out)
    {
        EXPECT_TRUE(IsFinite(q.p0) && IsFinite(q.p1) && IsFinite(q.p2));
        EXPECT_EQ(q.p1.y, 0.0f);
    }
    EXPECT_EQ(out[2].p2.x, 1.0f);

    // The replacement passes through the piece's midpoint.
    CubicBezier2D third = straight.GetSubcurve(2.0f / 3.0f, 1.0f);
    D2 middle = EvaluateDouble(third, 0.5);
    D2 through = EvaluateDouble(out[2], 0.5);
    EXPECT_NEAR(through.x, middle.x, 1e-6);

    // Tangents vertical at t = 0 and t = 1/2: the first half's fit is not finite while the second half
    // fits well. A failed half must not pass because the other one did.
    CubicBezier2D piece = MakeCubic(0, 0, 0, 1, -1, 2, 1, 3);
    CubicBezier2D first = piece.GetSubcurve(0.0f, 0.5f);
    CubicBezier2D second = piece.GetSubcurve(0.5f, 1.0f);
    QuadraticBezier2D firstFit = FitQuadraticToCubic(first);
    EXPECT_FALSE(IsFinite(firstFit.p1));
    EXPECT_TRUE(std::isnan(GetCubicQuadraticDeviation(first, firstFit)));
    float whole = GetCubicQuadraticDeviation(piece, FitQuadraticToCubic(piece));
    float secondDeviation = GetCubicQuadraticDeviation(second, FitQuadraticToCubic(second));
    ASSERT_LT(secondDeviation, whole);
    float tolerance = (secondDeviation + whole) * 0.5f;
    ASSERT_EQ(ConvertCubicPieceToQuadratics(piece, tolerance, out), 3);
    for (const QuadraticBezier2D &q : out) EXPECT_TRUE(IsFinite(q.p1));
}

TEST(Bezier, FitAndDeviation)
{
    // The fit keeps the end points and meets the end tangents.
    CubicBezier2D c = MakeCubic(0, 0, 1, 2, 3, 2, 4, 0);
    QuadraticBezier2D q = FitQuadraticToCubic(c);
    EXPECT_EQ(q.p0.x, 0.0f);
    EXPECT_EQ(q.p2.x, 4.0f);
    EXPECT_NEAR(q.p1.x, 2.0f, 1e-6);
    EXPECT_NEAR(q.p1.y, 4.0f, 1e-6);

    // A short start tangent falls back to p2 - p0.
    CubicBezier2D shortStart = MakeCubic(0, 0, 0.0001f, 0, 1, 1, 2, 0);
    QuadraticBezier2D fallback = FitQuadraticToCubic(shortStart);
    EXPECT_NEAR(fallback.p1.x, fallback.p1.y, 1e-5);

    // The deviation of a cubic from its exact quadratic is zero, and it matches the double measure.
    CubicBezier2D elevated = MakeCubic(0, 0, 2.0f / 3, 4.0f / 3, 4.0f / 3, 4.0f / 3, 2, 0);
    QuadraticBezier2D exact(Point2D(0.0f, 0.0f), Point2D(1.0f, 2.0f), Point2D(2.0f, 0.0f));
    EXPECT_NEAR(GetCubicQuadraticDeviation(elevated, exact), 0.0f, 1e-6);
    QuadraticBezier2D off(Point2D(0.0f, 0.0f), Point2D(1.0f, 3.0f), Point2D(2.0f, 0.0f));
    EXPECT_NEAR(GetCubicQuadraticDeviation(elevated, off), DeviationDouble(elevated, 0.0, 1.0, off), 1e-5);
}

}  // namespace
}  // namespace oq
