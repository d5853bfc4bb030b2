// The key-down handler and the caret moves: arrows with and without Shift and the moving end,
// Up and Down across rows and slots, FindNodeAtX, Home, End, Tab, Escape and selected objects.
#include "EditorFixture.h"
#include "KeyPress.h"
#include "NodeLabels.h"
#include "editor/document/GroupNode.h"
#include "editor/drawing/DrawingKinds.h"
#include "editor/platform/VirtualKeys.h"
#include "support/DocumentTestKinds.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

// A main group of two rows, "AB", a fraction CD/E and "FG", then "HI"; a fraction with a
// two-row numerator; three annotation groups around a drawing.
class Keys : public test::EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        RegisterDrawingKinds();
        ASSERT_TRUE(test::LoadTestDocument(editor, kDocument, 0, 0));
    }

    CaretPosition At(const std::string &label, int32_t index, int32_t nth = 0)
    {
        MathNode *node = test::FindLabelledNode(editor->document, label, nth);
        EXPECT_NE(node, nullptr) << label;
        return {node, index};
    }

    std::string Selected() const { return test::DescribeSelection(editor->document); }

    bool Key(int32_t key, bool shift = false) { return test::PressKey(editor, key, shift); }

    static constexpr const char *kDocument =
        "Gr { Bg {} Sb {s{\"AB\"}} Fr { Gr (t='numr') { Bg {} Sb {s{\"CD\"}} } Gr (t='dnom') { Bg {} Sb {s{\"E\"}} } } "
        "Sb {s{\"FG\"}} Bg {} Sb {s{\"HI\"}} "
        "Fr { Gr (t='numr') { Bg {} Sb {s{\"JK\"}} Bg {} Sb {s{\"LM\"}} } Gr (t='dnom') { Bg {} Sb {s{\"NO\"}} } } }\n"
        "Gr (t='anno') { Bg {} Sb {s{\"P\"}} }\n"
        "Gr (t='anno') { Bg {} Sb {s{\"Q\"}} }\n"
        "Gr (t='anno') { Bg {} Sb {s{\"R\"}} }\n";
};

struct MoveCase
{
    const char *what;
    const char *start;
    int32_t startIndex;
    const char *end;
    int32_t endIndex;
    int32_t moving;
    int32_t key;
    bool shift;
    bool redraw;
    const char *selected;
    int32_t movingAfter;
};

