#include <gtest/gtest.h>

#include "base/TextString.h"
#include "base/TextUtils.h"

#include <expat.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace oq {
namespace {

bool IsLocal(const TextString &string)
{
    // The local buffer lies inside the object.
    const char *text = string.GetText();
    const char *object = reinterpret_cast<const char *>(&string);
    return text >= object && text < object + sizeof(TextString);
}

std::string Str(const TextString &string)
{
    return std::string(string.GetText(), size_t(string.GetLength()));
}

void ExpectValid(const TextString &string)
{
    EXPECT_EQ(int32_t(std::strlen(string.GetText())), string.GetLength());
    EXPECT_GE(string.GetCapacity(), string.GetTextSize());
    EXPECT_EQ(IsLocal(string), string.GetCapacity() == 16);
}

TEST(TextString, ConstructionSizes)
{
    struct Case
    {
        int32_t textLength;
        int32_t capacity;
    };
    const Case cases[] = {
        {0, 16}, {1, 16}, {15, 16}, {16, 64}, {59, 64}, {60, 128}, {123, 128}, {124, 192}, {200, 256},
    };
    for (const Case &c : cases)
    {
        std::string text(size_t(c.textLength), 'x');
        TextString string(text.c_str());
        EXPECT_EQ(string.GetTextSize(), c.textLength + 1) << c.textLength;
        EXPECT_EQ(string.GetCapacity(), c.capacity) << c.textLength;
        ExpectValid(string);

        TextString copy(string);
        EXPECT_EQ(copy.GetCapacity(), c.capacity);
        EXPECT_EQ(Str(copy), text);

        TextString moved(static_cast<TextString &&>(copy));
        EXPECT_EQ(Str(moved), text);
        EXPECT_EQ(copy.GetTextSize(), 1);
        EXPECT_TRUE(IsLocal(copy));
        ExpectValid(moved);
    }

    EXPECT_EQ(Str(TextString("hello world", 5)), "hello");
    EXPECT_EQ(Str(TextString("hi", 50)), "hi");
    EXPECT_EQ(Str(TextString("hi", 0)), "");
    EXPECT_EQ(Str(TextString("hi", -3)), "");
    TextString joined("abcdefghij", "klmnopqrst");
    EXPECT_EQ(Str(joined), "abcdefghijklmnopqrst");
    EXPECT_EQ(joined.GetCapacity(), 64);
    EXPECT_TRUE(IsLocal(TextString("abc", "def")));
}

TEST(TextString, BoundedConstructionAroundTheLocalBuffer)
{
    // Texts in blocks of exactly their size (with or without a NUL), so that reading past the
    // first n bytes or past the NUL shows under the sanitizers.
    struct Case
    {
        int32_t textLength;
        int32_t n;
        bool terminated;
    };
    const Case cases[] = {
        {14, 14, false}, {15, 15, false}, {16, 16, false}, {17, 17, false}, {15, 16, true},
        {16, 15, false}, {16, 17, true},  {15, INT32_MAX, true}, {16, INT32_MAX, true}, {40, 20, false},
        {3, 3, false},   {0, 5, true},
    };
    for (const Case &c : cases)
    {
        int32_t size = c.textLength + (c.terminated ? 1 : 0);
        std::vector<char> block(size_t(size), 'a');
        for (int32_t i = 0; i < c.textLength; ++i) block[size_t(i)] = char('a' + i % 26);
        if (c.terminated) block[size_t(c.textLength)] = 0;
        int32_t expected = std::min(c.textLength, c.n);

        TextString string(block.data(), c.n);
        EXPECT_EQ(Str(string), std::string(block.data(), size_t(expected))) << c.textLength << " " << c.n;
        EXPECT_EQ(string.GetCapacity(), (expected < 16) ? 16 : 64) << c.textLength << " " << c.n;
        ExpectValid(string);
    }
}

TEST(TextString, Utf16Construction)
{
    TextString empty(u"");
    EXPECT_EQ(empty.GetTextSize(), 1);
    EXPECT_TRUE(IsLocal(empty));

    TextString text(u"h\u00E9\U0001F600\xDC00");
    EXPECT_EQ(Str(text), "h\xC3\xA9\xF0\x9F\x98\x80\xED\xB0\x80");
    ExpectValid(text);
}

TEST(TextString, NumberConstructionAndRoom)
{
    TextString int32(int32_t(-2147483647 - 1));
    EXPECT_EQ(Str(int32), "-2147483648");
    EXPECT_TRUE(IsLocal(int32));

    TextString int64(int64_t(5));
    EXPECT_EQ(Str(int64), "5");
    EXPECT_EQ(int64.GetCapacity(), 64);

    TextString real(1.5F);
    EXPECT_EQ(Str(real), "1.5");
    EXPECT_EQ(real.GetCapacity(), 64);

    TextString named(int32_t(42), "item");
    EXPECT_EQ(Str(named), "item42");
    EXPECT_EQ(named.GetCapacity(), 64);  // (4 + 83) & ~63
    TextString longNamed(int64_t(-9), std::string(50, 'n').c_str());
    EXPECT_EQ(Str(longNamed), std::string(50, 'n') + "-9");
    EXPECT_EQ(longNamed.GetCapacity(), 128);  // (50 + 131) & ~63

    // Number assignments keep a block of 64 to 129 bytes and replace any other.
    struct Case
    {
        int32_t initialLength;
        int32_t capacityBefore;
        int32_t capacityAfter;
        bool sameBlock;
    };
    const Case cases[] = {{3, 16, 128, false}, {20, 64, 64, true}, {100, 128, 128, true}, {150, 192, 128, false}};
    for (const Case &c : cases)
    {
        TextString string(std::string(size_t(c.initialLength), 'a').c_str());
        ASSERT_EQ(string.GetCapacity(), c.capacityBefore);
        const char *before = string.GetText();
        string.SetInt64(-1234567890123LL);
        EXPECT_EQ(Str(string), "-1234567890123");
        EXPECT_EQ(string.GetCapacity(), c.capacityAfter);
        EXPECT_EQ(string.GetText() == before, c.sameBlock);
        string.SetFloat(-2.25F);
        EXPECT_EQ(Str(string), "-2.25");
        string.SetInt32(77);
        EXPECT_EQ(Str(string), "77");
        EXPECT_TRUE(IsLocal(string));
    }

    TextString appended;
    appended.AppendInt32(5);
    EXPECT_EQ(appended.GetCapacity(), 128);  // room for 64 more: max(24, heap size of 65)
    appended.AppendInt(-6);
    appended.AppendInt64(INT64_MIN);
    EXPECT_EQ(Str(appended), "5-6-9223372036854775808");
}

TEST(TextString, AppendGrowthSequence)
{
    // Capacity after appending the k-th byte, one byte at a time.
    const int32_t changes[][2] = {{16, 64}, {64, 128}, {128, 192}, {192, 288}, {288, 432}, {432, 648}, {648, 972}};
    TextString string;
    int32_t expected = 16;
    size_t next = 0;
    for (int32_t k = 1; k <= 700; ++k)
    {
        string.AppendChar(char('a' + k % 26));
        if (next < std::size(changes) && k == changes[next][0]) expected = changes[next++][1];
        ASSERT_EQ(string.GetCapacity(), expected) << "byte " << k;
        ASSERT_EQ(string.GetLength(), k);
    }
    ExpectValid(string);
    EXPECT_EQ(next, std::size(changes));
}

TEST(TextString, AssignmentReusesBlocksWithinAFactorOfTwo)
{
    struct Case
    {
        int32_t assignedLength;
        int32_t capacity;
        bool sameBlock;
    };
    const Case cases[] = {
        {100, 128, true}, {70, 128, true}, {63, 128, true}, {62, 128, false}, {40, 64, false}, {10, 16, false},
        {15, 16, false}, {16, 64, false}, {0, 16, false},
    };
    for (const Case &c : cases)
    {
        TextString string(std::string(100, 'z').c_str());
        ASSERT_EQ(string.GetCapacity(), 128);
        const char *block = string.GetText();
        std::string text(size_t(c.assignedLength), 'q');
        string.SetText(text.c_str());
        EXPECT_EQ(Str(string), text);
        EXPECT_EQ(string.GetCapacity(), c.capacity) << c.assignedLength;
        EXPECT_EQ(string.GetText() == block, c.sameBlock) << c.assignedLength;
        ExpectValid(string);

        TextString other(std::string(100, 'z').c_str());
        other.Assign(TextString(text.c_str()));
        EXPECT_EQ(other.GetCapacity(), c.capacity) << c.assignedLength;
        EXPECT_EQ(Str(other), text);
    }

    TextString string("something");
    string.SetTextMax("abcdef", 3);
    EXPECT_EQ(Str(string), "abc");
    string.SetTextMax("abcdef", 0);
    EXPECT_EQ(Str(string), "");
    string.SetTextMax("xy", -1);
    EXPECT_EQ(Str(string), "");
    string.SetTextMax("xy", 10);
    EXPECT_EQ(Str(string), "xy");

    TextString heap(std::string(30, 'h').c_str());
    TextString target("t");
    target.MoveAssign(heap);
    EXPECT_EQ(Str(target), std::string(30, 'h'));
    EXPECT_EQ(heap.GetTextSize(), 1);
    target.Purge();
    EXPECT_TRUE(IsLocal(target));
    EXPECT_EQ(Str(target), "");
}

TEST(TextString, AppendVariants)
{
    TextString string("ab");
    string.AppendText("");
    string.AppendString(TextString());
    EXPECT_EQ(Str(string), "ab");
    string.AppendText("cd");
    string.AppendString(TextString("ef"));
    string.AppendTextMax("ghijk", 2);
    string.AppendTextMax("lm", 0);
    string.AppendTextMax("no", -5);
    EXPECT_EQ(Str(string), "abcdefgh");

    // AppendTextMax grows for the full n, even when the text is shorter.
    TextString grown;
    grown.AppendTextMax("ab", 100);
    EXPECT_EQ(Str(grown), "ab");
    EXPECT_EQ(grown.GetCapacity(), 128);

    // A count beyond what a block can hold grows only for the bytes present.
    TextString huge("x");
    huge.AppendTextMax("abc", INT32_MAX);
    EXPECT_EQ(Str(huge), "xabc");
    EXPECT_TRUE(IsLocal(huge));
    huge.AppendTextMax("def", INT32_MAX - 2);
    EXPECT_EQ(Str(huge), "xabcdef");
    EXPECT_TRUE(IsLocal(huge));
}

TEST(TextString, SetLengthInsertErase)
{
    TextString string(std::string(100, 'a').c_str());
    string.GetBuffer()[5] = 'b';
    string.SetLength(10);
    EXPECT_EQ(Str(string), "aaaaabaaaa");
    EXPECT_TRUE(IsLocal(string));
    string.SetLength(10);
    EXPECT_EQ(string.GetLength(), 10);
    string.SetLength(40);
    EXPECT_EQ(string.GetLength(), 40);
    EXPECT_EQ(string.GetCapacity(), 64);
    EXPECT_EQ(std::string(string.GetText(), 10), "aaaaabaaaa");
    string.SetLength(0);
    EXPECT_EQ(Str(string), "");
    EXPECT_TRUE(IsLocal(string));

    TextString edit("hello");
    edit.Erase(3, 100);
    EXPECT_EQ(Str(edit), "hel");
    edit.Erase(1, 0);
    edit.Erase(3, 5);
    EXPECT_EQ(Str(edit), "hel");
    edit.Insert(1, "XYZ", 3);
    EXPECT_EQ(Str(edit), "hXYZel");
    edit.Insert(6, "!", 1);
    edit.Insert(0, "", 0);
    EXPECT_EQ(Str(edit), "hXYZel!");
    // Insertion that needs a block: bytes before, inserted bytes, tail.
    edit.Insert(2, "0123456789012345", 16);
    EXPECT_EQ(Str(edit), "hX0123456789012345YZel!");
    EXPECT_EQ(edit.GetCapacity(), 64);
    ExpectValid(edit);
    edit.Erase(2, 16);
    EXPECT_EQ(Str(edit), "hXYZel!");
    EXPECT_TRUE(IsLocal(edit));

    TextString cases("Mixed_Case-09");
    cases.ToUpperCase();
    EXPECT_EQ(Str(cases), "MIXED_CASE-09");
    cases.ToLowerCase();
    EXPECT_EQ(Str(cases), "mixed_case-09");
    cases.ReplaceChar('_', ' ');
    EXPECT_EQ(Str(cases), "mixed case-09");
}

TEST(TextString, AliasingIsSafe)
{
    for (int32_t length : {3, 8, 15, 16, 40, 64, 100})
    {
        std::string text;
        for (int32_t i = 0; i < length; ++i) text += char('a' + i % 26);
        TextString string(text.c_str());

        TextString &same = string;
        string = same;
        string.Assign(string);
        EXPECT_EQ(Str(string), text);
        string.MoveAssign(string);
        EXPECT_EQ(Str(string), text);

        string.AppendString(string);
        EXPECT_EQ(Str(string), text + text);
        ExpectValid(string);

        string.SetText(string.GetText() + 2);
        EXPECT_EQ(Str(string), (text + text).substr(2));

        string.SetText(text.c_str());
        string.AppendText(string.GetText() + 1);
        EXPECT_EQ(Str(string), text + text.substr(1));

        string.SetText(text.c_str());
        string.AppendTextMax(string.GetText(), 1000);
        EXPECT_EQ(Str(string), text + text);

        string.SetText(text.c_str());
        string.AppendTextMax(string.GetText() + 1, 2);
        EXPECT_EQ(Str(string), text + text.substr(1, 2));

        string.SetText(text.c_str());
        string.SetTextMax(string.GetText() + 1, 2);
        EXPECT_EQ(Str(string), text.substr(1, 2));

        string.SetText(text.c_str());
        string.Insert(1, string.GetText(), string.GetLength());
        EXPECT_EQ(Str(string), text.substr(0, 1) + text + text.substr(1));
        ExpectValid(string);
    }

    // Appending a string's own text when it sits exactly at its capacity.
    TextString full(std::string(15, 'f').c_str());
    full.AppendText(full.GetText());
    EXPECT_EQ(Str(full), std::string(30, 'f'));

    // Assigning a part of the string's own text sizes by the exact-fit rule like any other text.
    struct Case
    {
        int32_t offset;
        int32_t n;
        int32_t capacity;
        bool sameBlock;
    };
    const Case cases[] = {
        {50, INT32_MAX, 192, true}, {10, 120, 192, true}, {55, INT32_MAX, 192, true}, {56, INT32_MAX, 128, false},
        {100, INT32_MAX, 64, false}, {140, INT32_MAX, 16, false}, {0, 150, 192, true},
    };
    for (const Case &c : cases)
    {
        std::string text;
        for (int32_t i = 0; i < 150; ++i) text += char('A' + i % 50);
        TextString string(text.c_str());
        ASSERT_EQ(string.GetCapacity(), 192);
        const char *block = string.GetText();
        string.SetTextMax(string.GetText() + c.offset, c.n);
        EXPECT_EQ(Str(string), text.substr(size_t(c.offset), size_t(std::min(c.n, 150 - c.offset)))) << c.offset;
        EXPECT_EQ(string.GetCapacity(), c.capacity) << c.offset;
        EXPECT_EQ(string.GetText() == block, c.sameBlock) << c.offset;
        ExpectValid(string);
    }
}

// Reads back the escapes that EscapeText writes.
std::string Unescape(const std::string &text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i)
    {
        char c = text[i];
        if (c != '\\')
        {
            result += c;
            continue;
        }
        char e = text[++i];
        switch (e)
        {
            case 'a': result += '\a'; break;
            case 'b': result += '\b'; break;
            case 't': result += '\t'; break;
            case 'n': result += '\n'; break;
            case 'v': result += '\v'; break;
            case 'f': result += '\f'; break;
            case 'r': result += '\r'; break;
            case 'x':
                result += char(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
                break;
            default: result += e; break;
        }
    }
    return result;
}

// True when every byte of 128 and above belongs to a sequence that GetUtf8CharSize accepts.
bool HasOnlyValidSequences(const std::string &text)
{
    for (size_t i = 0; i < text.size();)
    {
        int32_t size = GetUtf8CharSize(text.c_str() + i);
        if (size == 0) return false;
        i += size_t(size);
    }
    return true;
}

TEST(TextString, EscapeTextCases)
{
    struct Case
    {
        int32_t mode;
        const char *text;
        const char *escaped;
    };
    const Case cases[] = {
        {0, "a\tb", "a\\tb"},
        {0, "\x01", "\\x01"},
        {0, "say \"hi\"", "say \\\"hi\\\""},
        {0, "back\\slash", "back\\\\slash"},
        {0, "it's a-b?", "it's a-b?"},
        {0, "\a\b\n\v\f\r\x0E\x1F\x7F", "\\a\\b\\n\\v\\f\\r\\x0E\\x1F\\x7F"},
        {0, "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xED\xA0\x80", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xED\xA0\x80"},
        {0, "\x80", "\\x80"},
        {0, "a\xC3" "b", "a\\xC3b"},
        {0, "\xC0\x80\xF5\xFF", "\\xC0\\x80\\xF5\\xFF"},
        {0, "\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
        {0, "\xE2\x82", "\\xE2\\x82"},
        {1, "it's", "it\\'s"},
        {1, "a-b?", "a\\x2Db\\?"},
        {1, "<&>", "\\x3C\\x26\\x3E"},
        {1, "\xC3\xA9", "\xC3\xA9"},
    };
    for (const Case &c : cases)
    {
        TextString string(c.text);
        string.EscapeText(c.mode);
        EXPECT_EQ(Str(string), c.escaped) << c.text;
        ExpectValid(string);
    }

    // Nothing to escape: the string is left as it was, block included.
    TextString plain(std::string(40, 'p').c_str());
    const char *block = plain.GetText();
    plain.EscapeText(1);
    EXPECT_EQ(plain.GetText(), block);

    // A short heap text moves into the local buffer when its escaped form fits.
    TextString shortHeap(int64_t(-5), "\t");
    ASSERT_FALSE(IsLocal(shortHeap));
    shortHeap.EscapeText(0);
    EXPECT_EQ(Str(shortHeap), "\\t-5");
    EXPECT_TRUE(IsLocal(shortHeap));

    // A longer result takes a block of (sum of classes + 67) & ~63.
    TextString longer(std::string(60, '\t').c_str());
    longer.EscapeText(0);
    EXPECT_EQ(longer.GetLength(), 120);
    EXPECT_EQ(longer.GetCapacity(), 128);

    // A local text escaped in place into the local buffer.
    TextString local("a\"b");
    local.EscapeText(0);
    EXPECT_EQ(Str(local), "a\\\"b");
}

TEST(TextString, EscapeTextRoundTripsEveryByte)
{
    std::vector<std::string> inputs;
    for (int32_t b = 1; b < 256; ++b)
    {
        inputs.push_back(std::string(1, char(b)));
        inputs.push_back("x" + std::string(1, char(b)) + "\xC3\xA9");
        inputs.push_back(std::string(1, char(b)) + "\x80\xBF");
    }
    std::string all;
    for (int32_t b = 1; b < 256; ++b) all += char(b);
    inputs.push_back(all);

    std::mt19937 random(7);
    for (int32_t i = 0; i < 2000; ++i)
    {
        std::string text;
        int32_t length = int32_t(random() % 24);
        for (int32_t j = 0; j < length; ++j) text += char(1 + random() % 255);
        inputs.push_back(text);
    }

    for (int32_t mode = 0; mode <= 1; ++mode)
    {
        for (const std::string &input : inputs)
        {
            TextString string(input.c_str());
            string.EscapeText(mode);
            std::string escaped = Str(string);
            ASSERT_TRUE(HasOnlyValidSequences(escaped)) << "mode " << mode;
            ASSERT_EQ(Unescape(escaped), input) << "mode " << mode;
        }
    }
}

// Measuring and writing go through one function: on random bytes the measured size is the size
// written, nothing is written past it, and the string forms give the same text.
TEST(TextString, EscapeMeasureMatchesWrite)
{
    std::mt19937 random(23);
    for (int32_t i = 0; i < 6000; ++i)
    {
        std::string input;
        int32_t length = int32_t(random() % 48);
        for (int32_t j = 0; j < length; ++j) input += char(1 + random() % 255);
        if (i % 3 == 0) input += "\xE2\x82\xAC\xF0\x9F\x98\x80\xED\xA0\x80\xEF\xBF\xBE";

        for (int32_t form = 0; form < 3; ++form)
        {
            auto write = [&](char *output, bool *changed) {
                if (form == 2) return TextString::WriteEscapedXml(input.data(), int32_t(input.size()), output, changed);
                return TextString::WriteEscapedText(input.data(), int32_t(input.size()), form, output, changed);
            };
            bool measuredChange = false;
            int64_t measured = write(nullptr, &measuredChange);
            std::vector<char> output(size_t(measured) + 9, char(0x5A));
            bool writtenChange = false;
            int64_t written = write(output.data(), &writtenChange);
            ASSERT_EQ(written, measured) << "form " << form;
            ASSERT_EQ(writtenChange, measuredChange);
            ASSERT_EQ(output[size_t(measured)], 0);
            for (size_t k = size_t(measured) + 1; k < output.size(); ++k) ASSERT_EQ(output[k], char(0x5A));
            std::string escaped(output.data(), size_t(measured));
            EXPECT_EQ(measuredChange, escaped != input);

            TextString string(input.c_str());
            if (form == 2) string.EscapeXml();
            else string.EscapeText(form);
            ASSERT_EQ(Str(string), escaped);
        }
    }
}

TEST(TextString, EscapeXmlCases)
{
    struct Case
    {
        const char *text;
        const char *escaped;
    };
    const Case cases[] = {
        {"a<b", "a&#x3C;b"},
        {"\"quoted\" 'text'", "\"quoted\" 'text'"},
        {"x&y>z", "x&#x26;y&#x3E;z"},
        {"\t\n\r\x7F", "&#x09;&#x0A;&#x0D;&#x7F;"},
        {"a\x01\x08\x0B\x0C\x0E\x1F" "b", "ab"},
        {"\x01", ""},
        {"\xC3\xA9\xF0\x9F\x98\x80", "\xC3\xA9\xF0\x9F\x98\x80"},
        {"a\x80" "b", "a\xEF\xBF\xBD" "b"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD"},
        {"\xC0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xE2\x82", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"a\xEF\xBF\xBE\xEF\xBF\xBF" "b", "a\xEF\xBF\xBD\xEF\xBF\xBD" "b"},
        {"\xEF\xBF\xBD\xEF\xBF\xBC", "\xEF\xBF\xBD\xEF\xBF\xBC"},
    };
    for (const Case &c : cases)
    {
        TextString string(c.text);
        string.EscapeXml();
        EXPECT_EQ(Str(string), c.escaped) << c.text;
        ExpectValid(string);
    }
}

struct ParsedXml
{
    std::string characters;
};

void XMLCALL CollectCharacters(void *userData, const XML_Char *text, int length)
{
    static_cast<ParsedXml *>(userData)->characters.append(text, size_t(length));
}

// Parses <a>text</a> with expat; false when expat reports the document ill-formed.
bool ParseXml(const std::string &content, std::string &characters)
{
    std::string document = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a>" + content + "</a>";
    XML_Parser parser = XML_ParserCreate("UTF-8");
    ParsedXml parsed;
    XML_SetUserData(parser, &parsed);
    XML_SetCharacterDataHandler(parser, CollectCharacters);
    bool ok = XML_Parse(parser, document.data(), int(document.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    characters = parsed.characters;
    return ok;
}

// The characters a reader of the escaped text is expected to get.
std::string ExpectedXmlCharacters(const std::string &text)
{
    std::string result;
    for (size_t i = 0; i < text.size();)
    {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 128)
        {
            if (c >= 32 || c == '\t' || c == '\n' || c == '\r') result += char(c);
            ++i;
            continue;
        }
        uint32_t code = 0;
        int32_t size = GetUtf8CharSize(text.c_str() + i);
        if (size >= 2) DecodeUtf8(text.c_str() + i, &code);
        if (size >= 2 && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE && code != 0xFFFF)
        {
            result.append(text, i, size_t(size));
            i += size_t(size);
        }
        else
        {
            result += "\xEF\xBF\xBD";
            i += (size == 3) ? 3 : 1;
        }
    }
    return result;
}

TEST(TextString, EscapeXmlIsWellFormedForExpat)
{
    std::vector<std::string> inputs;
    for (int32_t b = 1; b < 256; ++b)
    {
        inputs.push_back(std::string(1, char(b)));
        inputs.push_back("a" + std::string(1, char(b)) + "\xE2\x82\xAC");
    }
    inputs.push_back("\xED\xA0\x80\xED\xBF\xBF x \xF4\x8F\xBF\xBF");
    inputs.push_back("\xEF\xBF\xBE<\xEF\xBF\xBF>\xEF\xBF\xBD");

    std::mt19937 random(11);
    const unsigned char pieces[] = {'a', '<', '&', '>', '\t', '\n', '\r', 0x01, 0x1F, 0x7F, 0x80, 0xC3, 0xA9, 0xE2,
                                    0x82, 0xAC, 0xED, 0xA0, 0xF0, 0x9F, 0x98, 0xF4, 0xFF, '"', ' '};
    for (int32_t i = 0; i < 3000; ++i)
    {
        std::string text;
        int32_t length = int32_t(random() % 20);
        for (int32_t j = 0; j < length; ++j) text += char(pieces[random() % std::size(pieces)]);
        inputs.push_back(text);
    }

    for (const std::string &input : inputs)
    {
        TextString string(input.c_str());
        string.EscapeXml();
        ExpectValid(string);
        std::string characters;
        ASSERT_TRUE(ParseXml(Str(string), characters)) << "escaped: " << Str(string);
        ASSERT_EQ(characters, ExpectedXmlCharacters(input));
    }
}

}  // namespace
}  // namespace oq
