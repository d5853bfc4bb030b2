#pragma once

#include "base/Array.h"
#include "vorl/geometry/TexelBuffer.h"
#include "vorl/text/VorlFileGlyphRecord.h"

#include <cstdint>

namespace oq {

class FontStructure;
struct FontCompileSettings;

// What the glyph texture step reads: the Font that holds the glyphs, the selection (glyph
// indexes in new-number order) with the new-number map (one entry per glyph of the Font), the
// compile flags and the document's settings.
struct GlyphTextureInput
{
    const FontStructure *glyphFont;
    uint32_t selectionCount;
    const uint32_t *selection;
    const int32_t *newNumbers;
    uint32_t newNumberCount;
    uint32_t flags;
    const FontCompileSettings *settings;
    // Frees each glyph's collected curves after its last pass (a run that needs them no more).
    bool releaseCurves = false;
};

// Where it writes: the glyph records (and the outline records, or null), the two texture buffers
// (height = row limit) and the ContourList.
struct GlyphTextureOutput
{
    VorlGlyphRecord *records;
    VorlGlyphRecord *outlineRecords;
    TexelBuffer *curve;
    TexelBuffer *band;
    Array<uint32_t> *contourList;
};

// Fills the geometric fields of every selected glyph's records and its curves and bands in the
// textures: the normal pass, the outline pass with the outline option, and glyphs that are a
// plain copy of another glyph (a chain of single references, offsets added) last. Returns 0, or
// 'SIZE' when a texture runs out of rows or a glyph's curves or bands do not fit the formats.
// With releaseCurves the freed pages go back to the system as the pass goes.
[[nodiscard]] uint32_t BuildGlyphCurvesAndBands(const GlyphTextureInput &input, const GlyphTextureOutput &output);

// Stores a rectangle from x 0 to 1 and y from y0 to y1 (four straight curves, one band each way)
// and gives its band data location; false when a texture runs out of rows.
[[nodiscard]] bool AddDecorationGeometry(float y0, float y1, TexelBuffer *curve, TexelBuffer *band,
                                         uint16_t *bandColumn, uint16_t *bandRow);

}  // namespace oq
