// Rounded rectangles: Kettric text, the radius clamp, which corners are dashed and how many curves
// the stroke takes, the items it is drawn as, degenerate and huge boxes, and the box-based hit test.
#include "DrawingTesting.h"

#include "editor/document/MathDesign.h"
#include "editor/drawing/RoundedRectangleObject.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::FindHead;
using test::WriteDrawingDocument;

bool Finite(const Point2D &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool FiniteCurves(const QuadraticBezier2D *curves, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (!Finite(curves[i].p0) || !Finite(curves[i].p1) || !Finite(curves[i].p2)) return false;
    }
    return true;
}

// The curve counts of the path items; empties the list.
std::vector<int32_t> PathItemCounts(DisplayList *list)
{
    std::vector<int32_t> counts;
    for (ListElement *e = list->GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        auto *path = dynamic_cast<FillPathItem *>(e);
        counts.push_back(path != nullptr ? path->curveCount : -1);
    }
    list->Purge();
    return counts;
}

// Pieces of a pattern that begins and ends with a gap, computed directly: floor((L + d) / (d + g) + 1/2),
// at least 2.
int32_t GapPatternCount(double length, double dash, double gap)
{
    double n = std::floor((length + dash) / (dash + gap) + 0.5);
    return n < 2.0 ? 2 : int32_t(n);
}

class RoundedRectangleTest : public ::testing::Test
{
protected:
    void SetUp() override { test::PrepareDrawingTests(); }

    float Size() const { return design.GetBaseFontSize(); }
    float Param(uint32_t group, uint32_t key) const { return Size() * GetGroupParam(&design, group, key); }

    Design design;
};

TEST_F(RoundedRectangleTest, KettricRoundTrip)
{
    struct Case
    {
        const char *head;
        const char *written;
        int radius;
    };
    const Case cases[] = {
        {"Rr (s,w=2,r=1)", "Rr (s,w=2,r=1)", 1},
        {"Rr (f,r=9)", "Rr (f,r=2)", 2},
        {"Rr (r=255,s)", "Rr (s,r=2)", 2},
        {"Rr (f,r=0)", "Rr (f)", 0},
        {"Rr (r=1)", "Rr (r=1)", 1},
        {"Rr", "Rr", 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.head);
        EquationDocument document;
        std::string text = std::string("Gr { Bg $a {} } ") + c.head + " { X { ref{$a,$a} u32{0,0} i32{0,1} } }";
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        auto *object = dynamic_cast<RoundedRectangleObject *>(document.GetRootStructure()->GetLastSubnodeStructure());
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->GetCategory(), kDrawingCategoryShape);
        EXPECT_EQ(object->radiusIndex, c.radius);
        std::string written = WriteDrawingDocument(document);
        EXPECT_EQ(FindHead(written, "Rr"), c.written);
        EquationDocument reread;
        ASSERT_EQ(reread.ParseAndResolve(written.c_str()), 0u);
        EXPECT_EQ(WriteDrawingDocument(reread), written);
    }
}

TEST_F(RoundedRectangleTest, RadiusIsClampedToHalfTheBox)
{
    const uint32_t keys[3] = {'rad0', 'rad1', 'rad2'};
    struct Case
    {
        float width, height;
        uint8_t index;
    };
    const Case cases[] = {{100.0f, 80.0f, 0}, {100.0f, 80.0f, 2}, {4.0f, 100.0f, 2}, {100.0f, 3.0f, 1},
                          {10.0f, 10.0f, 2},  {0.0f, 50.0f, 2}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " r=" << int(c.index));
        RoundedRectangleObject shape(true, true);
        shape.radiusIndex = c.index;
        // Start and finish in either order give the same box.
        shape.RebuildGeometry(&design, Point2D(5.0f + c.width, 7.0f), Point2D(5.0f, 7.0f + c.height));
        float expected = std::fmin(Param('shap', keys[c.index]), std::fmin(c.width, c.height) / 2.0f);
        EXPECT_FLOAT_EQ(shape.radius, expected);
        EXPECT_EQ(shape.fillCurveCount, expected > 0.0f ? 16 : 4);
        EXPECT_EQ(shape.box[0], 5.0f);
        EXPECT_EQ(shape.box[1], 7.0f);
        EXPECT_EQ(shape.curves.GetElementCount(), 48);
    }
}

