// Restoring snapshots: selections and object selections come back from the names, the design stays,
// and snapshots that do not read back, or whose names do not fit, never leave a broken state.
#include "EditorFixture.h"

#include "editor/document/MathNode.h"
#include "editor/document/NodeLink.h"
#include "editor/platform/Heap.h"

#include <cstring>

namespace oq::test {
namespace {

using UndoRestoreTest = EditorFixture;

// The dump without its step line.
std::string StateWithoutSteps(Editor *editor)
{
    std::string dump = DumpState(editor);
    return dump.substr(0, dump.rfind("steps"));
}

// Loads the text with its selection, takes a step (a mode change) and undoes it: the state comes
// back exactly, and the step's before-snapshot holds the names.
void ExpectRoundTrip(Editor *&editor, const char *text, int32_t start, int32_t end, const char *sketch,
                     const char *names, const char *absent = nullptr)
{
    SCOPED_TRACE(sketch);
    ResetTheEditor();
    editor = TheEditor;
    ASSERT_TRUE(LoadTestDocument(editor, text, start, end));
    ASSERT_EQ(SketchDocument(editor), sketch);
    std::string state = StateWithoutSteps(editor);
    EXPECT_TRUE(SetTestMode(editor, kEditModeText));
    ASSERT_NE(editor->currentStep, nullptr);
    for (const char *name = names; *name != 0; name += std::strlen(name) + 1)
        EXPECT_NE(std::strstr(editor->currentStep->before.text, name), nullptr) << name;
    if (absent != nullptr)
    {
        EXPECT_EQ(std::strstr(editor->currentStep->before.text, absent), nullptr) << absent;
    }
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(SketchDocument(editor), sketch);
    EXPECT_EQ(StateWithoutSteps(editor), state);
    EXPECT_EQ(CheckEditorInvariants(editor), "");
}

TEST_F(UndoRestoreTest, SelectionsComeBackFromTheirNames)
{
    // A range inside one run carries only "B"; a range over nodes "B" and "E".
    ExpectRoundTrip(editor, "Gr { Bg {} Sb $B {s{\"abc\"}} }", 1, 2, "row[ math\"a\u27E6b\u27E7c\" ]", "$B\0",
                    "$E");
    ExpectRoundTrip(editor, "Gr { Bg {} Sb $B {s{\"ab\"}} Sp {} Sb $E {s{\"cd\"}} }", 1, 1,
                    "row[ math\"a\u27E6b\" Sp math\"c\u27E7d\" ]", "$B\0$E\0");
    ExpectRoundTrip(editor, "Gr { Bg {} Sb {s{\"x\"}} Ph { Bg $B {} } }", 0, 0, "row[ math\"x\" Ph{[\u2038 ]} ]",
                    "$B\0");
}

TEST_F(UndoRestoreTest, SelectedObjectsComeBackAndTheViewStays)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb {s{\"ab\"}} Sp {} }", 0, 0));
    Run("select 1 1 1 1\ndrawing\nselect 2 0 2 0\ndrawing\nobjects\n");
    ASSERT_EQ(SketchDocument(editor), "row[ math\"ab\" Sp\u2038 ] Ln* Ln*");
    std::string state = StateWithoutSteps(editor);
    Run("delete\n");
    ASSERT_EQ(SketchDocument(editor), "row[ math\"ab\" Sp\u2038 ]");
    ASSERT_NE(editor->currentStep, nullptr);
    EXPECT_NE(std::strstr(editor->currentStep->before.text, "$S0"), nullptr);
    EXPECT_NE(std::strstr(editor->currentStep->before.text, "$S1"), nullptr);
    editor->viewChanged = true;
    ASSERT_TRUE(editor->Undo());
    EXPECT_FALSE(editor->viewChanged);
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 2);
    EXPECT_EQ(StateWithoutSteps(editor), state);
}

