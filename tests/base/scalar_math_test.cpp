#include "base/ScalarMath.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace oq {
namespace {

uint32_t Bits(float x)
{
    return std::bit_cast<uint32_t>(x);
}

float FromBits(uint32_t bits)
{
    return std::bit_cast<float>(bits);
}

// Table reduction loses about one float step of the scaled angle, so the bound grows with it.
double TrigBound(float angle)
{
    return 1.0e-6 + 8.0e-8 * std::fabs(angle);
}

TEST(ScalarMath, ConstantsHaveTheirBits)
{
    EXPECT_EQ(Bits(FloatInfinity), 0x7F800000u);
    EXPECT_EQ(Bits(FloatMinusInfinity), 0xFF800000u);
    EXPECT_EQ(Bits(FloatMinNormal), 0x00800000u);
    EXPECT_EQ(Bits(FloatMaxFinite), 0x7F7FFFFFu);
}

// A fingerprint of the bits Sin, Cos and CosSin give over a dense sample of every float (both
// signs, zeros, subnormals, infinities and NaNs): faster code must give the same bits.
TEST(ScalarMath, TrigonometryKeepsItsBits)
{
    uint64_t sine = 0;
    uint64_t cosine = 0;
    auto mix = [](uint64_t hash, float value) { return (hash ^ Bits(value)) * 0x100000001B3u; };
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 251)
    {
        float x = FromBits(uint32_t(bits));
        float c = 0.0f;
        float s = 0.0f;
        CosSin(x, &c, &s);
        ASSERT_EQ(Bits(s), Bits(Sin(x))) << x;
        sine = mix(sine, s);
        cosine = mix(cosine, Cos(x));
    }
    for (float x : {0.0f, -0.0f, 1.0e-30f, -1.0e-30f, FloatInfinity, FloatMinusInfinity})
    {
        sine = mix(sine, Sin(x));
        cosine = mix(cosine, Cos(x));
    }
    EXPECT_EQ(sine, 17335979563642308676u);
    EXPECT_EQ(cosine, 12206151570684393669u);
}

TEST(ScalarMath, SineCosineTangentMatchLibm)
{
    std::mt19937 random(1);
    std::uniform_real_distribution<float> small(-7.0f, 7.0f);
    std::uniform_real_distribution<float> large(-100.0f, 100.0f);
    for (int i = 0; i < 400000; i++)
    {
        float x = (i & 1) ? small(random) : large(random);
        double s = std::sin(static_cast<double>(x));
        double c = std::cos(static_cast<double>(x));
        ASSERT_NEAR(Sin(x), s, TrigBound(x)) << x;
        ASSERT_NEAR(Cos(x), c, TrigBound(x)) << x;
        float cs, sn;
        CosSin(x, &cs, &sn);
        ASSERT_EQ(Bits(cs), Bits(Cos(x))) << x;
        ASSERT_EQ(Bits(sn), Bits(Sin(x))) << x;
        if (std::fabs(c) > 1.0e-3)
        {
            // Near the poles an angle error e moves the tangent by about e (1 + tan^2).
            double t = s / c;
            ASSERT_NEAR(Tan(x), t, 2.0 * TrigBound(x) * (1.0 + t * t) + 1.0e-7 * std::fabs(t)) << x;
        }
    }
}

TEST(ScalarMath, TrigonometryIsSymmetricBitForBit)
{
    // Zero included: -0 is negated like every other negative angle.
    for (float x : {0.0f, 0.001f, 0.5f, 1.0f, 3.14159274f, 10.0f, 77.7f, 1.0e6f, 3.0e38f})
    {
        EXPECT_EQ(Bits(Sin(-x)), Bits(-Sin(x))) << x;
        EXPECT_EQ(Bits(Cos(-x)), Bits(Cos(x))) << x;
        EXPECT_EQ(Bits(Tan(-x)), Bits(-Tan(x))) << x;
        float c, s;
        CosSin(-x, &c, &s);
        EXPECT_EQ(Bits(s), Bits(-Sin(x))) << x;
        EXPECT_EQ(Bits(c), Bits(Cos(x))) << x;
    }
    EXPECT_EQ(Sin(0.0f), 0.0f);
    EXPECT_EQ(Cos(0.0f), 1.0f);
}

