// The group commands (alignment, baseline, size), the style of the selected runs and releasing
// phantoms: what changes, what is refused without a step, and Undo.
#include "EditCommandTestSupport.h"
#include "RowDrawingsFixture.h"
#include "editor/document/PhantomNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq::test {
namespace {

std::string WithoutHistory(Editor *editor)
{
    std::string state = DumpState(editor);
    return state.substr(0, state.rfind("steps "));
}

// The top-level group after the main group (an annotation of the fixtures).
GroupNode *TopLevelGroup(Editor *editor, int32_t index)
{
    int32_t seen = 0;
    KettricStructure *root = editor->document.GetRootStructure();
    for (KettricStructure *top = root->GetFirstSubnodeStructure(); top != nullptr; top = top->GetNextStructure())
    {
        DocumentNode *node = DocumentNode::FromStructure(top);
        if (node->GetKind() == kGroupKind && seen++ == index) return static_cast<GroupNode *>(node);
    }
    return nullptr;
}

class GroupCommandsTest : public EditorFixture
{
};

TEST_F(GroupCommandsTest, SizeStepsStopAtTheirLimits)
{
    // The caret in a subscript: its group is the target.
    const char *text = "Gr { Bg {} Sb {s{\"x\"}} Sc { Gr (t='subs') { Bg $B {} Sb {s{\"2\"}} } } }";
    ASSERT_TRUE(LoadTestDocument(editor, text, 0, 0));
    GroupNode *group = editor->document.selection.start.node->GetEnclosingGroup();
    std::string before = WithoutHistory(editor);
    for (int32_t i = 0; i < 8; ++i) ASSERT_TRUE(editor->DecreaseGroupSize()) << i;
    EXPECT_EQ(group->scale, 0.5f);
    EXPECT_FALSE(editor->DecreaseGroupSize());
    EXPECT_EQ(DescribeSteps(editor), "8/8");
    // The size reads back exactly: Undo gives back each text.
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(editor->document.selection.start.node->GetEnclosingGroup()->scale, 0.5625f);
    ASSERT_TRUE(editor->UndoAll());
    EXPECT_EQ(WithoutHistory(editor), before);

    group = editor->document.selection.start.node->GetEnclosingGroup();
    for (int32_t i = 0; i < 16; ++i) ASSERT_TRUE(editor->IncreaseGroupSize()) << i;
    EXPECT_EQ(group->scale, 2.0f);
    EXPECT_FALSE(editor->IncreaseGroupSize());
    ASSERT_TRUE(editor->ResetGroupSize());
    EXPECT_EQ(group->scale, 1.0f);
    EXPECT_FALSE(editor->ResetGroupSize());
    EXPECT_EQ(DescribeSteps(editor), "17/17");
}

TEST_F(GroupCommandsTest, TheMainGroupIsResizedOnlyAsASelectedObject)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr (as=0.75) { Bg $B {} Sb {s{\"x\"}} }", 1, 1));
    EXPECT_FALSE(editor->DecreaseGroupSize());
    EXPECT_FALSE(editor->IncreaseGroupSize());
    EXPECT_FALSE(editor->ResetGroupSize());
    EXPECT_EQ(DescribeSteps(editor), "0/0");
    EXPECT_EQ(editor->document.GetMainGroup()->scale, 0.75f);
    // Alignment and baseline do apply to it.
    EXPECT_TRUE(editor->SetGroupAlignment(kAlignCentre));
    EXPECT_TRUE(editor->SetGroupBaseline(kBaselineFirst));
    EXPECT_FALSE(editor->SetGroupBaseline(kBaselineFirst));
    // Values that would not read back are refused.
    EXPECT_FALSE(editor->SetGroupAlignment('abcd'));
    EXPECT_FALSE(editor->SetGroupBaseline(0));
    EXPECT_EQ(DescribeSteps(editor), "2/2");

    editor->document.objectSelection.AddElement(editor->document.GetMainGroup());
    ASSERT_TRUE(editor->ResetGroupSize());
    EXPECT_EQ(editor->document.GetMainGroup()->scale, 1.0f);
}

TEST_F(GroupCommandsTest, SelectedGroupsChangeInOneObjectStep)
{
    const char *text = "Gr { Bg {} Sb $B {s{\"ab\"}} } Gr (t='anno') { Bg {} Sb {s{\"n\"}} } "
                       "Gr (t='anno', al='left') { Bg {} Sb {s{\"m\"}} } Ln {}";
    ASSERT_TRUE(LoadTestDocument(editor, text, 1, 1));
    GroupNode *first = TopLevelGroup(editor, 1);
    GroupNode *second = TopLevelGroup(editor, 2);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->alignment, kAlignLeft);
    editor->document.objectSelection.AddElement(first);
    editor->document.objectSelection.AddElement(second);
    // A selected drawing is passed over.
    editor->document.objectSelection.AddElement(
        DocumentNode::FromStructure(editor->document.GetRootStructure()->GetLastSubnodeStructure()));
    CaretPosition caret = editor->document.selection.start;
    editor->viewChanged = false;
    std::string before = WithoutHistory(editor);

