#include "base/TextUtils.h"

#include <bit>
#include <charconv>
#include <cstring>

#include "base/ScalarMath.h"

namespace oq {

namespace {

// Long enough for any text the writer makes without a limit (at most 19 characters).
constexpr int32_t kFullTextLimit = 47;

constexpr uint32_t kPlainMinBits = 0x38D1B717;  // 1e-4: smaller magnitudes take the exponent form
constexpr float kPlainEnd = 100000.0f;          // from here on too

// Decimal digits of a float magnitude, before the character limit is applied: value =
// integer.fraction x 10^exponent.
struct FloatDigits
{
    char integer[24];
    int32_t integerCount;
    uint32_t integerValue;  // the integer digits' value (fast digits only)
    char fraction[24];
    int32_t fractionCount;
    int32_t exponent;
    bool tidyAlways;  // the fast digits are truncated and are tidied (step back over 9s) always
};

inline uint32_t FloatBits(float x)
{
    uint32_t bits;
    std::memcpy(&bits, &x, 4);
    return bits;
}

inline float BitsFloat(uint32_t bits)
{
    float x;
    std::memcpy(&x, &bits, 4);
    return x;
}

// Writes the decimal digits of value (no sign, no NUL); returns their count.
inline int32_t WriteSmallDecimal(uint32_t value, char *out)
{
    if (value < 10)
    {
        out[0] = static_cast<char>('0' + value);
        return 1;
    }
    char reversed[10];
    int32_t count = 0;
    do
    {
        reversed[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int32_t i = 0; i < count; i++) out[i] = reversed[count - 1 - i];
    return count;
}

// True when the last of count digits is a 0 or a 9 and at least four of the digits are the same.
inline bool EndsRepeatedDigit(const char *digits, int32_t count)
{
    char last = digits[count - 1];
    if (last != '0' && last != '9') return false;
    int32_t same = 0;
    for (int32_t i = 0; i < count; i++) same += (digits[i] == last);
    return same >= 4;
}

// The fast writer's digits: the binary significand scaled by the library's Exp and Log and
// converted digit by digit. Returns false when the scaling left m outside its range (m below 1
// or from 10 on in the exponent form, or a shift the significand cannot take).
bool GetFastDigits(float magnitude, FloatDigits *digits)
{
    float m = magnitude;
    int32_t exponent = 0;
    if (FloatBits(magnitude) < kPlainMinBits || !(magnitude < kPlainEnd))
    {
        float e = FloatFloor(0.4342945f * Log(magnitude));
        exponent = static_cast<int32_t>(e);
        m = magnitude / Exp(e * 2.3025851f);
        if (!(m >= 1.0f && m < 10.0f)) return false;
    }

    uint32_t bits = FloatBits(m);
    int32_t biased = static_cast<int32_t>(bits >> 23);
    uint32_t significand = (bits & 0x7FFFFF) | 0x800000;

    uint32_t f;
    if (m >= 1.0f)
    {
        if (biased > 150) return false;
        digits->integerValue = significand >> (150 - biased);
        digits->integerCount = WriteSmallDecimal(digits->integerValue, digits->integer);
        f = (significand << (biased - 127)) & 0x7FFFFF;
    }
    else
    {
        if (biased < 96) return false;
        digits->integer[0] = '0';
        digits->integerCount = 1;
        digits->integerValue = 0;
        f = significand >> (127 - biased);
    }

    // At most 7 digits; fewer when the rest of the fraction is 0 or 1 step, or when the 5th or
    // 6th digit is a 0 (or 9) that makes at least four of its kind.
    char *fraction = digits->fraction;
    int32_t count = 0;
    while (true)
    {
        f *= 10;
        fraction[count++] = static_cast<char>('0' + (f >> 23));
        f &= 0x7FFFFF;
        if (count == 7 || (f >> 1) == 0) break;
        if (count >= 5 && EndsRepeatedDigit(fraction, count)) break;
    }

    digits->fractionCount = count;
    digits->exponent = exponent;
    digits->tidyAlways = true;
    return true;
}

// The shortest digits that read back to the float, laid out like the fast digits: plain decimal
// from 1e-4 to below 100000, else one integer digit and an exponent.
void GetShortestDigits(float magnitude, FloatDigits *digits)
{
    char text[32];
    std::to_chars_result result = std::to_chars(text, text + sizeof(text), magnitude, std::chars_format::scientific);

    // One digit, then a point and more digits when there are any, then 'e', a sign and two
    // digits (a float's exponent has at most two).
    const char *e = result.ptr - 4;
    if (e <= text || e > text + 17 || *e != 'e' || (e != text + 1 && text[1] != '.')) e = nullptr;
    char significant[16] = {};
    int32_t count = 1;
    significant[0] = text[0];
    int32_t exponent = 0;
    if (e != nullptr)
    {
        if (e != text + 1)
        {
            count = static_cast<int32_t>(e - text) - 1;
            std::memcpy(significant + 1, text + 2, 15);
        }
        exponent = (e[2] - '0') * 10 + (e[3] - '0');
        if (e[1] == '-') exponent = -exponent;
    }
    else
    {
        const char *p = text + 1;
        if (p < result.ptr && *p == '.')
        {
            for (p++; p < result.ptr && *p != 'e' && count < 16; p++) significant[count++] = *p;
        }
        if (p + 2 < result.ptr)
        {
            for (const char *q = p + 2; q < result.ptr; q++) exponent = exponent * 10 + (*q - '0');
            if (p[1] == '-') exponent = -exponent;
        }
    }

    digits->integerCount = 0;
    digits->fractionCount = 0;
    digits->exponent = 0;
    digits->tidyAlways = false;

    if (FloatBits(magnitude) < kPlainMinBits || !(magnitude < kPlainEnd))
    {
        digits->integer[digits->integerCount++] = significant[0];
        std::memcpy(digits->fraction, significant + 1, 15);
        digits->fractionCount = count - 1;
        digits->exponent = exponent;
    }
    else if (exponent >= 0)
    {
        for (int32_t i = 0; i <= exponent; i++) digits->integer[digits->integerCount++] = (i < count) ? significant[i] : '0';
        for (int32_t i = exponent + 1; i < count; i++) digits->fraction[digits->fractionCount++] = significant[i];
    }
    else
    {
        digits->integer[digits->integerCount++] = '0';
        for (int32_t i = 1; i < -exponent; i++) digits->fraction[digits->fractionCount++] = '0';
        for (int32_t i = 0; i < count; i++) digits->fraction[digits->fractionCount++] = significant[i];
    }

    if (digits->fractionCount == 0) digits->fraction[digits->fractionCount++] = '0';
}

// Writes sign, integer part, point, fraction and exponent within maxChars (at least 1), tidies
// the end of the fraction and writes the NUL; returns the count.
int32_t WriteDigits(bool negative, const FloatDigits &digits, char *buffer, int32_t maxChars)
{
    int32_t count = 0;
    if (negative) buffer[count++] = '-';

    int32_t point;
    if (maxChars >= kFullTextLimit && digits.integerCount <= 8 && digits.fractionCount <= 16)
    {
        // Room for the whole text and more: the digits are copied in whole pieces (the
        // buffer holds at least 48 bytes; what lies past the text is overwritten or ignored).
        std::memcpy(buffer + count, digits.integer, 8);
        count += digits.integerCount;
        buffer[count++] = '.';
        point = count;
        std::memcpy(buffer + count, digits.fraction, 16);
        count += digits.fractionCount;
    }
    else
    {
        for (int32_t i = 0; i < digits.integerCount && count < maxChars; i++) buffer[count++] = digits.integer[i];
        if (count >= maxChars)
        {
            buffer[count] = 0;
            return count;
        }

        buffer[count++] = '.';
        point = count;
        for (int32_t i = 0; i < digits.fractionCount && count < maxChars; i++) buffer[count++] = digits.fraction[i];
    }
    bool cut = (count - point < digits.fractionCount);

    if (digits.tidyAlways || cut)
    {
        if (count - point >= 2 && buffer[count - 1] == '9' && buffer[count - 2] == '9')
        {
            // Step back over the trailing 9s and round the digit before them up; before the
            // point the text stays as it is.
            int32_t end = count;
            while (end > point && buffer[end - 1] == '9') end--;
            if (end > point)
            {
                buffer[end - 1]++;
                count = end;
            }
        }
        else
        {
            while (count > point && buffer[count - 1] == '0') count--;
            if (count == point && count < maxChars) buffer[count++] = '0';
        }
    }

    if (digits.exponent != 0 && count < maxChars)
    {
        buffer[count++] = 'e';
        int32_t exponent = digits.exponent;
        if (maxChars - count >= 3 && exponent > -100 && exponent < 100)
        {
            // At most two digits (the exponents of floats lie within -38 to 38).
            if (exponent < 0)
            {
                buffer[count++] = '-';
                exponent = -exponent;
            }
            if (exponent >= 10) buffer[count++] = static_cast<char>('0' + exponent / 10);
            buffer[count++] = static_cast<char>('0' + exponent % 10);
        }
        else
        {
            count += Int32ToText(exponent, buffer + count, maxChars - count);
        }
    }

    buffer[count] = 0;
    return count;
}

// Powers of 5 up to the largest the read-back check takes.
constexpr int32_t kMaxPowerOf5 = 43;

struct PowersOf5
{
    unsigned __int128 values[kMaxPowerOf5 + 1];
};

constexpr PowersOf5 MakePowersOf5()
{
    PowersOf5 powers{};
    powers.values[0] = 1;
    for (int32_t i = 1; i <= kMaxPowerOf5; i++) powers.values[i] = powers.values[i - 1] * 5;
    return powers;
}

constexpr PowersOf5 kPowersOf5 = MakePowersOf5();

// The value of the n digits at text (1 <= n <= 8; the 8 bytes from text are readable): the
// digits are read as one word, those past n shifted out, and pairs, fours and eights combined.
inline uint64_t ReadDigits(const char *text, int32_t n)
{
    uint64_t word;
    std::memcpy(&word, text, 8);
    if constexpr (std::endian::native != std::endian::little) word = __builtin_bswap64(word);
    word -= 0x3030303030303030u;
    word <<= 8 * (8 - n);
    word = word * 10 + (word >> 8);
    constexpr uint64_t kMask = 0x000000FF000000FFu;
    constexpr uint64_t kHundredAndMillion = 100 + (1000000ull << 32);
    constexpr uint64_t kOneAndTenThousand = 1 + (10000ull << 32);
    return (((word & kMask) * kHundredAndMillion) + (((word >> 16) & kMask) * kOneAndTenThousand)) >> 32;
}

constexpr uint32_t kPowersOf10[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// True when the text of the fast digits (no sign: the integer digits, point, fraction digits,
// and the exponent form's exponent) reads back to the float of the given bits under
// round-to-nearest-even: when its value lies within the float's rounding interval. The value,
// digits x 10^e, and the interval's ends, n x 2^p, are compared as integers of at most 127 bits
// (the two sides are close, so neither grows much past the other); texts that would need more
// are read back with from_chars instead.
bool ReadsBackTo(const char *text, int32_t length, const FloatDigits &digits, uint32_t bits)
{
    // The fraction ends at the end or before 'e', a sign and one or two digits.
    int32_t exponent = digits.exponent;
    int32_t end = length;
    if (exponent != 0) end -= 2 + (exponent < 0) + (exponent >= 10 || exponent <= -10);
    int32_t fractionCount = end - digits.integerCount - 1;
    int32_t decimalExponent = exponent - fractionCount;
    if (decimalExponent < -kMaxPowerOf5 || fractionCount < 1 || fractionCount > 8)
    {
        float readBack = 0.0f;
        std::from_chars_result result = std::from_chars(text, text + length, readBack);
        return result.ec == std::errc() && result.ptr == text + length && FloatBits(readBack) == bits;
    }
    uint64_t value = uint64_t(digits.integerValue) * kPowersOf10[fractionCount] +
                     ReadDigits(text + digits.integerCount + 1, fractionCount);

    // The float is m x 2^q with 2^23 <= m < 2^24 (normal only); the interval reaches half a step
    // to each neighbour, a quarter step below a power of 2 (but the smallest normal), and holds
    // its ends when m is even. In units of 2^(q - 2) its ends are 4m + 2 and 4m - 2 (or 4m - 1).
    int32_t biased = static_cast<int32_t>(bits >> 23);
    uint64_t m = (bits & 0x7FFFFF) | 0x800000;
    int32_t power = biased - 152;
    uint64_t high = 4 * m + 2;
    uint64_t low = (m == 0x800000 && biased > 1) ? 4 * m - 1 : 4 * m - 2;

    // value x 5^e x 2^e against ends x 2^power, with the powers of 5 on one side and of 2 on
    // the other.
    unsigned __int128 left = value;
    unsigned __int128 factor = 1;
    if (decimalExponent >= 0) left *= kPowersOf5.values[decimalExponent];
    else factor = kPowersOf5.values[-decimalExponent];
    unsigned __int128 highEnd = high * factor;
    unsigned __int128 lowEnd = low * factor;
    int32_t shift = power - decimalExponent;
    if (shift >= 0)
    {
        highEnd <<= shift;
        lowEnd <<= shift;
    }
    else
    {
        left <<= -shift;
    }
    bool even = (m & 1) == 0;
    return even ? (lowEnd <= left && left <= highEnd) : (lowEnd < left && left < highEnd);
}

}  // namespace

int32_t FloatToText(float value, char *buffer, int32_t maxChars)
{
    if (maxChars < 1)
    {
        buffer[0] = 0;
        return 0;
    }

    uint32_t bits = FloatBits(value);
    uint32_t biased = (bits >> 23) & 0xFF;
    bool negative = (bits >> 31) != 0;

    if (biased == 0)
    {
        return CopyTextMax(maxChars >= 3 ? "0.0" : "0", buffer, maxChars);
    }

    if (biased == 255)
    {
        if (maxChars < 4)
        {
            buffer[0] = 0;
            return 0;
        }

        const char *name = ((bits & 0x7FFFFF) == 0) ? "INF" : "NAN";
        int32_t count = 0;
        if (negative) buffer[count++] = '-';
        return count + CopyText(name, buffer + count);
    }

    float magnitude = BitsFloat(bits & 0x7FFFFFFF);

    // The fast digits stay when their text reads back to the same float; otherwise the
    // shortest digits that do. A buffer with room for any whole text (at least 48 bytes) takes
    // the text directly; the bytes after its NUL may then hold scratch.
    FloatDigits digits;
    char scratch[kFullTextLimit + 1];
    char *text = (maxChars >= kFullTextLimit) ? buffer : scratch;
    int32_t length = 0;
    if (GetFastDigits(magnitude, &digits))
    {
        length = WriteDigits(negative, digits, text, kFullTextLimit);
        if (!ReadsBackTo(text + negative, length - negative, digits, bits & 0x7FFFFFFF))
        {
            length = 0;
        }
    }
    if (length == 0)
    {
        GetShortestDigits(magnitude, &digits);
        length = WriteDigits(negative, digits, text, kFullTextLimit);
    }
    if (text == buffer) return length;

    // The whole text when it fits; otherwise the limit cuts it and the end is tidied again.
    if (length <= maxChars)
    {
        std::memcpy(buffer, text, static_cast<size_t>(length) + 1);
        return length;
    }
    return WriteDigits(negative, digits, buffer, maxChars);
}

}  // namespace oq
