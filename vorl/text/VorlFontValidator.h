#pragma once

#include <cstddef>

namespace oq {

// Checks a loaded Vorl font file image once, before any accessor reads it: every offset and size
// against the image, every list range, glyph index, sequence entry, glyph set, contour run,
// polygon word, band location and texture block. The image must be 4-byte aligned.
// Returns false for an image that the accessors could not read safely; such a file is refused.
[[nodiscard]] bool ValidateVorlFontFile(const void *image, size_t size);

}  // namespace oq
