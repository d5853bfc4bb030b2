#include "vorl/text/GlyphMapping.h"

#include <cstring>

#include "vorl/text/FontDataAccess.h"
#include "vorl/text/UnicodeTables.h"

namespace oq {

namespace {

constexpr uint8_t kFontChangeFlags = 0x3C;
constexpr uint32_t kVerticalFeatureWord = 0x8000000;   // selector 8, no feature bits
constexpr uint32_t kFractionFeature = 0x200;
constexpr uint32_t kRightToLeftMirrorFeature = 0x4000;

// The fallback row of a font number: the first row that serves it, else row 0.
const uint8_t *FindFallbackRow(const FontFallbackMap *fallback, uint32_t fontNumber)
{
    for (int32_t row = 0; row < fallback->rowCount; row++)
    {
        if (uint32_t(fallback->rowFontNumbers[row]) == fontNumber)
            return fallback->rows + int64_t(row) * fallback->rowLength;
    }
    return fallback->rows;
}

uint32_t GetAlternateMask(const TextLayoutState *state)
{
    return (state->optionFlags & kTextOptionNoAlternates) ? 0 : state->alternateMask;
}

uint32_t GetSequenceMask(const TextLayoutState *state)
{
    return (state->optionFlags & kTextOptionNoSequences) ? 0 : state->sequenceMask;
}

// The glyph of the alternate whose feature word is exactly the given word, or the glyph itself.
uint32_t FindExactAlternate(const VorlFontRecord *font, uint32_t glyph, uint32_t featureWord)
{
    uint32_t word = font->GetGlyphRecords()[glyph].alternateWord;
    uint32_t count = ListCountB(word);
    if (count == 0) return glyph;
    const AlternateListEntry *entry = font->GetAlternateList() + ListIndexB(word);
    for (uint32_t i = 0; i < count; i++, entry++)
    {
        if (entry->featureWord == featureWord) return entry->glyph < font->glyphCount ? entry->glyph : glyph;
    }
    return glyph;
}

// Replaces the glyph of a run entry by its exact alternate, keeping the flags.
void ApplyExactAlternate(TextRunGlyph *glyph, const TextFont *fonts, uint32_t featureWord)
{
    if (IsPlaceholderGlyph(glyph->glyphWord) || IsEndGlyph(glyph->glyphWord)) return;
    uint32_t index = GlyphIndexOf(glyph->glyphWord);
    uint32_t replacement = FindExactAlternate(fonts[glyph->fontIndex].fontRecord, index, featureWord);
    glyph->glyphWord = (glyph->glyphWord & ~kGlyphWordIndexMask) | replacement;
}

// Whether a glyph index is in a glyph set of the pool (count, then ascending glyphs).
bool IsInGlyphSet(const VorlFontRecord *font, uint32_t setWord, uint32_t glyph)
{
    const uint32_t *set = font->GetSequenceGlyphPool() + (setWord & ~kSequenceGlyphSetBit);
    uint32_t count = set[0];
    for (uint32_t i = 1; i <= count; i++)
    {
        if (set[i] >= glyph) return set[i] == glyph;
    }
    return false;
}

// A following glyph against a match or lookahead word; the end entry never matches.
bool MatchFollowing(const VorlFontRecord *font, uint32_t word, uint32_t glyphWord)
{
    if (IsEndGlyph(glyphWord)) return false;
    if ((word & kSequenceGlyphSetBit) == 0) return glyphWord == word;
    return GlyphFlagsOf(glyphWord) == 0 && IsInGlyphSet(font, word, GlyphIndexOf(glyphWord));
}

bool MatchBacktrack(const VorlFontRecord *font, uint32_t word, uint32_t glyphWord)
{
    uint32_t index = GlyphIndexOf(glyphWord);
    if ((word & kSequenceGlyphSetBit) == 0) return index == word;
    return IsInGlyphSet(font, word, index);
}

// Repeated substitutions that consume nothing stop after this many in a row, so a font whose
// substitution rules loop cannot hang mapping.
constexpr int32_t kMaxIdleSubstitutions = 16;

}  // namespace

uint32_t MatchSequence(const VorlFontRecord *font, const VorlGlyphRecord *glyph, uint32_t flags, uint32_t classMask,
                       const TextRunGlyph *following, const TextRunGlyph *lastOutput, int32_t outputCount,
                       int32_t *consumed)
{
    uint32_t entryCount = ListCountB(glyph->sequenceWord);
    if (entryCount == 0) return 0;
    const uint32_t *entry = font->GetSequenceList() + ListIndexB(glyph->sequenceWord);
    for (uint32_t s = 0; s < entryCount; s++)
    {
        SequenceEntryHead head;
        std::memcpy(&head, entry, sizeof(head));
        const uint32_t *words = entry + kSequenceHeadWords;
        entry += head.length;
        if (head.ruleCount == 0) continue;
        if ((head.classBits & classMask) == 0 || int32_t(head.backtrackCount) > outputCount) continue;

        uint32_t m = head.matchCount;
        uint32_t b = head.backtrackCount;
        uint32_t a = head.lookaheadCount;
        bool applies = true;
        for (uint32_t k = 0; k < m && applies; k++)
        {
            // The end entry never matches, so the walk never reads past it.
            if (!MatchFollowing(font, words[k], following[k].glyphWord)) applies = false;
        }
        for (uint32_t k = 0; k < b && applies; k++)
        {
            uint32_t nearerFlags = k == 0 ? flags : GlyphFlagsOf(lastOutput[1 - int32_t(k)].glyphWord);
            if (nearerFlags != 0 || !MatchBacktrack(font, words[m + k], lastOutput[-int32_t(k)].glyphWord))
                applies = false;
        }
        for (uint32_t k = 0; k < a && applies; k++)
        {
            if (!MatchFollowing(font, words[m + b + k], following[m + k].glyphWord)) applies = false;
        }
        if (!applies) continue;

        SequenceRule rule;
        std::memcpy(&rule, words + m + b + a, sizeof(rule));
        if (rule.kind == 0)
        {
            *consumed = int32_t(m);
            return rule.glyph;
        }
        if (rule.kind == 1)
        {
            *consumed = 0;
            return rule.glyph;
        }
    }
    return 0;
}

int32_t ApplyRunSequences(TextRun *run, const TextFont *fonts, uint32_t passMask)
{
    TextRunGlyph *glyphs = run->glyphs;
    uint32_t classMask = GetSequenceMask(&run->states[0]) & passMask;
    int32_t r = 0;
    int32_t w = 0;
    while (!IsEndGlyph(glyphs[r].glyphWord))
    {
        TextRunGlyph source = glyphs[r];
        uint32_t flags = GlyphFlagsOf(source.glyphWord);
        if (flags & kRunFlagNewState) classMask = GetSequenceMask(&run->states[source.stateIndex]) & passMask;

        uint32_t g = GlyphIndexOf(source.glyphWord);
        int32_t consumed = 1;
        if (!IsPlaceholderGlyph(source.glyphWord) && classMask != 0)
        {
            const VorlFontRecord *font = fonts[source.fontIndex].fontRecord;
            int32_t idle = 0;
            for (;;)
            {
                int32_t matched = 0;
                uint32_t replacement = MatchSequence(font, font->GetGlyphRecords() + g, flags, classMask,
                                                     glyphs + r + consumed, w > 0 ? glyphs + w - 1 : nullptr, w,
                                                     &matched);
                if (replacement == 0 || replacement >= font->glyphCount) break;
                if (matched == 0)
                {
                    if (replacement == g || ++idle > kMaxIdleSubstitutions) break;
                }
                else
                {
                    idle = 0;
                }
                consumed += matched;
                g = replacement;
            }
        }

        int32_t span = glyphs[r + consumed].characterIndex - source.characterIndex;
        TextRunGlyph &out = glyphs[w];
        out.glyphWord = (source.glyphWord & ~kGlyphWordIndexMask) | g;
        out.characterIndex = source.characterIndex;
        out.characterSpan = uint8_t(span < 0 ? 0 : span > 255 ? 255 : span);
        out.fontIndex = source.fontIndex;
        out.stateIndex = source.stateIndex;
        out.segmentIndex = source.segmentIndex;
        r += consumed;
        w += 1;
    }
    return w;
}

void ApplyJoiningForms(TextRun *run, const TextFont *fonts, int32_t glyphCount)
{
    const TextRunGlyph *glyphs = run->glyphs;
    const TextRunCharacter *characters = run->characters;
    auto propertiesOf = [&](int32_t index) -> uint16_t {
        return index < glyphCount ? characters[glyphs[index].characterIndex].properties : uint16_t(kUnicodeControl);
    };

    uint16_t previous = 0;
    int32_t next = 0;
    for (int32_t i = 0; i < glyphCount; i++)
    {
        uint16_t properties = propertiesOf(i);
        if (properties & kUnicodeTransparent) continue;
        if (next <= i) next = i + 1;
        while (next < glyphCount && (propertiesOf(next) & kUnicodeTransparent)) next++;
        uint16_t following = propertiesOf(next);

        bool joinsBefore = (properties & kUnicodeJoinsPrevious) && (previous & kUnicodeJoinsNext);
        bool joinsAfter = (properties & kUnicodeJoinsNext) && (following & kUnicodeJoinsPrevious);
        uint32_t form = joinsBefore && joinsAfter ? 2 : joinsAfter ? 1 : joinsBefore ? 3 : 0;
        if (form != 0) ApplyExactAlternate(&run->glyphs[i], fonts, form << 24);
        previous = properties;
    }
}

void ApplyFractionForms(TextRun *run, const TextFont *fonts, int32_t glyphCount)
{
    TextRunGlyph *glyphs = run->glyphs;
    int32_t numeratorStart = -1;   // first numerator glyph, -1 outside a fraction
    int32_t slash = -1;            // the slash glyph once seen
    bool denominator = false;
    int32_t fractionFont = 0;
    for (int32_t i = 0; i < glyphCount; i++)
    {
        TextRunGlyph &glyph = glyphs[i];
        const TextLayoutState *state = &run->states[glyph.stateIndex];
        uint32_t codePoint = run->characters[glyph.characterIndex].codePoint;
        bool active = (GetAlternateMask(state) & kFractionFeature) != 0 && !IsPlaceholderGlyph(glyph.glyphWord);
        bool sameFont = numeratorStart >= 0 && glyph.fontIndex == fractionFont;
        bool digit = codePoint >= '0' && codePoint <= '9';
        if (active && digit)
        {
            if (slash >= 0 && sameFont)
            {
                if (!denominator)
                {
                    for (int32_t k = numeratorStart; k < slash; k++)
                        ApplyExactAlternate(&glyphs[k], fonts, 2u << 24 | kFractionFeature);
                    ApplyExactAlternate(&glyphs[slash], fonts, 1u << 24 | kFractionFeature);
                    denominator = true;
                }
                ApplyExactAlternate(&glyph, fonts, 3u << 24 | kFractionFeature);
            }
            else if (!sameFont || slash >= 0)
            {
                numeratorStart = i;
                fractionFont = glyph.fontIndex;
                slash = -1;
                denominator = false;
            }
            continue;
        }
        if (active && (codePoint == '/' || codePoint == 0x2044) && sameFont && slash < 0)
        {
            slash = i;
            continue;
        }
        numeratorStart = -1;
        slash = -1;
        denominator = false;
    }
}

void MapRunToGlyphs(TextRun *run, int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback)
{
    if (fallback == nullptr) fallback = &kDefaultFontFallbackMap;
    int32_t laidOutStates = run->stateCount;
    const TextLayoutState *first = &run->states[0];
    float baseSign = (first->optionFlags & kTextOptionRightToLeft) ? -1.0F : 1.0F;
    uint32_t missing = first->missingGlyph < 0 ? 0 : uint32_t(first->missingGlyph);
    auto missingIn = [&](int32_t font) { return missing < fonts[font].fontRecord->glyphCount ? missing : 0; };

    const TextLayoutState *state = first;
    const uint8_t *row = FindFallbackRow(fallback, state->fontNumber);
    uint32_t alternateMask = GetAlternateMask(state);
    uint32_t sequenceUnion = GetSequenceMask(state);
    uint32_t alternateUnion = alternateMask;
    uint32_t propertyUnion = 0;

    int32_t lastFound = 0;   // the font of the last successful fallback search
    auto fallbackSearch = [&](uint32_t codePoint, int32_t *font) -> uint32_t {
        for (int32_t k = 0; k < fallback->rowLength; k++)
        {
            int32_t index = row[k];
            if (index >= fontCount) break;
            uint32_t glyph = fonts[index].fontRecord->GetGlyphIndex(codePoint);
            if (glyph != 0)
            {
                *font = index;
                lastFound = index;
                return glyph;
            }
        }
        *font = 0;
        return missingIn(0);
    };

    TextRunGlyph *glyphs = run->glyphs;
    int32_t j = 0;
    int32_t stateIndex = 0;
    int32_t segmentIndex = 0;
    int32_t previousFont = 0;
    int32_t i = 0;
    for (;; i++)
    {
        const TextRunCharacter &character = run->characters[i];
        if (character.codePoint == 0) break;
        uint16_t properties = character.properties;
        propertyUnion |= properties;
        uint8_t flags = character.flags;
        if ((flags & kRunFlagNewState) && stateIndex < kTextRunMaxStates - 1)
        {
            stateIndex++;
            state = &run->states[stateIndex];
            row = FindFallbackRow(fallback, state->fontNumber);
            alternateMask = GetAlternateMask(state);
            sequenceUnion |= GetSequenceMask(state);
            alternateUnion |= alternateMask;
        }
        if ((flags & kRunFlagNewSegment) && segmentIndex < kTextRunMaxSegments - 1) segmentIndex++;

        TextRunGlyph *out = glyphs + j;
        uint32_t placeholder = character.codePoint - state->placeholderBase;
        if (placeholder < GetPlaceholderCount(state))
        {
            *out = TextRunGlyph{uint32_t(flags) << 24 | (kGlyphWordPlaceholder + placeholder), i, 1,
                                uint8_t(previousFont), uint8_t(stateIndex), uint8_t(segmentIndex)};
            j++;
            if (j >= kTextRunMaxGlyphs) break;
            continue;
        }

        int32_t font = 0;
        uint32_t glyph = 0;
        bool mark = (properties & kUnicodeMark) != 0;
        bool control = (properties & kUnicodeControl) != 0;
        if (j > 0 && control)
        {
            glyph = fonts[previousFont].fontRecord->GetGlyphIndex(character.codePoint);
            font = previousFont;
            if (glyph == 0) glyph = fallbackSearch(character.codePoint, &font);
        }
        else if (j > 0 && mark && (state->optionFlags & kTextOptionNoMarks) == 0)
        {
            font = lastFound;
            glyph = fonts[font].fontRecord->GetGlyphIndex(character.codePoint);
            if (glyph == 0) glyph = missingIn(font);
        }
        else
        {
            glyph = fallbackSearch(character.codePoint, &font);
        }
        if (font != previousFont && j > 0) flags |= kFontChangeFlags;

        const VorlFontRecord *record = fonts[font].fontRecord;
        uint32_t mask = alternateMask;
        if (baseSign * run->segmentDirections[segmentIndex] > 0.0F) mask &= ~kRightToLeftMirrorFeature;
        if (mask != 0) glyph = GetAlternateGlyph(record, glyph, mask, state->alternateSelector);

        uint32_t decomposition = record->GetGlyphRecords()[glyph].decompositionWord;
        uint32_t count = ListCountA(decomposition);
        if (count != 0 && (state->optionFlags & kTextOptionNoDecomposition) == 0 &&
            j + int32_t(count) <= kMaxDecomposedGlyphs)
        {
            const uint32_t *components = record->GetDecompositionList() + ListIndexA(decomposition);
            for (uint32_t k = 0; k < count; k++)
            {
                uint32_t word = (k == 0 ? uint32_t(flags) << 24 : 0) | components[k];
                out[k] = TextRunGlyph{word, i, 1, uint8_t(font), uint8_t(stateIndex), uint8_t(segmentIndex)};
            }
            j += int32_t(count);
        }
        else
        {
            *out = TextRunGlyph{uint32_t(flags) << 24 | glyph, i, 1, uint8_t(font), uint8_t(stateIndex),
                                uint8_t(segmentIndex)};
            j++;
        }
        previousFont = font;
        if (j >= kTextRunMaxGlyphs)
        {
            i++;
            break;
        }
    }
    // The end entry, also when the glyph limit stopped the walk.
    auto writeEnd = [&](int32_t at, int32_t characterIndex) {
        glyphs[at] = TextRunGlyph{kGlyphWordEnd, characterIndex, 1, 0, uint8_t(stateIndex), uint8_t(segmentIndex)};
    };
    writeEnd(j, i);

    if ((first->optionFlags & kTextOptionVertical) && (propertyUnion & kUnicodeUpright))
    {
        for (int32_t k = 0; k < j; k++) ApplyExactAlternate(&glyphs[k], fonts, kVerticalFeatureWord);
    }
    if (propertyUnion & (kUnicodeJoinsNext | kUnicodeJoinsPrevious)) ApplyJoiningForms(run, fonts, j);
    if (alternateUnion & kFractionFeature) ApplyFractionForms(run, fonts, j);
    if (sequenceUnion != 0)
    {
        int32_t endCharacter = glyphs[j].characterIndex;
        j = ApplyRunSequences(run, fonts, 1);
        writeEnd(j, endCharacter);
        j = ApplyRunSequences(run, fonts, ~1u);
        writeEnd(j, endCharacter);
    }

    run->glyphCount = j;
    // A directive after the last character made a state no glyph uses: it stays the last state.
    run->stateCount = stateIndex + 1;
    if (laidOutStates > run->stateCount && laidOutStates <= kTextRunMaxStates) run->stateCount = laidOutStates;
    run->segmentCount = segmentIndex + 1;
}

TextRun *LayoutText(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                    const TextLayoutState *state, const char *text, int32_t length, TextLayoutState *endState,
                    TextRun *scratch)
{
    TextRun *run = scratch != nullptr ? scratch : GetSharedTextRun();
    LayoutTextRun(run, state, text, length);
    MapRunToGlyphs(run, fontCount, fonts, fallback != nullptr ? fallback : &kDefaultFontFallbackMap);
    if (endState != nullptr) CopyTextLayoutState(endState, &run->states[run->stateCount - 1]);
    return run;
}

}  // namespace oq
