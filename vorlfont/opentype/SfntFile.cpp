#include "vorlfont/opentype/SfntFile.h"

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

// What the share test compares of one face.
struct FaceTables
{
    FontBytes head, hhea, maxp, hmtx, colr, cpal, glyf, loca, cff;
};

bool ReadFaceTables(const FontBytes &file, uint32_t face, FaceTables *tables)
{
    uint64_t offsetTable = 0;
    if (ReadCollectionFaceOffset(file, face, &offsetTable) != 0) return false;
    const struct
    {
        uint32_t tag;
        FontBytes *table;
    } wanted[] = {{'head', &tables->head}, {'hhea', &tables->hhea}, {'maxp', &tables->maxp},
                  {'hmtx', &tables->hmtx}, {'COLR', &tables->colr}, {'CPAL', &tables->cpal},
                  {'glyf', &tables->glyf}, {'loca', &tables->loca}, {'CFF ', &tables->cff}};
    for (const auto &entry : wanted)
    {
        if (FindSfntTable(file, offsetTable, entry.tag, entry.table) != 0) return false;
    }
    return tables->head.Contains(0, 52) && tables->hhea.Contains(0, 36) && tables->maxp.Contains(0, 6);
}

// Same table bytes, or absent from both.
bool SameTable(const FontBytes &a, const FontBytes &b)
{
    return a.data == b.data;
}

}  // namespace

bool CollectionSharesTables(const FontBytes &file, uint32_t faceCount)
{
    if (faceCount < 2) return true;
    FaceTables first;
    if (!ReadFaceTables(file, 0, &first)) return false;

    for (uint32_t face = 1; face < faceCount; ++face)
    {
        FaceTables other;
        if (!ReadFaceTables(file, face, &other)) return false;
        if (first.head.GetUInt16(18) != other.head.GetUInt16(18)) return false;
        if (first.loca.IsPresent() && first.head.GetUInt16(50) != other.head.GetUInt16(50)) return false;
        if (first.hhea.GetUInt16(34) != other.hhea.GetUInt16(34)) return false;
        if (first.maxp.GetUInt16(4) != other.maxp.GetUInt16(4)) return false;
        if (!SameTable(first.hmtx, other.hmtx) || !SameTable(first.colr, other.colr) ||
            !SameTable(first.cpal, other.cpal))
        {
            return false;
        }
        if (first.glyf.IsPresent())
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
