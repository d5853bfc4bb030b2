// Geometry shared by the drawing kinds, measured independently: dash fitting, the segment test and
// frame, the arc-length table, the stroke curve arrays, signed areas of the line's pieces, item parity
// and property tests over random lines, shapes, brackets and designs.
#include "DrawingTesting.h"

#include "base/ScalarMath.h"
#include "editor/document/MathDesign.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/drawing/BracketObject.h"
#include "editor/drawing/CornerLineObject.h"
#include "editor/drawing/EllipseObject.h"
#include "editor/drawing/LineObject.h"
#include "editor/drawing/QuarterLineObject.h"
#include "editor/drawing/RectangleObject.h"
#include "editor/drawing/RoundedRectangleObject.h"
#include "editor/drawing/ZigzagLineObject.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/DesignTables.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace oq {
namespace {

// Signed area by Green's theorem over quadratic curves, in double (positive counter-clockwise).
double SignedArea(const QuadraticBezier2D *curves, int32_t count)
{
    auto cross = [](const Point2D &a, const Point2D &b) { return double(a.x) * b.y - double(a.y) * b.x; };
    double area = 0.0;
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        area += (cross(c.p0, c.p1) + cross(c.p1, c.p2)) / 3.0 + cross(c.p0, c.p2) / 6.0;
    }
    return area;
}

// Every contour (a run of curves each starting where the previous ended) returns to its start.
bool ContoursClosed(const QuadraticBezier2D *curves, int32_t count, float tolerance)
{
    int32_t first = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        bool last = (i + 1 == count) || std::fabs(curves[i + 1].p0.x - curves[i].p2.x) > tolerance ||
                    std::fabs(curves[i + 1].p0.y - curves[i].p2.y) > tolerance;
        if (last)
        {
            if (std::fabs(curves[i].p2.x - curves[first].p0.x) > tolerance ||
                std::fabs(curves[i].p2.y - curves[first].p0.y) > tolerance)
            {
                return false;
            }
            first = i + 1;
        }
    }
    return true;
}

bool Finite(const Point2D &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

TEST(DrawingGeometryTest, FitDashPattern)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float length, dash, gap;
        bool dashed;
        int32_t count;  // -1: only check the fill
    };
    const Case cases[] = {
        {0.5f, 2.0f, 1.0f, true, 2},  // shorter than one dash: 2 dashes and 1 gap
        {0.0f, 2.0f, 1.0f, true, 2},
        {10.0f, 2.0f, 1.0f, true, 4},
        {100.0f, 3.0f, 0.5f, true, 29},
        {5000.0f, 2.0f, 1.0f, true, 1024},  // 1667 fitted, the first 1024 drawn
        {1e30f, 0.01f, 0.01f, true, 1024},
        {nan, 2.0f, 1.0f, false, 0},
        {inf, 2.0f, 1.0f, false, 0},
        {10.0f, nan, 1.0f, false, 0},
        {10.0f, 0.0f, 1.0f, false, 0},
        {10.0f, -1.0f, 1.0f, false, 0},
        {10.0f, 2.0f, 0.0f, false, 0},
        {10.0f, 2.0f, -2.0f, false, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.length << " " << c.dash << " " << c.gap);
        DashFit fit{};
        EXPECT_EQ(FitDashPattern(c.length, c.dash, c.gap, &fit), c.dashed);
        if (!c.dashed) continue;
        EXPECT_EQ(fit.count, c.count);
        EXPECT_TRUE(std::isfinite(fit.dash) && std::isfinite(fit.gap));
        if (fit.dash > 0.0f)
        {
            EXPECT_NEAR(fit.gap / fit.dash, c.gap / c.dash, 1e-5 * c.gap / c.dash);
        }
        // The unbounded count fills the length exactly.
        double count = std::max(2.0, std::floor((double(c.length) + c.gap) / (double(c.dash) + c.gap) + 0.5));
        double filled = count * fit.dash + (count - 1) * fit.gap;
        EXPECT_NEAR(filled, c.length, 1e-5 * c.length + 1e-30);
    }
}

TEST(DrawingGeometryTest, PointNearSegment)
{
    const float tol = 0.5f;
    const Point2D a(1.0f, 1.0f);
    const Point2D b(7.0f, 9.0f);  // length 10, direction (0.6, 0.8), normal (-0.8, 0.6)
    auto along = [&](float t, float across) { return Point2D(a.x + 0.6f * t - 0.8f * across, a.y + 0.8f * t + 0.6f * across); };
    struct Case
    {
        const char *name;
        Point2D point;
        bool near;
    };
    const Case cases[] = {
        {"across, inside", along(5.0f, tol * (1 - 1e-4f)), true},
        {"across, outside", along(5.0f, tol * (1 + 1e-4f)), false},
        {"other side, inside", along(5.0f, -tol * (1 - 1e-4f)), true},
        {"before the start, inside", along(-tol * (1 - 1e-4f), 0.0f), true},
        {"before the start, outside", along(-tol * (1 + 1e-4f), 0.0f), false},
        {"beyond the end, inside", along(10.0f + tol * (1 - 1e-4f), tol * 0.9f), true},
        {"beyond the end, outside", along(10.0f + tol * (1 + 1e-4f), 0.0f), false},
        {"square corner", along(-tol * 0.9f, tol * 0.9f), true},
    };
    for (const Case &c : cases) EXPECT_EQ(IsPointNearSegment(c.point, a, b, tol), c.near) << c.name;

    // Exactly the tolerance straight across from a on an axis-parallel segment is not near (strict).
    EXPECT_FALSE(IsPointNearSegment(Point2D(0.0f, 0.5f), Point2D(0.0f, 0.0f), Point2D(4.0f, 0.0f), 0.5f));
    // A degenerate segment is never hit.
    EXPECT_FALSE(IsPointNearSegment(Point2D(2.0f, 2.0f), Point2D(2.0f, 2.0f), Point2D(2.0f, 2.0f), 10.0f));
    EXPECT_FALSE(IsPointNearSegment(Point2D(0.0f, 0.0f), Point2D(0.0f, 0.0f), Point2D(1e-30f, 0.0f), 10.0f));
}

