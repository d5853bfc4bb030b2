#pragma once

// A test font whose one glyph leans past its box, for the slant corrections of the structures.
#include "StructureTestFont.h"

#include <cstdint>
#include <vector>

namespace oq::test {

// One glyph for 'f': a parallelogram leaning right, from x 0 to 0.3 at the baseline and 0.4 to 0.7 at
// the top (advance 0.5), so both its slanted edges stand off its box. A test may add glyphs after it.
inline std::vector<uint8_t> MakeLeaningFont(void (*addGlyphs)(VorlFontBuilder &, VorlFontDescription &) = nullptr)
{
    VorlFontBuilder builder;
    VorlFontDescription &font = StartStructureTestFont(builder);
    builder.AddGlyph(0.5F);
    font.Map('f', 1);
    float *box = builder.glyphs[1].box;
    box[0] = 0.0F;
    box[1] = 0.0F;
    box[2] = 0.7F;
    box[3] = 0.7F;
    builder.SetContours(1, {{{0.0F, 0.0F}, {0.15F, 0.0F}, {0.3F, 0.0F}, {0.5F, 0.35F}, {0.7F, 0.7F}, {0.55F, 0.7F},
                             {0.4F, 0.7F}, {0.2F, 0.35F}, {0.0F, 0.0F}}});
    if (addGlyphs != nullptr) addGlyphs(builder, font);
    return builder.Build();
}

}  // namespace oq::test