    ASSERT_TRUE(editor->SetGroupAlignment(kAlignLeft));
    EXPECT_EQ(first->alignment, kAlignLeft);
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    EXPECT_FALSE(editor->viewChanged);
    EXPECT_EQ(editor->document.selection.start.node, caret.node);
    EXPECT_EQ(editor->document.selection.start.index, caret.index);
    EXPECT_EQ(editor->document.GetMainGroup()->alignment, 0u);
    // Nothing left to change: no step.
    EXPECT_FALSE(editor->SetGroupAlignment(kAlignLeft));
    EXPECT_EQ(DescribeSteps(editor), "1/1");

    // Sizes apply to the selected groups, each within its limits.
    ASSERT_TRUE(editor->DecreaseGroupSize());
    EXPECT_EQ(first->scale, 0.9375f);
    EXPECT_EQ(second->scale, 0.9375f);
    ASSERT_TRUE(editor->UndoAll());
    EXPECT_EQ(WithoutHistory(editor), before);
}

class StyleCommandsTest : public EditorFixture
{
protected:
    SymbolRunNode *Run(int32_t index)
    {
        MathNode *node = editor->document.GetMainGroup()->GetFirstMathSubnode();
        for (int32_t i = 0; i <= index && node != nullptr; ++i) node = node->GetNextMathNode();
        return dynamic_cast<SymbolRunNode *>(node);
    }
};

TEST_F(StyleCommandsTest, GreekStylesToggleBetweenUprightAndItalic)
{
    const struct
    {
        uint32_t style;
        uint32_t from;
        uint32_t to;
    } cases[] = {
        {'grek', 'grek', 'itgk'}, {'grek', 'itgk', 'grek'}, {'grek', 'bdgk', 'grek'}, {'grek', 'ital', 'itgk'},
        {'bdgk', 'bdgk', 'bigk'}, {'bdgk', 'bigk', 'bdgk'}, {'bdgk', 'grek', 'bdgk'}, {'bdgk', 'ital', 'bigk'},
        {'bold', 'ital', 'bold'},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(CommandFourCC(c.style) + " on " + CommandFourCC(c.from));
        ResetTheEditor();
        editor = TheEditor;
        std::string text = "Gr { Bg $B {} Sb $E (st='" + CommandFourCC(c.from) + "') {s{\"\u03B1\u03B2\"}} }";
        ASSERT_TRUE(LoadTestDocument(editor, text.c_str(), 0, 4));
        std::string before = WithoutHistory(editor);
        ASSERT_TRUE(editor->SetSelectionStyle(c.style));
        EXPECT_EQ(Run(0)->style, c.to);
        EXPECT_EQ(DescribeSteps(editor), "1/1");
        // The end stays at the end of the restyled run, whatever its byte count became.
        EXPECT_EQ(editor->document.selection.end.node, Run(0));
        EXPECT_EQ(editor->document.selection.end.index, Run(0)->text.GetLength());
        EXPECT_EQ(CheckEditorInvariants(editor), "");
        ASSERT_TRUE(editor->Undo());
        EXPECT_EQ(WithoutHistory(editor), before);
    }
}

TEST_F(StyleCommandsTest, OnlyTheRangesRunsChange)
{
    // A range from inside one run to inside another: the cut parts change, the rest stays.
    ASSERT_TRUE(LoadTestDocument(editor,
                                 "Gr { Bg {} Sb $B (st='grek') {s{\"\u03B1\u03B2\"}} Sp {} "
                                 "Sb $E (st='grek') {s{\"\u03B3\u03B4\"}} }",
                                 2, 2));
    ASSERT_TRUE(editor->SetSelectionStyle('grek'));
    EXPECT_EQ(Run(0)->style, uint32_t('grek'));
    EXPECT_EQ(Run(0)->text.GetLength(), 2);
    EXPECT_EQ(Run(1)->style, uint32_t('itgk'));
    EXPECT_EQ(Run(3)->style, uint32_t('itgk'));
    EXPECT_EQ(Run(4)->style, uint32_t('grek'));
    EXPECT_EQ(editor->document.selection.end.node, Run(3));
    EXPECT_EQ(editor->document.selection.end.index, Run(3)->text.GetLength());

    // A collapsed selection is refused; a range without runs pushes no step.
    ResetTheEditor();
    editor = TheEditor;
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg $B {} Sb {s{\"ab\"}} Sp $E {} }", 0, 0));
    editor->SetSelection({editor->document.selection.start.node, 0}, {editor->document.selection.start.node, 0});
    EXPECT_FALSE(editor->SetSelectionStyle('bold'));
    MathNode *run = Run(0);
    editor->SetSelection({run, 2}, {run->GetNextMathNode(), 0});
    EXPECT_FALSE(editor->SetSelectionStyle('bold'));
    EXPECT_EQ(DescribeSteps(editor), "0/0");
    // Runs inside a selected structure keep their style.
    ResetTheEditor();
    editor = TheEditor;
    ASSERT_TRUE(LoadTestDocument(
        editor, "Gr { Bg $B {} Sc $E { Gr (t='subs') { Bg {} Sb {s{\"i\"}} } } }", 0, 0));
    EXPECT_FALSE(editor->SetSelectionStyle('bold'));
    EXPECT_EQ(DescribeSteps(editor), "0/0");
}