TEST(DrawingGeometryTest, SegmentOutlineIsARectangularFrame)
{
    QuadraticBezier2D curves[8];
    BuildSegmentOutline(Point2D(0.0f, -1.5f), Point2D(10.0f, 1.5f), Vector2D(1.0f, 0.0f), 0.5f, curves);
    EXPECT_TRUE(ContoursClosed(curves, 8, 1e-5f));
    // Outer 11 x 4, inner 9 x 2 in the other winding: a frame of 44 - 18.
    EXPECT_NEAR(std::fabs(SignedArea(curves, 4)), 44.0, 1e-4);
    EXPECT_NEAR(std::fabs(SignedArea(curves + 4, 4)), 18.0, 1e-4);
    EXPECT_LT(SignedArea(curves, 4) * SignedArea(curves + 4, 4), 0.0);
    // Square corners: the outer rectangle reaches r past both ends.
    EXPECT_NEAR(curves[0].p0.x, -0.5f, 1e-5f);
    EXPECT_NEAR(curves[0].p0.y, -2.0f, 1e-5f);
}

TEST(DrawingGeometryTest, ArcLengthTable)
{
    float table[65];
    BuildArcLengthTable(1.0f, 1.0f, table);
    EXPECT_EQ(table[0], 0.0f);
    EXPECT_NEAR(table[64], 64.0 * 2.0 * std::sin(M_PI / 256.0), 1e-4);
    EXPECT_NEAR(table[64], 1.57076, 1e-4);
    for (int32_t k = 1; k <= 64; ++k) EXPECT_GT(table[k], table[k - 1]);

    int32_t cursor = 0;
    EXPECT_NEAR(LookupArcLengthAngle(0.0f, table, &cursor), 0.0f, 1e-6f);
    EXPECT_NEAR(LookupArcLengthAngle(table[32], table, &cursor), 32 * 0.024543693f, 1e-5f);
    EXPECT_NEAR(LookupArcLengthAngle(table[40] * 0.5f + table[41] * 0.5f, table, &cursor), 40.5f * 0.024543693f, 1e-5f);
    EXPECT_EQ(LookupArcLengthAngle(table[64] + 1.0f, table, &cursor), 1.5707964f);

    // An ellipse: its quarter lies between the chord and the two half-axes.
    BuildArcLengthTable(3.0f, 1.0f, table);
    EXPECT_GT(table[64], std::sqrt(10.0f));
    EXPECT_LT(table[64], 4.0f);
}

TEST(DrawingGeometryTest, StrokeCurveArraysGrowByTheRule)
{
    struct Case
    {
        int32_t prepare;  // grown to this first
        int32_t count;
        int32_t capacity;
    };
    {
        StrokeCurveArray<48> array;
        array.SetElementCount(48);
        EXPECT_EQ(array.GetReservedCount(), 48);
        array.SetElementCount(64);
        EXPECT_EQ(array.GetReservedCount(), 96);
    }
    {
        StrokeCurveArray<48> array;
        array.SetElementCount(144);
        EXPECT_EQ(array.GetReservedCount(), 144);
        array.SetElementCount(150);
        EXPECT_EQ(array.GetReservedCount(), 216);
        array.Reset();
        EXPECT_EQ(array.GetElementCount(), 0);
        EXPECT_EQ(array.GetReservedCount(), 48);
        array.SetElementCount(48);
        EXPECT_EQ(array.GetReservedCount(), 48);
    }
    {
        StrokeCurveArray<8> array;
        array.SetElementCount(3);
        EXPECT_EQ(array.GetReservedCount(), 8);
        array.SetElementCount(9);
        EXPECT_EQ(array.GetReservedCount(), 16);
        array.SetElementCount(2);
        EXPECT_EQ(array.GetReservedCount(), 16);
    }
}

class LineGeometryTest : public ::testing::Test
{
protected:
    void SetUp() override { test::PrepareDrawingTests(); }
    Design design;
};

TEST_F(LineGeometryTest, AreasOfBodiesAndDecorations)
{
    float w = design.GetBaseFontSize() * GetGroupParam(&design, 'line', 'wid0');
    const Point2D s(2.0f, 3.0f);
    const Point2D f(2.0f + 60.0f * 0.6f, 3.0f + 60.0f * 0.8f);  // length 60 on a diagonal

    LineObject solid;
    solid.RebuildGeometry(&design, s, f);
    ASSERT_EQ(solid.curves.GetElementCount(), 4);
    EXPECT_LT(SignedArea(solid.curves.GetElements(), 4), 0.0);  // clockwise
    EXPECT_NEAR(std::fabs(SignedArea(solid.curves.GetElements(), 4)), 60.0 * w, 1e-3 * 60.0 * w);
    EXPECT_TRUE(ContoursClosed(solid.curves.GetElements(), 4, 1e-4f));

    for (uint8_t dashIndex = 1; dashIndex <= 3; ++dashIndex)
    {
        LineObject dashed;
        dashed.dashIndex = dashIndex;
        dashed.RebuildGeometry(&design, s, f);
        float dash = 0.0f, gap = 0.0f;
        ASSERT_TRUE(dashed.GetDashLengths(&design, w, &dash, &gap));
        DashFit fit{};
        ASSERT_TRUE(FitDashPattern(60.0f, dash, gap, &fit));
        int32_t count = dashed.curves.GetElementCount();
        ASSERT_EQ(count, 4 * fit.count);
        double area = 0.0;
        for (int32_t k = 0; k < fit.count; ++k)
        {
            double piece = SignedArea(&dashed.curves[4 * k], 4);
            EXPECT_LT(piece, 0.0);
            area += std::fabs(piece);
        }
        EXPECT_NEAR(area, fit.count * double(fit.dash) * w, 1e-3 * area);
        EXPECT_TRUE(ContoursClosed(dashed.curves.GetElements(), count, 1e-4f));
    }

    LineObject dotted;
    dotted.startDecoration = kLineEndRoundDot;
    dotted.finishDecoration = kLineEndWedge;
    dotted.RebuildGeometry(&design, s, f);
    float r = w / 2 * GetGroupParam(&design, 'line', 'circ');
    ASSERT_EQ(dotted.startDecorationCount, 12);
    EXPECT_NEAR(std::fabs(SignedArea(dotted.startDecorationCurves, 12)), M_PI * r * r, 2e-3 * M_PI * r * r);
    EXPECT_TRUE(ContoursClosed(dotted.startDecorationCurves, 12, 1e-4f));
    // The body stops where its corners meet the dot: pulled back by sqrt(r^2 - (w/2)^2).
    float pull = std::sqrt(r * r - w * w / 4);
    EXPECT_NEAR(dotted.curves[0].p0.x, s.x + 0.6f * pull + 0.8f * w / 2, 1e-3f);
    float length = w * GetGroupParam(&design, 'line', 'wgln');
    float base = w * GetGroupParam(&design, 'line', 'wgwd');
    EXPECT_NEAR(std::fabs(SignedArea(dotted.finishDecorationCurves, 3)), length * base, 1e-3 * length * base);
    EXPECT_EQ(dotted.finishDecorationCurves[0].p0, f);
}

