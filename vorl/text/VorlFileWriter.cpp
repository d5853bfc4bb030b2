// The writing rules of the common Vorl file header and its two textures.
#include "vorl/text/VorlFileWriter.h"

#include "base/Compression.h"

#include <cstdlib>
#include <cstring>

namespace oq {

ZeroedBlock::~ZeroedBlock()
{
    std::free(data);
}

bool ZeroedBlock::Allocate(uint64_t size)
{
    std::free(data);
    data = nullptr;
    if (size > SIZE_MAX) return false;
    data = std::calloc(size_t(size == 0 ? 1 : size), 1);
    return data != nullptr;
}

uint32_t GetVorlTexelSize(uint32_t format)
{
    if (format == kTexelFormatFloat4) return 16;
    if (format == kTexelFormatUint16x2) return 4;
    return 8;
}

uint32_t PrepareVorlTexture(VorlTextureOutput *output, void *texels, uint32_t format, int32_t bufferWidth,
                            int32_t bufferHeight, int32_t cursorX, int32_t cursorY, bool fullWidth, bool compress)
{
    uint32_t texelSize = GetVorlTexelSize(format);
    auto *bytes = static_cast<uint8_t *>(texels);
    if (cursorY < bufferHeight && cursorX < bufferWidth)
    {
        std::memset(bytes + (size_t(cursorY) * size_t(bufferWidth) + size_t(cursorX)) * texelSize, 0,
                    size_t(bufferWidth - cursorX) * texelSize);
    }
    int32_t rows = cursorY + (cursorX > 0 ? 1 : 0);
    if (rows > bufferHeight) rows = bufferHeight;
    int32_t width = (fullWidth || rows > 1 || cursorY > 0) ? bufferWidth : cursorX;
    TextureDescriptor &d = output->descriptor;
    d = {};
    d.format = format;
    d.width = uint32_t(width > 1 ? width : 1);
    d.height = uint32_t(rows > 1 ? rows : 1);
    output->data = texels;
    output->size = d.width * d.height * texelSize;
    if (compress)
    {
        if (!output->packed.Allocate(output->size)) return kResultOutOfMemory;
        uint32_t packedSize = CompressData(texels, output->size, output->packed.GetData());
        if (packedSize != 0)
        {
            d.compression = kTextureCompressed;
            d.compressedSize = packedSize;
            output->data = output->packed.GetData();
            output->size = packedSize;
        }
    }
    return 0;
}

void PlaceVorlTextures(VorlTextureOutput *curve, VorlTextureOutput *band, uint32_t curveOffset)
{
    curve->descriptor.dataOffset = curveOffset;
    uint64_t stored = (curve->descriptor.compression != 0) ? RoundUp64(curve->size) : curve->size;
    band->descriptor.dataOffset = uint32_t(curveOffset + stored);
}

void FormVorlFileHeader(VorlFileHeader *header, const VorlHeaderStart *start, const char *kind, uint32_t count,
                        const TextureDescriptor &curve, const TextureDescriptor &band)
{
    std::memset(header, 0, sizeof(*header));
    if (start != nullptr)
    {
        header->magic = start->magic;
        header->version = start->version;
        std::memcpy(header->kind, start->kind, 4);
    }
    else
    {
        header->magic = kVorlFileMagic;
        header->version = kVorlFileVersion;
        std::memcpy(header->kind, kind, 4);
    }
    header->count = count;
    header->curveTexture = curve;
    header->bandTexture = band;
}

bool WriteVorlTextures(OutputSink *sink, const VorlTextureOutput &curve, const VorlTextureOutput &band)
{
    bool written = sink->Write(curve.data, curve.size);
    if (curve.descriptor.compression != 0) written = sink->WritePadding(64) && written;
    return sink->Write(band.data, band.size) && written;
}

}  // namespace oq
