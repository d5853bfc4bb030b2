#include "vorl/geometry/PolygonTriangulation.h"

namespace oq {

const uint8_t kPolygonTriangulationTable[16][4][3] = {
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

bool IsDrawablePolygonWord(uint32_t word)
{
    uint32_t count = word & 0xF;
    if (count == 0 || !IsValidPolygonWord(word)) return false;
    const uint8_t(*triangles)[3] = kPolygonTriangulationTable[(word >> 8) & 0xF];
    for (uint32_t t = 0; t + 2 < count; ++t)
        for (int k = 0; k < 3; ++k)
            if (triangles[t][k] >= count) return false;
    return true;
}

}  // namespace oq
