// Rectangles and ellipses: Kettric text, placement on the box of their ends, stroke arrays, anchors
// and their directions, hit tests, selection frames, and what degenerate boxes give.
#include "DrawingTesting.h"

#include "base/ScalarMath.h"
#include "editor/document/MathDesign.h"
#include "editor/drawing/EllipseObject.h"
#include "editor/drawing/RectangleObject.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace oq {
namespace {

bool Finite(const Point2D &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool SameCurves(const QuadraticBezier2D *a, const QuadraticBezier2D *b, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (!(a[i].p0 == b[i].p0) || !(a[i].p1 == b[i].p1) || !(a[i].p2 == b[i].p2)) return false;
    }
    return true;
}

// The curve counts of a list's path or export items; empties the list.
std::vector<int32_t> ItemCurveCounts(DisplayList *list)
{
    std::vector<int32_t> counts;
    for (ListElement *e = list->GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        auto *path = dynamic_cast<FillPathItem *>(e);
        auto *curves = dynamic_cast<ExportCurveItem *>(e);
        counts.push_back(path != nullptr ? path->curveCount : curves != nullptr ? curves->curveCount : -1);
    }
    list->Purge();
    return counts;
}

class ShapeTest : public ::testing::Test
{
protected:
    void SetUp() override { test::PrepareDrawingTests(); }

    float StrokeWidth() const { return design.GetBaseFontSize() * GetGroupParam(&design, 'line', 'wid0'); }
    float AnchorOffset() const { return design.GetBaseFontSize() * GetGroupParam(&design, 'anno', 'shap'); }

    Design design;
};

TEST_F(ShapeTest, KettricRoundTrip)
{
    struct Case
    {
        const char *head;
        const char *identifier;
        const char *written;
    };
    const Case cases[] = {
        {"Rt (f,fpi=4,s,w=1)", "Rt", "Rt (f,fpi=4,s,w=1)"},
        {"El (f,s,d=2)", "El", "El (f,s,d=2)"},
        // Read with both flags off: the stroke's properties are dropped, and without a flag no list.
        {"Rt (f,w=2,d=1,sco=0x11223344)", "Rt", "Rt (f)"},
        {"Rt (w=2,fpi=3)", "Rt", "Rt"},
        {"Rt (s,sco=0x80FF0000,d=3)", "Rt", "Rt (s,d=3,sco=0x80FF0000)"},
        {"El (fco=0x11223344,s=false,f)", "El", "El (f,fco=0x11223344)"},
        {"El", "El", "El"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.head);
        EquationDocument document;
        auto *object = dynamic_cast<DrawingObject *>(test::ReadLinkedDrawing(&document, c.head));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->GetCategory(), kDrawingCategoryShape);
        test::ExpectHeadAndStableText(document, c.identifier, c.written);
    }
}

TEST_F(ShapeTest, RectangleFromAnyTwoOppositeCorners)
{
    const Point2D corners[4] = {Point2D(1.0f, 2.0f), Point2D(9.0f, 2.0f), Point2D(9.0f, 7.0f), Point2D(1.0f, 7.0f)};
    for (uint8_t dash = 0; dash <= 2; dash += 2)
    {
        RectangleObject reference(true, true);
        reference.dashIndex = dash;
        reference.RebuildGeometry(&design, corners[0], corners[2]);
        for (int32_t i = 1; i < 4; ++i)
        {
            RectangleObject other(true, true);
            other.dashIndex = dash;
            other.RebuildGeometry(&design, corners[i], corners[(i + 2) % 4]);
            ASSERT_EQ(other.curves.GetElementCount(), reference.curves.GetElementCount());
            EXPECT_TRUE(SameCurves(other.curves.GetElements(), reference.curves.GetElements(),
                                   reference.curves.GetElementCount()))
                << i;
            EXPECT_TRUE(SameCurves(other.fillOutline, reference.fillOutline, 4)) << i;
        }
    }
}

TEST_F(ShapeTest, RectangleStrokeOffEmptiesItsArray)
{
    RectangleObject rectangle(true, true);
    rectangle.dashIndex = 1;
    rectangle.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(300.0f, 200.0f));
    ASSERT_GT(rectangle.curves.GetElementCount(), 16);
    ASSERT_GT(rectangle.curves.GetReservedCount(), 16);

    rectangle.stroke = false;
    rectangle.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(300.0f, 200.0f));
    EXPECT_EQ(rectangle.curves.GetElementCount(), 0);
    EXPECT_EQ(rectangle.curves.GetReservedCount(), 16);
    DisplayList list;
    rectangle.BuildPathItems(&design, &list);
    EXPECT_EQ(ItemCurveCounts(&list), std::vector<int32_t>{4});

    rectangle.stroke = true;
    rectangle.dashIndex = 0;
    rectangle.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(300.0f, 200.0f));
    EXPECT_EQ(rectangle.curves.GetElementCount(), 16);
    EXPECT_EQ(rectangle.curves.GetReservedCount(), 16);
    rectangle.BuildPathItems(&design, &list);
    EXPECT_EQ(ItemCurveCounts(&list), (std::vector<int32_t>{4, 4, 4, 4, 4}));
}

