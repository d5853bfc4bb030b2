#pragma once

#include <cstdint>

namespace oq {

// A caller's room in a curve or band texture and the write cursor that texel writers advance.
// Curve texels are four float32 ('FLT4', 16 bytes) or four float16 (8 bytes); band texels are two
// uint16 (4 bytes) whatever the format. Null texels count only: cursors move, nothing is stored.
struct TexelBuffer
{
    void *texels;
    uint32_t format;
    int32_t width;
    int32_t height;
    int32_t cursorX;
    int32_t cursorY;
};

// Zeroes the texels of row cursor[1] from column cursor[0] to the row's end; returns how many
// (0 when the cursor lies at or past the row's end). 8-byte and 16-byte texels.
int32_t ClearTexelRowHalf(void *texels, int32_t width, const int32_t *cursor);
int32_t ClearTexelRowFloat(void *texels, int32_t width, const int32_t *cursor);

// Writes four floats as one curve texel of the buffer format at (x, y).
void WriteCurveTexel(void *texels, uint32_t format, int32_t width, int32_t x, int32_t y, float a, float b, float c,
                     float d);

}  // namespace oq
