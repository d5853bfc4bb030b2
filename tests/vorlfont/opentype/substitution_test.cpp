// Alternates, decompositions, ligatures and 'ccmp' context entries read from hand-built
// substitution tables, with their bounds and limits.
#include "LayoutTestBuilder.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "kettric/KettricPrimitive.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace oq {
namespace {

using test::Bytes;
using test::ByteWriter;
using test::TestFace;

struct Imported
{
    AmbrelDocument document;
    uint32_t result = 0;
    FontStructure *font = nullptr;
};

void ImportGsub(const Bytes &gsub, Imported *out, uint16_t glyphCount = 20)
{
    TestFace face = test::MinimalFace(glyphCount);
    face.Set("GSUB", gsub);
    Bytes bytes = test::BuildSfnt({face}, false);
    out->result = ImportOpenTypeFont(bytes.data(), bytes.size(), &out->document);
    for (KettricStructure *s = out->document.GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        if (s->GetStructureType() == 'font') out->font = static_cast<FontStructure *>(s);
}

std::string TagText(uint32_t tag)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) text += char(tag >> shift & 0xFF);
    return text;
}

// Alternates as "glyph:tag=g,g" and decompositions as "glyph:dcmp=g,g".
std::string DescribeAlternates(FontStructure *font)
{
    std::ostringstream out;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        GlyphStructure *glyph = font->glyphTable[g];
        for (AlternateStructure *a = glyph->alternates.GetFirst(); a; a = StructureList<AlternateStructure>::GetNext(a))
        {
            const uint32_t *glyphs = nullptr;
            int32_t count = a->GetGlyphs(&glyphs);
            out << g << ":" << TagText(a->featureTag) << "=";
            for (int32_t i = 0; i < count; ++i) out << glyphs[i] << (i + 1 < count ? "," : "");
            out << " ";
        }
        if (DecomposeStructure *d = glyph->GetDecomposition())
        {
            auto *list = static_cast<const KettricUInt32List *>(d->GetFirstSubnodeStructure());
            out << g << ":dcmp=";
            for (int32_t i = 0; i < list->GetElementCount(); ++i) out << (*list)[i] << (i + 1 < list->GetElementCount() ? "," : "");
            out << " ";
        }
    }
    return out.str();
}

int CountSequences(FontStructure *font)
{
    int count = 0;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
        for (SequenceStructure *s = font->glyphTable[g]->sequences.GetFirst(); s; s = StructureList<SequenceStructure>::GetNext(s))
            ++count;
    return count;
}

Bytes SingleFormat2(const std::vector<uint32_t> &covered, const std::vector<uint32_t> &substitutes)
{
    ByteWriter head;
    head.U16(2).U16(0).U16(uint32_t(substitutes.size()));
    for (uint32_t s : substitutes) head.U16(s);
    return test::WithBlocks(head, {{2, test::CoverageFormat1(covered)}});
}

Bytes SingleFormat1(const Bytes &coverage, uint32_t delta)
{
    ByteWriter head;
    head.U16(1).U16(0).U16(delta);
    return test::WithBlocks(head, {{2, coverage}});
}

// Multiple (type 2) or alternate (type 3) substitution: one glyph set per covered glyph.
Bytes SetSubstitution(const std::vector<uint32_t> &covered, const std::vector<std::vector<uint32_t>> &sets)
{
    ByteWriter head;
    head.U16(1).U16(0).U16(uint32_t(sets.size()));
    for (size_t i = 0; i < sets.size(); ++i) head.U16(0);
    std::vector<std::pair<size_t, Bytes>> blocks{{2, test::CoverageFormat1(covered)}};
    for (size_t i = 0; i < sets.size(); ++i)
    {
        ByteWriter set;
        set.U16(uint32_t(sets[i].size()));
        for (uint32_t g : sets[i]) set.U16(g);
        blocks.emplace_back(6 + 2 * i, set.bytes);
    }
    return test::WithBlocks(head, blocks);
}

// Ligature substitution: per first glyph its ligatures {ligature glyph, further components...}.
Bytes LigatureSubstitution(const std::vector<uint32_t> &firsts, const std::vector<std::vector<std::vector<uint32_t>>> &sets)
{
    ByteWriter head;
    head.U16(1).U16(0).U16(uint32_t(sets.size()));
    for (size_t i = 0; i < sets.size(); ++i) head.U16(0);
    std::vector<std::pair<size_t, Bytes>> blocks{{2, test::CoverageFormat1(firsts)}};
    for (size_t i = 0; i < sets.size(); ++i)
    {
        ByteWriter set;
        set.U16(uint32_t(sets[i].size()));
        for (size_t k = 0; k < sets[i].size(); ++k) set.U16(0);
        for (size_t k = 0; k < sets[i].size(); ++k)
        {
            set.PutU16(2 + 2 * k, uint32_t(set.bytes.size()));
            set.U16(sets[i][k][0]).U16(uint32_t(sets[i][k].size()));
            for (size_t c = 1; c < sets[i][k].size(); ++c) set.U16(sets[i][k][c]);
        }
        blocks.emplace_back(6 + 2 * i, set.bytes);
    }
    return test::WithBlocks(head, blocks);
}

