#include "vorl/geometry/TexelBuffer.h"

#include "base/Half.h"

#include <cstring>

namespace oq {

namespace {

int32_t ClearTexelRow(void *texels, int32_t width, const int32_t *cursor, int32_t texelSize)
{
    int32_t count = width - cursor[0];
    if (count <= 0 || cursor[0] < 0 || cursor[1] < 0)
        return 0;
    int64_t first = int64_t(cursor[1]) * width + cursor[0];
    std::memset(static_cast<uint8_t *>(texels) + first * texelSize, 0, size_t(count) * size_t(texelSize));
    return count;
}

}  // namespace

int32_t ClearTexelRowHalf(void *texels, int32_t width, const int32_t *cursor)
{
    return ClearTexelRow(texels, width, cursor, 8);
}

int32_t ClearTexelRowFloat(void *texels, int32_t width, const int32_t *cursor)
{
    return ClearTexelRow(texels, width, cursor, 16);
}

void WriteCurveTexel(void *texels, uint32_t format, int32_t width, int32_t x, int32_t y, float a, float b, float c,
                     float d)
{
    int64_t index = int64_t(y) * width + x;
    if (format == 'FLT4')
    {
        float *t = static_cast<float *>(texels) + index * 4;
        t[0] = a;
        t[1] = b;
        t[2] = c;
        t[3] = d;
    }
    else
    {
        uint16_t *t = static_cast<uint16_t *>(texels) + index * 4;
        FloatToHalf(&t[0], a);
        FloatToHalf(&t[1], b);
        FloatToHalf(&t[2], c);
        FloatToHalf(&t[3], d);
    }
}

}  // namespace oq
