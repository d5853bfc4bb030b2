#include "vorlfont/compiler/OutlineEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace oq {
namespace {

QuadraticBezier2D Line(float x0, float y0, float x1, float y1)
{
    return QuadraticBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x1, y1));
}

// The unit square, counter-clockwise, or clockwise when reversed.
std::vector<QuadraticBezier2D> Square(bool clockwise)
{
    const float x[5] = {0, 1, 1, 0, 0}, y[5] = {0, 0, 1, 1, 0};
    std::vector<QuadraticBezier2D> curves;
    for (int32_t i = 0; i < 4; ++i)
    {
        if (clockwise)
            curves.push_back(Line(x[4 - i], y[4 - i], x[3 - i], y[3 - i]));
        else
            curves.push_back(Line(x[i], y[i], x[i + 1], y[i + 1]));
    }
    return curves;
}

std::vector<QuadraticBezier2D> Outline(const std::vector<QuadraticBezier2D> &in, float size, float miter, uint32_t join)
{
    Array<QuadraticBezier2D> out;
    int32_t n = BuildGlyphCurveList(int32_t(in.size()), in.data(), size, miter, join, &out);
    EXPECT_EQ(n, out.GetElementCount());
    return std::vector<QuadraticBezier2D>(out.begin(), out.end());
}

// Every output curve starts where the previous one ended, and the whole is one closed loop.
void ExpectClosedLoop(const std::vector<QuadraticBezier2D> &out)
{
    ASSERT_FALSE(out.empty());
    for (size_t i = 0; i < out.size(); ++i)
    {
        const QuadraticBezier2D &next = out[(i + 1) % out.size()];
        EXPECT_EQ(out[i].p2.x, next.p0.x) << i;
        EXPECT_EQ(out[i].p2.y, next.p0.y) << i;
    }
}

TEST(OutlineEffect, SquareGetsMitredCornersInExactNumbers)
{
    const float s = 0.02f;
    std::vector<QuadraticBezier2D> out = Outline(Square(false), s, 4.0f, 'BEVL');
    // Per side: the offset side, then the mitre pair out to the corner and back.
    const float e[12][6] = {
        {0, -s, 0, -s, 1, -s},         {1, -s, 1, -s, 1 + s, -s},     {1 + s, -s, 1 + s, 0, 1 + s, 0},
        {1 + s, 0, 1 + s, 0, 1 + s, 1}, {1 + s, 1, 1 + s, 1, 1 + s, 1 + s}, {1 + s, 1 + s, 1, 1 + s, 1, 1 + s},
        {1, 1 + s, 1, 1 + s, 0, 1 + s}, {0, 1 + s, 0, 1 + s, -s, 1 + s}, {-s, 1 + s, -s, 1, -s, 1},
        {-s, 1, -s, 1, -s, 0},         {-s, 0, -s, 0, -s, -s},        {-s, -s, 0, -s, 0, -s},
    };
    ASSERT_EQ(out.size(), 12u);
    for (size_t i = 0; i < 12; ++i)
    {
        const float got[6] = {out[i].p0.x, out[i].p0.y, out[i].p1.x, out[i].p1.y, out[i].p2.x, out[i].p2.y};
        for (int32_t k = 0; k < 6; ++k) EXPECT_NEAR(got[k], e[i][k], 1e-6f) << "curve " << i << " value " << k;
    }
    ExpectClosedLoop(out);
}

// The farthest distance of any output point from the unit square, and the output's box.
float FarthestFromSquare(const std::vector<QuadraticBezier2D> &out, float *box)
{
    float farthest = 0;
    box[0] = box[1] = 1e9f;
    box[2] = box[3] = -1e9f;
    for (const QuadraticBezier2D &c : out)
        for (const Point2D &p : {c.p0, c.p1, c.p2})
        {
            float dx = std::fmax(std::fmax(-p.x, p.x - 1), 0), dy = std::fmax(std::fmax(-p.y, p.y - 1), 0);
            farthest = std::fmax(farthest, std::sqrt(dx * dx + dy * dy));
            box[0] = std::fmin(box[0], p.x), box[1] = std::fmin(box[1], p.y);
            box[2] = std::fmax(box[2], p.x), box[3] = std::fmax(box[3], p.y);
        }
    return farthest;
}

