#pragma once

#include "editor/platform/GpuDevice.h"

#include <map>
#include <string>
#include <vector>

namespace oq {

// A device that keeps buffer bytes and texture texels in memory and records every call, for
// logic tests of the renderer and the widgets without a GPU. Shaders compile when their text is
// not empty; failures can be switched on per kind of call.
class RecordingDevice : public GpuDevice
{
public:
    // One recorded call: its 4CC, the object it names and up to four numbers.
    struct Call
    {
        uint32_t kind;
        GpuHandle handle;
        int64_t values[4];
    };

    struct Buffer
    {
        uint32_t kind;
        std::vector<uint8_t> bytes;
        bool mapped;
    };

    struct Texture
    {
        uint32_t format;
        int32_t width;
        int32_t height;
        std::vector<uint8_t> texels;
    };

    struct Target
    {
        int32_t width;
        int32_t height;
    };

    // One indexed draw with what was bound for it.
    struct Draw
    {
        GpuDrawState state;
        GpuHandle textures[2];
        int32_t textureCount;
        uint32_t indexCount;
        uint32_t firstIndex;
        int32_t baseVertex;
        std::vector<uint8_t> constants;  // the constant buffer at the time of the draw
        int32_t scissor[4];
        uint32_t blendKind;              // the kind of the bound blend state (0: none)
    };

    bool Start() override;
    void Shutdown() override;
    GpuHandle CreateTarget(void *window, int32_t width, int32_t height) override;
    bool ResizeTarget(GpuHandle target, int32_t width, int32_t height) override;
    void BeginTarget(GpuHandle target, const float *clearColor, int32_t width, int32_t height) override;
    void SetScissor(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    void Present(GpuHandle target) override;
    void ReleaseTarget(GpuHandle target) override;
    GpuHandle CreateShader(uint32_t stage, const char *text, uint32_t length) override;
    void ReleaseShader(GpuHandle shader) override;
    GpuHandle LinkProgram(GpuHandle vertexShader, GpuHandle pixelShader, uint32_t kind) override;
    void ReleaseProgram(GpuHandle program) override;
    GpuHandle CreateBuffer(uint32_t kind, uint64_t size) override;
    void *MapBuffer(GpuHandle buffer) override;
    void UnmapBuffer(GpuHandle buffer) override;
    void ReleaseBuffer(GpuHandle buffer) override;
    GpuHandle CreateLayout(uint32_t kind) override;
    void ReleaseLayout(GpuHandle layout) override;
    GpuHandle CreateBlendState(uint32_t kind) override;
    void ReleaseBlendState(GpuHandle blend) override;
    void BeginCoverageGroup() override;
    void EndCoverageGroup() override;
    GpuHandle CreateTexture(uint32_t format, int32_t width, int32_t height, const void *texels) override;
    void ReleaseTexture(GpuHandle texture) override;
    void BindDrawState(const GpuDrawState &state) override;
    void BindTextures(int32_t count, const GpuHandle *textures) override;
    void DrawIndexed(uint32_t indexCount, uint32_t firstIndex, int32_t baseVertex) override;

    // Calls of one kind so far.
    int32_t CountCalls(uint32_t kind) const;
    // Objects created and not yet released.
    size_t LiveObjects() const;

    bool failStart = false;
    bool failTargets = false;
    bool failMaps = false;

    std::vector<Call> calls;
    std::map<GpuHandle, Buffer> buffers;
    std::map<GpuHandle, Texture> textures;
    std::map<GpuHandle, Target> targets;
    std::map<GpuHandle, std::string> shaders;   // the source text of each live shader
    std::map<GpuHandle, std::string> programs;  // vertex text + "|" + pixel text
    std::map<GpuHandle, uint32_t> layouts;
    std::map<GpuHandle, uint32_t> blendStates;  // the kind of each live blend state
    std::vector<Draw> draws;

private:
    GpuHandle Next() { return ++lastHandle; }
    void Record(uint32_t kind, GpuHandle handle, int64_t a = 0, int64_t b = 0, int64_t c = 0, int64_t d = 0);

    GpuHandle lastHandle = 0;
    GpuDrawState bound = {};
    GpuHandle boundTextures[2] = {};
    int32_t boundTextureCount = 0;
    int32_t scissor[4] = {};
};

}  // namespace oq
