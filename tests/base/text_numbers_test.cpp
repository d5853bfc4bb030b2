#include <gtest/gtest.h>

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/TextUtils.h"

namespace {

// The decimal text std::to_chars writes, cut to the limit as the writers cut theirs.
template <typename Integer>
std::string Expected(Integer value, int32_t limit)
{
    char text[32];
    std::to_chars_result result = std::to_chars(text, text + sizeof(text), value);
    std::string full(text, result.ptr);
    return full.substr(0, limit < 0 ? 0 : static_cast<size_t>(limit));
}

template <typename Integer, typename Writer>
void CheckAgainstToChars(Integer value, Writer writer)
{
    for (int32_t limit = -2; limit <= 22; limit++)
    {
        char buffer[40];
        std::memset(buffer, 0x55, sizeof(buffer));
        int32_t count = writer(value, buffer, limit);
        std::string expected = Expected(value, limit);
        ASSERT_EQ(count, static_cast<int32_t>(expected.size())) << value << " limit " << limit;
        ASSERT_EQ(std::string(buffer), expected) << value << " limit " << limit;
        ASSERT_EQ(buffer[count + 1], 0x55) << value << " limit " << limit;
    }
}

TEST(TextNumbersTest, IntegersAgreeWithToChars)
{
    std::vector<int64_t> values = {0, 1, -1, 9, 10, -10, 99, 100, 123456, -2147483647, INT32_MAX, INT32_MIN, INT64_MAX, INT64_MIN,
                                   1000000000000000000, -999999999999999999};
    std::mt19937_64 random(106);
    for (int32_t i = 0; i < 20000; i++) values.push_back(static_cast<int64_t>(random()) >> (random() % 64));
    // Every change of the digit count.
    for (int64_t power = 10;; power *= 10)
    {
        for (int64_t value : {power - 1, power, power + 1}) values.insert(values.end(), {value, -value});
        if (power == 1000000000000000000) break;
    }

    for (int64_t value : values)
    {
        CheckAgainstToChars(value, oq::Int64ToText);
        CheckAgainstToChars(static_cast<int32_t>(value), oq::Int32ToText);
    }
}

TEST(TextNumbersTest, IntegerEdgeCases)
{
    char buffer[32];
    EXPECT_EQ(oq::Int32ToText(INT32_MIN, buffer, 15), 11);
    EXPECT_STREQ(buffer, "-2147483648");
    EXPECT_EQ(oq::Int32ToText(-5, buffer, 0), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(oq::Int32ToText(0, buffer, 15), 1);
    EXPECT_STREQ(buffer, "0");
    EXPECT_EQ(oq::Int32ToText(123456, buffer, 3), 3);
    EXPECT_STREQ(buffer, "123");
    EXPECT_EQ(oq::Int32ToText(-7, buffer, 1), 1);
    EXPECT_STREQ(buffer, "-");
    EXPECT_EQ(oq::Int64ToText(INT64_MIN, buffer, 63), 20);
    EXPECT_STREQ(buffer, "-9223372036854775808");
}

TEST(TextNumbersTest, HexDigits)
{
    std::mt19937_64 random(16);
    for (int32_t i = 0; i < 10000; i++)
    {
        uint64_t value = random();
        uint32_t low = static_cast<uint32_t>(value);
        char buffer[20];
        char expected[20];

        oq::FormatHex16(buffer, value);
        std::snprintf(expected, sizeof(expected), "%016" PRIX64, value);
        ASSERT_STREQ(buffer, expected);
        oq::FormatHex8(buffer, low);
        std::snprintf(expected, sizeof(expected), "%08" PRIX32, low);
        ASSERT_STREQ(buffer, expected);
        oq::FormatHex6(buffer, low);
        std::snprintf(expected, sizeof(expected), "%06" PRIX32, low & 0xFFFFFF);
        ASSERT_STREQ(buffer, expected);
        oq::FormatHex4(buffer, low);
        std::snprintf(expected, sizeof(expected), "%04" PRIX32, low & 0xFFFF);
        ASSERT_STREQ(buffer, expected);
        oq::FormatHex2(buffer, low);
        std::snprintf(expected, sizeof(expected), "%02" PRIX32, low & 0xFF);
        ASSERT_STREQ(buffer, expected);
    }
}

TEST(TextNumbersTest, FourCharacterCodes)
{
    struct Case
    {
        const char *text;
        uint32_t code;
    };

    const Case toCode[] = {
        {"TEST", 'TEST'}, {"SYNT", 0x53594E54}, {"ab", 0x61620000}, {"", 0}, {"ABCDEF", 'ABCD'}, {"\xE9\xFF", 0xE9FF0000},
    };

    for (const Case &c : toCode) EXPECT_EQ(oq::TextToFourCC(c.text), c.code) << c.text;

    const Case toText[] = {
        {"TEST", 'TEST'}, {"alb", 'alb'}, {"\xE9" "abc", 0xE9616263}, {"\x01\x02\x03\x04", 0x01020304},
    };

    for (const Case &c : toText)
    {
        char buffer[8];
        std::memset(buffer, 0x55, sizeof(buffer));
        oq::FourCCToText(buffer, c.code);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(buffer[std::strlen(c.text) + 1], 0x55);
    }

    char buffer[32];
    oq::FormatFourCC(buffer, 0x54455354);
    EXPECT_STREQ(buffer, "0x54455354 'TEST'");
    oq::FormatFourCC(buffer, 'alb');
    EXPECT_STREQ(buffer, "0x00616C62 'alb'");
    oq::FormatFourCC(buffer, 0);
    EXPECT_STREQ(buffer, "0x00000000 ''");
}

}  // namespace
