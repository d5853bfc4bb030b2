// Stacks: the read and write table, the variant, navigation and copies, and the layout: a stack
// without limits on its base's baseline row, limits centred over the inner width, the tight variant
// over the base's ink, spacing through the stack with a test font, and TeX's limits of \overset and
// \underset.
#include "LeaningFont.h"
#include "StructureFixtures.h"
#include "editor/document/OneFontTest.h"

#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/structures/StackNode.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

constexpr float kTolerance = 2e-4f;

std::string Equation(const std::string &nodes)
{
    return "Gr { Bg {} " + nodes + " }";
}

std::string Box(float width, float top, float bottom)
{
    return test::FixedBoxText(width, top, bottom);
}

// A slot group of the role ("" for the base) named "$name" holding one fixed box.
std::string Slot(const char *name, const char *role, float width, float top, float bottom)
{
    std::string properties = *role != 0 ? std::string(" (t='") + role + "')" : "";
    return std::string("Gr $") + name + properties + " { Bg {} " + Box(width, top, bottom) + " }";
}

TEST(Stack, ReadAndWriteTable)
{
    const struct
    {
        std::string nodes;
        const char *result;
        bool small;
        const char *written;
    } cases[] = {
        {"St $s { Gr { Bg {} } }", "0", false, "\tSt\n"},
        {"St $s (sm) { Gr (t='uppr') { Bg {} } Gr { Bg {} } Gr (t='lowr') { Bg {} } }", "0", true, "St (sm)\n"},
        {"St $s (pi=1,sm) { Gr { Bg {} } Gr (t='xtra') { Bg {} } }", "0", true, "St (pi=1,sm)\n"},
        {"St $s { Gr { Bg {} } Gr { Bg {} } }", "EXSB", false, ""},
        {"St $s { Gr { Bg {} } Gr (t='lowr') { Bg {} } Gr (t='lowr') { Bg {} } }", "EXSB", false, ""},
        {"St $s { Gr { Bg {} } Gr (t='uppr') { Bg {} } Gr (t='uppr') { Bg {} } }", "EXSB", false, ""},
        {"St $s { Gr (t='uppr') { Bg {} } Gr (t='lowr') { Bg {} } }", "MSSB", false, ""},
        {"St $s { }", "MSSB", false, ""},
    };
    for (const auto &c : cases)
    {
        std::string text = Equation(c.nodes);
        test::StructureTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << text;
        if (std::string(c.result) != "0") continue;
        auto *stack = document.Find<StackNode>("s");
        ASSERT_NE(stack, nullptr);
        EXPECT_EQ(stack->small, c.small) << text;
        EXPECT_TRUE(stack->passesSpacingThrough);
        std::string written = test::ExpectRoundTrip(text);
        EXPECT_NE(written.find(c.written), std::string::npos) << written;
    }
}

