#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "support/TextRunStorage.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/GlyphMapping.h"
#include "vorlfont/compiler/CharacterInclusionMap.h"
#include "vorlfont/compiler/CompileResultCodes.h"
#include "vorlfont/compiler/CountedListBuild.h"
#include "vorlfont/compiler/FontCompileContext.h"
#include "vorlfont/compiler/GlyphFeatureLists.h"
#include "vorlfont/compiler/GlyphSelection.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/VorlFontTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <cstring>
#include <vector>

namespace oq {
namespace {

// Glyphs 1-5 are mapped (new numbers 1-5), 6 and 7 are alternates of 1, 8 is a ligature of 2,
// 9 a colour layer of 5 only (carrying a Kern, an Alternate and a Sequence that are not
// written), 10 is reached by nothing.
const std::string kListsFont = test::ReadWholeFile(test::FixturePath("lists.ambrel"));

const CodePointRange kAll = {0, 0x10FFFF};
const uint32_t kAllLists = kCompileAlternate | kCompileSequence | kCompileLayer | kCompileKern | kCompileMark;

// A selected font with zeroed records (normal and outline) for the writers.
struct Lists
{
    AmbrelDocument document;
    FontCompileContext context;
    GlyphSelection selection;
    std::vector<VorlGlyphRecord> records;
    std::vector<VorlGlyphRecord> outline;
    FeatureListTarget target;

    Lists(const std::string &text, uint32_t flags, bool openType = false)
    {
        if (openType)
        {
            EXPECT_EQ(ImportOpenTypeFont(text.data(), text.size(), &document), 0u);
        }
        else
        {
            EXPECT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        }
        context.font = document.fontList.GetFirst();
        context.glyphFont = context.font;
        CharacterInclusionMap map(&kAll, 1, nullptr, 0);
        selection.SelectAll(&context, map, flags);
        records.assign(selection.GetCount(), VorlGlyphRecord{});
        outline.assign(selection.GetCount(), VorlGlyphRecord{});
        target = {&selection, records.data(), outline.data(), false};
    }

    // Counts, then writes into a list of that size; the written count may only be smaller where
    // runs are shared, and the entry past the list stays untouched.
    template <class Entry, class Writer>
    std::vector<Entry> Run(Writer writer, bool exact = true)
    {
        uint32_t counted = 0;
        EXPECT_EQ(writer(static_cast<Entry *>(nullptr), 0u, &counted), 0u);
        std::vector<Entry> list(counted + 1);
        std::memset(static_cast<void *>(list.data()), 0xEE, list.size() * sizeof(Entry));
        uint32_t written = 0;
        EXPECT_EQ(writer(list.data(), counted, &written), 0u);
        if (exact)
        {
            EXPECT_EQ(written, counted);
        }
        EXPECT_LE(written, counted);
        EXPECT_TRUE(IsFill(list[counted]));
        list.resize(written);
        return list;
    }

