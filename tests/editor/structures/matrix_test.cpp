// Matrices: reading and writing the Kettric form, the grid layout with the factory design (equal
// rows and columns, the middle baseline, the gap margins) and navigation between cells.
#include "MatrixFixtures.h"
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/fonts/Design.h"
#include "editor/structures/MatrixNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::ResultText;
using test::StructureTestDocument;

std::string Matrix(const std::string &properties, int32_t cells)
{
    return test::MatrixEquation(properties, cells);
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

// A deep copy (as copy and paste make it) keeps the counts, "al", the flags and the cells, but no
// anchor points until it is laid out.
TEST(Matrix, DeepCopyKeepsPropertiesAndCells)
{
    StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(Matrix("(r=2,c=3,al='rght',mb,eh,ew,rg,cg)", 6).c_str())), "0");
    Design design;
    document.LayoutAll(&design);
    auto *matrix = document.Find<MatrixNode>("m");
    DocumentNode *copied = matrix->DeepCopy();
    auto *copy = dynamic_cast<MatrixNode *>(copied);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->rowCount, 2);
    EXPECT_EQ(copy->columnCount, 3);
    EXPECT_EQ(copy->alignment, kAlignRight);
    EXPECT_TRUE(copy->middleBaseline && copy->equalHeights && copy->equalWidths && copy->rowGaps && copy->columnGaps);
    int32_t cells = 0;
    for (MathNode *node = copy->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode()) ++cells;
    EXPECT_EQ(cells, 6);
    const Point2D *points = nullptr;
    EXPECT_EQ(copy->GetAnchorPoints(kMatrixCellAnchorKind, &points), 0);
    EXPECT_EQ(copy->GetAnchorPoints(kMatrixCornerAnchorKind, &points), 0);
    delete copied;
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
        // The row's baseline is the shift that centres the matrix on the axis.
        EXPECT_NEAR(cell->position.y - cell->GetBaselineOffset(&design), -0.8305f, 1e-3f);
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
        // Row baselines 7.4195 and -9.0805.
        auto *first = static_cast<GroupNode *>(matrix->GetFirstMathSubnode());
        auto *third = static_cast<GroupNode *>(first->GetNextMathNode()->GetNextMathNode());
        EXPECT_NEAR(first->position.y - first->GetBaselineOffset(&design), 7.4195f, 1e-3f);
        EXPECT_NEAR(third->position.y - third->GetBaselineOffset(&design), -9.0805f, 1e-3f);
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

// The margins around the cells with the factory design (m = 11 / 18): "rg" makes each margin at least
// half the gap to an imaginary empty row beyond the first or last row, "cg" makes the side margins
// half a column gap.
TEST(Matrix, RowAndColumnGapMargins)
{
    Design design;
    const float E = 11.0f, m = E / 18.0f;
    const float U = E * GetGeneralParam(&design, 'cptl') + 0.875f * m;  // the empty row's top
    const struct
    {
        const char *properties;
        const char *cell;
        float top, bottom, side;  // margins in m; top or bottom < 0: the empty cell's values below
    } cases[] = {
        {"(r=1,c=1)", "Gr { Bg {} Fx (w=4,t=20,b=-20) {} }", 3.0f, 3.0f, 3.0f},
        // Tall and deep: the imaginary rows sit Q beyond, the top one at T - 0.875 m + Q.
        {"(r=1,c=1,rg)", "Gr { Bg {} Fx (w=4,t=20,b=-20) {} }", 3.625f, 4.5f, 3.0f},
        {"(r=1,c=1,cg)", "Gr { Bg {} Fx (w=4,t=20,b=-20) {} }", 3.0f, 3.0f, 9.0f},
        {"(r=1,c=1,rg,cg)", "Gr { Bg {} Fx (w=4,t=20,b=-20) {} }", 3.625f, 4.5f, 9.0f},
        // An empty cell: the row spacing S = 1.5 em decides.
        {"(r=1,c=1,rg)", "Gr { Bg {} }", -1.0f, -1.0f, 3.0f},
    };
    for (const auto &c : cases)
    {
        StructureTestDocument document;
        std::string text = "Gr { Bg {} Mx $m " + std::string(c.properties) + " { " + c.cell + " } }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        document.LayoutAll(&design);
        auto *matrix = document.Find<MatrixNode>("m");
        auto *cell = static_cast<GroupNode *>(matrix->GetFirstMathSubnode());
        float cellTop = cell->position.y + cell->top, cellBottom = cell->position.y + cell->bottom;
        float top = c.top, bottom = c.bottom;
        if (top < 0.0f)
        {
            float T = cell->top, B = cell->bottom;
            top = (1.5f * E - 0.875f * m - T) * 0.5f / m;
            bottom = (1.5f * E - U + B) * 0.5f / m;
            ASSERT_GT(top, 3.0f) << "the case must not fall back to P";
            ASSERT_GT(bottom, 3.0f) << "the case must not fall back to P";
        }
        EXPECT_NEAR(matrix->top - cellTop, top * m, 1e-4f) << text;
        EXPECT_NEAR(cellBottom - matrix->bottom, bottom * m, 1e-4f) << text;
        EXPECT_NEAR(cell->position.x, c.side * m, 1e-4f) << text;
        EXPECT_NEAR(matrix->width, 2.0f * c.side * m + cell->width, 1e-4f) << text;
    }
}

// "eh": every row as high and deep as the largest, so tall rows space the baselines evenly.
TEST(Matrix, EqualHeights)
{
    const float m = 11.0f / 18.0f;
    for (bool equal : {false, true})
    {
        StructureTestDocument document;
        std::string text = std::string("Gr { Bg {} Mx $m (r=3,c=1") + (equal ? ",eh" : "") +
                           ") { Gr { Bg {} Fx (w=1,t=20,b=-1) {} } Gr { Bg {} Fx (w=1,t=1,b=-1) {} } "
                           "Gr { Bg {} Fx (w=1,t=1,b=-20) {} } } }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *matrix = document.Find<MatrixNode>("m");
        MathNode *cells[3];
        int32_t n = 0;
        for (MathNode *node = matrix->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode()) cells[n++] = node;
        // 20 + 20 + Q (9 m) with "eh"; without, the row spacing 1.5 em (16.5) beats 1 + 1 + Q.
        float step = equal ? 40.0f + 9.0f * m : 16.5f;
        EXPECT_NEAR(cells[0]->position.y - cells[1]->position.y, step, 1e-4f) << equal;
        EXPECT_NEAR(cells[1]->position.y - cells[2]->position.y, step, 1e-4f) << equal;
    }
}

TEST(Matrix, VariantAndNavigation)
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

}

}  // namespace
}  // namespace oq
