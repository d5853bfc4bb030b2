// Kerning pairs, ligatures, alternates, decompositions, 'ccmp' context entries, ligature carets and
// mark anchors of Debian's fonts against fontTools' reading of the same files (kern_pairs.py,
// ligature_pairs.py, alternate_pairs.py, context_rules.py, ligature_carets.py, mark_anchors.py), and
// facts of single fonts.
#include "ImportDump.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/AttachmentStructures.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "kettric/KettricPrimitive.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <future>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace oq {
namespace {

std::string TagText(uint32_t tag)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) text += char(tag >> shift & 0xFF);
    return text;
}

std::string GlyphList(const uint32_t *glyphs, int32_t count, const char *separator)
{
    std::string text;
    for (int32_t i = 0; i < count; ++i) text += (i ? separator : "") + std::to_string(glyphs[i]);
    return text;
}

// The lines sorted as LC_ALL=C sort does, each ended by a newline.
std::string SortedText(std::vector<std::string> *lines)
{
    std::sort(lines->begin(), lines->end());
    std::string text;
    for (auto &line : *lines) text += line + "\n";
    return text;
}

// The first line where two texts differ, for the failure message.
std::string FirstDifference(const std::string &expected, const std::string &actual)
{
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    size_t start = expected.rfind('\n', at == 0 ? 0 : at - 1);
    start = start == std::string::npos ? 0 : start + 1;
    return "fontTools: " + expected.substr(start, expected.find('\n', start) - start) +
           "\nimported:  " + actual.substr(start, actual.find('\n', start) - start);
}

// The pairs in the form of kern_pairs.py: "second first value vertical".
std::string ImportedPairs(FontStructure *font)
{
    std::vector<std::string> lines;
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
            for (int32_t i = 0; i < count; ++i)
                lines.push_back(std::to_string(g) + " " + std::to_string(glyphs[i]) + " " +
                                std::to_string(std::lround(values[i] * unitsPerEm)) + " " + std::to_string(v));
        }
    }
    return SortedText(&lines);
}

// The ligature Sequences in the form of ligature_pairs.py: "first tag components -> ligature".
std::string ImportedLigatures(FontStructure *font)
{
    std::vector<std::string> lines;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        for (SequenceStructure *s = font->glyphTable[g]->sequences.GetFirst(); s; s = StructureList<SequenceStructure>::GetNext(s))
        {
            RuleStructure *rule = s->ruleList.GetFirst();
            if (rule == nullptr || rule->ruleKind != 'rall') continue;
            std::string line = std::to_string(g) + " " + TagText(s->featureTag);
            for (MatchStructure *m = s->matchList.GetFirst(); m; m = StructureList<MatchStructure>::GetNext(m))
                line += " " + std::to_string((*m->GetFirstUInt32List())[0]);
            line += " -> " + std::to_string((*rule->GetFirstUInt32List())[0]);
            lines.push_back(line);
        }
    }
    return SortedText(&lines);
}

// The Alternates and Decomposes in the form of alternate_pairs.py: "glyph tag glyphs", "glyph dcmp glyphs".
std::string ImportedAlternates(FontStructure *font)
{
    std::vector<std::string> lines;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        GlyphStructure *glyph = font->glyphTable[g];
        for (AlternateStructure *a = glyph->alternates.GetFirst(); a; a = StructureList<AlternateStructure>::GetNext(a))
        {
            const uint32_t *glyphs = nullptr;
            int32_t count = a->GetGlyphs(&glyphs);
            lines.push_back(std::to_string(g) + " " + TagText(a->featureTag) + " " + GlyphList(glyphs, count, " "));
        }
        for (DecomposeStructure *d = glyph->decompositions.GetFirst(); d; d = StructureList<DecomposeStructure>::GetNext(d))
        {
            const uint32_t *glyphs = nullptr;
            int32_t count = d->GetGlyphs(&glyphs);
            lines.push_back(std::to_string(g) + " dcmp " + GlyphList(glyphs, count, " "));
        }
    }
    return SortedText(&lines);
}

