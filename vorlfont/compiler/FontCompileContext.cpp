#include "vorlfont/compiler/FontCompileContext.h"

#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <cstring>

namespace oq {

namespace {

// Collects the entries and the items of a directory; the entry count is known beforehand.
class DirectoryBuilder
{
public:
    DirectoryBuilder(Array<uint8_t> *block, uint32_t entryCount) : data(block)
    {
        data->SetElementCount(0);
        data->SetElementCount(int32_t(entryCount * sizeof(FontDataDirectoryEntry)));
        std::memset(data->GetElements(), 0, data->GetElementCount());
    }

    // Adds the entry and an item of itemSize bytes, the first copySize of them given and the rest
    // zero, padded with zeros to a multiple of 4.
    void Add(uint32_t tag, const void *item, uint32_t copySize, uint32_t itemSize)
    {
        uint32_t entryPosition = next * uint32_t(sizeof(FontDataDirectoryEntry));
        uint32_t itemPosition = uint32_t(data->GetElementCount());
        FontDataDirectoryEntry entry = {tag, itemPosition - entryPosition};
        std::memcpy(data->GetElements() + entryPosition, &entry, sizeof(entry));
        uint32_t padded = (itemSize + 3) & ~3u;
        data->SetElementCount(int32_t(itemPosition + padded));
        uint8_t *bytes = data->GetElements() + itemPosition;
        std::memset(bytes, 0, padded);
        std::memcpy(bytes, item, copySize);
        ++next;
    }

    template <typename Item> void Add(uint32_t tag, const Item &item) { Add(tag, &item, sizeof(Item), sizeof(Item)); }

    // A name with its NUL.
    void AddName(uint32_t tag, const char *name, uint32_t length) { Add(tag, name, length, length + 1); }

private:
    Array<uint8_t> *data;
    uint32_t next = 0;
};

}  // namespace

void BuildFontDataDirectory(FontCompileContext *context, uint32_t flags)
{
    bool family = context->familyName != nullptr;
    bool style = family && context->styleName != nullptr;
    uint32_t count = 9 + (family ? 1 : 0) + (style ? 1 : 0) + ((flags & kCompileUnderline) ? 1 : 0) +
                     ((flags & kCompileStrikethrough) ? 1 : 0) + ((flags & kCompilePoly) ? 1 : 0) +
                     ((flags & kCompileOutline) ? 1 : 0);
    context->directoryCount = count;

    const FontDataValues &v = context->values;
    DirectoryBuilder builder(&context->dataBlock, count);
    builder.Add('MTRC', v.metrics);
    builder.Add('TYPO', v.typoMetrics);
    builder.Add('HITE', v.heights);
    builder.Add('AXIS', v.mathAxisHeight);
    builder.Add('BBOX', v.boxes);
    builder.Add('SUBS', v.subscript);
    builder.Add('SUPS', v.superscript);
    builder.Add('CLAS', v.classes);
    builder.Add('SLNT', v.slantAngle);
    if (family) builder.AddName('NAME', context->familyName, context->familyLength);
    if (style) builder.AddName('SNAM', context->styleName, context->styleLength);
    if (flags & kCompileUnderline) builder.Add('UNDR', v.underline);
    if (flags & kCompileStrikethrough) builder.Add('STRK', v.strikethrough);
    if (flags & kCompilePoly) builder.Add('POLY', v.polygon);
    if (flags & kCompileOutline) builder.Add('OTLN', v.outline);
}

void SetEmptyCharacterMap(FontCompileContext *context)
{
    context->pageIndex.SetElementCount(1);
    context->pageIndex[0] = kCharacterMapNoPage;
    context->pages.SetElementCount(0);
    std::memset(context->blockMapped, 0, sizeof(context->blockMapped));
}

}  // namespace oq
