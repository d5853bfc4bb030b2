#include "editor/platform/RecordingDevice.h"

#include <cstring>

namespace oq {

uint32_t GetTexelSize(uint32_t format)
{
    switch (format)
    {
    case 'FLT4': return 16;
    case 'HLF4': return 8;
    case '16U2':
    case kGpuTexturePicture: return 4;
    default: return 0;
    }
}

void RecordingDevice::Record(uint32_t kind, GpuHandle handle, int64_t a, int64_t b, int64_t c, int64_t d)
{
    calls.push_back({kind, handle, {a, b, c, d}});
}

int32_t RecordingDevice::CountCalls(uint32_t kind) const
{
    int32_t count = 0;
    for (const Call &call : calls) count += int32_t(call.kind == kind);
    return count;
}

size_t RecordingDevice::LiveObjects() const
{
    return buffers.size() + textures.size() + targets.size() + shaders.size() + programs.size() + layouts.size() +
           blendStates.size();
}

bool RecordingDevice::Start()
{
    Record('strt', 0);
    return !failStart;
}

void RecordingDevice::Shutdown() { Record('shut', 0); }

GpuHandle RecordingDevice::CreateTarget(void *, int32_t width, int32_t height)
{
    Record('ctgt', 0, width, height);
    if (failTargets) return 0;
    GpuHandle handle = Next();
    targets[handle] = {width, height};
    return handle;
}

bool RecordingDevice::ResizeTarget(GpuHandle target, int32_t width, int32_t height)
{
    Record('rsiz', target, width, height);
    auto found = targets.find(target);
    if (found == targets.end()) return false;
    found->second = {width, height};
    return true;
}

void RecordingDevice::BeginTarget(GpuHandle target, const float *clearColor, int32_t width, int32_t height)
{
    int64_t red = 0;
    std::memcpy(&red, clearColor, sizeof(float));
    Record('begn', target, width, height, red);
}

void RecordingDevice::SetScissor(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    Record('scis', 0, left, top, right, bottom);
    scissor[0] = left;
    scissor[1] = top;
    scissor[2] = right;
    scissor[3] = bottom;
}

void RecordingDevice::Present(GpuHandle target) { Record('pres', target); }

void RecordingDevice::ReleaseTarget(GpuHandle target)
{
    Record('rtgt', target);
    targets.erase(target);
}

GpuHandle RecordingDevice::CreateShader(uint32_t stage, const char *text, uint32_t length)
{
    Record('cshd', 0, stage, length);
    if (length == 0) return 0;
    GpuHandle handle = Next();
    shaders[handle] = std::string(text, length);
    return handle;
}

void RecordingDevice::ReleaseShader(GpuHandle shader)
{
    Record('rshd', shader);
    shaders.erase(shader);
}

GpuHandle RecordingDevice::LinkProgram(GpuHandle vertexShader, GpuHandle pixelShader, uint32_t kind)
{
    Record('link', 0, vertexShader, pixelShader, kind);
    auto vertex = shaders.find(vertexShader);
    auto pixel = shaders.find(pixelShader);
    if (vertex == shaders.end() || pixel == shaders.end()) return 0;
    GpuHandle handle = Next();
    programs[handle] = vertex->second + "|" + pixel->second;
    return handle;
}

void RecordingDevice::ReleaseProgram(GpuHandle program)
{
    Record('rprg', program);
    programs.erase(program);
}

GpuHandle RecordingDevice::CreateBuffer(uint32_t kind, uint64_t size)
{
    Record('cbuf', 0, kind, int64_t(size));
    GpuHandle handle = Next();
    buffers[handle] = {kind, std::vector<uint8_t>(size_t(size), 0xCD), false};
    return handle;
}

void *RecordingDevice::MapBuffer(GpuHandle buffer)
{
    Record('map ', buffer);
    auto found = buffers.find(buffer);
    if (failMaps || found == buffers.end() || found->second.mapped) return nullptr;
    found->second.mapped = true;
    return found->second.bytes.data();
}

void RecordingDevice::UnmapBuffer(GpuHandle buffer)
{
    Record('umap', buffer);
    auto found = buffers.find(buffer);
    if (found != buffers.end()) found->second.mapped = false;
}

void RecordingDevice::ReleaseBuffer(GpuHandle buffer)
{
    Record('rbuf', buffer);
    buffers.erase(buffer);
}

GpuHandle RecordingDevice::CreateLayout(uint32_t kind)
{
    Record('clay', 0, kind);
    GpuHandle handle = Next();
    layouts[handle] = kind;
    return handle;
}

void RecordingDevice::ReleaseLayout(GpuHandle layout)
{
    Record('rlay', layout);
    layouts.erase(layout);
}

GpuHandle RecordingDevice::CreateBlendState(uint32_t kind)
{
    Record('cbld', 0, kind);
    if (kind != kGpuBlendOver && kind != kGpuBlendCoverage && kind != kGpuBlendCoveredColor) return 0;
    GpuHandle handle = Next();
    blendStates[handle] = kind;
    return handle;
}

void RecordingDevice::ReleaseBlendState(GpuHandle blend)
{
    Record('rbld', blend);
    blendStates.erase(blend);
}

void RecordingDevice::BeginCoverageGroup() { Record('cgbg', 0); }

void RecordingDevice::EndCoverageGroup() { Record('cgen', 0); }

GpuHandle RecordingDevice::CreateTexture(uint32_t format, int32_t width, int32_t height, const void *texels)
{
    Record('ctex', 0, format, width, height);
    uint32_t texelSize = GetTexelSize(format);
    if (texelSize == 0 || width <= 0 || height <= 0 || width > kGpuMaxTextureSize || height > kGpuMaxTextureSize)
        return 0;
    GpuHandle handle = Next();
    Texture &texture = textures[handle];
    texture = {format, width, height, {}};
    const uint8_t *bytes = static_cast<const uint8_t *>(texels);
    texture.texels.assign(bytes, bytes + size_t(width) * size_t(height) * texelSize);
    return handle;
}

void RecordingDevice::ReleaseTexture(GpuHandle texture)
{
    Record('rtex', texture);
    textures.erase(texture);
}

void RecordingDevice::BindDrawState(const GpuDrawState &state)
{
    Record('bind', state.program);
    bound = state;
}

void RecordingDevice::BindTextures(int32_t count, const GpuHandle *handles)
{
    Record('btex', 0, count, handles[0], count > 1 ? handles[1] : 0);
    boundTextureCount = count;
    boundTextures[0] = handles[0];
    boundTextures[1] = count > 1 ? handles[1] : 0;
}

void RecordingDevice::DrawIndexed(uint32_t indexCount, uint32_t firstIndex, int32_t baseVertex)
{
    Record('draw', 0, indexCount, firstIndex, baseVertex);
    Draw draw = {};
    draw.state = bound;
    draw.textures[0] = boundTextures[0];
    draw.textures[1] = boundTextures[1];
    draw.textureCount = boundTextureCount;
    draw.indexCount = indexCount;
    draw.firstIndex = firstIndex;
    draw.baseVertex = baseVertex;
    auto constants = buffers.find(bound.constantBuffer);
    if (constants != buffers.end()) draw.constants = constants->second.bytes;
    std::memcpy(draw.scissor, scissor, sizeof(scissor));
    auto blend = blendStates.find(bound.blendState);
    draw.blendKind = blend != blendStates.end() ? blend->second : 0;
    draws.push_back(std::move(draw));
}

}  // namespace oq
