#include "editor/platform/FontFile.h"

#include "base/Array.h"
#include "base/Bezier.h"
#include "base/Memory.h"
#include "base/ScalarMath.h"
#include "editor/platform/FileContents.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFontValidator.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>
#include <thread>

namespace oq {

namespace {

constexpr float kUnusedExtentAngle = std::numeric_limits<float>::max();
constexpr uint32_t kTabularFigures = 0x40000;

// The global lists live for the whole process; their elements are members of the objects.
List &GetFontFileList()
{
    static List *list = new List;
    return *list;
}

List &GetFontList()
{
    static List *list = new List;
    return *list;
}

// Fonts and font files are made and released on the UI thread only: the lists have no lock.
void AssertFontThread()
{
#ifndef NDEBUG
    static const std::thread::id owner = std::this_thread::get_id();
    assert(owner == std::this_thread::get_id());
#endif
}

// A Vorl font file of the version read here (the validator checks the layout, not the header).
bool IsFontFileHeader(const FileContents &contents)
{
    if (contents.size < sizeof(VorlFileHeader)) return false;
    VorlFileHeader header;
    std::memcpy(&header, contents.data, sizeof(header));
    return header.magic == kVorlFileMagic && header.version == kVorlFileVersion &&
           std::memcmp(header.kind, "fnt", 4) == 0;
}

float ReadFirstValue(const VorlFontRecord *font, uint32_t tag)
{
    const void *item = font->GetFontData(tag);
    float value = 0.0F;
    if (item) std::memcpy(&value, item, sizeof(value));
    return value;
}

}  // namespace

FontFile::FontFile(Renderer &owner) : renderer(&owner), listElement(this)
{
    AssertFontThread();
    GetFontFileList().Append(&listElement);
}

FontFile *FontFile::Load(Renderer &renderer, const char *path, const char *key)
{
    Heap &heap = renderer.GetHeap();
    FileContents contents = ReadFileContents(heap, path, kMaxFontFileSize, 0);
    if (contents.data == nullptr) return nullptr;
    if (!IsFontFileHeader(contents) || !ValidateVorlFontFile(contents.data, size_t(contents.size)))
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
    file->key = key;
    file->path = path;
    return file;
}

FontFile::~FontFile()
{
    AssertFontThread();
    // Textures exist only while the renderer runs: its shut-down released them with the device.
    pair.ReleaseFontFile(*renderer);
}

FontFile *FontFile::GetFirst()
{
    auto *element = static_cast<LoadedListElement<FontFile> *>(GetFontFileList().GetFirstListElement());
    return element ? element->owner : nullptr;
}

FontFile *FontFile::GetNext() const
{
    auto *element = static_cast<LoadedListElement<FontFile> *>(listElement.GetNextListElement());
    return element ? element->owner : nullptr;
}

Font::Font(FontFile *fontFile, int32_t face) : file(fontFile), faceIndex(face), listElement(this)
{
    AssertFontThread();
    GetFontList().Append(&listElement);
}

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
    font->name = name;
    // A font whose textures cannot be made still measures; its draws show nothing.
    if (file->renderer->IsStarted()) static_cast<void>(file->pair.CreateForFontFile(*file->renderer));
    return font;
}

Font::~Font()
{
    MemoryRelease(extentCache);
    file->Release();
}

Font *Font::GetFirst()
{
    auto *element = static_cast<LoadedListElement<Font> *>(GetFontList().GetFirstListElement());
    return element ? element->owner : nullptr;
}

Font *Font::GetNext() const
{
    auto *element = static_cast<LoadedListElement<Font> *>(listElement.GetNextListElement());
    return element ? element->owner : nullptr;
}

const VorlFontRecord *Font::GetRecord() const { return GetVorlFontRecord(file->GetHeader(), uint32_t(faceIndex)); }

uint32_t Font::GetGlyphCount() const { return GetRecord()->glyphCount; }

GlyphBounds Font::GetGlyphBounds(uint32_t glyph, uint32_t flags, float *advance) const
{
    const VorlFontRecord *record = GetRecord();
    if (advance) *advance = 0.0F;
    if (glyph >= record->glyphCount) return {};
    const VorlGlyphRecord &own = record->GetGlyphRecords()[glyph];
    if (advance) *advance = own.advance;
    GlyphBounds bounds = {own.box[0], own.box[1], own.box[2], own.box[3]};
    uint32_t layerCount = ListCountA(own.layerWord);
    if ((flags & kGlyphOwnOutline) != 0 || layerCount == 0) return bounds;

    const LayerListEntry *layers = record->GetLayerList() + ListIndexA(own.layerWord);
    bool found = false;
    for (uint32_t i = 0; i < layerCount; ++i)
    {
        // The validator leaves layer glyphs unchecked: one past the face's glyphs adds nothing.
        if (layers[i].glyph >= record->glyphCount) continue;
        const float *box = record->GetGlyphRecords()[layers[i].glyph].box;
        if (!found) bounds = {box[0], box[1], box[2], box[3]};
        bounds.xMin = std::min(bounds.xMin, box[0]);
        bounds.yMin = std::min(bounds.yMin, box[1]);
        bounds.xMax = std::max(bounds.xMax, box[2]);
        bounds.yMax = std::max(bounds.yMax, box[3]);
        found = true;
    }
    return bounds;
}