    template <class Entry>
    static bool IsFill(const Entry &entry)
    {
        const auto *bytes = reinterpret_cast<const unsigned char *>(&entry);
        return std::all_of(bytes, bytes + sizeof(Entry), [](unsigned char b) { return b == 0xEE; });
    }
};

TEST(GlyphFeatureLists, AlternateBitsAndLigatureClasses)
{
    struct Case
    {
        uint32_t tag;
        uint32_t bits;
    };
    const Case cases[] = {
        {'ss01', 0x1000001}, {'ss20', 0x14000001}, {'ss00', 0}, {'ss21', 0},  {'ssa1', 0},
        {'ms01', 0x1000800}, {'ms13', 0xD000800},  {'ms14', 0}, {'ms00', 0},  {'smcp', 0x4},
        {'frac', 0x1000200}, {'dnom', 0x3000200},  {'fina', 0x3000000},       {'vert', 0x8000000},
        {'ordn', 0x800000},  {'aalt', 0},          {'calt', 0}, {'liga', 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.tag);
        EXPECT_EQ(FeatureTagToAlternateBits(c.tag), c.bits);
    }
    EXPECT_EQ(FeatureTagToLigatureClass('dlig', false), 8);
    EXPECT_EQ(FeatureTagToLigatureClass('dlig', true), 2);
    EXPECT_EQ(FeatureTagToLigatureClass('afrc', false), 256);
    EXPECT_EQ(FeatureTagToLigatureClass('calt', false), 0);
}

TEST(GlyphFeatureLists, AlternatesKeepSelectorWordsExact)
{
    Lists l(kListsFont, kAllLists);
    auto entries = l.Run<AlternateListEntry>(
        [&](AlternateListEntry *out, uint32_t capacity, uint32_t *n) { return WriteAlternateEntries(l.target, out, capacity, n); });
    // 'ss04' and 'medi' write their first glyph only; 'smcp' both, at positions 0 and 1. The
    // layer-only glyph 9 writes nothing.
    ASSERT_EQ(entries.size(), 4u);
    const uint32_t expected[4][2] = {{0x4000001, 6}, {0x2000000, 7}, {0x4, 6}, {0x1000004, 7}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(entries[i].featureWord, expected[i][0]) << i;
        EXPECT_EQ(entries[i].glyph, expected[i][1]) << i;
    }
    EXPECT_EQ(l.records[1].alternateWord, 4u << 20);
    EXPECT_EQ(l.outline[1].alternateWord, 4u << 20);
    EXPECT_EQ(l.records[9].alternateWord, 0u);
}

// Noto Sans Arabic's joining forms are single substitutions: each compiles to one entry holding only
// its selector (init 1, medi 2, fina 3), as many as fontTools lists (225, 185 and 323).
TEST(GlyphFeatureLists, ArabicJoiningFormsCarryTheirSelectors)
{
    std::string bytes = test::ReadWholeFile("/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf");
    ASSERT_FALSE(bytes.empty()) << "missing test font (make deps)";
    Lists l(bytes, kAllLists, true);
    auto entries = l.Run<AlternateListEntry>(
        [&](AlternateListEntry *out, uint32_t capacity, uint32_t *n) { return WriteAlternateEntries(l.target, out, capacity, n); });
    uint32_t counts[4] = {};
    for (const auto &e : entries)
        if (e.featureWord >= 0x1000000 && e.featureWord <= 0x3000000 && (e.featureWord & 0xFFFFFF) == 0)
            ++counts[e.featureWord >> 24];
    EXPECT_EQ(counts[1], 225u);
    EXPECT_EQ(counts[2], 185u);
    EXPECT_EQ(counts[3], 323u);

    // Beh (glyph 100, U+0628): init uniFE91 (102), medi uniFE92 (104), fina uniFE90 (101).
    uint32_t word = l.records[l.selection.GetNewNumber(100)].alternateWord;
    std::vector<std::pair<uint32_t, uint32_t>> beh;
    for (uint32_t i = ListIndexB(word); i < ListIndexB(word) + ListCountB(word); ++i)
        beh.emplace_back(entries[i].featureWord, entries[i].glyph);
    for (auto [selector, glyph] : {std::pair{1u, 102u}, {2u, 104u}, {3u, 101u}})
    {
        EXPECT_NE(std::find(beh.begin(), beh.end(), std::pair{selector << 24, l.selection.GetNewNumber(glyph)}),
                  beh.end())
            << selector;
    }
}

TEST(GlyphFeatureLists, KerningSharesRunsAndDropsUnselectedPartners)
{
    Lists l(kListsFont, kAllLists);
    auto entries = l.Run<KerningListEntry>(
        [&](KerningListEntry *out, uint32_t capacity, uint32_t *n) { return WriteKerningPairs(l.target, out, capacity, n); }, false);
    ASSERT_EQ(entries.size(), 4u);
    const KerningListEntry expected[4] = {{2, -0.1f}, {3, -0.2f}, {4, -0.3f}, {5, -0.4f}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(entries[i].precedingGlyph, expected[i].precedingGlyph) << i;
        EXPECT_EQ(entries[i].value, expected[i].value) << i;
    }
    // 2 shares 1's whole run; 3 (two Kerns) appends; 4 shares the tail of 1's run and the head of
    // 3's; 5 keeps one pair (glyph 10 is not selected); the layer-only 9 gets none.
    const uint32_t words[10] = {0, 2u << 20, 2u << 20, 2 | 2u << 20, 1 | 2u << 20, 1u << 20, 0, 0, 0, 0};
    for (int g = 0; g < 10; ++g)
    {
        EXPECT_EQ(l.records[g].kerningWord, words[g]) << g;
        EXPECT_EQ(l.outline[g].kerningWord, words[g]) << g;
    }
}

TEST(GlyphFeatureLists, SequenceWordsPoolAndSkippedRules)
{
    Lists l(kListsFont, kAllLists);
    Array<uint32_t> pool;
    auto words = l.Run<uint32_t>([&](uint32_t *out, uint32_t capacity, uint32_t *n) { return WriteSequences(l.target, out, capacity, n, &pool); });
    auto head = [&](uint32_t at) {
        SequenceEntryHead h;
        std::memcpy(&h, &words[at], sizeof(h));
        return h;
    };
    ASSERT_EQ(words.size(), 15u);
    // 'liga' of 2: match 3, the set {3, 4, 5} (10 unselected, 4 twice), lookahead {4, 5}, one
    // 'rall' rule; the unknown and the one-value 'sbst' Rules are skipped.
    SequenceEntryHead h = head(0);
    EXPECT_EQ(h.classBits, 2);
    EXPECT_EQ(h.length, 7);
    EXPECT_EQ(h.matchCount, 2);
    EXPECT_EQ(h.backtrackCount, 0);
    EXPECT_EQ(h.lookaheadCount, 1);
    EXPECT_EQ(h.ruleCount, 1);
    EXPECT_EQ(words[2], 3u);
    EXPECT_EQ(words[3], kSequenceGlyphSetBit | 0);
    EXPECT_EQ(words[4], kSequenceGlyphSetBit | 4);
    EXPECT_EQ(words[5], 0u);
    EXPECT_EQ(words[6], 8u);
    // 'dlig' of 2 shares the {4, 5} run; its 'sbst' writes the first pair only.
    h = head(7);
    EXPECT_EQ(h.classBits, 8);
    EXPECT_EQ(h.length, 5);
    EXPECT_EQ(h.matchCount, 1);
    EXPECT_EQ(h.ruleCount, 1);
    EXPECT_EQ(words[9], kSequenceGlyphSetBit | 4);
    EXPECT_EQ(words[10], 1u | 1u << 16);
    EXPECT_EQ(words[11], 8u);
    // 3's Sequence lost its only Rule: written without rule words.
    h = head(12);
    EXPECT_EQ(h.length, 3);
    EXPECT_EQ(h.ruleCount, 0);
    EXPECT_EQ(words[14], 4u);

    EXPECT_EQ(std::vector<uint32_t>(pool.begin(), pool.end()), (std::vector<uint32_t>{3, 3, 4, 5, 2, 4, 5}));
    EXPECT_EQ(l.records[2].sequenceWord, 2u << 20);
    EXPECT_EQ(l.records[3].sequenceWord, 12 | 1u << 20);
    EXPECT_EQ(l.outline[3].sequenceWord, 12 | 1u << 20);
    EXPECT_EQ(l.records[9].sequenceWord, 0u);
}

TEST(GlyphFeatureLists, DecompositionsAndLayers)
{
    Lists l(kListsFont, kAllLists);
    auto components = l.Run<uint32_t>([&](uint32_t *out, uint32_t capacity, uint32_t *n) { return WriteDecompositionLists(l.target, out, capacity, n); });
    EXPECT_EQ(components, (std::vector<uint32_t>{2, 1}));
    EXPECT_EQ(l.records[4].decompositionWord, 2u << 24);
    EXPECT_EQ(l.outline[4].decompositionWord, 2u << 24);

    auto layers = l.Run<LayerListEntry>([&](LayerListEntry *out, uint32_t capacity, uint32_t *n) { return WriteLayers(l.target, out, capacity, n); });
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0].glyph, 9u);
    EXPECT_EQ(layers[0].color[0], 255);
    EXPECT_EQ(layers[0].color[1], 0);
    EXPECT_EQ(layers[0].color[3], 255);
    EXPECT_EQ(l.records[5].layerWord, 1u << 24);
    EXPECT_EQ(l.outline[5].layerWord, 0u);
}

