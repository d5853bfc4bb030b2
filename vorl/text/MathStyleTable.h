#pragma once

#include <cstdint>

namespace oq {

// The 13 math styles (1 italic ... 13 sans-serif bold italic) and the plain characters they style.
inline constexpr int32_t kMathStyleCount = 13;
inline constexpr int32_t kMathPlainCount = 125;

// A-Z, a-z, U+0391..U+03A9, U+03B1..U+03C9, 0-9, then the further symbols.
extern const uint32_t kMathPlainCharacters[kMathPlainCount];
// The styled form of each plain character per style (row style - 1); 0 where there is none.
extern const uint32_t kMathStyleForms[kMathStyleCount][kMathPlainCount];

}  // namespace oq
