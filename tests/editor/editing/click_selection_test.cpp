// Click selection and object selection: selection ends in document order, the caret from a left
// press, objects from a right press and the deletion of the selected objects; and the dialog
// factory the pointer opens dialogs through.
#include "EditorFixture.h"
#include "NodeLabels.h"
#include "RecordingDialogFactory.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/drawing/DrawingKinds.h"
#include "editor/editing/CaretRules.h"
#include "editor/platform/FakeWindowSystem.h"
#include "support/DocumentTestKinds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

DialogWindow *NoDialog(WindowHandle) { return nullptr; }
DialogWindow *NoPropertyDialog(WindowHandle, DocumentNode *) { return nullptr; }

TEST(DialogFactory, EntriesAreSetReplacedRemovedAndFoundByKey)
{
    DialogFactory factory;
    EXPECT_EQ(factory.FindMenuDialog(778), nullptr);
    EXPECT_TRUE(factory.SetMenuDialog(778, NoDialog));
    EXPECT_TRUE(factory.SetMenuDialog(779, NoDialog));
    EXPECT_TRUE(factory.SetMenuDialog(778, NoDialog));
    EXPECT_EQ(factory.menuDialogCount, 2);
    EXPECT_EQ(factory.FindMenuDialog(778), &NoDialog);
    EXPECT_TRUE(factory.SetMenuDialog(778, nullptr));
    EXPECT_EQ(factory.FindMenuDialog(778), nullptr);
    EXPECT_EQ(factory.FindMenuDialog(779), &NoDialog);
    EXPECT_TRUE(factory.SetMenuDialog(1, nullptr));  // removing what is not there
    EXPECT_EQ(factory.menuDialogCount, 1);

    for (int32_t i = 0; i < kPropertyDialogCapacity; ++i)
    {
        EXPECT_TRUE(factory.SetPropertyDialog(static_cast<uint32_t>(i + 1), NoPropertyDialog));
    }
    EXPECT_FALSE(factory.SetPropertyDialog('frac', NoPropertyDialog));  // full
    EXPECT_TRUE(factory.SetPropertyDialog(5, NoPropertyDialog));        // replacing still works
    EXPECT_EQ(factory.FindPropertyDialog('frac'), nullptr);
    EXPECT_EQ(factory.FindPropertyDialog(kPropertyDialogCapacity), &NoPropertyDialog);
}

TEST(DialogFactory, RecordingFakeMakesDialogsAndPutsTheFactoryBack)
{
    test::FakeDialogServices services;
    EXPECT_EQ(GetDialogFactory().zoomDialog, nullptr);
    {
        test::RecordingDialogFactory recording({778}, {'frac'});
        DialogFactory &factory = GetDialogFactory();
        DialogWindow *zoom = factory.zoomDialog(test::FakeWindowSystem::kMainWindow);
        ASSERT_NE(zoom, nullptr);
        EXPECT_EQ(zoom->GetOwnerWindow(), test::FakeWindowSystem::kMainWindow);
        delete zoom;
        recording.makeDialogs = false;
        EXPECT_EQ(factory.FindMenuDialog(778)(test::FakeWindowSystem::kMainWindow), nullptr);
        EXPECT_EQ(factory.FindPropertyDialog('frac')(test::FakeWindowSystem::kMainWindow, nullptr), nullptr);
        ASSERT_EQ(recording.calls.size(), 3u);
        EXPECT_EQ(recording.calls[0].entry, "zoom");
        EXPECT_EQ(recording.calls[1].entry, "menu");
        EXPECT_EQ(recording.calls[1].key, 778u);
        EXPECT_EQ(recording.calls[2].entry, "property");
        EXPECT_EQ(recording.calls[2].key, static_cast<uint32_t>('frac'));
    }
    EXPECT_EQ(GetDialogFactory().zoomDialog, nullptr);
    EXPECT_EQ(GetDialogFactory().FindMenuDialog(778), nullptr);
}

