#include "vorl/text/TextFont.h"

#include <cstring>

#include "vorl/text/FontDataAccess.h"

namespace oq {

namespace {

const uint8_t kDefaultFallbackRow[1] = {0};

}  // namespace

const FontFallbackMap kDefaultFontFallbackMap = {0, 1, nullptr, kDefaultFallbackRow};

void TextFont::ComputeGlyphTransform(const TextLayoutState *state, GlyphPen *pen) const
{
    // Levels beyond three act as three; clamping first keeps INT32_MIN defined.
    int32_t level = state->scriptLevel;
    if (level > 3) level = 3;
    if (level < -3) level = -3;
    int32_t count = level < 0 ? -level : level;

    float totalScaleX = 1.0F;
    float totalScaleY = 1.0F;
    float totalOffsetX = 0.0F;
    float totalOffsetY = 0.0F;
    if (count > 0)
    {
        const void *data = fontRecord->GetFontData(level > 0 ? 'SUPS' : 'SUBS');
        if (data != nullptr)
        {
            FontDataScriptItem item;
            std::memcpy(&item, data, sizeof(item));
            for (int32_t k = 0; k < count; k++)
            {
                totalOffsetX += item.offset[0] * totalScaleX;
                totalOffsetY += item.offset[1] * totalScaleY;
                totalScaleX *= item.scale[0];
                totalScaleY *= item.scale[1];
            }
        }
    }

    float base = fontScale * state->size;
    pen->xScale = totalScaleX * state->scale[0] * base * state->stretch;
    pen->yScale = totalScaleY * state->scale[1] * base;
    pen->xOffset = (totalOffsetX + state->offset[0]) * base;
    pen->yOffset = (totalOffsetY + state->offset[1] + verticalOffset) * base;
    pen->signedXScale = pen->xScale * pen->direction;
}

float GetKerningAdvance(uint32_t glyphIndex, const VorlFontRecord *font, const VorlGlyphRecord *glyph,
                        uint32_t optionFlags, GlyphPen *pen)
{
    float advance = 0.0F;
    if ((optionFlags & kTextOptionNoKerning) == 0 && pen->kerningPartner >= 0)
    {
        advance = GetKerning(font, glyph, uint32_t(pen->kerningPartner)) * pen->signedXScale;
    }
    pen->kerningPartner = int32_t(glyphIndex);
    return advance;
}

}  // namespace oq
