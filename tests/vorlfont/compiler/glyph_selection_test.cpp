#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/SubstitutionStructures.h"
#include "vorlfont/compiler/CharacterInclusionMap.h"
#include "vorlfont/compiler/FontCompileContext.h"
#include "vorlfont/compiler/GlyphSelection.h"
#include "vorl/text/MathStyleTable.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace oq {
namespace {

// Glyph 3 (A) has an 'smcp' alternate 6 (and 40, past the count), an 'aalt' to 7, a 'calt' to 9
// and decomposes into 2, 0 and 99; 1 (B) copies 5 and has colour layers 11 and 0; 6 forms the
// ligature 8 with 1, whose 'ss01' alternate is 10. 4, 7 and 9 are reached by nothing kept.
const char kSelectionFont[] = R"(
Font (glyph_count = 12)
{
    CharMap (char = 0x41) {uint16 {3, 1, 0}}
    Glyph (index = 0) {}
    Glyph (index = 1)
    {
        Component {uint32 {5}}
        Emoji {Component {uint32 {11} Color {float[3] {{1, 0, 0}}}} Component {uint32 {0} Color {float[3] {{0, 1, 0}}}}}
    }
    Glyph (index = 2) {}
    Glyph (index = 3)
    {
        Alternate (feature = 'smcp') {uint32 {6, 40}}
        Alternate (feature = 'aalt') {uint32 {7}}
        Sequence (feature = 'calt') {Match {uint32 {1}} Rule (kind = 'rall') {uint32 {9}}}
        Decompose {uint32 {2, 0, 99}}
    }
    Glyph (index = 4) {}
    Glyph (index = 5) {}
    Glyph (index = 6) {Sequence (feature = 'liga') {Match {uint32 {1}} Rule (kind = 'rall') {uint32 {8}}}}
    Glyph (index = 7) {}
    Glyph (index = 8) {Alternate (feature = 'ss01') {uint32 {10}}}
    Glyph (index = 9) {}
    Glyph (index = 10) {}
    Glyph (index = 11) {}
}
)";

struct Selected
{
    AmbrelDocument document;
    FontCompileContext context;
    GlyphSelection selection;

    Selected(const char *text, uint32_t flags, const CharacterInclusionMap &map)
    {
        EXPECT_EQ(document.ParseAndResolve(text), 0u);
        FontStructure *font = document.fontList.GetFirst();
        context.font = font;
        context.glyphFont = font;
        selection.SelectAll(&context, map, flags);
    }

    std::vector<uint32_t> Order() const
    {
        return std::vector<uint32_t>(selection.selection.begin(), selection.selection.end());
    }
    const GlyphStructure *Glyph(uint32_t g) const { return document.fontList.GetFirst()->GetGlyph(g); }
};

const CodePointRange kAll = {0, 0x10FFFF};
const uint32_t kAllSteps = kCompileAlternate | kCompileSequence | kCompileLayer;

