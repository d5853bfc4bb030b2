#include "editor/platform/Clipboard.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace oq {

namespace {

Clipboard *processClipboard = nullptr;

// The length of the valid UTF-8 sequence at the bytes and its code point; 0 when invalid.
size_t DecodeCheckedUtf8(const uint8_t *p, size_t available, uint32_t *codePoint)
{
    uint8_t lead = p[0];
    if (lead < 0x80)
    {
        *codePoint = lead;
        return 1;
    }
    size_t count;
    uint32_t value;
    uint32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        count = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        count = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        count = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    }
    else
        return 0;
    if (available < count) return 0;
    for (size_t i = 1; i < count; ++i)
    {
        if ((p[i] & 0xC0) != 0x80) return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *codePoint = value;
    return count;
}

}  // namespace

bool InProcessClipboard::SetFormats(std::vector<ClipboardFormat> newFormats)
{
    if (refuse) return false;
    formats = std::move(newFormats);
    return true;
}

bool InProcessClipboard::ReadFormat(const char *name, uint32_t, size_t maxBytes, std::vector<uint8_t> *bytes)
{
    for (const ClipboardFormat &format : formats)
    {
        if (format.name == name)
        {
            bytes->assign(format.bytes.begin(), format.bytes.begin() + ptrdiff_t(std::min(maxBytes, format.bytes.size())));
            return true;
        }
    }
    return false;
}

Clipboard *GetClipboard() { return processClipboard; }

void SetClipboard(Clipboard *clipboard) { processClipboard = clipboard; }

bool SetClipboardText(Clipboard *clipboard, const char *text, size_t length)
{
    if (clipboard == nullptr) return false;
    std::vector<ClipboardFormat> formats(1);
    formats[0].name = kClipboardTextFormat;
    formats[0].bytes.assign(reinterpret_cast<const uint8_t *>(text), reinterpret_cast<const uint8_t *>(text) + length);
    return clipboard->SetFormats(std::move(formats));
}

std::string SanitizeUtf8Text(const uint8_t *bytes, size_t size, size_t maxBytes)
{
    std::string result;
    size_t i = 0;
    while (i < size && bytes[i] != 0)
    {
        uint32_t codePoint = 0;
        size_t count = DecodeCheckedUtf8(bytes + i, size - i, &codePoint);
        const char *piece = reinterpret_cast<const char *>(bytes + i);
        size_t pieceSize = count;
        if (count == 0)
        {
            piece = "\xEF\xBF\xBD";
            pieceSize = 3;
            count = 1;
        }
        if (result.size() + pieceSize > maxBytes) break;
        result.append(piece, pieceSize);
        i += count;
    }
    return result;
}

std::string ReadClipboardText(Clipboard *clipboard, uint32_t timeLimit, size_t maxBytes)
{
    // Text cut at maxBytes ends where the whole text would: the character the limit splits is read
    // whole (4 bytes at most), so it is left out rather than replaced.
    size_t readLimit = maxBytes > SIZE_MAX - 3 ? SIZE_MAX : maxBytes + 3;
    std::vector<uint8_t> bytes;
    if (clipboard == nullptr || !clipboard->ReadFormat(kClipboardTextFormat, timeLimit, readLimit, &bytes)) return {};
    return SanitizeUtf8Text(bytes.data(), bytes.size(), maxBytes);
}

}  // namespace oq
