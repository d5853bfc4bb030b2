#pragma once

#include "base/ScalarMath.h"

namespace oq {

// A 2-D direction or offset.
struct Vector2D
{
    float x;
    float y;

    Vector2D() = default;
    constexpr Vector2D(float a, float b) : x(a), y(b) {}

    Vector2D &Set(float a, float b)
    {
        x = a;
        y = b;
        return *this;
    }

    Vector2D &operator+=(const Vector2D &v)
    {
        x += v.x;
        y += v.y;
        return *this;
    }

    Vector2D &operator-=(const Vector2D &v)
    {
        x -= v.x;
        y -= v.y;
        return *this;
    }

    Vector2D &operator*=(float s)
    {
        x *= s;
        y *= s;
        return *this;
    }

    Vector2D &operator/=(float s)
    {
        float f = 1.0f / s;
        x *= f;
        y *= f;
        return *this;
    }

    // Turns the vector counter-clockwise by the angle (radians).
    Vector2D &Rotate(float angle);
};

inline Vector2D operator-(const Vector2D &v) { return Vector2D(-v.x, -v.y); }
inline Vector2D operator+(const Vector2D &a, const Vector2D &b) { return Vector2D(a.x + b.x, a.y + b.y); }
inline Vector2D operator-(const Vector2D &a, const Vector2D &b) { return Vector2D(a.x - b.x, a.y - b.y); }
inline Vector2D operator*(const Vector2D &v, float s) { return Vector2D(v.x * s, v.y * s); }
inline Vector2D operator*(float s, const Vector2D &v) { return Vector2D(s * v.x, s * v.y); }

inline Vector2D operator/(const Vector2D &v, float s)
{
    float f = 1.0f / s;
    return Vector2D(v.x * f, v.y * f);
}

inline bool operator==(const Vector2D &a, const Vector2D &b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const Vector2D &a, const Vector2D &b) { return a.x != b.x || a.y != b.y; }

inline float Dot(const Vector2D &a, const Vector2D &b) { return a.x * b.x + a.y * b.y; }

// The 2-D cross product a.x b.y - a.y b.x.
inline float Cross(const Vector2D &a, const Vector2D &b) { return a.x * b.y - a.y * b.x; }

inline float SquaredMag(const Vector2D &v) { return v.x * v.x + v.y * v.y; }
inline float Magnitude(const Vector2D &v) { return Sqrt(v.x * v.x + v.y * v.y); }
inline float InverseMag(const Vector2D &v) { return InverseSqrt(v.x * v.x + v.y * v.y); }

// v times the reciprocal root of v . v; a zero vector gives NaN entries.
inline Vector2D Normalize(const Vector2D &v) { return v * InverseSqrt(v.x * v.x + v.y * v.y); }

// v turned a quarter turn counter-clockwise.
inline Vector2D Perpendicular(const Vector2D &v) { return Vector2D(-v.y, v.x); }

}  // namespace oq
