// Primes: the Kettric form and its checks, and with a test font the style choice, spacing and raise
// against the node before, the glyph's box and items; scripts after a base and a prime.
#include "LeaningFont.h"
#include "StructureFixtures.h"
#include "editor/document/OneFontTest.h"

#include "editor/document/BracketNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/structures/PrimeNode.h"
#include "editor/structures/ScriptNode.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

TEST(Prime, ReadsChecksAndWritesItsCodePoint)
{
    const struct
    {
        const char *text;
        const char *result;
        uint32_t codePoint;
        const char *written;  // the node as written back
        const char *latex;
    } cases[] = {
        {"Pr {}", "0", 0x2032, "Pr {}\n", "'"},
        {"Pr (nb,pi=2) {u32{0x2033}}", "0", 0x2033, "Pr (pi=2,nb) {u32{0x2033}}\n", "''"},
        {"Pr {u32{0x2034}}", "0", 0x2034, "Pr {u32{0x2034}}\n", "'''"},
        {"Pr {u32{0x2057}}", "0", 0x2057, "Pr {u32{0x2057}}\n", "''''"},
        {"Pr {u32{0x2032}}", "0", 0x2032, "Pr {}\n", "'"},
        {"Pr {u32{0x1D400}}", "0", 0x1D400, "Pr {u32{0x01D400}}\n", ""},
        {"Pr {u32{0x27}}", "0", 0x27, "Pr {u32{0x27}}\n", ""},
        // 0 and values that are no Unicode scalar value read as U+FFFD.
        {"Pr {u32{0xD800}}", "0", 0xFFFD, "Pr {u32{0xFFFD}}\n", ""},
        {"Pr {u32{0x110000}}", "0", 0xFFFD, "Pr {u32{0xFFFD}}\n", ""},
        {"Pr {u32{0}}", "0", 0xFFFD, "Pr {u32{0xFFFD}}\n", ""},
        {"Pr {u32{0x2032,0x2033}}", "IVDF", 0, nullptr, nullptr},
        {"Pr {u32{}}", "IVDF", 0, nullptr, nullptr},
        {"Pr {u32{0x2032} u32{0x2033}}", "EXSB", 0, nullptr, nullptr},
        {"Pr {u32{0x2032} Gr { Bg {} }}", "IVST", 0, nullptr, nullptr},
        {"Pr {s{\"'\"}}", "IVST", 0, nullptr, nullptr},
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument document;
        std::string text = std::string("Gr { Bg {} ") + c.text + " }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << c.text;
        if (c.written == nullptr) continue;
        auto *prime = document.FirstNode<PrimeNode>();
        ASSERT_NE(prime, nullptr);
        EXPECT_EQ(prime->codePoint, c.codePoint) << c.text;
        EXPECT_EQ(prime->GetFirstSubnodeStructure(), nullptr) << c.text;
        EXPECT_EQ(prime->GetFirstGroup(), nullptr);
        EXPECT_FALSE(prime->HasVariant());
        std::string written = test::ExpectRoundTrip(text);
        EXPECT_NE(written.find(c.written), std::string::npos) << written;
        EXPECT_EQ(test::WriteRowText(c.text, 1, false), c.latex);

        // A copy keeps the code point and "nb".
        std::unique_ptr<DocumentNode> copy(prime->DeepCopy());
        auto *copied = dynamic_cast<PrimeNode *>(copy.get());
        ASSERT_NE(copied, nullptr);
        EXPECT_EQ(copied->codePoint, prime->codePoint);
        EXPECT_EQ(copied->noBold, prime->noBold);
    }
}

// Glyphs added to the leaning font: a prime (2), ']' (3) and '[' (4).
constexpr float kPrimeInk[4] = {0.05F, 0.45F, 0.25F, 0.8F};

