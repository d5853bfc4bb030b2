#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "base/TextUtils.h"

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// ASCII-only upper-case copy; the C library's strcmp and strncmp (which compare bytes as unsigned
// values) are the oracles of the byte orderings.
std::string Upper(const std::string &text)
{
    std::string result = text;
    for (char &c : result)
    {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return result;
}

std::string RandomText(std::mt19937 &random)
{
    static const char alphabet[] = {'a', 'A', 'b', 'B', 'z', 'Z', '_', '[', '{', '`', '@', '0', '\x7F', '\x80', '\xE9', '\xFF'};
    std::string text;
    int32_t length = random() % 6;
    for (int32_t i = 0; i < length; i++) text += alphabet[random() % sizeof(alphabet)];
    return text;
}

TEST(TextCompareTest, OrderingsAgreeWithStrcmp)
{
    std::mt19937 random(1106);
    for (int32_t i = 0; i < 200000; i++)
    {
        std::string a = RandomText(random);
        std::string b = (random() % 4 == 0) ? a.substr(0, random() % (a.size() + 1)) : RandomText(random);
        const char *s1 = a.c_str();
        const char *s2 = b.c_str();
        int32_t n = static_cast<int32_t>(random() % 8) - 1;

        int exact = Sign(std::strcmp(s1, s2));
        int exactMax = (n <= 0) ? 0 : Sign(std::strncmp(s1, s2, n));
        int folded = Sign(std::strcmp(Upper(a).c_str(), Upper(b).c_str()));
        int foldedMax = (n <= 0) ? 0 : Sign(std::strncmp(Upper(a).c_str(), Upper(b).c_str(), n));

        ASSERT_EQ(oq::CompareText(s1, s2), exact == 0) << a << " / " << b;
        ASSERT_EQ(oq::CompareTextLessThan(s1, s2), exact < 0) << a << " / " << b;
        ASSERT_EQ(oq::CompareTextLessEqual(s1, s2), exact <= 0) << a << " / " << b;
        ASSERT_EQ(oq::CompareTextMax(s1, s2, n), exactMax == 0) << a << " / " << b << " " << n;
        ASSERT_EQ(oq::CompareTextLessThanMax(s1, s2, n), exactMax < 0) << a << " / " << b << " " << n;
        ASSERT_EQ(oq::CompareTextLessEqualMax(s1, s2, n), exactMax <= 0) << a << " / " << b << " " << n;

        ASSERT_EQ(oq::CompareTextNoCase(s1, s2), folded == 0) << a << " / " << b;
        ASSERT_EQ(oq::CompareTextLessThanNoCase(s1, s2), folded < 0) << a << " / " << b;
        ASSERT_EQ(oq::CompareTextLessEqualNoCase(s1, s2), folded <= 0) << a << " / " << b;
        ASSERT_EQ(oq::CompareTextNoCaseMax(s1, s2, n), foldedMax == 0) << a << " / " << b << " " << n;
        ASSERT_EQ(oq::CompareTextLessThanNoCaseMax(s1, s2, n), foldedMax < 0) << a << " / " << b << " " << n;
        ASSERT_EQ(oq::CompareTextLessEqualNoCaseMax(s1, s2, n), foldedMax <= 0) << a << " / " << b << " " << n;
    }
}

TEST(TextCompareTest, OrderingEdgeCases)
{
    EXPECT_TRUE(oq::CompareTextLessThan("a", "\xE9"));  // bytes are unsigned
    EXPECT_TRUE(oq::CompareTextLessThan("ab", "abc"));  // a prefix sorts first
    EXPECT_FALSE(oq::CompareTextLessThan("abc", "abc"));
    EXPECT_TRUE(oq::CompareTextLessEqual("abc", "abc"));
    EXPECT_TRUE(oq::CompareTextLessThanNoCase("Zeta", "_a"));  // the underscore sorts after the letters
    EXPECT_TRUE(oq::CompareTextLessThanNoCase("alpha", "BETA"));
    EXPECT_TRUE(oq::CompareTextNoCase("Hello_World", "hELLO_wORLD"));
    EXPECT_FALSE(oq::CompareTextNoCase("[", "{"));
    EXPECT_TRUE(oq::CompareTextMax("abcX", "abcY", 3));
    EXPECT_FALSE(oq::CompareTextMax("abcX", "abcY", 4));
    EXPECT_TRUE(oq::CompareTextMax("ab", "ab", 10));  // both end together before n
    EXPECT_FALSE(oq::CompareTextMax("ab", "abc", 10));
    EXPECT_FALSE(oq::CompareTextLessThanMax("abcX", "abcY", 3));
    EXPECT_TRUE(oq::CompareTextLessEqualMax("abcY", "abcX", 3));
    EXPECT_TRUE(oq::CompareTextLessThanNoCaseMax("abcX", "ABCY", 4));
}

TEST(TextCompareTest, NaturalOrderingCases)
{
    struct Case
    {
        const char *s1;
        const char *s2;
        bool less;
        bool lessNoCase;
    };

    const Case cases[] = {
        {"a2", "a10", true, true},
        {"a10", "a2", false, false},
        {"a1", "a01", true, true},  // equal numbers: fewer digits first
        {"a01", "a1", false, false},
        {"a1b", "a01a", true, true},
        {"a01a", "a1b", false, false},
        {"file9", "FILE10", false, true},  // 'f' sorts after 'F' unless folded
        {"abc", "ABC", false, false},
        {"ABC", "abc", true, false},
        {"", "", false, false},
        {"", "a", true, true},
        {"a", "", false, false},
        {"x0", "x00", true, true},
        {"x00", "x0", false, false},
        {"x9", "x9a", true, true},
        {"x9a", "x9", false, false},
        {"v1.10", "v1.9", false, false},
        {"a_", "ab", true, false},  // folded, the underscore sorts after the letters
        // Digit runs beyond 2^32 compare as numbers, not wrapped.
        {"n4294967296", "n4294967295", false, false},
        {"n4294967295", "n4294967296", true, true},
        {"n4294967296", "n1", false, false},
        {"n99999999999999999999", "n100000000000000000000", true, true},
        {"n123456789012345678901234567890", "n99999999999999999999999999999", false, false},
        {"n99999999999999999999999999999", "n123456789012345678901234567890", true, true},
        {"n000000000000000000000000000001", "n1", false, false},
        {"n1", "n000000000000000000000000000001", true, true},
    };

    for (const Case &c : cases)
    {
        EXPECT_EQ(oq::CompareTextNatural(c.s1, c.s2), c.less) << c.s1 << " / " << c.s2;
        EXPECT_EQ(oq::CompareTextNaturalNoCase(c.s1, c.s2), c.lessNoCase) << c.s1 << " / " << c.s2;
    }
}

// Digit runs up to 19 digits against 64-bit numbers, with leading zeros as the tie break.
TEST(TextCompareTest, NaturalDigitRunsAgreeWithNumbers)
{
    std::mt19937_64 random(791);
    for (int32_t i = 0; i < 100000; i++)
    {
        uint64_t x = random() >> (random() % 64);
        uint64_t y = (random() % 4 == 0) ? x : random() >> (random() % 64);
        if (x >= 10000000000000000000ull) x /= 10;
        if (y >= 10000000000000000000ull) y /= 10;
        int zerosX = random() % 3;
        int zerosY = random() % 3;
        std::string a = "v" + std::string(zerosX, '0') + std::to_string(x) + "z";
        std::string b = "v" + std::string(zerosY, '0') + std::to_string(y) + "z";

        bool expected = (x != y) ? x < y : zerosX < zerosY;
        ASSERT_EQ(oq::CompareTextNatural(a.c_str(), b.c_str()), expected) << a << " / " << b;
        ASSERT_EQ(oq::CompareTextNaturalNoCase(a.c_str(), b.c_str()), expected) << a << " / " << b;
    }
}

// Sorting with the natural orderings gives a strict weak ordering on a mixed set.
TEST(TextCompareTest, NaturalOrderingSortsConsistently)
{
    std::vector<std::string> names = {"Font10", "font2", "Font2", "font02", "font", "Font_A", "fontA", "Font1b", "font1a",
                                      "Font99999999999999", "font100000000000000", "font000", "Font0"};
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const std::string &a, const std::string &b) {
        return oq::CompareTextNaturalNoCase(a.c_str(), b.c_str());
    });

    for (size_t i = 0; i + 1 < sorted.size(); i++)
    {
        EXPECT_FALSE(oq::CompareTextNaturalNoCase(sorted[i + 1].c_str(), sorted[i].c_str())) << sorted[i] << " / " << sorted[i + 1];
    }

    const std::vector<std::string> expected = {"font", "Font0", "font000", "font1a", "Font1b", "Font2", "font2", "font02",
                                               "Font10", "Font99999999999999", "font100000000000000", "fontA", "Font_A"};
    ASSERT_EQ(sorted.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++)
    {
        // Names equal but for case may come in either order.
        EXPECT_TRUE(oq::CompareTextNoCase(sorted[i].c_str(), expected[i].c_str())) << i << ": " << sorted[i];
    }
}

}  // namespace
