#pragma once

#include "editor/platform/GlyphTexturePair.h"

#include <cstdint>

namespace oq {

class Renderer;

// Whether a file image may be drawn from as an icon file: at least a header, magic 'vorl', kind
// "alb", both texture blocks inside the file and accepted by the graphics file validator.
// The image must be 4-byte aligned.
[[nodiscard]] bool CheckIconFile(const uint8_t *data, uint64_t size);

// The icon file name + ".vorl" of the Data folder with its textures; the pair keeps the file
// contents. None when the file is absent, unreadable, refused, or memory runs out.
[[nodiscard]] GlyphTexturePair *LoadIconFile(Renderer &renderer, const char *name);

// The 512 x 512 sRGB hue and saturation picture "Huesat.rgba" of the Data folder as the pair's
// one texture; bytes after the first 1,048,576 are ignored. None when it is shorter.
[[nodiscard]] GlyphTexturePair *LoadHueSaturationTexture(Renderer &renderer);

// Releases a loaded pair: its file contents, textures and the pair itself.
void FreeLoadedTexturePair(Renderer &renderer, GlyphTexturePair *pair);

constexpr int32_t kHueSaturationSize = 512;
constexpr uint64_t kHueSaturationBytes = 1048576;

}  // namespace oq