// A main group "AB", a fraction CD/E, a phantom holding "PQ" and a fraction R/S, and "FG"; an
// annotation group "H" (another top-level structure). Nodes are found by their text or kind.
class ClickSelection : public test::EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        RegisterDrawingKinds();
        ASSERT_TRUE(test::LoadTestDocument(editor, kDocument, 0, 0));
    }

    // The node whose run text (or kind, for other nodes) is the label, in document order.
    MathNode *Node(const std::string &label)
    {
        MathNode *node = test::FindLabelledNode(editor->document, label);
        if (node == nullptr) ADD_FAILURE() << "no node " << label;
        return node;
    }

    CaretPosition At(const std::string &label, int32_t index) { return {Node(label), index}; }

    static std::string Label(const MathNode *node) { return test::NodeLabel(node); }

    static std::string Describe(const CaretPosition &p)
    {
        return p.node == nullptr ? "none" : test::DescribePosition(p);
    }

    // "start end" of the selection.
    std::string Selected()
    {
        return Describe(editor->document.selection.start) + " " + Describe(editor->document.selection.end);
    }

    void Select(CaretPosition start, CaretPosition end, int32_t moving)
    {
        editor->SetSelection(start, end);
        editor->movingEnd = moving;
    }

    // A drawing along a horizontal segment at y, appended to the top level.
    test::TestDrawingNode *AddDrawing(float y)
    {
        auto *drawing = new test::TestDrawingNode("Ln");
        drawing->start = Point2D(0.0f, y);
        drawing->finish = Point2D(100.0f, y);
        editor->document.GetRootStructure()->AppendSubnode(drawing);
        return drawing;
    }

    static constexpr const char *kDocument =
        "Gr { Bg {} Sb {s{\"AB\"}} Fr { Gr (t='numr') { Bg {} Sb {s{\"CD\"}} } Gr (t='dnom') { Bg {} Sb {s{\"E\"}} } } "
        "Ph { Bg {} Sb {s{\"PQ\"}} Fr { Gr (t='numr') { Bg {} Sb {s{\"R\"}} } Gr (t='dnom') { Bg {} Sb {s{\"S\"}} } } } "
        "Sb {s{\"FG\"}} }\n"
        "Gr (t='anno') { Bg {} Sb {s{\"H\"}} }\n";
};

TEST_F(ClickSelection, OrderSelectionEndsPutsTheEndsInDocumentOrder)
{
    struct Case
    {
        const char *what;
        const char *anchor;
        int32_t anchorIndex;
        const char *moving;
        int32_t movingIndex;
        const char *selected;
        int32_t movingEnd;
    } cases[] = {
        {"one node forwards", "AB", 1, "AB", 2, "AB:1 AB:2", 1},
        {"one node backwards", "AB", 2, "AB", 1, "AB:1 AB:2", -1},
        {"one node, one index", "AB", 1, "AB", 1, "AB:1 AB:1", 0},
        {"siblings forwards", "AB", 1, "FG", 1, "AB:1 FG:1", 1},
        {"siblings backwards", "FG", 1, "AB", 1, "AB:1 FG:1", -1},
        {"into a deeper node after it", "AB", 1, "CD", 1, "AB:1 frac:0", 1},
        {"into a deeper node before it", "FG", 1, "CD", 1, "AB:2 FG:1", -1},
        {"out of a deeper node forwards", "CD", 1, "FG", 1, "AB:2 FG:1", 1},
        {"out of a deeper node backwards", "CD", 1, "AB", 1, "AB:1 frac:0", -1},
        {"onto the structure that holds the anchor", "CD", 1, "frac", 0, "AB:2 frac:0", 1},
        {"from the structure into it", "frac", 0, "CD", 1, "AB:2 frac:0", -1},
        {"different slots: the whole structure", "CD", 1, "E", 1, "AB:2 frac:0", 0},
        {"different slots backwards", "E", 0, "CD", 2, "AB:2 frac:0", 0},
        {"into another top-level structure: the caret goes there", "AB", 1, "H", 1, "H:1 H:1", 0},
        {"rows of a phantom", "PQ", 1, "R", 1, "PQ:1 frac:0", 1},
        {"slots of a structure in a phantom", "R", 1, "S", 1, "PQ:2 frac:0", 0},
        {"into a phantom", "AB", 1, "R", 1, "AB:1 phan:0", 1},
    };
    for (const Case &c : cases)
    {
        editor->document.objectSelection.AddElement(editor->document.GetMainGroup());
        int32_t moving = editor->OrderSelectionEnds(At(c.anchor, c.anchorIndex), At(c.moving, c.movingIndex));
        EXPECT_EQ(Selected(), c.selected) << c.what;
        EXPECT_EQ(moving, c.movingEnd) << c.what;
        EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0) << c.what;
    }
    editor->SetSelection(At("AB", 1), At("AB", 1));
}

