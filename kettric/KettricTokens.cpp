// Lexical layer of Kettric: white space, identifiers, type keywords, bools and integer literals.
#include "kettric/KettricCharClass.h"
#include "kettric/KettricLiterals.h"

namespace oq {

namespace {

// Length of the word when the text starts with it, else 0.
int32_t MatchWord(const char *text, const char *word)
{
    int32_t n = 0;
    while (word[n] != 0)
    {
        if (text[n] != word[n]) return 0;
        ++n;
    }
    return n;
}

// Size digits "8", "16", "32", "64" after an integer keyword: their length and index 0 to 3.
int32_t MatchSizeDigits(const char *text, int32_t *index)
{
    if (text[0] == '8') { *index = 0; return 1; }
    if (text[0] == '1' && text[1] == '6') { *index = 1; return 2; }
    if (text[0] == '3' && text[1] == '2') { *index = 2; return 2; }
    if (text[0] == '6' && text[1] == '4') { *index = 3; return 2; }
    return 0;
}

// A digit run of one base with "_" separators. Stops at the first byte that is neither a digit nor "_".
[[nodiscard]] KettricResult ScanDigitRun(const char *text, uint32_t base, int32_t *length, uint64_t *value)
{
    const char *p = text;
    uint64_t v = 0;
    bool any = false;
    bool afterDigit = false;
    for (;;)
    {
        unsigned char c = static_cast<unsigned char>(*p);
        uint32_t d = kKettricHexDigitValue[c];
        if (d < base)
        {
            if (base == 10)
            {
                if (v > (UINT64_MAX - d) / 10u) return kResultIntegerOverflow;
                v = v * 10u + d;
            }
            else
            {
                uint32_t shift = (base == 16) ? 4 : (base == 8) ? 3 : 1;
                if ((v >> (64 - shift)) != 0) return kResultIntegerOverflow;
                v = (v << shift) | d;
            }
            any = true;
            afterDigit = true;
        }
        else if (c == '_')
        {
            if (!afterDigit) return kResultSyntax;
            afterDigit = false;
        }
        else
        {
            break;
        }
        ++p;
    }
    if (!any || !afterDigit) return kResultSyntax;
    *length = static_cast<int32_t>(p - text);
    *value = v;
    return 0;
}

[[nodiscard]] KettricResult ParsePrefixedLiteral(const char *text, uint32_t base, int32_t *length, uint64_t *value)
{
    int32_t n = 0;
    uint64_t v = 0;
    KettricResult result = ScanDigitRun(text + 2, base, &n, &v);
    if (result != 0) return result;
    *length = n + 2;
    *value = v;
    return 0;
}

template <typename T>
[[nodiscard]] KettricResult ReadSignedInteger(const char **text, T *value, uint64_t maxPositive)
{
    bool negative = ReadKettricSignFast(text);
    const char *p = *text;
    int32_t length = 0;
    uint64_t magnitude = 0;
    KettricResult result = ParseKettricIntegerLiteral(p, &length, &magnitude);
    if (result != 0) return result;
    if (magnitude > maxPositive + (negative ? 1u : 0u)) return kResultIntegerOverflow;
    if (value != nullptr)
    {
        uint64_t bits = negative ? (0u - magnitude) : magnitude;
        *value = static_cast<T>(bits);
    }
    p += length;
    p = SkipKettricSpace(p);
    *text = p;
    return 0;
}

template <typename T>
[[nodiscard]] KettricResult ReadUnsignedInteger(const char **text, T *value)
{
    bool negative = ReadKettricSignFast(text);
    const char *p = *text;
    int32_t length = 0;
    uint64_t magnitude = 0;
    KettricResult result = ParseKettricIntegerLiteral(p, &length, &magnitude);
    if (result != 0) return result;
    if (value != nullptr) *value = static_cast<T>(negative ? (0u - magnitude) : magnitude);
    p += length;
    p = SkipKettricSpace(p);
    *text = p;
    return 0;
}

}  // namespace

int32_t SkipKettricWhitespace(const char *text)
{
    const char *p = text;
    for (;;)
    {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c - 1u < 0x20u)
        {
            ++p;
        }
        else if (c == '/' && p[1] == '/')
        {
            p += 2;
            while (*p != 0 && *p != '\n') ++p;
            if (*p != 0) ++p;
        }
        else if (c == '/' && p[1] == '*')
        {
            p += 2;
            while (*p != 0 && !(p[0] == '*' && p[1] == '/')) ++p;
            if (*p != 0) p += 2;
        }
        else
        {
            break;
        }
    }
    return static_cast<int32_t>(p - text);
}

