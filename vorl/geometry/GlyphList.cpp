#include "vorl/geometry/GlyphList.h"

#include <type_traits>

#include "vorl/geometry/LineGeometry.h"
#include "vorl/geometry/RunWalk.h"

namespace oq {

namespace {

const ColorRGBA kWhite = {1.0F, 1.0F, 1.0F, 1.0F};

inline void StoreListColor(uint8_t *colors, int32_t j, const ColorRGBA &color) { ColorRGBAToSrgb8(colors + 4 * j, color); }
inline void StoreListColor(ColorRGBA *colors, int32_t j, const ColorRGBA &color) { colors[j] = color; }

// Records every glyph the plain pass places.
template <typename Color> class GlyphListRecorder
{
public:
    GlyphListRecorder(uint8_t *fonts, uint32_t *glyphs, float *positionList, Matrix2D *matrixList, Color *colorList,
                      PlaceholderPosition **placeholderList)
        : fontIndexes(fonts), glyphIndexes(glyphs), positions(positionList), matrices(matrixList), colors(colorList),
          placeholders(placeholderList)
    {
    }

    void OnStretch(const RunStretch &, const GlyphPen &, float) {}

    void OnPlaceholder(int32_t i, int32_t number, float left, const RunStretch &stretch, const GlyphPen &)
    {
        if (placeholders == nullptr) return;
        **placeholders = {i, number, left, stretch.baselineY};
        ++*placeholders;
    }

    void OnGlyph(int32_t, uint32_t glyph, const VorlGlyphRecord *record, const float *position, bool rotated,
                 const RunStretch &stretch, const GlyphPen &)
    {
        if (fontIndexes != nullptr) fontIndexes[count] = uint8_t(stretch.fontIndex);
        glyphIndexes[count] = glyph;
        positions[2 * count] = position[0];
        positions[2 * count + 1] = position[1];
        if (matrices != nullptr) matrices[count] = rotated ? stretch.rotated : stretch.matrix;
        if (colors != nullptr)
        {
            uint32_t options = stretch.state->optionFlags;
            bool white = ListCountA(record->layerWord) != 0 &&
                         (options & (kTextOptionNoLayers | kTextOptionLayerMultiply)) == 0;
            StoreListColor(colors, count, white ? kWhite : stretch.state->fillPaint.color);
        }
        ++count;
    }

    void OnEnd(const GlyphPen &) {}

    int32_t count = 0;

private:
    uint8_t *fontIndexes;
    uint32_t *glyphIndexes;
    float *positions;
    Matrix2D *matrices;
    Color *colors;
    PlaceholderPosition **placeholders;
};

template <typename Color>
int32_t ListRunGlyphs(const TextRun *run, const GlyphRange *range, const TextFont *fonts, const float *pen,
                      uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                      Color *colors, PlaceholderPosition **placeholders, float *endPen)
{
    GlyphRange walk;
    float endX = pen[0];
    GlyphListRecorder<Color> recorder(fontIndexes, glyphIndexes, positions, matrices, colors, placeholders);
    if (ResolveGlyphRange(run, range, &walk))
    {
        RunSegments segments;
        segments.Measure(run, walk, fonts);
        endX = WalkRunPass(run, walk, fonts, pen, segments, &recorder);
    }
    if (endPen != nullptr)
    {
        endPen[0] = endX;
        endPen[1] = pen[1];
    }
    return recorder.count;
}

template <typename Color>
int32_t ListLines(const TextRun *run, const TextFont *fonts, int32_t firstLine, int32_t lineCount,
                  const TextLine *lines, const float *pen, float availableWidth, uint8_t *fontIndexes,
                  uint32_t *glyphIndexes, float *positions, Matrix2D *matrices, Color *colors,
                  PlaceholderPosition **placeholders)
{
    int32_t total = 0;
    float y = pen[1];
    bool first = firstLine == 0 || (lines[firstLine - 1].flags & kTextLineEndsParagraph) != 0;
    for (int32_t n = 0; n < lineCount; ++n)
    {
        const TextLine &line = lines[firstLine + n];
        const TextLayoutState *state = &run->states[run->glyphs[line.firstGlyph].stateIndex];
        const float linePen[2] = {pen[0] + AlignTextLine(state, line.width, availableWidth, first), y};
        total += ListRunGlyphs(run, reinterpret_cast<const GlyphRange *>(&line), fonts, linePen,
                               fontIndexes != nullptr ? fontIndexes + total : nullptr, glyphIndexes + total,
                               positions + 2 * total, matrices != nullptr ? matrices + total : nullptr,
                               colors != nullptr ? colors + (std::is_same_v<Color, uint8_t> ? 4 : 1) * total : nullptr,
                               placeholders, nullptr);
        first = (line.flags & kTextLineEndsParagraph) != 0;
        y += GetTextLineStep(run, line);
    }
    return total;
}

}  // namespace

int32_t GetRunGlyphList(const TextRun *run, const GlyphRange *range, int32_t, const TextFont *fonts,
                        const float *pen, uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                        Matrix2D *matrices, uint8_t *colors, PlaceholderPosition **placeholders, float *endPen)
{
    return ListRunGlyphs(run, range, fonts, pen, fontIndexes, glyphIndexes, positions, matrices, colors, placeholders,
                         endPen);
}

int32_t GetRunGlyphListFloat(const TextRun *run, const GlyphRange *range, int32_t, const TextFont *fonts,
                             const float *pen, uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                             Matrix2D *matrices, ColorRGBA *colors, PlaceholderPosition **placeholders, float *endPen)
{
    return ListRunGlyphs(run, range, fonts, pen, fontIndexes, glyphIndexes, positions, matrices, colors, placeholders,
                         endPen);
}

int32_t GetTextGlyphList(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                         const TextLayoutState *state, const char *text, int32_t length, const float *pen,
                         uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                         uint8_t *colors, float *endPen, TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, length, endState, scratch);
    return ListRunGlyphs(run, nullptr, fonts, pen, fontIndexes, glyphIndexes, positions, matrices, colors, nullptr,
                         endPen);
}

