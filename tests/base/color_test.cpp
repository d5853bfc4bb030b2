#include "base/Color.h"

#include "base/ScalarMath.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <random>

namespace oq {
namespace {

double ReferenceSrgbToLinear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double ReferenceLinearToSrgb(double c)
{
    return c < 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
}

const float kNaN = std::bit_cast<float>(0x7FC00000u);

TEST(Color, TransferFunctionsMatchDoublePow)
{
    for (int i = 0; i <= 200000; i++)
    {
        float c = static_cast<float>(i) / 200000.0f;
        ASSERT_NEAR(SrgbToLinear(c), ReferenceSrgbToLinear(c), 1.0e-6) << c;
        ASSERT_NEAR(LinearToSrgb(c), ReferenceLinearToSrgb(c), 1.0e-6) << c;
    }
    // Branch points: 0.04045 is still linear, 0.0031308 already takes the power branch.
    EXPECT_EQ(SrgbToLinear(0.04045f), 0.04045f * 0.07739938f);
    EXPECT_NE(LinearToSrgb(0.0031308f), 0.0031308f * 12.92f);
    EXPECT_NEAR(LinearToSrgb(0.0031308f), 0.0031308 * 12.92, 1.0e-6);
}

TEST(Color, ByteTableDecodesEveryByte)
{
    for (int i = 0; i < 256; i++)
        ASSERT_NEAR(kSrgbByteToLinear[i], ReferenceSrgbToLinear(i / 255.0), 2.0e-7) << i;
    EXPECT_EQ(kSrgbByteToLinear[0], 0.0f);
    EXPECT_NEAR(kSrgbByteToLinear[1], 0.0003f, 5.0e-6);
    EXPECT_NEAR(kSrgbByteToLinear[128], 0.2158604f, 2.0e-7);
    EXPECT_EQ(kSrgbByteToLinear[255], 1.0f);
}

TEST(Color, HexTextRoundTripsEveryByte)
{
    for (int b = 0; b < 256; b++)
    {
        char text[9];
        std::snprintf(text, sizeof text, "%02X%02X%02X%02X", b, 255 - b, b, b);
        ColorRGBA color;
        color.SetHexText(text);
        char written[9];
        color.GetHexText(written);
        ASSERT_STREQ(written, text);
        ColorRGB rgb;
        rgb.SetHexText(text);
        char rgbWritten[7];
        rgb.GetHexText(rgbWritten);
        ASSERT_EQ(std::strncmp(rgbWritten, text, 6), 0) << text;
        ASSERT_EQ(rgbWritten[6], 0);
    }
}

TEST(Color, HexText)
{
    struct Case
    {
        ColorRGB color;
        const char *text;
    };
    // Bytes saturate: values above 1 give FF, negatives and NaN give 00.
    const Case cases[] = {
        {{1.0f, 0.5f, 0.0f}, "FFBC00"},
        {{2.0f, 0.0f, 0.0f}, "FF0000"},
        {{1.0e30f, -1.0f, kNaN}, "FF0000"},
        {{FloatInfinity, FloatMinusInfinity, 0.0f}, "FF0000"},
        {{0.0f, 0.0f, 0.0f}, "000000"},
    };
    for (const Case &c : cases)
    {
        char text[7];
        c.color.GetHexText(text);
        EXPECT_STREQ(text, c.text);
    }

    ColorRGBA rgba = {1.0f, 0.0f, 0.0f, 2.0f};
    char text[9];
    rgba.GetHexText(text);
    EXPECT_STREQ(text, "FF0000FF");
    rgba.alpha = kNaN;
    rgba.GetHexText(text);
    EXPECT_STREQ(text, "FF000000");
    rgba.alpha = 0.5f;
    rgba.GetHexText(text);
    EXPECT_STREQ(text, "FF000080");

    ColorRGB color = {0.0f, 0.0f, 0.0f};
    color.SetHexText("");
    EXPECT_EQ(color.red, 1.0f);
    EXPECT_EQ(color.green, 1.0f);
    EXPECT_EQ(color.blue, 1.0f);
    color.SetHexText("80");
    EXPECT_NEAR(color.red, 0.2158604f, 2.0e-7);
    EXPECT_EQ(color.green, 1.0f);
    EXPECT_EQ(color.blue, 1.0f);
    color.SetHexText("00ff00");
    EXPECT_EQ(color.red, 0.0f);
    EXPECT_EQ(color.green, 1.0f);

    ColorRGBA withAlpha;
    withAlpha.SetHexText("000000");
    EXPECT_EQ(withAlpha.alpha, 1.0f);
    withAlpha.SetHexText("0000003F");
    EXPECT_EQ(withAlpha.alpha, 63.0f * 0.003921569f);
}

TEST(Color, Srgb8Saturates)
{
    struct Case
    {
        ColorRGBA color;
        uint8_t bytes[4];
    };
    const Case cases[] = {
        {{1.0f, 0.5f, 0.0f, 1.0f}, {255, 188, 0, 255}},
        {{2.0f, -1.0f, kNaN, 0.5f}, {255, 0, 0, 128}},
        {{0.0f, 0.0f, 0.0f, 1.5f}, {0, 0, 0, 255}},
        {{1.0e30f, 1.0e-30f, 0.0f, kNaN}, {255, 0, 0, 0}},
        {{0.0f, 0.0f, 0.0f, -0.001f}, {0, 0, 0, 0}},
    };
    for (const Case &c : cases)
    {
        uint8_t bytes[4];
        ColorRGBAToSrgb8(bytes, c.color);
        EXPECT_EQ(std::memcmp(bytes, c.bytes, 4), 0) << int(bytes[0]) << " " << int(bytes[1]) << " " << int(bytes[2]) << " " << int(bytes[3]);
    }
}

TEST(Color, ColourRecordConversions)
{
    ColorRGBA linear = ColorRGBA{0.5f, 0.25f, 1.0f, 0.5f}.SrgbToLinear();
    EXPECT_NEAR(linear.red, ReferenceSrgbToLinear(0.5), 1.0e-6);
    EXPECT_NEAR(linear.green, ReferenceSrgbToLinear(0.25), 1.0e-6);
    EXPECT_NEAR(linear.blue, 1.0, 1.0e-6);
    EXPECT_EQ(linear.alpha, 0.5f);
    ColorRGBA back = linear.LinearToSrgb();
    EXPECT_NEAR(back.red, 0.5f, 2.0e-6);
    EXPECT_EQ(back.alpha, 0.5f);
    ColorRGB rgb = ColorRGB{0.2f, 0.4f, 0.6f}.LinearToSrgb();
    EXPECT_NEAR(rgb.green, ReferenceLinearToSrgb(0.4), 1.0e-6);
}

TEST(Color, HueAndSaturation)
{
    struct Case
    {
        ColorRGB color;
        float hue;
        float saturation;
    };
    const Case cases[] = {
        {{0.5f, 0.5f, 0.5f}, 0.0f, 0.0f},
        {{0.0f, 0.0f, 0.0f}, 0.0f, 0.0f},
        {{0.0f, 0.0f, 1.0f}, 4.0f, 1.0f},
        {{1.0f, 0.0f, 0.0f}, 0.0f, 1.0f},
        {{0.0f, 1.0f, 0.0f}, 2.0f, 1.0f},
        {{1.0f, 0.0f, 0.5f}, 5.5f, 1.0f},
        {{0.5f, 1.0f, 0.75f}, 2.5f, 0.5f},
    };
    for (const Case &c : cases)
    {
        float hue, saturation;
        c.color.GetHueSaturation(&hue, &saturation);
        EXPECT_FLOAT_EQ(hue, c.hue);
        EXPECT_FLOAT_EQ(saturation, c.saturation);
    }

    ColorRGB blue = {0.0f, 0.0f, 0.0f};
    blue.SetHueSaturation(4.0f, 1.0f);
    EXPECT_EQ(blue.red, 0.0f);
    EXPECT_EQ(blue.green, 0.0f);
    EXPECT_EQ(blue.blue, 1.0f);

    // Hues outside (-1, 6) leave the colour alone; (-1, 0) counts as sextant 0.
    ColorRGB unchanged = {0.1f, 0.2f, 0.3f};
    for (float hue : {6.0f, 7.5f, -1.0f, -3.0f, kNaN})
    {
        unchanged.SetHueSaturation(hue, 1.0f);
        EXPECT_EQ(unchanged.red, 0.1f);
        EXPECT_EQ(unchanged.blue, 0.3f);
    }
    ColorRGB negative = {0.0f, 0.0f, 0.0f};
    negative.SetHueSaturation(-0.5f, 1.0f);
    EXPECT_EQ(negative.red, 1.0f);
    EXPECT_FLOAT_EQ(negative.green, 0.5f);
    EXPECT_EQ(negative.blue, 0.0f);

    // Every bright colour survives the round trip.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int i = 0; i < 10000; i++)
    {
        ColorRGB color = {unit(random), unit(random), unit(random)};
        color = color.GetNormalized();
        float hue, saturation;
        color.GetHueSaturation(&hue, &saturation);
        ASSERT_GE(hue, 0.0f);
        ASSERT_LT(hue, 6.0f);
        ColorRGB again = {0.0f, 0.0f, 0.0f};
        again.SetHueSaturation(hue, saturation);
        ASSERT_NEAR(again.red, color.red, 1.0e-5);
        ASSERT_NEAR(again.green, color.green, 1.0e-5);
        ASSERT_NEAR(again.blue, color.blue, 1.0e-5);
    }
}

TEST(Color, NormalizeAndScale)
{
    ColorRGB color = ColorRGB{0.5f, 0.25f, 0.125f}.GetNormalized();
    EXPECT_EQ(color.red, 1.0f);
    EXPECT_EQ(color.green, 0.5f);
    EXPECT_EQ(color.blue, 0.25f);
    ColorRGB white = ColorRGB{0.0f, 1.0e-39f, -1.0f}.GetNormalized();
    EXPECT_EQ(white.red, 1.0f);
    EXPECT_EQ(white.green, 1.0f);
    EXPECT_EQ(white.blue, 1.0f);

    color.SetMaxComponent(4.0f);
    EXPECT_EQ(color.red, 4.0f);
    EXPECT_EQ(color.green, 2.0f);
    // The largest component takes the value exactly, also when value / max is inexact.
    ColorRGB thirds = {3.0f, 1.0f, 2.0f};
    thirds.SetMaxComponent(0.1f);
    EXPECT_EQ(thirds.red, 0.1f);
    std::mt19937 random(13);
    std::uniform_real_distribution<float> range(0.001f, 10.0f);
    for (int i = 0; i < 10000; i++)
    {
        ColorRGB scaled = {range(random), range(random), range(random)};
        float value = range(random);
        scaled.SetMaxComponent(value);
        ASSERT_EQ(std::fmax(scaled.red, std::fmax(scaled.green, scaled.blue)), value) << i;
    }
    ColorRGB black = {0.0f, 0.0f, 0.0f};
    black.SetMaxComponent(0.75f);
    EXPECT_EQ(black.red, 0.75f);
    EXPECT_EQ(black.green, 0.75f);
    EXPECT_EQ(black.blue, 0.75f);
}

TEST(Color, Rgb9e5)
{
    EXPECT_EQ((ColorRGB{1.0f, 0.0f, 0.0f}.GetRGB9E5()), 0x80000100u);
    EXPECT_EQ((ColorRGB{65408.0f, 65408.0f, 65408.0f}.GetRGB9E5()), 31u << 27 | 511u << 18 | 511u << 9 | 511u);
    EXPECT_EQ((ColorRGB{1.0e10f, FloatInfinity, 70000.0f}.GetRGB9E5()), 31u << 27 | 511u << 18 | 511u << 9 | 511u);
    EXPECT_EQ((ColorRGB{0.0f, 0.0f, 0.0f}.GetRGB9E5()), 0u);
    EXPECT_EQ((ColorRGB{-1.0f, kNaN, 0.0f}.GetRGB9E5()), 0u);

    // Decoding gives each clamped component back within half a mantissa step.
    std::mt19937 random(9);
    std::uniform_real_distribution<float> exponent(-20.0f, 16.0f);
    for (int i = 0; i < 100000; i++)
    {
        float components[3];
        for (float &c : components)
            c = std::exp2(exponent(random));
        uint32_t packed = ColorRGB{components[0], components[1], components[2]}.GetRGB9E5();
        int32_t e = static_cast<int32_t>(packed >> 27);
        double step = std::ldexp(1.0, e - 24);
        bool anyLarge = false;
        for (int k = 0; k < 3; k++)
        {
            uint32_t mantissa = (packed >> (9 * k)) & 511u;
            double clamped = std::fmin(components[k], 65408.0);
            ASSERT_LE(std::fabs(mantissa * step - clamped), 0.5 * step * (1.0 + 1.0e-6)) << i;
            anyLarge = anyLarge || mantissa >= 256;
        }
        ASSERT_TRUE(anyLarge || e == 0) << i;
    }
}

}  // namespace
}  // namespace oq
