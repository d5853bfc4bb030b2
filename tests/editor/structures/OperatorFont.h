#pragma once

// The test font of the large operators (iterations, integrals): glyph 1 has the ink box kOperatorInk
// and one square contour, glyph 2 and the missing glyph have no outline (no ink height); there is no
// U+FFFD.
#include "StructureTestFont.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace oq::test {

constexpr float kOperatorInk[4] = {0.1F, -0.3F, 0.9F, 0.9F};

// The code points of `inked` map to glyph 1, those of `blank` to glyph 2.
inline std::vector<uint8_t> MakeOperatorFont(std::initializer_list<uint32_t> inked, std::initializer_list<uint32_t> blank)
{
    VorlFontBuilder builder;
    VorlFontDescription &font = StartStructureTestFont(builder);
    builder.AddGlyph(1.0F);  // the inked operator
    builder.AddGlyph(0.5F);  // no outline
    for (uint32_t codePoint : inked) font.Map(codePoint, 1);
    for (uint32_t codePoint : blank) font.Map(codePoint, 2);
    float *box = builder.glyphs[1].box;
    for (int32_t i = 0; i < 4; ++i) box[i] = kOperatorInk[i];
    builder.SetContours(1, {{{0.1F, -0.3F}, {0.5F, -0.3F}, {0.9F, -0.3F}, {0.9F, 0.3F}, {0.9F, 0.9F}, {0.5F, 0.9F},
                             {0.1F, 0.9F}, {0.1F, 0.3F}, {0.1F, -0.3F}}});
    builder.bandTexels.assign(4, 0);
    builder.SetBands(1, 0, 0, 2, 2);
    return builder.Build();
}

}  // namespace oq::test
