#pragma once

#include "base/Bezier.h"
#include "base/Point2D.h"
#include "base/Vector2D.h"

namespace oq {

// Whether the point lies within the tolerance of the segment from a to b: in the rectangle around
// the segment that reaches the tolerance to either side and past either end (all tests strict). A
// degenerate segment is never hit.
bool IsPointNearSegment(const Point2D &point, const Point2D &a, const Point2D &b, float tolerance);

// The 8 straight curves of the rectangular frame whose middle line is the rectangle spanned by a
// and b in the frame of the direction and its left normal, 2 × halfWidth thick: the outer
// rectangle, then the inner one in the opposite winding.
void BuildSegmentOutline(const Point2D &a, const Point2D &b, const Vector2D &direction, float halfWidth,
                         QuadraticBezier2D curves[8]);

}  // namespace oq
