// Matrices: reading and writing the Kettric form, the grid layout with the factory design, anchors,
// the cell operations and the LaTeX and MathML forms.
#include "support/DocumentTestKinds.h"

#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"
#include "editor/structures/MatrixNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::ResultText;
using test::StructureTestDocument;

std::string Cells(int32_t count, const char *cell = "Gr { Bg {} }")
{
    std::string text;
    for (int32_t i = 0; i < count; ++i) text += std::string(" ") + cell;
    return text;
}

std::string Matrix(const std::string &properties, int32_t cells, const std::string &after = "")
{
    return "Gr { Bg {} Mx $m " + properties + " {" + Cells(cells) + " } }" + after;
}

TEST(Matrix, ReadsChecksAndWritesItsProperties)
{
    const struct
    {
        std::string text;
        const char *result;
        const char *head;  // the head written back, when read
    } cases[] = {
        {Matrix("(r=2,c=2)", 3), "MSSB", nullptr},
        {Matrix("(r=2,c=2)", 5), "EXSB", nullptr},
        {Matrix("(r=2,c=2)", 0), "MSSB", nullptr},
        {Matrix("(r=33,c=1)", 33), "IVPV", nullptr},
        {Matrix("(r=0,c=1)", 1), "IVPV", nullptr},
        {Matrix("(r=1,c=1,al='xxxx')", 1), "0", "Mx (r=1,c=1)\n"},
        {Matrix("(r=2,c=3,al='left',eh)", 6), "0", "Mx (r=2,c=3,al='left',eh)\n"},
        {Matrix("(r=1,c=2,cg,rg,ew,mb,al='rght')", 2), "0", "Mx (r=1,c=2,al='rght',mb,ew,rg,cg)\n"},
        {"Gr { Bg {} Mx $m (r=1,c=2) { Gr (t='numr') { Bg {} } Gr (t='anno') { Bg {} } } }", "0",
         "Mx (r=1,c=2)\n"},
        {"Gr { Bg {} Mx (r=1,c=1) { Fx {} } }", "IVST", nullptr},
    };
    for (const auto &c : cases)
    {
        StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.text.c_str())), c.result) << c.text;
        if (c.head == nullptr) continue;
        std::string written = document.WriteText();
        EXPECT_NE(written.find(c.head), std::string::npos) << written;
        StructureTestDocument again;
        ASSERT_EQ(ResultText(again.ParseAndResolve(written.c_str())), "0") << written;
        EXPECT_EQ(again.WriteText(), written);
    }
}

