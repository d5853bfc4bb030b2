// Display limits of iterations and integrals measured against TeX's limits rule on an operator box of
// the same size: with the design mapped to TeX's parameters the limits' baselines and the node's
// extent equal TeX's (an integral's slant shifts its limits only sideways).
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/structures/IntegralNode.h"
#include "editor/structures/IterationNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::ResultText;

// The operator box our nominal operator has at fsiz 10, lgsz 2, axis 0.25 (no glyph is laid out).
const char *const kOperator = "\\mathop{\\vrule height 12.5pt depth 7.5pt width 6pt}\\limits";

const test::TexLayoutOracle &Oracle(std::string *failure)
{
    static std::string result;
    static test::TexLayoutOracle oracle = [] {
        test::TexLayoutOracle o;
        o.Add(std::string(kOperator) + "^{" + test::TexRuleBox(5, 3, 3) + "}");
        o.Add(std::string(kOperator) + "_{" + test::TexRuleBox(7, 1, 3) + "}");
        // What the writer gives for a display sum in a numerator, and the same without the switch.
        o.Add("\\dfrac{\\displaystyle\\sum_{x}^{x}{x}}{x}");
        o.Add("\\dfrac{\\sum_{x}^{x}{x}}{x}");
        result = o.Run();
        return o;
    }();
    *failure = result;
    return oracle;
}

TEST(IterationTexLayout, DisplayLimitsAreTexLimits)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = Oracle(&failure);
    ASSERT_EQ(failure, "");
    const test::TexFontParams &font = oracle.GetFontParams();
    const double mu = 10.0 / 18.0;
    const double (&xi)[14] = font.xi[0];
    // The nominal operator box (no glyph is laid out) and the drawn integral sign share it.
    const struct
    {
        const char *identifier;
        uint32_t group;
    } kinds[] = {{"It", kIterationKind}, {"In", kIntegralKind}};
    for (const auto &kind : kinds)
    {
        for (int32_t upperCase = 1; upperCase >= 0; --upperCase)
        {
            SCOPED_TRACE(kind.identifier);
            Design design;
            test::SetTexDerivedDesign(font, &design);
            ASSERT_TRUE(test::SetDesignParam(&design, 0, 'axis', 0.25F));
            ASSERT_TRUE(test::SetDesignParam(&design, kind.group, 'lgsz', 2.0F));
            float scale = GetGroupParam(&design, kind.group, 'scl0');
            float capital = GetGeneralParam(&design, 'cptl');
            if (upperCase != 0)
            {
                ASSERT_TRUE(test::SetDesignParam(&design, kind.group, 'vtsp', float(xi[11] / mu)));
                ASSERT_TRUE(test::SetDesignParam(&design, kind.group, 'vtgp', float(xi[9] / mu)));
            }
            else
            {
                ASSERT_TRUE(test::SetDesignParam(&design, kind.group, 'vtsp', float((xi[12] - scale * capital * 10.0) / mu)));
                ASSERT_TRUE(test::SetDesignParam(&design, kind.group, 'vtgp', float(xi[10] / mu)));
            }
            std::string limit = upperCase != 0 ? "Gr $l (t='uppr') { Bg {} Fx (w=3,t=5,b=-3) {} }"
                                               : "Gr $l (t='lowr') { Bg {} Fx (w=3,t=7,b=-1) {} }";
            test::StructureTestDocument document;
            std::string text = "Gr { Bg {} " + std::string(kind.identifier) + " $i { " + limit + " Gr { Bg {} } } }";
            ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
            document.LayoutAll(&design);
            auto *it = document.Find<MathNode>("i");
            auto *group = document.Find<GroupNode>("l");
            ASSERT_NE(it, nullptr);
            // The limit's box stays beyond the empty-row box at its scale.
            ASSERT_EQ(group->top, upperCase != 0 ? 5.0F : 7.0F);
            test::TexBox box = oracle.GetBox(upperCase != 0 ? 0 : 1);
            if (upperCase != 0)
            {
                EXPECT_NEAR(box.height, 22.61111, 1e-4);
                EXPECT_NEAR(it->top, box.height - xi[13], test::kTexLayoutTolerance);
                EXPECT_NEAR(group->position.y, box.height - xi[13] - 5.0, test::kTexLayoutTolerance);
            }
            else
            {
                EXPECT_NEAR(box.depth, 18.16666, 1e-4);
                EXPECT_NEAR(-it->bottom, box.depth - xi[13], test::kTexLayoutTolerance);
                EXPECT_NEAR(group->position.y, -(box.depth - xi[13] - 1.0), test::kTexLayoutTolerance);
            }
        }
    }
}

// The display-style switch the writer puts into a numerator makes TeX set a display sum there.
TEST(IterationTexLayout, SwitchInANumeratorSetsADisplaySum)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = Oracle(&failure);
    ASSERT_EQ(failure, "");
    // Computer Modern: 32.91393 pt with the switch, 14.94173 pt without.
    EXPECT_NEAR(oracle.GetBox(2).height, 32.91393, 1e-4);
    EXPECT_NEAR(oracle.GetBox(3).height, 14.94173, 1e-4);
}

}  // namespace
}  // namespace oq
