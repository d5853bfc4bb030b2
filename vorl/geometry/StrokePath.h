#pragma once

#include "base/Bezier.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/StrokeStyle.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>

namespace oq {

// Most curves of one stroked contour; further curves are not stroked.
inline constexpr int32_t kMaxStrokeCurves = 8192;

// A contour whose dashes would take more steps through the pattern than this is stroked solid.
inline constexpr int32_t kMaxStrokeDashSteps = 65536;

// Working area of the dash walk: for every curve of a contour the arc lengths to the end of each
// sixteenth of its parameter range. A null pointer passed to a stroke builder selects one static
// area (one thread at a time).
struct StrokeScratch
{
    float lengths[kMaxStrokeCurves][16];
};

// Stroke flags: bit 0 joins a contour whose last curve ends at its first curve's start; bit 1
// splits the curve array into contours.
inline constexpr uint32_t kStrokeClosed = 1;
inline constexpr uint32_t kStrokeContours = 2;

// Strokes one contour: trims the curves at both ends that end where they start with their
// control point there too (spurs stay), skips curves that are points, cuts dashes, and builds
// every piece with its joins and caps through the segment builder chosen from the texel format
// and the geometry formats. A dash pattern with a negative or non-finite entry, or a total not
// above 0, or one that needs more than kMaxStrokeDashSteps steps, strokes solid. With write
// false nothing is stored but every cursor moves as when writing.
void BuildPathStroke(const StrokeStyle &style, uint32_t flags, int32_t curveCount, const QuadraticBezier2D *curves,
                     TexelBuffer *curveTexels, GeometryBuffer *geometry, StrokeScratch *scratch, bool write);

// Strokes a path (each contour in turn with kStrokeContours). Returns false when the curve
// texels did not fit: a block whose row is not below the height, or a texture narrower than the
// largest block (6 texels), is not stored; all else is written.
[[nodiscard]] bool BuildStrokeGeometry(const StrokeStyle &style, uint32_t flags, int32_t curveCount,
                                       const QuadraticBezier2D *curves, TexelBuffer *curveTexels,
                                       GeometryBuffer *geometry, StrokeScratch *scratch);

// The dry run of BuildStrokeGeometry: the vertex and triangle counts and the curve cursor that
// building from the same cursor gives. Rows at or past the height are counted as well.
void CountStrokeGeometry(const StrokeStyle &style, uint32_t flags, int32_t curveCount,
                         const QuadraticBezier2D *curves, int32_t width, int32_t height, int32_t *cursor,
                         int32_t *vertexCount, int32_t *triangleCount, StrokeScratch *scratch);

}  // namespace oq
