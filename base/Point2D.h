#pragma once

#include "base/Vector2D.h"

namespace oq {

// A 2-D position: transforms apply their translation to it, unlike a Vector2D.
struct Point2D : Vector2D
{
    Point2D() = default;
    constexpr Point2D(float a, float b) : Vector2D(a, b) {}
    constexpr explicit Point2D(const Vector2D &v) : Vector2D(v) {}

    Point2D &operator+=(const Vector2D &v)
    {
        x += v.x;
        y += v.y;
        return *this;
    }

    Point2D &operator-=(const Vector2D &v)
    {
        x -= v.x;
        y -= v.y;
        return *this;
    }

    Point2D &operator*=(float s)
    {
        x *= s;
        y *= s;
        return *this;
    }
};

inline Point2D operator-(const Point2D &p) { return Point2D(-p.x, -p.y); }
inline Point2D operator+(const Point2D &p, const Vector2D &v) { return Point2D(p.x + v.x, p.y + v.y); }
inline Point2D operator+(const Vector2D &v, const Point2D &p) { return Point2D(v.x + p.x, v.y + p.y); }
inline Point2D operator-(const Point2D &p, const Vector2D &v) { return Point2D(p.x - v.x, p.y - v.y); }
inline Vector2D operator-(const Point2D &a, const Point2D &b) { return Vector2D(a.x - b.x, a.y - b.y); }

// Weighted sums of points (curve evaluation, midpoints).
inline Point2D operator+(const Point2D &a, const Point2D &b) { return Point2D(a.x + b.x, a.y + b.y); }
inline Point2D operator*(const Point2D &p, float s) { return Point2D(p.x * s, p.y * s); }
inline Point2D operator*(float s, const Point2D &p) { return Point2D(s * p.x, s * p.y); }

inline Point2D operator/(const Point2D &p, float s)
{
    float f = 1.0f / s;
    return Point2D(p.x * f, p.y * f);
}

}  // namespace oq
