#include "base/TextUtils.h"

namespace oq {

namespace {

constexpr uint32_t kReplacementChar = 0xFFFD;

inline uint32_t Byte(const char *text, int32_t i)
{
    return static_cast<unsigned char>(text[i]);
}

inline bool IsContinuation(uint32_t b)
{
    return (b & 0xC0) == 0x80;
}

// Size of the sequence a lead byte announces, without validation.
inline int32_t GetLeadByteSize(uint32_t b)
{
    if (b < 0xC0 || b > 0xF7) return 1;
    if (b < 0xE0) return 2;
    if (b < 0xF0) return 3;
    return 4;
}

// Validates the sequence at text: size 1 to 4 with its code point, or 0. Reads no byte after the
// first one that fails, so a NUL is never stepped over.
int32_t ReadUtf8(const char *text, uint32_t *codePoint)
{
    uint32_t b0 = Byte(text, 0);
    if (b0 < 0x80)
    {
        *codePoint = b0;
        return 1;
    }

    if (b0 < 0xC2 || b0 > 0xF4) return 0;

    uint32_t b1 = Byte(text, 1);
    if (!IsContinuation(b1)) return 0;

    if (b0 < 0xE0)
    {
        *codePoint = ((b0 & 0x1F) << 6) | (b1 & 0x3F);
        return 2;
    }

    uint32_t b2 = Byte(text, 2);
    if (!IsContinuation(b2)) return 0;

    if (b0 < 0xF0)
    {
        uint32_t code = ((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
        if (code < 0x800) return 0;
        *codePoint = code;
        return 3;
    }

    uint32_t b3 = Byte(text, 3);
    if (!IsContinuation(b3)) return 0;

    uint32_t code = ((b0 & 0x07) << 18) | ((b1 & 0x3F) << 12) | ((b2 & 0x3F) << 6) | (b3 & 0x3F);
    if (code < 0x10000 || code > 0x10FFFF) return 0;
    *codePoint = code;
    return 4;
}

// Reads one UTF-16 character (a valid pair or a single unit); returns the units taken.
inline int32_t ReadUtf16(const char16_t *text, uint32_t *codePoint)
{
    uint32_t u0 = text[0];
    if (u0 >= 0xD800 && u0 <= 0xDBFF)
    {
        uint32_t u1 = text[1];
        if (u1 >= 0xDC00 && u1 <= 0xDFFF)
        {
            *codePoint = 0x10000 + ((u0 - 0xD800) << 10) + (u1 - 0xDC00);
            return 2;
        }
    }

    *codePoint = u0;
    return 1;
}

}  // namespace

int32_t GetUtf8CharSize(const char *text)
{
    uint32_t code;
    return ReadUtf8(text, &code);
}

int32_t DecodeUtf8(const char *text, uint32_t *codePoint)
{
    int32_t size = ReadUtf8(text, codePoint);
    if (size != 0) return size;

    *codePoint = kReplacementChar;
    return 1;
}

int32_t EncodeUtf8(char *buffer, uint32_t codePoint)
{
    if (codePoint < 0x80)
    {
        buffer[0] = static_cast<char>(codePoint);
        return 1;
    }

    if (codePoint < 0x800)
    {
        buffer[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        buffer[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }

    if (codePoint < 0x10000)
    {
        buffer[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        buffer[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        buffer[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }

    if (codePoint <= 0x10FFFF)
    {
        buffer[0] = static_cast<char>(0xF0 | (codePoint >> 18));
        buffer[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        buffer[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        buffer[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 4;
    }

    return 0;
}

int32_t GetUtf8EncodedSize(uint32_t codePoint)
{
    if (codePoint < 0x80) return 1;
    if (codePoint < 0x800) return 2;
    if (codePoint < 0x10000) return 3;
    if (codePoint <= 0x10FFFF) return 4;
    return 0;
}

int32_t CountUtf8CharsMax(const char *text, int32_t maxBytes)
{
    int32_t count = 0;
    int32_t i = 0;
    while (i < maxBytes)
    {
        uint32_t b = Byte(text, i);
        if (b == 0) break;

        int32_t size = GetLeadByteSize(b);
        if (size > maxBytes - i) break;

        int32_t k = 1;
        while (k < size && text[i + k] != 0) k++;
        if (k < size) break;

        count++;
        i += size;
    }

    return count;
}

int32_t CountUtf8Chars(const char *text)
{
    return CountUtf8CharsMax(text, INT32_MAX);
}

int32_t GetUtf8CharsSize(const char *text, int32_t count)
{
    int32_t i = 0;
    for (int32_t c = 0; c < count; c++)
    {
        uint32_t b = Byte(text, i);
        if (b == 0) break;

        int32_t size = GetLeadByteSize(b);
        int32_t k = 1;
        while (k < size && text[i + k] != 0) k++;
        if (k < size) break;

        i += size;
    }

    return i;
}

int32_t GetUtf8CharSizeMax(const char *text, int32_t maxBytes)
{
    if (maxBytes <= 0) return maxBytes;

    int32_t size = GetLeadByteSize(Byte(text, 0));
    return size < maxBytes ? size : maxBytes;
}

int32_t GetPreviousUtf8CharSize(const char *position, int32_t available)
{
    if (available <= 0) return 0;

    // Continuation bytes directly before the position, then the lead byte; all within reach.
    int32_t size = 1;
    while (size < available && IsContinuation(Byte(position, -size))) size++;
    return size;
}

int32_t GetUtf16TextUtf8Size(const char16_t *text)
{
    int32_t size = 0;
    int32_t i = 0;
    while (text[i] != 0)
    {
        uint32_t code;
        i += ReadUtf16(text + i, &code);
        size += GetUtf8EncodedSize(code);
    }

    return size;
}

int32_t ConvertUtf16ToUtf8(const char16_t *text, char *output, int32_t maxBytes)
{
    int32_t written = 0;
    int32_t i = 0;
    while (text[i] != 0)
    {
        uint32_t code;
        int32_t units = ReadUtf16(text + i, &code);
        if (GetUtf8EncodedSize(code) > maxBytes - written) break;

        written += EncodeUtf8(output + written, code);
        i += units;
    }

    output[written] = 0;
    return written;
}

int32_t GetUtf8TextUtf16Size(const char *text)
{
    int32_t units = 0;
    int32_t i = 0;
    for (;;)
    {
        uint32_t b = Byte(text, i);
        if (b == 0) break;

        if (b < 0x80)
        {
            units++;
            i++;
            continue;
        }

        uint32_t code;
        i += DecodeUtf8(text + i, &code);
        units += (code > 0xFFFF) ? 2 : 1;
    }

    return units;
}

int32_t ConvertUtf8ToUtf16(const char *text, char16_t *output, int32_t maxUnits)
{
    int32_t written = 0;
    int32_t i = 0;
    while (written < maxUnits)
    {
        uint32_t b = Byte(text, i);
        if (b == 0) break;

        if (b < 0x80)
        {
            output[written++] = static_cast<char16_t>(b);
            i++;
            continue;
        }

        uint32_t code;
        int32_t size = DecodeUtf8(text + i, &code);
        if (code > 0xFFFF)
        {
            if (maxUnits - written < 2) break;

            code -= 0x10000;
            output[written] = static_cast<char16_t>(0xD800 + (code >> 10));
            output[written + 1] = static_cast<char16_t>(0xDC00 + (code & 0x3FF));
            written += 2;
        }
        else
        {
            output[written++] = static_cast<char16_t>(code);
        }

        i += size;
    }

    output[written] = 0;
    return written;
}

}  // namespace oq
