#pragma once

#include <cstdint>

#include "base/Color.h"
#include "base/ScalarMath.h"
#include "vorl/text/TextLayoutState.h"

namespace oq {

// The colour of a paint along em y (its vertical gradient when in force), optionally tinted by
// a colour layer's sRGB bytes.
struct VerticalPaint
{
    ColorRGBA bottom;
    ColorRGBA top;
    float start;
    float scale;
    bool gradient;

    void Set(const TextPaint *paint, const uint8_t *layerColor)
    {
        bottom = paint->color;
        gradient = paint->gradient && paint->gradientStart != paint->gradientEnd;
        top = gradient ? paint->gradientColor : bottom;
        start = gradient ? paint->gradientStart : 0.0F;
        scale = gradient ? 1.0F / (paint->gradientEnd - paint->gradientStart) : 1.0F;
        if (layerColor != nullptr)
        {
            Tint(&bottom, layerColor);
            Tint(&top, layerColor);
        }
    }

    // Without a gradient both ends are the paint's colour, returned exactly.
    ColorRGBA At(float emY) const
    {
        if (!gradient) return bottom;
        float t = Saturate((emY - start) * scale);
        float u = 1.0F - t;
        return {bottom.red * u + top.red * t, bottom.green * u + top.green * t, bottom.blue * u + top.blue * t,
                bottom.alpha * u + top.alpha * t};
    }

    // Red, green and blue times the layer's linear values; a nonzero alpha becomes the layer's.
    static void Tint(ColorRGBA *color, const uint8_t *layerColor)
    {
        color->red *= kSrgbByteToLinear[layerColor[0]];
        color->green *= kSrgbByteToLinear[layerColor[1]];
        color->blue *= kSrgbByteToLinear[layerColor[2]];
        if (color->alpha != 0.0F) color->alpha = float(layerColor[3]) / 255.0F;
    }
};

}  // namespace oq
