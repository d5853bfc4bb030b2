#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "vorl/geometry/EllipsePaths.h"

namespace oq {
namespace {

bool SamePoint(const Point2D &a, const Point2D &b) { return std::memcmp(&a, &b, sizeof(Point2D)) == 0; }

// Each curve starts bit for bit where the previous ends; the last ends where the first starts.
void ExpectClosedChain(const std::vector<QuadraticBezier2D> &curves)
{
    ASSERT_FALSE(curves.empty());
    for (size_t i = 0; i < curves.size(); i++)
    {
        const QuadraticBezier2D &next = curves[(i + 1) % curves.size()];
        EXPECT_TRUE(SamePoint(curves[i].p2, next.p0)) << "after curve " << i;
    }
}

// Twice the signed area of the control polygon of the outline: positive counter-clockwise (y up).
float TwiceArea(const std::vector<QuadraticBezier2D> &curves)
{
    double sum = 0;
    for (const QuadraticBezier2D &c : curves)
    {
        sum += double(c.p0.x) * c.p1.y - double(c.p1.x) * c.p0.y;
        sum += double(c.p1.x) * c.p2.y - double(c.p2.x) * c.p1.y;
    }
    return float(sum);
}

void ExpectPoint(const Point2D &p, float x, float y)
{
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
}

TEST(EllipsePaths, ArcsCountAndPlaceTheirSegments)
{
    std::vector<QuadraticBezier2D> full(12);
    ASSERT_EQ(AppendEllipseCurves(0, 0, 1, 1, full.data(), 0, 11), 12);
    ExpectClosedChain(full);
    EXPECT_TRUE(SamePoint(full[0].p0, Point2D(1, 0)));
    EXPECT_GT(TwiceArea(full), 0.0f);

    // Segments 12 and 13 repeat 0 and 1: an arc from -60 to +60 degrees.
    std::vector<QuadraticBezier2D> arc(4);
    ASSERT_EQ(AppendEllipseCurves(0, 0, 1, 1, arc.data(), 10, 13), 4);
    ExpectPoint(arc[0].p0, 0.5f, -0.866026f);
    EXPECT_TRUE(SamePoint(arc[2].p0, Point2D(1, 0)));
    ExpectPoint(arc[3].p2, 0.5f, 0.866026f);

    QuadraticBezier2D untouched[1];
    std::memset(untouched, 0x7F, sizeof(untouched));
    EXPECT_EQ(AppendEllipseCurves(0, 0, 1, 1, untouched, 3, 2), 0);
    unsigned char pattern[sizeof(untouched)];
    std::memset(pattern, 0x7F, sizeof(pattern));
    EXPECT_EQ(std::memcmp(untouched, pattern, sizeof(pattern)), 0);
    EXPECT_EQ(AppendEllipseCurves(0, 0, 1, 1, nullptr, 0, 5), 6);
    EXPECT_EQ(AppendEllipseCurvesReversed(0, 0, 1, 1, nullptr, 0, 5), 6);

    QuadraticBezier2D stretched;
    ASSERT_EQ(AppendEllipseCurves(10, 20, 2, 1, &stretched, 0, 0), 1);
    ExpectPoint(stretched.p0, 12, 20);
    ExpectPoint(stretched.p1, 12, 20.26795f);
    ExpectPoint(stretched.p2, 11.732052f, 20.5f);
}

TEST(EllipsePaths, ReversedArcRunsBackwards)
{
    std::vector<QuadraticBezier2D> forward(5), backward(5);
    ASSERT_EQ(AppendEllipseCurves(3, -2, 4, 1.5f, forward.data(), 2, 6), 5);
    ASSERT_EQ(AppendEllipseCurvesReversed(3, -2, 4, 1.5f, backward.data(), 2, 6), 5);
    for (int i = 0; i < 5; i++)
    {
        const QuadraticBezier2D &f = forward[4 - i];
        EXPECT_TRUE(SamePoint(backward[i].p0, f.p2) && SamePoint(backward[i].p1, f.p1) &&
                    SamePoint(backward[i].p2, f.p0))
            << i;
    }
}

using RectFunction = int32_t (*)(float, float, float, float, float, float, QuadraticBezier2D *);

struct RectCase
{
    const char *name;
    RectFunction function;
    int32_t rounded;  // count with rounded corners
    bool clockwise;
};

const RectCase kRectCases[] = {
    {"full", AppendRoundedRectCurves, 16, false},
    {"reversed", AppendRoundedRectCurvesReversed, 16, true},
    {"left", AppendLeftRoundedRectCurves, 10, false},
    {"right", AppendRightRoundedRectCurves, 10, false},
};

std::vector<QuadraticBezier2D> MakeRect(const RectCase &c, float x0, float y0, float x1, float y1, float rx, float ry)
{
    int32_t n = c.function(x0, y0, x1, y1, rx, ry, nullptr);
    std::vector<QuadraticBezier2D> curves(size_t(n > 0 ? n : 0));
    EXPECT_EQ(c.function(x0, y0, x1, y1, rx, ry, curves.data()), n);
    return curves;
}

TEST(EllipsePaths, EveryRoundedFormIsAClosedChainOfItsOrientation)
{
    struct Geometry
    {
        float x0, y0, x1, y1, rx, ry;
        bool plain;
    };
    const Geometry geometries[] = {
        {0, 0, 10, 4, 3, 3, false},    // radii limited to (3, 2)
        {0, 0, 4, 4, 2, 2, false},     // sides of zero length are still written
        {-7.3f, 1.1f, 2.9f, 8.6f, 1.7f, 0.9f, false},
        {0, 0, 5, 3, 0, 1, true},
        {0, 0, 5, 3, 1, 0, true},
        {0, 0, 0, 3, 1, 1, true},       // no width
    };
    for (const RectCase &c : kRectCases)
    {
        for (const Geometry &g : geometries)
        {
            SCOPED_TRACE(testing::Message() << c.name << " " << g.x1 << "x" << g.y1 << " r " << g.rx << "," << g.ry);
            std::vector<QuadraticBezier2D> curves = MakeRect(c, g.x0, g.y0, g.x1, g.y1, g.rx, g.ry);
            ASSERT_EQ(int32_t(curves.size()), g.plain ? 4 : c.rounded);
            ExpectClosedChain(curves);
            if (g.x1 > g.x0)
            {
                EXPECT_EQ(TwiceArea(curves) < 0.0f, c.clockwise);
            }
            for (const QuadraticBezier2D &q : curves)
            {
                EXPECT_TRUE(q.p0.x >= g.x0 && q.p0.x <= g.x1 && q.p0.y >= g.y0 && q.p0.y <= g.y1);
                EXPECT_TRUE(q.p1.x >= g.x0 && q.p1.x <= g.x1 && q.p1.y >= g.y0 && q.p1.y <= g.y1);
            }
        }
    }
}

TEST(EllipsePaths, RoundedRectanglesStartWhereTheyShould)
{
    // A 10 x 4 rectangle with radii (3, 3) has elliptic corners of radii (3, 2).
    std::vector<QuadraticBezier2D> full = MakeRect(kRectCases[0], 0, 0, 10, 4, 3, 3);
    ASSERT_EQ(full.size(), 16u);
    ExpectPoint(full[0].p0, 3, 0);
    ExpectPoint(full[0].p2, 7, 0);
    EXPECT_EQ(full[0].p1.x, full[0].p2.x);  // straight side
    ExpectPoint(full[1].p2, 7 + 3 * 0.5f, 2 - 2 * 0.866026f);
    ExpectPoint(full[3].p2, 10, 2);
    ExpectPoint(full[4].p2, 10, 2);  // the right side has zero length here
    ExpectPoint(full[8].p0, 7, 4);
    ExpectPoint(full[12].p0, 0, 2);

    std::vector<QuadraticBezier2D> reversed = MakeRect(kRectCases[1], 0, 0, 10, 4, 3, 3);
    ExpectPoint(reversed[0].p0, 3, 0);
    for (int i = 0; i < 16; i++)
        EXPECT_TRUE(SamePoint(reversed[i].p0, full[15 - i].p2) && SamePoint(reversed[i].p2, full[15 - i].p0));

    std::vector<QuadraticBezier2D> left = MakeRect(kRectCases[2], 0, 0, 10, 4, 1, 1);
    ExpectPoint(left[0].p0, 1, 0);
    ExpectPoint(left[0].p2, 10, 0);
    ExpectPoint(left[2].p2, 1, 4);
    std::vector<QuadraticBezier2D> right = MakeRect(kRectCases[3], 0, 0, 10, 4, 1, 1);
    ExpectPoint(right[0].p0, 0, 0);
    ExpectPoint(right[0].p2, 9, 0);
    ExpectPoint(right[9].p0, 0, 4);

    // Plain rectangles: counter-clockwise from the minimum corner, the reversed form clockwise.
    std::vector<QuadraticBezier2D> plain = MakeRect(kRectCases[0], 1, 2, 5, 3, 0, 0);
    const float ccw[4][2] = {{5, 2}, {5, 3}, {1, 3}, {1, 2}};
    std::vector<QuadraticBezier2D> plainReversed = MakeRect(kRectCases[1], 1, 2, 5, 3, 0, 0);
    const float cw[4][2] = {{1, 3}, {5, 3}, {5, 2}, {1, 2}};
    for (int i = 0; i < 4; i++)
    {
        ExpectPoint(plain[i].p2, ccw[i][0], ccw[i][1]);
        ExpectPoint(plainReversed[i].p2, cw[i][0], cw[i][1]);
    }
}

}  // namespace
}  // namespace oq
