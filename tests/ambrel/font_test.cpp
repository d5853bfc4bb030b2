// Ambrel fonts: the fixtures resolve to the expected tables and round-trip to a fixpoint with the
// same resolved state; every invalid input reports its code and line.
#include "AmbrelTestSupport.h"
#include "FontFixture.h"

#include <cmath>

namespace oq {
namespace {

using test::FourCC;
using test::WriteDocumentText;

// A document read from text; the outcome stays for the checks.
struct ReadDocument
{
    explicit ReadDocument(const char *text) : result(document.ParseAndResolve(text)), line(document.GetErrorLine()) {}

    AmbrelDocument document;
    KettricResult result;
    int32_t line;
};

FontStructure *FirstFont(AmbrelDocument *document)
{
    return document->fontList.GetFirst();
}

TEST(AmbrelFontTest, FixturesRoundTripToAFixpointWithTheSameState)
{
    for (const char *fixture : {test::kFontFixture, test::kCollectionFixture})
    {
        ReadDocument first(fixture);
        ASSERT_EQ(FourCC(first.result), FourCC(0)) << "line " << first.line;
        std::string text1 = WriteDocumentText(&first.document);
        ReadDocument second(text1.c_str());
        ASSERT_EQ(FourCC(second.result), FourCC(0)) << "line " << second.line << "\n" << text1;
        std::string text2 = WriteDocumentText(&second.document);
        EXPECT_EQ(text1, text2);
        test::ExpectSameResolvedState(&first.document, &second.document);
    }
}

TEST(AmbrelFontTest, FixtureResolvesToTheExpectedTables)
{
    ReadDocument read(test::kFontFixture);
    ASSERT_EQ(FourCC(read.result), FourCC(0)) << "line " << read.line;
    FontStructure *font = FirstFont(&read.document);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->listLink.GetNextListElement(), nullptr);

    // Glyph table: every index, then ten spare entries.
    ASSERT_EQ(font->glyphTableSize, 26u);
    for (uint32_t i = 0; i < 26; ++i) EXPECT_EQ(test::GlyphNumber(font->glyphTable[i]), (i < 16) ? int64_t(i) : -1);

    // Character table: single values, a zero that maps nothing, a run, a supplementary code point.
    struct Mapping
    {
        uint32_t codePoint;
        int32_t glyph;
    };
    const Mapping mappings[] = {{0x41, 4}, {0x61, 8}, {0x66, 1}, {0x67, 0}, {0x69, 2}, {0xC5, 5},
                                {0x30, 13}, {0x31, 14}, {0x32, 15}, {0x33, 0}, {0x1F600, 9}, {0x48, 0}};
    for (const Mapping &m : mappings) EXPECT_EQ(font->characterTable->Get(m.codePoint), m.glyph) << std::hex << m.codePoint;
    EXPECT_EQ(font->FindCharacterTable(0x41), font->characterTable);
    EXPECT_EQ(font->FindCharacterTable(0x42), nullptr);

    // Metrics from Metrics, from glyph 0's box (H, x and = are unmapped), typo copies, units.
    EXPECT_EQ(font->ascent, 0.8f);
    EXPECT_EQ(font->descent, -0.2f);
    EXPECT_EQ(font->typoAscent, 0.8f);
    EXPECT_EQ(font->typoDescent, -0.2f);
    EXPECT_EQ(font->subscriptScale[0], 0.6f);
    EXPECT_EQ(font->subscriptScale[1], 0.7f);
    EXPECT_EQ(font->weightClass, 400u);
    EXPECT_EQ(font->capHeight, 0.7f);
    EXPECT_EQ(font->exHeight, 0.7f);
    EXPECT_EQ(font->mathAxisHeight, 0.35f);
    EXPECT_EQ(font->unitsPerEm, 1000.0f);
    EXPECT_EQ(font->inverseUnitsPerEm, 1.0f / 1000.0f);
    ASSERT_NE(font->nameStrings, nullptr);
    EXPECT_STREQ((*font->nameStrings)[1], "Regular");

    GlyphStructure *const *glyphs = font->glyphTable;
    // Character lists and glyph reference links.
    ASSERT_EQ(glyphs[4]->characterList.GetElementCount(), 1);
    EXPECT_EQ(glyphs[4]->characterList[0], 0x41u);
    EXPECT_EQ(glyphs[6]->characterList.GetElementCount(), 0);
    EXPECT_EQ(test::DescribeIncomingLinks(glyphs[3]), "sequ@1:-1 sequ@2:-1 altr@8:1 ");
    EXPECT_EQ(test::DescribeIncomingLinks(glyphs[7]), "altr@8:-1 altr@8:0 ");
    EXPECT_EQ(test::DescribeIncomingLinks(glyphs[6]), "dcmp@5:1 ");
    EXPECT_EQ(test::DescribeIncomingLinks(glyphs[12]), "emoj@9:2 ");

