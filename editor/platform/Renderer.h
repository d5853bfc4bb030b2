#pragma once

#include "editor/platform/GpuDevice.h"
#include "vorl/text/ShaderSource.h"

#include <cstdint>

namespace oq {

class Heap;
class Renderer;

// The drawing surface of one window (the main window's, one in every modal dialog) with the colour
// each frame starts from.
struct WindowTarget
{
    int32_t width = 0;
    int32_t height = 0;
    float clearColor[4] = {};
    GpuHandle surface = 0;
    float viewport[6] = {};  // left, top, width, height, depth from, depth to
    Renderer *renderer = nullptr;

    [[nodiscard]] bool Create(Renderer &owner, void *window, int32_t width, int32_t height, const float *color);
    // Binds and clears the target and makes its size the one draws use.
    void BeginFrame();
    // Nothing happens for the current size or while the renderer is not started.
    [[nodiscard]] bool Resize(int32_t width, int32_t height);
    // Shows the frame without waiting.
    void Present();
    void Release();
};

// The editor's one device with its shared state: the shader programs loaded lazily from the Data
// folder and the main window's target. Draws read the size of the target being drawn from here.
class Renderer
{
public:
    // The Data folder is kept by pointer; blocks of file contents come from the heap.
    Renderer(GpuDevice *device, const char *dataFolder, Heap *heap);
    ~Renderer();
    Renderer(const Renderer &) = delete;
    Renderer &operator=(const Renderer &) = delete;

    // True at once when already started; a failure leaves nothing held.
    [[nodiscard]] bool Start(void *window, int32_t width, int32_t height, const float *clearColor);
    void Shutdown();

    // The linked program of the Vorl vertex shader and a pixel-shader variant, loaded on first use;
    // 0 when a file is absent or does not compile (tried again on the next request).
    [[nodiscard]] GpuHandle GetFragmentShader(ShaderVariantIndex variant);
    // The program of the colour (kind 0) or texture (kind 1) shaders, loaded on first use.
    [[nodiscard]] GpuHandle GetColorProgram(int32_t kind);

    // The scissor rectangle in pixels of the target being drawn.
    void SetScissor(int32_t left, int32_t top, int32_t right, int32_t bottom);

    bool IsStarted() const { return started; }
    GpuDevice *GetDevice() const { return device; }
    Heap &GetHeap() const { return *heap; }
    const char *GetDataFolder() const { return dataFolder; }

    bool started = false;
    float targetWidth = 0.0F;
    float targetHeight = 0.0F;
    WindowTarget mainTarget;

private:
    // Compiles a shader file of the Data folder (empty contents when it cannot be read).
    GpuHandle LoadShader(const char *name, uint32_t stage);
    GpuHandle GetVorlVertexShader();
    void ReleaseShaders();

    GpuDevice *device;
    const char *dataFolder;
    Heap *heap;
    GpuHandle colorVertexShaders[2] = {};
    GpuHandle colorPrograms[2] = {};
    GpuHandle vorlVertexShader = 0;
    GpuHandle vorlPrograms[kShaderVariantCount] = {};
};

// The process-wide renderer the widgets draw with: set once by the program that makes it, none
// before.
Renderer *GetRenderer();
void SetRenderer(Renderer *renderer);

// The file name of a Vorl pixel-shader variant: "vorlfs" and two upper-case hex digits.
void MakeVorlPixelShaderName(ShaderVariantIndex variant, char *name);

}  // namespace oq