TEST_F(ShapeTest, RectangleItemsFollowThePieces)
{
    RectangleObject rectangle(false, true);
    rectangle.dashIndex = 1;
    rectangle.fillPaletteIndex = -1;
    rectangle.fillColor = 0x11223344u;
    rectangle.strokePaletteIndex = -1;
    rectangle.strokeColor = 0x55667788u;
    rectangle.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(60.0f, 20.0f));
    int32_t count = rectangle.curves.GetElementCount();
    ASSERT_GT(count, 24);
    DisplayList list;
    rectangle.BuildPathItems(&design, &list);
    std::vector<int32_t> expected = {6, 6, 6, 6};
    expected.resize(size_t(4 + (count - 24) / 4), 4);
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
        EXPECT_EQ(static_cast<FillPathItem *>(e)->color, 0x55667788u);
    EXPECT_EQ(ItemCurveCounts(&list), expected);

    // The fill item comes first, in the fill colour.
    rectangle.fill = true;
    rectangle.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(60.0f, 20.0f));
    rectangle.BuildExportItems(&design, &list);
    auto *first = static_cast<ExportCurveItem *>(list.GetFirstListElement());
    EXPECT_EQ(first->curveCount, 4);
    EXPECT_EQ(first->color, 0x11223344u);
    EXPECT_EQ(list.GetListElementCount(), int32_t(expected.size()) + 1);
    list.Purge();
}

TEST_F(ShapeTest, RectangleHitTest)
{
    struct Case
    {
        float x, y;
        bool filled, unfilled;
    };
    // Box (0, 0)-(10, 6), tolerance 1.
    const Case cases[] = {
        {5.0f, 3.0f, true, false},      // the middle
        {-0.9f, 3.0f, true, true},      // just outside the left edge
        {-1.0f, 3.0f, false, false},    // exactly the tolerance away (strict)
        {10.5f, 6.5f, true, true},      // past the corner, within both tolerances
        {5.0f, 0.5f, true, true},       // just inside the bottom edge
        {5.0f, 1.5f, true, false},      // inside, away from every edge
        {11.5f, 3.0f, false, false},
    };
    for (const Case &c : cases)
    {
        for (bool fill : {true, false})
        {
            RectangleObject rectangle(fill, true);
            rectangle.RebuildGeometry(&design, Point2D(10.0f, 0.0f), Point2D(0.0f, 6.0f));
            EXPECT_EQ(rectangle.HitTest(Point2D(c.x, c.y), 1.0f), fill ? c.filled : c.unfilled)
                << c.x << ", " << c.y << (fill ? " filled" : " unfilled");
        }
    }

    // Without width the box's edges across have no length: only the side itself is near.
    RectangleObject thin(false, true);
    thin.RebuildGeometry(&design, Point2D(4.0f, 0.0f), Point2D(4.0f, 6.0f));
    EXPECT_TRUE(thin.HitTest(Point2D(4.5f, 3.0f), 1.0f));
    EXPECT_FALSE(thin.HitTest(Point2D(5.5f, 3.0f), 1.0f));
    // Without width or height no edge has length: never hit unfilled, hit around it filled.
    RectangleObject point(false, true);
    point.RebuildGeometry(&design, Point2D(4.0f, 3.0f), Point2D(4.0f, 3.0f));
    EXPECT_FALSE(point.HitTest(Point2D(4.0f, 3.0f), 1.0f));
    point.fill = true;
    EXPECT_TRUE(point.HitTest(Point2D(4.5f, 3.0f), 1.0f));
}

