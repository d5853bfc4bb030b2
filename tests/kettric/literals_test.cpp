// Kettric lexical layer: white space, identifiers, keywords, integer, float, string, reference and base64 literals.
#include "base/Half.h"
#include "base/TextString.h"
#include "base/TextUtils.h"
#include "kettric/ByteBlock.h"
#include "kettric/KettricLiterals.h"
#include "kettric/StructureReference.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace oq {
namespace {

std::string CodeText(uint32_t code)
{
    if (code == 0) return "0";
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>(code >> shift);
    return s;
}

uint32_t FloatBits(float f)
{
    uint32_t b;
    std::memcpy(&b, &f, 4);
    return b;
}

uint64_t DoubleBits(double d)
{
    uint64_t b;
    std::memcpy(&b, &d, 8);
    return b;
}

TEST(KettricLexer, WhitespaceAndComments)
{
    struct Case
    {
        const char *text;
        int32_t skipped;
    } cases[] = {
        {"", 0},
        {"x", 0},
        {" \t\r\n\x01x", 5},
        {"// line\nx", 8},
        {"// to the end", 13},
        {"/* a /* b */ x", 13},
        {"/* unterminated", 15},
        {"/x", 0},
        {"/ /", 0},
        {"  /**/ /* */x", 12},
    };
    for (const Case &c : cases) EXPECT_EQ(SkipKettricWhitespace(c.text), c.skipped) << c.text;
}

TEST(KettricLexer, Identifiers)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        int32_t length;
    } cases[] = {
        {"abc", 0, 3},          {"_a1 x", 0, 3},      {"A{", 0, 1},   {"a.b", 0, 1},
        {"1a", kResultIdentifierInvalid, 0}, {"\xC3\xA9", kResultIdentifierInvalid, 0},
        {"ab\xC3", kResultIdentifierInvalid, 0}, {" a", kResultIdentifierMissing, 0},
        {"", kResultIdentifierMissing, 0},        {"$a", kResultIdentifierMissing, 0},
    };
    for (const Case &c : cases)
    {
        int32_t length = -1;
        EXPECT_EQ(ParseKettricIdentifier(c.text, &length), c.result) << c.text;
        if (c.result == 0) { EXPECT_EQ(length, c.length) << c.text; }
    }
    char buffer[8];
    int32_t length = 0;
    EXPECT_EQ(CopyKettricIdentifier("name}", &length, buffer), 0u);
    EXPECT_STREQ(buffer, "name");
}

TEST(KettricLexer, TypeKeywords)
{
    struct Case
    {
        const char *text;
        KettricDataType type;  // 0: kResultTypeInvalid
    } cases[] = {
        {"bool", 'BOOL'}, {"b", 'BOOL'}, {"int8", 'INT8'}, {"i8", 'INT8'}, {"int16", 'IN16'}, {"i16", 'IN16'},
        {"int32", 'IN32'}, {"i32", 'IN32'}, {"int64", 'IN64'}, {"i64", 'IN64'},
        {"unsigned_int8", 'UIN8'}, {"uint8", 'UIN8'}, {"u8", 'UIN8'}, {"unsigned_int16", 'UI16'},
        {"uint16", 'UI16'}, {"u16", 'UI16'}, {"unsigned_int32", 'UI32'}, {"uint32", 'UI32'}, {"u32", 'UI32'},
        {"unsigned_int64", 'UI64'}, {"uint64", 'UI64'}, {"u64", 'UI64'},
        {"half", 'HALF'}, {"h", 'HALF'}, {"float16", 'HALF'}, {"f16", 'HALF'},
        {"float", 'FLOT'}, {"f", 'FLOT'}, {"float32", 'FLOT'}, {"f32", 'FLOT'},
        {"double", 'DOUB'}, {"d", 'DOUB'}, {"float64", 'DOUB'}, {"f64", 'DOUB'},
        {"string", 'STRG'}, {"s", 'STRG'}, {"ref", 'RFNC'}, {"r", 'RFNC'}, {"type", 'TYPE'}, {"t", 'TYPE'},
        {"base64", 'BS64'}, {"z", 'BS64'}, {"float[2]", 'FLOT'}, {"i8{", 'INT8'},
        {"int8x", 0}, {"i", 0}, {"int", 0}, {"zz", 0}, {"bool2", 0}, {"f8", 0}, {"uint", 0}, {"x", 0},
        {"halfs", 0}, {"base64x", 0}, {"b64", 0}, {"", 0}, {"s\xC3\xA9", 0},
    };
    for (const Case &c : cases)
    {
        int32_t length = -1;
        KettricDataType type = 0;
        KettricResult result = ParseKettricDataType(c.text, &length, &type);
        if (c.type == 0)
        {
            EXPECT_EQ(result, uint32_t(kResultTypeInvalid)) << c.text;
            continue;
        }
        ASSERT_EQ(result, 0u) << c.text;
        EXPECT_EQ(CodeText(type), CodeText(c.type)) << c.text;
        size_t keyword = std::strcspn(c.text, "[{");
        EXPECT_EQ(length, int32_t(keyword)) << c.text;
    }
    const char *text = "u16 /* c */ x";
    uint32_t value = 0;
    EXPECT_EQ(ReadKettricType(&text, &value), 0u);
    EXPECT_EQ(value, uint32_t('UI16'));
    EXPECT_STREQ(text, "x");
}

