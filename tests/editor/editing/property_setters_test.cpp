// The structure property setters: properties and optional groups change in one step, a group that
// held the caret leaves it after the structure, and Undo gives back the document as it was.
#include "EditorFixture.h"
#include "editor/structures/MatrixFixtures.h"
#include "editor/document/BracketNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/structures/BondNode.h"
#include "editor/structures/IntegralNode.h"
#include "editor/structures/IterationNode.h"
#include "editor/structures/MatrixNode.h"
#include "editor/structures/ScriptNode.h"
#include "editor/structures/StackNode.h"
#include "support/DocumentTestKinds.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace oq::test {
namespace {

// The first node of the kind in document order; null when none.
MathNode *FindNode(Editor *editor, uint32_t kind)
{
    KettricStructure *root = editor->document.GetRootStructure();
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        MathNode *node = MathNode::FromStructure(static_cast<KettricStructure *>(tree));
        if (node != nullptr && node->GetKind() == kind) return node;
    }
    return nullptr;
}

std::string WithoutHistory(Editor *editor)
{
    std::string state = DumpState(editor);
    return state.substr(0, state.rfind("steps "));
}

// A document, the selection, a setter on the first structure of the kind, and the sketch after.
struct SetterCase
{
    const char *name;
    std::string text;
    int32_t start;
    int32_t end;
    uint32_t kind;
    std::function<bool(Editor *, MathNode *)> set;
    bool changes;
    const char *sketch;
};

// Runs the case: result, one step (none without a change), the sketch, the invariants; Undo then
// gives back the dump from before.
void ExpectSetterCase(const SetterCase &row)
{
    SCOPED_TRACE(row.name);
    ResetTheEditor();
    Editor *editor = TheEditor;
    ASSERT_TRUE(LoadTestDocument(editor, row.text.c_str(), row.start, row.end)) << row.text;
    MathNode *node = FindNode(editor, row.kind);
    ASSERT_NE(node, nullptr);
    std::string before = WithoutHistory(editor);
    EXPECT_EQ(row.set(editor, node), row.changes);
    EXPECT_EQ(DescribeSteps(editor), row.changes ? "1/1" : "0/0");
    EXPECT_EQ(SketchDocument(editor), row.sketch);
    EXPECT_EQ(CheckEditorInvariants(editor), "");
    if (row.changes)
    {
        ASSERT_TRUE(editor->Undo());
    }
    EXPECT_EQ(WithoutHistory(editor), before);
}

const char *const kThreeBodies =
    "Gr { Bg {} Sb {s{\"x\"}} Br { Gr { Bg {} Sb {s{\"a\"}} } Gr { Bg {} Sb {s{\"b\"}} } "
    "Gr { Bg {} Sb $B {s{\"c\"}} } } }";

TEST(PropertySettersTest, Brackets)
{
    auto set = [](uint32_t left, uint32_t right, uint32_t middle, int32_t bodies, bool as, bool ca) {
        return [=](Editor *editor, MathNode *node) {
            return editor->SetBracketProperties(static_cast<BracketNode *>(node), left, right, middle, bodies, as, ca);
        };
    };
    const SetterCase cases[] = {
        {"three bodies to one with the caret in the third", kThreeBodies, 1, 1, kBracketKind,
         set('(', ')', 0, 1, false, false), true, "row[ math\"x\" brck{[ math\"a\" ]}‸ ]"},
        {"the caret in a kept body stays", kThreeBodies, 1, 1, kBracketKind, set('(', ')', 0, 3, false, false), false,
         "row[ math\"x\" brck{[ math\"a\" ] / [ math\"b\" ] / [ math\"c‸\" ]} ]"},
        {"one more body, delimiters and flags",
         "Gr { Bg {} Br { Gr { Bg $B {} Sb {s{\"a\"}} } } }", 0, 0, kBracketKind, set('[', ']', '|', 2, true, true),
         true, "row[ brck{[‸ math\"a\" ] / [ ]} ]"},
        {"no body at all keeps one", kThreeBodies, 1, 1, kBracketKind, set('(', ')', 0, 0, false, false), true,
         "row[ math\"x\" brck{[ math\"a\" ]}‸ ]"},
    };
    for (const SetterCase &row : cases) ExpectSetterCase(row);

    ResetTheEditor();
    ASSERT_TRUE(LoadTestDocument(TheEditor, "Gr { Bg $B {} Br { Gr { Bg {} } } }", 0, 0));
    auto *bracket = static_cast<BracketNode *>(FindNode(TheEditor, kBracketKind));
    ASSERT_TRUE(TheEditor->SetBracketProperties(bracket, '[', 0x27E9, '|', 2, true, false));
    EXPECT_EQ(bracket->left, uint32_t('['));
    EXPECT_EQ(bracket->right, 0x27E9u);
    EXPECT_EQ(bracket->middle, uint32_t('|'));
    EXPECT_TRUE(bracket->asymmetric);
    EXPECT_FALSE(bracket->centered);
    // A delimiter that is no Unicode scalar value is stored as it would read back.
    ASSERT_TRUE(TheEditor->SetBracketProperties(bracket, 0xD800, ')', 0, 2, true, false));
    EXPECT_EQ(bracket->left, 0xFFFDu);
    DestroyTheEditor();
}

