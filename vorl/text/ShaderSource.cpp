#include "vorl/text/ShaderSource.h"

#include <cstring>

#include "vorl/text/ShaderSourceText.h"

namespace oq {

int32_t GetVertexShaderSource(uint32_t vertexShaderIndex, const char **pieces, uint32_t flags)
{
    (void) vertexShaderIndex;
    int32_t count = 0;
    if (flags & kShaderSourcePreamble) pieces[count++] = ShaderSourceText::kVertexPreamble;
    pieces[count++] = ShaderSourceText::kVertexFunctions;
    if (flags & kShaderSourceEntryPoints) pieces[count++] = ShaderSourceText::kVertexEntryPoints;
    return count;
}

int32_t GetPixelShaderSource(ShaderVariantIndex variant, const char **pieces, uint32_t flags)
{
    int32_t count = 0;
    for (int32_t bit = 0; bit < 6; ++bit)
        if (variant & (1U << bit)) pieces[count++] = ShaderSourceText::kOptionMacros[bit];
    uint32_t mode = (variant & kShaderModeMask) >> 6;
    if (mode != 0) pieces[count++] = ShaderSourceText::kModeMacros[mode];
    if (flags & kShaderSourcePreamble) pieces[count++] = ShaderSourceText::kPixelPreamble;
    pieces[count++] = ShaderSourceText::kPixelFunctions;
    if (flags & kShaderSourceEntryPoints) pieces[count++] = ShaderSourceText::kPixelEntryPoints;
    return count;
}

int32_t GetShaderSourceLength(int32_t pieceCount, const char *const *pieces)
{
    int32_t length = 1;
    for (int32_t i = 0; i < pieceCount; ++i) length += int32_t(std::strlen(pieces[i]));
    return length;
}

void JoinShaderSource(int32_t pieceCount, const char *const *pieces, char *output)
{
    for (int32_t i = 0; i < pieceCount; ++i)
    {
        size_t length = std::strlen(pieces[i]);
        std::memcpy(output, pieces[i], length);
        output += length;
    }
    *output = 0;
}

void GetShaderVariant(uint32_t renderFlags, uint32_t *vertexShaderIndex, ShaderVariantIndex *variant)
{
    *vertexShaderIndex = 0;
    ShaderVariantIndex index = (renderFlags >> 1) & 0x3F;
    if (renderFlags & kRenderFlagMulticolor) index |= kShaderModeMulticolor;
    else if (renderFlags & kRenderFlagCoverage) index |= kShaderModeCoverage;
    else if (renderFlags & kRenderFlagInverseCoverage) index |= kShaderModeInverseCoverage;
    *variant = index;
}

uint32_t SetFillRenderFlags(uint32_t fillFlags, uint32_t renderFlags)
{
    return (renderFlags & ~uint32_t(0x78)) | ((fillFlags & 0xF) << 3);
}

}   // namespace oq