// Base size 11, dash index 3 (dash 0.54 em, gap 0.36 em) on a large box: radius index 0 keeps solid
// corners, index 2 dashes them. Both curve counts follow from the directly computed pattern counts.
TEST_F(RoundedRectangleTest, WorkedExampleCornersAndCurveCounts)
{
    ASSERT_FLOAT_EQ(Size(), 11.0f);
    const float width = 200.0f, height = 120.0f;
    for (uint8_t index : {uint8_t(0), uint8_t(2)})
    {
        SCOPED_TRACE(int(index));
        RoundedRectangleObject shape(false, true);
        shape.dashIndex = 3;
        shape.radiusIndex = index;
        shape.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(width, height));
        float sw = shape.GetStrokeWidth(&design);
        double dash = Param('line', 'dsh2'), gap = Param('line', 'gap2');
        double r = shape.radius;
        double dashMin = std::fmax(dash, sw), gapMin = std::fmax(gap, sw);
        int32_t nh = GapPatternCount(width - 2.0 * r, dashMin, gapMin);
        int32_t nv = GapPatternCount(height - 2.0 * r, dashMin, gapMin);
        double arc = r * M_PI / 2.0;
        bool dashedCorners = (gap + arc) / (gap + dash) >= 1.5;
        EXPECT_EQ(dashedCorners, index == 2);
        EXPECT_EQ(shape.cornerDashes, dashedCorners);

        DisplayList list;
        shape.BuildPathItems(&design, &list);
        std::vector<int32_t> items = PathItemCounts(&list);
        int32_t straight = 2 * (nh - 1) + 2 * (nv - 1);
        if (!dashedCorners)
        {
            EXPECT_EQ(shape.curves.GetElementCount(), 8 * (nh + nv) + 16);
            std::vector<int32_t> expected = {8, 8, 8, 8};
            expected.insert(expected.end(), size_t(straight), 4);
            EXPECT_EQ(items, expected);
            continue;
        }
        double half = sw / 2.0;
        double cornerDash = std::fmax(dash, half), cornerGap = std::fmax(gap, half);
        int32_t nc = int32_t(std::floor((arc + cornerGap) / (cornerDash + cornerGap) + 0.5));
        if (nc < 2) nc = 2;
        EXPECT_EQ(shape.curves.GetElementCount(), 16 * nc + 8 * (nh + nv) - 16);
        EXPECT_EQ(items, std::vector<int32_t>(size_t(4 * nc + straight), 4));
        // Corner dashes keep to the band: every point within R - g .. R + g of a corner centre,
        // control points aside.
        const QuadraticBezier2D *c = shape.curves.GetElements();
        Point2D centre{float(r), float(r)};  // bottom-left
        for (int32_t i = 0; i < 4 * nc; ++i)
        {
            double d = std::hypot(c[i].p0.x - centre.x, c[i].p0.y - centre.y);
            EXPECT_NEAR(std::fabs(d - r), half, 1e-3) << i;
        }
    }
}

// A box of no width gives R = 0: 4 fill curves, corners never dashed, the solid corner pieces built
// with outer radius g and inner radius -g, all finite.
TEST_F(RoundedRectangleTest, ZeroSizeBox)
{
    for (uint8_t dashIndex : {uint8_t(0), uint8_t(3)})
    {
        RoundedRectangleObject shape(true, true);
        shape.radiusIndex = 2;
        shape.dashIndex = dashIndex;
        shape.RebuildGeometry(&design, Point2D(4.0f, 6.0f), Point2D(4.0f, 6.0f));
        ASSERT_TRUE(shape.IsPlaced());
        EXPECT_EQ(shape.radius, 0.0f);
        EXPECT_EQ(shape.fillCurveCount, 4);
        EXPECT_FALSE(shape.cornerDashes);
        float g = shape.GetStrokeWidth(&design) / 2.0f;
        const QuadraticBezier2D *c = shape.curves.GetElements();
        ASSERT_GE(shape.curves.GetElementCount(), 48);
        EXPECT_TRUE(FiniteCurves(c, shape.curves.GetElementCount()));
        // Bottom-left piece: the outer arc starts left of the centre, the inner arc ends right of it.
        EXPECT_NEAR(c[0].p0.x, 4.0f - g, 1e-5f);
        EXPECT_NEAR(c[6].p2.x, 4.0f + g, 1e-5f);
        EXPECT_NEAR(c[6].p2.y, 6.0f, 1e-5f);
    }
}

// Straight lengths that are not finite draw the stroke solid instead of failing the dash fit.
TEST_F(RoundedRectangleTest, HugeBoxDrawsSolidStroke)
{
    RoundedRectangleObject shape(false, true);
    shape.dashIndex = 2;
    shape.RebuildGeometry(&design, Point2D(-3e38f, -1.0f), Point2D(3e38f, 50.0f));
    EXPECT_EQ(shape.curves.GetElementCount(), 48);
    EXPECT_FALSE(shape.cornerDashes);
    EXPECT_TRUE(FiniteCurves(shape.curves.GetElements(), 48));
}

TEST_F(RoundedRectangleTest, HitTestAndFrameFollowTheBox)
{
    RoundedRectangleObject filled(true, false);
    filled.radiusIndex = 2;
    filled.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(40.0f, 30.0f));
    EXPECT_TRUE(filled.HitTest(Point2D(0.5f, 0.5f), 0.1f));  // outside the rounding, inside the box
    EXPECT_FALSE(filled.HitTest(Point2D(41.0f, 15.0f), 0.5f));
    RoundedRectangleObject outline(false, true);
    outline.radiusIndex = 2;
    outline.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(40.0f, 30.0f));
    EXPECT_TRUE(outline.HitTest(Point2D(0.0f, 0.2f), 0.5f));
    EXPECT_FALSE(outline.HitTest(Point2D(20.0f, 15.0f), 0.5f));
    const Point2D *points = nullptr;
    ASSERT_EQ(outline.GetAnchorPoints('edge', &points), 4);
    EXPECT_EQ(points[0], Point2D(0.0f, 15.0f));
    DisplayList list;
    outline.BuildSelectionOutline(0.5f, &list);
    EXPECT_EQ(PathItemCounts(&list), std::vector<int32_t>{8});

    // A copy keeps the radius index but no geometry until it is rebuilt.
    std::unique_ptr<DocumentNode> copy(outline.Clone());
    auto *copied = static_cast<RoundedRectangleObject *>(copy.get());
    EXPECT_EQ(copied->radiusIndex, 2);
    EXPECT_EQ(copied->curves.GetElementCount(), 0);
    EXPECT_EQ(copied->fillCurveCount, 0);
}

}  // namespace
}  // namespace oq
