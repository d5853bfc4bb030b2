// Backspace, Delete and the selection primitives.
#include "EditorFixture.h"
#include "TypingTestSupport.h"
#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq::test {
namespace {

class DeletingTest : public EditorFixture
{
protected:
    // Loads a main group with the nodes' text and puts the caret at the node numbered (0 the row
    // begin) and byte index.
    void Load(const std::string &nodes, int32_t node = 0, int32_t index = 0)
    {
        ASSERT_TRUE(LoadTestDocument(editor, ("Gr\n{\n\tBg {}\n" + nodes + "}\n").c_str(), 0, 0));
        editor->document.selection.start = {Node(node), index};
        editor->document.selection.end = editor->document.selection.start;
    }

    MathNode *Node(int32_t number)
    {
        MathNode *node = editor->document.GetMainGroup()->GetFirstMathSubnode();
        for (int32_t i = 0; i < number && node != nullptr; ++i) node = node->GetNextMathNode();
        return node;
    }
};

// One key press on a loaded row: nodes, caret node and index, key -> sketch.
struct KeyCase
{
    const char *nodes;
    int32_t node;
    int32_t index;
    bool backspace;
    const char *sketch;
};

TEST_F(DeletingTest, KeyPressTable)
{
    const KeyCase cases[] = {
        // Characters: one whole UTF-8 character before or after the caret.
        {"Sb {s{\"abc\"}}", 1, 3, true, "row[ math\"ab‸\" ]"},
        {"Sb {s{\"abc\"}}", 1, 2, true, "row[ math\"a‸c\" ]"},
        {"Sb {s{\"a\xCE\xB1\xF0\x9D\x91\xA5\"}}", 1, 7, true, "row[ math\"aα‸\" ]"},
        {"Sb {s{\"a\xCE\xB1\xF0\x9D\x91\xA5\"}}", 1, 1, false, "row[ math\"a‸𝑥\" ]"},
        // The first character of a run: the run stays and the caret goes to the previous node's end.
        {"Sb {s{\"ab\"}}", 1, 1, true, "row[‸ math\"b\" ]"},
        // The last character: the run goes.
        {"Sb {s{\"a\"}}", 1, 1, true, "row[‸ ]"},
        {"Sb {s{\"x\"}} Sb (ro='nmbr') {s{\"2\"}}", 2, 1, true, "row[ math\"x‸\" ]"},
        // Delete before a run removes only its first character.
        {"Sp {} Sb {s{\"abc\"}}", 1, 0, false, "row[ Sp‸ math\"bc\" ]"},
        {"Sb {s{\"x\"}} Sb (ro='nmbr') {s{\"2\"}}", 1, 1, false, "row[ math\"x‸\" ]"},
        // Any other node goes whole; runs around it merge.
        {"Sb {s{\"a\"}} Ph {Bg {} Sb {s{\"q\"}}} Sb {s{\"b\"}}", 2, 0, true, "row[ math\"a‸b\" ]"},
        {"Sb {s{\"a\"}} Ph {Bg {} Sb {s{\"q\"}}} Sb {s{\"b\"}}", 1, 1, false, "row[ math\"a‸b\" ]"},
    };
    for (const KeyCase &c : cases)
    {
        ResetTheEditor();
        editor = TheEditor;
        Load(std::string(c.nodes) + "\n", c.node, c.index);
        EXPECT_TRUE(c.backspace ? editor->DeleteBackward() : editor->DeleteForward()) << c.nodes;
        EXPECT_EQ(SketchDocument(editor), c.sketch) << c.nodes << " " << c.index;
        EXPECT_EQ(DescribeSteps(editor), "1/1") << c.nodes;
        EXPECT_EQ(CheckEditorInvariants(editor), "") << c.nodes;
    }
}

TEST_F(DeletingTest, BackspaceRemovesDecorationsLastFirstThenTheLetter)
{
    Load("Sb {s{\"a\"} Mk {u32{0x302}} Mk {u32{0x303}}}\n", 1, 1);
    auto count = [](const std::string &text, const char *what) {
        int32_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    };
    ASSERT_TRUE(editor->DeleteBackward());
    std::string text = DocumentText(editor);
    EXPECT_EQ(count(text, "Mk"), 1) << text;
    EXPECT_EQ(count(text, "0x0302"), 1) << text;
    EXPECT_EQ(SketchDocument(editor), "row[ math\"a‸\" ]");
    ASSERT_TRUE(editor->DeleteBackward());
    EXPECT_EQ(count(DocumentText(editor), "Mk"), 0);
    EXPECT_EQ(SketchDocument(editor), "row[ math\"a‸\" ]");
    ASSERT_TRUE(editor->DeleteBackward());
    EXPECT_EQ(SketchDocument(editor), "row[‸ ]");
    EXPECT_EQ(DescribeSteps(editor), "3/3");
}

TEST_F(DeletingTest, BoundariesRefuseWithoutAStep)
{
    Load("Sb {s{\"ab\"}}\n", 0, 0);
    std::string before = DumpState(editor);
    EXPECT_FALSE(editor->DeleteBackward());
    editor->document.selection.start = {Node(1), 2};
    editor->document.selection.end = editor->document.selection.start;
    before = DumpState(editor);
    EXPECT_FALSE(editor->DeleteForward());
    EXPECT_EQ(DumpState(editor), before);
    EXPECT_EQ(DescribeSteps(editor), "0/0");
    // An empty row: both keys refuse.
    ResetTheEditor();
    editor = TheEditor;
    EXPECT_FALSE(editor->DeleteBackward());
    EXPECT_FALSE(editor->DeleteForward());
    EXPECT_EQ(DescribeSteps(editor), "0/0");
}

TEST_F(DeletingTest, RangeOverPartsOfTwoRunsDeletesExactlyThoseBytes)
{
    struct Case
    {
        const char *nodes;
        const char *runs;
    };
    const Case cases[] = {
        // Same format: the halves merge.
        {"Sb {s{\"abc\"}} Sp {} Sb {s{\"def\"}}", "math/ital\"af\""},
        // Another role on the right: they stay apart.
        {"Sb {s{\"abc\"}} Sp {} Sb (ro='nmbr') {s{\"def\"}}", "math/ital\"a\" nmbr/uprt\"f\""},
        // Old-style figures differ: apart.
        {"Sb {s{\"abc\"}} Sp {} Sb (of) {s{\"def\"}}", "math/ital\"a\" math/ital\"f\"+4"},
    };
    for (const Case &c : cases)
    {
        for (bool backspace : {true, false})
        {
            ResetTheEditor();
            editor = TheEditor;
            Load(std::string(c.nodes) + "\n");
            std::string before = DescribeRuns(editor);
            editor->document.selection.start = {Node(1), 1};
            editor->document.selection.end = {Node(3), 2};
            EXPECT_TRUE(backspace ? editor->DeleteBackward() : editor->DeleteForward());
            EXPECT_EQ(DescribeRuns(editor), c.runs) << c.nodes;
            EXPECT_EQ(DescribeSteps(editor), "1/1");
            SymbolRunNode *first = static_cast<SymbolRunNode *>(Node(1));
            EXPECT_EQ(editor->document.selection.start.node, first);
            EXPECT_EQ(editor->document.selection.start.index, 1);
            EXPECT_EQ(CheckEditorInvariants(editor), "");
            ASSERT_TRUE(editor->Undo());
            EXPECT_EQ(DescribeRuns(editor), before);
        }
    }
}

TEST_F(DeletingTest, SplitRunsAtSelectionCutsBothEndsInOneRun)
{
    Load("Sb {s{\"abcd\"}}\n");
    editor->document.selection.start = {Node(1), 1};
    editor->document.selection.end = {Node(1), 3};
    editor->BeginEditBatch();
    EXPECT_TRUE(editor->SplitRunsAtSelection());
    editor->EndEditBatch();
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"a\" math/ital\"bc\" math/ital\"d\"");
    EXPECT_EQ(editor->document.selection.start.node, Node(1));
    EXPECT_EQ(editor->document.selection.end.node, Node(2));
    EXPECT_EQ(editor->document.selection.end.index, 2);
}

}  // namespace
}  // namespace oq::test
