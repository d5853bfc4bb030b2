#pragma once

namespace oq {

// A homogeneous 4-D vector: the result of the 4x4 products.
struct Vector4D
{
    float x;
    float y;
    float z;
    float w;

    Vector4D() = default;
    constexpr Vector4D(float a, float b, float c, float d) : x(a), y(b), z(c), w(d) {}

    Vector4D &Set(float a, float b, float c, float d)
    {
        x = a;
        y = b;
        z = c;
        w = d;
        return *this;
    }
};

inline Vector4D operator+(const Vector4D &a, const Vector4D &b)
{
    return Vector4D(a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w);
}

inline Vector4D operator-(const Vector4D &a, const Vector4D &b)
{
    return Vector4D(a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w);
}

inline Vector4D operator*(const Vector4D &v, float s) { return Vector4D(v.x * s, v.y * s, v.z * s, v.w * s); }
inline Vector4D operator*(float s, const Vector4D &v) { return Vector4D(s * v.x, s * v.y, s * v.z, s * v.w); }

inline float Dot(const Vector4D &a, const Vector4D &b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }

inline bool operator==(const Vector4D &a, const Vector4D &b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

inline bool operator!=(const Vector4D &a, const Vector4D &b) { return !(a == b); }

}  // namespace oq
