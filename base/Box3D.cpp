#include "base/Box3D.h"

#include "base/Transform4D.h"

namespace oq {

namespace {

inline float Min(float a, float b) { return (b < a) ? b : a; }
inline float Max(float a, float b) { return (b > a) ? b : a; }

// Clips the segment a-b (coordinates in arrays) against the plane coordinate[axis] = plane, keeping the
// side below it (upper = true) or above it (upper = false). Returns true when both ends lie beyond it.
// An end beyond the plane moves onto it; its coordinates before axis are interpolated, later ones are
// no longer needed.
bool ClipSegment(float *a, float *b, int axis, float plane, bool upper)
{
    float da = upper ? plane - a[axis] : a[axis] - plane;
    float db = upper ? plane - b[axis] : b[axis] - plane;
    bool aBeyond = da < 0.0f;
    bool bBeyond = db < 0.0f;
    if (aBeyond && bBeyond) return true;
    if (aBeyond != bBeyond)
    {
        float *e = aBeyond ? a : b;
        const float *o = aBeyond ? b : a;
        float span = e[axis] - o[axis];
        if (span > FloatMinNormal || span < -FloatMinNormal)
        {
            float t = (plane - o[axis]) / span;
            for (int k = 0; k < axis; ++k) e[k] = o[k] + (e[k] - o[k]) * t;
            e[axis] = plane;
        }
    }
    return false;
}

}  // namespace

Box3D &Box3D::Transform(const Transform4D &t)
{
    Point3D mapped[8];
    for (int i = 0; i < 8; ++i)
    {
        Point3D corner((i & 1) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 4) ? max.z : min.z);
        mapped[i] = t * corner;
    }
    return Calculate(8, mapped);
}

Box3D &Box3D::Calculate(int32_t count, const Point3D *points)
{
    return Calculate(points[0], count - 1, points + 1);
}

Box3D &Box3D::Calculate(const Point3D &first, int32_t count, const Point3D *points)
{
    float x0 = first.x, y0 = first.y, z0 = first.z;
    float x1 = first.x, y1 = first.y, z1 = first.z;
    int32_t i = 0;
    for (; i + 4 <= count; i += 4)
    {
        const Point3D *p = points + i;
        x0 = Min(x0, Min(Min(p[0].x, p[1].x), Min(p[2].x, p[3].x)));
        y0 = Min(y0, Min(Min(p[0].y, p[1].y), Min(p[2].y, p[3].y)));
        z0 = Min(z0, Min(Min(p[0].z, p[1].z), Min(p[2].z, p[3].z)));
        x1 = Max(x1, Max(Max(p[0].x, p[1].x), Max(p[2].x, p[3].x)));
        y1 = Max(y1, Max(Max(p[0].y, p[1].y), Max(p[2].y, p[3].y)));
        z1 = Max(z1, Max(Max(p[0].z, p[1].z), Max(p[2].z, p[3].z)));
    }
    for (; i < count; ++i)
    {
        x0 = Min(x0, points[i].x);
        y0 = Min(y0, points[i].y);
        z0 = Min(z0, points[i].z);
        x1 = Max(x1, points[i].x);
        y1 = Max(y1, points[i].y);
        z1 = Max(z1, points[i].z);
    }
    min.Set(x0, y0, z0);
    max.Set(x1, y1, z1);
    return *this;
}

Point3D Box3D::GetSupportPoint(const Vector3D &d, float r) const
{
    return Point3D((d.x < 0.0f) ? min.x - r : max.x + r, (d.y < 0.0f) ? min.y - r : max.y + r,
                   (d.z < 0.0f) ? min.z - r : max.z + r);
}

void Box3D::GetSupportPoints(const Vector3D &d, float r, Point3D *farthest, Point3D *nearest) const
{
    *farthest = GetSupportPoint(d, r);
    nearest->Set((d.x < 0.0f) ? max.x + r : min.x - r, (d.y < 0.0f) ? max.y + r : min.y - r,
                 (d.z < 0.0f) ? max.z + r : min.z - r);
}

bool Box3D::IsPointOutside(const Point3D &p, float r) const
{
    return p.x < min.x - r || p.x > max.x + r || p.y < min.y - r || p.y > max.y + r || p.z < min.z - r
           || p.z > max.z + r;
}

bool Box3D::IsSegmentOutside(const Point3D &p1, const Point3D &p2, float r) const
{
    if (!IsPointOutside(p1, r) || !IsPointOutside(p2, r)) return false;

    float a[3] = {p1.x, p1.y, p1.z};
    float b[3] = {p2.x, p2.y, p2.z};
    if (ClipSegment(a, b, 2, max.z + r, true)) return true;
    if (ClipSegment(a, b, 2, min.z - r, false)) return true;
    if (ClipSegment(a, b, 1, max.y + r, true)) return true;
    if (ClipSegment(a, b, 1, min.y - r, false)) return true;
    if (ClipSegment(a, b, 0, max.x + r, true)) return true;
    return a[0] - (min.x - r) < 0.0f && b[0] - (min.x - r) < 0.0f;
}

bool Box3D::Contains(const Point3D &p) const
{
    return min.x <= p.x && p.x <= max.x && min.y <= p.y && p.y <= max.y && min.z <= p.z && p.z <= max.z;
}

bool Box3D::Contains(const Box3D &b) const
{
    return min.x <= b.min.x && b.max.x <= max.x && min.y <= b.min.y && b.max.y <= max.y && min.z <= b.min.z
           && b.max.z <= max.z;
}

bool Box3D::Intersects(const Box3D &a, const Box3D &b)
{
    return !(b.min.x > a.max.x || a.min.x > b.max.x || b.min.y > a.max.y || a.min.y > b.max.y
             || b.min.z > a.max.z || a.min.z > b.max.z);
}

Box3D UnionBox3D(const Box3D &a, const Box3D &b)
{
    return Box3D(Point3D(Min(a.min.x, b.min.x), Min(a.min.y, b.min.y), Min(a.min.z, b.min.z)),
                 Point3D(Max(a.max.x, b.max.x), Max(a.max.y, b.max.y), Max(a.max.z, b.max.z)));
}

Box3D TransformBox3D(const Box3D &box, const Transform4D &t)
{
    Box3D result = box;
    return result.Transform(t);
}

}  // namespace oq
