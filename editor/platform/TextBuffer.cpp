#include "editor/platform/TextBuffer.h"

#include "base/Memory.h"
#include "base/TextUtils.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace oq {

namespace {

constexpr uint64_t kMinimumCapacity = 8192;
constexpr uint64_t kMaximumSize = 0xFFFFFFFFu;

[[noreturn]] void StopOutOfMemory()
{
    std::fputs("Error: out of memory\n", stderr);
    std::abort();
}

}  // namespace

TextBuffer::TextBuffer(uint32_t initialCapacity)
{
    if (initialCapacity == 0) return;
    data = static_cast<char *>(MemoryAllocate(initialCapacity));
    capacity = initialCapacity;
}

char *TextBuffer::Reserve(size_t n)
{
    uint64_t need = uint64_t(size) + uint64_t(n);
    if (n > kMaximumSize || need > kMaximumSize) StopOutOfMemory();
    if (need > capacity)
    {
        uint64_t grown = need + ((need / 2 + 15) & ~uint64_t(15));
        if (grown < uint64_t(capacity) * 2) grown = uint64_t(capacity) * 2;
        if (grown < kMinimumCapacity) grown = kMinimumCapacity;
        if (grown > kMaximumSize) grown = kMaximumSize;
        char *storage = static_cast<char *>(MemoryAllocate(size_t(grown)));
        if (size != 0) std::memcpy(storage, data, size);
        MemoryRelease(data);
        data = storage;
        capacity = uint32_t(grown);
    }
    uint32_t old = size;
    size = uint32_t(need);
    return data + old;
}

TextBuffer &TextBuffer::AppendInteger(int32_t value)
{
    char text[16];
    int32_t length = Int32ToText(value, text, 15);
    std::memcpy(Reserve(size_t(length)), text, size_t(length));
    return *this;
}

char *TextBuffer::AppendFourCC(uint32_t value)
{
    char bytes[4];
    int32_t escapes = 0;
    for (int i = 0; i < 4; ++i)
    {
        bytes[i] = char(value >> (24 - 8 * i));
        unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 32 || byte > 126)
        {
            uint32_t start = size;
            AppendInteger(int32_t(value));
            return data + start;
        }
        if (byte == '\'' || byte == '\\') ++escapes;
    }
    char *out = Reserve(size_t(6 + escapes));
    char *p = out;
    *p++ = '\'';
    for (char byte : bytes)
    {
        if (byte == '\'' || byte == '\\') *p++ = '\\';
        *p++ = byte;
    }
    *p = '\'';
    return out;
}

TextBuffer &TextBuffer::AppendText(const char *text)
{
    size_t length = std::strlen(text);
    if (length != 0) std::memcpy(Reserve(length), text, length);
    return *this;
}

void TextBuffer::Free()
{
    MemoryRelease(data);
    data = nullptr;
    size = 0;
    capacity = 0;
}

}  // namespace oq
