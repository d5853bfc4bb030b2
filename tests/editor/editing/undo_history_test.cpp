// Edit batches and the undo history: nesting, typing coalescing, the history machine with its menu
// states, batches that change nothing, and running out of memory.
#include "EditorFixture.h"

#include "editor/platform/Heap.h"
#include "editor/platform/RendererProbe.h"

#include <cstring>

namespace oq::test {
namespace {

using UndoHistoryTest = EditorFixture;

TEST_F(UndoHistoryTest, NestedBatchesMakeOneStepWithOneCaptureEach)
{
    int64_t writes = editor->counters.writeText;
    editor->BeginEditBatch();
    EXPECT_TRUE(TypeTestText(editor, "x"));
    EXPECT_TRUE(InsertTestSpace(editor));
    EXPECT_EQ(editor->editBatch, 1);
    editor->EndEditBatch();
    EXPECT_EQ(editor->editBatch, 0);
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    EXPECT_EQ(editor->counters.writeText - writes, 2);
    EXPECT_TRUE(editor->modified);
    EXPECT_TRUE(editor->settings.layoutDue);
    EXPECT_TRUE(editor->viewChanged);
    // The one step undoes both changes.
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(SketchDocument(editor), "row[\u2038 ]");
}

TEST_F(UndoHistoryTest, UnbalancedEndChangesNothing)
{
    editor->EndEditBatch();
    EXPECT_EQ(editor->editBatch, 0);
    EXPECT_EQ(DescribeSteps(editor), "0/0");
}

TEST_F(UndoHistoryTest, ObjectBatchLeavesTheView)
{
    editor->BeginEditBatch(EditBatchVariant::kObject);
    editor->EndEditBatch();
    EXPECT_FALSE(editor->viewChanged);
    editor->styleKey = 'bold';
    EXPECT_TRUE(TypeTestText(editor, "x"));
    EXPECT_TRUE(editor->viewChanged);
    EXPECT_EQ(editor->styleKey, 0u);
}

// Typing into a run at TypingPosition extends the current step; anything else pushes one.
TEST_F(UndoHistoryTest, TypingCoalescesOnlyAtTypingPosition)
{
    struct Case
    {
        const char *name;
        const char *between;  // script lines run between typing "a" and typing "b"
        const char *steps;
        const char *afterUndo;  // sketch after one Undo
        const char *text;       // the run's text in the current step's after-snapshot
    };
    const Case cases[] = {
        {"same spot", "", "1/1", "row[\u2038 ]", "\"ab\""},
        {"caret moved away and back", "select 0 0 0 0\nselect 1 1 1 1\n", "1/1", "row[\u2038 ]", "\"ab\""},
        {"caret at another index", "select 1 0 1 0\n", "2/2", "row[ math\"\u2038a\" ]", "\"ba\""},
        {"after another edit", "mode chem\nmode math\nselect 1 1 1 1\n", "4/4", "row[ math\"a\u2038\" ]", "\"ab\""},
        {"after Undo and Redo", "menu 513\nmenu 514\n", "2/2", "row[ math\"a\u2038\" ]", "\"ab\""},
        {"after Undo All and Redo All", "menu 515\nmenu 516\n", "2/2", "row[ math\"a\u2038\" ]", "\"ab\""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Run(std::string("new\ntype a\n") + c.between + "type b\n");
        EXPECT_EQ(DescribeSteps(editor), c.steps);
        // The current step's after-snapshot holds both letters.
        ASSERT_NE(editor->currentStep, nullptr);
        EXPECT_NE(std::strstr(editor->currentStep->after.text, c.text), nullptr) << editor->currentStep->after.text;
        ASSERT_TRUE(editor->Undo());
        EXPECT_EQ(SketchDocument(editor), c.afterUndo);
    }
}

TEST_F(UndoHistoryTest, CoalescedTypingWritesOnlyTheAfterSnapshot)
{
    EXPECT_TRUE(TypeTestText(editor, "a"));
    int64_t writes = editor->counters.writeText;
    EXPECT_TRUE(TypeTestText(editor, "b"));
    EXPECT_TRUE(TypeTestText(editor, "c"));
    EXPECT_EQ(editor->counters.writeText - writes, 2);
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(SketchDocument(editor), "row[\u2038 ]");
    ASSERT_TRUE(editor->Redo());
    EXPECT_EQ(SketchDocument(editor), "row[ math\"abc\u2038\" ]");
}

// Each row: a command ('e' an edit, 'u' Undo, 'r' Redo, 'U' Undo All, 'R' Redo All, 'n' a batch
// that changes nothing), then the current step / step count and the states of 513-516.
TEST_F(UndoHistoryTest, HistoryMachine)
{
    struct Row
    {
        char command;
        const char *steps;
        const char *menus;
    };
    struct Sequence
    {
        const char *name;
        std::vector<Row> rows;
    };
    const Sequence sequences[] = {
        {"edits and the four commands",
         {{'e', "1/1", "513+ 514- 515+ 516-"},
          {'e', "2/2", "513+ 514- 515+ 516-"},
          {'u', "1/2", "513+ 514+ 515+ 516+"},
          {'u', "0/2", "513- 514+ 515- 516+"},
          {'u', "0/2", "513- 514+ 515- 516+"},
          {'r', "1/2", "513+ 514+ 515+ 516+"},
          {'R', "2/2", "513+ 514- 515+ 516-"},
          {'r', "2/2", "513+ 514- 515+ 516-"},
          {'U', "0/2", "513- 514+ 515- 516+"},
          {'R', "2/2", "513+ 514- 515+ 516-"}}},
        {"an edit after Undo drops the redo tail",
         {{'e', "1/1", "513+ 514- 515+ 516-"},
          {'e', "2/2", "513+ 514- 515+ 516-"},
          {'e', "3/3", "513+ 514- 515+ 516-"},
          {'u', "2/3", "513+ 514+ 515+ 516+"},
          {'u', "1/3", "513+ 514+ 515+ 516+"},
          {'e', "2/2", "513+ 514- 515+ 516-"},
          {'r', "2/2", "513+ 514- 515+ 516-"}}},
        {"an edit after Undo All drops the whole history",
         {{'e', "1/1", "513+ 514- 515+ 516-"},
          {'e', "2/2", "513+ 514- 515+ 516-"},
          {'U', "0/2", "513- 514+ 515- 516+"},
          {'e', "1/1", "513+ 514- 515+ 516-"},
          {'R', "1/1", "513+ 514- 515+ 516-"},
          {'u', "0/1", "513- 514+ 515- 516+"}}},
        {"a batch that changes nothing keeps the redo tail",
         {{'e', "1/1", "513+ 514- 515+ 516-"},
          {'e', "2/2", "513+ 514- 515+ 516-"},
          {'u', "1/2", "513+ 514+ 515+ 516+"},
          {'n', "1/2", "513+ 514+ 515+ 516+"},
          {'U', "0/2", "513- 514+ 515- 516+"},
          {'n', "0/2", "513- 514+ 515- 516+"},
          {'r', "1/2", "513+ 514+ 515+ 516+"},
          {'r', "2/2", "513+ 514- 515+ 516-"}}},
        {"the empty history", {{'u', "0/0", "513- 514- 515- 516-"}, {'r', "0/0", "513- 514- 515- 516-"},
                               {'U', "0/0", "513- 514- 515- 516-"}, {'R', "0/0", "513- 514- 515- 516-"},
                               {'n', "0/0", "513- 514- 515- 516-"}}},
    };
    for (const Sequence &sequence : sequences)
    {
        SCOPED_TRACE(sequence.name);
        ResetTheEditor();
        editor = TheEditor;
        for (const Row &row : sequence.rows)
        {
            SCOPED_TRACE(row.command);
            switch (row.command)
            {
            case 'e':
                EXPECT_TRUE(InsertTestSpace(editor));
                break;
            case 'u':
                static_cast<void>(editor->HandleMenuCommand(kMenuUndo));
                break;
            case 'r':
                static_cast<void>(editor->HandleMenuCommand(kMenuRedo));
                break;
            case 'U':
                static_cast<void>(editor->HandleMenuCommand(kMenuUndoAll));
                break;
            case 'R':
                static_cast<void>(editor->HandleMenuCommand(kMenuRedoAll));
                break;
            default:
                editor->BeginEditBatch();
                editor->EndEditBatch();
                break;
            }
            EXPECT_EQ(DescribeSteps(editor), row.steps);
            EXPECT_EQ(GetHarnessMenus().DescribeUndoItems(), row.menus);
            EXPECT_EQ(CheckEditorInvariants(editor), "");
        }
    }
}

TEST_F(UndoHistoryTest, BatchThatChangesNothingKeepsTheStepCountAndRedoTail)
{
    Run("type a\nspace\nmenu 513\n");
    ASSERT_EQ(DescribeSteps(editor), "1/2");
    UndoStep *current = editor->currentStep;
    std::string dump = DumpState(editor);
    editor->modified = false;
    editor->settings.layoutDue = false;
    // Setting the mode in force changes nothing either.
    EXPECT_TRUE(SetTestMode(editor, kEditModeMath));
    editor->BeginEditBatch(EditBatchVariant::kObject);
    editor->EndEditBatch();
    EXPECT_EQ(DescribeSteps(editor), "1/2");
    EXPECT_EQ(editor->currentStep, current);
    EXPECT_EQ(DumpState(editor), dump);
    // The flags of an edit stay set.
    EXPECT_TRUE(editor->modified);
    EXPECT_TRUE(editor->settings.layoutDue);
    ASSERT_TRUE(editor->Redo());
    EXPECT_EQ(SketchDocument(editor), "row[ math\"a\" Sp\u2038 ]");
}

TEST_F(UndoHistoryTest, CoalescedTypingBatchIsNeverRemoved)
{
    EXPECT_TRUE(TypeTestText(editor, "a"));
    // A typing batch at TypingPosition that changes nothing still leaves the step.
    editor->BeginEditBatch(EditBatchVariant::kTyping);
    editor->EndEditBatch();
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(SketchDocument(editor), "row[\u2038 ]");
}

// Heaps whose back end refuses on demand take the place of both undo heaps.
class UndoMemoryTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        editor->undoStepHeap = &stepHeap;
        editor->snapshotHeap = &snapshotHeap;
    }

