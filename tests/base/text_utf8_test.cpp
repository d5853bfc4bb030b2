#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/TextUtils.h"

namespace {

using oq::ConvertUtf16ToUtf8;
using oq::ConvertUtf8ToUtf16;
using oq::DecodeUtf8;
using oq::EncodeUtf8;
using oq::GetUtf8CharSize;

// glibc's UTF-8 decoder as the oracle: the byte count and code point of the first character of a
// sequence, or a count of 0 when the sequence does not start with a complete valid character.
class IconvUtf8Decoder
{
public:
    IconvUtf8Decoder() : descriptor(iconv_open("UTF-32LE", "UTF-8")) {}
    ~IconvUtf8Decoder()
    {
        if (IsOpen()) iconv_close(descriptor);
    }

    bool IsOpen() const { return descriptor != reinterpret_cast<iconv_t>(-1); }

    int32_t DecodeFirst(const unsigned char *bytes, size_t count, uint32_t *codePoint)
    {
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
        char *in = reinterpret_cast<char *>(const_cast<unsigned char *>(bytes));
        size_t inLeft = count;
        unsigned char out[4];
        char *outPointer = reinterpret_cast<char *>(out);
        size_t outLeft = 4;
        iconv(descriptor, &in, &inLeft, &outPointer, &outLeft);
        if (outLeft != 0) return 0;

        *codePoint = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<uint32_t>(out[3]) << 24);
        return static_cast<int32_t>(count - inLeft);
    }

private:
    iconv_t descriptor;
};

bool IsSurrogate(uint32_t code)
{
    return code >= 0xD800 && code <= 0xDFFF;
}

// Checks GetUtf8CharSize and DecodeUtf8 on one NUL-terminated sequence against iconv; encoded
// surrogates are the one accepted difference.
void CheckSequence(IconvUtf8Decoder &oracle, const unsigned char *bytes, size_t count, int32_t *failures)
{
    unsigned char text[8] = {};
    std::memcpy(text, bytes, count);
    const char *p = reinterpret_cast<const char *>(text);

    uint32_t expectedCode = 0;
    int32_t expectedSize = (bytes[0] == 0) ? 1 : oracle.DecodeFirst(bytes, count, &expectedCode);

    int32_t size = GetUtf8CharSize(p);
    uint32_t code = 0;
    int32_t decodedSize = DecodeUtf8(p, &code);

    bool surrogate = (expectedSize == 0 && size == 3 && text[0] == 0xED && IsSurrogate(code));
    bool good;
    if (surrogate)
    {
        good = (decodedSize == 3) && code == (((text[1] & 0x3Fu) << 6 | (text[2] & 0x3Fu)) | 0xD000u);
    }
    else if (expectedSize == 0)
    {
        good = (size == 0 && decodedSize == 1 && code == 0xFFFD);
    }
    else
    {
        good = (size == expectedSize && decodedSize == expectedSize && code == expectedCode);
    }

    if (!good && ++*failures <= 10)
    {
        ADD_FAILURE() << "sequence " << std::hex << int(text[0]) << " " << int(text[1]) << " " << int(text[2]) << " "
                      << int(text[3]) << ": size " << std::dec << size << " (iconv " << expectedSize << ")";
    }
}

TEST(TextUtf8Test, ValidityAndDecodingMatchIconvOnEveryShortSequence)
{
    IconvUtf8Decoder oracle;
    ASSERT_TRUE(oracle.IsOpen());

    int32_t failures = 0;
    unsigned char bytes[4];
    for (uint32_t b0 = 0; b0 < 256; b0++)
    {
        bytes[0] = static_cast<unsigned char>(b0);
        CheckSequence(oracle, bytes, 1, &failures);
        for (uint32_t b1 = 1; b1 < 256; b1++)
        {
            bytes[1] = static_cast<unsigned char>(b1);
            CheckSequence(oracle, bytes, 2, &failures);
            if (b0 < 0x80) continue;  // an ASCII byte decodes alone whatever follows its second byte

            for (uint32_t b2 = 1; b2 < 256; b2++)
            {
                bytes[2] = static_cast<unsigned char>(b2);
                CheckSequence(oracle, bytes, 3, &failures);
            }
        }
    }

    EXPECT_EQ(failures, 0);
}

