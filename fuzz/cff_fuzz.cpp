// CFF tables: the input is a 16-bit glyph count and the 'CFF ' table; every glyph of a table
// that opens is decoded.
#include "vorlfont/opentype/CffFont.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace oq;
    if (size < 2) return 0;
    uint32_t glyphCount = uint32_t(data[0]) << 8 | data[1];
    FontBytes table{data + 2, size - 2};
    CffFont *font = new CffFont;
    if (OpenCffFont(table, glyphCount, font) == 0)
    {
        CffCharstringDecoder decoder(font->globalSubrs);
        Array<CubicBezier2D> segments;
        for (uint32_t g = 0; g < glyphCount; ++g)
        {
            if (DecodeCffGlyph(*font, &decoder, g, &segments) != 0) continue;
            for (const CubicBezier2D &c : segments)
            {
                if (!(std::fabs(c.p3.x) <= 1024.0f && std::fabs(c.p3.y) <= 1024.0f)) abort();
            }
        }
    }
    delete font;
    return 0;
}
