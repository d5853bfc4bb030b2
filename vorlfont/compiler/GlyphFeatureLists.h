#pragma once

#include "base/Array.h"
#include "vorl/text/VorlFileGlyphRecord.h"

#include <cstdint>

namespace oq {

class GlyphSelection;

// Where the list writers put the glyphs' list words: the normal records and, with the outline
// effect, the outline records (which take no layer or caret word).
struct FeatureListTarget
{
    const GlyphSelection *selection = nullptr;
    VorlGlyphRecord *records = nullptr;
    VorlGlyphRecord *outlineRecords = nullptr;
    bool timesLig = false;
};

// Each writer walks the selection in new-number order. With a null output it only counts the
// entries (or words) it would write and touches no record; with an output of capacity entries it
// writes them and the glyphs' list words, never past the capacity, and returns 'SIZE' when a
// word's index or count does not fit its packing. *count is what it counted: past the capacity it
// counts on without writing, so the caller sees the disagreement (CheckListCount). Every glyph
// number written names a selected glyph; glyphs that only the layer step selected get no kerning,
// sequence or alternate entries.

// Kerning pairs, sharing runs already written: the writing pass may count fewer than the counting pass.
[[nodiscard]] uint32_t WriteKerningPairs(const FeatureListTarget &target, KerningListEntry *out, uint32_t capacity,
                                         uint32_t *count);
[[nodiscard]] uint32_t WriteAnchors(const FeatureListTarget &target, AnchorListEntry *baseOut, uint32_t baseCapacity,
                                    uint32_t *baseCount, AnchorListEntry *markOut, uint32_t markCapacity,
                                    uint32_t *markCount);
// SequenceList words; the glyph sets go into the pool (not touched while counting).
[[nodiscard]] uint32_t WriteSequences(const FeatureListTarget &target, uint32_t *out, uint32_t capacity,
                                      uint32_t *count, Array<uint32_t> *pool);
[[nodiscard]] uint32_t WriteAlternateEntries(const FeatureListTarget &target, AlternateListEntry *out,
                                             uint32_t capacity, uint32_t *count);
[[nodiscard]] uint32_t WriteDecompositionLists(const FeatureListTarget &target, uint32_t *out, uint32_t capacity,
                                               uint32_t *count);
[[nodiscard]] uint32_t WriteLayers(const FeatureListTarget &target, LayerListEntry *out, uint32_t capacity,
                                   uint32_t *count);
[[nodiscard]] uint32_t WriteLigatureCarets(const FeatureListTarget &target, float *out, uint32_t capacity,
                                           uint32_t *count);

// The index of the pool run {n, glyphs}, appended when the pool has none equal.
uint32_t FindOrAppendGlyphRun(uint32_t n, const uint32_t *glyphs, Array<uint32_t> *pool);

}  // namespace oq