TEST(TextUtf8Test, ValidityAndDecodingMatchIconvOnFourByteSample)
{
    IconvUtf8Decoder oracle;
    ASSERT_TRUE(oracle.IsOpen());

    int32_t failures = 0;
    unsigned char bytes[4];

    // Every lead byte from E0 on with every second byte and the boundary values of the others.
    const unsigned char edges[] = {0x01, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0xA0, 0xBF, 0xC0, 0xF4, 0xFF};
    for (uint32_t b0 = 0xE0; b0 < 256; b0++)
    {
        for (uint32_t b1 = 1; b1 < 256; b1++)
        {
            for (unsigned char b2 : edges)
            {
                for (unsigned char b3 : edges)
                {
                    bytes[0] = static_cast<unsigned char>(b0);
                    bytes[1] = static_cast<unsigned char>(b1);
                    bytes[2] = b2;
                    bytes[3] = b3;
                    CheckSequence(oracle, bytes, 4, &failures);
                }
            }
        }
    }

    // Random sequences with a four-byte lead and continuation bytes, the interesting half.
    std::mt19937 random(406);
    for (int32_t i = 0; i < 1000000; i++)
    {
        uint32_t r = random();
        bytes[0] = static_cast<unsigned char>(0xF0 + (r & 7));
        bytes[1] = static_cast<unsigned char>(0x80 + ((r >> 3) & 0x3F));
        bytes[2] = static_cast<unsigned char>(0x80 + ((r >> 9) & 0x3F));
        bytes[3] = static_cast<unsigned char>(0x80 + ((r >> 15) & 0x3F));
        if (r >> 31) bytes[3 - ((r >> 21) & 1)] = static_cast<unsigned char>(1 + ((r >> 22) & 0xFE));
        CheckSequence(oracle, bytes, 4, &failures);
    }

    EXPECT_EQ(failures, 0);
}

