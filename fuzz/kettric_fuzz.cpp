// Fuzzes the Kettric parser: arbitrary bytes as a document of a small format and of no format.
#include "tests/kettric/SketchFormat.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text(size + 1);
    if (size != 0) std::memcpy(text.data(), data, size);
    text[size] = 0;

    oq::test::SketchDocument sketch;
    sketch.ParseAndResolve(text.data());
    if (sketch.GetErrorLine() < 0) __builtin_trap();

    oq::KettricDocument plain;
    plain.ParseText(text.data());
    // Parse again into the same document: the previous tree is replaced.
    plain.ParseAndResolve(text.data());
    return 0;
}