void AddPrimeAndBrackets(test::VorlFontBuilder &builder, test::VorlFontDescription &font)
{
    builder.AddGlyph(0.3F);
    builder.AddGlyph(0.3F);
    builder.AddGlyph(0.3F);
    font.Map(0x2032, 2);
    font.Map(']', 3);
    font.Map('[', 4);
    float *box = builder.glyphs[2].box;
    for (int32_t i = 0; i < 4; ++i) box[i] = kPrimeInk[i];
    builder.SetContours(2, {{{0.05F, 0.45F}, {0.15F, 0.45F}, {0.25F, 0.45F}, {0.25F, 0.625F}, {0.25F, 0.8F},
                             {0.15F, 0.8F}, {0.05F, 0.8F}, {0.05F, 0.625F}, {0.05F, 0.45F}}});
    builder.bandTexels.assign(4, 0);
    builder.SetBands(2, 0, 0, 2, 2);
    for (uint32_t glyph : {3u, 4u})
    {
        float *bracket = builder.glyphs[glyph].box;
        bracket[0] = 0.05F;
        bracket[1] = -0.25F;
        bracket[2] = 0.25F;
        bracket[3] = 0.75F;
    }
}

class PrimeLayoutTest : public test::OneFontTest
{
protected:
    void SetUp() override { StartWithFont(test::MakeLeaningFont(AddPrimeAndBrackets), "primes.vorl"); }

    void TearDown() override
    {
        list.Purge();
        OneFontTest::TearDown();
    }

    void Lay(const std::string &nodes)
    {
        std::string text = "Gr { Bg {} " + nodes + " }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        document.LayoutAll(&design);
    }

    float Param(uint32_t key) const { return GetGroupParam(&design, kScriptKind, key); }

    test::StructureTestDocument document;
    DisplayList list;
    const float s = 11.0F;
    const float u = 11.0F / 18.0F;
};

constexpr float kTolerance = 2e-4F;

TEST_F(PrimeLayoutTest, GlyphBoxSpacingAndItems)
{
    Lay("Fx $a (w=4,t=8,b=-2,rs=0.5) {} Pr $q {}");
    auto *prime = document.Find<PrimeNode>("q");
    ASSERT_NE(prime, nullptr);
    ASSERT_TRUE(prime->glyph.present);
    float x0 = u * Param('prsp');
    float raise = s * Param('pras');
    EXPECT_NEAR(prime->width, x0 + s * 0.3F, kTolerance);
    EXPECT_NEAR(prime->leftSpacing, x0 - 0.5F, kTolerance);
    EXPECT_NEAR(prime->rightSpacing, 0.5F, kTolerance);
    EXPECT_NEAR(prime->bottom, s * kPrimeInk[1] + raise, kTolerance);
    EXPECT_NEAR(prime->top, s * kPrimeInk[3] + raise, kTolerance);
    EXPECT_EQ(prime->style, uint32_t('uprt'));

    // The export item: the glyph's curves at the prime's place, the ink box scaled and raised.
    prime->BuildExportItems(&design, &list);
    ASSERT_EQ(list.GetListElementCount(), 1);
    auto *exported = dynamic_cast<ExportCurveItem *>(list.GetFirstListElement());
    ASSERT_NE(exported, nullptr);
    EXPECT_EQ(exported->curveCount, 4);
    float x = prime->absolutePosition.x + x0 - 0.5F;
    EXPECT_NEAR(exported->box[0], x + s * kPrimeInk[0], kTolerance);
    EXPECT_NEAR(exported->box[1], prime->bottom, kTolerance);
    EXPECT_NEAR(exported->box[2], x + s * kPrimeInk[2], kTolerance);
    EXPECT_NEAR(exported->box[3], prime->top, kTolerance);
    list.Purge();

    // The mesh: one quad in the glyph's slot.
    prime->BuildMeshItems(&design, &list);
    ASSERT_EQ(list.GetListElementCount(), 1);
    auto *mesh = dynamic_cast<GlyphMeshItem *>(list.GetFirstListElement());
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->items[0].vertexCount, 4u);
    for (int32_t slot = 1; slot < DocumentFontSet::kSlotCount; ++slot) EXPECT_EQ(mesh->items[slot].vertexCount, 0u);

    // At the row start and after a space there is no prime spacing.
    test::StructureTestDocument start;
    ASSERT_EQ(ResultText(start.ParseAndResolve("Gr { Bg {} Pr $q {} Sp (s=3) {} Pr $r {} }")), "0");
    start.LayoutAll(&design);
    EXPECT_NEAR(start.Find<PrimeNode>("q")->leftSpacing, 0.0F, kTolerance);
    EXPECT_NEAR(start.Find<PrimeNode>("q")->width, s * 0.3F, kTolerance);
    EXPECT_NEAR(start.Find<PrimeNode>("r")->width, s * 0.3F, kTolerance);
}

