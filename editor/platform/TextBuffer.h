#pragma once

#include <cstddef>
#include <cstdint>

namespace oq {

// The growable byte buffer every text file of the editor is written into before it goes out:
// appends only, no NUL kept. The owner frees the storage with MemoryRelease(data).
struct TextBuffer
{
    uint32_t size = 0;
    uint32_t capacity = 0;
    char *data = nullptr;
    int32_t depth = 0;  // indentation depth of the node writers, in tabs

    TextBuffer() = default;
    // Starts with storage of the given capacity (the growth rule applies from then on).
    explicit TextBuffer(uint32_t initialCapacity);

    // n writable bytes at the end; the size grows by n at once, so the caller fills all of them.
    // Growth takes the largest of need + half of it (in steps of 16), twice the capacity and 8192.
    // A size past 4 GiB stops the program with an out-of-memory message.
    char *Reserve(size_t n);
    TextBuffer &AppendInteger(int32_t value);
    // 'abcd' in quotes (with \' and \\ escaped) when every byte is 32..126, else the signed decimal.
    char *AppendFourCC(uint32_t value);
    // The bytes of a NUL-terminated text.
    TextBuffer &AppendText(const char *text);
    // Frees the storage; the buffer is empty again.
    void Free();
};

}  // namespace oq