TEST(PropertySettersTest, ScriptsStacksIterationsAndIntegrals)
{
    auto scripts = [](bool sub, bool sup, bool pre, bool outer, bool noSlant) {
        return [=](Editor *editor, MathNode *node) {
            return editor->SetScriptProperties(static_cast<ScriptNode *>(node), sub, sup, pre, outer, noSlant);
        };
    };
    auto stack = [](bool lower, bool upper, bool small) {
        return [=](Editor *editor, MathNode *node) {
            return editor->SetStackLabels(static_cast<StackNode *>(node), lower, upper, small);
        };
    };
    auto iteration = [](uint32_t c, bool sm, bool il, bool lower, bool upper, bool modifier) {
        return [=](Editor *editor, MathNode *node) {
            return editor->SetIterationProperties(static_cast<IterationNode *>(node), c, sm, il, lower, upper, modifier);
        };
    };
    auto integral = [](uint32_t c, bool sm, bool il, bool kg, bool gr, bool lower, bool upper) {
        return [=](Editor *editor, MathNode *node) {
            return editor->SetIntegralProperties(static_cast<IntegralNode *>(node), c, sm, il, kg, gr, lower, upper);
        };
    };
    const std::string subSup = "Gr { Bg {} Sb {s{\"x\"}} Sc { Gr (t='subs') { Bg {} Sb $B {s{\"12\"}} } "
                               "Gr (t='sups') { Bg {} Sb {s{\"2\"}} } } }";
    const SetterCase cases[] = {
        {"subscript off with the caret in it", subSup, 1, 1, kScriptKind, scripts(false, true, false, false, false),
         true, "row[ math\"x\" scpt{[ math\"2\" ]}‸ ]"},
        {"subscript off, the caret elsewhere", "Gr { Bg $B {} Sc { Gr (t='subs') { Bg {} Sb {s{\"1\"}} } } }", 0, 0,
         kScriptKind, scripts(false, true, false, true, true), true, "row[‸ scpt{[ ]} ]"},
        {"neither group asked keeps the subscript", subSup, 0, 0, kScriptKind,
         scripts(false, false, false, false, false), true, "row[ math\"x\" scpt{[ math\"‸12\" ]} ]"},
        {"unchanged", subSup, 0, 0, kScriptKind, scripts(true, true, false, false, false), false,
         "row[ math\"x\" scpt{[ math\"‸12\" ] / [ math\"2\" ]} ]"},
        {"stack: small and both labels", "Gr { Bg $B {} St { Gr { Bg {} Sb {s{\"=\"}} } } }", 0, 0, kStackKind,
         stack(true, true, true), true, "row[‸ stck{[ math\"=\" ] / [ ] / [ ]} ]"},
        {"stack: the lower label goes",
         "Gr { Bg {} St { Gr { Bg {} } Gr (t='lowr') { Bg {} Sb $B {s{\"a\"}} } } }", 1, 1, kStackKind,
         stack(false, false, false), true, "row[ stck{[ ]}‸ ]"},
        {"iteration: the modifier group", "Gr { Bg $B {} It { Gr { Bg {} } } }", 0, 0, kIterationKind,
         iteration(0x220F, true, true, false, false, true), true, "row[‸ iter{[ ] / [ ]} ]"},
        {"iteration: limits off", "Gr { Bg {} It { Gr { Bg {} } Gr (t='lowr') { Bg {} Sb $B {s{\"i\"}} } } }", 1, 1,
         kIterationKind, iteration(kSummationCodePoint, false, false, false, true, false), true,
         "row[ iter{[ ] / [ ]}‸ ]"},
        {"integral: limits and sign", "Gr { Bg $B {} In { Gr { Bg {} } } }", 0, 0, kIntegralKind,
         integral(0x222C, true, true, true, true, true, true), true, "row[‸ intg{[ ] / [ ] / [ ]} ]"},
    };
    for (const SetterCase &row : cases) ExpectSetterCase(row);

    // The plain properties reach the nodes.
    ResetTheEditor();
    ASSERT_TRUE(LoadTestDocument(TheEditor, "Gr { Bg $B {} It { Gr { Bg {} } } In { Gr { Bg {} } } }", 0, 0));
    auto *sum = static_cast<IterationNode *>(FindNode(TheEditor, kIterationKind));
    ASSERT_TRUE(TheEditor->SetIterationProperties(sum, 0x220F, true, true, false, false, true));
    EXPECT_EQ(sum->codePoint, 0x220Fu);
    EXPECT_TRUE(sum->small && sum->inlineLimits);
    ASSERT_NE(sum->GetModifier(), nullptr);
    EXPECT_EQ(sum->GetModifier()->role, kModifierRole);
    auto *sign = static_cast<IntegralNode *>(FindNode(TheEditor, kIntegralKind));
    ASSERT_TRUE(TheEditor->SetIntegralProperties(sign, 0x222E, false, true, true, false, true, false));
    EXPECT_EQ(sign->codePoint, 0x222Eu);
    EXPECT_TRUE(!sign->small && sign->inlineLimits && sign->keepGlyph && !sign->grow);
    EXPECT_NE(sign->GetLower(), nullptr);
    EXPECT_EQ(sign->GetUpper(), nullptr);
    DestroyTheEditor();
}