TEST(GlyphFeatureLists, CaretsOnlyForLigaturesOfOneSequence)
{
    // 3: one 'liga' with one match and one caret; 4: two carets for one match; 5: 'ccmp';
    // 6: made by a 'liga' and a 'dlig'.
    const char font[] = R"(
Font (glyph_count = 7)
{
    CharMap (char = 0x41) {uint16 {1, 2}}
    Glyph (index = 0) {}
    Glyph (index = 1)
    {
        Sequence (feature = 'liga') {Match {uint32 {2}} Rule (kind = 'rall') {uint32 {3}}}
        Sequence (feature = 'liga') {Match {uint32 {3}} Rule (kind = 'rall') {uint32 {4}}}
        Sequence (feature = 'ccmp') {Match {uint32 {2}} Rule (kind = 'rall') {uint32 {5}}}
        Sequence (feature = 'liga') {Match {uint32 {4}} Rule (kind = 'rall') {uint32 {6}}}
        Sequence (feature = 'dlig') {Match {uint32 {5}} Rule (kind = 'rall') {uint32 {6}}}
    }
    Glyph (index = 2) {}
    Glyph (index = 3) {Caret {float {0.4}}}
    Glyph (index = 4) {Caret {float {0.1, 0.2}}}
    Glyph (index = 5) {Caret {float {0.7}}}
    Glyph (index = 6) {Caret {float {0.9}}}
}
)";
    Lists l(font, kCompileSequence);
    ASSERT_EQ(l.selection.GetCount(), 7u);
    auto carets = l.Run<float>([&](float *out, uint32_t capacity, uint32_t *n) { return WriteLigatureCarets(l.target, out, capacity, n); });
    EXPECT_EQ(carets, (std::vector<float>{0.4f}));
    uint32_t three = l.selection.GetNewNumber(3);
    for (uint32_t g = 0; g < 7; ++g) EXPECT_EQ(l.records[g].caretWord, g == three ? 1u << 24 : 0u) << g;
    EXPECT_EQ(l.outline[three].caretWord, 0u);
}

