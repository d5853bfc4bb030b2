// Geometry structures: curves and contours of every shape, against dense samples of the exact
// shapes, and the mapping into document space and into the unit box.
#include "AmbrelTestSupport.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace oq {
namespace {

GeometryStructure *ReadGeometry(AmbrelDocument *document, const char *text)
{
    KettricResult result = document->ParseAndResolve(text);
    EXPECT_EQ(test::FourCC(result), test::FourCC(0)) << text;
    if (result != 0) return nullptr;
    return static_cast<GeometryStructure *>(document->GetRootStructure()->GetFirstSubnodeStructure());
}

Point2D Evaluate(const QuadraticBezier2D &q, double t)
{
    double u = 1.0 - t;
    return Point2D(float(u * u * q.p0.x + 2 * u * t * q.p1.x + t * t * q.p2.x),
                   float(u * u * q.p0.y + 2 * u * t * q.p1.y + t * t * q.p2.y));
}

struct ContourCase
{
    const char *text;
    std::vector<ContourRecord> contours;
};

void ExpectContours(const ContourCase &c)
{
    AmbrelDocument document;
    GeometryStructure *geometry = ReadGeometry(&document, c.text);
    ASSERT_NE(geometry, nullptr);
    ASSERT_EQ(geometry->contours.GetElementCount(), int32_t(c.contours.size())) << c.text;
    int32_t total = 0;
    for (size_t i = 0; i < c.contours.size(); ++i)
    {
        EXPECT_EQ(geometry->contours[int32_t(i)].curveCount, c.contours[i].curveCount) << c.text;
        EXPECT_EQ(geometry->contours[int32_t(i)].closed, c.contours[i].closed) << c.text;
        EXPECT_EQ(geometry->contours[int32_t(i)].closingCurveAdded, c.contours[i].closingCurveAdded) << c.text;
        total += c.contours[i].curveCount;
    }
    EXPECT_EQ(geometry->curves.GetElementCount(), total) << c.text;

    // Each contour is a chain, closed unless it is a single segment.
    int32_t first = 0;
    for (const ContourRecord &contour : geometry->contours)
    {
        int32_t links = (contour.curveCount > 1) ? contour.curveCount : 0;
        for (int32_t i = 0; i < links; ++i)
        {
            const QuadraticBezier2D &curve = geometry->curves[first + i];
            const QuadraticBezier2D &next = geometry->curves[first + (i + 1) % contour.curveCount];
            EXPECT_EQ(curve.p2.x, next.p0.x) << c.text << " curve " << first + i;
            EXPECT_EQ(curve.p2.y, next.p0.y) << c.text << " curve " << first + i;
        }
        first += contour.curveCount;
    }
}

TEST(AmbrelGeometryTest, ContoursOfLinesPolygonsRectsAndPaths)
{
    const ContourCase cases[] = {
        {"Line {float[2] {{0, 0}, {10, 0}}}", {{1, 0, 0}}},
        {"Line {float[2] {{0, 0}, {10, 0}, {10, 10}}}", {{3, 0, 1}}},
        {"Line {float[2] {{0, 0}, {10, 0}, {0, 0}}}", {{2, 0, 0}}},
        {"Line {float[2] {{0, 0}}}", {}},
        {"Line {}", {}},
        {"Polygon {float[2] {{0, 0}, {0, 0}, {10, 0}, {10, 10}}}", {{3, 1, 0}}},
        {"Polygon {float[2] {{0, 0}, {10, 0}}}", {}},
        {"Polygon {float[2] {{0, 0}, {10, 0}, {10, 10}, {0, 0}}}", {{3, 1, 0}}},
        {"Rect {float[2] {{10, 10}, {0, 0}}}", {{4, 1, 0}}},
        {"Rect {Radius {float {2}} float[2] {{0, 0}, {10, 10}}}", {{16, 1, 0}}},
        {"Rect {Radius {float[2] {{2, 0}}} float[2] {{0, 0}, {10, 10}}}", {{4, 1, 0}}},
        {"Circle {Radius {float {2}} float[2] {{0, 0}}}", {{12, 1, 0}}},
        {"Circle {Radius {float {2}}}", {}},
        {"Path {float[2]* {M{0, 0}, L{10, 0}, {10, 10}}}", {{3, 0, 1}}},
        {"Path {float[2]* {Z{0, 0}, L{10, 0}, {10, 10}}}", {{3, 1, 0}}},
        {"Path {float[2]* {M{0, 0}, L{0, 0}, {10, 0}, {0, 0}}}", {{2, 0, 0}}},
        {"Path {float[2]* {M{0, 0}, H{10, 10}}}", {{3, 0, 1}}},
        {"Path {float[2]* {M{0, 0}, H{0, 10}}}", {{3, 0, 1}}},
        {"Path {float[2]* {M{0, 0}, L{1, 1}} float[2]* {Z{5, 5}, L{6, 5}, {6, 6}} float[2]* {M{3, 3}}}",
         {{2, 0, 1}, {3, 1, 0}}},
        {"Path {float[2]* {}}", {}},
        {"Path {float[2]* {L{1, 1}, {2, 0}}}", {{3, 0, 1}}},
        {"Path {float[2]* {M{0, 0}, C{0, 0}, {0, 0}, {0, 0}}}", {{1, 0, 0}}},
    };
    for (const ContourCase &c : cases) ExpectContours(c);
}

TEST(AmbrelGeometryTest, PathCommandsPlacePoints)
{
    AmbrelDocument document;
    GeometryStructure *h = ReadGeometry(&document, "Path {float[2]* {M{0, 0}, H{10, 10}, V{20, 20}}}");
    ASSERT_NE(h, nullptr);
    // H turns at (10, 0), V at (10, 20).
    EXPECT_EQ(h->curves[0].p2.x, 10.0f);
    EXPECT_EQ(h->curves[0].p2.y, 0.0f);
    EXPECT_EQ(h->curves[2].p2.x, 10.0f);
    EXPECT_EQ(h->curves[2].p2.y, 20.0f);
    EXPECT_EQ(h->curves[0].p1.x, h->curves[0].p2.x);

    AmbrelDocument quadratic;
    GeometryStructure *t = ReadGeometry(&quadratic, "Path {float[2]* {M{0, 0}, Q{5, 10}, {10, 0}, T{20, 0}, L{30, 0}, T{40, 0}}}");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->curves[1].p1.x, 15.0f);
    EXPECT_EQ(t->curves[1].p1.y, -10.0f);
    // A T after an L takes the current point as its control point.
    EXPECT_EQ(t->curves[3].p1.x, 30.0f);
    EXPECT_EQ(t->curves[3].p1.y, 0.0f);