TEST(GlyphSelection, NumberingFollowsTheOrderOfTheSteps)
{
    CharacterInclusionMap map(&kAll, 1, nullptr, 0);
    struct Case
    {
        const char *name;
        uint32_t flags;
        std::vector<uint32_t> order;
    };
    const Case cases[] = {
        // Glyph 0 first with number 0; a referring glyph before the glyph it copies; then the
        // decomposition, the alternate, the ligature, its alternate and the layer.
        {"every step", kAllSteps, {0, 3, 1, 5, 2, 6, 8, 10, 11}},
        {"no options", 0, {0, 3, 1, 5, 2}},
        {"alternates only", kCompileAlternate, {0, 3, 1, 5, 2, 6}},
        {"layers only", kCompileLayer, {0, 3, 1, 5, 2, 11}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Selected s(kSelectionFont, c.flags, map);
        EXPECT_EQ(s.Order(), c.order);
        EXPECT_TRUE(s.selection.IsSelected(0));
        EXPECT_EQ(s.selection.GetNewNumber(0), 0u);
        for (uint32_t i = 0; i < c.order.size(); ++i) EXPECT_EQ(s.selection.GetNewNumber(c.order[i]), i);
        // Numbers at or above the glyph count are absent.
        EXPECT_FALSE(s.selection.IsSelected(40));
        EXPECT_EQ(s.selection.GetNewNumber(99), 0u);
    }
    Selected s(kSelectionFont, kAllSteps, map);
    EXPECT_EQ(s.selection.decompositionStart, 4u);
    EXPECT_EQ(s.selection.layerStart, 8u);
}

TEST(GlyphSelection, AlternatesAndSequencesWithoutBitsOrClassAreDeleted)
{
    CharacterInclusionMap map(&kAll, 1, nullptr, 0);
    Selected s(kSelectionFont, kAllSteps, map);
    const GlyphStructure *a = s.Glyph(3);
    EXPECT_EQ(a->FindAlternate('aalt'), nullptr);
    EXPECT_NE(a->FindAlternate('smcp'), nullptr);
    EXPECT_EQ(a->sequences.GetFirst(), nullptr);
    EXPECT_NE(s.Glyph(6)->sequences.GetFirst(), nullptr);

    // Without the options nothing is pruned.
    Selected plain(kSelectionFont, 0, map);
    EXPECT_NE(plain.Glyph(3)->FindAlternate('aalt'), nullptr);
    EXPECT_NE(plain.Glyph(3)->sequences.GetFirst(), nullptr);
}

TEST(GlyphSelection, CharacterMapPages)
{
    struct Case
    {
        const char *name;
        CodePointRange exclude;
        std::vector<int16_t> pageIndex;
        uint32_t a, b;
    };
    const Case cases[] = {
        {"all", {0x300, 0x300}, {0}, 1, 2},
        {"B left out", {0x42, 0x42}, {0}, 1, 0},
        {"nothing", {0x41, 0x42}, {-1}, 0, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CharacterInclusionMap map(&kAll, 1, &c.exclude, 1);
        Selected s(kSelectionFont, 0, map);
        EXPECT_EQ(std::vector<int16_t>(s.context.pageIndex.begin(), s.context.pageIndex.end()), c.pageIndex);
        ASSERT_EQ(s.context.pages.GetElementCount(), c.pageIndex[0] < 0 ? 0 : 256);
        if (c.pageIndex[0] < 0) continue;
        EXPECT_EQ(s.context.pages[0x41], c.a);
        EXPECT_EQ(s.context.pages[0x42], c.b);
        // Mapped to glyph 0: unmapped.
        EXPECT_EQ(s.context.pages[0x43], 0u);
    }

    // A code point in a higher block gives one page-index entry per block up to its own.
    CharacterInclusionMap map(&kAll, 1, nullptr, 0);
    Selected high("Font (glyph_count = 2) {CharMap (char = 0x0305) {uint16 {1}} Glyph (index = 0) {} Glyph (index = 1) {}}",
                  0, map);
    EXPECT_EQ(std::vector<int16_t>(high.context.pageIndex.begin(), high.context.pageIndex.end()),
              (std::vector<int16_t>{-1, -1, -1, 0}));
    EXPECT_EQ(high.context.pages[5], 1u);
}

TEST(GlyphSelection, MathStyleTable)
{
    int32_t h = 26 + 7;
    EXPECT_EQ(kMathPlainCharacters[h], uint32_t('h'));
    EXPECT_EQ(kMathStyleForms[0][h], 0x210Eu);
    EXPECT_EQ(kMathStyleForms[0][0], 0x1D434u);
    int32_t letterlike = 0;
    for (const auto &row : kMathStyleForms)
    {
        for (uint32_t form : row)
        {
            EXPECT_NE(form, 0x210Fu);
            EXPECT_NE(form, 0x2113u);
            letterlike += (form >= 0x2100 && form <= 0x214F) ? 1 : 0;
            EXPECT_TRUE(form == 0 || (form >= 0x2100 && form <= 0x214F) || (form >= 0x1D400 && form <= 0x1D7FF)) << form;
        }
    }
    EXPECT_EQ(letterlike, 24);
    // Script capital B, fraktur capital C, double-struck capital R; no Greek in script, no
    // italic digits, no U+03A2.
    EXPECT_EQ(kMathStyleForms[4][1], 0x212Cu);
    EXPECT_EQ(kMathStyleForms[6][2], 0x212Du);
    EXPECT_EQ(kMathStyleForms[8][17], 0x211Du);
    EXPECT_EQ(kMathStyleForms[4][52], 0u);
    EXPECT_EQ(kMathStyleForms[0][102], 0u);
    EXPECT_EQ(kMathStyleForms[1][52 + 17], 0u);
}

TEST(GlyphSelection, MathLettersMapToPlainGlyphsOrBecomeAlternates)
{
    CharacterInclusionMap map(&kAll, 1, nullptr, 0);
    struct Case
    {
        const char *name;
        const char *text;
        uint32_t italicA;     // glyph U+1D434 maps to afterwards
        uint32_t alternate;   // glyph of A's 'ms01' Alternate
    };
    const Case cases[] = {
        {"unmapped form", "Font (glyph_count = 3) {CharMap (char = 0x41) {uint16 {1}} Glyph (index = 0) {} Glyph (index = 1) {} Glyph (index = 2) {}}",
         1, 0},
        {"both mapped",
         "Font (glyph_count = 3) {CharMap (char = 0x41) {uint16 {1}} CharMap (char = 0x1D434) {uint16 {2}} Glyph (index = 0) {} Glyph (index = 1) {} Glyph (index = 2) {}}",
         2, 2},
        {"existing ms01 kept",
         "Font (glyph_count = 3) {CharMap (char = 0x41) {uint16 {1}} CharMap (char = 0x1D434) {uint16 {2}} Glyph (index = 0) {} Glyph (index = 1) {Alternate (feature = 'ms01') {uint32 {0}}} Glyph (index = 2) {}}",
         2, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Selected s(c.text, kCompileMath | kCompileAlternate, map);
        const CharacterTable *table = s.document.fontList.GetFirst()->characterTable;
        EXPECT_EQ(uint32_t(table->Get(0x1D434)), c.italicA);
        // Every style's A maps to something; double-struck A too.
        EXPECT_NE(table->Get(0x1D538), 0);
        const AlternateStructure *ms01 = s.Glyph(1)->FindAlternate('ms01');
        if (c.italicA == 1)
        {
            EXPECT_EQ(ms01, nullptr);
            continue;
        }
        ASSERT_NE(ms01, nullptr);
        const uint32_t *glyphs = nullptr;
        ASSERT_EQ(ms01->GetGlyphs(&glyphs), 1);
        EXPECT_EQ(glyphs[0], c.alternate);
        EXPECT_TRUE(s.selection.IsSelected(2));
    }
    // Without the option nothing changes.
    Selected plain(cases[0].text, 0, map);
    EXPECT_EQ(plain.document.fontList.GetFirst()->characterTable->Get(0x1D434), 0);
}

}  // namespace
}  // namespace oq
