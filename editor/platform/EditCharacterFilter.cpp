#include "editor/platform/EditCharacterFilter.h"

#include "vorl/text/UnicodeTables.h"

namespace oq {

namespace {

bool IsDigit(uint32_t c) { return c >= '0' && c <= '9'; }

}  // namespace

uint32_t AcceptPrintableCharacter(uint32_t c)
{
    if (c >= kUnicodePropertyLimit) return c;
    return (GetUnicodeProperties(c) & 1) ? 0 : c;
}

uint32_t AcceptDigit(uint32_t c) { return IsDigit(c) ? c : 0; }

uint32_t AcceptNonzeroDigit(uint32_t c) { return c >= '1' && c <= '9' ? c : 0; }

uint32_t AcceptDecimalCharacter(uint32_t c) { return IsDigit(c) || c == '.' ? c : 0; }

uint32_t AcceptSignedDecimalCharacter(uint32_t c) { return IsDigit(c) || c == '-' || c == '.' ? c : 0; }

uint32_t AcceptHexDigit(uint32_t c)
{
    if (IsDigit(c) || (c >= 'A' && c <= 'F')) return c;
    if (c >= 'a' && c <= 'f') return c - 32;
    return 0;
}

uint32_t AcceptDigitOrComma(uint32_t c) { return IsDigit(c) || c == ',' ? c : 0; }

uint32_t AcceptAsciiLetter(uint32_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? c : 0; }

}  // namespace oq
