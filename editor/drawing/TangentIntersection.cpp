// The meeting point of two offset-arc tangents, with the chord's midpoint for parallel ones.
#include "editor/drawing/TangentIntersection.h"

#include <cmath>

namespace oq {

Point2D IntersectOffsetTangents(const Point2D &a, const Vector2D &na, const Point2D &b, const Vector2D &nb)
{
    Point2D middle((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f);
    // The tangents are x . na = a . na and x . nb = b . nb; solved in double so that short pieces
    // keep their precision.
    double ax = na.x, ay = na.y, bx = nb.x, by = nb.y;
    double cross = ax * by - ay * bx;
    double scale = std::sqrt(ax * ax + ay * ay) * std::sqrt(bx * bx + by * by);
    if (!(std::fabs(cross) >= double(kParallelTangentLimit) * scale) || !(scale > 0.0)) return middle;
    double ca = ax * a.x + ay * a.y;
    double cb = bx * b.x + by * b.y;
    Point2D meet(float((ca * by - cb * ay) / cross), float((ax * cb - bx * ca) / cross));
    if (!std::isfinite(meet.x) || !std::isfinite(meet.y)) return middle;
    double cx = double(b.x) - a.x, cy = double(b.y) - a.y;
    double mx = double(meet.x) - middle.x, my = double(meet.y) - middle.y;
    if (mx * mx + my * my > cx * cx + cy * cy) return middle;
    return meet;
}

}  // namespace oq
