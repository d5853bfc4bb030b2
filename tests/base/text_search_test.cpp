#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/TextUtils.h"

namespace {

// A copy of the text in a heap block of exactly its size, so that ASan reports any read past it.
std::vector<char> Exact(const char *text, size_t size)
{
    return std::vector<char>(text, text + size);
}

TEST(TextSearchTest, LengthAndCopy)
{
    EXPECT_EQ(oq::GetTextLength(""), 0);
    EXPECT_EQ(oq::GetTextLength("hello"), 5);
    EXPECT_EQ(oq::GetTextLength("\xC3\xA9t\xC3\xA9"), 5);

    char buffer[16];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(oq::CopyText("abc", buffer), 3);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[4], 'x');

    struct Case
    {
        const char *source;
        int32_t n;
        const char *expected;
    };

    const Case cases[] = {
        {"abcdef", 3, "abc"}, {"abc", 10, "abc"}, {"abc", 3, "abc"}, {"abc", 0, ""}, {"abc", -4, ""}, {"", 5, ""},
    };

    for (const Case &c : cases)
    {
        std::memset(buffer, 'x', sizeof(buffer));
        int32_t copied = oq::CopyTextMax(c.source, buffer, c.n);
        EXPECT_EQ(copied, static_cast<int32_t>(std::strlen(c.expected)));
        EXPECT_STREQ(buffer, c.expected);
        EXPECT_EQ(buffer[copied + 1], 'x');
    }
}

TEST(TextSearchTest, FindAndCountBytes)
{
    EXPECT_EQ(oq::FindChar("hello", 'l'), 2);
    EXPECT_EQ(oq::FindChar("hello", 'z'), -1);
    EXPECT_EQ(oq::FindChar("hello", 0), 5);
    EXPECT_EQ(oq::FindChar("a\xE9z", '\xE9'), 1);

    EXPECT_EQ(oq::FindCharMax("hello", 'o', 4), -1);
    EXPECT_EQ(oq::FindCharMax("hello", 'o', 5), 4);
    EXPECT_EQ(oq::FindCharMax("hello", 'h', 0), -1);
    EXPECT_EQ(oq::FindCharMax("hello", 'h', -1), -1);
    EXPECT_EQ(oq::CountCharMax("banana", 'a', 4), 2);
    EXPECT_EQ(oq::CountCharMax("banana", 'a', 6), 3);
    EXPECT_EQ(oq::CountCharMax("banana", 'a', 0), 0);

    // The Max forms stop at the NUL even when n reaches beyond it; the buffers end right after
    // the NUL, so ASan sees any read past it.
    std::vector<char> shortText = Exact("ab\0", 3);
    EXPECT_EQ(oq::FindCharMax(shortText.data(), 'z', 1000), -1);
    EXPECT_EQ(oq::CountCharMax(shortText.data(), 'z', 1000), 0);
    EXPECT_EQ(oq::CountCharMax(shortText.data(), 'b', 1000), 1);
    EXPECT_EQ(oq::FindCharMax(shortText.data(), 0, 1000), 2);
    EXPECT_EQ(oq::FindCharMax(shortText.data(), 0, 2), -1);
    EXPECT_EQ(oq::CountCharMax(shortText.data(), 0, 1000), 1);

    // Bytes after an embedded NUL are not searched.
    const char embedded[] = "ab\0cd";
    EXPECT_EQ(oq::FindCharMax(embedded, 'c', 5), -1);
    EXPECT_EQ(oq::CountCharMax(embedded, 'd', 5), 0);
}

TEST(TextSearchTest, FindOutsideQuotes)
{
    struct Case
    {
        const char *text;
        char c;
        int32_t index;
    };

    const Case cases[] = {
        {"a,b", ',', 1},
        {"\"x\\\",y\",z", ',', 7},  // the first comma lies in quotes, after an escaped quote
        {"\"x\\\",y\",z", '"', 6},  // the closing quote of the first quoted part
        {"\"a,b\"", ',', -1},
        {"\"a\\\\\",b", ',', 5},    // an escaped backslash does not escape the quote
        {"a\\,b", ',', 2},          // outside quotes a backslash escapes nothing
        {"\"open,", ',', -1},
        {"", ',', -1},
        {"a\"b\"", 0, 4},         // the NUL is found when it lies outside quotes,
        {"", 0, 0},
        {"a\"b", 0, -1},           // not inside a quoted part that the NUL cuts short
    };

    for (const Case &c : cases) EXPECT_EQ(oq::FindCharOutsideQuotes(c.text, c.c), c.index) << c.text;
}

TEST(TextSearchTest, FindText)
{
    struct Case
    {
        const char *text;
        const char *searched;
        int32_t exact;
        int32_t noCase;
    };

    const Case cases[] = {
        {"xhelloy", "HeLLo", -1, 1},
        {"xhelloy", "hello", 1, 1},
        {"hello", "", -1, -1},
        {"", "a", -1, -1},
        {"aaab", "aab", 1, 1},
        {"abc", "abcd", -1, -1},
        {"x[y", "{", -1, -1},  // only letters fold: [ and { differ by the case bit too
        {"x@y", "`", -1, -1},
        {"\xC3\xA9t\xC3\xA9", "\xA9t", 1, 1},
        {"Stra\xC3\x9F" "e", "SSE", -1, -1},
    };

    for (const Case &c : cases)
    {
        EXPECT_EQ(oq::FindText(c.text, c.searched), c.exact) << c.text << " / " << c.searched;
        EXPECT_EQ(oq::FindTextNoCase(c.text, c.searched), c.noCase) << c.text << " / " << c.searched;
    }
}

TEST(TextSearchTest, Hash)
{
    EXPECT_EQ(oq::GetTextHash(""), 0u);
    EXPECT_EQ(oq::GetTextHash("abc"), 0x4A4BB2FDu);

    // Bytes above 127 enter as unsigned values: one step of the rule from 0 with b = 0xE9.
    EXPECT_EQ(oq::GetTextHash("\xE9"), 0xE9u * 0x6B84DF47u + 1u);
    EXPECT_NE(oq::GetTextHash("ab"), oq::GetTextHash("ba"));
}

}  // namespace
