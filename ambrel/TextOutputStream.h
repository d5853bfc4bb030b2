#pragma once

#include "vorl/text/OutputSink.h"

#include <cstdint>

namespace oq {

// Buffered text writer: collects bytes in one fixed 64 KB buffer and hands full buffers to its sink.
// The first refusal of the sink makes the stream fail for good: it drops every later byte and never
// calls the sink again. The owner calls Finish before destroying the stream to learn the outcome.
class TextOutputStream
{
public:
    static constexpr uint32_t kBufferSize = 65536;

    TextOutputStream(StreamWriteCallback callback, void *user);
    TextOutputStream(const TextOutputStream &) = delete;
    TextOutputStream &operator=(const TextOutputStream &) = delete;

    // Hands over what is still buffered (unless the stream failed or was finished).
    ~TextOutputStream();

    // Hands over the buffered bytes; false when the sink refused anything, now or before.
    [[nodiscard]] bool Finish();

    // False when the stream has failed (now or earlier).
    [[nodiscard]] bool Write(const void *data, uint32_t count);
    // An optional line feed, then the tabs of the indentation level plus delta (none below 0),
    // then the NUL-terminated text.
    [[nodiscard]] bool WriteIndented(const char *text, int32_t delta, bool newline);

    // A four-character code as a quoted character literal, or as a signed decimal number when a
    // byte is not printable ASCII.
    void WriteTag(uint32_t code);

    // Chainable appenders; failures show in the stream's state.
    TextOutputStream &WriteChar(char c);
    TextOutputStream &WriteText(const char *text);
    TextOutputStream &WriteBytes(const char *text, uint32_t count);
    TextOutputStream &WriteInteger(int32_t value);
    // The text of FloatToText; a NaN or infinity as "0x" and the eight hex digits of its bits.
    TextOutputStream &WriteFloat(float value);

    bool HasFailed() const { return failed; }
    uint32_t GetLength() const { return length; }

    // Tabs put before a line by WriteIndented with a delta of 0.
    int32_t indentationLevel;

private:
    // Appends n bytes (n below the buffer size) by the buffering rule.
    bool Append(const void *data, uint32_t n);
    bool Flush();

    StreamWriteCallback callback;
    void *userValue;
    char *buffer;
    uint32_t length;
    bool failed;
};

}  // namespace oq
