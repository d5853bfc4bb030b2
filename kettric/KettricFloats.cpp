// Kettric floating-point literals: bit patterns and correctly rounded decimal forms.
#include "base/Half.h"
#include "base/Memory.h"
#include "base/TextUtils.h"
#include "kettric/KettricCharClass.h"
#include "kettric/KettricLiterals.h"
#include "kettric/KettricShortDecimal.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace oq {

namespace {

// What the scan of a decimal literal found out about it.
struct DecimalLiteral
{
    int32_t length;          // bytes of the whole literal
    int32_t integerDigits;   // significant integer digits (leading zeros skipped)
    int32_t leadingZeros;    // zeros after the point before the first significant digit
    int32_t significant;     // significant digits in all
    int32_t fractionDigits;  // fraction digits up to the last one held in the mantissa
    uint64_t mantissa;       // the first 19 significant digits as an integer
    int64_t exponent;        // exponent value, saturated
    bool hasUnderscore;
};

// Scans one digit run with "_" separators (kResultFloatInvalid for an "_" at its start, doubled or at its end)
// and adds its digits to the literal. Returns the number of digits through *digits.
[[nodiscard]] KettricResult ScanFloatDigitRun(const char **text, DecimalLiteral *literal, bool fraction, int32_t *digits)
{
    // Locals, not the record: stores through it would alias the text.
    const char *p = *text;
    uint64_t mantissa = literal->mantissa;
    int32_t significant = literal->significant;
    int32_t zeros = 0;
    int32_t heldFraction = 0;
    int32_t count = 0;
    bool afterDigit = false;
    bool underscore = false;
    for (;; ++p)
    {
        uint32_t d = static_cast<uint32_t>(static_cast<unsigned char>(*p)) - '0';
        if (d < 10u)
        {
            ++count;
            afterDigit = true;
            if (significant == 0 && d == 0)
            {
                ++zeros;
            }
            else if (++significant <= 19)
            {
                mantissa = mantissa * 10u + d;
                ++heldFraction;
            }
        }
        else if (*p == '_')
        {
            if (!afterDigit) return kResultFloatInvalid;
            afterDigit = false;
            underscore = true;
        }
        else
        {
            break;
        }
    }
    if (count != 0 && !afterDigit) return kResultFloatInvalid;
    if (fraction)
    {
        literal->leadingZeros = zeros;
        literal->fractionDigits = zeros + heldFraction;
    }
    else
    {
        literal->integerDigits = significant;
    }
    literal->mantissa = mantissa;
    literal->significant = significant;
    literal->hasUnderscore |= underscore;
    *text = p;
    *digits = count;
    return 0;
}

// Validates the decimal form: digits, an optional "." and digits, an optional exponent.
[[nodiscard]] KettricResult ScanDecimalFloat(const char *text, DecimalLiteral *literal)
{
    *literal = DecimalLiteral{};
    const char *p = text;
    int32_t digits = 0;
    KettricResult result = ScanFloatDigitRun(&p, literal, false, &digits);
    if (result != 0) return result;
    int32_t totalDigits = digits;
    if (*p == '.')
    {
        ++p;
        result = ScanFloatDigitRun(&p, literal, true, &digits);
        if (result != 0) return result;
        totalDigits += digits;
    }
    if (totalDigits == 0) return kResultFloatInvalid;

    if (*p == 'e' || *p == 'E')
    {
        ++p;
        bool negative = false;
        if (*p == '+' || *p == '-')
        {
            negative = (*p == '-');
            ++p;
        }
        const char *start = p;
        DecimalLiteral exponentDigits{};
        result = ScanFloatDigitRun(&p, &exponentDigits, false, &digits);
        if (result != 0) return result;
        if (digits == 0) return kResultFloatInvalid;
        int64_t e = 0;
        for (const char *q = start; q < p; ++q)
        {
            if (*q == '_') continue;
            e = e * 10 + (*q - '0');
            if (e > 1000000000) e = 1000000000;
        }
        literal->exponent = negative ? -e : e;
        literal->hasUnderscore |= exponentDigits.hasUnderscore;
    }
    literal->length = static_cast<int32_t>(p - text);
    return 0;
}

// Correctly rounded conversion of a validated decimal literal; overflow gives +infinity, underflow +0.
template <typename T>
T ConvertDecimalFloat(const char *text, const DecimalLiteral &literal)
{
    // A mantissa and a power of ten that are both exact give a correctly rounded result in one operation.
    if (literal.significant <= 19)
    {
        if (literal.mantissa == 0) return T(0);
        int64_t e = literal.exponent - literal.fractionDigits;
        if (literal.mantissa <= KettricFastDecimal<T>::kMaxMantissa && e >= -KettricFastDecimal<T>::kMaxExponent &&
            e <= KettricFastDecimal<T>::kMaxExponent)
        {
            T m = T(literal.mantissa);
            return (e < 0) ? m / KettricFastDecimal<T>::kPowers[-e] : m * KettricFastDecimal<T>::kPowers[e];
        }
    }

    char localBuffer[128] = {};
    char *buffer = nullptr;
    const char *first = text;
    const char *last = text + literal.length;
    if (literal.hasUnderscore)
    {
        buffer = (literal.length <= int32_t(sizeof(localBuffer)))
                     ? localBuffer
                     : static_cast<char *>(MemoryAllocate(size_t(literal.length)));
        int32_t count = 0;
        for (int32_t i = 0; i < literal.length; ++i)
        {
            if (text[i] != '_') buffer[count++] = text[i];
        }
        first = buffer;
        last = buffer + count;
    }

    T value = 0;
    std::from_chars_result r = std::from_chars(first, last, value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
    {
        // Decimal position of the first significant digit decides between overflow and underflow.
        int64_t magnitude = (literal.integerDigits != 0) ? literal.integerDigits : -int64_t(literal.leadingZeros);
        magnitude += literal.exponent;
        value = (magnitude > 0) ? std::numeric_limits<T>::infinity() : T(0);
    }
    if (buffer != nullptr && buffer != localBuffer) MemoryRelease(buffer);
    return value;
}

// An integer literal used as the raw bits of the value; kResultFloatOverflow when wider than the value.
template <typename Bits, typename T>
[[nodiscard]] KettricResult ParseBitPattern(const char *text, uint64_t limit, int32_t *length, Bits *bits, T *value)
{
    uint64_t pattern = 0;
    int32_t n = 0;
    KettricResult result = ParseKettricIntegerLiteral(text, &n, &pattern);
    if (result != 0) return result;
    if (pattern > limit) return kResultFloatOverflow;
    *bits = static_cast<Bits>(pattern);
    static_assert(sizeof(Bits) == sizeof(T));
    std::memcpy(value, bits, sizeof(T));
    *length = n;
    return 0;
}

// Sign, literal and the white space after it; a minus flips the sign bit of whatever the literal gave.
template <typename Bits, typename T>
[[nodiscard]] KettricResult ReadFloatingLiteral(const char **text, T *value, KettricResult (*parse)(const char *, int32_t *, T *),
                                  Bits signBit)
{
    bool negative = ReadKettricSignFast(text);
    T v = 0;
    int32_t n = 0;
    KettricResult result = parse(*text, &n, &v);
    if (result != 0) return result;
    if (value != nullptr)
    {
        Bits bits;
        std::memcpy(&bits, &v, sizeof(bits));
        if (negative) bits = static_cast<Bits>(bits ^ signBit);
        std::memcpy(value, &bits, sizeof(bits));
    }
    const char *p = *text + n;
    *text = SkipKettricSpace(p);
    return 0;
}

}  // namespace

KettricResult ParseKettricDoubleLiteral(const char *text, int32_t *length, double *value)
{
    uint64_t bits = 0;
    if (IsKettricBitPattern(text)) return ParseBitPattern(text, UINT64_MAX, length, &bits, value);
    if (ParseKettricShortDecimal(text, length, value)) return 0;
    DecimalLiteral literal;
    KettricResult result = ScanDecimalFloat(text, &literal);
    if (result != 0) return result;
    *value = ConvertDecimalFloat<double>(text, literal);
    *length = literal.length;
    return 0;
}

KettricResult ParseKettricFloatLiteral(const char *text, int32_t *length, float *value)
{
    uint32_t bits = 0;
    if (IsKettricBitPattern(text)) return ParseBitPattern(text, 0xFFFFFFFFu, length, &bits, value);
    if (ParseKettricShortDecimal(text, length, value)) return 0;
    DecimalLiteral literal;
    KettricResult result = ScanDecimalFloat(text, &literal);
    if (result != 0) return result;
    *value = ConvertDecimalFloat<float>(text, literal);
    *length = literal.length;
    return 0;
}

KettricResult ParseKettricHalfLiteral(const char *text, int32_t *length, uint16_t *value)
{
    uint16_t bits = 0;
    if (IsKettricBitPattern(text)) return ParseBitPattern(text, 0xFFFFu, length, &bits, value);
    DecimalLiteral literal;
    KettricResult result = ScanDecimalFloat(text, &literal);
    if (result != 0) return result;
    FloatToHalf(value, ConvertDecimalFloat<float>(text, literal));
    *length = literal.length;
    return 0;
}

KettricResult ReadKettricDouble(const char **text, double *value)
{
    if (ReadKettricShortFloat(text, value)) return 0;
    return ReadFloatingLiteral<uint64_t>(text, value, ParseKettricDoubleLiteral, uint64_t(1) << 63);
}

KettricResult ReadKettricFloat(const char **text, float *value)
{
    if (ReadKettricShortFloat(text, value)) return 0;
    return ReadFloatingLiteral<uint32_t>(text, value, ParseKettricFloatLiteral, 0x80000000u);
}

KettricResult ReadKettricHalf(const char **text, uint16_t *value)
{
    return ReadFloatingLiteral<uint16_t>(text, value, ParseKettricHalfLiteral, uint16_t(0x8000));
}

float KettricTextToFloat(const char *text)
{
    float value = 0.0f;
    if (ReadKettricFloat(&text, &value) != 0) return 0.0f;
    return value;
}

int32_t FormatKettricFloat(float value, char *buffer)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    if ((bits & 0x7F800000u) != 0x7F800000u) return FloatToText(value, buffer, kKettricFloatTextSize - 1);
    buffer[0] = '0';
    buffer[1] = 'x';
    FormatHex8(buffer + 2, bits);
    return 10;
}

}  // namespace oq