TEST_F(Keys, ArrowsStepThroughCharactersStructuresAndSlots)
{
    const MoveCase cases[] = {
        {"Left at the very start", "bgin", 0, "bgin", 0, 0, kKeyLeft, false, false, "bgin:0 bgin:0", 0},
        {"Right inside a run", "AB", 1, "AB", 1, 0, kKeyRight, false, true, "AB:2 AB:2", 0},
        {"Right into a following fraction", "AB", 2, "AB", 2, 0, kKeyRight, false, true, "bgin:0 bgin:0", 0},
        {"Shift+Right over a whole fraction", "AB", 2, "AB", 2, 0, kKeyRight, true, true, "AB:2 frac:0", 1},
        {"Left from the numerator's start leaves", "CD", 0, "CD", 0, 0, kKeyLeft, false, true, "AB:2 AB:2", 0},
        {"Right from the numerator's end", "CD", 2, "CD", 2, 0, kKeyRight, false, true, "bgin:0 bgin:0", 0},
        {"Right from the denominator's end", "E", 1, "E", 1, 0, kKeyRight, false, true, "frac:0 frac:0", 0},
        {"Left into a fraction from the right", "frac", 0, "frac", 0, 0, kKeyLeft, false, true, "E:1 E:1", 0},
        {"Shift+Left steps over it", "frac", 0, "frac", 0, 0, kKeyLeft, true, true, "AB:2 frac:0", -1},
        {"Left to a run's first stop", "AB", 2, "AB", 2, 0, kKeyLeft, false, true, "AB:1 AB:1", 0},
        {"Left from a run's first stop", "AB", 1, "AB", 1, 0, kKeyLeft, false, true, "bgin:0 bgin:0", 0},
        {"Right from a row end to the next row", "FG", 2, "FG", 2, 0, kKeyRight, false, true, "bgin:0 bgin:0", 0},
        {"Right at the end of the group", "frac", 0, "frac", 0, 0, kKeyRight, false, false, "frac:0 frac:0", 0},
        {"Shift+Left grows from the start", "AB", 2, "AB", 2, 0, kKeyLeft, true, true, "AB:1 AB:2", -1},
        {"Shift+Right moves the moving start", "AB", 1, "FG", 1, -1, kKeyRight, true, true, "AB:2 FG:1", -1},
        {"Shift+Right moves the moving end", "AB", 1, "FG", 1, 1, kKeyRight, true, true, "AB:1 FG:2", 1},
        {"Shift+Left shrinks to a caret", "AB", 1, "AB", 2, 1, kKeyLeft, true, true, "AB:1 AB:1", 0},
        {"Shift+Left moves the moving end", "AB", 2, "FG", 1, 1, kKeyLeft, true, true, "AB:2 frac:0", 1},
        {"Shift+Left moves the moving start", "AB", 2, "FG", 1, -1, kKeyLeft, true, true, "AB:1 FG:1", -1},
        {"Left collapses to the start", "AB", 1, "FG", 1, 1, kKeyLeft, false, true, "AB:1 AB:1", 0},
        {"Right collapses to the end", "AB", 1, "FG", 1, -1, kKeyRight, false, true, "FG:1 FG:1", 0},
    };
    for (const MoveCase &c : cases)
    {
        editor->SetSelection(At(c.start, c.startIndex), At(c.end, c.endIndex));
        editor->movingEnd = c.moving;
        // The second fraction ends the main group.
        if (std::string(c.what) == "Right at the end of the group") editor->SetSelection(At("frac", 0, 1), At("frac", 0, 1));
        EXPECT_EQ(Key(c.key, c.shift), c.redraw) << c.what;
        EXPECT_EQ(Selected(), c.selected) << c.what;
        EXPECT_EQ(editor->movingEnd, c.movingAfter) << c.what;
    }
}

TEST_F(Keys, HomeAndEndCoverTheWholeGroup)
{
    const MoveCase cases[] = {
        {"Home from the second row", "HI", 1, "HI", 1, 0, kKeyHome, false, true, "bgin:0 bgin:0", -1},
        {"End from the first row", "AB", 1, "AB", 1, 0, kKeyEnd, false, true, "frac:0 frac:0", 1},
        {"Shift+Home keeps the end", "HI", 1, "HI", 1, 0, kKeyHome, true, true, "bgin:0 HI:1", -1},
        {"Shift+Home with the end moving turns round", "AB", 1, "HI", 1, 1, kKeyHome, true, true, "bgin:0 AB:1", -1},
        {"Shift+End with the start moving turns round", "AB", 1, "HI", 1, -1, kKeyEnd, true, true, "HI:1 frac:0", 1},
        {"Home inside a numerator", "CD", 2, "CD", 2, 0, kKeyHome, false, true, "bgin:0 bgin:0", -1},
        {"End inside a numerator", "CD", 1, "CD", 1, 0, kKeyEnd, false, true, "CD:2 CD:2", 1},
        {"End at the end changes nothing", "CD", 2, "CD", 2, 0, kKeyEnd, false, false, "CD:2 CD:2", 1},
    };
    for (const MoveCase &c : cases)
    {
        editor->SetSelection(At(c.start, c.startIndex), At(c.end, c.endIndex));
        editor->movingEnd = c.moving;
        EXPECT_EQ(Key(c.key, c.shift), c.redraw) << c.what;
        std::string selected = Selected();
        EXPECT_EQ(selected, c.selected) << c.what;
        EXPECT_EQ(editor->movingEnd, c.movingAfter) << c.what;
    }
    // The group's ends are exactly its first and last nodes, the last row's structure included.
    editor->SetSelection(At("AB", 1), At("AB", 1));
    EXPECT_TRUE(Key(kKeyEnd));
    EXPECT_EQ(editor->document.selection.end.node, At("frac", 0, 1).node);
    EXPECT_TRUE(Key(kKeyHome));
    EXPECT_EQ(editor->document.selection.start.node, editor->document.GetMainGroup()->GetFirstMathSubnode());
}

