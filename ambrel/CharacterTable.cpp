// The paged character table of a Font.
#include "ambrel/CharacterTable.h"

#include <cstring>

namespace oq {

CharacterTable::~CharacterTable()
{
    for (uint32_t p = 0; p < indexSize; ++p) MemoryRelease(pages[p]);
    MemoryRelease(pages);
}

void CharacterTable::Set(uint32_t codePoint, int32_t glyph)
{
    if (codePoint >= kCharacterTableSize) return;
    uint32_t page = codePoint / kPageSize;
    if (page >= indexSize)
    {
        if (glyph == 0) return;
        if (page >= indexCapacity)
        {
            // Doubling keeps code points mapped in ascending order from copying the index each page.
            uint32_t capacity = (indexCapacity * 2 > page + 1) ? indexCapacity * 2 : page + 1;
            if (capacity > kPageLimit) capacity = kPageLimit;
            auto **grown = static_cast<int32_t **>(MemoryAllocate(sizeof(int32_t *) * capacity));
            if (indexSize != 0) std::memcpy(grown, pages, sizeof(int32_t *) * indexSize);
            MemoryRelease(pages);
            pages = grown;
            indexCapacity = capacity;
        }
        for (uint32_t p = indexSize; p <= page; ++p) pages[p] = nullptr;
        indexSize = page + 1;
    }
    int32_t *entries = pages[page];
    if (entries == nullptr)
    {
        if (glyph == 0) return;
        entries = static_cast<int32_t *>(MemoryAllocate(sizeof(int32_t) * kPageSize));
        std::memset(entries, 0, sizeof(int32_t) * kPageSize);
        pages[page] = entries;
    }
    entries[codePoint % kPageSize] = glyph;
}

size_t CharacterTable::GetMemorySize() const
{
    size_t size = sizeof(int32_t *) * indexCapacity;
    for (uint32_t p = 0; p < indexSize; ++p)
    {
        if (pages[p] != nullptr) size += sizeof(int32_t) * kPageSize;
    }
    return size;
}

}  // namespace oq
