#pragma once

#include <cstdint>

namespace oq {

class TextString;
struct MathWriterState;
struct TextBuffer;

// The code point when it is a Unicode scalar value, else U+FFFD. Readers of code points from
// files pass them through it; the writers below and the one-glyph layout assert it in debug
// builds and apply it in release builds.
uint32_t ToScalarValue(uint32_t codePoint);
bool IsScalarValue(uint32_t codePoint);

// The canonical command name of a code point: a bisection over the sorted rows of the command
// table that starts at their middle row; null when the code point has none.
const char *FindLatexCommandName(uint32_t codePoint);

// Upper-case hexadecimal with leading zeros and no prefix: 2 digits below U+0100, 4 below
// U+10000, else 6 (more only for values past 24 bits).
void AppendHexCodePoint(TextBuffer &buffer, uint32_t codePoint);

// Appends the LaTeX form of one code point in math mode and updates the writer's control-word
// flag (set when the output now ends with a control word, so a following letter needs a blank).
// A named symbol is its command; ASCII goes through the character table (controls write nothing,
// the relations and + and - get blanks around them, TeX's special characters are escaped);
// U+2212 is " - "; anything else is "\unicode{x" with 4 or 6 hexadecimal digits and "}".
void AppendLatexCodePoint(MathWriterState *state, uint32_t codePoint, TextString *output);

// Appends one code point's UTF-8 as XML character data, for MathML: markup characters become
// references, the C0 controls XML forbids (all but tab, LF and CR) are left out, and U+FFFE,
// U+FFFF and anything that is not a scalar value become U+FFFD.
void AppendMathMLCodePoint(uint32_t codePoint, TextString *output);

}  // namespace oq
