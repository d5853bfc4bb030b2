#pragma once

#include "base/Color.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/StrokeOffsets.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>

namespace oq {

// Writes the cap of an open stroke end: the rectangle from the end line w outward, with a
// triangle ('TRIA'), square ('SQUA') or half-disc ('ROND') contour in one texel block. Any other
// cap writes nothing. The end is seen from outside: its direction points out of the stroke.
using WriteStrokeCapFunction = void (*)(const StrokeEnd &end, float scale, const Vector2D &offset, float halfWidth,
                                        const ColorRGBA &color, uint32_t cap, GeometryBuffer *geometry,
                                        TexelBuffer *curveTexels, bool write);

// Variant k: 4 x float32 texels + 2 x float colour + 32-bit indices.
extern const WriteStrokeCapFunction kWriteStrokeCapVariants[8];

}  // namespace oq
