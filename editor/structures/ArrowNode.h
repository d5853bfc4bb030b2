#pragma once

#include "base/Array.h"
#include "base/Bezier.h"

#include <cstdint>

namespace oq {

class Design;

// Room a charm's curves need at most (a pair of hooks with tails takes 32).
inline constexpr int32_t kArrowCharmCurves = 36;

// The kinds of an arrow line: full length, inset at the right end, at the left end, at both.
inline constexpr uint32_t kArrowPartLong = 'long';
inline constexpr uint32_t kArrowPartLeft = 'left';
inline constexpr uint32_t kArrowPartRight = 'rght';
inline constexpr uint32_t kArrowPartCentre = 'cent';

// Bits of the side masks: which charm list reaches to a side of its line.
inline constexpr uint32_t kCharmSideLeft = 1;
inline constexpr uint32_t kCharmSideRight = 2;
inline constexpr uint32_t kCharmSideMiddle = 4;

// What a charm reports besides its curves, in the charm's frame (x along the line, y up, the line's
// centre on y = 0): its extents and where the line starts (left attach, the charm in a left-end list)
// or ends (right attach, in a right-end list).
struct ArrowCharmExtent
{
    float bottom = 0.0f;
    float top = 0.0f;
    float minX = 0.0f;
    float maxX = 0.0f;
    float leftAttach = 0.0f;
    float rightAttach = 0.0f;
};

// Which sides of its line the charm lists reach: kCharmSide... bits above and below.
struct ArrowCharmSides
{
    uint32_t above = 0;
    uint32_t below = 0;
};

// One line of an arrow: its kind and the charm 4CCs at its left end, right end and middle.
struct ArrowPart
{
    uint32_t kind = kArrowPartLong;
    Array<uint32_t, 3> leftCharms;
    Array<uint32_t, 3> rightCharms;
    Array<uint32_t, 3> middleCharms;

    // A list sets its bit above unless it holds only lower harpoon barbs ('ldhp', 'rdhp'), below
    // unless it holds only upper ones ('luhp', 'ruhp'); an empty list sets none.
    ArrowCharmSides GetCharmSides() const;
};

// A horizontal arrow of one to three lines carrying charms (arrowheads, harpoon barbs, bars,
// slashes, crosses, shapes, hooks and loops) at their ends and middle.
class ArrowNode
{
public:
    // The outline of one charm for the size s (points per em) and the arrow line's thickness,
    // counter-clockwise with clockwise holes, into curves (room for kArrowCharmCurves). Returns the
    // curve count, 0 for a 4CC that is no charm (its extent all 0). Sets *nesting for the arrowheads
    // and harpoon barbs (with or without bar) and leaves it alone otherwise.
    [[nodiscard]] static int32_t BuildGeometry(const Design *design, uint32_t charm, float size, float ruleThickness,
                                               QuadraticBezier2D *curves, ArrowCharmExtent *extent, bool *nesting);
};

}  // namespace oq
