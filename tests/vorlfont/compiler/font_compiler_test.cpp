#include <gtest/gtest.h>

#include "VorlFontTestSupport.h"
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GeometryStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/TextOutputStream.h"
#include "base/Compression.h"
#include "vorlfont/compiler/FontCompiler.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/compiler/VorlFontWriter.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::CompileText;
using test::ExpectReadableFontFile;
using test::FixturePath;
using test::ReadWholeFile;

template <typename T> T At(const std::vector<uint8_t> &file, uint64_t offset)
{
    T value;
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return value;
}

VorlFileHeader Header(const std::vector<uint8_t> &file) { return At<VorlFileHeader>(file, 0); }
VorlFontRecord Record(const std::vector<uint8_t> &file, uint32_t i) { return At<VorlFontRecord>(file, 80 + 104 * i); }

std::string TagText(uint32_t tag)
{
    return {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
}

// The directory's tags in order, as one text.
std::string Tags(const std::vector<uint8_t> &file, uint32_t font)
{
    VorlFontRecord record = Record(file, font);
    std::string tags;
    for (uint32_t i = 0; i < record.directoryCount; ++i)
    {
        if (i != 0) tags += " ";
        tags += TagText(At<uint32_t>(file, 80 + 104 * font + record.directoryOffset + 8 * i));
    }
    return tags;
}

// The item of a tag (its file offset), 0 when absent.
uint64_t Item(const std::vector<uint8_t> &file, uint32_t font, uint32_t tag)
{
    VorlFontRecord record = Record(file, font);
    for (uint32_t i = 0; i < record.directoryCount; ++i)
    {
        uint64_t entry = 80 + 104 * font + record.directoryOffset + 8 * i;
        if (At<uint32_t>(file, entry) == tag) return entry + At<uint32_t>(file, entry + 4);
    }
    return 0;
}

TEST(FontCompiler, DirectoryItemsFollowTheOptions)
{
    std::string plain = ReadWholeFile(FixturePath("plain.ambrel"));
    std::string noStyle = "Font (glyph_count = 1) { Name {string {\"Abc\"}} Glyph (index = 0) {} }";
    std::string styleOnly = "Font (glyph_count = 1) { Name {string {\"\", \"Bold\"}} Glyph (index = 0) {} }";
    struct Case
    {
        const char *name;
        const std::string *text;
        uint32_t flags;
        const char *tags;
    };
    const Case cases[] = {
        {"defaults", &plain, kDefaultCompileFlags, "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT NAME SNAM UNDR STRK POLY"},
        {"outline", &plain, kDefaultCompileFlags | kCompileOutline,
         "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT NAME SNAM UNDR STRK POLY OTLN"},
        {"no options", &plain, 0, "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT NAME SNAM"},
        {"decorations only", &plain, kCompileUnderline | kCompileStrikethrough,
         "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT NAME SNAM UNDR STRK"},
        {"family without style", &noStyle, kCompilePoly, "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT NAME POLY"},
        {"style without family", &styleOnly, kCompileStrikethrough, "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT STRK"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file = CompileText(*c.text, c.flags);
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(Tags(file, 0), c.tags);
        bool outline = (c.flags & kCompileOutline) != 0;
        EXPECT_EQ(Record(file, 0).outlineGlyphRecordOffset != 0, outline);
    }
}

TEST(FontCompiler, AnOutlineSizeOfZeroMakesNoOutline)
{
    for (float size : {0.0f, -1.0f, NAN})
    {
        SCOPED_TRACE(size);
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(ReadWholeFile(FixturePath("plain.ambrel")).c_str()), 0u);
        document.compileSettings.outlineEffectSize = size;
        uint32_t result = 1;
        std::vector<uint8_t> file = test::CompileDocument(&document, kDefaultCompileFlags | kCompileOutline, &result);
        ASSERT_EQ(result, 0u);
        ExpectReadableFontFile(file);
        EXPECT_EQ(Record(file, 0).outlineGlyphRecordOffset, 0u);
        EXPECT_EQ(Item(file, 0, 'OTLN'), 0u);
    }
}

TEST(FontCompiler, ItemValuesNamesAndTheFileFrame)
{
    std::vector<uint8_t> file = CompileText(ReadWholeFile(FixturePath("plain.ambrel")), kDefaultCompileFlags);
    ASSERT_FALSE(file.empty());
    VorlFileHeader header = Header(file);
    EXPECT_EQ(header.magic, uint32_t('vorl'));
    EXPECT_EQ(header.version, 1888u);
    EXPECT_STREQ(header.kind, "fnt");
    EXPECT_EQ(header.count, 1u);
    EXPECT_EQ(header.curveTexture.width, 4096u);
    EXPECT_EQ(header.curveTexture.height, 1u);
    EXPECT_EQ(header.bandTexture.height, 1u);
    EXPECT_EQ(header.curveTexture.compression, kTextureCompressed);

    auto line = At<FontDataLineItem>(file, Item(file, 0, 'MTRC'));
    EXPECT_EQ(line.ascent, 0.75f);
    EXPECT_EQ(line.descent, -0.25f);
    EXPECT_EQ(At<FontDataHeightItem>(file, Item(file, 0, 'HITE')).capHeight, 0.7f);
    EXPECT_EQ(At<float>(file, Item(file, 0, 'SLNT')), -12.0f);
    EXPECT_EQ(At<FontDataScriptItem>(file, Item(file, 0, 'SUBS')).offset[1], -0.2f);
    EXPECT_EQ(At<FontDataScriptItem>(file, Item(file, 0, 'SUPS')).scale[0], 0.65f);
    EXPECT_EQ(At<FontDataClassItem>(file, Item(file, 0, 'CLAS')).weightClass, 700u);
    auto polygon = At<FontDataPolygonItem>(file, Item(file, 0, 'POLY'));
    EXPECT_EQ(polygon.maxVertexCount, 4);
    EXPECT_EQ(polygon.edgeFactor, 1.0f);
    EXPECT_EQ(At<FontDataDecorationItem>(file, Item(file, 0, 'UNDR')).position, -0.1f);
    // "Plain Test" (10 bytes) with its NUL takes 12; "Italic" takes 8.
    uint64_t name = Item(file, 0, 'NAME');
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(file.data() + name)), "Plain Test");
    EXPECT_EQ(Item(file, 0, 'SNAM') - name, 12u);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(file.data() + name + 12)), "Italic");
    EXPECT_EQ(Item(file, 0, 'UNDR') - Item(file, 0, 'SNAM'), 8u);

    // A, B and U+00E9 lie in block 0: one page-index entry, one page.
    VorlFontRecord record = Record(file, 0);
    EXPECT_EQ(record.glyphCount, 4u);
    EXPECT_EQ(record.pageCount, 1u);
    EXPECT_EQ(At<int16_t>(file, 80 + record.pageIndexOffset), 0);
    ASSERT_NE(record.pagesOffset, 0u);
    const uint64_t page = 80 + uint64_t(record.pagesOffset);
    EXPECT_EQ(At<uint32_t>(file, page + 0x41 * 4), 1u);
    EXPECT_EQ(At<uint32_t>(file, page + 0x42 * 4), 2u);
    EXPECT_EQ(At<uint32_t>(file, page + 0xE9 * 4), 3u);
    EXPECT_EQ(At<uint32_t>(file, page + 0x43 * 4), 0u);
    for (uint32_t VorlFontRecord::*offset : kSharedSectionOffsets)
    {
        if (offset != &VorlFontRecord::glyphRecordOffset && offset != &VorlFontRecord::kerningListOffset)
        {
            EXPECT_EQ(record.*offset, 0u);
        }
    }
    // Glyph 2's one pair: glyph 1 before it.
    ASSERT_NE(record.kerningListOffset, 0u);
    auto pair = At<KerningListEntry>(file, 80 + uint64_t(record.kerningListOffset));
    EXPECT_EQ(pair.precedingGlyph, 1u);
    EXPECT_EQ(pair.value, -0.05f);
    EXPECT_EQ(At<VorlGlyphRecord>(file, 80 + uint64_t(record.glyphRecordOffset) + 2 * 128).kerningWord, 1u << 20);
}

