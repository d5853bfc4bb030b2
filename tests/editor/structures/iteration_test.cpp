// Iterations: the read and write table, the variant cycle and navigation, and the layout with a
// test font: the operator glyph at its exact height on the axis, operators without a usable glyph,
// display and inline limits, the modifier, the body and the limits' scales.
#include "LargeOperatorChecks.h"
#include "OperatorFont.h"
#include "StructureFixtures.h"
#include "editor/document/OneFontTest.h"

#include "editor/document/GroupNode.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/structures/IterationNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

std::string Equation(const std::string &nodes)
{
    return "Gr { Bg {} " + nodes + " }";
}

TEST(Iteration, ReadAndWriteTable)
{
    const test::OperatorReadCase cases[] = {
        {"It $i { Gr { Bg {} } }", "0", 0x2211, "\tIt\n\t{\n\t\tGr\n"},
        {"It $i { u32{0x220F} Gr { Bg {} } }", "0", 0x220F, "\tIt\n\t{\n\t\tu32{0x220F}\n\t\tGr\n"},
        {"It $i { Gr { Bg {} } u32{0x1D400} }", "0", 0x1D400, "\t\tu32{0x01D400}\n"},
        {"It $i { u32{0xD800} Gr { Bg {} } }", "0", 0xFFFD, "u32{0xFFFD}"},
        {"It $i { u32{0x110000} Gr { Bg {} } }", "0", 0xFFFD, "u32{0xFFFD}"},
        {"It $i { u32{0} Gr { Bg {} } }", "0", 0xFFFD, "u32{0xFFFD}"},
        {"It $i { u32{0x41} Gr { Bg {} } }", "0", 0x41, "u32{0x41}"},
        {"It $i (il,sm) { Gr { Bg {} } }", "0", 0x2211, "It (sm,il)\n"},
        {"It $i (pi=3,il) { Gr { Bg {} } }", "0", 0x2211, "It (pi=3,il)\n"},
        {"It $i (pi=20) { Gr { Bg {} } }", "0", 0x2211, "\tIt\n"},
        {"It $i { Gr (t='xtra') { Bg {} } Gr { Bg {} } }", "0", 0x2211, "t='xtra'"},
        {"It $i { u32{0x220F} u32{0x220F} Gr { Bg {} } }", "EXSB", 0, ""},
        {"It $i { u32{0x220F,0x2210} Gr { Bg {} } }", "IVDF", 0, ""},
        {"It $i { u32{} Gr { Bg {} } }", "IVDF", 0, ""},
        {"It $i { u32{0x220F} }", "MSSB", 0, ""},
        {"It $i { Gr (t='lowr') { Bg {} } }", "MSSB", 0, ""},
        {"It $i { Gr (t='lowr') { Bg {} } Gr (t='lowr') { Bg {} } Gr { Bg {} } }", "EXSB", 0, ""},
        {"It $i { Gr { Bg {} } Gr { Bg {} } }", "EXSB", 0, ""},
        {"It $i { f32{1} Gr { Bg {} } }", "IVST", 0, ""},
    };
    ASSERT_NO_FATAL_FAILURE(test::ExpectOperatorReadTable<IterationNode>(cases, 0x2211));
}

