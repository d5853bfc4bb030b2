// Top-level groups: their anchor sets, annotation placement, hit test, outline, export box and the
// clean-up after deleting rows.
#include "EquationDocumentTesting.h"

#include "editor/document/MathDesign.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/fonts/DesignTables.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <cmath>

namespace oq {
namespace {

using test::FindNode;
using test::LinkBlock;
using test::UpdateLayout;

// A box whose anchor direction is given ("dx", "dy").
class DirectedBoxNode : public test::FixedBoxNode
{
public:
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override
    {
        const test::MathTestProperty properties[] = {{"dx", 'FLOT', &dx}, {"dy", 'FLOT', &dy}};
        if (test::CheckMathTestProperty(properties, std::size(properties), identifier, type, storage)) return true;
        return FixedBoxNode::CheckProperty(document, identifier, type, storage);
    }
    void GetAnchorDirection(Vector2D *direction, int32_t) const override { direction->Set(dx, dy); }

    float dx = 1.0f;
    float dy = 0.0f;
};

void SetParam(Design *design, uint32_t groupKey, uint32_t key, float value)
{
    int32_t group = FindDesignGroup(groupKey);
    ASSERT_GE(group, 0);
    const DesignGroupTable &table = kDesignGroupTables[group];
    for (int32_t i = 0; i < table.rowCount; ++i)
    {
        if (table.rows[i].key == key)
        {
            design->GetGroupSlots(group)[table.rows[i].offset / 4] = value;
            return;
        }
    }
    FAIL() << "no parameter";
}

class AnchorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::PrepareEquationTests();
        RegisterNodeKind("Dx", []() -> KettricStructure * { return new DirectedBoxNode; });
    }

    // Round values: f = 10, the anchor distances 0.5, 0.25 and 0.75, the rails j + 1 (top),
    // j + 2 (bottom), j + 3 (left), j + 4 (right).
    static void SetRoundDesign(Design *design)
    {
        design->SetBaseFontSize(10.0f);
        SetParam(design, 'ancr', 'lnsp', 0.5f);
        SetParam(design, 'ancr', 'bspx', 0.25f);
        SetParam(design, 'ancr', 'bspy', 0.75f);
        const char *names[4] = {"top", "bot", "lft", "rgt"};
        for (int32_t side = 0; side < 4; ++side)
        {
            for (int32_t j = 0; j < 5; ++j)
            {
                uint32_t key = uint32_t(names[side][0]) << 24 | uint32_t(names[side][1]) << 16 |
                               uint32_t(names[side][2]) << 8 | uint32_t('0' + j);
                SetParam(design, 'rail', key, float(j + side + 1));
            }
        }
    }
};

void ExpectPoint(const Point2D &actual, float x, float y)
{
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
}

