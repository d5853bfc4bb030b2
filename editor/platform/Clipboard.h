#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace oq {

// The MIME name under which text travels (UTF-8).
inline constexpr const char *kClipboardTextFormat = "text/plain;charset=utf-8";

// One format offered on the clipboard: its MIME name and its bytes.
struct ClipboardFormat
{
    std::string name;
    std::vector<uint8_t> bytes;
};

// The system clipboard as the editor uses it: replace the whole contents with a set of formats,
// read one format back.
class Clipboard
{
public:
    virtual ~Clipboard() = default;

    // Replaces the contents with the formats. False when the clipboard refused them; the old
    // contents then stay.
    [[nodiscard]] virtual bool SetFormats(std::vector<ClipboardFormat> formats) = 0;
    // The bytes of one format, at most maxBytes of them: a longer format is cut there and the rest
    // is not transferred. False when the clipboard holds no such format or its owner did not
    // answer within the time limit (milliseconds, for the whole transfer).
    [[nodiscard]] virtual bool ReadFormat(const char *name, uint32_t timeLimit, size_t maxBytes,
                                          std::vector<uint8_t> *bytes) = 0;
};

// A clipboard that lives inside the process: the offscreen driver's, and the tests'. It can be
// told to refuse every new contents.
class InProcessClipboard : public Clipboard
{
public:
    [[nodiscard]] bool SetFormats(std::vector<ClipboardFormat> formats) override;
    [[nodiscard]] bool ReadFormat(const char *name, uint32_t timeLimit, size_t maxBytes,
                                  std::vector<uint8_t> *bytes) override;

    std::vector<ClipboardFormat> formats;
    bool refuse = false;
};

// The process-wide clipboard: none until the program or a test sets one.
Clipboard *GetClipboard();
void SetClipboard(Clipboard *clipboard);

// Puts the UTF-8 text on the clipboard as its text format; false when refused or there is none.
[[nodiscard]] bool SetClipboardText(Clipboard *clipboard, const char *text, size_t length);

// Outside bytes as checked UTF-8 of at most maxBytes bytes: every invalid sequence (overlong,
// surrogate, beyond U+10FFFF, cut short) becomes U+FFFD, a NUL ends the text, and the cut falls
// before a character that would not fit.
std::string SanitizeUtf8Text(const uint8_t *bytes, size_t size, size_t maxBytes);

// Reads the clipboard's text format, no more of it than maxBytes of text can take, and sanitizes it;
// empty when there is none.
std::string ReadClipboardText(Clipboard *clipboard, uint32_t timeLimit, size_t maxBytes);

}  // namespace oq