TEST(OutlineEffect, JoinsAndDirections)
{
    struct Case
    {
        const char *name;
        bool clockwise;
        float miter;
        uint32_t join;
        size_t curves;
        float farthest;  // from the square: s √2 at a mitre; a cut at s m leaves s √(4 - 2√2) at m = 1
    };
    const float s = 0.02f;
    const Case cases[] = {
        {"mitre, counter-clockwise", false, 4.0f, 'BEVL', 12, s * std::sqrt(2.0f)},
        {"mitre, clockwise", true, 4.0f, 'BEVL', 12, s * std::sqrt(2.0f)},
        {"miter 1 bevels", false, 1.0f, 'BEVL', 16, s * std::sqrt(4.0f - 2.0f * std::sqrt(2.0f))},
        {"miter 1 rounds", true, 1.0f, 'ROND', 12, s * std::sqrt(4.0f - 2.0f * std::sqrt(2.0f))},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<QuadraticBezier2D> out = Outline(Square(c.clockwise), s, c.miter, c.join);
        EXPECT_EQ(out.size(), c.curves);
        float box[4];
        float farthest = FarthestFromSquare(out, box);
        EXPECT_NEAR(farthest, c.farthest, 2e-5f);
        // Grown on every side.
        EXPECT_NEAR(box[0], -s, 1e-5f);
        EXPECT_NEAR(box[1], -s, 1e-5f);
        EXPECT_NEAR(box[2], 1 + s, 1e-5f);
        EXPECT_NEAR(box[3], 1 + s, 1e-5f);
        ExpectClosedLoop(out);
    }
}

TEST(OutlineEffect, ReusedOutputKeepsItsRoom)
{
    // One output array for many glyphs, as the compile uses it: the room does not grow per call.
    std::vector<QuadraticBezier2D> square = Square(false);
    Array<QuadraticBezier2D> out;
    for (int32_t i = 0; i < 100; ++i)
        ASSERT_EQ(BuildGlyphCurveList(4, square.data(), 0.02f, 4.0f, 'BEVL', &out), 12);
    EXPECT_LE(out.GetReservedCount(), 64);
}

TEST(OutlineEffect, SmoothContourGetsNoJoins)
{
    // A circle of 16 arcs: the tangents are continuous at every joint.
    std::vector<QuadraticBezier2D> circle;
    const float pi = 3.14159265f;
    float half = pi / 16.0f, r = 1.0f / std::cos(half);
    for (int32_t i = 0; i < 16; ++i)
    {
        float a0 = 2 * pi * float(i) / 16, a1 = 2 * pi * float((i + 1) % 16) / 16, am = a0 + half;
        circle.emplace_back(Point2D(std::cos(a0), std::sin(a0)), Point2D(r * std::cos(am), r * std::sin(am)),
                            Point2D(std::cos(a1), std::sin(a1)));
    }
    for (size_t i = 0; i + 1 < 16; ++i) circle[i].p2 = circle[i + 1].p0;
    circle[15].p2 = circle[0].p0;
    std::vector<QuadraticBezier2D> out = Outline(circle, 0.1f, 4.0f, 'ROND');
    ASSERT_EQ(out.size(), 16u);
    for (const QuadraticBezier2D &c : out) EXPECT_NEAR(std::hypot(c.p2.x, c.p2.y), 1.1f, 1e-4f);
}

TEST(OutlineEffect, DamagedContoursGiveFiniteOutputWithinTheRoom)
{
    struct Case
    {
        const char *name;
        std::vector<QuadraticBezier2D> curves;
    };
    const Case cases[] = {
        {"open last contour", {Line(0, 0, 1, 0), Line(1, 0, 1, 1), Line(1, 1, 0.5f, 1)}},
        {"open contour before a closed one",
         {Line(0, 0, 1, 0), Line(1, 0, 1, 1), Line(5, 5, 6, 5), Line(6, 5, 6, 6), Line(6, 6, 5, 5)}},
        {"zero-length curve", {Line(0, 0, 1, 0), Line(1, 0, 1, 0), Line(1, 0, 0, 1), Line(0, 1, 0, 0)}},
        {"turns back on itself", {Line(0, 0, 1, 0), Line(1, 0, 0, 0)}},
        {"turns back along a curve",
         {QuadraticBezier2D(Point2D(0, 0), Point2D(1, 1), Point2D(2, 0)), Line(2, 0, 3, -1), Line(3, -1, 0, 0)}},
        {"only a point", {Line(1, 1, 1, 1)}},
        {"single curve", {QuadraticBezier2D(Point2D(0, 0), Point2D(1, 1), Point2D(2, 0))}},
        {"empty", {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        for (uint32_t join : {uint32_t('BEVL'), uint32_t('ROND')})
            for (float miter : {1.0f, 4.0f})
            {
                Array<QuadraticBezier2D> out;
                int32_t n = BuildGlyphCurveList(int32_t(c.curves.size()), c.curves.data(), 0.05f, miter, join, &out);
                EXPECT_LE(n, 5 * int32_t(c.curves.size()));
                for (const QuadraticBezier2D &q : out)
                    for (float v : {q.p0.x, q.p0.y, q.p1.x, q.p1.y, q.p2.x, q.p2.y}) ASSERT_TRUE(std::isfinite(v));
            }
    }
}

}  // namespace
}  // namespace oq
