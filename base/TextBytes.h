#pragma once

#include <cstdint>

// Byte helpers shared by the text utilities: bytes are unsigned, case concerns ASCII only.

namespace oq {

inline uint32_t UpperAsciiByte(uint32_t b)
{
    return (b - 'a' < 26u) ? b - 32 : b;
}

inline bool IsDigitByte(uint32_t b)
{
    return b - '0' < 10u;
}

}  // namespace oq
