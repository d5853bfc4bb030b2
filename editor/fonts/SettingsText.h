#pragma once

#include "editor/platform/TextBuffer.h"

#include <cstdint>

namespace oq {

// Appends text in double quotes with the editor's escapes (mode 1), so that any name reads back
// unchanged.
void AppendQuotedText(TextBuffer *buffer, const char *text, int32_t length);
// Appends "0x" and eight upper-case hexadecimal digits.
void AppendHex32(TextBuffer *buffer, uint32_t value);

}  // namespace oq