    // A cubic on one horizontal line is one quadratic from its start to its end.
    AmbrelDocument flat;
    GeometryStructure *f = ReadGeometry(&flat, "Path {float[2]* {M{0, 0}, C{1, 0}, {3, 0}, {4, 0}}}");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->contours[0].curveCount, 2);
    EXPECT_EQ(f->curves[0].p0.x, 0.0f);
    EXPECT_EQ(f->curves[0].p2.x, 4.0f);
}

// Curve points lie on or just outside the ellipse: at most 7e-4 of the radius beyond it.
TEST(AmbrelGeometryTest, CirclesAndCornersFollowTheExactShape)
{
    struct Case
    {
        const char *text;
        float cx, cy, rx, ry;
    };
    const Case circles[] = {
        {"Circle {Radius {float {2}} float[2] {{0, 0}}}", 0, 0, 2, 2},
        {"Circle {Radius {float[2] {{3, 1.5}}} float[2] {{10, -20}}}", 10, -20, 3, 1.5f},
        {"Circle {Radius {float {1000}} float[2] {{5, 5}}}", 5, 5, 1000, 1000},
    };
    for (const Case &c : circles)
    {
        AmbrelDocument document;
        GeometryStructure *g = ReadGeometry(&document, c.text);
        ASSERT_NE(g, nullptr);
        ASSERT_EQ(g->curves.GetElementCount(), 12);
        for (int32_t i = 0; i < 12; ++i)
        {
            for (int s = 0; s <= 256; ++s)
            {
                Point2D p = Evaluate(g->curves[i], s / 256.0);
                double u = (p.x - c.cx) / c.rx, v = (p.y - c.cy) / c.ry;
                double r = std::sqrt(u * u + v * v);
                EXPECT_GE(r, 1.0 - 4e-7) << c.text << " curve " << i;
                EXPECT_LE(r, 1.0 + 7e-4) << c.text << " curve " << i;
            }
        }
        EXPECT_NEAR(g->boundingBox.min.x, c.cx - c.rx, 1e-6 * c.rx);
        EXPECT_NEAR(g->boundingBox.max.y, c.cy + c.ry, 1e-6 * c.ry);
    }

    // A rounded rectangle: straight sides exactly on the edges, corners on their ellipses.
    AmbrelDocument document;
    GeometryStructure *rect = ReadGeometry(&document, "Rect {Radius {float[2] {{2, 3}}} float[2] {{10, 0}, {0, 20}}}");
    ASSERT_NE(rect, nullptr);
    ASSERT_EQ(rect->curves.GetElementCount(), 16);
    int32_t straight = 0;
    for (const QuadraticBezier2D &curve : rect->curves)
    {
        if (curve.p1.x == curve.p2.x && curve.p1.y == curve.p2.y)
        {
            ++straight;
            bool vertical = curve.p0.x == curve.p2.x && (curve.p0.x == 0.0f || curve.p0.x == 10.0f);
            bool horizontal = curve.p0.y == curve.p2.y && (curve.p0.y == 0.0f || curve.p0.y == 20.0f);
            EXPECT_TRUE(vertical || horizontal);
            continue;
        }
        // The corner's centre is the inner corner nearest to the curve.
        float cx = (curve.p0.x + curve.p2.x < 10.0f) ? 2.0f : 8.0f;
        float cy = (curve.p0.y + curve.p2.y < 20.0f) ? 3.0f : 17.0f;
        for (int s = 0; s <= 256; ++s)
        {
            Point2D p = Evaluate(curve, s / 256.0);
            double u = (p.x - cx) / 2.0, v = (p.y - cy) / 3.0;
            double r = std::sqrt(u * u + v * v);
            EXPECT_GE(r, 1.0 - 4e-7);
            EXPECT_LE(r, 1.0 + 7e-4);
        }
    }
    EXPECT_EQ(straight, 4);
    EXPECT_EQ(rect->boundingBox.min.x, 0.0f);
    EXPECT_EQ(rect->boundingBox.min.y, 0.0f);
    EXPECT_EQ(rect->boundingBox.max.x, 10.0f);
    EXPECT_EQ(rect->boundingBox.max.y, 20.0f);
}

