#pragma once

#include <cstddef>
#include <cstdint>

namespace oq {

// One glyph of a Vorl font: box, band data, curves, bounding polygon, metrics and its list words.
struct VorlGlyphRecord
{
    float box[4];              // min x, min y, max x, max y (em units)
    uint16_t bandColumn;       // band-data texel location in the band texture
    uint16_t bandRow;
    uint16_t bandCountX;       // 0 for a glyph without outline
    uint16_t bandWordY;        // band count along y in the low byte, shape flags in the high byte
    float bandScale[2];        // bands per em unit along x and y
    uint16_t curveCount;
    uint16_t polygonWord;      // vertex count in bits 0-3, triangulation pattern in bits 8-11
    uint32_t firstContour;     // first ContourList index
    uint16_t polygon[12];      // six vertices, half float x and y each (em units)
    float curveOrigin[2];      // added to every stored curve point
    float advance;
    float verticalAdvance;
    float verticalOrigin;
    uint32_t decompositionWord;  // packing A (index | count << 24)
    uint32_t layerWord;          // packing A
    uint32_t baseAnchorWord;     // packing A
    uint32_t markAnchorWord;     // packing A; nonzero marks a mark glyph
    uint32_t kerningWord;        // packing B (index | count << 20)
    uint32_t reserved1;
    uint32_t sequenceWord;       // packing B: first word, number of sequences
    uint32_t alternateWord;      // packing B
    uint32_t caretWord;          // packing A
    uint32_t reserved2[2];
};

static_assert(sizeof(VorlGlyphRecord) == 128);
static_assert(offsetof(VorlGlyphRecord, bandColumn) == 16);
static_assert(offsetof(VorlGlyphRecord, bandRow) == 18);
static_assert(offsetof(VorlGlyphRecord, bandCountX) == 20);
static_assert(offsetof(VorlGlyphRecord, bandWordY) == 22);
static_assert(offsetof(VorlGlyphRecord, bandScale) == 24);
static_assert(offsetof(VorlGlyphRecord, curveCount) == 32);
static_assert(offsetof(VorlGlyphRecord, polygonWord) == 34);
static_assert(offsetof(VorlGlyphRecord, firstContour) == 36);
static_assert(offsetof(VorlGlyphRecord, polygon) == 40);
static_assert(offsetof(VorlGlyphRecord, curveOrigin) == 64);
static_assert(offsetof(VorlGlyphRecord, advance) == 72);
static_assert(offsetof(VorlGlyphRecord, verticalAdvance) == 76);
static_assert(offsetof(VorlGlyphRecord, verticalOrigin) == 80);
static_assert(offsetof(VorlGlyphRecord, decompositionWord) == 84);
static_assert(offsetof(VorlGlyphRecord, layerWord) == 88);
static_assert(offsetof(VorlGlyphRecord, baseAnchorWord) == 92);
static_assert(offsetof(VorlGlyphRecord, markAnchorWord) == 96);
static_assert(offsetof(VorlGlyphRecord, kerningWord) == 100);
static_assert(offsetof(VorlGlyphRecord, reserved1) == 104);
static_assert(offsetof(VorlGlyphRecord, sequenceWord) == 108);
static_assert(offsetof(VorlGlyphRecord, alternateWord) == 112);
static_assert(offsetof(VorlGlyphRecord, caretWord) == 116);
static_assert(offsetof(VorlGlyphRecord, reserved2) == 120);

// List words of a glyph record. Packing A: index in bits 0-23, count in bits 24-31;
// packing B: index in bits 0-19, count in bits 20-31. A count of 0 means no list.
inline uint32_t ListIndexA(uint32_t word) { return word & 0xFFFFFF; }
inline uint32_t ListCountA(uint32_t word) { return word >> 24; }
inline uint32_t ListIndexB(uint32_t word) { return word & 0xFFFFF; }
inline uint32_t ListCountB(uint32_t word) { return word >> 20; }
inline uint32_t MakeListWordA(uint32_t index, uint32_t count) { return index | count << 24; }
inline uint32_t MakeListWordB(uint32_t index, uint32_t count) { return index | count << 20; }

// The two packings of list words: the bits of the index field (the count takes the rest).
enum class ListPacking : uint32_t
{
    kA = 24,
    kB = 20,
};

// The largest count a packing's word holds (255 or 4095).
inline constexpr uint32_t GetMaxListCount(ListPacking packing) { return 0xFFFFFFFFu >> uint32_t(packing); }

// Writers pack every list word here: index | count << bits when both fit their fields (a count of
// 0 gives the empty word 0); false, and the word untouched, when either does not.
[[nodiscard]] inline bool PackListWord(ListPacking packing, uint32_t index, uint32_t count, uint32_t *word)
{
    uint32_t bits = uint32_t(packing);
    if (index >> bits != 0 || count > GetMaxListCount(packing)) return false;
    *word = (count != 0) ? (index | count << bits) : 0;
    return true;
}

// ContourList word: a run of consecutive curves in the curve texture.
inline uint32_t ContourCurveCount(uint32_t word) { return (word >> 25) + 1; }
inline uint32_t ContourRow(uint32_t word) { return (word >> 12) & 0x1FFF; }
inline uint32_t ContourColumn(uint32_t word) { return word & 0xFFF; }
inline uint32_t MakeContourWord(uint32_t curveCount, uint32_t column, uint32_t row)
{
    return (curveCount - 1) << 25 | row << 12 | column;
}

// Writers pack contour words here: false, and the word untouched, unless the run holds 1 to 128
// curves from a column below 4096 and a row below 8192.
[[nodiscard]] inline bool PackContourWord(uint32_t curveCount, uint32_t column, uint32_t row, uint32_t *word)
{
    if (curveCount - 1 >= 128 || column >= 4096 || row >= 8192) return false;
    *word = MakeContourWord(curveCount, column, row);
    return true;
}

// A SequenceList match, backtrack or lookahead word with this bit names a glyph set of the pool.
constexpr uint32_t kSequenceGlyphSetBit = 0x80000000;

// The fixed words that start each SequenceList entry; the glyph words and the rules follow.
struct SequenceEntryHead
{
    uint16_t classBits;
    uint16_t length;          // words of the whole entry
    uint8_t matchCount;
    uint8_t backtrackCount;
    uint8_t lookaheadCount;
    uint8_t ruleCount;        // 0: the entry has no rule words and never applies
};

// The rule after the glyph words of a SequenceList entry (only the first is read).
struct SequenceRule
{
    uint16_t kind;            // 0 = replace the current and the matched glyphs, 1 = the current one
    uint16_t position;
    uint32_t glyph;
};

// Words of an entry's head and of one rule.
constexpr uint32_t kSequenceHeadWords = 2;
constexpr uint32_t kSequenceRuleWords = 2;

// One colour layer of a glyph.
struct LayerListEntry
{
    uint32_t glyph;
    uint8_t color[4];         // sRGB red, green, blue, alpha
};

// A base or mark attachment point.
struct AnchorListEntry
{
    int32_t anchorClass;
    float x;
    float y;
};

// Kerning against the glyph that precedes the glyph owning the list.
struct KerningListEntry
{
    uint32_t precedingGlyph;
    float value;
};

// An alternate form: feature bits in bits 0-23, selector in bits 24-31.
struct AlternateListEntry
{
    uint32_t featureWord;
    uint32_t glyph;
};

static_assert(sizeof(SequenceEntryHead) == 8);
static_assert(offsetof(SequenceEntryHead, length) == 2);
static_assert(offsetof(SequenceEntryHead, matchCount) == 4);
static_assert(offsetof(SequenceEntryHead, ruleCount) == 7);
static_assert(sizeof(SequenceRule) == 8);
static_assert(offsetof(SequenceRule, glyph) == 4);
static_assert(sizeof(LayerListEntry) == 8);
static_assert(offsetof(LayerListEntry, color) == 4);
static_assert(sizeof(AnchorListEntry) == 12);
static_assert(offsetof(AnchorListEntry, x) == 4);
static_assert(offsetof(AnchorListEntry, y) == 8);
static_assert(sizeof(KerningListEntry) == 8);
static_assert(offsetof(KerningListEntry, value) == 4);
static_assert(sizeof(AlternateListEntry) == 8);
static_assert(offsetof(AlternateListEntry, glyph) == 4);

}  // namespace oq