KettricResult ParseKettricIdentifier(const char *text, int32_t *length)
{
    uint8_t first = GetKettricCharClass(text[0]);
    if (first == kKettricSeparator) return kResultIdentifierMissing;
    if (first == kKettricInvalidChar || IsKettricDigit(text[0])) return kResultIdentifierInvalid;
    const char *p = text + 1;
    while (GetKettricCharClass(*p) == kKettricIdentifierChar) ++p;
    if (GetKettricCharClass(*p) == kKettricInvalidChar) return kResultIdentifierInvalid;
    *length = static_cast<int32_t>(p - text);
    return 0;
}

KettricResult CopyKettricIdentifier(const char *text, int32_t *length, char *buffer)
{
    int32_t n = 0;
    KettricResult result = ParseKettricIdentifier(text, &n);
    if (result != 0) return result;
    for (int32_t i = 0; i < n; ++i) buffer[i] = text[i];
    buffer[n] = 0;
    *length = n;
    return 0;
}

KettricResult ParseKettricDataType(const char *text, int32_t *length, KettricDataType *type)
{
    static const KettricDataType kSigned[4] = {'INT8', 'IN16', 'IN32', 'IN64'};
    static const KettricDataType kUnsigned[4] = {'UIN8', 'UI16', 'UI32', 'UI64'};
    static const KettricDataType kFloats[4] = {0, 'HALF', 'FLOT', 'DOUB'};

    int32_t n = 0;
    int32_t size = 0;
    int32_t index = 0;
    KettricDataType code = 0;
    switch (text[0])
    {
    case 'i':
        n = MatchWord(text, "int");
        if (n == 0) n = 1;
        size = MatchSizeDigits(text + n, &index);
        if (size == 0) return kResultTypeInvalid;
        n += size;
        code = kSigned[index];
        break;
    case 'u':
        n = MatchWord(text, "unsigned_int");
        if (n == 0) n = MatchWord(text, "uint");
        if (n == 0) n = 1;
        size = MatchSizeDigits(text + n, &index);
        if (size == 0) return kResultTypeInvalid;
        n += size;
        code = kUnsigned[index];
        break;
    case 'f':
        n = MatchWord(text, "float");
        if (n == 0) n = 1;
        size = MatchSizeDigits(text + n, &index);
        if (size != 0 && index == 0) return kResultTypeInvalid;
        n += size;
        code = (size != 0) ? kFloats[index] : 'FLOT';
        break;
    case 'b':
        if ((n = MatchWord(text, "bool")) != 0 && IsKettricSeparator(text[n]))
            code = 'BOOL';
        else if ((n = MatchWord(text, "base64")) != 0 && IsKettricSeparator(text[n]))
            code = 'BS64';
        else
        {
            n = 1;
            code = 'BOOL';
        }
        break;
    case 'h':
    case 'd':
    case 's':
    case 'r':
    case 't':
    case 'z':
    {
        // One long keyword or the letter alone.
        static const struct
        {
            char letter;
            const char *word;
            KettricDataType code;
        } kSimple[] = {{'h', "half", 'HALF'}, {'d', "double", 'DOUB'}, {'s', "string", 'STRG'},
                       {'r', "ref", 'RFNC'},  {'t', "type", 'TYPE'},   {'z', "z", 'BS64'}};
        for (const auto &keyword : kSimple)
        {
            if (keyword.letter != text[0]) continue;
            n = MatchWord(text, keyword.word);
            if (n == 0) n = 1;
            code = keyword.code;
        }
        break;
    }
    default:
        return kResultTypeInvalid;
    }
    if (!IsKettricSeparator(text[n])) return kResultTypeInvalid;
    *length = n;
    *type = code;
    return 0;
}

KettricResult ParseKettricBoolLiteral(const char *text, int32_t *length, bool *value)
{
    int32_t n = 0;
    bool v = false;
    if ((n = MatchWord(text, "true")) != 0)
        v = true;
    else if ((n = MatchWord(text, "false")) != 0)
        v = false;
    else if (text[0] == '1' || text[0] == '0')
    {
        n = 1;
        v = (text[0] == '1');
    }
    else
        return kResultBoolInvalid;
    if (!IsKettricSeparator(text[n])) return kResultBoolInvalid;
    *length = n;
    *value = v;
    return 0;
}

KettricResult ParseKettricDecimalLiteral(const char *text, int32_t *length, uint64_t *value)
{
    return ScanDigitRun(text, 10, length, value);
}

KettricResult ParseKettricHexLiteral(const char *text, int32_t *length, uint64_t *value)
{
    return ParsePrefixedLiteral(text, 16, length, value);
}

KettricResult ParseKettricOctalLiteral(const char *text, int32_t *length, uint64_t *value)
{
    return ParsePrefixedLiteral(text, 8, length, value);
}

KettricResult ParseKettricBinaryLiteral(const char *text, int32_t *length, uint64_t *value)
{
    return ParsePrefixedLiteral(text, 2, length, value);
}

