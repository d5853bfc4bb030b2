#pragma once

#include "base/Vector3D.h"

namespace oq {

// A 3-D position: transforms apply their translation to it, unlike a Vector3D.
struct Point3D : Vector3D
{
    Point3D() = default;
    constexpr Point3D(float a, float b, float c) : Vector3D(a, b, c) {}
    constexpr explicit Point3D(const Vector3D &v) : Vector3D(v) {}

    Point3D &operator+=(const Vector3D &v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }

    Point3D &operator-=(const Vector3D &v)
    {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }

    Point3D &operator*=(float s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    // Rotations about the origin, as for Vector3D.
    Point3D &RotateAboutX(float angle);
    Point3D &RotateAboutY(float angle);
    Point3D &RotateAboutZ(float angle);
    Point3D &RotateAboutAxis(float angle, const Vector3D &axis);
};

inline Point3D operator-(const Point3D &p) { return Point3D(-p.x, -p.y, -p.z); }
inline Point3D operator+(const Point3D &p, const Vector3D &v) { return Point3D(p.x + v.x, p.y + v.y, p.z + v.z); }
inline Point3D operator+(const Vector3D &v, const Point3D &p) { return Point3D(v.x + p.x, v.y + p.y, v.z + p.z); }
inline Point3D operator-(const Point3D &p, const Vector3D &v) { return Point3D(p.x - v.x, p.y - v.y, p.z - v.z); }
inline Vector3D operator-(const Point3D &a, const Point3D &b) { return Vector3D(a.x - b.x, a.y - b.y, a.z - b.z); }

// Weighted sums of points (curve evaluation, midpoints).
inline Point3D operator+(const Point3D &a, const Point3D &b) { return Point3D(a.x + b.x, a.y + b.y, a.z + b.z); }
inline Point3D operator*(const Point3D &p, float s) { return Point3D(p.x * s, p.y * s, p.z * s); }
inline Point3D operator*(float s, const Point3D &p) { return Point3D(s * p.x, s * p.y, s * p.z); }

inline Point3D operator/(const Point3D &p, float s)
{
    float f = 1.0f / s;
    return Point3D(p.x * f, p.y * f, p.z * f);
}

}  // namespace oq
