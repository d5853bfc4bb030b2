#include "editor/document/CodePointText.h"

#include "base/TextString.h"
#include "base/TextUtils.h"
#include "editor/document/BackslashCommandTable.h"
#include "editor/document/MathNode.h"
#include "editor/platform/TextBuffer.h"

#include <cassert>

namespace oq {

namespace {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

// The LaTeX of each ASCII character in math mode; null writes the character itself. A backslash
// is the control word \backslash (TeX's \\ would break the row) and a caret is written by its
// code (\^ is a text accent, which math mode refuses).
const char *const kAsciiLatex[128] = {
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    "", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "",
    nullptr, nullptr, "\\unicode{x22}", "\\#", "\\$", "\\%", "\\&", "\\unicode{x27}",
    nullptr, nullptr, nullptr, " + ", nullptr, " - ", nullptr, "\\unicode{x2F}",
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, " < ", " = ", " > ", nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, "\\backslash", nullptr, "\\unicode{x5E}", "\\_",
    "\\unicode{x60}", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, "\\{", nullptr, "\\}", "\\unicode{x7E}", "",
};

bool IsAsciiLetter(uint32_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Upper-case hexadecimal of the value with at least minDigits digits; returns the digit count.
int32_t FormatHexDigits(char *out, uint32_t value, int32_t minDigits)
{
    int32_t digits = minDigits;
    while (digits < 8 && (value >> (4 * digits)) != 0) ++digits;
    for (int32_t i = 0; i < digits; ++i)
        out[i] = "0123456789ABCDEF"[(value >> (4 * (digits - 1 - i))) & 0xF];
    return digits;
}

}  // namespace

bool IsScalarValue(uint32_t codePoint) { return codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF); }

uint32_t ToScalarValue(uint32_t codePoint) { return IsScalarValue(codePoint) ? codePoint : kReplacementCharacter; }

const char *FindLatexCommandName(uint32_t codePoint)
{
    int32_t low = 0;
    int32_t high = kSortedBackslashCommandCount;
    while (low < high)
    {
        int32_t middle = (low + high) / 2;
        uint32_t found = BackslashCommandTable[middle].codePoint;
        if (found == codePoint) return BackslashCommandTable[middle].name;
        if (found < codePoint)
            low = middle + 1;
        else
            high = middle;
    }
    return nullptr;
}

void AppendHexCodePoint(TextBuffer &buffer, uint32_t codePoint)
{
    char digits[8];
    int32_t count = FormatHexDigits(digits, codePoint, codePoint < 0x100 ? 2 : codePoint < 0x10000 ? 4 : 6);
    char *out = buffer.Reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) out[i] = digits[i];
}

void AppendLatexCodePoint(MathWriterState *state, uint32_t codePoint, TextString *output)
{
    uint8_t *flag = &state->controlWord;
    assert(IsScalarValue(codePoint));
    codePoint = ToScalarValue(codePoint);
    if (const char *name = FindLatexCommandName(codePoint))
    {
        output->AppendChar('\\');
        output->AppendText(name);
        *flag = 1;
        return;
    }
    if (codePoint < 128)
    {
        const char *text = kAsciiLatex[codePoint];
        // A control character writes nothing, so the output still ends as it did.
        if (text != nullptr && text[0] == '\0') return;
        if (*flag != 0 && IsAsciiLetter(codePoint)) output->AppendChar(' ');
        if (text != nullptr)
            output->AppendText(text);
        else
            output->AppendChar(char(codePoint));
        *flag = codePoint == '\\' ? 1 : 0;
        return;
    }
    *flag = 0;
    if (codePoint == 0x2212)
    {
        output->AppendText(" - ");
        return;
    }
    char text[20] = "\\unicode{x";
    int32_t length = 10;
    length += FormatHexDigits(text + length, codePoint, codePoint <= 0xFFFF ? 4 : 6);
    text[length++] = '}';
    text[length] = '\0';
    output->AppendText(text);
}

void AppendMathMLCodePoint(uint32_t codePoint, TextString *output)
{
    char text[8];
    int32_t length = EncodeUtf8(text, ToScalarValue(codePoint));
    // Each byte escapes to at most 6 (a character reference), and the writer adds a NUL.
    char escaped[4 * 6 + 1];
    int64_t size = TextString::WriteEscapedXml(text, length, escaped, nullptr);
    output->AppendTextMax(escaped, int32_t(size));
}

}  // namespace oq
