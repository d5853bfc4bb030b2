// The equation document: reading, link-ordered layout, copy and paste.
#include "EquationDocumentTesting.h"

#include "editor/fonts/DesignWriter.h"

#include <gtest/gtest.h>

namespace oq {
namespace {

using test::FindNode;
using test::LinkBlock;
using test::PrepareEquationTests;
using test::ResultText;
using test::TopLevelKinds;
using test::UpdateLayout;
using test::WriteDocument;

class EquationDocumentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        PrepareEquationTests();
        test::TestNodeRegistry::Reset();
    }
};

TEST_F(EquationDocumentTest, ReadingResults)
{
    struct Case
    {
        const char *text;
        uint32_t result;
    } cases[] = {
        {"D {}", kResultMissingSubstructure},
        {"Ln {}", kResultMissingSubstructure},
        {"Gr { Bg {} } Gr { Bg {} }", kResultExtraSubstructure},
        {"Gr { Bg {} } Gr (t='anno') { Bg {} Fx {} }", 0},
        {"Gr (t='anno') { Bg {} } Gr { Bg {} } Gr (t='anno') { Bg {} }", 0},
        {"Gr { Bg {} } Al {}", kResultInvalidStructure},
        {"Gr { Bg {} } Fx {}", kResultInvalidStructure},
        {"Gr { Bg $a {} } X { ref{$a} u32{0} i32{0} }", kResultInvalidStructure},
        {"D {} Gr { Bg {} } Ln {} El {}", 0},
        {"Gr { Fx {} }", kResultMissingSubstructure},
        {"Gr { Bg {} } Zz { Gr { Bg {} } } Q {}", 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        EquationDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.text)), ResultText(c.result));
    }
}

TEST_F(EquationDocumentTest, ReadingLeavesNoDesignBlockOrLinkBlock)
{
    Design changed;
    changed.SetBaseFontSize(20.0f);
    TextBuffer block;
    WriteDesignBlock(changed, &block);
    EquationDocument document;
    const std::string text = std::string(block.data, block.size) + " Ln $l { " + LinkBlock({{"a"}, {"b", 'cent', 1}}) +
                             " } Gr { Bg {} Fx $a {} Fx $b {} } Gr (t='anno') { Bg {} " + LinkBlock({{"l"}}) + " }";
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    EXPECT_EQ(TopLevelKinds(document), (std::vector<uint32_t>{'line', 'grup', 'grup'}));
    KettricRoot *root = document.GetRootStructure();
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        uint32_t type = static_cast<KettricStructure *>(tree)->GetStructureType();
        EXPECT_NE(type, 'dsgn');
        EXPECT_NE(type, 'conn');
    }
    EXPECT_EQ(document.GetMainGroup(), FindNode<MathNode>(document, "a")->GetSuperStructure());
    EXPECT_EQ(FindNode<DocumentNode>(document, "l")->GetOutgoingEdgeList().GetListElementCount(), 2);
    EXPECT_EQ(document.design.GetBaseFontSize(), 20.0f);
    block.Free();
}

// Logs its layout by the label of its first subnode, or "G".
std::vector<std::string> layoutLog;

class LoggingGroupNode : public GroupNode
{
public:
    LoggingGroupNode() : GroupNode(0) {}
    void Layout(const Design *design) override
    {
        layoutLog.push_back(role == 0 ? "main" : "anno");
        GroupNode::Layout(design);
    }
};

class LoggingLineNode : public test::TestDrawingNode
{
public:
    LoggingLineNode() : TestDrawingNode("Ln") {}
    void Layout(const Design *design) override
    {
        layoutLog.push_back("Ln" + std::to_string(label));
        TestDrawingNode::Layout(design);
    }
};

TEST_F(EquationDocumentTest, LayoutFollowsLinksAndSkipsCycles)
{
    RegisterNodeKind("Gr", []() -> KettricStructure * { return new LoggingGroupNode; });
    RegisterNodeKind("Ln", []() -> KettricStructure * { return new LoggingLineNode; });
    layoutLog.clear();
    {
        EquationDocument document;
        const std::string text = "Ln $one (n=1) { " + LinkBlock({{"a"}, {"b", 0, 1}}) + " } Ln $p (n=2) { " +
                                 LinkBlock({{"q"}}) + " } Gr { Bg {} Fx $a (w=4.0, t=6.0) {} Fx $b (w=5.0) {} } " +
                                 "Ln $q (n=3) { " + LinkBlock({{"p"}}) + " } Ln (n=4) { " + LinkBlock({{"q"}}) +
                                 " } Gr (t='anno') { Bg {} " + LinkBlock({{"one"}}) + " } Ln (n=5) {}";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        UpdateLayout(document);
        EXPECT_EQ(layoutLog, (std::vector<std::string>{"main", "Ln5", "Ln1", "anno"}));
        // The line read its ends from the laid-out symbols.
        auto *line = FindNode<test::TestDrawingNode>(document, "one");
        auto *b = FindNode<ColoredMathNode>(document, "b");
        EXPECT_EQ(line->finish.x, b->boxAnchors[1].x);
        EXPECT_GT(line->finish.x, 4.0f);
        RegisterDocumentKinds();
        test::RegisterTestDrawingKinds();
    }
    // The cycle went with the document.
    EXPECT_TRUE(test::TestNodeRegistry::AllDestroyedOnce());
}

