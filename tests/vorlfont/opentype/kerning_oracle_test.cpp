// Kerning pairs of Debian's fonts against fontTools' reading of the same files (kern_pairs.py).
#include "ImportDump.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace oq {
namespace {

// The first Font's pairs in the script's form, sorted.
std::string ImportedPairs(FontStructure *font)
{
    std::vector<std::tuple<uint32_t, uint32_t, long>> rows[2];
    float unitsPerEm = 1.0f / font->inverseUnitsPerEm;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        for (int v = 0; v < 2; ++v)
        {
            KernStructure *kern = (v ? font->glyphTable[g]->verticalKerns : font->glyphTable[g]->horizontalKerns).GetFirst();
            if (kern == nullptr) continue;
            const uint32_t *glyphs = nullptr;
            const float *values = nullptr;
            int32_t count = kern->GetGlyphs(&glyphs);
            kern->GetValues(&values);
            for (int32_t i = 0; i < count; ++i) rows[v].emplace_back(g, glyphs[i], std::lround(values[i] * unitsPerEm));
        }
    }
    std::vector<std::string> lines;
    for (int v = 0; v < 2; ++v)
        for (auto &[second, first, value] : rows[v])
            lines.push_back(std::to_string(second) + " " + std::to_string(first) + " " + std::to_string(value) + " " +
                            std::to_string(v));
    // The script sorts by (second, first, vertical) numerically.
    std::sort(lines.begin(), lines.end(), [](const std::string &a, const std::string &b) {
        std::istringstream x(a), y(b);
        long a1, a2, a3, a4, b1, b2, b3, b4;
        x >> a1 >> a2 >> a3 >> a4;
        y >> b1 >> b2 >> b3 >> b4;
        return std::tie(a1, a2, a4) < std::tie(b1, b2, b4);
    });
    std::string text;
    for (auto &line : lines) text += line + "\n";
    return text;
}

class KerningOracle : public testing::TestWithParam<const char *>
{
};

TEST_P(KerningOracle, PairsMatchFontTools)
{
    std::string path = GetParam();
    std::vector<unsigned char> bytes = test::ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty()) << "missing test font " << path << " (make deps)";
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
    FontStructure *font = nullptr;
    for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s && !font; s = s->GetNextStructure())
        if (s->GetStructureType() == 'font') font = static_cast<FontStructure *>(s);
    ASSERT_NE(font, nullptr);
    std::string expected = test::RunCommand("/usr/bin/python3 " OQ_SOURCE_DIR
                                            "/tests/vorlfont/opentype/kern_pairs.py '" + path + "'");
    std::string actual = ImportedPairs(font);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), std::count(actual.begin(), actual.end(), '\n'));
    EXPECT_TRUE(expected == actual) << path;
}

INSTANTIATE_TEST_SUITE_P(DebianFonts, KerningOracle,
                         testing::Values("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                         "/usr/share/fonts/truetype/noto/NotoSerif-Regular.ttf",
                                         "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf"));

}  // namespace
}  // namespace oq
