#include "vorl/geometry/LineGeometry.h"

#include "vorl/geometry/RunWalk.h"

namespace oq {

namespace {

void SetTextBoundsEmpty(Box2D *box)
{
    box->min.Set(FloatMaxFinite, FloatMaxFinite);
    box->max.Set(-FloatMaxFinite, -FloatMaxFinite);
}

const TextLayoutState *GetGlyphState(const TextRun *run, int32_t glyph)
{
    return &run->states[run->glyphs[glyph].stateIndex];
}

// The last glyph at or before k (and not before first) whose character is not a break character.
int32_t StepBackOverBreaks(const TextRun *run, int32_t first, int32_t k, int32_t breakCount, const uint32_t *breaks)
{
    if (breakCount <= 0) return k;
    while (k >= first &&
           FindListedCharacter(breakCount, breaks, run->characters[run->glyphs[k].characterIndex].codePoint))
        --k;
    return k;
}

// Where a truncated line stands and how much of its range it builds.
struct TruncationPlan
{
    bool whole;         // the range fits: build it without the suffix
    float x;            // the line's pen x
    int32_t first;
    int32_t last;       // the last glyph built in front of the suffix (below first: none)
};

TruncationPlan PlanTruncation(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                              const TextLayoutState *alignState, uint32_t flags, float penX, float width,
                              float suffixWidth, int32_t breakCount, const uint32_t *breaks)
{
    GlyphRange walk = range != nullptr ? *range : kWholeRunRange;
    const float widths[2] = {width - suffixWidth, width};
    int32_t counts[2];
    float used[2];
    FitRunToWidths(run, range, fontCount, fonts, 2, widths, breakCount, breaks, counts, used);
    bool align = (flags & kTruncateAlign) != 0;
    bool firstLine = (flags & kTruncateFirstLine) != 0;
    TruncationPlan plan;
    plan.first = walk.firstGlyph;
    int32_t k = walk.lastGlyph < run->glyphCount - 1 ? walk.lastGlyph : run->glyphCount - 1;
    k = StepBackOverBreaks(run, walk.firstGlyph, k, breakCount, breaks);
    plan.whole = counts[1] == k - walk.firstGlyph + 1 && (flags & kTruncateAlwaysSuffix) == 0;
    if (plan.whole)
    {
        plan.x = align ? penX + AlignTextLine(alignState, used[1], width, firstLine) : penX;
        plan.last = walk.lastGlyph;
    }
    else
    {
        plan.x = align ? penX + AlignTextLine(alignState, used[0] + suffixWidth, width, firstLine) : penX;
        plan.last = StepBackOverBreaks(run, walk.firstGlyph, walk.firstGlyph + counts[0] - 1, breakCount, breaks);
    }
    return plan;
}

// Builds what the plan says at the pen's baseline: the whole range, or the range up to the cut
// (when anything of it fits) followed by the suffix run that getSuffix gives (asked for only when
// the range is cut); the suffix gets suffixPlaceholders when it stands alone, never after text.
template <typename GetSuffix>
bool BuildTruncation(const TextRun *run, const GlyphRange *range, const TruncationPlan &plan, GetSuffix getSuffix,
                     PlaceholderPosition **suffixPlaceholders, int32_t fontCount, const TextFont *fonts,
                     const float *pen, GeometryBuffer *buffers, PlaceholderPosition **placeholders, Box2D *bounds,
                     float *linePosition, float *endPen)
{
    const float start[2] = {plan.x, pen[1]};
    if (linePosition != nullptr)
    {
        linePosition[0] = start[0];
        linePosition[1] = start[1];
    }
    if (plan.whole)
    {
        BuildRunGeometry(run, range, fontCount, fonts, start, buffers, placeholders, bounds, endPen);
        return true;
    }
    Box2D textBox;
    SetTextBoundsEmpty(&textBox);
    float suffixStart[2] = {start[0], start[1]};
    PlaceholderPosition **suffixList = suffixPlaceholders;
    if (plan.last >= plan.first)
    {
        GlyphRange cut = {plan.first, plan.last, 0.0F};
        BuildRunGeometry(run, &cut, fontCount, fonts, start, buffers, placeholders, &textBox, suffixStart);
        suffixList = nullptr;
    }
    Box2D suffixBox;
    BuildRunGeometry(getSuffix(), nullptr, fontCount, fonts, suffixStart, buffers, suffixList, &suffixBox, endPen);
    if (bounds != nullptr) *bounds = UnionBox2D(textBox, suffixBox);
    return false;
}

}  // namespace

float GetTextLineStep(const TextRun *run, const TextLine &line)
{
    int32_t last = line.glyphCount > 0 ? line.firstGlyph + line.glyphCount - 1 : line.firstGlyph;
    const TextLayoutState *state = GetGlyphState(run, last);
    bool paragraphEnd = (line.flags & kTextLineEndsParagraph) != 0;
    float spacing = paragraphEnd && (state->optionFlags & kTextOptionParagraph) != 0 ? state->paragraphSpacing : 0.0F;
    return (state->leading + spacing) * state->size;
}

namespace {

// The lines of a block, each built by the given function at its pen; the last line may differ.
template <typename BuildLine>
void BuildBlock(const TextRun *run, int32_t firstLine, int32_t lineCount, const TextLine *lines, const float *pen,
                Box2D *bounds, BuildLine buildLine)
{
    Box2D box;
    SetTextBoundsEmpty(&box);
    float y = pen[1];
    bool first = firstLine == 0 || (lines[firstLine - 1].flags & kTextLineEndsParagraph) != 0;
    for (int32_t n = 0; n < lineCount; ++n)
    {
        const TextLine &line = lines[firstLine + n];
        Box2D lineBox;
        buildLine(n, line, first, y, &lineBox);
        box.Union(lineBox);
        first = (line.flags & kTextLineEndsParagraph) != 0;
        y += GetTextLineStep(run, line);
    }
    if (bounds != nullptr) *bounds = box;
}

const GlyphRange *AsRange(const TextLine &line) { return reinterpret_cast<const GlyphRange *>(&line); }

static_assert(offsetof(TextLine, firstGlyph) == offsetof(GlyphRange, firstGlyph) &&
              offsetof(TextLine, lastGlyph) == offsetof(GlyphRange, lastGlyph) &&
              offsetof(TextLine, justificationSpace) == offsetof(GlyphRange, justificationSpace));

}  // namespace

float AlignTextLine(const TextLayoutState *state, float lineWidth, float availableWidth, bool firstLine)
{
    bool paragraph = (state->optionFlags & kTextOptionParagraph) != 0;
    float left = paragraph ? state->leftMargin : 0.0F;
    float right = paragraph ? state->rightMargin : 0.0F;
    float w = lineWidth;
    float W = availableWidth;
    if ((state->optionFlags & kTextOptionRightToLeft) == 0)
    {
        if (state->alignment == 'LEFT') return left + (paragraph && firstLine ? state->indent : 0.0F);
        if (state->alignment == 'RGHT') return W - w - right;
        return (W - w + left - right) * 0.5F;
    }
    if (state->alignment == 'RGHT') return W - right - (paragraph && firstLine ? state->indent : 0.0F);
    if (state->alignment == 'LEFT') return w + left;
    return W - (W - w + right - left) * 0.5F;
}

int32_t CountLinesGeometry(const TextRun *run, int32_t fontCount, const TextFont *fonts, int32_t firstLine,
                           int32_t lineCount, const TextLine *lines, int32_t *vertexCounts, int32_t *triangleCounts,
                           int32_t *placeholderCount)
{
    for (int32_t f = 0; f < fontCount; ++f)
    {
        vertexCounts[f] = 0;
        triangleCounts[f] = 0;
    }
    int32_t placeholders = 0;
    int32_t drawable = 0;
    for (int32_t n = 0; n < lineCount; ++n)
        drawable += AddRunGeometryCounts(run, AsRange(lines[firstLine + n]), fonts, false, vertexCounts,
                                         triangleCounts, &placeholders);
    if (placeholderCount != nullptr) *placeholderCount = placeholders;
    return drawable;
}

void BuildLinesGeometry(const TextRun *run, int32_t fontCount, const TextFont *fonts, int32_t firstLine,
                        int32_t lineCount, const TextLine *lines, const float *pen, float availableWidth,
                        GeometryBuffer *buffers, PlaceholderPosition **placeholders, Box2D *bounds)
{
    BuildBlock(run, firstLine, lineCount, lines, pen, bounds,
               [&](int32_t, const TextLine &line, bool first, float y, Box2D *lineBox) {
                   const TextLayoutState *state = GetGlyphState(run, line.firstGlyph);
                   const float linePen[2] = {pen[0] + AlignTextLine(state, line.width, availableWidth, first), y};
                   BuildRunGeometry(run, AsRange(line), fontCount, fonts, linePen, buffers, placeholders, lineBox,
                                    nullptr);
               });
}

bool BuildTruncatedRunGeometry(const TextRun *run, const TextRun *suffix, const GlyphRange *range, int32_t fontCount,
                               const TextFont *fonts, uint32_t flags, const float *pen, float availableWidth,
                               int32_t breakCount, const uint32_t *breaks, GeometryBuffer *buffers,
                               PlaceholderPosition **placeholders, Box2D *bounds, float *linePosition, float *endPen)
{
    const TextLayoutState *state = GetGlyphState(run, range != nullptr ? range->firstGlyph : 0);
    float width = availableWidth;
    if ((flags & (kTruncateAlign | kTruncateFirstLine)) == (kTruncateAlign | kTruncateFirstLine)) width -= state->indent;
    float suffixWidth = MeasureRunWidth(suffix, nullptr, fontCount, fonts, 0, nullptr, nullptr);
    TruncationPlan plan =
        PlanTruncation(run, range, fontCount, fonts, state, flags, pen[0], width, suffixWidth, breakCount, breaks);
    return BuildTruncation(run, range, plan, [suffix]() { return suffix; }, placeholders, fontCount, fonts, pen,
                           buffers, placeholders, bounds, linePosition, endPen);
}

void BuildTruncatedLinesGeometry(const TextRun *run, const TextRun *suffix, int32_t fontCount, const TextFont *fonts,
                                 int32_t firstLine, int32_t lineCount, const TextLine *lines, const float *pen,
                                 float availableWidth, int32_t breakCount, const uint32_t *breaks,
                                 GeometryBuffer *buffers, PlaceholderPosition **placeholders, Box2D *bounds,
                                 float *lastLineWidth)
{
    float lastWidth = 0.0F;
    BuildBlock(run, firstLine, lineCount, lines, pen, bounds,
               [&](int32_t n, const TextLine &line, bool first, float y, Box2D *lineBox) {
                   if (n < lineCount - 1)
                   {
                       const TextLayoutState *state = GetGlyphState(run, line.firstGlyph);
                       const float linePen[2] = {pen[0] + AlignTextLine(state, line.width, availableWidth, first), y};
                       BuildRunGeometry(run, AsRange(line), fontCount, fonts, linePen, buffers, placeholders, lineBox,
                                        nullptr);
                       return;
                   }
                   const float linePen[2] = {pen[0], y};
                   uint32_t flags = kTruncateAlign | kTruncateAlwaysSuffix | (first ? uint32_t(kTruncateFirstLine) : 0u);
                   float position[2];
                   float end[2];
                   BuildTruncatedRunGeometry(run, suffix, AsRange(line), fontCount, fonts, flags, linePen,
                                             availableWidth, breakCount, breaks, buffers, placeholders, lineBox,
                                             position, end);
                   lastWidth = end[0] - position[0];
               });
    if (lastLineWidth != nullptr) *lastLineWidth = lastWidth;
}

int32_t CountTruncatedRunGeometry(const TextRun *run, const TextRun *suffix, const GlyphRange *range,
                                  int32_t fontCount, const TextFont *fonts, int32_t *vertexCounts,
                                  int32_t *triangleCounts, int32_t *placeholderCount)
{
    for (int32_t f = 0; f < fontCount; ++f)
    {
        vertexCounts[f] = 0;
        triangleCounts[f] = 0;
    }
    int32_t placeholders = 0;
    int32_t drawable = AddRunGeometryCounts(run, range, fonts, true, vertexCounts, triangleCounts, &placeholders);
    drawable += AddRunGeometryCounts(suffix, nullptr, fonts, false, vertexCounts, triangleCounts, &placeholders);
    if (placeholderCount != nullptr) *placeholderCount = placeholders;
    return drawable;
}

int32_t CountTruncatedLinesGeometry(const TextRun *run, const TextRun *suffix, int32_t fontCount,
                                    const TextFont *fonts, int32_t firstLine, int32_t lineCount,
                                    const TextLine *lines, int32_t *vertexCounts, int32_t *triangleCounts,
                                    int32_t *placeholderCount)
{
    int32_t placeholders = 0;
    int32_t drawable = CountLinesGeometry(run, fontCount, fonts, firstLine, lineCount - 1, lines, vertexCounts,
                                          triangleCounts, &placeholders);
    if (lineCount > 0)
    {
        int32_t lastPlaceholders = 0;
        drawable += AddRunGeometryCounts(run, AsRange(lines[firstLine + lineCount - 1]), fonts, true, vertexCounts,
                                         triangleCounts, &lastPlaceholders);
        drawable += AddRunGeometryCounts(suffix, nullptr, fonts, false, vertexCounts, triangleCounts,
                                         &lastPlaceholders);
        placeholders += lastPlaceholders;
    }
    if (placeholderCount != nullptr) *placeholderCount = placeholders;
    return drawable;
}

int32_t CountTextLinesGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                               const TextLayoutState *state, const char *text, int32_t firstLine, int32_t lineCount,
                               const TextLine *lines, int32_t *vertexCounts, int32_t *triangleCounts,
                               TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, -1, endState, scratch);
    return CountLinesGeometry(run, fontCount, fonts, firstLine, lineCount, lines, vertexCounts, triangleCounts, nullptr);
}

void BuildTextLinesGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                            const TextLayoutState *state, const char *text, int32_t firstLine, int32_t lineCount,
                            const TextLine *lines, const float *pen, float availableWidth, GeometryBuffer *buffers,
                            Box2D *bounds, TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, -1, endState, scratch);
    BuildLinesGeometry(run, fontCount, fonts, firstLine, lineCount, lines, pen, availableWidth, buffers, nullptr,
                       bounds);
}

bool BuildTruncatedTextGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                                const TextLayoutState *state, const char *text, int32_t length, const char *suffixText,
                                uint32_t flags, const float *pen, float availableWidth, int32_t breakCount,
                                const uint32_t *breaks, GeometryBuffer *buffers, PlaceholderPosition **placeholders,
                                Box2D *bounds, float *linePosition, float *endPen, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, suffixText, -1, nullptr, scratch);
    float suffixWidth = MeasureRunWidth(run, nullptr, fontCount, fonts, 0, nullptr, nullptr);
    run = LayoutText(fontCount, fonts, fallback, state, text, length, nullptr, scratch);
    TruncationPlan plan = PlanTruncation(run, nullptr, fontCount, fonts, state, flags & ~kTruncateFirstLine, pen[0],
                                         availableWidth, suffixWidth, breakCount, breaks);
    auto layOutSuffix = [&]() { return LayoutText(fontCount, fonts, fallback, state, suffixText, -1, nullptr, scratch); };
    return BuildTruncation(run, nullptr, plan, layOutSuffix, nullptr, fontCount, fonts, pen, buffers, placeholders,
                           bounds, linePosition, endPen);
}

int32_t CountTruncatedTextGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                                   const TextLayoutState *state, const char *text, int32_t length,
                                   const char *suffixText, int32_t *vertexCounts, int32_t *triangleCounts,
                                   TextRun *scratch)
{
    for (int32_t f = 0; f < fontCount; ++f)
    {
        vertexCounts[f] = 0;
        triangleCounts[f] = 0;
    }
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, suffixText, -1, nullptr, scratch);
    int32_t drawable = AddRunGeometryCounts(run, nullptr, fonts, false, vertexCounts, triangleCounts, nullptr);
    run = LayoutText(fontCount, fonts, fallback, state, text, length, nullptr, scratch);
    return drawable + AddRunGeometryCounts(run, nullptr, fonts, true, vertexCounts, triangleCounts, nullptr);
}

}  // namespace oq
