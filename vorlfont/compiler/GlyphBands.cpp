#include "vorlfont/compiler/GlyphBands.h"

#include "base/ScalarMath.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

constexpr float kBandMargin = 1.0f / 1024.0f;
constexpr int32_t kBandCandidates[16] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 28, 32};

// The curve's extent along the axis (0 x, 1 y); false when its three control points share that
// coordinate (the curve is parallel to the bands of the axis).
bool GetAxisExtent(const QuadraticBezier2D &c, int32_t axis, float *lo, float *hi)
{
    float a = (axis == 0) ? c.p0.x : c.p0.y;
    float b = (axis == 0) ? c.p1.x : c.p1.y;
    float d = (axis == 0) ? c.p2.x : c.p2.y;
    if (a == b && b == d) return false;
    if (axis == 0)
        c.GetXExtent(lo, hi);
    else
        c.GetYExtent(lo, hi);
    return true;
}

// Largest control-point coordinate along the axis; NaN sorts last.
float GetSortKey(const QuadraticBezier2D &c, int32_t axis)
{
    float a = (axis == 0) ? c.p0.x : c.p0.y;
    float b = (axis == 0) ? c.p1.x : c.p1.y;
    float d = (axis == 0) ? c.p2.x : c.p2.y;
    float m = a;
    if (b > m) m = b;
    if (d > m) m = d;
    return (m == m) ? m : FloatMinusInfinity;
}

inline float GetExtent(const Box2D &box, int32_t axis)
{
    return (axis == 0) ? box.max.x - box.min.x : box.max.y - box.min.y;
}

inline float GetStart(const Box2D &box, int32_t axis) { return (axis == 0) ? box.min.x : box.min.y; }

// How many of the m ascending values are at most x (or, with strict, below x): a search whose
// steps depend only on m, so the band edges cost no mispredicted branches.
template <bool strict>
int32_t CountBelow(const float *values, int32_t m, float x)
{
    if (m == 0) return 0;
    const float *base = values;
    int32_t n = m;
    while (n > 1)
    {
        int32_t half = n / 2;
        bool below = strict ? base[half] < x : base[half] <= x;
        base = below ? base + half : base;
        n -= half;
    }
    bool below = strict ? *base < x : *base <= x;
    return int32_t(base - values) + (below ? 1 : 0);
}

int32_t ChooseAxisCount(int32_t count, const QuadraticBezier2D *curves, float start, float extent, int32_t axis,
                        int32_t maximum)
{
    if (!(extent > 0.0f)) return 1;
    // The extents of the curves not parallel to the bands, taken once.
    Array<float, 128> lows, highs;
    lows.SetElementCount(count);
    highs.SetElementCount(count);
    int32_t m = 0;
    for (int32_t k = 0; k < count; ++k)
    {
        if (GetAxisExtent(curves[k], axis, &lows[m], &highs[m])) ++m;
    }

    // With every extent ordered (low <= high, no NaN), a band's load is the number of curves
    // starting at or below its top less those ending below its bottom: counts in the sorted ends
    // that only grow from band to band, as the band edges do. Otherwise curve by curve.
    bool ordered = true;
    for (int32_t k = 0; k < m; ++k) ordered = ordered && lows[k] <= highs[k];
    Array<float, 256> sortedEnds;
    sortedEnds.SetElementCount(ordered ? 2 * m : 0);
    float *sortedLows = sortedEnds.GetElements();
    float *sortedHighs = sortedLows + m;
    if (ordered)
    {
        std::copy(lows.begin(), lows.begin() + m, sortedLows);
        std::copy(highs.begin(), highs.begin() + m, sortedHighs);
        std::sort(sortedLows, sortedLows + m);
        std::sort(sortedHighs, sortedHighs + m);
    }

    // The most curves meeting at one point (at a low end): no band holding that point carries fewer.
    int32_t depth = 0;
    float deepest = 0.0f;
    if (ordered)
    {
        int32_t below = 0;
        for (int32_t j = 0; j < m; ++j)
        {
            while (below < m && sortedHighs[below] < sortedLows[j]) ++below;
            if (j + 1 - below > depth)
            {
                depth = j + 1 - below;
                deepest = sortedLows[j];
            }
        }
    }

    int32_t result = 1;
    int32_t smallest = count;
    for (int32_t n : kBandCandidates)
    {
        if (n > maximum) break;
        float w = extent / float(n);
        // Once the best count carries only that many, a count whose bands hold the point cannot win.
        if (smallest <= depth && deepest >= start + float(0) * w - kBandMargin &&
            deepest <= start + float(n) * w + kBandMargin)
            continue;
        int32_t cost = 0;
        for (int32_t i = 0; i < n; ++i)
        {
            float lo = start + float(i) * w - kBandMargin;
            float hi = start + float(i + 1) * w + kBandMargin;
            int32_t load = 0;
            if (ordered && lo <= hi)
            {
                load = CountBelow<false>(sortedLows, m, hi) - CountBelow<true>(sortedHighs, m, lo);
            }
            else
            {
                for (int32_t k = 0; k < m; ++k) load += (lows[k] <= hi && highs[k] >= lo) ? 1 : 0;
            }
            if (load > cost) cost = load;
            if (cost >= smallest) break;  // this count can no longer win
        }
        if (cost < smallest)
        {
            smallest = cost;
            result = n;
        }
    }
    return result;
}

