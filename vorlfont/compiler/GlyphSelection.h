#pragma once

#include "base/Array.h"

#include <cstdint>

namespace oq {

class FontStructure;
class GlyphStructure;
class FontCompileContext;
class CharacterInclusionMap;
class CharacterTable;

// The glyphs of the glyph-source Font that a compile keeps, numbered in the order reached.
// Glyph numbers from the document at or above the glyph count are treated as absent.
class GlyphSelection
{
public:
    void Reset(const FontStructure *glyphFont);

    uint32_t GetCount() const { return uint32_t(selection.GetElementCount()); }
    uint32_t GetGlyphCount() const { return glyphCount; }
    bool IsSelected(uint32_t glyph) const { return glyph < glyphCount && selected[int32_t(glyph)] != 0; }
    // The new number of a selected glyph; 0 for any other number.
    uint32_t GetNewNumber(uint32_t glyph) const { return IsSelected(glyph) ? uint32_t(newNumbers[int32_t(glyph)]) : 0; }
    // The Glyph of the selected glyph at a position, or null.
    GlyphStructure *GetSelectedGlyph(uint32_t position) const;

    // Selects the glyph and, through single references, the glyphs it copies; nothing for a
    // number at or above the glyph count.
    void AddGlyphAndReferences(uint32_t glyph);

    // With the math option: each mapped plain letter gets an 'ms01'..'ms13' Alternate to each
    // mapped styled form, and each unmapped styled form is mapped to the plain glyph.
    void AddMathStyleAlternates(CharacterTable *characterTable);

    // The selection steps, in order (options are FontCompileFlags).
    void SelectFontGlyphs(FontCompileContext *context, const CharacterInclusionMap &map, uint32_t flags);
    uint32_t AddDecompositionGlyphs();
    uint32_t AddAlternateGlyphs(uint32_t firstPosition);
    uint32_t AddSequenceGlyphs(uint32_t firstPosition);
    uint32_t AddLayerGlyphs();

    // Runs every step for the contexts of a compile and fills their character maps.
    void SelectAll(FontCompileContext *firstContext, const CharacterInclusionMap &map, uint32_t flags);

    Array<uint32_t> selection;   // glyph indexes in new-number order
    Array<int32_t> newNumbers;   // per glyph of the source Font, 0 when not selected
    Array<uint8_t> selected;     // per glyph: whether it is selected (glyph 0 included)
    uint32_t decompositionStart = 0;  // glyphs selected before the decomposition step
    uint32_t layerStart = 0;          // glyphs selected before the layer step

private:
    const FontStructure *font = nullptr;
    uint32_t glyphCount = 0;
};

// The alternate feature word of an OpenType feature tag (0: not compiled).
uint32_t FeatureTagToAlternateBits(uint32_t tag);
// Whether the feature's word carries a selector in bits 24-31.
bool FeatureHasSelector(uint32_t tag);
// The ligature class of a Sequence's feature (0: not compiled).
uint16_t FeatureTagToLigatureClass(uint32_t tag, bool timesLig);

}  // namespace oq
