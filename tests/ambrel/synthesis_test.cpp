// Feature synthesis on hand-written fonts: alternates, tabular digits and ligature carets.
#include "AmbrelTestSupport.h"

namespace oq {
namespace {

using test::FourCC;

// A font read from text and its first top-level Font.
struct FontDocument
{
    explicit FontDocument(const char *text)
    {
        KettricResult result = document.ParseAndResolve(text);
        EXPECT_EQ(FourCC(result), FourCC(0)) << "line " << document.GetErrorLine();
        font = document.fontList.GetFirst();
    }

    GlyphStructure *Glyph(uint32_t index) const { return font->glyphTable[index]; }

    // The glyphs of the Glyph's Alternates with the tag, or empty.
    std::vector<uint32_t> Alternates(uint32_t index, uint32_t tag) const
    {
        std::vector<uint32_t> glyphs;
        AlternateStructure *alternate = Glyph(index)->FindAlternate(tag);
        const uint32_t *values = nullptr;
        int32_t count = (alternate != nullptr) ? alternate->GetGlyphs(&values) : 0;
        for (int32_t i = 0; i < count; ++i) glyphs.push_back(values[i]);
        return glyphs;
    }

    AmbrelDocument document;
    FontStructure *font = nullptr;
};

TEST(AmbrelSynthesisTest, Alternates)
{
    // Glyph n maps the n-th code point of each CharMap.
    FontDocument read(R"(Font (glyph_count = 12)
{
	CharMap (char = 0x002D) {uint16 {1}}
	CharMap (char = 0x2212) {uint16 {2}}
	CharMap (char = 0x002F) {uint16 {3}}
	CharMap (char = 0x0069) {uint16 {4}}
	CharMap (char = 0x0131) {uint16 {5}}
	CharMap (char = 0x006A) {uint16 {6}}
	CharMap (char = 0x2044) {uint16 {11}}
	CharMap (char = 0x1D456) {uint16 {7, 8}}
	CharMap (char = 0x1D6A4) {uint16 {9, 10}}
	Glyph (index = 0) {} Glyph (index = 1) {} Glyph (index = 2) {} Glyph (index = 3) {} Glyph (index = 4) {}
	Glyph (index = 5) {} Glyph (index = 6) {} Glyph (index = 7) {} Glyph (index = 8) {} Glyph (index = 9) {}
	Glyph (index = 10) {} Glyph (index = 11) {}
})");
    ASSERT_NE(read.font, nullptr);
    for (int32_t pass = 0; pass < 2; ++pass)
    {
        read.font->SynthesizeFeatures(&read.document, kSynthesizeAlternates);
        EXPECT_EQ(read.Alternates(1, 'hmin'), std::vector<uint32_t>{2});
        EXPECT_EQ(read.Glyph(1)->alternates.GetListElementCount(), 1) << "pass " << pass;
        // The i has its dotless form, the j has none.
        EXPECT_EQ(read.Alternates(3, 'frac'), std::vector<uint32_t>{11});
        EXPECT_EQ(read.Alternates(4, 'dtls'), std::vector<uint32_t>{5});
        EXPECT_EQ(read.Glyph(6)->alternates.GetListElementCount(), 0);
        EXPECT_EQ(read.Alternates(7, 'dtls'), std::vector<uint32_t>{9});
        EXPECT_EQ(read.Alternates(8, 'dtls'), std::vector<uint32_t>{10});
        EXPECT_EQ(read.Glyph(8)->alternates.GetListElementCount(), 1);
    }
}

// Digits 0 to 9 on glyphs 1 to 10 with the given advances.
std::string DigitFont(const float *advances)
{
    std::string text = "Font (glyph_count = 11)\n{\n\tCharMap (char = 0x30, run = 9) {uint16 {1}}\n\tGlyph {}\n";
    for (int32_t i = 0; i < 10; ++i)
    {
        text += "\tGlyph (index = " + std::to_string(i + 1) + ") {Advance {float {" + std::to_string(advances[i]) +
                "}} Bearing {float {0.05}} Rect {float[2] {{0.05, 0}, {0.4, 0.7}}}}\n";
    }
    return text + "}\n";
}

TEST(AmbrelSynthesisTest, TabularDigits)
{
    const float equal[10] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    FontDocument same(DigitFont(equal).c_str());
    same.font->SynthesizeFeatures(&same.document, kSynthesizeTabularDigits);
    EXPECT_EQ(same.font->glyphCount, 11u);
    EXPECT_EQ(same.Glyph(1)->alternates.GetListElementCount(), 0);

    const float mixed[10] = {0.5f, 0.6f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.55f};
    std::string text = DigitFont(mixed);
    // One digit unmapped: nothing at all.
    std::string missing = text;
    missing.replace(missing.find("run = 9"), 7, "run = 8");
    FontDocument partial(missing.c_str());
    partial.font->SynthesizeFeatures(&partial.document, kSynthesizeTabularDigits);
    EXPECT_EQ(partial.font->glyphCount, 11u);

    FontDocument read(text.c_str());
    for (int32_t pass = 0; pass < 2; ++pass) read.font->SynthesizeFeatures(&read.document, kSynthesizeTabularDigits);
    ASSERT_EQ(read.font->glyphCount, 21u);
    for (uint32_t k = 0; k < 10; ++k)
    {
        GlyphStructure *copy = read.Glyph(11 + k);
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetSuperStructure(), read.font);
        EXPECT_EQ(read.Alternates(1 + k, 'tnum'), std::vector<uint32_t>{11 + k});
        EXPECT_EQ(read.Glyph(1 + k)->alternates.GetListElementCount(), 1);
        EXPECT_EQ(copy->advance[0], 0.6f);
        // A copy of a narrower digit is moved into the middle of the wider advance.
        float shift = (0.6f - mixed[k]) * 0.5f;
        EXPECT_EQ(copy->bearing[0], 0.05f + shift) << k;
        EXPECT_NEAR(copy->boundingBox.min.x, 0.05f + shift, 1e-6f) << k;
        auto *component = static_cast<ComponentStructure *>(copy->GetFirstSubstructure('comp'));
        ASSERT_NE(component, nullptr);
        EXPECT_EQ(component->GetFirstSubstructure('xslt') != nullptr, k != 1) << k;
        EXPECT_EQ(component->matrix.n[3][0], (k == 1) ? 0.0f : shift) << k;
        EXPECT_EQ(copy->singleReference, component);
    }
}

// f (glyph 1, 0.3 wide), i (glyph 2, 0.2 wide) and the ffi ligature (glyph 3, 0.8 wide from 0.05)
// made on f from f and i.
std::string LigatureFont(uint32_t firstCodePoint, const char *extra)
{
    char text[2048];
    std::snprintf(text, sizeof(text), R"(Font (glyph_count = 5)
{
	CharMap (char = 0x%X) {uint16 {1}}
	Glyph (index = 0) {}
	Glyph (index = 1)
	{
		Rect {float[2] {{0, 0}, {0.3, 0.7}}}
		Sequence (feature = 'liga') {Match {uint32 {1}} Match {uint32 {2}} Rule (kind = 'rall') {uint32 {3}}}
		Sequence (feature = 'ccmp') {Match {uint32 {2}} Rule (kind = 'rall') {uint32 {4}}}
		%s
	}
	Glyph (index = 2) {Rect {float[2] {{0, 0}, {0.2, 0.5}}}}
	Glyph (index = 3) {Rect {float[2] {{0.05, 0}, {0.85, 0.7}}}}
	Glyph (index = 4) {Rect {float[2] {{0, 0}, {1, 0.7}}}}
})",
                  firstCodePoint, extra);
    return text;
}

