#pragma once

#include "base/Color.h"
#include "base/Matrix4D.h"
#include "editor/platform/GlyphTexturePair.h"
#include "editor/platform/GpuDevice.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/text/ShaderSource.h"

#include <cstdint>

namespace oq {

class Renderer;
struct FillStyle;
struct QuadraticBezier2D;

// One indexed draw of a render object with the textures it binds (none: the previous draw's stay).
struct DrawItem
{
    uint32_t vertexCount;  // 0: skipped
    uint32_t indexCount;   // three per triangle
    uint32_t firstIndex;
    int32_t baseVertex;
    GlyphTexturePair *textures;
};

// The 96-byte constant block of every draw: the matrix row by row, the target size, the object's
// colour.
struct DrawConstants
{
    float matrix[16];
    float viewport[2];
    float reserved[2];
    float color[4];

    static DrawConstants Make(const Matrix4D &matrix, float width, float height, const ColorRGBA &color);
};

static_assert(sizeof(DrawConstants) == 96);

// Vertex strides of the three layouts.
constexpr uint32_t kVorlVertexStride = 68;
constexpr uint32_t kColorVertexStride = 24;
constexpr uint32_t kTextureVertexStride = 32;

// Everything one drawable thing needs on the GPU: program, vertex layout, buffers, blend state,
// colour constant and its list of draw items.
class RenderObject
{
public:
    uint32_t vertexStride = 0;
    int32_t drawItemCount = 0;
    DrawItem *drawItems = nullptr;
    ColorRGBA color = {0.0F, 0.0F, 0.0F, 1.0F};
    GpuHandle program = 0;
    GpuHandle layout = 0;
    uint32_t layoutKind = 0;
    GpuHandle vertexBuffer = 0;
    GpuHandle indexBuffer = 0;
    GpuHandle constantBuffer = 0;
    GpuHandle blendState = 0;
    // Set for a coverage group: the blend state of its first pass (blendState draws the second).
    GpuHandle coverageBlendState = 0;
    uint32_t indexFormat = kGpuIndex16;

    // Kind 0: colour shaders (24-byte vertices), 1: texture shaders (32 bytes).
    void SetupColorShaders(Renderer &renderer, int32_t kind);
    // The Vorl vertex shader (index 0) with a pixel-shader variant, 68-byte vertices.
    void SetupVorlShaders(Renderer &renderer, uint32_t vertexShaderIndex, ShaderVariantIndex variant);

    // Replaces the buffers with room for the vertices (of the object's stride; 68 bytes before any
    // shaders) and triangles and maps both into the geometry buffer (RGBA8 colours; 32-bit indices
    // above 65,536 vertices, else 16-bit). False, with no buffer kept and nothing mapped, when a
    // buffer cannot be made or mapped.
    [[nodiscard]] bool CreateBuffers(Renderer &renderer, uint32_t vertexCount, uint32_t triangleCount,
                                     GeometryBuffer *geometry);
    // Unmaps both buffers after the geometry is written (index buffer first).
    void UnmapBuffers(Renderer &renderer);

    // One filled path as the draw item's geometry with the pair's textures ('FLT4' curve texels).
    // With no vertices, or when memory, a buffer or the fill fails, the item's vertex count is 0.
    // The caller sets up the Vorl shaders (variant 1) beforehand.
    void BuildPathGeometry(Renderer &renderer, const FillStyle &style, int32_t curveCount,
                           const QuadraticBezier2D *curves, DrawItem *item, GlyphTexturePair *pair);

    void Draw(Renderer &renderer, const Matrix4D &matrix);
    void Release(Renderer &renderer);

    // Releases the buffers only.
    void ReleaseBuffers(Renderer &renderer);

    // Makes the object draw as one coverage group (its items twice, see GpuDevice) or as plain
    // colour over the target; the blend states are replaced only when the choice changes.
    void SetCoverageGroup(Renderer &renderer, bool group);
    bool IsCoverageGroup() const { return coverageBlendState != 0; }

private:
    void SetupCommon(Renderer &renderer);
    void BindState(GpuDevice *device, GpuHandle blend) const;
    void DrawItems(GpuDevice *device) const;
};

}  // namespace oq
