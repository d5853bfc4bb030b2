// Wide marks: the read and write table, the variant, navigation and copies, and the layout with the
// factory design (the least width, the label and a label wider than the mark, the tight variant, a
// type outside the seventeen, the items) and the line against TeX's \overline and \underline.
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/WideMarkNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

constexpr float kTolerance = 2e-4f;
const std::string kEmptyBody = "Gr $b { Bg {} }";

std::string Equation(const std::string &nodes)
{
    return "Gr { Bg {} " + nodes + " }";
}

std::string Box(float width, float top, float bottom)
{
    return test::FixedBoxText(width, top, bottom);
}

// A body group "$b" holding one fixed box.
std::string BoxBody(float width, float top, float bottom)
{
    return "Gr $b { Bg {} " + Box(width, top, bottom) + " }";
}

// A label group "$l" holding one fixed box.
std::string BoxLabel(float width, float top, float bottom)
{
    return "Gr $l (t='labl') { Bg {} " + Box(width, top, bottom) + " }";
}

// The x extent of the outline.
void OutlineXExtent(const WideMarkNode *mark, float *minimum, float *maximum)
{
    *minimum = 1e30f;
    *maximum = -1e30f;
    for (int32_t i = 0; i < mark->outlineCount; ++i)
    {
        float low = 0.0f;
        float high = 0.0f;
        mark->outline[i].GetXExtent(&low, &high);
        *minimum = std::min(*minimum, low);
        *maximum = std::max(*maximum, high);
    }
}

TEST(WideMark, ReadAndWriteTable)
{
    const struct
    {
        std::string nodes;
        const char *result;
        uint32_t type;
        bool under, small;
        const char *written;  // a part of the text written back
    } cases[] = {
        {"Wm $w { Gr { Bg {} } }", "0", 'line', false, false, "\tWm\n"},
        {"Wm $w (t='brac',un) { Gr { Bg {} } Gr (t='labl') { Bg {} } }", "0", 'brac', true, false, "Wm (t='brac',un)\n"},
        {"Wm $w (sm,t='line') { Gr { Bg {} } }", "0", 'line', false, true, "Wm (sm)\n"},
        // A type outside the seventeen is kept and written back.
        {"Wm $w (t='zzzz',un,sm) { Gr { Bg {} } }", "0", 'zzzz', true, true, "Wm (t='zzzz',un,sm)\n"},
        {"Wm $w (pi=2) { Gr { Bg {} } Gr (t='xtra') { Bg {} } }", "0", 'line', false, false, "t='xtra'"},
        {"Wm $w { Gr { Bg {} } Gr { Bg {} } }", "EXSB", 0, false, false, ""},
        {"Wm $w { Gr { Bg {} } Gr (t='labl') { Bg {} } Gr (t='labl') { Bg {} } }", "EXSB", 0, false, false, ""},
        {"Wm $w { Gr (t='labl') { Bg {} } }", "MSSB", 0, false, false, ""},
        {"Wm $w { }", "MSSB", 0, false, false, ""},
        {"Wm $w { u32{1} Gr { Bg {} } }", "IVST", 0, false, false, ""},
    };
    for (const auto &c : cases)
    {
        std::string text = Equation(c.nodes);
        test::StructureTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << text;
        if (std::string(c.result) != "0") continue;
        auto *mark = document.Find<WideMarkNode>("w");
        ASSERT_NE(mark, nullptr) << text;
        EXPECT_EQ(mark->markType, c.type) << text;
        EXPECT_EQ(mark->under, c.under) << text;
        EXPECT_EQ(mark->small, c.small) << text;
        std::string written = test::ExpectRoundTrip(text);
        EXPECT_NE(written.find(c.written), std::string::npos) << written;
    }
}

