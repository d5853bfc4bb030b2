#include "base/TextUtils.h"
#include "vorl/text/FormatDirective.h"
#include "vorl/text/RunPenWalk.h"
#include "vorl/text/UnicodeTables.h"

namespace oq {

namespace {

// The offset after the characters of the last of count glyphs of the run; 0 for a count of 0.
int32_t GetOffsetAfterGlyphs(const TextRun *run, int32_t count)
{
    return count > 0 ? GetGlyphTextEnd(run, run->glyphs[count - 1]) : 0;
}

bool IsCombiningMark(uint32_t codePoint)
{
    return (GetUnicodeProperties(codePoint) & kUnicodeMark) != 0;
}

}  // namespace

float MeasureTextWidth(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                       const TextLayoutState *state, const char *text, int32_t length, int32_t hangingCount,
                       const uint32_t *hanging, float *visibleWidth, TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, length, endState, scratch);
    return MeasureRunWidth(run, nullptr, fontCount, fonts, hangingCount, hanging, visibleWidth);
}

int32_t FitTextToWidths(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                        const TextLayoutState *state, const char *text, int32_t length, float wideWidth,
                        float narrowWidth, int32_t *narrowOffset, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, length, nullptr, scratch);
    const float widths[2] = {narrowWidth, wideWidth};
    int32_t counts[2];
    FitRunToWidths(run, nullptr, fontCount, fonts, 2, widths, 0, nullptr, counts, nullptr);
    if (narrowOffset != nullptr) *narrowOffset = GetOffsetAfterGlyphs(run, counts[0]);
    return GetOffsetAfterGlyphs(run, counts[1]);
}

void FindTextLineBreak(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                       const TextLayoutState *state, const char *text, float maxWidth, int32_t breakCount,
                       const uint32_t *breaks, int32_t forcedCount, const uint32_t *forced, int32_t hangingCount,
                       const uint32_t *hanging, TextLine *line, TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, -1, endState, scratch);
    FindRunLineBreak(run, nullptr, fontCount, fonts, maxWidth, breakCount, breaks, forcedCount, forced, hangingCount,
                     hanging, line);
}

int32_t BreakTextIntoLines(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                           const TextLayoutState *state, const char *text, float maxWidth, int32_t breakCount,
                           const uint32_t *breaks, int32_t forcedCount, const uint32_t *forced,
                           int32_t hangingCount, const uint32_t *hanging, int32_t maxLines, TextLine *lines,
                           const TextLine *previous, TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, -1, endState, scratch);
    return BreakRunIntoLines(run, fontCount, fonts, maxWidth, breakCount, breaks, forcedCount, forced, hangingCount,
                             hanging, maxLines, lines, previous);
}

void GetTextCaretPositions(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                           const TextLayoutState *state, const char *text, int32_t length, int32_t requestCount,
                           const int32_t *offsets, CaretPlacement *placements, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, length, nullptr, scratch);
    GetRunCaretPositions(run, nullptr, fontCount, fonts, requestCount, offsets, placements);
}

bool HitTestText(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                 const TextLayoutState *state, const char *text, int32_t length, float x, HitTestResult *result,
                 TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, length, nullptr, scratch);
    return HitTestRun(run, nullptr, fontCount, fonts, x, result);
}

int32_t GetNextClusterLength(const char *text, int32_t length)
{
    int32_t total = 0;
    while (total < length)
    {
        uint32_t codePoint = 0;
        int32_t size = DecodeUtf8Bounded(text + total, length - total, &codePoint);
        if (codePoint == 0 || (total > 0 && !IsCombiningMark(codePoint))) break;
        total += size;
    }
    return total;
}

int32_t GetPreviousClusterLength(const char *position, int32_t available)
{
    int32_t total = 0;
    while (total < available)
    {
        int32_t size = GetPreviousUtf8CharSize(position - total, available - total);
        if (size <= 0) break;
        uint32_t codePoint = 0;
        DecodeUtf8Bounded(position - total - size, size, &codePoint);
        total += size;
        if (!IsCombiningMark(codePoint)) break;
    }
    return total;
}

}  // namespace oq