// Chained context format 3: backtrack, input and lookahead coverages, records {sequence index, lookup}.
Bytes ChainFormat3(const std::vector<Bytes> &backtrack, const std::vector<Bytes> &input,
                   const std::vector<Bytes> &lookahead, const std::vector<std::pair<uint32_t, uint32_t>> &records)
{
    ByteWriter head;
    std::vector<std::pair<size_t, Bytes>> blocks;
    head.U16(3);
    for (const auto *group : {&backtrack, &input, &lookahead})
    {
        head.U16(uint32_t(group->size()));
        for (const Bytes &c : *group)
        {
            blocks.emplace_back(head.bytes.size(), c);
            head.U16(0);
        }
    }
    head.U16(uint32_t(records.size()));
    for (auto &r : records) head.U16(r.first).U16(r.second);
    return test::WithBlocks(head, blocks);
}

TEST(Substitution, AlternatesAndDecompositions)
{
    // Lookup 0: smcp single format 2 (glyph 7 maps past the glyph count: dropped).
    // Lookup 1: salt alternates (glyph 1 of ss01 would become glyph 0: no Alternate); lookup 2: multiple substitution; lookup 3: single format 1 over ranges.
    Bytes gsub = test::LayoutTableBytes(
        {{"aalt", {0, 1}}, {"smcp", {0}}, {"salt", {1}}, {"ccmp", {2}}, {"locl", {2}}, {"ss01", {3}}},
        {{1, {SingleFormat2({1, 2, 7}, {11, 12, 500})}},
         {3, {SetSubstitution({3, 4, 5}, {{13, 14, 15}, {600, 16}, {700}})}},
         {2, {SetSubstitution({6, 8, 9, 10}, {{1, 2}, {17}, {1, 900}, {}})}},
         {7, {test::Extension(1, SingleFormat1(test::CoverageFormat2({{18, 30, 0}, {0, 1, 13}}), 0xFFFF))}}});
    Imported r;
    ImportGsub(gsub, &r);
    ASSERT_EQ(r.result, 0u);
    EXPECT_EQ(DescribeAlternates(r.font),
              "1:smcp=11 2:smcp=12 3:salt=13,14,15 4:salt=16 6:dcmp=1,2 8:locl=17 18:ss01=17 19:ss01=18 ");
}

TEST(Substitution, LigaturesAndContextEntries)
{
    // Glyph 1 f, 2 i, 3 ffi, 4 dotless i, 5 accent, 6 fi.
    Bytes liga = LigatureSubstitution({1}, {{{3, 1, 2}, {6, 2}, {6, 2}, {9}, {3, 1, 800}, {900, 2}}});
    Bytes dotless = SingleFormat2({2}, {4});
    Bytes chain = ChainFormat3({}, {test::CoverageFormat1({2, 7, 300})}, {test::CoverageFormat1({5, 10, 400})}, {{0, 1}});
    Bytes twoInputs = ChainFormat3({}, {test::CoverageFormat1({2}), test::CoverageFormat1({5})}, {}, {{0, 1}});
    Bytes gsub = test::LayoutTableBytes({{"liga", {0}}, {"ccmp", {2}}, {"calt", {2}}},
                                        {{4, {liga}}, {1, {dotless}}, {6, {chain, twoInputs}}});
    Imported r;
    ImportGsub(gsub, &r);
    ASSERT_EQ(r.result, 0u);
    GlyphStructure *f = r.font->glyphTable[1];
    const uint32_t ffi[] = {1, 2}, fi[] = {2};
    EXPECT_NE(f->FindLigature('liga', 2, ffi), nullptr);
    EXPECT_NE(f->FindLigature('liga', 1, fi), nullptr);
    const uint32_t lookahead[] = {5, 10};
    GlyphClass next{2, lookahead};
    EXPECT_NE(r.font->glyphTable[2]->FindContextSubstitution('ccmp', 0, nullptr, 1, &next), nullptr);
    // ffi and fi once each (the duplicate and the out-of-range entries are not made), one context entry
    // for glyph 2 (glyph 7 has no substitution).
    EXPECT_EQ(CountSequences(r.font), 3);
}

