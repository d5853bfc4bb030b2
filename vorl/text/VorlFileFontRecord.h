#pragma once

#include <cstddef>
#include <cstdint>

#include "vorl/text/VorlFileGlyphRecord.h"

namespace oq {

// One font of a Vorl font file. Every offset counts bytes from the start of this record;
// 0 marks a list the font does not have. All fonts of a file share the glyph records and lists.
struct VorlFontRecord
{
    uint32_t directoryCount;
    uint32_t directoryOffset;
    uint32_t pageCount;             // CharacterMapPageIndex entries (pages of 256 code points)
    uint32_t pageIndexOffset;
    uint32_t pagesOffset;           // the first 1024-byte character-map page
    uint32_t glyphCount;
    uint32_t glyphRecordOffset;
    uint32_t outlineGlyphRecordOffset;
    uint32_t sequenceGlyphPoolOffset;
    uint32_t contourListOffset;
    uint32_t decompositionListOffset;
    uint32_t layerListOffset;
    uint32_t baseAnchorListOffset;
    uint32_t markAnchorListOffset;
    uint32_t kerningListOffset;
    uint32_t reserved1;
    uint32_t sequenceListOffset;
    uint32_t alternateListOffset;
    uint32_t caretListOffset;
    uint32_t reserved2[7];

    // The item of the first directory entry with the tag, or null.
    const void *GetFontData(uint32_t tag) const;

    // The glyph that the character map gives the code point; 0 when it maps none.
    uint32_t GetGlyphIndex(uint32_t codePoint) const;

    uint16_t GetGlyphCurveCount(uint32_t glyphIndex) const { return GetGlyphRecords()[glyphIndex].curveCount; }

    const VorlGlyphRecord *GetGlyphRecords() const { return At<VorlGlyphRecord>(glyphRecordOffset); }
    const VorlGlyphRecord *GetOutlineGlyphRecords() const { return At<VorlGlyphRecord>(outlineGlyphRecordOffset); }
    const uint32_t *GetSequenceGlyphPool() const { return At<uint32_t>(sequenceGlyphPoolOffset); }
    const uint32_t *GetContourList() const { return At<uint32_t>(contourListOffset); }
    const uint32_t *GetDecompositionList() const { return At<uint32_t>(decompositionListOffset); }
    const LayerListEntry *GetLayerList() const { return At<LayerListEntry>(layerListOffset); }
    const AnchorListEntry *GetBaseAnchorList() const { return At<AnchorListEntry>(baseAnchorListOffset); }
    const AnchorListEntry *GetMarkAnchorList() const { return At<AnchorListEntry>(markAnchorListOffset); }
    const KerningListEntry *GetKerningList() const { return At<KerningListEntry>(kerningListOffset); }
    const uint32_t *GetSequenceList() const { return At<uint32_t>(sequenceListOffset); }
    const AlternateListEntry *GetAlternateList() const { return At<AlternateListEntry>(alternateListOffset); }
    const float *GetCaretList() const { return At<float>(caretListOffset); }