TEST_F(ClickSelection, OrderSelectionEndsGivesOneOrderedRangeForEveryPairOfPositions)
{
    // Every caret stop of the main group, nested ones included.
    std::vector<CaretPosition> stops;
    GroupNode *main = editor->document.GetMainGroup();
    for (TreeBase *tree = main->GetFirstSubnode(); tree != nullptr; tree = main->GetNextTreeNode(tree))
    {
        MathNode *node = MathNode::FromStructure(static_cast<KettricStructure *>(tree));
        if (!CanHoldCaret(node)) continue;
        for (int32_t index = 0; index <= node->GetEndIndex(); ++index) stops.push_back({node, index});
    }
    ASSERT_GT(stops.size(), 20u);
    for (const CaretPosition &a : stops)
    {
        for (const CaretPosition &b : stops)
        {
            std::string what = Describe(a) + " to " + Describe(b);
            // A Shift press at any stop, either end moving, keeps one ordered range.
            for (const CaretPosition &p : {stops.front(), stops[stops.size() / 2], stops.back(), a, b})
            {
                for (int32_t moving : {1, -1})
                {
                    editor->movingEnd = editor->OrderSelectionEnds(a, b) != 0 ? moving : 0;
                    editor->pressFlags = 4;
                    editor->PlaceCaretFromPress(p);
                    EXPECT_EQ(test::CheckEditorInvariants(editor), "") << what << ", Shift at " << Describe(p);
                }
            }
            int32_t forwards = editor->OrderSelectionEnds(a, b);
            std::string selected = Selected();
            EXPECT_EQ(test::CheckEditorInvariants(editor), "") << what;
            // The other way round: the same range, the other end moving.
            EXPECT_EQ(editor->OrderSelectionEnds(b, a), -forwards) << what;
            EXPECT_EQ(Selected(), selected) << what;
        }
    }
}

TEST_F(ClickSelection, PlaceCaretFromPressPlacesExtendsOrSelectsTheGroup)
{
    constexpr uint32_t kShift = 4;
    struct Case
    {
        const char *what;
        const char *start;  // the selection before, moving end first
        int32_t startIndex;
        const char *end;
        int32_t endIndex;
        int32_t moving;
        uint32_t flags;
        bool doubleClick;
        const char *pressed;
        int32_t pressedIndex;
        const char *selected;
        int32_t movingEnd;
        const char *anchor;
    } cases[] = {
        {"double click selects the group", "AB", 1, "AB", 1, 0, 0, true, "CD", 1, "bgin:0 CD:2", 0, "CD:1"},
        {"double click with Shift too", "AB", 1, "FG", 1, 1, kShift, true, "E", 0, "bgin:0 E:1", 0, "E:0"},
        {"plain press collapses", "AB", 1, "FG", 1, 1, 0, false, "CD", 1, "CD:1 CD:1", 0, "CD:1"},
        {"Shift with a caret, forwards", "AB", 1, "AB", 1, 0, kShift, false, "FG", 1, "AB:1 FG:1", 1, "AB:1"},
        {"Shift with a caret, backwards", "FG", 1, "FG", 1, 0, kShift, false, "AB", 1, "AB:1 FG:1", -1, "FG:1"},
        {"Shift with a caret into a slot", "AB", 1, "AB", 1, 0, kShift, false, "E", 1, "AB:1 frac:0", 1, "AB:1"},
        {"Shift with a caret into an annotation", "AB", 1, "AB", 1, 0, kShift, false, "H", 1, "H:1 H:1", 0, "H:1"},
        {"Shift before the range", "AB", 2, "FG", 1, 1, kShift, false, "AB", 1, "AB:1 FG:1", -1, "FG:1"},
        {"Shift at the start counts as before", "AB", 2, "FG", 1, 1, kShift, false, "AB", 2, "AB:2 FG:1", -1,
         "FG:1"},
        {"Shift after the range", "AB", 1, "FG", 1, -1, kShift, false, "FG", 2, "AB:1 FG:2", 1, "AB:1"},
        {"Shift inside, the end moving", "AB", 1, "FG", 2, 1, kShift, false, "FG", 1, "AB:1 FG:1", 1, "AB:1"},
        {"Shift inside, the start moving", "AB", 1, "FG", 2, -1, kShift, false, "AB", 2, "AB:2 FG:2", -1, "FG:2"},
        {"Shift before the range, from a slot", "FG", 1, "FG", 2, 1, kShift, false, "CD", 1, "AB:2 FG:2", -1,
         "FG:2"},
        {"Shift inside the range, into a slot", "AB", 1, "FG", 2, 1, kShift, false, "CD", 1, "AB:1 frac:0", 1,
         "AB:1"},
        {"Shift inside the range into a slot, the start moving", "AB", 1, "FG", 2, -1, kShift, false, "CD", 1,
         "AB:2 FG:2", -1, "FG:2"},
        {"Shift with a range into an annotation", "AB", 1, "FG", 2, 1, kShift, false, "H", 1, "H:1 H:1", 0, "H:1"},
    };
    for (const Case &c : cases)
    {
        Select(At(c.start, c.startIndex), At(c.end, c.endIndex), c.moving);
        editor->pressFlags = c.flags;
        editor->pressDoubleClick = c.doubleClick;
        editor->dragMode = 0;
        editor->PlaceCaretFromPress(At(c.pressed, c.pressedIndex));
        EXPECT_EQ(Selected(), c.selected) << c.what;
        EXPECT_EQ(editor->movingEnd, c.movingEnd) << c.what;
        EXPECT_EQ(Describe(editor->selectionAnchor), c.anchor) << c.what;
        EXPECT_EQ(editor->dragMode, uint32_t('eqtn')) << c.what;
        EXPECT_EQ(test::CheckEditorInvariants(editor), "") << c.what;
    }
    editor->dragMode = 0;
}

