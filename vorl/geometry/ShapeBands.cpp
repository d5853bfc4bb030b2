#include "vorl/geometry/ShapeScratch.h"

#include <algorithm>

namespace oq {

namespace {

ShapeScratch theShapeScratch;

constexpr float kBandMargin = 1.0f / 1024.0f;
constexpr int32_t kBandCandidates[] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 28, 32};

inline float Min(float a, float b) { return (b < a) ? b : a; }
inline float Max(float a, float b) { return (b > a) ? b : a; }

// One axis of the band partition: band i spans [start + i w - margin, start + (i + 1) w + margin]
// with w = size / count.
struct BandAxis
{
    float start;
    float width;
    float perBand;  // count / size, for a first guess of a band index
    int32_t count;

    BandAxis(float axisStart, float size, int32_t bandCount)
        : start(axisStart), width(size / float(bandCount)), perBand(float(bandCount) / size), count(bandCount)
    {
    }

    float Low(int32_t i) const { return start + float(i) * width - kBandMargin; }
    float High(int32_t i) const { return start + float(i + 1) * width + kBandMargin; }

    // A band index near position v (clamped); callers widen it and test each band exactly.
    int32_t Near(float v) const
    {
        float t = (v - start) * perBand;
        if (!(t > 0.0f))
            return 0;
        if (t >= float(count))
            return count - 1;
        return int32_t(t);
    }

    // The bands whose span meets [lo, hi], as the range first .. last (empty when first > last).
    void Range(float lo, float hi, int32_t *first, int32_t *last) const
    {
        int32_t a = Near(lo) - 2, b = Near(hi) + 2;
        if (a < 0)
            a = 0;
        if (b > count - 1)
            b = count - 1;
        while (a <= b && !(lo <= High(a) && hi >= Low(a)))
            a++;
        while (b >= a && !(lo <= High(b) && hi >= Low(b)))
            b--;
        *first = a;
        *last = b;
    }
};

// Whether curve i enters bands along x (axis 0: vertical bands) or along y (axis 1: horizontal
// bands), and its exact extent on that axis.
inline bool BandExtent(const ShapeScratch *s, int32_t i, int32_t axis, float *lo, float *hi)
{
    const Box2D &control = s->controlBoxes[i];
    const Box2D &exact = s->exactBoxes[i];
    if (axis == 0)
    {
        *lo = exact.min.x;
        *hi = exact.max.x;
        return control.max.x != control.min.x;
    }
    *lo = exact.min.y;
    *hi = exact.max.y;
    return control.max.y != control.min.y;
}

// The largest band load of `axis.count` bands, from the low and high extents of the entering
// curves, each sorted: a curve meets band b when lo <= High(b) and hi >= Low(b), so the band holds
// the curves with lo <= High(b) less those with hi < Low(b) (those have lo < High(b) too).
int32_t GetBandLoad(const float *lows, const float *highs, int32_t m, const BandAxis &axis)
{
    int32_t largest = 0;
    for (int32_t b = 0; b < axis.count; b++)
    {
        int32_t started = int32_t(std::upper_bound(lows, lows + m, axis.High(b)) - lows);
        int32_t ended = int32_t(std::lower_bound(highs, highs + m, axis.Low(b)) - highs);
        int32_t load = started - ended;
        largest = load > largest ? load : largest;
    }
    return largest;
}

int32_t ChooseAxisBandCount(const ShapeScratch *s, int32_t count, float start, float size, int32_t maximum,
                            int32_t axisIndex)
{
    // The extents of the curves that enter bands of this axis, sorted once for all candidates; a
    // NaN extent meets no band.
    float lows[kMaxShapeCurves], highs[kMaxShapeCurves];
    int32_t m = 0;
    for (int32_t i = 0; i < count; i++)
    {
        if (BandExtent(s, i, axisIndex, &lows[m], &highs[m]) && lows[m] == lows[m] && highs[m] == highs[m])
            m++;
    }
    std::sort(lows, lows + m);
    std::sort(highs, highs + m);
    int32_t limit = maximum < kMaxShapeBands ? maximum : kMaxShapeBands;
    int32_t best = count, chosen = 1;
    for (int32_t candidate : kBandCandidates)
    {
        if (candidate > limit)
            break;
        int32_t load = GetBandLoad(lows, highs, m, BandAxis(start, size, candidate));
        if (load < best)
        {
            best = load;
            chosen = candidate;
        }
    }
    return chosen;
}

}  // namespace

ShapeScratch *GetShapeScratch(ShapeScratch *scratch)
{
    return scratch ? scratch : &theShapeScratch;
}