// Export and path items hold the same curves, y negated in the path items.
void ExpectItemParity(const Design &design, const DrawingObject &object)
{
    DisplayList exports, paths;
    object.BuildExportItems(&design, &exports);
    object.BuildPathItems(&design, &paths);
    ASSERT_EQ(exports.GetListElementCount(), paths.GetListElementCount());
    ListElement *e = exports.GetFirstListElement();
    ListElement *p = paths.GetFirstListElement();
    for (; e != nullptr; e = e->GetNextListElement(), p = p->GetNextListElement())
    {
        auto *exportItem = static_cast<ExportCurveItem *>(e);
        auto *pathItem = static_cast<FillPathItem *>(p);
        ASSERT_EQ(exportItem->curveCount, pathItem->curveCount);
        EXPECT_EQ(exportItem->color, pathItem->color);
        for (int32_t i = 0; i < exportItem->curveCount; ++i)
        {
            const QuadraticBezier2D &a = exportItem->curves[i];
            const QuadraticBezier2D &b = pathItem->curves[i];
            EXPECT_EQ(a.p0.x, b.p0.x);
            EXPECT_EQ(a.p0.y, -b.p0.y);
            EXPECT_EQ(a.p1.x, b.p1.x);
            EXPECT_EQ(a.p1.y, -b.p1.y);
            EXPECT_EQ(a.p2.x, b.p2.x);
            EXPECT_EQ(a.p2.y, -b.p2.y);
        }
    }
    for (DisplayList *list : {&exports, &paths})
    {
        while (ListElement *element = list->GetFirstListElement())
        {
            list->Remove(element);
            delete element;
        }
    }
}

const uint32_t kDecorations[] = {0, kLineEndRoundDot, kLineEndSquareDot, kLineEndWedge, kLineEndArrow1, kLineEndArrow2, 'junk'};
const uint32_t kOffsets[] = {0, kLineEndLong, kLineEndShort, 'junk'};

TEST_F(LineGeometryTest, ExportAndPathItemsAgree)
{
    for (uint32_t decoration : kDecorations)
    {
        for (uint8_t dashIndex = 0; dashIndex <= 3; ++dashIndex)
        {
            SCOPED_TRACE(testing::Message() << decoration << " " << int(dashIndex));
            LineObject line;
            line.startDecoration = decoration;
            line.finishDecoration = kDecorations[(dashIndex + 2) % 7];
            line.dashIndex = dashIndex;
            line.widthIndex = dashIndex;
            line.RebuildGeometry(&design, Point2D(-3.0f, 2.0f), Point2D(25.0f, -7.0f));
            ExpectItemParity(design, line);
        }
    }
}

// Gives the design's 'line' and 'anno' values random values within their rows' ranges and a random
// base font size.
// Every value of the design group, within its row's range.
void RandomizeDesignGroup(Design *design, uint32_t key, const std::function<float(float, float)> &uniform)
{
    int32_t group = FindDesignGroup(key);
    ASSERT_GE(group, 0);
    const DesignGroupTable &table = kDesignGroupTables[group];
    for (int32_t i = 0; i < table.rowCount; ++i)
    {
        const DesignParamRow &row = table.rows[i];
        design->GetGroupSlots(group)[row.offset / 4] = uniform(row.minimum, row.maximum);
    }
}

void RandomizeLineDesign(Design *design, const std::function<float(float, float)> &uniform)
{
    for (uint32_t key : {uint32_t('line'), uint32_t('anno')}) RandomizeDesignGroup(design, key, uniform);
    design->SetBaseFontSize(uniform(1.0f, 1000.0f));
}

// A finish for the start by the round: coincident, on one axis, 1e-30 or up to 1e6 apart.
Point2D RandomFinish(const Point2D &s, int32_t round, const std::function<float(float, float)> &uniform)
{
    switch (round % 5)
    {
    case 0: return s;
    case 1: return Point2D(s.x + uniform(-100.0f, 100.0f), s.y);
    case 2: return Point2D(s.x, s.y + uniform(-100.0f, 100.0f));
    case 3: return Point2D(s.x + 1e-30f, s.y - 1e-30f);
    default:
    {
        float dx = uniform(-1e6f, 1e6f);
        return Point2D(s.x + dx, s.y + uniform(-1e6f, 1e6f));
    }
    }
}