// The 'sbst' Sequences in the form of context_rules.py: "glyph tag b:class f:class -> replacement".
std::string ImportedContextEntries(FontStructure *font)
{
    std::vector<std::string> lines;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        for (SequenceStructure *s = font->glyphTable[g]->sequences.GetFirst(); s; s = StructureList<SequenceStructure>::GetNext(s))
        {
            RuleStructure *rule = s->ruleList.GetFirst();
            if (rule == nullptr || rule->ruleKind != 'sbst') continue;
            std::string line = std::to_string(g) + " " + TagText(s->featureTag);
            for (MatchStructure *m = s->matchList.GetFirst(); m; m = StructureList<MatchStructure>::GetNext(m))
            {
                const uint32_t *glyphs = nullptr;
                int32_t count = m->GetGlyphs(&glyphs);
                line += (m->matchKind == 'bkwd' ? " b:" : m->matchKind == 'frwd' ? " f:" : " ?:") + GlyphList(glyphs, count, ",");
            }
            const KettricUInt32List *pair = rule->GetFirstUInt32List();
            lines.push_back(line + " -> " + std::to_string(pair->GetElementCount() == 2 ? (*pair)[1] : 0));
        }
    }
    return SortedText(&lines);
}

// Every Caret of every glyph in the form of ligature_carets.py: "glyph positions" in font units.
std::string ImportedCarets(FontStructure *font)
{
    std::vector<std::string> lines;
    float unitsPerEm = 1.0f / font->inverseUnitsPerEm;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        for (KettricStructure *s = font->glyphTable[g]->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        {
            if (s->GetStructureType() != 'cart') continue;
            const float *positions = nullptr;
            int32_t count = static_cast<CaretStructure *>(s)->GetPositions(&positions);
            std::string line = std::to_string(g);
            for (int32_t i = 0; i < count; ++i) line += " " + std::to_string(std::lround(positions[i] * unitsPerEm));
            lines.push_back(line);
        }
    }
    return SortedText(&lines);
}

// The base and mark Anchors in the form of mark_anchors.py: "glyph b|m class x y" in font units.
std::string ImportedAnchors(FontStructure *font)
{
    std::vector<std::string> lines;
    float unitsPerEm = 1.0f / font->inverseUnitsPerEm;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        for (int b = 0; b < 2; ++b)
        {
            const auto &list = b ? font->glyphTable[g]->baseAnchors : font->glyphTable[g]->markAnchors;
            for (AnchorStructure *a = list.GetFirst(); a; a = StructureList<AnchorStructure>::GetNext(a))
            {
                Point2D p = a->GetPosition();
                lines.push_back(std::to_string(g) + (b ? " b " : " m ") + std::to_string(a->classIndex) + " " +
                                std::to_string(std::lround(p.x * unitsPerEm)) + " " +
                                std::to_string(std::lround(p.y * unitsPerEm)));
            }
        }
    }
    return SortedText(&lines);
}

// The first Font of the imported file (the glyph Font of a shared collection).
FontStructure *ImportFirstFont(const std::string &path, AmbrelDocument *document)
{
    std::vector<unsigned char> bytes = test::ReadFileBytes(path);
    EXPECT_FALSE(bytes.empty()) << "missing test font " << path << " (make deps)";
    if (bytes.empty() || ImportOpenTypeFont(bytes.data(), bytes.size(), document) != 0) return nullptr;
    for (KettricStructure *s = document->GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        if (s->GetStructureType() == 'font') return static_cast<FontStructure *>(s);
    return nullptr;
}

// A font file with the script argument that names its face: "all" for a collection whose faces
// share one glyph set.
struct OracleFont
{
    const char *path;
    const char *face;
};

void PrintTo(const OracleFont &font, std::ostream *out)
{
    *out << font.path << " " << font.face;
}

class LayoutOracle : public testing::TestWithParam<OracleFont>
{
};

// Imports the font once and compares each description of it with its script's output; the scripts
// run meanwhile.
TEST_P(LayoutOracle, EntriesMatchFontTools)
{
    std::string path = GetParam().path;
    struct Check { const char *script; std::string (*describe)(FontStructure *); } checks[] = {
        {"kern_pairs.py", ImportedPairs},
        {"ligature_pairs.py", ImportedLigatures},
        {"alternate_pairs.py", ImportedAlternates},
        {"context_rules.py", ImportedContextEntries},
        {"ligature_carets.py", ImportedCarets},
        {"mark_anchors.py", ImportedAnchors},
    };
    std::vector<std::future<std::string>> outputs;
    for (const Check &check : checks)
    {
        outputs.push_back(std::async(std::launch::async, test::RunCommand,
                                     "/usr/bin/python3 -B " OQ_SOURCE_DIR "/tests/vorlfont/opentype/" +
                                         std::string(check.script) + " '" + path + "' " + GetParam().face +
                                         " | LC_ALL=C sort"));
    }
    AmbrelDocument document;
    FontStructure *font = ImportFirstFont(path, &document);
    for (size_t i = 0; i < std::size(checks); ++i)
    {
        std::string expected = outputs[i].get();
        if (font == nullptr) continue;
        std::string actual = checks[i].describe(font);
        EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), std::count(actual.begin(), actual.end(), '\n'))
            << checks[i].script;
        EXPECT_TRUE(expected == actual) << checks[i].script << "\n" << FirstDifference(expected, actual);
    }
    EXPECT_NE(font, nullptr) << path;
}

