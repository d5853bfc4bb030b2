// Kettric string literals: escapes, validation and decoding into a TextString.
#include "base/TextString.h"
#include "base/TextUtils.h"
#include "kettric/KettricCharClass.h"
#include "kettric/KettricLiterals.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace oq {

namespace {

// Exactly count hexadecimal digits; false when one is missing (the NUL included).
[[nodiscard]] bool ReadHexDigits(const char *text, int32_t count, uint32_t *value)
{
    uint32_t v = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        uint8_t d = kKettricHexDigitValue[static_cast<unsigned char>(text[i])];
        if (d == 0xFF) return false;
        v = v << 4 | d;
    }
    *value = v;
    return true;
}

// 1 for the printable ASCII bytes that stand for themselves inside a string literal.
constexpr std::array<uint8_t, 256> MakePlainStringByteTable()
{
    std::array<uint8_t, 256> table{};
    for (int i = 0x20; i < 0x7F; ++i) table[i] = (i != '"' && i != '\\') ? 1 : 0;
    return table;
}

inline constexpr std::array<uint8_t, 256> kPlainStringByte = MakePlainStringByteTable();

inline bool IsPlainStringByte(char c)
{
    return kPlainStringByte[static_cast<unsigned char>(c)] != 0;
}

}  // namespace

int32_t ParseKettricStringEscape(const char *text, int32_t *decodedLength, char *buffer)
{
    if (text[0] == 'u' || text[0] == 'U')
    {
        int32_t digits = (text[0] == 'u') ? 4 : 6;
        uint32_t codePoint = 0;
        if (!ReadHexDigits(text + 1, digits, &codePoint)) return 0;
        if (codePoint == 0 || codePoint > 0x10FFFF) return 0;
        int32_t size = (buffer != nullptr) ? EncodeUtf8(buffer, codePoint) : GetUtf8EncodedSize(codePoint);
        *decodedLength = size;
        return 1 + digits;
    }
    unsigned char byte = 0;
    int32_t n = ParseKettricCharEscape(text, &byte);
    // A string holds no NUL, so "\x00" is no valid string escape.
    if (n == 0 || byte == 0) return 0;
    if (buffer != nullptr) buffer[0] = static_cast<char>(byte);
    *decodedLength = 1;
    return n;
}

KettricResult ParseKettricStringLiteral(const char *text, int32_t *length, int32_t *decodedLength, char *buffer)
{
    const char *p = text;
    int32_t decoded = 0;
    for (;;)
    {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == 0) break;
        if (c < 0x20 || c == 0x7F) return kResultStringInvalidByte;
        if (c == '\\')
        {
            int32_t size = 0;
            int32_t n = ParseKettricStringEscape(p + 1, &size, (buffer != nullptr) ? buffer + decoded : nullptr);
            if (n == 0) return kResultStringInvalidEscape;
            p += 1 + n;
            decoded += size;
        }
        else if (c < 0x80)
        {
            if (buffer != nullptr) buffer[decoded] = static_cast<char>(c);
            ++decoded;
            ++p;
        }
        else
        {
            int32_t size = GetUtf8CharSize(p);
            if (size == 0) return kResultStringInvalidByte;
            if (buffer != nullptr)
            {
                for (int32_t i = 0; i < size; ++i) buffer[decoded + i] = p[i];
            }
            decoded += size;
            p += size;
        }
    }
    *length = static_cast<int32_t>(p - text);
    *decodedLength = decoded;
    return 0;
}

KettricResult ReadKettricString(const char **text, TextString *value)
{
    const char *start = *text;
    if (*start != '"') return kResultStringInvalid;

    // The common single literal of plain printable ASCII is copied in one step; anything else
    // (escapes, control or non-ASCII bytes, adjacent literals, errors) takes the checked path.
    const char *q = start + 1;
    while (IsPlainStringByte(*q)) ++q;
    if (*q == '"')
    {
        const char *after = SkipKettricSpace(q + 1);
        if (*after != '"')
        {
            if (value != nullptr)
            {
                int32_t length = static_cast<int32_t>(q - (start + 1));
                value->SetLength(length);
                if (length != 0) std::memcpy(value->GetBuffer(), start + 1, size_t(length));
            }
            *text = after;
            return 0;
        }
    }

    // First pass: check and measure the literal and the literals adjacent to it, so that the
    // target is resized once however many literals the string is made of.
    const char *p = start;
    int64_t total = 0;
    for (;;)
    {
        const char *body = p + 1;
        int32_t length = 0;
        int32_t decoded = 0;
        KettricResult result = ParseKettricStringLiteral(body, &length, &decoded, nullptr);
        if (result != 0)
        {
            *text = body;
            return result;
        }
        if (body[length] != '"')
        {
            *text = body + length;
            return kResultStringInvalid;
        }
        total += decoded;
        p = SkipKettricSpace(body + length + 1);
        if (*p != '"') break;
    }

    if (value != nullptr)
    {
        value->SetLength(int32_t(total));
        char *buffer = value->GetBuffer();
        const char *q = start;
        while (*q == '"')
        {
            int32_t length = 0;
            int32_t decoded = 0;
            // The first pass accepted every part, so the second cannot fail.
            static_cast<void>(ParseKettricStringLiteral(q + 1, &length, &decoded, buffer));
            buffer += decoded;
            q = SkipKettricSpace(q + 1 + length + 1);
        }
    }
    *text = p;
    return 0;
}

}  // namespace oq
