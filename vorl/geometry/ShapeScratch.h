#pragma once

#include "base/Bezier.h"
#include "base/Box2D.h"

#include <cstdint>

namespace oq {

inline constexpr int32_t kMaxShapeCurves = 8192;
inline constexpr int32_t kMaxShapeBands = 32;  // per axis

// Working area of the fill and shape-data builders: room for 8192 curves in each of 64 bands.
// A null pointer passed to a builder selects one static area (one thread at a time).
struct ShapeScratch
{
    QuadraticBezier2D curves[kMaxShapeCurves];  // the path after normalisation
    Box2D exactBoxes[kMaxShapeCurves];
    Box2D controlBoxes[kMaxShapeCurves];
    uint16_t curveLocations[kMaxShapeCurves][2];  // column, row of the curve's first texel
    uint16_t bandCurveCounts[kMaxShapeBands * 2];  // horizontal bands, then vertical bands
    uint32_t bandListStarts[kMaxShapeBands * 2];   // in list entries, same order
    // For band i: horizontal band i's smallest control-box min x, vertical band i's smallest min y,
    // horizontal band i's largest max x, vertical band i's largest max y.
    float bandExtents[kMaxShapeBands][4];
    uint16_t bandLists[kMaxShapeCurves * kMaxShapeBands * 2];  // horizontal lists, then vertical lists
    // The last fill's bounding polygon and the exact search inputs it came from, so that counting
    // and then building the same path search once. A curve count of 0 keeps nothing.
    int32_t polygonCurveCount = 0;
    int32_t polygonVertexLimit = 0;
    float polygonEdgeFactor = 0.0f;
    uint32_t polygonWord = 0;
    uint16_t polygonVertices[12] = {};
    QuadraticBezier2D polygonCurves[kMaxShapeCurves];  // normalised, as searched
};

static_assert(sizeof(ShapeScratch) == 1737640);

// The library's static area, or the caller's.
ShapeScratch *GetShapeScratch(ShapeScratch *scratch);

// Limits of a run-time fill; a null pointer stands for {16, 0, 1}.
struct PathFillSettings
{
    int32_t maxBandCount;
    int32_t polygonVertexCount;  // largest bounding polygon the fill may use; 0 = always the box quad
    float polygonEdgeFactor;     // weight of interior polygon edges
};

inline constexpr PathFillSettings kDefaultPathFillSettings = {16, 0, 1.0f};

// The services below refuse (return false, write nothing) more than 8192 curves.

// Fills the scratch's exact and control box of each curve and returns the union of the exact boxes
// in box; with no curves the box is all zero.
[[nodiscard]] bool ComputeShapeCurveExtents(Box2D *box, int32_t count, const QuadraticBezier2D *curves,
                                            ShapeScratch *scratch);

// Chooses the band counts along x (bx) and y (by), at most min(maximum, 32) each, that give the
// smallest largest band; needs both box arrays of the scratch. No curves gives (0, 0).
[[nodiscard]] bool ChooseShapeBandCounts(int32_t *bx, int32_t *by, int32_t count, const Box2D &box,
                                         int32_t maximum, ShapeScratch *scratch);

// Fills the scratch's band lists (curve numbers in path order), counts, starts and extents:
// the by horizontal bands, then the bx vertical bands.
[[nodiscard]] bool BuildShapeBandLists(int32_t count, const Box2D &box, int32_t bx, int32_t by,
                                       ShapeScratch *scratch);

// Writes each curve as two texels (p0, p1), (p2, 0, 0) at the cursor, sharing a texel with the
// previous curve of the call when it starts where that one ends; records every curve's location.
// Groups never cross a row end. False when a row at or past the height would be needed (the cursor
// is left on that row). Null texels count only.
[[nodiscard]] bool WriteShapeCurveTexels(int32_t count, const QuadraticBezier2D *curves, void *texels,
                                         uint32_t format, int32_t width, int32_t height, int32_t *cursor,
                                         ShapeScratch *scratch);

// Writes the band data: an optional paint texel (the paint location), the header block of by + bx
// (count, offset) headers at the returned location (followed by one zeroed spare texel when there is
// a paint texel), then the curve lists, each sorted by decreasing control-box max x (horizontal
// bands) or max y (vertical bands). A band equal to its predecessor on the same axis shares its
// list. False when the rows run out, a group is wider than a row or an offset exceeds 65535.
[[nodiscard]] bool WriteShapeBandTexels(int32_t bx, int32_t by, void *texels, int32_t width, int32_t height,
                                        int32_t *cursor, const int32_t *paintLocation, int32_t *location,
                                        ShapeScratch *scratch);

}  // namespace oq
