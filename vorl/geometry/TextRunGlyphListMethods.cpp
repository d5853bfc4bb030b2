#include "vorl/geometry/GlyphList.h"
#include "vorl/geometry/GlyphListGeometry.h"

namespace oq {

int32_t TextRun::GetGlyphList(const GlyphRange *range, int32_t fontCount, const TextFont *fonts, const float *pen,
                              uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                              uint8_t *colors, PlaceholderPosition **placeholders, float *endPen) const
{
    return GetRunGlyphList(this, range, fontCount, fonts, pen, fontIndexes, glyphIndexes, positions, matrices, colors,
                           placeholders, endPen);
}

int32_t TextRun::GetGlyphListFloat(const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                                   const float *pen, uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                                   Matrix2D *matrices, ColorRGBA *colors, PlaceholderPosition **placeholders,
                                   float *endPen) const
{
    return GetRunGlyphListFloat(this, range, fontCount, fonts, pen, fontIndexes, glyphIndexes, positions, matrices,
                                colors, placeholders, endPen);
}

int32_t TextRun::GetLinesGlyphList(int32_t fontCount, const TextFont *fonts, int32_t firstLine, int32_t lineCount,
                                   const TextLine *lines, const float *pen, float availableWidth,
                                   uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                                   Matrix2D *matrices, uint8_t *colors, PlaceholderPosition **placeholders) const
{
    return oq::GetLinesGlyphList(this, fontCount, fonts, firstLine, lineCount, lines, pen, availableWidth,
                                 fontIndexes, glyphIndexes, positions, matrices, colors, placeholders);
}

int32_t TextRun::GetLinesGlyphListFloat(int32_t fontCount, const TextFont *fonts, int32_t firstLine,
                                        int32_t lineCount, const TextLine *lines, const float *pen,
                                        float availableWidth, uint8_t *fontIndexes, uint32_t *glyphIndexes,
                                        float *positions, Matrix2D *matrices, ColorRGBA *colors,
                                        PlaceholderPosition **placeholders) const
{
    return oq::GetLinesGlyphListFloat(this, fontCount, fonts, firstLine, lineCount, lines, pen, availableWidth,
                                      fontIndexes, glyphIndexes, positions, matrices, colors, placeholders);
}

void TextRun::BuildGlyphListGeometry(const TextFont *fonts, const TextLayoutState *state, int32_t count,
                                     const uint8_t *fontIndexes, const uint32_t *glyphIndexes,
                                     const float *positions, const Matrix2D *matrices, const uint8_t *colors,
                                     GeometryBuffer *buffers, Box2D *bounds) const
{
    oq::BuildGlyphListGeometry(fonts, state, count, fontIndexes, glyphIndexes, positions, matrices, colors, buffers,
                               bounds);
}

void TextRun::BuildGlyphListGeometryFloatColors(const TextFont *fonts, const TextLayoutState *state, int32_t count,
                                                const uint8_t *fontIndexes, const uint32_t *glyphIndexes,
                                                const float *positions, const Matrix2D *matrices,
                                                const ColorRGBA *colors, GeometryBuffer *buffers, Box2D *bounds) const
{
    oq::BuildGlyphListGeometryFloatColors(fonts, state, count, fontIndexes, glyphIndexes, positions, matrices, colors,
                                          buffers, bounds);
}

}  // namespace oq
