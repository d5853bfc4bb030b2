#include "vorlfont/compiler/VorlFontWriter.h"

#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <cstring>

namespace oq {

namespace {

FontCompileContext *First(const List &contexts)
{
    return static_cast<FontCompileContext *>(contexts.GetFirstListElement());
}

FontCompileContext *Next(const FontCompileContext *context)
{
    return static_cast<FontCompileContext *>(context->GetNextListElement());
}

// Positions of the shared sections, from the start of the file (0 for an absent one).
struct SharedLayout
{
    uint64_t glyphRecords = 0;
    uint64_t outlineRecords = 0;
    uint64_t lists[kFontListSectionCount] = {};
    uint64_t curveData = 0;
};

// Record offset of a file position: counted from the record, 0 stays 0.
uint32_t RecordOffset(const FontCompileContext *context, uint64_t position)
{
    return (position != 0) ? uint32_t(position - context->recordPosition) : 0;
}

// Every offset of the file, computed before the first byte is written; false when the file
// would reach past 32-bit positions.
bool LayOut(const List &contexts, const FontGlyphData &glyphs, uint32_t flags, SharedLayout *shared)
{
    uint32_t count = uint32_t(contexts.GetListElementCount());
    uint64_t position = RoundUp64(sizeof(VorlFileHeader) + uint64_t(count) * sizeof(VorlFontRecord));
    uint32_t number = 0;
    for (FontCompileContext *c = First(contexts); c != nullptr; c = Next(c), ++number)
    {
        c->recordPosition = uint32_t(sizeof(VorlFileHeader) + number * sizeof(VorlFontRecord));
        BuildFontDataDirectory(c, flags);
        c->record = {};
        c->record.directoryCount = c->directoryCount;
        c->record.directoryOffset = uint32_t(position - c->recordPosition);
        position += uint32_t(c->dataBlock.GetElementCount());
    }
    for (FontCompileContext *c = First(contexts); c != nullptr; c = Next(c))
    {
        position = RoundUp64(position);
        if (position > UINT32_MAX) return false;
        c->record.pageCount = uint32_t(c->pageIndex.GetElementCount());
        c->record.pageIndexOffset = uint32_t(position - c->recordPosition);
        position = RoundUp64(position + uint64_t(c->pageIndex.GetElementCount()) * 2);
        if (c->pages.GetElementCount() != 0 && position <= UINT32_MAX)
            c->record.pagesOffset = uint32_t(position - c->recordPosition);
        position += uint64_t(c->pages.GetElementCount()) * 4;
    }

    uint64_t recordBytes = uint64_t(glyphs.glyphCount) * sizeof(VorlGlyphRecord);
    position = RoundUp64(position);
    shared->glyphRecords = position;
    position = RoundUp64(position + recordBytes);
    if (glyphs.outlineRecords)
    {
        shared->outlineRecords = position;
        position = RoundUp64(position + recordBytes);
    }
    for (int32_t s = 0; s < kFontListSectionCount; ++s)
    {
        if (glyphs.listCounts[s] == 0) continue;
        shared->lists[s] = position;
        position = RoundUp64(position + uint64_t(glyphs.listCounts[s]) * kFontListEntrySizes[s]);
    }
    shared->curveData = position;
    if (position > UINT32_MAX) return false;

    for (FontCompileContext *c = First(contexts); c != nullptr; c = Next(c))
    {
        c->record.glyphCount = glyphs.glyphCount;
        c->record.glyphRecordOffset = RecordOffset(c, shared->glyphRecords);
        c->record.outlineGlyphRecordOffset = RecordOffset(c, shared->outlineRecords);
        for (int32_t s = 0; s < kFontListSectionCount; ++s)
            c->record.*kFontListOffsets[s] = RecordOffset(c, shared->lists[s]);
    }
    return true;
}

// The texture as stored: the rest of its current row zeroed, compressed when that shrinks it.
uint32_t FinishTexture(CompileTexture *texture, VorlTextureOutput *output, bool compress)
{
    return PrepareVorlTexture(output, texture->texels.GetData(), texture->format, texture->width, texture->rowLimit,
                              texture->column, texture->row, true, compress);
}

}  // namespace

uint32_t WriteVorlFontFile(OutputSink *sink, const VorlHeaderStart *start, const List &contexts,
                           FontGlyphData *glyphs, uint32_t flags)
{
    SharedLayout shared;
    if (!LayOut(contexts, *glyphs, flags, &shared)) return kResultSizeExceeded;

    bool compress = (flags & kCompileCompress) != 0;
    VorlTextureOutput curve = {};
    VorlTextureOutput band = {};
    if (uint32_t result = FinishTexture(&glyphs->curveTexture, &curve, compress)) return result;
    if (uint32_t result = FinishTexture(&glyphs->bandTexture, &band, compress)) return result;
    PlaceVorlTextures(&curve, &band, uint32_t(shared.curveData));
    if (uint64_t(band.descriptor.dataOffset) + band.size > UINT32_MAX) return kResultSizeExceeded;

    VorlFileHeader header;
    FormVorlFileHeader(&header, start, "fnt", uint32_t(contexts.GetListElementCount()), curve.descriptor,
                       band.descriptor);

    // Each block goes to the sink in file order; the sticky sink hands nothing on after a refusal.
    bool written = sink->Write(&header, sizeof(header));
    for (FontCompileContext *c = First(contexts); c != nullptr; c = Next(c))
        written = sink->Write(&c->record, sizeof(c->record)) && written;
    written = sink->WritePadding(64) && written;
    for (FontCompileContext *c = First(contexts); c != nullptr; c = Next(c))
        written = sink->Write(c->dataBlock.GetElements(), uint32_t(c->dataBlock.GetElementCount())) && written;
    for (FontCompileContext *c = First(contexts); c != nullptr; c = Next(c))
    {
        written = sink->WritePadding(64) && written;
        written = sink->Write(c->pageIndex.GetElements(), uint32_t(c->pageIndex.GetElementCount()) * 2) && written;
        written = sink->WritePadding(64) && written;
        written = sink->Write(c->pages.GetElements(), uint32_t(c->pages.GetElementCount()) * 4) && written;
    }
    written = sink->WritePadding(64) && written;
    uint32_t recordBytes = glyphs->glyphCount * uint32_t(sizeof(VorlGlyphRecord));
    written = sink->Write(glyphs->GetGlyphRecords(), recordBytes) && written;
    written = sink->WritePadding(64) && written;
    if (glyphs->outlineRecords)
    {
        written = sink->Write(glyphs->GetOutlineGlyphRecords(), recordBytes) && written;
        written = sink->WritePadding(64) && written;
    }
    for (int32_t s = 0; s < kFontListSectionCount; ++s)
    {
        if (glyphs->listCounts[s] == 0) continue;
        written = sink->Write(glyphs->lists[s].GetData(), glyphs->listCounts[s] * kFontListEntrySizes[s]) && written;
        written = sink->WritePadding(64) && written;
    }
    written = WriteVorlTextures(sink, curve, band) && written;
    return written ? 0 : kResultWriteFailed;
}

}  // namespace oq
