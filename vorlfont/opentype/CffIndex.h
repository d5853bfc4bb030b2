#pragma once

#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

// One INDEX of CFF data, checked when read: offset size 1 to 4, offsets from 1 on and never
// decreasing, the whole INDEX inside the CFF data.
struct CffIndex
{
    FontBytes cff;           // the CFF data the INDEX lies in
    uint64_t start = 0;      // offset of its count in the CFF data
    uint32_t count = 0;
    uint32_t offsetSize = 0;
    uint64_t dataBase = 0;   // offset of the byte before the object data
    uint64_t end = 0;        // offset of the first byte after the INDEX

    // Element i (below count) as a view of its bytes.
    FontBytes GetElement(uint32_t i) const;
    uint64_t GetElementLength(uint32_t i) const { return ReadOffset(i + 1) - ReadOffset(i); }

    // Offset i (0 to count) as stored.
    uint64_t ReadOffset(uint32_t i) const;
};

// Reads the INDEX whose count is at offset of the CFF data; false when it is malformed.
[[nodiscard]] bool ReadCffIndex(const FontBytes &cff, uint64_t offset, CffIndex *index);

// The bias added to subroutine numbers of an INDEX with this many subroutines.
int32_t GetCffSubroutineBias(uint32_t count);

}  // namespace oq
