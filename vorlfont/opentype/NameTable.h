#pragma once

#include "base/Array.h"
#include "base/TextString.h"
#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

// One informational string of a face: its Message kind and its UTF-8 text.
struct NameMessage
{
    const char *kind = nullptr;
    TextString text;
};

// The names of one face, as UTF-8 (not escaped: the Ambrel writer escapes).
struct NameTableText
{
    bool hasName = false;
    TextString family;
    TextString style;
    Array<NameMessage> messages;
};

// Reads the 'name' table: 'MNAM' when the face has none, 'CRPT' when its header or records do not
// fit; records whose string lies outside the table are skipped.
[[nodiscard]] uint32_t ReadNameTableText(const FontBytes &file, uint64_t offsetTable, NameTableText *names);

// Appends the text of a record's string, converted to UTF-8: Mac Roman for platform 1, bytes up
// to a zero byte for a (0, 0) string whose first byte is not zero, else UTF-16BE (lone
// surrogates become U+FFFD). A zero byte or code unit ends the text.
void DecodeNameRecord(const FontBytes &string, uint16_t platform, uint16_t encoding, TextString *text);

}  // namespace oq