TEST(Matrix, FactoryLayoutOfEmptyCells)
{
    {
        StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(Matrix("(r=1,c=1)", 1).c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *matrix = document.Find<MatrixNode>("m");
        ASSERT_NE(matrix, nullptr);
        EXPECT_NEAR(matrix->width, 9.16667f, 1e-3f);
        EXPECT_NEAR(matrix->top, 8.82066f, 1e-3f);
        EXPECT_NEAR(matrix->bottom, -3.19856f, 1e-3f);
        EXPECT_NEAR((matrix->top + matrix->bottom) * 0.5f, 2.81105f, 1e-3f);
        auto *cell = static_cast<GroupNode *>(matrix->GetFirstMathSubnode());
        EXPECT_NEAR(cell->position.x, 1.83333f, 1e-3f);
    }
    {
        StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(Matrix("(r=2,c=2)", 4).c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *matrix = document.Find<MatrixNode>("m");
        ASSERT_NE(matrix, nullptr);
        EXPECT_NEAR(matrix->width, 25.66667f, 1e-3f);
        const Point2D *points = nullptr;
        ASSERT_EQ(matrix->GetAnchorPoints(kMatrixCellAnchorKind, &points), 9);
        const Point2D origin = matrix->absolutePosition;
        const float xs[3] = {0.0f, 12.83333f, 25.66667f}, ys[3] = {17.07066f, 2.81105f, -11.44856f};
        for (int32_t k = 0; k < 3; ++k)
        {
            for (int32_t j = 0; j < 3; ++j)
            {
                EXPECT_NEAR(points[k * 3 + j].x - origin.x, xs[j], 1e-3f) << k << j;
                EXPECT_NEAR(points[k * 3 + j].y - origin.y, ys[k], 1e-3f) << k << j;
            }
        }
        ASSERT_EQ(matrix->GetAnchorPoints(kMatrixCornerAnchorKind, &points), 4);
        EXPECT_NEAR(points[0].x - origin.x, -6.875f, 1e-3f);
        EXPECT_NEAR(points[0].y - origin.y, 21.19566f, 1e-3f);
        ASSERT_EQ(matrix->GetAnchorPoints(kMatrixOuterRowAnchorKind, &points), 4);
        EXPECT_NEAR(points[1].x - origin.x, 25.66667f + 6.875f, 1e-3f);
        ASSERT_EQ(matrix->GetAnchorPoints(kMatrixOuterColumnAnchorKind, &points), 4);
        EXPECT_NEAR(points[1].y - origin.y, -11.44856f - 4.125f, 1e-3f);
        // Row baselines 7.4195 and -9.0805.
        auto *first = static_cast<GroupNode *>(matrix->GetFirstMathSubnode());
        auto *third = static_cast<GroupNode *>(first->GetNextMathNode()->GetNextMathNode());
        EXPECT_NEAR(first->position.y - first->GetBaselineOffset(&design), 7.4195f, 1e-3f);
        EXPECT_NEAR(third->position.y - third->GetBaselineOffset(&design), -9.0805f, 1e-3f);
    }
}

TEST(Matrix, AnchorCounts)
{
    const struct
    {
        int32_t r, c;
        int32_t counts[8];  // mtrx, cell, mrow, mcol, orow, ocol, lrow, lcol
    } cases[] = {
        {1, 1, {4, 4, 2, 2, 2, 2, 0, 0}},
        {2, 3, {4, 12, 8, 9, 4, 6, 2, 4}},
    };
    const uint32_t kinds[8] = {kMatrixCornerAnchorKind,        kMatrixCellAnchorKind,      kMatrixRowAxisAnchorKind,
                               kMatrixColumnCentreAnchorKind,  kMatrixOuterRowAnchorKind,  kMatrixOuterColumnAnchorKind,
                               kMatrixRowLineAnchorKind,       kMatrixColumnLineAnchorKind};
    for (const auto &c : cases)
    {
        StructureTestDocument document;
        std::string text = Matrix("(r=" + std::to_string(c.r) + ",c=" + std::to_string(c.c) + ")", c.r * c.c);
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *matrix = document.Find<MatrixNode>("m");
        for (int32_t i = 0; i < 8; ++i)
        {
            const Point2D *points = nullptr;
            EXPECT_EQ(matrix->GetAnchorPoints(kinds[i], &points), c.counts[i]) << c.r << "x" << c.c << " " << i;
        }
        const uint32_t *list = nullptr;
        EXPECT_EQ(matrix->GetAnchorKinds(&list), 10);
    }
}

TEST(Matrix, MiddleBaselineEqualWidthsAndCellAlignment)
{
    // With "mb" the baseline is row 1's with 3 rows and halfway between rows 1 and 2 with 4.
    for (int32_t rows : {3, 4})
    {
        StructureTestDocument document;
        std::string text = Matrix("(r=" + std::to_string(rows) + ",c=1,mb)", rows);
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *matrix = document.Find<MatrixNode>("m");
        float baselines[4] = {};
        int32_t k = 0;
        for (MathNode *node = matrix->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode(), ++k)
            baselines[k] = node->position.y - static_cast<GroupNode *>(node)->GetBaselineOffset(&design);
        float expected = rows == 3 ? baselines[1] : (baselines[1] + baselines[2]) * 0.5f;
        EXPECT_NEAR(expected, 0.0f, 1e-4f) << rows;
    }
    // A 'rght' cell in a 'cent' matrix sits at its column's right edge; "ew" widens the narrow column.
    StructureTestDocument document;
    const char *text = "Gr { Bg {} Mx $m (r=2,c=2,ew) { Gr { Bg {} Fx (w=10,t=5,b=-1) {} } Gr { Bg {} Fx (w=2,t=5,b=-1) {} } "
                       "Gr (al='rght') { Bg {} Fx (w=4,t=5,b=-1) {} } Gr { Bg {} Fx (w=2,t=5,b=-1) {} } } }";
    ASSERT_EQ(ResultText(document.ParseAndResolve(text)), "0");
    Design design;
    document.LayoutAll(&design);
    auto *matrix = document.Find<MatrixNode>("m");
    MathNode *cells[4];
    int32_t n = 0;
    for (MathNode *node = matrix->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode()) cells[n++] = node;
    ASSERT_EQ(n, 4);
    EXPECT_NEAR(cells[2]->position.x + cells[2]->width, cells[0]->position.x + cells[0]->width, 1e-3f);
    EXPECT_NEAR(cells[1]->position.x + cells[1]->width * 0.5f, cells[3]->position.x + cells[3]->width * 0.5f, 1e-3f);
    const Point2D *points = nullptr;
    ASSERT_EQ(matrix->GetAnchorPoints(kMatrixCellAnchorKind, &points), 9);
    // Both columns are 10 wide.
    EXPECT_NEAR((points[2].x - points[1].x) - (points[1].x - points[0].x), 0.0f, 1e-3f);
}

TEST(Matrix, InsertCellMakesAnEmptyMiddleBaselineCell)
{
    MatrixNode matrix(1, 2);
    GroupNode *first = MatrixNode::InsertCell(&matrix, nullptr);
    GroupNode *last = MatrixNode::InsertCell(&matrix, nullptr);
    GroupNode *middle = MatrixNode::InsertCell(&matrix, first);
    EXPECT_EQ(first->GetNextMathNode(), middle);
    EXPECT_EQ(middle->GetNextMathNode(), last);
    EXPECT_EQ(middle->role, 0u);
    EXPECT_EQ(middle->baselineRow, kBaselineMiddle);
    auto *row = dynamic_cast<RowBeginNode *>(middle->GetFirstMathSubnode());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->lineGap, -1.0f);
    EXPECT_EQ(row->GetNextMathNode(), nullptr);
}

// A drawing linked at one matrix anchor: the link's index after the resize, or -1 when the drawing
// went with its point.
TEST(Matrix, ResizeFollowsOrRemovesLinks)
{
    const struct
    {
        int32_t r, c, R, C;
        const char *kind;
        int32_t index;
        int32_t expected;
    } cases[] = {
        {2, 2, 2, 3, "cell", 4, 5},  {3, 3, 2, 2, "cell", 15, -1}, {3, 3, 4, 3, "lrow", 2, 3},
        {3, 3, 2, 2, "mtrx", 3, 3},  {3, 3, 1, 1, "cent", 1, 1},    {2, 2, 2, 3, "mrow", 5, 6},
        {2, 2, 3, 2, "mcol", 4, 5},  {3, 3, 2, 3, "orow", 5, -1},   {3, 3, 3, 2, "ocol", 3, 3},
        {2, 3, 2, 2, "lcol", 2, 1},  {1, 1, 3, 1, "lrow", 1, 1},    {2, 2, 1, 1, "lrow", 0, -1},
    };
    for (const auto &c : cases)
    {
        StructureTestDocument document;
        std::string text = Matrix("(r=" + std::to_string(c.r) + ",c=" + std::to_string(c.c) + ")", c.r * c.c,
                                  " Dr $d { X { ref{$m} u32{'" + std::string(c.kind) + "'} i32{" +
                                      std::to_string(c.index) + "} } }");
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        auto *matrix = document.Find<MatrixNode>("m");
        MatrixNode::Resize(matrix, c.R, c.C);
        EXPECT_EQ(matrix->rowCount, c.R);
        EXPECT_EQ(matrix->columnCount, c.C);
        NodeLink *link = matrix->GetFirstIncomingLink();
        if (c.expected < 0)
        {
            EXPECT_EQ(link, nullptr) << c.kind << c.index;
            EXPECT_EQ(document.Find<DocumentNode>("d"), nullptr);
            continue;
        }
        ASSERT_NE(link, nullptr) << c.kind << c.index;
        EXPECT_EQ(link->anchorIndex, c.expected) << c.kind << c.index;
    }
}

TEST(Matrix, ResizeDestroysEachSourceOnceAndKeepsLinkedCells)
{
    test::TestNodeRegistry::Reset();
    {
        StructureTestDocument document;
        // A line on two vanishing points, and a cell, a group inside a cell and
        // the enclosing group linked at vanishing points.
        std::string text =
            "Gr $g { Bg {} Mx $m (r=3,c=3) { Gr $c { Bg {} Gr $i { Bg {} } X { ref{$m} u32{'cell'} i32{15} } } " +
            Cells(8) + " } X { ref{$m} u32{'orow'} i32{5} } }" +
            " Dr $l { X { ref{$m,$m} u32{'cell','ocol'} i32{15,5} } }";
        std::string fixed = text;
        // The group in a cell links too.
        fixed.replace(fixed.find("Gr $i { Bg {} }"), 15, "Gr $i { Bg {} X { ref{$m} u32{'mcol'} i32{11} } }");
        ASSERT_EQ(ResultText(document.ParseAndResolve(fixed.c_str())), "0") << fixed;
        auto *matrix = document.Find<MatrixNode>("m");
        MatrixNode::Resize(matrix, 2, 2);
        int32_t topLevel = 0;
        for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
             s = static_cast<KettricStructure *>(s->GetNextNode()))
            ++topLevel;
        EXPECT_EQ(topLevel, 1);  // the line is gone
        EXPECT_NE(document.Find<DocumentNode>("c"), nullptr);
        EXPECT_NE(document.Find<DocumentNode>("i"), nullptr);
        EXPECT_NE(document.Find<DocumentNode>("g"), nullptr);
        EXPECT_EQ(matrix->GetFirstIncomingLink(), nullptr);
        int32_t cells = 0;
        for (MathNode *node = matrix->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode()) ++cells;
        EXPECT_EQ(cells, 9);
    }
    EXPECT_TRUE(test::TestNodeRegistry::AllDestroyedOnce());
}