class ReleasePhantomsTest : public RowDrawingsFixture
{
};

TEST_F(ReleasePhantomsTest, PhantomsDissolveIntoTheirRow)
{
    const CommandCase cases[] = {
        {"a caret right after a phantom", "Bg {} Sb {s{\"a\"}} Ph $B { Bg {} Sb {s{\"b\"}} Sp {} } Sb {s{\"c\"}}", 0, 0,
         [](Editor *e) { return e->ReleasePhantoms(); }, true, "\"ab\" Sp0 \"c\"",
         "row[ math\"a⟦b\" Sp⟧ math\"c\" ]"},
        {"nested and adjacent phantoms in a range",
         "Bg $B {} Ph { Bg {} Sb {s{\"a\"}} Ph { Bg {} Sb {s{\"b\"}} } } Ph $E { Bg {} Sb {s{\"c\"}} }", 0, 0,
         [](Editor *e) { return e->ReleasePhantoms(); }, true, "\"abc\"", "row[⟦ math\"abc⟧\" ]"},
        {"an empty phantom: both ends go before it", "Bg {} Sb {s{\"a\"}} Ph $B { Bg {} } Sb {s{\"c\"}}", 0, 0,
         [](Editor *e) { return e->ReleasePhantoms(); }, true, "\"ac\"", "row[ math\"a‸c\" ]"},
        {"a phantom before the range stays", "Bg {} Ph { Bg {} Sb {s{\"a\"}} } Sb $B {s{\"bc\"}}", 1, 1,
         [](Editor *e) { return e->ReleasePhantoms(); }, false, "phan \"bc\"", "row[ Ph{[ math\"a\" ]} math\"b‸c\" ]"},
        {"no phantom", "Bg $B {} Sb {s{\"a\"}}", 0, 0, [](Editor *e) { return e->ReleasePhantoms(); }, false, "\"a\"",
         "row[‸ math\"a\" ]"},
    };
    for (const CommandCase &row : cases) ExpectCommandCase(row);
    ResetTheEditor();
    editor = TheEditor;
}

// A phantom that holds a row break (a wrap over two rows): released, the rows after it keep their
// drawings on the same content.
TEST_F(ReleasePhantomsTest, RowsComingBackKeepTheirDrawings)
{
    ASSERT_TRUE(LoadTestDocument(editor,
                                 "Gr { Bg {} Sb {s{\"a\"}} Ph $B { Bg {} Sb {s{\"b\"}} Bg {} Sb {s{\"c\"}} } "
                                 "Bg {} Sb {s{\"d\"}} }",
                                 0, 0));
    // Row 0 ("a b | c" once released) and row 1 ("d", row 2 then) with their bottom gap.
    AddDrawing(kAxisAnchorKind, 0, 0.0f);
    AddDrawing(kLineAnchorKind, 0, 0.0f);
    AddDrawing(kAxisAnchorKind, 3, 1.0f);
    AddDrawing(kLineAnchorKind, 2, 1.0f);
    AddDrawing(kLineAnchorKind, 4, 99.0f);
    std::string before = WithoutHistory(editor);
    ASSERT_TRUE(editor->ReleasePhantoms());
    EXPECT_EQ(DescribeMainRows(editor), "\"ab\" | \"c\" | \"d\"");
    EXPECT_EQ(DescribeDrawings(), (std::vector<std::string>{"0:axis 0", "0:lmnl 0", "1:axis 5", "1:lmnl 4",
                                                            "99:lmnl 6"}));
    EXPECT_EQ(CheckEditorInvariants(editor), "");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(WithoutHistory(editor), before);
}

}  // namespace
}  // namespace oq::test
