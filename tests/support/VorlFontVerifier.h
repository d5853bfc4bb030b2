#pragma once

#include <cstddef>
#include <string>

namespace oq::test {

// Checks a Vorl font file as the font compiler must write it, from the record definitions alone:
// identity and count, every offset inside the file and 64-aligned where the layout says so, the
// sections in order, packed list references inside their lists, the character map, band headers
// and lists inside the band texture and within one row, curve locations and contour runs inside
// the curve texture and within one row, the shared sections of every font at the same file
// positions, and textures that expand to their size. Returns "" or what is wrong.
std::string VerifyVorlFontFile(const void *image, size_t size);

}  // namespace oq::test