TEST(KettricLexer, Bools)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        bool value;
    } cases[] = {
        {"true", 0, true},   {"false", 0, false}, {"1", 0, true},        {"0)", 0, false},
        {"10", kResultBoolInvalid, 0}, {"truex", kResultBoolInvalid, 0}, {"True", kResultBoolInvalid, 0},
        {"", kResultBoolInvalid, 0},
    };
    for (const Case &c : cases)
    {
        const char *text = c.text;
        bool value = !c.value;
        EXPECT_EQ(ReadKettricBool(&text, &value), c.result) << c.text;
        if (c.result == 0)
            EXPECT_EQ(value, c.value) << c.text;
        else
            EXPECT_EQ(text, c.text);
    }
}

TEST(KettricLexer, UnsignedIntegerLiterals)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        uint64_t value;
        int32_t length;
    } cases[] = {
        {"0", 0, 0, 1},
        {"1_000", 0, 1000, 5},
        {"007", 0, 7, 3},
        {"12ab", 0, 12, 2},
        {"18446744073709551615", 0, UINT64_MAX, 20},
        {"18446744073709551616", kResultIntegerOverflow, 0, 0},
        {"99999999999999999999", kResultIntegerOverflow, 0, 0},
        {"0x1F", 0, 0x1F, 4},
        {"0XaB_cD", 0, 0xABCD, 7},
        {"0x0000_0000_FFFF_FFFF_FFFF_FFFF", 0, UINT64_MAX, 31},
        {"0x1_0000_0000_0000_0000", kResultIntegerOverflow, 0, 0},
        {"0o17", 0, 15, 4},
        {"0O1777777777777777777777", 0, UINT64_MAX, 24},
        {"0o2000000000000000000000", kResultIntegerOverflow, 0, 0},
        {"0b1010", 0, 10, 6},
        {"0B1_1", 0, 3, 5},
        {"0b" "1111111111111111111111111111111111111111111111111111111111111111", 0, UINT64_MAX, 66},
        {"0b" "10000000000000000000000000000000000000000000000000000000000000000", kResultIntegerOverflow, 0, 0},
        {"1__0", kResultSyntax, 0, 0},
        {"_1", kResultSyntax, 0, 0},
        {"1_", kResultSyntax, 0, 0},
        {"0x_1", kResultSyntax, 0, 0},
        {"0x", kResultSyntax, 0, 0},
        {"0o8", kResultSyntax, 0, 0},
        {"0b2", kResultSyntax, 0, 0},
        {"x", kResultSyntax, 0, 0},
        {"", kResultSyntax, 0, 0},
        {"'AB'", 0, 0x4142, 4},
        {"''", 0, 0, 2},
        {"'ABCDEFGH'", 0, 0x4142434445464748u, 10},
        {"'ABCDEFGHI'", kResultIntegerOverflow, 0, 0},
        {"'\\x00\\x00ABCDEFGH'", 0, 0x4142434445464748u, 18},
        {"'\\xFF'", 0, 255, 6},
        {"'\\x00'", 0, 0, 6},
        {"'\\n\\\\\\''", 0, 0x0A5C27, 8},
        {"'\\a\\b\\f\\r\\t\\v\\\"\\?'", 0, 0x0708'0C0D'090B'223Fu, 18},
        {"'AB", kResultCharUnterminated, 0, 0},
        {"'\t'", kResultCharInvalidByte, 0, 0},
        {"'\xC3\xA9'", kResultCharInvalidByte, 0, 0},
        {"'\\q'", kResultCharInvalidEscape, 0, 0},
        {"'\\0'", kResultCharInvalidEscape, 0, 0},
        {"'\\x4'", kResultCharInvalidEscape, 0, 0},
        {"'\\", kResultCharInvalidEscape, 0, 0},
        {"'\\x", kResultCharInvalidEscape, 0, 0},
    };
    for (const Case &c : cases)
    {
        int32_t length = -1;
        uint64_t value = 12345;
        KettricResult result = ParseKettricIntegerLiteral(c.text, &length, &value);
        EXPECT_EQ(CodeText(result), CodeText(c.result)) << c.text;
        if (c.result == 0 && result == 0)
        {
            EXPECT_EQ(value, c.value) << c.text;
            EXPECT_EQ(length, c.length) << c.text;
        }
    }
}

// Reads the text with the reader and compares the result code, the value and where the cursor ends.
template <typename T>
void ExpectRead(KettricResult (*reader)(const char **, T *), const char *source, KettricResult expected, T value,
                const char *rest = "")
{
    const char *text = source;
    T read{};
    KettricResult result = reader(&text, &read);
    EXPECT_EQ(CodeText(result), CodeText(expected)) << source;
    if (expected != 0) return;
    EXPECT_EQ(std::memcmp(&read, &value, sizeof(T)), 0) << source;
    EXPECT_STREQ(text, rest) << source;
}

