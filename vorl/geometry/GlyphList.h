#pragma once

#include <cstdint>

#include "base/Color.h"
#include "base/Matrix2D.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/TextMeasure.h"

namespace oq {

// Glyph lists: the glyphs of a run placed as the plain pass of BuildRunGeometry places them, as
// parallel arrays (font index, glyph index, position, matrix, colour) that callers may edit and
// draw with BuildGlyphListGeometry. Optional arrays (font indexes, matrices, colours) may be null.
// The arrays hold as many entries as CountRunGeometry returns for the same range.

// Lists the range from the pen; returns the number of entries. Colours are sRGB bytes.
int32_t GetRunGlyphList(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                        const float *pen, uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                        Matrix2D *matrices, uint8_t *colors, PlaceholderPosition **placeholders, float *endPen);

// The same with linear float colours.
int32_t GetRunGlyphListFloat(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                             const float *pen, uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                             Matrix2D *matrices, ColorRGBA *colors, PlaceholderPosition **placeholders,
                             float *endPen);

// Text forms: lay the text out and map it as CountTextGeometry does, then list the whole run.
int32_t GetTextGlyphList(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                         const TextLayoutState *state, const char *text, int32_t length, const float *pen,
                         uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                         uint8_t *colors, float *endPen, TextLayoutState *endState, TextRun *scratch);
int32_t GetTextGlyphListFloat(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                              const TextLayoutState *state, const char *text, int32_t length, const float *pen,
                              uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                              ColorRGBA *colors, float *endPen, TextLayoutState *endState, TextRun *scratch);

// The lists of lines first .. first + count - 1, placed and stepped as BuildLinesGeometry places
// them (pen: the block's left x and first baseline y), one after another in the same arrays.
int32_t GetLinesGlyphList(const TextRun *run, int32_t fontCount, const TextFont *fonts, int32_t firstLine,
                          int32_t lineCount, const TextLine *lines, const float *pen, float availableWidth,
                          uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                          uint8_t *colors, PlaceholderPosition **placeholders);
int32_t GetLinesGlyphListFloat(const TextRun *run, int32_t fontCount, const TextFont *fonts, int32_t firstLine,
                               int32_t lineCount, const TextLine *lines, const float *pen, float availableWidth,
                               uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                               ColorRGBA *colors, PlaceholderPosition **placeholders);

// Text forms of the line lists: the whole NUL-terminated text is laid out.
int32_t GetTextLinesGlyphList(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                              const TextLayoutState *state, const char *text, int32_t firstLine, int32_t lineCount,
                              const TextLine *lines, const float *pen, float availableWidth, uint8_t *fontIndexes,
                              uint32_t *glyphIndexes, float *positions, Matrix2D *matrices, uint8_t *colors,
                              TextLayoutState *endState, TextRun *scratch);
int32_t GetTextLinesGlyphListFloat(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                                   const TextLayoutState *state, const char *text, int32_t firstLine,
                                   int32_t lineCount, const TextLine *lines, const float *pen, float availableWidth,
                                   uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                                   Matrix2D *matrices, ColorRGBA *colors, TextLayoutState *endState,
                                   TextRun *scratch);

}  // namespace oq
