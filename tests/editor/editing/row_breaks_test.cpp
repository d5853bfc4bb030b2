// Row breaks: the caret's run is cut, a selection replaced, and drawings on the rows' anchors keep
// hanging on the same rows.
#include "EditCommandTestSupport.h"
#include "RowDrawingsFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace oq::test {
namespace {

class RowBreaksTest : public RowDrawingsFixture
{
protected:
    // Every drawing's label with the row start its link names (a 'lmnl' point 2j is the top of
    // row j), or null for the bottom gap.
    std::map<std::string, const MathNode *> DescribeHangingPlaces()
    {
        std::vector<const MathNode *> rowStarts;
        GroupNode *group = editor->document.GetMainGroup();
        for (MathNode *node = group->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        {
            if (node->GetKind() == kRowBeginKind) rowStarts.push_back(node);
        }
        std::map<std::string, const MathNode *> out;
        for (NodeLink *link = group->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
        {
            auto row = size_t(link->anchorIndex / 2);
            std::string key = std::to_string(int(link->value)) + (link->anchorKind == kAxisAnchorKind ? " axis" : " lmnl") +
                              (link->anchorIndex % 2 == 0 ? " left" : " right");
            out[key] = row < rowStarts.size() ? rowStarts[row] : nullptr;
        }
        return out;
    }
};

TEST_F(RowBreaksTest, EnterInTheMiddleOfARunKeepsEveryDrawingOnItsRow)
{
    for (int32_t row = 0; row < 3; ++row)
    {
        SCOPED_TRACE("row " + std::to_string(row));
        ResetTheEditor();
        editor = TheEditor;
        LoadRowTexts({"ab", "cd", "ef"});
        // The right-hand points too, and the bottom gap's right point.
        for (int32_t j = 0; j < 3; ++j)
        {
            AddDrawing(kAxisAnchorKind, 2 * j + 1, float(j));
            AddDrawing(kLineAnchorKind, 2 * j + 1, float(j));
        }
        AddDrawing(kLineAnchorKind, 7, 99.0F);
        MathNode *run = RowBegin(row)->GetNextMathNode();
        editor->SetSelection({run, 1}, {run, 1});
        std::string before = DumpState(editor);
        std::map<std::string, const MathNode *> places = DescribeHangingPlaces();
        ASSERT_EQ(places.size(), 14U);

        ASSERT_TRUE(editor->InsertRowBreak());
        EXPECT_EQ(DescribeSteps(editor), "1/1");
        const char *expected[] = {
            "\"a\" | \"b\" | \"cd\" | \"ef\"",
            "\"ab\" | \"c\" | \"d\" | \"ef\"",
            "\"ab\" | \"cd\" | \"e\" | \"f\"",
        };
        EXPECT_EQ(DescribeMainRows(editor), expected[row]);
        EXPECT_EQ(editor->document.selection.start.node->GetKind(), kRowBeginKind);
        EXPECT_EQ(editor->document.selection.start.node->GetNextMathNode()->GetKind(), kSymbolRunKind);
        EXPECT_EQ(DescribeHangingPlaces(), places);
        EXPECT_EQ(CheckEditorInvariants(editor), "");

        ASSERT_TRUE(editor->Undo());
        EXPECT_EQ(DumpState(editor).substr(0, before.rfind("steps ")), before.substr(0, before.rfind("steps ")));
    }
}

// The drawings' indexes themselves: rows after the new one move down by one row.
TEST_F(RowBreaksTest, LinkIndexesOfLaterRowsRiseByTwo)
{
    LoadRows(3);
    MathNode *run = RowBegin(1)->GetNextMathNode();
    editor->SetSelection({run, 1}, {run, 1});
    ASSERT_TRUE(editor->InsertRowBreak());
    EXPECT_EQ(DescribeDrawings(),
              (std::vector<std::string>{"0:axis 0", "0:lmnl 0", "1:axis 2", "1:lmnl 2", "2:axis 6", "2:lmnl 6",
                                        "99:lmnl 8"}));
}

// A selection over a row start: that row's drawings go with it, the new row takes its place, and
// the later rows' drawings end where they were.
TEST_F(RowBreaksTest, ABreakReplacingARowStartKeepsLaterDrawings)
{
    LoadRowTexts({"ab", "cd", "ef"});
    MathNode *first = RowBegin(0)->GetNextMathNode();
    MathNode *second = RowBegin(1)->GetNextMathNode();
    editor->SetSelection({first, 1}, {second, 1});
    std::string before = DocumentText(editor);
    ASSERT_TRUE(editor->InsertRowBreak());
    EXPECT_EQ(DescribeMainRows(editor), "\"a\" | \"d\" | \"ef\"");
    EXPECT_EQ(DescribeDrawings(),
              (std::vector<std::string>{"0:axis 0", "0:lmnl 0", "2:axis 4", "2:lmnl 4", "99:lmnl 6"}));
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(DocumentText(editor), before);
}

bool RowBreak(Editor *editor) { return editor->InsertRowBreak(); }

TEST_F(RowBreaksTest, CaretPlacesAndSelectionsTable)
{
    const CommandCase cases[] = {
        {"caret in a run's middle", "Bg {} Sb $B {s{\"abc\"}}", 1, 1, RowBreak, true, "\"a\" | \"bc\"",
         "row[ math\"a\" ] row[‸ math\"bc\" ]"},
        {"caret at a run's end", "Bg {} Sb $B {s{\"abc\"}}", 3, 3, RowBreak, true, "\"abc\" |",
         "row[ math\"abc\" ] row[‸ ]"},
        {"caret at a run's start", "Bg {} Sb {s{\"ab\"}} Sb $B (ro='oper') {s{\"+\"}}", 0, 0, RowBreak, true,
         "\"ab\" | \"+\"", "row[ math\"ab\" ] row[‸ oper\"+\" ]"},
        {"caret at a row's start", "Bg $B {} Sb {s{\"ab\"}}", 0, 0, RowBreak, true, "| \"ab\"",
         "row[ ] row[‸ math\"ab\" ]"},
        {"a range inside one run is replaced", "Bg {} Sb $B {s{\"abcd\"}}", 1, 3, RowBreak, true, "\"a\" | \"d\"",
         "row[ math\"a\" ] row[‸ math\"d\" ]"},
        {"a range over several nodes is replaced",
         "Bg {} Sb $B {s{\"ab\"}} Sb (ro='oper') {s{\"+\"}} Sb $E {s{\"cd\"}}", 1, 1, RowBreak, true,
         "\"a\" | \"d\"", "row[ math\"a\" ] row[‸ math\"d\" ]"},
        {"a range over a row start", "Bg {} Sb $B {s{\"ab\"}} Bg {} Sb $E {s{\"cd\"}}", 1, 1, RowBreak, true,
         "\"a\" | \"d\"", "row[ math\"a\" ] row[‸ math\"d\" ]"},
        {"typed line feed when pasting", "Bg {} Sb $B {s{\"ab\"}}", 1, 1,
         [](Editor *e) { return e->TypeCharacter('\n', kTypePasted); }, true, "\"a\" | \"b\"",
         "row[ math\"a\" ] row[‸ math\"b\" ]"},
        {"typed line feed otherwise", "Bg {} Sb $B {s{\"ab\"}}", 1, 1,
         [](Editor *e) { return e->TypeCharacter('\n', 0); }, false, "\"ab\"", "row[ math\"a‸b\" ]"},
    };
    for (const CommandCase &row : cases) ExpectCommandCase(row);
}

// A break inside a phantom adds a row there; the main group's links stay where they are.
TEST_F(RowBreaksTest, ABreakInANestedRowLeavesTheMainGroupsLinks)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Ph { Bg {} Sb $B {s{\"xy\"}} } Bg {} Sb {s{\"c\"}} }", 1, 1));
    AddDrawing(kAxisAnchorKind, 2, 1.0F);
    AddDrawing(kLineAnchorKind, 4, 99.0F);
    ASSERT_TRUE(editor->InsertRowBreak());
    EXPECT_EQ(SketchDocument(editor), "row[ Ph{[ math\"x\" ] [‸ math\"y\" ]} ] row[ math\"c\" ] Ln Ln");
    EXPECT_EQ(DescribeDrawings(), (std::vector<std::string>{"1:axis 2", "99:lmnl 4"}));
}

}  // namespace
}  // namespace oq::test
