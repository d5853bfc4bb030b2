#pragma once

#include "base/Color.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/StrokeOffsets.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>

namespace oq {

// Builds one stroked piece: the join at its start (when startCap is 0), its polygon and its
// four-curve contour block, and the caps of its open ends. A piece whose tangents turn by more
// than 60 degrees is split and built as two halves (two levels deep at most). With write false
// nothing is stored but every cursor moves as when writing.
using BuildStrokeSegmentFunction = void (*)(const QuadraticBezier2D &curve, StrokeOffsets *current,
                                            const StrokeOffsets &previous, const StrokeOffsets &next, float halfWidth,
                                            const ColorRGBA &color, uint32_t startCap, uint32_t endCap,
                                            uint32_t join, float miterLimit, GeometryBuffer *geometry,
                                            TexelBuffer *curveTexels, bool write, int32_t depth);

// Variant k: 4 x float32 texels + 2 x float colour + 32-bit indices (GetStrokeVariant); defined
// for k = 0 to 7.
template <int32_t kVariant>
void BuildStrokeSegmentVariant(const QuadraticBezier2D &curve, StrokeOffsets *current, const StrokeOffsets &previous,
                               const StrokeOffsets &next, float halfWidth, const ColorRGBA &color, uint32_t startCap,
                               uint32_t endCap, uint32_t join, float miterLimit, GeometryBuffer *geometry,
                               TexelBuffer *curveTexels, bool write, int32_t depth);

extern const BuildStrokeSegmentFunction kBuildStrokeSegmentVariants[8];

// Turns and crossings at or below this magnitude count as straight (2^-14).
inline constexpr float kStrokeStraightTolerance = 0.00006103515625f;

}  // namespace oq
