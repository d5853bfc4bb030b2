#pragma once

#include "base/Bezier.h"

#include <cstdint>

namespace oq {

// One end of a stroked piece: the centre-line point, the unit direction, and the points half a
// width to its left and right.
struct StrokeEnd
{
    Point2D point;
    Vector2D direction;
    Point2D left;   // point + w * (-direction.y, direction.x)
    Point2D right;  // point - w * (-direction.y, direction.x)
};

// A quadratic curve prepared for stroking with a half width: both ends, the control point the
// tangents were taken from, and how far the curve turns.
struct StrokeOffsets
{
    StrokeEnd start;  // direction = start tangent
    StrokeEnd end;    // direction = end tangent
    Point2D control;
    float turn;       // cross(start tangent, end tangent)
    uint8_t point;    // 1 when the curve lies within 2^-11 of its start
};

// Whether the curve's control and end points lie within 2^-11 of its start: its record is a point.
bool IsStrokePoint(const QuadraticBezier2D &curve);

// Fills the record of the curve for half width w. A curve whose control and end points lie within
// 2^-11 of its start is a point with tangents (1, 0); a control point within 2^-11 of an end is
// replaced by the middle of the ends.
void GetStrokeOffsets(const QuadraticBezier2D &curve, float halfWidth, StrokeOffsets *offsets);

// Sets flags 0 and 4 (parameters 0 and 1) and flags 2, 1, 3 (parameters 1/2, 1/4, 3/4) where the
// unit tangents at 0 and 1, at 0 and 1/2, at 1/2 and 1 cross by more than 0.5; returns how many
// flags are set (2 to 5).
int32_t GetStrokeSamples(const QuadraticBezier2D &curve, bool flags[5]);

// The curve point at parameter t.
Point2D Evaluate(const QuadraticBezier2D &curve, float t);

// Arc length of the whole curve: 16 quadrature pieces.
float GetStrokeArcLength(const QuadraticBezier2D &curve);

// The arc lengths from the start to the end of each sixteenth of the parameter range, summed
// piece by piece; the last is GetStrokeArcLength.
void GetStrokeArcLengths(const QuadraticBezier2D &curve, float lengths[16]);

// The parameter at arc length s from the start, interpolated linearly inside one sixteenth;
// 1 when s is not below the whole length, 0 for s at or below 0. The second form reads the
// lengths of GetStrokeArcLengths and gives the same result.
float GetParameterAtArcLength(const QuadraticBezier2D &curve, float s);
float GetParameterAtArcLength(const float lengths[16], float s);

}  // namespace oq
