#pragma once

#include <cstddef>
#include <cstdint>

namespace oq {

class FontStructure;
class GlyphStructure;

// Deletes the geometry (Paths and other shapes with their data) of every Glyph of the glyph Font,
// whose collected curves hold the outlines from preparation on, and frees the collected curves
// of the Glyphs that are not selected (new number 0, glyph 0 aside).
void ReleaseUnusedCurves(const FontStructure *glyphFont, const int32_t *newNumbers, uint32_t newNumberCount);

// Frees the Glyph's collected curves (box, control top and single reference stay) and returns
// the bytes freed.
size_t ReleaseGlyphCurves(GlyphStructure *glyph);

// Gives the heap's free pages back to the system where the allocator can (glibc); elsewhere
// nothing.
void ReturnFreeHeapPages();

}  // namespace oq
