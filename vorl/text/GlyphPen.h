#pragma once

#include <cstdint>

namespace oq {

// The part of a run to measure, count or build: first and last glyph (inclusive) and the extra
// advance after each justification character. A last glyph below the first is an empty range.
struct GlyphRange
{
    int32_t firstGlyph;
    int32_t lastGlyph;
    float justificationSpace;
};

// The whole run: the walk also stops at the run's end entry.
constexpr GlyphRange kWholeRunRange = {0, 17407, 0.0F};

// A base glyph, or a mark attached after it, with its position.
struct GlyphPenBase
{
    int32_t glyph;
    float x;
    float y;
};

constexpr int32_t kGlyphPenMaxBases = 16;

// The pen of a walk over a run's glyphs: position, the transform of the current stretch,
// the kerning partner and the bases that marks attach to.
struct GlyphPen
{
    float x;
    float trailingTracking;     // tracking added after the last glyph
    float direction;            // segment direction times the run's base sign
    float xScale;               // layout units per em unit along x
    float yScale;
    float xOffset;              // added to glyph positions, not to the pen
    float yOffset;              // baseline y = pen y - y offset
    float signedXScale;         // x scale times direction
    uint8_t decorationBreak;
    int32_t kerningPartner;     // the previous glyph for kerning; -1 when none
    int32_t baseCount;
    GlyphPenBase bases[kGlyphPenMaxBases];
};

static_assert(sizeof(GlyphRange) == 12, "GlyphRange layout");
static_assert(sizeof(GlyphPen) == 44 + 12 * kGlyphPenMaxBases, "GlyphPen layout");

}  // namespace oq
