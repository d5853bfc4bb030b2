#pragma once

#include <cstdint>
#include <vector>

namespace oq::test {

// The two textures the Vorl pixel stage reads: curve texels as four halves or four floats, band
// texels as two uint16 (x | y << 16). Fetches outside a texture read zeros.
struct VorlTexelArrays
{
    const uint16_t *curveHalves = nullptr;
    const float *curveFloats = nullptr;   // used when set
    int32_t curveWidth = 0;
    int32_t curveHeight = 0;
    const uint32_t *band = nullptr;
    int32_t bandWidth = 0;
    int32_t bandHeight = 0;
};

// What the vertex stage hands the pixel stage for one pixel.
struct VorlPixelInput
{
    float em[2];            // interpolated em coordinate
    float emsPerPixel[2];   // fwidth of the em coordinate
    uint32_t glyph[4];      // unpacked location and band-limit words
    float banding[4];
    float color[4];
};

// The pixel stage of the Vorl shader in C++ for a variant: the output colour of one pixel.
void RenderVorlPixel(const VorlTexelArrays &textures, uint32_t variant, const VorlPixelInput &input, float output[4]);

// The pixel stage over a width x height image whose em coordinate is an affine function of the
// pixel centre: em = (a[0] x + a[1] y + a[2], a[3] x + a[4] y + a[5]); row 0 first, four floats a
// pixel. The words are the vertex's location and band-limit words.
std::vector<float> RenderVorlImage(const VorlTexelArrays &textures, uint32_t variant, const double emFromPixel[6],
                                   int32_t width, int32_t height, uint32_t locationWord, uint32_t limitWord,
                                   const float banding[4], const float color[4]);

}   // namespace oq::test