int32_t GetTextGlyphListFloat(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                              const TextLayoutState *state, const char *text, int32_t length, const float *pen,
                              uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                              ColorRGBA *colors, float *endPen, TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, length, endState, scratch);
    return ListRunGlyphs(run, nullptr, fonts, pen, fontIndexes, glyphIndexes, positions, matrices, colors, nullptr,
                         endPen);
}

int32_t GetLinesGlyphList(const TextRun *run, int32_t, const TextFont *fonts, int32_t firstLine, int32_t lineCount,
                          const TextLine *lines, const float *pen, float availableWidth, uint8_t *fontIndexes,
                          uint32_t *glyphIndexes, float *positions, Matrix2D *matrices, uint8_t *colors,
                          PlaceholderPosition **placeholders)
{
    return ListLines(run, fonts, firstLine, lineCount, lines, pen, availableWidth, fontIndexes, glyphIndexes,
                     positions, matrices, colors, placeholders);
}

int32_t GetLinesGlyphListFloat(const TextRun *run, int32_t, const TextFont *fonts, int32_t firstLine,
                               int32_t lineCount, const TextLine *lines, const float *pen, float availableWidth,
                               uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                               ColorRGBA *colors, PlaceholderPosition **placeholders)
{
    return ListLines(run, fonts, firstLine, lineCount, lines, pen, availableWidth, fontIndexes, glyphIndexes,
                     positions, matrices, colors, placeholders);
}

int32_t GetTextLinesGlyphList(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                              const TextLayoutState *state, const char *text, int32_t firstLine, int32_t lineCount,
                              const TextLine *lines, const float *pen, float availableWidth, uint8_t *fontIndexes,
                              uint32_t *glyphIndexes, float *positions, Matrix2D *matrices, uint8_t *colors,
                              TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, -1, endState, scratch);
    return ListLines(run, fonts, firstLine, lineCount, lines, pen, availableWidth, fontIndexes, glyphIndexes,
                     positions, matrices, colors, nullptr);
}

int32_t GetTextLinesGlyphListFloat(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                                   const TextLayoutState *state, const char *text, int32_t firstLine,
                                   int32_t lineCount, const TextLine *lines, const float *pen, float availableWidth,
                                   uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                                   Matrix2D *matrices, ColorRGBA *colors, TextLayoutState *endState,
                                   TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, -1, endState, scratch);
    return ListLines(run, fonts, firstLine, lineCount, lines, pen, availableWidth, fontIndexes, glyphIndexes,
                     positions, matrices, colors, nullptr);
}

}  // namespace oq
