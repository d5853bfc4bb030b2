#pragma once

#include "editor/platform/GpuDevice.h"
#include "vorl/text/VorlFileHeader.h"

#include <cstdint>

namespace oq {

class Renderer;

// The two textures the Vorl pixel shaders sample (curve control points at unit 0, band curve
// lists at unit 1), the texel storage a builder fills before they exist, and, for pairs made from
// a file, the file contents they keep and a font file's decoded curve texels.
struct GlyphTexturePair
{
    int32_t count = 0;  // textures made: 0, 1 curve (or picture), 2 curve and band
    GpuHandle curveTexture = 0;
    GpuHandle bandTexture = 0;
    void *curveTexels = nullptr;
    void *bandTexels = nullptr;
    uint8_t *fileData = nullptr;
    uint64_t fileSize = 0;
    void *decodedCurveData = nullptr;

    // Replaces the textures: the curve texture in 'FLT4' or (any other format) 'HLF4', the band
    // texture when band texels are given. False when a texture could not be made.
    [[nodiscard]] bool Create(Renderer &renderer, uint32_t format, int32_t curveWidth, int32_t curveRows,
                              const void *curveData, int32_t bandWidth, int32_t bandRows, const void *bandData);
    // Keeps the contents of a Vorl file (from the renderer's heap) and makes both textures from its
    // descriptors. False when a descriptor does not fit the file, a block does not decode or memory
    // runs out; the contents are kept either way and freed by ReleaseFile.
    [[nodiscard]] bool CreateFromFile(Renderer &renderer, uint8_t *data, uint64_t size);
    // For a font file whose decoded curve data the pair holds: makes the textures once.
    [[nodiscard]] bool CreateForFontFile(Renderer &renderer);

    void ReleaseTextures(Renderer &renderer);
    // Frees the file contents, then the textures.
    void ReleaseFile(Renderer &renderer);
    // Frees the decoded curve data and the file contents, then the textures.
    void ReleaseFontFile(Renderer &renderer);

    // Bytes a texture descriptor expands to (width x rows x texel size), or 0 when its size is 0
    // or above the texture limit. Curve formats other than 'FLT4' take 8 bytes a texel.
    static uint64_t GetExpandedSize(const TextureDescriptor &descriptor, bool curve);
    // Whether the descriptor's stored data (its compressed size, or its expanded size) lies inside
    // a file of the size.
    static bool DescriptorFits(const TextureDescriptor &descriptor, bool curve, uint64_t fileSize);
    // Expands a descriptor's block of the file into output of GetExpandedSize bytes.
    [[nodiscard]] static bool DecodeTexture(const TextureDescriptor &descriptor, bool curve, const uint8_t *file,
                                            uint64_t fileSize, void *output);
};

}  // namespace oq