    // Metrics and lists of the glyphs.
    EXPECT_EQ(glyphs[4]->advance[1], 1.0f);
    EXPECT_EQ(glyphs[4]->bearing[1], 0.1f);
    EXPECT_EQ(glyphs[8]->horizontalKerns.GetListElementCount(), 1);
    EXPECT_EQ(glyphs[8]->verticalKerns.GetListElementCount(), 1);
    EXPECT_NE(glyphs[8]->FindKern(1, false), nullptr);
    EXPECT_EQ(glyphs[8]->FindKern(1, true), nullptr);
    EXPECT_EQ(glyphs[8]->FindAlternate('salt')->featureTag, uint32_t('salt'));
    EXPECT_EQ(glyphs[4]->FindBaseAnchor(0)->GetPosition().y, 0.7f);
    EXPECT_EQ(glyphs[4]->FindMarkAnchor(1)->GetPosition().x, 0.3f);
    EXPECT_EQ(glyphs[4]->FindMarkAnchor(0), nullptr);
    EXPECT_NE(glyphs[5]->GetDecomposition(), nullptr);
    EXPECT_EQ(glyphs[1]->sequences.GetFirst()->matchList.GetListElementCount(), 1);

    // Outlines: glyph 1 moved to its bearing, glyph 5 made of A and the translated ring.
    EXPECT_NEAR(glyphs[1]->boundingBox.min.x, 0.02f, 1e-6f);
    EXPECT_NEAR(glyphs[1]->boundingBox.max.x, 0.27f, 1e-6f);
    EXPECT_EQ(glyphs[5]->curves.GetElementCount(), glyphs[4]->curves.GetElementCount() + glyphs[6]->curves.GetElementCount());
    EXPECT_NEAR(glyphs[5]->boundingBox.max.y, 0.95f, 1e-5f);
    EXPECT_EQ(glyphs[5]->singleReference, nullptr);
    EXPECT_FALSE(glyphs[5]->tooLarge);

