#pragma once

#include <array>
#include <cstdint>

namespace oq {

// sRGB transfer functions for one component; alpha never goes through them.
float SrgbToLinear(float c);
float LinearToSrgb(float c);

// Linear value of each sRGB byte (i / 255 decoded).
extern const std::array<float, 256> kSrgbByteToLinear;

// Linear-light RGB colour.
struct ColorRGB
{
    float red;
    float green;
    float blue;

    ColorRGB SrgbToLinear() const;
    ColorRGB LinearToSrgb() const;

    // Hue in sextants (0 up to 6) and saturation; both 0 for black and greys.
    void GetHueSaturation(float *hue, float *saturation) const;
    // The brightest colour of that hue and saturation; a hue outside (-1, 6) changes nothing.
    void SetHueSaturation(float hue, float saturation);

    // Divided by the largest component; white when that is not above FloatMinNormal.
    ColorRGB GetNormalized() const;
    void SetMaxComponent(float value);

    // Shared-exponent packing: red bits 0-8, green 9-17, blue 18-26, exponent 27-31.
    uint32_t GetRGB9E5() const;

    // Six uppercase hex digits of the sRGB bytes and a NUL (seven bytes).
    void GetHexText(char *text) const;
    // Up to six hex digits; missing digits count as F.
    void SetHexText(const char *text);
};

// Linear-light RGB colour with linear alpha.
struct ColorRGBA
{
    float red;
    float green;
    float blue;
    float alpha;

    ColorRGBA SrgbToLinear() const;
    ColorRGBA LinearToSrgb() const;

    // Eight uppercase hex digits and a NUL (nine bytes); alpha is not sRGB-encoded.
    void GetHexText(char *text) const;
    // Up to eight hex digits; missing digits count as F.
    void SetHexText(const char *text);
};

// Red, green and blue sRGB-encoded, alpha as is; each byte saturates to 0..255 and NaN gives 0.
void ColorRGBAToSrgb8(uint8_t *output, const ColorRGBA &color);

}  // namespace oq
