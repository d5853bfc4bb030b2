#pragma once

#include "base/Point3D.h"

#include <cstdint>

namespace oq {

struct Transform4D;

// An axis-aligned 3-D box, the closed set min <= p <= max; min above max on some axis holds nothing.
struct Box3D
{
    Point3D min;
    Point3D max;

    Box3D() = default;
    constexpr Box3D(const Point3D &minimum, const Point3D &maximum) : min(minimum), max(maximum) {}

    // The empty box: min = +infinity, max = -infinity.
    Box3D &SetEmpty()
    {
        min.Set(FloatInfinity, FloatInfinity, FloatInfinity);
        max.Set(FloatMinusInfinity, FloatMinusInfinity, FloatMinusInfinity);
        return *this;
    }

    // The bounds of the eight corners, each mapped as a point (translation included).
    Box3D &Transform(const Transform4D &t);

    // Bounds of count points (count at least 1), or of first and count more points (count 0 or more).
    Box3D &Calculate(int32_t count, const Point3D *points);
    Box3D &Calculate(const Point3D &first, int32_t count, const Point3D *points);

    // The corner of the box grown by r that lies farthest along d.
    Point3D GetSupportPoint(const Vector3D &d, float r) const;

    // The farthest corner of the box grown by r along d, then the nearest one.
    void GetSupportPoints(const Vector3D &d, float r, Point3D *farthest, Point3D *nearest) const;

    // True when p lies outside the box grown by r (a point exactly r from a face is not outside).
    bool IsPointOutside(const Point3D &p, float r) const;

    // True when the segment from p1 to p2 misses the box grown by r.
    bool IsSegmentOutside(const Point3D &p1, const Point3D &p2, float r) const;

    // Inclusive containment.
    bool Contains(const Point3D &p) const;
    bool Contains(const Box3D &b) const;

    // False when one box lies strictly beyond the other on some axis.
    static bool Intersects(const Box3D &a, const Box3D &b);
};

Box3D UnionBox3D(const Box3D &a, const Box3D &b);
Box3D TransformBox3D(const Box3D &box, const Transform4D &t);

}  // namespace oq
