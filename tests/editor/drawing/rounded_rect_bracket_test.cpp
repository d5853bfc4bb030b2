// Rounded rectangles: Kettric text, the radius clamp, which corners are dashed and how many curves
// the stroke takes, the items it is drawn as, degenerate and huge boxes, and the box-based hit test.
// Bracket objects: Kettric text, hook lengths, length styles, the outline along a slanted span,
// anchors, the hit rectangle, the one item in the stroke colour, and coincident ends.
#include "DrawingTesting.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/StretchyOutlines.h"
#include "editor/drawing/BracketObject.h"
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
        auto *object = dynamic_cast<RoundedRectangleObject *>(test::ReadLinkedDrawing(&document, c.head));
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(object->GetCategory(), kDrawingCategoryShape);
        EXPECT_EQ(object->radiusIndex, c.radius);
        test::ExpectHeadAndStableText(document, "Rr", c.written);
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

class BracketObjectTest : public ::testing::Test
{
protected:
    void SetUp() override { test::PrepareDrawingTests(); }

    float Size() const { return design.GetBaseFontSize(); }
    float Joist(uint32_t key) const { return GetGroupParam(&design, 'jost', key); }
    BracketObject *Read(EquationDocument *document, const std::string &head)
    {
        return dynamic_cast<BracketObject *>(test::ReadLinkedDrawing(document, head));
    }

    Design design;
};

// The smallest and largest x and y of a bracket's curve points.
struct Extent
{
    float minX, minY, maxX, maxY;
};

Extent MeasureOutline(const BracketObject &bracket)
{
    Extent e{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (int32_t i = 0; i < bracket.curveCount; ++i)
    {
        for (const Point2D &p : {bracket.outline[i].p0, bracket.outline[i].p1, bracket.outline[i].p2})
        {
            e.minX = std::fmin(e.minX, p.x);
            e.minY = std::fmin(e.minY, p.y);
            e.maxX = std::fmax(e.maxX, p.x);
            e.maxY = std::fmax(e.maxY, p.y);
        }
    }
    return e;
}

TEST_F(BracketObjectTest, KettricRoundTrip)
{
    struct Case
    {
        const char *head;
        const char *written;
        uint32_t type, startStyle, finishStyle;
        int width, dash, strokePalette;
    };
    const Case cases[] = {
        {"Jo", "Jo (s)", 'brac', 0, 0, 0, 0, 0},
        {"Jo (t='zzzz')", "Jo (s)", 'brac', 0, 0, 0, 0, 0},
        {"Jo (t=0,spi=16)", "Jo (s)", 'brac', 0, 0, 0, 0, 0},
        {"Jo (s,spi=3,t='brck',os='long')", "Jo (s,spi=3,t='brck',os='long')", 'brck', 'long', 0, 0, 0, 3},
        // Width and dash indices are kept as read: they play no part in the drawing.
        {"Jo (of='shrt',t='shel',w=9,d=7)", "Jo (s,w=9,d=7,t='shel',of='shrt')", 'shel', 0, 'shrt', 9, 7, 0},
        // Without the stroke flag the colour it is drawn in would not be written.
        {"Jo (f,s=false,sco=0xFF0000FF)", "Jo (f,s,sco=0xFF0000FF)", 'brac', 0, 0, 0, 0, -1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.head);
        EquationDocument document;
        BracketObject *bracket = Read(&document, c.head);
        ASSERT_NE(bracket, nullptr);
        EXPECT_EQ(bracket->GetKind(), kBracketObjectKind);
        EXPECT_EQ(bracket->GetCategory(), kDrawingCategoryBracket);
        EXPECT_EQ(bracket->outlineType, c.type);
        EXPECT_EQ(bracket->startLengthStyle, c.startStyle);
        EXPECT_EQ(bracket->finishLengthStyle, c.finishStyle);
        EXPECT_EQ(bracket->widthIndex, c.width);
        EXPECT_EQ(bracket->dashIndex, c.dash);
        EXPECT_EQ(bracket->strokePaletteIndex, c.strokePalette);
        EXPECT_TRUE(bracket->stroke);
        test::ExpectHeadAndStableText(document, "Jo", c.written);
    }
}

// Whatever the fill and stroke flags, one item of the whole outline in the stroke colour, in the
// export and in the path list alike.
TEST_F(BracketObjectTest, OneItemInTheStrokeColour)
{
    struct Case
    {
        const char *head;
        uint32_t color;
        int32_t curves;
    };
    const Case cases[] = {{"Jo (f,s=false,sco=0xFF0000FF)", 0xFF0000FFu, kBraceOutlineCurves},
                          {"Jo (s,spi=3,t='brck')", design.palette[3], 8},
                          {"Jo (f,fco=0xFF00FF00,t='shel')", 0xFF000000u, kShellBracketOutlineCurves}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.head);
        EquationDocument document;
        BracketObject *bracket = Read(&document, c.head);
        ASSERT_NE(bracket, nullptr);
        bracket->RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(20.0f, 5.0f));
        DisplayList paths, exports;
        bracket->BuildPathItems(&design, &paths);
        bracket->BuildExportItems(&design, &exports);
        ASSERT_EQ(paths.GetListElementCount(), 1);
        ASSERT_EQ(exports.GetListElementCount(), 1);
        auto *path = dynamic_cast<FillPathItem *>(paths.GetFirstListElement());
        auto *exported = dynamic_cast<ExportCurveItem *>(exports.GetFirstListElement());
        ASSERT_NE(path, nullptr);
        ASSERT_NE(exported, nullptr);
        EXPECT_EQ(path->curveCount, c.curves);
        EXPECT_EQ(exported->curveCount, c.curves);
        EXPECT_EQ(path->color, c.color);
        EXPECT_EQ(exported->color, c.color);
        paths.Purge();
        exports.Purge();
    }
}

