#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oq::test {

// Renders the SVG text with rsvg-convert (librsvg2-bin) at width x height pixels and returns
// its pixels, row by row from the top, 4 bytes each (R, G, B, A, not premultiplied). Returns an
// empty vector when the picture cannot be made; *error (when given) then says why (a message
// naming `make deps` when rsvg-convert is missing).
std::vector<uint8_t> RasterizeSvg(const std::string &svg, int width, int height, std::string *error = nullptr);

}  // namespace oq::test
