// The straight line: its placement, body, end decorations and offsets, anchors, items, hit test and
// selection outline, and what an unplaced or degenerate line answers.
#include "DrawingTesting.h"

#include "base/ScalarMath.h"
#include "editor/document/MathDesign.h"
#include "editor/drawing/LineObject.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <cmath>

namespace oq {
namespace {

using test::AnchorTargetNode;

float Fsiz(const Design &design)
{
    return design.GetBaseFontSize();
}

float Line(const Design &design, uint32_t key)
{
    return GetGroupParam(&design, 'line', key);
}

void ClearList(DisplayList *list)
{
    while (ListElement *element = list->GetFirstListElement())
    {
        list->Remove(element);
        delete element;
    }
}

class LineTest : public ::testing::Test
{
protected:
    void SetUp() override { test::PrepareDrawingTests(); }
    void TearDown() override { ClearList(&list); }

    Design design;
    DisplayList list;
};

TEST_F(LineTest, ReadDocumentLaysOutThroughItsLinks)
{
    EquationDocument document;
    const char *text = "Gr { Bg $a {} } Ln (s,es='wedg') { X { ref{$a,$a} u32{0,0} i32{0,0} } }";
    ASSERT_EQ(document.ParseAndResolve(text), 0u);
    auto *line = dynamic_cast<LineObject *>(document.GetRootStructure()->GetLastSubnodeStructure());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetOutgoingLinkCount(), 2);
    EXPECT_EQ(line->startDecoration, kLineEndWedge);
    std::string written = test::WriteDrawingDocument(document);
    EXPECT_NE(written.find("Ln (s,es='wedg')\n{\n\tX"), std::string::npos) << written;
}

TEST_F(LineTest, SolidBodyAnchorsAndDirections)
{
    LineObject line;
    line.RebuildGeometry(&design, Point2D(1.0f, 2.0f), Point2D(11.0f, 2.0f));
    ASSERT_TRUE(line.IsPlaced());
    float w = Fsiz(design) * Line(design, 'wid0');
    ASSERT_EQ(line.curves.GetElementCount(), 4);
    EXPECT_EQ(line.curves[0].p0, Point2D(1.0f, 2.0f - w / 2));
    EXPECT_EQ(line.curves[1].p2, Point2D(11.0f, 2.0f + w / 2));
    EXPECT_EQ(line.startDecorationCount, 0);
    EXPECT_EQ(line.finishDecorationCount, 0);

    const Point2D *points = nullptr;
    ASSERT_EQ(line.GetAnchorPoints('line', &points), 3);
    EXPECT_EQ(points[0], Point2D(1.0f, 2.0f));
    EXPECT_EQ(points[1], Point2D(11.0f, 2.0f));
    EXPECT_EQ(points[2], Point2D(6.0f, 2.0f));
    ASSERT_EQ(line.GetAnchorPoints('anno', &points), 4);
    float k = Fsiz(design) * GetGroupParam(&design, 'anno', 'lned');
    float m = Fsiz(design) * GetGroupParam(&design, 'anno', 'lnmd');
    EXPECT_NEAR(points[0].x, 1.0f - k, 1e-4f);
    EXPECT_NEAR(points[1].x, 11.0f + k, 1e-4f);
    EXPECT_NEAR(points[2].y, 2.0f - m, 1e-4f);
    EXPECT_NEAR(points[3].y, 2.0f + m, 1e-4f);
    EXPECT_EQ(line.GetAnchorPoints('zzzz', &points), 0);

    const uint32_t *kinds = nullptr;
    ASSERT_EQ(line.GetAnchorKinds(&kinds), 1);
    EXPECT_EQ(kinds[0], uint32_t('line'));

    // Each direction points the way its annotation anchor lies from the line.
    const Vector2D expected[4] = {Vector2D(-1, 0), Vector2D(1, 0), Vector2D(0, -1), Vector2D(0, 1)};
    for (int32_t i = 0; i < 4; ++i)
    {
        Vector2D d;
        line.GetAnchorDirection(&d, i);
        EXPECT_NEAR(d.x, expected[i].x, 1e-4f);
        EXPECT_NEAR(d.y, expected[i].y, 1e-4f);
    }
}

TEST_F(LineTest, DiagonalEndAnchorsLieOnASquareAroundTheEnd)
{
    LineObject line;
    line.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(3.0f, 4.0f));
    const Point2D *points = nullptr;
    ASSERT_EQ(line.GetAnchorPoints('anno', &points), 4);
    float k = Fsiz(design) * GetGroupParam(&design, 'anno', 'lned');
    EXPECT_NEAR(std::fmax(std::fabs(points[0].x), std::fabs(points[0].y)), k, 1e-3f * k);
    EXPECT_NEAR(std::fmax(std::fabs(points[1].x - 3.0f), std::fabs(points[1].y - 4.0f)), k, 1e-3f * k);
}

