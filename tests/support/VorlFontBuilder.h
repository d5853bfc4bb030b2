#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "base/Bezier.h"
#include "base/Point2D.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFileFontRecord.h"
#include "vorl/text/VorlFileHeader.h"

namespace oq::test {

// One tagged item of a font's FontDataDirectory, in directory order.
struct VorlFontItem
{
    uint32_t tag;
    std::vector<uint8_t> data;   // padded with zeros to a multiple of 4 when written
};

// The per-font part of a test font image: directory items and character map.
struct VorlFontDescription
{
    std::vector<VorlFontItem> items;
    std::vector<std::pair<uint32_t, uint32_t>> characters;   // code point, glyph
    uint32_t pageCount = 0;   // page-index entries; 0 = up to the page of the highest code point

    void AddFloats(uint32_t tag, std::initializer_list<float> values);
    // 'UNDR' or 'STRK': thickness, position and the band-data location of the rectangle.
    void AddDecoration(uint32_t tag, float thickness, float position, uint16_t column, uint16_t row);
    void AddText(uint32_t tag, const char *text);
    void Map(uint32_t codePoint, uint32_t glyph) { characters.emplace_back(codePoint, glyph); }
};

// One SequenceList entry: the glyph words (glyphs, or glyph sets from AddGlyphSet) and the rule.
struct VorlSequenceDescription
{
    uint16_t classBits = 1;
    std::vector<uint32_t> match;
    std::vector<uint32_t> backtrack;
    std::vector<uint32_t> lookahead;
    uint16_t ruleKind = 0;
    uint32_t ruleGlyph = 0;
    bool hasRule = true;      // false: an entry without rule words
};

// Writes a Vorl font image laid out as the font compiler lays it out, from a description made in
// a test: fonts with their directories and character maps, glyph records, every list and the two
// textures, stored compressed or not. The list helpers append entries and set the glyph's word.
class VorlFontBuilder
{
public:
    std::vector<VorlFontDescription> fonts;
    std::vector<VorlGlyphRecord> glyphs;
    std::vector<VorlGlyphRecord> outlineGlyphs;   // empty, or one per glyph

    std::vector<uint32_t> sequenceGlyphPool;
    std::vector<uint32_t> contours;
    std::vector<uint32_t> decompositions;
    std::vector<LayerListEntry> layers;
    std::vector<AnchorListEntry> baseAnchors;
    std::vector<AnchorListEntry> markAnchors;
    std::vector<KerningListEntry> kerning;
    std::vector<uint32_t> sequences;
    std::vector<AlternateListEntry> alternates;
    std::vector<float> carets;

    // Textures: texels row after row; the height grows to hold every texel (at least 1 row).
    uint32_t curveWidth = 4096;
    uint32_t bandWidth = 4096;
    uint32_t curveFormat = kTexelFormatHalf4;
    std::vector<uint16_t> curveTexels;   // four halves per texel
    std::vector<uint32_t> bandTexels;    // column | row << 16, or count | offset << 16
    bool compressCurves = false;
    bool compressBands = false;

    VorlFontDescription &AddFont();
    uint32_t AddGlyph(float advance = 0.5F);
    // A glyph with the box (x0, y0)-(x1, y1) and, when it has a width, that box as its outline
    // (four straight curves).
    uint32_t AddBoxGlyph(float advance, float x0, float y0, float x1, float y1);

    void SetDecomposition(uint32_t glyph, std::initializer_list<uint32_t> components);
    void SetLayers(uint32_t glyph, std::initializer_list<LayerListEntry> entries);
    void SetAnchors(uint32_t glyph, std::initializer_list<AnchorListEntry> base, std::initializer_list<AnchorListEntry> mark);
    void SetKerning(uint32_t glyph, std::initializer_list<KerningListEntry> entries);
    void SetAlternates(uint32_t glyph, std::initializer_list<AlternateListEntry> entries);
    void SetCarets(uint32_t glyph, std::initializer_list<float> positions);

    // A glyph set of the pool; returns its match word (pool index with the set bit).
    uint32_t AddGlyphSet(std::initializer_list<uint32_t> sortedGlyphs);
    void SetSequences(uint32_t glyph, std::initializer_list<VorlSequenceDescription> entries);

