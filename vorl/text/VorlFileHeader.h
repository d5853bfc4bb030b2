#pragma once

#include <cstddef>
#include <cstdint>

namespace oq {

// Texel formats and the compression mark of the two textures of a Vorl file.
constexpr uint32_t kTexelFormatHalf4 = 'HLF4';
constexpr uint32_t kTexelFormatFloat4 = 'FLT4';
constexpr uint32_t kTexelFormatUint16x2 = '16U2';
constexpr uint32_t kTextureCompressed = 'COMP';

constexpr uint32_t kVorlFileMagic = 'vorl';
constexpr uint32_t kVorlFileVersion = 1888;

// Where one GPU texture of a Vorl file lies and how it is stored.
struct TextureDescriptor
{
    uint32_t format;          // 'HLF4' or 'FLT4' (curve texture), '16U2' (band texture)
    uint32_t width;           // texels per row
    uint32_t height;          // rows
    uint32_t compression;     // 'COMP' or 0
    uint32_t compressedSize;  // bytes of the compressed block, 0 when stored as it is
    uint32_t dataOffset;      // from the start of the file
};

// The 80 bytes at the start of every Vorl file: identity, font count and the two textures.
struct VorlFileHeader
{
    uint32_t magic;       // 'vorl'
    uint32_t version;     // 1888
    char kind[4];         // "fnt" or "alb" with a zero byte
    uint32_t count;       // VorlFontRecords that follow the header (1 in a graphics file)
    uint32_t reserved[4];
    TextureDescriptor curveTexture;
    TextureDescriptor bandTexture;
};

static_assert(sizeof(TextureDescriptor) == 24);
static_assert(offsetof(TextureDescriptor, format) == 0);
static_assert(offsetof(TextureDescriptor, width) == 4);
static_assert(offsetof(TextureDescriptor, height) == 8);
static_assert(offsetof(TextureDescriptor, compression) == 12);
static_assert(offsetof(TextureDescriptor, compressedSize) == 16);
static_assert(offsetof(TextureDescriptor, dataOffset) == 20);

static_assert(sizeof(VorlFileHeader) == 80);
static_assert(offsetof(VorlFileHeader, magic) == 0);
static_assert(offsetof(VorlFileHeader, version) == 4);
static_assert(offsetof(VorlFileHeader, kind) == 8);
static_assert(offsetof(VorlFileHeader, count) == 12);
static_assert(offsetof(VorlFileHeader, reserved) == 16);
static_assert(offsetof(VorlFileHeader, curveTexture) == 32);
static_assert(offsetof(VorlFileHeader, bandTexture) == 56);

}  // namespace oq