TEST(WideMark, VariantNavigationAndCopies)
{
    WideMarkNode fresh(kWideMarkHat, true);
    EXPECT_EQ(fresh.markType, kWideMarkHat);
    EXPECT_TRUE(fresh.under);
    EXPECT_FALSE(fresh.small);
    EXPECT_TRUE(fresh.HasVariant());
    EXPECT_TRUE(fresh.ToggleSmall());
    EXPECT_FALSE(fresh.ToggleSmall());
    fresh.CycleVariant();
    EXPECT_TRUE(fresh.small);
    EXPECT_EQ(fresh.GetBody(), nullptr);
    GroupNode *body = fresh.GetOrCreateMainGroup();
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->role, 0u);
    EXPECT_EQ(fresh.GetFirstGroup(), body);
    EXPECT_EQ(fresh.GetLastGroup(), body);
    GroupNode *label = fresh.GetOrCreateLabel();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->role, kWideMarkLabelRole);
    EXPECT_EQ(fresh.GetOrCreateLabel(), label);
    EXPECT_EQ(fresh.GetLastGroup(), label);
    EXPECT_EQ(fresh.GetNextGroup(body), label);
    EXPECT_EQ(fresh.GetPreviousGroup(label), body);
    EXPECT_EQ(fresh.GetNextGroup(label), nullptr);
    EXPECT_EQ(fresh.GetGroupAbove(body), nullptr);
    EXPECT_EQ(fresh.GetGroupBelow(label), nullptr);

    std::unique_ptr<WideMarkNode> copy(dynamic_cast<WideMarkNode *>(fresh.DeepCopy()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->markType, kWideMarkHat);
    EXPECT_TRUE(copy->under);
    EXPECT_TRUE(copy->small);
    ASSERT_NE(copy->GetBody(), nullptr);
    ASSERT_NE(copy->GetLabel(), nullptr);
    EXPECT_NE(copy->GetLabel(), label);
    EXPECT_EQ(copy->GetLabel()->role, kWideMarkLabelRole);
}

class WideMarkLayoutTest : public test::LaidOutEquations
{
protected:
    WideMarkNode *Lay(const std::string &nodes) { return LayEquation<WideMarkNode>(nodes, "w"); }
};

TEST_F(WideMarkLayoutTest, LineOverAnEmptyBodyHasTheLeastWidth)
{
    WideMarkNode *mark = Lay("Wm $w { " + kEmptyBody + " }");
    ASSERT_NE(mark, nullptr);
    auto *body = Document().Find<GroupNode>("b");
    EXPECT_NEAR(mark->width, 5.5f, kTolerance);
    EXPECT_NEAR(mark->markWidth, 5.5f, kTolerance);
    EXPECT_NEAR(body->position.x, 2.75f - body->width * 0.5f, kTolerance);
    ASSERT_EQ(mark->outlineCount, 4);
    EXPECT_NEAR(mark->outline[0].p0.y, 8.85595f, kTolerance);
    EXPECT_NEAR(mark->outline[2].p0.y, 9.37692f, kTolerance);
    EXPECT_NEAR(mark->top, 9.37692f, kTolerance);
    EXPECT_NEAR(mark->bottom, body->bottom, kTolerance);
    EXPECT_EQ(mark->leftSpacing, 0.0f);
    EXPECT_EQ(mark->rightSpacing, 0.0f);
}