TEST_F(Keys, TabSelectsTheNextSlotAndCyclesAnnotations)
{
    struct Case
    {
        const char *what;
        const char *caret;
        int32_t index;
        bool backwards;
        bool redraw;
        const char *selected;
    } cases[] = {
        {"numerator to denominator", "CD", 1, false, true, "bgin:0 E:1"},
        {"after the last slot: just after the structure", "E", 0, false, true, "frac:0 frac:0"},
        {"back from the denominator", "E", 1, true, true, "bgin:0 CD:2"},
        {"back from the first slot: just before the structure", "CD", 1, true, true, "AB:2 AB:2"},
        {"annotation to the next", "P", 1, false, true, "bgin:0 Q:1"},
        {"the last annotation wraps to the first", "R", 1, false, true, "bgin:0 P:1"},
        {"the first annotation wraps back to the last", "P", 1, true, true, "bgin:0 R:1"},
        {"the main group refuses", "AB", 1, false, false, "AB:1 AB:1"},
    };
    for (const Case &c : cases)
    {
        editor->SetSelection(At(c.caret, c.index), At(c.caret, c.index));
        EXPECT_EQ(Key(kKeyTab, c.backwards), c.redraw) << c.what;
        EXPECT_EQ(Selected(), c.selected) << c.what;
    }
    // With a single annotation group the search comes back to it.
    ASSERT_TRUE(test::LoadTestDocument(editor, "Gr { Bg {} }\nGr (t='anno') { Bg {} Sb {s{\"P\"}} }\n", 0, 0));
    editor->SetSelection(At("P", 1), At("P", 1));
    EXPECT_FALSE(Key(kKeyTab));
    EXPECT_EQ(Selected(), "P:1 P:1");
}