TEST(FontCompiler, NameLengthsRoundUpToWords)
{
    for (const char *name : {"abc", "abcd", "a", "abcdefg"})
    {
        SCOPED_TRACE(name);
        std::vector<uint8_t> file = CompileText(
            std::string("Font (glyph_count = 1) { Name {string {\"") + name + "\"}} Glyph (index = 0) {} }",
            kCompileUnderline);
        size_t length = std::strlen(name);
        EXPECT_EQ(Item(file, 0, 'UNDR') - Item(file, 0, 'NAME'), (length + 1 + 3) / 4 * 4);
    }
}

TEST(FontCompiler, CollectionMembersShareTheGlyphSections)
{
    std::vector<uint8_t> file = CompileText(ReadWholeFile(FixturePath("collection.ambrel")), kDefaultCompileFlags);
    ASSERT_FALSE(file.empty());
    ASSERT_EQ(Header(file).count, 3u);
    EXPECT_EQ(Tags(file, 0), "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT NAME SNAM UNDR STRK POLY");
    EXPECT_EQ(Tags(file, 1), "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT NAME UNDR STRK POLY");
    EXPECT_EQ(Tags(file, 2), "MTRC TYPO HITE AXIS BBOX SUBS SUPS CLAS SLNT UNDR STRK POLY");
    EXPECT_EQ(At<FontDataLineItem>(file, Item(file, 0, 'MTRC')).ascent, 0.8f);
    EXPECT_EQ(At<FontDataLineItem>(file, Item(file, 1, 'MTRC')).ascent, 0.85f);
    uint64_t lastDirectory = 0;
    uint64_t lastPageIndex = 0;
    for (uint32_t f = 0; f < 3; ++f)
    {
        VorlFontRecord record = Record(file, f);
        uint64_t base = 80 + 104 * f;
        EXPECT_EQ(base + record.glyphRecordOffset, 80 + Record(file, 0).glyphRecordOffset);
        EXPECT_GT(base + record.directoryOffset, lastDirectory);
        EXPECT_GT(base + record.pageIndexOffset, lastPageIndex);
        EXPECT_EQ((base + record.pageIndexOffset) % 64, 0u);
        lastDirectory = base + record.directoryOffset;
        lastPageIndex = base + record.pageIndexOffset;
    }
    // The first data block starts at the first multiple of 64 after the three records.
    EXPECT_EQ(80 + Record(file, 0).directoryOffset, 448u);

    // A member Font's own index is refused: only top-level Fonts are in the list.
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(ReadWholeFile(FixturePath("collection.ambrel")).c_str()), 0u);
    uint32_t result = 0;
    EXPECT_TRUE(test::CompileDocument(&document, kDefaultCompileFlags, &result, 1).empty());
    EXPECT_EQ(result, uint32_t('IFID'));
    EXPECT_TRUE(test::CompileDocument(&document, kDefaultCompileFlags, &result, -1).empty());
    EXPECT_EQ(result, uint32_t('IFID'));
}

