#pragma once

#include <cstdint>

namespace oq {

// The 8-bit pixel-shader variant: option bits 0-5 and a mode in bits 6-7.
using ShaderVariantIndex = uint32_t;

enum : uint32_t
{
    kShaderOptionWeight = 0x01,
    kShaderOptionSuper = 0x02,
    kShaderOptionLinear = 0x04,
    kShaderOptionStroke = 0x08,
    kShaderOptionGradient = 0x10,
    kShaderOptionEvenOdd = 0x20,
    kShaderModeMulticolor = 0x40,
    kShaderModeCoverage = 0x80,
    kShaderModeInverseCoverage = 0xC0,
    kShaderModeMask = 0xC0,
    kShaderVariantCount = 256
};

// Flags of the piece getters: include the language preamble, include the entry points.
enum : uint32_t
{
    kShaderSourcePreamble = 0x1,
    kShaderSourceEntryPoints = 0x2
};

// Render flag bits (TextLayoutState::renderFlags) that choose the pixel-shader variant.
enum : uint32_t
{
    kRenderFlagMulticolor = 0x1,
    kRenderFlagWeight = 0x2,
    kRenderFlagSuper = 0x4,
    kRenderFlagLinear = 0x8,
    kRenderFlagStroke = 0x10,
    kRenderFlagGradient = 0x20,
    kRenderFlagEvenOdd = 0x40,
    kRenderFlagCoverage = 0x100,
    kRenderFlagInverseCoverage = 0x200
};

// Fill flag bits that SetFillRenderFlags copies into render flags.
enum : uint32_t
{
    kFillFlagLinear = 0x1,
    kFillFlagStroke = 0x2,
    kFillFlagGradient = 0x4,
    kFillFlagEvenOdd = 0x8
};

// Piece list sizes the getters may fill.
inline constexpr int32_t kVertexShaderPieceMax = 3;
inline constexpr int32_t kPixelShaderPieceMax = 10;

// Vertex shader pieces: preamble (flags bit 0), functions, entry points (flags bit 1).
int32_t GetVertexShaderSource(uint32_t vertexShaderIndex, const char **pieces, uint32_t flags);

// Pixel shader pieces: option macros of the variant, preamble, functions, entry points.
int32_t GetPixelShaderSource(ShaderVariantIndex variant, const char **pieces, uint32_t flags);

// Bytes JoinShaderSource writes, the NUL included.
int32_t GetShaderSourceLength(int32_t pieceCount, const char *const *pieces);

// Writes the pieces one after another and a NUL; output holds GetShaderSourceLength bytes.
void JoinShaderSource(int32_t pieceCount, const char *const *pieces, char *output);

// The vertex shader index and pixel-shader variant for a layout state's render flags.
void GetShaderVariant(uint32_t renderFlags, uint32_t *vertexShaderIndex, ShaderVariantIndex *variant);

// Render flags with the linear, stroke, gradient and even-odd bits taken from fill flags 0-3.
uint32_t SetFillRenderFlags(uint32_t fillFlags, uint32_t renderFlags);

}   // namespace oq
