// Fuzzes the font importer on arbitrary bytes: every import ends with a result code, and a
// document it accepts writes Ambrel text that reads back.
#include "AmbrelRoundTrip.h"
#include "ambrel/AmbrelDocument.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    oq::AmbrelDocument document;
    if (oq::ImportOpenTypeFont(data, size, &document) != 0) return 0;

    oq::fuzz::CheckAmbrelRoundTrip(&document);
    return 0;
}
