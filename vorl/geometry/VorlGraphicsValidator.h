#pragma once

#include <cstddef>

namespace oq {

// Checks a loaded Vorl graphics file image once, before the shape and icon writers read it: both
// textures, the shape, icon, layer and mesh arrays inside the file, every shape's band data and
// layer header inside the band texture, every layer's shape or mesh, and every mesh triangle
// inside its own mesh's vertex range. The image must be 4-byte aligned. Returns false for an
// image the writers could not read safely; such a file is refused as unreadable.
[[nodiscard]] bool ValidateVorlGraphicsFile(const void *image, size_t size);

}  // namespace oq