bool ComputeShapeCurveExtents(Box2D *box, int32_t count, const QuadraticBezier2D *curves, ShapeScratch *scratch)
{
    if (count > kMaxShapeCurves)
        return false;
    if (count < 1)
    {
        *box = Box2D(Point2D(0.0f, 0.0f), Point2D(0.0f, 0.0f));
        return true;
    }
    ShapeScratch *s = GetShapeScratch(scratch);
    Box2D total;
    total.SetEmpty();
    for (int32_t i = 0; i < count; i++)
    {
        const QuadraticBezier2D &c = curves[i];
        Box2D exact = c.GetBoundingBox();
        s->exactBoxes[i] = exact;
        s->controlBoxes[i] = Box2D(Point2D(Min(Min(c.p0.x, c.p1.x), c.p2.x), Min(Min(c.p0.y, c.p1.y), c.p2.y)),
                                   Point2D(Max(Max(c.p0.x, c.p1.x), c.p2.x), Max(Max(c.p0.y, c.p1.y), c.p2.y)));
        total.Union(exact);
    }
    *box = total;
    return true;
}

bool ChooseShapeBandCounts(int32_t *bx, int32_t *by, int32_t count, const Box2D &box, int32_t maximum,
                           ShapeScratch *scratch)
{
    if (count > kMaxShapeCurves)
        return false;
    if (count <= 0)
    {
        *bx = 0;
        *by = 0;
        return true;
    }
    const ShapeScratch *s = GetShapeScratch(scratch);
    *bx = ChooseAxisBandCount(s, count, box.min.x, box.max.x - box.min.x, maximum, 0);
    *by = ChooseAxisBandCount(s, count, box.min.y, box.max.y - box.min.y, maximum, 1);
    return true;
}

bool BuildShapeBandLists(int32_t count, const Box2D &box, int32_t bx, int32_t by, ShapeScratch *scratch)
{
    if (count > kMaxShapeCurves || bx > kMaxShapeBands || by > kMaxShapeBands)
        return false;
    ShapeScratch *s = GetShapeScratch(scratch);
    // Band b: 0 .. by - 1 horizontal (axis y), then by .. by + bx - 1 vertical (axis x).
    const BandAxis axes[2] = {BandAxis(box.min.y, box.max.y - box.min.y, by), BandAxis(box.min.x, box.max.x - box.min.x, bx)};
    const int32_t bandBase[2] = {0, kMaxShapeBands};
    const int32_t axisIndex[2] = {1, 0};

    int8_t ranges[kMaxShapeCurves][2];  // the bands of each curve on the current axis
    uint32_t start = 0;
    for (int32_t pass = 0; pass < 2; pass++)
    {
        const BandAxis &axis = axes[pass];
        uint32_t counts[kMaxShapeBands] = {};
        float low[kMaxShapeBands], high[kMaxShapeBands];
        for (int32_t b = 0; b < kMaxShapeBands; b++)
        {
            low[b] = FloatInfinity;
            high[b] = FloatMinusInfinity;
        }
        for (int32_t i = 0; i < count; i++)
        {
            float lo, hi;
            int32_t first = 0, last = -1;
            if (axis.count > 0 && BandExtent(s, i, axisIndex[pass], &lo, &hi))
                axis.Range(lo, hi, &first, &last);
            ranges[i][0] = int8_t(first);
            ranges[i][1] = int8_t(last);
            const Box2D &control = s->controlBoxes[i];
            float cmin = pass == 0 ? control.min.x : control.min.y;
            float cmax = pass == 0 ? control.max.x : control.max.y;
            for (int32_t b = first; b <= last; b++)
            {
                counts[b]++;
                low[b] = Min(low[b], cmin);
                high[b] = Max(high[b], cmax);
            }
        }
        uint32_t fill[kMaxShapeBands];
        for (int32_t b = 0; b < axis.count; b++)
        {
            int32_t slot = bandBase[pass] + b;
            s->bandCurveCounts[slot] = uint16_t(counts[b]);
            s->bandListStarts[slot] = counts[b] ? start : 0;
            s->bandExtents[b][pass] = counts[b] ? low[b] : 0.0f;
            s->bandExtents[b][pass + 2] = counts[b] ? high[b] : 0.0f;
            fill[b] = start;
            start += counts[b];
        }
        for (int32_t i = 0; i < count; i++)
        {
            for (int32_t b = ranges[i][0]; b <= ranges[i][1]; b++)
                s->bandLists[fill[b]++] = uint16_t(i);
        }
    }
    return true;
}

}  // namespace oq
