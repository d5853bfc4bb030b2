#pragma once

#include "editor/platform/GpuDevice.h"

#include <cstdint>
#include <unordered_map>

namespace oq {

// A window the OpenGL device draws into through its default framebuffer; the window layer makes
// the device's one context current on it and swaps it.
class GLWindow
{
public:
    virtual ~GLWindow() = default;
    virtual void MakeCurrent() = 0;
    virtual void Swap() = 0;
};

// The device on OpenGL 3.3 core. A context must be current when Start is called and whenever the
// device is used; a target without a window is an offscreen sRGB framebuffer.
class GLDevice : public GpuDevice
{
public:
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

    // Reads an offscreen target back as sRGB RGBA bytes, the top row first; false when it cannot.
    [[nodiscard]] bool ReadPixels(GpuHandle target, uint8_t *rgba);

private:
    struct Target
    {
        GLWindow *window;
        uint32_t framebuffer;
        uint32_t renderbuffer;
        int32_t width;
        int32_t height;
    };

    bool MakeRenderbuffer(Target &target, int32_t width, int32_t height);

    std::unordered_map<GpuHandle, Target> targets;
    std::unordered_map<GpuHandle, uint64_t> bufferSizes;
    GpuHandle lastTarget = 0;
    uint32_t sampler = 0;
    int32_t boundHeight = 0;
    uint32_t indexSize = 2;
    uint32_t blendToken = 0;
    std::unordered_map<GpuHandle, uint32_t> blendKinds;
    float boundClearAlpha = 1.0F;
};

}  // namespace oq
