#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/Half.h"
#include "vorl/geometry/BoundingPolygon.h"
#include "vorl/geometry/EllipsePaths.h"

namespace oq {
namespace {

QuadraticBezier2D Line(float x0, float y0, float x1, float y1)
{
    return QuadraticBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x1, y1));
}

// A closed polygon path through the points.
std::vector<QuadraticBezier2D> PolygonPath(const std::vector<Point2D> &points)
{
    std::vector<QuadraticBezier2D> curves;
    for (size_t i = 0; i < points.size(); i++)
    {
        const Point2D &a = points[i], &b = points[(i + 1) % points.size()];
        curves.push_back(Line(a.x, a.y, b.x, b.y));
    }
    return curves;
}

std::vector<Point2D> ReadVertices(const uint16_t *halves, int n)
{
    std::vector<Point2D> v;
    for (int k = 0; k < n; k++)
        v.emplace_back(HalfToFloat(&halves[2 * k]), HalfToFloat(&halves[2 * k + 1]));
    return v;
}

uint16_t Compute(const std::vector<std::vector<QuadraticBezier2D>> &lists, uint16_t *halves, int32_t maximum,
                 float factor)
{
    std::vector<int32_t> counts;
    std::vector<const QuadraticBezier2D *> pointers;
    for (const auto &list : lists)
    {
        counts.push_back(int32_t(list.size()));
        pointers.push_back(list.data());
    }
    return ComputeBoundingPolygon(int32_t(lists.size()), counts.data(), pointers.data(), halves, maximum, factor);
}