TEST_F(ClickSelection, UndoForgetsTheSelectionAnchor)
{
    ASSERT_TRUE(test::TypeTestText(editor, "x"));
    editor->pressFlags = 0;
    editor->pressDoubleClick = false;
    editor->PlaceCaretFromPress(At("CD", 1));
    ASSERT_EQ(editor->selectionAnchor.node, Node("CD"));
    EXPECT_TRUE(editor->Undo());
    EXPECT_EQ(editor->selectionAnchor.node, nullptr);
    editor->dragMode = 0;
}

// Keys act while the button is held: an edit that destroys the anchor's node leaves the drag
// going on from the caret, never from the destroyed node.
TEST_F(ClickSelection, AnEditDuringASelectionDragMovesTheAnchorToTheCaret)
{
    editor->pressFlags = 0;
    editor->pressDoubleClick = false;
    editor->PlaceCaretFromPress(At("CD", 1));
    editor->movingEnd = editor->OrderSelectionEnds(editor->selectionAnchor, At("E", 1));
    ASSERT_EQ(Selected(), "AB:2 frac:0");
    ASSERT_TRUE(editor->DeleteForward());  // the fraction goes with "CD"
    EXPECT_EQ(test::CheckEditorInvariants(editor), "");
    EXPECT_EQ(Describe(editor->selectionAnchor), "AB:2");
    editor->movingEnd = editor->OrderSelectionEnds(editor->selectionAnchor, At("FG", 1));
    EXPECT_EQ(Selected(), "AB:2 FG:1");
    editor->dragMode = 0;
}

TEST_F(ClickSelection, RightPressesSelectAndDeselectObjects)
{
    constexpr uint32_t kShift = 4;
    test::TestDrawingNode *drawings[2] = {AddDrawing(200.0f), AddDrawing(300.0f)};
    struct Case
    {
        const char *what;
        std::vector<int32_t> before;  // the drawings selected, in order
        uint32_t flags;
        float y;  // 200 the first drawing, 300 the second, 0 nothing
        bool hit;
        std::vector<int32_t> after;
    } cases[] = {
        {"plain on an object", {}, 0, 200.0f, true, {0}},
        {"plain on another object replaces", {0}, 0, 300.0f, true, {1}},
        {"Shift on another object adds", {0}, kShift, 300.0f, true, {0, 1}},
        {"plain on a selected object keeps all", {0, 1}, 0, 200.0f, true, {0, 1}},
        {"Shift on a selected object removes it", {0, 1}, kShift, 200.0f, true, {1}},
        {"Shift on the last selected object", {1}, kShift, 300.0f, true, {}},
        {"plain on nothing", {0}, 0, 0.0f, false, {0}},
        {"Shift on nothing", {0, 1}, kShift, 0.0f, false, {0, 1}},
        {"on nothing, none selected", {}, 0, 0.0f, false, {}},
    };
    for (const Case &c : cases)
    {
        Array<DocumentNode *, 4> &objects = editor->document.objectSelection;
        editor->PutCaretAtEnd();
        for (int32_t i : c.before) objects.AddElement(drawings[i]);
        editor->pressFlags = c.flags;
        editor->styleKey = 'bold';
        EXPECT_EQ(editor->HandleRightPress(Point2D(50.0f, c.y)), c.hit) << c.what;
        std::vector<int32_t> after;
        for (DocumentNode *object : objects) after.push_back(object == drawings[0] ? 0 : 1);
        EXPECT_EQ(after, c.after) << c.what;
        EXPECT_EQ(editor->styleKey, c.hit ? 0u : uint32_t('bold')) << c.what;
    }
    editor->styleKey = 0;
}