// Random ends, design values within their rows' ranges, every decoration, offset, width and dash:
// every curve point, anchor and outline stays finite.
TEST_F(LineGeometryTest, RandomLinesStayFinite)
{
    std::mt19937 random(4401);
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    for (int32_t round = 0; round < 400; ++round)
    {
        RandomizeLineDesign(&design, uniform);

        Point2D s(uniform(-1e4f, 1e4f), uniform(-1e4f, 1e4f));
        Point2D f = RandomFinish(s, round, uniform);
        LineObject line;
        line.startDecoration = kDecorations[round % 7];
        line.finishDecoration = kDecorations[(round / 7) % 7];
        line.startOffset = kOffsets[round % 4];
        line.finishOffset = kOffsets[(round / 4) % 4];
        line.widthIndex = uint8_t(round % 5);
        line.dashIndex = uint8_t((round / 5) % 4);
        line.RebuildGeometry(&design, s, f);
        ASSERT_TRUE(line.IsPlaced());
        for (const QuadraticBezier2D &c : line.curves) ASSERT_TRUE(Finite(c.p0) && Finite(c.p1) && Finite(c.p2)) << round;
        for (int32_t i = 0; i < line.startDecorationCount; ++i)
        {
            const QuadraticBezier2D &c = line.startDecorationCurves[i];
            ASSERT_TRUE(Finite(c.p0) && Finite(c.p1) && Finite(c.p2)) << round;
        }
        for (int32_t i = 0; i < line.finishDecorationCount; ++i)
        {
            const QuadraticBezier2D &c = line.finishDecorationCurves[i];
            ASSERT_TRUE(Finite(c.p0) && Finite(c.p1) && Finite(c.p2)) << round;
        }
        const Point2D *points = nullptr;
        int32_t count = line.GetAnchorPoints('line', &points);
        for (int32_t i = 0; i < count; ++i) ASSERT_TRUE(Finite(points[i])) << round;
        count = line.GetAnchorPoints('anno', &points);
        for (int32_t i = 0; i < count; ++i) ASSERT_TRUE(Finite(points[i])) << round;
        for (int32_t i = 0; i < 4; ++i)
        {
            Vector2D d;
            line.GetAnchorDirection(&d, i);
            ASSERT_TRUE(std::isfinite(d.x) && std::isfinite(d.y)) << round;
        }
        DisplayList list;
        line.BuildSelectionOutline(0.5f, &list);
        ASSERT_EQ(list.GetListElementCount(), 1);
        auto *outline = static_cast<FillPathItem *>(list.GetFirstListElement());
        for (int32_t i = 0; i < outline->curveCount; ++i)
        {
            ASSERT_TRUE(Finite(outline->curves[i].p0) && Finite(outline->curves[i].p2)) << round;
        }
        list.Remove(outline);
        delete outline;
    }
}

TEST_F(LineGeometryTest, BentLineItemsAgree)
{
    for (int32_t kind = 0; kind < 3; ++kind)
    {
        for (uint8_t dashIndex = 0; dashIndex <= 3; ++dashIndex)
        {
            for (bool v : {false, true})
            {
                SCOPED_TRACE(testing::Message() << kind << " " << int(dashIndex) << " " << v);
                std::unique_ptr<BentLineObject> line;
                if (kind == 0) line = std::make_unique<CornerLineObject>(v);
                else if (kind == 1) line = std::make_unique<QuarterLineObject>(v);
                else line = std::make_unique<ZigzagLineObject>(v);
                line->startDecoration = kDecorations[dashIndex + 1];
                line->finishDecoration = kDecorations[(dashIndex + 3) % 7];
                line->dashIndex = dashIndex;
                line->widthIndex = dashIndex;
                line->RebuildGeometry(&design, Point2D(-3.0f, 2.0f), Point2D(25.0f, -17.0f));
                ExpectItemParity(design, *line);
            }
        }
    }
}

// The ends of a bent line after its offsets and decorations, moved along the outward directions
// that anchors 0 and 1 report; each undershoot is capped by the ends' distance along its direction.
void MoveBentEnds(const Design &design, const LineObject &line, Point2D *start, Point2D *finish)
{
    Vector2D outStart, outFinish;
    line.GetAnchorDirection(&outStart, 0);
    line.GetAnchorDirection(&outFinish, 1);
    float spanX = std::fabs(finish->x - start->x), spanY = std::fabs(finish->y - start->y);
    ApplyLineEndOffset(&design, line.startOffset, start, outStart, (outStart.x != 0.0f) ? spanX : spanY);
    ApplyLineEndOffset(&design, line.finishOffset, finish, outFinish, (outFinish.x != 0.0f) ? spanX : spanY);
    float w = line.GetStrokeWidth(&design);
    QuadraticBezier2D scratch[kLineDecorationCurves];
    DrawLineEndDecoration(&design, line.startDecoration, start, outStart, w, scratch);
    DrawLineEndDecoration(&design, line.finishDecoration, finish, outFinish, w, scratch);
}