// Does the list (first, length c) occur in list a at some offset? Writes the first offset.
bool FindRun(const uint32_t *list, uint32_t c, const uint32_t *other, uint32_t length, int32_t *offset)
{
    if (c > length) return false;
    if (c == 0)
    {
        *offset = 0;
        return true;
    }
    // The first entry is tested inline; the rest only where it matches.
    for (uint32_t o = 0; o + c <= length; ++o)
    {
        if (other[o] == list[0] && memcmp(other + o + 1, list + 1, size_t(c - 1) * 4) == 0)
        {
            *offset = int32_t(o);
            return true;
        }
    }
    return false;
}

}  // namespace

GlyphBandCounts ChooseBandCounts(int32_t count, const QuadraticBezier2D *curves, const Box2D &box, int32_t maximum)
{
    int32_t m = (maximum < 32) ? maximum : 32;
    GlyphBandCounts counts;
    counts.vertical = ChooseAxisCount(count, curves, box.min.x, GetExtent(box, 0), 0, m);
    counts.horizontal = ChooseAxisCount(count, curves, box.min.y, GetExtent(box, 1), 1, m);
    return counts;
}

void ComputeBandScales(const GlyphBandCounts &counts, const Box2D &box, float *scales)
{
    float w = GetExtent(box, 0);
    float h = GetExtent(box, 1);
    scales[0] = (w > 0.0f) ? float(counts.vertical) / w : 0.0f;
    scales[1] = (h > 0.0f) ? float(counts.horizontal) / h : 0.0f;
}

bool BuildBandLists(int32_t count, const QuadraticBezier2D *curves, const Box2D &box, const GlyphBandCounts &counts,
                    GlyphBandLists *lists)
{
    if (count < 0 || count > kMaxGlyphCurves) return false;
    int32_t total = counts.GetTotal();
    lists->counts.SetElementCount(total);
    lists->starts.SetElementCount(total);
    lists->entries.SetElementCount(0);
    lists->order.SetElementCount(count);
    lists->keys.SetElementCount(count);
    lists->lows.SetElementCount(count);
    lists->highs.SetElementCount(count);
    lists->crossing.SetElementCount(count);

    // Horizontal bands slice y and sort by x; vertical bands slice x and sort by y.
    for (int32_t direction = 0; direction < 2; ++direction)
    {
        int32_t axis = (direction == 0) ? 1 : 0;
        int32_t sortAxis = 1 - axis;
        int32_t bands = (direction == 0) ? counts.horizontal : counts.vertical;
        int32_t first = (direction == 0) ? 0 : counts.horizontal;

        int32_t *order = lists->order.GetElements();
        float *keys = lists->keys.GetElements();
        for (int32_t k = 0; k < count; ++k)
        {
            order[k] = k;
            keys[k] = GetSortKey(curves[k], sortAxis);
        }
        std::stable_sort(order, order + count, [keys](int32_t a, int32_t b) { return keys[a] > keys[b]; });

        // The extents in sort order, taken once; a curve parallel to the bands has none.
        float *lows = lists->lows.GetElements();
        float *highs = lists->highs.GetElements();
        int32_t *crossing = lists->crossing.GetElements();
        int32_t m = 0;
        for (int32_t k = 0; k < count; ++k)
        {
            if (GetAxisExtent(curves[order[k]], axis, &lows[m], &highs[m])) crossing[m++] = order[k];
        }

        float start = GetStart(box, axis);
        float w = (bands > 0) ? GetExtent(box, axis) / float(bands) : 0.0f;
        for (int32_t i = 0; i < bands; ++i)
        {
            float lo = start + float(i) * w - kBandMargin;
            float hi = start + float(i + 1) * w + kBandMargin;
            // Every crossing curve is written and kept only when it meets the band (no branch).
            int32_t begin = lists->entries.GetElementCount();
            if (begin + m > lists->entries.GetReservedCount()) lists->entries.SetReservedCount(begin + m);
            uint32_t *out = lists->entries.GetElements() + begin;
            uint32_t length = 0;
            for (int32_t k = 0; k < m; ++k)
            {
                out[length] = uint32_t(crossing[k]);
                length += (lows[k] <= hi && highs[k] >= lo) ? 1 : 0;
            }
            lists->entries.SetElementCount(begin + int32_t(length));
            if (length > uint32_t(kMaxBandListLength)) return false;
            lists->counts[first + i] = length;
            lists->starts[first + i] = begin;
        }
    }
    return true;
}

