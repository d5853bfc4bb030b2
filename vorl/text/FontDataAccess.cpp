#include "vorl/text/FontDataAccess.h"

#include <cstring>

#include "base/Compression.h"

namespace oq {

namespace {

uint64_t GetTextureSize(const TextureDescriptor &texture, uint32_t texelSize)
{
    return uint64_t(texture.width) * texture.height * texelSize;
}

uint32_t GetCurveTexelSize(const TextureDescriptor &texture)
{
    return texture.format == kTexelFormatFloat4 ? 16 : 8;
}

bool CopyTextureData(const VorlFileHeader *file, const TextureDescriptor &texture, uint64_t size,
                     void *destination, uint32_t destinationSize)
{
    if (size > destinationSize) return false;
    const char *data = reinterpret_cast<const char *>(file) + texture.dataOffset;
    if (texture.compression != 0)
        return DecompressData(data, texture.compressedSize, destination, uint32_t(size));
    std::memcpy(destination, data, size_t(size));
    return true;
}

}  // namespace

uint32_t GetCurveTextureDataSize(const VorlFileHeader *file)
{
    return uint32_t(GetTextureSize(file->curveTexture, GetCurveTexelSize(file->curveTexture)));
}

uint32_t GetBandTextureDataSize(const VorlFileHeader *file)
{
    return uint32_t(GetTextureSize(file->bandTexture, 4));
}

uint32_t GetCurveTextureOffset(const VorlFileHeader *file)
{
    return file->curveTexture.dataOffset;
}

bool CopyCurveTextureData(const VorlFileHeader *file, void *destination, uint32_t destinationSize)
{
    const TextureDescriptor &texture = file->curveTexture;
    return CopyTextureData(file, texture, GetTextureSize(texture, GetCurveTexelSize(texture)), destination,
                           destinationSize);
}

bool CopyBandTextureData(const VorlFileHeader *file, void *destination, uint32_t destinationSize)
{
    const TextureDescriptor &texture = file->bandTexture;
    return CopyTextureData(file, texture, GetTextureSize(texture, 4), destination, destinationSize);
}

const void *VorlFontRecord::GetFontData(uint32_t tag) const
{
    const FontDataDirectoryEntry *entry = At<FontDataDirectoryEntry>(directoryOffset);
    for (uint32_t i = 0; i < directoryCount; ++i, ++entry)
    {
        if (entry->tag == tag) return reinterpret_cast<const char *>(entry) + entry->offset;
    }
    return nullptr;
}

uint32_t VorlFontRecord::GetGlyphIndex(uint32_t codePoint) const
{
    uint32_t page = codePoint >> 8;
    if (page >= pageCount) return 0;
    int16_t number = At<int16_t>(pageIndexOffset)[page];
    if (number < 0) return 0;
    return At<uint32_t>(pagesOffset)[uint32_t(number) * kCharacterMapPageSize + (codePoint & 0xFF)];
}

uint32_t GetAlternateGlyph(const VorlFontRecord *font, uint32_t glyphIndex, uint32_t featureBits, uint32_t selector)
{
    // Every step drops the bits it used, so a chain takes at most 32 steps.
    while (featureBits != 0 && glyphIndex < font->glyphCount)
    {
        uint32_t word = font->GetGlyphRecords()[glyphIndex].alternateWord;
        uint32_t count = ListCountB(word);
        const AlternateListEntry *entry = count != 0 ? font->GetAlternateList() + ListIndexB(word) : nullptr;
        const AlternateListEntry *found = nullptr;
        for (uint32_t i = 0; i < count; ++i, ++entry)
        {
            uint32_t e = entry->featureWord;
            if ((e & featureBits) != 0 && (e < 0x1000000 || (e >> 24) == selector))
            {
                found = entry;
                break;
            }
        }
        if (found == nullptr) break;
        glyphIndex = found->glyph;
        featureBits &= ~found->featureWord;
    }
    return glyphIndex < font->glyphCount ? glyphIndex : 0;
}

float GetKerning(const VorlFontRecord *font, const VorlGlyphRecord *rightGlyph, uint32_t leftGlyphIndex)
{
    uint32_t word = rightGlyph->kerningWord;
    uint32_t count = ListCountB(word);
    if (count == 0) return 0.0F;
    const KerningListEntry *entry = font->GetKerningList() + ListIndexB(word);
    for (uint32_t i = 0; i < count; ++i, ++entry)
    {
        if (entry->precedingGlyph == leftGlyphIndex) return entry->value;
    }
    return 0.0F;
}

}  // namespace oq
