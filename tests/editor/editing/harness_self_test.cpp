// The harness checks itself: sketches and dumps, the invariant checker's findings, and seeded random
// test edits mixed with the four undo commands retracing the history exactly (RapidCheck; a failing
// sequence is printed as a script to keep in scripts/).
#include "EditorFixture.h"

#include "editor/document/GroupNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SpaceNode.h"
#include "editor/document/SymbolRunNode.h"

#include <rapidcheck/gtest.h>

#include <cstring>
#include <random>

namespace oq::test {
namespace {

using HarnessSelfTest = EditorFixture;

TEST_F(HarnessSelfTest, SketchShowsRowsRunsCaretsAndRanges)
{
    ASSERT_TRUE(LoadTestDocument(editor,
                                 "Gr { Bg {} Sb {s{\"x\"}} Sb (ro='oper') {s{\"\u2212\"}} Ph { Bg {} Sb $B {s{\"12\"}} } "
                                 "Bg {} Sp {} } Gr (t='anno') { Bg {} }",
                                 1, 2));
    EXPECT_EQ(SketchDocument(editor),
              "row[ math\"x\" oper\"\u2212\" Ph{[ math\"1\u27E62\u27E7\" ]} ] row[ Sp ] anno{row[ ] }");
    ASSERT_TRUE(SelectTestRange(editor, 0, 0, 0, 0));
    EXPECT_EQ(SketchDocument(editor), "row[\u2038 math\"x\" oper\"\u2212\" Ph{[ math\"12\" ]} ] row[ Sp ] anno{row[ ] }");
}

TEST_F(HarnessSelfTest, DumpIsTheMarkedTextWithModeSelectionAndSteps)
{
    Run("type ab\nselect 1 0 1 1\n");
    EXPECT_EQ(DumpState(editor), "Gr\n{\n\tBg {}\n\tSb $B {s{\"ab\"}}\n}\nmode 'math'\nselection 0 1 moving 1\nsteps 1/1\n");
    // A dump is no snapshot: the counter stays.
    int64_t writes = editor->counters.writeText;
    static_cast<void>(DumpState(editor));
    EXPECT_EQ(editor->counters.writeText, writes);
}

// Each broken state gives its finding.
TEST_F(HarnessSelfTest, InvariantCheckerFindsBrokenStates)
{
    const struct
    {
        const char *name;
        void (*breakIt)(Editor *editor);
        const char *finding;
    } cases[] = {
        {"end before start", [](Editor *e) { e->document.selection.end.index = 0; },
         "the selection end comes before its start"},
        {"index inside a character", [](Editor *e) { e->document.selection.start.index = 1; },
         "a selection index is off the node's character boundaries"},
        {"end in another group",
         [](Editor *e) {
             e->document.selection.end = {e->document.selection.start.node->GetNextMathNode()->GetFirstMathSubnode(), 0};
         },
         "the selection ends are not in one group in order"},
        {"caret on a group", [](Editor *e) { e->document.selection.start = {e->document.GetMainGroup(), 0}; },
         "a selection end stands on a node that cannot hold the caret"},
        {"range with objects",
         [](Editor *e) { e->document.objectSelection.AddElement(e->document.GetMainGroup()); },
         "a caret range and an object selection together"},
        {"open batch", [](Editor *e) { e->editBatch = 1; }, "edit batch depth 1"},
        {"selected object below the top level",
         [](Editor *e) {
             e->document.selection.end = e->document.selection.start;
             e->document.objectSelection.AddElement(e->document.selection.start.node);
         },
         "a selected object is not top-level"},
        {"typing position on a destroyed node",
         [](Editor *e) {
             MathNode *phantom = e->document.selection.start.node->GetNextMathNode();
             e->typingPosition = {phantom->GetFirstMathSubnode(), 0};
             delete phantom;
         },
         "TypingPosition refers to a destroyed node"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        ResetTheEditor();
        editor = TheEditor;
        ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb $B {s{\"\u03B1bc\"}} Ph { Bg {} } }", 2, 3));
        ASSERT_EQ(CheckEditorInvariants(editor), "");
        c.breakIt(editor);
        EXPECT_NE(CheckEditorInvariants(editor).find(c.finding), std::string::npos) << CheckEditorInvariants(editor);
        ResetTheEditor();
    }
    editor = TheEditor;
}

// The starting documents of the random runs.
const char *const kFixtures[] = {
    "Gr { Bg $B {} }",
    "Gr { Bg {} Sb $B {s{\"a\u03B1\"}} Sp {} Bg {} Sb (ro='oper') {s{\"=\"}} }",
    "Gr { Bg {} Sb $_0 {s{\"xy\"}} Ph { Bg {} Sb $B {s{\"1\"}} } } Ln { X { ref{$_0} u32{0} i32{0} } } "
    "Gr (t='anno') { Bg {} Sp {} }",
};

// The marked text of the document, as a snapshot holds it (without the NUL).
std::string MarkedText(Editor *editor)
{
    std::string dump = DumpState(editor);
    return dump.substr(0, dump.rfind("mode '"));
}

std::string SnapshotText(const UndoSnapshot &snapshot)
{
    return std::string(snapshot.text, snapshot.size - 1);
}

RC_GTEST_PROP(HarnessProperties, UndoAndRedoRetraceTheHistory, (const std::vector<int32_t> &values, uint8_t fixture))
{
    std::vector<int32_t> operations;
    for (int32_t value : values) operations.push_back(value % 9 == 8 ? -1 - (value & 3) : value & 0xFFFF);
    std::string script = WriteEditScript(operations);
    RC_LOG() << "script:\n" << script;
    DestroyTheEditor();
    ResetTheEditor();
    Editor *editor = TheEditor;
    RC_ASSERT(LoadTestDocument(editor, kFixtures[fixture % 3], 0, 0));
    std::string findings = RunEditorScript(script.substr(4));
    RC_ASSERT(findings == "");
    editor = TheEditor;

    int32_t position = editor->currentStep != nullptr ? editor->currentStep->GetListElementIndex() + 1 : 0;
    if (position > 0)
    {
        // Caret moves since the last step are no steps: the current step's after-state is the one
        // that k Undo then k Redo come back to.
        RC_ASSERT(editor->Undo());
        RC_ASSERT(editor->Redo());
        std::string dump = DumpState(editor);
        int32_t k = 1 + int32_t(values.size()) % position;
        for (int32_t i = 0; i < k; ++i) RC_ASSERT(editor->Undo());
        RC_ASSERT(CheckEditorInvariants(editor) == "");
        for (int32_t i = 0; i < k; ++i) RC_ASSERT(editor->Redo());
        RC_ASSERT(DumpState(editor) == dump);
    }

    auto *first = static_cast<UndoStep *>(editor->undoHistory.GetFirstListElement());
    auto *last = static_cast<UndoStep *>(editor->undoHistory.GetLastListElement());
    if (first != nullptr)
    {
        RC_ASSERT(editor->UndoAll());
        RC_ASSERT(MarkedText(editor) == SnapshotText(first->before));
        RC_ASSERT(CheckEditorInvariants(editor) == "");
        RC_ASSERT(editor->RedoAll());
        RC_ASSERT(MarkedText(editor) == SnapshotText(last->after));
        RC_ASSERT(editor->document.selection.start.index == last->after.startIndex);
        RC_ASSERT(editor->document.selection.end.index == last->after.endIndex);
        RC_ASSERT(editor->GetEditMode() == last->after.editMode);
        RC_ASSERT(CheckEditorInvariants(editor) == "");
    }
    DestroyTheEditor();
}

// The project's goal: from each fixture, 10,000 seeded random edits (undo commands among them), then
// Undo All gives back the starting text byte for byte.
TEST_F(HarnessSelfTest, UndoAllAfterTenThousandEditsGivesTheStartingText)
{
    for (uint32_t f = 0; f < 3; ++f)
    {
        SCOPED_TRACE(kFixtures[f]);
        ResetTheEditor();
        editor = TheEditor;
        ASSERT_TRUE(LoadTestDocument(editor, kFixtures[f], 0, 0));
        std::string start = DocumentText(editor);
        std::mt19937 random(20261211 + f);
        for (int32_t i = 0; i < 10000; ++i)
        {
            uint32_t choice = random();
            // Undo, Redo and Redo All among the edits (Undo All before an edit would drop the history).
            if (choice % 50 == 0)
                static_cast<void>(editor->HandleMenuCommand(choice / 50 % 3 == 0 ? kMenuUndo
                                                            : choice / 50 % 3 == 1 ? kMenuRedo
                                                                                   : kMenuRedoAll));
            else
                ApplyRandomTestEdit(editor, choice);
            if (i % 500 == 0)
            {
                ASSERT_EQ(CheckEditorInvariants(editor), "") << "after edit " << i;
            }
        }
        ASSERT_EQ(CheckEditorInvariants(editor), "");
        EXPECT_GT(editor->undoHistory.GetListElementCount(), 1000);
        ASSERT_TRUE(editor->UndoAll());
        EXPECT_EQ(DocumentText(editor), start);
    }
}

}  // namespace
}  // namespace oq::test

namespace oq::test {
namespace {

// The harness lays out with the test faces: runs get glyphs, and the layout is counted.
TEST_F(HarnessSelfTest, LayoutUsesTheTestFaces)
{
    Run("type xy\nlayout\nlayout\n");
    EXPECT_EQ(editor->counters.updateLayout, 2);
    EXPECT_FALSE(editor->settings.layoutDue);
    auto *run = dynamic_cast<SymbolRunNode *>(editor->document.selection.start.node);
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->GetGlyphCount(), 2);
    EXPECT_GT(run->width, 0.0f);
    // Undo replaces the laid-out tree; the next layout lays out the restored one.
    Run("space\nmenu 513\nlayout\n");
    run = dynamic_cast<SymbolRunNode *>(editor->document.GetMainGroup()->GetFirstMathSubnode()->GetNextMathNode());
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->GetGlyphCount(), 2);
}

}  // namespace
}  // namespace oq::test
