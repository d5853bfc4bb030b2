#pragma once

#include "base/ScalarMath.h"

namespace oq {

// A 3-D direction.
struct Vector3D
{
    float x;
    float y;
    float z;

    Vector3D() = default;
    constexpr Vector3D(float a, float b, float c) : x(a), y(b), z(c) {}

    Vector3D &Set(float a, float b, float c)
    {
        x = a;
        y = b;
        z = c;
        return *this;
    }

    Vector3D &operator+=(const Vector3D &v)
    {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }

    Vector3D &operator-=(const Vector3D &v)
    {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }

    Vector3D &operator*=(float s)
    {
        x *= s;
        y *= s;
        z *= s;
        return *this;
    }

    Vector3D &operator/=(float s)
    {
        float f = 1.0f / s;
        x *= f;
        y *= f;
        z *= f;
        return *this;
    }

    // Rotations in place, counter-clockwise for a positive angle (radians) seen from the axis tip.
    Vector3D &RotateAboutX(float angle);
    Vector3D &RotateAboutY(float angle);
    Vector3D &RotateAboutZ(float angle);
    Vector3D &RotateAboutAxis(float angle, const Vector3D &axis);
};

inline Vector3D operator-(const Vector3D &v) { return Vector3D(-v.x, -v.y, -v.z); }
inline Vector3D operator+(const Vector3D &a, const Vector3D &b) { return Vector3D(a.x + b.x, a.y + b.y, a.z + b.z); }
inline Vector3D operator-(const Vector3D &a, const Vector3D &b) { return Vector3D(a.x - b.x, a.y - b.y, a.z - b.z); }
inline Vector3D operator*(const Vector3D &v, float s) { return Vector3D(v.x * s, v.y * s, v.z * s); }
inline Vector3D operator*(float s, const Vector3D &v) { return Vector3D(s * v.x, s * v.y, s * v.z); }

inline Vector3D operator/(const Vector3D &v, float s)
{
    float f = 1.0f / s;
    return Vector3D(v.x * f, v.y * f, v.z * f);
}

inline bool operator==(const Vector3D &a, const Vector3D &b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
inline bool operator!=(const Vector3D &a, const Vector3D &b) { return !(a == b); }

inline float Dot(const Vector3D &a, const Vector3D &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vector3D Cross(const Vector3D &a, const Vector3D &b)
{
    return Vector3D(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

inline float SquaredMag(const Vector3D &v) { return v.x * v.x + v.y * v.y + v.z * v.z; }
inline float Magnitude(const Vector3D &v) { return Sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }
inline float InverseMag(const Vector3D &v) { return InverseSqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// v times the reciprocal root of v . v; a zero vector gives NaN entries.
inline Vector3D Normalize(const Vector3D &v) { return v * InverseSqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

}  // namespace oq
