#include "vorlfont/compiler/CharacterInclusionMap.h"

#include "base/Memory.h"

#include <cstring>

namespace oq {

namespace {

uint8_t *AllocateZeroedMap()
{
    auto *map = static_cast<uint8_t *>(MemoryAllocate(CharacterInclusionMap::kSize));
    std::memset(map, 0, CharacterInclusionMap::kSize);
    return map;
}

}  // namespace

CharacterInclusionMap::CharacterInclusionMap(const CodePointRange *include, int32_t includeCount,
                                             const CodePointRange *exclude, int32_t excludeCount)
    : map(AllocateZeroedMap())
{
    SetRange(0x20, 0x7E, 1);
    SetRange(0xA0, 0xFF, 1);
    if (includeCount > 0)
    {
        for (int32_t i = 0; i < includeCount; ++i) SetRange(include[i].first, include[i].last, 1);
    }
    else
    {
        SetRange(0x100, 0xD7FF, 1);
        SetRange(0xE000, 0xFFFD, 1);
        SetRange(0x10000, 0x10FFFF, 1);
    }
    for (int32_t i = 0; i < excludeCount; ++i) SetRange(exclude[i].first, exclude[i].last, 0);
}

CharacterInclusionMap::CharacterInclusionMap(uint32_t count, const uint8_t *bytes) : map(AllocateZeroedMap())
{
    std::memcpy(map, bytes, (count < kSize) ? count : kSize);
}

CharacterInclusionMap::CharacterInclusionMap(int32_t count, const uint32_t *codePoints) : map(AllocateZeroedMap())
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (codePoints[i] < kSize) map[codePoints[i]] = 1;
    }
}

CharacterInclusionMap::~CharacterInclusionMap()
{
    MemoryRelease(map);
}

// Ranges are clipped to the map, so a range the command line did not check cannot write past it.
void CharacterInclusionMap::SetRange(uint32_t first, uint32_t last, uint8_t value)
{
    if (first >= kSize || last < first) return;
    if (last >= kSize) last = kSize - 1;
    std::memset(map + first, value, last - first + 1);
}

}  // namespace oq
