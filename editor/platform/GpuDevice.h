#pragma once

#include <cstdint>

namespace oq {

// A GPU object of a device: 0 is none.
using GpuHandle = uint32_t;

// Shader stages and the program kinds that tell a device how to bind a linked program's block and
// samplers.
constexpr uint32_t kGpuVertexStage = 'vert';
constexpr uint32_t kGpuPixelStage = 'frag';
constexpr uint32_t kGpuProgramVorl = 'vorl';
constexpr uint32_t kGpuProgramColor = 'colr';
constexpr uint32_t kGpuProgramTexture = 'texr';

// Buffer kinds; every buffer is dynamic and filled through a write-discard map.
constexpr uint32_t kGpuVertexBuffer = 'vert';
constexpr uint32_t kGpuIndexBuffer = 'indx';
constexpr uint32_t kGpuConstantBuffer = 'cnst';

// Texture formats: 'FLT4' four floats, 'HLF4' four halves, '16U2' two uint16, and the sRGB picture.
constexpr uint32_t kGpuTexturePicture = 'SRGB';

// The vertex layouts of render objects: Vorl (68 bytes), colour (24) and texture (32).
constexpr uint32_t kGpuLayoutVorl = 'vorl';
constexpr uint32_t kGpuLayoutColor = 'colr';
constexpr uint32_t kGpuLayoutTexture = 'texr';

// Index formats.
constexpr uint32_t kGpuIndex16 = 16;
constexpr uint32_t kGpuIndex32 = 32;

// Blend kinds. Over: colour over the destination by the source alpha, the destination alpha kept.
// A coverage group draws its pieces twice between BeginCoverageGroup and EndCoverageGroup: first
// with Coverage (the largest source alpha into the destination alpha, colour untouched), then with
// CoveredColor (the colour weighted by the destination alpha, which then drops to 0), so each pixel
// takes the colour once at the largest coverage any piece gives it.
constexpr uint32_t kGpuBlendOver = 'over';
constexpr uint32_t kGpuBlendCoverage = 'cmax';
constexpr uint32_t kGpuBlendCoveredColor = 'ccol';

// The largest texture side a device accepts.
constexpr int32_t kGpuMaxTextureSize = 8192;

// What one render object binds before its draws.
struct GpuDrawState
{
    GpuHandle program;
    GpuHandle layout;           // the object's vertex array
    uint32_t layoutKind;
    uint32_t stride;
    GpuHandle vertexBuffer;
    GpuHandle indexBuffer;
    uint32_t indexFormat;
    GpuHandle constantBuffer;
    GpuHandle blendState;
    float color[4];             // the object's colour constant
};

// The device a renderer draws with: the OpenGL back end, or a recording one for logic tests.
// Creation calls give 0 when they fail; a map gives null when it fails.
class GpuDevice
{
public:
    virtual ~GpuDevice() = default;

    // Device-wide state: rasterizer (no culling, scissor on), depth and stencil off, the linear
    // clamping sampler at unit 0.
    [[nodiscard]] virtual bool Start() = 0;
    virtual void Shutdown() = 0;

    // A window's drawing surface; a null window is an offscreen surface of the size.
    [[nodiscard]] virtual GpuHandle CreateTarget(void *window, int32_t width, int32_t height) = 0;
    [[nodiscard]] virtual bool ResizeTarget(GpuHandle target, int32_t width, int32_t height) = 0;
    // Binds the target, clears it whole with the colour (linear) and sets the viewport.
    virtual void BeginTarget(GpuHandle target, const float *clearColor, int32_t width, int32_t height) = 0;
    // Rectangle in pixels from the top left of the bound target.
    virtual void SetScissor(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
    virtual void Present(GpuHandle target) = 0;
    virtual void ReleaseTarget(GpuHandle target) = 0;

    [[nodiscard]] virtual GpuHandle CreateShader(uint32_t stage, const char *text, uint32_t length) = 0;
    virtual void ReleaseShader(GpuHandle shader) = 0;
    [[nodiscard]] virtual GpuHandle LinkProgram(GpuHandle vertexShader, GpuHandle pixelShader, uint32_t kind) = 0;
    virtual void ReleaseProgram(GpuHandle program) = 0;

    [[nodiscard]] virtual GpuHandle CreateBuffer(uint32_t kind, uint64_t size) = 0;
    [[nodiscard]] virtual void *MapBuffer(GpuHandle buffer) = 0;
    virtual void UnmapBuffer(GpuHandle buffer) = 0;
    virtual void ReleaseBuffer(GpuHandle buffer) = 0;

    [[nodiscard]] virtual GpuHandle CreateLayout(uint32_t kind) = 0;
    virtual void ReleaseLayout(GpuHandle layout) = 0;
    // A blend state of one of the kinds above; 0 for an unknown kind.
    [[nodiscard]] virtual GpuHandle CreateBlendState(uint32_t kind) = 0;
    virtual void ReleaseBlendState(GpuHandle blend) = 0;
    // Outside a coverage group every pixel's alpha is the bound target's clear alpha. Begin sets the
    // alpha inside the scissor to 0; End gives it back the clear alpha.
    virtual void BeginCoverageGroup() = 0;
    virtual void EndCoverageGroup() = 0;

    // Texel rows are width x texel size bytes, the top row first.
    [[nodiscard]] virtual GpuHandle CreateTexture(uint32_t format, int32_t width, int32_t height, const void *texels) = 0;
    virtual void ReleaseTexture(GpuHandle texture) = 0;

    virtual void BindDrawState(const GpuDrawState &state) = 0;
    // Binds count textures at units 0 upward.
    virtual void BindTextures(int32_t count, const GpuHandle *textures) = 0;
    virtual void DrawIndexed(uint32_t indexCount, uint32_t firstIndex, int32_t baseVertex) = 0;
};

// Bytes of one texel of a texture format; 0 for an unknown format.
uint32_t GetTexelSize(uint32_t format);

}  // namespace oq
