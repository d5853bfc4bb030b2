#pragma once

// The face of the caret and overlay tests: box glyphs whose ink lies inside their advances, no
// ligatures, kerning or layers, so every character has a caret cell of its own and x positions are
// stable. 1-, 2-, 3- and 4-byte characters are mapped; everything else but 'f' takes the missing
// glyph (no outline).
#include "editor/structures/LeaningFont.h"

#include <cstdint>
#include <iterator>
#include <vector>

namespace oq::test {

inline std::vector<uint8_t> MakeCaretTestFace()
{
    return MakeLeaningFont([](VorlFontBuilder &builder, VorlFontDescription &font) {
        struct Shape
        {
            uint32_t character;
            float advance;
        } shapes[] = {{'A', 0.5F}, {'B', 0.55F}, {0x3FF, 0.45F}, {0x20AC, 0.65F}, {0x1F600, 0.8F}};
        for (const Shape &shape : shapes)
        {
            float a = shape.advance;
            font.Map(shape.character, builder.AddBoxGlyph(a, 0.05F, 0.0F, a - 0.05F, 0.7F));
        }
    });
}

}  // namespace oq::test