// A bracket straight up from the origin maps an outline point (x, y) to (x - D, y): its curves are
// the builder's for the span with the design's hook length, or a quarter of the span when that is
// shorter than four hook lengths.
TEST_F(BracketObjectTest, HookLengthsFollowTheSpan)
{
    for (BracketOutlineType type : {kBracketOutlineShell, kBracketOutlineBrace})
    {
        for (float length : {100.0f, 4.0f})
        {
            SCOPED_TRACE(testing::Message() << type << " " << length);
            BracketObject bracket(type);
            bracket.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(0.0f, length));
            float mu = Size() / 18.0f;
            QuadraticBezier2D expected[kBraceOutlineCurves];
            int32_t count = 0;
            float depth = 0.0f;
            if (type == kBracketOutlineShell)
            {
                float hook = Joist('shhi') * Size();
                ASSERT_GT(4.0f * hook, 4.0f);  // the short span does shorten the hooks
                if (length < 4.0f * hook) hook = length / 4.0f;
                depth = Joist('shwd') * Size();
                count = BuildShellBracketOutline(length, depth, hook, Joist('shmt') * mu, Joist('shet') * mu, expected);
            }
            else
            {
                float hook = Joist('bchi') * Size();
                ASSERT_GT(4.0f * hook, 4.0f);
                if (length < 4.0f * hook) hook = length / 4.0f;
                float width = Joist('bcwd') * Size();
                depth = 2.0f * width;
                count = BuildBraceOutline(length, width, hook, Joist('bccp'), Joist('bcmt') * mu, Joist('bcet') * mu,
                                          Joist('bcat') * mu, expected);
            }
            ASSERT_EQ(bracket.curveCount, count);
            const float tolerance = 1e-4f * length;
            for (int32_t i = 0; i < count; ++i)
            {
                const QuadraticBezier2D &e = expected[i];
                const QuadraticBezier2D &a = bracket.outline[i];
                EXPECT_NEAR(a.p0.x, e.p0.x - depth, tolerance) << i;
                EXPECT_NEAR(a.p0.y, e.p0.y, tolerance) << i;
                EXPECT_NEAR(a.p1.x, e.p1.x - depth, tolerance) << i;
                EXPECT_NEAR(a.p1.y, e.p1.y, tolerance) << i;
                EXPECT_NEAR(a.p2.x, e.p2.x - depth, tolerance) << i;
                EXPECT_NEAR(a.p2.y, e.p2.y, tolerance) << i;
            }
        }
    }
}