TEST(Stack, VariantNavigationAndCopies)
{
    StackNode stack;
    EXPECT_TRUE(stack.passesSpacingThrough);
    EXPECT_TRUE(stack.HasVariant());
    EXPECT_TRUE(stack.ToggleSmall());
    EXPECT_FALSE(stack.ToggleSmall());
    stack.CycleVariant();
    EXPECT_TRUE(stack.small);
    GroupNode *base = stack.GetOrCreateMainGroup();
    EXPECT_EQ(stack.GetFirstGroup(), base);
    EXPECT_EQ(stack.GetLastGroup(), base);
    EXPECT_EQ(stack.GetGroupAbove(base), nullptr);
    GroupNode *upper = stack.GetOrCreateUpper();
    EXPECT_EQ(upper->role, kStackUpperRole);
    EXPECT_EQ(stack.GetLastGroup(), upper);
    EXPECT_EQ(stack.GetNextGroup(base), upper);
    EXPECT_EQ(stack.GetPreviousGroup(upper), base);
    GroupNode *lower = stack.GetOrCreateLower();
    EXPECT_EQ(lower->role, kStackLowerRole);
    EXPECT_EQ(stack.GetOrCreateLower(), lower);
    EXPECT_EQ(stack.GetLastGroup(), upper);
    EXPECT_EQ(stack.GetNextGroup(base), lower);
    EXPECT_EQ(stack.GetNextGroup(lower), upper);
    EXPECT_EQ(stack.GetPreviousGroup(upper), lower);
    EXPECT_EQ(stack.GetPreviousGroup(lower), base);
    EXPECT_EQ(stack.GetGroupAbove(lower), base);
    EXPECT_EQ(stack.GetGroupAbove(base), upper);
    EXPECT_EQ(stack.GetGroupAbove(upper), nullptr);
    EXPECT_EQ(stack.GetGroupBelow(upper), base);
    EXPECT_EQ(stack.GetGroupBelow(base), lower);
    EXPECT_EQ(stack.GetGroupBelow(lower), nullptr);

    std::unique_ptr<StackNode> copy(dynamic_cast<StackNode *>(stack.DeepCopy()));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->small);
    EXPECT_TRUE(copy->passesSpacingThrough);
    EXPECT_EQ(copy->GetLower()->role, kStackLowerRole);
    EXPECT_EQ(copy->GetUpper()->role, kStackUpperRole);
    EXPECT_EQ(copy->GetBase()->role, 0u);
}

class StackLayoutTest : public test::LaidOutEquations
{
protected:
    StackNode *Lay(const std::string &nodes) { return LayEquation<StackNode>(nodes, "s"); }
};

TEST_F(StackLayoutTest, WithoutLimitsOnTheBaseBaselineRow)
{
    StackNode *stack = Lay("St $s { Gr $b (ba='mddl') { Bg {} " + Box(2, 1, 0.5f) + " Bg {} " + Box(3, 1, 0.5f) + " Bg {} " +
                           Box(1, 1, 0.5f) + " } }");
    ASSERT_NE(stack, nullptr);
    auto *base = Document().Find<GroupNode>("b");
    ASSERT_EQ(base->GetRowCount(), 3);
    EXPECT_NEAR(base->position.y + base->GetRow(1)->baselineOffset, 0.0f, kTolerance);
    EXPECT_GT(base->position.y, 1.0f);
    EXPECT_NEAR(stack->top, base->position.y + base->top, kTolerance);
    EXPECT_NEAR(stack->bottom, base->position.y + base->bottom, kTolerance);
    EXPECT_NEAR(stack->width, base->width, kTolerance);

    // One short row: the box still spans the baseline and the cap height.
    stack = Lay("St $s { Gr { Bg {} " + Box(1, 1, 0.5f) + " } }");
    EXPECT_LE(stack->bottom, 0.0f);
    EXPECT_GE(stack->top, 11.0f * GetGeneralParam(&design, 'cptl') - kTolerance);
}

TEST_F(StackLayoutTest, LimitsCentredOverTheInnerWidth)
{
    StackNode *stack = Lay("St $s { " + Slot("b", "", 4, 6, -1) + " " + Slot("l", "lowr", 9, 3, -1) + " " +
                           Slot("u", "uppr", 2, 3, -1) + " }");
    ASSERT_NE(stack, nullptr);
    auto *base = Document().Find<GroupNode>("b");
    auto *lower = Document().Find<GroupNode>("l");
    auto *upper = Document().Find<GroupNode>("u");
    EXPECT_NEAR(stack->width, 9.0f, kTolerance);
    EXPECT_NEAR(base->position.y, 0.0f, kTolerance);
    for (const GroupNode *group : {base, lower, upper})
        EXPECT_NEAR(group->position.x + group->width * 0.5f, 4.5f, kTolerance);
    EXPECT_NEAR(lower->sizeFactor, GetGroupParam(&design, 'stck', 'scl0'), 1e-6f);
    EXPECT_EQ(upper->scriptStep, 1);
    EXPECT_EQ(upper->defaultAlignment, kAlignCentre);
    // Each limit lies beyond the base, at least the least gap away.
    float gap = GetGroupParam(&design, 'stck', 'vtgp') * 11.0f / 18.0f;
    EXPECT_GE(upper->position.y + upper->bottom, base->top + gap - kTolerance);
    EXPECT_LE(lower->position.y + lower->top, base->bottom - gap + kTolerance);
    EXPECT_NEAR(stack->top, upper->position.y + upper->top, kTolerance);
    EXPECT_NEAR(stack->bottom, lower->position.y + lower->bottom, kTolerance);
}