TEST(ScalarMath, HugeAndNonFiniteAnglesStayInsideTheTable)
{
    // Any result is acceptable; the lookup must stay in range (ASan), and angles whose scaled
    // value is finite give bounded results.
    for (float x : {8388608.0f, 2147483648.0f, 1.0e30f, FloatMaxFinite, FloatInfinity, FromBits(0x7FC00000u)})
    {
        float c, s;
        CosSin(x, &c, &s);
        if (std::fabs(x) < 1.0e37f)
        {
            EXPECT_LE(std::fabs(c), 1.001f) << x;
            EXPECT_LE(std::fabs(s), 1.001f) << x;
        }
    }
    EXPECT_TRUE(std::isnan(Arctan(FromBits(0x7FC00000u))));
    EXPECT_TRUE(std::isnan(Exp(FromBits(0x7FC00000u))));
    EXPECT_TRUE(std::isnan(Log(FromBits(0x7FC00000u))));
}

TEST(ScalarMath, InverseTrigonometryMatchesLibm)
{
    std::mt19937 random(2);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> wide(-1000.0f, 1000.0f);
    std::uniform_real_distribution<double> angle(-3.2, 3.2);
    for (int i = 0; i < 200000; i++)
    {
        float u = unit(random);
        ASSERT_NEAR(Arcsin(u), std::asin(static_cast<double>(u)), 2.0e-6) << u;
        ASSERT_NEAR(Arccos(u), std::acos(static_cast<double>(u)), 2.0e-6) << u;
        float w = wide(random);
        ASSERT_NEAR(Arctan(w), std::atan(static_cast<double>(w)), 4.0e-7) << w;
        ASSERT_NEAR(Arctan(u), std::atan(static_cast<double>(u)), 4.0e-7) << u;
        double a = angle(random);
        float radius = (i % 3 == 0) ? 1.0e-3f : (i % 3 == 1) ? 1.0f : 1.0e3f;
        float y = radius * static_cast<float>(std::sin(a));
        float x = radius * static_cast<float>(std::cos(a));
        ASSERT_NEAR(Arctan2(y, x), std::atan2(static_cast<double>(y), static_cast<double>(x)), 5.0e-7) << y << ", " << x;
    }
}

TEST(ScalarMath, ArctangentTableHoldsNearestFloats)
{
    // At i / 64 the remainder is zero and the result is the table entry itself.
    for (int i = 0; i <= 64; i++)
    {
        float x = static_cast<float>(i) / 64.0f;
        EXPECT_EQ(Arctan(x), static_cast<float>(std::atan(i / 64.0))) << i;
    }
}

TEST(ScalarMath, ExpMatchesLibm)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> range(-87.0f, 88.0f);
    for (int i = 0; i < 400000; i++)
    {
        float x = range(random);
        double e = std::exp(static_cast<double>(x));
        ASSERT_NEAR(Exp(x), e, 4.0e-7 * e) << x;
    }
    // At integers the polynomial is exactly 1: the table entries are the nearest floats.
    for (int n = -87; n <= 88; n++)
        EXPECT_EQ(Exp(static_cast<float>(n)), static_cast<float>(std::exp(static_cast<double>(n)))) << n;
}

TEST(ScalarMath, LogMatchesLibmOverNormalFloats)
{
    for (uint32_t bits = 0x00800000u; bits < 0x7F800000u; bits += 997)
    {
        float x = FromBits(bits);
        double l = std::log(static_cast<double>(x));
        ASSERT_NEAR(Log(x), l, 2.0e-7 * std::fmax(1.0, std::fabs(l)) + 1.0e-7) << x;
    }
}

TEST(ScalarMath, RootsMatchLibm)
{
    for (uint32_t bits = 0x00800000u; bits < 0x7F800000u; bits += 1009)
    {
        float x = FromBits(bits);
        double r = std::sqrt(static_cast<double>(x));
        ASSERT_NEAR(Sqrt(x), r, 5.0e-7 * r) << x;
        ASSERT_NEAR(InverseSqrt(x), 1.0 / r, 5.0e-7 / r) << x;
    }
}

struct EdgeCase
{
    const char *name;
    float result;
    float expected;
};

