// TrueType outlines: the input is a loca format byte, a 16-bit glyph count, the 'loca' table of
// the size they need, and 'glyf' in the remaining bytes. Every glyph is counted and decoded.
#include "vorlfont/opentype/GlyfOutline.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace oq;
    if (size < 3) return 0;
    int32_t format = data[0] & 1;
    uint32_t glyphCount = uint32_t(data[1]) << 8 | data[2];
    uint64_t locaSize = (uint64_t(glyphCount) + 1) * (format == 0 ? 2 : 4);
    if (size - 3 < locaSize) return 0;
    FontBytes loca{data + 3, locaSize};
    FontBytes glyf{data + 3 + locaSize, size - 3 - locaSize};

    GlyfOutlineReader reader;
    if (reader.Open(glyf, loca, format, glyphCount, 1.0f / 2048.0f) != 0) return 0;
    Array<GlyfPoint> points;
    Array<uint32_t> glyphs;
    Array<GlyfComponentTransform> transforms;
    for (uint32_t g = 0; g < glyphCount; ++g)
    {
        int64_t count = reader.CountGlyfPoints(g);
        if (count < 0) continue;
        int64_t decoded = reader.DecodeGlyfOutline(g, &points, &glyphs, &transforms);
        if (decoded < 0) continue;
        // A decoded glyph has the counted points, each contour linked to its end.
        if (decoded != count || decoded != points.GetElementCount()) abort();
        for (int32_t i = 0; i < points.GetElementCount();)
        {
            int32_t link = std::abs(points[i].link);
            if (link < 1 || i + link > points.GetElementCount()) abort();
            i += link;
        }
    }
    return 0;
}