TEST(Iteration, VariantCycleAndNavigation)
{
    IterationNode node(0x2211, false, false);
    EXPECT_TRUE(node.HasVariant());
    const bool order[5][2] = {{false, false}, {false, true}, {true, true}, {true, false}, {false, false}};
    for (int32_t i = 0; i < 4; ++i)
    {
        EXPECT_EQ(node.small, order[i][0]);
        EXPECT_EQ(node.inlineLimits, order[i][1]);
        EXPECT_EQ(node.StepVariant(), order[i][1]);
    }
    EXPECT_FALSE(node.small);
    EXPECT_FALSE(node.inlineLimits);
    node.CycleVariant();
    EXPECT_TRUE(node.inlineLimits);

    // Navigation: lower, upper, modifier, body, skipping absent slots.
    test::StructureTestDocument document;
    std::string text = Equation("It $i { Gr $b { Bg {} } Gr $m (t='mdfr') { Bg {} } Gr $u (t='uppr') { Bg {} } }");
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    auto *it = document.Find<IterationNode>("i");
    auto *body = document.Find<GroupNode>("b");
    auto *modifier = document.Find<GroupNode>("m");
    auto *upper = document.Find<GroupNode>("u");
    EXPECT_EQ(it->GetFirstGroup(), upper);
    EXPECT_EQ(it->GetLastGroup(), body);
    EXPECT_EQ(it->GetNextGroup(upper), modifier);
    EXPECT_EQ(it->GetNextGroup(modifier), body);
    EXPECT_EQ(it->GetNextGroup(body), nullptr);
    EXPECT_EQ(it->GetPreviousGroup(upper), nullptr);
    EXPECT_EQ(it->GetGroupBelow(upper), nullptr);
    ASSERT_NO_FATAL_FAILURE(test::ExpectLowerLimitMadeOnRequest(it, upper, body));
    EXPECT_EQ(it->GetGroupAbove(upper), nullptr);

    // A new iteration makes its body on request; copies find their slots and clear the glyph.
    IterationNode fresh(0x220F, true, true);
    EXPECT_EQ(fresh.GetBody(), nullptr);
    GroupNode *made = fresh.GetOrCreateBody();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->role, 0u);
    auto *copy = dynamic_cast<IterationNode *>(it->DeepCopy());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->GetBody(), nullptr);
    EXPECT_NE(copy->GetLower(), nullptr);
    EXPECT_EQ(copy->GetModifier()->role, kModifierRole);
    delete copy;
}

// The test font: U+2211 an 'nary' glyph with ink box (0.1, -0.3) to (0.9, 0.9); U+220F a glyph
// without outline (no ink height); the missing glyph has no outline either, and there is no U+FFFD.
std::vector<uint8_t> MakeOperatorFont()
{
    return test::MakeOperatorFont({0x2211}, {0x220F});
}

class IterationLayoutTest : public test::OneFontTest
{
protected:
    void SetUp() override { StartWithFont(MakeOperatorFont(), "operators.vorl"); }

    void TearDown() override
    {
        list.Purge();
        OneFontTest::TearDown();
    }

    // Reads and lays out the equation; the iteration "$i".
    IterationNode *Lay(const std::string &nodes)
    {
        std::string text = Equation(nodes);
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        document.LayoutAll(&design);
        return document.Find<IterationNode>("i");
    }

    std::vector<ExportCurveItem *> ExportItems(const IterationNode *node)
    {
        list.Purge();
        node->BuildExportItems(&design, &list);
        std::vector<ExportCurveItem *> items;
        for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
        {
            auto *item = dynamic_cast<ExportCurveItem *>(e);
            if (item != nullptr && item->curveCount > 0) items.push_back(item);
        }
        return items;
    }

    int32_t MeshItemCount(const IterationNode *node)
    {
        list.Purge();
        node->BuildMeshItems(&design, &list);
        int32_t count = 0;
        for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
            count += dynamic_cast<GlyphMeshItem *>(e) != nullptr ? 1 : 0;
        return count;
    }

    test::StructureTestDocument document;
    DisplayList list;
};

constexpr float kTolerance = 2e-4F;
const char *const kBody = "Gr $b { Bg {} Fx (w=5,t=6,b=-2) {} }";

