#pragma once

#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>
#include <vector>

namespace oq {

// Where one table of a face lies in its file; absent when the face has none that lies inside.
struct SfntTable
{
    bool present = false;
    uint64_t offset = 0;
    uint64_t length = 0;
};

// The table directory of one face of a font file, read whole: 16-byte records {tag, checksum,
// offset, length}, offsets counted from the start of the file.
struct SfntFaceDirectory
{
    uint64_t offsetTable = 0;
    std::vector<uint8_t> records;
};

// Reads the face's directory: false unless its 12-byte offset table lies in the file with an
// accepted sfnt version (0x00010000, 'OTTO', 'true') and its records lie in the file too.
[[nodiscard]] bool ReadSfntFaceDirectory(const FontByteSource &file, uint64_t offsetTable,
                                         SfntFaceDirectory *directory);

// The first record with the tag whose offset plus length lies within a file of that size.
SfntTable LookUpSfntTable(const SfntFaceDirectory &directory, uint64_t fileSize, uint32_t tag);

// Whether the face has 'head', 'hhea' and 'maxp' long enough for the fields the scan compares
// (54, 36 and 6 bytes; a shorter one counts as missing).
bool HasSfntHeaderTables(const SfntFaceDirectory &directory, uint64_t fileSize);

}  // namespace oq
