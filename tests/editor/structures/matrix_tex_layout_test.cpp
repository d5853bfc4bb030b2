// Matrix layout measured against amsmath's matrix: with the design mapped to TeX's array (no outer
// or vertical spacing, column gap 2 \arraycolsep, row spacing \baselineskip, no row gap) a matrix of
// rule boxes taller and deeper than the array strut has TeX's width, height and depth.
#include "StructureFixtures.h"

#include "editor/structures/MatrixNode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace oq {
namespace {

using test::ResultText;

// A cell's box: height, depth and width in points.
struct CellBox
{
    double height, depth, width;
};

// Three rows of two cells, each beyond the strut (8.4 pt high, 3.6 pt deep at 10 pt) and beyond our
// empty row's box.
const CellBox kCells[3][2] = {
    {{9, 4, 6}, {10, 5, 3}},
    {{9.5, 4, 2}, {9, 6, 7}},
    {{9, 4, 1}, {9, 4, 1}},
};

const test::TexLayoutOracle &Oracle(std::string *failure)
{
    static std::string result;
    static test::TexLayoutOracle oracle = [] {
        test::TexLayoutOracle o;
        std::string matrix = "\\begin{matrix}";
        for (int32_t k = 0; k < 3; ++k)
        {
            if (k > 0) matrix += " \\\\ ";
            for (int32_t j = 0; j < 2; ++j)
            {
                const CellBox &box = kCells[k][j];
                matrix += (j > 0 ? " & " : "") + test::TexRuleBox(box.height, box.depth, box.width);
            }
        }
        o.Add(matrix + "\\end{matrix}");
        result = o.Run();
        return o;
    }();
    *failure = result;
    return oracle;
}

TEST(MatrixTexLayout, RuleBoxMatrixIsTexMatrix)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = Oracle(&failure);
    ASSERT_EQ(failure, "");
    Design design;
    test::SetTexDerivedDesign(oracle.GetFontParams(), &design);
    const struct
    {
        uint32_t key;
        float value;
    } rows[] = {{'clgp', 18.0f}, {'rwsp', 1.2f}, {'rwgp', 0.0f}, {'exsp', 0.0f}, {'vtsp', 0.0f}};
    for (const auto &row : rows) ASSERT_TRUE(test::SetDesignParam(&design, kMatrixKind, row.key, row.value));
    ASSERT_TRUE(test::SetDesignParam(&design, 0, 'axis', 0.25f));

    std::string text = "Gr { Bg {} Mx $m (r=3,c=2) {";
    for (const auto &row : kCells)
    {
        for (const CellBox &box : row)
        {
            char cell[96];
            std::snprintf(cell, sizeof(cell), " Gr { Bg {} Fx (w=%.9g,t=%.9g,b=%.9g) {} }", box.width, box.height,
                          -box.depth);
            text += cell;
        }
    }
    text += " } }";
    test::StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    document.LayoutAll(&design);
    auto *matrix = document.Find<MatrixNode>("m");
    ASSERT_NE(matrix, nullptr);
    // The cells keep their rule boxes (beyond the empty row's box).
    for (MathNode *cell = matrix->GetFirstMathSubnode(); cell != nullptr; cell = cell->GetNextMathNode())
        ASSERT_GE(cell->top, 9.0f);

    test::TexBox box = oracle.GetBox(0);
    // Computer Modern's figures, a check of the oracle itself.
    EXPECT_NEAR(box.width, 23.0, test::kTexLayoutTolerance);
    EXPECT_NEAR(box.height, 24.25, test::kTexLayoutTolerance);
    EXPECT_NEAR(box.depth, 19.25, test::kTexLayoutTolerance);
    EXPECT_NEAR(matrix->width, box.width, test::kTexLayoutTolerance);
    EXPECT_NEAR(matrix->top, box.height, test::kTexLayoutTolerance);
    EXPECT_NEAR(-matrix->bottom, box.depth, test::kTexLayoutTolerance);
}

}  // namespace
}  // namespace oq
