#pragma once

#include <cstdint>

namespace oq {

struct TextBuffer;

// Writes a node's property list: " (" before the first property, "," between properties, each as
// name "=" value without blanks. The head closes the list when Opened() says one was begun.
class PropertyListWriter
{
public:
    explicit PropertyListWriter(TextBuffer *output) : buffer(output) {}

    bool Opened() const { return opened; }

    // The base library's decimal text; a non-finite value as a bit-pattern literal.
    void WriteFloat(const char *name, float value);
    void WriteInteger(const char *name, int32_t value);
    // 'abcd', or a decimal number when a byte is not printable.
    void WriteFourCC(const char *name, uint32_t value);
    // "0x" and eight upper-case hexadecimal digits.
    void WriteColor(const char *name, uint32_t value);
    // A true boolean: its bare name.
    void WriteFlag(const char *name);

private:
    void BeginProperty(const char *name, bool value);

    TextBuffer *buffer;
    bool opened = false;
};

}  // namespace oq