TEST(Matrix, VariantNavigationAndHandleColours)
{
    MatrixNode matrix(2, 2);
    GroupNode *cells[4];
    for (GroupNode *&cell : cells) cell = MatrixNode::InsertCell(&matrix, nullptr);
    EXPECT_TRUE(matrix.HasVariant());
    matrix.CycleVariant();
    EXPECT_TRUE(matrix.middleBaseline);
    EXPECT_EQ(matrix.GetFirstGroup(), cells[0]);
    EXPECT_EQ(matrix.GetLastGroup(), cells[3]);
    EXPECT_EQ(matrix.GetNextGroup(cells[1]), cells[2]);
    EXPECT_EQ(matrix.GetPreviousGroup(cells[0]), nullptr);
    EXPECT_EQ(matrix.GetGroupBelow(cells[1]), cells[3]);
    EXPECT_EQ(matrix.GetGroupAbove(cells[1]), nullptr);
    EXPECT_EQ(matrix.GetGroupAbove(cells[2]), cells[0]);
    EXPECT_EQ(matrix.GetGroupBelow(cells[2]), nullptr);

    Preferences preferences;
    EXPECT_EQ(matrix.GetAnchorHandleColor(&preferences, 0), &preferences.colors[kColorEquationAnchor]);
    EXPECT_EQ(matrix.GetAnchorHandleColor(&preferences, kCentreAnchorKind), &preferences.colors[kColorEquationAnchor]);
    EXPECT_EQ(matrix.GetAnchorHandleColor(&preferences, kMatrixCellAnchorKind), &preferences.colors[kColorSpecialAnchor]);
    EXPECT_EQ(matrix.GetAnchorHandleColor(&preferences, kMatrixColumnLineAnchorKind),
              &preferences.colors[kColorSpecialAnchor]);
}

