#include "editor/platform/DataFileLoaders.h"

#include "editor/platform/FileContents.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/VorlGraphicsValidator.h"

#include <cstring>
#include <new>

namespace oq {

namespace {

constexpr uint32_t kPathCapacity = 1024;
// Data files beyond this are not ones the project ships.
constexpr uint64_t kMaxDataFileSize = 0x40000000;

GlyphTexturePair *NewPair(Renderer &renderer)
{
    void *memory = AllocateMemory(renderer.GetHeap(), sizeof(GlyphTexturePair));
    return memory ? new (memory) GlyphTexturePair : nullptr;
}

FileContents ReadDataFile(Renderer &renderer, const char *name, const char *extension)
{
    char path[kPathCapacity];
    if (!MakeDataPath(renderer.GetDataFolder(), name, extension, path, kPathCapacity)) return {nullptr, 0};
    return ReadFileContents(renderer.GetHeap(), path, kMaxDataFileSize, 0);
}

}  // namespace

bool CheckIconFile(const uint8_t *data, uint64_t size)
{
    if (size < sizeof(VorlFileHeader)) return false;
    VorlFileHeader header;
    std::memcpy(&header, data, sizeof(header));
    if (header.magic != kVorlFileMagic || std::memcmp(header.kind, "alb", 4) != 0) return false;
    if (!GlyphTexturePair::DescriptorFits(header.curveTexture, true, size) ||
        !GlyphTexturePair::DescriptorFits(header.bandTexture, false, size))
        return false;
    return ValidateVorlGraphicsFile(data, size_t(size));
}

GlyphTexturePair *LoadIconFile(Renderer &renderer, const char *name)
{
    FileContents contents = ReadDataFile(renderer, name, ".vorl");
    if (contents.data == nullptr) return nullptr;
    GlyphTexturePair *pair = CheckIconFile(contents.data, contents.size) ? NewPair(renderer) : nullptr;
    if (pair == nullptr)
    {
        FreeMemory(renderer.GetHeap(), contents.data);
        return nullptr;
    }
    if (!pair->CreateFromFile(renderer, contents.data, contents.size))
    {
        FreeLoadedTexturePair(renderer, pair);
        return nullptr;
    }
    return pair;
}

GlyphTexturePair *LoadHueSaturationTexture(Renderer &renderer)
{
    FileContents contents = ReadDataFile(renderer, "Huesat", ".rgba");
    if (contents.data == nullptr) return nullptr;
    GlyphTexturePair *pair = contents.size >= kHueSaturationBytes ? NewPair(renderer) : nullptr;
    if (pair == nullptr)
    {
        FreeMemory(renderer.GetHeap(), contents.data);
        return nullptr;
    }
    pair->fileData = contents.data;
    pair->fileSize = contents.size;
    pair->curveTexture = renderer.GetDevice()->CreateTexture(kGpuTexturePicture, kHueSaturationSize,
                                                             kHueSaturationSize, contents.data);
    if (pair->curveTexture == 0)
    {
        FreeLoadedTexturePair(renderer, pair);
        return nullptr;
    }
    pair->count = 1;
    return pair;
}

void FreeLoadedTexturePair(Renderer &renderer, GlyphTexturePair *pair)
{
    if (pair == nullptr) return;
    pair->ReleaseFile(renderer);
    pair->~GlyphTexturePair();
    FreeMemory(renderer.GetHeap(), pair);
}

}  // namespace oq