    // The colour glyph: three layers, float colours through sRGB, uint8 colours as stored.
    EmojiStructure *emoji = glyphs[9]->emoji;
    ASSERT_NE(emoji, nullptr);
    ASSERT_EQ(emoji->glyphArray.GetElementCount(), 3);
    EXPECT_EQ(emoji->glyphArray[2], 12u);
    EXPECT_EQ(emoji->colorArray[0], 0xFF0000FFu);
    EXPECT_EQ(emoji->colorArray[1], 0xFF00FF00u);
    EXPECT_EQ(emoji->colorArray[2], 0x80FF0000u);
    auto *paint = test::FindStructure<PaintStructure>(&read.document, 'pant', 2);
    EXPECT_EQ(paint->matrix.n[0][0], 0.5f);
}

TEST(AmbrelFontTest, CollectionMembersUseTheParentsGlyphs)
{
    ReadDocument read(test::kCollectionFixture);
    ASSERT_EQ(FourCC(read.result), FourCC(0)) << "line " << read.line;
    FontStructure *parent = FirstFont(&read.document);
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(read.document.fontList.GetListElementCount(), 1);
    ASSERT_EQ(parent->memberFonts.GetListElementCount(), 2);
    FontStructure *regular = parent->memberFonts.GetFirst();
    FontStructure *bold = StructureList<FontStructure>::GetNext(regular);
    EXPECT_EQ(regular->GetGlyphFont(), parent);
    EXPECT_EQ(parent->characterTable, nullptr);
    EXPECT_EQ(regular->ascent, 0.8f);
    EXPECT_STREQ((*bold->nameStrings)[1], "Bold");

    // The first member that maps a code point is found; the parent itself maps nothing.
    EXPECT_EQ(parent->FindCharacterTable(0x41), regular->characterTable);
    EXPECT_EQ(parent->FindCharacterTable(0x42), regular->characterTable);
    EXPECT_EQ(bold->characterTable->Get(0x41), 2);
    // Members' passes in order: glyph 2 is B of the first member, then A of the second.
    GlyphStructure *glyph = parent->glyphTable[2];
    ASSERT_EQ(glyph->characterList.GetElementCount(), 2);
    EXPECT_EQ(glyph->characterList[0], 0x42u);
    EXPECT_EQ(glyph->characterList[1], 0x41u);
    // The member before glyph 2 met it unprepared: the regular face's cap height stays 0.
    EXPECT_EQ(regular->capHeight, 0.0f);
}

TEST(AmbrelFontTest, MetricsAndCharacterMaps)
{
    ReadDocument read(R"(Font (glyph_count = 41)
{
	Metric (key = "cap_height") {float[2] {{0.7, 0.7}}}
	Metric (key = "sub_scale") {float {0.5}}
	Metric (key = "ex_height") {float {0.4}}
	Metric (key = "ex_height") {float {0.45}}
	Metric (key = "ascent\tx") {float {3}}
	Metric (key = "dark_palette") {uint32 {1}}
	Metric (key = "family_class") {uint32 {0x0805}}
	Metric (key = "super_offset") {float[2] {{0.1, 0.5}}}
	CharMap (char = 0x41, run = 2) {uint16 {36, 37, 38}}
	CharMap (char = 0x41) {uint16 {1, 2}}
	CharMap (char = 0x10FFFF) {uint32 {3}}
	CharMap (char = 0x50) {uint16 {0, 5} uint16 {6, 6}}
	Glyph (index = 0) {Rect {float[2] {{0, -0.25}, {1, 0.75}}}}
)"
                      R"(	Glyph (index = 1) {} Glyph (index = 2) {} Glyph (index = 3) {} Glyph (index = 4) {} Glyph (index = 5) {}
	Glyph (index = 6) {} Glyph (index = 7) {} Glyph (index = 8) {} Glyph (index = 9) {} Glyph (index = 10) {}
	Glyph (index = 11) {} Glyph (index = 12) {} Glyph (index = 13) {} Glyph (index = 14) {} Glyph (index = 15) {}
	Glyph (index = 16) {} Glyph (index = 17) {} Glyph (index = 18) {} Glyph (index = 19) {} Glyph (index = 20) {}
	Glyph (index = 21) {} Glyph (index = 22) {} Glyph (index = 23) {} Glyph (index = 24) {} Glyph (index = 25) {}
	Glyph (index = 26) {} Glyph (index = 27) {} Glyph (index = 28) {} Glyph (index = 29) {} Glyph (index = 30) {}
	Glyph (index = 31) {} Glyph (index = 32) {} Glyph (index = 33) {} Glyph (index = 34) {} Glyph (index = 35) {}
	Glyph (index = 36) {} Glyph (index = 37) {} Glyph (index = 38) {} Glyph (index = 39) {} Glyph (index = 40) {}
})");
    ASSERT_EQ(FourCC(read.result), FourCC(0)) << "line " << read.line;
    FontStructure *font = FirstFont(&read.document);
    // Wrong shapes and unknown keys set nothing; the later Metric wins; H takes glyph 0's box.
    EXPECT_EQ(font->capHeight, 0.75f);
    EXPECT_EQ(font->subscriptScale[0], 0.65f);
    EXPECT_EQ(font->exHeight, 0.45f);
    EXPECT_EQ(font->ascent, 0.0f);
    EXPECT_EQ(font->familyClass, 0x805u);
    EXPECT_EQ(font->superscriptOffset[1], 0.5f);
    EXPECT_EQ(font->mathAxisHeight, 0.25f);
    // The first CharMap that maps a code point wins; a run continues the last value; 0 maps nothing.
    const int32_t expected[] = {36, 37, 38, 39, 40, 0};
    for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(font->characterTable->Get(0x41 + i), expected[i]) << i;
    EXPECT_EQ(font->characterTable->Get(0x10FFFF), 3);
    EXPECT_EQ(font->characterTable->Get(0x50), 0);
    EXPECT_EQ(font->characterTable->Get(0x51), 5);
    std::string text = WriteDocumentText(&read.document);
    EXPECT_NE(text.find("Metric (key = \"ascent\\tx\") {float {3.0}}"), std::string::npos) << text;
}

struct FailureCase
{
    const char *name;
    const char *text;
    uint32_t result;
    int32_t line;
};