// A square bracket along +x from the origin reaches from its adjusted start - a to its adjusted
// finish + a (a the arm half thickness): 'long' lengthens by the overshoot whatever the length,
// 'shrt' shortens by the undershoot but never by more than a quarter of the unadjusted length. The
// hit corners ignore the length styles.
TEST_F(BracketObjectTest, LengthStyles)
{
    const float over = Joist('lngo') * Size();
    const float under = Joist('shto') * Size();
    struct Case
    {
        float length;
        uint32_t startStyle, finishStyle;
        float start, finish;
    };
    const Case cases[] = {
        {40.0f, 0, 0, 0.0f, 40.0f},
        {40.0f, 'shrt', 'shrt', under, 40.0f - under},
        {2.0f, 'shrt', 'shrt', 0.5f, 1.5f},
        {3.0f, 'junk', 'shrt', 0.0f, 2.25f},
        {2.0f, 'long', 'shrt', -over, 1.5f},
        {1.0f, 'long', 'long', -over, 1.0f + over},
    };
    ASSERT_GT(under, 0.75f);  // the short cases are capped by the quarter
    const float a = Joist('bket') * Size() / 18.0f / 2.0f;
    const float depth = Joist('bkwd') * Size();
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.length << " " << c.startStyle << " " << c.finishStyle);
        BracketObject bracket(kBracketOutlineSquare);
        bracket.startLengthStyle = c.startStyle;
        bracket.finishLengthStyle = c.finishStyle;
        bracket.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(c.length, 0.0f));
        ASSERT_EQ(bracket.curveCount, 8);
        Extent e = MeasureOutline(bracket);
        EXPECT_NEAR(e.minX, c.start - a, 1e-4f);
        EXPECT_NEAR(e.maxX, c.finish + a, 1e-4f);
        const Point2D *points = nullptr;
        ASSERT_EQ(bracket.GetAnchorPoints(kBracketObjectKind, &points), 1);
        EXPECT_NEAR(points[0].x, (c.start + c.finish) / 2.0f, 1e-4f);
        EXPECT_NEAR(points[0].y, depth, 1e-4f);
        EXPECT_EQ(bracket.hitCornerA, Point2D(0.0f, 0.0f));
        EXPECT_NEAR(bracket.hitCornerB.x, c.length, 1e-5f);
        EXPECT_NEAR(bracket.hitCornerB.y, depth, 1e-5f);
    }
}

// The square bracket's eight corners on a slanted span: each outline point (x, y) at
// S + y u + (D - x) n, every curve straight, the polygon counter-clockwise with the area of the
// outer rectangle less the notch.
TEST_F(BracketObjectTest, SquareBracketOnASlantedSpan)
{
    const Point2D s(1.0f, 2.0f);
    BracketObject bracket(kBracketOutlineSquare);
    bracket.RebuildGeometry(&design, s, Point2D(31.0f, 42.0f));
    ASSERT_EQ(bracket.curveCount, 8);
    const float c = 50.0f, d = Joist('bkwd') * Size();
    const float h = Joist('bkmt') * Size() / 36.0f, a = Joist('bket') * Size() / 36.0f;
    const Vector2D u(0.6f, 0.8f), n(-0.8f, 0.6f);
    const float corners[8][2] = {{-h, -a}, {d, -a}, {d, a}, {h, a}, {h, c - a}, {d, c - a}, {d, c + a}, {-h, c + a}};
    double area = 0.0;
    for (int32_t i = 0; i < 8; ++i)
    {
        Point2D expected = s + u * corners[i][1] + n * (d - corners[i][0]);
        const QuadraticBezier2D &curve = bracket.outline[i];
        EXPECT_NEAR(curve.p0.x, expected.x, 1e-4f) << i;
        EXPECT_NEAR(curve.p0.y, expected.y, 1e-4f) << i;
        EXPECT_EQ(curve.p1, curve.p2) << i;
        EXPECT_EQ(curve.p2, bracket.outline[(i + 1) % 8].p0) << i;
        area += (double(curve.p0.x) * curve.p2.y - double(curve.p2.x) * curve.p0.y) / 2.0;
    }
    EXPECT_NEAR(area, (d + h) * (c + 2.0 * a) - (d - h) * (c - 2.0 * a), 1e-3);
}

