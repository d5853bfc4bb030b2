#pragma once

#include <array>
#include <cstdint>
#include <cstring>

#include "base/Half.h"
#include "base/Memory.h"
#include "vorl/geometry/TexelBuffer.h"

namespace oq::test {

// Curve texel memory of exactly width x height texels ('FLT4' or half floats) in the program's
// allocator, filled with a marker byte, and the TexelBuffer that writes into it.
class TexelCapture
{
public:
    static constexpr unsigned char kMarker = 0xA5;

    TexelCapture(bool floatTexels, int32_t width, int32_t height, bool storage = true)
    {
        size = size_t(width) * size_t(height) * TexelSize(floatTexels);
        memory = storage ? static_cast<unsigned char *>(MemoryAllocate(size != 0 ? size : 1)) : nullptr;
        if (memory != nullptr) std::memset(memory, kMarker, size);
        buffer = {memory, floatTexels ? uint32_t('FLT4') : uint32_t('HLF4'), width, height, 0, 0};
    }
    ~TexelCapture() { MemoryRelease(memory); }
    TexelCapture(const TexelCapture &) = delete;
    TexelCapture &operator=(const TexelCapture &) = delete;

    static size_t TexelSize(bool floatTexels) { return floatTexels ? 16 : 8; }
    bool FloatTexels() const { return buffer.format == 'FLT4'; }

    // The four values of the texel at (x, y), half floats widened.
    std::array<float, 4> Texel(int32_t x, int32_t y) const
    {
        std::array<float, 4> values;
        const unsigned char *texel = memory + (size_t(y) * size_t(buffer.width) + size_t(x)) * TexelSize(FloatTexels());
        if (FloatTexels())
        {
            std::memcpy(values.data(), texel, 16);
        }
        else
        {
            for (int k = 0; k < 4; ++k)
            {
                uint16_t half;
                std::memcpy(&half, texel + 2 * k, 2);
                values[k] = HalfToFloat(&half);
            }
        }
        return values;
    }

    // Whether the texel still holds the marker (never written).
    bool Untouched(int32_t x, int32_t y) const
    {
        size_t bytes = TexelSize(FloatTexels());
        const unsigned char *texel = memory + (size_t(y) * size_t(buffer.width) + size_t(x)) * bytes;
        for (size_t i = 0; i < bytes; ++i)
        {
            if (texel[i] != kMarker) return false;
        }
        return true;
    }

    size_t size = 0;
    unsigned char *memory = nullptr;
    TexelBuffer buffer;
};

}  // namespace oq::test
