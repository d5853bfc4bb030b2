#pragma once

#include <cstdint>
#include <limits>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace oq {

// Float limits shared by boxes, roots and clipping; fixed at compile time.
inline constexpr float FloatInfinity = std::numeric_limits<float>::infinity();
inline constexpr float FloatMinusInfinity = -std::numeric_limits<float>::infinity();
inline constexpr float FloatMinNormal = 1.17549435e-38f;  // 2^-126: smaller magnitudes count as zero
inline constexpr float FloatMaxFinite = 3.40282347e+38f;

inline constexpr float kPi = 3.14159274f;
inline constexpr float kHalfPi = 1.57079637f;
inline constexpr float kLn2 = 0.693147182f;

// Largest integer not above x, formed in float arithmetic (adding and subtracting 2^23);
// x itself when its magnitude is 2^23 or more, or NaN.
inline float FloatFloor(float x)
{
    const float twoPower23 = 8388608.0f;
    float magnitude = x < 0.0f ? -x : x;
    if (!(magnitude < twoPower23))
        return x;
    float rounded = (magnitude + twoPower23) - twoPower23;
    float r = x < 0.0f ? -rounded : rounded;
    return r > x ? r - 1.0f : r;
}

// Hardware reciprocal square root estimate (relative error at most 1.5 x 2^-12) refined by one
// Newton step whose half is 0.5 + 2^-24; x is at least FloatMinNormal.
inline float InverseSqrtNewton(float x)
{
#if defined(__SSE__) || defined(__x86_64__)
    float y0 = _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(x)));
#else
    float y0 = 1.0f / __builtin_sqrtf(x);
#endif
    return y0 * 0.50000006f * (3.0f - x * y0 * y0);
}

// Square root; 0 below FloatMinNormal (zero, subnormals, negatives).
inline float Sqrt(float x)
{
    return x < FloatMinNormal ? 0.0f : x * InverseSqrtNewton(x);
}

// Reciprocal square root; +infinity below FloatMinNormal.
inline float InverseSqrt(float x)
{
    return x < FloatMinNormal ? FloatInfinity : InverseSqrtNewton(x);
}

float Sin(float angle);
float Cos(float angle);
float Tan(float angle);

// Cosine and sine from one table lookup.
void CosSin(float angle, float *cosine, float *sine);

// Entry (index & 255) of the trigonometric table: cosine and sine of 2 pi index / 256.
void GetTrigTableEntry(int32_t index, float *cosine, float *sine);

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
