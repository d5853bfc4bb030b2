#pragma once

#include "vorl/text/VorlFileFontRecord.h"
#include "vorl/text/VorlFileWriter.h"

#include <cstdint>

namespace oq {

// The lists that all fonts of a file share, in their file order after the glyph records.
enum FontListSection : int32_t
{
    kSequenceGlyphPoolSection,
    kContourListSection,
    kDecompositionListSection,
    kLayerListSection,
    kBaseAnchorListSection,
    kMarkAnchorListSection,
    kKerningListSection,
    kSequenceListSection,
    kAlternateListSection,
    kCaretListSection,
    kFontListSectionCount,
};

// Bytes of one entry (or word) of each list.
inline constexpr uint32_t kFontListEntrySizes[kFontListSectionCount] = {4, 4, 4, 8, 12, 12, 8, 4, 8, 4};

// The record offset that points at each list.
inline constexpr uint32_t VorlFontRecord::*kFontListOffsets[kFontListSectionCount] = {
    &VorlFontRecord::sequenceGlyphPoolOffset, &VorlFontRecord::contourListOffset,
    &VorlFontRecord::decompositionListOffset, &VorlFontRecord::layerListOffset,
    &VorlFontRecord::baseAnchorListOffset,    &VorlFontRecord::markAnchorListOffset,
    &VorlFontRecord::kerningListOffset,       &VorlFontRecord::sequenceListOffset,
    &VorlFontRecord::alternateListOffset,     &VorlFontRecord::caretListOffset};

// Texture buffers of a font compile: 4096 texels wide, 2048 curve rows and 8192 band rows.
inline constexpr int32_t kCompileTextureWidth = 4096;
inline constexpr int32_t kCompileCurveRows = 2048;
inline constexpr int32_t kCompileBandRows = 8192;

// A texture buffer of the compile and the cursor its writers advance.
struct CompileTexture
{
    ZeroedBlock texels;
    uint32_t format = 0;
    int32_t width = 0;
    int32_t rowLimit = 0;
    int32_t column = 0;
    int32_t row = 0;
};

// What the glyph and list steps of a compile produce, shared by every font record of the file:
// glyph records (then the outline records), the lists and the two textures.
struct FontGlyphData
{
    uint32_t glyphCount = 0;
    bool outlineRecords = false;
    ZeroedBlock glyphRecords;
    ZeroedBlock lists[kFontListSectionCount];
    uint32_t listCounts[kFontListSectionCount] = {};
    CompileTexture curveTexture;
    CompileTexture bandTexture;

    // Zeroed glyph records (twice as many with outline records) and the two texel buffers;
    // 0, or 'MEMY' when any of them cannot be had.
    [[nodiscard]] uint32_t Allocate(uint32_t count, bool outline);
    // A zeroed list of count entries; 0 or 'MEMY'.
    [[nodiscard]] uint32_t AllocateList(FontListSection section, uint32_t count);

    VorlGlyphRecord *GetGlyphRecords() const { return glyphRecords.Get<VorlGlyphRecord>(); }
    VorlGlyphRecord *GetOutlineGlyphRecords() const
    {
        return outlineRecords ? GetGlyphRecords() + glyphCount : nullptr;
    }
};

// The two 'BBOX' boxes: the union of the boxes of the records that are not marks, then of the
// marks; only records with min x < max x and min y < max y take part; a box without any is zero.
void ComputeFontBoxes(const VorlGlyphRecord *records, uint32_t count, FontDataBoxItem *boxes);

}  // namespace oq