TEST(KettricLexer, SignedAndUnsignedReaders)
{
    ExpectRead<int8_t>(ReadKettricInt8, "-128", 0, -128);
    ExpectRead<int8_t>(ReadKettricInt8, "127", 0, 127);
    ExpectRead<int8_t>(ReadKettricInt8, "128", kResultIntegerOverflow, 0);
    ExpectRead<int8_t>(ReadKettricInt8, "-129", kResultIntegerOverflow, 0);
    ExpectRead<int16_t>(ReadKettricInt16, "-32768 ,", 0, -32768, ",");
    ExpectRead<int16_t>(ReadKettricInt16, "32768", kResultIntegerOverflow, 0);
    ExpectRead<int32_t>(ReadKettricInt32, "- /* c */ 5", 0, -5);
    ExpectRead<int32_t>(ReadKettricInt32, "-2147483648", 0, INT32_MIN);
    ExpectRead<int32_t>(ReadKettricInt32, "2147483648", kResultIntegerOverflow, 0);
    ExpectRead<int32_t>(ReadKettricInt32, "+0x7FFF_FFFF", 0, INT32_MAX);
    ExpectRead<int64_t>(ReadKettricInt64, "-9223372036854775808", 0, INT64_MIN);
    ExpectRead<int64_t>(ReadKettricInt64, "9223372036854775808", kResultIntegerOverflow, 0);
    // The unsigned readers wrap; only the 64-bit limit of the literal fails.
    ExpectRead<uint8_t>(ReadKettricUInt8, "-1", 0, 255);
    ExpectRead<uint8_t>(ReadKettricUInt8, "256", 0, 0);
    ExpectRead<uint8_t>(ReadKettricUInt8, "300", 0, 44);
    ExpectRead<uint16_t>(ReadKettricUInt16, "'AB'", 0, 0x4142);
    ExpectRead<uint32_t>(ReadKettricUInt32, "-1", 0, 0xFFFFFFFFu);
    ExpectRead<uint64_t>(ReadKettricUInt64, "18446744073709551616", kResultIntegerOverflow, 0);
    ExpectRead<uint64_t>(ReadKettricUInt64, "-18446744073709551615", 0, 1);

    // A failed number reader leaves the sign consumed and the target unchanged.
    const char *text = "-129";
    int8_t i8 = 5;
    EXPECT_EQ(ReadKettricInt8(&text, &i8), uint32_t(kResultIntegerOverflow));
    EXPECT_STREQ(text, "129");
    EXPECT_EQ(i8, 5);

    // A null target only checks and skips.
    text = "42 x";
    EXPECT_EQ(ReadKettricUInt32(&text, nullptr), 0u);
    EXPECT_STREQ(text, "x");

    EXPECT_EQ(KettricTextToInt32("- 17"), -17);
    EXPECT_EQ(KettricTextToInt32("2147483648"), 0);
    EXPECT_EQ(KettricTextToInt32("x"), 0);
}

// Float literals compared with the C library in the C locale.
class KettricFloatLiterals : public ::testing::Test
{
protected:
    void SetUp() override { std::setlocale(LC_NUMERIC, "C"); }
};

TEST_F(KettricFloatLiterals, FloatGrammar)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        int32_t length;
    } cases[] = {
        {"1.5", 0, 3},    {".5", 0, 2},      {"5.", 0, 2},     {"1e3", 0, 3},    {"1E+3", 0, 4},
        {"2.5e-1", 0, 6}, {"1_0.2_5e1_0", 0, 11}, {"1.5x", 0, 3}, {"0.0", 0, 3},
        {"1e", kResultFloatInvalid, 0}, {"1e+", kResultFloatInvalid, 0}, {".", kResultFloatInvalid, 0},
        {"e5", kResultFloatInvalid, 0}, {"", kResultFloatInvalid, 0},
        {"_1.0", kResultFloatInvalid, 0}, {"1_.0", kResultFloatInvalid, 0}, {"1._0", kResultFloatInvalid, 0},
        {"1.0_", kResultFloatInvalid, 0},
        {"1__0.0", kResultFloatInvalid, 0}, {"1e_5", kResultFloatInvalid, 0}, {"1e5_", kResultFloatInvalid, 0},
        {"-1", kResultFloatInvalid, 0},
        {"0x", kResultSyntax, 0}, {"0x1_", kResultSyntax, 0}, {"0x1_0000_0000_0000_0000", kResultIntegerOverflow, 0},
    };
    for (const Case &c : cases)
    {
        int32_t length = -1;
        double d = 0;
        float f = 0;
        uint16_t h = 0;
        EXPECT_EQ(CodeText(ParseKettricDoubleLiteral(c.text, &length, &d)), CodeText(c.result)) << c.text;
        if (c.result == 0) { EXPECT_EQ(length, c.length) << c.text; }
        EXPECT_EQ(CodeText(ParseKettricFloatLiteral(c.text, &length, &f)), CodeText(c.result)) << c.text;
        EXPECT_EQ(CodeText(ParseKettricHalfLiteral(c.text, &length, &h)), CodeText(c.result)) << c.text;
    }
}

