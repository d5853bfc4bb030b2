#include "base/TextUtils.h"

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
        digits->integerCount = Int32ToText(static_cast<int32_t>(significand >> (150 - biased)), digits->integer, 23);
        f = (significand << (biased - 127)) & 0x7FFFFF;
    }
    else
    {
        if (biased < 96) return false;
        digits->integer[0] = '0';
        digits->integerCount = 1;
        f = significand >> (127 - biased);
    }

    int32_t zeros = 0;
    int32_t nines = 0;
    int32_t count = 0;
    while (count < 7)
    {
        f *= 10;
        int32_t digit = static_cast<int32_t>(f >> 23);
        f &= 0x7FFFFF;
        digits->fraction[count++] = static_cast<char>('0' + digit);
        zeros += (digit == 0);
        nines += (digit == 9);

        if ((f >> 1) == 0) break;
        if ((count == 5 || count == 6) && ((digit == 0 && zeros >= 4) || (digit == 9 && nines >= 4))) break;
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

    char significant[16] = {};
    int32_t count = 0;
    const char *p = text;
    for (; p < result.ptr && *p != 'e'; p++)
    {
        if (*p != '.') significant[count++] = *p;
    }

    int32_t exponent = 0;
    if (p < result.ptr) std::from_chars(p + (p[1] == '+' ? 2 : 1), result.ptr, exponent);

    digits->integerCount = 0;
    digits->fractionCount = 0;
    digits->exponent = 0;
    digits->tidyAlways = false;

    if (FloatBits(magnitude) < kPlainMinBits || !(magnitude < kPlainEnd))
    {
        digits->integer[digits->integerCount++] = significant[0];
        for (int32_t i = 1; i < count; i++) digits->fraction[digits->fractionCount++] = significant[i];
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

    for (int32_t i = 0; i < digits.integerCount && count < maxChars; i++) buffer[count++] = digits.integer[i];
    if (count >= maxChars)
    {
        buffer[count] = 0;
        return count;
    }

    buffer[count++] = '.';
    int32_t point = count;
    for (int32_t i = 0; i < digits.fractionCount && count < maxChars; i++) buffer[count++] = digits.fraction[i];
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
        count += Int32ToText(digits.exponent, buffer + count, maxChars - count);
    }

    buffer[count] = 0;
    return count;
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
    // shortest digits that do.
    FloatDigits digits;
    bool exact = false;
    if (GetFastDigits(magnitude, &digits))
    {
        char text[kFullTextLimit + 1];
        int32_t length = WriteDigits(false, digits, text, kFullTextLimit);
        float readBack = 0.0f;
        std::from_chars_result result = std::from_chars(text, text + length, readBack);
        exact = (result.ec == std::errc() && result.ptr == text + length && FloatBits(readBack) == FloatBits(magnitude));
    }

    if (!exact) GetShortestDigits(magnitude, &digits);

    // The whole text when it fits; otherwise the limit cuts it and the end is tidied again.
    char text[kFullTextLimit + 1];
    int32_t length = WriteDigits(negative, digits, text, kFullTextLimit);
    if (length <= maxChars) return CopyText(text, buffer);
    return WriteDigits(negative, digits, buffer, maxChars);
}

}  // namespace oq
