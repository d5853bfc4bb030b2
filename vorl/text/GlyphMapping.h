#pragma once

#include <cstdint>

#include "vorl/text/TextFont.h"
#include "vorl/text/TextRun.h"

namespace oq {

// Glyph word parts of a TextRunGlyph.
constexpr uint32_t kGlyphWordIndexMask = 0xFFFFFF;
constexpr uint32_t kGlyphWordEnd = 0xFFFFFF;
constexpr uint32_t kGlyphWordPlaceholder = 0xFF0000;
// Decompositions are expanded only while the glyph count stays at or below this.
constexpr int32_t kMaxDecomposedGlyphs = 17406;

inline uint32_t GlyphIndexOf(uint32_t glyphWord) { return glyphWord & kGlyphWordIndexMask; }
inline uint32_t GlyphFlagsOf(uint32_t glyphWord) { return glyphWord >> 24; }
inline bool IsEndGlyph(uint32_t glyphWord) { return (glyphWord & kGlyphWordIndexMask) == kGlyphWordEnd; }
inline bool IsPlaceholderGlyph(uint32_t glyphWord)
{
    uint32_t index = glyphWord & kGlyphWordIndexMask;
    return index >= kGlyphWordPlaceholder && index != kGlyphWordEnd;
}

// The run that text forms use when the caller passes none: one global run with arrays of the
// fixed limits, allocated on first use. One thread at a time.
TextRun *GetSharedTextRun();

// Fills the run's glyphs, glyphCount, stateCount and segmentCount from its characters: font
// fallback, alternates, decompositions, vertical, joining and fraction forms, sequences.
// A null fallback map is the default map.
void MapRunToGlyphs(TextRun *run, int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback);

// Lays the text out into the scratch run (the shared run when null) and maps it; copies the
// run's last state into the end state when one is given. Returns the run used.
TextRun *LayoutText(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                    const TextLayoutState *state, const char *text, int32_t length, TextLayoutState *endState,
                    TextRun *scratch);

// Ligatures and contextual substitutions in place over the run's glyphs for the classes of the
// pass mask; returns the new glyph count (the caller writes the end entry).
int32_t ApplyRunSequences(TextRun *run, const TextFont *fonts, uint32_t passMask);

// The replacement of the first sequence entry of the glyph that applies, or 0. Following glyphs
// start after the current one and end at the run's end entry; lastOutput is the glyph written
// last (outputCount glyphs written). Consumed receives the matched glyphs the rule takes.
uint32_t MatchSequence(const VorlFontRecord *font, const VorlGlyphRecord *glyph, uint32_t flags, uint32_t classMask,
                       const TextRunGlyph *following, const TextRunGlyph *lastOutput, int32_t outputCount,
                       int32_t *consumed);

// Initial, medial and final forms of joining scripts over glyphs 0 .. glyphCount - 1.
void ApplyJoiningForms(TextRun *run, const TextFont *fonts, int32_t glyphCount);

// Numerator, fraction slash and denominator forms where the state asks for fractions.
void ApplyFractionForms(TextRun *run, const TextFont *fonts, int32_t glyphCount);

}  // namespace oq
