// Anchor records: the dependence walk, the anchor and connection-target searches, and records
// forgotten with the tree they point into.
#include "EditorFixture.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/editing/AnchorHandles.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"
#include "support/DocumentTestKinds.h"

#include <map>
#include <string>
#include <vector>

namespace oq::test {
namespace {

class AnchorHandlesTest : public EditorFixture
{
protected:
    TestDrawingNode *AddDrawing()
    {
        auto *drawing = new TestDrawingNode("Ln");
        editor->document.GetRootStructure()->AppendSubnode(drawing);
        return drawing;
    }

    void AddRecord(DocumentNode *node, uint32_t kind, int32_t index, float x, float y)
    {
        editor->anchorRecords.AddElement(AnchorRecord{node, kind, index, x, y});
    }
};

TEST_F(AnchorHandlesTest, DependsOnObjectFollowsIncomingLinks)
{
    // a <- b <- c (c positioned from b, b from a), d alone; e and f link to each other and to a.
    TestDrawingNode *a = AddDrawing();
    TestDrawingNode *b = AddDrawing();
    TestDrawingNode *c = AddDrawing();
    TestDrawingNode *d = AddDrawing();
    TestDrawingNode *e = AddDrawing();
    TestDrawingNode *f = AddDrawing();
    new NodeLink(b, a, 0, 0, 0.0f);
    new NodeLink(c, b, 0, 0, 0.0f);
    new NodeLink(e, f, 0, 0, 0.0f);
    new NodeLink(f, e, 0, 0, 0.0f);
    new NodeLink(e, a, 0, 0, 0.0f);
    GroupNode *main = editor->document.GetMainGroup();
    struct Case
    {
        const char *what;
        DocumentNode *structure;
        DocumentNode *object;
        bool depends;
    } cases[] = {
        {"the object itself", a, a, true},
        {"one link away", b, a, true},
        {"two links away", c, a, true},
        {"through a cycle", f, a, true},
        {"the other way round", a, c, false},
        {"unrelated", d, a, false},
        {"the main group", main, a, false},
        {"a cycle not leading to the structure", d, e, false},
        {"no object", a, nullptr, false},
    };
    for (const Case &k : cases) EXPECT_EQ(DependsOnObject(k.structure, k.object), k.depends) << k.what;
}

TEST_F(AnchorHandlesTest, NearestAnchorStrictlyWithinThreeOverZoom)
{
    TestDrawingNode *a = AddDrawing();
    TestDrawingNode *b = AddDrawing();
    editor->zoom = 2.0f;  // radius 1.5
    AddRecord(a, 'xxx!', 0, 10.0f, 10.0f);  // guides are no points
    AddRecord(a, 0, 0, 10.0f, 11.0f);
    AddRecord(b, 0, 1, 10.0f, 9.0f);  // as near as the one before it
    AddRecord(b, 0, 2, 20.0f, 10.0f);
    const AnchorRecords &r = editor->anchorRecords;
    struct Case
    {
        const char *what;
        Point2D point;
        const AnchorRecord *expected;
    } cases[] = {
        {"a tie: the earlier record", Point2D(10.0f, 10.0f), &r[1]},
        {"nearer the later", Point2D(10.0f, 9.5f), &r[2]},
        {"exactly 3/zoom away", Point2D(21.5f, 10.0f), nullptr},
        {"just inside", Point2D(21.49f, 10.0f), &r[3]},
        {"nothing near", Point2D(15.0f, 10.0f), nullptr},
    };
    for (const Case &c : cases) EXPECT_EQ(editor->FindAnchorAtPoint(c.point, nullptr), c.expected) << c.what;
    AnchorRecord excluded = r[3];
    EXPECT_EQ(editor->FindAnchorAtPoint(Point2D(20.0f, 10.0f), &excluded), nullptr);
}

TEST_F(AnchorHandlesTest, ConnectTargets)
{
    TestDrawingNode *a = AddDrawing();
    TestDrawingNode *b = AddDrawing();
    AddRecord(a, 0, 0, 0.0f, 0.0f);  // the start
    AddRecord(a, 0, 1, 50.0f, 0.0f);    // same y as the start
    AddRecord(b, 0, 0, 50.0f, 40.0f);
    AddRecord(b, 'xxx!', 0, 30.0f, 20.0f);
    AddRecord(b, 'yyy!', 0, 80.0f, 30.0f);
    const AnchorRecords &r = editor->anchorRecords;
    AnchorRecord startCopy = r[0];
    struct Case
    {
        const char *what;
        uint32_t category;
        Point2D point;
        const AnchorRecord *expected;
        float offset;
    } cases[] = {
        {"a point anchor", 'line', Point2D(50.0f, 41.0f), &r[2], -1.0f},
        {"a shape on a point anchor with extent", 'shap', Point2D(50.0f, 41.0f), &r[2], -1.0f},
        {"a shape beside its start", 'shap', Point2D(50.0f, 1.0f), nullptr, -1.0f},
        {"a line beside its start", 'line', Point2D(50.0f, 1.0f), &r[1], -1.0f},
        {"the start itself", 'line', Point2D(0.5f, 0.0f), nullptr, -1.0f},
        {"a line on a horizontal guide", 'line', Point2D(12.0f, 21.0f), &r[3], 12.0f},
        {"a line on a vertical guide", 'line', Point2D(81.0f, 7.0f), &r[4], 7.0f},
        {"a bracket never on a guide", 'jost', Point2D(12.0f, 21.0f), nullptr, -1.0f},
        {"a shape never on a guide", 'shap', Point2D(81.0f, 7.0f), nullptr, -1.0f},
        {"a point anchor wins over a nearer guide", 'line', Point2D(52.0f, 40.0f), &r[2], -1.0f},
        {"the nearer of two guides", 'line', Point2D(79.0f, 21.0f), &r[3], 79.0f},
        {"a guide exactly 3 away", 'line', Point2D(12.0f, 23.0f), nullptr, -1.0f},
    };
    for (const Case &c : cases)
    {
        float offset = -1.0f;
        EXPECT_EQ(editor->FindConnectTarget(c.point, c.category, &startCopy, &offset), c.expected) << c.what;
        EXPECT_EQ(offset, c.offset) << c.what;
    }
}

// Counts of the records by kind, only those of the node when one is given.
std::map<std::string, int> CountKinds(const AnchorRecords &records, const DocumentNode *node)
{
    std::map<std::string, int> counts;
    for (const AnchorRecord &r : records)
    {
        if (node != nullptr && r.node != node) continue;
        std::string kind = r.kind == 0 ? "0" : std::string{char(r.kind >> 24), char(r.kind >> 16), char(r.kind >> 8), char(r.kind)};
        ++counts[kind];
    }
    return counts;
}

TEST_F(AnchorHandlesTest, ThreeRowEquationOffersItsAnchorsAndGuidesOnlyWithTheEdgeFlag)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb {s{\"A\"}} Bg {} Fr { Gr (t='numr') { Bg {} Sb {s{\"A\"}} } "
                                         "Gr (t='dnom') { Bg {} Sb {s{\"B\"}} } } Bg {} Sb {s{\"B\"}} }",
                                 0, 0));
    ASSERT_TRUE(LayoutTestDocument(editor));
    GroupNode *main = editor->document.GetMainGroup();
    MathNode *numeratorRun = nullptr;
    for (MathNode *n = main->GetFirstMathSubnode(); n != nullptr; n = n->GetNextMathNode())
    {
        if (GroupNode *numerator = n->GetFirstGroup()) numeratorRun = numerator->GetLastMathSubnode();
    }
    ASSERT_NE(numeratorRun, nullptr);
    GroupNode *denominator = numeratorRun->GetEnclosingGroup()->GetSuperMathNode()->GetNextGroup(numeratorRun->GetEnclosingGroup());
    ASSERT_NE(denominator, nullptr);
    const std::map<std::string, int> mainKinds = {{"axis", 6}, {"lmnl", 8}, {"bord", 4}};
    for (bool edge : {false, true})
    {
        AnchorRecords records;
        List list;
        BuildAnchorHandles(&editor->document, numeratorRun, nullptr, 0.5f, &editor->settings.preferences, &records,
                           &list, edge, nullptr);
        std::map<std::string, int> expected = mainKinds;
        if (edge)
        {
            expected["xxx!"] = 10;
            expected["yyy!"] = 10;
        }
        EXPECT_EQ(CountKinds(records, main), expected) << edge;
        // Every point has its item.
        EXPECT_EQ(list.GetListElementCount(), records.GetElementCount());
        // The caret's slot groups: both the numerator's and the denominator's nodes.
        bool sawDenominator = false;
        for (const AnchorRecord &r : records) sawDenominator |= r.node == denominator->GetFirstMathSubnode()->GetNextMathNode();
        EXPECT_TRUE(sawDenominator);
        list.Purge();
    }
    // Guides only for the structures given: none for a drawing given alone.
    ASSERT_TRUE(InsertTestDrawing(editor));
    AnchorRecords records;
    List list;
    DocumentNode *drawing = DocumentNode::FromStructure(editor->document.GetRootStructure()->GetLastSubnodeStructure());
    BuildAnchorHandles(&editor->document, drawing, nullptr, 1.0f, &editor->settings.preferences, &records, &list, true,
                       nullptr);
    EXPECT_EQ(CountKinds(records, main), mainKinds);
    list.Purge();
    // The dragged object offers no anchors of its own.
    records.SetElementCount(0);
    BuildAnchorHandles(&editor->document, nullptr, nullptr, 1.0f, &editor->settings.preferences, &records, &list, true,
                       main);
    EXPECT_EQ(CountKinds(records, main).size(), 0u);
    list.Purge();
}

// Each highlight answers true only when what is shown changed.
TEST_F(AnchorHandlesTest, HoverHighlightsReportVisibleChanges)
{
    TestDrawingNode *a = AddDrawing();
    TestDrawingNode *b = AddDrawing();
    editor->zoom = 2.0f;
    AnchorRecord anchor{a, 0, 1, 5.0f, 5.0f};
    EXPECT_TRUE(editor->HighlightAnchor(anchor, Point2D(5.0f, 5.0f)));
    EXPECT_EQ(editor->highlight.halfSide, 1.5f);
    EXPECT_EQ(editor->highlight.color, editor->settings.preferences.colors[kColorEquationAnchor]);
    EXPECT_FALSE(editor->HighlightAnchor(anchor, Point2D(5.0f, 5.0f)));
    EXPECT_TRUE(editor->HighlightAnchor(anchor, Point2D(5.0f, 5.5f)));
    anchor.kind = 'anno';
    EXPECT_TRUE(editor->HighlightAnchor(anchor, Point2D(5.0f, 5.5f)));
    EXPECT_EQ(editor->highlight.color, editor->settings.preferences.colors[kColorAnnotationAnchor]);
    EXPECT_TRUE(editor->DiscardHoverHighlight());
    EXPECT_FALSE(editor->DiscardHoverHighlight());

    editor->lastTickTime = 1000;
    EXPECT_FALSE(editor->ShowObjectHoverOutline(a));  // from empty space: after 100 ms
    EXPECT_EQ(editor->hoverDeadline, 1100);
    editor->lastTickTime = 1050;
    EXPECT_FALSE(editor->ShowObjectHoverOutline(a));
    EXPECT_EQ(editor->hoverDeadline, 1100);
    EXPECT_TRUE(editor->ShowObjectHoverOutline(b));  // from another object: at once
    EXPECT_EQ(editor->hoverDeadline, 1050);
    EXPECT_TRUE(editor->DiscardObjectHoverOutline());
    EXPECT_FALSE(editor->DiscardObjectHoverOutline());
    EXPECT_FALSE(editor->ShowObjectHoverOutline(b));
    EXPECT_EQ(editor->hoverDeadline, 1150);
}

// Records point into the tree: a replacement of the tree (Undo) forgets them before anything can
// look at them, and hit tests before the next layout find nothing on the new nodes.
TEST_F(AnchorHandlesTest, UndoForgetsRecordsThatPointIntoTheOldTree)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb {s{\"A\"}} }", 0, 0));
    ASSERT_TRUE(InsertTestDrawing(editor));
    ASSERT_TRUE(LayoutTestDocument(editor));
    editor->SetDrawingToolGroup(kToolGroupLine);
    GroupNode *main = editor->document.GetMainGroup();
    for (MathNode *node = main->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        AddRecord(node, 0, 0, node->absolutePosition.x, node->absolutePosition.y);
    editor->anchorGroup = main;
    ASSERT_NE(editor->FindAnchorAtPoint(Point2D(0.0f, 0.0f), nullptr), nullptr);
    static_cast<void>(editor->HighlightAnchor(editor->anchorRecords[1], Point2D(1.0f, 0.0f)));
    DocumentNode *drawing = DocumentNode::FromStructure(editor->document.GetRootStructure()->GetLastSubnodeStructure());
    static_cast<void>(editor->ShowObjectHoverOutline(drawing));

    ASSERT_TRUE(editor->Undo());
    EXPECT_FALSE(editor->highlight.shown);
    EXPECT_EQ(editor->highlight.anchor.node, nullptr);
    EXPECT_EQ(editor->hoveredObject, nullptr);
    EXPECT_EQ(editor->anchorRecords.GetElementCount(), 0);
    EXPECT_EQ(editor->anchorGroup, nullptr);
    EXPECT_EQ(editor->FindAnchorAtPoint(Point2D(0.0f, 0.0f), nullptr), nullptr);
    AnchorRecord start;
    EXPECT_EQ(editor->FindConnectTarget(Point2D(0.0f, 0.0f), 'line', &start, nullptr), nullptr);
    EXPECT_EQ(editor->FindObjectAtPoint(Point2D(0.0f, 0.0f)), nullptr);
    CaretPosition caret;
    if (editor->FindCaretAtPoint(editor->document.GetMainGroup(), Point2D(0.0f, 0.0f), &caret))
    {
        EXPECT_EQ(caret.node->GetEnclosingGroup(), editor->document.GetMainGroup());
    }
}

}  // namespace
}  // namespace oq::test