// Without "sm" the upper limit sits at cap height plus the spacing over both bases; with "sm" it
// follows the base's ink (fixed boxes stand for ink) and comes down over the lower one. The same for
// the lower limit under ink that ends above the baseline.
TEST_F(StackLayoutTest, TightVariantFollowsTheInk)
{
    float uppers[2][2] = {};
    float lowers[2][2] = {};
    for (int32_t small = 0; small < 2; ++small)
    {
        for (int32_t tall = 0; tall < 2; ++tall)
        {
            std::string properties = small ? "(sm) " : "";
            StackNode *stack = Lay("St $s " + properties + "{ " + Slot("b", "", 3, tall ? 7.3f : 4.7f, tall ? 0.0f : 1.5f) +
                                   " " + Slot("l", "lowr", 2, 3, -1) + " " + Slot("u", "uppr", 2, 3, -1) + " }");
            ASSERT_NE(stack, nullptr);
            uppers[small][tall] = Document().Find<GroupNode>("u")->position.y;
            lowers[small][tall] = Document().Find<GroupNode>("l")->position.y;
        }
    }
    EXPECT_NEAR(uppers[0][0], uppers[0][1], kTolerance);
    EXPECT_LT(uppers[1][0], uppers[0][0] - 1.0f);
    EXPECT_LT(uppers[1][0], uppers[1][1] - 1.0f);
    EXPECT_NEAR(lowers[0][0], lowers[0][1], kTolerance);
    EXPECT_GT(lowers[1][0], lowers[1][1] + 1.0f);
}

// TeX's \overset and \underset of rule boxes against tight stacks with the limits' shift and clearance
// of TeX's fonts: TeX adds a kern xi13 beyond the limit that the stack does not.
struct TexCase
{
    bool upper;
    float limitHeight, limitDepth;
    double texFigure;  // Computer Modern's height (upper) or depth (lower)
};

const TexCase kTexCases[] = {
    {true, 5, 1, 17.11111}, {true, 5, 3, 19.11111}, {false, 5, 1, 9.66666}, {false, 7, 1, 11.66666}};

const test::TexLayoutOracle &LimitOracle(std::string *failure)
{
    static std::string result;
    static test::TexLayoutOracle oracle = [] {
        test::TexLayoutOracle o;
        for (const TexCase &c : kTexCases)
        {
            o.Add(std::string(c.upper ? "\\overset{" : "\\underset{") + test::TexRuleBox(c.limitHeight, c.limitDepth, 3) +
                  "}{" + test::TexRuleBox(9, 1, 5) + "}");
        }
        result = o.Run();
        return o;
    }();
    *failure = result;
    return oracle;
}