TEST_F(PrimeLayoutTest, AfterAFlatBracketTheRaiseReachesItsTop)
{
    Lay("Br $k { u32{0x28,0x5D} Gr { Bg {} Fx (w=3,t=14,b=-5) {} } } Pr $q {}");
    auto *bracket = document.Find<BracketNode>("k");
    auto *prime = document.Find<PrimeNode>("q");
    ASSERT_NE(prime, nullptr);
    float x0 = u * (Param('prsp') + Param('fbsp'));
    float raise = std::max(s * Param('pras'), s * Param('prbo') + bracket->top);
    ASSERT_GT(raise, s * Param('pras'));
    EXPECT_NEAR(prime->width, x0 + s * 0.3F, kTolerance);
    EXPECT_NEAR(prime->bottom, s * kPrimeInk[1] + raise, kTolerance);

    // A round bracket raises the prime too, without the flat-bracket space.
    test::StructureTestDocument round;
    ASSERT_EQ(ResultText(round.ParseAndResolve("Gr { Bg {} Br { Gr { Bg {} Fx (w=3,t=14,b=-5) {} } } Pr $q {} }")), "0");
    round.LayoutAll(&design);
    EXPECT_NEAR(round.Find<PrimeNode>("q")->width, u * Param('prsp') + s * 0.3F, kTolerance);
}

TEST_F(PrimeLayoutTest, StyleFollowsABoldRunAndThePrimeBefore)
{
    const struct
    {
        const char *nodes;
        uint32_t first, second;
    } cases[] = {
        {"Sb (st='bold') {s{\"f\"}} Pr $p {} Pr $q {}", 'bold', 'bold'},
        {"Sb (st='bxyz') {s{\"f\"}} Pr $p {} Pr $q {}", 'bold', 'bold'},
        {"Sb (st='bold') {s{\"f\"}} Pr $p (nb) {} Pr $q {}", 'uprt', 'uprt'},
        {"Sb (st='bold') {s{\"f\"}} Pr $p {} Pr $q (nb) {}", 'bold', 'uprt'},
        {"Sb {s{\"f\"}} Pr $p {} Pr $q {}", 'uprt', 'uprt'},
        {"Fx {} Pr $p {} Sb (st='bold') {s{\"f\"}} Pr $q {}", 'uprt', 'bold'},
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument row;
        std::string text = std::string("Gr { Bg {} ") + c.nodes + " }";
        ASSERT_EQ(ResultText(row.ParseAndResolve(text.c_str())), "0") << text;
        row.LayoutAll(&design);
        auto *p = row.Find<PrimeNode>("p");
        auto *q = row.Find<PrimeNode>("q");
        EXPECT_EQ(p->style, c.first) << c.nodes;
        EXPECT_EQ(q->style, c.second) << c.nodes;
        EXPECT_EQ(q->glyphRequest.styleKey, c.second) << c.nodes;
        EXPECT_TRUE(q->glyph.present) << c.nodes;
    }
}

