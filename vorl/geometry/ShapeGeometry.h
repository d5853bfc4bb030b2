#pragma once

#include <cstdint>

#include "base/Matrix2D.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/VorlGraphicsFile.h"
#include "vorl/text/TextLayoutState.h"
#include "vorl/text/VorlFileGlyphRecord.h"

namespace oq {

// Shape writer flag: the location word is the shape's layer header (layered drawing).
inline constexpr uint32_t kShapeDrawLayers = 1;

// Writes one shape record at position P under the transform M (shape space is y up; the y row is
// negated): its bounding polygon under 'POLY', the three-vertex form under 'RECT', else the box
// quad (any other geometry type too). Without triangle memory the quad writes no triangles.
template <int32_t kVariant>
void WriteShapeGeometryVariant(const VorlShapeRecord *record, const float *position, const Matrix2D &transform,
                               const TextPaint *paint, uint32_t flags, uint32_t geometryType,
                               GeometryBuffer *geometry);

// The variant that the buffer selects.
void WriteShapeGeometry(const VorlShapeRecord *record, const float *position, const Matrix2D &transform,
                        const TextPaint *paint, uint32_t flags, uint32_t geometryType, GeometryBuffer *geometry);

// The vertices and triangles the glyph or shape writer produces for a polygon word and geometry
// type: the polygon's under 'POLY' with a drawable word, 3 and 0 under 'RECT', else the quad's
// 4 and 2 (any other type too, as the writers draw it).
void CountGlyphGeometry(uint32_t polygonWord, uint32_t geometryType, int32_t *vertexCount, int32_t *triangleCount);
void CountGlyphGeometry(const VorlGlyphRecord *record, uint32_t geometryType, int32_t *vertexCount,
                        int32_t *triangleCount);
void CountGlyphGeometry(const VorlShapeRecord *record, uint32_t geometryType, int32_t *vertexCount,
                        int32_t *triangleCount);

}  // namespace oq
