#pragma once

// The start the structure tests' fonts share: float curves and bands 64 texels wide, one font with
// axis height 0.25, heights 0.7 and 0.5, no slant, and glyph 0, the missing glyph, without outline.
#include "support/VorlFontBuilder.h"

namespace oq::test {

// Sets the builder up and adds the font and its missing glyph; returns the font.
inline VorlFontDescription &StartStructureTestFont(VorlFontBuilder &builder)
{
    builder.curveFormat = kTexelFormatFloat4;
    builder.curveWidth = 64;
    builder.bandWidth = 64;
    VorlFontDescription &font = builder.AddFont();
    font.AddFloats('AXIS', {0.25F});
    font.AddFloats('HITE', {0.7F, 0.5F});
    font.AddFloats('SLNT', {0.0F});
    builder.AddGlyph(0.5F);  // the missing glyph
    return font;
}

}  // namespace oq::test