TEST_F(WideMarkLayoutTest, WideLabelCentresMarkAndBody)
{
    for (bool under : {false, true})
    {
        std::string properties = under ? "(t='brac',un) " : "(t='brac') ";
        WideMarkNode *mark = Lay("Wm $w " + properties + "{ " + BoxBody(2, 5, -1) + " " + BoxLabel(10, 3, -1) + " }");
        ASSERT_NE(mark, nullptr);
        auto *body = Document().Find<GroupNode>("b");
        auto *label = Document().Find<GroupNode>("l");
        EXPECT_NEAR(mark->markWidth, 5.5f, kTolerance);
        EXPECT_NEAR(mark->width, 10.0f, kTolerance);
        EXPECT_NEAR(label->position.x, 0.0f, kTolerance);
        EXPECT_NEAR(body->position.x, 4.0f, kTolerance);
        float low = 0.0f;
        float high = 0.0f;
        OutlineXExtent(mark, &low, &high);
        // Body, mark and node share one centre.
        EXPECT_NEAR(body->position.x + body->width * 0.5f, 5.0f, kTolerance);
        EXPECT_NEAR((low + high) * 0.5f, 5.0f, kTolerance);
        // The brace's square-cut ends pass the mark's ends by half their thickness.
        EXPECT_NEAR(low, 2.25f - GetGroupParam(&design, 'wide', 'bcet') * 11.0f / 36.0f, kTolerance);
        // The label lies beyond the mark, at least the least label gap away, and the box holds it.
        float gap = GetGroupParam(&design, 'wide', 'lvgp') * 11.0f / 18.0f;
        float markLow = 1e30f;
        float markHigh = -1e30f;
        for (int32_t i = 0; i < mark->outlineCount; ++i)
        {
            float a = 0.0f;
            float b = 0.0f;
            mark->outline[i].GetYExtent(&a, &b);
            markLow = std::min(markLow, a);
            markHigh = std::max(markHigh, b);
        }
        if (under)
        {
            EXPECT_LE(label->position.y + label->top, markLow - gap + kTolerance);
            EXPECT_NEAR(mark->bottom, label->position.y + label->bottom, kTolerance);
        }
        else
        {
            EXPECT_GE(label->position.y + label->bottom, markHigh + gap - kTolerance);
            EXPECT_NEAR(mark->top, label->position.y + label->top, kTolerance);
        }
    }
}

TEST_F(WideMarkLayoutTest, LabelSetAtLabelScale)
{
    WideMarkNode *mark = Lay("Wm $w { " + kEmptyBody + " " + BoxLabel(1, 3, -1) + " }");
    ASSERT_NE(mark, nullptr);
    auto *label = Document().Find<GroupNode>("l");
    EXPECT_NEAR(label->sizeFactor, GetGroupParam(&design, 'wide', 'scl0'), 1e-6f);
    EXPECT_EQ(label->scriptStep, 1);
    EXPECT_EQ(label->defaultAlignment, kAlignCentre);
    // Centred over the mark when narrower.
    EXPECT_NEAR(label->position.x, (5.5f - label->width) * 0.5f, kTolerance);
}

// Without "sm" the mark keeps its distance from the cap height whatever the body's ink below it; with
// "sm" it follows the ink (fixed boxes stand for ink), and only the lower body lets it come down.
TEST_F(WideMarkLayoutTest, TightVariantFollowsTheInk)
{
    for (const char *type : {"what", "line", "tild"})
    {
        float tops[2][2] = {};
        for (int32_t small = 0; small < 2; ++small)
        {
            for (int32_t tall = 0; tall < 2; ++tall)
            {
                std::string properties = std::string("(t='") + type + "'" + (small ? ",sm" : "") + ") ";
                WideMarkNode *mark = Lay("Wm $w " + properties + "{ " + BoxBody(3, tall ? 7.3f : 4.7f, 0) + " }");
                ASSERT_NE(mark, nullptr);
                tops[small][tall] = mark->top;
                EXPECT_NEAR(mark->bottom, small ? 0.0f : Document().Find<GroupNode>("b")->bottom, kTolerance) << type;
            }
        }
        EXPECT_NEAR(tops[0][0], tops[0][1], kTolerance) << type;
        EXPECT_LT(tops[1][0], tops[0][0] - 1.0f) << type;
        EXPECT_LT(tops[1][0], tops[1][1] - 1.0f) << type;
    }
    // Under, ink that ends 1.5 above the baseline: the tight mark comes up by as much; ink below the
    // baseline keeps it where the loose one is.
    for (float inkBottom : {1.5f, -0.2f})
    {
        WideMarkNode *loose = Lay("Wm $w (t='line',un) { " + BoxBody(3, 5, inkBottom) + " }");
        WideMarkNode *tight = Lay("Wm $w (t='line',un,sm) { " + BoxBody(3, 5, inkBottom) + " }");
        EXPECT_NEAR(tight->bottom, loose->bottom + std::max(inkBottom, 0.0f), kTolerance) << inkBottom;
    }
}

