#pragma once

#include <cmath>
#include <cstdint>

namespace oq {

// Largest coordinate magnitude, in ems, an imported outline may have.
inline constexpr float kMaxOutlineCoordinate = 1024.0f;

// True when an outline coordinate in ems is finite and within the limit.
inline bool IsOutlineCoordinateValid(float value) { return std::fabs(value) <= kMaxOutlineCoordinate; }

}  // namespace oq
