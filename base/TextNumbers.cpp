#include "base/TextUtils.h"

namespace oq {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// Writes the magnitude's digits, most significant first, cut to maxChars characters including
// the sign; returns the count.
template <typename Unsigned>
int32_t WriteDecimal(Unsigned magnitude, bool negative, char *buffer, int32_t maxChars)
{
    char digits[20];
    int32_t digitCount = 0;
    do
    {
        digits[digitCount++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);

    int32_t count = 0;
    if (negative)
    {
        if (maxChars <= 0)
        {
            buffer[0] = 0;
            return 0;
        }

        buffer[count++] = '-';
    }

    while (digitCount > 0 && count < maxChars) buffer[count++] = digits[--digitCount];
    buffer[count] = 0;
    return count;
}

void FormatHex(char *buffer, uint64_t value, int32_t digitCount)
{
    for (int32_t i = digitCount - 1; i >= 0; i--)
    {
        buffer[i] = kHexDigits[value & 15];
        value >>= 4;
    }

    buffer[digitCount] = 0;
}

}  // namespace

int32_t Int32ToText(int32_t value, char *buffer, int32_t maxChars)
{
    uint32_t magnitude = (value < 0) ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    return WriteDecimal(magnitude, value < 0, buffer, maxChars);
}

int32_t Int64ToText(int64_t value, char *buffer, int32_t maxChars)
{
    uint64_t magnitude = (value < 0) ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    return WriteDecimal(magnitude, value < 0, buffer, maxChars);
}

void FormatHex16(char *buffer, uint64_t value)
{
    FormatHex(buffer, value, 16);
}

void FormatHex8(char *buffer, uint32_t value)
{
    FormatHex(buffer, value, 8);
}

void FormatHex6(char *buffer, uint32_t value)
{
    FormatHex(buffer, value, 6);
}

void FormatHex4(char *buffer, uint32_t value)
{
    FormatHex(buffer, value, 4);
}

void FormatHex2(char *buffer, uint32_t value)
{
    FormatHex(buffer, value, 2);
}

uint32_t TextToFourCC(const char *text)
{
    uint32_t code = 0;
    int32_t i = 0;
    for (; i < 4 && text[i] != 0; i++) code = (code << 8) | static_cast<unsigned char>(text[i]);
    for (; i < 4; i++) code <<= 8;
    return code;
}

void FourCCToText(char *buffer, uint32_t code)
{
    int32_t count = (code >= 0x1000000) ? 4 : 3;
    for (int32_t i = 0; i < count; i++) buffer[i] = static_cast<char>(code >> (8 * (count - 1 - i)));
    buffer[count] = 0;
}

void FormatFourCC(char *buffer, uint32_t code)
{
    // At most 17 characters: "0x" 8 digits " '" 4 characters "'", well inside 31.
    buffer[0] = '0';
    buffer[1] = 'x';
    FormatHex8(buffer + 2, code);
    buffer[10] = ' ';
    buffer[11] = '\'';

    char characters[5];
    FourCCToText(characters, code);
    int32_t count = 12 + CopyText(characters, buffer + 12);
    buffer[count] = '\'';
    buffer[count + 1] = 0;
}

}  // namespace oq
