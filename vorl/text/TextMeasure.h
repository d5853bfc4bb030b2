#pragma once

#include <cstdint>

#include "vorl/text/GlyphMapping.h"

namespace oq {

// One line of broken text; it begins with the fields of a GlyphRange, so it can be passed as one.
struct TextLine
{
    int32_t firstGlyph;
    int32_t lastGlyph;          // last visible glyph (trailing hanging characters excluded)
    float justificationSpace;   // extra advance after each justification character
    int32_t glyphCount;         // glyphs consumed, trailing hanging and break characters included
    uint32_t flags;             // kTextLineEndsParagraph
    float width;                // visible width (the maximum width when justified)
    int32_t visibleEnd;         // text offset after the last visible glyph's characters
    int32_t nextStart;          // text offset where the next line's text begins
};

constexpr uint32_t kTextLineEndsParagraph = 0x1;

// Bits of a forced-break list entry above the code point.
constexpr uint32_t kForcedBreakKeepsParagraph = 1u << 24;
constexpr uint32_t kForcedBreakPairs = 1u << 25;

// Where the caret stands for one text offset.
struct CaretPlacement
{
    float x;                    // the glyph's leading edge plus its x offset
    float y;                    // the negated y offset of the pen (baseline shift)
    float otherEdge;            // at the first glyph of a direction segment: previous segment end - x
    int32_t glyphIndex;
    uint32_t component;         // the character's index inside a ligature with caret positions
    float componentOffset;      // the ligature caret offset included in x
};

// The character under a horizontal position.
struct HitTestResult
{
    bool trailing;              // the caret goes after the character
    bool rightToLeft;
    bool insideLigature;
    float distance;             // from the glyph's leading edge to the tested x
    float advance;              // the glyph's advance width
    float caretX;
    int32_t textOffset;
    int32_t glyphIndex;
};

static_assert(sizeof(TextLine) == 32, "TextLine layout");
static_assert(sizeof(CaretPlacement) == 24, "CaretPlacement layout");
static_assert(sizeof(HitTestResult) == 24, "HitTestResult layout");

// Character lists (hanging, break, forced, justification) are uint32 arrays sorted ascending by
// their low 24 bits, which are compared with code points; a search stops at a larger entry.
// Whether the code point is listed; entry receives the whole entry when one is given.
bool FindListedCharacter(int32_t count, const uint32_t *list, uint32_t codePoint, uint32_t *entry = nullptr);

// Run forms. A null range is the whole run; the font count is not read.

// The largest extent reached (trailing tracking excluded); visibleWidth receives the largest extent
// up to the last glyph not in the hanging list.
float MeasureRunWidth(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                      int32_t hangingCount, const uint32_t *hanging, float *visibleWidth);

// For each of the ascending widths, the longest prefix of glyphs that fits and its width.
void FitRunToWidths(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                    int32_t widthCount, const float *widths, int32_t hangingCount, const uint32_t *hanging,
                    int32_t *counts, float *usedWidths);

// One line from the range's first glyph. A line always takes at least its first cluster.
void FindRunLineBreak(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                      float maxWidth, int32_t breakCount, const uint32_t *breaks, int32_t forcedCount,
                      const uint32_t *forced, int32_t hangingCount, const uint32_t *hanging, TextLine *line);

// Lines from glyph 0, or after the previous line when one is given; returns the lines written.
int32_t BreakRunIntoLines(const TextRun *run, int32_t fontCount, const TextFont *fonts, float maxWidth,
                          int32_t breakCount, const uint32_t *breaks, int32_t forcedCount, const uint32_t *forced,
                          int32_t hangingCount, const uint32_t *hanging, int32_t maxLines, TextLine *lines,
                          const TextLine *previous);

// Caret placements for ascending text offsets.
void GetRunCaretPositions(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                          int32_t requestCount, const int32_t *offsets, CaretPlacement *placements);

// The character under x; false when x lies before the start or beyond the range.
bool HitTestRun(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts, float x,
                HitTestResult *result);

// The width of each direction segment of the range, stored at the run's segment index (the
// widths array holds one float per segment of the run).
void MeasureRunSegments(const TextRun *run, const GlyphRange *range, const TextFont *fonts, float *widths);

// Text forms: lay the text out into the scratch run (the shared run when null), map it with the
// fallback map (the default map when null), then run the query over the whole run.

float MeasureTextWidth(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                       const TextLayoutState *state, const char *text, int32_t length, int32_t hangingCount,
                       const uint32_t *hanging, float *visibleWidth, TextLayoutState *endState, TextRun *scratch);

// The text offset after the last glyph that fits the wide width; narrowOffset receives the one for
// the narrow width (narrow <= wide).
int32_t FitTextToWidths(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                        const TextLayoutState *state, const char *text, int32_t length, float wideWidth,
                        float narrowWidth, int32_t *narrowOffset, TextRun *scratch);

// These two lay the text out up to its NUL.
void FindTextLineBreak(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                       const TextLayoutState *state, const char *text, float maxWidth, int32_t breakCount,
                       const uint32_t *breaks, int32_t forcedCount, const uint32_t *forced, int32_t hangingCount,
                       const uint32_t *hanging, TextLine *line, TextLayoutState *endState, TextRun *scratch);

int32_t BreakTextIntoLines(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                           const TextLayoutState *state, const char *text, float maxWidth, int32_t breakCount,
                           const uint32_t *breaks, int32_t forcedCount, const uint32_t *forced,
                           int32_t hangingCount, const uint32_t *hanging, int32_t maxLines, TextLine *lines,
                           const TextLine *previous, TextLayoutState *endState, TextRun *scratch);

void GetTextCaretPositions(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                           const TextLayoutState *state, const char *text, int32_t length, int32_t requestCount,
                           const int32_t *offsets, CaretPlacement *placements, TextRun *scratch);

bool HitTestText(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                 const TextLayoutState *state, const char *text, int32_t length, float x, HitTestResult *result,
                 TextRun *scratch);

// Byte length of the character at the text plus the combining marks after it, within length.
int32_t GetNextClusterLength(const char *text, int32_t length);

// Byte length of the cluster that ends at position: back to and including the nearest character
// that is not a combining mark, within the bytes available before it; 0 when none are.
int32_t GetPreviousClusterLength(const char *position, int32_t available);

}  // namespace oq
