#pragma once

#include <cstdint>

#include "base/Box2D.h"
#include "base/Color.h"
#include "base/Matrix2D.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/text/TextFont.h"

namespace oq {

// Draws caller-placed glyphs (a glyph list, possibly edited) with the state's effect passes and
// colour layers: no advance, kerning, marks, decorations or clipping. Per glyph j: font index
// (null: font 0), glyph index, position (two floats), matrix (em to layout, y up) and colour
// (sRGB bytes; null: the state's fill paint). Buffers: one per font, or null for bounds only.
void BuildGlyphListGeometry(const TextFont *fonts, const TextLayoutState *state, int32_t count,
                            const uint8_t *fontIndexes, const uint32_t *glyphIndexes, const float *positions,
                            const Matrix2D *matrices, const uint8_t *colors, GeometryBuffer *buffers, Box2D *bounds);

// The same with linear float colours.
void BuildGlyphListGeometryFloatColors(const TextFont *fonts, const TextLayoutState *state, int32_t count,
                                       const uint8_t *fontIndexes, const uint32_t *glyphIndexes,
                                       const float *positions, const Matrix2D *matrices, const ColorRGBA *colors,
                                       GeometryBuffer *buffers, Box2D *bounds);

// The vertices and triangles that BuildGlyphListGeometry writes into each font's buffer (both
// arrays cleared for the font count first).
void CountGlyphListGeometry(int32_t fontCount, const TextFont *fonts, const TextLayoutState *state, int32_t count,
                            const uint8_t *fontIndexes, const uint32_t *glyphIndexes, int32_t *vertexCounts,
                            int32_t *triangleCounts);

}  // namespace oq