// Runs every writer, counting then writing, and checks what they wrote.
void CheckEveryWriter(Lists &l)
{
    uint32_t count = l.selection.GetCount();
    auto inside = [&](uint32_t VorlGlyphRecord::*member, bool packingA, size_t size) {
        for (uint32_t g = 0; g < count; ++g)
        {
            uint32_t word = l.records[g].*member;
            uint32_t index = packingA ? ListIndexA(word) : ListIndexB(word);
            uint32_t n = packingA ? ListCountA(word) : ListCountB(word);
            EXPECT_TRUE(n == 0 || index + n <= size) << g;
        }
    };
    auto kerning = l.Run<KerningListEntry>(
        [&](KerningListEntry *out, uint32_t capacity, uint32_t *n) { return WriteKerningPairs(l.target, out, capacity, n); }, false);
    for (const auto &e : kerning) EXPECT_LT(e.precedingGlyph, count);
    inside(&VorlGlyphRecord::kerningWord, false, kerning.size());
    auto alternates = l.Run<AlternateListEntry>(
        [&](AlternateListEntry *out, uint32_t capacity, uint32_t *n) { return WriteAlternateEntries(l.target, out, capacity, n); });
    for (const auto &e : alternates) EXPECT_LT(e.glyph, count);
    inside(&VorlGlyphRecord::alternateWord, false, alternates.size());
    auto components = l.Run<uint32_t>(
        [&](uint32_t *out, uint32_t capacity, uint32_t *n) { return WriteDecompositionLists(l.target, out, capacity, n); });
    for (uint32_t g : components) EXPECT_LT(g, count);
    inside(&VorlGlyphRecord::decompositionWord, true, components.size());
    auto layers = l.Run<LayerListEntry>([&](LayerListEntry *out, uint32_t capacity, uint32_t *n) { return WriteLayers(l.target, out, capacity, n); });
    for (const auto &e : layers) EXPECT_LT(e.glyph, count);
    inside(&VorlGlyphRecord::layerWord, true, layers.size());
    uint32_t baseCount = 0, markCount = 0, baseWritten = 0, markWritten = 0;
    ASSERT_EQ(WriteAnchors(l.target, nullptr, 0, &baseCount, nullptr, 0, &markCount), 0u);
    std::vector<AnchorListEntry> base(baseCount + 1), mark(markCount + 1);
    ASSERT_EQ(WriteAnchors(l.target, base.data(), baseCount, &baseWritten, mark.data(), markCount, &markWritten), 0u);
    EXPECT_EQ(baseWritten, baseCount);
    EXPECT_EQ(markWritten, markCount);
    inside(&VorlGlyphRecord::baseAnchorWord, true, baseCount);
    inside(&VorlGlyphRecord::markAnchorWord, true, markCount);
    auto carets = l.Run<float>([&](float *out, uint32_t capacity, uint32_t *n) { return WriteLigatureCarets(l.target, out, capacity, n); });
    inside(&VorlGlyphRecord::caretWord, true, carets.size());

    Array<uint32_t> pool;
    auto words = l.Run<uint32_t>([&](uint32_t *out, uint32_t capacity, uint32_t *n) { return WriteSequences(l.target, out, capacity, n, &pool); });
    inside(&VorlGlyphRecord::sequenceWord, false, words.size());
    // Walk each entry: glyph words name selected glyphs or pool runs, rules a selected glyph.
    for (size_t at = 0; at < words.size();)
    {
        SequenceEntryHead h;
        std::memcpy(&h, &words[at], sizeof(h));
        uint32_t glyphWords = uint32_t(h.matchCount) + h.backtrackCount + h.lookaheadCount;
        ASSERT_EQ(h.length, kSequenceHeadWords + glyphWords + kSequenceRuleWords * h.ruleCount);
        ASSERT_LE(at + h.length, words.size());
        for (uint32_t k = 0; k < glyphWords; ++k)
        {
            uint32_t w = words[at + 2 + k];
            if (w & kSequenceGlyphSetBit)
            {
                uint32_t run = w & ~kSequenceGlyphSetBit;
                ASSERT_LT(run, uint32_t(pool.GetElementCount()));
                ASSERT_LE(run + 1 + pool[int32_t(run)], uint32_t(pool.GetElementCount()));
                for (uint32_t m = 0; m < pool[int32_t(run)]; ++m) EXPECT_LT(pool[int32_t(run + 1 + m)], count);
            }
            else
            {
                EXPECT_LT(w, count);
            }
        }
        for (uint32_t r = 0; r < h.ruleCount; ++r) EXPECT_LT(words[at + 2 + glyphWords + 2 * r + 1], count);
        at += h.length;
    }
}