GlyphExtent Font::GetSlantedGlyphExtent(uint32_t glyph, uint32_t flags, float *angle)
{
    const VorlFontRecord *record = GetRecord();
    if (*angle == 0.0F) *angle = slant;
    if (glyph >= record->glyphCount) return {};
    if (extentCache == nullptr)
    {
        extentCache = static_cast<SlantedExtentEntry *>(MemoryAllocate(sizeof(SlantedExtentEntry) * record->glyphCount));
        for (uint32_t i = 0; i < record->glyphCount; ++i) extentCache[i] = {kUnusedExtentAngle, 0.0F, 0.0F};
    }
    SlantedExtentEntry &entry = extentCache[glyph];
    if (entry.angle == *angle) return {entry.left, entry.right};

    GlyphExtent extent;
    const VorlGlyphRecord &own = record->GetGlyphRecords()[glyph];
    uint32_t layerCount = ListCountA(own.layerWord);
    if ((flags & kGlyphOwnOutline) != 0 || layerCount == 0)
    {
        extent = ComputeSlantedExtent(glyph, *angle);
    }
    else
    {
        const LayerListEntry *layers = record->GetLayerList() + ListIndexA(own.layerWord);
        bool found = false;
        for (uint32_t i = 0; i < layerCount; ++i)
        {
            uint32_t layer = layers[i].glyph;
            if (layer >= record->glyphCount) continue;
            float layerAngle = *angle;
            GlyphExtent part = GetSlantedGlyphExtent(layer, kGlyphOwnOutline, &layerAngle);
            extent.left = found ? std::min(extent.left, part.left) : part.left;
            extent.right = found ? std::max(extent.right, part.right) : part.right;
            found = true;
        }
    }
    // Stored after the layers: a glyph listed among its own layers leaves its entry consistent.
    extentCache[glyph] = {*angle, extent.left, extent.right};
    return extent;
}

GlyphExtent Font::ComputeSlantedExtent(uint32_t glyph, float angle)
{
    const VorlFontRecord *record = GetRecord();
    uint32_t count = record->GetGlyphCurveCount(glyph);
    // A glyph with curves has them through the ContourList: the validator refused any other.
    if (count == 0 || record->contourListOffset == 0) return {};
    Array<QuadraticBezier2D> curves;
    curves.SetElementCount(int32_t(count));
    ExtractGlyphCurves(record, glyph, file->GetHeader(), file->pair.decodedCurveData, curves.GetElements());
    float c = 0.0F;
    float s = 0.0F;
    CosSin(-angle, &c, &s);
    Vector2D direction(c, s);
    GlyphExtent extent = {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
    for (const QuadraticBezier2D &curve : curves)
    {
        float low = 0.0F;
        float high = 0.0F;
        curve.GetExtentAlongDirection(direction, &low, &high);
        extent.left = std::min(extent.left, low);
        extent.right = std::max(extent.right, high);
    }
    return extent;
}

GlyphExtent Font::GetDigitSideBearings()
{
    if (digitSideBearings.left >= 0.0F) return digitSideBearings;
    const VorlFontRecord *record = GetRecord();
    GlyphExtent bearings = {1.0F, 1.0F};
    for (uint32_t digit = '0'; digit <= '9'; ++digit)
    {
        uint32_t glyph = record->GetGlyphIndex(digit);
        if (glyph >= record->glyphCount) glyph = 0;
        // The tabular alternate without a selector; one past the face's glyphs gives glyph 0.
        glyph = GetAlternateGlyph(record, glyph, kTabularFigures, 0);
        float advance = 0.0F;
        GlyphBounds box = GetGlyphBounds(glyph, 0, &advance);
        bearings.left = std::min(bearings.left, box.xMin);
        bearings.right = std::min(bearings.right, advance - box.xMax);
    }
    digitSideBearings = bearings;
    return bearings;
}

void CreateLoadedFontTextures(Renderer &renderer)
{
    if (!renderer.IsStarted()) return;
    for (FontFile *file = FontFile::GetFirst(); file; file = file->GetNext())
    {
        // A file whose textures cannot be made still measures; its draws show nothing.
        if (file->renderer == &renderer && file->pair.count == 0)
            static_cast<void>(file->pair.CreateForFontFile(renderer));
    }
}

void ReleaseLoadedFontTextures(Renderer &renderer)
{
    for (FontFile *file = FontFile::GetFirst(); file; file = file->GetNext())
        if (file->renderer == &renderer) file->pair.ReleaseTextures(renderer);
}

void DestroyLoadedFonts()
{
    while (Font *font = Font::GetFirst())
    {
        // The Font's own reference on its file goes with it; the file's other holders are gone too.
        font->references = 1;
        font->Release();
    }
    while (FontFile *file = FontFile::GetFirst())
    {
        file->references = 1;
        file->Release();
    }
}

}  // namespace oq
