// The point-to-segment test and the segment outline of the drawing layer and annotation groups.
#include "editor/document/SegmentGeometry.h"

#include "base/ScalarMath.h"

namespace oq {

namespace {

float Dot(float ax, float ay, float bx, float by)
{
    return ax * bx + ay * by;
}

}  // namespace

bool IsPointNearSegment(const Point2D &point, const Point2D &a, const Point2D &b, float tolerance)
{
    float dx = b.x - a.x;
    float dy = b.y - a.y;
    float length = Sqrt(dx * dx + dy * dy);
    if (!(length > FloatMinNormal)) return false;
    float ux = dx / length;
    float uy = dy / length;
    float px = point.x - a.x;
    float py = point.y - a.y;
    float t = Dot(px, py, ux, uy);
    float beyond = Dot(point.x - b.x, point.y - b.y, ux, uy);
    float across = Dot(px, py, px, py) - t * t;
    return t > -tolerance && beyond < tolerance && across < tolerance * tolerance;
}

void BuildSegmentOutline(const Point2D &a, const Point2D &b, const Vector2D &direction, float halfWidth,
                         QuadraticBezier2D curves[8])
{
    // A direction of normal length is made a unit one; a tiny one is used as it is.
    Vector2D d = direction;
    float length = Sqrt(d.x * d.x + d.y * d.y);
    if (length > FloatMinNormal) d = Vector2D(d.x / length, d.y / length);
    Vector2D n(-d.y, d.x);
    float along = Dot(b.x - a.x, b.y - a.y, d.x, d.y);
    float across = Dot(b.x - a.x, b.y - a.y, n.x, n.y);
    float r = halfWidth;
    auto at = [&](float s, float t) { return Point2D(a.x + d.x * s + n.x * t, a.y + d.y * s + n.y * t); };
    const Point2D outer[4] = {at(-r, -r), at(along + r, -r), at(along + r, across + r), at(-r, across + r)};
    const Point2D inner[4] = {at(r, r), at(r, across - r), at(along - r, across - r), at(along - r, r)};
    for (int32_t i = 0; i < 4; ++i)
    {
        const Point2D &p = outer[i];
        const Point2D &q = outer[(i + 1) % 4];
        curves[i] = QuadraticBezier2D(p, q, q);
        const Point2D &u = inner[i];
        const Point2D &v = inner[(i + 1) % 4];
        curves[4 + i] = QuadraticBezier2D(u, v, v);
    }
}

}  // namespace oq
