#include "vorl/text/FormatDirective.h"
#include "vorl/text/TextRun.h"
#include "vorl/text/UnicodeTables.h"

namespace oq {

namespace {

constexpr uint8_t kSegmentStartFlags = 0x3A;

// Direction segmentation of a run while its characters are decoded: two levels, base and opposite.
struct DirectionSplitter
{
    TextRun *run;
    uint32_t baseClass;
    uint32_t oppositeClass;
    uint32_t currentClass;
    int32_t lastOpposite;
    int32_t segmentCount;
    bool previousArabicNumber;

    void StartSegment(int32_t characterIndex, float direction)
    {
        run->characters[characterIndex].flags |= kSegmentStartFlags;
        run->segmentDirections[segmentCount] = direction;
        segmentCount++;
    }

    void Step(int32_t index, uint16_t properties)
    {
        uint32_t k = properties & (kUnicodeStrongLTR | kUnicodeStrongRTL);
        bool arabicNumber = (properties & kUnicodeArabicNumber) != 0;
        if (k == 0 && (properties & kUnicodeOtherNeutral) != 0 && previousArabicNumber) k = kUnicodeStrongRTL;
        previousArabicNumber = arabicNumber;
        if (k == 0) return;

        if (k == baseClass)
        {
            if (currentClass == oppositeClass && segmentCount < kTextRunMaxSegments)
            {
                StartSegment(lastOpposite + 1, 1.0F);
            }
        }
        else
        {
            lastOpposite = index;
            if (currentClass == baseClass)
            {
                if (index == 0)
                {
                    run->segmentDirections[0] = -1.0F;
                }
                else if (segmentCount < kTextRunMaxSegments)
                {
                    StartSegment(index, -1.0F);
                }
            }
        }
        currentClass = k;
    }

    // At a NUL: trailing neutrals after the last opposite character fall back to the base direction.
    void Finish(int32_t characterCount)
    {
        if (currentClass == oppositeClass && lastOpposite < characterCount - 1 &&
            segmentCount < kTextRunMaxSegments)
        {
            StartSegment(lastOpposite + 1, 1.0F);
        }
    }
};

}  // namespace

void LayoutTextRun(TextRun *run, const TextLayoutState *state, const char *text, int32_t length)
{
    TextLayoutState *states = run->states;
    CopyTextLayoutState(&states[0], state);
    bool bidirectional = (state->optionFlags & kTextOptionBidirectional) != 0;
    bool directives = (state->optionFlags & kTextOptionDirectives) != 0;

    DirectionSplitter splitter;
    splitter.run = run;
    splitter.baseClass = (state->optionFlags & kTextOptionRightToLeft) ? kUnicodeStrongRTL : kUnicodeStrongLTR;
    splitter.oppositeClass = splitter.baseClass ^ (kUnicodeStrongLTR | kUnicodeStrongRTL);
    splitter.currentClass = splitter.baseClass;
    splitter.lastOpposite = 0;
    splitter.segmentCount = 1;
    splitter.previousArabicNumber = false;
    run->segmentDirections[0] = 1.0F;

    int32_t stateCount = 1;
    TextLayoutState *current = &states[0];
    TextLayoutState *pending = &states[0];
    uint32_t pendingFlags = 0;

    int32_t remaining = int32_t(uint32_t(length) & 0x7FFFFFFFU);
    int32_t offset = 0;
    int32_t count = 0;
    uint32_t propertyUnion = 0;
    bool reachedNul = false;
    while (offset < remaining)
    {
        const char *position = text + offset;
        int32_t left = remaining - offset;
        if (directives && left >= 2 && position[0] == '{' && position[1] == '#')
        {
            if (pending == nullptr && stateCount < kTextRunMaxStates)
            {
                pending = &states[stateCount];
                stateCount++;
                CopyTextLayoutState(pending, current);
                current = pending;
                pendingFlags = kRunFlagNewState;
            }
            if (pending != nullptr)
            {
                offset += ParseFormatDirective(state, position, left, pending, &pendingFlags);
            }
            else
            {
                // Out of states: the directive is read and has no effect.
                TextLayoutState scratch;
                CopyTextLayoutState(&scratch, current);
                uint32_t droppedFlags = 0;
                offset += ParseFormatDirective(state, position, left, &scratch, &droppedFlags);
            }
            continue;
        }

        uint32_t codePoint = 0;
        int32_t size = DecodeUtf8Bounded(position, left, &codePoint);
        if (codePoint == 0)
        {
            reachedNul = true;
            break;
        }
        uint16_t properties = 0;
        bool placeholder = codePoint >= state->placeholderBase &&
                           codePoint - state->placeholderBase < GetPlaceholderCount(state);
        if (!placeholder)
        {
            properties = GetUnicodeProperties(codePoint);
        }
        TextRunCharacter &character = run->characters[count];
        character.textOffset = offset;
        character.codePoint = codePoint;
        character.properties = properties;
        character.byteLength = uint8_t(size);
        character.flags = uint8_t(pendingFlags);
        propertyUnion |= properties;
        if (bidirectional) splitter.Step(count, properties);
        pendingFlags = 0;
        pending = nullptr;
        offset += size;
        count++;
        if (count == kTextRunMaxCharacters) break;
    }

    TextRunCharacter &end = run->characters[count];
    end.textOffset = offset;
    end.codePoint = 0;
    end.properties = kUnicodeControl;
    end.byteLength = 0;
    end.flags = 0;
    run->characterCount = count;
    // The states filled, a trailing directive's state included; mapping keeps at least these.
    run->stateCount = stateCount;

    if (bidirectional)
    {
        if (reachedNul) splitter.Finish(count);
        if (propertyUnion & kUnicodeMirrored) MirrorRunBrackets(run);
    }
}

void MirrorRunBrackets(TextRun *run)
{
    // Open brackets of at most four nesting levels: code point, and whether it was mirrored.
    struct OpenBracket
    {
        uint32_t codePoint;
        bool mirrored;
    };
    OpenBracket stack[4];
    int32_t depth = 0;

    float baseSign = (run->states[0].optionFlags & kTextOptionRightToLeft) ? -1.0F : 1.0F;
    int32_t segment = 0;
    for (int32_t i = 0; i < run->characterCount; i++)
    {
        TextRunCharacter &character = run->characters[i];
        if ((character.flags & kRunFlagNewSegment) && segment < kTextRunMaxSegments - 1) segment++;
        if ((character.properties & kUnicodeMirrored) == 0) continue;
        uint32_t mirror = FindBidiMirror(character.codePoint);
        if (mirror == 0) continue;

        float direction = baseSign * run->segmentDirections[segment];
        if (depth > 0 && stack[depth - 1].codePoint == mirror)
        {
            depth--;
            if (stack[depth].mirrored) character.codePoint = mirror;
        }
        else if (depth < 4)
        {
            bool mirrored = direction <= 0.0F;
            stack[depth] = OpenBracket{character.codePoint, mirrored};
            depth++;
            if (mirrored) character.codePoint = mirror;
        }
    }
}

}  // namespace oq