TEST_F(AnchorTest, ThreeRowsOfferTheirAnchorSets)
{
    EquationDocument document;
    ASSERT_EQ(document.ParseAndResolve("Gr $g { Bg {} Fx (w=10.0, t=8.0, b=-2.0) {} Bg {} Fx (w=20.0, t=9.0, b=-3.0) {}"
                                       " St { Gr $inner { Bg {} } } Bg {} Fx (w=5.0, t=7.0, b=-1.0) {} }"),
              0u);
    SetRoundDesign(&document.design);
    UpdateLayout(document);
    auto *g = FindNode<GroupNode>(document, "g");
    auto *inner = FindNode<GroupNode>(document, "inner");
    const uint32_t *kinds = nullptr;
    ASSERT_EQ(g->GetAnchorKinds(&kinds), 5);
    EXPECT_EQ(std::vector<uint32_t>(kinds, kinds + 5), (std::vector<uint32_t>{'axis', 'lmnl', 'bord', 'xxx!', 'yyy!'}));
    struct Count
    {
        uint32_t kind;
        int32_t count;
    } counts[] = {{'axis', 6}, {'lmnl', 8}, {'bord', 4}, {'xxx!', 10}, {'yyy!', 10}, {'anno', 0}, {0, 0}};
    for (const Count &c : counts)
    {
        const Point2D *points = nullptr;
        EXPECT_EQ(g->GetAnchorPoints(c.kind, &points), c.count);
        EXPECT_EQ(inner->GetAnchorPoints(c.kind, &points), 0);
    }
    EXPECT_EQ(inner->GetAnchorKinds(&kinds), 0);

    // By hand, from the group's box and rows: f = 10, em = 10.
    const float X = g->absolutePosition.x, Y = g->absolutePosition.y, W = g->width, B = g->bottom, T = g->top;
    ASSERT_EQ(g->GetRowCount(), 3);
    const GroupRow *rows = g->rows.GetElements();
    const float axis = 10.0f * GetGeneralParam(&document.design, 'axis');
    const float half = 10.0f / 18.0f * GetGeneralParam(&document.design, 'lgp0') / 2.0f;
    const Point2D *p = nullptr;
    g->GetAnchorPoints('axis', &p);
    ExpectPoint(p[0], X - 5.0f, Y + axis);
    ExpectPoint(p[3], X + W + 5.0f, Y + rows[1].baselineOffset + axis);
    ExpectPoint(p[4], X - 5.0f, Y + rows[2].baselineOffset + axis);
    g->GetAnchorPoints('lmnl', &p);
    ExpectPoint(p[1], X + W + 5.0f, Y + rows[0].top + half);
    ExpectPoint(p[2], X - 5.0f, Y + (rows[1].top + rows[0].bottom) / 2.0f);
    ExpectPoint(p[5], X + W + 5.0f, Y + (rows[2].top + rows[1].bottom) / 2.0f);
    ExpectPoint(p[7], X + W + 5.0f, Y + rows[2].bottom - half);
    g->GetAnchorPoints('bord', &p);
    ExpectPoint(p[0], X - 2.5f, Y + B - 7.5f);
    ExpectPoint(p[3], X + W + 2.5f, Y + T + 7.5f);
    g->GetAnchorPoints('xxx!', &p);
    ExpectPoint(p[0], X + W / 2.0f, Y + B - 20.0f);
    ExpectPoint(p[9], X + W / 2.0f, Y + T + 50.0f);
    g->GetAnchorPoints('yyy!', &p);
    ExpectPoint(p[2], X - 40.0f, Y + (B + T) / 2.0f);
    ExpectPoint(p[7], X + W + 70.0f, Y + (B + T) / 2.0f);
    EXPECT_GT(T - B, 20.0f);

    Preferences preferences;
    EXPECT_EQ(g->GetAnchorHandleColor(&preferences, 'xxx!'), &preferences.colors[kColorRailAnchor]);
    EXPECT_EQ(g->GetAnchorHandleColor(&preferences, 'axis'), &preferences.colors[kColorGroupAnchor]);
    EXPECT_EQ(g->GetAnchorHandleColor(nullptr, 'axis'), nullptr);
    Vector2D direction(0.0f, 0.0f);
    g->GetAnchorDirection(&direction, 0);
    EXPECT_EQ(direction.y, -1.0f);
    g->GetAnchorDirection(&direction, 3);
    EXPECT_EQ(direction.y, 1.0f);
}

struct PlacementCase
{
    const char *name;
    const char *target;  // the target node's text, named $t, in the main group
    uint32_t kind;
    int32_t index;
    const char *alignment;
    int32_t expectedPoint;  // the point the annotation uses; -1: none (it stays in place)
};

