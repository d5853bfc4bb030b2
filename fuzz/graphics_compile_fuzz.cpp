// Fuzzes the graphics compiles: every Ambrel document the reader accepts is compiled as a canvas
// and as icons (half or float texels, with or without compression, chosen from the input's
// length); each written file must pass the graphics file validator, and a second compile of the
// same document must give the same bytes.
#include "FuzzText.h"
#include "ambrel/GraphicsCompile.h"
#include "vorl/geometry/VorlGraphicsValidator.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool AppendToString(const void *data, uint32_t count, void *user)
{
    static_cast<std::string *>(user)->append(static_cast<const char *>(data), count);
    return true;
}

std::string Compile(oq::AmbrelDocument *document, bool icon, bool floatTexels, bool compress)
{
    std::string bytes;
    oq::OutputSink sink(AppendToString, &bytes);
    uint32_t result = icon ? oq::BuildIconVorlFile(document, &sink, nullptr, floatTexels, compress, nullptr, nullptr)
                           : oq::BuildCanvasVorlFile(document, &sink, nullptr, compress, nullptr);
    if (result != 0)
    {
        if (result != 'SIZE' || !bytes.empty()) __builtin_trap();
        return bytes;
    }
    std::vector<uint32_t> image((bytes.size() + 3) / 4);
    if (!bytes.empty()) std::memcpy(image.data(), bytes.data(), bytes.size());
    if (!oq::ValidateVorlGraphicsFile(image.data(), bytes.size())) __builtin_trap();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);

    oq::AmbrelDocument document;
    if (document.ParseAndResolve(text.data()) != 0) return 0;
    bool floatTexels = (size & 1) != 0;
    bool compress = (size & 2) != 0;
    std::string canvas = Compile(&document, false, false, compress);
    std::string icons = Compile(&document, true, floatTexels, compress);
    if (Compile(&document, true, floatTexels, compress) != icons) __builtin_trap();
    if (Compile(&document, false, false, compress) != canvas) __builtin_trap();
    return 0;
}
