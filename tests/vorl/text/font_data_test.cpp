#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/Bezier.h"
#include "base/Half.h"
#include "base/Memory.h"
#include "support/VorlFontBuilder.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFontValidator.h"

namespace oq {
namespace {

using test::MakeSampleVorlFont;
using test::VorlFontBuilder;

// The sample image, built once, validated, with accessors to its fonts.
class FontDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        image = MakeSampleVorlFont().Build();
        ASSERT_TRUE(ValidateVorlFontFile(image.data(), image.size()));
    }

    const VorlFileHeader *File() const { return reinterpret_cast<const VorlFileHeader *>(image.data()); }
    const VorlFontRecord *Font(uint32_t index = 0) const { return GetVorlFontRecord(File(), index); }
    const VorlGlyphRecord *Glyph(uint32_t index) const { return &Font()->GetGlyphRecords()[index]; }

    std::vector<uint8_t> image;
};

TEST_F(FontDataTest, CharacterMapBoundaries)
{
    struct Case
    {
        uint32_t font;
        uint32_t codePoint;
        uint32_t glyph;
    };
    const Case cases[] = {
        {0, 0, test::kSampleMissing},
        {0, 'A', test::kSampleA},
        {0, 'C', 0},                       // unmapped code point of a mapped page
        {0, 0xFF, test::kSampleB},         // last code point of page 0
        {0, 0x100, 0},                     // first code point of a -1 page
        {0, 0x1FF, 0},                     // last code point of a -1 page
        {0, 0x300, 0},
        {0, 0x30A, test::kSampleRing},
        {0, 0x3FF, test::kSampleI},        // last code point of page 3
        {0, 0x1F5FF, 0},
        {0, 0x1F600, test::kSampleSmile},  // the last page
        {0, 0x1F6FF, 0},
        {0, 0x1F700, 0},                   // past the last page
        {0, 0x10FFFF, 0},
        {0, 0xFFFFFFFF, 0},
        {1, 'A', test::kSampleB},          // the second font has its own map
        {1, 'B', test::kSampleA},
        {1, 0xFF, 0},
        {1, 0x100, 0},                     // past its only page
    };
    EXPECT_EQ(Font(0)->pageCount, 0x1F7u);
    for (const Case &c : cases)
        EXPECT_EQ(Font(c.font)->GetGlyphIndex(c.codePoint), c.glyph) << "font " << c.font << " U+" << std::hex << c.codePoint;
}

TEST(FontDataRecordTest, CodePointPastThePageIndexReadsNoIndex)
{
    // A record on its own, whose index offset points nowhere: only the page count may be read.
    VorlFontRecord *font = static_cast<VorlFontRecord *>(MemoryAllocate(sizeof(VorlFontRecord)));
    std::memset(font, 0, sizeof(VorlFontRecord));
    font->pageCount = 0x25;
    font->pageIndexOffset = 0x7FFFFFF0;
    font->pagesOffset = 0x7FFFFFF0;
    EXPECT_EQ(font->GetGlyphIndex(0x10FFFF), 0u);
    EXPECT_EQ(font->GetGlyphIndex(0x2500), 0u);
    MemoryRelease(font);
}

TEST_F(FontDataTest, FontDataDirectory)
{
    const auto *subs0 = static_cast<const FontDataScriptItem *>(Font(0)->GetFontData('SUBS'));
    const auto *subs1 = static_cast<const FontDataScriptItem *>(Font(1)->GetFontData('SUBS'));
    const auto *sups1 = static_cast<const FontDataScriptItem *>(Font(1)->GetFontData('SUPS'));
    ASSERT_NE(subs0, nullptr);
    ASSERT_NE(subs1, nullptr);
    ASSERT_NE(sups1, nullptr);
    EXPECT_FLOAT_EQ(subs0->scale[0], 0.7F);
    EXPECT_FLOAT_EQ(subs0->offset[1], -0.15F);
    EXPECT_FLOAT_EQ(subs1->scale[1], 0.6F);
    EXPECT_FLOAT_EQ(sups1->offset[1], 0.4F);

    const auto *underline = static_cast<const FontDataDecorationItem *>(Font(0)->GetFontData('UNDR'));
    ASSERT_NE(underline, nullptr);
    EXPECT_FLOAT_EQ(underline->thickness, 0.05F);
    EXPECT_FLOAT_EQ(underline->position, -0.1F);
    EXPECT_EQ(underline->bandColumn, 4);
    EXPECT_EQ(underline->bandRow, 0);
    const auto *outline = static_cast<const FontDataOutlineItem *>(Font(0)->GetFontData('OTLN'));
    ASSERT_NE(outline, nullptr);
    EXPECT_FLOAT_EQ(outline->size, 0.03125F);
    EXPECT_STREQ(static_cast<const char *>(Font(0)->GetFontData('NAME')), "Sample");

    EXPECT_EQ(Font(1)->GetFontData('UNDR'), nullptr);
    EXPECT_EQ(Font(0)->GetFontData('ZZZZ'), nullptr);
}

