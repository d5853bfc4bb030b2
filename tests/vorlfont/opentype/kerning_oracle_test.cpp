// Kerning pairs and ligatures of Debian's fonts against fontTools' reading of the same files
// (kern_pairs.py, ligature_pairs.py).
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

// Imports the font and compares what describe makes of its first Font with the script's output.
void ExpectSameAsScript(const std::string &path, const std::string &command, std::string (*describe)(FontStructure *))
{
    std::vector<unsigned char> bytes = test::ReadFileBytes(path);
    ASSERT_FALSE(bytes.empty()) << "missing test font " << path << " (make deps)";
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
    FontStructure *font = nullptr;
    for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s && !font; s = s->GetNextStructure())
        if (s->GetStructureType() == 'font') font = static_cast<FontStructure *>(s);
    ASSERT_NE(font, nullptr);
    std::string expected = test::RunCommand(command);
    std::string actual = describe(font);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), std::count(actual.begin(), actual.end(), '\n'));
    EXPECT_TRUE(expected == actual) << path;
}

class KerningOracle : public testing::TestWithParam<const char *>
{
};

TEST_P(KerningOracle, PairsMatchFontTools)
{
    std::string path = GetParam();
    ExpectSameAsScript(path, "/usr/bin/python3 " OQ_SOURCE_DIR "/tests/vorlfont/opentype/kern_pairs.py '" + path + "'",
                       ImportedPairs);
}

// The ligature Sequences in the form of ligature_pairs.py, sorted as text.
std::string ImportedLigatures(FontStructure *font)
{
    std::vector<std::string> lines;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        for (SequenceStructure *s = font->glyphTable[g]->sequences.GetFirst(); s; s = StructureList<SequenceStructure>::GetNext(s))
        {
            RuleStructure *rule = s->ruleList.GetFirst();
            if (rule == nullptr || rule->ruleKind != 'rall') continue;
            std::string line = std::to_string(g) + " ";
            for (int shift = 24; shift >= 0; shift -= 8) line += char(s->featureTag >> shift & 0xFF);
            for (MatchStructure *m = s->matchList.GetFirst(); m; m = StructureList<MatchStructure>::GetNext(m))
                line += " " + std::to_string((*m->GetFirstUInt32List())[0]);
            line += " -> " + std::to_string((*rule->GetFirstUInt32List())[0]);
            lines.push_back(line);
        }
    }
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (auto &line : lines) text += line + "\n";
    return text;
}

TEST_P(KerningOracle, LigaturesMatchFontTools)
{
    std::string path = GetParam();
    ExpectSameAsScript(path,
                       "/usr/bin/python3 " OQ_SOURCE_DIR "/tests/vorlfont/opentype/ligature_pairs.py '" + path +
                           "' | LC_ALL=C sort",
                       ImportedLigatures);
}

// Liberation Sans' one 'ccmp' chaining rule has two input glyphs: it is passed over.
TEST(ContextEntries, RuleOfTwoInputGlyphsMakesNothing)
{
    std::vector<unsigned char> bytes =
        test::ReadFileBytes("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
    ASSERT_FALSE(bytes.empty()) << "missing test font (make deps)";
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
    auto *font = static_cast<FontStructure *>(document.GetRootStructure()->GetFirstSubnodeStructure());
    int contexts = 0;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
        for (SequenceStructure *s = font->glyphTable[g]->sequences.GetFirst(); s; s = StructureList<SequenceStructure>::GetNext(s))
            contexts += s->ruleList.GetFirst() != nullptr && s->ruleList.GetFirst()->ruleKind == 'sbst';
    EXPECT_EQ(contexts, 0);
}

INSTANTIATE_TEST_SUITE_P(DebianFonts, KerningOracle,
                         testing::Values("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                         "/usr/share/fonts/truetype/noto/NotoSerif-Regular.ttf",
                                         "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf",
                                         "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"));

}  // namespace
}  // namespace oq
