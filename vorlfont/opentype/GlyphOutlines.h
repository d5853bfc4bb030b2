#pragma once

#include "base/Array.h"
#include "base/Bezier.h"
#include "vorlfont/opentype/GlyfOutline.h"

#include <cstdint>

namespace oq {

class GlyphStructure;

// A TrueType glyph with contours as a Path of quadratic commands on the Glyph; 0 or 'CRPT'.
[[nodiscard]] uint32_t ConvertSimpleGlyph(GlyfOutlineReader *reader, uint32_t glyphIndex, GlyphStructure *glyph);

// A composite TrueType glyph as Components with their matrix structures on the Glyph; 0 or 'CRPT'.
[[nodiscard]] uint32_t ConvertCompositeGlyph(GlyfOutlineReader *reader, uint32_t glyphIndex, GlyphStructure *glyph);

// Closed cubic segments (ems) as a Path of cubic commands on the Glyph; nothing without segments.
void ConvertCffGlyph(const Array<CubicBezier2D> &segments, GlyphStructure *glyph);

}  // namespace oq