TEST(FontDataDirectoryTest, FirstEntryWithTheTagWins)
{
    VorlFontBuilder builder = MakeSampleVorlFont();
    builder.fonts[1].AddFloats('SUBS', {0.5F, 0.5F, 0.0F, 0.0F});
    std::vector<uint8_t> image = builder.Build();
    ASSERT_TRUE(ValidateVorlFontFile(image.data(), image.size()));
    const VorlFontRecord *font = GetVorlFontRecord(reinterpret_cast<const VorlFileHeader *>(image.data()), 1);
    EXPECT_FLOAT_EQ(static_cast<const FontDataScriptItem *>(font->GetFontData('SUBS'))->scale[0], 0.6F);
}

TEST_F(FontDataTest, AlternateChains)
{
    struct Case
    {
        uint32_t glyph;
        uint32_t featureBits;
        uint32_t selector;
        uint32_t result;
    };
    const uint32_t A = test::kSampleA;
    const Case cases[] = {
        {A, 0, 0, A},                                          // no features: the glyph itself
        {test::kSampleGlyphCount, 0, 0, 0},                    // out of range
        {test::kSampleGlyphCount, 0x10, 0, 0},
        {A, 0x10, 0, test::kSampleVerticalA},                  // no selector: taken ...
        {A, 0x10, 5, test::kSampleVerticalA},                  // ... whatever the selector
        {A, 0x200, 3, test::kSampleNumeratorA},                // selector 3 only for 3
        {A, 0x200, 2, A},
        {A, 0x200, 0, A},
        {A, 0x20, 0, test::kSampleB},                          // the second entry
        {A, 0x30, 0, test::kSampleI},                          // first entry wins, its bit is spent,
                                                               // the chain goes on with the rest
        {A, 0x40, 0, A},                                       // no entry
        {test::kSampleVerticalA, 0x10, 0, test::kSampleNumeratorA},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GetAlternateGlyph(Font(), c.glyph, c.featureBits, c.selector), c.result)
            << c.glyph << " bits " << std::hex << c.featureBits << " selector " << c.selector;
}

TEST(FontDataAlternateTest, RangeIsCheckedAtEveryStep)
{
    // 'A' leads to the glyph just past the glyph records, where the first outline record lies;
    // that record's own alternate leads back into range. A chain must stop at the first step out.
    VorlFontBuilder builder = MakeSampleVorlFont();
    builder.SetAlternates(test::kSampleA, {{0x1, test::kSampleGlyphCount}});
    builder.alternates.push_back({0x2, test::kSampleB});
    builder.outlineGlyphs[0].alternateWord = MakeListWordB(uint32_t(builder.alternates.size() - 1), 1);
    std::vector<uint8_t> image = builder.Build();
    EXPECT_FALSE(ValidateVorlFontFile(image.data(), image.size()));
    const VorlFontRecord *font = GetVorlFontRecord(reinterpret_cast<const VorlFileHeader *>(image.data()), 0);
    EXPECT_EQ(GetAlternateGlyph(font, test::kSampleA, 0x3, 0), 0u);
    EXPECT_EQ(GetAlternateGlyph(font, test::kSampleA, 0x1, 0), 0u);
}

TEST_F(FontDataTest, KerningIsKeyedOnTheRightHandGlyph)
{
    // The pair (A, B) is stored with B, keyed by A.
    EXPECT_FLOAT_EQ(GetKerning(Font(), Glyph(test::kSampleB), test::kSampleA), -0.0625F);
    EXPECT_FLOAT_EQ(GetKerning(Font(), Glyph(test::kSampleA), test::kSampleB), 0.0F);
    EXPECT_FLOAT_EQ(GetKerning(Font(), Glyph(test::kSampleB), test::kSampleB), 0.03125F);
    EXPECT_FLOAT_EQ(GetKerning(Font(), Glyph(test::kSampleI), test::kSampleF), 0.015625F);
    EXPECT_FLOAT_EQ(GetKerning(Font(), Glyph(test::kSampleI), test::kSampleA), 0.0F);
    EXPECT_FLOAT_EQ(GetKerning(Font(), Glyph(test::kSampleF), test::kSampleA), 0.0F);
}

// The expanded curve texture of an image.
std::vector<uint8_t> ExpandCurves(const std::vector<uint8_t> &image)
{
    const VorlFileHeader *file = reinterpret_cast<const VorlFileHeader *>(image.data());
    std::vector<uint8_t> data(GetCurveTextureDataSize(file));
    EXPECT_TRUE(CopyCurveTextureData(file, data.data(), uint32_t(data.size())));
    return data;
}

