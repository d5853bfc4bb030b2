// Fuzzes the Kettric parser with arbitrary bytes as a document of a small format and of no format,
// and checks the decimal literal conversion at the start of the input against strtod and strtof.
#include "FuzzText.h"
#include "tests/kettric/SketchFormat.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A decimal literal read by the Kettric scanners gives the same value as the C library.
void CheckDecimalLiteral(const char *text)
{
    if (text[0] == '0' && ((text[1] | 0x20) == 'x' || (text[1] | 0x20) == 'o' || (text[1] | 0x20) == 'b')) return;
    int32_t length = 0;
    double d = 0;
    if (oq::ParseKettricDoubleLiteral(text, &length, &d) != 0) return;
    std::string digits;
    for (int32_t i = 0; i < length; ++i)
    {
        if (text[i] != '_') digits += text[i];
    }
    double expectedDouble = std::strtod(digits.c_str(), nullptr);
    if (std::memcmp(&d, &expectedDouble, sizeof(d)) != 0) __builtin_trap();
    float f = 0;
    if (oq::ParseKettricFloatLiteral(text, &length, &f) != 0) __builtin_trap();
    float expectedFloat = std::strtof(digits.c_str(), nullptr);
    if (std::memcmp(&f, &expectedFloat, sizeof(f)) != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);

    oq::test::SketchDocument sketch;
    oq::KettricResult result = sketch.ParseAndResolve(text.data());
    if (sketch.GetErrorLine() < 0 || (result == 0 && sketch.GetErrorLine() != 0)) __builtin_trap();

    oq::KettricDocument plain;
    oq::KettricResult parsed = plain.ParseText(text.data());
    // Parse again into the same document: the previous tree is replaced, the outcome is the same.
    oq::KettricResult again = plain.ParseAndResolve(text.data());
    if (parsed != 0 && again != parsed) __builtin_trap();

    CheckDecimalLiteral(text.data());
    return 0;
}