TEST_F(ShapeTest, AnchorsDirectionsAndFrames)
{
    float o = AnchorOffset();
    RectangleObject rectangle(true, true);
    EllipseObject ellipse(true, true);
    // Nothing before placement.
    for (DrawingObject *object : std::initializer_list<DrawingObject *>{&rectangle, &ellipse})
    {
        const Point2D *points = nullptr;
        EXPECT_EQ(object->GetAnchorPoints(kEdgeAnchorKind, &points), 0);
        EXPECT_FALSE(object->HitTest(Point2D(0.0f, 0.0f), 100.0f));
        DisplayList list;
        object->BuildPathItems(&design, &list);
        object->BuildSelectionOutline(0.5f, &list);
        EXPECT_TRUE(list.IsEmpty());
        const uint32_t *kinds = nullptr;
        ASSERT_EQ(object->GetAnchorKinds(&kinds), 1);
        EXPECT_EQ(kinds[0], kEdgeAnchorKind);
    }
    rectangle.RebuildGeometry(&design, Point2D(2.0f, 8.0f), Point2D(10.0f, 4.0f));
    ellipse.RebuildGeometry(&design, Point2D(2.0f, 8.0f), Point2D(10.0f, 4.0f));
    float rx = 8.0f * 0.70710677f;
    float ry = 4.0f * rx / 8.0f;

    struct Case
    {
        DrawingObject *object;
        uint32_t kind;
        std::vector<Point2D> points;
    };
    const Case cases[] = {
        {&rectangle, kEdgeAnchorKind, {Point2D(2, 6), Point2D(10, 6), Point2D(6, 4), Point2D(6, 8)}},
        {&rectangle, 'anno', {Point2D(6, 4 - o), Point2D(6, 8 + o), Point2D(2 - o, 6), Point2D(10 + o, 6), Point2D(6, 6)}},
        {&rectangle, 'line', {}},
        // The ellipse's edge anchors lie on it, outside the box.
        {&ellipse, kEdgeAnchorKind, {Point2D(6 - rx, 6), Point2D(6 + rx, 6), Point2D(6, 6 - ry), Point2D(6, 6 + ry)}},
        {&ellipse, 'anno',
         {Point2D(6, 6 - ry - o), Point2D(6, 6 + ry + o), Point2D(6 - rx - o, 6), Point2D(6 + rx + o, 6), Point2D(6, 6)}},
    };
    for (const Case &c : cases)
    {
        const Point2D *points = nullptr;
        ASSERT_EQ(c.object->GetAnchorPoints(c.kind, &points), int32_t(c.points.size()));
        for (size_t i = 0; i < c.points.size(); ++i)
        {
            EXPECT_NEAR(points[i].x, c.points[i].x, 1e-5f) << i;
            EXPECT_NEAR(points[i].y, c.points[i].y, 1e-5f) << i;
        }
    }
    const Vector2D directions[6] = {Vector2D(0, -1), Vector2D(0, 1), Vector2D(-1, 0), Vector2D(1, 0), Vector2D(0, 0),
                                    Vector2D(0, 0)};
    for (DrawingObject *object : std::initializer_list<DrawingObject *>{&rectangle, &ellipse})
    {
        for (int32_t i = -1; i < 5; ++i)
        {
            Vector2D d(9, 9);
            object->GetAnchorDirection(&d, i);
            const Vector2D &expected = directions[i < 0 ? 5 : i];
            EXPECT_EQ(d.x, expected.x) << i;
            EXPECT_EQ(d.y, expected.y) << i;
        }
        // The selection frame is the box (inside the ellipse): outer rectangle 0.5 beyond it.
        DisplayList list;
        object->BuildSelectionOutline(0.5f, &list);
        ASSERT_EQ(list.GetListElementCount(), 1);
        auto *frame = static_cast<FillPathItem *>(list.GetFirstListElement());
        ASSERT_EQ(frame->curveCount, 8);
        EXPECT_EQ(frame->color, 0u);
        EXPECT_NEAR(frame->curves[0].p0.x, 1.5f, 1e-5f);
        EXPECT_NEAR(frame->curves[0].p0.y, -3.5f, 1e-5f);
        EXPECT_NEAR(frame->curves[2].p0.x, 10.5f, 1e-5f);
        EXPECT_NEAR(frame->curves[2].p0.y, -8.5f, 1e-5f);
        list.Purge();
    }
}