// Decimal literals convert exactly as strtod and strtof do in the C locale.
TEST_F(KettricFloatLiterals, DecimalValuesMatchStrtod)
{
    std::vector<std::string> texts = {
        "0", "1", "1.5", ".5", "5.", "0.1", "0.2", "0.3", "1e3", "2.5e-1", "3.14159265358979323846",
        "1e400", "1e-400", "0e400", "0.0000e99999", "1e308", "1.7976931348623157e308", "1.7976931348623159e308",
        "4.9e-324", "2.4703282292062327e-324", "2.4703282292062328e-324", "1e-310", "2.2250738585072011e-308",
        "3.4028234663852886e38", "3.4028235677973366e38", "3.4028236e38", "1.17549435e-38", "1.4e-45", "7e-46",
        "7.1e-46", "16777217", "9007199254740993", "123456789012345678901234567890", "0.000001",
        "00000000000000000000000001.5", "0.00000000000000000000000000000000000000000000000000000000001e60",
        "100000000000000000000000000000000000000000000000000000000000000000000e-400",
        "65504", "65520", "6.103515625e-05", "1e-5", "1e22", "1e23", "1e-22", "1e-23", "16777216e10", "16777217e-10",
        "9007199254740992e22", "9007199254740993e-22", "1234567890123456789e-5", "12345678901234567891e-5",
    };
    std::mt19937_64 random(7);
    for (int i = 0; i < 2000; ++i)
    {
        char buffer[64];
        uint64_t bits = random();
        double d;
        std::memcpy(&d, &bits, 8);
        if (!std::isfinite(d)) continue;
        std::snprintf(buffer, sizeof(buffer), "%.*e", int(random() % 20), std::fabs(d));
        texts.push_back(buffer);
        float f = std::ldexp(float(random() % 16777216), int(random() % 250) - 150);
        std::snprintf(buffer, sizeof(buffer), "%.*g", int(random() % 12) + 1, double(f));
        texts.push_back(buffer);
    }
    for (const std::string &text : texts)
    {
        int32_t length = 0;
        double d = -1;
        float f = -1;
        uint16_t h = 0;
        ASSERT_EQ(ParseKettricDoubleLiteral(text.c_str(), &length, &d), 0u) << text;
        EXPECT_EQ(length, int32_t(text.size())) << text;
        EXPECT_EQ(DoubleBits(d), DoubleBits(std::strtod(text.c_str(), nullptr))) << text;
        ASSERT_EQ(ParseKettricFloatLiteral(text.c_str(), &length, &f), 0u) << text;
        EXPECT_EQ(FloatBits(f), FloatBits(std::strtof(text.c_str(), nullptr))) << text;
        ASSERT_EQ(ParseKettricHalfLiteral(text.c_str(), &length, &h), 0u) << text;
        uint16_t expected = 0;
        FloatToHalf(&expected, std::strtof(text.c_str(), nullptr));
        EXPECT_EQ(h, expected) << text;
    }

    // Separators are removed before the conversion; halves round through the float.
    int32_t length = 0;
    double d = 0;
    ASSERT_EQ(ParseKettricDoubleLiteral("1_234.567_8e-1_0", &length, &d), 0u);
    EXPECT_EQ(DoubleBits(d), DoubleBits(1234.5678e-10));
    uint16_t h = 0;
    ASSERT_EQ(ParseKettricHalfLiteral("65504", &length, &h), 0u);
    EXPECT_EQ(h, 0x7BFF);
    ASSERT_EQ(ParseKettricHalfLiteral("65520", &length, &h), 0u);
    EXPECT_EQ(h, 0x7C00);
    ASSERT_EQ(ParseKettricHalfLiteral("1.5", &length, &h), 0u);
    EXPECT_EQ(h, 0x3E00);
    ASSERT_EQ(ParseKettricHalfLiteral("1e-5", &length, &h), 0u);
    EXPECT_EQ(h, 0);
}

// Texts written by FloatToText read back as strtof reads them.
TEST_F(KettricFloatLiterals, FloatToTextRoundTrip)
{
    std::mt19937 random(11);
    for (int i = 0; i < 5000; ++i)
    {
        uint32_t bits = random();
        float value;
        std::memcpy(&value, &bits, 4);
        if (!std::isfinite(value)) continue;
        char buffer[64];
        FloatToText(value, buffer, 63);
        const char *text = buffer;
        float read = 0;
        ASSERT_EQ(ReadKettricFloat(&text, &read), 0u) << buffer;
        EXPECT_EQ(*text, 0) << buffer;
        EXPECT_EQ(FloatBits(read), FloatBits(std::strtof(buffer, nullptr))) << buffer;
    }
}