TEST_F(LineTest, EndOffsets)
{
    float f = Fsiz(design);
    struct Case
    {
        const char *name;
        uint32_t startOffset, finishOffset;
        float length;
        float startX, finishX;  // of the body's left and right edges
    };
    const Case cases[] = {
        {"long", kLineEndLong, kLineEndLong, 100.0f, -f * Line(design, 'lngo'), 100.0f + f * Line(design, 'lngo')},
        {"short", kLineEndShort, 0, 100.0f, f * Line(design, 'shto'), 100.0f},
        // Shorter than four undershoots: a quarter of the length.
        {"short capped", kLineEndShort, kLineEndShort, f * Line(design, 'shto'), f * Line(design, 'shto') / 4,
         f * Line(design, 'shto') * 3 / 4},
        {"unknown", 'zzzz', 'long' + 1, 100.0f, 0.0f, 100.0f},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        LineObject line;
        line.startOffset = c.startOffset;
        line.finishOffset = c.finishOffset;
        line.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(c.length, 0.0f));
        ASSERT_EQ(line.curves.GetElementCount(), 4);
        EXPECT_NEAR(line.curves[0].p0.x, c.startX, 1e-4f * (1.0f + c.length));
        EXPECT_NEAR(line.curves[1].p2.x, c.finishX, 1e-4f * (1.0f + c.length));
        // The line anchors stay on the layout's ends.
        EXPECT_EQ(line.lineAnchors[0], Point2D(0.0f, 0.0f));
    }
}

TEST_F(LineTest, DecorationsPullTheBodyBack)
{
    float w = Fsiz(design) * Line(design, 'wid0');
    float r = w / 2 * Line(design, 'circ');
    float g = w / 2 * Line(design, 'squa');
    struct Case
    {
        uint32_t decoration;
        int32_t count;
        float pull;
    };
    const Case cases[] = {
        {kLineEndRoundDot, 12, std::sqrt(r * r - w * w / 4)},
        {kLineEndSquareDot, 4, std::sqrt(g * g - w * w / 4)},
        {kLineEndWedge, 3, std::fmax(w * Line(design, 'wgln') - w / 2, 0.0f)},
        {'abcd', 0, 0.0f},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.decoration);
        LineObject line;
        line.finishDecoration = c.decoration;
        line.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(100.0f, 0.0f));
        EXPECT_EQ(line.finishDecorationCount, c.count);
        EXPECT_NEAR(line.curves[1].p2.x, 100.0f - c.pull, 1e-3f);
    }

    // Arrowheads: the tip on the end point, the body ending inside the head.
    for (uint32_t arrow : {kLineEndArrow1, kLineEndArrow2})
    {
        LineObject line;
        line.startDecoration = arrow;
        line.RebuildGeometry(&design, Point2D(5.0f, 5.0f), Point2D(5.0f, 105.0f));
        ASSERT_GT(line.startDecorationCount, 0);
        float lowest = 1e9f;
        for (int32_t i = 0; i < line.startDecorationCount; ++i)
        {
            lowest = std::fmin(lowest, std::fmin(line.startDecorationCurves[i].p0.y, line.startDecorationCurves[i].p2.y));
        }
        EXPECT_NEAR(lowest, 5.0f, 1e-3f);
        EXPECT_GT(line.curves[0].p0.y, 5.0f);
    }

    // A square dot keeps its sides axis-parallel on a diagonal line.
    LineObject diagonal;
    diagonal.startDecoration = kLineEndSquareDot;
    diagonal.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(30.0f, 40.0f));
    EXPECT_EQ(diagonal.startDecorationCurves[0].p0.y, diagonal.startDecorationCurves[0].p2.y);
    EXPECT_EQ(diagonal.startDecorationCurves[1].p0.x, diagonal.startDecorationCurves[1].p2.x);
}

