// Fuzz target for DecompressData: the first three bytes give the output size, the rest is the code.
// Damaged code must be rejected without touching memory outside the buffers; code that decodes
// must survive a round trip through CompressData.
#include "base/Compression.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3) return 0;
    uint32_t outputSize = data[0] | uint32_t(data[1]) << 8 | uint32_t(data[2] & 3) << 16;

    // Exact-size copies, so that the sanitizer sees any read or write past either end.
    std::vector<uint8_t> code(data + 3, data + size);
    std::vector<uint8_t> output(outputSize);
    if (!oq::DecompressData(code.data(), uint32_t(code.size()), output.data(), outputSize)) return 0;

    std::vector<uint8_t> again(outputSize);
    uint32_t compressedSize = oq::CompressData(output.data(), outputSize, again.data());
    if (compressedSize == 0) return 0;
    if (compressedSize > outputSize || compressedSize % 4 != 0) std::abort();
    again.resize(compressedSize);

    std::vector<uint8_t> decoded(outputSize);
    if (!oq::DecompressData(again.data(), compressedSize, decoded.data(), outputSize)) std::abort();
    if (decoded != output) std::abort();
    return 0;
}
