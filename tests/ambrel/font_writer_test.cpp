// Text of the font structures: glyph comments, the forms of every writer, and text that reads
// back to the same text.
#include "AmbrelTestSupport.h"

namespace oq {
namespace {

using test::FourCC;
using test::WriteDocumentText;

// The text of a document read from the input; empty (with a failure) when it does not read.
std::string Rewrite(const char *input)
{
    AmbrelDocument document;
    KettricResult result = document.ParseAndResolve(input);
    EXPECT_EQ(FourCC(result), FourCC(0)) << "line " << document.GetErrorLine() << "\n" << input;
    return (result == 0) ? WriteDocumentText(&document) : std::string();
}

// Reads the text, writes it, reads that back and writes again: the two texts are equal.
std::string ExpectFixpoint(const char *input)
{
    std::string text1 = Rewrite(input);
    std::string text2 = Rewrite(text1.c_str());
    EXPECT_EQ(text1, text2);
    return text1;
}

TEST(AmbrelFontWriterTest, GlyphComments)
{
    struct Case
    {
        const char *name;
        const char *font;
        const char *comment;
    };
    const Case cases[] = {
        {"code points in order, supplementary with six digits",
         "Font (glyph_count = 2) {CharMap (char = 0x41) {uint16 {1}} CharMap (char = 0x1D400) {uint16 {1}} CharMap (char = 0xC5) {uint16 {1}} Glyph {} Glyph (index = 1) {}}",
         "Glyph (index = 1)\t\t// U+0041, U+00C5, U+01D400\n"},
        {"unmapped glyph", "Font (glyph_count = 1) {Glyph {}}", "Glyph (index = 0)\t\t// <0>\n"},
        {"alternates with and without positions",
         "Font (glyph_count = 3) {CharMap (char = 0x61) {uint16 {1}} Glyph {} Glyph (index = 1) {Alternate (feature = 'smcp') {uint32 {2}} Alternate (feature = 'salt') {uint32 {0, 2}}} Glyph (index = 2) {}}",
         "Glyph (index = 2)\t\t// U+0061.smcp, U+0061.salt[1]\n"},
        {"ligature of an unmapped glyph",
         "Font (glyph_count = 4) {CharMap (char = 0x66) {uint16 {1, 0, 0, 2}} Glyph {} Glyph (index = 1) {Sequence (feature = 'liga') {Match {uint32 {1}} Match {uint32 {2}} Rule (kind = 'rall') {uint32 {3}}}} Glyph (index = 2) {} Glyph (index = 3) {}}",
         "Glyph (index = 3)\t\t// {U+0066 # U+0066 # U+0069}.liga\n"},
        {"decomposition",
         "Font (glyph_count = 4) {CharMap (char = 0xC5) {uint16 {1}} Glyph {} Glyph (index = 1) {Decompose {uint32 {2, 0, 3}}} Glyph (index = 2) {} Glyph (index = 3) {}}",
         "Glyph (index = 3)\t\t// U+00C5->[2]\n"},
        {"emoji layer",
         "Font (glyph_count = 3) {CharMap (char = 0x1F600) {uint32 {1}} Glyph {} Glyph (index = 1) {Emoji {Component {uint32 {0, 2} Color {float[3] {{1, 0, 0}, {0, 1, 0}}}}}} Glyph (index = 2) {}}",
         "Glyph (index = 2)\t\t// U+01F600:1\n"},
        {"owner that is a list",
         "Font (glyph_count = 2) {CharMap (char = 0x41) {uint16 {1, 1}} Glyph {} Glyph (index = 1) {Alternate (feature = 'smcp') {uint32 {0}}}}",
         "Glyph (index = 0)\t\t// (U+0041, U+0042).smcp\n"},
        {"sequence with an unknown match glyph",
         "Font (glyph_count = 2) {Glyph {} Glyph (index = 1) {Sequence (feature = 'liga') {Match {uint32 {7}} Rule (kind = 'rall') {uint32 {0}}}}}",
         "Glyph (index = 0)\t\t// {<1> # <7>}.liga\n"},
        {"tags with control bytes, quotes and high bytes",
         "Font (glyph_count = 3) {Glyph {} Glyph (index = 1) {Alternate (feature = 0x0A412F0D) {uint32 {0}} Sequence (feature = 0xFF272020) {Match {uint32 {1}} Rule (kind = 'rall') {uint32 {2}}}} Glyph (index = 2) {}}",
         "Glyph (index = 0)\t\t// <1>.?A/?\n"},
        {"tag of a sequence with control bytes",
         "Font (glyph_count = 3) {Glyph {} Glyph (index = 1) {Sequence (feature = 0xFF272020) {Match {uint32 {1}} Rule (kind = 'rall') {uint32 {2}}}} Glyph (index = 2) {}}",
         "Glyph (index = 2)\t\t// {<1> # <1>}.?'  \n"},
    };
    for (const Case &c : cases)
    {
        std::string text = ExpectFixpoint(c.font);
        EXPECT_NE(text.find(c.comment), std::string::npos) << c.name << "\n" << text;
    }
}

TEST(AmbrelFontWriterTest, LongGlyphCommentsEndEarly)
{
    // 300 code points map glyph 1, which has 300 Alternates to glyph 2, which has 300 to glyph 3:
    // without a limit glyph 3's comment would hold 300 x 300 parts.
    std::string font = "Font (glyph_count = 4)\n{\n\tCharMap (char = 0x100) {uint16 {1";
    for (int32_t i = 1; i < 300; ++i) font += ", 1";
    font += "}}\n\tGlyph (index = 0) {}\n";
    for (int32_t g = 1; g <= 2; ++g)
    {
        font += "\tGlyph (index = " + std::to_string(g) + ")\n\t{\n";
        for (int32_t i = 0; i < 300; ++i) font += "\t\tAlternate (feature = 'salt') {uint32 {" + std::to_string(g + 1) + "}}\n";
        font += "\t}\n";
    }
    font += "\tGlyph (index = 3) {}\n}\n";
    std::string text = ExpectFixpoint(font.c_str());
    size_t start = text.find("Glyph (index = 3)");
    ASSERT_NE(start, std::string::npos);
    size_t end = text.find('\n', start);
    EXPECT_LT(end - start, 8192u);
    EXPECT_EQ(text.compare(end - 5, 5, ", ..."), 0) << text.substr(start, 200);
    EXPECT_EQ(text.compare(start, 44, "Glyph (index = 3)\t\t// ((U+0100, U+0101, U+01"), 0) << text.substr(start, 200);
}

TEST(AmbrelFontWriterTest, StructureForms)
{
    struct Case
    {
        const char *name;
        const char *font;
        const char *expected;
    };
    const Case cases[] = {
        {"font without glyphs", "Font {}", "Font\n{\n}\n"},
        {"metric key escaped", "Font {Metric (key = \"a\\\"b\\\\c\\n\") {float {1}}}", "\tMetric (key = \"a\\\"b\\\\c\\n\") {float {1.0}}\n"},
        {"metrics in a run after a char map",
         "Font (glyph_count = 1) {CharMap {uint16 {0}} Metric (key = \"ascent\") {float {1}} Metric (key = \"x\") {float[2] {{1, 2}}} Glyph {}}",
         "\t}\n\n\tMetric (key = \"ascent\") {float {1.0}}\n\tMetric (key = \"x\") {float[2] {{1.0, 2.0}}}\n"},
        {"uint16 char map of 32 values on one line",
         "Font (glyph_count = 1) {CharMap {uint16 {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}} Glyph {}}",
         "\t\tuint16 {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}\n"},
        {"uint16 char map of 33 values on two lines",
         "Font (glyph_count = 1) {CharMap (char = 0x10000, run = 0) {uint16 {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}} Glyph {}}",
         "\tCharMap (char = 0x00010000)\n\t{\n\t\tuint16\n\t\t{\n\t\t\t0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,\n\t\t\t0\n\t\t}\n\t}\n"},
        {"uint32 char map of 32 values in the long form",
         "Font (glyph_count = 1) {CharMap {uint32 {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}} Glyph {}}",
         "\t\tuint32\n\t\t{\n\t\t\t0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\n\t\t}\n"},
        {"advance, bearing and caret",
         "Font (glyph_count = 1) {Glyph {Advance {float[2] {{0.5, 1}}} Bearing {float {0.1}} Caret {float {0.3, 0.6}}}}",
         "\t{\n\t\tAdvance {float {0.5, 1.0}}\n\t\tBearing {float {0.1}}\n\n\t\tCaret {float {0.3, 0.6}}\n"},
        {"empty caret", "Font (glyph_count = 1) {Glyph {Caret {}}}", "\t\tCaret {}\n"},
        {"vertical kern, empty lists left out",
         "Font (glyph_count = 1) {Glyph {Kern (vertical) {uint32 {7, 9} float {-0.05, 0.02} uint32 {}}}}",
         "\t\tKern (vertical)\n\t\t{\n\t\t\tuint32 {7, 9}\n\t\t\tfloat {-0.05, 0.02}\n\t\t}\n"},
        {"alternates in a run, one without data",
         "Font (glyph_count = 1) {Glyph {Advance {float {1}} Alternate (feature = 'smcp') {uint32 {1}} Alternate (feature = 'c2sc') {}}}",
         "\t\tAdvance {float {1.0}}\n\n\t\tAlternate (feature = 'smcp') {uint32 {1}}\n\t\tAlternate (feature = 'c2sc') {}\n"},
        {"matches and rules of every array size",
         "Font (glyph_count = 1) {Glyph {Sequence (feature = 'ccmp') {Match (kind = 'bkwd') {uint32 {4, 5, 6}} Match {uint32 {3}} Rule (kind = 'sbst') {uint32[2] {{0, 57}, {1, 60}}} Rule (kind = 'mult') {uint32[3] {{0, 1, 2}, {3, 4, 5}}} Rule (kind = 'rall') {uint32 {12}}}}}",
         "\t\t\tMatch (kind = 'bkwd') {uint32 {4, 5, 6}}\n\t\t\tMatch {uint32 {3}}\n\t\t\tRule (kind = 'sbst') {uint32[2] {{0, 57}, {1, 60}}}\n\t\t\tRule (kind = 'mult') {uint32[3] {{0, 1, 2}, {3, 4, 5}}}\n\t\t\tRule (kind = 'rall') {uint32 {12}}\n"},
        {"decompose after an advance and first",
         "Font (glyph_count = 1) {Glyph {Advance {float {1}} Decompose {uint32 {1, 2}}} Glyph {Decompose {uint32 {3}}}}",
         "\t\tAdvance {float {1.0}}\n\t\tDecompose {uint32 {1, 2}}\n"},
        {"anchors in a run, one without a point",
         "Font (glyph_count = 1) {Glyph {Advance {float {1}} Anchor (base, index = 2) {float[2] {{0.25, 0.6}}} Anchor (index = 1) {}}}",
         "\t\tAdvance {float {1.0}}\n\n\t\tAnchor (base, index = 2) {float[2] {{0.25, 0.6}}}\n\t\tAnchor (index = 1) {}\n"},
        {"component with an empty list",
         "Font (glyph_count = 1) {Glyph {Component {uint32 {} Scale {float[2] {{2, 2}}}}}}",
         "\t\tComponent\n\t\t{\n\t\t\tuint32 {}\n\t\t\tScale {float[2] {{2.0, 2.0}}}\n\t\t}\n"},
        {"paints with and without glyphs and modes",
         "Font (glyph_count = 1) {Glyph {Emoji {Paint {Paint (comp = 5) {uint32 {}} Gradient {float[3] {{1, 0, 0}} Color {float[3] {{1, 0, 0}, {0, 0, 1}}}}}}}}",
         "\t\t\tPaint\n\t\t\t{\n\t\t\t\tPaint (comp = 5)\n\t\t\t\t{\n\t\t\t\t\tuint32 {}\n\t\t\t\t}\n\n\t\t\t\tGradient\n"},
        {"colour, gradient and transform directly in the emoji",
         "Font (glyph_count = 1) {Glyph {Emoji {Color {float[3] {{0, 0, 1}}} Rotation {float {90}}}}}",
         "\t\tEmoji\n\t\t{\n\t\t\tColor {float[3] {{0.0, 0.0, 1.0}}}\n\n\t\t\tRotation {float {90.0}}\n\t\t}\n"},
    };
    for (const Case &c : cases)
    {
        std::string text = ExpectFixpoint(c.font);
        EXPECT_NE(text.find(c.expected), std::string::npos) << c.name << "\n" << text;
    }
}

TEST(AmbrelFontWriterTest, StructuresBuiltInCodeWriteAsText)
{
    // Built as the importer builds them: every find and add operation, then resolved.
    AmbrelDocument document;
    auto *font = new FontStructure;
    document.GetRootStructure()->AppendSubnode(font);
    font->SetUnitsPerEm(2048.0f);
    ASSERT_EQ(font->SetGlyphCount(4), 0u);
    EXPECT_EQ(font->SetGlyphCount(kMaxGlyphCount + 1), kResultInvalidDataFormat);
    EXPECT_EQ(font->glyphCount, 4u);
    font->AddMetricFloat("ascent", 0.75f);
    GlyphStructure *glyphs[4];
    for (uint32_t i = 0; i < 4; ++i)
    {
        glyphs[i] = new GlyphStructure(i);
        font->AppendSubnode(glyphs[i]);
    }
    const float pair[2] = {0.6f, 0.7f};
    font->AddMetricVector("sub_scale", pair);
    font->AddMetricInteger("weight_class", 700);
    auto *charMap = new CharMapStructure(0x61);
    KettricUInt16List *map = new KettricUInt16List;
    map->SetElementCount(3);
    (*map)[0] = 1;
    (*map)[1] = 2;
    (*map)[2] = 3;
    charMap->AppendSubnode(map);
    font->AppendSubnode(charMap);

    GlyphStructure *a = glyphs[1];
    a->AddKernPair(2, -0.05f, false);
    a->AddKernPair(3, 0.02f, false);
    a->AddKernPair(2, 0.01f, true);
    EXPECT_EQ(a->FindKern(3, false), a->horizontalKerns.GetFirst());
    EXPECT_EQ(a->FindKern(3, true), nullptr);
    a->AddAlternate('salt', 2);
    a->AddAlternate('rvrn', 3);
    a->AddAlternate('smcp', 2)->SetElementCount(2);
    a->AddAlternate('ms03', 3);
    const uint32_t ligature[1] = {2};
    a->AddLigature('liga', 1, ligature, 3);
    EXPECT_NE(a->FindLigature('liga', 1, ligature), nullptr);
    const uint32_t longer[2] = {2, 2};
    EXPECT_EQ(a->FindLigature('liga', 2, longer), nullptr);
    EXPECT_EQ(a->FindLigature('liga', 0, nullptr), nullptr);
    const uint32_t classGlyphs[2] = {2, 3};
    const GlyphClass classes[1] = {{2, classGlyphs}};
    a->AddContextSubstitution('ccmp', 1, classes, 1, classes, 3);
    EXPECT_EQ(a->FindContextSubstitution('ccmp', 1, classes, 1, classes), a->sequences.GetLastListElement() ? StructureList<SequenceStructure>::Get(a->sequences.GetLastListElement()) : nullptr);
    EXPECT_EQ(a->FindContextSubstitution('ccmp', 0, nullptr, 1, classes), nullptr);
    const uint32_t parts[2] = {2, 3};
    a->AddDecomposition(2, parts);
    a->AddBaseAnchor(2, pair);
    a->AddMarkAnchor(1, pair);
    EXPECT_EQ(a->FindBaseAnchor(2)->GetPosition().y, 0.7f);
    EXPECT_EQ(a->FindMarkAnchor(2), nullptr);
    EmojiStructure *emoji = a->GetEmoji();
    EXPECT_EQ(a->GetEmoji(), emoji);

    // Placement: math styles first, 'rvrn' last among the Alternates, Metrics together.
    std::string order;
    for (KettricStructure *s = a->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        order += FourCC(s->GetStructureType());
        if (s->GetStructureType() == 'altr') order += "." + FourCC(static_cast<AlternateStructure *>(s)->featureTag);
        order += " ";
    }
    EXPECT_EQ(order, "altr.ms03 kern kern altr.salt altr.smcp altr.rvrn sequ sequ dcmp anch anch emoj ");
    std::string fontOrder;
    for (KettricStructure *s = font->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
        fontOrder += FourCC(s->GetStructureType()) + " ";
    EXPECT_EQ(fontOrder, "scal mtrc mtrc mtrc glyf glyf glyf glyf cmap ");

    ASSERT_EQ(FourCC(document.ResolveData()), FourCC(0));
    EXPECT_EQ(font->unitsPerEm, 2048.0f);
    EXPECT_EQ(font->weightClass, 700u);
    EXPECT_EQ(font->typoAscent, 0.75f);
    EXPECT_EQ(a->alternates.GetFirst()->featureTag, uint32_t('ms03'));
    EXPECT_EQ(test::DescribeIncomingLinks(glyphs[3]), "sequ@1:-1 sequ@1:-1 altr@1:-1 altr@1:-1 dcmp@1:1 ");

    // The text reads back to a fixpoint with the same state.
    std::string text1 = WriteDocumentText(&document);
    AmbrelDocument second;
    ASSERT_EQ(FourCC(second.ParseAndResolve(text1.c_str())), FourCC(0)) << "line " << second.GetErrorLine() << "\n" << text1;
    EXPECT_EQ(WriteDocumentText(&second), text1);
    test::ExpectSameResolvedState(&document, &second);
    EXPECT_NE(text1.find("// U+0062, U+0061.salt, U+0061.smcp[0], U+0061->[0]\n"), std::string::npos) << text1;

    // Offsets move every glyph number; a uint16 char map that overflows becomes uint32.
    font->OffsetGlyphIndices(65535);
    EXPECT_EQ(a->glyphIndex, 65536u);
    EXPECT_EQ(charMap->GetGlyphList()->GetStructureType(), uint32_t('UI32'));
    const uint32_t *values = nullptr;
    ASSERT_EQ(a->horizontalKerns.GetFirst()->GetGlyphs(&values), 2);
    EXPECT_EQ(values[1], 65538u);
    auto *rule = StructureList<RuleStructure>::Get(StructureList<SequenceStructure>::Get(a->sequences.GetLastListElement())->ruleList.GetFirstListElement());
    const KettricUInt32List *ruleList = rule->GetFirstUInt32List();
    EXPECT_EQ((*ruleList)[0], 0u);
    EXPECT_EQ((*ruleList)[1], 65538u);
}

}  // namespace
}  // namespace oq