TEST_F(AnchorTest, AnnotationPlacement)
{
    const PlacementCase cases[] = {
        {"below the border (0, -1)", "Fx (w=3.0) {}", 'bord', 0, "", 0},
        {"above the border (0, 1), right", "Fx (w=3.0) {}", 'bord', 3, ", al='rght'", 3},
        {"beside a box anchor (1, 0)", "Fx $t (w=3.0, t=6.0) {}", 0, 1, "", 1},
        {"left of a point (-1, 0)", "Dx $t (w=3.0, dx=-1.0) {}", 0, 0, "", 0},
        {"on a point (0, 0), centred", "Dx $t (w=3.0, dx=0.0) {}", 'cent', 1, ", al='cent'", 1},
        {"an index past the points uses point 0", "Fx {}", 'bord', 9, "", 0},
        {"a node without points leaves it in place", "Al $t {}", 0, 1, "", -1},
        {"a space of zero width leaves it in place", "Sp $t {}", 0, 0, "", -1},
    };
    for (const PlacementCase &c : cases)
    {
        SCOPED_TRACE(c.name);
        const bool onGroup = c.kind == 'bord';
        const std::string text = std::string("Gr $g { Bg {} Fx (w=7.0, t=5.0, b=-2.0) {} ") + c.target +
                                 " } Gr $n (t='anno'" + c.alignment + ") { Bg {} Fx (w=6.0, t=4.0, b=-1.0) {} " +
                                 LinkBlock({{onGroup ? "g" : "t", c.kind, c.index}}) + " }";
        EquationDocument document;
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        UpdateLayout(document);
        auto *n = FindNode<GroupNode>(document, "n");
        DocumentNode *target = onGroup ? FindNode<DocumentNode>(document, "g") : FindNode<DocumentNode>(document, "t");
        if (c.expectedPoint < 0)
        {
            ExpectPoint(n->position, 0.0f, 0.0f);
            continue;
        }
        const Point2D *points = nullptr;
        ASSERT_GT(target->GetAnchorPoints(c.kind, &points), c.expectedPoint);
        Point2D p = points[c.expectedPoint];
        Vector2D d(0.0f, 0.0f);
        target->GetAnchorDirection(&d, c.expectedPoint);
        const Design &design = document.design;
        const float em = design.GetBaseFontSize();
        const float W = n->width, B = n->bottom, T = n->top;
        const float first = n->rows[0].baselineOffset;
        const float inset = em * GetGroupParam(&design, 'anno', 'iset');
        const float cptl = GetGeneralParam(&design, 'cptl');
        float ex, ey;
        if (std::fabs(d.y) >= std::fabs(d.x))
        {
            uint32_t a = n->GetEffectiveAlignment();
            ex = a == kAlignCentre ? W / 2.0f : (a == kAlignRight ? W - inset : inset);
            if (d.y > 0.0f) ey = std::min(B, first - 0.216f * em);
            else if (d.y < 0.0f) ey = std::max(T, first + (0.108f + cptl) * em);
            else ey = first + em * cptl / 2.0f;
        }
        else
        {
            ex = d.x > 0.0f ? 0.0f : W;
            ey = first + em * GetGeneralParam(&design, 'axis');
        }
        ExpectPoint(n->position, p.x - ex, p.y - ey);
        // The annotation's own 'anno' points, above and below its box.
        const Point2D *own = nullptr;
        ASSERT_EQ(n->GetAnchorPoints('anno', &own), 2);
        const float d0 = em * GetGroupParam(&design, 'anno', 'grup');
        ExpectPoint(own[0], n->absolutePosition.x + W / 2.0f, n->absolutePosition.y + B - d0);
        ExpectPoint(own[1], n->absolutePosition.x + W / 2.0f, n->absolutePosition.y + T + d0);
    }
}

