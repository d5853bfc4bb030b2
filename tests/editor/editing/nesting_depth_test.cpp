// The nesting guard: no insertion makes a document deeper than the reader accepts.
#include "EditorFixture.h"
#include "NestingChain.h"
#include "editor/document/GroupNode.h"
#include "editor/structures/ScriptNode.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricStructure.h"

#include <gtest/gtest.h>

#include <string>

namespace oq::test {
namespace {

class NestingGuardTest : public EditorFixture
{
protected:
    GroupNode *BuildChain(int32_t depth) { return BuildNestingChain(editor, depth); }

    // A new scripts node with its subscripts; the caret goes into them when it is inserted.
    bool InsertScripts()
    {
        auto *scripts = new ScriptNode(false);
        GroupNode *slot = scripts->GetOrCreateSubscripts();
        editor->BeginEditBatch();
        bool inserted = editor->InsertStructure(scripts, nullptr);
        if (inserted)
        {
            editor->document.selection.start = {slot->GetFirstMathSubnode(), 0};
            editor->document.selection.end = editor->document.selection.start;
        }
        editor->EndEditBatch();
        if (!inserted) delete scripts;
        return inserted;
    }

    static bool Reads(const std::string &text)
    {
        EquationDocument fresh;
        return fresh.ParseAndResolve(text.c_str()) == 0;
    }
};

TEST_F(NestingGuardTest, ChainTakesLevelsUpToTheLimitThenRefuses)
{
    GroupNode *group = BuildChain(kKettricMaxNestingDepth - 8);
    editor->document.selection.start = {group->GetFirstMathSubnode(), 0};
    editor->document.selection.end = editor->document.selection.start;
    int32_t inserted = 0;
    while (InsertScripts()) ++inserted;
    EXPECT_GE(inserted, 3);
    EXPECT_EQ(DescribeSteps(editor), std::to_string(inserted) + "/" + std::to_string(inserted));
    // Refused again: nothing changes, no step.
    std::string before = DumpState(editor);
    EXPECT_FALSE(InsertScripts());
    EXPECT_EQ(DumpState(editor), before);
    EXPECT_EQ(CheckEditorInvariants(editor), "");

    // The document at the limit writes and reads back; Undo and Redo restore it.
    std::string text = DocumentText(editor);
    EXPECT_TRUE(Reads(text));
    ASSERT_TRUE(editor->Undo());
    ASSERT_TRUE(editor->Redo());
    EXPECT_EQ(DocumentText(editor), text);

    // What the guard refused would not read: two more levels written anyway.
    auto *innermost = static_cast<MathNode *>(editor->document.selection.start.node->GetSuperNode());
    auto *scripts = new ScriptNode(false);
    innermost->AppendSubnode(scripts);
    auto *deeper = new ScriptNode(false);
    scripts->GetOrCreateSubscripts()->AppendSubnode(deeper);
    deeper->GetOrCreateSubscripts();
    EXPECT_FALSE(Reads(DocumentText(editor)));
    delete scripts;
}

TEST_F(NestingGuardTest, SelectionOfNestedStructuresIsNotMovedPastTheLimit)
{
    // A chain in the main group whose deepest nodes stand three levels below the limit.
    GroupNode *group = BuildChain(kKettricMaxNestingDepth - 3);
    static_cast<void>(group);
    GroupNode *main = editor->document.GetMainGroup();
    editor->document.selection.start = {main->GetFirstMathSubnode(), 0};
    editor->document.selection.end = {main->GetLastMathSubnode(), 0};
    std::string before = DumpState(editor);
    // Wrapping it in a scripts node puts it two levels deeper: refused.
    auto *scripts = new ScriptNode(false);
    GroupNode *slot = scripts->GetOrCreateSubscripts();
    editor->BeginEditBatch();
    EXPECT_FALSE(editor->InsertStructure(scripts, slot));
    EXPECT_FALSE(editor->MoveSelectionIntoGroup(slot));
    editor->EndEditBatch();
    delete scripts;
    EXPECT_EQ(DumpState(editor), before);
    EXPECT_EQ(DescribeSteps(editor), "0/0");

    // A shallow selection moves.
    ResetTheEditor();
    editor = TheEditor;
    BuildChain(10);
    main = editor->document.GetMainGroup();
    editor->document.selection.start = {main->GetFirstMathSubnode(), 0};
    editor->document.selection.end = {main->GetLastMathSubnode(), 0};
    scripts = new ScriptNode(false);
    slot = scripts->GetOrCreateSubscripts();
    editor->BeginEditBatch();
    EXPECT_TRUE(editor->InsertStructure(scripts, slot));
    editor->EndEditBatch();
    EXPECT_EQ(CheckEditorInvariants(editor), "");
    EXPECT_TRUE(Reads(DocumentText(editor)));
}

// Rows stand in phantoms too: a structure inserted, or wrapped around a selection, with the caret
// in a phantom's row.
TEST_F(NestingGuardTest, StructuresGoIntoAPhantomsRows)
{
    for (int32_t end : {1, 2})
    {
        ResetTheEditor();
        editor = TheEditor;
        ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Ph { Bg {} Sb $B {s{\"xy\"}} } }", 1, end));
        auto *scripts = new ScriptNode(false);
        editor->BeginEditBatch();
        ASSERT_TRUE(editor->InsertStructure(scripts, scripts->GetOrCreateSubscripts()));
        editor->EndEditBatch();
        EXPECT_EQ(SketchDocument(editor), end == 1 ? "row[ Ph{[ math\"x\" scpt{[‸ ]} math\"y\" ]} ]"
                                                   : "row[ Ph{[ math\"x\" scpt{[⟦ math\"y⟧\" ]} ]} ]");
        EXPECT_EQ(CheckEditorInvariants(editor), "");
    }
}

}  // namespace
}  // namespace oq::test
