#include "base/Half.h"

#include <gtest/gtest.h>

#include <cpuid.h>
#include <immintrin.h>

#include <bit>
#include <cstdint>
#include <random>

namespace oq {
namespace {

// Hardware conversions (round to nearest even, and toward zero) as the oracle.
__attribute__((target("f16c"))) float HardwareHalfToFloat(uint16_t half)
{
    return _cvtsh_ss(half);
}

__attribute__((target("f16c"))) uint16_t HardwareFloatToHalf(float value)
{
    return static_cast<uint16_t>(_cvtss_sh(value, _MM_FROUND_TO_NEAREST_INT));
}

__attribute__((target("f16c"))) uint16_t HardwareFloatToHalfTowardZero(float value)
{
    return static_cast<uint16_t>(_cvtss_sh(value, _MM_FROUND_TO_ZERO));
}

bool HaveF16c()
{
#if defined(__clang__)
    // clang's builtin does not know "f16c": AVX (with its OS support) and the CPUID bit.
    unsigned eax, ebx, ecx, edx;
    return __builtin_cpu_supports("avx") && __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_F16C) != 0;
#else
    return __builtin_cpu_supports("f16c");
#endif
}

uint16_t ToHalf(float value)
{
    uint16_t half = 0xDEAD;
    FloatToHalf(&half, value);
    return half;
}

// What the hardware gives, adjusted by the documented differences: no subnormal halves,
// NaN becomes infinity, ties round away from zero.
uint16_t ExpectedHalf(float value)
{
    uint32_t bits = std::bit_cast<uint32_t>(value);
    uint16_t sign = static_cast<uint16_t>((bits >> 16) & 0x8000u);
    uint32_t exponent = (bits >> 23) & 0xFFu;
    if (exponent < 113)
        return sign;
    if (exponent == 255)
        return sign | 0x7C00;
    if (exponent <= 142 && (bits & 0x1FFFu) == 0x1000u)
        return HardwareFloatToHalfTowardZero(value) + 1;
    return HardwareFloatToHalf(value);
}

TEST(Half, HalfToFloatOverEveryPattern)
{
    if (!HaveF16c())
        GTEST_SKIP() << "no F16C";
    for (uint32_t h = 0; h < 65536; h++)
    {
        uint16_t half = static_cast<uint16_t>(h);
        uint32_t exponent = (h >> 10) & 31;
        uint32_t sign = (h & 0x8000u) << 16;
        uint32_t expected;
        if (exponent == 0)
            expected = sign;  // zero and denormals read as signed zero
        else if (exponent == 31)
            expected = sign | 0x7F800000u;  // NaN reads as infinity
        else
            expected = std::bit_cast<uint32_t>(HardwareHalfToFloat(half));
        ASSERT_EQ(std::bit_cast<uint32_t>(HalfToFloat(&half)), expected) << std::hex << h;
    }
}

TEST(Half, FloatToHalfOverADenseSample)
{
    if (!HaveF16c())
        GTEST_SKIP() << "no F16C";
    // Every sign, exponent and top-ten-bit mantissa, with the low bits around the rounding point.
    const uint32_t lowBits[] = {0, 1, 0x0FFF, 0x1000, 0x1001, 0x1FFF, 0x0800, 0x1800};
    int32_t ties = 0;
    for (uint32_t high = 0; high < (1u << 19); high++)
    {
        for (uint32_t low : lowBits)
        {
            uint32_t bits = high << 13 | low;
            float value = std::bit_cast<float>(bits);
            ASSERT_EQ(ToHalf(value), ExpectedHalf(value)) << std::hex << bits;
            if (low == 0x1000 && ((bits >> 23) & 0xFF) >= 113 && ((bits >> 23) & 0xFF) <= 142)
                ties++;
        }
    }
    EXPECT_GT(ties, 0);
    std::mt19937 random(7);
    for (int i = 0; i < 2000000; i++)
    {
        float value = std::bit_cast<float>(static_cast<uint32_t>(random()));
        ASSERT_EQ(ToHalf(value), ExpectedHalf(value)) << value;
    }
}

TEST(Half, NormalHalvesRoundTrip)
{
    for (uint32_t h = 0; h < 65536; h++)
    {
        uint32_t exponent = (h >> 10) & 31;
        if (exponent == 0 || exponent == 31)
            continue;
        uint16_t half = static_cast<uint16_t>(h);
        ASSERT_EQ(ToHalf(HalfToFloat(&half)), half) << std::hex << h;
    }
}

TEST(Half, DocumentedDifferencesFromIeee)
{
    struct Case
    {
        float value;
        uint16_t half;
    };
    const Case cases[] = {
        {1.0f, 0x3C00},
        {65504.0f, 0x7BFF},
        {65519.0f, 0x7BFF},
        {65520.0f, 0x7C00},                     // ties away from zero, into infinity
        {1.0f + 0x1.0p-11f, 0x3C01},            // a tie rounds away from zero (IEEE: 0x3C00)
        {-(1.0f + 0x1.0p-11f), 0xBC01},
        {1.0f + 3 * 0x1.0p-11f, 0x3C02},        // the other tie goes up as in IEEE
        {0.00001f, 0x0000},                     // would be a subnormal half
        {0x1.0p-14f, 0x0400},                   // smallest normal half
        {0x1.FFFFFEp-15f, 0x0000},              // just below it: zero, no rounding up
        {-0.0f, 0x8000},
        {std::bit_cast<float>(0x7FC00000u), 0x7C00},  // NaN becomes infinity
        {std::bit_cast<float>(0xFFC00001u), 0xFC00},
        {-1.0e10f, 0xFC00},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ToHalf(c.value), c.half) << c.value;

    struct Pattern
    {
        uint16_t half;
        uint32_t floatBits;
    };
    const Pattern patterns[] = {{0x3C00, 0x3F800000u}, {0x7C01, 0x7F800000u}, {0x0001, 0x00000000u}, {0x8001, 0x80000000u}, {0xFC00, 0xFF800000u}};
    for (const Pattern &p : patterns)
        EXPECT_EQ(std::bit_cast<uint32_t>(HalfToFloat(&p.half)), p.floatBits) << std::hex << p.half;
}

}  // namespace
}  // namespace oq
