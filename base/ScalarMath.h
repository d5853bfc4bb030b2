#pragma once

#include <cstdint>
#include <limits>

namespace oq {

// Float limits shared by boxes, roots and clipping; fixed at compile time.
inline constexpr float FloatInfinity = std::numeric_limits<float>::infinity();
inline constexpr float FloatMinusInfinity = -std::numeric_limits<float>::infinity();
inline constexpr float FloatMinNormal = 1.17549435e-38f;  // 2^-126: smaller magnitudes count as zero
inline constexpr float FloatMaxFinite = 3.40282347e+38f;

inline constexpr float kPi = 3.14159274f;
inline constexpr float kHalfPi = 1.57079637f;
inline constexpr float kLn2 = 0.693147182f;

// Largest integer not above x, formed in float arithmetic; x itself when its magnitude is 2^23 or more.
float FloatFloor(float x);

// Square root; 0 below FloatMinNormal (zero, subnormals, negatives).
float Sqrt(float x);

// Reciprocal square root; +infinity below FloatMinNormal.
float InverseSqrt(float x);

float Sin(float angle);
float Cos(float angle);
float Tan(float angle);

// Cosine and sine from one table lookup.
void CosSin(float angle, float *cosine, float *sine);

float Arcsin(float x);
float Arccos(float x);
float Arctan(float x);

// Angle of the point (x, y) in [-pi, pi]; note y comes first.
float Arctan2(float y, float x);

float Exp(float x);
float Log(float x);

// x clamped to [0, 1]; NaN gives 0.
inline float Saturate(float x)
{
    float v = x > 0.0f ? x : 0.0f;
    return v < 1.0f ? v : 1.0f;
}

}  // namespace oq