// Random ends and design values, every kind, v, decoration, offset, width and dash: everything
// finite and every contour closed; and where every leg after offsets and decorations is at least
// two stroke widths long, every fitted dash at least one stroke width and the stroke narrower than
// twice each radius, every piece built counter-clockwise has positive signed area.
TEST_F(LineGeometryTest, RandomBentLines)
{
    std::mt19937 random(4502);
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    int32_t oriented = 0;
    const int32_t rounds = 3000;
    for (int32_t round = 0; round < rounds; ++round)
    {
        RandomizeLineDesign(&design, uniform);
        if (round % 2 == 0) design.SetBaseFontSize(uniform(1.0f, 30.0f));
        int32_t kind = round % 3;
        bool v = (round / 3) % 2 != 0;
        std::unique_ptr<BentLineObject> line;
        if (kind == 0) line = std::make_unique<CornerLineObject>(v);
        else if (kind == 1) line = std::make_unique<QuarterLineObject>(v);
        else line = std::make_unique<ZigzagLineObject>(v);
        line->startDecoration = kDecorations[(round / 6) % 7];
        line->finishDecoration = kDecorations[(round / 42) % 7];
        line->startOffset = kOffsets[(round / 5) % 4];
        line->finishOffset = kOffsets[(round / 20) % 4];
        line->widthIndex = uint8_t((round / 7) % 5);
        line->dashIndex = uint8_t((round / 11) % 4);

        Point2D s(uniform(-1e4f, 1e4f), uniform(-1e4f, 1e4f));
        Point2D f;
        switch (round % 7)
        {
        case 0: f = Point2D(s.x + uniform(-1e3f, 1e3f), s.y); break;  // straight
        case 1: f = Point2D(s.x + 1e-3f, s.y - 1e-3f); break;
        case 2: f = Point2D(s.x + uniform(-1e6f, 1e6f), s.y + uniform(-1e6f, 1e6f)); break;
        default: f = Point2D(s.x + uniform(-1e3f, 1e3f), s.y + uniform(-1e3f, 1e3f)); break;
        }
        SCOPED_TRACE(testing::Message() << "round " << round);
        line->RebuildGeometry(&design, s, f);
        ASSERT_TRUE(line->IsPlaced());
        const QuadraticBezier2D *c = line->curves.GetElements();
        int32_t count = line->curves.GetElementCount();
        for (int32_t i = 0; i < count; ++i) ASSERT_TRUE(Finite(c[i].p0) && Finite(c[i].p1) && Finite(c[i].p2)) << i;
        DisplayList items;
        line->BuildExportItems(&design, &items);
        for (ListElement *e = items.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
        {
            auto *item = static_cast<ExportCurveItem *>(e);
            for (int32_t i = 0; i < item->curveCount; ++i)
            {
                ASSERT_TRUE(Finite(item->curves[i].p0) && Finite(item->curves[i].p1) && Finite(item->curves[i].p2));
            }
            EXPECT_TRUE(ContoursClosed(item->curves, item->curveCount, 1e-3f * (1.0f + std::fabs(s.x) + std::fabs(f.x) + std::fabs(s.y) + std::fabs(f.y)) * 1e-3f));
        }
        while (ListElement *element = items.GetFirstListElement())
        {
            items.Remove(element);
            delete element;
        }
        for (uint32_t anchorKind : {uint32_t('line'), uint32_t('anno')})
        {
            const Point2D *points = nullptr;
            int32_t n = line->GetAnchorPoints(anchorKind, &points);
            for (int32_t i = 0; i < n; ++i) ASSERT_TRUE(Finite(points[i]));
        }
        for (int32_t i = 0; i < 8; ++i)
        {
            Vector2D d;
            line->GetAnchorDirection(&d, i);
            ASSERT_TRUE(std::isfinite(d.x) && std::isfinite(d.y));
        }
        if (line->straight) continue;

        // Legs (the quarter line: radii) from the moved ends, measured inward from each end so
        // that an end pulled past its bend counts as negative; and the lengths dashed.
        float w = line->GetStrokeWidth(&design);
        float r = w / 2.0f;
        Point2D ms = s, mf = f;
        MoveBentEnds(design, *line, &ms, &mf);
        Vector2D outStart, outFinish;
        line->GetAnchorDirection(&outStart, 0);
        line->GetAnchorDirection(&outFinish, 1);
        Point2D bendS = ms, bendF = mf;  // where each end's leg ends
        if (kind == 0)
        {
            bendS = bendF = v ? Point2D(s.x, f.y) : Point2D(f.x, s.y);
        }
        else if (kind == 1)
        {
            bendS = mf;
            bendF = ms;
        }
        else
        {
            auto *zigzag = static_cast<ZigzagLineObject *>(line.get());
            bendS = zigzag->bends[0];
            bendF = zigzag->bends[1];
        }
        std::vector<float> legs = {Dot(bendS - ms, -outStart), Dot(bendF - mf, -outFinish)};
        std::vector<float> dashedLengths = {legs[0] + r, legs[1] + r};
        if (kind == 2)
        {
            float middle = GetFastLength(bendF - bendS);
            legs.push_back(middle);
            dashedLengths.push_back(middle + 2.0f * r);
        }
        bool ordered = true;
        for (float leg : legs) ordered = ordered && leg >= 2.0f * w;
        float dash = 0.0f, gap = 0.0f;
        bool dashed = line->GetDashLengths(&design, w, &dash, &gap);
        if (dashed && kind == 1) continue;  // its dashes are not built in one orientation
        for (float length : dashedLengths)
        {
            DashFit fit{};
            if (dashed && FitDashPattern(length, dash, gap, &fit)) ordered = ordered && fit.dash >= w;
        }
        if (!ordered) continue;
        ++oriented;
        std::vector<int32_t> pieces;
        if (kind == 1) pieces = {8};
        else if (!dashed) pieces = std::vector<int32_t>(size_t(count / 4), 4);
        else
        {
            pieces = (kind == 0) ? std::vector<int32_t>{6} : std::vector<int32_t>{6, 6};
            for (int32_t at = (kind == 0) ? 6 : 12; at < count; at += 4) pieces.push_back(4);
        }
        int32_t at = 0;
        for (int32_t piece : pieces)
        {
            EXPECT_GT(SignedArea(c + at, piece), 0.0) << "curve " << at;
            at += piece;
        }
        EXPECT_EQ(at, count);
    }
    // Enough rounds meet the conditions to matter.
    EXPECT_GT(oriented, rounds / 10);
}

class ShapeGeometryTest : public ::testing::Test
{
protected:
    void SetUp() override { test::PrepareDrawingTests(); }

    float StrokeWidth() const { return design.GetBaseFontSize() * GetGroupParam(&design, 'line', 'wid0'); }

    Design design;
};

// With a = xmax - xmin and b = ymax - ymin: four solid bands cover 4g(a + b) + 4g^2; dashed, the
// corner pieces 2g(dh + dv) - 4g^2 each and the straight dashes 2g dh or 2g dv, 8(nh + nv) - 8
// curves in all. Pieces are counter-clockwise when the box and the dashes are a stroke width or more.
TEST_F(ShapeGeometryTest, RectangleStrokeAreas)
{
    float sw = StrokeWidth();
    double g = sw / 2.0;
    const float boxes[][2] = {{10.0f, 6.0f}, {1.0f, 1.0f}, {40.0f, 3.0f}, {2.5f, 30.0f}};
    for (const auto &size : boxes)
    {
        float a = size[0] * sw;
        float b = size[1] * sw;
        for (uint8_t dashIndex = 0; dashIndex <= 3; ++dashIndex)
        {
            SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1] << " dash " << int(dashIndex));
            RectangleObject rectangle(false, true);
            rectangle.dashIndex = dashIndex;
            rectangle.RebuildGeometry(&design, Point2D(3.0f, 4.0f), Point2D(3.0f + a, 4.0f + b));
            const QuadraticBezier2D *curves = rectangle.curves.GetElements();
            int32_t count = rectangle.curves.GetElementCount();
            EXPECT_TRUE(ContoursClosed(curves, count, 1e-4f));
            if (dashIndex == 0)
            {
                ASSERT_EQ(count, 16);
                double total = 0.0;
                for (int32_t piece = 0; piece < 4; ++piece)
                {
                    double area = SignedArea(curves + 4 * piece, 4);
                    EXPECT_GT(area, 0.0) << piece;
                    total += area;
                }
                double expected = 4.0 * g * (double(a) + b) + 4.0 * g * g;
                EXPECT_NEAR(total, expected, 1e-4 * expected);
                continue;
            }
            float dash = 0.0f, gap = 0.0f;
            ASSERT_TRUE(rectangle.GetDashLengths(&design, sw, &dash, &gap));
            DashFit across{}, down{};
            ASSERT_TRUE(FitDashPattern(a + sw, dash, gap, &across));
            ASSERT_TRUE(FitDashPattern(b + sw, dash, gap, &down));
            ASSERT_EQ(count, 8 * (across.count + down.count) - 8);
            double dh = across.dash;
            double dv = down.dash;
            bool oriented = dh >= sw && dv >= sw;
            for (int32_t piece = 0; piece < 4; ++piece)
            {
                double area = SignedArea(curves + 6 * piece, 6);
                EXPECT_NEAR(area, 2.0 * g * (dh + dv) - 4.0 * g * g, 1e-3 * sw * sw) << piece;
                if (oriented) { EXPECT_GT(area, 0.0) << piece; }
            }
            int32_t horizontal = 2 * (across.count - 2);
            for (int32_t piece = 0; 24 + 4 * piece < count; ++piece)
            {
                double area = SignedArea(curves + 24 + 4 * piece, 4);
                double expected = 2.0 * g * (piece < horizontal ? dh : dv);
                EXPECT_NEAR(area, expected, 1e-3 * expected) << piece;
                if (oriented) { EXPECT_GT(area, 0.0) << piece; }
            }
        }
    }

    // A small dashed rectangle is exactly its four L-shaped corners.
    RectangleObject small(false, true);
    small.dashIndex = 1;
    float dash = 0.0f, gap = 0.0f;
    ASSERT_TRUE(small.GetDashLengths(&design, sw, &dash, &gap));
    small.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(dash, dash));
    EXPECT_EQ(small.curves.GetElementCount(), 24);
}

