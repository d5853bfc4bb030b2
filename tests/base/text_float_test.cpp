#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "base/TextUtils.h"

namespace {

uint32_t Bits(float x)
{
    uint32_t bits;
    std::memcpy(&bits, &x, 4);
    return bits;
}

float FromBits(uint32_t bits)
{
    float x;
    std::memcpy(&x, &bits, 4);
    return x;
}

std::string Write(float value, int32_t limit = 63)
{
    char buffer[80];
    std::memset(buffer, 0x55, sizeof(buffer));
    int32_t count = oq::FloatToText(value, buffer, limit);
    EXPECT_EQ(count, static_cast<int32_t>(std::strlen(buffer)));
    EXPECT_EQ(buffer[(limit < 0 ? 0 : limit) + 1], 0x55) << "nothing is written past limit + 1 bytes";
    return buffer;
}

// The writer's layout: an optional sign, digits, a point, at least one digit, and for magnitudes
// outside [1e-4, 100000) an exponent without plus sign or leading zeros after one integer digit.
bool HasWriterLayout(const std::string &text, float value)
{
    size_t i = (text[0] == '-') ? 1 : 0;
    size_t integerStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') i++;
    size_t integerDigits = i - integerStart;
    if (integerDigits == 0 || i >= text.size() || text[i] != '.') return false;
    i++;

    size_t fractionStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') i++;
    if (i == fractionStart) return false;

    float magnitude = std::fabs(value);
    bool exponentForm = magnitude < FromBits(0x38D1B717) || magnitude >= 100000.0f;
    if (!exponentForm) return i == text.size() && (integerDigits == 1 || text[integerStart] != '0');

    if (integerDigits != 1 || text[integerStart] == '0' || i >= text.size() || text[i] != 'e') return false;
    i++;
    if (i < text.size() && text[i] == '-') i++;
    if (i >= text.size() || text[i] < '1' || text[i] > '9') return false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') i++;
    return i == text.size();
}

// Every normal float read back with strtof gives the float it was written from.
void CheckRoundTrip(float value, int32_t *failures)
{
    std::string text = Write(value);
    float back = std::strtof(text.c_str(), nullptr);
    bool good = Bits(back) == Bits(value) && HasWriterLayout(text, value);
    if (!good && ++*failures <= 10)
    {
        ADD_FAILURE() << "bits " << std::hex << Bits(value) << " written " << text << " read back bits " << Bits(back);
    }
}

TEST(TextFloatTest, Examples)
{
    struct Case
    {
        float value;
        int32_t limit;
        const char *text;
    };

    const Case cases[] = {
        {-0.0f, 63, "0.0"},
        {0.0f, 63, "0.0"},
        {1.0f, 63, "1.0"},
        {-2.25f, 63, "-2.25"},
        {100000.0f, 63, "1.0e5"},
        {99999.0f, 63, "99999.0"},
        {1.5f, 2, "1."},
        {1234.5f, 4, "1234"},
        {12345.678f, 63, "12345.6777343"},  // the truncated digits stay: they read back exactly
        {3.14159f, 63, "3.1415901"},
        {0.1f, 63, "0.1"},
        {2.0f, 63, "2.0"},
        {1.5f, 63, "1.5"},
        {1.5e-5f, 63, "1.5e-5"},
        {2.5e7f, 63, "2.5e7"},
        {0.5f, 63, "0.5"},
        {FromBits(0x38D1B717), 63, "0.0001"},
        // Values the truncating digits lost or let drift: now the shortest digits that read back.
        {1.9999f, 63, "1.9999"},
        {0.0012345f, 63, "0.0012345"},
        {0.999999f, 63, "0.999999"},
        {1e-5f, 63, "1.0e-5"},
        {1.2e-38f, 63, "1.2e-38"},
        {1e23f, 63, "1.0e23"},  // the classic digits would give "10.0e22"
        {std::numeric_limits<float>::max(), 63, "3.4028235e38"},
        {-std::numeric_limits<float>::max(), 63, "-3.4028235e38"},
        // Zero, denormals, infinity and NaN.
        {FromBits(0x00000001), 63, "0.0"},
        {FromBits(0x807FFFFF), 63, "0.0"},
        {0.0f, 2, "0"},
        {0.0f, 3, "0.0"},
        {0.0f, 0, ""},
        {1.0f, -1, ""},
        {std::numeric_limits<float>::infinity(), 63, "INF"},
        {-std::numeric_limits<float>::infinity(), 63, "-INF"},
        {std::numeric_limits<float>::quiet_NaN(), 63, "NAN"},
        {-std::numeric_limits<float>::quiet_NaN(), 63, "-NAN"},
        {std::numeric_limits<float>::infinity(), 3, ""},
        {std::numeric_limits<float>::infinity(), 4, "INF"},
        // The limit: the integer part, then the point, then the fraction digits, tidied.
        {-1.5f, 1, "-"},
        {1.5f, 1, "1"},
        {1.5f, 3, "1.5"},
        {0.25f, 1, "0"},
        {0.25f, 2, "0."},
        {0.25f, 3, "0.2"},
        {12345.678f, 7, "12345.6"},
        {1.0001f, 5, "1.0"},      // "1.000" with its zeros stripped
        {1.2999f, 5, "1.3"},      // "1.299" rounded at the 9s
        {2.5e7f, 4, "2.5e"},      // room for the "e" only
        {2.5e7f, 5, "2.5e7"},
        {1.5e-5f, 5, "1.5e-"},
    };

    for (const Case &c : cases)
    {
        EXPECT_EQ(Write(c.value, c.limit), c.text) << "bits " << std::hex << Bits(c.value) << std::dec << " limit " << c.limit;
    }
}

TEST(TextFloatTest, ThousandthsRoundTrip)
{
    int32_t failures = 0;
    for (int32_t k = -1000000; k <= 1000000; k++)
    {
        float value = static_cast<float>(static_cast<double>(k) / 1000.0);
        if (k != 0) CheckRoundTrip(value, &failures);
    }

    EXPECT_EQ(failures, 0);
}

TEST(TextFloatTest, RandomFloatsRoundTrip)
{
    int32_t failures = 0;
    std::mt19937 random(786);
    for (int32_t i = 0; i < 2000000; i++)
    {
        uint32_t bits = random();
        uint32_t biased = (bits >> 23) & 0xFF;
        if (biased == 0 || biased == 255) continue;  // denormals are written 0.0, NaN and INF by name
        CheckRoundTrip(FromBits(bits), &failures);
    }

    // The edges of the normal range and of the plain decimal range.
    const uint32_t edges[] = {0x00800000, 0x00800001, 0x7F7FFFFF, 0x7F7FFFFE, 0x38D1B716, 0x38D1B717, 0x38D1B718,
                              0x47C34FFF, 0x47C35000, 0x3F7FFFFF, 0x3F800001, 0x411FFFFF, 0x41200000};
    for (uint32_t bits : edges)
    {
        CheckRoundTrip(FromBits(bits), &failures);
        CheckRoundTrip(FromBits(bits | 0x80000000), &failures);
    }

    EXPECT_EQ(failures, 0);
}

// The texts stay exactly those the writer has always made (a document written today reads the
// same as one written before): a digest of the texts of every 4099th bit pattern and of every
// power of 2 with its two neighbours, both signs, where the rounding interval is uneven.
TEST(TextFloatTest, TextsOfASweepOfFloatsAreUnchanged)
{
    uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](uint32_t bits) {
        char buffer[64];
        int32_t count = oq::FloatToText(FromBits(bits), buffer, 63);
        for (int32_t i = 0; i <= count; i++) hash = (hash ^ static_cast<uint8_t>(buffer[i])) * 1099511628211ull;
    };
    for (uint64_t bits = 0; bits < (uint64_t(1) << 32); bits += 4099) add(static_cast<uint32_t>(bits));
    for (uint32_t biased = 1; biased < 255; biased++)
    {
        for (uint32_t sign : {0u, 0x80000000u})
        {
            for (int32_t delta : {-1, 0, 1}) add(sign | ((biased << 23) + static_cast<uint32_t>(delta)));
        }
    }
    EXPECT_EQ(hash, 0x0bd2e4df7da8b120ull);
}

TEST(TextFloatTest, RepeatedWriteAndReadIsStable)
{
    // A document saved and read back many times keeps its values.
    const float values[] = {0.0012345f, 1.9999f, 123.456f, 7.1e-7f, 6.02e23f, 0.3f};
    for (float value : values)
    {
        float current = value;
        for (int32_t i = 0; i < 20; i++) current = std::strtof(Write(current).c_str(), nullptr);
        EXPECT_EQ(Bits(current), Bits(value)) << Write(value);
    }
}

TEST(TextFloatTest, LimitsAreKept)
{
    std::mt19937 random(818);
    for (int32_t i = 0; i < 20000; i++)
    {
        float value = FromBits(random());
        std::string full = Write(value);
        for (int32_t limit = 0; limit <= 20; limit++)
        {
            std::string cut = Write(value, limit);
            ASSERT_LE(static_cast<int32_t>(cut.size()), limit) << full;
            // A text that fits is written whole (INF and NAN need a limit of 4 even unsigned).
            if (limit >= static_cast<int32_t>(full.size()) && std::isfinite(value))
            {
                ASSERT_EQ(cut, full);
            }
        }
    }
}

}  // namespace
