#pragma once

#include "base/Array.h"
#include "base/Bezier.h"

#include <cstdint>

namespace oq {

// The outline effect's shape: every contour of a glyph offset outward by the size, with a mitre,
// bevel ('BEVL') or round join (any other join) at each sharp corner. Curves of three equal points
// are dropped first. A contour ends at the curve that returns to its first point, where the next
// curve does not start at this one's end, or at the end of the list; each output contour is
// closed. Writes into output (resized; room for count + 4 x sharp corners is reserved) and
// returns the number of curves written.
int32_t BuildGlyphCurveList(int32_t count, const QuadraticBezier2D *curves, float size, float miterLimit,
                            uint32_t join, Array<QuadraticBezier2D> *output);

}  // namespace oq
