#pragma once

#include <cstdint>

#include "vorl/text/PolygonWord.h"

namespace oq {

// The triangulations of bounding polygons with three to six vertices: pattern p holds up to four
// triangles of polygon vertex numbers; a polygon of n vertices uses the first n - 2.
// Empty slots hold (0, 0, 0).
extern const uint8_t kPolygonTriangulationTable[16][4][3];

// True when the word is a polygon (3-6 vertices) that the writers draw as such: a word the font
// validator accepts whose triangles name only the polygon's vertices. Every other word is drawn
// as the glyph's quad, by the writers and the counts alike.
bool IsDrawablePolygonWord(uint32_t word);

}  // namespace oq