int32_t ParseKettricCharEscape(const char *text, unsigned char *value)
{
    switch (text[0])
    {
    case '"':
    case '\'':
    case '?':
    case '\\':
        *value = static_cast<unsigned char>(text[0]);
        return 1;
    case 'a': *value = 7; return 1;
    case 'b': *value = 8; return 1;
    case 'f': *value = 12; return 1;
    case 'n': *value = 10; return 1;
    case 'r': *value = 13; return 1;
    case 't': *value = 9; return 1;
    case 'v': *value = 11; return 1;
    case 'x':
    {
        uint8_t high = kKettricHexDigitValue[static_cast<unsigned char>(text[1])];
        if (high == 0xFF) return 0;
        uint8_t low = kKettricHexDigitValue[static_cast<unsigned char>(text[2])];
        if (low == 0xFF) return 0;
        *value = static_cast<unsigned char>(high << 4 | low);
        return 3;
    }
    default:
        return 0;
    }
}

KettricResult ParseKettricCharLiteral(const char *text, int32_t *length, uint64_t *value)
{
    const char *p = text;
    uint64_t v = 0;
    while (*p != '\'' && *p != 0)
    {
        unsigned char c = static_cast<unsigned char>(*p);
        unsigned char byte = c;
        if (c < 0x20 || c > 0x7E) return kResultCharInvalidByte;
        if (c == '\\')
        {
            int32_t n = ParseKettricCharEscape(p + 1, &byte);
            if (n == 0) return kResultCharInvalidEscape;
            p += 1 + n;
        }
        else
        {
            ++p;
        }
        if (v >= (uint64_t(1) << 56)) return kResultIntegerOverflow;
        v = v << 8 | byte;
    }
    *length = static_cast<int32_t>(p - text);
    *value = v;
    return 0;
}

KettricResult ParseKettricIntegerLiteral(const char *text, int32_t *length, uint64_t *value)
{
    if (text[0] == '\'')
    {
        int32_t n = 0;
        uint64_t v = 0;
        KettricResult result = ParseKettricCharLiteral(text + 1, &n, &v);
        if (result != 0) return result;
        if (text[1 + n] != '\'') return kResultCharUnterminated;
        *length = n + 2;
        *value = v;
        return 0;
    }
    if (text[0] == '0')
    {
        char letter = static_cast<char>(text[1] | 0x20);
        if (letter == 'x') return ParseKettricHexLiteral(text, length, value);
        if (letter == 'o') return ParseKettricOctalLiteral(text, length, value);
        if (letter == 'b') return ParseKettricBinaryLiteral(text, length, value);
    }
    return ParseKettricDecimalLiteral(text, length, value);
}

bool ReadKettricSign(const char **text)
{
    const char *p = *text;
    if (*p != '-' && *p != '+') return false;
    bool negative = (*p == '-');
    ++p;
    p = SkipKettricSpace(p);
    *text = p;
    return negative;
}

KettricResult ReadKettricBool(const char **text, bool *value)
{
    int32_t n = 0;
    bool v = false;
    KettricResult result = ParseKettricBoolLiteral(*text, &n, &v);
    if (result != 0) return result;
    if (value != nullptr) *value = v;
    const char *p = *text + n;
    *text = SkipKettricSpace(p);
    return 0;
}

KettricResult ReadKettricInt8(const char **text, int8_t *value)
{
    return ReadSignedInteger(text, value, 127);
}

KettricResult ReadKettricInt16(const char **text, int16_t *value)
{
    return ReadSignedInteger(text, value, 32767);
}

KettricResult ReadKettricInt32(const char **text, int32_t *value)
{
    return ReadSignedInteger(text, value, 2147483647);
}

KettricResult ReadKettricInt64(const char **text, int64_t *value)
{
    return ReadSignedInteger(text, value, 9223372036854775807u);
}

KettricResult ReadKettricUInt8(const char **text, uint8_t *value)
{
    return ReadUnsignedInteger(text, value);
}

KettricResult ReadKettricUInt16(const char **text, uint16_t *value)
{
    return ReadUnsignedInteger(text, value);
}

KettricResult ReadKettricUInt32(const char **text, uint32_t *value)
{
    return ReadUnsignedInteger(text, value);
}

KettricResult ReadKettricUInt64(const char **text, uint64_t *value)
{
    return ReadUnsignedInteger(text, value);
}

KettricResult ReadKettricType(const char **text, uint32_t *value)
{
    int32_t n = 0;
    KettricDataType type = 0;
    KettricResult result = ParseKettricDataType(*text, &n, &type);
    if (result != 0) return result;
    if (value != nullptr) *value = type;
    const char *p = *text + n;
    *text = SkipKettricSpace(p);
    return 0;
}

int32_t KettricTextToInt32(const char *text)
{
    int32_t value = 0;
    if (ReadKettricInt32(&text, &value) != 0) return 0;
    return value;
}

}  // namespace oq
