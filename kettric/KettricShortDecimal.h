#pragma once

// Inline readers of the common short decimal literals, shared by the literal readers and the data lists.
#include "kettric/KettricCharClass.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace oq {

// Exactly representable powers of ten for the fast conversion.
template <typename T>
struct KettricFastDecimal;

template <>
struct KettricFastDecimal<float>
{
    static constexpr uint64_t kMaxMantissa = uint64_t(1) << 24;
    static constexpr int32_t kMaxExponent = 10;
    static constexpr float kPowers[11] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
};

template <>
struct KettricFastDecimal<double>
{
    static constexpr uint64_t kMaxMantissa = uint64_t(1) << 53;
    static constexpr int32_t kMaxExponent = 22;
    static constexpr double kPowers[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                           1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
};

// Appends the decimal digits at text to the mantissa (modulo 2^64), two per step; returns the first
// byte that is no digit. A second byte is read only after a digit, never past the text's end.
[[gnu::always_inline]] inline const char *AccumulateKettricDigits(const char *text, uint64_t *mantissa)
{
    const char *p = text;
    uint64_t m = *mantissa;
    for (;;)
    {
        uint32_t d0 = static_cast<uint32_t>(static_cast<unsigned char>(p[0])) - '0';
        if (d0 >= 10u) break;
        uint32_t d1 = static_cast<uint32_t>(static_cast<unsigned char>(p[1])) - '0';
        if (d1 >= 10u)
        {
            m = m * 10u + d0;
            ++p;
            break;
        }
        m = m * 100u + (d0 * 10u + d1);
        p += 2;
    }
    *mantissa = m;
    return p;
}

// The common short literal without separators or exponent ("12.375"), converted exactly when its
// digits and its power of ten are both exact in T; false leaves the literal to the full scan.
template <typename T>
[[nodiscard, gnu::always_inline]] inline bool ParseKettricShortDecimal(const char *text, int32_t *length, T *value)
{
    uint64_t mantissa = 0;
    const char *p = AccumulateKettricDigits(text, &mantissa);
    int32_t integerDigits = static_cast<int32_t>(p - text);
    int32_t fractionDigits = 0;
    if (*p == '.')
    {
        const char *fraction = ++p;
        p = AccumulateKettricDigits(fraction, &mantissa);
        fractionDigits = static_cast<int32_t>(p - fraction);
    }
    int32_t digits = integerDigits + fractionDigits;
    if (digits == 0 || digits > 19 || *p == '_' || *p == 'e' || *p == 'E') return false;
    if (mantissa > KettricFastDecimal<T>::kMaxMantissa || fractionDigits > KettricFastDecimal<T>::kMaxExponent) return false;
    *value = T(mantissa) / KettricFastDecimal<T>::kPowers[fractionDigits];
    *length = static_cast<int32_t>(p - text);
    return true;
}

// An integer literal in base 16, 8 or 2 that gives the raw bits of a floating-point value.
inline bool IsKettricBitPattern(const char *text)
{
    if (text[0] != '0') return false;
    char letter = static_cast<char>(text[1] | 0x20);
    return letter == 'x' || letter == 'o' || letter == 'b';
}

// The common case of the float and double readers: no sign or a minus directly before a short
// decimal literal, then white space. False leaves the cursor alone for the full reader.
template <typename T>
[[nodiscard]] inline bool ReadKettricShortFloat(const char **text, T *value)
{
    // The sign is applied without branches: signs of data alternate unpredictably.
    using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    const char *p = *text;
    Bits negative = (*p == '-');
    p += negative;
    T v = 0;
    int32_t n = 0;
    if (IsKettricBitPattern(p) || !ParseKettricShortDecimal(p, &n, &v)) return false;
    if (value != nullptr)
    {
        Bits bits;
        std::memcpy(&bits, &v, sizeof(bits));
        bits ^= negative << (sizeof(Bits) * 8 - 1);
        std::memcpy(value, &bits, sizeof(bits));
    }
    *text = SkipKettricSpace(p + n);
    return true;
}

}  // namespace oq
