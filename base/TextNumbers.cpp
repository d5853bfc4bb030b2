#include "base/TextUtils.h"

#include <bit>

namespace oq {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

// "00" to "99": two digits per division.
constexpr struct DigitPairs
{
    char text[200];
    constexpr DigitPairs() : text()
    {
        for (int32_t i = 0; i < 100; ++i)
        {
            text[2 * i] = char('0' + i / 10);
            text[2 * i + 1] = char('0' + i % 10);
        }
    }
} kDigitPairs;

constexpr uint64_t kPowersOfTen[20] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
    10000000ull, 100000000ull, 1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull,
    10000000000000ull, 100000000000000ull, 1000000000000000ull, 10000000000000000ull,
    100000000000000000ull, 1000000000000000000ull, 10000000000000000000ull};

// Decimal digits of a magnitude (1 for 0): log10 estimated from the bit count (1233 / 4096 is
// just above log10(2)), less one when the magnitude lies below that power of ten.
int32_t CountDigits(uint64_t magnitude)
{
    int32_t estimate = (int32_t(std::bit_width(magnitude | 1)) * 1233) >> 12;
    return estimate + 1 - int32_t((magnitude | 1) < kPowersOfTen[estimate]);
}

// Writes the digits of the magnitude so that the last one lands just before end.
template <typename Unsigned>
void WriteDigitsBackward(Unsigned magnitude, char *end)
{
    while (magnitude >= 100)
    {
        uint32_t pair = uint32_t(magnitude % 100);
        magnitude /= 100;
        end -= 2;
        end[0] = kDigitPairs.text[2 * pair];
        end[1] = kDigitPairs.text[2 * pair + 1];
    }
    if (magnitude >= 10)
    {
        end[-2] = kDigitPairs.text[2 * magnitude];
        end[-1] = kDigitPairs.text[2 * magnitude + 1];
    }
    else
    {
        end[-1] = char('0' + magnitude);
    }
}

// Writes the magnitude's digits, most significant first, cut to maxChars characters including
// the sign; returns the count.
template <typename Unsigned>
int32_t WriteDecimal(Unsigned magnitude, bool negative, char *buffer, int32_t maxChars)
{
    int32_t digitCount = CountDigits(magnitude);
    int32_t count = int32_t(negative) + digitCount;
    if (count <= maxChars)
    {
        buffer[0] = '-';
        WriteDigitsBackward(magnitude, buffer + count);
        buffer[count] = 0;
        return count;
    }

    // Cut: the leading characters of the whole text.
    char text[24];
    text[0] = '-';
    WriteDigitsBackward(magnitude, text + count);
    count = (maxChars > 0) ? maxChars : 0;
    for (int32_t i = 0; i < count; ++i) buffer[i] = text[i];
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
