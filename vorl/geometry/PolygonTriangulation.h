#pragma once

#include <array>
#include <cstdint>

#include "vorl/text/PolygonWord.h"

namespace oq {

// The triangulations of bounding polygons with three to six vertices: pattern p holds up to four
// triangles of polygon vertex numbers; a polygon of n vertices uses the first n - 2.
// Empty slots hold (0, 0, 0).
inline constexpr uint8_t kPolygonTriangulationTable[16][4][3] = {
    {{0, 1, 2}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {{0, 1, 2}, {0, 2, 3}, {0, 0, 0}, {0, 0, 0}},
    {{0, 1, 3}, {1, 2, 3}, {0, 0, 0}, {0, 0, 0}},
    {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 0, 0}},
    {{1, 2, 3}, {1, 3, 4}, {1, 4, 0}, {0, 0, 0}},
    {{2, 3, 4}, {2, 4, 0}, {2, 0, 1}, {0, 0, 0}},
    {{3, 4, 0}, {3, 0, 1}, {3, 1, 2}, {0, 0, 0}},
    {{4, 0, 1}, {4, 1, 2}, {4, 2, 3}, {0, 0, 0}},
    {{0, 1, 2}, {2, 3, 4}, {0, 4, 5}, {0, 2, 4}},
    {{1, 2, 3}, {3, 4, 5}, {1, 5, 0}, {1, 3, 5}},
    {{0, 1, 2}, {0, 2, 3}, {0, 3, 5}, {3, 4, 5}},
    {{0, 1, 2}, {0, 2, 5}, {2, 3, 5}, {3, 4, 5}},
    {{1, 2, 3}, {1, 3, 4}, {1, 4, 0}, {4, 5, 0}},
    {{1, 2, 3}, {1, 3, 0}, {3, 4, 0}, {4, 5, 0}},
    {{2, 3, 4}, {2, 4, 5}, {2, 5, 1}, {5, 0, 1}},
    {{2, 3, 4}, {2, 4, 1}, {4, 5, 1}, {5, 0, 1}},
};

namespace detail {

// Drawable polygon words by pattern << 4 | vertex count.
constexpr std::array<bool, 256> MakeDrawablePolygonTable()
{
    std::array<bool, 256> table{};
    for (uint32_t pattern = 0; pattern < 16; ++pattern)
        for (uint32_t count = 3; count <= 6; ++count)
        {
            bool drawable = IsValidPolygonWord(count | pattern << 8);
            for (uint32_t t = 0; t + 2 < count; ++t)
                for (int k = 0; k < 3; ++k)
                    if (kPolygonTriangulationTable[pattern][t][k] >= count) drawable = false;
            table[pattern << 4 | count] = drawable;
        }
    return table;
}

inline constexpr std::array<bool, 256> kDrawablePolygonTable = MakeDrawablePolygonTable();

}  // namespace detail

// True when the word is a polygon (3-6 vertices) that the writers draw as such: a word the font
// validator accepts whose triangles name only the polygon's vertices. Every other word is drawn
// as the glyph's quad, by the writers and the counts alike.
inline bool IsDrawablePolygonWord(uint32_t word)
{
    return (word & ~0x0F0Fu) == 0 && detail::kDrawablePolygonTable[(word & 0xF) | (word >> 4 & 0xF0)];
}

}  // namespace oq
