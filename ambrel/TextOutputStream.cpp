// The buffered text writer of the Ambrel output.
#include "ambrel/TextOutputStream.h"

#include "base/Memory.h"
#include "base/TextUtils.h"
#include "kettric/KettricLiterals.h"

#include <cstring>

namespace oq {

namespace {

const char kTabs[17] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";

}  // namespace

TextOutputStream::TextOutputStream(StreamWriteCallback function, void *user)
    : indentationLevel(0), callback(function), userValue(user), length(0), failed(false)
{
    buffer = static_cast<char *>(MemoryAllocate(kBufferSize));
}

TextOutputStream::~TextOutputStream()
{
    static_cast<void>(Flush());
    MemoryRelease(buffer);
}

bool TextOutputStream::Flush()
{
    if (failed) return false;
    if (length != 0)
    {
        if (!callback(buffer, length, userValue))
        {
            failed = true;
            return false;
        }
        length = 0;
    }
    return true;
}

bool TextOutputStream::Finish()
{
    return Flush();
}

bool TextOutputStream::Append(const void *data, uint32_t n)
{
    if (failed) return false;
    if (length + n < kBufferSize)
    {
        std::memcpy(buffer + length, data, n);
        length += n;
        return true;
    }
    if (!Flush()) return false;
    std::memcpy(buffer, data, n);
    length = n;
    return true;
}

bool TextOutputStream::Write(const void *data, uint32_t count)
{
    if (count < kBufferSize) return Append(data, count);
    // A large block bypasses the buffer after the buffered bytes.
    if (!Flush()) return false;
    if (!callback(data, count, userValue)) failed = true;
    return !failed;
}

bool TextOutputStream::WriteIndented(const char *text, int32_t delta, bool newline)
{
    if (newline) Append("\n", 1);
    int64_t level = int64_t(indentationLevel) + delta;
    if (level < 0) level = 0;
    for (int64_t group = level >> 4; group > 0; --group) Append(kTabs, 16);
    if ((level & 15) != 0) Append(kTabs, uint32_t(level & 15));
    int32_t textLength = GetTextLength(text);
    if (textLength != 0) static_cast<void>(Write(text, uint32_t(textLength)));
    return !failed;
}

void TextOutputStream::WriteTag(uint32_t code)
{
    char bytes[12];
    int32_t n = 0;
    bytes[n++] = '\'';
    for (int32_t shift = 24; shift >= 0; shift -= 8)
    {
        unsigned char c = static_cast<unsigned char>(code >> shift);
        if (c < 32 || c > 126)
        {
            WriteInteger(int32_t(code));
            return;
        }
        // Apostrophe and backslash need an escape inside a character literal.
        if (c == '\'' || c == '\\') bytes[n++] = '\\';
        bytes[n++] = char(c);
    }
    bytes[n++] = '\'';
    Append(bytes, uint32_t(n));
}

TextOutputStream &TextOutputStream::WriteChar(char c)
{
    Append(&c, 1);
    return *this;
}

TextOutputStream &TextOutputStream::WriteText(const char *text)
{
    static_cast<void>(Write(text, uint32_t(GetTextLength(text))));
    return *this;
}

TextOutputStream &TextOutputStream::WriteBytes(const char *text, uint32_t count)
{
    static_cast<void>(Write(text, count));
    return *this;
}

TextOutputStream &TextOutputStream::WriteInteger(int32_t value)
{
    char text[16];
    int32_t n = Int32ToText(value, text, 15);
    Append(text, uint32_t(n));
    return *this;
}

TextOutputStream &TextOutputStream::WriteFloat(float value)
{
    char text[kKettricFloatTextSize];
    Append(text, uint32_t(FormatKettricFloat(value, text)));
    return *this;
}

}  // namespace oq
