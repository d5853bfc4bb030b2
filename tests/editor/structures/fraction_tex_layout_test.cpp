// Fraction layout measured independently: stacked fractions against TeX's \frac and \tfrac of the
// same boxes, every 'frac' parameter at its range ends under the outline checker, the diagonal
// slash past its box, and slashes whose centre line has no direction.
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/FractionNode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

// Slot boxes: height, depth and width in points.
struct SlotBox
{
    double height, depth, width;
};

std::string FixedBox(const SlotBox &box)
{
    char text[96];
    std::snprintf(text, sizeof(text), "Fx (w=%.9g,t=%.9g,b=%.9g) {}", box.width, box.height, -box.depth);
    return text;
}

std::string Fraction(const char *properties, const SlotBox &numerator, const SlotBox &denominator)
{
    return std::string("Gr { Bg {} Fr $f ") + properties + " { Gr $n (t='numr') { Bg {} " + FixedBox(numerator) +
           " } Gr $d (t='dnom') { Bg {} " + FixedBox(denominator) + " } } }";
}

// The TeX cases of this program: each stacked fraction as \frac (display) and \tfrac.
struct TexCase
{
    bool small;
    SlotBox numerator, denominator;
    // Computer Modern's figures where known (0: none), a check of the oracle itself.
    double width, height, depth;
};

const TexCase kTexCases[] = {
    {false, {9, 1, 6}, {8, 2, 5}, 8.4, 15.76508, 8.89993},
    {false, {9, 5, 6}, {8, 2, 5}, 8.4, 17.89993, 8.89993},
    {false, {9, 1, 6}, {12, 2, 5}, 8.4, 15.76508, 12.89993},
    {false, {9, 1, 4}, {8, 2, 7.5}, 0, 0, 0},
    {true, {9, 1, 6}, {8, 2, 5}, 0, 0, 0},
    {true, {9, 5, 6}, {8, 2, 5}, 0, 0, 0},
    {true, {9, 1, 6}, {12, 2, 5}, 0, 0, 0},
};

// The oracle with every case of this program, run once.
const test::TexLayoutOracle &Oracle(std::string *failure)
{
    static std::string result;
    static test::TexLayoutOracle oracle = [] {
        test::TexLayoutOracle o;
        for (const TexCase &c : kTexCases)
        {
            o.Add(std::string(c.small ? "\\tfrac{" : "\\frac{") +
                  test::TexRuleBox(c.numerator.height, c.numerator.depth, c.numerator.width) + "}{" +
                  test::TexRuleBox(c.denominator.height, c.denominator.depth, c.denominator.width) + "}");
        }
        result = o.Run();
        return o;
    }();
    *failure = result;
    return oracle;
}

TEST(FractionTexLayout, StackedFractionsAreTexFractions)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = Oracle(&failure);
    ASSERT_EQ(failure, "");
    const test::TexFontParams &font = oracle.GetFontParams();
    for (size_t i = 0; i < std::size(kTexCases); ++i)
    {
        const TexCase &c = kTexCases[i];
        Design design;
        test::SetTexDerivedDesign(font, &design);
        // The small fraction scales its interior spacing; TeX's null delimiters keep theirs.
        if (c.small)
        {
            float scale = GetGroupParam(&design, 'frac', 'scal');
            ASSERT_TRUE(test::SetDesignParam(&design, 'frac', 'insp',
                                             float(font.nullDelimiterSpace / (10.0 / 18.0) / scale)));
        }
        test::StructureTestDocument document;
        std::string text = Fraction(c.small ? "(sm)" : "", c.numerator, c.denominator);
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        auto *fraction = document.Find<FractionNode>("f");
        ASSERT_NE(fraction, nullptr);
        test::TexBox box = oracle.GetBox(int32_t(i));
        EXPECT_NEAR(fraction->width, box.width, test::kTexLayoutTolerance) << text;
        EXPECT_NEAR(fraction->top, box.height, test::kTexLayoutTolerance) << text;
        EXPECT_NEAR(-fraction->bottom, box.depth, test::kTexLayoutTolerance) << text;
        if (c.width != 0.0)
        {
            EXPECT_NEAR(box.width, c.width, test::kTexLayoutTolerance) << text;
            EXPECT_NEAR(box.height, c.height, test::kTexLayoutTolerance) << text;
            EXPECT_NEAR(box.depth, c.depth, test::kTexLayoutTolerance) << text;
        }
    }
}

// The outline checks of a fraction's bar or slash inside its node's box.
test::OutlineChecks FractionChecks(const FractionNode *fraction, float halfStroke)
{
    test::OutlineChecks checks = test::NodeBoxChecks(fraction);
    checks.closeTolerance = 0.0f;  // built corner to corner
    checks.boxMargin = halfStroke;
    checks.simple = true;
    return checks;
}