void PackBandLists(const GlyphBandCounts &counts, const GlyphBandLists &lists, BandPacking *packing)
{
    const uint32_t *entries = lists.entries.GetElements();
    for (int32_t direction = 0; direction < 2; ++direction)
    {
        int32_t first = (direction == 0) ? 0 : counts.horizontal;
        int32_t bands = (direction == 0) ? counts.horizontal : counts.vertical;
        for (int32_t b = first; b < first + bands; ++b)
        {
            uint32_t c = lists.counts[b];
            const uint32_t *list = entries + lists.starts[b];
            packing[b] = {b, 0};
            bool found = false;
            for (int32_t a = first; a < b && !found; ++a)
            {
                int32_t offset;
                if (FindRun(list, c, entries + lists.starts[a], lists.counts[a], &offset))
                {
                    packing[b] = {a, offset};
                    found = true;
                }
            }
            for (int32_t a = b + 1; a < first + bands && !found; ++a)
            {
                int32_t offset;
                if (lists.counts[a] > c && FindRun(list, c, entries + lists.starts[a], lists.counts[a], &offset))
                {
                    packing[b] = {a, offset};
                    found = true;
                }
            }
        }
    }
}

bool WriteBandTexels(const GlyphBandLists &lists, const GlyphBandCounts &counts, const BandPacking *packing,
                     const CurveLocation *locations, TexelBuffer *band)
{
    auto *texels = static_cast<uint32_t *>(band->texels);
    const int32_t width = band->width;
    const int32_t total = counts.GetTotal();
    uint32_t *headers = texels + size_t(band->cursorY) * width + band->cursorX;
    band->cursorX += total;
    int64_t d = total;

    // Offsets of the bands that own their lists, -1 for the others.
    Array<int64_t, 64> own;
    own.SetElementCount(total);
    const uint32_t *entries = lists.entries.GetElements();

    for (int32_t direction = 0; direction < 2; ++direction)
    {
        int32_t first = (direction == 0) ? 0 : counts.horizontal;
        int32_t bands = (direction == 0) ? counts.horizontal : counts.vertical;
        for (int32_t b = first; b < first + bands; ++b)
        {
            own[b] = -1;
            if (packing[b].band != b) continue;
            int32_t c = int32_t(lists.counts[b]);
            if (band->cursorX + c > width)
            {
                d += width - band->cursorX;
                if (!StartTexelRow(band, 4)) return false;
            }
            if (d > kMaxBandHeaderOffset) return false;
            own[b] = d;
            headers[b] = uint32_t(c) | uint32_t(d) << 16;
            uint32_t *out = texels + size_t(band->cursorY) * width + band->cursorX;
            const uint32_t *list = entries + lists.starts[b];
            for (int32_t k = 0; k < c; ++k)
            {
                const CurveLocation &location = locations[list[k]];
                out[k] = (uint32_t(location.column) & 0xFFFF) | (uint32_t(location.row) & 0xFFFF) << 16;
            }
            band->cursorX += c;
            d += c;
        }
        for (int32_t b = first; b < first + bands; ++b)
        {
            if (packing[b].band == b) continue;
            int64_t offset = 0;
            int32_t a = b;
            for (int32_t step = 0; step <= total && packing[a].band != a; ++step)
            {
                offset += packing[a].offset;
                a = packing[a].band;
            }
            if (packing[a].band != a) return false;
            offset += own[a];
            if (offset > kMaxBandHeaderOffset) return false;
            headers[b] = lists.counts[b] | uint32_t(offset) << 16;
        }
    }
    return true;
}

}  // namespace oq
