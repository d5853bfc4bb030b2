#pragma once

#include "base/Array.h"

#include <cstdint>

namespace oq {

// Set of substitution entries met by one import, each a key of 32-bit words (kind, glyph, feature
// tag and what tells entries apart), for "unless present" tests: the Glyph's find operations scan
// its lists, which turns an import quadratic when one glyph gets thousands of entries.
class EntryKeySet
{
public:
    EntryKeySet() = default;
    EntryKeySet(const EntryKeySet &) = delete;
    EntryKeySet &operator=(const EntryKeySet &) = delete;

    bool Contains(const uint32_t *key, int32_t length) const;
    // Adds the key; false when it was there already.
    bool Insert(const uint32_t *key, int32_t length);
    void Clear();

private:
    // The slot that holds the key, or the empty slot where it belongs.
    int32_t FindSlot(uint64_t hash, const uint32_t *key, int32_t length) const;
    void Grow();

    // Keys one after another, each its length and then its words.
    Array<uint32_t> words;
    // Per slot the position of its key in words plus 1 (0: empty), and the key's hash.
    Array<int32_t> positions;
    Array<uint64_t> hashes;
    int32_t count = 0;
};

}  // namespace oq