// Every float, finite or not, written by FormatKettricFloat reads back bit for bit (the
// negative zero and denormals aside: they are written "0.0").
TEST_F(KettricFloatLiterals, FormatKettricFloatReadsBackExactly)
{
    struct Case
    {
        uint32_t bits;
        const char *text;
    } cases[] = {
        {0x3FC00000u, "1.5"},        {0x00000000u, "0.0"},        {0x7F800000u, "0x7F800000"},
        {0xFF800000u, "0xFF800000"}, {0x7FC00000u, "0x7FC00000"}, {0xFFC00001u, "0xFFC00001"},
        {0x7F800001u, "0x7F800001"}, {0x7F7FFFFFu, "3.4028235e38"},
    };
    for (const Case &c : cases)
    {
        float value;
        std::memcpy(&value, &c.bits, 4);
        char buffer[kKettricFloatTextSize];
        int32_t n = FormatKettricFloat(value, buffer);
        EXPECT_EQ(std::string(buffer, size_t(n)), c.text);
        EXPECT_EQ(buffer[n], 0);
    }

    std::mt19937 random(12);
    for (int i = 0; i < 20000; ++i)
    {
        uint32_t bits = random();
        // Every fourth value is non-finite.
        if ((i & 3) == 0) bits |= 0x7F800000u;
        float value;
        std::memcpy(&value, &bits, 4);
        char buffer[kKettricFloatTextSize];
        FormatKettricFloat(value, buffer);
        const char *text = buffer;
        float read = 1.0f;
        ASSERT_EQ(ReadKettricFloat(&text, &read), 0u) << buffer;
        EXPECT_EQ(*text, 0) << buffer;
        uint32_t expected = ((bits & 0x7F800000u) == 0) ? 0u : bits;
        EXPECT_EQ(FloatBits(read), expected) << buffer;
    }
}

TEST_F(KettricFloatLiterals, FloatReadersAndBitPatterns)
{
    const float inf = HUGE_VALF;
    ExpectRead<float>(ReadKettricFloat, "0x3F800000", 0, 1.0f);
    ExpectRead<float>(ReadKettricFloat, "-0x3F800000", 0, -1.0f);
    ExpectRead<float>(ReadKettricFloat, "0b0111_1111_1000_0000_0000_0000_0000_0000", 0, inf);
    ExpectRead<float>(ReadKettricFloat, "0o17740000000", 0, inf);
    ExpectRead<float>(ReadKettricFloat, "0x1_0000_0000", kResultFloatOverflow, 0);
    ExpectRead<float>(ReadKettricFloat, "1e400", 0, inf);
    ExpectRead<float>(ReadKettricFloat, "1e39", 0, inf);
    ExpectRead<float>(ReadKettricFloat, "1e-400", 0, 0.0f);
    ExpectRead<float>(ReadKettricFloat, "-1e-400", 0, -0.0f);
    ExpectRead<uint16_t>(ReadKettricHalf, "0x3C00", 0, 0x3C00);
    ExpectRead<uint16_t>(ReadKettricHalf, "-1", 0, 0xBC00);
    ExpectRead<uint16_t>(ReadKettricHalf, "0x1FFFF", kResultFloatOverflow, 0);
    ExpectRead<double>(ReadKettricDouble, "0x3FF0_0000_0000_0000", 0, 1.0);
    ExpectRead<double>(ReadKettricDouble, "-0.0", 0, -0.0);
    ExpectRead<double>(ReadKettricDouble, "1e400", 0, HUGE_VAL);
    ExpectRead<double>(ReadKettricDouble, "-1e400", 0, -HUGE_VAL);
    ExpectRead<double>(ReadKettricDouble, "-1e-400", 0, -0.0);
    ExpectRead<double>(ReadKettricDouble, "0e400", 0, 0.0);
    // Signs and separators around the short forms read the same as through the general reader.
    ExpectRead<float>(ReadKettricFloat, "-0", 0, -0.0f);
    ExpectRead<float>(ReadKettricFloat, "-0.0 /* c */ ,", 0, -0.0f, ",");
    ExpectRead<float>(ReadKettricFloat, "-123.4567 ,", 0, -123.4567f, ",");
    ExpectRead<float>(ReadKettricFloat, "+123.4567", 0, 123.4567f);
    ExpectRead<float>(ReadKettricFloat, "-.5}", 0, -0.5f, "}");
    ExpectRead<float>(ReadKettricFloat, "- 16777217", 0, -16777216.0f);
    ExpectRead<float>(ReadKettricFloat, "-1_000.5", 0, -1000.5f);
    ExpectRead<float>(ReadKettricFloat, "-2.5e1", 0, -25.0f);
    ExpectRead<float>(ReadKettricFloat, "-0b1", 0, -1.4e-45f);
    ExpectRead<float>(ReadKettricFloat, "--1", kResultFloatInvalid, 0);
    ExpectRead<float>(ReadKettricFloat, "-.", kResultFloatInvalid, 0);
    ExpectRead<double>(ReadKettricDouble, "-0.1", 0, -0.1);
    ExpectRead<double>(ReadKettricDouble, "-9007199254740993", 0, -9007199254740992.0);
    ExpectRead<double>(ReadKettricDouble, "-1234567.891 x", 0, -1234567.891, "x");
    ExpectRead<double>(ReadKettricDouble, "0.000e99999999999999999999", 0, 0.0);

    // A minus flips the sign of a NaN pattern too; a failure leaves the target unchanged.
    const char *text = "-0x7FC00000";
    float f = 0;
    EXPECT_EQ(ReadKettricFloat(&text, &f), 0u);
    EXPECT_EQ(FloatBits(f), 0xFFC00000u);
    text = "0x1_0000_0000";
    EXPECT_EQ(ReadKettricFloat(&text, &f), uint32_t(kResultFloatOverflow));
    EXPECT_EQ(FloatBits(f), 0xFFC00000u);

    EXPECT_EQ(KettricTextToFloat("- 2.5"), -2.5f);
    EXPECT_EQ(KettricTextToFloat("x"), 0.0f);
}

