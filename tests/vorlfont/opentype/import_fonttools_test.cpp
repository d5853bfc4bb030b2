// Imports of Debian's fonts against fontTools' reading of the same files (dump_font.py).
#include "ImportDump.h"
#include "support/TempDirectory.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "vorlfont/opentype/CharacterMap.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

#include <gtest/gtest.h>

#include <set>

namespace oq {
namespace {

const char *const kFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuMathTeXGyre.ttf",
    "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
    "/usr/share/texmf/fonts/opentype/public/lm/lmroman10-regular.otf",
    "/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf",
    "/usr/share/texmf/fonts/opentype/public/tex-gyre-math/texgyretermes-math.otf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/truetype/arphic/uming.ttc",
    "/usr/share/wine/fonts/symbol.ttf",
    "/usr/share/wine/fonts/wingding.ttf",
    "/usr/share/wine/fonts/webdings.ttf",
    "/usr/share/wine/fonts/marlett.ttf",
    "/usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf",
    // Subsets and collections rebuilt from them (make_fuzz_seeds.py).
    OQ_SOURCE_DIR "/fuzz/corpus/opentype_import_fuzz/shared.ttc",
    OQ_SOURCE_DIR "/fuzz/corpus/opentype_import_fuzz/independent.ttc",
    OQ_SOURCE_DIR "/fuzz/corpus/opentype_import_fuzz/cjk.ttc",
    OQ_SOURCE_DIR "/fuzz/corpus/opentype_import_fuzz/wingdings.ttf",
    // Colour fonts of make_color_fonts.py.
    OQ_SOURCE_DIR "/fuzz/corpus/opentype_import_fuzz/colour_v1.ttf",
    OQ_SOURCE_DIR "/fuzz/corpus/opentype_import_fuzz/colour_shared.ttc",
};

// Imports the font and compares with fontTools' reading of it.
void ExpectSameAsFontTools(const std::string &path)
{
    std::vector<unsigned char> bytes = test::ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty()) << "missing test font " << path << " (make deps)";

    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
    std::string expected =
        test::RunCommand("/usr/bin/python3 -B " OQ_SOURCE_DIR "/tests/vorlfont/opentype/dump_font.py '" + path + "'");
    ASSERT_FALSE(expected.empty());
    std::string actual = test::DumpImportedFonts(&document);
    EXPECT_EQ(test::FirstDifference(expected, actual), "") << path;
}

class FontToolsImport : public testing::TestWithParam<const char *>
{
};

TEST_P(FontToolsImport, MatchesFontTools)
{
    ExpectSameAsFontTools(GetParam());
}

// Cmap format 6, (0, 3) and (1, 0) subtables only, a version-1 'name' table and vertical metrics,
// built by make_test_fonts.py.
TEST(BuiltFontImport, MatchesFontTools)
{
    test::TempDirectory folder;
    ASSERT_EQ(test::RunCommand("/usr/bin/python3 -B " OQ_SOURCE_DIR "/tests/vorlfont/opentype/make_test_fonts.py '" +
                               folder.Path() + "' 2>'" + folder.File("make.log") + "' && echo built"),
              "built\n");
    for (const char *name : {"format6.ttf", "unicode03.ttf", "name1.ttf", "vertical.ttf"})
        ExpectSameAsFontTools(folder.File(name));
}

// URW's Standard Symbols (family class 0x0C03) keeps every glyph its subtable reaches.
TEST(SymbolClassImport, EveryMappedGlyphStaysReachable)
{
    const char *path = "/usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf";
    std::vector<unsigned char> bytes = test::ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty()) << "missing test font " << path << " (make deps)";
    FontBytes file{bytes.data(), bytes.size()};
    FontBytes cmap;
    ASSERT_EQ(FindSfntTable(file, 0, 'cmap', &cmap), 0u);
    CharacterTable raw;
    ASSERT_EQ(FillCharacterTable(FindCmapSubtable(cmap, 3, 1), 0xFFFF, &raw), 0u);
    std::set<uint32_t> before, after;
    int lowOnly = 0;
    for (uint32_t c = 0; c < kCodePointCount; ++c)
    {
        if (raw.Get(c)) before.insert(uint32_t(raw.Get(c)));
        lowOnly += c >= 0x80 && c < 0x100 && raw.Get(c) != 0;
    }
    EXPECT_GT(lowOnly, 90);

    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
    const FontStructure *font = document.fontList.GetFirst();
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->familyClass, 0x0C03u);
    for (uint32_t c = 0; c < kCodePointCount; ++c)
        if (font->characterTable->Get(c) > 0) after.insert(uint32_t(font->characterTable->Get(c)));
    EXPECT_EQ(before, after);
    EXPECT_EQ(font->characterTable->Get(0xE5), 0);
    EXPECT_NE(font->characterTable->Get(0x2211), 0);
    EXPECT_NE(font->characterTable->Get(0xF0E5), 0);
    EXPECT_NE(font->characterTable->Get(0x3B1), 0);
}

// A face's character table maps what its 'cmap' subtable maps and holds only the pages that
// subtable reaches, with the index up to the highest of them.
TEST(CharacterTableImport, HoldsOnlyTheMappedPages)
{
    struct Case
    {
        const char *path;
        uint16_t platform, encoding;
    };
    const Case cases[] = {
        {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 3, 10},
        {"/usr/share/fonts/opentype/freefont/FreeSerif.otf", 3, 10},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.path);
        std::vector<unsigned char> bytes = test::ReadFileBytes(c.path);
        ASSERT_FALSE(bytes.empty()) << "missing test font " << c.path << " (make deps)";
        FontBytes file{bytes.data(), bytes.size()};
        FontBytes cmap;
        ASSERT_EQ(FindSfntTable(file, 0, 'cmap', &cmap), 0u);
        CharacterTable subtableTable;
        ASSERT_EQ(FillCharacterTable(FindCmapSubtable(cmap, c.platform, c.encoding), 0xFFFF, &subtableTable), 0u);
        std::vector<uint32_t> raw(kCodePointCount);
        for (uint32_t code = 0; code < kCodePointCount; ++code) raw[code] = uint32_t(subtableTable.Get(code));

        AmbrelDocument document;
        ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
        const FontStructure *font = document.fontList.GetFirst();
        ASSERT_NE(font, nullptr);
        ASSERT_NE(font->characterTable, nullptr);
        const CharacterTable &table = *font->characterTable;
        std::set<uint32_t> pages;
        for (uint32_t code = 0; code < kCodePointCount; ++code)
        {
            ASSERT_EQ(uint32_t(table.Get(code)), raw[code]) << std::hex << code;
            if (raw[code] != 0) pages.insert(code / CharacterTable::kPageSize);
        }
        ASSERT_FALSE(pages.empty());
        uint32_t indexSize = *pages.rbegin() + 1;
        EXPECT_EQ(table.GetIndexSize(), indexSize);
        for (uint32_t p = 0; p < indexSize; ++p) EXPECT_EQ(table.GetPage(p) != nullptr, pages.count(p) != 0) << p;
        // The pages and an index at most twice the highest page's: kilobytes, not 4.4 MB.
        size_t pageBytes = pages.size() * CharacterTable::kPageSize * sizeof(int32_t);
        EXPECT_LE(table.GetMemorySize(), pageBytes + 2 * sizeof(int32_t *) * indexSize);
    }
}

INSTANTIATE_TEST_SUITE_P(DebianFonts, FontToolsImport, testing::ValuesIn(kFonts));

}  // namespace
}  // namespace oq
