#include <gtest/gtest.h>

#include "support/VorlFontBuilder.h"
#include "support/VorlFontVerifier.h"
#include "vorl/text/VorlFontValidator.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::VorlFontBuilder;

// Two fonts with every list, contours and band data, laid out as the compiler lays out files.
VorlFontBuilder MakeFullFont()
{
    VorlFontBuilder builder;
    for (uint32_t g = 0; g < 6; ++g) builder.AddGlyph(0.5f);
    std::vector<Point2D> square = {{0, 0}, {0.5F, 0}, {1, 0}, {1, 0.5F}, {1, 1}, {0.5F, 1}, {0, 1}, {0, 0.5F}, {0, 0}};
    builder.SetContours(0, {square});
    builder.SetContours(1, {square, {{0.25F, 0.25F}, {0.5F, 0.5F}, {0.75F, 0.25F}}});
    builder.SetBands(0, 0, 0, 1, 1);
    builder.SetBands(1, 2, 0, 2, 1);
    builder.bandTexels.assign(64, 0);
    builder.bandTexels[0] = 1 | 8u << 16;   // glyph 0's first band: one curve at texel 8
    builder.bandTexels[8] = 0;              // the curve at (0, 0)
    builder.bandTexels[2] = 2 | 8u << 16;   // glyph 1's first band: two curves at texel 10
    builder.bandTexels[10] = 1;
    builder.bandTexels[11] = 2;
    for (VorlGlyphRecord &g : builder.glyphs)
        for (float &v : g.box) v = 0;
    builder.glyphs[0].box[2] = builder.glyphs[0].box[3] = 1;
    builder.SetKerning(2, {{1, -0.0625F}});
    builder.SetAlternates(1, {{0x10, 2}});
    builder.SetDecomposition(3, {1, 2});
    builder.SetLayers(4, {{0, {255, 204, 0, 255}}});
    builder.SetAnchors(1, {{1, 0.5F, 1.0F}}, {});
    builder.SetAnchors(5, {}, {{1, 0.25F, 0.0F}});
    builder.SetCarets(3, {0.3125F});
    uint32_t set = builder.AddGlyphSet({1, 2});
    builder.SetSequences(1, {test::VorlSequenceDescription{2, {set}, {}, {}, 0, 3}});
    for (int32_t f = 0; f < 2; ++f)
    {
        test::VorlFontDescription &font = builder.AddFont();
        font.AddFloats('MTRC', {0.9F, -0.25F, 0.0625F});
        font.AddFloats('TYPO', {0.8F, -0.2F, 0.0625F});
        font.AddFloats('HITE', {0.7F, 0.5F});
        font.AddFloats('AXIS', {0.25F});
        font.AddFloats('BBOX', {0, 0, 1, 1, 0, 0, 0, 0});
        font.AddFloats('SUBS', {0.7F, 0.7F, 0.0F, -0.15F});
        font.AddFloats('SUPS', {0.7F, 0.7F, 0.0F, 0.35F});
        font.AddFloats('CLAS', {0, 0});
        font.AddFloats('SLNT', {0.0F});
        font.AddText('NAME', f == 0 ? "Full" : "Full Bold");
        font.AddDecoration('UNDR', 0.05F, -0.1F, 4, 0);
        font.Map('A', 1);
        font.Map(0x1F600, 4);
    }
    return builder;
}

std::string Verify(const std::vector<uint8_t> &image) { return test::VerifyVorlFontFile(image.data(), image.size()); }

template <typename T> T *At(std::vector<uint8_t> &image, uint64_t offset)
{
    return reinterpret_cast<T *>(image.data() + offset);
}

VorlFontRecord *Font(std::vector<uint8_t> &image, uint32_t f) { return At<VorlFontRecord>(image, 80 + 104 * f); }

VorlGlyphRecord *Glyph(std::vector<uint8_t> &image, uint32_t g)
{
    return At<VorlGlyphRecord>(image, 80 + Font(image, 0)->glyphRecordOffset + 128 * g);
}

