#include "base/Box2D.h"

#include "base/Transform4D.h"

namespace oq {

namespace {

inline float Min(float a, float b) { return (b < a) ? b : a; }
inline float Max(float a, float b) { return (b > a) ? b : a; }

}  // namespace

Box2D &Box2D::Union(const Box2D &b)
{
    min.Set(Min(min.x, b.min.x), Min(min.y, b.min.y));
    max.Set(Max(max.x, b.max.x), Max(max.y, b.max.y));
    return *this;
}

Box2D &Box2D::IncludePoint(const Point2D &p)
{
    min.Set(Min(min.x, p.x), Min(min.y, p.y));
    max.Set(Max(max.x, p.x), Max(max.y, p.y));
    return *this;
}

Box2D &Box2D::Intersect(const Box2D &b)
{
    min.Set(Max(min.x, b.min.x), Max(min.y, b.min.y));
    max.Set(Min(max.x, b.max.x), Min(max.y, b.max.y));
    return *this;
}

Box2D &Box2D::Transform(const Transform4D &t)
{
    Point2D corners[4] = {Point2D(min.x, max.y), Point2D(max.x, max.y), Point2D(max.x, min.y),
                          Point2D(min.x, min.y)};
    Point2D mapped[4];
    for (int i = 0; i < 4; ++i) mapped[i] = TransformPoint2D(t, corners[i]);
    return Calculate(4, mapped);
}

Box2D &Box2D::Calculate(int32_t count, const Point2D *points)
{
    return Calculate(points[0], count - 1, points + 1);
}

Box2D &Box2D::Calculate(const Point2D &first, int32_t count, const Point2D *points)
{
    float x0 = first.x, y0 = first.y, x1 = first.x, y1 = first.y;
    int32_t i = 0;
    for (; i + 4 <= count; i += 4)
    {
        const Point2D *p = points + i;
        x0 = Min(x0, Min(Min(p[0].x, p[1].x), Min(p[2].x, p[3].x)));
        y0 = Min(y0, Min(Min(p[0].y, p[1].y), Min(p[2].y, p[3].y)));
        x1 = Max(x1, Max(Max(p[0].x, p[1].x), Max(p[2].x, p[3].x)));
        y1 = Max(y1, Max(Max(p[0].y, p[1].y), Max(p[2].y, p[3].y)));
    }
    for (; i < count; ++i)
    {
        x0 = Min(x0, points[i].x);
        y0 = Min(y0, points[i].y);
        x1 = Max(x1, points[i].x);
        y1 = Max(y1, points[i].y);
    }
    min.Set(x0, y0);
    max.Set(x1, y1);
    return *this;
}

bool Box2D::Contains(const Point2D &p) const
{
    return min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y;
}

bool Box2D::Contains(const Box2D &b) const
{
    return min.x <= b.min.x && b.max.x <= max.x && min.y <= b.min.y && b.max.y <= max.y;
}

bool Box2D::Intersects(const Box2D &b) const
{
    return !(b.min.x > max.x || min.x > b.max.x || b.min.y > max.y || min.y > b.max.y);
}

Box2D UnionBox2D(const Box2D &a, const Box2D &b)
{
    Box2D result = a;
    return result.Union(b);
}

Box2D TransformBox2D(const Box2D &box, const Transform4D &t)
{
    Box2D result = box;
    return result.Transform(t);
}

}  // namespace oq