TEST_F(FontDataTest, ExtractGlyphCurvesFollowsChainedTexels)
{
    for (uint32_t format : {kTexelFormatHalf4, kTexelFormatFloat4})
    {
        // 'FLT4' textures hold 16-byte float texels; the curves read back the same.
        VorlFontBuilder builder = MakeSampleVorlFont();
        builder.curveFormat = format;
        std::vector<uint8_t> formatImage = builder.Build();
        ASSERT_TRUE(ValidateVorlFontFile(formatImage.data(), formatImage.size()));
        const VorlFileHeader *file = reinterpret_cast<const VorlFileHeader *>(formatImage.data());
        std::vector<uint8_t> texels = ExpandCurves(formatImage);
        ASSERT_EQ(GetVorlFontRecord(file, 0)->GetGlyphCurveCount(test::kSampleA), 5);
        std::vector<QuadraticBezier2D> curves(5);
        ExtractGlyphCurves(GetVorlFontRecord(file, 0), test::kSampleA, file, texels.data(), curves.data());
        // Two runs: (0,0) (0.25,0.5) (0.5,1) (0.75,0.5) (1,0) (0.5,0) (0,0) and a second triangle;
        // the curve origin moves x by 0.125.
        const float expected[5][6] = {
            {0.125F, 0, 0.375F, 0.5F, 0.625F, 1},
            {0.625F, 1, 0.875F, 0.5F, 1.125F, 0},
            {1.125F, 0, 0.625F, 0, 0.125F, 0},
            {0.375F, 0.25F, 0.625F, 0.5F, 0.875F, 0.25F},
            {0.875F, 0.25F, 0.625F, 0.25F, 0.375F, 0.25F},
        };
        for (int i = 0; i < 5; ++i)
        {
            const QuadraticBezier2D &c = curves[i];
            const float got[6] = {c.p0.x, c.p0.y, c.p1.x, c.p1.y, c.p2.x, c.p2.y};
            for (int k = 0; k < 6; ++k)
                EXPECT_FLOAT_EQ(got[k], expected[i][k]) << "format " << format << " curve " << i << " value " << k;
        }
    }
}

TEST(FontDataCurveTest, RunWordLocatesItsTexels)
{
    // A run word with count field 1, row 1 and column 5: two curves from texel (5, 1).
    VorlFontBuilder builder = MakeSampleVorlFont();
    uint32_t glyph = builder.AddGlyph();
    size_t first = (size_t(builder.curveWidth) * 1 + 5) * 4;
    builder.curveTexels.resize(size_t(builder.curveWidth) * 2 * 4, 0);
    const float points[6] = {1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 6; ++i)
    {
        FloatToHalf(&builder.curveTexels[first + i * 2], points[i]);
        FloatToHalf(&builder.curveTexels[first + i * 2 + 1], -points[i]);
    }
    builder.glyphs[glyph].firstContour = uint32_t(builder.contours.size());
    builder.glyphs[glyph].curveCount = 2;
    builder.contours.push_back(1u << 25 | 1u << 12 | 5);
    std::vector<uint8_t> image = builder.Build();
    ASSERT_TRUE(ValidateVorlFontFile(image.data(), image.size()));
    std::vector<uint8_t> texels = ExpandCurves(image);
    const VorlFileHeader *file = reinterpret_cast<const VorlFileHeader *>(image.data());
    std::vector<QuadraticBezier2D> curves(2);
    ExtractGlyphCurves(GetVorlFontRecord(file, 0), glyph, file, texels.data(), curves.data());
    EXPECT_FLOAT_EQ(curves[0].p0.x, 1);
    EXPECT_FLOAT_EQ(curves[0].p1.y, -2);
    EXPECT_FLOAT_EQ(curves[0].p2.x, 3);
    EXPECT_FLOAT_EQ(curves[1].p0.x, 3);
    EXPECT_FLOAT_EQ(curves[1].p1.x, 4);
    EXPECT_FLOAT_EQ(curves[1].p2.y, -5);
}

TEST(FontDataCurveTest, StopsAtTheGlyphsCurveCount)
{
    // The glyph's one run holds four curves but the glyph counts three: exactly three are written.
    VorlFontBuilder builder = MakeSampleVorlFont();
    uint32_t glyph = builder.AddGlyph();
    builder.SetContours(glyph, {{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}}});
    builder.glyphs[glyph].curveCount = 3;
    std::vector<uint8_t> image = builder.Build();
    ASSERT_TRUE(ValidateVorlFontFile(image.data(), image.size()));
    std::vector<uint8_t> texels = ExpandCurves(image);
    const VorlFileHeader *file = reinterpret_cast<const VorlFileHeader *>(image.data());
    std::vector<QuadraticBezier2D> curves(4, QuadraticBezier2D({-1, -1}, {-1, -1}, {-1, -1}));
    ExtractGlyphCurves(GetVorlFontRecord(file, 0), glyph, file, texels.data(), curves.data());
    EXPECT_FLOAT_EQ(curves[2].p2.x, 6);
    EXPECT_FLOAT_EQ(curves[3].p0.x, -1);
    EXPECT_FLOAT_EQ(curves[3].p2.y, -1);
}