TEST_F(UndoRestoreTest, LinkedSelectionStartKeepsItsLink)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb {s{\"ab\"}} }", 0, 0));
    Run("select 1 1 1 1\ndrawing\ntype c\n");
    // The linked node is the selection start: its one name "B" serves the link too.
    ASSERT_NE(editor->currentStep, nullptr);
    EXPECT_NE(std::strstr(editor->currentStep->before.text, "ref{$B}"), nullptr) << editor->currentStep->before.text;
    ASSERT_TRUE(editor->Undo());
    MathNode *start = editor->document.selection.start.node;
    ASSERT_NE(start, nullptr);
    NodeLink *link = start->GetFirstIncomingLink();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetSource()->GetKind(), uint32_t('line'));
    EXPECT_EQ(SketchDocument(editor), "row[ math\"a\u2038b\" ] Ln");
}

TEST_F(UndoRestoreTest, DesignChangesAreNotUndone)
{
    Run("type a\n");
    editor->document.design.SetBaseFontSize(30.0f);
    Run("space\n");
    ASSERT_TRUE(editor->UndoAll());
    EXPECT_EQ(editor->document.design.GetBaseFontSize(), 30.0f);
    ASSERT_TRUE(editor->RedoAll());
    EXPECT_EQ(editor->document.design.GetBaseFontSize(), 30.0f);
}

TEST_F(UndoRestoreTest, RestoreForgetsTypingPositionAndFlagsTheChange)
{
    Run("type ab\n");
    ASSERT_NE(editor->typingPosition.node, nullptr);
    editor->modified = false;
    editor->settings.layoutDue = false;
    editor->viewChanged = false;
    ASSERT_TRUE(editor->RestoreUndoSnapshot(editor->currentStep, false));
    EXPECT_EQ(editor->typingPosition.node, nullptr);
    EXPECT_TRUE(editor->modified);
    EXPECT_TRUE(editor->settings.layoutDue);
    EXPECT_TRUE(editor->viewChanged);
    EXPECT_EQ(SketchDocument(editor), "row[ math\"ab\u2038\" ]");
}

// A snapshot that does not read back changes nothing: Redo answers false, the state, the history and
// the menus stay, and the result goes to the log.
TEST_F(UndoRestoreTest, UnreadableSnapshotChangesNothing)
{
    const struct
    {
        const char *name;
        const char *text;
        const char *log;
    } corruptions[] = {
        {"an unterminated string", "Gr { Bg {} Sb {s{\"a", "'STIV'"},
        {"an unclosed structure", "Gr { Bg {} ", "'SYNT'"},
        {"no main group", "Gr (t='anno') { Bg {} }", "'MSSB'"},
        {"two main groups", "Gr { Bg {} } Gr { Bg {} }", "'EXSB'"},
        {"a run without text", "Gr { Bg {} Sb {} }", "'MSSB'"},
        {"a math node at the top", "Sp {}", "'IVST'"},
        {"empty", "", "'MSSB'"},
    };
    for (const auto &c : corruptions)
    {
        SCOPED_TRACE(c.name);
        ResetTheEditor();
        editor = TheEditor;
        Run("type a\nspace\nmenu 513\n");
        UndoStep *redo = editor->currentStep->GetNextStep();
        ASSERT_NE(redo, nullptr);
        // The test writes over the snapshot's text (a block of the snapshot heap).
        redo->after.Release();
        size_t size = std::strlen(c.text) + 1;
        redo->after.text = static_cast<char *>(AllocateMemory(*editor->snapshotHeap, size));
        std::memcpy(redo->after.text, c.text, size);
        redo->after.size = uint32_t(size);
        redo->after.heap = editor->snapshotHeap;
        std::string dump = DumpState(editor);
        std::string menus = GetHarnessMenus().DescribeUndoItems();
        EXPECT_FALSE(editor->Redo());
        EXPECT_FALSE(editor->HandleMenuCommand(kMenuRedoAll));
        EXPECT_EQ(DumpState(editor), dump);
        EXPECT_EQ(GetHarnessMenus().DescribeUndoItems(), menus);
        ASSERT_EQ(GetHarnessLog().size(), 2u);
        EXPECT_NE(GetHarnessLog()[0].find(c.log), std::string::npos) << GetHarnessLog()[0];
        EXPECT_EQ(CheckEditorInvariants(editor), "");
        // The readable side still works.
        EXPECT_TRUE(editor->Undo());
        EXPECT_EQ(SketchDocument(editor), "row[\u2038 ]");
    }
}