TEST_F(AnchorTest, AnnotationHitTestAndOutline)
{
    EquationDocument document;
    ASSERT_EQ(document.ParseAndResolve("Gr $g { Bg {} Fx (w=7.0) {} } Gr $n (t='anno', ax=36.0, ay=18.0) { Bg {}"
                                       " Fx (w=6.0, t=4.0, b=-1.0) {} }"),
              0u);
    UpdateLayout(document);
    auto *n = FindNode<GroupNode>(document, "n");
    const Point2D at = n->absolutePosition;
    const float W = n->width, B = n->bottom, T = n->top;
    struct Hit
    {
        float x, y;
        bool hit;
    } hits[] = {
        {0.0f, B, true},          {W / 2.0f, B - 0.4f, true}, {W / 2.0f, B - 0.6f, false}, {W + 0.4f, 0.0f, true},
        {W / 2.0f, T + 0.4f, true}, {W / 2.0f, (B + T) / 2.0f, false}, {-0.6f, 0.0f, false},
    };
    for (const Hit &h : hits)
    {
        SCOPED_TRACE(testing::Message() << h.x << ", " << h.y);
        EXPECT_EQ(n->HitTest(Point2D(at.x + h.x, at.y + h.y), 0.5f), h.hit);
    }
    auto *g = FindNode<GroupNode>(document, "g");
    EXPECT_FALSE(g->HitTest(g->absolutePosition, 5.0f));

    DisplayList list;
    g->BuildSelectionOutline(1.0f, &list);
    EXPECT_TRUE(list.IsEmpty());
    n->BuildSelectionOutline(1.0f, &list);
    auto *item = dynamic_cast<FillPathItem *>(list.GetFirstListElement());
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(item->curveCount, 8);
    EXPECT_EQ(item->color, 0u);
    // Outer corner (-1, B - 1), inner corner (1, B + 1), y turned down.
    ExpectPoint(item->curves[0].p0, at.x - 1.0f, -(at.y + B - 1.0f));
    ExpectPoint(item->curves[4].p0, at.x + 1.0f, -(at.y + B + 1.0f));
    ExpectPoint(item->curves[1].p2, at.x + W + 1.0f, -(at.y + T + 1.0f));
    list.Purge();
}

TEST(SegmentGeometry, PointNearSegment)
{
    struct Case
    {
        Point2D point, a, b;
        float tolerance;
        bool near;
    } cases[] = {
        {{5.0f, 0.9f}, {0.0f, 0.0f}, {10.0f, 0.0f}, 1.0f, true},
        {{5.0f, -1.0f}, {0.0f, 0.0f}, {10.0f, 0.0f}, 1.0f, false},  // strict
        {{-0.9f, 0.5f}, {0.0f, 0.0f}, {10.0f, 0.0f}, 1.0f, true},   // square end
        {{10.9f, -0.9f}, {0.0f, 0.0f}, {10.0f, 0.0f}, 1.0f, true},
        {{11.1f, 0.0f}, {0.0f, 0.0f}, {10.0f, 0.0f}, 1.0f, false},
        {{3.0f, 3.0f}, {0.0f, 0.0f}, {6.0f, 6.0f}, 0.1f, true},    // diagonal
        {{3.0f, 3.5f}, {0.0f, 0.0f}, {6.0f, 6.0f}, 0.3f, false},
        {{0.0f, 0.0f}, {1.0f, 1.0f}, {1.0f, 1.0f}, 5.0f, false},   // degenerate
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.point.x << ", " << c.point.y);
        EXPECT_EQ(IsPointNearSegment(c.point, c.a, c.b, c.tolerance), c.near);
    }
}

TEST(SegmentGeometry, OutlineIsARectangularFrame)
{
    QuadraticBezier2D curves[8];
    BuildSegmentOutline(Point2D(1.0f, 2.0f), Point2D(5.0f, 4.0f), Vector2D(2.0f, 0.0f), 0.5f, curves);
    const Point2D expected[8] = {{0.5f, 1.5f}, {5.5f, 1.5f}, {5.5f, 4.5f}, {0.5f, 4.5f},
                                 {1.5f, 2.5f}, {1.5f, 3.5f}, {4.5f, 3.5f}, {4.5f, 2.5f}};
    for (int32_t i = 0; i < 8; ++i)
    {
        SCOPED_TRACE(i);
        int32_t next = (i % 4 == 3) ? i - 3 : i + 1;
        ExpectPoint(curves[i].p0, expected[i].x, expected[i].y);
        ExpectPoint(curves[i].p2, expected[next].x, expected[next].y);
        ExpectPoint(curves[i].p1, curves[i].p2.x, curves[i].p2.y);  // straight
    }
}

