// The control point of offset-arc pieces: where the end tangents meet, the chord's midpoint when
// they are parallel.
#include "editor/drawing/TangentIntersection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace oq {
namespace {

TEST(TangentIntersectionTest, MeetingPointOrMidpoint)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const double c10 = std::cos(M_PI / 18.0), s10 = std::sin(M_PI / 18.0);
    struct Case
    {
        const char *name;
        Point2D a;
        Vector2D na;
        Point2D b;
        Vector2D nb;
        Point2D expected;
    };
    const Case cases[] = {
        {"quarter circle", Point2D(1, 0), Vector2D(1, 0), Point2D(0, 1), Vector2D(0, 1), Point2D(1, 1)},
        {"normals of any length", Point2D(1, 0), Vector2D(5, 0), Point2D(0, 1), Vector2D(0, 0.25f), Point2D(1, 1)},
        // Radius 10 from 0 to 20 degrees: on the bisector at 10 / cos 10 degrees.
        {"short arc", Point2D(10, 0), Vector2D(1, 0), Point2D(float(10 * std::cos(M_PI / 9)), float(10 * std::sin(M_PI / 9))),
         Vector2D(float(std::cos(M_PI / 9)), float(std::sin(M_PI / 9))), Point2D(float(10 / c10 * c10), float(10 / c10 * s10))},
        {"same end, same normal", Point2D(0, 3), Vector2D(0, 1), Point2D(0, 3), Vector2D(0, 1), Point2D(0, 3)},
        {"parallel tangents", Point2D(0, 1), Vector2D(0, 1), Point2D(2, 1), Vector2D(0, 1), Point2D(1, 1)},
        {"nearly parallel", Point2D(0, 1), Vector2D(0, 1), Point2D(2, 1), Vector2D(1e-8f, 1), Point2D(1, 1)},
        {"opposite normals", Point2D(0, 1), Vector2D(0, 1), Point2D(2, -1), Vector2D(0, -1), Point2D(1, 0)},
        {"zero normal", Point2D(4, 0), Vector2D(0, 0), Point2D(0, 4), Vector2D(0, 1), Point2D(2, 2)},
        {"not a number", Point2D(4, 0), Vector2D(nan, 0), Point2D(0, 4), Vector2D(0, 1), Point2D(2, 2)},
        {"beyond the float range", Point2D(1e38f, 0), Vector2D(1, 0), Point2D(0, 3e38f), Vector2D(1, 1e-5f),
         Point2D(5e37f, 1.5e38f)},
        // Tangents 1e-4 apart meet 1000 away from a chord of 2: rounding, not a curve.
        {"far beyond the chord", Point2D(0, 1), Vector2D(0, 1), Point2D(2, 1.1f), Vector2D(1e-4f, 1), Point2D(1, 1.05f)},
        {"within the chord", Point2D(0, 0), Vector2D(-1, 0), Point2D(1, 1), Vector2D(0, 1), Point2D(0, 1)},
    };
    for (const Case &c : cases)
    {
        Point2D p = IntersectOffsetTangents(c.a, c.na, c.b, c.nb);
        float tolerance = 1e-5f * (1.0f + std::fabs(c.expected.x) + std::fabs(c.expected.y));
        EXPECT_NEAR(p.x, c.expected.x, tolerance) << c.name;
        EXPECT_NEAR(p.y, c.expected.y, tolerance) << c.name;
    }
}

// Very short pieces of a flat ellipse, where float rounding of the ends outweighs the turn of the
// tangents, keep their control point near the chord.
TEST(TangentIntersectionTest, ShortPiecesStayOnTheirChord)
{
    const float rx = 40.0f, ry = 2.0f;
    for (int32_t i = 0; i < 200; ++i)
    {
        float t0 = float(i) * 0.0078f;
        float t1 = t0 + 1e-4f;
        auto point = [&](float t) { return Point2D(rx * std::cos(t), ry * std::sin(t)); };
        auto normal = [&](float t) {
            Vector2D n(std::cos(t) * ry, std::sin(t) * rx);
            return n / std::sqrt(n.x * n.x + n.y * n.y);
        };
        Point2D a = point(t0), b = point(t1);
        Point2D p = IntersectOffsetTangents(a, normal(t0), b, normal(t1));
        float chord = std::hypot(b.x - a.x, b.y - a.y);
        EXPECT_LE(std::hypot(p.x - (a.x + b.x) / 2, p.y - (a.y + b.y) / 2), chord) << t0;
    }
}

}  // namespace
}  // namespace oq