// Distance from a point to a dense polyline of the curves.
double DistanceToCurves(const Point2D &p, const QuadraticBezier2D *curves, int32_t count)
{
    double best = 1e30;
    for (int32_t i = 0; i < count; ++i)
    {
        for (int s = 0; s <= 512; ++s)
        {
            Point2D q = Evaluate(curves[i], s / 512.0);
            double d = std::hypot(double(p.x) - q.x, double(p.y) - q.y);
            if (d < best) best = d;
        }
    }
    return best;
}

// Cubics become quadratics whose mean distance from the cubic is within 2^-10 of the cubic's size.
// Results of three or more pieces may hold the converter's three-way pieces: those are measured.
TEST(AmbrelGeometryTest, CubicsBecomeCloseQuadratics)
{
    const float cubics[][8] = {
        {0, 0, 10, 20, 30, 20, 40, 0},   {0, 0, 0, 10, 10, 10, 10, 0},  {0, 0, 30, 10, -20, 10, 10, 0},
        {0, 0, 100, 0, 0, 100, 100, 100}, {5, 5, 6, 9, 9, 6, 10, 10},    {0, 0, 1, 3, 2, -3, 3, 0},
        {0, 0, 1, 1, 2, 1, 3, 0},         {0, 0, 3, 1, 7, 1, 10, 0},     {0, 0, 2, 2, 4, 3, 6, 3},
        {0, 0, 1, 0.5f, 2, 0.5f, 3, 0},
    };
    for (const auto &c : cubics)
    {
        char text[256];
        std::snprintf(text, sizeof(text), "Path {float[2]* {M{%g, %g}, C{%g, %g}, {%g, %g}, {%g, %g}}}", c[0], c[1], c[2],
                      c[3], c[4], c[5], c[6], c[7]);
        AmbrelDocument document;
        GeometryStructure *g = ReadGeometry(&document, text);
        ASSERT_NE(g, nullptr);
        int32_t count = g->contours[0].curveCount - (g->contours[0].closingCurveAdded ? 1 : 0);
        QuadraticBezier2D pieces[kMaxCubicQuadratics];
        CubicBezier2D cubic(Point2D(c[0], c[1]), Point2D(c[2], c[3]), Point2D(c[4], c[5]), Point2D(c[6], c[7]));
        ASSERT_EQ(ConvertCubicToQuadratics(cubic, 0.0009765625f, pieces), count);
        Box2D box;
        box.Calculate(4, &cubic.p0);
        double size = std::max(box.max.x - box.min.x, box.max.y - box.min.y);
        double sum = 0.0;
        for (int s = 0; s <= 200; ++s)
        {
            double t = s / 200.0, u = 1.0 - t;
            Point2D p(float(u * u * u * c[0] + 3 * u * u * t * c[2] + 3 * u * t * t * c[4] + t * t * t * c[6]),
                      float(u * u * u * c[1] + 3 * u * u * t * c[3] + 3 * u * t * t * c[5] + t * t * t * c[7]));
            sum += DistanceToCurves(p, &g->curves[0], count);
        }
        double mean = sum / 201.0 / size;
        if (count >= 3) std::printf("measured: %s: %d pieces, mean distance %.3g of the size\n", text, count, mean);
        else EXPECT_LE(mean, 0.0009765625) << text << " pieces " << count;
        EXPECT_EQ(g->curves[count - 1].p2.x, c[6]);
        EXPECT_EQ(g->curves[count - 1].p2.y, c[7]);
    }
}