// In every direction the bracket anchor lies D behind the middle of the span and the annotation
// anchor beyond it by the joist anchor offset, along the direction every index reports.
TEST_F(BracketObjectTest, AnchorsLieBehindTheSpan)
{
    const float depth = 2.0f * Joist('bcwd') * Size();
    const float offset = GetGroupParam(&design, 'anno', 'jost') * Size();
    const Point2D s(5.0f, -3.0f);
    for (float degrees : {0.0f, 90.0f, 135.0f, 200.0f, 300.0f})
    {
        SCOPED_TRACE(degrees);
        float angle = degrees * float(M_PI) / 180.0f;
        Vector2D u(std::cos(angle), std::sin(angle));
        BracketObject bracket(kBracketOutlineBrace);
        bracket.RebuildGeometry(&design, s, s + u * 30.0f);
        const uint32_t *kinds = nullptr;
        ASSERT_EQ(bracket.GetAnchorKinds(&kinds), 1);
        EXPECT_EQ(kinds[0], kBracketObjectKind);
        const Point2D *points = nullptr;
        EXPECT_EQ(bracket.GetAnchorPoints('edge', &points), 0);
        ASSERT_EQ(bracket.GetAnchorPoints(kBracketObjectKind, &points), 1);
        Point2D back = points[0];
        ASSERT_EQ(bracket.GetAnchorPoints(kAnnotationAnchorKind, &points), 1);
        Point2D annotation = points[0];
        Vector2D n(-u.y, u.x);
        Point2D middle = s + u * 15.0f;
        EXPECT_NEAR(back.x, middle.x + depth * n.x, 1e-4f);
        EXPECT_NEAR(back.y, middle.y + depth * n.y, 1e-4f);
        for (int32_t index : {0, 1, -3})
        {
            Vector2D direction;
            bracket.GetAnchorDirection(&direction, index);
            EXPECT_NEAR(direction.x, n.x, 1e-5f);
            EXPECT_NEAR(direction.y, n.y, 1e-5f);
            EXPECT_NEAR(annotation.x, back.x + offset * direction.x, 1e-4f);
            EXPECT_NEAR(annotation.y, back.y + offset * direction.y, 1e-4f);
        }
    }
}

// The hit rectangle runs from the start to the finish and from the span to the back, widened by the
// tolerance (strict), whatever the length styles; the selection frame is one colourless item.
TEST_F(BracketObjectTest, HitRectangle)
{
    const float t = 0.5f, depth = Joist('bkwd') * Size();
    ASSERT_EQ(depth, 2.75f);
    BracketObject straight(kBracketOutlineSquare);
    straight.startLengthStyle = 'long';
    straight.finishLengthStyle = 'long';
    straight.RebuildGeometry(&design, Point2D(0.0f, 0.0f), Point2D(16.0f, 0.0f));
    struct Case
    {
        float x, y;
        bool hit;
    };
    // The direction comes from the fast square root: the edges are probed just inside and outside.
    const Case cases[] = {{-0.499f, 0.0f, true}, {-0.501f, 0.0f, false}, {16.499f, 1.0f, true}, {16.501f, 1.0f, false},
                          {8.0f, -0.499f, true}, {8.0f, -0.501f, false}, {8.0f, 3.249f, true},  {8.0f, 3.251f, false},
                          {-1.0f, 1.0f, false}};  // the overshoot is drawn there but not hit
    for (const Case &c : cases)
    {
        EXPECT_EQ(straight.HitTest(Point2D(c.x, c.y), t), c.hit) << c.x << ", " << c.y;
    }

    // Slanted: a rectangle of width L + 2t and depth D + 2t in the frame of the span.
    const Point2D s(1.0f, 2.0f);
    const Vector2D u(0.6f, 0.8f), n(-0.8f, 0.6f);
    BracketObject slanted(kBracketOutlineSquare);
    slanted.RebuildGeometry(&design, s, Point2D(31.0f, 42.0f));
    const float e = 0.01f;
    const Case local[] = {{-t + e, -t + e, true}, {50.0f + t - e, depth + t - e, true}, {25.0f, depth / 2.0f, true},
                          {-t - e, 1.0f, false},  {50.0f + t + e, 1.0f, false},          {10.0f, depth + t + e, false},
                          {10.0f, -t - e, false}};
    for (const Case &c : local)
    {
        EXPECT_EQ(slanted.HitTest(s + u * c.x + n * c.y, t), c.hit) << c.x << ", " << c.y;
    }
    DisplayList list;
    slanted.BuildSelectionOutline(0.5f, &list);
    ASSERT_EQ(list.GetListElementCount(), 1);
    auto *frame = static_cast<FillPathItem *>(list.GetFirstListElement());
    EXPECT_EQ(frame->curveCount, 8);
    EXPECT_EQ(frame->color, 0u);
    list.Purge();
}

