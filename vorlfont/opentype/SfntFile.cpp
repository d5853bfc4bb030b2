#include "vorlfont/opentype/SfntFile.h"

#include <vector>

namespace oq {

uint32_t FindSfntTable(const FontBytes &file, uint64_t offsetTable, uint32_t tag, FontBytes *table)
{
    *table = FontBytes();
    uint16_t tableCount = 0;
    if (!file.Contains(offsetTable, 12) || !file.ReadUInt16(offsetTable + 4, &tableCount)) return kResultCorrupt;
    if (!file.Contains(offsetTable + 12, uint64_t(tableCount) * 16)) return kResultCorrupt;

    for (uint32_t i = 0; i < tableCount; ++i)
    {
        uint64_t record = offsetTable + 12 + uint64_t(i) * 16;
        if (file.GetUInt32(record) != tag) continue;
        uint64_t offset = file.GetUInt32(record + 8);
        uint64_t length = file.GetUInt32(record + 12);
        if (!file.Contains(offset, length)) return kResultCorrupt;
        *table = FontBytes{file.data + offset, length};
        return 0;
    }
    return 0;
}

bool IsFaceVersion(uint32_t version)
{
    return version == 0x00010000 || version == 'true' || version == 'OTTO';
}

uint32_t ReadCollectionFaceCount(const FontBytes &file, uint32_t *faceCount)
{
    *faceCount = 0;
    uint32_t count = 0;
    if (!file.ReadUInt32(8, &count) || count == 0 || count > kMaxCollectionFaces) return kResultCorrupt;
    if (!file.Contains(12, uint64_t(count) * 4)) return kResultCorrupt;
    *faceCount = count;
    return 0;
}

uint32_t ReadCollectionFaceOffset(const FontBytes &file, uint32_t face, uint64_t *offsetTable)
{
    uint32_t offset = 0;
    *offsetTable = 0;
    if (!file.ReadUInt32(12 + uint64_t(face) * 4, &offset) || !file.Contains(offset, 12)) return kResultCorrupt;
    *offsetTable = offset;
    return 0;
}

namespace {

// Where one table lies in the file; absent when the face has none.
struct TableSpan
{
    bool present = false;
    uint64_t offset = 0;
    uint64_t length = 0;
};

// What the share test compares of one face.
struct FaceTables
{
    TableSpan head, hhea, maxp, hmtx, colr, cpal, glyf, loca, cff;
    uint16_t unitsPerEm = 0, locFormat = 0, longMetrics = 0, glyphCount = 0;
};

// The face's tables as FindSfntTable finds them: false when its offset table, a record of a
// wanted tag or 'head', 'hhea' or 'maxp' cannot be read.
bool ReadFaceTables(const FontByteSource &file, uint32_t face, FaceTables *tables)
{
    uint32_t offset = 0;
    if (!file.ReadUInt32(12 + uint64_t(face) * 4, &offset) || !file.Contains(offset, 12)) return false;
    uint16_t tableCount = 0;
    if (!file.ReadUInt16(uint64_t(offset) + 4, &tableCount)) return false;
    std::vector<uint8_t> records(size_t(tableCount) * 16);
    if (!file.Read(uint64_t(offset) + 12, records.size(), records.data())) return false;

    const struct
    {
        uint32_t tag;
        TableSpan *table;
    } wanted[] = {{'head', &tables->head}, {'hhea', &tables->hhea}, {'maxp', &tables->maxp},
                  {'hmtx', &tables->hmtx}, {'COLR', &tables->colr}, {'CPAL', &tables->cpal},
                  {'glyf', &tables->glyf}, {'loca', &tables->loca}, {'CFF ', &tables->cff}};
    FontBytes directory{records.data(), records.size()};
    for (const auto &entry : wanted)
    {
        for (uint32_t i = 0; i < tableCount; ++i)
        {
            uint64_t record = uint64_t(i) * 16;
            if (directory.GetUInt32(record) != entry.tag) continue;
            TableSpan span{true, directory.GetUInt32(record + 8), directory.GetUInt32(record + 12)};
            if (!file.Contains(span.offset, span.length)) return false;
            *entry.table = span;
            break;
        }
    }
    if (tables->head.length < 52 || tables->hhea.length < 36 || tables->maxp.length < 6) return false;
    return file.ReadUInt16(tables->head.offset + 18, &tables->unitsPerEm) &&
           file.ReadUInt16(tables->head.offset + 50, &tables->locFormat) &&
           file.ReadUInt16(tables->hhea.offset + 34, &tables->longMetrics) &&
           file.ReadUInt16(tables->maxp.offset + 4, &tables->glyphCount);
}

// The same table, or absent from both.
bool SameTable(const TableSpan &a, const TableSpan &b)
{
    return a.present == b.present && (!a.present || a.offset == b.offset);
}

}  // namespace

bool CollectionSharesTables(const FontBytes &file, uint32_t faceCount)
{
    return CollectionSharesTables(FontBytesSource(file), faceCount);
}

bool CollectionSharesTables(const FontByteSource &file, uint32_t faceCount)
{
    if (faceCount < 2) return true;
    FaceTables first;
    if (!ReadFaceTables(file, 0, &first)) return false;

    for (uint32_t face = 1; face < faceCount; ++face)
    {
        FaceTables other;
        if (!ReadFaceTables(file, face, &other)) return false;
        if (first.unitsPerEm != other.unitsPerEm) return false;
        if (first.loca.present && first.locFormat != other.locFormat) return false;
        if (first.longMetrics != other.longMetrics || first.glyphCount != other.glyphCount) return false;
        if (!SameTable(first.hmtx, other.hmtx) || !SameTable(first.colr, other.colr) ||
            !SameTable(first.cpal, other.cpal))
        {
            return false;
        }
        if (first.glyf.present)
        {
            if (!SameTable(first.glyf, other.glyf) || !SameTable(first.loca, other.loca)) return false;
        }
        else if (!SameTable(first.cff, other.cff))
        {
            return false;
        }
    }
    return true;
}

}  // namespace oq
