#pragma once

#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

// A font file of a font folder, read with pread where it lies: never mapped, since a font
// replaced while mapped would fault its reader.
class FontFileSource : public FontByteSource
{
public:
    FontFileSource() = default;
    ~FontFileSource() override;
    FontFileSource(const FontFileSource &) = delete;
    FontFileSource &operator=(const FontFileSource &) = delete;

    // Opens the path for reading without blocking (a FIFO or device named like a font cannot hang
    // the scan); false, with nothing open, unless it is a regular file.
    [[nodiscard]] bool Open(const char *path);

    uint64_t GetSize() const override { return size; }
    [[nodiscard]] bool Read(uint64_t offset, uint64_t count, uint8_t *out) const override;

private:
    int descriptor = -1;
    uint64_t size = 0;
};

}  // namespace oq
