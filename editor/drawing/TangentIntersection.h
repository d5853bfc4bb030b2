#pragma once

#include "base/Point2D.h"
#include "base/Vector2D.h"

namespace oq {

// Below this |n0 x n1| (relative to |n0| |n1|) two tangents count as parallel.
inline constexpr float kParallelTangentLimit = 1e-6f;

// The control point of a quadratic piece of an offset arc from a to b: where the tangent through a
// (perpendicular to the normal na) meets the tangent through b (perpendicular to nb). When the
// tangents are parallel or nearly so (or a normal is zero), or the meeting point is not finite,
// the midpoint of a and b. A piece turns at most a quarter, so its meeting point lies within half
// the chord of the chord's midpoint: one farther than the whole chord comes from rounding in nearly
// parallel tangents and also gives the midpoint.
Point2D IntersectOffsetTangents(const Point2D &a, const Vector2D &na, const Point2D &b, const Vector2D &nb);

}  // namespace oq