TEST(StackTexLayout, TightLimitsAreTexLimits)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = LimitOracle(&failure);
    ASSERT_EQ(failure, "");
    const test::TexFontParams &font = oracle.GetFontParams();
    const double mu = 10.0 / 18.0;
    const double(&xi)[14] = font.xi[0];
    for (size_t i = 0; i < std::size(kTexCases); ++i)
    {
        const TexCase &c = kTexCases[i];
        Design design;
        test::SetTexDerivedDesign(font, &design);
        // The lower limit's shift xi12 = svsp mu + ssc0 cptl 10 with svsp = xi11 / mu, and its clearance xi10.
        float scale = GetGroupParam(&design, 'stck', 'ssc0');
        ASSERT_TRUE(test::SetDesignParam(&design, 0, 'cptl', float((xi[12] - xi[11]) / (10.0 * scale))));
        if (!c.upper)
        {
            ASSERT_TRUE(test::SetDesignParam(&design, 'stck', 'svgp', float(xi[10] / mu)));
        }
        test::StructureTestDocument document;
        std::string text = Equation("St $s (sm) { " + Slot("b", "", 5, 9, -1) + " " +
                                    Slot("m", c.upper ? "uppr" : "lowr", 3, c.limitHeight, -c.limitDepth) + " }");
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        auto *stack = document.Find<StackNode>("s");
        test::TexBox box = oracle.GetBox(int32_t(i));
        EXPECT_NEAR(stack->width, box.width, test::kTexLayoutTolerance) << text;
        if (c.upper)
        {
            EXPECT_NEAR(box.height, c.texFigure, 1e-3) << text;
            EXPECT_NEAR(stack->top, box.height - xi[13], test::kTexLayoutTolerance) << text;
            EXPECT_NEAR(-stack->bottom, box.depth, test::kTexLayoutTolerance) << text;
        }
        else
        {
            EXPECT_NEAR(box.depth, c.texFigure, 1e-3) << text;
            EXPECT_NEAR(-stack->bottom, box.depth - xi[13], test::kTexLayoutTolerance) << text;
            EXPECT_NEAR(stack->top, box.height, test::kTexLayoutTolerance) << text;
        }
    }
}

// With the leaning test font: text after a stack whose base ends in an italic run spaces as it would
// after that run; the stack takes the run's inset and spacing, and its limits centre over the ink.
class StackSpacingTest : public test::OneFontTest
{
protected:
    void SetUp() override { StartWithFont(test::MakeLeaningFont(), "leaning.vorl"); }

    MathNode *Lay(const std::string &nodes, test::StructureTestDocument *document)
    {
        std::string text = Equation(nodes);
        EXPECT_EQ(ResultText(document->ParseAndResolve(text.c_str())), "0") << text;
        document->LayoutAll(&design);
        return document->Find<MathNode>("n");
    }
};

TEST_F(StackSpacingTest, TextAfterAStackSpacesAsAfterItsBase)
{
    const std::string after = "Sb $n (st='uprt') {s{\"f\"}}";
    test::StructureTestDocument plain;
    MathNode *alone = Lay("Sb $r {s{\"f\"}} " + after, &plain);
    test::StructureTestDocument stacked;
    MathNode *behind = Lay("St $s { Gr { Bg {} Sb $r {s{\"f\"}} } } " + after, &stacked);
    ASSERT_NE(alone, nullptr);
    ASSERT_NE(behind, nullptr);
    auto *run = plain.Find<SymbolRunNode>("r");
    ASSERT_GT(run->rightInset, 0.0f);
    EXPECT_NEAR(behind->position.x, alone->position.x, kTolerance);
    auto *stack = stacked.Find<StackNode>("s");
    auto *inner = stacked.Find<SymbolRunNode>("r");
    EXPECT_NEAR(inner->rightInset, run->rightInset, kTolerance);
    EXPECT_NEAR(stack->rightInset, inner->rightInset, kTolerance);
    EXPECT_NEAR(stack->rightSpacing, inner->rightSpacing, kTolerance);
    EXPECT_NEAR(stack->leftInset, inner->leftInset, kTolerance);

    // A wide limit centres over the run without its spacings.
    test::StructureTestDocument limited;
    Lay("St $s { Gr $b { Bg {} Sb $r {s{\"f\"}} } Gr $l (t='lowr') { Bg {} Fx (w=20) {} } } " + after, &limited);
    stack = limited.Find<StackNode>("s");
    auto *base = limited.Find<GroupNode>("b");
    auto *lower = limited.Find<GroupNode>("l");
    float dl = stack->leftSpacing;
    float dr = stack->rightSpacing;
    EXPECT_GT(dr, 0.0f);
    EXPECT_NEAR(stack->width, dl + dr + 20.0f, kTolerance);
    EXPECT_NEAR(lower->position.x, dl, kTolerance);
    EXPECT_NEAR(base->position.x + dl + (base->width - dl - dr) * 0.5f, dl + 10.0f, kTolerance);
}

}  // namespace
}  // namespace oq
