#include "vorlfont/opentype/CffIndex.h"

namespace oq {

uint64_t CffIndex::ReadOffset(uint32_t i) const
{
    uint64_t p = start + 3 + uint64_t(i) * offsetSize;
    uint64_t value = 0;
    for (uint32_t k = 0; k < offsetSize; ++k) value = value << 8 | cff.GetUInt8(p + k);
    return value;
}

FontBytes CffIndex::GetElement(uint32_t i) const
{
    uint64_t first = ReadOffset(i);
    return cff.Slice(dataBase + first, ReadOffset(i + 1) - first);
}

bool ReadCffIndex(const FontBytes &cff, uint64_t offset, CffIndex *index)
{
    *index = CffIndex();
    index->cff = cff;
    index->start = offset;
    uint16_t count = 0;
    if (!cff.ReadUInt16(offset, &count)) return false;
    index->count = count;
    if (count == 0)
    {
        index->end = offset + 2;
        return true;
    }

    uint32_t offsetSize = cff.GetUInt8(offset + 2);
    if (offsetSize < 1 || offsetSize > 4) return false;
    uint64_t offsetBytes = (uint64_t(count) + 1) * offsetSize;
    if (!cff.Contains(offset + 3, offsetBytes)) return false;
    index->offsetSize = offsetSize;
    index->dataBase = offset + 2 + offsetBytes;

    uint64_t previous = 1;
    for (uint32_t i = 0; i <= count; ++i)
    {
        uint64_t value = index->ReadOffset(i);
        if (value < previous) return false;
        previous = value;
    }
    if (!cff.Contains(index->dataBase + 1, previous - 1)) return false;
    index->end = index->dataBase + previous;
    return true;
}

int32_t GetCffSubroutineBias(uint32_t count)
{
    if (count < 1240) return 107;
    if (count < 33900) return 1131;
    return 32768;
}

}  // namespace oq
