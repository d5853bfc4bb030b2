#pragma once

#include <cstdint>

#include "base/Matrix2D.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/GlyphMapping.h"
#include "vorl/text/UnicodeTables.h"

namespace oq {

// The walk of one pass over a run's range that the geometry builders and the glyph lists share:
// segments, state stretches, placeholders, skipped control characters, tabs, marks and placed
// glyphs. What is done with each of them is the visitor's part.

// The state stretch that the walk is in.
struct RunStretch
{
    const TextLayoutState *state;
    const TextFont *font;
    int32_t fontIndex;
    float baselineY;
    Matrix2D matrix;        // em to layout, y up
    Matrix2D rotated;       // the same turned by 90 degrees
};

// Glyph word flag bits as the walk reads them (the run flags in bits 24-31).
constexpr uint32_t kGlyphStretchStartBits = 0x07u << 24;
constexpr uint32_t kGlyphNewSegmentBit = uint32_t(kRunFlagNewSegment) << 24;
constexpr uint32_t kGlyphDecorationBreakBit = uint32_t(kRunFlagDecorationBreak) << 24;
constexpr uint32_t kGlyphKerningBreakBit = uint32_t(kRunFlagKerningBreak) << 24;
constexpr uint32_t kGlyphMarkBreakBit = uint32_t(kRunFlagMarkBreak) << 24;

constexpr uint32_t kSoftHyphen = 0xAD;
constexpr uint32_t kTabCharacter = 0x09;

// The drawing passes of an effect, later passes on top: 'SHAD' shadow then plain, 'OTLN' outline
// then plain, 'OLSH' shadow, outline, plain. Returns the pass count.
inline int32_t GetEffectPasses(TextEffect effect, TextEffect *passes)
{
    int32_t count = 0;
    if (effect == 'SHAD' || effect == 'OTLN' || effect == 'OLSH') passes[count++] = effect;
    if (effect == 'OLSH') passes[count++] = 'OTLN';
    passes[count++] = 0;
    return count;
}

// The range to walk: a null range is the whole run; the end is clamped to the run's end entry.
// False for an empty range.
inline bool ResolveGlyphRange(const TextRun *run, const GlyphRange *range, GlyphRange *resolved)
{
    *resolved = range != nullptr ? *range : kWholeRunRange;
    if (resolved->lastGlyph > run->glyphCount) resolved->lastGlyph = run->glyphCount;
    return resolved->firstGlyph >= 0 && resolved->lastGlyph >= resolved->firstGlyph;
}

// The run's base sign and, under option 0x4000, the measured width of each segment of the range
// (at the run's segment index; 0 for segments not measured).
struct RunSegments
{
    float baseSign;
    float widths[kTextRunMaxSegments];