TEST(KettricLexer, StringLiterals)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        std::string value;
        const char *rest;  // where the cursor ends
    } cases[] = {
        {"\"\"", 0, "", ""},
        {"\"abc\" x", 0, "abc", "x"},
        {"\"a\" \"b\" /* c */ \"d\"", 0, "abd", ""},
        {"\"a\"\n//c\n\"b\",", 0, "ab", ","},
        {"\"\\\"\\'\\?\\\\\\a\\b\\f\\n\\r\\t\\v\"", 0, "\"'?\\\a\b\f\n\r\t\v", ""},
        {"\"\\x41\\xfF\\x01\"", 0, "A\xFF\x01", ""},
        {"\"\\u00e9\"", 0, "\xC3\xA9", ""},
        {"\"\\u0041\\u07FF\\uFFFF\\uD800\"", 0, "A\xDF\xBF\xEF\xBF\xBF\xED\xA0\x80", ""},
        {"\"\\U01F600\\U10FFFF\"", 0, "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF", ""},
        {"\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"", 0, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", ""},
        {"\"0123456789abcdefghijklmnopqrstuvwxyz\"", 0, "0123456789abcdefghijklmnopqrstuvwxyz", ""},
        {"\"plain\"\t\"more\" x", 0, "plainmore", "x"},
        {"\"a b\" /* \"c\" */ \"d\"}", 0, "a bd", "}"},
        {"\"\" \"\"  /", 0, "", "/"},
        {"\"a\"  , \"b\"", 0, "a", ", \"b\""},
        {"\"plain\\tx\"", 0, "plain\tx", ""},
        {"\"plain\xC3\xA9\"", 0, "plain\xC3\xA9", ""},
        {"\"plain", kResultStringInvalid, "", ""},
        {"\"plain\x01\"", kResultStringInvalidByte, "", "plain\x01\""},
        {"abc", kResultStringInvalid, "", "abc"},
        {"\"abc", kResultStringInvalid, "", ""},
        {"\"a\" \"bc", kResultStringInvalid, "", ""},
        {"\"a\nb\"", kResultStringInvalidByte, "", "a\nb\""},
        {"\"a\x7F\"", kResultStringInvalidByte, "", "a\x7F\""},
        {"\"\xC3\"", kResultStringInvalidByte, "", "\xC3\""},
        {"\"\xC0\x80\"", kResultStringInvalidByte, "", "\xC0\x80\""},
        {"\"\xF4\x90\x80\x80\"", kResultStringInvalidByte, "", "\xF4\x90\x80\x80\""},
        {"\"\\u0000\"", kResultStringInvalidEscape, "", "\\u0000\""},
        {"\"\\U000000\"", kResultStringInvalidEscape, "", "\\U000000\""},
        {"\"\\U110000\"", kResultStringInvalidEscape, "", "\\U110000\""},
        {"\"\\u12\"", kResultStringInvalidEscape, "", "\\u12\""},
        {"\"\\x00\"", kResultStringInvalidEscape, "", "\\x00\""},
        {"\"\\0\"", kResultStringInvalidEscape, "", "\\0\""},
        {"\"\\", kResultStringInvalidEscape, "", "\\"},
        {"\"ok\" \"\\q\"", kResultStringInvalidEscape, "", "\\q\""},
    };
    for (const Case &c : cases)
    {
        const char *text = c.text;
        TextString value("previous contents");
        KettricResult result = ReadKettricString(&text, &value);
        EXPECT_EQ(CodeText(result), CodeText(c.result)) << c.text;
        EXPECT_STREQ(text, c.rest) << c.text;
        if (c.result == 0)
        {
            EXPECT_EQ(value.GetLength(), int32_t(c.value.size())) << c.text;
            EXPECT_EQ(std::string(value.GetText(), size_t(value.GetLength())), c.value) << c.text;
        }
        text = c.text;
        EXPECT_EQ(ReadKettricString(&text, nullptr), c.result) << c.text;
    }
}