TEST(FontDataTextureTest, SizesAndCopies)
{
    struct Case
    {
        uint32_t format;
        bool compress;
    };
    const Case cases[] = {{kTexelFormatHalf4, false}, {kTexelFormatHalf4, true}, {kTexelFormatFloat4, false},
                          {kTexelFormatFloat4, true}};
    std::vector<uint8_t> plainCurves;
    std::vector<uint8_t> plainBands;
    for (const Case &c : cases)
    {
        VorlFontBuilder builder = MakeSampleVorlFont();
        builder.curveFormat = c.format;
        builder.compressCurves = c.compress;
        builder.compressBands = c.compress;
        std::vector<uint8_t> image = builder.Build();
        ASSERT_TRUE(ValidateVorlFontFile(image.data(), image.size()));
        const VorlFileHeader *file = reinterpret_cast<const VorlFileHeader *>(image.data());
        uint32_t texelSize = c.format == kTexelFormatFloat4 ? 16 : 8;
        EXPECT_EQ(GetCurveTextureDataSize(file), 64u * file->curveTexture.height * texelSize);
        EXPECT_EQ(GetBandTextureDataSize(file), 64u * 2 * 4);
        EXPECT_EQ(GetCurveTextureOffset(file), file->curveTexture.dataOffset);
        EXPECT_EQ(file->curveTexture.compression, c.compress ? kTextureCompressed : 0u);
        EXPECT_EQ(file->curveTexture.dataOffset % 64, 0u);

        std::vector<uint8_t> curves(GetCurveTextureDataSize(file));
        std::vector<uint8_t> bands(GetBandTextureDataSize(file));
        ASSERT_TRUE(CopyCurveTextureData(file, curves.data(), uint32_t(curves.size())));
        ASSERT_TRUE(CopyBandTextureData(file, bands.data(), uint32_t(bands.size())));
        if (!c.compress)
        {
            EXPECT_EQ(std::memcmp(curves.data(), image.data() + file->curveTexture.dataOffset, curves.size()), 0);
            if (c.format == kTexelFormatHalf4) plainCurves = curves;
            plainBands = bands;
        }
        else if (c.format == kTexelFormatHalf4)
        {
            EXPECT_EQ(curves, plainCurves);
        }
        EXPECT_EQ(bands, plainBands);
        if (c.format == kTexelFormatFloat4)
        {
            float x;
            std::memcpy(&x, curves.data() + 16 + 4, 4);   // texel 1 starts with the point (1, 0)
            EXPECT_FLOAT_EQ(x, 0.0F);
            std::memcpy(&x, curves.data() + 16, 4);
            EXPECT_FLOAT_EQ(x, 1.0F);
        }

        // A destination smaller than the texture is refused.
        EXPECT_FALSE(CopyCurveTextureData(file, curves.data(), uint32_t(curves.size() - 1)));
        EXPECT_FALSE(CopyBandTextureData(file, bands.data(), uint32_t(bands.size() - 4)));
    }
}

TEST(FontDataTextureTest, DamagedCompressedBlockIsReported)
{
    VorlFontBuilder builder = MakeSampleVorlFont();
    builder.compressCurves = true;
    std::vector<uint8_t> image = builder.Build();
    VorlFileHeader *file = reinterpret_cast<VorlFileHeader *>(image.data());
    ASSERT_EQ(file->curveTexture.compression, kTextureCompressed);
    std::vector<uint8_t> curves(GetCurveTextureDataSize(file));
    // The block cut short, and the block decoding to less than the texture.
    uint32_t compressedSize = file->curveTexture.compressedSize;
    file->curveTexture.compressedSize = compressedSize / 2;
    EXPECT_FALSE(CopyCurveTextureData(file, curves.data(), uint32_t(curves.size())));
    file->curveTexture.compressedSize = compressedSize;
    ASSERT_TRUE(CopyCurveTextureData(file, curves.data(), uint32_t(curves.size())));
    file->curveTexture.height += 1;
    curves.resize(GetCurveTextureDataSize(file));
    EXPECT_FALSE(CopyCurveTextureData(file, curves.data(), uint32_t(curves.size())));
}

}  // namespace
}  // namespace oq