// Bond labels with a drawing and an annotation group hanging on the upper label's anchor: removing
// the label takes both (no link is left bare), and Undo brings them back.
TEST(PropertySettersTest, BondLabelsTakeWhatHangsOnThem)
{
    ResetTheEditor();
    Editor *editor = TheEditor;
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Bd $b { Gr { Bg {} Sb {s{\"C\"}} } Gr (t='uppr') { Bg {} Sb $B {s{\"H\"}} } } }", 1, 1));
    auto *bond = static_cast<BondNode *>(FindNode(editor, kBondKind));
    ASSERT_NE(bond, nullptr);
    auto *drawing = new TestDrawingNode("Ln");
    editor->document.GetRootStructure()->AppendSubnode(drawing);
    new NodeLink(drawing, bond, 'bdup', 0, 0.0f);
    auto *annotation = new GroupNode(kAnnotationRole);
    annotation->AppendSubnode(new RowBeginNode);
    editor->document.GetRootStructure()->AppendSubnode(annotation);
    new NodeLink(annotation, bond, 'bdup', 0, 0.0f);
    // One on the lower-left anchor stays.
    auto *kept = new TestDrawingNode("Ln");
    editor->document.GetRootStructure()->AppendSubnode(kept);
    new NodeLink(kept, bond, 'bdll', 0, 0.0f);
    editor->document.objectSelection.AddElement(drawing);
    std::string before = WithoutHistory(editor);

    uint32_t labels[7] = {0, 0, 0, 0, 'sing', 0, 'doub'};
    uint32_t seconds[7] = {0, 0, 0, 0, 'step', 0, 0};
    ASSERT_TRUE(editor->SetBondEndLabels(bond, labels, seconds));
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    EXPECT_EQ(SketchDocument(editor), "row[ bond{[ math\"C\" ] / [ ]}‸ ] Ln");
    EXPECT_EQ(bond->GetLabel(0), nullptr);
    EXPECT_NE(bond->GetLabel(4), nullptr);
    EXPECT_EQ(bond->styles[4], uint32_t('sing'));
    EXPECT_EQ(bond->angleModes[4], uint32_t('step'));
    EXPECT_EQ(bond->styles[6], uint32_t('doub'));
    std::string text = DocumentText(editor);
    // Only the drawing on 'bdll' and the main group are left at the top level.
    int32_t topLevel = 0;
    KettricStructure *root = editor->document.GetRootStructure();
    for (KettricStructure *top = root->GetFirstSubnodeStructure(); top != nullptr; top = top->GetNextStructure())
        ++topLevel;
    EXPECT_EQ(topLevel, 2) << text;
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0);
    EXPECT_EQ(CheckEditorInvariants(editor), "");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(WithoutHistory(editor), before);

    // Turning the upper label on again makes an empty one.
    bond = static_cast<BondNode *>(FindNode(editor, kBondKind));
    uint32_t upper[7] = {'sing', 0, 0, 0, 0, 0, 0};
    uint32_t none[7] = {};
    ASSERT_TRUE(editor->SetBondEndLabels(bond, none, none));
    ASSERT_TRUE(editor->SetBondEndLabels(bond, upper, none));
    EXPECT_EQ(SketchDocument(editor), "row[ bond{[ math\"C\" ] / [ ]}‸ ] Ln");
    DestroyTheEditor();
}

TEST(PropertySettersTest, MatrixCellsKeepTheirRowAndColumn)
{
    ResetTheEditor();
    Editor *editor = TheEditor;
    std::string cells;
    for (const char *cell : {"a", "b", "c", "d"}) cells += std::string(" Gr { Bg {} Sb {s{\"") + cell + "\"}} }";
    // Drawings on the cell anchors of (1, 1) and (0, 1): 'cell' points count in row order.
    std::string text = "Gr { Bg $B {} Mx $m " + MatrixCounts(2, 2) + " {" + cells + " } }";
    ASSERT_TRUE(LoadTestDocument(editor, text.c_str(), 0, 0));
    auto *matrix = static_cast<MatrixNode *>(FindNode(editor, kMatrixKind));
    ASSERT_NE(matrix, nullptr);
    auto addDrawing = [&](int32_t index) {
        auto *drawing = new TestDrawingNode("Ln");
        editor->document.GetRootStructure()->AppendSubnode(drawing);
        return new NodeLink(drawing, matrix, kMatrixCellAnchorKind, index, 0.0f);
    };
    NodeLink *lastCell = addDrawing(3);
    NodeLink *secondCell = addDrawing(1);
    std::string before = WithoutHistory(editor);

    ASSERT_TRUE(editor->SetMatrixCells(matrix, 3, 3));
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    EXPECT_EQ(SketchDocument(editor),
              "row[‸ mtrx{[ math\"a\" ] / [ math\"b\" ] / [ ] / [ math\"c\" ] / [ math\"d\" ] / [ ] / [ ] / [ ] / [ ]} ] Ln Ln");
    EXPECT_EQ(matrix->rowCount, 3);
    EXPECT_EQ(matrix->columnCount, 3);
    EXPECT_TRUE(matrix->middleBaseline);
    EXPECT_EQ(lastCell->anchorIndex, 4);
    EXPECT_EQ(secondCell->anchorIndex, 1);

    ASSERT_TRUE(editor->SetMatrixCells(matrix, 2, 2));
    EXPECT_EQ(SketchDocument(editor), "row[‸ mtrx{[ math\"a\" ] / [ math\"b\" ] / [ math\"c\" ] / [ math\"d\" ]} ] Ln Ln");
    EXPECT_FALSE(matrix->middleBaseline);
    EXPECT_EQ(lastCell->anchorIndex, 3);
    EXPECT_EQ(CheckEditorInvariants(editor), "");
    ASSERT_TRUE(editor->Undo());
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(WithoutHistory(editor), before);

    // Shrinking to one cell with the caret in a deleted one; counts are kept within 1-32.
    ASSERT_TRUE(RestoreTestText(editor, text.c_str(), 0, 0));
    matrix = static_cast<MatrixNode *>(FindNode(editor, kMatrixKind));
    MathNode *d = matrix->GetLastMathSubnode()->GetLastMathSubnode();
    editor->SetSelection({d, 1}, {d, 1});
    ASSERT_TRUE(editor->SetMatrixCells(matrix, 0, -5));
    EXPECT_EQ(SketchDocument(editor), "row[ mtrx{[ math\"a\" ]}‸ ]");
    EXPECT_EQ(matrix->rowCount, 1);
    EXPECT_TRUE(matrix->middleBaseline);
    ASSERT_TRUE(editor->SetMatrixCells(matrix, 40, 1));
    EXPECT_EQ(matrix->rowCount, kMaxMatrixCount);
    EXPECT_EQ(CheckEditorInvariants(editor), "");
    DestroyTheEditor();
}

}  // namespace
}  // namespace oq::test
