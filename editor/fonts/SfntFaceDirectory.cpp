#include "editor/fonts/SfntFaceDirectory.h"

#include "vorlfont/opentype/SfntFile.h"

namespace oq {

bool ReadSfntFaceDirectory(const FontByteSource &file, uint64_t offsetTable, SfntFaceDirectory *directory)
{
    directory->offsetTable = offsetTable;
    directory->records.clear();
    uint8_t header[12];
    if (!file.Read(offsetTable, sizeof(header), header)) return false;
    FontBytes view{header, sizeof(header)};
    if (!IsFaceVersion(view.GetUInt32(0))) return false;
    uint64_t size = uint64_t(view.GetUInt16(4)) * 16;
    directory->records.resize(size);
    return file.Read(offsetTable + 12, size, directory->records.data());
}

SfntTable LookUpSfntTable(const SfntFaceDirectory &directory, uint64_t fileSize, uint32_t tag)
{
    FontBytes records{directory.records.data(), directory.records.size()};
    for (uint64_t record = 0; records.Contains(record, 16); record += 16)
    {
        if (records.GetUInt32(record) != tag) continue;
        uint64_t offset = records.GetUInt32(record + 8);
        uint64_t length = records.GetUInt32(record + 12);
        if (offset <= fileSize && length <= fileSize - offset) return SfntTable{true, offset, length};
    }
    return SfntTable();
}

bool HasSfntHeaderTables(const SfntFaceDirectory &directory, uint64_t fileSize)
{
    return LookUpSfntTable(directory, fileSize, 'head').length >= 54 &&
           LookUpSfntTable(directory, fileSize, 'hhea').length >= 36 &&
           LookUpSfntTable(directory, fileSize, 'maxp').length >= 6;
}

}  // namespace oq