TEST_F(EquationDocumentTest, DamagedDataFolderLaysNothingOut)
{
    EquationDocument document;
    ASSERT_EQ(document.ParseAndResolve("Gr { Bg {} } Ln {}"), 0u);
    auto *line = dynamic_cast<test::TestDrawingNode *>(document.GetRootStructure()->GetLastSubnodeStructure());
    ClearReportedMissingFonts();
    EXPECT_FALSE(UpdateLayout(document));
    EXPECT_EQ(line->layoutCount, 0);
    UpdateLayout(document);
    EXPECT_EQ(line->layoutCount, 1);
}

TEST_F(EquationDocumentTest, TheMainGroupOutlivesWhatItLinksTo)
{
    for (bool created : {false, true})
    {
        SCOPED_TRACE(created);
        EquationDocument document;
        GroupNode *main = nullptr;
        if (created)
        {
            main = document.CreateEmptyEquation();
            main->AppendSubnode(new test::FixedBoxNode);
            auto *line = new test::TestDrawingNode("Ln");
            document.GetRootStructure()->AppendSubnode(line);
            new NodeLink(line, main->GetLastMathSubnode(), 0, 0, 0.0f);
            new NodeLink(main, line, 0, 0, 0.0f);
        }
        else
        {
            const std::string text = "Gr { Bg {} Fx $a {} " + LinkBlock({{"d"}}) + " } Ln $d { " + LinkBlock({{"a"}}) + " }";
            ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
            main = document.GetMainGroup();
        }
        // Deleting the box destroys the line on it, which takes only the main group's link.
        delete main->GetLastMathSubnode();
        EXPECT_EQ(TopLevelKinds(document), (std::vector<uint32_t>{'grup'}));
        EXPECT_EQ(document.GetMainGroup(), main);
        EXPECT_FALSE(main->HasOutgoingLinks());
    }
}

// A document with its selection set by node names; an empty name is the start of the main group's
// first row.
struct CopyCase
{
    const char *name;
    std::string text;
    const char *start;
    int32_t startIndex;
    const char *end;
    int32_t endIndex;
    std::string expected;  // the target's text
};

MathNode *FindOrFirstRow(EquationDocument &document, const char *name)
{
    if (*name == 0) return document.GetMainGroup()->GetFirstMathSubnode();
    return FindNode<MathNode>(document, name);
}