// A context entry is the same as another only with the same classes: a shorter lookahead after a
// longer one that begins like it is made, and so is a rule without context on a glyph that has a
// 'ccmp' ligature.
TEST(Substitution, ContextEntriesDifferByAllTheirClasses)
{
    Bytes longer = ChainFormat3({}, {test::CoverageFormat1({2})},
                                {test::CoverageFormat1({5}), test::CoverageFormat1({6})}, {{0, 1}});
    Bytes shorter = ChainFormat3({}, {test::CoverageFormat1({2})}, {test::CoverageFormat1({5})}, {{0, 1}});
    Bytes bare = ChainFormat3({}, {test::CoverageFormat1({3})}, {}, {{0, 1}});
    Bytes gsub = test::LayoutTableBytes({{"ccmp", {2, 0}}},
                                        {{6, {longer, shorter, bare}},
                                         {1, {SingleFormat2({2, 3}, {4, 7})}},
                                         {4, {LigatureSubstitution({3}, {{{8, 5}}})}}});
    Imported r;
    ImportGsub(gsub, &r);
    ASSERT_EQ(r.result, 0u);
    auto describe = [](GlyphStructure *glyph) {
        std::string text;
        for (SequenceStructure *s = glyph->sequences.GetFirst(); s; s = StructureList<SequenceStructure>::GetNext(s))
        {
            text += TagText(s->ruleList.GetFirst()->ruleKind) + ":";
            for (MatchStructure *m = s->matchList.GetFirst(); m; m = StructureList<MatchStructure>::GetNext(m))
                text += std::to_string((*m->GetFirstUInt32List())[0]) + ",";
            text += " ";
        }
        return text;
    };
    EXPECT_EQ(describe(r.font->glyphTable[2]), "sbst:5,6, sbst:5, ");
    EXPECT_EQ(describe(r.font->glyphTable[3]), "rall:5, sbst: ");
}

TEST(Substitution, BoundsAndLimits)
{
    // A nested lookup whose Lookup lies past the table's end.
    Bytes chain = ChainFormat3({}, {test::CoverageFormat1({2})}, {}, {{0, 1}});
    Bytes gsub = test::LayoutTableBytes({{"ccmp", {0}}}, {{6, {chain}}, {1, {SingleFormat2({2}, {4})}}});
    size_t lookupList = size_t(gsub[8]) << 8 | gsub[9];
    ByteWriter w{gsub};
    w.PutU16(lookupList + 4, 0xF000);
    Imported bad;
    ImportGsub(w.bytes, &bad);
    EXPECT_EQ(bad.result, 'CRPT');

    // An alternate set past the end.
    Bytes set = SetSubstitution({3}, {{13}});
    ByteWriter ws{set};
    ws.PutU16(6, 0xF000);
    Imported badSet;
    ImportGsub(test::LayoutTableBytes({{"salt", {0}}}, {{3, {ws.bytes}}}), &badSet);
    EXPECT_EQ(badSet.result, 'CRPT');

    // Scores of distinct tags naming one single substitution over 4000 glyphs.
    std::vector<std::string> tags;
    for (int i = 0; i < 70; ++i) tags.push_back("s" + std::to_string(100 + i));
    std::vector<std::pair<const char *, std::vector<uint32_t>>> features;
    for (auto &t : tags) features.push_back({t.c_str(), {0}});
    Bytes many = test::LayoutTableBytes(features, {{1, {SingleFormat1(test::CoverageFormat2({{1, 4000, 0}}), 1)}}});
    Imported capped;
    ImportGsub(many, &capped, 4100);
    EXPECT_EQ(capped.result, 'CRPT');

    // The same tag repeated reads the lookup once.
    std::vector<std::pair<const char *, std::vector<uint32_t>>> repeated(3000, {"smcp", {0}});
    Imported once;
    ImportGsub(test::LayoutTableBytes(repeated, {{1, {SingleFormat2({1}, {2})}}}), &once);
    ASSERT_EQ(once.result, 0u);
    EXPECT_EQ(DescribeAlternates(once.font), "1:smcp=2 ");
}

// Distinct four-letter feature tags.
std::vector<std::string> DistinctTags(int count)
{
    std::vector<std::string> tags;
    for (int i = 0; i < count; ++i)
    {
        char tag[8];
        std::snprintf(tag, sizeof tag, "%c%03d", 'a' + i / 1000 % 26, i % 1000);
        tags.push_back(tag);
    }
    return tags;
}