TEST_F(AnchorTest, ExportBoxKeepsOuterSpacesAndIsNeverInverted)
{
    struct Case
    {
        const char *text;
    } cases[] = {
        {"Gr $g { Bg {} Fx (w=7.0, t=5.0) {} }"},
        {"Gr $g { Bg {} Fx (w=7.0) {} Bg {} Fx {} Bg {} Fx {} }"},  // first baseline far above the capital height
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        EquationDocument document;
        ASSERT_EQ(document.ParseAndResolve(c.text), 0u);
        UpdateLayout(document);
        auto *g = FindNode<GroupNode>(document, "g");
        DisplayList list;
        g->BuildExportItems(&document.design, &list);
        auto *item = dynamic_cast<ExportCurveItem *>(list.GetLastListElement());
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->curveCount, 0);
        EXPECT_EQ(item->color, 0xFF000000u);
        const float capital = document.design.GetBaseFontSize() * GetGeneralParam(&document.design, 'cptl');
        const float Y = g->absolutePosition.y;
        EXPECT_FLOAT_EQ(item->box[0], g->absolutePosition.x);
        EXPECT_FLOAT_EQ(item->box[2], g->absolutePosition.x + g->width);
        EXPECT_FLOAT_EQ(item->box[1], std::min(Y, capital));
        EXPECT_FLOAT_EQ(item->box[3], std::max(Y, capital));
        list.Purge();
    }
}

TEST_F(AnchorTest, DeletingRowsDeletesTheirDependents)
{
    test::TestNodeRegistry::Reset();
    {
        EquationDocument document;
        const std::string text =
            "Gr $g { Bg {} Fx {} Bg $second {} Fx $x {} " + LinkBlock({{"g", 'axis', 2}, {"g", 'bord', 3}}) + " }"
            " Ln (n=1) { " + LinkBlock({{"g", 'axis', 2}}) + " } Ln (n=2) { " + LinkBlock({{"g", 'axis', 1}}) + " }"
            " Ln (n=3) { " + LinkBlock({{"g", 'lmnl', 4}}) + " } Ln (n=4) { " + LinkBlock({{"g", 'lmnl', 3}}) + " }"
            " Ln (n=5) { " + LinkBlock({{"g", 'axis', 3}, {"g", 'lmnl', 5}}) + " }"
            " Ln (n=6) { " + LinkBlock({{"g", 'bord', 3}, {"x"}}) + " }";
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        auto *g = FindNode<GroupNode>(document, "g");
        // Delete the second row; the line on its symbol goes with it.
        delete FindNode<MathNode>(document, "x");
        delete FindNode<MathNode>(document, "second");
        g->DeleteDependentsOfMissingRows();
        std::vector<int32_t> labels;
        for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        {
            if (auto *line = dynamic_cast<test::TestDrawingNode *>(s)) labels.push_back(line->label);
        }
        EXPECT_EQ(labels, (std::vector<int32_t>{2, 4}));
        // The group's own link to its 'axis' point 2 went; its 'bord' link stayed.
        ASSERT_NE(g->GetFirstOutgoingLink(), nullptr);
        EXPECT_EQ(g->GetFirstOutgoingLink()->anchorKind, 'bord');
        EXPECT_EQ(g->GetFirstOutgoingLink()->GetNextOutgoingLink(), nullptr);
        UpdateLayout(document);
    }
    EXPECT_TRUE(test::TestNodeRegistry::AllDestroyedOnce());
}

TEST_F(AnchorTest, DeletingRowsKeepsAGroupLinkedThroughADependent)
{
    EquationDocument document;
    const std::string text = "Gr $g { Bg {} Fx {} " + LinkBlock({{"d"}}) + " } Ln $d { " + LinkBlock({{"g", 'axis', 4}}) +
                             " } Gr (t='anno') { Bg {} " + LinkBlock({{"d"}}) + " }";
    ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
    auto *g = FindNode<GroupNode>(document, "g");
    g->DeleteDependentsOfMissingRows();
    // The line and the annotation on it are gone; the group only lost its link to the line.
    EXPECT_EQ(test::TopLevelKinds(document), (std::vector<uint32_t>{'grup'}));
    EXPECT_EQ(g->GetFirstOutgoingLink(), nullptr);
    EXPECT_EQ(document.GetMainGroup(), g);
}

}  // namespace
}  // namespace oq