// Every fixture under several option sets: each writer writes what its counting pass counted
// (kerning at most that, runs being shared), every list word stays inside its list, and every
// glyph number written names a selected glyph.
TEST(GlyphFeatureLists, EveryFixtureWritesWhatItCountedAndNamesSelectedGlyphs)
{
    const uint32_t flagSets[] = {kAllLists, 0, kCompileLayer | kCompileKern, kCompileSequence | kCompileMark};
    for (const char *name : {"plain.ambrel", "collection.ambrel", "lists.ambrel"})
    {
        for (uint32_t flags : flagSets)
        {
            SCOPED_TRACE(testing::Message() << name << " flags " << flags);
            Lists l(test::ReadWholeFile(test::FixturePath(name)), flags);
            CheckEveryWriter(l);
        }
    }
}

// Real fonts: the same checks on the writers, and the compiled file passes the verifiers.
TEST(GlyphFeatureLists, RealFontsWriteWhatTheyCounted)
{
    for (const char *path : {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                             "/usr/share/fonts/truetype/dejavu/DejaVuMathTeXGyre.ttf"})
    {
        SCOPED_TRACE(path);
        std::string bytes = test::ReadWholeFile(path);
        ASSERT_FALSE(bytes.empty());
        Lists l(bytes, kAllLists | kCompileMath, true);
        CheckEveryWriter(l);

        AmbrelDocument document;
        ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
        uint32_t result = 1;
        std::vector<uint8_t> file = test::CompileDocument(&document, kDefaultCompileFlags | kCompileMath, &result);
        ASSERT_EQ(result, 0u);
        test::ExpectReadableFontFile(file);
    }
}

// Runs a writer fully, then again with one entry less room than it wrote: it stops at its capacity
// (nothing at or past it changes) and counts on past it, so its count shows what did not fit
// (kerning shares no run it could not store, so its count may grow).
template <class Entry, class Writer>
void ExpectWriterStopsAtCapacity(const char *name, Writer writer)
{
    SCOPED_TRACE(name);
    uint32_t counted = 0;
    ASSERT_EQ(writer(static_cast<Entry *>(nullptr), 0u, &counted), 0u);
    std::vector<Entry> list(counted + 1);
    uint32_t written = 0;
    ASSERT_EQ(writer(list.data(), counted, &written), 0u);
    ASSERT_GT(written, 0u);
    std::memset(static_cast<void *>(list.data()), 0xEE, list.size() * sizeof(Entry));
    uint32_t overrun = 0;
    EXPECT_EQ(writer(list.data(), written - 1, &overrun), 0u);
    EXPECT_GE(overrun, written);
    for (uint32_t i = written - 1; i < list.size(); ++i) EXPECT_TRUE(Lists::IsFill(list[i])) << i;
}