bool FiniteLayout(const FractionNode *fraction)
{
    const MathNode *nodes[3] = {fraction, fraction->GetNumerator(), fraction->GetDenominator()};
    for (const MathNode *node : nodes)
    {
        float values[] = {node->width, node->top, node->bottom, node->leftSpacing, node->rightSpacing,
                          node->position.x, node->position.y};
        for (float value : values)
        {
            if (!std::isfinite(value)) return false;
        }
    }
    return true;
}

// The diagonal slash's centre line ends where its step 4 puts them: through (f, axis) with the
// slope, from the lower to the upper extent.
void ExpectDiagonalEnds(const FractionNode *fraction, const Design *design, const std::string &context)
{
    const QuadraticBezier2D *c = fraction->outline;
    Point2D low((c[0].p0.x + c[3].p0.x) * 0.5f, (c[0].p0.y + c[3].p0.y) * 0.5f);
    Point2D high((c[1].p0.x + c[2].p0.x) * 0.5f, (c[1].p0.y + c[2].p0.y) * 0.5f);
    const GroupNode *numerator = fraction->GetNumerator();
    const GroupNode *denominator = fraction->GetDenominator();
    float em = design->GetBaseFontSize();
    float mu = em / 18.0f;
    bool small = fraction->small;
    float spacing = mu * GetGroupParam(design, 'frac', small ? 'dgs1' : 'dgs0');
    float inner = mu * GetGroupParam(design, 'frac', small ? 'sie1' : 'sie0');
    float outer = mu * GetGroupParam(design, 'frac', small ? 'soe1' : 'soe0');
    float capital = GetGeneralParam(design, 'cptl');
    float axis = em * GetGeneralParam(design, 'axis');
    float f = fraction->leftSpacing + numerator->width + spacing;
    float w = std::fmin(denominator->position.y - inner, denominator->position.y + denominator->bottom - outer);
    float t = std::fmax(numerator->position.y + numerator->sizeFactor * capital * em + inner,
                        numerator->position.y + numerator->top + outer);
    float slope = GetGroupParam(design, 'frac', 'dslp');
    float tolerance = 1e-4f * std::fmax(1.0f, std::fabs(t - w) + fraction->width);
    EXPECT_NEAR(low.y, w, tolerance) << context;
    EXPECT_NEAR(high.y, t, tolerance) << context;
    EXPECT_NEAR(low.x, f + (w - axis) / slope, tolerance) << context;
    EXPECT_NEAR(high.x, f + (t - axis) / slope, tolerance) << context;
}

// Every parameter of the 'frac' group at each end of its range, at the least and the largest base
// font size a design keeps, in every form: finite numbers and a sound outline inside the node.
TEST(FractionTexLayout, EveryParameterAtItsRangeEnds)
{
    int32_t group = FindDesignGroup('frac');
    ASSERT_GE(group, 0);
    const DesignGroupTable &table = kDesignGroupTables[group];
    const char *const forms[] = {"", "(sm)", "(at)", "(t='horz')", "(t='diag')", "(t='diag',sm)"};
    for (float size : {1.0f, 1800.0f})
    {
        // Slot boxes beyond the empty-row box at every size.
        float k = size / 10.0f;
        SlotBox numerator = {9.0 * k, 1.0 * k, 6.0 * k};
        SlotBox denominator = {8.0 * k, 2.0 * k, 5.0 * k};
        for (int32_t r = 0; r < table.rowCount; ++r)
        {
            const DesignParamRow &row = table.rows[r];
            for (float value : {row.minimum, row.maximum})
            {
                Design design;
                design.SetBaseFontSize(size);
                design.GetGroupSlots(group)[row.offset / 4] = value;
                for (const char *form : forms)
                {
                    char context[96];
                    std::snprintf(context, sizeof(context), "fsiz %g, %s = %g, %s", double(size), row.label,
                                  double(value), form);
                    test::StructureTestDocument document;
                    std::string text = Fraction(form, numerator, denominator);
                    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
                    document.LayoutAll(&design);
                    auto *fraction = document.Find<FractionNode>("f");
                    ASSERT_TRUE(FiniteLayout(fraction)) << context;
                    ASSERT_EQ(fraction->outlineCount, 4) << context;
                    bool slash = fraction->fractionType != kFractionVertical;
                    float half = slash ? size / 18.0f * GetGroupParam(&design, 'frac', 'slsh') * 0.5f : 0.0f;
                    test::OutlineChecks checks = FractionChecks(fraction, half);
                    // The diagonal slash may pass its box sideways: its ends are checked instead.
                    if (fraction->fractionType == kFractionDiagonal)
                    {
                        checks.boxMargin = INFINITY;
                        ExpectDiagonalEnds(fraction, &design, context);
                    }
                    EXPECT_EQ(test::CheckOutline(fraction->outline, fraction->outlineCount, checks), "") << context;
                }
            }
        }
    }
}

