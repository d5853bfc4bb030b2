#include "vorl/text/FontDataAccess.h"

#include "base/Bezier.h"
#include "base/Half.h"

namespace oq {

namespace {

// A point from the first two halves of a curve texel, moved by the glyph's curve origin.
Point2D ReadTexelPoint(const uint16_t *halves, float originX, float originY)
{
    return Point2D(HalfToFloat(halves) + originX, HalfToFloat(halves + 1) + originY);
}

}  // namespace

void ExtractGlyphCurves(const VorlFontRecord *font, uint32_t glyphIndex, const VorlFileHeader *file,
                        const void *curveTexels, QuadraticBezier2D *curves)
{
    const VorlGlyphRecord &glyph = font->GetGlyphRecords()[glyphIndex];
    const uint16_t *texels = static_cast<const uint16_t *>(curveTexels);
    uint32_t count = glyph.curveCount;
    if (count == 0) return;
    const uint32_t *contour = font->GetContourList() + glyph.firstContour;
    uint32_t width = file->curveTexture.width;
    float originX = glyph.curveOrigin[0];
    float originY = glyph.curveOrigin[1];
    uint32_t done = 0;
    while (done < count)
    {
        uint32_t word = *contour++;
        uint32_t run = ContourCurveCount(word);
        // The last run may hold more curves than the glyph has left: stop at the glyph's count.
        if (run > count - done) run = count - done;
        const uint16_t *texel = texels + (size_t(ContourRow(word)) * width + ContourColumn(word)) * 4;
        for (uint32_t i = 0; i < run; ++i, texel += 4)
        {
            QuadraticBezier2D &curve = curves[done + i];
            curve.p0 = ReadTexelPoint(texel, originX, originY);
            curve.p1 = ReadTexelPoint(texel + 2, originX, originY);
            curve.p2 = ReadTexelPoint(texel + 4, originX, originY);
        }
        done += run;
    }
}

}  // namespace oq
