#pragma once

#include <cstdint>

#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/VorlGraphicsFile.h"

namespace oq {

// Writes every layer of icon number icon of a validated graphics file (the header points into the
// file image): shape layers through the shape writer with the layer's colour, mesh layers as
// their prebuilt vertices. Icon points land at P + (sx * x, -sy * y). An icon number outside the
// file writes nothing.
template <int32_t kVariant>
void BuildIconGeometryVariant(const VorlGraphicsHeader *header, int32_t icon, const float *position,
                              const float *scale, uint32_t geometryType, GeometryBuffer *geometry);

// The variant that the buffer selects.
void BuildIconGeometry(const VorlGraphicsHeader *header, int32_t icon, const float *position, const float *scale,
                       uint32_t geometryType, GeometryBuffer *geometry);

// The vertices and triangles BuildIconGeometry writes for the icon (0 and 0 for an icon number
// outside the file).
void CountIconGeometry(const VorlGraphicsHeader *header, int32_t icon, uint32_t geometryType, int32_t *vertexCount,
                       int32_t *triangleCount);

}  // namespace oq
