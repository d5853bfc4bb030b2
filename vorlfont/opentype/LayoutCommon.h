#pragma once

#include "base/Array.h"
#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

// Limits of the positioning and substitution steps, per glyph Font.
inline constexpr int32_t kMaxKernPairs = 1 << 22;
// Records, subtables and pairs the layout steps may visit per glyph Font before giving up: reused
// offsets otherwise let a small table cost hours. The largest test fonts (the CJK collections)
// visit about 1.6 million.
inline constexpr int64_t kMaxLayoutWork = int64_t(1) << 24;
// Distinct anchors per glyph Font. The most mark-heavy installed fonts (Noto Sans and Serif Grantha)
// hold under 30,000; a crafted table at a million made the import and its Ambrel text take seconds.
inline constexpr int32_t kMaxAnchors = 1 << 17;
// Alternate glyphs, Sequences, decomposition glyphs and context-list glyphs made per glyph Font.
inline constexpr int32_t kMaxSubstitutionItems = 1 << 18;

// The glyph at a coverage index of the coverage table at offset, or 0 when there is none.
uint32_t GetCoverageGlyph(const FontBytes &table, uint64_t coverage, uint32_t index);

// The work of finding one coverage index: 1 for format 1, the range count for format 2.
uint32_t GetCoverageIndexCost(const FontBytes &table, uint64_t coverage);

// The coverage index of the glyph, or -1 when the coverage does not hold it.
int64_t FindCoverageIndex(const FontBytes &table, uint64_t coverage, uint32_t glyph);

// One glyph of a class-definition list with its class.
struct GlyphClassEntry
{
    uint32_t glyph;
    uint32_t classValue;
};

// A class-definition list: each glyph below the glyph count at most once, the first mention
// winning. Overlapping ranges cost only the glyphs they add.
class ClassDefinitionList
{
public:
    explicit ClassDefinitionList(uint32_t glyphCount);

    // Appends the pairs of a class definition table: format 1 glyphs of a nonzero class, format 2
    // every glyph of every range, class 0 included.
    void ReadClassDefinition(const FontBytes &table, uint64_t offset);
    // Appends every coverage glyph not in the list yet with class 0.
    void AddCoverageClassZero(const FontBytes &table, uint64_t coverage);
    // Orders the entries by class, keeping list order within a class.
    void SortByClass();
    // The entries of one class after SortByClass: count, first entry in *entries.
    int32_t GetClassEntries(uint32_t classValue, const GlyphClassEntry **entries) const;

    const Array<GlyphClassEntry> &GetEntries() const { return entries; }

private:
    void AddRange(uint32_t first, uint32_t last, uint32_t classValue);
    uint32_t FindUnlisted(uint32_t glyph);

    uint32_t glyphCount;
    // nextUnlisted[g]: a glyph at or after g that may still be unlisted (path-compressed).
    Array<uint32_t> nextUnlisted;
    Array<GlyphClassEntry> entries;
};

// Appends the glyphs of a coverage table below the glyph count, each once, in coverage order.
void ListCoverageGlyphs(const FontBytes &table, uint64_t coverage, uint32_t glyphCount, Array<uint32_t> *glyphs);

// Size in bytes of a value record of the format.
uint32_t GetValueRecordSize(uint32_t valueFormat);

// The kerning value in font units of a pair of value records at *position, which moves past both:
// horizontal, the first record's XAdvance plus the second's XPlacement; vertical, YAdvance plus
// YPlacement.
int32_t ReadPairValue(const FontBytes &table, uint64_t *position, uint32_t valueFormat1, uint32_t valueFormat2,
                      bool vertical);

// Set of glyph pairs (with a direction flag) met by one import, for "unless present" tests.
class GlyphPairSet
{
public:
    GlyphPairSet() = default;
    GlyphPairSet(const GlyphPairSet &) = delete;
    GlyphPairSet &operator=(const GlyphPairSet &) = delete;

    // Adds the pair; false when it was there already.
    bool Insert(uint32_t second, uint32_t first, bool vertical);
    bool Contains(uint32_t second, uint32_t first, bool vertical) const;
    void Clear();
    int32_t GetCount() const { return count; }

private:
    void Grow();

    Array<uint64_t> slots;
    int32_t count = 0;
};