TEST_F(Keys, UpAndDownKeepTheCaretsXAcrossRowsAndSlots)
{
    ASSERT_TRUE(test::LayoutTestDocument(editor));
    GroupNode *numerator = At("CD", 0).node->GetEnclosingGroup();
    GroupNode *denominator = At("E", 0).node->GetEnclosingGroup();
    GroupNode *main = editor->document.GetMainGroup();

    // Down from the numerator's end lands in the denominator, Up comes back near the same x.
    editor->SetSelection(At("CD", 2), At("CD", 2));
    EXPECT_TRUE(Key(kKeyDown));
    EXPECT_EQ(editor->document.selection.start.node->GetEnclosingGroup(), denominator);
    EXPECT_TRUE(Key(kKeyUp));
    EXPECT_EQ(editor->document.selection.start.node->GetEnclosingGroup(), numerator);

    // Down from the first row of the main group goes into the second row; from the last row to the end.
    editor->SetSelection(At("bgin", 0), At("bgin", 0));
    EXPECT_TRUE(Key(kKeyDown));
    EXPECT_EQ(editor->document.selection.start.node->rowIndex, 1);
    EXPECT_EQ(editor->document.selection.start.node->GetEnclosingGroup(), main);
    EXPECT_TRUE(Key(kKeyDown));
    EXPECT_EQ(Selected(), "frac:0 frac:0");
    EXPECT_FALSE(Key(kKeyDown));  // already there

    // The second row of a numerator: Up stays in the numerator, Down goes to its denominator.
    editor->SetSelection(At("LM", 2), At("LM", 2));
    EXPECT_TRUE(Key(kKeyUp));
    EXPECT_EQ(editor->document.selection.start.node->rowIndex, 0);
    editor->SetSelection(At("LM", 2), At("LM", 2));
    EXPECT_TRUE(Key(kKeyDown));
    EXPECT_EQ(test::NodeLabel(editor->document.selection.start.node->GetEnclosingGroup()->GetLastMathSubnode()), "NO");

    // Up from a denominator's first row reaches the numerator's last row.
    editor->SetSelection(At("NO", 2), At("NO", 2));
    EXPECT_TRUE(Key(kKeyUp));
    MathNode *landed = editor->document.selection.start.node;
    EXPECT_TRUE(test::NodeLabel(landed) == "LM" || landed->rowIndex == 1) << Selected();

    // Shift+Up from a group's first row stops at the group's start; Up always asks for a redraw.
    editor->SetSelection(At("CD", 1), At("CD", 1));
    EXPECT_TRUE(Key(kKeyUp, true));
    EXPECT_EQ(Selected(), "bgin:0 CD:1");
    EXPECT_EQ(editor->movingEnd, -1);
    EXPECT_TRUE(Key(kKeyUp, true));
    EXPECT_EQ(Selected(), "bgin:0 CD:1");

    // Shift+Down with the start moving in one row collapses onto the end.
    EXPECT_TRUE(Key(kKeyDown, true));
    EXPECT_EQ(Selected(), "CD:1 CD:1");
    EXPECT_EQ(editor->movingEnd, 0);

    // Shift+Down extends the end a row down; Shift+Up brings it back onto the start's row and collapses.
    editor->SetSelection(At("AB", 1), At("AB", 1));
    EXPECT_TRUE(Key(kKeyDown, true));
    EXPECT_EQ(editor->movingEnd, 1);
    EXPECT_EQ(editor->document.selection.end.node->rowIndex, 1);
    EXPECT_TRUE(Key(kKeyUp, true));
    EXPECT_EQ(Selected(), "AB:1 AB:1");
    EXPECT_EQ(editor->movingEnd, 0);
}

TEST_F(Keys, UpAndDownAfterAnEditBeforeTheNextLayout)
{
    // The layout's row table still names the row start the join deleted; the moves count rows
    // from the tree instead.
    ASSERT_TRUE(test::LayoutTestDocument(editor));
    MathNode *secondRow = At("HI", 0).node->GetPreviousMathNode();
    editor->SetSelection({secondRow, 0}, {secondRow, 0});
    ASSERT_TRUE(Key(kKeyBack));
    GroupNode *main = editor->document.GetMainGroup();
    for (int32_t key : {kKeyDown, kKeyUp, kKeyDown, kKeyUp})
    {
        EXPECT_TRUE(Key(key)) << key;
        EXPECT_EQ(editor->document.selection.start.node->GetSuperMathNode(), main) << key;
    }
    EXPECT_EQ(Selected(), "bgin:0 bgin:0");  // one row left: Up goes to the group's start
    EXPECT_TRUE(Key(kKeyDown));
    EXPECT_EQ(Selected(), "frac:0 frac:0");
}

TEST_F(Keys, FindNodeAtXPicksCharactersAndHalvesOfStructures)
{
    ASSERT_TRUE(test::LayoutTestDocument(editor));
    MathNode *rowBegin = editor->document.GetMainGroup()->GetFirstMathSubnode();
    MathNode *run = At("AB", 0).node;
    MathNode *fraction = At("frac", 0).node;
    ASSERT_GT(fraction->width, 0.0f);
    auto find = [&](float x) { return test::DescribePosition(editor->FindNodeAtX(x, rowBegin)); };
    EXPECT_EQ(find(fraction->position.x + fraction->width * 0.6f), "frac:0");
    EXPECT_EQ(find(fraction->position.x + fraction->width * 0.4f), "AB:2");
    EXPECT_EQ(find(1.0e6f), "FG:2");      // past the row's end: its last node
    EXPECT_EQ(find(-1.0e6f), "bgin:0");   // before the row
    // Just right of the caret stop between the run's characters the caret stands there.
    const int32_t offsets[2] = {1, 2};
    float xs[2] = {};
    ASSERT_TRUE(static_cast<SymbolRunNode *>(run)->GetCaretPositions(&editor->document.design, 2, offsets, xs));
    EXPECT_EQ(find(run->position.x + xs[0] * 0.9f + xs[1] * 0.1f), "AB:1");
    // Only the row's own nodes: the second row begins a new walk.
    EXPECT_EQ(test::DescribePosition(editor->FindNodeAtX(1.0e6f, At("bgin", 0, 3).node)), "frac:0");
}

