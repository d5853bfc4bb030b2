#include "vorl/geometry/FillStyle.h"

namespace oq {

void ResetFillStyle(FillStyle *style)
{
    style->color = {0.0f, 0.0f, 0.0f, 1.0f};
    style->rule = kFillRuleNonZero;
    style->gradient = kGradientNone;
    style->lineA = 0.0f;
    style->lineB = 0.0f;
    style->lineC = 0.0f;
    style->gradientColor1 = {0.0f, 0.0f, 0.0f, 1.0f};
    style->gradientColor2 = {0.0f, 0.0f, 0.0f, 1.0f};
}

int32_t FillStyle::WriteGradientTexels(const TexelBuffer &buffer, float g, float ox, float oy, int32_t *cursor,
                                       int32_t *location) const
{
    if (gradient == kGradientNone)
        return 0;

    if (cursor[1] < 0 || cursor[1] >= buffer.height || cursor[0] < 0)
        return -1;
    if (buffer.width - cursor[0] < 3)
    {
        if (buffer.texels)
        {
            if (buffer.format == 'FLT4')
                (void)ClearTexelRowFloat(buffer.texels, buffer.width, cursor);
            else
                (void)ClearTexelRowHalf(buffer.texels, buffer.width, cursor);
        }
        cursor[0] = 0;
        cursor[1]++;
        if (cursor[1] >= buffer.height || buffer.width < 3)
            return -1;
    }

    int32_t x = cursor[0], y = cursor[1];
    location[0] = x;
    location[1] = y;
    if (buffer.texels)
    {
        if (gradient == kGradientLinear)
        {
            WriteCurveTexel(buffer.texels, buffer.format, buffer.width, x, y, lineA / g, lineB / g,
                            lineC - (lineA * ox + lineB * oy) / g, 0.0f);
        }
        else
        {
            float f = 1.0f / (g * radius);
            WriteCurveTexel(buffer.texels, buffer.format, buffer.width, x, y, (g * centerX + ox) * f,
                            (g * centerY + oy) * f, f, 0.0f);
        }
        const ColorRGBA &c1 = gradientColor1;
        const ColorRGBA &c2 = gradientColor2;
        WriteCurveTexel(buffer.texels, buffer.format, buffer.width, x + 1, y, c1.red, c1.green, c1.blue, c1.alpha);
        WriteCurveTexel(buffer.texels, buffer.format, buffer.width, x + 2, y, c2.red, c2.green, c2.blue, c2.alpha);
    }
    cursor[0] = x + 3;
    return gradient == kGradientLinear ? 1 : 2;
}

}  // namespace oq
