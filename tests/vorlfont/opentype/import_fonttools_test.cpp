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
    std::vector<uint32_t> raw(kCodePointCount);
    ASSERT_EQ(FillCharacterTable(FindCmapSubtable(cmap, 3, 1), 0xFFFF, raw.data()), 0u);
    std::set<uint32_t> before, after;
    int lowOnly = 0;
    for (uint32_t c = 0; c < kCodePointCount; ++c)
    {
        if (raw[c]) before.insert(raw[c]);
        lowOnly += c >= 0x80 && c < 0x100 && raw[c] != 0;
    }
    EXPECT_GT(lowOnly, 90);

    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
    const FontStructure *font = document.fontList.GetFirst();
    ASSERT_NE(font, nullptr);
    ASSERT_EQ(font->familyClass, 0x0C03u);
    for (uint32_t c = 0; c < kCodePointCount; ++c)
        if (font->characterTable[c] > 0) after.insert(uint32_t(font->characterTable[c]));
    EXPECT_EQ(before, after);
    EXPECT_EQ(font->characterTable[0xE5], 0);
    EXPECT_NE(font->characterTable[0x2211], 0);
    EXPECT_NE(font->characterTable[0xF0E5], 0);
    EXPECT_NE(font->characterTable[0x3B1], 0);
}

INSTANTIATE_TEST_SUITE_P(DebianFonts, FontToolsImport, testing::ValuesIn(kFonts));

}  // namespace
}  // namespace oq