// Many adjacent literals make one long string.
TEST(KettricLexer, ManyAdjacentStringLiterals)
{
    std::string text;
    std::string expected;
    for (int i = 0; i < 100000; ++i)
    {
        text += (i % 3 == 0) ? "\"ab\\n\" " : (i % 3 == 1) ? "\"\" /* c */ " : "\"\u00e9\"\n";
        expected += (i % 3 == 0) ? "ab\n" : (i % 3 == 1) ? "" : "\xC3\xA9";
    }
    text += "x";
    const char *cursor = text.c_str();
    TextString value;
    ASSERT_EQ(ReadKettricString(&cursor, &value), 0u);
    EXPECT_STREQ(cursor, "x");
    ASSERT_EQ(value.GetLength(), int32_t(expected.size()));
    EXPECT_EQ(std::string(value.GetText()), expected);
}

// Every non-zero byte survives escaping and reading back, in both escape modes.
TEST(KettricLexer, EscapedTextRoundTrip)
{
    for (int32_t mode = 0; mode <= 1; ++mode)
    {
        for (int byte = 1; byte < 256; ++byte)
        {
            char raw[4] = {'a', static_cast<char>(byte), 'z', 0};
            TextString escaped(raw);
            escaped.EscapeText(mode);
            std::string literal = "\"" + std::string(escaped.GetText()) + "\"";
            const char *text = literal.c_str();
            TextString value;
            ASSERT_EQ(CodeText(ReadKettricString(&text, &value)), "0") << "mode " << mode << " byte " << byte;
            EXPECT_STREQ(value.GetText(), raw) << "mode " << mode << " byte " << byte;
        }
        // All bytes in one string, with valid UTF-8 around them.
        std::string all = "\xC3\xA9";
        for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
        all += "\xE2\x82\xAC";
        TextString escaped(all.c_str());
        escaped.EscapeText(mode);
        std::string literal = "\"" + std::string(escaped.GetText()) + "\"";
        const char *text = literal.c_str();
        TextString value;
        ASSERT_EQ(CodeText(ReadKettricString(&text, &value)), "0") << "mode " << mode;
        EXPECT_EQ(std::string(value.GetText()), all);
    }
}

TEST(KettricLexer, References)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        bool global;
        std::vector<std::string> parts;
        const char *rest;
    } cases[] = {
        {"null", 0, true, {}, ""},
        {"null }", 0, true, {}, "}"},
        {"$a", 0, true, {"a"}, ""},
        {"&a", 0, true, {"a"}, ""},
        {"%a", 0, false, {"a"}, ""},
        {"$a%b", 0, true, {"a", "b"}, ""},
        {"%a /* c */ %b_2 %c ,", 0, false, {"a", "b_2", "c"}, ","},
        {"$a$b", 0, true, {"a"}, "$b"},
        {"% a", kResultIdentifierMissing, false, {}, " a"},
        {"$1a", kResultIdentifierInvalid, true, {}, "1a"},
        {"$a%", kResultIdentifierMissing, true, {}, ""},
        {"nullx", kResultReferenceInvalid, true, {}, "nullx"},
        {"a", kResultReferenceInvalid, true, {}, "a"},
        {"", kResultReferenceInvalid, true, {}, ""},
    };
    for (const Case &c : cases)
    {
        const char *text = c.text;
        StructureReference reference(false);
        reference.AppendNamePart("old", 3);
        KettricResult result = ReadKettricReference(&text, &reference);
        EXPECT_EQ(CodeText(result), CodeText(c.result)) << c.text;
        EXPECT_STREQ(text, c.rest) << c.text;
        if (c.result != 0) continue;
        EXPECT_EQ(reference.IsGlobal(), c.global) << c.text;
        ASSERT_EQ(reference.GetNamePartCount(), int32_t(c.parts.size())) << c.text;
        for (size_t i = 0; i < c.parts.size(); ++i) EXPECT_STREQ(reference.GetNamePart(int32_t(i)), c.parts[i].c_str());
    }

    StructureReference a, b;
    const char *text = "$x%y";
    ASSERT_EQ(ReadKettricReference(&text, &a), 0u);
    text = "$x %y";
    ASSERT_EQ(ReadKettricReference(&text, &b), 0u);
    EXPECT_TRUE(a == b);
    text = "%x%y";
    ASSERT_EQ(ReadKettricReference(&text, &b), 0u);
    EXPECT_FALSE(a == b);
    text = "$x%yy";
    ASSERT_EQ(ReadKettricReference(&text, &b), 0u);
    EXPECT_FALSE(a == b);
    StructureReference copy(a);
    EXPECT_TRUE(copy == a);
    a.Reset(true);
    EXPECT_TRUE(a.IsNull());
}