TEST_F(IterationLayoutTest, OperatorGlyphHasItsExactHeightOnTheAxis)
{
    IterationNode *it = Lay("It $i { " + std::string(kBody) + " }");
    ASSERT_NE(it, nullptr);
    ASSERT_TRUE(it->glyph.IsDrawn());
    float k = 15.004F / 1.2F;
    float gw = 0.8F * k;
    EXPECT_NEAR(it->glyphWidth, gw, kTolerance);
    EXPECT_NEAR(it->operatorTop, 10.31305F, kTolerance);
    EXPECT_NEAR(it->operatorBottom, -4.69095F, kTolerance);
    EXPECT_NEAR(it->top, 10.31305F, kTolerance);
    EXPECT_NEAR(it->bottom, -4.69095F, kTolerance);
    // At the row start there is no left spacing: the ink starts at the origin.
    EXPECT_EQ(it->leftSpacing, 0.0F);
    EXPECT_NEAR(it->operatorCentre, gw * 0.5F, kTolerance);
    std::vector<ExportCurveItem *> items = ExportItems(it);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->curveCount, 4);
    EXPECT_NEAR(items[0]->box[0], it->operatorCentre - gw * 0.5F, kTolerance);
    EXPECT_NEAR(items[0]->box[2], it->operatorCentre + gw * 0.5F, kTolerance);
    EXPECT_NEAR(items[0]->box[1], -4.69095F, kTolerance);
    EXPECT_NEAR(items[0]->box[3], 10.31305F, kTolerance);
    EXPECT_NEAR((items[0]->box[1] + items[0]->box[3]) * 0.5F, 2.81105F, kTolerance);
    EXPECT_EQ(items[0]->color, kDefaultNodeColor);
    EXPECT_EQ(MeshItemCount(it), 1);
    auto *mesh = dynamic_cast<GlyphMeshItem *>(list.GetFirstListElement());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->items[0].vertexCount, 4u);
    EXPECT_EQ(mesh->items[1].vertexCount, 0u);
    // The body follows at xr + sbsp: here xr is the glyph's right edge.
    float mu = 11.0F / 18.0F;
    EXPECT_NEAR(document.Find<GroupNode>("b")->position.x, gw + 4.0F * mu, kTolerance);

    // The small operator is 0.8525 em high.
    it->small = true;
    document.LayoutAll(&design);
    EXPECT_NEAR(it->operatorTop - it->operatorBottom, 0.8525F * 11.0F, kTolerance);
    std::vector<ExportCurveItem *> small = ExportItems(it);
    ASSERT_EQ(small.size(), 1u);
    EXPECT_NEAR(small[0]->box[3] - small[0]->box[1], 0.8525F * 11.0F, kTolerance);
}

TEST_F(IterationLayoutTest, WithoutAUsableGlyphTheNominalBoxStays)
{
    const struct
    {
        const char *name;
        const char *data;  // the code point's data line
        uint32_t setCodePoint;  // set after reading, as an editing command would (0: none)
    } cases[] = {
        {"zero-height glyph", "u32{0x220F}", 0},
        {"no U+FFFD in the font (read from 0xD800)", "u32{0xD800}", 0},
        {"a code point past U+10FFFF passed in", "", 0x110000},
        {"a surrogate passed in", "", 0xDC00},
        {"code point 0 passed in", "", 0},
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument fresh;
        std::string text = Equation(std::string("It $i { ") + c.data + " Gr (t='lowr') { Bg {} Fx (w=3,t=4,b=-1) {} } " +
                                    kBody + " Gr (t='mdfr') { Bg {} Fx (w=2,t=2,b=0) {} } }");
        ASSERT_EQ(ResultText(fresh.ParseAndResolve(text.c_str())), "0") << c.name;
        auto *it = fresh.Find<IterationNode>("i");
        if (c.setCodePoint != 0 || std::string(c.name).find("code point 0") != std::string::npos)
            it->codePoint = c.setCodePoint;
        fresh.LayoutAll(&design);
        EXPECT_FALSE(it->glyph.IsDrawn()) << c.name;
        EXPECT_EQ(it->glyphWidth, 0.0F) << c.name;
        EXPECT_NEAR(it->operatorBottom, -4.69095F, kTolerance) << c.name;
        EXPECT_NEAR(it->operatorTop, 10.31305F, kTolerance) << c.name;
        const MathNode *nodes[] = {it, it->GetBody(), it->GetLower(), it->GetModifier()};
        for (const MathNode *node : nodes)
        {
            for (float v : {node->width, node->top, node->bottom, node->position.x, node->position.y})
                EXPECT_TRUE(std::isfinite(v)) << c.name;
        }
        // Limits and body are placed as usual around the nominal box.
        float mu = 11.0F / 18.0F;
        EXPECT_NEAR(it->GetLower()->position.x, 0.0F, kTolerance) << c.name;
        EXPECT_NEAR(it->GetModifier()->position.x, 1.5F + mu, kTolerance) << c.name;
        EXPECT_NEAR(it->GetBody()->position.x, 1.5F + std::max(1.5F, mu + 2.0F) + 4.0F * mu, kTolerance) << c.name;
        std::vector<ExportCurveItem *> items = ExportItems(it);
        EXPECT_TRUE(items.empty()) << c.name;
        EXPECT_EQ(MeshItemCount(it), 0) << c.name;
        EXPECT_EQ(it->glyph.vertexCounts[0], 0) << c.name;
    }
}