TEST(TextUtf8Test, DecodeEdgeCases)
{
    struct Case
    {
        const char *text;
        int32_t size;
        uint32_t code;
    };

    const Case cases[] = {
        {"", 1, 0},
        {"A", 1, 'A'},
        {"\xC0\x80", 1, 0xFFFD},          // overlong NUL
        {"\xE0\x80\x80", 1, 0xFFFD},      // overlong
        {"\xF4\x90\x80\x80", 1, 0xFFFD},  // above U+10FFFF
        {"\x80", 1, 0xFFFD},              // lone continuation byte
        {"\xED\xA0\x80", 3, 0xD800},      // surrogates are accepted
        {"\xED\xBF\xBF", 3, 0xDFFF},
        {"\xC3\xA9", 2, 0xE9},
        {"\xE2\x82\xAC", 3, 0x20AC},
        {"\xF0\x9F\x98\x80", 4, 0x1F600},
        {"\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
        {"\xE2\x82", 1, 0xFFFD},  // cut short by the NUL
        {"\xF5\x80\x80\x80", 1, 0xFFFD},
    };

    for (const Case &c : cases)
    {
        uint32_t code = 1;
        EXPECT_EQ(DecodeUtf8(c.text, &code), c.size) << c.text;
        EXPECT_EQ(code, c.code) << c.text;
        EXPECT_EQ(GetUtf8CharSize(c.text), (c.code == 0xFFFD && c.text[0] != 0 && c.size == 1) ? 0 : c.size) << c.text;
    }
}

TEST(TextUtf8Test, EncodeRoundTripsEveryCodePoint)
{
    char buffer[8];
    for (uint32_t code = 0; code <= 0x10FFFF; code++)
    {
        std::memset(buffer, 0x55, sizeof(buffer));
        int32_t size = EncodeUtf8(buffer, code);
        ASSERT_EQ(size, oq::GetUtf8EncodedSize(code));
        ASSERT_EQ(buffer[size], 0x55) << "no NUL is written";
        buffer[size] = 0;

        uint32_t decoded = 0;
        ASSERT_EQ(DecodeUtf8(buffer, &decoded), size);
        ASSERT_EQ(decoded, code);
    }

    std::memset(buffer, 0x55, sizeof(buffer));
    EXPECT_EQ(EncodeUtf8(buffer, 0x110000), 0);
    EXPECT_EQ(buffer[0], 0x55);
    EXPECT_EQ(oq::GetUtf8EncodedSize(0x110000), 0);
    EXPECT_EQ(oq::GetUtf8EncodedSize(0x7F), 1);
    EXPECT_EQ(oq::GetUtf8EncodedSize(0x80), 2);
    EXPECT_EQ(oq::GetUtf8EncodedSize(0x7FF), 2);
    EXPECT_EQ(oq::GetUtf8EncodedSize(0x800), 3);
    EXPECT_EQ(oq::GetUtf8EncodedSize(0xFFFF), 3);
    EXPECT_EQ(oq::GetUtf8EncodedSize(0x10000), 4);

    EXPECT_EQ(EncodeUtf8(buffer, 0x10FFFF), 4);
    EXPECT_EQ(std::memcmp(buffer, "\xF4\x8F\xBF\xBF", 4), 0);
    EXPECT_EQ(EncodeUtf8(buffer, 0xDC00), 3);
    EXPECT_EQ(std::memcmp(buffer, "\xED\xB0\x80", 3), 0);
}

TEST(TextUtf8Test, LeadByteCounting)
{
    struct Case
    {
        const char *text;
        int32_t chars;
    };

    // Counting trusts the lead bytes; a sequence the NUL cuts short ends the count.
    const Case cases[] = {
        {"", 0},
        {"abc", 3},
        {"a\xC3\xA9z", 3},
        {"\xE2\x82\xAC\xF0\x9F\x98\x80", 2},
        {"\x80\x80", 2},       // continuation bytes count alone
        {"\xF8\xFF", 2},       // so do bytes above F7
        {"ab\xE2\x82", 2},     // cut short
        {"\xC0\x41", 1},       // not validated
    };

    for (const Case &c : cases)
    {
        EXPECT_EQ(oq::CountUtf8Chars(c.text), c.chars) << c.text;
        int32_t length = static_cast<int32_t>(std::strlen(c.text));
        int32_t size = oq::GetUtf8CharsSize(c.text, c.chars);
        EXPECT_LE(size, length);
        EXPECT_EQ(oq::GetUtf8CharsSize(c.text, 1000), size) << "never steps over the NUL";
        EXPECT_EQ(oq::CountUtf8CharsMax(c.text, size), c.chars);
    }

    const char *text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(oq::GetUtf8CharsSize(text, 0), 0);
    EXPECT_EQ(oq::GetUtf8CharsSize(text, -3), 0);
    EXPECT_EQ(oq::GetUtf8CharsSize(text, 2), 3);
    EXPECT_EQ(oq::GetUtf8CharsSize(text, 3), 6);
    EXPECT_EQ(oq::GetUtf8CharsSize(text, 4), 10);
    EXPECT_EQ(oq::CountUtf8CharsMax(text, 0), 0);
    EXPECT_EQ(oq::CountUtf8CharsMax(text, 2), 1);  // the second character needs 3 bytes
    EXPECT_EQ(oq::CountUtf8CharsMax(text, 3), 2);
    EXPECT_EQ(oq::CountUtf8CharsMax(text, 9), 3);
    EXPECT_EQ(oq::CountUtf8CharsMax(text, 100), 4);

    EXPECT_EQ(oq::GetUtf8CharSizeMax("\xF0\x9F\x98\x80", 10), 4);
    EXPECT_EQ(oq::GetUtf8CharSizeMax("\xF0\x9F\x98\x80", 2), 2);
    EXPECT_EQ(oq::GetUtf8CharSizeMax("\xC3\xA9", 5), 2);
    EXPECT_EQ(oq::GetUtf8CharSizeMax("\xE2\x82\xAC", 5), 3);
    EXPECT_EQ(oq::GetUtf8CharSizeMax("\xF8", 5), 1);
    EXPECT_EQ(oq::GetUtf8CharSizeMax("\x80", 5), 1);
    EXPECT_EQ(oq::GetUtf8CharSizeMax("a", 0), 0);
    EXPECT_EQ(oq::GetUtf8CharSizeMax("a", -2), -2);
}

TEST(TextUtf8Test, PreviousCharacterNeverStepsBeforeTheBuffer)
{
    const char text[] = "a\xC3\xA9\xF0\x9F\x98\x80";
    const char *end = text + 7;
    EXPECT_EQ(oq::GetPreviousUtf8CharSize(end, 7), 4);
    EXPECT_EQ(oq::GetPreviousUtf8CharSize(text + 3, 3), 2);
    EXPECT_EQ(oq::GetPreviousUtf8CharSize(text + 1, 1), 1);
    EXPECT_EQ(oq::GetPreviousUtf8CharSize(text, 0), 0);
    EXPECT_EQ(oq::GetPreviousUtf8CharSize(text, -1), 0);

    // Only continuation bytes are available: the size is capped at what is available. The
    // buffer is a heap block of its own so that ASan sees any read before it.
    std::vector<char> block = {'\x9F', '\x98', '\x80'};
    const char *blockEnd = block.data() + block.size();
    EXPECT_EQ(oq::GetPreviousUtf8CharSize(blockEnd, 3), 3);
    EXPECT_EQ(oq::GetPreviousUtf8CharSize(blockEnd, 2), 2);
    EXPECT_EQ(oq::GetPreviousUtf8CharSize(blockEnd, 1), 1);
}

// A text of random characters: ASCII, two-, three- and four-byte characters and lone surrogates.
std::u16string MakeRandomUtf16(std::mt19937 &random, int32_t characters, bool loneSurrogates)
{
    std::u16string text;
    for (int32_t i = 0; i < characters; i++)
    {
        uint32_t kind = random() % (loneSurrogates ? 6 : 4);
        if (kind == 0) text += static_cast<char16_t>(1 + random() % 0x7F);
        else if (kind == 1) text += static_cast<char16_t>(0x80 + random() % 0x780);
        else if (kind == 2)
        {
            uint32_t code = 0x800 + random() % (0x10000 - 0x800 - 0x800);
            if (code >= 0xD800) code += 0x800;
            text += static_cast<char16_t>(code);
        }
        else if (kind == 3)
        {
            uint32_t code = random() % 0x100000;
            text += static_cast<char16_t>(0xD800 + (code >> 10));
            text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        }
        else
        {
            text += static_cast<char16_t>(0xD800 + random() % 0x800);
        }
    }

    return text;
}

std::string IconvConvert(const char *to, const char *from, const void *data, size_t size)
{
    iconv_t descriptor = iconv_open(to, from);
    std::string out(size * 4 + 16, '\0');
    char *in = static_cast<char *>(const_cast<void *>(data));
    size_t inLeft = size;
    char *outPointer = out.data();
    size_t outLeft = out.size();
    size_t result = iconv(descriptor, &in, &inLeft, &outPointer, &outLeft);
    iconv_close(descriptor);
    if (result == static_cast<size_t>(-1)) return "(iconv failed)";
    out.resize(out.size() - outLeft);
    return out;
}

TEST(TextUtf8Test, ConversionsMatchIconvOnValidText)
{
    std::mt19937 random(1106);
    for (int32_t round = 0; round < 300; round++)
    {
        std::u16string utf16 = MakeRandomUtf16(random, 1 + round % 50, false);
        std::string expected = IconvConvert("UTF-8", "UTF-16LE", utf16.data(), utf16.size() * 2);

        int32_t utf8Size = oq::GetUtf16TextUtf8Size(utf16.c_str());
        ASSERT_EQ(utf8Size, static_cast<int32_t>(expected.size()));
        std::vector<char> utf8(utf8Size + 1);
        EXPECT_EQ(ConvertUtf16ToUtf8(utf16.c_str(), utf8.data(), utf8Size), utf8Size);
        EXPECT_EQ(std::string(utf8.data()), expected);

        int32_t units = oq::GetUtf8TextUtf16Size(utf8.data());
        ASSERT_EQ(units, static_cast<int32_t>(utf16.size()));
        std::vector<char16_t> back(units + 1);
        EXPECT_EQ(ConvertUtf8ToUtf16(utf8.data(), back.data(), units), units);
        EXPECT_EQ(std::u16string(back.data()), utf16);
    }
}

TEST(TextUtf8Test, InvalidBytesBecomeReplacementCharacters)
{
    struct Case
    {
        const char *utf8;
        std::u16string utf16;
    };

    const Case cases[] = {
        {"a\x80z", u"a\uFFFDz"},
        {"\xC0\x80", u"\uFFFD\uFFFD"},
        {"\xE2\x82", u"\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80!", u"\uFFFD\uFFFD\uFFFD\uFFFD!"},
        {"\xED\xA0\x80", std::u16string(1, char16_t(0xD800))},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
    };

    for (const Case &c : cases)
    {
        int32_t units = oq::GetUtf8TextUtf16Size(c.utf8);
        EXPECT_EQ(units, static_cast<int32_t>(c.utf16.size())) << c.utf8;
        char16_t out[16];
        EXPECT_EQ(ConvertUtf8ToUtf16(c.utf8, out, 15), units);
        EXPECT_EQ(std::u16string(out), c.utf16);
    }

    // Lone surrogates in UTF-16 are written as three bytes each; a reversed pair is two of them.
    char out[16];
    const char16_t lowAlone[] = {0xDC00, 0};
    EXPECT_EQ(ConvertUtf16ToUtf8(lowAlone, out, 15), 3);
    EXPECT_STREQ(out, "\xED\xB0\x80");
    const char16_t reversed[] = {0xDC00, 0xD800, 'x', 0};
    EXPECT_EQ(oq::GetUtf16TextUtf8Size(reversed), 7);
    EXPECT_EQ(ConvertUtf16ToUtf8(reversed, out, 15), 7);
    EXPECT_STREQ(out, "\xED\xB0\x80\xED\xA0\x80x");
}

TEST(TextUtf8Test, ConversionLimitsNeverSplitACharacterAndAlwaysWriteTheNul)
{
    std::mt19937 random(2106);
    for (int32_t round = 0; round < 200; round++)
    {
        std::u16string utf16 = MakeRandomUtf16(random, 1 + round % 20, true);
        int32_t fullBytes = oq::GetUtf16TextUtf8Size(utf16.c_str());
        std::vector<char> full(fullBytes + 1);
        ConvertUtf16ToUtf8(utf16.c_str(), full.data(), fullBytes);

        // UTF-16 to UTF-8: the output is the longest prefix of whole characters within the limit.
        for (int32_t limit = -1; limit <= fullBytes + 1; limit++)
        {
            std::vector<char> out(fullBytes + 8, '\x55');
            int32_t written = ConvertUtf16ToUtf8(utf16.c_str(), out.data(), limit);
            ASSERT_GE(written, 0);
            ASSERT_LE(written, limit < 0 ? 0 : limit);
            ASSERT_EQ(out[written], 0);
            ASSERT_EQ(std::memcmp(out.data(), full.data(), written), 0);
            ASSERT_EQ(out[written + 1], '\x55');
            if (written < fullBytes)
            {
                int32_t next = oq::GetUtf8CharSizeMax(full.data() + written, 4);
                ASSERT_EQ(oq::GetUtf8CharSize(full.data() + written), next) << "stops on a character boundary";
                ASSERT_GT(written + next, limit) << "the next character would not fit";
            }
        }

        // UTF-8 to UTF-16: never half a pair; the NUL unit always follows.
        int32_t fullUnits = oq::GetUtf8TextUtf16Size(full.data());
        std::vector<char16_t> units(fullUnits + 1);
        ConvertUtf8ToUtf16(full.data(), units.data(), fullUnits);
        for (int32_t limit = -1; limit <= fullUnits + 1; limit++)
        {
            std::vector<char16_t> out(fullUnits + 8, 0x5555);
            int32_t written = ConvertUtf8ToUtf16(full.data(), out.data(), limit);
            ASSERT_GE(written, 0);
            ASSERT_LE(written, limit < 0 ? 0 : limit);
            ASSERT_EQ(out[written], 0);
            ASSERT_EQ(out[written + 1], 0x5555);
            ASSERT_EQ(std::memcmp(out.data(), units.data(), written * 2), 0);
            if (written > 0)
            {
                bool pairCut = (units[written - 1] >= 0xD800 && units[written - 1] <= 0xDBFF &&
                                units[written] >= 0xDC00 && units[written] <= 0xDFFF);
                ASSERT_FALSE(pairCut) << "a surrogate pair was split";
            }
            if (written < fullUnits)
            {
                bool pairNext = (units[written] >= 0xD800 && units[written] <= 0xDBFF && units[written + 1] >= 0xDC00 &&
                                 units[written + 1] <= 0xDFFF);
                ASSERT_GT(written + (pairNext ? 2 : 1), limit);
            }
        }
    }

    // A character above U+FFFF with room for one unit: only the NUL unit.
    char16_t out[4] = {0x5555, 0x5555, 0x5555, 0x5555};
    EXPECT_EQ(ConvertUtf8ToUtf16("\xF0\x9F\x98\x80", out, 1), 0);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0x5555);
}

}  // namespace