TEST_F(EquationDocumentTest, CopySelection)
{
    const std::string lineToAB = "Ln (n=1) { " + LinkBlock({{"a"}, {"b", 'cent', 1}}) + " } ";
    const std::string symbols = "Gr { Bg {} Fx $a (pi=1) {} Fx $b (pi=2) {} Fx $c (pi=3) {} } ";
    const std::string lineToC = "Ln (n=2) { " + LinkBlock({{"c", 0, 1}}) + " } Ln (n=3) {}";
    const std::string document1 = lineToAB + symbols + lineToC;
    const CopyCase cases[] = {
        {"one of two ends: no line", document1, "", 0, "a", 0, "Gr\n{\n\tBg {}\n\tFx (pi=1) {}\n}\n"},
        {"both ends: the line before the group", document1, "", 0, "b", 0,
         "Ln (n=1)\n{\n\tX\n\t{\n\t\tref{$_0,$_1}\n\t\tu32{0,'cent'}\n\t\ti32{0,1}\n\t}\n}\n"
         "Gr\n{\n\tBg {}\n\tFx $_0 (pi=1) {}\n\tFx $_1 (pi=2) {}\n}\n"},
        {"a line after the group stays after it", document1, "b", 0, "c", 0,
         "Gr\n{\n\tBg {}\n\tFx $_0 (pi=3) {}\n}\nLn (n=2)\n{\n\tX\n\t{\n\t\tref{$_0}\n\t\tu32{0}\n\t\ti32{1}\n\t}\n}\n"},
        {"a box link to the node before the range goes to the row begin",
         "Gr { Bg {} Fx $a {} Fx $b (pi=2) {} } Ln { " + LinkBlock({{"a", 0, 1}, {"b"}}) + " } Ln { " +
             LinkBlock({{"a", 'cent', 0}, {"b"}}) + " }",
         "a", 0, "b", 0,
         "Gr\n{\n\tBg $_0 {}\n\tFx $_1 (pi=2) {}\n}\nLn\n{\n\tX\n\t{\n\t\tref{$_0,$_1}\n\t\tu32{0,0}\n\t\ti32{1,0}\n\t}\n}\n"},
        {"an empty range copies nothing", document1, "a", 0, "a", 0, "Gr\n{\n\tBg {}\n}\n"},
        {"an annotation on a copied node, a line on the annotation",
         "Gr { Bg {} Fx $a {} } Gr $n (t='anno') { Bg {} Fx {} " + LinkBlock({{"a"}}) + " } Ln { " +
             LinkBlock({{"n", 'anno', 1}}) + " }",
         "", 0, "a", 0,
         "Gr\n{\n\tBg {}\n\tFx $_0 {}\n}\nGr $_1 (t='anno')\n{\n\tBg {}\n\tFx {}\n\tX\n\t{\n\t\tref{$_0}\n\t\tu32{0}\n\t\ti32{0}\n\t}\n}\n"
         "Ln\n{\n\tX\n\t{\n\t\tref{$_1}\n\t\tu32{'anno'}\n\t\ti32{1}\n\t}\n}\n"},
        {"a cycle is not copied",
         "Gr { Bg {} Fx $a {} } Ln $p { " + LinkBlock({{"a"}, {"q"}}) + " } Ln $q { " + LinkBlock({{"p"}}) + " }", "",
         0, "a", 0, "Gr\n{\n\tBg {}\n\tFx {}\n}\n"},
    };
    for (const CopyCase &c : cases)
    {
        SCOPED_TRACE(c.name);
        EquationDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.text.c_str())), "0");
        document.selection.start = {FindOrFirstRow(document, c.start), c.startIndex};
        document.selection.end = {FindOrFirstRow(document, c.end), c.endIndex};
        EquationDocument target;
        ASSERT_TRUE(document.CopySelectionTo(&target));
        std::string copied = WriteDocument(target);
        EXPECT_EQ(copied, c.expected);
        // The copy reads as a document of its own.
        EquationDocument reread;
        EXPECT_EQ(ResultText(reread.ParseAndResolve(copied.c_str())), "0");
    }
}

TEST_F(EquationDocumentTest, CopyCutsRuns)
{
    struct Case
    {
        const char *text;
        const char *start;
        int32_t startIndex;
        const char *end;
        int32_t endIndex;
        std::vector<std::string> runs;
    } cases[] = {
        {"Gr { Bg {} Sy $r (s=\"abcdef\") {} }", "r", 2, "r", 4, {"cd"}},
        {"Gr { Bg {} Sy $r (s=\"abcdef\") {} }", "r", 0, "r", 6, {"abcdef"}},
        {"Gr { Bg {} Sy $r (s=\"abc\") {} Fx {} Sy $t (s=\"xyz\") {} }", "r", 1, "t", 2, {"bc", "xy"}},
        {"Gr { Bg {} Sy $r (s=\"abc\") {} Sy $t (s=\"xyz\") {} }", "r", 3, "t", 3, {"xyz"}},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.text);
        EquationDocument document;
        ASSERT_EQ(document.ParseAndResolve(c.text), 0u);
        document.selection.start = {FindNode<MathNode>(document, c.start), c.startIndex};
        document.selection.end = {FindNode<MathNode>(document, c.end), c.endIndex};
        EquationDocument target;
        ASSERT_TRUE(document.CopySelectionTo(&target));
        std::vector<std::string> runs;
        for (MathNode *node = target.GetMainGroup()->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        {
            if (auto *run = dynamic_cast<test::TestRunNode *>(node)) runs.push_back(run->text.GetText());
        }
        EXPECT_EQ(runs, c.runs);
    }
}

TEST_F(EquationDocumentTest, CopyRefusesAnInvalidSelection)
{
    EquationDocument document;
    ASSERT_EQ(document.ParseAndResolve("Gr { Bg {} Fx $a {} Fx $b {} St { Gr $g { Bg $c {} } } }"), 0u);
    struct Case
    {
        const char *start;
        const char *end;
    } cases[] = {{"b", "a"}, {"a", "c"}, {nullptr, "a"}};
    for (const Case &c : cases)
    {
        document.selection.start = {c.start ? FindNode<MathNode>(document, c.start) : nullptr, 0};
        document.selection.end = {FindNode<MathNode>(document, c.end), 0};
        EquationDocument target;
        EXPECT_FALSE(document.CopySelectionTo(&target));
        EXPECT_EQ(WriteDocument(target), "Gr\n{\n\tBg {}\n}\n");
    }
}

