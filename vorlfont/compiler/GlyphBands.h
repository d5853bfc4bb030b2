#pragma once

#include "ambrel/GlyphStructure.h"
#include "base/Array.h"
#include "base/Bezier.h"
#include "vorl/geometry/TexelBuffer.h"
#include "vorlfont/compiler/GlyphCurvePlacement.h"

#include <cstdint>

namespace oq {

// Band counts of one glyph: vertical bands divide the box's x extent, horizontal bands its y extent.
struct GlyphBandCounts
{
    int32_t vertical;
    int32_t horizontal;

    int32_t GetTotal() const { return vertical + horizontal; }
};

// The sorted curve lists of one glyph's bands, horizontal bands first (band 0 at the bottom), then
// vertical ones (band 0 at the left). Entries are 32-bit: a glyph's lists together reach bands x
// curves entries. Kept between glyphs so the storage is reused.
struct GlyphBandLists
{
    Array<uint32_t> counts;    // one per band
    Array<uint32_t> starts;    // where each band's list starts in entries
    Array<uint32_t> entries;   // curve indexes
    Array<int32_t> order;      // scratch: curve indexes sorted by key
    Array<float> keys;         // scratch
    Array<float> lows;         // scratch: extents of the crossing curves in sort order
    Array<float> highs;
    Array<int32_t> crossing;   // scratch: those curves' indexes
};

// Which band's list a band's list lies in, and where inside it.
struct BandPacking
{
    int32_t band;
    int32_t offset;
};

// Limits of the formats (with kMaxGlyphCurves, the uint16 curve count): lists within one
// 4096-texel row, header offsets of 16 bits.
constexpr int32_t kMaxBandListLength = 4096;
constexpr int32_t kMaxBandHeaderOffset = 65535;

// Chooses the band counts (1 to min(maximum, 32) from the fixed candidates) that lower the
// busiest band's curve count; an axis without extent gets 1 band.
GlyphBandCounts ChooseBandCounts(int32_t count, const QuadraticBezier2D *curves, const Box2D &box, int32_t maximum);

// Bands per em unit along x and y: count / extent, 0 for an axis without extent.
void ComputeBandScales(const GlyphBandCounts &counts, const Box2D &box, float *scales);

// Lists for every band the curves not parallel to it whose extent meets its slice widened by
// 1/1024, by the largest control-point x (horizontal bands) or y, descending, equal keys in curve
// order. False for more than 65,535 curves or a list longer than 4096 curves.
[[nodiscard]] bool BuildBandLists(int32_t count, const QuadraticBezier2D *curves, const Box2D &box,
                                  const GlyphBandCounts &counts, GlyphBandLists *lists);

// For each band the band (of the same direction) whose list holds its list as a run, earlier
// bands first, then later longer ones, else itself. packing holds counts.GetTotal() records.
void PackBandLists(const GlyphBandCounts &counts, const GlyphBandLists &lists, BandPacking *packing);

// Writes the header texels at the band cursor (the caller made room for them in the row) and the
// lists that bands own, each within one row. False when the texture runs out of rows or a header
// offset passes 65,535.
[[nodiscard]] bool WriteBandTexels(const GlyphBandLists &lists, const GlyphBandCounts &counts,
                                   const BandPacking *packing, const CurveLocation *locations, TexelBuffer *band);

}  // namespace oq
