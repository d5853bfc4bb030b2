#include "editor/platform/Renderer.h"

#include "editor/platform/FileContents.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Heap.h"

#include <cstring>

namespace oq {

namespace {

// Shader files are small; anything larger is not one.
constexpr uint64_t kMaxShaderFileSize = 0x1000000;
constexpr uint32_t kPathCapacity = 1024;

const char *const kColorVertexNames[2] = {"colorvs", "texturevs"};
const char *const kColorPixelNames[2] = {"colorfs", "texturefs"};
const uint32_t kColorProgramKinds[2] = {kGpuProgramColor, kGpuProgramTexture};

Renderer *processRenderer = nullptr;

}  // namespace

Renderer *GetRenderer() { return processRenderer; }

void SetRenderer(Renderer *renderer) { processRenderer = renderer; }

void MakeVorlPixelShaderName(ShaderVariantIndex variant, char *name)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::memcpy(name, "vorlfs00", 9);
    name[6] = kDigits[(variant >> 4) & 15];
    name[7] = kDigits[variant & 15];
}

bool WindowTarget::Create(Renderer &owner, void *window, int32_t newWidth, int32_t newHeight, const float *color)
{
    renderer = &owner;
    width = newWidth;
    height = newHeight;
    std::memcpy(clearColor, color, sizeof(clearColor));
    viewport[0] = 0.0F;
    viewport[1] = 0.0F;
    viewport[2] = float(newWidth);
    viewport[3] = float(newHeight);
    viewport[4] = 0.0F;
    viewport[5] = 1.0F;
    surface = owner.GetDevice()->CreateTarget(window, newWidth, newHeight);
    return surface != 0;
}

void WindowTarget::BeginFrame()
{
    renderer->GetDevice()->BeginTarget(surface, clearColor, width, height);
    renderer->targetWidth = float(width);
    renderer->targetHeight = float(height);
}

bool WindowTarget::Resize(int32_t newWidth, int32_t newHeight)
{
    if (renderer == nullptr || !renderer->IsStarted()) return true;
    if (newWidth == width && newHeight == height) return true;
    if (!renderer->GetDevice()->ResizeTarget(surface, newWidth, newHeight)) return false;
    width = newWidth;
    height = newHeight;
    viewport[2] = float(newWidth);
    viewport[3] = float(newHeight);
    return true;
}

void WindowTarget::Present() { renderer->GetDevice()->Present(surface); }

void WindowTarget::Release()
{
    if (renderer && surface) renderer->GetDevice()->ReleaseTarget(surface);
    surface = 0;
}

Renderer::Renderer(GpuDevice *gpuDevice, const char *folder, Heap *memoryHeap)
    : device(gpuDevice), dataFolder(folder), heap(memoryHeap)
{
}

Renderer::~Renderer() { Shutdown(); }

bool Renderer::Start(void *window, int32_t width, int32_t height, const float *clearColor)
{
    if (started) return true;
    if (!device->Start()) return false;
    if (!mainTarget.Create(*this, window, width, height, clearColor))
    {
        device->Shutdown();
        return false;
    }
    std::memset(colorVertexShaders, 0, sizeof(colorVertexShaders));
    std::memset(colorPrograms, 0, sizeof(colorPrograms));
    vorlVertexShader = 0;
    std::memset(vorlPrograms, 0, sizeof(vorlPrograms));
    started = true;
    // Fonts loaded before the start get their textures now.
    CreateLoadedFontTextures(*this);
    return true;
}

void Renderer::ReleaseShaders()
{
    for (int32_t kind = 0; kind < 2; ++kind)
    {
        if (colorVertexShaders[kind]) device->ReleaseShader(colorVertexShaders[kind]);
        if (colorPrograms[kind]) device->ReleaseProgram(colorPrograms[kind]);
        colorVertexShaders[kind] = 0;
        colorPrograms[kind] = 0;
    }
    if (vorlVertexShader) device->ReleaseShader(vorlVertexShader);
    vorlVertexShader = 0;
    for (GpuHandle &program : vorlPrograms)
    {
        if (program) device->ReleaseProgram(program);
        program = 0;
    }
}

void Renderer::Shutdown()
{
    if (!started) return;
    started = false;
    ReleaseLoadedFontTextures(*this);
    mainTarget.Release();
    ReleaseShaders();
    device->Shutdown();
}

GpuHandle Renderer::LoadShader(const char *name, uint32_t stage)
{
    char path[kPathCapacity];
    FileContents contents = {nullptr, 0};
    if (MakeDataPath(dataFolder, name, ".glsl", path, kPathCapacity))
        contents = ReadFileContents(*heap, path, kMaxShaderFileSize, 1);
    // Absent, unreadable or unallocated contents are empty: the device refuses them.
    const char *text = contents.data ? reinterpret_cast<const char *>(contents.data) : "";
    GpuHandle shader = device->CreateShader(stage, text, uint32_t(contents.size));
    FreeMemory(*heap, contents.data);
    return shader;
}

GpuHandle Renderer::GetVorlVertexShader()
{
    if (vorlVertexShader == 0) vorlVertexShader = LoadShader("vorlvs00", kGpuVertexStage);
    return vorlVertexShader;
}

GpuHandle Renderer::GetFragmentShader(ShaderVariantIndex variant)
{
    variant &= 0xFF;
    if (vorlPrograms[variant]) return vorlPrograms[variant];
    GpuHandle vertexShader = GetVorlVertexShader();
    char name[16];
    MakeVorlPixelShaderName(variant, name);
    GpuHandle pixelShader = LoadShader(name, kGpuPixelStage);
    if (vertexShader == 0 || pixelShader == 0)
    {
        if (pixelShader) device->ReleaseShader(pixelShader);
        return 0;
    }
    vorlPrograms[variant] = device->LinkProgram(vertexShader, pixelShader, kGpuProgramVorl);
    device->ReleaseShader(pixelShader);
    return vorlPrograms[variant];
}

GpuHandle Renderer::GetColorProgram(int32_t kind)
{
    kind = kind != 0 ? 1 : 0;
    if (colorPrograms[kind]) return colorPrograms[kind];
    if (colorVertexShaders[kind] == 0) colorVertexShaders[kind] = LoadShader(kColorVertexNames[kind], kGpuVertexStage);
    GpuHandle pixelShader = LoadShader(kColorPixelNames[kind], kGpuPixelStage);
    if (colorVertexShaders[kind] == 0 || pixelShader == 0)
    {
        if (pixelShader) device->ReleaseShader(pixelShader);
        return 0;
    }
    colorPrograms[kind] = device->LinkProgram(colorVertexShaders[kind], pixelShader, kColorProgramKinds[kind]);
    device->ReleaseShader(pixelShader);
    return colorPrograms[kind];
}

void Renderer::SetScissor(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    device->SetScissor(left, top, right, bottom);
}

}  // namespace oq