// The fill of a rounded rectangle is W H - (4 - pi) R^2 within the three-curves-per-quarter
// approximation; with R >= g every stroke piece (corner, side, corner dash, straight dash) is
// counter-clockwise and closed.
TEST_F(ShapeGeometryTest, RoundedRectangleAreasAndOrientation)
{
    float sw = StrokeWidth();
    const float boxes[][2] = {{60.0f, 40.0f}, {200.0f, 120.0f}, {15.0f, 90.0f}};
    for (const auto &size : boxes)
    {
        for (uint8_t radiusIndex = 0; radiusIndex <= 2; ++radiusIndex)
        {
            for (uint8_t dashIndex = 0; dashIndex <= 3; ++dashIndex)
            {
                SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1] << " r " << int(radiusIndex) << " d "
                                                << int(dashIndex));
                RoundedRectangleObject shape(true, true);
                shape.radiusIndex = radiusIndex;
                shape.dashIndex = dashIndex;
                shape.RebuildGeometry(&design, Point2D(-5.0f, 3.0f), Point2D(-5.0f + size[0], 3.0f + size[1]));
                double r = shape.radius;
                ASSERT_GE(r, sw / 2.0);
                ASSERT_EQ(shape.fillCurveCount, 16);
                double expected = double(size[0]) * size[1] - (4.0 - M_PI) * r * r;
                EXPECT_NEAR(SignedArea(shape.fillOutline, 16), expected, 2e-3 * expected);
                const QuadraticBezier2D *curves = shape.curves.GetElements();
                int32_t count = shape.curves.GetElementCount();
                int32_t at = 0;
                for (int32_t piece = 0; at < count; ++piece)
                {
                    int32_t n = (!shape.cornerDashes && piece < 4) ? 8 : 4;
                    EXPECT_GT(SignedArea(curves + at, n), 0.0) << piece;
                    EXPECT_TRUE(ContoursClosed(curves + at, n, 1e-3f)) << piece;
                    at += n;
                }
                EXPECT_EQ(at, count);
            }
        }
    }
}

// The arc length of the ellipse (rx cos t, ry sin t) from t0 to t1, by Simpson's rule in double.
double EllipseArc(double rx, double ry, double t0, double t1)
{
    const int steps = 2000;
    double h = (t1 - t0) / steps;
    auto speed = [&](double t) { return std::hypot(rx * std::sin(t), ry * std::cos(t)); };
    double sum = speed(t0) + speed(t1);
    for (int i = 1; i < steps; ++i) sum += speed(t0 + i * h) * (i % 2 != 0 ? 4.0 : 2.0);
    return sum * h / 3.0;
}

TEST_F(ShapeGeometryTest, EllipseAreas)
{
    float sw = StrokeWidth();
    EllipseObject circle(true, true);
    circle.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(20.0f * sw, 20.0f * sw));
    double r = circle.radiusX;
    EXPECT_NEAR(SignedArea(circle.fillOutline, 12), M_PI * r * r, 1e-3 * M_PI * r * r);
    EXPECT_TRUE(ContoursClosed(circle.fillOutline, 12, 1e-4f));
    // The solid band: outer contour counter-clockwise, inner clockwise.
    ASSERT_EQ(circle.curves.GetElementCount(), 24);
    double band = SignedArea(circle.curves.GetElements(), 24);
    EXPECT_NEAR(band, M_PI * 2.0 * sw * r, 1e-3 * band);
    EXPECT_GT(SignedArea(circle.curves.GetElements(), 12), 0.0);
    EXPECT_LT(SignedArea(circle.curves.GetElements() + 12, 12), 0.0);
}

