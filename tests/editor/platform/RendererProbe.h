#pragma once

#include "base/Matrix4D.h"
#include "editor/platform/Heap.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/Renderer.h"
#include "support/TempDirectory.h"

#include <cstdio>
#include <string>

namespace oq::test {

// A heap back end that can run out of memory on demand.
class ExhaustibleBackEnd : public HeapBackEnd
{
public:
    void *Acquire(size_t size) override { return exhausted ? nullptr : GetProcessHeap()->Acquire(size); }
    void Release(void *memory) override { GetProcessHeap()->Release(memory); }
    bool exhausted = false;
};

// Writes bytes to a file; false when it cannot.
inline bool WriteBytes(const std::string &path, const void *data, size_t size)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

inline bool WriteText(const std::string &path, const std::string &text)
{
    return WriteBytes(path, text.data(), text.size());
}

inline Matrix4D Identity()
{
    Matrix4D matrix;
    matrix.SetIdentity();
    return matrix;
}

// A renderer on a recording device over a temporary Data folder (started by the test).
struct RecordingRenderer
{
    explicit RecordingRenderer(HeapBackEnd *backEnd = GetProcessHeap())
        : heap("test", backEnd), renderer(&device, data.Path().c_str(), &heap)
    {
    }

    bool Start(int32_t width = 400, int32_t height = 300)
    {
        static const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};
        return renderer.Start(nullptr, width, height, kWhite);
    }

    // Writes every shader file (the text names the file), so every program links.
    bool WriteShaders()
    {
        const char *names[] = {"vorlvs00", "colorvs", "colorfs", "texturevs", "texturefs"};
        for (const char *name : names)
        {
            if (!WriteText(data.File((std::string(name) + ".glsl").c_str()), name)) return false;
        }
        for (uint32_t variant = 0; variant < kShaderVariantCount; ++variant)
        {
            char name[16];
            MakeVorlPixelShaderName(ShaderVariantIndex(variant), name);
            if (!WriteText(data.File((std::string(name) + ".glsl").c_str()), name)) return false;
        }
        return true;
    }

    TempDirectory data;
    RecordingDevice device;
    Heap heap;
    Renderer renderer;
};

}  // namespace oq::test