TEST_F(IterationLayoutTest, LimitsModifierAndBody)
{
    const float em = 11.0F;
    const float mu = em / 18.0F;
    const float gw = 0.8F * 15.004F / 1.2F;
    const float top = 10.31305F;
    const float bottom = -4.69095F;
    const std::string limits = "Gr $l (t='lowr') { Bg {} Fx (w=30,t=4,b=-1) {} } Gr $u (t='uppr') { Bg {} Fx (w=8,t=3,b=-2) {} } ";

    // Display: the wide lower limit widens the operator part, the glyph stays centred over it.
    IterationNode *it = Lay("It $i { " + limits + kBody + " }");
    ASSERT_NE(it, nullptr);
    auto *lower = document.Find<GroupNode>("l");
    auto *upper = document.Find<GroupNode>("u");
    auto *body = document.Find<GroupNode>("b");
    EXPECT_NEAR(it->operatorCentre, 15.0F, kTolerance);
    EXPECT_NEAR(lower->position.x, 0.0F, kTolerance);
    EXPECT_NEAR(upper->position.x, 15.0F - lower->width * 0.0F - upper->width * 0.5F, kTolerance);
    std::vector<ExportCurveItem *> items = ExportItems(it);
    ASSERT_GE(items.size(), 1u);
    EXPECT_NEAR(items[0]->box[0], 15.0F - gw * 0.5F, kTolerance);
    EXPECT_NEAR(body->position.x, 30.0F + 4.0F * mu, kTolerance);
    // Limits at scl0 (0.65): the lower baseline vtsp and the capital height at that scale below the
    // glyph, the upper one vtsp above it, raised to keep vtgp between its bottom (-2) and the glyph.
    float capital = GetGeneralParam(&design, 'cptl');
    EXPECT_FLOAT_EQ(lower->sizeFactor, 0.65F);
    EXPECT_NEAR(lower->position.y, bottom - 4.0F * mu - 0.65F * capital * em, kTolerance);
    EXPECT_NEAR(upper->position.y, top + 2.0F + 2.0F * mu, kTolerance);
    EXPECT_NEAR(it->bottom, lower->position.y + lower->bottom, kTolerance);
    EXPECT_NEAR(it->top, upper->position.y + upper->top, kTolerance);

    // Inline: never widened; limits at xr + lmsp with lwof and upof; the body after the widest limit.
    test::StructureTestDocument inlineDocument;
    std::string text = Equation("It $i (il) { " + limits + kBody + " Gr $m (t='mdfr') { Bg {} Fx (w=2,t=2,b=0) {} } }");
    ASSERT_EQ(ResultText(inlineDocument.ParseAndResolve(text.c_str())), "0");
    inlineDocument.LayoutAll(&design);
    it = inlineDocument.Find<IterationNode>("i");
    lower = inlineDocument.Find<GroupNode>("l");
    upper = inlineDocument.Find<GroupNode>("u");
    body = inlineDocument.Find<GroupNode>("b");
    auto *modifier = inlineDocument.Find<GroupNode>("m");
    EXPECT_NEAR(it->operatorCentre, gw * 0.5F, kTolerance);
    EXPECT_EQ(lower->defaultAlignment, kAlignLeft);
    // The modifier mdsp right of the glyph, its baseline at top + mdof x s.
    EXPECT_NEAR(modifier->position.x, gw + mu, kTolerance);
    EXPECT_NEAR(modifier->position.y, top - 0.65F * em, kTolerance);
    float xr = gw + mu + 2.0F + 1.5F * mu;
    EXPECT_NEAR(lower->position.x, xr, kTolerance);
    EXPECT_NEAR(upper->position.x, xr, kTolerance);
    EXPECT_NEAR(lower->position.y, bottom - 0.15F * em, kTolerance);
    EXPECT_NEAR(upper->position.y, top - 0.15F * em, kTolerance);
    EXPECT_NEAR(body->position.x, xr + 30.0F + 4.0F * mu, kTolerance);
    EXPECT_NEAR(it->width, body->position.x + 5.0F + it->rightSpacing, kTolerance);
}