// Multiple substitution whose covered glyphs all share one Sequence of glyphs.
Bytes SharedSequenceSubstitution(const Bytes &coverage, uint32_t coveredCount, const std::vector<uint32_t> &sequence)
{
    ByteWriter w;
    size_t set = 6 + 2 * size_t(coveredCount) + coverage.size();
    w.U16(1).U16(6 + 2 * coveredCount).U16(coveredCount);
    for (uint32_t i = 0; i < coveredCount; ++i) w.U16(uint32_t(set));
    w.Raw(coverage).U16(uint32_t(sequence.size()));
    for (uint32_t g : sequence) w.U16(g);
    return w.bytes;
}

// Each cap on what one glyph Font may make ends the import with 'CRPT'; the same tables a size
// smaller import.
TEST(Substitution, EveryCapEndsTheImport)
{
    struct Case
    {
        const char *name;
        Bytes gsub;
        uint16_t glyphCount;
        uint32_t result;
    };
    std::vector<Case> cases;

    // Work: 30,000 coverage indices each searched through 1,000 ranges.
    for (auto [ranges, result] : {std::pair{1000u, uint32_t('CRPT')}, {500u, 0u}})
    {
        std::vector<std::vector<uint32_t>> coverage;
        for (uint32_t r = 0; r < ranges; ++r) coverage.push_back({1, 1, r});
        Bytes single = SingleFormat2({}, std::vector<uint32_t>(30000, 1));
        Bytes head(single.begin(), single.begin() + 6 + 2 * 30000);
        ByteWriter w{head};
        w.PutU16(2, uint32_t(head.size()));
        w.Raw(test::CoverageFormat2(coverage));
        cases.push_back({"work budget", test::LayoutTableBytes({{"smcp", {0}}}, {{1, {w.bytes}}}), 100, result});
    }

    // Alternates: thousands of distinct tags naming one single substitution of 150 glyphs.
    for (auto [tagCount, result] : {std::pair{2000, uint32_t('CRPT')}, {100, 0u}})
    {
        std::vector<std::string> tags = DistinctTags(tagCount);
        std::vector<std::pair<const char *, std::vector<uint32_t>>> features;
        for (auto &t : tags) features.push_back({t.c_str(), {0}});
        cases.push_back({"alternates of thousands of tags",
                         test::LayoutTableBytes(features, {{1, {SingleFormat1(test::CoverageFormat2({{1, 150, 0}}), 200)}}}),
                         400, result});
    }

    // Sequences: tags naming one ligature lookup whose one first glyph has 8,000 ligatures; the
    // entries all fall on glyph 1 (each test of "unless present" once scanned all of them).
    for (auto [tagCount, result] : {std::pair{33, uint32_t('CRPT')}, {8, 0u}})
    {
        std::vector<std::string> tags = DistinctTags(tagCount);
        std::vector<std::pair<const char *, std::vector<uint32_t>>> features;
        for (auto &t : tags) features.push_back({t.c_str(), {0}});
        std::vector<std::vector<uint32_t>> ligatures;
        for (uint32_t k = 1; k <= 8000; ++k) ligatures.push_back({9000, k});
        cases.push_back({"ligature sequences of one glyph",
                         test::LayoutTableBytes(features, {{4, {LigatureSubstitution({1}, {ligatures})}}}), 9001, result});
    }

    // Decomposition glyphs: 2,000 glyphs into 200 glyphs each.
    for (auto [covered, result] : {std::pair{2000u, uint32_t('CRPT')}, {1000u, 0u}})
    {
        Bytes multiple = SharedSequenceSubstitution(test::CoverageFormat2({{1, covered, 0}}), covered,
                                                    std::vector<uint32_t>(200, 2050));
        cases.push_back({"decompositions", test::LayoutTableBytes({{"ccmp", {0}}}, {{2, {multiple}}}), 2100, result});
    }

    // Context-list glyphs: a backtrack class of 200 glyphs copied for each of 2,000 input glyphs.
    for (auto [inputs, result] : {std::pair{2000u, uint32_t('CRPT')}, {1000u, 0u}})
    {
        Bytes chain = ChainFormat3({test::CoverageFormat2({{1, 200, 0}})}, {test::CoverageFormat2({{1, inputs, 0}})}, {},
                                   {{0, 1}});
        Bytes single = SingleFormat1(test::CoverageFormat2({{1, 2000, 0}}), 1);
        cases.push_back({"context lists", test::LayoutTableBytes({{"ccmp", {0}}}, {{6, {chain}}, {1, {single}}}), 2100,
                         result});
    }

    for (const Case &c : cases)
    {
        Imported r;
        ImportGsub(c.gsub, &r, c.glyphCount);
        EXPECT_EQ(r.result, c.result) << c.name;
    }
}

}  // namespace
}  // namespace oq
