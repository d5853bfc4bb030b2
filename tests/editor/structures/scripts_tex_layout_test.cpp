// A single script on a character measured against TeX's subscript-only and superscript-only rules:
// with the script parameters mapped to TeX's, our script's baseline is TeX's shift. Both scripts
// follow a rule of their own: the superscript stays above and the gap is at least 'vtgp' points.
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/structures/ScriptNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::ResultText;

struct ScriptCase
{
    bool superscript;
    double height, depth;
    double texFigure;  // Computer Modern's depth (subscript) or shift (superscript) where known, else 0
};

// Script boxes taller than 3.3 pt and deeper than 0.32 pt: the slot's empty-row box stays inside.
const ScriptCase kCases[] = {
    {false, 6.0, 1.0, 3.55557},
    {false, 3.5, 0.5, 0.0},
    {false, 12.0, 2.0, 0.0},
    {true, 3.3, 4.0, 5.07639},
    {true, 5.0, 0.5, 0.0},
    {true, 9.0, 3.0, 0.0},
};

const test::TexLayoutOracle &Oracle(std::string *failure)
{
    static std::string result;
    static test::TexLayoutOracle oracle = [] {
        test::TexLayoutOracle o;
        for (const ScriptCase &c : kCases)
            o.Add(std::string("x") + (c.superscript ? "^{" : "_{") + test::TexRuleBox(c.height, c.depth, 1.0) + "}");
        result = o.Run();
        return o;
    }();
    *failure = result;
    return oracle;
}

// The script parameters as TeX's (fsiz 10): sbas = -sigma16, cptl - axis = 4/5 sigma5, axis = sigma5 / 4,
// spas = sigma13 (display style), all over 10 pt.
void SetTexScriptDesign(const test::TexFontParams &font, Design *design)
{
    const double (&sigma)[23] = font.sigma[0];
    EXPECT_TRUE(test::SetDesignParam(design, 0, 'fsiz', 10.0F));
    EXPECT_TRUE(test::SetDesignParam(design, 0, 'axis', float(sigma[5] / 40.0)));
    EXPECT_TRUE(test::SetDesignParam(design, 0, 'cptl', float(0.8 * sigma[5] / 10.0 + sigma[5] / 40.0)));
    EXPECT_TRUE(test::SetDesignParam(design, kScriptKind, 'sbas', float(-sigma[16] / 10.0)));
    EXPECT_TRUE(test::SetDesignParam(design, kScriptKind, 'spas', float(sigma[13] / 10.0)));
}

std::string Box(double height, double depth)
{
    return "Fx (w=1,t=" + std::to_string(height) + ",b=" + std::to_string(-depth) + ") {}";
}

TEST(ScriptsTexLayout, SingleScriptsAreTexScripts)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = Oracle(&failure);
    ASSERT_EQ(failure, "");
    Design design;
    SetTexScriptDesign(oracle.GetFontParams(), &design);
    for (size_t i = 0; i < std::size(kCases); ++i)
    {
        const ScriptCase &c = kCases[i];
        test::StructureTestDocument document;
        std::string text = std::string("Gr { Bg {} Fx (w=5,t=4,b=0) {} Sc $s { Gr $g (t='") +
                           (c.superscript ? "sups" : "subs") + "') { Bg {} " + Box(c.height, c.depth) + " } } }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        auto *group = document.Find<GroupNode>("g");
        ASSERT_NE(group, nullptr);
        ASSERT_NEAR(group->top, c.height, 1e-5) << text;
        ASSERT_NEAR(-group->bottom, c.depth, 1e-5) << text;
        test::TexBox box = oracle.GetBox(int32_t(i));
        // TeX's shift, read from the box's depth or height less the rule's.
        double shift = c.superscript ? box.height - c.height : box.depth - c.depth;
        if (c.texFigure != 0.0)
        {
            EXPECT_NEAR(c.superscript ? shift : box.depth, c.texFigure, 1e-4) << text;
        }
        EXPECT_NEAR(group->position.y, c.superscript ? shift : -shift, test::kTexLayoutTolerance) << text;
    }
}

TEST(ScriptsTexLayout, BothScriptsKeepTheirGap)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = Oracle(&failure);
    ASSERT_EQ(failure, "");
    Design design;
    SetTexScriptDesign(oracle.GetFontParams(), &design);
    float least = GetGroupParam(&design, kScriptKind, 'vtgp');
    for (const ScriptCase &sub : kCases)
    {
        if (sub.superscript) continue;
        for (const ScriptCase &sup : kCases)
        {
            if (!sup.superscript) continue;
            test::StructureTestDocument document;
            std::string text = "Gr { Bg {} Fx (w=5,t=4,b=0) {} Sc $s { Gr $b (t='subs') { Bg {} " +
                               Box(sub.height, sub.depth) + " } Gr $p (t='sups') { Bg {} " + Box(sup.height, sup.depth) +
                               " } } }";
            ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
            document.LayoutAll(&design);
            auto *subscripts = document.Find<GroupNode>("b");
            auto *superscripts = document.Find<GroupNode>("p");
            EXPECT_GT(superscripts->position.y, subscripts->position.y) << text;
            float gap = (superscripts->position.y + superscripts->bottom) - (subscripts->position.y + subscripts->top);
            EXPECT_GE(gap, least - 1e-4F) << text;
        }
    }
}

}  // namespace
}  // namespace oq