    // Each contour is a chain of 2k + 1 points (k curves sharing end points), stored as one run
    // of k + 1 texels in one row of the curve texture. Sets the glyph's curve count and first
    // contour.
    void SetContours(uint32_t glyph, std::initializer_list<std::vector<Point2D>> chains);

    // Band data location and counts of a glyph record.
    void SetBands(uint32_t glyph, uint16_t column, uint16_t row, uint16_t countX, uint16_t countY);

    // The whole file image.
    std::vector<uint8_t> Build() const;

private:
    uint32_t curveColumn = 0;
    uint32_t curveRow = 0;
};

// Glyphs of the sample font.
enum SampleVorlGlyph : uint32_t
{
    kSampleMissing,      // a square
    kSampleA,            // 'A': two contours, band data, polygon, alternates
    kSampleB,            // 'B': kerning keyed on 'A'
    kSampleF,            // 'f': sequences to the ligature
    kSampleI,            // 'i': a sequence without rules
    kSampleFi,           // the ligature, with one caret
    kSampleRing,         // U+030A: a mark glyph with a mark anchor
    kSampleVerticalA,    // vertical form of 'A', itself with a numerator form
    kSampleNumeratorA,   // numerator form
    kSampleARing,        // U+00C5: decomposes into 'A' and the ring
    kSampleSmile,        // U+1F600: colour layers
    kSampleGlyphCount
};

// A two-font image description that uses every record and list of the format, with textures 64
// texels wide: the second font shares the glyphs, outline glyph records and lists and has a
// directory and character map of its own.
VorlFontBuilder MakeSampleVorlFont();

namespace detail {

inline bool ReadGlyphLists(const VorlFontRecord *font, const VorlGlyphRecord &glyph, uint64_t &sum)
{
    uint32_t count = font->glyphCount;
    for (uint32_t i = 0; i < ListCountA(glyph.decompositionWord); ++i)
        if (font->GetDecompositionList()[ListIndexA(glyph.decompositionWord) + i] >= count) return false;
    for (uint32_t i = 0; i < ListCountA(glyph.layerWord); ++i)
    {
        const LayerListEntry &layer = font->GetLayerList()[ListIndexA(glyph.layerWord) + i];
        if (layer.glyph >= count) return false;
        sum += layer.color[3];
    }
    for (uint32_t i = 0; i < ListCountA(glyph.baseAnchorWord); ++i)
        sum += uint64_t(font->GetBaseAnchorList()[ListIndexA(glyph.baseAnchorWord) + i].anchorClass);
    for (uint32_t i = 0; i < ListCountA(glyph.markAnchorWord); ++i)
        sum += uint64_t(font->GetMarkAnchorList()[ListIndexA(glyph.markAnchorWord) + i].anchorClass);
    for (uint32_t i = 0; i < ListCountA(glyph.caretWord); ++i)
        sum += font->GetCaretList()[ListIndexA(glyph.caretWord) + i] != 0.0F;
    for (uint32_t left = 0; left < 4 && left < count; ++left) sum += GetKerning(font, &glyph, left) != 0.0F;

    // Sequences as glyph mapping walks them: glyph words, glyph sets of the pool, the first rule.
    uint32_t sequenceCount = ListCountB(glyph.sequenceWord);
    const uint32_t *entry = sequenceCount != 0 ? font->GetSequenceList() + ListIndexB(glyph.sequenceWord) : nullptr;
    for (uint32_t s = 0; s < sequenceCount; ++s)
    {
        SequenceEntryHead head;
        std::memcpy(&head, entry, sizeof(head));
        uint32_t glyphWords = uint32_t(head.matchCount) + head.backtrackCount + head.lookaheadCount;
        for (uint32_t i = 0; i < glyphWords; ++i)
        {
            uint32_t word = entry[2 + i];
            if ((word & kSequenceGlyphSetBit) == 0)
            {
                if (word >= count) return false;
                continue;
            }
            const uint32_t *set = font->GetSequenceGlyphPool() + (word & ~kSequenceGlyphSetBit);
            for (uint32_t k = 0; k < set[0]; ++k)
                if (set[1 + k] >= count) return false;
        }
        // An entry without rules never applies: its rule is not read.
        if (head.ruleCount != 0 && entry[2 + glyphWords + 1] >= count) return false;
        entry += head.length;
    }
    return true;
}

}  // namespace detail

// Reads, through the accessors, everything that layout and rendering read from an image that
// ValidateVorlFontFile accepted: directory items, character maps, every glyph's lists, sequences,
// curves and band headers, and both textures. False when a glyph index read back is out of range.
inline bool ExerciseVorlFontImage(const void *image, uint64_t *checksum = nullptr)
{
    const VorlFileHeader *file = static_cast<const VorlFileHeader *>(image);
    uint64_t sum = GetCurveTextureOffset(file);
    const uint32_t kLargest = 16u << 20;
    std::vector<uint8_t> curveData;
    std::vector<uint8_t> bandData;
    if (GetCurveTextureDataSize(file) <= kLargest)
    {
        curveData.resize(GetCurveTextureDataSize(file));
        if (!CopyCurveTextureData(file, curveData.data(), uint32_t(curveData.size()))) curveData.clear();
    }
    if (GetBandTextureDataSize(file) <= kLargest)
    {
        bandData.resize(GetBandTextureDataSize(file));
        if (!CopyBandTextureData(file, bandData.data(), uint32_t(bandData.size()))) bandData.clear();
    }
    auto readBand = [&](uint32_t column, uint32_t row) {
        if (bandData.empty()) return;
        uint64_t texel = uint64_t(row) * file->bandTexture.width + column;
        sum += bandData.at(size_t(texel * 4));
    };

    // Fonts and glyphs past the first few take the same paths; the caps keep large images fast.
    for (uint32_t f = 0; f < file->count && f < 8; ++f)
    {
        const VorlFontRecord *font = GetVorlFontRecord(file, f);
        for (uint32_t tag : {'SUBS', 'SUPS', 'OTLN', 'HITE', 'AXIS', 'SLNT', 'NAME', 'SNAM', 'UNDR', 'STRK'})
        {
            const uint8_t *item = static_cast<const uint8_t *>(font->GetFontData(tag));
            if (item == nullptr) continue;
            if (tag == 'NAME' || tag == 'SNAM')
            {
                sum += std::strlen(reinterpret_cast<const char *>(item));
            }
            else if (tag == 'UNDR' || tag == 'STRK')
            {
                const FontDataDecorationItem *decoration = reinterpret_cast<const FontDataDecorationItem *>(item);
                readBand(decoration->bandColumn, decoration->bandRow);
                readBand(decoration->bandColumn + 1u, decoration->bandRow);
            }
            else
            {
                sum += item[0] + item[3];
            }
        }
        uint32_t pages = font->pageCount < 0x1101 ? font->pageCount : 0x1101;
        for (uint32_t p = 0; p <= pages; ++p)
        {
            for (uint32_t low : {0u, 1u, 0x41u, 0xFFu})
                if (font->GetGlyphIndex(p << 8 | low) >= font->glyphCount) return false;
        }
        if (font->GetGlyphIndex(0x10FFFF) >= font->glyphCount || font->GetGlyphIndex(0xFFFFFFFF) >= font->glyphCount) return false;

        for (uint32_t g = 0; g < font->glyphCount && g < 1024; ++g)
        {
            for (const VorlGlyphRecord *records : {font->GetGlyphRecords(), font->GetOutlineGlyphRecords()})
            {
                if (records == nullptr) continue;
                const VorlGlyphRecord &glyph = records[g];
                if (!detail::ReadGlyphLists(font, glyph, sum)) return false;
                if (glyph.bandCountX != 0)
                    for (uint32_t i = 0; i < glyph.bandCountX + (glyph.bandWordY & 0xFFu); ++i)
                        readBand(glyph.bandColumn + i, glyph.bandRow);
            }
            for (uint32_t bits : {0x30u, 0x200u, 0xFFFFFFFFu})
                for (uint32_t selector : {0u, 3u})
                    if (GetAlternateGlyph(font, g, bits, selector) >= font->glyphCount) return false;
            uint32_t curveCount = font->GetGlyphCurveCount(g);
            if (curveCount != 0 && !curveData.empty())
            {
                std::vector<QuadraticBezier2D> curves(curveCount);
                ExtractGlyphCurves(font, g, file, curveData.data(), curves.data());
                sum += curves.back().p2.x != 0.0F;
            }
        }
    }
    if (checksum != nullptr) *checksum = sum;
    return true;
}

}  // namespace oq::test
