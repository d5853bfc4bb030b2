// Fuzz target for CompressData against the step-by-step reference encoder. The fuzz data is a
// recipe that expands to inputs of up to 140 KB, so that matches cross the 32768-byte window and
// the 65827-byte piece limit: each step copies literal bytes, repeats a byte, or copies bytes from
// a distance back. Both encoders must give the same code, and the code must decode back.
#include "base/Compression.h"
#include "support/ReferenceCompression.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr size_t kMaxInput = 140000;

// Reads the step bytes of the recipe; missing bytes read as 0.
struct Recipe
{
    const uint8_t *data;
    size_t size;
    size_t read;

    uint32_t Byte() { return (read < size) ? data[read++] : 0; }
    uint32_t Word() { return Byte() << 8 | Byte(); }
};

std::vector<uint8_t> Expand(const uint8_t *data, size_t size)
{
    Recipe recipe{data, size, 0};
    std::vector<uint8_t> input;
    while (recipe.read < size && input.size() < kMaxInput)
    {
        uint32_t step = recipe.Byte();
        uint32_t kind = step >> 6;
        if (kind == 0)
        {
            // 1 to 64 literal bytes from the recipe.
            for (uint32_t k = 0; k <= (step & 63) && recipe.read < size; ++k) input.push_back(uint8_t(recipe.Byte()));
        }
        else if (kind == 1)
        {
            // A run: the low bits scale the count up to 4 * 65536 bytes.
            uint32_t count = (recipe.Word() + 1) << (step & 3);
            input.insert(input.end(), count, uint8_t(recipe.Byte()));
        }
        else if (!input.empty())
        {
            // A copy of earlier bytes: short distances, or up to the window and a little past it.
            uint32_t distance = (kind == 2) ? 1 + (step & 63) : 1 + (recipe.Word() << 1 | (step & 1));
            uint32_t count = (recipe.Word() + 1) << ((step >> 1) & 1);
            for (uint32_t k = 0; k < count && input.size() < kMaxInput; ++k)
                input.push_back(input[input.size() - 1 - (distance - 1) % input.size()]);
        }
    }
    if (input.size() > kMaxInput) input.resize(kMaxInput);
    return input;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> input = Expand(data, size);

    std::vector<uint8_t> code(input.size());
    uint32_t codeSize = oq::CompressData(input.data(), uint32_t(input.size()), code.data());
    code.resize(codeSize);
    if (code != oq::test::ReferenceCompress(input)) std::abort();
    if (codeSize == 0) return 0;

    std::vector<uint8_t> decoded(input.size());
    if (!oq::DecompressData(code.data(), codeSize, decoded.data(), uint32_t(decoded.size()))) std::abort();
    if (decoded != input) std::abort();
    return 0;
}