// Dashes laid by arc length: pieces centred on multiples of Q / n (the axis ends among them), each
// counter-clockwise (mirrored ones too), all of them together 4n fitted dashes long.
TEST_F(ShapeGeometryTest, EllipseDashesByArcLength)
{
    float sw = StrokeWidth();
    EllipseObject probe(false, true);
    probe.dashIndex = 2;
    float dash = 0.0f, gap = 0.0f;
    ASSERT_TRUE(probe.GetDashLengths(&design, sw, &dash, &gap));
    float unit[65];
    BuildArcLengthTable(0.70710677f, 0.35355338f, unit);  // the box 1 x 0.5
    for (int32_t wanted : {2, 3, 7})
    {
        SCOPED_TRACE(wanted);
        float scale = float(wanted) * (dash + gap) / unit[64];
        EllipseObject ellipse(false, true);
        ellipse.dashIndex = 2;
        ellipse.RebuildGeometry(&design, Point2D(1.0f, 2.0f), Point2D(1.0f + scale, 2.0f + 0.5f * scale));
        float table[65];
        BuildArcLengthTable(ellipse.radiusX, ellipse.radiusY, table);
        int32_t n = int32_t(std::floor(table[64] / (dash + gap) + 0.5f));
        ASSERT_EQ(n, wanted);
        ASSERT_EQ(ellipse.curves.GetElementCount(), 16 * n);
        double fitted = table[64] / (n * double(gap) / dash + n);

        double rx = ellipse.radiusX, ry = ellipse.radiusY;
        double cx = 1.0 + scale / 2.0, cy = 2.0 + 0.25 * scale;
        double quarter = EllipseArc(rx, ry, 0.0, M_PI / 2.0);
        double total = 0.0;
        for (int32_t piece = 0; piece < 4 * n; ++piece)
        {
            const QuadraticBezier2D *curves = ellipse.curves.GetElements() + 4 * piece;
            EXPECT_GT(SignedArea(curves, 4), 0.0) << piece;
            EXPECT_TRUE(ContoursClosed(curves, 4, 1e-4f)) << piece;
            // The two straight curves cross the band at the piece's ends: their middles lie on the
            // centre ellipse.
            std::vector<double> angles;
            for (int32_t i = 0; i < 4; ++i)
            {
                if (!(curves[i].p1 == curves[i].p2) && !(curves[i].p1 == curves[i].p0)) continue;
                double x = (double(curves[i].p0.x) + curves[i].p2.x) / 2.0 - cx;
                double y = (double(curves[i].p0.y) + curves[i].p2.y) / 2.0 - cy;
                EXPECT_NEAR(x * x / (rx * rx) + y * y / (ry * ry), 1.0, 1e-3) << piece;
                angles.push_back(std::atan2(y / ry, x / rx));
            }
            ASSERT_EQ(angles.size(), 2u) << piece;
            double span = std::remainder(angles[1] - angles[0], 2.0 * M_PI);
            double from = span > 0.0 ? angles[0] : angles[1];
            double length = EllipseArc(rx, ry, from, from + std::fabs(span));
            total += length;
            double start = from < 0.0 ? from + 2.0 * M_PI : from;
            double centre = EllipseArc(rx, ry, 0.0, start) + length / 2.0;
            double step = quarter / n;
            double off = std::remainder(centre, step);
            EXPECT_LT(std::fabs(off), 5e-3 * quarter) << piece;
        }
        EXPECT_NEAR(total, 4.0 * n * fitted, 5e-3 * total);
    }
}

// Bracket types, with one that reads as the brace.
const BracketOutlineType kBracketTypes[] = {kBracketOutlineSquare, kBracketOutlineBrace, kBracketOutlineShell, 'junk'};

TEST_F(ShapeGeometryTest, ExportAndPathItemsAgree)
{
    const Point2D finishes[] = {Point2D(30.0f, -12.0f), Point2D(-3.0f, 20.0f), Point2D(-3.0f, 2.0f), Point2D(25.0f, 2.0f)};
    for (const Point2D &finish : finishes)
    {
        for (uint8_t dashIndex = 0; dashIndex <= 3; ++dashIndex)
        {
            for (bool fill : {false, true})
            {
                SCOPED_TRACE(testing::Message() << finish.x << ", " << finish.y << " dash " << int(dashIndex));
                RectangleObject rectangle(fill, true);
                EllipseObject ellipse(fill, !fill || dashIndex != 0);
                rectangle.dashIndex = dashIndex;
                ellipse.dashIndex = dashIndex;
                rectangle.strokeColor = 0x80FF0000u;
                rectangle.strokePaletteIndex = -1;
                rectangle.RebuildGeometry(&design, Point2D(-3.0f, 2.0f), finish);
                ellipse.RebuildGeometry(&design, Point2D(-3.0f, 2.0f), finish);
                ExpectItemParity(design, rectangle);
                ExpectItemParity(design, ellipse);
                for (uint8_t radiusIndex = 0; radiusIndex <= 2; ++radiusIndex)
                {
                    RoundedRectangleObject rounded(fill, true);
                    rounded.dashIndex = dashIndex;
                    rounded.radiusIndex = radiusIndex;
                    rounded.RebuildGeometry(&design, Point2D(-3.0f, 2.0f), finish);
                    ExpectItemParity(design, rounded);
                }
                for (BracketOutlineType type : kBracketTypes)
                {
                    BracketObject bracket(type);
                    bracket.fill = fill;
                    bracket.startLengthStyle = kOffsets[dashIndex];
                    bracket.finishLengthStyle = kOffsets[3 - dashIndex];
                    bracket.strokeColor = 0x80FF0000u;
                    bracket.strokePaletteIndex = fill ? -1 : 2;
                    bracket.RebuildGeometry(&design, Point2D(-3.0f, 2.0f), finish);
                    ExpectItemParity(design, bracket);
                }
            }
        }
    }
}