INSTANTIATE_TEST_SUITE_P(
    DebianFonts, LayoutOracle,
    testing::Values(OracleFont{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", ""},
                    OracleFont{"/usr/share/fonts/truetype/noto/NotoSerif-Regular.ttf", ""},
                    OracleFont{"/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", ""},
                    OracleFont{"/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf", ""},
                    OracleFont{"/usr/share/fonts/truetype/noto/NotoNastaliqUrdu-Regular.ttf", ""},
                    OracleFont{"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", ""},
                    OracleFont{"/usr/share/fonts/opentype/freefont/FreeSerif.otf", ""},
                    OracleFont{"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "all"},
                    OracleFont{"/usr/share/fonts/truetype/arphic/uming.ttc", "all"}));

// Liberation Sans' one 'ccmp' chaining rule has two input glyphs: it is passed over.
TEST(ContextEntries, RuleOfTwoInputGlyphsMakesNothing)
{
    AmbrelDocument document;
    FontStructure *font = ImportFirstFont("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", &document);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(ImportedContextEntries(font), "");
}

// The lines of a description, each split into its fields.
std::vector<std::vector<std::string>> Fields(const std::string &text)
{
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
    {
        std::istringstream words(line);
        lines.emplace_back();
        for (std::string word; words >> word;) lines.back().push_back(word);
    }
    return lines;
}

// The counts fontTools gives for single fonts: Noto Sans' five carets (7 positions) and its 'ccmp'
// chaining lookup (two format-3 subtables, named seven times by four 'ccmp' records, read once: 20
// input glyphs each), whose mark-to-mark extension lookup 7 gives 341 of its 6,411 anchors; Noto
// Sans Arabic's 551 caret glyphs (682 positions) and joining forms (init 225, medi 185, fina 323, one
// glyph each); Noto Sans CJK's 560 vertical pairs and 387 'vert' Alternates over its ten faces.
TEST(RealFontFacts, CountsEqualFontTools)
{
    struct Case
    {
        const char *path;
        size_t caretGlyphs, caretPositions, contextEntries, anchors, verticalPairs;
        std::vector<std::pair<std::string, size_t>> alternates;
    } cases[] = {
        {"/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", 5, 7, 40, 6411, 0, {}},
        {"/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf", 551, 682, 0, 2021, 0,
         {{"init", 225}, {"medi", 185}, {"fina", 323}}},
        {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", 0, 0, 0, 7570, 0, {}},
        {"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 0, 0, 0, 3589, 560, {{"vert", 387}}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.path);
#if defined(__SANITIZE_ADDRESS__)
        // The collection's import is the heaviest there; LayoutOracle compares it whole already.
        if (c.verticalPairs != 0) continue;
#endif
        AmbrelDocument document;
        FontStructure *font = ImportFirstFont(c.path, &document);
        ASSERT_NE(font, nullptr);
        auto carets = Fields(ImportedCarets(font));
        size_t positions = 0;
        for (auto &line : carets) positions += line.size() - 1;
        EXPECT_EQ(carets.size(), c.caretGlyphs);
        EXPECT_EQ(positions, c.caretPositions);
        EXPECT_EQ(Fields(ImportedContextEntries(font)).size(), c.contextEntries);
        EXPECT_EQ(Fields(ImportedAnchors(font)).size(), c.anchors);
        size_t vertical = 0;
        for (auto &line : Fields(ImportedPairs(font))) vertical += line[3] == "1";
        EXPECT_EQ(vertical, c.verticalPairs);
        auto alternates = Fields(ImportedAlternates(font));
        for (auto &[tag, count] : c.alternates)
        {
            size_t single = 0;
            for (auto &line : alternates) single += line[1] == tag && line.size() == 3;
            EXPECT_EQ(single, count) << tag;
        }
    }
}

}  // namespace
}  // namespace oq