TEST_F(ShapeTest, EllipseThroughTheBoxCorners)
{
    EllipseObject circle(true, false);
    circle.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(6.0f, 6.0f));
    float r = 6.0f * 0.70710677f;
    EXPECT_FLOAT_EQ(circle.radiusX, r);
    EXPECT_FLOAT_EQ(circle.radiusY, r);
    EXPECT_NEAR(std::hypot(6.0f - 3.0f, 6.0f - 3.0f), r, 1e-5f);
    EXPECT_NEAR(circle.fillOutline[0].p0.x, 3.0f + r, 1e-5f);
    EXPECT_NEAR(circle.fillOutline[0].p0.y, 3.0f, 1e-5f);

    // The corners of a wide box lie on its ellipse.
    EllipseObject wide(true, false);
    wide.RebuildGeometry(&design, Point2D(1.0f, 1.0f), Point2D(11.0f, 4.0f));
    double dx = 5.0 / wide.radiusX;
    double dy = 1.5 / wide.radiusY;
    EXPECT_NEAR(dx * dx + dy * dy, 1.0, 1e-5);

    struct Case
    {
        float x, y;
        bool filled, unfilled;
    };
    // Circle about (3, 3) of radius r, tolerance 0.5.
    const Case cases[] = {
        {3.0f, 3.0f, true, false},
        {3.0f + r, 3.0f, true, true},
        {3.0f + r + 0.4f, 3.0f, true, true},
        {3.0f + r - 0.4f, 3.0f, true, true},
        {3.0f + r + 0.6f, 3.0f, false, false},
        {3.0f + r - 0.6f, 3.0f, true, false},
        {3.0f, 3.0f - r - 0.3f, true, true},
        {6.0f, 6.0f, true, true},   // a box corner lies on the ellipse
        {5.5f, 5.5f, true, false},  // inside the box, away from the ellipse
    };
    for (const Case &c : cases)
    {
        circle.fill = true;
        EXPECT_EQ(circle.HitTest(Point2D(c.x, c.y), 0.5f), c.filled) << c.x << ", " << c.y;
        circle.fill = false;
        EXPECT_EQ(circle.HitTest(Point2D(c.x, c.y), 0.5f), c.unfilled) << c.x << ", " << c.y;
    }
}

TEST_F(ShapeTest, EllipseStrokeArrayAndItems)
{
    float w = StrokeWidth();
    EllipseObject ellipse(true, true);
    ellipse.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(80.0f * w, 50.0f * w));
    EXPECT_EQ(ellipse.curves.GetElementCount(), 24);
    DisplayList list;
    ellipse.BuildPathItems(&design, &list);
    EXPECT_EQ(ItemCurveCounts(&list), (std::vector<int32_t>{12, 24}));

    // Dashed: four items of a quarter of the array each; the array grows past 48 only from n = 4 on.
    for (float side : {2.0f, 6.0f, 20.0f, 80.0f})
    {
        SCOPED_TRACE(side);
        EllipseObject dashed(false, true);
        dashed.dashIndex = 1;
        dashed.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(side * w, side * w));
        int32_t count = dashed.curves.GetElementCount();
        ASSERT_EQ(count % 16, 0);
        ASSERT_GE(count, 32);
        EXPECT_EQ(dashed.curves.GetReservedCount() > 48, count > 48);
        dashed.BuildExportItems(&design, &list);
        EXPECT_EQ(ItemCurveCounts(&list), std::vector<int32_t>(4, count / 4));

        // With the stroke off the array stays as it was, and nothing of it is drawn.
        dashed.stroke = false;
        dashed.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(w, w));
        EXPECT_EQ(dashed.curves.GetElementCount(), count);
        dashed.BuildPathItems(&design, &list);
        EXPECT_TRUE(list.IsEmpty());
    }
}

// Tools start both ends at the pressed point and rebuild at once; boxes may also lose one side.
TEST_F(ShapeTest, DegenerateBoxesStayFinite)
{
    const Point2D ends[][2] = {
        {Point2D(5.0f, 5.0f), Point2D(5.0f, 5.0f)},
        {Point2D(5.0f, 5.0f), Point2D(5.0f, 9.0f)},
        {Point2D(5.0f, 5.0f), Point2D(9.0f, 5.0f)},
        {Point2D(0.0f, 5.0f), Point2D(1e-39f, 9.0f)},
    };
    for (const auto &end : ends)
    {
        for (uint8_t dash = 0; dash <= 3; ++dash)
        {
            SCOPED_TRACE(testing::Message() << end[1].x << ", " << end[1].y << " dash " << int(dash));
            EllipseObject ellipse(true, true);
            RectangleObject rectangle(true, true);
            ellipse.dashIndex = dash;
            rectangle.dashIndex = dash;
            ellipse.RebuildGeometry(&design, end[0], end[1]);
            rectangle.RebuildGeometry(&design, end[0], end[1]);
            ASSERT_TRUE(ellipse.IsPlaced());
            ASSERT_TRUE(rectangle.IsPlaced());
            EXPECT_TRUE(std::isfinite(ellipse.radiusX) && std::isfinite(ellipse.radiusY));
            for (DrawingObject *object : std::initializer_list<DrawingObject *>{&ellipse, &rectangle})
            {
                DisplayList list;
                object->BuildPathItems(&design, &list);
                ASSERT_FALSE(list.IsEmpty());
                for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
                {
                    auto *item = static_cast<FillPathItem *>(e);
                    for (int32_t i = 0; i < item->curveCount; ++i)
                    {
                        ASSERT_TRUE(Finite(item->curves[i].p0) && Finite(item->curves[i].p1) &&
                                    Finite(item->curves[i].p2));
                    }
                }
                list.Purge();
                for (uint32_t kind : {kEdgeAnchorKind, uint32_t('anno')})
                {
                    const Point2D *points = nullptr;
                    int32_t count = object->GetAnchorPoints(kind, &points);
                    for (int32_t i = 0; i < count; ++i) EXPECT_TRUE(Finite(points[i]));
                }
            }
            // A box without width: rx = 0, ry = height x 0.70710677.
            if (end[1].x - end[0].x <= FloatMinNormal)
            {
                EXPECT_EQ(ellipse.radiusX, 0.0f);
                EXPECT_FLOAT_EQ(ellipse.radiusY, (end[1].y - end[0].y) * 0.70710677f);
            }
        }
    }
}

