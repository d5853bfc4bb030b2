#pragma once

#include <cstdint>

namespace oq {

// What an edit box lets through: the code point to insert (possibly changed), or 0 to refuse it.
using EditCharacterFilter = uint32_t (*)(uint32_t codePoint);

// Everything but controls, format characters, surrogates and variation selectors.
uint32_t AcceptPrintableCharacter(uint32_t codePoint);
uint32_t AcceptDigit(uint32_t codePoint);
uint32_t AcceptNonzeroDigit(uint32_t codePoint);
uint32_t AcceptDecimalCharacter(uint32_t codePoint);
uint32_t AcceptSignedDecimalCharacter(uint32_t codePoint);
// 'a'-'f' come back upper-cased.
uint32_t AcceptHexDigit(uint32_t codePoint);
uint32_t AcceptDigitOrComma(uint32_t codePoint);
uint32_t AcceptAsciiLetter(uint32_t codePoint);

}  // namespace oq