TEST(ScalarMath, EdgeCases)
{
    const float pi = 3.14159274f;
    const float halfPi = 1.57079637f;
    const EdgeCase cases[] = {
        {"Sqrt(0)", Sqrt(0.0f), 0.0f},
        {"Sqrt(-4)", Sqrt(-4.0f), 0.0f},
        {"Sqrt(2^-127)", Sqrt(FromBits(0x00400000u)), 0.0f},
        {"InverseSqrt(0)", InverseSqrt(0.0f), FloatInfinity},
        {"InverseSqrt(-1)", InverseSqrt(-1.0f), FloatInfinity},
        {"Arctan(1)", Arctan(1.0f), 0.785398163f},
        {"Arctan(+inf)", Arctan(FloatInfinity), halfPi},
        {"Arctan(-inf)", Arctan(FloatMinusInfinity), -halfPi},
        {"Arctan2(0, -1)", Arctan2(0.0f, -1.0f), pi},
        {"Arctan2(0, 1)", Arctan2(0.0f, 1.0f), 0.0f},
        {"Arctan2(0, 0)", Arctan2(0.0f, 0.0f), 0.0f},
        {"Arctan2(1e-39, -1)", Arctan2(1.0e-39f, -1.0f), pi},
        {"Arctan2(1, 0)", Arctan2(1.0f, 0.0f), halfPi},
        {"Arctan2(-1, 0)", Arctan2(-1.0f, 0.0f), -halfPi},
        {"Arctan2(-1, -1)", Arctan2(-1.0f, -1.0f), -3.0f * pi / 4.0f},
        {"Arcsin(1)", Arcsin(1.0f), halfPi},
        {"Arcsin(2)", Arcsin(2.0f), halfPi},
        {"Arcsin(-2)", Arcsin(-2.0f), -halfPi},
        {"Arccos(1)", Arccos(1.0f), 0.0f},
        {"Arccos(-1)", Arccos(-1.0f), pi},
        {"Arccos(+0)", Arccos(0.0f), halfPi},
        {"Arccos(-0)", Arccos(-0.0f), halfPi},
        {"Arccos(2)", Arccos(2.0f), 0.0f},
        {"Arccos(-2)", Arccos(-2.0f), pi},
        {"Exp(0)", Exp(0.0f), 1.0f},
        {"Exp(-87.5)", Exp(-87.5f), 0.0f},
        {"Exp(-1000)", Exp(-1000.0f), 0.0f},
        {"Exp(89)", Exp(89.0f), FloatInfinity},
        {"Exp(1e30)", Exp(1.0e30f), FloatInfinity},
        {"Exp(88.9)", Exp(88.9f), FloatInfinity},
        {"Log(1)", Log(1.0f), 0.0f},
        {"Log(2)", Log(2.0f), 0.693147182f},
        {"Log(0)", Log(0.0f), FloatMinusInfinity},
        {"Log(-0)", Log(-0.0f), FloatMinusInfinity},
        {"Log(+inf)", Log(FloatInfinity), FloatInfinity},
        {"Saturate(-0.5)", Saturate(-0.5f), 0.0f},
        {"Saturate(2)", Saturate(2.0f), 1.0f},
        {"Saturate(0.25)", Saturate(0.25f), 0.25f},
        {"Saturate(NaN)", Saturate(FromBits(0x7FC00000u)), 0.0f},
    };
    for (const EdgeCase &c : cases)
        EXPECT_EQ(Bits(c.result), Bits(c.expected)) << c.name << ": " << c.result;

    // e^-87 is still a normal float.
    EXPECT_NEAR(Exp(-87.0f), 1.6458115e-38f, 1.0e-44f);
    EXPECT_GE(Exp(-87.0f), FloatMinNormal);
    EXPECT_EQ(Bits(Log(-1.0f)), 0x7FFFFFFFu);
    EXPECT_EQ(Bits(Log(FloatMinusInfinity)), 0x7FFFFFFFu);
}

TEST(ScalarMath, FloorFormsIntegersInFloat)
{
    const float cases[][2] = {
        {0.0f, 0.0f}, {0.5f, 0.0f}, {1.0f, 1.0f}, {1.5f, 1.0f}, {-0.5f, -1.0f}, {-1.0f, -1.0f},
        {-1.5f, -2.0f}, {8388607.5f, 8388607.0f}, {-8388607.5f, -8388608.0f}, {1.0e20f, 1.0e20f}, {-1.0e20f, -1.0e20f},
        {0.99999994f, 0.0f}, {-0.99999994f, -1.0f},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FloatFloor(c[0]), c[1]) << c[0];
}

}  // namespace
}  // namespace oq
