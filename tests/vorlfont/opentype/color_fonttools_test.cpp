// Colour fonts and a shared collection built by make_color_fonts.py: ligature carets, palette
// Metrics, version-0 layers and version-1 paint trees against fontTools' reading of the same files
// (dump_colors.py), linear gradient stops, and the compiled files.
#include "ImportDump.h"
#include "support/TempDirectory.h"
#include "vorlfont/VorlFontTestSupport.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/ColorStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "base/Color.h"
#include "kettric/KettricPrimitive.h"
#include "vorl/text/FontDataAccess.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace oq {
namespace {

const char *const kFixtures[] = {"colr0.ttf", "colr1.ttf", "shared.ttc", "independent.ttc"};

// Glyph numbers of make_color_fonts.py: c06 paints a linear gradient, f_f_i has two carets.
constexpr uint32_t kLinearGlyph = 10;
constexpr uint32_t kTwoCaretGlyph = 30;

class ColorFonts : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder = new test::TempDirectory;
        built = test::RunCommand("/usr/bin/python3 -B " OQ_SOURCE_DIR "/tests/vorlfont/opentype/make_color_fonts.py '" +
                                 folder->Path() + "' 2>'" + folder->File("make.log") + "' && echo built") == "built\n";
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    // Imports the fixture; the first top-level Font (the glyph Font) out.
    static FontStructure *Import(const char *name, AmbrelDocument *document)
    {
        EXPECT_TRUE(built) << test::ReadWholeFile(folder->File("make.log"));
        std::vector<unsigned char> bytes = test::ReadFileBytes(folder->File(name));
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), document), 0u) << name;
        for (KettricStructure *s = document->GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
            if (s->GetStructureType() == 'font') return static_cast<FontStructure *>(s);
        return nullptr;
    }

    static inline test::TempDirectory *folder = nullptr;
    static inline bool built = false;
};

TEST_F(ColorFonts, CaretsPalettesLayersAndPaintsMatchFontTools)
{
    for (const char *name : kFixtures)
    {
        SCOPED_TRACE(name);
        AmbrelDocument document;
        FontStructure *font = Import(name, &document);
        ASSERT_NE(font, nullptr);
        std::string expected = test::RunCommand("/usr/bin/python3 -B " OQ_SOURCE_DIR
                                                "/tests/vorlfont/opentype/dump_colors.py '" +
                                                folder->File(name) + "'");
        ASSERT_NE(expected.find("emoj"), std::string::npos) << expected;
        // Float data is computed in single precision here and in double precision by the script.
        EXPECT_EQ(test::FirstDifference(expected, test::DumpColorGlyphs(&document), 2e-6), "");
    }
}

