#pragma once

#include "base/Bezier.h"

#include <cstdint>

namespace oq {

// Closed outlines built for a given length instead of taken from a font: curly braces, tortoise-shell
// brackets and arrowheads. Each builder writes counter-clockwise contours (positive area, y up) in a
// local frame the caller moves, mirrors or turns; a straight edge has its control point on its end.

// Room each builder needs in its output.
inline constexpr int32_t kBraceOutlineCurves = 15;
inline constexpr int32_t kShellBracketOutlineCurves = 8;
inline constexpr int32_t kArrowheadOutlineCurves = 6;

// 1 / sqrt(q) for a squared length q; infinity when q is below the smallest normal float.
float GetGuardedInverseLength(float q);

// A curly brace along y from 0 to length, its apex pointing to -x at y = length / 2 and its ends at
// (2 hookWidth, 0) and (2 hookWidth, length); the strokes are centred on x = hookWidth. control is
// the hook's control position (0 to 1); the thicknesses are those of the main strokes, the square-cut
// ends and the flat apex. Returns 15.
int32_t BuildBraceOutline(float length, float hookWidth, float hookLength, float control, float thickness,
                          float endThickness, float apexThickness, QuadraticBezier2D *out);

// A tortoise-shell bracket: a spine centred on x = 0 from y = hookLength to length - hookLength,
// hooks to (hookWidth, 0) and (hookWidth, length) ending square with endThickness. Returns 8.
int32_t BuildShellBracketOutline(float length, float hookWidth, float hookLength, float thickness,
                                 float endThickness, QuadraticBezier2D *out);

// What an arrowhead builder reports besides its curves.
struct ArrowheadExtent
{
    float lateral;  // how far the barbs reach from the axis
    float join;     // the x where the shaft joins (the notch)
    float minX;     // the head's extent along x
    float maxX;
};

// The arrowhead core: a head pointing to +x with its tip near (length, 0) and its barbs near x = 0,
// halfWidth from the axis. innerThickness and outerThickness are the widths of the inner and outer
// edges' strokes (the barb ends are cut with the outer one; no caps when it is 0), curvature 0 to 1
// bends the edges (0 or less: straight). The half head is the upper barb only, closed along the
// axis. The larger thickness is reduced where the two differ so much that the tip or the notch would
// run off. Returns the curve count: 6 or 4 whole, 4 or 3 half.
int32_t BuildArrowheadOutline(float length, float halfWidth, float innerThickness, float outerThickness,
                              float curvature, bool half, QuadraticBezier2D *out, ArrowheadExtent *extent);

// The whole head pointing to +x, and turned to point to -x with its barbs at x = length.
int32_t BuildArrowhead(float length, float halfWidth, float innerThickness, float outerThickness, float curvature,
                       QuadraticBezier2D *out, ArrowheadExtent *extent);
int32_t BuildArrowheadReversed(float length, float halfWidth, float innerThickness, float outerThickness,
                               float curvature, QuadraticBezier2D *out, ArrowheadExtent *extent);

// Half heads on a shaft of the given thickness centred on the axis: the upper barb, its flat side
// along the shaft's lower edge, pointing to +x or (reversed) to -x, and flipped to the lower barb
// along the upper edge. The lateral extent is the barb's reach from the axis.
int32_t BuildHalfArrowhead(float length, float halfWidth, float innerThickness, float outerThickness,
                           float curvature, float shaftThickness, QuadraticBezier2D *out, ArrowheadExtent *extent);
int32_t BuildHalfArrowheadReversed(float length, float halfWidth, float innerThickness, float outerThickness,
                                   float curvature, float shaftThickness, QuadraticBezier2D *out,
                                   ArrowheadExtent *extent);
int32_t BuildHalfArrowheadFlipped(float length, float halfWidth, float innerThickness, float outerThickness,
                                  float curvature, float shaftThickness, QuadraticBezier2D *out,
                                  ArrowheadExtent *extent);
int32_t BuildHalfArrowheadReversedFlipped(float length, float halfWidth, float innerThickness,
                                          float outerThickness, float curvature, float shaftThickness,
                                          QuadraticBezier2D *out, ArrowheadExtent *extent);

}  // namespace oq
