#pragma once

#include "vorl/text/OutputSink.h"
#include "vorl/text/VorlFileHeader.h"

#include <cstddef>
#include <cstdint>

namespace oq {

// The first 12 bytes of a Vorl file header, which a writer's caller may give in place of the
// writer's own magic, version and kind.
struct VorlHeaderStart
{
    uint32_t magic;
    uint32_t version;
    char kind[4];
};

static_assert(sizeof(VorlHeaderStart) == 12);

// A zero-filled block from the system allocator, for the large buffers of a file writer (texture
// buffers, record arrays): unlike MemoryAllocate, allocating may fail. Freed with the object.
class ZeroedBlock
{
public:
    ZeroedBlock() = default;
    ~ZeroedBlock();
    ZeroedBlock(const ZeroedBlock &) = delete;
    ZeroedBlock &operator=(const ZeroedBlock &) = delete;

    // False when the memory is not available (a block of 0 bytes always succeeds).
    [[nodiscard]] bool Allocate(uint64_t size);

    void *GetData() const { return data; }
    template <typename T> T *Get() const { return static_cast<T *>(data); }

private:
    void *data = nullptr;
};

// One texture of a file being written: its descriptor and the bytes stored for it (the texels, or
// their compressed code in packed).
struct VorlTextureOutput
{
    TextureDescriptor descriptor;
    const void *data;
    uint32_t size;
    ZeroedBlock packed;
};

// Texel sizes of the formats: 16 for 'FLT4', 4 for '16U2', else 8.
uint32_t GetVorlTexelSize(uint32_t format);

// Prepares a texture of a buffer (bufferWidth x bufferHeight texels) whose writers stopped at the
// cursor: zeroes the rest of the cursor's row, forms the descriptor (width 4096 with fullWidth or
// when more than one row is used, else the texels used in the first row; height the rows used;
// both at least 1) and, with compress, the compressed code when it is shorter. The data offset is
// left 0. Returns 0 or 'MEMY'.
[[nodiscard]] uint32_t PrepareVorlTexture(VorlTextureOutput *output, void *texels, uint32_t format,
                                          int32_t bufferWidth, int32_t bufferHeight, int32_t cursorX, int32_t cursorY,
                                          bool fullWidth, bool compress);

// Sets the data offsets: the curve data at curveOffset, the band data after it (after the
// compressed curve code rounded up to a multiple of 64, or right after raw texels).
void PlaceVorlTextures(VorlTextureOutput *curve, VorlTextureOutput *band, uint32_t curveOffset);

// The file header: the caller's start or 'vorl', 1888 and the kind; the count; both descriptors.
void FormVorlFileHeader(VorlFileHeader *header, const VorlHeaderStart *start, const char *kind, uint32_t count,
                        const TextureDescriptor &curve, const TextureDescriptor &band);

// Writes the curve data, the padding after compressed curve code, and the band data.
[[nodiscard]] bool WriteVorlTextures(OutputSink *sink, const VorlTextureOutput &curve, const VorlTextureOutput &band);

// A size rounded up to a multiple of 64.
inline constexpr uint64_t RoundUp64(uint64_t size)
{
    return (size + 63) & ~uint64_t(63);
}

}  // namespace oq
