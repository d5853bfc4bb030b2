#pragma once

#include "base/Bezier.h"

#include <cstdint>

namespace oq {

class Design;

// Room one drawn integral sign needs: 20 curves, 22 when it grows.
inline constexpr int32_t kIntegralSignOutlineCurves = 22;
// The sign's height over its scale w (the outline is about 1.733 w tall).
inline constexpr float kIntegralSignScale = 0.5770715F;

// One drawn integral sign centred on x = 0 and on the math axis (E x axis), slanted by the design's
// 'intg'/'slnt'; scale is the outline's unit w and grow the extension of each half away from the axis
// (both in points). Writes 20 closed curves, or 22 with two straight connectors when grow is not 0,
// and the half width (the x of the hooks' vertical tangent, or the outline's extent when a backward
// slant carries the hooks past the centre). Returns the curve count.
int32_t BuildIntegralSignOutline(const Design *design, float em, float scale, float grow, QuadraticBezier2D *out,
                                 float *halfWidth);

}  // namespace oq
