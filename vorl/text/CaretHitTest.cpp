#include <cmath>

#include "vorl/text/RunPenWalk.h"

namespace oq {

namespace {

// Segment widths for placing the right-to-left segments of a bidirectional run; null otherwise.
const float *MeasureSegmentsForPlacing(const TextRun *run, const GlyphRange *range, const TextFont *fonts,
                                       float *widths)
{
    if ((run->states[0].optionFlags & kTextOptionBidirectional) == 0) return nullptr;
    for (int32_t i = 0; i < kTextRunMaxSegments; i++) widths[i] = 0.0F;
    MeasureRunSegments(run, range, fonts, widths);
    return widths;
}

// Characters a glyph stands for: a decomposition's leading components stand for their character.
int32_t GetGlyphSpan(const TextRunGlyph &glyph)
{
    return glyph.characterSpan > 0 ? glyph.characterSpan : 1;
}

uint32_t GetCaretCount(const RunPenWalk &walk)
{
    return walk.record != nullptr ? ListCountA(walk.record->caretWord) : 0;
}

float GetCaretValue(const RunPenWalk &walk, uint32_t k)
{
    return walk.font->GetCaretList()[ListIndexA(walk.record->caretWord) + k - 1];
}

}  // namespace

void GetRunCaretPositions(const TextRun *run, const GlyphRange *range, int32_t, const TextFont *fonts,
                          int32_t requestCount, const int32_t *offsets, CaretPlacement *placements)
{
    for (int32_t i = 0; i < requestCount; i++) placements[i] = CaretPlacement{};
    float widths[kTextRunMaxSegments];
    RunPenWalk walk(run, range, fonts, true, MeasureSegmentsForPlacing(run, range, fonts, widths));
    int32_t next = 0;
    while (next < requestCount && walk.Next())
    {
        // Unmeasured control characters give their offsets to the next glyph.
        if (walk.kind == kRunStepControl) continue;
        float x = walk.leading + (walk.kind == kRunStepTab ? 0.0F : walk.pen.xOffset);
        bool segmentStart = (GlyphFlagsOf(walk.glyph->glyphWord) & kRunFlagNewSegment) != 0;
        uint32_t caretCount = GetCaretCount(walk);
        int32_t span = GetGlyphSpan(*walk.glyph);
        for (int32_t c = 0; c < span && next < requestCount; c++)
        {
            const TextRunCharacter &character = run->characters[walk.glyph->characterIndex + c];
            int32_t characterEnd = character.textOffset + character.byteLength;
            while (next < requestCount && offsets[next] < characterEnd)
            {
                CaretPlacement &placement = placements[next++];
                placement.x = x;
                if (c >= 1 && caretCount >= uint32_t(c))
                {
                    placement.componentOffset = walk.pen.signedXScale * GetCaretValue(walk, uint32_t(c));
                    placement.x += placement.componentOffset;
                    placement.component = uint32_t(c);
                }
                placement.y = -walk.pen.yOffset;
                placement.otherEdge = segmentStart ? walk.previousSegmentEnd - placement.x : 0.0F;
                placement.glyphIndex = walk.glyphIndex;
            }
        }
    }
    while (walk.Next())
    {
    }
    for (; next < requestCount; next++)
    {
        CaretPlacement &placement = placements[next];
        placement.x = walk.pen.x;
        placement.y = -walk.pen.yOffset;
        placement.glyphIndex = walk.GetEndIndex();
    }
}

bool HitTestRun(const TextRun *run, const GlyphRange *range, int32_t, const TextFont *fonts, float x,
                HitTestResult *result)
{
    *result = HitTestResult{};
    float baseSign = (run->states[0].optionFlags & kTextOptionRightToLeft) ? -1.0F : 1.0F;
    result->rightToLeft = baseSign < 0.0F;
    if (baseSign * x < 0.0F) return false;

    float widths[kTextRunMaxSegments];
    RunPenWalk walk(run, range, fonts, true, MeasureSegmentsForPlacing(run, range, fonts, widths));
    bool pending = false;   // x over placeholders, marks and controls goes to the next glyph
    float pendingStart = 0.0F;
    while (walk.Next())
    {
        if (walk.newStretch) pending = false;
        float offset = walk.kind == kRunStepTab ? 0.0F : walk.pen.xOffset;
        float leading = walk.leading + offset;
        if (walk.kind == kRunStepPlaceholder || walk.kind == kRunStepMark || walk.kind == kRunStepControl)
        {
            if (!pending) pendingStart = leading;
            pending = true;
            continue;
        }
        float start = pending ? pendingStart : leading;
        pending = false;
        float end = walk.pen.x + offset;
        float direction = walk.pen.direction;
        bool hit = direction > 0.0F ? (start <= x && x < end) : (end < x && x <= start);
        if (!hit) continue;

        const TextRunGlyph &glyph = *walk.glyph;
        result->rightToLeft = direction < 0.0F;
        result->glyphIndex = walk.glyphIndex;
        result->distance = std::fabs(x - leading);
        if (walk.kind == kRunStepTab)
        {
            result->advance = walk.advance;
            result->caretX = leading;
            result->textOffset = walk.character->textOffset;
            return true;
        }
        result->advance = walk.pen.xScale * walk.record->advance;

        // Cells between the caret positions; the last one ends at the glyph's end.
        int32_t span = GetGlyphSpan(glyph);
        uint32_t caretCount = GetCaretCount(walk);
        int32_t cells = int32_t(caretCount < uint32_t(span - 1) ? caretCount : uint32_t(span - 1)) + 1;
        auto edge = [&](int32_t i) {
            if (i == 0) return leading;
            if (i == cells) return end;
            return leading + walk.pen.signedXScale * GetCaretValue(walk, uint32_t(i));
        };
        int32_t cell = 0;
        while (cell + 1 < cells && (x - edge(cell + 1)) * direction >= 0.0F) cell++;
        float cellStart = edge(cell);
        float cellEnd = edge(cell + 1);
        bool trailing = std::fabs(cellEnd - x) <= std::fabs(x - cellStart);
        const TextRunCharacter &character = run->characters[glyph.characterIndex + cell];
        result->trailing = trailing;
        if (trailing)
        {
            result->caretX = cellEnd;
            result->textOffset = cell + 1 == cells ? GetGlyphTextEnd(run, glyph)
                                                   : character.textOffset + character.byteLength;
        }
        else
        {
            result->caretX = cellStart;
            result->textOffset = character.textOffset;
        }
        result->insideLigature = caretCount > 0 && (cell != 0 || trailing);
        return true;
    }
    result->caretX = walk.pen.x;
    result->textOffset = walk.GetEndOffset();
    result->glyphIndex = walk.GetEndIndex();
    return false;
}

}  // namespace oq
