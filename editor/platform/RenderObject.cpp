#include "editor/platform/RenderObject.h"

#include "editor/platform/Renderer.h"

#include <cstring>

namespace oq {

DrawConstants DrawConstants::Make(const Matrix4D &matrix, float width, float height, const ColorRGBA &color)
{
    DrawConstants constants;
    for (int row = 0; row < 4; ++row)
    {
        for (int column = 0; column < 4; ++column) constants.matrix[4 * row + column] = matrix(row, column);
    }
    constants.viewport[0] = width;
    constants.viewport[1] = height;
    constants.reserved[0] = 0.0F;
    constants.reserved[1] = 0.0F;
    constants.color[0] = color.red;
    constants.color[1] = color.green;
    constants.color[2] = color.blue;
    constants.color[3] = color.alpha;
    return constants;
}

void RenderObject::SetupCommon(Renderer &renderer)
{
    GpuDevice *device = renderer.GetDevice();
    layout = device->CreateLayout(layoutKind);
    if (constantBuffer == 0) constantBuffer = device->CreateBuffer(kGpuConstantBuffer, sizeof(DrawConstants));
    if (blendState == 0) blendState = device->CreateBlendState(kGpuBlendOver);
}

void RenderObject::SetCoverageGroup(Renderer &renderer, bool group)
{
    if (blendState != 0 && group == IsCoverageGroup()) return;
    GpuDevice *device = renderer.GetDevice();
    if (blendState) device->ReleaseBlendState(blendState);
    if (coverageBlendState) device->ReleaseBlendState(coverageBlendState);
    blendState = device->CreateBlendState(group ? kGpuBlendCoveredColor : kGpuBlendOver);
    coverageBlendState = group ? device->CreateBlendState(kGpuBlendCoverage) : 0;
}

void RenderObject::SetupColorShaders(Renderer &renderer, int32_t kind)
{
    if (layout) renderer.GetDevice()->ReleaseLayout(layout);
    layout = 0;
    program = renderer.GetColorProgram(kind);
    vertexStride = kind != 0 ? kTextureVertexStride : kColorVertexStride;
    layoutKind = kind != 0 ? kGpuLayoutTexture : kGpuLayoutColor;
    SetupCommon(renderer);
}

void RenderObject::SetupVorlShaders(Renderer &renderer, uint32_t, ShaderVariantIndex variant)
{
    if (layout) renderer.GetDevice()->ReleaseLayout(layout);
    layout = 0;
    program = renderer.GetFragmentShader(variant);
    vertexStride = kVorlVertexStride;
    layoutKind = kGpuLayoutVorl;
    SetupCommon(renderer);
}

void RenderObject::ReleaseBuffers(Renderer &renderer)
{
    GpuDevice *device = renderer.GetDevice();
    if (indexBuffer) device->ReleaseBuffer(indexBuffer);
    if (vertexBuffer) device->ReleaseBuffer(vertexBuffer);
    indexBuffer = 0;
    vertexBuffer = 0;
}

bool RenderObject::CreateBuffers(Renderer &renderer, uint32_t vertexCount, uint32_t triangleCount,
                                 GeometryBuffer *geometry)
{
    GpuDevice *device = renderer.GetDevice();
    ReleaseBuffers(renderer);
    indexFormat = vertexCount > kMaxVertices16 ? kGpuIndex32 : kGpuIndex16;
    uint64_t triangleSize = indexFormat == kGpuIndex32 ? sizeof(VorlTriangle32) : sizeof(VorlTriangle);
    uint64_t stride = vertexStride != 0 ? vertexStride : kVorlVertexStride;
    vertexBuffer = device->CreateBuffer(kGpuVertexBuffer, uint64_t(vertexCount) * stride);
    indexBuffer = device->CreateBuffer(kGpuIndexBuffer, uint64_t(triangleCount) * triangleSize);
    void *vertices = vertexBuffer ? device->MapBuffer(vertexBuffer) : nullptr;
    void *triangles = indexBuffer ? device->MapBuffer(indexBuffer) : nullptr;
    if (vertices == nullptr || triangles == nullptr)
    {
        if (triangles) device->UnmapBuffer(indexBuffer);
        if (vertices) device->UnmapBuffer(vertexBuffer);
        ReleaseBuffers(renderer);
        return false;
    }
    geometry->vertexData = vertices;
    geometry->triangleData = triangles;
    geometry->vertexIndex = 0;
    geometry->colorFormat = 0;
    geometry->indexFormat = indexFormat == kGpuIndex32 ? 1 : 0;
    return true;
}

void RenderObject::UnmapBuffers(Renderer &renderer)
{
    GpuDevice *device = renderer.GetDevice();
    if (indexBuffer) device->UnmapBuffer(indexBuffer);
    if (vertexBuffer) device->UnmapBuffer(vertexBuffer);
}

void RenderObject::Draw(Renderer &renderer, const Matrix4D &matrix)
{
    if (!renderer.IsStarted() || program == 0 || layout == 0 || vertexBuffer == 0 || indexBuffer == 0 ||
        constantBuffer == 0)
        return;
    GpuDevice *device = renderer.GetDevice();
    void *mapped = device->MapBuffer(constantBuffer);
    if (mapped == nullptr) return;
    DrawConstants constants = DrawConstants::Make(matrix, renderer.targetWidth, renderer.targetHeight, color);
    std::memcpy(mapped, &constants, sizeof(constants));
    device->UnmapBuffer(constantBuffer);

    if (coverageBlendState != 0)
    {
        device->BeginCoverageGroup();
        BindState(device, coverageBlendState);
        DrawItems(device);
        BindState(device, blendState);
        DrawItems(device);
        device->EndCoverageGroup();
        return;
    }
    BindState(device, blendState);
    DrawItems(device);
}

void RenderObject::BindState(GpuDevice *device, GpuHandle blend) const
{
    GpuDrawState state = {};
    state.program = program;
    state.layout = layout;
    state.layoutKind = layoutKind;
    state.stride = vertexStride;
    state.vertexBuffer = vertexBuffer;
    state.indexBuffer = indexBuffer;
    state.indexFormat = indexFormat;
    state.constantBuffer = constantBuffer;
    state.blendState = blend;
    state.color[0] = color.red;
    state.color[1] = color.green;
    state.color[2] = color.blue;
    state.color[3] = color.alpha;
    device->BindDrawState(state);
}

void RenderObject::DrawItems(GpuDevice *device) const
{
    for (int32_t i = 0; i < drawItemCount; ++i)
    {
        const DrawItem &item = drawItems[i];
        if (item.vertexCount == 0) continue;
        if (item.textures && item.textures->count > 0)
        {
            GpuHandle textures[2] = {item.textures->curveTexture, item.textures->bandTexture};
            device->BindTextures(item.textures->count, textures);
        }
        device->DrawIndexed(item.indexCount, item.firstIndex, item.baseVertex);
    }
}

void RenderObject::Release(Renderer &renderer)
{
    GpuDevice *device = renderer.GetDevice();
    if (blendState) device->ReleaseBlendState(blendState);
    if (coverageBlendState) device->ReleaseBlendState(coverageBlendState);
    ReleaseBuffers(renderer);
    if (constantBuffer) device->ReleaseBuffer(constantBuffer);
    if (layout) device->ReleaseLayout(layout);
    blendState = 0;
    coverageBlendState = 0;
    constantBuffer = 0;
    layout = 0;
}

}  // namespace oq