TEST(GlyphFeatureLists, WritersNeverWritePastTheirCapacity)
{
    Lists l(kListsFont, kAllLists);
    ExpectWriterStopsAtCapacity<KerningListEntry>("kerning", [&](KerningListEntry *out, uint32_t room, uint32_t *n) {
        return WriteKerningPairs(l.target, out, room, n);
    });
    ExpectWriterStopsAtCapacity<AlternateListEntry>("alternates", [&](AlternateListEntry *out, uint32_t room,
                                                                      uint32_t *n) {
        return WriteAlternateEntries(l.target, out, room, n);
    });
    ExpectWriterStopsAtCapacity<uint32_t>("decompositions", [&](uint32_t *out, uint32_t room, uint32_t *n) {
        return WriteDecompositionLists(l.target, out, room, n);
    });
    ExpectWriterStopsAtCapacity<LayerListEntry>("layers", [&](LayerListEntry *out, uint32_t room, uint32_t *n) {
        return WriteLayers(l.target, out, room, n);
    });
    // A whole Sequence entry that does not fit is left out, not cut.
    Array<uint32_t> pool;
    ExpectWriterStopsAtCapacity<uint32_t>("sequences", [&](uint32_t *out, uint32_t room, uint32_t *n) {
        return WriteSequences(l.target, out, room, n, &pool);
    });
    for (bool markShort : {false, true})
    {
        SCOPED_TRACE(markShort ? "mark anchors" : "base anchors");
        uint32_t base = 0, mark = 0;
        ASSERT_EQ(WriteAnchors(l.target, nullptr, 0, &base, nullptr, 0, &mark), 0u);
        ASSERT_GT(base, 0u);
        ASSERT_GT(mark, 0u);
        std::vector<AnchorListEntry> baseList(base + 1), markList(mark + 1);
        std::memset(static_cast<void *>(baseList.data()), 0xEE, baseList.size() * sizeof(AnchorListEntry));
        std::memset(static_cast<void *>(markList.data()), 0xEE, markList.size() * sizeof(AnchorListEntry));
        uint32_t baseWritten = 0, markWritten = 0;
        uint32_t baseRoom = markShort ? base : base - 1, markRoom = markShort ? mark - 1 : mark;
        EXPECT_EQ(WriteAnchors(l.target, baseList.data(), baseRoom, &baseWritten, markList.data(), markRoom,
                               &markWritten),
                  0u);
        EXPECT_EQ(baseWritten, base);
        EXPECT_EQ(markWritten, mark);
        EXPECT_TRUE(Lists::IsFill(baseList[baseRoom]));
        EXPECT_TRUE(Lists::IsFill(markList[markRoom]));
    }
    {
        Lists carets("Font (glyph_count = 4) {CharMap (char = 0x41) {uint16 {1, 2}} Glyph (index = 0) {}\n"
                     "Glyph (index = 1) {Sequence (feature = 'liga') {Match {uint32 {2}} Match {uint32 {2}}\n"
                     "Rule (kind = 'rall') {uint32 {3}}}}\n"
                     "Glyph (index = 2) {} Glyph (index = 3) {Caret {float {0.3, 0.6}}}}",
                     kCompileSequence);
        ExpectWriterStopsAtCapacity<float>("carets", [&](float *out, uint32_t room, uint32_t *n) {
            return WriteLigatureCarets(carets.target, out, room, n);
        });
    }
}

// Builds a list with a writer whose counting pass reports forced entries: the build fails with
// 'SIZE' (an assertion in debug builds) once the writing pass disagrees with that count.
template <class Entry, class Writer>
void ExpectForcedCountFails(FontListSection section, ListCountRule rule, uint32_t forced, Writer writer)
{
    FontGlyphData data;
    auto forcedWriter = [&](Entry *out, uint32_t capacity, uint32_t *n) {
        uint32_t result = writer(out, capacity, n);
        if (out == nullptr) *n = forced;
        return result;
    };
#ifdef NDEBUG
    EXPECT_EQ(BuildCountedList<Entry>(&data, section, rule, forcedWriter), kResultSizeExceeded);
#else
    EXPECT_DEATH(static_cast<void>(BuildCountedList<Entry>(&data, section, rule, forcedWriter)),
                 "wrote other than it counted");
#endif
}

TEST(GlyphFeatureLists, ACountTheWriterDisagreesWithFailsTheListBuild)
{
    Lists l(kListsFont, kAllLists);
    auto kerning = [&](KerningListEntry *out, uint32_t capacity, uint32_t *n) {
        return WriteKerningPairs(l.target, out, capacity, n);
    };
    auto alternates = [&](AlternateListEntry *out, uint32_t capacity, uint32_t *n) {
        return WriteAlternateEntries(l.target, out, capacity, n);
    };
    auto decompositions = [&](uint32_t *out, uint32_t capacity, uint32_t *n) {
        return WriteDecompositionLists(l.target, out, capacity, n);
    };

    // The true counts build: the list holds what was written (kerning 4 of 9 counted, runs shared).
    FontGlyphData data;
    ASSERT_EQ(BuildCountedList<KerningListEntry>(&data, kKerningListSection, ListCountRule::kAtMost, kerning), 0u);
    EXPECT_EQ(data.listCounts[kKerningListSection], 4u);
    ASSERT_EQ(BuildCountedList<AlternateListEntry>(&data, kAlternateListSection, ListCountRule::kExact, alternates),
              0u);
    EXPECT_EQ(data.listCounts[kAlternateListSection], 4u);

    {
        SCOPED_TRACE("alternates one short");
        ExpectForcedCountFails<AlternateListEntry>(kAlternateListSection, ListCountRule::kExact, 3, alternates);
    }
    {
        SCOPED_TRACE("alternates one over");
        ExpectForcedCountFails<AlternateListEntry>(kAlternateListSection, ListCountRule::kExact, 5, alternates);
    }
    {
        SCOPED_TRACE("decompositions one short");
        ExpectForcedCountFails<uint32_t>(kDecompositionListSection, ListCountRule::kExact, 1, decompositions);
    }
    {
        SCOPED_TRACE("kerning below what is written");
        ExpectForcedCountFails<KerningListEntry>(kKerningListSection, ListCountRule::kAtMost, 3, kerning);
    }
}

