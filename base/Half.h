#pragma once

#include <cstdint>

namespace oq {

// IEEE binary16 conversions for GPU texels and vertex attributes.
// Zero and denormal halves read as signed zero, infinity and NaN halves as signed infinity.
float HalfToFloat(const uint16_t *half);

// Rounds to nearest with ties away from zero; magnitudes below 2^-14 become signed zero,
// values that round above 65504 (and NaN) become signed infinity.
void FloatToHalf(uint16_t *half, float value);

}  // namespace oq