// Coincident ends (or ends whose squared distance underflows) have no direction: no outline and no
// item, both anchors at the start, hits only within the tolerance of the start, and the frame around
// it. A copy keeps type and length styles but no geometry; an unplaced bracket is never hit.
TEST_F(BracketObjectTest, CoincidentEndsDrawNothingAndHitOnlyTheStart)
{
    const Point2D s(7.0f, 3.0f);
    for (BracketOutlineType type : {kBracketOutlineSquare, kBracketOutlineBrace, kBracketOutlineShell})
    {
        for (const Point2D &f : {s, Point2D(s.x + 1e-30f, s.y - 1e-30f)})
        {
            SCOPED_TRACE(testing::Message() << type << " " << f.x);
            BracketObject bracket(type);
            bracket.startLengthStyle = 'long';
            bracket.finishLengthStyle = 'shrt';
            bracket.RebuildGeometry(&design, s, Point2D(40.0f, 3.0f));
            ASSERT_GT(bracket.curveCount, 0);
            bracket.RebuildGeometry(&design, s, f);
            ASSERT_TRUE(bracket.IsPlaced());
            EXPECT_EQ(bracket.curveCount, 0);
            DisplayList list;
            bracket.BuildPathItems(&design, &list);
            bracket.BuildExportItems(&design, &list);
            EXPECT_EQ(list.GetListElementCount(), 0);
            for (uint32_t kind : {kBracketObjectKind, kAnnotationAnchorKind})
            {
                const Point2D *points = nullptr;
                ASSERT_EQ(bracket.GetAnchorPoints(kind, &points), 1);
                EXPECT_EQ(points[0], s);
            }
            Vector2D direction;
            bracket.GetAnchorDirection(&direction, 0);
            EXPECT_TRUE(std::isfinite(direction.x) && std::isfinite(direction.y));
            EXPECT_TRUE(bracket.HitTest(Point2D(7.4f, 2.6f), 0.5f));
            EXPECT_FALSE(bracket.HitTest(Point2D(7.6f, 3.0f), 0.5f));
            EXPECT_FALSE(bracket.HitTest(Point2D(7.0f, 2.4f), 0.5f));
            EXPECT_FALSE(bracket.HitTest(Point2D(-100.0f, 100.0f), 0.5f));
            EXPECT_FALSE(bracket.HitTest(s, 0.0f));
            EXPECT_FALSE(bracket.HitTest(Point2D(7.5f, 3.0f), 0.5f));  // strict
            bracket.BuildSelectionOutline(0.25f, &list);
            ASSERT_EQ(list.GetListElementCount(), 1);
            auto *frame = static_cast<FillPathItem *>(list.GetFirstListElement());
            ASSERT_EQ(frame->curveCount, 8);
            for (int32_t i = 0; i < 8; ++i)
            {
                // Path items negate y.
                EXPECT_LE(std::fabs(frame->curves[i].p0.x - s.x), 0.25f + 1e-6f);
                EXPECT_LE(std::fabs(-frame->curves[i].p0.y - s.y), 0.25f + 1e-6f);
            }
            list.Purge();

            std::unique_ptr<DocumentNode> copy(bracket.Clone());
            auto *copied = static_cast<BracketObject *>(copy.get());
            EXPECT_EQ(copied->outlineType, type);
            EXPECT_EQ(copied->startLengthStyle, uint32_t('long'));
            EXPECT_EQ(copied->finishLengthStyle, uint32_t('shrt'));
            EXPECT_FALSE(copied->IsPlaced());
            EXPECT_FALSE(copied->HitTest(s, 1.0f));
            copied->BuildPathItems(&design, &list);
            EXPECT_EQ(list.GetListElementCount(), 0);
        }
    }
}

}  // namespace
}  // namespace oq
