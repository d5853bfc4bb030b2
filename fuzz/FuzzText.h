#pragma once

#include "editor/platform/TextBuffer.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace oq::fuzz {

// The fuzz input as a NUL-terminated text, the form the Kettric and Ambrel readers take.
inline std::vector<char> TerminatedText(const uint8_t *data, size_t size)
{
    std::vector<char> text(size + 1);
    if (size != 0) std::memcpy(text.data(), data, size);
    text[size] = 0;
    return text;
}

// What a writer put into the buffer, as a string; the buffer is freed.
inline std::string TakeText(TextBuffer &buffer)
{
    std::string text(buffer.data != nullptr ? buffer.data : "", buffer.size);
    buffer.Free();
    return text;
}

}  // namespace oq::fuzz