TEST(AmbrelFontTest, InvalidInputReportsItsCodeAndLine)
{
    const FailureCase cases[] = {
        {"glyph count that wraps", "Font (glyph_count = 0xFFFFFFF6)\n{\n}\n", kResultInvalidDataFormat, 1},
        {"glyph count one past the limit", "Font (glyph_count = 16711671)\n{\n}\n", kResultInvalidDataFormat, 1},
        {"glyph count at the limit without glyphs", "Font (glyph_count = 16711670)\n{\n}\n", 'mgly', 1},
        {"missing glyph", "Font (glyph_count = 3) {\nGlyph (index = 0) {}\nGlyph (index = 2) {}\n}\n", 'mgly', 1},
        {"glyph index too large", "Font (glyph_count = 1) {\nGlyph (index = 1) {}\n}\n", 'ivgi', 2},
        {"glyph without glyph count", "Font {\nGlyph {}\n}\n", 'ivgi', 2},
        {"wrapping char map", "Font (glyph_count = 2) {\nGlyph {} Glyph (index = 1) {}\nCharMap (char = 0xFFFFFFFF) {uint16 {1}}\n}\n", 'ivcs', 3},
        {"wrapping run", "Font (glyph_count = 2) {\nGlyph {} Glyph (index = 1) {}\nCharMap (char = 0x41, run = 0xFFFFFFFF) {uint16 {1}}\n}\n", 'ivcs', 3},
        {"char map past the last code point", "Font (glyph_count = 2) {\nGlyph {} Glyph (index = 1) {}\nCharMap (char = 0x10FFFF) {uint16 {1, 1}}\n}\n", 'ivcs', 3},
        {"empty char map list", "Font (glyph_count = 1) {\nGlyph {}\nCharMap {uint16 {}}\n}\n", 'ivcs', 3},
        {"char map glyph equal to the count", "Font (glyph_count = 2) {\nGlyph {} Glyph (index = 1) {}\nCharMap (char = 0x41) {uint32 {2}}\n}\n", 'ivgi', 3},
        {"char map run end equal to the count", "Font (glyph_count = 2) {\nGlyph {} Glyph (index = 1) {}\nCharMap (char = 0x41, run = 1) {uint32 {1}}\n}\n", 'ivgi', 3},
        {"second Scale", "Font {\nScale {float[2] {{1, 1}}}\nScale {float[2] {{1, 1}}}\n}\n", kResultExtraSubstructure, 1},
        {"Scale of kind x", "Font {\nScale (kind = \"x\") {float {1}}\n}\n", 'ivsk', 1},
        {"empty Match", "Font (glyph_count = 1) {\nGlyph {\nSequence {\nMatch {uint32 {}}\n}\n}\n}\n", kResultInvalidDataFormat, 4},
        {"Rule with two lists", "Font (glyph_count = 1) {\nGlyph {\nSequence {\nRule {uint32 {1} uint32 {2}}\n}\n}\n}\n", kResultExtraSubstructure, 4},
        {"Kern with fewer values than glyphs", "Font (glyph_count = 1) {\nGlyph {\nKern {uint32 {1, 2} float {0.5}}\n}\n}\n", kResultInvalidDataFormat, 3},
        {"Kern with glyphs and no values", "Font (glyph_count = 1) {\nGlyph {\nKern {uint32 {1}}\n}\n}\n", kResultInvalidDataFormat, 3},
        {"Advance with three values", "Font (glyph_count = 1) {\nGlyph {\nAdvance {float {1, 2, 3}}\n}\n}\n", kResultInvalidDataFormat, 3},
        {"Advance with two lists", "Font (glyph_count = 1) {\nGlyph {\nAdvance {float {1} float {2}}\n}\n}\n", kResultExtraSubstructure, 3},
        {"Bearing without list", "Font (glyph_count = 1) {\nGlyph {\nBearing {}\n}\n}\n", kResultMissingSubstructure, 3},
        {"two Carets", "Font (glyph_count = 1) {\nGlyph {\nCaret {}\nCaret {}\n}\n}\n", kResultExtraSubstructure, 2},
        {"two Emojis", "Font (glyph_count = 1) {\nGlyph {\nEmoji {}\nEmoji {}\n}\n}\n", kResultExtraSubstructure, 2},
        {"Metric pair in a flat list", "Font {\nMetric (key = \"sub_scale\") {float {1, 2}}\n}\n", kResultInvalidDataFormat, 2},
        {"Metric with two integers", "Font {\nMetric (key = \"weight_class\") {uint32 {400, 700}}\n}\n", kResultInvalidDataFormat, 2},
        {"Metric without data", "Font {\nMetric (key = \"ascent\") {}\n}\n", kResultMissingSubstructure, 2},
        {"Component without glyphs", "Font (glyph_count = 1) {\nGlyph {\nComponent {}\n}\n}\n", kResultMissingSubstructure, 3},
        {"Component colour count", "Font (glyph_count = 1) {\nGlyph {\nComponent {uint32 {0, 0} Color {float[3] {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}}\n}\n}\n", 'dcmm', 3},
        {"Emoji layer without colour", "Font (glyph_count = 1) {\nGlyph {\nEmoji {\nComponent {uint32 {0}}\n}\n}\n}\n", kResultMissingSubstructure, 3},
        {"member with a glyph", "Font {\nFont {\nGlyph {}\n}\n}\n", kResultInvalidStructure, 3},
        {"member with a member", "Font {\nFont {\nFont {}\n}\n}\n", kResultInvalidStructure, 3},
        {"member with a Scale", "Font {\nFont {\nScale {float[2] {{1, 1}}}\n}\n}\n", kResultInvalidStructure, 3},
        {"member with a glyph count", "Font {\nFont (glyph_count = 1) {}\n}\n", kResultInvalidDataFormat, 2},
        {"data list in a Font", "Font {\nfloat {1}\n}\n", kResultInvalidStructure, 2},
        {"Anchor with a flat list", "Font (glyph_count = 1) {\nGlyph {\nAnchor {float {1, 2}}\n}\n}\n", kResultInvalidStructure, 3},
    };
    for (const FailureCase &c : cases)
    {
        ReadDocument read(c.text);
        EXPECT_EQ(FourCC(read.result), FourCC(c.result)) << c.name;
        EXPECT_EQ(read.line, c.line) << c.name;
    }
}