// The two faces share one glyph Font: each ligature keeps one Caret and each colour glyph one set of
// colour data, however many faces read the tables.
TEST_F(ColorFonts, SharedCollectionAddsCaretsAndColoursOnce)
{
    AmbrelDocument document;
    FontStructure *font = Import("shared.ttc", &document);
    ASSERT_NE(font, nullptr);
    int members = 0;
    for (KettricStructure *s = font->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        members += s->GetStructureType() == 'font';
    EXPECT_EQ(members, 2);
    EXPECT_EQ(document.GetRootStructure()->GetFirstSubnodeStructure()->GetNextStructure(), nullptr);
    int carets = 0, emojis = 0;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        int glyphCarets = 0, glyphEmojis = 0;
        for (KettricStructure *s = font->glyphTable[g]->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        {
            glyphCarets += s->GetStructureType() == 'cart';
            glyphEmojis += s->GetStructureType() == 'emoj';
        }
        EXPECT_LE(glyphCarets, 1) << g;
        EXPECT_LE(glyphEmojis, 1) << g;
        carets += glyphCarets;
        emojis += glyphEmojis;
    }
    EXPECT_EQ(carets, 2);
    EXPECT_EQ(emojis, 7);
    ASSERT_NE(font->glyphTable[kTwoCaretGlyph]->caret, nullptr);
    EXPECT_EQ(font->glyphTable[kTwoCaretGlyph]->caret->GetFirstFloatList()->GetElementCount(), 2);
}

// The stops of glyph c06's linear gradient are palette 0's entries 0 (255, 0, 0, 255),
// 1 (0, 128, 255, 200) at alpha 0.5 and 2 (128, 128, 128, 255): linear colours, alpha unchanged.
TEST_F(ColorFonts, GradientStopsAreLinear)
{
    AmbrelDocument document;
    FontStructure *font = Import("colr1.ttf", &document);
    ASSERT_NE(font, nullptr);
    KettricStructure *emoji = font->glyphTable[kLinearGlyph]->GetFirstSubstructure('emoj');
    ASSERT_NE(emoji, nullptr);
    KettricStructure *paint = emoji->GetFirstSubstructure('pant');
    ASSERT_NE(paint, nullptr);
    KettricStructure *gradient = paint->GetFirstSubstructure('grad');
    ASSERT_NE(gradient, nullptr);
    KettricStructure *color = gradient->GetFirstSubstructure('colr');
    ASSERT_NE(color, nullptr);
    const auto *stops = static_cast<const KettricFloatList *>(color->GetFirstSubnodeStructure());
    ASSERT_EQ(stops->GetElementCount(), 12);
    const float expected[12] = {1.0f, 0.0f, 0.0f, 1.0f,
                                0.0f, kSrgbByteToLinear[128], 1.0f, 200.0f * (0.5f / 255.0f),
                                kSrgbByteToLinear[128], kSrgbByteToLinear[128], kSrgbByteToLinear[128], 1.0f};
    for (int i = 0; i < 12; ++i) EXPECT_FLOAT_EQ((*stops)[i], expected[i]) << i;
    // The byte 128 is 0.2159 in linear light, not 128 / 255.
    EXPECT_NEAR((*stops)[5], 0.2158605f, 1e-6f);
}

// The number of the source glyph a compiled record came from: make_color_fonts.py gives glyph i
// the advance 700 + i in 2048 units.
uint32_t SourceGlyph(const VorlGlyphRecord &record)
{
    return uint32_t(std::lround(record.advance * 2048.0f)) - 700;
}

// Compiles the document's Font at the index and compares its colour layers and carets with the
// imported source Font's; the counts of layered and caret glyphs out.
void CompareCompiledFont(AmbrelDocument *document, const FontStructure *source, int32_t index, int *layered,
                         int *carets)
{
    // The compile gives Carets to ligatures without one (f_l): only the imported ones are compared.
    std::vector<bool> imported(source->glyphCount);
    for (uint32_t g = 0; g < source->glyphCount; ++g) imported[g] = source->glyphTable[g]->caret != nullptr;
    uint32_t result = 1;
    std::vector<uint8_t> file = test::CompileDocument(document, kDefaultCompileFlags, &result, index);
    ASSERT_EQ(result, 0u);
    test::ExpectReadableFontFile(file);

    std::vector<uint64_t> aligned((file.size() + 7) / 8);
    std::memcpy(aligned.data(), file.data(), file.size());
    const VorlFontRecord *font = GetVorlFontRecord(reinterpret_cast<const VorlFileHeader *>(aligned.data()), 0);
    const VorlGlyphRecord *glyphs = font->GetGlyphRecords();
    for (uint32_t i = 0; i < font->glyphCount; ++i)
    {
        uint32_t g = SourceGlyph(glyphs[i]);
        ASSERT_LT(g, source->glyphCount);
        const GlyphStructure *glyph = source->glyphTable[g];
        // The Component's glyphs and palette-0 colours, as (source glyph, red, green, blue, alpha).
        std::vector<std::vector<uint32_t>> expected, actual;
        if (const KettricStructure *emoji = glyph->GetFirstSubstructure('emoj'))
        {
            for (const KettricStructure *c = emoji->GetFirstSubnodeStructure(); c; c = c->GetNextStructure())
            {
                if (c->GetStructureType() != 'comp') continue;
                const auto *list = static_cast<const KettricUInt32List *>(c->GetFirstSubnodeStructure());
                const KettricStructure *color = list->GetNextStructure();
                ASSERT_EQ(static_cast<const ColorStructure *>(color)->paletteIndex, 0u);
                const auto *bytes = static_cast<const KettricUInt8List *>(color->GetFirstSubnodeStructure());
                for (int32_t k = 0; k < list->GetElementCount(); ++k)
                    expected.push_back({(*list)[k], (*bytes)[4 * k], (*bytes)[4 * k + 1], (*bytes)[4 * k + 2],
                                        (*bytes)[4 * k + 3]});
            }
        }
        const LayerListEntry *layers = font->GetLayerList() + ListIndexA(glyphs[i].layerWord);
        for (uint32_t k = 0; k < ListCountA(glyphs[i].layerWord); ++k)
        {
            const uint8_t *c = layers[k].color;
            actual.push_back({SourceGlyph(glyphs[layers[k].glyph]), c[0], c[1], c[2], c[3]});
        }
        EXPECT_EQ(actual, expected) << "glyph " << g;
        *layered += !actual.empty();

        if (!imported[g]) continue;
        const float *positions = nullptr;
        int32_t count = glyph->caret->GetPositions(&positions);
        const float *compiled = font->GetCaretList() + ListIndexA(glyphs[i].caretWord);
        EXPECT_EQ(std::vector<float>(compiled, compiled + ListCountA(glyphs[i].caretWord)),
                  std::vector<float>(positions, positions + count)) << "glyph " << g;
        ++*carets;
    }
}

// Every compiled file passes the three checks (the shared collection compiles its two faces into one
// file, the independent one each face into its own). Its colour layers are the layer glyphs and
// palette-0 colours of the imported Components, and the ligatures keep their imported carets.
TEST_F(ColorFonts, CompiledFilesCarryLayersAndCarets)
{
    for (const char *name : kFixtures)
    {
        AmbrelDocument document;
        ASSERT_NE(Import(name, &document), nullptr);
        int32_t index = 0;
        for (FontStructure *source = document.fontList.GetFirst(); source;
             source = StructureList<FontStructure>::GetNext(source), ++index)
        {
            SCOPED_TRACE(testing::Message() << name << " font " << index);
            int layered = 0, carets = 0;
            CompareCompiledFont(&document, source, index, &layered, &carets);
            EXPECT_EQ(layered, 3);
            EXPECT_EQ(carets, std::string(name) == "shared.ttc" ? 2 : 0);
        }
        EXPECT_EQ(index, std::string(name) == "independent.ttc" ? 2 : 1) << name;
    }
}

}  // namespace
}  // namespace oq