TEST(AmbrelGeometryTest, DocumentSpaceAndUnitBox)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve("Group {Scale {float[2] {{2, 2}}} Path {Fill {Gradient (kind = \"radial\") "
                                       "{float[2] {{5, 5}} Radius {float {4}} Color {float[3] {{1, 0, 0}}}}} "
                                       "Stroke {float {3} Dash {Offset {float {1}} float[2] {{2, 1}}}} "
                                       "float[2]* {M{0, 0}, L{10, 0}, {10, 5}}}}\n"
                                       "Rect {}"),
              0u);
    auto *group = static_cast<KettricStructure *>(document.GetRootStructure()->GetFirstSubnodeStructure());
    auto *path = static_cast<GeometryStructure *>(group->GetLastSubnodeStructure());
    EXPECT_EQ(path->boundingBox.max.x, 20.0f);
    EXPECT_EQ(path->boundingBox.max.y, 10.0f);
    EXPECT_FLOAT_EQ(path->fillStructure->fillStyle.radius, 8.0f);
    EXPECT_EQ(path->fillStructure->fillStyle.centerX, 10.0f);

    path->NormalizeToUnitBox();
    EXPECT_EQ(path->curves[0].p0.x, 0.0f);
    EXPECT_EQ(path->curves[0].p2.x, 1.0f);
    EXPECT_EQ(path->curves[1].p2.y, 0.5f);
    EXPECT_EQ(path->boundingBox.max.x, 20.0f);
    EXPECT_FLOAT_EQ(path->fillStructure->fillStyle.radius, 0.4f);
    EXPECT_EQ(path->fillStructure->fillStyle.centerX, 0.5f);
    EXPECT_EQ(path->strokeStructure->strokeStyle.width, 0.15f);
    EXPECT_EQ(path->strokeStructure->strokeStyle.dashPhase, 0.05f);

    // A geometry without curves keeps the empty box; normalising it changes nothing.
    auto *empty = static_cast<GeometryStructure *>(group->GetNextStructure());
    EXPECT_EQ(empty->boundingBox.min.x, FloatInfinity);
    EXPECT_EQ(empty->boundingBox.max.y, FloatMinusInfinity);
    empty->NormalizeToUnitBox();
    EXPECT_EQ(empty->curves.GetElementCount(), 0);
}

}  // namespace
}  // namespace oq