TEST_F(LineTest, DashedBodies)
{
    float w = Fsiz(design) * Line(design, 'wid0');
    float dash = std::fmax(Fsiz(design) * Line(design, 'dsh0'), w);
    LineObject shortLine;
    shortLine.dashIndex = 1;
    shortLine.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(dash / 2, 0.0f));
    EXPECT_EQ(shortLine.curves.GetElementCount(), 8);

    LineObject longLine;
    longLine.dashIndex = 1;
    longLine.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(dash * 20000.0f, 0.0f));
    EXPECT_EQ(longLine.curves.GetElementCount(), 4 * kMaxDashPieces);
    // Only the first pieces are drawn: the last one ends well before the finish.
    EXPECT_LT(longLine.curves[4 * kMaxDashPieces - 3].p2.x, dash * 20000.0f / 2);
}

TEST_F(LineTest, ItemsHitTestAndSelectionOutline)
{
    LineObject line;
    line.strokePaletteIndex = -1;
    line.strokeColor = 0x80FF0000u;
    line.startDecoration = kLineEndRoundDot;
    line.finishDecoration = kLineEndWedge;
    line.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(20.0f, 0.0f));

    line.BuildPathItems(&design, &list);
    EXPECT_EQ(list.GetListElementCount(), 3);
    auto *body = static_cast<FillPathItem *>(list.GetFirstListElement());
    EXPECT_EQ(body->color, 0x80FF0000u);
    ClearList(&list);

    struct HitCase
    {
        Point2D point;
        bool hit;
    };
    const HitCase hits[] = {{Point2D(10.0f, 0.5f), true},   {Point2D(10.0f, 2.0f), false},
                            {Point2D(-0.5f, 0.0f), true},   {Point2D(-1.5f, 0.0f), false},
                            {Point2D(20.9f, -0.9f), true},  {Point2D(21.1f, 0.0f), false}};
    for (const HitCase &c : hits) EXPECT_EQ(line.HitTest(c.point, 1.0f), c.hit) << c.point.x << "," << c.point.y;

    line.BuildSelectionOutline(0.5f, &list);
    ASSERT_EQ(list.GetListElementCount(), 1);
    auto *outline = static_cast<FillPathItem *>(list.GetFirstListElement());
    EXPECT_EQ(outline->color, 0u);
    EXPECT_EQ(outline->curveCount, 8);
}

TEST_F(LineTest, UnplacedAndCoincidentLines)
{
    LineObject line;
    const Point2D *points = nullptr;
    EXPECT_EQ(line.GetAnchorPoints('line', &points), 0);
    EXPECT_EQ(line.GetAnchorPoints('anno', &points), 0);
    EXPECT_FALSE(line.HitTest(Point2D(0.0f, 0.0f), 10.0f));
    line.BuildSelectionOutline(0.5f, &list);
    line.BuildPathItems(&design, &list);
    line.BuildExportItems(&design, &list);
    EXPECT_EQ(list.GetListElementCount(), 0);

    // Coincident ends: anchors use (1, 0), everything finite, never hit.
    line.startDecoration = kLineEndArrow1;
    line.finishDecoration = kLineEndRoundDot;
    line.RebuildGeometry(&design, Point2D(3.0f, 4.0f), Point2D(3.0f, 4.0f));
    ASSERT_TRUE(line.IsPlaced());
    EXPECT_FALSE(line.HitTest(Point2D(3.0f, 4.0f), 10.0f));
    ASSERT_EQ(line.GetAnchorPoints('anno', &points), 4);
    float k = Fsiz(design) * GetGroupParam(&design, 'anno', 'lned');
    EXPECT_NEAR(points[0].x, 3.0f - k, 1e-4f);
    EXPECT_NEAR(points[1].x, 3.0f + k, 1e-4f);
    Vector2D d;
    line.GetAnchorDirection(&d, 1);
    EXPECT_EQ(d, Vector2D(1.0f, 0.0f));
    for (const QuadraticBezier2D &c : line.curves)
    {
        EXPECT_TRUE(std::isfinite(c.p0.x) && std::isfinite(c.p1.y) && std::isfinite(c.p2.x));
    }
}

}  // namespace
}  // namespace oq