// Snapshots that read but whose names or indexes do not fit a selection.
TEST_F(UndoRestoreTest, NamesThatDoNotFitAreMadeConsistent)
{
    const struct
    {
        const char *name;
        const char *text;
        int32_t start;
        int32_t end;
        const char *sketch;
    } cases[] = {
        {"no B", "Gr { Bg {} Sb {s{\"ab\"}} }", 0, 0, "row[ math\"ab\u2038\" ]"},
        {"B on the main group", "Gr $B { Bg {} Sb {s{\"ab\"}} }", 0, 0, "row[ math\"ab\u2038\" ]"},
        {"B on a drawing", "Gr { Bg {} Sb $_0 {s{\"ab\"}} } Ln $B { X { ref{$_0} u32{0} i32{0} } }", 0, 0,
         "row[ math\"ab\u2038\" ] Ln"},
        {"no B and a group last in the row", "Gr { Bg {} Sb {s{\"ab\"}} Gr (t='anno') { Bg {} } }", 0, 0,
         "row[ math\"ab\u2038\" Gr{[ ]} ]"},
        {"B on a slot group", "Gr { Bg {} Ph { Bg {} Sb {s{\"q\"}} } Sb {s{\"ab\"}} }", 0, 0,
         "row[ Ph{[ math\"q\" ]} math\"ab\u2038\" ]"},
        {"B past the run's end", "Gr { Bg {} Sb $B {s{\"ab\"}} }", 7, 9, "row[ math\"ab\u2038\" ]"},
        {"B before the run's start", "Gr { Bg {} Sb $B {s{\"ab\"}} }", -4, -1, "row[ math\"\u2038ab\" ]"},
        {"inside a two-byte character", "Gr { Bg {} Sb $B {s{\"a\u03B1b\"}} }", 2, 2, "row[ math\"a\u2038\u03B1b\" ]"},
        {"late in a four-byte character", "Gr { Bg {} Sb $B {s{\"\U0001D465b\"}} }", 3, 3,
         "row[ math\"\U0001D465\u2038b\" ]"},
        {"range ends inside characters", "Gr { Bg {} Sb $B {s{\"\u03B1\u03B2\u03B3\"}} }", 1, 5,
         "row[ math\"\u27E6\u03B1\u03B2\u27E7\u03B3\" ]"},
        {"an index on a space", "Gr { Bg {} Sp $B {} }", 5, 5, "row[ Sp\u2038 ]"},
        {"end before start in one run", "Gr { Bg {} Sb $B {s{\"abc\"}} }", 2, 1, "row[ math\"ab\u2038c\" ]"},
        {"E before B", "Gr { Bg {} Sb $E {s{\"ab\"}} Sb $B {s{\"cd\"}} }", 1, 1, "row[ math\"ab\" math\"c\u2038d\" ]"},
        {"E in another group", "Gr { Bg {} Sb $B {s{\"ab\"}} Ph { Bg {} Sb $E {s{\"cd\"}} } }", 1, 1,
         "row[ math\"a\u2038b\" Ph{[ math\"cd\" ]} ]"},
        {"E on a node without a caret", "Gr { Bg {} Sb $B {s{\"ab\"}} Ph $_0 { Bg {} } } Ln $E { X { ref{$_0} u32{0} i32{0} } }",
         1, 0, "row[ math\"a\u2038b\" Ph{[ ]} ] Ln"},
        {"S below the top level", "Gr { Bg {} Sp $S0 {} Sb $B {s{\"ab\"}} }", 1, 1, "row[ Sp math\"a\u2038b\" ]"},
        {"objects with a range", "Gr { Bg {} Sb $B {s{\"ab\"}} Sb $E {s{\"cd\"}} } Ln $S0 { X { ref{$B} u32{0} i32{0} } }",
         0, 1, "row[ math\"ab\" math\"cd\u2038\" ] Ln*"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        ResetTheEditor();
        editor = TheEditor;
        ASSERT_TRUE(LoadTestDocument(editor, c.text, c.start, c.end));
        EXPECT_EQ(SketchDocument(editor), c.sketch);
        EXPECT_EQ(CheckEditorInvariants(editor), "");
    }
}

}  // namespace
}  // namespace oq::test