TEST_F(IterationLayoutTest, RowEndFlagAndLimitScalesByDepth)
{
    // At the end of the equation's row the body takes the group's row-end flag; followed by a
    // node it does not.
    IterationNode *it = Lay("It $i { " + std::string(kBody) + " }");
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(it->GetBody()->spaceAtRowEnd, it->GetEnclosingGroup()->spaceAtRowEnd);
    EXPECT_TRUE(it->GetBody()->spaceAtRowEnd);
    test::StructureTestDocument followed;
    std::string text = Equation("It $i { " + std::string(kBody) + " } Fx (w=1) {}");
    ASSERT_EQ(ResultText(followed.ParseAndResolve(text.c_str())), "0");
    followed.LayoutAll(&design);
    EXPECT_FALSE(followed.Find<IterationNode>("i")->GetBody()->spaceAtRowEnd);

    // Limits of iterations nested in limits: scl0, scl1, then factor 1 from depth 2 on.
    test::StructureTestDocument nested;
    text = Equation("It { Gr $l0 (t='lowr') { Bg {} It { Gr $l1 (t='lowr') { Bg {} It { Gr $l2 (t='lowr') { Bg {} "
                    "Fx (w=1,t=1) {} } Gr { Bg {} } } } Gr { Bg {} } } } Gr { Bg {} } }");
    ASSERT_EQ(ResultText(nested.ParseAndResolve(text.c_str())), "0");
    nested.LayoutAll(&design);
    EXPECT_FLOAT_EQ(nested.Find<GroupNode>("l0")->sizeFactor, 0.65F);
    EXPECT_FLOAT_EQ(nested.Find<GroupNode>("l1")->sizeFactor, 0.75F);
    EXPECT_FLOAT_EQ(nested.Find<GroupNode>("l2")->sizeFactor, 1.0F);
    EXPECT_EQ(nested.Find<GroupNode>("l2")->scriptDepth, 2);
}

TEST_F(IterationLayoutTest, LeftSpacingFollowsTheNeighbour)
{
    const float mu = 11.0F / 18.0F;
    const struct
    {
        const char *before;
        float left;
    } cases[] = {
        {"Fx (w=1) {}", 4.0F * mu},
        {"Fx (w=1,rs=1) {}", 4.0F * mu - 1.0F},
        {"Fx (w=1,rs=9) {}", 0.0F},
        {"Sb $r {s{\"a \"}}", 0.0F},
        {"Sb $r {s{\"a\"}}", -1.0F},  // what the run's right spacing leaves of sbsp
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument doc;
        std::string text = Equation(std::string(c.before) + " It $i { " + kBody + " }");
        ASSERT_EQ(ResultText(doc.ParseAndResolve(text.c_str())), "0") << text;
        doc.LayoutAll(&design);
        float expected = c.left;
        if (expected < 0.0F) expected = std::max(0.0F, 4.0F * mu - doc.Find<MathNode>("r")->rightSpacing);
        EXPECT_NEAR(doc.Find<IterationNode>("i")->leftSpacing, expected, kTolerance) << text;
    }
}

}  // namespace
}  // namespace oq
