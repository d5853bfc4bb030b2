#pragma once

#include <cstdint>

#include "base/Box2D.h"
#include "base/Matrix2D.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/PolygonTriangulation.h"
#include "vorl/text/TextLayoutState.h"
#include "vorl/text/VorlFileGlyphRecord.h"

namespace oq {

// Clip bits of a quad's geometry word for an unrotated glyph cut at one edge of its em box: bit
// 8 + k zeroes the x and bit 12 + k the y component of vertex k's dilation normal.
enum : uint32_t
{
    kQuadClipMinX = 0x0500,
    kQuadClipMaxX = 0x0A00,
    kQuadClipMinY = 0x3000,
    kQuadClipMaxY = 0xC000
};

// The geometry word a builder passes for a glyph record: its polygon word under 'POLY' when that
// is a drawable polygon, else 0 (the quad).
inline uint32_t GetGlyphGeometryWord(const VorlGlyphRecord *glyph, TextGeometryType geometryType)
{
    uint32_t word = glyph->polygonWord;
    return geometryType == 'POLY' && IsDrawablePolygonWord(word) ? word : 0;
}

// Writes one glyph polygon (the quad of the box, its three-vertex 'RECT' form, or the glyph's
// bounding polygon) at the pen under the glyph matrix (em to layout, y up), and enlarges bounds
// by every vertex position. Without a geometry buffer it only enlarges bounds. The layer colour
// (four sRGB bytes) is null for glyphs that are not colour layers.
template <int32_t kVariant>
void WriteGlyphGeometryVariant(const TextLayoutState *state, const VorlGlyphRecord *glyph, const float *box,
                               uint32_t word, const float *pen, const Matrix2D &matrix, const TextPaint *paint,
                               const uint8_t *layerColor, GeometryBuffer *geometry, Box2D *bounds);

// The variant that the buffer selects.
void WriteGlyphGeometry(const TextLayoutState *state, const VorlGlyphRecord *glyph, const float *box, uint32_t word,
                        const float *pen, const Matrix2D &matrix, const TextPaint *paint, const uint8_t *layerColor,
                        GeometryBuffer *geometry, Box2D *bounds);

// Cuts the glyph's em box to the state's clip rectangle (option 0x2, with 0x4 also in y) for a
// glyph at the pen with the glyph's x and y scale; a rotated glyph has em y along layout -x.
// When an edge is cut the word becomes the quad's clip bits. False when nothing is left.
[[nodiscard]] bool ClipGlyphQuad(const TextLayoutState *state, float *box, uint32_t *word, const float *pen,
                                 const float *scale, bool rotated);

}  // namespace oq
