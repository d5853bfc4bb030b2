#pragma once

#include "base/Bezier.h"

#include <cstdint>

namespace oq {

// Outlines of ellipses, arcs and rounded rectangles as quadratic curves, built from one table of
// twelve 30-degree unit-circle segments (segments 12-23 repeat 0-11). Consecutive curves share their
// joining points exactly. With null output each returns only its curve count.

// Segments first .. last (0-23) mapped to centre + (rx x, ry y), counter-clockwise (y up).
// Returns last - first + 1 (0 or less writes nothing).
int32_t AppendEllipseCurves(float centerX, float centerY, float rx, float ry, QuadraticBezier2D *output,
                            int32_t first, int32_t last);
// The same arc backwards: segment last first, each with its points reversed.
int32_t AppendEllipseCurvesReversed(float centerX, float centerY, float rx, float ry, QuadraticBezier2D *output,
                                    int32_t first, int32_t last);

// The rectangle (x0, y0)-(x1, y1) with corners of radii (rx, ry), limited to half its size:
// 16 curves counter-clockwise from (x0 + rx, y0), or its 4 sides when a limited radius is 0.
int32_t AppendRoundedRectCurves(float x0, float y0, float x1, float y1, float rx, float ry,
                                QuadraticBezier2D *output);
// The same outline clockwise.
int32_t AppendRoundedRectCurvesReversed(float x0, float y0, float x1, float y1, float rx, float ry,
                                        QuadraticBezier2D *output);
// Only the two corners at x0 (left) or at x1 (right) rounded: 10 curves, or 4.
int32_t AppendLeftRoundedRectCurves(float x0, float y0, float x1, float y1, float rx, float ry,
                                    QuadraticBezier2D *output);
int32_t AppendRightRoundedRectCurves(float x0, float y0, float x1, float y1, float rx, float ry,
                                     QuadraticBezier2D *output);

}  // namespace oq
