#include "editor/platform/GlyphTexturePair.h"

#include "base/Compression.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"

#include <cstring>

namespace oq {

namespace {

bool ValidSize(int32_t width, int32_t rows)
{
    return width > 0 && rows > 0 && width <= kGpuMaxTextureSize && rows <= kGpuMaxTextureSize;
}

}  // namespace

uint64_t GlyphTexturePair::GetExpandedSize(const TextureDescriptor &descriptor, bool curve)
{
    if (descriptor.width == 0 || descriptor.height == 0) return 0;
    if (descriptor.width > uint32_t(kGpuMaxTextureSize) || descriptor.height > uint32_t(kGpuMaxTextureSize)) return 0;
    uint64_t texelSize = curve ? (descriptor.format == kTexelFormatFloat4 ? 16 : 8) : 4;
    return uint64_t(descriptor.width) * descriptor.height * texelSize;
}

bool GlyphTexturePair::DescriptorFits(const TextureDescriptor &descriptor, bool curve, uint64_t fileSize)
{
    uint64_t expanded = GetExpandedSize(descriptor, curve);
    if (expanded == 0) return false;
    uint64_t stored = descriptor.compression != 0 ? descriptor.compressedSize : expanded;
    return uint64_t(descriptor.dataOffset) + stored <= fileSize;
}

bool GlyphTexturePair::DecodeTexture(const TextureDescriptor &descriptor, bool curve, const uint8_t *file,
                                     uint64_t fileSize, void *output)
{
    if (!DescriptorFits(descriptor, curve, fileSize)) return false;
    uint64_t expanded = GetExpandedSize(descriptor, curve);
    const uint8_t *block = file + descriptor.dataOffset;
    if (descriptor.compression != 0)
        return DecompressData(block, descriptor.compressedSize, output, uint32_t(expanded));
    std::memcpy(output, block, size_t(expanded));
    return true;
}

bool GlyphTexturePair::Create(Renderer &renderer, uint32_t format, int32_t curveWidth, int32_t curveRows,
                              const void *curveData, int32_t bandWidth, int32_t bandRows, const void *bandData)
{
    ReleaseTextures(renderer);
    GpuDevice *device = renderer.GetDevice();
    if (!ValidSize(curveWidth, curveRows)) return false;
    uint32_t curveFormat = format == kTexelFormatFloat4 ? kTexelFormatFloat4 : kTexelFormatHalf4;
    curveTexture = device->CreateTexture(curveFormat, curveWidth, curveRows, curveData);
    if (curveTexture == 0) return false;
    count = 1;
    if (bandData == nullptr) return true;
    if (!ValidSize(bandWidth, bandRows)) return false;
    bandTexture = device->CreateTexture(kTexelFormatUint16x2, bandWidth, bandRows, bandData);
    if (bandTexture == 0) return false;
    count = 2;
    return true;
}

bool GlyphTexturePair::CreateFromFile(Renderer &renderer, uint8_t *data, uint64_t size)
{
    fileData = data;
    fileSize = size;
    count = 0;
    if (size < sizeof(VorlFileHeader)) return false;
    VorlFileHeader header;
    std::memcpy(&header, data, sizeof(header));
    Heap &heap = renderer.GetHeap();
    void *curve = AllocateMemory(heap, GetExpandedSize(header.curveTexture, true));
    void *band = AllocateMemory(heap, GetExpandedSize(header.bandTexture, false));
    bool made = curve && band && DecodeTexture(header.curveTexture, true, data, size, curve) &&
                DecodeTexture(header.bandTexture, false, data, size, band) &&
                Create(renderer, header.curveTexture.format, int32_t(header.curveTexture.width),
                       int32_t(header.curveTexture.height), curve, int32_t(header.bandTexture.width),
                       int32_t(header.bandTexture.height), band);
    FreeMemory(heap, curve);
    FreeMemory(heap, band);
    return made;
}

bool GlyphTexturePair::CreateForFontFile(Renderer &renderer)
{
    if (count != 0) return true;
    if (fileData == nullptr || decodedCurveData == nullptr || fileSize < sizeof(VorlFileHeader)) return false;
    VorlFileHeader header;
    std::memcpy(&header, fileData, sizeof(header));
    Heap &heap = renderer.GetHeap();
    void *band = AllocateMemory(heap, GetExpandedSize(header.bandTexture, false));
    bool made = band && DecodeTexture(header.bandTexture, false, fileData, fileSize, band) &&
                Create(renderer, header.curveTexture.format, int32_t(header.curveTexture.width),
                       int32_t(header.curveTexture.height), decodedCurveData, int32_t(header.bandTexture.width),
                       int32_t(header.bandTexture.height), band);
    FreeMemory(heap, band);
    return made;
}

void GlyphTexturePair::ReleaseTextures(Renderer &renderer)
{
    GpuDevice *device = renderer.GetDevice();
    if (bandTexture) device->ReleaseTexture(bandTexture);
    if (curveTexture) device->ReleaseTexture(curveTexture);
    bandTexture = 0;
    curveTexture = 0;
    count = 0;
}

void GlyphTexturePair::ReleaseFile(Renderer &renderer)
{
    FreeMemory(renderer.GetHeap(), fileData);
    fileData = nullptr;
    fileSize = 0;
    ReleaseTextures(renderer);
}

void GlyphTexturePair::ReleaseFontFile(Renderer &renderer)
{
    FreeMemory(renderer.GetHeap(), decodedCurveData);
    decodedCurveData = nullptr;
    ReleaseFile(renderer);
}

}  // namespace oq
