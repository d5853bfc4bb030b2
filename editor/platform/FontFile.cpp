#include "editor/platform/FontFile.h"

#include "editor/platform/FileContents.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFontValidator.h"

#include <cstring>

namespace oq {

namespace {

// Font files beyond this are not ones the compiler writes.
constexpr uint64_t kMaxFontFileSize = 0x40000000;

void CopyName(char *output, const char *name)
{
    size_t length = std::strlen(name);
    if (length > 127) length = 127;
    std::memcpy(output, name, length);
    output[length] = 0;
}

float ReadFirstValue(const VorlFontRecord *font, uint32_t tag)
{
    const void *item = font->GetFontData(tag);
    float value = 0.0F;
    if (item) std::memcpy(&value, item, sizeof(value));
    return value;
}

}  // namespace

FontFile *FontFile::Load(Renderer &renderer, const char *path, const char *key)
{
    Heap &heap = renderer.GetHeap();
    FileContents contents = ReadFileContents(heap, path, kMaxFontFileSize, 0);
    if (contents.data == nullptr) return nullptr;
    if (!ValidateVorlFontFile(contents.data, size_t(contents.size)))
    {
        FreeMemory(heap, contents.data);
        return nullptr;
    }
    const VorlFileHeader *header = reinterpret_cast<const VorlFileHeader *>(contents.data);
    uint32_t curveSize = GetCurveTextureDataSize(header);
    void *curves = AllocateMemory(heap, curveSize);
    if (curves == nullptr || !CopyCurveTextureData(header, curves, curveSize))
    {
        FreeMemory(heap, curves);
        FreeMemory(heap, contents.data);
        return nullptr;
    }
    FontFile *file = new FontFile(renderer);
    file->pair.fileData = contents.data;
    file->pair.fileSize = contents.size;
    file->pair.decodedCurveData = curves;
    CopyName(file->key, key);
    return file;
}

FontFile::~FontFile() { pair.ReleaseFontFile(*renderer); }

Font *Font::Create(const char *name, FontFile *file, int32_t faceIndex)
{
    const VorlFileHeader *header = file->GetHeader();
    if (faceIndex < 0 || uint32_t(faceIndex) >= header->count)
    {
        file->Release();
        return nullptr;
    }
    Font *font = new Font(file, faceIndex);
    const VorlFontRecord *record = GetVorlFontRecord(header, uint32_t(faceIndex));
    font->axisHeight = ReadFirstValue(record, 'AXIS');
    font->capitalHeight = ReadFirstValue(record, 'HITE');
    font->slant = ReadFirstValue(record, 'SLNT');
    CopyName(font->name, name);
    // A font whose textures cannot be made still measures; its draws show nothing.
    if (file->renderer->IsStarted()) static_cast<void>(file->pair.CreateForFontFile(*file->renderer));
    return font;
}

Font::~Font() { file->Release(); }

}  // namespace oq
