#pragma once

#include "base/Bezier.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/ShapeScratch.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>

namespace oq {

// Builds one filled path (closed contours of quadratic curves) for the Vorl shaders: its curve
// texels, band texels and gradient paint texels, and one covering polygon (the box quad or a
// bounding polygon of 3-6 vertices). The path is normalised: scaled so that its larger extent is 1
// and moved so that its box starts at (0, 0); only vertex positions stay in the caller's space.
//
// Without write nothing goes into the geometry buffer, which still advances as with write. The
// texel cursors always advance (texels are stored only where the texel pointers are set).
// Returns false, leaving the geometry buffer alone, when the texels do not fit (the cursors stay
// where the writers stopped), or when the path's first contour alone has more than 8192 curves.
// A longer path is cut at its last contour boundary at or before curve 8192. A path with no
// curves or whose box has no width or height writes and advances nothing and returns true.
template <int32_t kVariant>
[[nodiscard]] bool BuildPathFillVariant(const FillStyle &style, int32_t count, const QuadraticBezier2D *curves,
                                        TexelBuffer *curveTexels, TexelBuffer *bandTexels, GeometryBuffer *geometry,
                                        const PathFillSettings *settings, ShapeScratch *scratch, bool write);

// The variant that the geometry buffer selects, with write.
[[nodiscard]] bool BuildPathFill(const FillStyle &style, int32_t count, const QuadraticBezier2D *curves,
                                 TexelBuffer *curveTexels, TexelBuffer *bandTexels, GeometryBuffer *geometry,
                                 const PathFillSettings *settings, ShapeScratch *scratch);

// A dry run of BuildPathFill on textures of the given sizes: moves both cursors (column, row)
// exactly as the build will and gives the vertex and triangle counts it writes. False exactly when
// the build would fail (counts 0).
[[nodiscard]] bool CountPathFill(const FillStyle &style, int32_t count, const QuadraticBezier2D *curves,
                                 int32_t curveWidth, int32_t curveHeight, int32_t *curveCursor, int32_t bandWidth,
                                 int32_t bandHeight, int32_t *bandCursor, int32_t *vertexCount,
                                 int32_t *triangleCount, const PathFillSettings *settings, ShapeScratch *scratch);

// The number of leading curves a fill uses: all up to 8192, else up to the last contour boundary at
// or before 8192 (0 when the first contour is longer). A contour ends where the next curve does not
// start at its end point or where it returns to its own start.
int32_t GetFillCurveCount(int32_t count, const QuadraticBezier2D *curves);

}  // namespace oq
