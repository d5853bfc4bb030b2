#pragma once

#include "base/Memory.h"

#include <cstdint>

namespace oq {

// Number of code points of a character table.
inline constexpr uint32_t kCharacterTableSize = 0x110000;

// A Font's map from code points to glyph numbers (0: unmapped): 256-entry pages, each allocated
// when a code point of it is first mapped, reached through a page index that grows to the highest
// mapped page.
class CharacterTable : public HeapObject
{
public:
    static constexpr uint32_t kPageSize = 256;
    static constexpr uint32_t kPageLimit = kCharacterTableSize / kPageSize;

    CharacterTable() = default;
    ~CharacterTable();
    CharacterTable(const CharacterTable &) = delete;
    CharacterTable &operator=(const CharacterTable &) = delete;

    // The glyph number of the code point; 0 when unmapped or not below kCharacterTableSize.
    int32_t Get(uint32_t codePoint) const
    {
        uint32_t page = codePoint / kPageSize;
        if (page >= indexSize || pages[page] == nullptr) return 0;
        return pages[page][codePoint % kPageSize];
    }

    // Stores the glyph number of a code point below kCharacterTableSize (others are ignored).
    // Storing 0 takes no page.
    void Set(uint32_t codePoint, int32_t glyph);

    // Number of index entries: every mapped code point lies below GetIndexSize() * kPageSize.
    uint32_t GetIndexSize() const { return indexSize; }

    // The 256 entries of a page, or null when none of its code points was ever mapped.
    const int32_t *GetPage(uint32_t page) const { return (page < indexSize) ? pages[page] : nullptr; }

    // Bytes held: the index and the pages.
    size_t GetMemorySize() const;

private:
    int32_t **pages = nullptr;
    uint32_t indexSize = 0;
    uint32_t indexCapacity = 0;
};

}  // namespace oq