// The runtime's readers find what the compile packed.
TEST(GlyphFeatureLists, CompiledFileReadsBack)
{
    std::vector<uint8_t> file = test::CompileText(kListsFont, kDefaultCompileFlags | kAllLists | kCompileOutline);
    ASSERT_FALSE(file.empty());
    test::ExpectReadableFontFile(file);
    std::vector<uint64_t> aligned((file.size() + 7) / 8);
    std::memcpy(aligned.data(), file.data(), file.size());
    const auto *header = reinterpret_cast<const VorlFileHeader *>(aligned.data());
    const VorlFontRecord *font = GetVorlFontRecord(header, 0);
    ASSERT_EQ(font->glyphCount, 10u);
    const VorlGlyphRecord *glyphs = font->GetGlyphRecords();
    EXPECT_EQ(GetKerning(font, &glyphs[4], 3), -0.2f);
    EXPECT_EQ(GetKerning(font, &glyphs[4], 4), -0.3f);
    EXPECT_EQ(GetKerning(font, &glyphs[5], 2), -0.1f);
    EXPECT_EQ(GetKerning(font, &glyphs[9], 1), 0.0f);
    EXPECT_EQ(GetAlternateGlyph(font, 1, 0x1, 4), 6u);
    EXPECT_EQ(GetAlternateGlyph(font, 1, 0x1, 5), 1u);
    EXPECT_EQ(GetAlternateGlyph(font, 1, 0x4, 0), 6u);
    EXPECT_EQ(GetAlternateGlyph(font, 9, 0x4, 0), 9u);

    EXPECT_EQ(ListCountB(glyphs[2].sequenceWord), 2u);
    const uint32_t *sequence = font->GetSequenceList() + ListIndexB(glyphs[2].sequenceWord);
    EXPECT_EQ(sequence[0] >> 16, 7u);
    const uint32_t *run = font->GetSequenceGlyphPool() + (sequence[3] & ~kSequenceGlyphSetBit);
    EXPECT_EQ(std::vector<uint32_t>(run, run + 4), (std::vector<uint32_t>{3, 3, 4, 5}));
    EXPECT_EQ(font->GetDecompositionList()[ListIndexA(glyphs[4].decompositionWord) + 1], 1u);
    EXPECT_EQ(font->GetLayerList()[ListIndexA(glyphs[5].layerWord)].glyph, 9u);
    EXPECT_EQ(font->GetBaseAnchorList()[ListIndexA(glyphs[1].baseAnchorWord)].y, 0.7f);
    EXPECT_EQ(ListCountA(glyphs[6].markAnchorWord), 1u);
    // Outline records carry the same words except layers and carets.
    const VorlGlyphRecord *outline = font->GetOutlineGlyphRecords();
    ASSERT_NE(outline, nullptr);
    EXPECT_EQ(outline[2].sequenceWord, glyphs[2].sequenceWord);
    EXPECT_EQ(outline[1].baseAnchorWord, glyphs[1].baseAnchorWord);
    EXPECT_EQ(outline[5].layerWord, 0u);
}