TEST_F(EquationDocumentTest, PasteTwoRowsAtTheCaret)
{
    EquationDocument document;
    ASSERT_EQ(document.ParseAndResolve("Ln (n=1) {} Gr { Bg {} Fx $a (pi=1) {} Fx (pi=9) {} } Ln (n=2) {}"), 0u);
    document.selection.start = document.selection.end = {FindNode<MathNode>(document, "a"), 0};
    EquationDocument source;
    ASSERT_EQ(source.ParseAndResolve("Ln (n=3) {} Gr { Bg {} Fx (pi=2) {} Bg {} Fx $q (pi=3) {} } Ln (n=4) {}"), 0u);
    MathNode *q = FindNode<MathNode>(source, "q");
    ASSERT_TRUE(document.InsertAtCaret(&source));
    EXPECT_EQ(document.selection.start.node, q);
    EXPECT_EQ(document.selection.end.node, q);
    EXPECT_EQ(WriteDocument(document), "Ln (n=1)\n{\n}\nLn (n=3)\n{\n}\nGr\n{\n\tBg {}\n\tFx (pi=1) {}\n\tFx (pi=2) {}\n"
                                       "\tBg {}\n\tFx (pi=3) {}\n\tFx (pi=9) {}\n}\nLn (n=2)\n{\n}\nLn (n=4)\n{\n}\n");
    UpdateLayout(document);
    EXPECT_EQ(document.GetMainGroup()->GetRowCount(), 2);
}

TEST_F(EquationDocumentTest, PastedLinksOnTheCaretNode)
{
    struct Case
    {
        const char *name;
        const char *target;
        uint32_t kind;
        int32_t index;
        int32_t expectedIndex;
    } cases[] = {
        {"top-level row keeps the index", "Gr { Bg {} Fx $caret {} }", 0, 3, 3},
        {"nested row: box index 3 becomes 1", "Gr { Bg {} St { Gr { Bg {} Fx $caret {} } } }", 0, 3, 1},
        {"nested row: centre index 2 becomes 0", "Gr { Bg {} St { Gr { Bg {} Fx $caret {} } } }", 'cent', 2, 0},
        {"nested row: other kinds stay", "Gr { Bg {} St { Gr { Bg {} Fx $caret {} } } }", 'axis', 2, 2},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EquationDocument document;
        ASSERT_EQ(document.ParseAndResolve(c.target), 0u);
        MathNode *caret = FindNode<MathNode>(document, "caret");
        document.selection.start = document.selection.end = {caret, 0};
        EquationDocument source;
        const std::string text = "Gr { Bg $b {} Fx {} } Ln { " + LinkBlock({{"b", c.kind, c.index}}) + " }";
        ASSERT_EQ(source.ParseAndResolve(text.c_str()), 0u);
        ASSERT_TRUE(document.InsertAtCaret(&source));
        NodeLink *link = caret->GetFirstIncomingLink();
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->anchorKind, c.kind);
        EXPECT_EQ(link->anchorIndex, c.expectedIndex);
        UpdateLayout(document);
    }
}

TEST_F(EquationDocumentTest, PastedAnnotationOnANodeWithoutPoints)
{
    EquationDocument document;
    ASSERT_EQ(document.ParseAndResolve("Gr { Bg {} Al $mark {} }"), 0u);
    document.selection.start = document.selection.end = {FindNode<MathNode>(document, "mark"), 0};
    EquationDocument source;
    const std::string text = "Gr { Bg $b {} } Gr $n (t='anno') { Bg {} Fx (w=3.0, t=5.0) {} " + LinkBlock({{"b", 0, 1}}) + " }";
    ASSERT_EQ(source.ParseAndResolve(text.c_str()), 0u);
    auto *annotation = FindNode<GroupNode>(source, "n");
    ASSERT_TRUE(document.InsertAtCaret(&source));
    UpdateLayout(document);
    EXPECT_EQ(annotation->position.x, 0.0f);
    EXPECT_EQ(annotation->position.y, 0.0f);
}

TEST_F(EquationDocumentTest, PasteRefusals)
{
    EquationDocument document;
    ASSERT_EQ(document.ParseAndResolve("Gr { Bg {} Fx $a {} }"), 0u);
    EquationDocument source;
    ASSERT_EQ(source.ParseAndResolve("Gr { Bg {} Fx {} }"), 0u);
    EXPECT_FALSE(document.InsertAtCaret(&source));  // no caret
    document.selection.start = document.selection.end = {document.GetMainGroup(), 0};
    EXPECT_FALSE(document.InsertAtCaret(&source));  // the caret node is no group member
    document.selection.start = document.selection.end = {FindNode<MathNode>(document, "a"), 0};
    EquationDocument empty;
    EXPECT_FALSE(document.InsertAtCaret(&empty));
    EXPECT_EQ(WriteDocument(document), "Gr\n{\n\tBg {}\n\tFx {}\n}\n");
}

}  // namespace
}  // namespace oq