// Random ends (coincident, equal x or y, 1e-30 and 1e6 apart) and design values within their
// rows' ranges, every width and dash, fill and stroke on or off: every curve, anchor and frame
// stays finite.
TEST_F(ShapeGeometryTest, RandomShapesStayFinite)
{
    std::mt19937 random(4601);
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    auto finiteCurves = [](const QuadraticBezier2D *curves, int32_t count) {
        for (int32_t i = 0; i < count; ++i)
        {
            if (!Finite(curves[i].p0) || !Finite(curves[i].p1) || !Finite(curves[i].p2)) return false;
        }
        return true;
    };
    for (int32_t round = 0; round < 400; ++round)
    {
        RandomizeLineDesign(&design, uniform);
        Point2D s(uniform(-1e4f, 1e4f), uniform(-1e4f, 1e4f));
        Point2D f = RandomFinish(s, round, uniform);
        bool fill = (round / 5) % 2 == 0;
        bool stroke = (round / 10) % 3 != 0;
        RectangleObject rectangle(fill, stroke);
        EllipseObject ellipse(fill, stroke);
        RoundedRectangleObject rounded(fill, stroke);
        rounded.radiusIndex = uint8_t((round / 7) % 3);
        for (DrawingObject *object : std::initializer_list<DrawingObject *>{&rectangle, &ellipse, &rounded})
        {
            object->widthIndex = uint8_t(round % 5);
            object->dashIndex = uint8_t((round / 3) % 4);
            object->RebuildGeometry(&design, s, f);
            ASSERT_TRUE(object->IsPlaced()) << round;
            DisplayList list;
            object->BuildPathItems(&design, &list);
            object->BuildSelectionOutline(0.5f, &list);
            for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
            {
                auto *item = static_cast<FillPathItem *>(e);
                ASSERT_TRUE(finiteCurves(item->curves, item->curveCount)) << round;
            }
            list.Purge();
            for (uint32_t kind : {kEdgeAnchorKind, uint32_t('anno')})
            {
                const Point2D *points = nullptr;
                int32_t count = object->GetAnchorPoints(kind, &points);
                for (int32_t i = 0; i < count; ++i) ASSERT_TRUE(Finite(points[i])) << round;
            }
            static_cast<void>(object->HitTest(s, uniform(0.0f, 10.0f)));
        }
    }
}

// Random ends (coincident, 1e-30 apart, on one axis, up to 1e6 apart) and design values within their
// rows' ranges, every type, length style, width and dash: the outline is closed and finite, drawn as
// one item (none for ends without a distance), the anchors and frame are finite, the annotation
// anchor lies beyond the bracket anchor, and the middle of the hit rectangle is hit.
TEST_F(ShapeGeometryTest, RandomBracketsStayFinite)
{
    std::mt19937 random(4701);
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(random); };
    for (int32_t round = 0; round < 600; ++round)
    {
        RandomizeLineDesign(&design, uniform);
        RandomizeDesignGroup(&design, 'jost', uniform);
        Point2D s(uniform(-1e4f, 1e4f), uniform(-1e4f, 1e4f));
        Point2D f = RandomFinish(s, round, uniform);
        BracketObject bracket(kBracketTypes[round % 4]);
        bracket.startLengthStyle = kOffsets[(round / 4) % 4];
        bracket.finishLengthStyle = kOffsets[(round / 16) % 4];
        bracket.widthIndex = uint8_t(round % 7);
        bracket.dashIndex = uint8_t(round % 6);
        bracket.fill = round % 2 == 0;
        bracket.RebuildGeometry(&design, s, f);
        ASSERT_TRUE(bracket.IsPlaced()) << round;
        bool coincident = round % 5 == 0 || round % 5 == 3;
        int32_t expected = (bracket.outlineType == kBracketOutlineSquare)  ? 8
                           : (bracket.outlineType == kBracketOutlineShell) ? kShellBracketOutlineCurves
                                                                          : kBraceOutlineCurves;
        ASSERT_EQ(bracket.curveCount, coincident ? 0 : expected) << round;
        float scale = std::fmax(std::fabs(s.x), std::fabs(s.y)) + std::fabs(f.x - s.x) + std::fabs(f.y - s.y);
        EXPECT_TRUE(ContoursClosed(bracket.outline, bracket.curveCount, 1e-5f * scale)) << round;

        DisplayList list;
        bracket.BuildPathItems(&design, &list);
        ASSERT_EQ(list.GetListElementCount(), coincident ? 0 : 1) << round;
        bracket.BuildSelectionOutline(0.5f, &list);
        for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
        {
            auto *item = static_cast<FillPathItem *>(e);
            for (int32_t i = 0; i < item->curveCount; ++i)
            {
                const QuadraticBezier2D &c = item->curves[i];
                ASSERT_TRUE(Finite(c.p0) && Finite(c.p1) && Finite(c.p2)) << round;
            }
        }
        list.Purge();

        const Point2D *points = nullptr;
        ASSERT_EQ(bracket.GetAnchorPoints(kBracketObjectKind, &points), 1);
        Point2D back = points[0];
        ASSERT_EQ(bracket.GetAnchorPoints(uint32_t('anno'), &points), 1);
        Point2D annotation = points[0];
        ASSERT_TRUE(Finite(back) && Finite(annotation)) << round;
        Vector2D direction;
        bracket.GetAnchorDirection(&direction, round);
        ASSERT_TRUE(std::isfinite(direction.x) && std::isfinite(direction.y)) << round;
        EXPECT_GE(Dot(annotation - back, direction), 0.0f) << round;
        Point2D middle = bracket.hitCornerA + (bracket.hitCornerB - bracket.hitCornerA) * 0.5f;
        EXPECT_TRUE(bracket.HitTest(middle, 1.0f)) << round;
    }
}

}  // namespace
}  // namespace oq
