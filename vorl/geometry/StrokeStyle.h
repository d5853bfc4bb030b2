#pragma once

#include "base/Color.h"

#include <cstdint>

namespace oq {

// Stroke caps and joins.
inline constexpr uint32_t kStrokeCapFlat = 'FLAT';
inline constexpr uint32_t kStrokeCapSquare = 'SQUA';
inline constexpr uint32_t kStrokeCapRound = 'ROND';
inline constexpr uint32_t kStrokeCapTriangle = 'TRIA';
inline constexpr uint32_t kStrokeJoinBevel = 'BEVL';
inline constexpr uint32_t kStrokeJoinRound = 'ROND';

// The paint and pen of a stroked path; the dash array belongs to the caller.
struct StrokeStyle
{
    float width;  // full width; the builders use half of it
    ColorRGBA color;
    uint32_t cap;
    uint32_t join;
    float miterLimit;
    int32_t dashCount;  // 0 = solid
    float dashPhase;    // distance into the pattern at which the path starts
    const float *dashArray;  // alternating dash and gap lengths
};

// Width 1, opaque black, flat caps, bevel joins, miter limit 4, solid.
void ResetStrokeStyle(StrokeStyle *style);

}  // namespace oq
