#pragma once

#include "base/Bezier.h"

#include <cstdint>

namespace oq {

class Design;

inline constexpr uint32_t kWideMarkKind = 'wide';

// The seventeen wide-mark types, in the order of their text-form table.
inline constexpr uint32_t kWideMarkLine = 'line';
inline constexpr uint32_t kWideMarkDoubleLine = 'dlin';
inline constexpr uint32_t kWideMarkHat = 'what';
inline constexpr uint32_t kWideMarkCheck = 'chck';
inline constexpr uint32_t kWideMarkSmile = 'smil';
inline constexpr uint32_t kWideMarkFrown = 'frwn';
inline constexpr uint32_t kWideMarkTilde = 'tild';
inline constexpr uint32_t kWideMarkBracket = 'brck';
inline constexpr uint32_t kWideMarkBrace = 'brac';
inline constexpr uint32_t kWideMarkShell = 'shel';
inline constexpr uint32_t kWideMarkLeftArrow = 'larw';
inline constexpr uint32_t kWideMarkRightArrow = 'rarw';
inline constexpr uint32_t kWideMarkBothArrow = 'barw';
inline constexpr uint32_t kWideMarkLeftUpHarpoon = 'luhp';
inline constexpr uint32_t kWideMarkRightUpHarpoon = 'ruhp';
inline constexpr uint32_t kWideMarkLeftDownHarpoon = 'ldhp';
inline constexpr uint32_t kWideMarkRightDownHarpoon = 'rdhp';
inline constexpr int32_t kWideMarkTypeCount = 17;
extern const uint32_t kWideMarkTypes[kWideMarkTypeCount];

// Room the largest mark takes (two arrowheads and the shaft).
inline constexpr int32_t kWideMarkMaxCurves = 16;

// What a mark is placed against: the body's bottom and top (Bb, Tb) and the reference heights it keeps
// its spacing from (Hb below, Ht above).
struct WideMarkExtents
{
    float bodyBottom = 0.0f;
    float bodyTop = 0.0f;
    float referenceBottom = 0.0f;
    float referenceTop = 0.0f;
};

// The mark of a type over (or under) a body, width long, for the em size em, in node coordinates (the
// mark from x = 0 to width, y up), counter-clockwise. Sets the node's bottom and top: the body side
// keeps the body's extent, the mark side the mark's. Returns the curve count; a type outside the 17
// draws nothing and keeps the body's extents.
[[nodiscard]] int32_t BuildWideMarkOutline(const Design *design, uint32_t type, bool under, float width, float em,
                                           const WideMarkExtents &extents, QuadraticBezier2D *curves, float *bottom,
                                           float *top);

}  // namespace oq
