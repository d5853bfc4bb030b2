#pragma once

#include "vorl/text/TextFont.h"

#include <cstdint>

namespace oq {

class Font;

// The fonts a document draws with: 16 slots, each a Font or none, and the text-font array the
// glyph builders read (entry i for slot i; an empty slot has no font record). Not owning.
struct DocumentFontSet
{
    static constexpr int32_t kSlotCount = 16;

    Font *slots[kSlotCount] = {};
    TextFont textFonts[kSlotCount] = {};

    // Puts a face (or none) in a slot with its scale; its text font points at the face's record.
    void SetSlot(int32_t slot, Font *font, float scale = 1.0F);
};

// What a glyph-carrying node asks of the text layout: its style key (the font number), the base
// font size, its scale, layout option flags and the alternate-feature mask and style selector.
struct GlyphLayoutRequest
{
    uint32_t styleKey;
    float fontSize;
    float scale;
    uint32_t optionFlags;
    uint32_t alternateMask;
    uint32_t styleSelector;
};

}  // namespace oq