// Ends near the float range: a shape whose outline or anchors would leave it stays unplaced and
// draws nothing; one that is placed is finite.
TEST_F(ShapeTest, EndsNearTheFloatRange)
{
    struct Case
    {
        Point2D start, finish;
        bool rectanglePlaced, ellipsePlaced;
    };
    const Case cases[] = {
        {Point2D(0.0f, 0.0f), Point2D(3.4e38f, 1.0f), true, false},  // the ellipse's control points overflow
        {Point2D(-3e38f, 0.0f), Point2D(3e38f, 1.0f), true, false},  // the width overflows
        {Point2D(0.0f, 0.0f), Point2D(1e37f, 1e37f), true, true},
    };
    for (const Case &c : cases)
    {
        for (uint8_t dash : {uint8_t(0), uint8_t(2)})
        {
            SCOPED_TRACE(testing::Message() << c.finish.x << " dash " << int(dash));
            RectangleObject rectangle(true, true);
            EllipseObject ellipse(true, true);
            rectangle.dashIndex = dash;
            ellipse.dashIndex = dash;
            rectangle.RebuildGeometry(&design, c.start, c.finish);
            ellipse.RebuildGeometry(&design, c.start, c.finish);
            EXPECT_EQ(rectangle.IsPlaced(), c.rectanglePlaced);
            EXPECT_EQ(ellipse.IsPlaced(), c.ellipsePlaced);
            for (DrawingObject *object : std::initializer_list<DrawingObject *>{&rectangle, &ellipse})
            {
                DisplayList list;
                object->BuildPathItems(&design, &list);
                EXPECT_EQ(list.IsEmpty(), !object->IsPlaced());
                for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
                {
                    auto *item = static_cast<FillPathItem *>(e);
                    for (int32_t i = 0; i < item->curveCount; ++i)
                        ASSERT_TRUE(Finite(item->curves[i].p0) && Finite(item->curves[i].p1) && Finite(item->curves[i].p2));
                }
                list.Purge();
            }
        }
    }
}

TEST_F(ShapeTest, ClonesStartUnplaced)
{
    RectangleObject rectangle(true, true);
    rectangle.dashIndex = 2;
    rectangle.strokePaletteIndex = 5;
    rectangle.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(40.0f, 30.0f));
    EllipseObject ellipse(false, true);
    ellipse.widthIndex = 3;
    ellipse.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(40.0f, 30.0f));

    auto *rectangleCopy = static_cast<RectangleObject *>(rectangle.Clone());
    auto *ellipseCopy = static_cast<EllipseObject *>(ellipse.Clone());
    EXPECT_FALSE(rectangleCopy->IsPlaced());
    EXPECT_FALSE(ellipseCopy->IsPlaced());
    EXPECT_EQ(rectangleCopy->curves.GetElementCount(), 0);
    EXPECT_EQ(ellipseCopy->curves.GetElementCount(), 0);
    EXPECT_EQ(rectangleCopy->dashIndex, 2);
    EXPECT_EQ(rectangleCopy->strokePaletteIndex, 5);
    EXPECT_TRUE(rectangleCopy->fill);
    EXPECT_FALSE(ellipseCopy->fill);
    EXPECT_EQ(ellipseCopy->widthIndex, 3);
    EXPECT_EQ(ellipseCopy->GetKind(), kEllipseObjectKind);
    delete rectangleCopy;
    delete ellipseCopy;
}

}  // namespace
}  // namespace oq
