#pragma once

#include "base/Bezier.h"

#include <cstdint>

namespace oq {

// A small convex polygon of three to six vertices around a filled shape, so that the pixel shader
// runs on fewer pixels than with the shape's box. The polygon word holds the vertex count in bits
// 0-3 (0 = none) and the triangulation pattern (a row of the polygon triangulation table) in bits 8-15.

// The shape is m closed curve lists. Writes the polygon's vertices counter-clockwise (y up) as
// half-float pairs into six slots (only the first n) and returns the polygon word; 0 and nothing
// written for a maximum vertex count of 0 or when no polygon is found. The edge factor weighs the
// length of interior (triangulation) edges against area.
uint16_t ComputeBoundingPolygon(int32_t listCount, const int32_t *curveCounts,
                                const QuadraticBezier2D *const *curveLists, uint16_t *vertices,
                                int32_t maxVertexCount, float edgeFactor);

// The searches over candidate support lines (a, b, c each: the shape lies where a x + b y + c <= 0),
// sorted by direction, with their directions in 1/256 turn. Vertex k is the crossing of chosen lines
// k and k + 1. Each returns a polygon word and writes its float vertices only when it finds a polygon
// cheaper than bestCost, which it then lowers; otherwise 0, leaving vertices and bestCost alone.
// Tolerance: the price of one unit of interior edge length.
int32_t FindBoundingTriangle(int32_t count, const float *lines, const uint8_t *directions, float *vertices,
                             float *bestCost);
int32_t FindBoundingQuadrilateral(int32_t count, const float *lines, const uint8_t *directions, float tolerance,
                                  float *vertices, float *bestCost);
int32_t FindBoundingPentagon(int32_t count, const float *lines, const uint8_t *directions, float tolerance,
                             float *vertices, float *bestCost);
int32_t FindBoundingHexagon(int32_t count, const float *lines, const uint8_t *directions, float tolerance,
                            float *vertices, float *bestCost);

}  // namespace oq
