#include "vorl/text/FontDataAccess.h"
#include "vorl/text/RunPenWalk.h"
#include "vorl/text/UnicodeTables.h"

namespace oq {

namespace {

constexpr uint32_t kSoftHyphen = 0xAD;

// The line as it stands at one point of the walk.
struct LineMark
{
    int32_t lastGlyph;
    int32_t justificationCount;
    float width;
    int32_t visibleEnd;
};

void FinishLine(TextLine *line, const LineMark &mark, int32_t justificationCount, float maxWidth)
{
    line->lastGlyph = mark.lastGlyph;
    line->width = mark.width;
    line->visibleEnd = mark.visibleEnd;
    line->justificationSpace = 0.0F;
    if (justificationCount != 0 && (line->flags & kTextLineEndsParagraph) == 0)
    {
        line->justificationSpace = (maxWidth - line->width) / float(justificationCount);
        line->width = maxWidth;
    }
}

}  // namespace

void FindRunLineBreak(const TextRun *run, const GlyphRange *range, int32_t, const TextFont *fonts,
                      float maxWidth, int32_t breakCount, const uint32_t *breaks, int32_t forcedCount,
                      const uint32_t *forced, int32_t hangingCount, const uint32_t *hanging, TextLine *line)
{
    RunPenWalk walk(run, range, fonts, false, nullptr);
    int32_t first = walk.first;
    line->firstGlyph = first;
    line->glyphCount = 0;
    line->flags = 0;

    int32_t startOffset = walk.GetEndOffset();
    LineMark visible{first - 1, 0, 0.0F, startOffset};   // the last fitting visible glyph
    LineMark emergency{};
    int32_t emergencyGlyph = -1;
    int32_t emergencyOffset = 0;
    TextLine candidate{};
    LineMark candidateMark{};
    bool haveCandidate = false;
    int32_t justificationCount = 0;
    float reached = 0.0F;
    bool hangingBefore = false;
    int32_t previousCharacter = -1;
    int32_t firstCharacter = run->glyphs[first <= run->glyphCount ? first : run->glyphCount].characterIndex;

    while (walk.Next())
    {
        const TextRunCharacter &character = *walk.character;
        const TextLayoutState *state = walk.state;
        uint32_t codePoint = character.codePoint;
        int32_t k = walk.glyphIndex;
        bool softHyphen = codePoint == kSoftHyphen && (state->optionFlags & kTextOptionSoftHyphen);
        bool isHanging = walk.kind != kRunStepPlaceholder &&
                         (softHyphen || FindListedCharacter(hangingCount, hanging, codePoint));
        bool measured = walk.kind != kRunStepControl && walk.kind != kRunStepMark;

        // A break is possible before a new character without 0x800 after one without 0x1000.
        int32_t characterIndex = walk.glyph->characterIndex;
        if (k > first && characterIndex != previousCharacter && characterIndex > 0 &&
            (character.properties & kUnicodeNoBreakBefore) == 0 &&
            (run->characters[characterIndex - 1].properties & kUnicodeNoBreakAfter) == 0)
        {
            emergencyGlyph = k;
            emergency = visible;
            emergency.justificationCount = justificationCount;
            emergencyOffset = character.textOffset;
        }
        previousCharacter = characterIndex;

        // Overflow. The glyphs of the line's first character always fit, so breaking makes progress.
        if (!isHanging && measured && walk.extent > maxWidth && characterIndex != firstCharacter &&
            (state->optionFlags & kTextOptionNoWidthLimit) == 0)
        {
            if (haveCandidate)
            {
                *line = candidate;
                FinishLine(line, candidateMark, candidateMark.justificationCount, maxWidth);
                return;
            }
            if (emergencyGlyph > first && !hangingBefore)
            {
                line->glyphCount = emergencyGlyph - first;
                line->nextStart = emergencyOffset;
                emergency.lastGlyph = emergencyGlyph - 1;
                emergency.visibleEnd = emergencyOffset;
                FinishLine(line, emergency, emergency.justificationCount, maxWidth);
                return;
            }
            line->glyphCount = k - first;
            line->nextStart = character.textOffset;
            FinishLine(line, visible, visible.justificationCount, maxWidth);
            return;
        }

        if ((state->optionFlags & kTextOptionJustify) &&
            FindListedCharacter(state->justificationCharCount, state->justificationChars, codePoint))
            justificationCount++;
        if (measured && walk.extent > reached && !isHanging) reached = walk.extent;
        if (!isHanging) visible = LineMark{k, justificationCount, reached, GetGlyphTextEnd(run, *walk.glyph)};
        hangingBefore = isHanging;

        uint32_t entry = 0;
        bool isForced = FindListedCharacter(forcedCount, forced, codePoint, &entry);
        if (isForced && (entry & kForcedBreakPairs))
        {
            // No break inside a pair such as CR LF: only after its second character.
            const TextRunGlyph &next = run->glyphs[k + 1];
            uint32_t nextCodePoint = run->characters[next.characterIndex].codePoint;
            if (!IsEndGlyph(next.glyphWord) && nextCodePoint != codePoint &&
                FindListedCharacter(forcedCount, forced, nextCodePoint))
                isForced = false;
        }
        if (isForced || FindListedCharacter(breakCount, breaks, codePoint) || softHyphen)
        {
            LineMark mark = visible;
            if (softHyphen)
            {
                // Taken only when its own advance still fits; it then ends the visible text.
                const VorlGlyphRecord *record = walk.record;
                float hyphenEnd = walk.pen.x + walk.pen.xOffset;
                if (record != nullptr)
                {
                    hyphenEnd += record->advance * walk.pen.signedXScale;
                    if ((state->optionFlags & kTextOptionNoKerning) == 0 && walk.pen.kerningPartner >= 0)
                        hyphenEnd += GetKerning(walk.font, record, uint32_t(walk.pen.kerningPartner)) *
                                     walk.pen.signedXScale;
                }
                if (hyphenEnd > maxWidth) continue;
                float width = hyphenEnd > reached ? hyphenEnd : reached;
                mark = LineMark{k, justificationCount, width, GetGlyphTextEnd(run, *walk.glyph)};
            }
            TextLine record{};
            record.firstGlyph = first;
            record.glyphCount = k - first + 1;
            record.nextStart = GetGlyphTextEnd(run, *walk.glyph);
            if (isForced)
            {
                *line = record;
                line->flags = (entry & kForcedBreakKeepsParagraph) ? 0 : kTextLineEndsParagraph;
                FinishLine(line, mark, mark.justificationCount, maxWidth);
                return;
            }
            candidate = record;
            candidateMark = mark;
            haveCandidate = true;
        }
    }

    // The end of the run ends a paragraph; the end of the range does not.
    int32_t end = walk.GetEndIndex();
    bool runEnd = IsEndGlyph(run->glyphs[end].glyphWord);
    line->glyphCount = end - first;
    line->flags = runEnd ? kTextLineEndsParagraph : 0;
    line->nextStart = runEnd ? run->characters[run->glyphs[end].characterIndex].textOffset : walk.GetEndOffset();
    FinishLine(line, visible, visible.justificationCount, maxWidth);
}

int32_t BreakRunIntoLines(const TextRun *run, int32_t fontCount, const TextFont *fonts, float maxWidth,
                          int32_t breakCount, const uint32_t *breaks, int32_t forcedCount, const uint32_t *forced,
                          int32_t hangingCount, const uint32_t *hanging, int32_t maxLines, TextLine *lines,
                          const TextLine *previous)
{
    int32_t first = previous != nullptr ? previous->firstGlyph + previous->glyphCount : 0;
    bool paragraphStart = previous == nullptr || (previous->flags & kTextLineEndsParagraph) != 0;
    int32_t count = 0;
    while (count < maxLines)
    {
        if ((count > 0 || previous != nullptr) && (first >= run->glyphCount)) break;
        float width = maxWidth;
        const TextLayoutState *state = &run->states[run->glyphs[first].stateIndex];
        if (state->optionFlags & kTextOptionParagraph)
        {
            width -= state->leftMargin + state->rightMargin;
            if (paragraphStart) width -= state->indent;
        }
        GlyphRange range{first, kTextRunMaxGlyphs, 0.0F};
        TextLine &line = lines[count];
        FindRunLineBreak(run, &range, fontCount, fonts, width, breakCount, breaks, forcedCount, forced,
                         hangingCount, hanging, &line);
        count++;
        if (line.glyphCount == 0) break;
        first += line.glyphCount;
        paragraphStart = (line.flags & kTextLineEndsParagraph) != 0;
    }
    return count;
}

}  // namespace oq
