#include "editor/fonts/SettingsText.h"

#include "base/TextString.h"

namespace oq {

void AppendQuotedText(TextBuffer *buffer, const char *text, int32_t length)
{
    int64_t size = TextString::WriteEscapedText(text, length, 1, nullptr, nullptr);
    buffer->AppendText("\"");
    // The escape writes a NUL after the text; it is taken back at once.
    char *output = buffer->Reserve(size_t(size) + 1);
    static_cast<void>(TextString::WriteEscapedText(text, length, 1, output, nullptr));
    buffer->size -= 1;
    buffer->AppendText("\"");
}

void AppendHex32(TextBuffer *buffer, uint32_t value)
{
    char *digits = buffer->Reserve(10);
    digits[0] = '0';
    digits[1] = 'x';
    for (int32_t i = 0; i < 8; ++i) digits[2 + i] = "0123456789ABCDEF"[(value >> (28 - 4 * i)) & 0xF];
}

}  // namespace oq
