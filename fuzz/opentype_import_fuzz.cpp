// Fuzzes the font importer on arbitrary bytes: every import ends with a result code, and a
// document it accepts writes Ambrel text that reads back.
#include "ambrel/AmbrelDocument.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <cstdint>
#include <string>

namespace {

bool AppendToString(const void *data, uint32_t count, void *user)
{
    static_cast<std::string *>(user)->append(static_cast<const char *>(data), count);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    oq::AmbrelDocument document;
    if (oq::ImportOpenTypeFont(data, size, &document) != 0) return 0;

    std::string text;
    oq::TextOutputStream stream(AppendToString, &text);
    document.Write(&stream);
    if (!stream.Finish()) __builtin_trap();
    oq::AmbrelDocument reread;
    if (reread.ParseAndResolve(text.c_str()) != 0) __builtin_trap();
    return 0;
}