TEST(AmbrelSynthesisTest, LigatureCarets)
{
    struct Case
    {
        const char *name;
        uint32_t codePoint;
        const char *extra;
        std::vector<float> carets;
    };
    const Case cases[] = {
        {"left to right", 0x66, "", {0.35f, 0.65f}},
        {"right to left from a Hebrew letter", 0x5D0, "", {0.85f - 0.3f, 0.85f - 0.6f}},
        {"two components, the first ligature wins", 0x66,
         "Sequence (feature = 'dlig') {Match {uint32 {2}} Rule (kind = 'rall') {uint32 {3}}}", {0.35f, 0.65f}},
    };
    for (const Case &c : cases)
    {
        FontDocument read(LigatureFont(c.codePoint, c.extra).c_str());
        read.font->SynthesizeFeatures(&read.document, kSynthesizeCarets);
        CaretStructure *caret = read.Glyph(3)->caret;
        ASSERT_NE(caret, nullptr) << c.name;
        const float *positions = nullptr;
        ASSERT_EQ(caret->GetPositions(&positions), int32_t(c.carets.size())) << c.name;
        for (size_t j = 0; j < c.carets.size(); ++j) EXPECT_NEAR(positions[j], c.carets[j], 1e-6f) << c.name << " " << j;
        // 'ccmp' makes no caret; a second run keeps the one there is.
        EXPECT_EQ(read.Glyph(4)->caret, nullptr) << c.name;
        read.font->SynthesizeFeatures(&read.document, kSynthesizeCarets);
        EXPECT_EQ(read.Glyph(3)->caret, caret);
        EXPECT_EQ(read.Glyph(3)->GetLastSubstructure('cart'), caret);
        EXPECT_EQ(read.Glyph(3)->GetFirstSubstructure('cart'), caret);
    }

    // A caret from the font data stays as it is.
    std::string text = LigatureFont(0x66, "");
    text.replace(text.find("{0.05, 0}, {0.85, 0.7}}}"), 24, "{0.05, 0}, {0.85, 0.7}}} Caret {float {0.5}}");
    FontDocument given(text.c_str());
    CaretStructure *caret = given.Glyph(3)->caret;
    ASSERT_NE(caret, nullptr);
    given.font->SynthesizeFeatures(&given.document, kSynthesizeCarets);
    const float *positions = nullptr;
    EXPECT_EQ(caret->GetPositions(&positions), 1);
    EXPECT_EQ(given.Glyph(3)->GetFirstSubstructure('cart'), given.Glyph(3)->GetLastSubstructure('cart'));
}

}  // namespace
}  // namespace oq