TEST(BoundingPolygon, StraightTrianglesAndQuadrilateralsAreTheirOwnPolygon)
{
    struct Case
    {
        const char *name;
        std::vector<Point2D> path;  // curve end points follow the first point
        uint16_t word;
        std::vector<Point2D> vertices;
    };
    const Case cases[] = {
        {"counter-clockwise triangle", {{0, 0}, {4, 0}, {0, 3}}, 3, {{4, 0}, {0, 3}, {0, 0}}},
        {"clockwise triangle", {{0, 0}, {0, 3}, {4, 0}}, 3, {{0, 0}, {4, 0}, {0, 3}}},
        {"square", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 0x104, {{1, 0}, {1, 1}, {0, 1}, {0, 0}}},
        {"clockwise square", {{0, 0}, {0, 1}, {1, 1}, {1, 0}}, 0x104, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
        {"shorter diagonal 0-2", {{0, 0}, {1, -1}, {4, 0}, {1, 1}}, 0x104, {{1, -1}, {4, 0}, {1, 1}, {0, 0}}},
        {"shorter diagonal 1-3", {{0, 0}, {1, -1}, {2, 0}, {1, 3}}, 0x204, {{1, -1}, {2, 0}, {1, 3}, {0, 0}}},
        // A dart: the reflex corner takes the diagonal through it whatever the orientation.
        {"dart, reflex Q0", {{0, 0}, {2, 1}, {4, 0}, {2, 4}}, 0x104, {{2, 1}, {4, 0}, {2, 4}, {0, 0}}},
        {"dart clockwise, reflex Q1", {{0, 0}, {2, 4}, {4, 0}, {2, 1}}, 0x204, {{0, 0}, {2, 1}, {4, 0}, {2, 4}}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        for (int32_t maximum : {1, 4, 6})
        {
            uint16_t halves[12] = {};
            ASSERT_EQ(Compute({PolygonPath(c.path)}, halves, maximum, 5.0f), c.word);
            std::vector<Point2D> v = ReadVertices(halves, c.word & 0xF);
            for (size_t k = 0; k < v.size(); k++)
            {
                EXPECT_EQ(v[k].x, c.vertices[k].x) << k;
                EXPECT_EQ(v[k].y, c.vertices[k].y) << k;
            }
        }
    }
}

TEST(BoundingPolygon, DegenerateInputsGiveNoPolygon)
{
    uint16_t halves[12];
    for (uint16_t &h : halves)
        h = 0x1234;
    std::vector<QuadraticBezier2D> square = PolygonPath({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    EXPECT_EQ(Compute({square}, halves, 0, 1.0f), 0);
    EXPECT_EQ(Compute({PolygonPath({{0, 0}, {1, 0}})}, halves, 6, 1.0f), 0);
    // Every point on one line: no edge of the support polygon is longer than 0.001.
    EXPECT_EQ(Compute({PolygonPath({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {1, 1}})}, halves, 6, 1.0f), 0);
    for (uint16_t h : halves)
        EXPECT_EQ(h, 0x1234);
}

// Every point of every curve lies inside the counter-clockwise convex polygon (with a tolerance
// for half-float vertices).
void ExpectEncloses(const std::vector<Point2D> &v, const std::vector<std::vector<QuadraticBezier2D>> &lists,
                    float tolerance)
{
    size_t n = v.size();
    for (size_t k = 0; k < n; k++)
    {
        const Point2D &a = v[k], &b = v[(k + 1) % n], &c = v[(k + 2) % n];
        EXPECT_GE((b.x - a.x) * (c.y - b.y) - (b.y - a.y) * (c.x - b.x), 0.0f) << "turn at vertex " << k + 1;
    }
    for (const auto &list : lists)
    {
        for (const QuadraticBezier2D &q : list)
        {
            for (int i = 0; i <= 32; i++)
            {
                float t = i / 32.0f, u = 1 - t;
                float x = u * u * q.p0.x + 2 * t * u * q.p1.x + t * t * q.p2.x;
                float y = u * u * q.p0.y + 2 * t * u * q.p1.y + t * t * q.p2.y;
                for (size_t k = 0; k < n; k++)
                {
                    const Point2D &a = v[k], &b = v[(k + 1) % n];
                    float ex = b.x - a.x, ey = b.y - a.y;
                    float side = (ex * (y - a.y) - ey * (x - a.x)) / std::sqrt(ex * ex + ey * ey);
                    ASSERT_GE(side, -tolerance) << "point (" << x << ", " << y << ") outside edge " << k;
                }
            }
        }
    }
}

float PolygonArea(const std::vector<Point2D> &v)
{
    float sum = 0;
    for (size_t k = 0; k < v.size(); k++)
        sum += v[k].x * v[(k + 1) % v.size()].y - v[(k + 1) % v.size()].x * v[k].y;
    return sum / 2;
}

std::vector<std::vector<QuadraticBezier2D>> Circle(float r)
{
    std::vector<QuadraticBezier2D> curves(12);
    (void)AppendEllipseCurves(0, 0, r, r, curves.data(), 0, 11);
    return {curves};
}

std::vector<std::vector<QuadraticBezier2D>> Star()
{
    std::vector<Point2D> points;
    for (int i = 0; i < 10; i++)
    {
        float r = i % 2 ? 0.4f : 1.0f, a = float(M_PI / 2 + i * M_PI / 5);
        points.emplace_back(r * std::cos(a), r * std::sin(a));
    }
    return {PolygonPath(points)};
}

std::vector<std::vector<QuadraticBezier2D>> Ring()
{
    std::vector<QuadraticBezier2D> outer(12), inner(12);
    (void)AppendEllipseCurves(0.5f, 0.5f, 0.5f, 0.3f, outer.data(), 0, 11);
    (void)AppendEllipseCurvesReversed(0.5f, 0.5f, 0.2f, 0.1f, inner.data(), 0, 11);
    return {outer, inner};
}

std::vector<std::vector<QuadraticBezier2D>> RoundedRect()
{
    std::vector<QuadraticBezier2D> curves(16);
    (void)AppendRoundedRectCurves(0, 0, 1, 0.6f, 0.2f, 0.2f, curves.data());
    return {curves};
}

std::vector<std::vector<QuadraticBezier2D>> Leaf()
{
    return {{QuadraticBezier2D(Point2D(0, 0), Point2D(0.5f, 1.0f), Point2D(1, 0.1f)),
             QuadraticBezier2D(Point2D(1, 0.1f), Point2D(0.8f, -0.1f), Point2D(0.5f, -0.1f)),
             QuadraticBezier2D(Point2D(0.5f, -0.1f), Point2D(0.2f, -0.1f), Point2D(0, 0))}};
}

TEST(BoundingPolygon, PolygonsEncloseTheirShapesWithinTheVertexLimit)
{
    struct Shape
    {
        const char *name;
        std::vector<std::vector<QuadraticBezier2D>> lists;
    };
    const Shape shapes[] = {
        {"circle", Circle(0.5f)}, {"star", Star()}, {"ring", Ring()}, {"rounded rectangle", RoundedRect()},
        {"leaf", Leaf()},
        // Two lists of straight sides go through the search, not the exact path.
        {"two squares", {PolygonPath({{0, 0}, {0.4f, 0}, {0.4f, 0.4f}, {0, 0.4f}}),
                         PolygonPath({{0.6f, 0.5f}, {1, 0.5f}, {1, 0.9f}, {0.6f, 0.9f}})}},
    };
    for (const Shape &s : shapes)
    {
        for (int32_t maximum : {3, 4, 5, 6})
        {
            for (float factor : {0.0f, 1.0f, 20.0f})
            {
                SCOPED_TRACE(testing::Message() << s.name << " maximum " << maximum << " factor " << factor);
                uint16_t halves[12];
                uint16_t word = Compute(s.lists, halves, maximum, factor);
                int n = word & 0xF;
                ASSERT_GE(n, 3);
                EXPECT_LE(n, maximum < 4 ? 4 : maximum);
                std::vector<Point2D> v = ReadVertices(halves, n);
                EXPECT_GT(PolygonArea(v), 0.0f);
                ExpectEncloses(v, s.lists, 2e-3f);
                int pattern = word >> 8;
                static const int kFirst[7] = {0, 0, 0, 0, 1, 3, 8}, kLast[7] = {0, 0, 0, 0, 2, 7, 15};
                EXPECT_TRUE(pattern >= kFirst[n] && pattern <= kLast[n]) << word;
            }
        }
    }
}

TEST(BoundingPolygon, TheEdgeFactorTradesAreaForVertices)
{
    // With no price on interior edges a circle of diameter 1 gets the hexagon of least area; a
    // high price leaves fewer vertices and more area.
    uint16_t halves[12];
    uint16_t cheap = Compute(Circle(0.5f), halves, 6, 0.0f);
    float cheapArea = PolygonArea(ReadVertices(halves, cheap & 0xF));
    uint16_t dear = Compute(Circle(0.5f), halves, 6, 40.0f);
    float dearArea = PolygonArea(ReadVertices(halves, dear & 0xF));
    EXPECT_EQ(cheap & 0xF, 6);
    EXPECT_LT(dear & 0xF, 6);
    EXPECT_LT(cheapArea, dearArea);
    EXPECT_LT(cheapArea, 1.0f);
    EXPECT_GT(cheapArea, float(M_PI) / 4);
}

// Support lines of the axis-aligned unit square at directions 0, 64, 128 and 192.
const float kSquareLines[4][3] = {{1, 0, -1}, {0, 1, -1}, {-1, 0, 0}, {0, -1, 0}};
const uint8_t kSquareDirections[4] = {0, 64, 128, 192};

TEST(BoundingPolygonSearch, SquareLinesGiveTheSquare)
{
    float vertices[12];
    float best = FloatInfinity;
    const float tolerance = 0.025f * 2.0f;
    EXPECT_EQ(FindBoundingQuadrilateral(4, &kSquareLines[0][0], kSquareDirections, tolerance, vertices, &best), 0x104);
    EXPECT_NEAR(best, 1.0f + tolerance * std::sqrt(2.0f), 1e-5f);
    const float expected[8] = {1, 1, 0, 1, 0, 0, 1, 0};
    for (int k = 0; k < 8; k++)
        EXPECT_EQ(vertices[k], expected[k]) << k;

    // No triangle comes from square lines (the turns of 64 leave no closing turn); the
    // quadrilateral search still runs from +infinity.
    best = FloatInfinity;
    EXPECT_EQ(FindBoundingTriangle(4, &kSquareLines[0][0], kSquareDirections, vertices, &best), 0);
    EXPECT_EQ(best, FloatInfinity);

    // A search that cannot beat the best cost leaves everything alone.
    best = 0.5f;
    vertices[0] = 42;
    EXPECT_EQ(FindBoundingQuadrilateral(4, &kSquareLines[0][0], kSquareDirections, tolerance, vertices, &best), 0);
    EXPECT_EQ(best, 0.5f);
    EXPECT_EQ(vertices[0], 42);
}

TEST(BoundingPolygonSearch, TooFewLinesAndLateFirstDirections)
{
    float vertices[12];
    float best = FloatInfinity;
    EXPECT_EQ(FindBoundingTriangle(2, &kSquareLines[0][0], kSquareDirections, vertices, &best), 0);
    EXPECT_EQ(FindBoundingQuadrilateral(3, &kSquareLines[0][0], kSquareDirections, 0, vertices, &best), 0);
    EXPECT_EQ(FindBoundingPentagon(4, &kSquareLines[0][0], kSquareDirections, 0, vertices, &best), 0);
    EXPECT_EQ(FindBoundingHexagon(5, &kSquareLines[0][0], kSquareDirections, 0, vertices, &best), 0);

    // An equilateral triangle's lines at 0, 85, 170 and shifted by 114: the shifted set would need
    // a first direction above 112 and is never formed.
    auto lines = [](int shift, float *out, uint8_t *directions) {
        for (int i = 0; i < 3; i++)
        {
            int d = (shift + 86 * i) % 256;
            int sorted = i;
            float a = float(std::cos(d * 2 * M_PI / 256)), b = float(std::sin(d * 2 * M_PI / 256));
            out[3 * sorted] = a;
            out[3 * sorted + 1] = b;
            out[3 * sorted + 2] = -1;
            directions[sorted] = uint8_t(d);
        }
    };
    float l[9];
    uint8_t d[3];
    lines(0, l, d);
    best = FloatInfinity;
    EXPECT_EQ(FindBoundingTriangle(3, l, d, vertices, &best), 3);
    lines(114, l, d);  // directions 114, 200, 286 - 256 = 30: sorted they start at 30
    // Sorted order puts 30 first: (30, 114, 200) is a valid triangle again.
    float sortedLines[9] = {l[6], l[7], l[8], l[0], l[1], l[2], l[3], l[4], l[5]};
    uint8_t sortedDirections[3] = {d[2], d[0], d[1]};
    best = FloatInfinity;
    EXPECT_EQ(FindBoundingTriangle(3, sortedLines, sortedDirections, vertices, &best), 3);
    // Unsorted, the first line's direction (114) is above the limit.
    best = FloatInfinity;
    EXPECT_EQ(FindBoundingTriangle(3, l, d, vertices, &best), 0);
}

TEST(BoundingPolygonSearch, HexagonsWithAVanishingSideAreRejected)
{
    // Six lines 40 to 44 apart around a circle of radius 0.5 give a hexagon; moving one line out
    // until its side is shorter than 3/8 of the area makes the search give up.
    const uint8_t directions[6] = {0, 44, 84, 128, 172, 212};
    float lines[18];
    auto build = [&](float push) {
        for (int i = 0; i < 6; i++)
        {
            double a = directions[i] * 2 * M_PI / 256;
            lines[3 * i] = float(std::cos(a));
            lines[3 * i + 1] = float(std::sin(a));
            lines[3 * i + 2] = i == 0 ? -0.5f - push : -0.5f;
        }
    };
    float vertices[12];
    build(0.0f);
    float best = FloatInfinity;
    EXPECT_EQ(FindBoundingHexagon(6, lines, directions, 0.0f, vertices, &best) & 0xF, 6);
    build(0.3f);  // the side on line 0 shrinks below 3/8 of the area
    best = FloatInfinity;
    EXPECT_EQ(FindBoundingHexagon(6, lines, directions, 0.0f, vertices, &best), 0);
    EXPECT_EQ(best, FloatInfinity);
}

// FNV-1a over the polygon words and six vertex slots of round shapes (where no triangle can beat the
// best quadrilateral, so the triangle search may be skipped) and a star, at vertex limits 3 to 6 and
// three edge factors, against a digest taken before that skip: the skip changes no polygon.
TEST(BoundingPolygon, RoundShapesKeepTheirPolygons)
{
    std::vector<std::vector<QuadraticBezier2D>> shapes;
    const float ellipses[][4] = {{0.5f, 0.5f, 0.5f, 0.5f}, {3.0f, -2.0f, 0.02f, 0.02f}, {0.4f, 0.7f, 0.5f, 0.3f},
                                 {10.0f, 10.0f, 4.0f, 9.0f}};
    for (const auto &e : ellipses)
    {
        std::vector<QuadraticBezier2D> curves(12);
        curves.resize(size_t(AppendEllipseCurves(e[0], e[1], e[2], e[3], curves.data(), 0, 11)));
        shapes.push_back(curves);
    }
    const float rectangles[][6] = {{0.0f, 0.2f, 1.0f, 0.8f, 0.15f, 0.15f}, {-2.0f, -1.0f, 2.0f, 1.0f, 0.9f, 0.5f},
                                   {0.0f, 0.0f, 1.0f, 0.1f, 0.02f, 0.02f}};
    for (const auto &r : rectangles)
    {
        std::vector<QuadraticBezier2D> curves(16);
        curves.resize(size_t(AppendRoundedRectCurves(r[0], r[1], r[2], r[3], r[4], r[5], curves.data())));
        shapes.push_back(curves);
    }
    std::vector<Point2D> star;
    for (int i = 0; i < 5; i++)
    {
        double a = M_PI / 2 + i * 4 * M_PI / 5;
        star.emplace_back(float(0.5 + 0.5 * std::cos(a)), float(0.5 + 0.5 * std::sin(a)));
    }
    shapes.push_back(PolygonPath(star));

    uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](uint16_t value) {
        for (int32_t shift = 0; shift < 16; shift += 8)
            hash = (hash ^ ((value >> shift) & 0xFF)) * 1099511628211ull;
    };
    int32_t quadrilaterals = 0;
    for (const auto &shape : shapes)
        for (int32_t limit = 3; limit <= 6; limit++)
            for (float factor : {0.0f, 1.0f, 4.0f})
            {
                uint16_t halves[12] = {};
                uint16_t word = Compute({shape}, halves, limit, factor);
                quadrilaterals += limit == 4 && (word & 0xF) == 4;
                add(word);
                for (uint16_t v : halves)
                    add(v);
            }
    EXPECT_EQ(quadrilaterals, 22);
    EXPECT_EQ(hash, 0x134583390b5a3a43ull);
}

}  // namespace
}  // namespace oq