TEST(Matrix, WritesLatexAndMathML)
{
    StructureTestDocument document;
    const char *text = "Gr { Bg {} Mx $m (r=2,c=2,eh,ew) { Gr { Bg {} Fx {} } Gr { Bg {} } Gr { Bg {} } Gr { Bg {} } } }";
    ASSERT_EQ(ResultText(document.ParseAndResolve(text)), "0");
    auto *matrix = document.Find<MatrixNode>("m");
    MathWriterState state;
    TextString latex;
    matrix->WriteLatex(&state, &latex);
    std::string written(latex);
    EXPECT_EQ(written.rfind("\\begin{matrix}", 0), 0u) << written;
    EXPECT_NE(written.find(" & "), std::string::npos) << written;
    EXPECT_NE(written.find(" \\\\ "), std::string::npos) << written;
    EXPECT_EQ(written.substr(written.size() - 12), "\\end{matrix}");

    state.displayStyle = 1;
    TextString mathml;
    matrix->WriteMathML(&state, &mathml);
    std::string ml(mathml);
    EXPECT_EQ(ml.rfind("<mtable equalrows=\"true\" equalcolumns=\"true\"><mtr><mtd>", 0), 0u) << ml;
    EXPECT_NE(ml.find("</mtd></mtr></mtable>"), std::string::npos) << ml;
    EXPECT_EQ(state.displayStyle, 1);
}

}  // namespace
}  // namespace oq
