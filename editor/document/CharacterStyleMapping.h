#pragma once

#include <cstdint>

namespace oq {

class SymbolRunNode;

// The Greek letter typed for each Latin letter in a Greek style: A-Z at 0-25, a-z at 26-51; 0 for
// J, which has no Greek form.
inline constexpr int32_t kGreekKeyboardCount = 52;
extern const uint32_t kGreekKeyboardTable[kGreekKeyboardCount];

// Whether the style is one of the Greek styles ('grek', 'itgk', 'bdgk', 'bigk').
bool IsGreekStyle(uint32_t style);

// The column of the style in the math-style table ('ital' 0 ... 'bisn' 12), -1 for any other style.
int32_t GetMathAlphanumericColumn(uint32_t style);

// The form in the new style of a code point written in the given style: back to the plain letter
// or digit, then to the new style's mathematical letter or digit, or Greek letter; every other
// code point stays. A letter or digit without a form in the new style stays plain.
uint32_t MapCodePointBetweenStyles(uint32_t style, uint32_t codePoint, uint32_t newStyle);

// The same from the run's current style.
uint32_t MapCodePointToStyle(const SymbolRunNode *run, uint32_t codePoint, uint32_t newStyle);

}  // namespace oq
