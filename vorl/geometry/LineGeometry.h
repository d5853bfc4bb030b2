#pragma once

#include <cstdint>

#include "base/Box2D.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/TextMeasure.h"

namespace oq {

// Flags of the truncated builders.
enum : uint32_t
{
    kTruncateAlign = 0x1,           // align the line with AlignTextLine
    kTruncateFirstLine = 0x2,       // the line is a first line (indent)
    kTruncateAlwaysSuffix = 0x4     // cut and append the suffix even when the text fits
};

// The x offset from the block's left edge of the pen at which a line of the given width is built
// in the available width (for right-to-left runs the line's right end).
float AlignTextLine(const TextLayoutState *state, float lineWidth, float availableWidth, bool firstLine);

// The baseline step after a line: the leading (and paragraph spacing after a paragraph end) of the
// state at the line's end. A line without glyphs uses the state of its first glyph.
float GetTextLineStep(const TextRun *run, const TextLine &line);

// Per-font sums of CountRunGeometry over lines first .. first + count - 1; returns the drawable
// glyphs. Alignment plays no part.
int32_t CountLinesGeometry(const TextRun *run, int32_t fontCount, const TextFont *fonts, int32_t firstLine,
                           int32_t lineCount, const TextLine *lines, int32_t *vertexCounts, int32_t *triangleCounts,
                           int32_t *placeholderCount);

// Builds the lines one below the other from the pen (block's left x, first baseline y), each
// aligned in the available width.
void BuildLinesGeometry(const TextRun *run, int32_t fontCount, const TextFont *fonts, int32_t firstLine,
                        int32_t lineCount, const TextLine *lines, const float *pen, float availableWidth,
                        GeometryBuffer *buffers, PlaceholderPosition **placeholders, Box2D *bounds);

// Builds the range as one line of the available width; when it does not fit (or always, with
// kTruncateAlwaysSuffix) it is cut after the last glyph that fits beside the suffix run, trailing
// break characters are dropped and the suffix is appended. True when the range was built whole.
bool BuildTruncatedRunGeometry(const TextRun *run, const TextRun *suffix, const GlyphRange *range, int32_t fontCount,
                               const TextFont *fonts, uint32_t flags, const float *pen, float availableWidth,
                               int32_t breakCount, const uint32_t *breaks, GeometryBuffer *buffers,
                               PlaceholderPosition **placeholders, Box2D *bounds, float *linePosition, float *endPen);

// BuildLinesGeometry whose last line always ends with the suffix run.
void BuildTruncatedLinesGeometry(const TextRun *run, const TextRun *suffix, int32_t fontCount, const TextFont *fonts,
                                 int32_t firstLine, int32_t lineCount, const TextLine *lines, const float *pen,
                                 float availableWidth, int32_t breakCount, const uint32_t *breaks,
                                 GeometryBuffer *buffers, PlaceholderPosition **placeholders, Box2D *bounds,
                                 float *lastLineWidth);

// Counts that bound the truncated builders: the range (or the lines) with a soft hyphen counted
// wherever a cut may end, plus the whole suffix run.
int32_t CountTruncatedRunGeometry(const TextRun *run, const TextRun *suffix, const GlyphRange *range,
                                  int32_t fontCount, const TextFont *fonts, int32_t *vertexCounts,
                                  int32_t *triangleCounts, int32_t *placeholderCount);
int32_t CountTruncatedLinesGeometry(const TextRun *run, const TextRun *suffix, int32_t fontCount,
                                    const TextFont *fonts, int32_t firstLine, int32_t lineCount,
                                    const TextLine *lines, int32_t *vertexCounts, int32_t *triangleCounts,
                                    int32_t *placeholderCount);

// Text forms. The line forms lay out the whole NUL-terminated text, as the line breaker saw it.
int32_t CountTextLinesGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                               const TextLayoutState *state, const char *text, int32_t firstLine, int32_t lineCount,
                               const TextLine *lines, int32_t *vertexCounts, int32_t *triangleCounts,
                               TextLayoutState *endState, TextRun *scratch);
void BuildTextLinesGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                            const TextLayoutState *state, const char *text, int32_t firstLine, int32_t lineCount,
                            const TextLine *lines, const float *pen, float availableWidth, GeometryBuffer *buffers,
                            Box2D *bounds, TextLayoutState *endState, TextRun *scratch);

// The truncated line of a text with a suffix text (NUL-terminated), laid out in turn in one
// scratch run. It aligns with the state argument, never as a first line, and builds the suffix
// without the placeholder list.
bool BuildTruncatedTextGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                                const TextLayoutState *state, const char *text, int32_t length, const char *suffixText,
                                uint32_t flags, const float *pen, float availableWidth, int32_t breakCount,
                                const uint32_t *breaks, GeometryBuffer *buffers, PlaceholderPosition **placeholders,
                                Box2D *bounds, float *linePosition, float *endPen, TextRun *scratch);

// Its count: the text with a soft hyphen counted wherever a cut may end, plus the suffix text.
int32_t CountTruncatedTextGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                                   const TextLayoutState *state, const char *text, int32_t length,
                                   const char *suffixText, int32_t *vertexCounts, int32_t *triangleCounts,
                                   TextRun *scratch);

}  // namespace oq