// A sink that takes blocks until they would pass its limit, then refuses; it records every call.
struct LimitedSink
{
    explicit LimitedSink(uint64_t bytesTaken) : limit(bytesTaken) {}

    uint64_t limit;
    std::vector<uint8_t> bytes;
    int32_t callsAfterRefusal = 0;
    bool refused = false;

    static bool Write(const void *data, uint32_t count, void *user)
    {
        auto *sink = static_cast<LimitedSink *>(user);
        if (sink->refused) ++sink->callsAfterRefusal;
        if (sink->refused || sink->bytes.size() + count > sink->limit)
        {
            sink->refused = true;
            return false;
        }
        test::AppendToBytes(data, count, &sink->bytes);
        return true;
    }
};

TEST(FontCompiler, ARefusedBlockFailsTheWriteAndEndsIt)
{
    std::string text = ReadWholeFile(FixturePath("collection.ambrel"));
    uint32_t flags = kDefaultCompileFlags & ~kCompileCompress;
    std::vector<uint8_t> full = CompileText(text, flags);
    ASSERT_GT(full.size(), 4096u * 12);
    // Inside the header, the records, a data block, a page index, the glyph records, the textures.
    for (uint64_t limit : {uint64_t(0), uint64_t(40), uint64_t(100), uint64_t(500), uint64_t(1000), uint64_t(1200),
                           uint64_t(40000), uint64_t(full.size() - 1)})
    {
        SCOPED_TRACE(limit);
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        FontCompiler compiler(&document, flags, nullptr, 0, nullptr, 0);
        LimitedSink target(limit);
        OutputSink sink(LimitedSink::Write, &target);
        EXPECT_EQ(compiler.CompileAndWrite(&sink, nullptr, 0), uint32_t('WRIT'));
        EXPECT_EQ(target.callsAfterRefusal, 0);
        EXPECT_LE(target.bytes.size(), limit);
        EXPECT_TRUE(std::equal(target.bytes.begin(), target.bytes.end(), full.begin()));
    }

    // The Ambrel text stream likewise: the first refusal fails it for good.
    std::string many = "Font (glyph_count = 3000) {\n";
    for (int g = 0; g < 3000; ++g)
        many += "Glyph (index = " + std::to_string(g) + ") {Advance {float {0.5}} Rect {float[2] {{0, 0}, {0.4, 0.6}}}}\n";
    many += "}\n";
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(many.c_str()), 0u);
    for (uint64_t limit : {uint64_t(0), uint64_t(65535), uint64_t(65536), uint64_t(200000)})
    {
        SCOPED_TRACE(limit);
        LimitedSink target(limit);
        bool finished;
        {
            TextOutputStream stream(LimitedSink::Write, &target);
            document.Write(&stream);
            finished = stream.Finish();
        }
        EXPECT_FALSE(finished);
        EXPECT_EQ(target.callsAfterRefusal, 0);
        EXPECT_LE(target.bytes.size(), limit);
    }
}