// The glyph pairs that the pair subtables of one lookup read so far cover: OpenType applies only
// the first subtable of a lookup that covers a pair, whatever value it gives.
class PairCoverage
{
public:
    // A pair that a format-1 subtable lists; false when it was covered already.
    bool AddPair(uint32_t first, uint32_t second) { return listed.Insert(second, first, false); }
    int32_t GetPairCount() const { return listed.GetCount(); }
    // Every pair beginning with the glyph: a class-pair subtable covers it.
    void AddFirst(uint32_t first) { firsts.Insert(first, 0, false); }
    bool CoversFirst(uint32_t first) const { return firsts.Contains(first, 0, false); }
    bool Covers(uint32_t first, uint32_t second) const
    {
        return CoversFirst(first) || listed.Contains(second, first, false);
    }

private:
    GlyphPairSet listed;
    GlyphPairSet firsts;
};

inline constexpr uint32_t kLookupMissing = 'none';

// The lookup walk shared by the positioning and substitution tables.
struct LayoutTable
{
    FontBytes table;
    uint64_t featureList = 0;
    uint64_t lookupList = 0;

    // The lookup type of extension subtables: 9 in 'GPOS', 7 in 'GSUB'.
    uint32_t extensionType = 9;

    // 'CRPT' when the list offsets do not lie below the table's length.
    [[nodiscard]] uint32_t Open(const FontBytes &bytes, uint32_t extension);
    uint32_t GetFeatureCount() const { return table.GetUInt16(featureList); }
    uint32_t GetFeatureTag(uint32_t feature) const { return table.GetUInt32(featureList + 2 + 6 * uint64_t(feature)); }
    uint32_t GetFeatureLookupCount(uint32_t feature) const
    {
        return table.GetUInt16(featureList + table.GetUInt16(featureList + 2 + 6 * uint64_t(feature) + 4) + 2);
    }
    // The feature table's offset: 'CRPT' unless it starts inside the table.
    [[nodiscard]] uint32_t GetFeature(uint32_t feature, uint64_t *offset) const;
    // The lookup's offset: 'CRPT' unless it starts inside the table; 'none' for an index past the
    // lookup count.
    [[nodiscard]] uint32_t GetLookup(uint32_t lookupIndex, uint64_t *offset) const;
    // Subtable k of the lookup through an extension: its type and offset, 'CRPT' unless both the
    // subtable and the real subtable start inside the table.
    [[nodiscard]] uint32_t GetSubtable(uint64_t lookup, uint32_t k, uint32_t *type, uint64_t *offset) const;
    uint32_t GetSubtableCount(uint64_t lookup) const { return table.GetUInt16(lookup + 4); }

    // Calls visit(lookup index, lookup offset) for each lookup of feature record f in order,
    // passing over indices past the lookup count; stops at the first nonzero result.
    template <typename Visit>
    [[nodiscard]] uint32_t ForEachFeatureLookup(uint32_t f, Visit visit) const
    {
        uint64_t feature = 0;
        if (uint32_t result = GetFeature(f, &feature)) return result;
        uint32_t count = table.GetUInt16(feature + 2);
        for (uint32_t l = 0; l < count; ++l)
        {
            uint32_t lookupIndex = table.GetUInt16(feature + 4 + 2 * uint64_t(l));
            uint64_t lookup = 0;
            uint32_t found = GetLookup(lookupIndex, &lookup);
            if (found == kLookupMissing) continue;
            if (found != 0) return found;
            if (uint32_t result = visit(lookupIndex, lookup)) return result;
        }
        return 0;
    }

    // Calls visit(type, subtable offset) for each subtable of the lookup; stops at the first
    // nonzero result, its own or GetSubtable's.
    template <typename Visit>
    [[nodiscard]] uint32_t ForEachSubtable(uint64_t lookup, Visit visit) const
    {
        uint32_t count = GetSubtableCount(lookup);
        for (uint32_t k = 0; k < count; ++k)
        {
            uint32_t type = 0;
            uint64_t subtable = 0;
            if (uint32_t result = GetSubtable(lookup, k, &type, &subtable)) return result;
            if (uint32_t result = visit(type, subtable)) return result;
        }
        return 0;
    }
};

}  // namespace oq
