// Fuzzes the positioning, substitution, caret and colour readers: byte 0 picks the tables
// (0 'GPOS', 1 'GSUB', 2 'GDEF', 3 'CPAL' then 'COLR' split at the 32-bit length after the glyph
// count), bytes 1-2 give the glyph count, the rest is the table data, placed in a small face.
#include "AmbrelRoundTrip.h"
#include "ambrel/AmbrelDocument.h"
#include "tests/vorlfont/opentype/SfntTestBuilder.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3) return 0;
    uint32_t kind = data[0] & 3;
    uint16_t glyphCount = uint16_t(data[1] << 8 | data[2]);
    if (glyphCount == 0 || glyphCount > 2048) return 0;
    oq::test::Bytes rest(data + 3, data + size);
    oq::test::TestFace face = oq::test::MinimalFace(glyphCount);
    if (kind == 3)
    {
        if (rest.size() < 4) return 0;
        size_t split = size_t(rest[0]) << 24 | size_t(rest[1]) << 16 | size_t(rest[2]) << 8 | rest[3];
        if (split > rest.size() - 4) return 0;
        face.Set("CPAL", oq::test::Bytes(rest.begin() + 4, rest.begin() + 4 + ptrdiff_t(split)));
        face.Set("COLR", oq::test::Bytes(rest.begin() + 4 + ptrdiff_t(split), rest.end()));
    }
    else
    {
        const char *tags[] = {"GPOS", "GSUB", "GDEF"};
        face.Set(tags[kind], rest);
    }
    oq::test::Bytes font = oq::test::BuildSfnt({face}, false);
    oq::AmbrelDocument document;
    if (oq::ImportOpenTypeFont(font.data(), font.size(), &document) != 0) return 0;

    oq::fuzz::CheckAmbrelRoundTrip(&document);
    return 0;
}