TEST(FontCompiler, TexturesThatDoNotShrinkAreStoredAsTheyAre)
{
    for (bool compress : {true, false})
    {
        SCOPED_TRACE(compress);
        List contexts;
        auto *context = new FontCompileContext;
        SetEmptyCharacterMap(context);
        contexts.Append(context);
        FontGlyphData glyphs;
        ASSERT_EQ(glyphs.Allocate(1, false), 0u);
        // Noise in the curve texture's first row, zeros in the band texture's.
        std::mt19937 random(7);
        auto *curve = glyphs.curveTexture.texels.Get<uint32_t>();
        for (int32_t i = 0; i < 4096 * 2; ++i) curve[i] = random();
        glyphs.curveTexture.row = 1;
        std::vector<uint8_t> file;
        OutputSink sink(test::AppendToBytes, &file);
        ASSERT_EQ(WriteVorlFontFile(&sink, nullptr, contexts, &glyphs, compress ? kCompileCompress : 0), 0u);
        ExpectReadableFontFile(file);
        VorlFileHeader header = Header(file);
        EXPECT_EQ(header.curveTexture.compression, 0u);
        EXPECT_EQ(header.curveTexture.compressedSize, 0u);
        EXPECT_EQ(header.curveTexture.height, 1u);
        EXPECT_EQ(header.bandTexture.dataOffset, header.curveTexture.dataOffset + 4096 * 8);
        EXPECT_EQ(header.bandTexture.compression, compress ? kTextureCompressed : 0u);
        EXPECT_EQ(std::memcmp(file.data() + header.curveTexture.dataOffset, curve, 4096 * 8), 0);
    }
}

