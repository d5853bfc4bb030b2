#pragma once

#include "base/Color.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/StrokeOffsets.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>

namespace oq {

// Writes the join at the start of the current piece, where the previous piece ends: a miter,
// bevel or round polygon and its contour block in the current piece's em space. The straight
// family joins two straight pieces through their inner corner; the other covers both butt ends.
// The caller writes a join only where the two tangents cross by more than 2^-14.
using WriteStrokeJoinFunction = void (*)(const StrokeEnd &previousEnd, const StrokeOffsets &current, float scale,
                                         const Vector2D &offset, float halfWidth, const ColorRGBA &color,
                                         uint32_t join, float miterLimit, GeometryBuffer *geometry,
                                         TexelBuffer *curveTexels, bool write);

// Variant k: 4 x float32 texels + 2 x float colour + 32-bit indices.
extern const WriteStrokeJoinFunction kWriteStraightStrokeJoinVariants[8];
extern const WriteStrokeJoinFunction kWriteStrokeJoinVariants[8];

}  // namespace oq
