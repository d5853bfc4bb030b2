#pragma once

#include "base/Array.h"
#include "base/Bezier.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>

namespace oq {

// Texture buffers of the glyph builders are TexelBuffers whose height is the row limit (2048 curve
// rows, 8192 band rows); curve texels are four halves, band texels two uint16.

// A curve's place in the curve texture: the column and row of its first texel.
struct CurveLocation
{
    int32_t column;
    int32_t row;
};

// Finds curves already stored in the curve texture by the hash of their six halves.
class CurveHashTable
{
public:
    struct Entry
    {
        uint32_t hash;
        int32_t column;
        int32_t row;
    };

    static constexpr int32_t kBucketCount = 512;

    static uint32_t Hash(const uint16_t *halves);

    Array<Entry, 4> &GetBucket(uint32_t hash) { return buckets[hash & (kBucketCount - 1)]; }
    void Clear();

private:
    Array<Entry, 4> buckets[kBucketCount];
};

// Zeroes the rest of the cursor's row and moves the cursor to the start of the next row; false
// when that row reaches the buffer height. Texels of texelSize bytes (8 curve, 4 band).
[[nodiscard]] bool StartTexelRow(TexelBuffer *buffer, int32_t texelSize);

// Zeroes the band texels from the cursor to the end of the current row.
void ClearBandTexelRow(TexelBuffer *band);

// Stores the curves in the curve texture, sharing identical curves through the table and the
// texel where a curve starts at the previous one's end; writes each curve's location. False when
// the texture runs out of rows.
[[nodiscard]] bool PlaceGlyphCurves(int32_t count, const QuadraticBezier2D *curves, CurveLocation *locations,
                                    CurveHashTable *table, TexelBuffer *curve);

// Appends one ContourList word per run of curves whose first texels follow each other in a row
// (at most 128 curves a run).
void EncodeContourRuns(int32_t count, const CurveLocation *locations, Array<uint32_t> *contourList);

// The union of the curves' tight boxes; a zero box for no curve.
Box2D UnionGlyphBoxes(int32_t count, const QuadraticBezier2D *curves);

}  // namespace oq