TEST(FontCompiler, BoxesOfMarksAndOtherGlyphs)
{
    std::vector<VorlGlyphRecord> records(5, VorlGlyphRecord{});
    auto box = [&](int32_t g, float x0, float y0, float x1, float y1, bool mark) {
        records[g].box[0] = x0;
        records[g].box[1] = y0;
        records[g].box[2] = x1;
        records[g].box[3] = y1;
        records[g].markAnchorWord = mark ? MakeListWordA(0, 1) : 0;
    };
    box(0, 0.1f, -0.2f, 0.5f, 0.7f, false);
    box(1, -0.1f, 0.0f, 0.3f, 0.9f, false);
    box(2, 0.2f, 0.8f, 0.3f, 1.0f, true);
    box(3, -5.0f, -5.0f, -5.0f, 5.0f, false);  // no width: left out
    box(4, 0.0f, 0.0f, NAN, 1.0f, false);      // not a box: left out
    FontDataBoxItem boxes;
    ComputeFontBoxes(records.data(), uint32_t(records.size()), &boxes);
    const float glyph[4] = {-0.1f, -0.2f, 0.5f, 0.9f};
    const float mark[4] = {0.2f, 0.8f, 0.3f, 1.0f};
    for (int32_t k = 0; k < 4; ++k)
    {
        EXPECT_EQ(boxes.glyphBox[k], glyph[k]);
        EXPECT_EQ(boxes.markBox[k], mark[k]);
    }
    ComputeFontBoxes(records.data() + 3, 2, &boxes);
    for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(boxes.glyphBox[k], 0.0f);
}

// A compile that frees the outlines as it goes (of a document whose Glyphs took their geometry's
// curves) writes the same file as one that keeps them: real fonts with Components,
// single-reference chains and synthesized glyphs, with and without the outline pass (which reads
// the curves a second time). Afterwards no curves are left.
TEST(FontCompiler, ReleasingTheOutlinesKeepsTheFile)
{
    const uint32_t editor = (kDefaultCompileFlags & ~kCompilePoly) | kCompileContours | kCompileMath;
    struct Case
    {
        const char *path;
        uint32_t flags;
    };
    const Case cases[] = {
        {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", editor},
        {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", editor | kCompileOutline},
        {"/usr/share/fonts/opentype/freefont/FreeSerif.otf", editor | kCompileOutline},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.flags));
        std::string bytes = ReadWholeFile(c.path);
        ASSERT_FALSE(bytes.empty());
        std::vector<uint8_t> files[2];
        for (bool release : {false, true})
        {
            AmbrelDocument document;
            document.glyphsTakeGeometryCurves = release;
            ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
            document.compileSettings.outlineEffectSize = 0.02f;
            FontCompiler compiler(&document, c.flags, nullptr, 0, nullptr, 0);
            compiler.SetReleaseOutlines(release);
            OutputSink sink(test::AppendToBytes, &files[release]);
            ASSERT_EQ(compiler.CompileAndWrite(&sink, nullptr, 0), 0u);

            const FontStructure *font = document.fontList.GetFirst();
            int32_t glyphCurves = 0, geometryCurves = 0;
            for (uint32_t g = 0; g < font->glyphCount; ++g)
            {
                const GlyphStructure *glyph = font->GetGlyph(g);
                if (glyph == nullptr) continue;
                glyphCurves += glyph->curves.GetElementCount();
                for (auto *node = static_cast<const KettricStructure *>(glyph->GetFirstSubnode()); node != nullptr;
                     node = static_cast<const KettricStructure *>(glyph->GetNextTreeNode(node)))
                {
                    if (node->GetBaseStructureType() == kAmbrelGeometryBase)
                        geometryCurves += static_cast<const GeometryStructure *>(node)->curves.GetElementCount();
                }
            }
            EXPECT_EQ(glyphCurves == 0, release);
            EXPECT_EQ(geometryCurves == 0, release);
        }
        ASSERT_FALSE(files[0].empty());
        EXPECT_TRUE(files[0] == files[1]);
    }
}

}  // namespace
}  // namespace oq