    void Measure(const TextRun *run, const GlyphRange &range, const TextFont *fonts);
    float Width(int32_t segmentIndex) const { return widths[segmentIndex]; }
};

// Adds the range's counts to the arrays and the placeholder count (when given); returns the
// drawable glyphs. With everySoftHyphen a soft hyphen counts wherever it stands, so the count
// also bounds every prefix of the range (a prefix may end at one).
int32_t AddRunGeometryCounts(const TextRun *run, const GlyphRange *range, const TextFont *fonts,
                             bool everySoftHyphen, int32_t *vertexCounts, int32_t *triangleCounts,
                             int32_t *placeholderCount);

// Walks one pass of the range from the pen and returns the end x. The visitor receives
//   OnStretch(stretch, pen, x)   at each stretch start, before the pen takes x;
//   OnPlaceholder(i, number, left, stretch, pen);
//   OnGlyph(i, glyph, record, position, rotated, stretch, pen) for each placed glyph, the
//     position with the pen's x offset added;
//   OnEnd(pen)                   at the end of the pass.
template <typename Visitor>
float WalkRunPass(const TextRun *run, const GlyphRange &range, const TextFont *fonts, const float *start,
                  const RunSegments &segments, Visitor *visitor)
{
    GlyphPen pen;
    pen.x = start[0];
    pen.trailingTracking = 0.0F;
    pen.direction = 1.0F;
    pen.decorationBreak = 0;
    pen.kerningPartner = -1;
    pen.baseCount = 0;
    float x = start[0];
    float farEnd = 0.0F;
    float segmentDirection = 1.0F;
    RunStretch stretch;
    int32_t i = range.firstGlyph;

    auto startSegment = [&]() {
        const TextRunGlyph &glyph = run->glyphs[i];
        segmentDirection = run->segmentDirections[glyph.segmentIndex];
        pen.direction = segmentDirection * segments.baseSign;
        if (segmentDirection < 0.0F)
        {
            x += segments.baseSign * segments.Width(glyph.segmentIndex);
            farEnd = x;
        }
    };
    auto startStretch = [&]() {
        const TextRunGlyph &glyph = run->glyphs[i];
        stretch.state = &run->states[glyph.stateIndex];
        stretch.font = &fonts[glyph.fontIndex];
        stretch.fontIndex = glyph.fontIndex;
        stretch.font->ComputeGlyphTransform(stretch.state, &pen);
        float skew = stretch.state->skew;
        stretch.matrix.Set(pen.xScale, pen.yScale * skew, 0.0F, pen.yScale);
        stretch.rotated.Set(0.0F, -pen.yScale, pen.xScale, pen.yScale * skew);
        stretch.baselineY = start[1] - pen.yOffset;
        visitor->OnStretch(stretch, pen, x);
        pen.x = x;
        pen.trailingTracking = 0.0F;
    };

    startSegment();
    startStretch();
    for (;;)
    {
        const TextRunGlyph &glyph = run->glyphs[i];
        uint32_t g = glyph.glyphWord & kGlyphWordIndexMask;
        if (g == kGlyphWordEnd) break;
        const TextLayoutState *state = stretch.state;
        if (g >= kGlyphWordPlaceholder)
        {
            uint32_t n = g - kGlyphWordPlaceholder;
            float width = n < GetPlaceholderCount(state) && state->placeholderWidths != nullptr
                              ? state->placeholderWidths[n]
                              : 0.0F;
            float left = x;
            if ((state->optionFlags & kTextOptionGrid) != 0)
            {
                left = x - width * 0.5F;
            }
            else
            {
                float next = x + width * pen.direction;
                left = pen.direction < 0.0F ? next : x;
                x = next;
            }
            pen.trailingTracking = state->tracking * pen.signedXScale;
            x += pen.trailingTracking;
            pen.x = x;
            pen.kerningPartner = -1;
            pen.baseCount = 0;
            visitor->OnPlaceholder(i, int32_t(n), left + pen.xOffset, stretch, pen);
        }
        else
        {
            const TextRunCharacter *character = &run->characters[glyph.characterIndex];
            bool drawn = true;
            if ((character->properties & kUnicodeControl) != 0)
            {
                drawn = character->codePoint == kSoftHyphen && (state->optionFlags & kTextOptionSoftHyphen) != 0 &&
                        i == range.lastGlyph;
                if (character->codePoint == kTabCharacter && segmentDirection > 0.0F &&
                    (state->optionFlags & kTextOptionTabs) != 0 && state->tabWidth > 0.0F)
                {
                    float distance = x + pen.xScale * state->tabGap - start[0];
                    float stops = FloatFloor((distance < 0.0F ? -distance : distance) / state->tabWidth) + 1.0F;
                    x = start[0] + pen.direction * stops * state->tabWidth;
                    pen.x = x;
                    pen.trailingTracking = 0.0F;
                    pen.kerningPartner = -1;
                    pen.baseCount = 0;
                }
            }
            if (drawn)
            {
                const VorlFontRecord *font = stretch.font->fontRecord;
                const VorlGlyphRecord *record = &font->GetGlyphRecords()[g];
                float position[2] = {x, stretch.baselineY};
                bool rotated = false;
                if (record->markAnchorWord != 0)
                {
                    AttachMarkGlyph(g, font, state, &pen, position);
                }
                else
                {
                    rotated = PlaceRunGlyph(character, g, font, state, &pen, range.justificationSpace, position);
                    x = pen.x;
                }
                position[0] += pen.xOffset;
                visitor->OnGlyph(i, g, record, position, rotated, stretch, pen);
            }
        }

        if (++i > range.lastGlyph) break;
        uint32_t word = run->glyphs[i].glyphWord;
        if ((word & kGlyphStretchStartBits) != 0)
        {
            pen.decorationBreak = (word & kGlyphDecorationBreakBit) != 0 ? 1 : 0;
            if ((word & kGlyphKerningBreakBit) != 0) pen.kerningPartner = -1;
            if ((word & kGlyphMarkBreakBit) != 0) pen.baseCount = 0;
            if ((word & kGlyphNewSegmentBit) != 0)
            {
                if (segmentDirection < 0.0F)
                {
                    x = farEnd;
                    pen.trailingTracking = 0.0F;
                }
                startSegment();
            }
            startStretch();
        }
    }
    if (segmentDirection < 0.0F) x = farEnd;
    visitor->OnEnd(pen);
    return x;
}

}  // namespace oq