TEST(AmbrelFontTest, UnusableGlyphNumbersAreSkipped)
{
    // No glyph table and a char map without data: preparation looks up nothing.
    ReadDocument empty("Font {CharMap (char = 0x41) {}}");
    ASSERT_EQ(FourCC(empty.result), FourCC(0));
    EXPECT_EQ(FirstFont(&empty.document)->capHeight, 0.0f);

    // Components, Matches, Rules, Alternates, Decompositions and layers naming glyph 7 of 2, and a
    // ligature of glyphs without ink.
    ReadDocument read(R"(Font (glyph_count = 3)
{
	CharMap (char = 0x66) {uint16 {1}}
	Glyph (index = 0)
	{
		Component {uint32 {7, 1, 0xFFFFFFFF}}
		Alternate (feature = 'salt') {uint32 {7}}
		Decompose {uint32 {7, 1}}
		Emoji {Component {uint32 {7} Color {float[3] {{1, 0, 0}}}}}
	}
	Glyph (index = 1)
	{
		Rect {float[2] {{0, 0}, {1, 1}}}
		Sequence (feature = 'liga') {Match {uint32 {7}} Rule (kind = 'rall') {uint32 {0}}}
		Sequence (feature = 'dlig') {Match {uint32 {0}} Rule (kind = 'rall') {uint32 {0}}}
		Sequence (feature = 'hlig') {Match {uint32 {1}} Rule (kind = 'rall') {uint32 {7}}}
	}
	Glyph (index = 2)
	{
		Sequence (feature = 'liga') {Match {uint32 {2}} Rule (kind = 'rall') {uint32 {1}}}
	}
})");
    ASSERT_EQ(FourCC(read.result), FourCC(0)) << "line " << read.line;
    FontStructure *font = FirstFont(&read.document);
    EXPECT_EQ(font->glyphTable[0]->curves.GetElementCount(), 4);
    std::string text = WriteDocumentText(&read.document);
    // Unknown glyph numbers in Matches show as numbers; glyph 2, mapped by nothing, by its index.
    EXPECT_NE(text.find("// U+0066, ({U+0066 # <7>}.liga, {U+0066 # <0>}.dlig)->[1], {<2> # <2>}.liga\n"),
              std::string::npos) << text;
    font->SynthesizeFeatures(&read.document, kSynthesizeAlternates | kSynthesizeTabularDigits | kSynthesizeCarets);
    // Glyph 0 (a copy of glyph 1) gets the caret of the 'dlig' ligature; the ligature of two
    // glyphs without ink, the unknown component and the unknown ligature get none.
    ASSERT_NE(font->glyphTable[0]->caret, nullptr);
    const float *positions = nullptr;
    ASSERT_EQ(font->glyphTable[0]->caret->GetPositions(&positions), 1);
    EXPECT_EQ(positions[0], 0.5f);
    EXPECT_EQ(font->glyphTable[1]->caret, nullptr);
}

}  // namespace
}  // namespace oq