// The two anchor lists are written together or not at all: a selection that keeps the base
// glyph but not the mark glyph writes neither (nor any anchor word).
TEST(GlyphFeatureLists, AnchorListsAreWrittenTogether)
{
    const char *text = "Font (glyph_count = 3) {CharMap (char = 0x41) {uint16 {1, 2}} Glyph (index = 0) {}\n"
                       "Glyph (index = 1) {Anchor (base, index = 0) {float[2] {{0.3, 0.7}}}}\n"
                       "Glyph (index = 2) {Anchor (index = 0) {float[2] {{0.1, 0.2}}}}}";
    struct Case
    {
        std::vector<uint32_t> characters;
        bool lists;
    };
    const Case cases[] = {{{0x41}, false}, {{0x42}, false}, {{0x41, 0x42}, true}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.characters.size() == 2 ? "both" : c.characters[0] == 0x41 ? "base only" : "mark only");
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(text), 0u);
        std::vector<uint8_t> file;
        FontCompiler compiler(&document, kDefaultCompileFlags, int32_t(c.characters.size()), c.characters.data());
        OutputSink sink(test::AppendToBytes, &file);
        ASSERT_EQ(compiler.CompileAndWrite(&sink, nullptr, 0), 0u);
        test::ExpectReadableFontFile(file);
        std::vector<uint64_t> aligned((file.size() + 7) / 8);
        std::memcpy(aligned.data(), file.data(), file.size());
        const VorlFontRecord *font = GetVorlFontRecord(reinterpret_cast<const VorlFileHeader *>(aligned.data()), 0);
        EXPECT_EQ(font->baseAnchorListOffset != 0, c.lists);
        EXPECT_EQ(font->markAnchorListOffset != 0, c.lists);
        const VorlGlyphRecord *glyphs = font->GetGlyphRecords();
        bool anyWord = false;
        for (uint32_t g = 0; g < font->glyphCount; ++g)
            anyWord = anyWord || glyphs[g].baseAnchorWord != 0 || glyphs[g].markAnchorWord != 0;
        EXPECT_EQ(anyWord, c.lists);
    }
}

// A list word whose count does not fit its packing fails the compile with 'SIZE': 4,096 kerning
// pairs on one glyph (packing B holds 4,095); 4,095 compile.
TEST(GlyphFeatureLists, CountsPastTheirPackingFailTheCompile)
{
    for (uint32_t pairs : {4095u, 4096u})
    {
        SCOPED_TRACE(pairs);
        std::string text = "Font (glyph_count = " + std::to_string(pairs + 1) + ") {CharMap (char = 0x100) {uint32 {";
        std::string glyphs, values;
        for (uint32_t g = 1; g <= pairs; ++g)
        {
            text += (g > 1 ? ", " : "") + std::to_string(g);
            glyphs += (g > 1 ? ", " : "") + std::to_string(g);
            values += (g > 1 ? ", 0.01" : "0.01");
        }
        text += "}} Glyph (index = 0) {} Glyph (index = 1) {Kern {uint32 {" + glyphs + "} float {" + values + "}}}";
        for (uint32_t g = 2; g <= pairs; ++g) text += " Glyph (index = " + std::to_string(g) + ") {}";
        text += "}";
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        uint32_t result = 1;
        std::vector<uint8_t> file = test::CompileDocument(&document, kCompileKern, &result);
        EXPECT_EQ(result, pairs == 4095 ? 0u : uint32_t('SIZE'));
        if (result == 0) test::ExpectReadableFontFile(file);
    }
}

// A compiled ligature applies through the runtime's shaping, and its caret is packed.
TEST(GlyphFeatureLists, CompiledLigatureShapesAndKeepsItsCaret)
{
    const char text[] = R"(
Font (glyph_count = 4)
{
    CharMap (char = 0x66) {uint16 {1, 0, 0, 2}}
    Glyph (index = 0) {Advance {float {0.5}}}
    Glyph (index = 1) {Advance {float {0.3}} Sequence (feature = 'liga') {Match {uint32 {2}} Rule (kind = 'rall') {uint32 {3}}}}
    Glyph (index = 2) {Advance {float {0.25}}}
    Glyph (index = 3) {Advance {float {0.55}} Caret {float {0.3}}}
}
)";
    test::LoadedVorlFont font(test::CompileText(text, kDefaultCompileFlags));
    ASSERT_TRUE(font.valid);
    test::TextRunStorage storage;
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.sequenceMask = 0xFFFF;
    state.alternateMask = 0;
    auto map = [&](const std::string &s) {
        TextRun *run = LayoutText(font.Count(), font.fonts.data(), nullptr, &state, s.data(), int32_t(s.size()), nullptr,
                                  &storage.run);
        std::vector<uint32_t> glyphs;
        for (int32_t i = 0; i < run->glyphCount; ++i) glyphs.push_back(GlyphIndexOf(run->glyphs[i].glyphWord));
        return glyphs;
    };
    EXPECT_EQ(map("fi"), (std::vector<uint32_t>{3}));
    EXPECT_EQ(map("if"), (std::vector<uint32_t>{2, 1}));
    const VorlFontRecord *record = font.fonts[0].fontRecord;
    uint32_t caret = record->GetGlyphRecords()[3].caretWord;
    ASSERT_EQ(ListCountA(caret), 1u);
    EXPECT_EQ(record->GetCaretList()[ListIndexA(caret)], 0.3f);
}

}  // namespace
}  // namespace oq
