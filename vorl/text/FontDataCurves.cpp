#include "vorl/text/FontDataAccess.h"

#include "base/Bezier.h"
#include "base/Half.h"

#include <cstring>

namespace oq {

namespace {

// Point k (0 or 1) of curve texel t, moved by the glyph's curve origin: four half floats per
// texel in 'HLF4' textures, four floats in 'FLT4' ones.
struct CurveTexelReader
{
    const uint8_t *texels;
    bool floats;
    float originX;
    float originY;

    Point2D Read(size_t texel, int k) const
    {
        if (floats)
        {
            float value[2];
            std::memcpy(value, texels + texel * 16 + size_t(k) * 8, sizeof(value));
            return Point2D(value[0] + originX, value[1] + originY);
        }
        const uint16_t *halves = reinterpret_cast<const uint16_t *>(texels + texel * 8) + k * 2;
        return Point2D(HalfToFloat(halves) + originX, HalfToFloat(halves + 1) + originY);
    }
};

}  // namespace

void ExtractGlyphCurves(const VorlFontRecord *font, uint32_t glyphIndex, const VorlFileHeader *file,
                        const void *curveTexels, QuadraticBezier2D *curves)
{
    const VorlGlyphRecord &glyph = font->GetGlyphRecords()[glyphIndex];
    uint32_t count = glyph.curveCount;
    if (count == 0) return;
    const uint32_t *contour = font->GetContourList() + glyph.firstContour;
    uint32_t width = file->curveTexture.width;
    CurveTexelReader reader{static_cast<const uint8_t *>(curveTexels),
                            file->curveTexture.format == kTexelFormatFloat4, glyph.curveOrigin[0],
                            glyph.curveOrigin[1]};
    uint32_t done = 0;
    while (done < count)
    {
        uint32_t word = *contour++;
        uint32_t run = ContourCurveCount(word);
        // The last run may hold more curves than the glyph has left: stop at the glyph's count.
        if (run > count - done) run = count - done;
        size_t texel = size_t(ContourRow(word)) * width + ContourColumn(word);
        for (uint32_t i = 0; i < run; ++i, ++texel)
        {
            QuadraticBezier2D &curve = curves[done + i];
            curve.p0 = reader.Read(texel, 0);
            curve.p1 = reader.Read(texel, 1);
            curve.p2 = reader.Read(texel + 1, 0);
        }
        done += run;
    }
}

}  // namespace oq
