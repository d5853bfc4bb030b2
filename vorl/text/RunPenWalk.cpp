#include "vorl/text/RunPenWalk.h"

#include <cmath>

#include "vorl/text/UnicodeTables.h"

namespace oq {

bool FindListedCharacter(int32_t count, const uint32_t *list, uint32_t codePoint, uint32_t *entry)
{
    for (int32_t i = 0; i < count; i++)
    {
        uint32_t key = list[i] & 0xFFFFFF;
        if (key < codePoint) continue;
        if (key != codePoint) return false;
        if (entry != nullptr) *entry = list[i];
        return true;
    }
    return false;
}

int32_t GetGlyphTextEnd(const TextRun *run, const TextRunGlyph &glyph)
{
    int32_t span = glyph.characterSpan > 0 ? glyph.characterSpan : 1;
    int32_t last = glyph.characterIndex + span - 1;
    if (last >= run->characterCount) return run->characters[run->characterCount].textOffset;
    const TextRunCharacter &character = run->characters[last];
    return character.textOffset + character.byteLength;
}

RunPenWalk::RunPenWalk(const TextRun *run, const GlyphRange *range, const TextFont *fonts, bool placeSegments,
                       const float *segmentWidths)
    : run(run), fonts(fonts), pen{}, justificationSpace(0.0F), addJustification(placeSegments), glyphIndex(-1),
      glyph(nullptr), character(nullptr), state(nullptr), font(nullptr), record(nullptr), kind(0),
      newStretch(false), newSegment(false), segmentDirection(1.0F), leading(0.0F), extent(0.0F), advance(0.0F),
      previousSegmentEnd(0.0F), segment(-1), segmentWidths(segmentWidths), placeSegments(placeSegments),
      farEdge(0.0F), backwards(false)
{
    const GlyphRange &r = range != nullptr ? *range : kWholeRunRange;
    first = r.firstGlyph < 0 ? 0 : r.firstGlyph;
    last = r.lastGlyph < run->glyphCount ? r.lastGlyph : run->glyphCount - 1;
    justificationSpace = r.justificationSpace;
    index = first;
    pen.direction = 1.0F;
    pen.kerningPartner = -1;
    uint32_t options = run->states[0].optionFlags;
    baseSign = (options & kTextOptionRightToLeft) ? -1.0F : 1.0F;
    vertical = (options & kTextOptionVertical) != 0;
    if ((options & kTextOptionBidirectional) == 0) this->segmentWidths = nullptr;
}

int32_t RunPenWalk::GetEndOffset() const
{
    if (index > first) return GetGlyphTextEnd(run, run->glyphs[index - 1]);
    int32_t at = first <= run->glyphCount ? first : run->glyphCount;
    return run->characters[run->glyphs[at].characterIndex].textOffset;
}

void RunPenWalk::LeaveSegment()
{
    if (backwards)
    {
        // Continue from the far edge, plus the tracking that the segment width left out.
        pen.x = farEdge + baseSign * std::fabs(pen.trailingTracking);
        backwards = false;
    }
}

void RunPenWalk::EnterSegment(int32_t next)
{
    // Where the previous segment's last glyph ended (before a right-to-left segment's far edge).
    previousSegmentEnd = pen.x;
    if (segment >= 0) LeaveSegment();
    segment = next;
    segmentDirection = run->segmentDirections[next];
    if (placeSegments && segmentDirection < 0.0F && segmentWidths != nullptr)
    {
        farEdge = pen.x + baseSign * segmentWidths[next];
        pen.x = farEdge;
        backwards = true;
    }
}

bool RunPenWalk::Next()
{
    if (index > last || IsEndGlyph(run->glyphs[index].glyphWord))
    {
        if (placeSegments) LeaveSegment();
        return false;
    }
    glyphIndex = index;
    glyph = &run->glyphs[index];
    index++;
    uint32_t flags = GlyphFlagsOf(glyph->glyphWord);
    character = &run->characters[glyph->characterIndex];
    state = &run->states[glyph->stateIndex];
    const TextFont &textFont = fonts[glyph->fontIndex];
    font = textFont.fontRecord;

    newSegment = glyph->segmentIndex != segment;
    if (newSegment) EnterSegment(glyph->segmentIndex);
    newStretch = glyphIndex == first || (flags & (kRunFlagNewState | kRunFlagNewSegment | kRunFlagNewFont)) != 0;
    if (newStretch)
    {
        pen.direction = placeSegments ? baseSign * segmentDirection : 1.0F;
        textFont.ComputeGlyphTransform(state, &pen);
    }
    if (flags & kRunFlagKerningBreak) pen.kerningPartner = -1;

    uint32_t options = state->optionFlags;
    float start = pen.x;
    leading = pen.x;
    advance = 0.0F;
    record = nullptr;
    if (IsPlaceholderGlyph(glyph->glyphWord))
    {
        kind = kRunStepPlaceholder;
        uint32_t number = GlyphIndexOf(glyph->glyphWord) - kGlyphWordPlaceholder;
        float width = 0.0F;
        if (state->placeholderWidths != nullptr && number < GetPlaceholderCount(state))
            width = state->placeholderWidths[number];
        pen.x += width * pen.direction;
        pen.kerningPartner = -1;
    }
    else
    {
        uint32_t glyphNumber = GlyphIndexOf(glyph->glyphWord);
        record = font->GetGlyphRecords() + glyphNumber;
        uint32_t codePoint = character->codePoint;
        if (character->properties & kUnicodeControl)
        {
            kind = kRunStepControl;
            if (codePoint == 0x9 && (options & kTextOptionTabs) && segmentDirection > 0.0F && state->tabWidth > 0.0F)
            {
                float stops = std::floor(std::fabs(pen.x + pen.xScale * state->tabGap) / state->tabWidth);
                pen.x = (stops + 1.0F) * state->tabWidth * pen.direction;
                pen.kerningPartner = -1;
                kind = kRunStepTab;
                extent = pen.x;
                advance = pen.x - start;
                return true;
            }
            if (codePoint == 0xAD && (options & kTextOptionSoftHyphen) && glyphIndex == last) kind = kRunStepVisible;
        }
        else if (record->markAnchorWord != 0)
        {
            kind = kRunStepMark;
        }
        else
        {
            kind = kRunStepVisible;
        }
        if (kind != kRunStepVisible)
        {
            extent = pen.x + pen.xOffset;
            return true;
        }
        if (options & kTextOptionGrid)
        {
            // Centred on the pen: only the tracking moves it.
        }
        else if (vertical && (character->properties & kUnicodeUpright))
        {
            pen.x += record->verticalAdvance * pen.signedXScale;
            pen.kerningPartner = -1;
        }
        else
        {
            pen.x += GetKerningAdvance(glyphNumber, font, record, options, &pen);
            leading = pen.x;
            pen.x += record->advance * pen.signedXScale;
            if (addJustification && (options & kTextOptionJustify) &&
                FindListedCharacter(state->justificationCharCount, state->justificationChars, codePoint))
                pen.x += justificationSpace * pen.direction;
        }
    }
    extent = pen.x + pen.xOffset;
    advance = pen.x - leading;
    pen.trailingTracking = pen.signedXScale * state->tracking;
    pen.x += pen.trailingTracking;
    return true;
}

}  // namespace oq