TEST_F(PrimeLayoutTest, ScriptsAfterABaseAndAPrime)
{
    const std::string scripts = "Gr $b (t='subs') { Bg {} Sb {s{\"f\"}} } Gr $p (t='sups') { Bg {} Fx (w=1,t=6,b=-1) {} }";
    Lay("Sb $x {s{\"f\"}} Pr $q {} Sc $s { " + scripts + " }");
    auto *run = document.Find<SymbolRunNode>("x");
    auto *prime = document.Find<PrimeNode>("q");
    auto *node = document.Find<ScriptNode>("s");
    ASSERT_NE(node, nullptr);
    float left = u * Param('insp') - prime->rightSpacing;
    EXPECT_NEAR(node->leftSpacing, left, kTolerance);
    // The subscript starts under the prime, pulled left by the run's slant at its own glyph top.
    float correction = s * run->GetEndSlantCorrection(&design, 0.7F * Param('scl0') + Param('sbas'));
    ASSERT_LT(correction, -1e-3F);
    EXPECT_NEAR(node->GetSubscripts()->position.x, -prime->width + correction + left, kTolerance);
    EXPECT_NEAR(node->GetSuperscripts()->position.x, left, kTolerance);

    // "ns" takes no slant.
    node->noSlant = true;
    document.LayoutAll(&design);
    EXPECT_NEAR(node->GetSubscripts()->position.x, -prime->width + left, kTolerance);
}

TEST_F(PrimeLayoutTest, ScriptsAfterABracketAndAPrimeTakeTheBracketRules)
{
    const std::string scripts = "Gr $b (t='subs') { Bg {} Fx (w=1,t=6,b=-1) {} } Gr $p (t='sups') { Bg {} Fx (w=1,t=6,b=-1) {} }";
    for (const char *between : {"", "Pr {} "})
    {
        test::StructureTestDocument row;
        std::string text = std::string("Gr { Bg {} Br $k { u32{0x5B,0x5D} Gr { Bg {} Fx (w=3,t=20,b=-9) {} } } ") +
                           between + "Sc $s { " + scripts + " } }";
        ASSERT_EQ(ResultText(row.ParseAndResolve(text.c_str())), "0") << text;
        row.LayoutAll(&design);
        auto *bracket = row.Find<BracketNode>("k");
        auto *node = row.Find<ScriptNode>("s");
        float subscriptY = node->GetSubscripts()->position.y;
        float superscriptY = node->GetSuperscripts()->position.y;
        // Far beyond the plain rules: the bracket offsets decide, then the scripts are far apart.
        EXPECT_NEAR(subscriptY, s * Param('sbbo') + bracket->bottom, kTolerance) << between;
        EXPECT_NEAR(superscriptY, s * Param('spbo') + bracket->top, kTolerance) << between;
        // Without the prime the flat side adds its space to the left spacing.
        if (between[0] == 0)
        {
            EXPECT_NEAR(node->leftSpacing, u * (Param('insp') + Param('fbsp')) - bracket->rightSpacing, kTolerance);
        }
    }

    // Pre-scripts take the rules after the row is measured, against the bracket after them.
    test::StructureTestDocument row;
    std::string text = "Gr { Bg {} Sc $s (pr) { " + scripts + " } Br $k { u32{0x5B,0x5D} Gr { Bg {} Fx (w=3,t=20,b=-9) {} } } }";
    ASSERT_EQ(ResultText(row.ParseAndResolve(text.c_str())), "0");
    row.LayoutAll(&design);
    auto *bracket = row.Find<BracketNode>("k");
    auto *node = row.Find<ScriptNode>("s");
    EXPECT_NEAR(node->GetSubscripts()->position.y, s * Param('sbbo') + bracket->bottom, kTolerance);
    EXPECT_NEAR(node->GetSuperscripts()->position.y, s * Param('spbo') + bracket->top, kTolerance);
    EXPECT_NEAR(node->bottom, node->GetSubscripts()->position.y - 1.0F, kTolerance);
    EXPECT_NEAR(node->top, node->GetSuperscripts()->position.y + 6.0F, kTolerance);
    // Pre-scripts take the flat left side's space on their right.
    EXPECT_NEAR(node->rightSpacing + bracket->leftSpacing, u * (Param('insp') + Param('fbsp')), kTolerance);
}

}  // namespace
}  // namespace oq