TEST(KettricLexer, Base64)
{
    // RFC 4648 test vectors, with and without padding, and with white space between the characters.
    struct Vector
    {
        const char *text;
        const char *bytes;
    } vectors[] = {
        {"", ""},
        {"Zg==", "f"},
        {"Zm8=", "fo"},
        {"Zm9v", "foo"},
        {"Zm9vYg==", "foob"},
        {"Zm9vYmE=", "fooba"},
        {"Zm9vYmFy", "foobar"},
        {"Zg", "f"},
        {"Zm8", "fo"},
        {"Zm9vYg", "foob"},
        {" Zm9v\n YmFy\t", "foobar"},
        {"Zm9vYg =\n= ", "foob"},
        {"QUJD", "ABC"},
        {"QUI=", "AB"},
        {"QQ", "A"},
        {"QQ=", "A"},
        {"QQ==", "A"},
        {"+/+/", "\xFB\xFF\xBF"},
    };
    for (const Vector &v : vectors)
    {
        const char *text = v.text;
        ByteBlock block;
        ASSERT_EQ(ReadKettricBase64(&text, &block), 0u) << v.text;
        EXPECT_EQ(*text, 0) << v.text;
        ASSERT_EQ(block.byteCount, std::strlen(v.bytes)) << v.text;
        if (block.byteCount != 0) { EXPECT_EQ(std::memcmp(block.bytes, v.bytes, block.byteCount), 0) << v.text; }
        EXPECT_EQ(block.bytes == nullptr, block.byteCount == 0) << v.text;
    }

    struct Failure
    {
        const char *text;
    } failures[] = {{"Q"}, {"QUJDR"}, {"QUJD="}, {"QUJ=="}, {"="}};
    for (const Failure &f : failures)
    {
        const char *text = f.text;
        ByteBlock block;
        EXPECT_EQ(ReadKettricBase64(&text, &block), uint32_t(kResultBase64Invalid)) << f.text;
        EXPECT_EQ(text, f.text);
        EXPECT_EQ(block.byteCount, 0u);
    }

    // The data ends at any other byte; comments are not recognised inside it.
    const char *text = "QUJD //\n}";
    ByteBlock block;
    ASSERT_EQ(ReadKettricBase64(&text, &block), 0u);
    EXPECT_STREQ(text, "}");
    ASSERT_EQ(block.byteCount, 4u);  // "QUJD//" decodes as six characters
    EXPECT_EQ(block.bytes[3], 0xFF);
}

TEST(KettricTextTokens, PlainUtilities)
{
    EXPECT_EQ(GetFileExtensionPosition("dir.x/name.tar.gz"), 14);
    EXPECT_EQ(GetFileExtensionPosition("dir.x/name"), 10);
    EXPECT_EQ(GetFileNamePosition("a/b/c.txt"), 4);
    EXPECT_EQ(GetFileNamePosition("c.txt"), 0);

    char buffer[16];
    EXPECT_EQ(CopyIntegerToken("-123x", buffer, 10), 4);
    EXPECT_STREQ(buffer, "-123");
    EXPECT_EQ(CopyIntegerToken("12345", buffer, 3), 3);
    EXPECT_STREQ(buffer, "123");
    EXPECT_EQ(CopyNumberToken("-1.5e-3.2", buffer, 15), 7);
    EXPECT_STREQ(buffer, "-1.5e-3");

    EXPECT_EQ(ReadTextToken("\"a\\\"b\\\\\" rest", buffer, 15), 8);
    EXPECT_STREQ(buffer, "a\"b\\");
    EXPECT_EQ(ReadTextToken("word// c", buffer, 15), 4);
    EXPECT_STREQ(buffer, "word");
    EXPECT_EQ(ReadTextToken("abcdef", buffer, 3), 3);
    EXPECT_STREQ(buffer, "abc");

    uint32_t value = 1;
    EXPECT_EQ(ReadCharacterConstant("'AB'", &value), 4);
    EXPECT_EQ(value, 0x4142u);
    EXPECT_EQ(ReadCharacterConstant("'ABCDE'", &value), 7);
    EXPECT_EQ(value, 0x42434445u);
    EXPECT_EQ(ReadCharacterConstant("'\\''", &value), 4);
    EXPECT_EQ(value, uint32_t('\''));
    EXPECT_EQ(ReadCharacterConstant("AB", &value), 0);
    EXPECT_EQ(value, 0u);
}

// A backslash before the terminating NUL does not escape it: both readers stop there.
TEST(KettricTextTokens, StopAtTheNul)
{
    // The bytes after the NUL would be read if the backslash escaped it.
    const char quoted[] = {'"', 'a', '\\', 0, 'X', 'Y', '"', 0};
    char buffer[16];
    int32_t consumed = ReadTextToken(quoted, buffer, 15);
    EXPECT_LE(consumed, 3);
    EXPECT_STREQ(buffer, "a");

    const char constant[] = {'\'', 'a', '\\', 0, 'X', '\'', 0};
    uint32_t value = 0;
    consumed = ReadCharacterConstant(constant, &value);
    EXPECT_LE(consumed, 3);
    EXPECT_EQ(value, uint32_t('a'));
}

}  // namespace
}  // namespace oq
