#include "vorl/text/RunPenWalk.h"

namespace oq {

namespace {

// Placeholders never hang, whatever their code point.
bool IsHanging(const RunPenWalk &walk, int32_t hangingCount, const uint32_t *hanging)
{
    return walk.kind != kRunStepPlaceholder && FindListedCharacter(hangingCount, hanging, walk.character->codePoint);
}

}  // namespace

float MeasureRunWidth(const TextRun *run, const GlyphRange *range, int32_t, const TextFont *fonts,
                      int32_t hangingCount, const uint32_t *hanging, float *visibleWidth)
{
    RunPenWalk walk(run, range, fonts, false, nullptr);
    float width = 0.0F;
    float visible = 0.0F;
    while (walk.Next())
    {
        if (walk.kind != kRunStepControl && walk.kind != kRunStepMark && walk.extent > width) width = walk.extent;
        if (!IsHanging(walk, hangingCount, hanging)) visible = width;
    }
    if (visibleWidth != nullptr) *visibleWidth = visible;
    return width;
}

void FitRunToWidths(const TextRun *run, const GlyphRange *range, int32_t, const TextFont *fonts,
                    int32_t widthCount, const float *widths, int32_t hangingCount, const uint32_t *hanging,
                    int32_t *counts, float *usedWidths)
{
    for (int32_t w = 0; w < widthCount; w++)
    {
        counts[w] = 0;
        if (usedWidths != nullptr) usedWidths[w] = 0.0F;
    }
    if (widthCount <= 0) return;
    float largest = widths[widthCount - 1];
    RunPenWalk walk(run, range, fonts, false, nullptr);
    float reached = 0.0F;
    while (walk.Next())
    {
        if (IsHanging(walk, hangingCount, hanging)) continue;
        if (walk.kind != kRunStepControl && walk.kind != kRunStepMark && walk.extent > reached)
            reached = walk.extent;
        if (reached > largest) break;
        int32_t count = walk.glyphIndex - walk.first + 1;
        for (int32_t w = widthCount - 1; w >= 0 && widths[w] >= reached; w--)
        {
            counts[w] = count;
            if (usedWidths != nullptr) usedWidths[w] = reached;
        }
    }
}

void MeasureRunSegments(const TextRun *run, const GlyphRange *range, const TextFont *fonts, float *widths)
{
    RunPenWalk walk(run, range, fonts, false, nullptr);
    int32_t segment = -1;
    float segmentStart = 0.0F;
    float penAfter = 0.0F;        // the pen after the last glyph of the segment
    float trackingAfter = 0.0F;
    auto close = [&]() {
        if (segment < 0) return;
        float end = penAfter;
        // A right-to-left segment ends without its last tracking; the next segment starts with it.
        if (run->segmentDirections[segment] < 0.0F) end -= trackingAfter;
        widths[segment] = end - segmentStart;
        segmentStart = end;
    };
    while (walk.Next())
    {
        if (walk.glyph->segmentIndex != segment)
        {
            close();
            segment = walk.glyph->segmentIndex;
        }
        penAfter = walk.pen.x;
        trackingAfter = walk.pen.trailingTracking;
    }
    close();
}

}  // namespace oq
