#pragma once

#include <cstdint>

#include "vorl/text/GlyphPen.h"
#include "vorl/text/TextLayoutState.h"
#include "vorl/text/VorlFileFontRecord.h"

namespace oq {

// One entry of the font array that every text operation takes: a font of a loaded Vorl file
// image (validated), its scale and its baseline shift.
struct TextFont
{
    const VorlFontRecord *fontRecord;
    float fontScale;        // layout units per em = fontScale x state size
    float verticalOffset;   // em units, added to the state's y offset

    // Fills the pen's scales and offsets for the state (script levels included); the pen's
    // direction must be set first.
    void ComputeGlyphTransform(const TextLayoutState *state, GlyphPen *pen) const;
};

static_assert(sizeof(void *) != 8 || sizeof(TextFont) == 16, "TextFont layout");

// Which fonts to try for a font number: the first row whose number matches (else row 0), tried
// in order; an entry not below the font count ends the row.
struct FontFallbackMap
{
    int32_t rowCount;
    int32_t rowLength;
    const int32_t *rowFontNumbers;
    const uint8_t *rows;        // rowCount x rowLength font indexes
};

// No rows and a row length of 1 with the single entry 0: every font number uses font 0 alone.
extern const FontFallbackMap kDefaultFontFallbackMap;

// The kerning of (the pen's kerning partner, this glyph) times the signed x scale; 0 under
// option 0x10. The glyph becomes the new kerning partner.
float GetKerningAdvance(uint32_t glyphIndex, const VorlFontRecord *font, const VorlGlyphRecord *glyph,
                        uint32_t optionFlags, GlyphPen *pen);

}  // namespace oq