TEST_F(Keys, EscapeAndSelectedObjects)
{
    RegisterDrawingKinds();
    GroupNode *annotation = At("P", 0).node->GetEnclosingGroup();
    editor->SetStyleKey('bold');
    editor->SetDrawingToolGroup(kToolGroupLine);
    EXPECT_FALSE(Key(kKeyEscape));  // nothing selected: no redraw, but the key and tool group go
    EXPECT_EQ(editor->styleKey, 0u);
    EXPECT_EQ(editor->drawingToolGroup, kToolGroupEquation);

    editor->SetSelection(At("AB", 1), At("AB", 1));
    editor->document.objectSelection.AddElement(annotation);
    editor->viewChanged = false;
    for (int32_t key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyHome, kKeyEnd, kKeyTab, kKeyReturn})
    {
        EXPECT_FALSE(Key(key)) << key;
        EXPECT_FALSE(Key(key, true)) << key;
    }
    EXPECT_EQ(Selected(), "AB:1 AB:1");
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 1);
    EXPECT_TRUE(Key(kKeyEscape));
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0);
    EXPECT_TRUE(editor->viewChanged);

    // Backspace and Delete delete the selected objects as one step.
    std::string before = test::DocumentText(editor);
    editor->document.objectSelection.AddElement(annotation);
    EXPECT_TRUE(Key(kKeyBack));
    EXPECT_EQ(test::FindLabelledNode(editor->document, "P"), nullptr);
    EXPECT_EQ(test::DescribeSteps(editor), "1/1");
    editor->document.objectSelection.AddElement(At("Q", 0).node->GetEnclosingGroup());
    EXPECT_TRUE(Key(kKeyDelete));
    EXPECT_EQ(test::FindLabelledNode(editor->document, "Q"), nullptr);
    EXPECT_TRUE(editor->Undo());
    EXPECT_TRUE(editor->Undo());
    EXPECT_EQ(test::DocumentText(editor), before);
}

TEST_F(Keys, OnlyKeyDownEventsBelow48AreKeys)
{
    editor->SetSelection(At("AB", 1), At("AB", 1));
    UIEvent event;
    event.type = 'kyup';
    event.key = kKeyRight;
    EXPECT_FALSE(editor->HandleKeyDown(event));
    event.type = 'kydn';
    for (int32_t key : {48, 65, 0x70, -1, 0, kKeyPageUp, kKeyPageDown})
    {
        event.key = key;
        EXPECT_FALSE(editor->HandleKeyDown(event)) << key;
    }
    EXPECT_EQ(Selected(), "AB:1 AB:1");
    // Editing keys go through: Enter breaks the row, Backspace and Delete edit, each one step.
    EXPECT_TRUE(Key(kKeyReturn));
    EXPECT_TRUE(Key(kKeyBack));
    EXPECT_TRUE(Key(kKeyDelete));
    EXPECT_EQ(test::DescribeSteps(editor), "3/3");
    EXPECT_NE(test::FindLabelledNode(editor->document, "A"), nullptr);
    EXPECT_EQ(test::FindLabelledNode(editor->document, "B"), nullptr);
}

}  // namespace
}  // namespace oq
