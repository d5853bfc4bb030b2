#pragma once

#include "base/Point2D.h"

#include <cstdint>

namespace oq {

struct Transform4D;

// An axis-aligned 2-D box, the closed set min <= p <= max; min above max on some axis holds nothing.
struct Box2D
{
    Point2D min;
    Point2D max;

    Box2D() = default;
    constexpr Box2D(const Point2D &minimum, const Point2D &maximum) : min(minimum), max(maximum) {}

    // The empty box: min = +infinity, max = -infinity; uniting with it or including a point in it
    // gives exactly that box or point.
    Box2D &SetEmpty()
    {
        min.Set(FloatInfinity, FloatInfinity);
        max.Set(FloatMinusInfinity, FloatMinusInfinity);
        return *this;
    }

    Box2D &Union(const Box2D &b);
    Box2D &IncludePoint(const Point2D &p);

    // Componentwise max of the mins and min of the maxes; disjoint boxes leave an inverted box.
    Box2D &Intersect(const Box2D &b);

    // The bounds of the four corners mapped by TransformPoint2D.
    Box2D &Transform(const Transform4D &t);

    // Bounds of count points (count at least 1), or of first and count more points (count 0 or more).
    Box2D &Calculate(int32_t count, const Point2D *points);
    Box2D &Calculate(const Point2D &first, int32_t count, const Point2D *points);

    // Inclusive containment.
    bool Contains(const Point2D &p) const;
    bool Contains(const Box2D &b) const;

    // True unless one box lies strictly beyond the other on some axis; touching boxes intersect.
    bool Intersects(const Box2D &b) const;
};

Box2D UnionBox2D(const Box2D &a, const Box2D &b);
Box2D TransformBox2D(const Box2D &box, const Transform4D &t);

}  // namespace oq