    void TearDown() override
    {
        stepBackEnd.exhausted = false;
        snapshotBackEnd.exhausted = false;
        EditorFixture::TearDown();
    }

    // The history is gone, the edit stays, and the next edit is undone byte for byte.
    void ExpectClearedHistoryKeepingTheEdit(const char *sketch)
    {
        EXPECT_EQ(DescribeSteps(editor), "0/0");
        EXPECT_EQ(GetHarnessMenus().DescribeUndoItems(), "513- 514- 515- 516-");
        EXPECT_EQ(SketchDocument(editor), sketch);
        EXPECT_EQ(CheckEditorInvariants(editor), "");
        EXPECT_FALSE(editor->Undo());
        stepBackEnd.exhausted = false;
        snapshotBackEnd.exhausted = false;
        std::string before = DumpState(editor);
        EXPECT_TRUE(InsertTestSpace(editor));
        EXPECT_EQ(DescribeSteps(editor), "1/1");
        ASSERT_TRUE(editor->Undo());
        std::string after = DumpState(editor);
        // Only the step line differs.
        EXPECT_EQ(after.substr(0, after.rfind("steps")), before.substr(0, before.rfind("steps")));
    }

    ExhaustibleBackEnd stepBackEnd;
    ExhaustibleBackEnd snapshotBackEnd;
    Heap stepHeap{"undo steps", &stepBackEnd, true};
    Heap snapshotHeap{"undo snapshots", &snapshotBackEnd, true};
};

TEST_F(UndoMemoryTest, FirstPushWithoutMemory)
{
    stepBackEnd.exhausted = true;
    EXPECT_TRUE(TypeTestText(editor, "x"));
    ExpectClearedHistoryKeepingTheEdit("row[ math\"x\u2038\" ]");
}

TEST_F(UndoMemoryTest, PushWithAHistoryWithoutMemory)
{
    Run("type a\nspace\nmenu 513\n");
    snapshotBackEnd.exhausted = true;
    EXPECT_TRUE(TypeTestText(editor, "y"));
    ExpectClearedHistoryKeepingTheEdit("row[ math\"ay\u2038\" ]");
}

TEST_F(UndoMemoryTest, AfterCaptureWithoutMemory)
{
    Run("type a\n");
    editor->BeginEditBatch();
    EXPECT_TRUE(InsertTestRow(editor));
    snapshotBackEnd.exhausted = true;
    editor->EndEditBatch();
    EXPECT_EQ(editor->typingPosition.node, nullptr);
    ExpectClearedHistoryKeepingTheEdit("row[ math\"a\" ] row[\u2038 ]");
}

TEST_F(UndoMemoryTest, TypingOverwriteWithoutMemory)
{
    Run("type a\n");
    snapshotBackEnd.exhausted = true;
    EXPECT_TRUE(TypeTestText(editor, "b"));
    // TypingPosition goes with the history, so the next letter would push a new step.
    ExpectClearedHistoryKeepingTheEdit("row[ math\"ab\u2038\" ]");
}

}  // namespace
}  // namespace oq::test