TEST(FractionTexLayout, DiagonalSlashMayPassItsBox)
{
    Design design;
    ASSERT_TRUE(test::SetDesignParam(&design, 'frac', 'dslp', 1.0f));
    test::StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(Fraction("(t='diag')", {9, 1, 6}, {8, 2, 5}).c_str())), "0");
    document.LayoutAll(&design);
    auto *fraction = document.Find<FractionNode>("f");
    ASSERT_EQ(fraction->outlineCount, 4);
    // The centre line's ends lie left of 0 and right of the width.
    const QuadraticBezier2D *c = fraction->outline;
    EXPECT_NEAR(fraction->width, 17.11111f, 1e-4f);
    EXPECT_NEAR((c[0].p0.x + c[3].p0.x) * 0.5f, -0.84f, 0.01f);
    EXPECT_NEAR((c[1].p0.x + c[2].p0.x) * 0.5f, 18.67f, 0.01f);
    ExpectDiagonalEnds(fraction, &design, "dslp 1");
}

// A centre line without a direction (no length, or not finite) builds no slash: the node spans the
// slash's ends and draws nothing.
TEST(FractionTexLayout, SlashWithoutDirectionBuildsNoOutline)
{
    const struct
    {
        const char *name;
        const char *properties;
        float size;
        const char *numerator;
    } cases[] = {
        {"no length", "(t='horz')", 0.0f, "Fx {}"},
        {"no length", "(t='diag')", 0.0f, "Fx {}"},
        {"top not finite", "(t='horz')", 11.0f, "Fx (w=6,t=0x7F800000,b=-1) {}"},
        {"top not finite", "(t='diag')", 11.0f, "Fx (w=6,t=0x7F800000,b=-1) {}"},
    };
    for (const auto &c : cases)
    {
        Design design;
        design.SetBaseFontSize(c.size);
        test::StructureTestDocument document;
        std::string text = std::string("Gr { Bg {} Fr $f ") + c.properties + " { Gr $n (t='numr') { Bg {} " +
                           c.numerator + " } Gr $d (t='dnom') { Bg {} Fx {} } } }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        document.LayoutAll(&design);
        auto *fraction = document.Find<FractionNode>("f");
        std::string context = std::string(c.name) + " " + c.properties;
        EXPECT_EQ(fraction->outlineCount, 0) << context;
        // Only the slots' items (a slot at a row edge marks its space).
        const GroupNode *numerator = fraction->GetNumerator();
        const GroupNode *denominator = fraction->GetDenominator();
        DisplayList exported;
        fraction->BuildExportItems(&design, &exported);
        DisplayList slots;
        numerator->BuildExportItems(&design, &slots);
        denominator->BuildExportItems(&design, &slots);
        EXPECT_EQ(exported.GetListElementCount(), slots.GetListElementCount()) << context;
        exported.Purge();
        slots.Purge();
        // The node's top and bottom are the slash's ends, not widened.
        float em = c.size;
        float mu = em / 18.0f;
        if (fraction->fractionType == kFractionHorizontal)
        {
            float v = std::fmax(em * GetGeneralParam(&design, 'cptl') + mu * GetGroupParam(&design, 'frac', 'sie0'),
                                std::fmax(numerator->top, denominator->top) + mu * GetGroupParam(&design, 'frac', 'soe0'));
            float h = std::fmin(-mu * GetGroupParam(&design, 'frac', 'sie0'),
                                std::fmin(numerator->bottom, denominator->bottom) - mu * GetGroupParam(&design, 'frac', 'soe0'));
            EXPECT_EQ(fraction->top, v) << context;
            EXPECT_EQ(fraction->bottom, h) << context;
        }
        else
        {
            float inner = mu * GetGroupParam(&design, 'frac', 'sie0');
            float outer = mu * GetGroupParam(&design, 'frac', 'soe0');
            float w = std::fmin(denominator->position.y - inner, denominator->position.y + denominator->bottom - outer);
            EXPECT_EQ(fraction->bottom, w) << context;
            EXPECT_FALSE(fraction->top < numerator->position.y + numerator->top) << context;
        }
    }
}

}  // namespace
}  // namespace oq
