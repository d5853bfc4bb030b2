#pragma once

#include <cstdint>
#include <vector>

namespace oq::test {

// The texture codec's encoder written step by step from the format's description: every candidate
// of the 12-bit hash chain measured, no shortcuts. Returns the padded code, or nothing where
// CompressData returns 0. CompressData must give the same bytes.
std::vector<uint8_t> ReferenceCompress(const std::vector<uint8_t> &input);

}  // namespace oq::test
