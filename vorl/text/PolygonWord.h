#pragma once

#include <cstdint>

namespace oq {

// Polygon words that the glyph writer can draw: no polygon, or 3-6 vertices with one of the
// triangulation patterns made for that vertex count. The font validator refuses any other word,
// and the geometry writers and their counts draw any other word as the glyph's quad.
constexpr bool IsValidPolygonWord(uint32_t word)
{
    if ((word & ~0x0F0Fu) != 0) return false;
    uint32_t count = word & 0xF;
    uint32_t pattern = word >> 8;
    switch (count)
    {
    case 0: return true;
    case 3: return pattern == 0;
    case 4: return pattern >= 1 && pattern <= 2;
    case 5: return pattern >= 3 && pattern <= 7;
    case 6: return pattern >= 8;
    default: return false;
    }
}

}  // namespace oq