TEST_F(ClickSelection, SelectingTheFirstObjectPutsTheCaretAtTheEndOfTheMainGroup)
{
    AddDrawing(200.0f);
    Select(At("AB", 1), At("FG", 1), 1);
    editor->pressFlags = 0;
    EXPECT_TRUE(editor->HandleRightPress(Point2D(50.0f, 200.0f)));
    EXPECT_EQ(Selected(), "FG:2 FG:2");
    EXPECT_EQ(editor->movingEnd, 0);
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 1);
    // With objects selected the caret stays where it is.
    Select(At("AB", 1), At("AB", 1), 0);
    editor->pressFlags = 4;
    EXPECT_TRUE(editor->HandleRightPress(Point2D(50.0f, 200.0f)));
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0);
    EXPECT_EQ(Selected(), "AB:1 AB:1");
}

// An annotation group on the main group's axis with a line from the main group to it: deleting the
// group destroys the line, so a walk that kept the line as its next node would free it twice.
TEST_F(ClickSelection, DeletingAnAnnotationWithItsLineIsOneStepThatUndoBringsBack)
{
    const char *text = "Gr $m { Bg {} Sb {s{\"AB\"}} }\n"
                       "Gr $a (t='anno') { Bg {} Sb {s{\"H\"}} X { ref{$m} u32{'axis'} i32{0} } }\n"
                       "Ln { X { ref{$m,$a} u32{'axis','anno'} i32{1,0} } }\n"
                       "Ln { X { ref{$m,$m} u32{'axis','axis'} i32{0,1} } }\n";
    for (bool groupFirst : {true, false})
    {
        ASSERT_TRUE(test::LoadTestDocument(editor, text, 0, 0));
        std::string before = test::DocumentText(editor);
        KettricStructure *top = editor->document.GetRootStructure()->GetFirstSubnodeStructure();
        DocumentNode *annotation = DocumentNode::FromStructure(top->GetNextStructure());
        DocumentNode *line = DocumentNode::FromStructure(top->GetNextStructure()->GetNextStructure());
        ASSERT_NE(line, nullptr);
        ASSERT_EQ(annotation->GetFirstIncomingLink()->GetSource(), line);
        editor->PutCaretAtEnd();
        editor->document.objectSelection.AddElement(groupFirst ? annotation : line);
        editor->document.objectSelection.AddElement(groupFirst ? line : annotation);
        int32_t steps = editor->undoHistory.GetListElementCount();

        editor->DeleteSelectedObjects();
        EXPECT_EQ(editor->undoHistory.GetListElementCount(), steps + 1);
        EXPECT_EQ(editor->currentStep, editor->undoHistory.GetLastListElement());
        EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0);
        std::string after = test::DocumentText(editor);
        EXPECT_EQ(after.find("anno"), std::string::npos) << after;
        EXPECT_EQ(after.find("'anno'"), std::string::npos) << after;
        EXPECT_NE(after.find("Ln"), std::string::npos) << "the line on the main group stays: " << after;
        EXPECT_EQ(test::CheckEditorInvariants(editor), "");

        EXPECT_TRUE(editor->Undo());
        EXPECT_EQ(test::DocumentText(editor), before);
        EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 2);
        EXPECT_TRUE(editor->Redo());
        EXPECT_EQ(test::DocumentText(editor), after);
    }
}

TEST_F(ClickSelection, DeletingObjectsNeedsASelectionAndNeverTakesTheMainGroup)
{
    editor->DeleteSelectedObjects();
    EXPECT_EQ(test::DescribeSteps(editor), "0/0");
    // A snapshot may name the main group as a selected object; deleting keeps it.
    test::TestDrawingNode *drawing = AddDrawing(200.0f);
    editor->PutCaretAtEnd();
    editor->document.objectSelection.AddElement(editor->document.GetMainGroup());
    editor->document.objectSelection.AddElement(drawing);
    editor->DeleteSelectedObjects();
    EXPECT_EQ(test::DescribeSteps(editor), "1/1");
    ASSERT_NE(editor->document.GetMainGroup(), nullptr);
    EXPECT_EQ(editor->document.GetMainGroup()->GetFirstMathSubnode()->GetKind(), kRowBeginKind);
    EXPECT_EQ(test::DocumentText(editor).find("Ln"), std::string::npos);
}

}  // namespace
}  // namespace oq
