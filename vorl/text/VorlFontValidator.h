#pragma once

#include <cstddef>
#include <cstdint>

#include "vorl/text/VorlFileHeader.h"

namespace oq {

// Checks a loaded Vorl font file image once, before any accessor reads it: every offset and size
// against the image, every list range, glyph index, sequence entry, glyph set, contour run,
// polygon word, band location and texture block. The image must be 4-byte aligned.
// Returns false for an image that the accessors could not read safely; such a file is refused.
[[nodiscard]] bool ValidateVorlFontFile(const void *image, size_t size);

// Texture sizes that texel locations can address: contour words hold a 12-bit column and a
// 13-bit curve row, band locations a 16-bit row, and band positions wrap at 4096 texels a row.
inline constexpr uint32_t kMaxVorlTextureWidth = 4096;
inline constexpr uint32_t kMaxVorlCurveTextureRows = 8192;
inline constexpr uint32_t kMaxVorlBandTextureRows = 65536;

// A texture of a Vorl file no wider and no taller than its texel locations can address, whose
// data lie in the file. A compressed block may not claim more bytes than its code could expand
// to, so a small file cannot make the loader allocate gigabytes.
bool IsVorlTextureInFile(const TextureDescriptor &texture, uint32_t texelSize, uint32_t maxRows, uint64_t fileSize);

}  // namespace oq