TEST_F(WideMarkLayoutTest, UnknownTypeDrawsNothing)
{
    WideMarkNode *mark = Lay("Wm $w (t='zzzz') { " + BoxBody(1, 5, -2) + " }");
    ASSERT_NE(mark, nullptr);
    auto *body = Document().Find<GroupNode>("b");
    EXPECT_EQ(mark->outlineCount, 0);
    EXPECT_NEAR(mark->width, 5.5f, kTolerance);
    EXPECT_NEAR(mark->top, body->top, kTolerance);
    EXPECT_NEAR(mark->bottom, body->bottom, kTolerance);
    DisplayList list;
    mark->BuildExportItems(&design, &list);
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        auto *item = dynamic_cast<ExportCurveItem *>(e);
        EXPECT_TRUE(item == nullptr || item->curveCount == 0);
    }
    list.Purge();
}

TEST_F(WideMarkLayoutTest, ItemsCarryTheOutlineFirst)
{
    WideMarkNode *mark = Lay("Wm $w (t='brac') { " + BoxBody(12, 5, -1) + " }");
    ASSERT_NE(mark, nullptr);
    for (bool fill : {false, true})
    {
        DisplayList list;
        if (fill) mark->BuildPathItems(&design, &list);
        else mark->BuildExportItems(&design, &list);
        ListElement *first = list.GetFirstListElement();
        ASSERT_NE(first, nullptr);
        if (fill)
        {
            auto *item = dynamic_cast<FillPathItem *>(first);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->curveCount, 15);
        }
        else
        {
            auto *item = dynamic_cast<ExportCurveItem *>(first);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->curveCount, 15);
        }
        list.Purge();
    }
}

// TeX's \overline and \underline of a rule box against the line with the gap 3 theta and thickness
// theta: TeX adds a kern of theta beyond the rule that the mark does not.
const test::TexLayoutOracle &LineOracle(std::string *failure)
{
    static std::string result;
    static test::TexLayoutOracle oracle = [] {
        test::TexLayoutOracle o;
        o.Add("\\overline{" + test::TexRuleBox(9, 1, 5) + "}");
        o.Add("\\underline{" + test::TexRuleBox(9, 1, 5) + "}");
        o.Add("\\overline{" + test::TexRuleBox(12, 3, 5) + "}");
        o.Add("\\underline{" + test::TexRuleBox(8, 4, 5) + "}");
        result = o.Run();
        return o;
    }();
    *failure = result;
    return oracle;
}

TEST(WideMarkTexLayout, LineIsTexOverlineAndUnderline)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = LineOracle(&failure);
    ASSERT_EQ(failure, "");
    const test::TexFontParams &font = oracle.GetFontParams();
    double theta = font.RuleThickness();
    const struct
    {
        bool under;
        float height, depth;
        double texHeight;  // Computer Modern's figure where known (0: none)
    } cases[] = {{false, 9, 1, 10.9999}, {true, 9, 1, 0}, {false, 12, 3, 0}, {true, 8, 4, 0}};
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        Design design;
        test::SetTexDerivedDesign(font, &design);
        test::StructureTestDocument document;
        std::string text = Equation(std::string("Wm $w ") + (cases[i].under ? "(un) " : "") + "{ " +
                                    BoxBody(5, cases[i].height, -cases[i].depth) + " }");
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        document.LayoutAll(&design);
        auto *mark = document.Find<WideMarkNode>("w");
        test::TexBox box = oracle.GetBox(int32_t(i));
        if (cases[i].under)
        {
            EXPECT_NEAR(mark->bottom, -(box.depth - theta), test::kTexLayoutTolerance) << text;
            EXPECT_NEAR(mark->top, box.height, test::kTexLayoutTolerance) << text;
        }
        else
        {
            EXPECT_NEAR(mark->top, box.height - theta, test::kTexLayoutTolerance) << text;
            EXPECT_NEAR(-mark->bottom, box.depth, test::kTexLayoutTolerance) << text;
        }
        EXPECT_NEAR(mark->width, box.width, test::kTexLayoutTolerance) << text;
        if (cases[i].texHeight != 0.0)
        {
            EXPECT_NEAR(box.height, cases[i].texHeight, 1e-3) << text;
            EXPECT_NEAR(mark->top, 10.59992, 1e-3) << text;
        }
    }
}

}  // namespace
}  // namespace oq
