#include "vorl/geometry/ShapeScratch.h"
#include "vorl/geometry/TexelBuffer.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

// Moves the cursor to column 0 of the next row, zeroing the rest of the current row first when
// there is storage; false when that row is not below the height or a group of `need` texels is
// wider than a row.
bool WrapBandRow(uint32_t *texels, int32_t width, int32_t height, int32_t *cursor, int32_t need)
{
    if (texels)
    {
        int32_t rest = width - cursor[0];
        if (rest > 0)
            std::memset(texels + int64_t(cursor[1]) * width + cursor[0], 0, size_t(rest) * 4);
    }
    cursor[0] = 0;
    cursor[1]++;
    return cursor[1] < height && need <= width;
}

inline uint32_t PackTexel(uint32_t low, uint32_t high) { return (low & 0xFFFF) | (high << 16); }

// A total order of floats as signed integers (zeros equal, NaN placed consistently), so that the
// list sort stays well defined for any input.
inline int32_t OrderKey(float value)
{
    if (value == 0.0f)
        return 0;
    int32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits < 0 ? int32_t(0x80000000u - uint32_t(bits)) : bits;
}

// Sorts curve numbers by decreasing key, ties in path order.
void SortBandList(uint16_t *order, int32_t n, const Box2D *boxes, int32_t axis, int32_t *keys)
{
    for (int32_t k = 0; k < n; k++)
        keys[order[k]] = OrderKey(axis == 0 ? boxes[order[k]].max.x : boxes[order[k]].max.y);
    std::sort(order, order + n, [keys](uint16_t a, uint16_t c) {
        return keys[a] > keys[c] || (keys[a] == keys[c] && a < c);
    });
}

}  // namespace

bool WriteShapeCurveTexels(int32_t count, const QuadraticBezier2D *curves, void *texels, uint32_t format,
                           int32_t width, int32_t height, int32_t *cursor, ShapeScratch *scratch)
{
    if (count > kMaxShapeCurves)
        return false;
    ShapeScratch *s = GetShapeScratch(scratch);
    int32_t x = cursor[0], y = cursor[1];
    bool result = true;
    if (count > 0 && (width < 2 || y < 0 || y >= height || x < 0))
        result = false;

    for (int32_t i = 0; result && i < count; i++)
    {
        const QuadraticBezier2D &c = curves[i];
        bool chained = i > 0 && c.p0.x == curves[i - 1].p2.x && c.p0.y == curves[i - 1].p2.y;
        if (chained && x < width)
        {
            x--;
        }
        else if (chained || width - x < 2)
        {
            if (!chained && width - x == 1 && texels)
                WriteCurveTexel(texels, format, width, x, y, 0.0f, 0.0f, 0.0f, 0.0f);
            x = 0;
            y++;
            if (y >= height)
            {
                result = false;
                break;
            }
        }
        if (texels)
        {
            WriteCurveTexel(texels, format, width, x, y, c.p0.x, c.p0.y, c.p1.x, c.p1.y);
            WriteCurveTexel(texels, format, width, x + 1, y, c.p2.x, c.p2.y, 0.0f, 0.0f);
        }
        s->curveLocations[i][0] = uint16_t(x);
        s->curveLocations[i][1] = uint16_t(y);
        x += 2;
    }
    cursor[0] = x;
    cursor[1] = y;
    return result;
}

bool WriteShapeBandTexels(int32_t bx, int32_t by, void *texels, int32_t width, int32_t height, int32_t *cursor,
                          const int32_t *paintLocation, int32_t *location, ShapeScratch *scratch)
{
    if (bx < 0 || by < 0 || bx > kMaxShapeBands || by > kMaxShapeBands)
        return false;
    ShapeScratch *s = GetShapeScratch(scratch);
    uint32_t *t = static_cast<uint32_t *>(texels);
    if (cursor[1] < 0 || cursor[1] >= height || cursor[0] < 0)
        return false;

    // Paint texel, headers, and with a paint texel one spare texel after the headers.
    int32_t headers = bx + by;
    int32_t paint = paintLocation ? 1 : 0;
    int32_t block = headers + 2 * paint;
    if (width - cursor[0] < block && !WrapBandRow(t, width, height, cursor, block))
        return false;
    if (paintLocation)
    {
        if (t)
            t[int64_t(cursor[1]) * width + cursor[0]] = PackTexel(uint32_t(paintLocation[0]), uint32_t(paintLocation[1]));
        cursor[0]++;
    }
    const int32_t lx = cursor[0], ly = cursor[1];
    location[0] = lx;
    location[1] = ly;
    uint32_t *header = t ? t + int64_t(ly) * width + lx : nullptr;
    cursor[0] += headers + paint;
    if (paint && t)
        header[headers] = 0;

    uint16_t order[kMaxShapeCurves];
    int32_t keys[kMaxShapeCurves];
    for (int32_t pass = 0; pass < 2; pass++)
    {
        int32_t bands = pass == 0 ? by : bx;
        int32_t base = pass == 0 ? 0 : kMaxShapeBands;
        for (int32_t b = 0; b < bands; b++)
        {
            int32_t slot = base + b;
            int32_t n = s->bandCurveCounts[slot];
            const uint16_t *list = s->bandLists + s->bandListStarts[slot];
            int32_t index = pass == 0 ? b : by + b;
            if (b > 0)
            {
                int32_t previous = slot - 1;
                if (s->bandCurveCounts[previous] == n &&
                    std::memcmp(list, s->bandLists + s->bandListStarts[previous], size_t(n) * 2) == 0)
                {
                    if (header)
                        header[index] = header[index - 1];
                    continue;
                }
            }
            if (width - cursor[0] < n && !WrapBandRow(t, width, height, cursor, n))
                return false;
            int64_t offset = int64_t(cursor[1] - ly) * width + cursor[0] - lx;
            if (offset > 65535)
                return false;
            if (t)
            {
                header[index] = PackTexel(uint32_t(n), uint32_t(offset));
                std::memcpy(order, list, size_t(n) * 2);
                // Decreasing right (horizontal bands) or top (vertical bands) control-box edge.
                SortBandList(order, n, s->controlBoxes, pass, keys);
                uint32_t *out = t + int64_t(cursor[1]) * width + cursor[0];
                for (int32_t k = 0; k < n; k++)
                    out[k] = PackTexel(s->curveLocations[order[k]][0], s->curveLocations[order[k]][1]);
            }
            cursor[0] += n;
        }
    }
    return true;
}

}  // namespace oq