TEST(VorlFontVerifier, AcceptsACompleteFileAndRefusesOneBrokenField)
{
    for (bool compress : {false, true})
    {
        VorlFontBuilder builder = MakeFullFont();
        builder.compressCurves = builder.compressBands = compress;
        std::vector<uint8_t> good = builder.Build();
        ASSERT_EQ(Verify(good), "") << compress;
        ASSERT_TRUE(ValidateVorlFontFile(good.data(), good.size()));
    }

    struct Case
    {
        const char *name;
        std::function<void(std::vector<uint8_t> &)> breakIt;
    };
    const Case cases[] = {
        {"magic", [](auto &i) { At<VorlFileHeader>(i, 0)->magic = 'vorm'; }},
        {"version", [](auto &i) { At<VorlFileHeader>(i, 0)->version = 1889; }},
        {"kind", [](auto &i) { At<VorlFileHeader>(i, 0)->kind[0] = 'a'; }},
        {"count past the records", [](auto &i) { At<VorlFileHeader>(i, 0)->count = 100000; }},
        {"narrow curve texture", [](auto &i) { At<VorlFileHeader>(i, 0)->curveTexture.width = 64; }},
        {"band data not at the end", [](auto &i) { i.push_back(0); }},
        {"curve data moved", [](auto &i) { At<VorlFileHeader>(i, 0)->curveTexture.dataOffset += 64; }},
        {"directory offset", [](auto &i) { Font(i, 1)->directoryOffset += 4; }},
        {"page index size", [](auto &i) { Font(i, 0)->pageCount = 0; }},
        {"page number", [](auto &i) { *At<int16_t>(i, 80 + Font(i, 0)->pageIndexOffset) = 1; }},
        {"character map glyph", [](auto &i) { *At<uint32_t>(i, 80 + Font(i, 0)->pagesOffset + 4 * 'A') = 6; }},
        {"shared section moved", [](auto &i) { Font(i, 1)->kerningListOffset += 64; }},
        {"list misaligned", [](auto &i) { Font(i, 0)->caretListOffset += 4; Font(i, 1)->caretListOffset += 4; }},
        {"kerning past its list", [](auto &i) { Glyph(i, 2)->kerningWord = MakeListWordB(8, 1); }},
        {"decomposition count", [](auto &i) { Glyph(i, 3)->decompositionWord = MakeListWordA(0, 255); }},
        {"index without count", [](auto &i) { Glyph(i, 3)->layerWord = 1; }},
        {"band headers off the row", [](auto &i) { Glyph(i, 1)->bandColumn = 4095; }},
        {"band row", [](auto &i) { Glyph(i, 1)->bandRow = 1; }},
        {"contour run off the row", [](auto &i) { *At<uint32_t>(i, 80 + Font(i, 0)->contourListOffset) = MakeContourWord(4, 4093, 0); }},
        {"contours short of the curves", [](auto &i) { Glyph(i, 1)->curveCount = 200; }},
        {"sequence length", [](auto &i) { At<SequenceEntryHead>(i, 80 + Font(i, 0)->sequenceListOffset)->length = 9; }},
        {"glyph set past the pool", [](auto &i) { *At<uint32_t>(i, 80 + Font(i, 0)->sequenceGlyphPoolOffset) = 100; }},
        {"polygon vertex count", [](auto &i) { Glyph(i, 0)->polygonWord = 2; }},
        {"decoration off the row", [](auto &i) {
             VorlFontRecord *font = Font(i, 0);
             uint64_t directory = 80 + font->directoryOffset;
             for (uint32_t e = 0; e < font->directoryCount; ++e)
                 if (*At<uint32_t>(i, directory + 8 * e) == 'UNDR')
                     At<FontDataDecorationItem>(i, directory + 8 * e + *At<uint32_t>(i, directory + 8 * e + 4))->bandColumn = 4095;
         }},
        {"compressed block that does not expand", [](auto &i) {
             VorlFileHeader *header = At<VorlFileHeader>(i, 0);
             header->bandTexture.compression = kTextureCompressed;
             header->bandTexture.compressedSize = uint32_t(i.size() - header->bandTexture.dataOffset);
         }},
    };
    std::vector<uint8_t> good = MakeFullFont().Build();
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> image = good;
        c.breakIt(image);
        EXPECT_NE(Verify(image), "");
    }
}

}  // namespace
}  // namespace oq
