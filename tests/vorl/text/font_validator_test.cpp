#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "support/VorlFontBuilder.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFontValidator.h"

namespace oq {
namespace {

using test::MakeSampleVorlFont;
using test::VorlFontBuilder;

// A writable image with the places of its records, for damaging one field at a time.
struct Image
{
    std::vector<uint8_t> bytes;

    VorlFileHeader *File() { return reinterpret_cast<VorlFileHeader *>(bytes.data()); }
    VorlFontRecord *Font(uint32_t index = 0) { return const_cast<VorlFontRecord *>(GetVorlFontRecord(File(), index)); }
    template <typename Type> Type *At(uint32_t font, uint32_t offset)
    {
        return reinterpret_cast<Type *>(reinterpret_cast<uint8_t *>(Font(font)) + offset);
    }
    VorlGlyphRecord *Glyph(uint32_t index) { return At<VorlGlyphRecord>(0, Font()->glyphRecordOffset) + index; }
    FontDataDirectoryEntry *Entry(uint32_t font, uint32_t tag)
    {
        FontDataDirectoryEntry *entry = At<FontDataDirectoryEntry>(font, Font(font)->directoryOffset);
        for (uint32_t i = 0; i < Font(font)->directoryCount; ++i)
            if (entry[i].tag == tag) return &entry[i];
        return nullptr;
    }
    template <typename Type> Type *Item(uint32_t font, uint32_t tag)
    {
        FontDataDirectoryEntry *entry = Entry(font, tag);
        return reinterpret_cast<Type *>(reinterpret_cast<uint8_t *>(entry) + entry->offset);
    }
    uint32_t *Sequence(uint32_t glyph)
    {
        return At<uint32_t>(0, Font()->sequenceListOffset) + ListIndexB(Glyph(glyph)->sequenceWord);
    }
    uint32_t Size() const { return uint32_t(bytes.size()); }
};

Image MakeSample(bool compress)
{
    VorlFontBuilder builder = MakeSampleVorlFont();
    builder.compressCurves = compress;
    builder.compressBands = compress;
    return Image{builder.Build()};
}

// Validates an exact-size copy, so that a read past the image is caught by the address sanitizer,
// and reads everything through the accessors when the image is accepted.
bool ValidateCopy(const std::vector<uint8_t> &bytes, size_t size)
{
    std::vector<uint8_t> copy(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
    if (!ValidateVorlFontFile(copy.data(), copy.size())) return false;
    EXPECT_TRUE(test::ExerciseVorlFontImage(copy.data()));
    return true;
}

TEST(FontValidatorTest, AcceptsWhatTheBuilderWrites)
{
    for (bool compress : {false, true})
    {
        Image image = MakeSample(compress);
        EXPECT_TRUE(ValidateCopy(image.bytes, image.Size())) << compress;
        uint64_t checksum = 0;
        EXPECT_TRUE(test::ExerciseVorlFontImage(image.bytes.data(), &checksum));
        EXPECT_NE(checksum, 0u);
    }
    // A single font with one glyph, no map, no directory and no lists.
    VorlFontBuilder minimal;
    minimal.AddGlyph();
    minimal.AddFont();
    std::vector<uint8_t> bytes = minimal.Build();
    EXPECT_TRUE(ValidateCopy(bytes, bytes.size()));
    EXPECT_EQ(reinterpret_cast<const VorlFileHeader *>(bytes.data())->curveTexture.width, 4096u);
}

TEST(FontValidatorTest, RefusesEveryTruncation)
{
    for (bool compress : {false, true})
    {
        Image image = MakeSample(compress);
        for (uint32_t size = 0; size < image.Size(); ++size)
            EXPECT_FALSE(ValidateCopy(image.bytes, size)) << "compressed " << compress << " size " << size;
    }
}

TEST(FontValidatorTest, RefusesMisalignedImage)
{
    Image image = MakeSample(false);
    std::vector<uint8_t> shifted(image.Size() + 4);
    std::memcpy(shifted.data() + 1, image.bytes.data(), image.Size());
    EXPECT_FALSE(ValidateVorlFontFile(shifted.data() + 1, image.Size()));
    EXPECT_FALSE(ValidateVorlFontFile(nullptr, 0));
}

// One damage of the sample image and whether it must be refused.
struct Damage
{
    const char *name;
    bool compressed;
    bool refused;
    std::function<void(Image &)> apply;
};

TEST(FontValidatorTest, DamagedFields)
{
    using test::kSampleA;
    using test::kSampleB;
    using test::kSampleF;
    using test::kSampleGlyphCount;
    const uint32_t kPastGlyphs = kSampleGlyphCount;
    const Damage damages[] = {
        // Header and textures.
        {"font count 0", false, true, [](Image &i) { i.File()->count = 0; }},
        {"font count past the end", false, true, [](Image &i) { i.File()->count = 1000; }},
        {"curve width 0", false, true, [](Image &i) { i.File()->curveTexture.width = 0; }},
        {"band height 0", false, true, [](Image &i) { i.File()->bandTexture.height = 0; }},
        {"band rows past the end", false, true, [](Image &i) { i.File()->bandTexture.height += 1; }},
        {"curve format doubling the data inside the file", false, false,
         [](Image &i) { i.File()->curveTexture.format = kTexelFormatFloat4; }},
        {"curve format doubling the data past the end", false, true,
         [](Image &i) {
             i.File()->curveTexture.format = kTexelFormatFloat4;
             i.File()->curveTexture.dataOffset = i.File()->bandTexture.dataOffset;
         }},
        {"curve data past the end", false, true, [](Image &i) { i.File()->curveTexture.dataOffset = i.Size(); }},
        {"band data past the end", false, true, [](Image &i) { i.File()->bandTexture.dataOffset += 4; }},
        {"expanded size beyond 32 bits", true, true, [](Image &i) { i.File()->curveTexture.height = 0x10000000; }},
        {"compressed block claiming more than its code can expand to", true, true,
         [](Image &i) { i.File()->bandTexture.height = 65536; }},
        {"compressed size past the end", true, true, [](Image &i) { i.File()->bandTexture.compressedSize = i.Size(); }},
        {"compressed size 0", true, true, [](Image &i) { i.File()->curveTexture.compressedSize = 0; }},
        {"compressed data past the end", true, true, [](Image &i) { i.File()->curveTexture.dataOffset = i.Size() - 4; }},
        {"other identity", false, false, [](Image &i) { i.File()->magic = 'xxxx'; i.File()->version = 1; }},
        {"other compression mark", true, false, [](Image &i) { i.File()->curveTexture.compression = 'ZZZZ'; }},
        // Directory.
        {"directory past the end", false, true, [](Image &i) { i.Font()->directoryOffset = i.Size(); }},
        {"directory count past the end", false, true, [](Image &i) { i.Font(1)->directoryCount = 100000; }},
        {"directory misaligned", false, true, [](Image &i) { i.Font()->directoryOffset += 2; }},
        {"item past the end", false, true, [](Image &i) { i.Entry(0, 'SUBS')->offset = i.Size(); }},
        {"item misaligned", false, true, [](Image &i) { i.Entry(1, 'SUPS')->offset += 1; }},
        {"item cut by the end", false, true,
         [](Image &i) {
             FontDataDirectoryEntry *entry = i.Entry(0, 'SUBS');
             entry->offset = uint32_t(i.bytes.data() + i.Size() - 8 - reinterpret_cast<uint8_t *>(entry));
         }},
        {"name without its end", false, true,
         [](Image &i) {
             FontDataDirectoryEntry *entry = i.Entry(0, 'NAME');
             std::memset(i.bytes.data() + i.Size() - 4, 1, 4);
             entry->offset = uint32_t(i.bytes.data() + i.Size() - 4 - reinterpret_cast<uint8_t *>(entry));
         }},
        {"underline band column", false, true, [](Image &i) { i.Item<FontDataDecorationItem>(0, 'UNDR')->bandColumn = 63; }},
        {"strikethrough band row", false, true, [](Image &i) { i.Item<FontDataDecorationItem>(0, 'STRK')->bandRow = 2; }},
        {"outline records without outline item", false, true, [](Image &i) { i.Entry(1, 'OTLN')->tag = 'OTLX'; }},
        {"unknown tag", false, false, [](Image &i) { i.Entry(0, 'MTRC')->tag = 'MTRX'; }},
        // Character map.
        {"page count past the end", false, true, [](Image &i) { i.Font()->pageCount = 0x7FFFFFFF; }},
        {"page index past the end", false, true, [](Image &i) { i.Font()->pageIndexOffset = i.Size(); }},
        {"page index misaligned", false, true, [](Image &i) { i.Font(1)->pageIndexOffset += 2; }},
        {"page without its page", false, true, [](Image &i) { i.At<int16_t>(0, i.Font()->pageIndexOffset)[0] = 50; }},
        {"pages past the end", false, true, [](Image &i) { i.Font(1)->pagesOffset = i.Size() - 1020; }},
        {"page glyph out of range", false, true,
         [kPastGlyphs](Image &i) { i.At<uint32_t>(0, i.Font()->pagesOffset)[0x41] = kPastGlyphs; }},
        {"page number -2", false, false, [](Image &i) { i.At<int16_t>(0, i.Font()->pageIndexOffset)[1] = -2; }},
        // Glyph records.
        {"glyph count 0", false, true, [](Image &i) { i.Font(1)->glyphCount = 0; }},
        {"second font with a glyph count of its own", false, true, [](Image &i) { i.Font(1)->glyphCount -= 1; }},
        {"second font with a kerning list of its own", false, true, [](Image &i) { i.Font(1)->kerningListOffset += 8; }},
        {"second font without outline records", false, true, [](Image &i) { i.Font(1)->outlineGlyphRecordOffset = 0; }},
        {"glyph count past the end", false, true, [](Image &i) { i.Font()->glyphCount = 100000; }},
        {"glyph records misaligned", false, true, [](Image &i) { i.Font()->glyphRecordOffset += 2; }},
        {"outline records past the end", false, true, [](Image &i) { i.Font()->outlineGlyphRecordOffset = i.Size() - 128; }},
        {"band run past the row", false, true, [](Image &i) { i.Glyph(kSampleA)->bandColumn = 61; }},
        {"band row past the texture", false, true, [](Image &i) { i.Glyph(kSampleB)->bandRow = 2; }},
        {"band y count past the row", false, true, [](Image &i) { i.Glyph(kSampleA)->bandWordY = 0x1060; }},
        {"band flags", false, false, [](Image &i) { i.Glyph(kSampleA)->bandWordY = 0xFF02; }},
        {"polygon of 7 vertices", false, true, [](Image &i) { i.Glyph(kSampleA)->polygonWord = 0x0007; }},
        {"polygon of 2 vertices", false, true, [](Image &i) { i.Glyph(kSampleA)->polygonWord = 0x0002; }},
        {"polygon pattern of a pentagon", false, true, [](Image &i) { i.Glyph(kSampleA)->polygonWord = 0x0304; }},
        {"polygon stray bits", false, true, [](Image &i) { i.Glyph(kSampleA)->polygonWord = 0x1104; }},
        {"polygon hexagon", false, false, [](Image &i) { i.Glyph(kSampleA)->polygonWord = 0x0F06; }},
        // Contours.
        {"contour list missing", false, true, [](Image &i) { i.Font()->contourListOffset = 0; }},
        {"first contour past the end", false, true, [](Image &i) { i.Glyph(kSampleB)->firstContour = 0x10000000; }},
        {"run past the row end", false, true,
         [](Image &i) { i.At<uint32_t>(0, i.Font()->contourListOffset)[0] = MakeContourWord(4, 60, 0); }},
        {"run row past the texture", false, true,
         [](Image &i) { i.At<uint32_t>(0, i.Font()->contourListOffset)[1] = MakeContourWord(3, 0, 1); }},
        {"run longer than the glyph needs", false, false, [](Image &i) { i.Glyph(kSampleA)->curveCount = 4; }},
        // Fixed-size lists.
        {"kerning list missing", false, true, [](Image &i) { i.Font()->kerningListOffset = 0; }},
        {"kerning list misaligned", false, true, [](Image &i) { i.Font()->kerningListOffset += 2; }},
        {"kerning run past the end", false, true, [](Image &i) { i.Glyph(kSampleB)->kerningWord = MakeListWordB(0, 4095); }},
        {"kerning index past the end", false, true,
         [](Image &i) { i.Glyph(kSampleB)->kerningWord = MakeListWordB(0xFFFFF, 1); }},
        {"kerning glyph out of range", false, true,
         [kPastGlyphs](Image &i) { i.At<KerningListEntry>(0, i.Font()->kerningListOffset)[1].precedingGlyph = kPastGlyphs; }},
        {"alternate glyph out of range", false, true,
         [kPastGlyphs](Image &i) { i.At<AlternateListEntry>(0, i.Font()->alternateListOffset)[4].glyph = kPastGlyphs; }},
        {"decomposition glyph out of range", false, true,
         [](Image &i) { i.At<uint32_t>(0, i.Font()->decompositionListOffset)[1] = 0xFFFFFFFF; }},
        {"layer glyph out of range", false, true,
         [kPastGlyphs](Image &i) { i.At<LayerListEntry>(0, i.Font()->layerListOffset)[0].glyph = kPastGlyphs; }},
        {"layer list missing", false, true, [](Image &i) { i.Font()->layerListOffset = 0; }},
        {"anchor list missing", false, true, [](Image &i) { i.Font()->markAnchorListOffset = 0; }},
        {"caret run past the end", false, true, [](Image &i) { i.Glyph(kSampleA)->caretWord = MakeListWordA(0xFFFFFF, 255); }},
        {"decomposition run past the end", false, true,
         [](Image &i) { i.Glyph(kSampleA)->decompositionWord = MakeListWordA(0, 255); }},
        // Sequences and glyph sets.
        {"sequence list missing", false, true, [](Image &i) { i.Font()->sequenceListOffset = 0; }},
        {"sequence length 0", false, true, [](Image &i) { i.Sequence(kSampleF)[0] = 2; }},
        {"sequence shorter than its words", false, true,
         [](Image &i) {
             uint32_t *entry = i.Sequence(kSampleF);
             entry[0] = (entry[0] & 0xFFFF) | ((entry[0] >> 16) - 1) << 16;
         }},
        {"sequence past the end", false, true,
         [](Image &i) { i.Sequence(kSampleF)[0] = 0xFFFF0001; }},
        {"sequence count past the list", false, true,
         [](Image &i) { i.Glyph(kSampleF)->sequenceWord = MakeListWordB(0, 4095); }},
        {"sequence match count past the entry", false, true,
         [](Image &i) { i.Sequence(kSampleF)[1] = 0x00000020; }},
        {"match glyph out of range", false, true, [kPastGlyphs](Image &i) { i.Sequence(kSampleF)[2] = kPastGlyphs; }},
        {"rule glyph out of range", false, true, [kPastGlyphs](Image &i) { i.Sequence(kSampleF)[4] = kPastGlyphs; }},
        {"rule kind unknown", false, false, [](Image &i) { i.Sequence(kSampleF)[3] = 7; }},
        {"glyph set past the pool", false, true,
         [](Image &i) { i.Sequence(kSampleF)[5 + 2] = kSequenceGlyphSetBit | 0x7FFFFFFF; }},
        {"glyph set without a pool", false, true, [](Image &i) { i.Font()->sequenceGlyphPoolOffset = 0; }},
        {"glyph set count past the end", false, true,
         [](Image &i) { i.At<uint32_t>(0, i.Font()->sequenceGlyphPoolOffset)[0] = 0xFFFFFFFF; }},
        {"glyph set member out of range", false, true,
         [kPastGlyphs](Image &i) { i.At<uint32_t>(0, i.Font()->sequenceGlyphPoolOffset)[2] = kPastGlyphs; }},
        {"glyph set empty", false, false, [](Image &i) { i.At<uint32_t>(0, i.Font()->sequenceGlyphPoolOffset)[0] = 0; }},
        {"entry without rules shorter than its words", false, true,
         [](Image &i) { i.Sequence(test::kSampleI)[0] = 8 | 2u << 16; }},
        {"entry without rules claiming a rule", false, true,
         [](Image &i) { i.Sequence(test::kSampleI)[1] |= 1u << 24; }},
        {"entry without rules ending the list", false, false,
         [](Image &i) { i.Sequence(test::kSampleI)[3] = 0xFFFFFFFF; }},
    };
    for (const Damage &damage : damages)
    {
        Image image = MakeSample(damage.compressed);
        damage.apply(image);
        EXPECT_EQ(!ValidateCopy(image.bytes, image.Size()), damage.refused) << damage.name;
    }
}

// Texture sizes around what texel locations address: 4096 columns, 8192 curve rows (the row
// field of a contour word), 65536 band rows (a 16-bit band location row). The data are present,
// so only the size decides.
TEST(FontValidatorTest, TextureSizeLimits)
{
    struct Case
    {
        uint32_t curveWidth;
        uint32_t curveRows;
        uint32_t bandWidth;
        uint32_t bandRows;
        bool accepted;
    };
    const Case cases[] = {
        {4096, 1, 4096, 1, true},      {1, 8192, 1, 1, true},     {1, 8193, 1, 1, false},
        {1, 1, 1, 65536, true},        {1, 1, 1, 65537, false},   {4097, 1, 4096, 1, false},
        {4096, 1, 4097, 1, false},
    };
    for (const Case &c : cases)
    {
        VorlFontBuilder builder;
        builder.AddGlyph();
        builder.AddFont();
        builder.curveWidth = c.curveWidth;
        builder.bandWidth = c.bandWidth;
        builder.curveTexels.assign(size_t(c.curveWidth) * c.curveRows * 4, 0);
        builder.bandTexels.assign(size_t(c.bandWidth) * c.bandRows, 0);
        std::vector<uint8_t> bytes = builder.Build();
        const VorlFileHeader *file = reinterpret_cast<const VorlFileHeader *>(bytes.data());
        ASSERT_EQ(file->curveTexture.height, c.curveRows);
        ASSERT_EQ(file->bandTexture.height, c.bandRows);
        EXPECT_EQ(ValidateCopy(bytes, bytes.size()), c.accepted)
            << c.curveWidth << " x " << c.curveRows << ", " << c.bandWidth << " x " << c.bandRows;
    }
}

// A compressed texture may claim no more rows than its code could fill: a match code of 4 bytes
// writes at most 65827 bytes. Zeros, which compress about as far as the code allows, are
// accepted; one row more than the limit is refused, and so is a small block claiming gigabytes.
TEST(FontValidatorTest, CompressedTextureExpansionLimit)
{
    VorlFontBuilder builder;
    builder.AddGlyph();
    builder.AddFont();
    builder.bandTexels.assign(size_t(4096) * 64, 0);
    builder.compressBands = true;
    Image image{builder.Build()};
    const TextureDescriptor &bands = image.File()->bandTexture;
    ASSERT_EQ(bands.compression, kTextureCompressed);
    EXPECT_TRUE(ValidateCopy(image.bytes, image.Size()));

    uint32_t limit = uint32_t(uint64_t(bands.compressedSize) * 65827 / 4 / (4096 * 4));
    ASSERT_GE(limit, 64u);
    ASSERT_LT(limit, 65536u);
    struct Case
    {
        uint32_t rows;
        bool accepted;
    };
    const Case cases[] = {{limit, true}, {limit + 1, false}, {65536, false}};
    for (const Case &c : cases)
    {
        image.File()->bandTexture.height = c.rows;
        EXPECT_EQ(ValidateCopy(image.bytes, image.Size()), c.accepted) << c.rows;
    }
}

// Each font's directory and character map are its own. Fonts may point at one another's, but
// not so often that together they would take more bytes than the file has: 40 fonts reading one
// large character map or directory would make the check read it 40 times.
TEST(FontValidatorTest, FontsSharingTheirOwnDataBeyondTheFile)
{
    const uint32_t kFonts = 40;
    VorlFontBuilder builder;
    builder.AddGlyph();
    test::VorlFontDescription &first = builder.AddFont();
    first.Map(0x10FFFF, 0);
    for (int i = 0; i < 400; ++i) first.AddFloats('SLNT', {0.0F});
    for (uint32_t f = 1; f < kFonts; ++f) builder.AddFont();
    Image image{builder.Build()};
    ASSERT_TRUE(ValidateCopy(image.bytes, image.Size()));
    ASSERT_EQ(image.Font(0)->pageCount, 0x1100u);

    struct Case
    {
        const char *name;
        uint32_t VorlFontRecord::*count;
        uint32_t VorlFontRecord::*offsets[2];
    };
    const Case cases[] = {
        {"character map", &VorlFontRecord::pageCount, {&VorlFontRecord::pageIndexOffset, &VorlFontRecord::pagesOffset}},
        {"directory", &VorlFontRecord::directoryCount, {&VorlFontRecord::directoryOffset, &VorlFontRecord::directoryOffset}},
    };
    for (const Case &c : cases)
    {
        for (uint32_t fonts : {2u, kFonts})
        {
            Image shared = image;
            for (uint32_t f = 1; f < fonts; ++f)
            {
                // Offsets count from each record, so they shrink by a record per font.
                shared.Font(f)->*c.count = shared.Font(0)->*c.count;
                for (uint32_t VorlFontRecord::*offset : c.offsets)
                    shared.Font(f)->*offset = shared.Font(0)->*offset - f * uint32_t(sizeof(VorlFontRecord));
            }
            EXPECT_EQ(ValidateCopy(shared.bytes, shared.Size()), fonts == 2) << c.name << " " << fonts;
        }
    }
}

// Glyphs that draw another glyph's curves repeat its first contour and curve count: accepted
// however many there are. Glyphs whose runs overlap otherwise may not, together, read more
// contour words than the file holds.
TEST(FontValidatorTest, OverlappingContourRuns)
{
    const uint32_t kRuns = 400;
    VorlFontBuilder builder;
    builder.AddGlyph();
    builder.AddFont();
    std::vector<Point2D> chain = {{0, 0}, {0.5F, 0.5F}, {1, 0}};
    for (uint32_t r = 0; r < kRuns; ++r)
    {
        uint32_t glyph = builder.AddGlyph();
        builder.SetContours(glyph, {chain});
    }
    struct Case
    {
        const char *name;
        bool sameStart;
        bool accepted;
    };
    const Case cases[] = {{"repeated", true, true}, {"overlapping", false, false}};
    for (const Case &c : cases)
    {
        VorlFontBuilder copy = builder;
        for (uint32_t g = 0; g < kRuns / 2; ++g)
        {
            uint32_t glyph = copy.AddGlyph();
            copy.glyphs[glyph].firstContour = c.sameStart ? 0 : g;
            copy.glyphs[glyph].curveCount = uint16_t(kRuns / 2);
        }
        std::vector<uint8_t> bytes = copy.Build();
        ASSERT_GT(uint64_t(kRuns / 2) * (kRuns / 2), bytes.size() / 4);
        EXPECT_EQ(ValidateCopy(bytes, bytes.size()), c.accepted) << c.name;
    }
}

// Every word before the texture data, set to values that break offsets, counts and indexes:
// each image is refused, or accepted and then read whole by the accessors without a fault.
TEST(FontValidatorTest, EveryWordDamagedIsRefusedOrSafe)
{
    for (bool compress : {false, true})
    {
        Image sample = MakeSample(compress);
        uint32_t end = sample.File()->curveTexture.dataOffset;
        int refused = 0;
        int accepted = 0;
        for (uint32_t offset = 0; offset < end; offset += 4)
        {
            uint32_t value;
            std::memcpy(&value, sample.bytes.data() + offset, 4);
            const uint32_t damaged[] = {0, 1, 2, value + 1, value - 1, value + 4, value + 64, value ^ 0x80000000,
                                        value ^ 0xFFFF0000, value << 1, 0x7FFF, 0xFFFFFFFF};
            for (uint32_t v : damaged)
            {
                if (v == value) continue;
                std::vector<uint8_t> bytes = sample.bytes;
                std::memcpy(bytes.data() + offset, &v, 4);
                (ValidateCopy(bytes, bytes.size()) ? accepted : refused) += 1;
            }
        }
        EXPECT_GT(refused, 0);
        EXPECT_GT(accepted, 0);
    }
}

// The fuzz target's seeds: images the builder writes, all accepted. With OQ_WRITE_FUZZ_SEEDS set
// to a folder, the seeds are written there (the committed ones came from this).
TEST(FontValidatorTest, FuzzSeedsAreAccepted)
{
    std::vector<std::vector<uint8_t>> seeds;
    for (bool compress : {true, false})
        seeds.push_back(MakeSample(compress).bytes);
    VorlFontBuilder minimal;
    minimal.AddGlyph();
    minimal.AddFont().Map('a', 0);
    minimal.compressCurves = true;
    minimal.compressBands = true;
    seeds.push_back(minimal.Build());

    const char *folder = std::getenv("OQ_WRITE_FUZZ_SEEDS");
    for (size_t i = 0; i < seeds.size(); ++i)
    {
        EXPECT_TRUE(ValidateCopy(seeds[i], seeds[i].size())) << i;
        if (folder == nullptr || *folder == 0) continue;
        std::ofstream stream(std::filesystem::path(folder) / ("sample" + std::to_string(i) + ".vorl"), std::ios::binary);
        stream.write(reinterpret_cast<const char *>(seeds[i].data()), std::streamsize(seeds[i].size()));
    }

    // The committed seeds are accepted as well.
    std::filesystem::path corpus = std::filesystem::path(OQ_SOURCE_DIR) / "fuzz" / "corpus" / "vorl_font_fuzz";
    ASSERT_TRUE(std::filesystem::is_directory(corpus)) << corpus;
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator(corpus))
    {
        std::ifstream stream(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        EXPECT_TRUE(ValidateCopy(bytes, bytes.size())) << entry.path();
        ++count;
    }
    EXPECT_GE(count, 3);
}

}  // namespace
}  // namespace oq