    // The data at an offset from this record; null for offset 0.
    template <typename Type> const Type *At(uint32_t offset) const
    {
        return offset != 0 ? reinterpret_cast<const Type *>(reinterpret_cast<const char *>(this) + offset) : nullptr;
    }
};

static_assert(sizeof(VorlFontRecord) == 104);
static_assert(offsetof(VorlFontRecord, directoryOffset) == 4);
static_assert(offsetof(VorlFontRecord, pageCount) == 8);
static_assert(offsetof(VorlFontRecord, pageIndexOffset) == 12);
static_assert(offsetof(VorlFontRecord, pagesOffset) == 16);
static_assert(offsetof(VorlFontRecord, glyphCount) == 20);
static_assert(offsetof(VorlFontRecord, glyphRecordOffset) == 24);
static_assert(offsetof(VorlFontRecord, outlineGlyphRecordOffset) == 28);
static_assert(offsetof(VorlFontRecord, sequenceGlyphPoolOffset) == 32);
static_assert(offsetof(VorlFontRecord, contourListOffset) == 36);
static_assert(offsetof(VorlFontRecord, decompositionListOffset) == 40);
static_assert(offsetof(VorlFontRecord, layerListOffset) == 44);
static_assert(offsetof(VorlFontRecord, baseAnchorListOffset) == 48);
static_assert(offsetof(VorlFontRecord, markAnchorListOffset) == 52);
static_assert(offsetof(VorlFontRecord, kerningListOffset) == 56);
static_assert(offsetof(VorlFontRecord, reserved1) == 60);
static_assert(offsetof(VorlFontRecord, sequenceListOffset) == 64);
static_assert(offsetof(VorlFontRecord, alternateListOffset) == 68);
static_assert(offsetof(VorlFontRecord, caretListOffset) == 72);
static_assert(offsetof(VorlFontRecord, reserved2) == 76);

// The offsets of the sections that all fonts of a file share: glyph records and lists.
inline constexpr uint32_t VorlFontRecord::*kSharedSectionOffsets[] = {
    &VorlFontRecord::glyphRecordOffset,       &VorlFontRecord::outlineGlyphRecordOffset,
    &VorlFontRecord::sequenceGlyphPoolOffset, &VorlFontRecord::contourListOffset,
    &VorlFontRecord::decompositionListOffset, &VorlFontRecord::layerListOffset,
    &VorlFontRecord::baseAnchorListOffset,    &VorlFontRecord::markAnchorListOffset,
    &VorlFontRecord::kerningListOffset,       &VorlFontRecord::sequenceListOffset,
    &VorlFontRecord::alternateListOffset,     &VorlFontRecord::caretListOffset};
constexpr int kSharedSectionCount = int(sizeof(kSharedSectionOffsets) / sizeof(kSharedSectionOffsets[0]));

// Entries and pages of the character map.
constexpr uint32_t kCharacterMapPageSize = 256;
constexpr int16_t kCharacterMapNoPage = -1;

// One entry of a font's FontDataDirectory; the offset counts from the entry itself.
struct FontDataDirectoryEntry
{
    uint32_t tag;
    uint32_t offset;
};

// 'SUBS' and 'SUPS': scale and offset of subscripts and superscripts (em units).
struct FontDataScriptItem
{
    float scale[2];
    float offset[2];
};

// 'UNDR' and 'STRK': the decoration rectangle and the location of its band data.
struct FontDataDecorationItem
{
    float thickness;
    float position;         // bottom edge above the baseline
    uint16_t bandColumn;
    uint16_t bandRow;
};

// 'OTLN': the outline effect that the outline glyph records were made with.
struct FontDataOutlineItem
{
    float size;             // how far the outline records extend the glyphs (em units)
    float miterLimit;
    uint32_t join;          // 'BEVL' or 'ROND'
};

// 'MTRC' and 'TYPO': ascent, descent and line gap (em units).
struct FontDataLineItem
{
    float ascent;
    float descent;
    float lineGap;
};

// 'HITE': capital and x heights (em units).
struct FontDataHeightItem
{
    float capHeight;
    float exHeight;
};

// 'BBOX': the union of the boxes of the glyphs that are not marks, then of the mark glyphs
// (min x, min y, max x, max y; all zero without a member).
struct FontDataBoxItem
{
    float glyphBox[4];
    float markBox[4];
};

// 'CLAS': weight and width classes.
struct FontDataClassItem
{
    uint32_t weightClass;
    uint32_t widthClass;
};

// 'POLY': the bounding-polygon settings the glyph polygons were made with.
struct FontDataPolygonItem
{
    int32_t maxVertexCount;
    float edgeFactor;
};

// 'AXIS' (math axis height) and 'SLNT' (slant angle) hold one float each.

static_assert(sizeof(FontDataDirectoryEntry) == 8);
static_assert(sizeof(FontDataLineItem) == 12);
static_assert(sizeof(FontDataHeightItem) == 8);
static_assert(sizeof(FontDataBoxItem) == 32);
static_assert(offsetof(FontDataBoxItem, markBox) == 16);
static_assert(sizeof(FontDataClassItem) == 8);
static_assert(sizeof(FontDataPolygonItem) == 8);
static_assert(offsetof(FontDataPolygonItem, edgeFactor) == 4);
static_assert(sizeof(FontDataScriptItem) == 16);
static_assert(sizeof(FontDataDecorationItem) == 12);
static_assert(offsetof(FontDataDecorationItem, bandColumn) == 8);
static_assert(offsetof(FontDataDecorationItem, bandRow) == 10);
static_assert(sizeof(FontDataOutlineItem) == 12);

}  // namespace oq
