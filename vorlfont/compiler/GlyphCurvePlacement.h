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

// Finds curves already stored in the curve texture by the hash of their six halves. Open
// addressing over a table that doubles with the curves, so a lookup stays short in a font of
// millions of curves. Curves are placed at increasing texel positions, so the first curve added
// is the one at the lowest position.
class CurveHashTable
{
public:
    struct Entry
    {
        uint32_t hash;
        int32_t column;
        int32_t row;
    };

    CurveHashTable() = default;
    CurveHashTable(const CurveHashTable &) = delete;
    CurveHashTable &operator=(const CurveHashTable &) = delete;
    ~CurveHashTable();

    static uint32_t Hash(const uint16_t *halves);

    // Of the entries with the hash for which match(entry) is true, the first added; false when none.
    template <class Match>
    bool Find(uint32_t hash, Match match, Entry *found) const
    {
        if (slotCount == 0) return false;
        const uint32_t mask = uint32_t(slotCount - 1);
        uint32_t best = 0;
        for (uint32_t s = GetHome(hash) & mask;; s = (s + 1) & mask)
        {
            uint64_t slot = slots[s];
            if (slot == 0) break;
            uint32_t position = uint32_t(slot);
            if (uint32_t(slot >> 32) != hash || (best != 0 && position > best)) continue;
            Entry entry = {hash, int32_t((position - 1) % kRowWidth), int32_t((position - 1) / kRowWidth)};
            if (match(entry)) best = position, *found = entry;
        }
        return best != 0;
    }
    void Add(const Entry &entry);
    void Clear();
    // Grows an empty table at once to the smallest power of two of slots at least the count: a pass
    // that adds at most half as many curves as it places then never doubles.
    void Reserve(int64_t curveCount);

private:
    // Texel positions are row x 4096 + column, plus one (0 marks an empty slot).
    static constexpr uint32_t kRowWidth = 4096;
    static uint32_t GetHome(uint32_t hash) { return uint32_t((uint64_t(hash) * 0x9E3779B97F4A7C15ull) >> 32); }
    void Insert(uint64_t slot);
    // A fresh zeroed block of the slot count, the old entries inserted again.
    void Resize(int32_t newSlotCount);

    int32_t count = 0;
    int32_t slotCount = 0;
    uint64_t *slots = nullptr;  // hash << 32 | position; slotCount (a power of two) long
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
