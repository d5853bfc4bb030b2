#include "vorlfont/opentype/EntryKeySet.h"

namespace oq {

namespace {

uint64_t HashKey(const uint32_t *key, int32_t length)
{
    uint64_t hash = 0x9E3779B97F4A7C15ull ^ uint64_t(length);
    for (int32_t i = 0; i < length; ++i)
    {
        hash = (hash ^ key[i]) * 0xBF58476D1CE4E5B9ull;
        hash ^= hash >> 31;
    }
    return hash;
}

}  // namespace

int32_t EntryKeySet::FindSlot(uint64_t hash, const uint32_t *key, int32_t length) const
{
    uint64_t mask = uint64_t(positions.GetElementCount()) - 1;
    for (uint64_t i = hash & mask;; i = (i + 1) & mask)
    {
        int32_t position = positions[int32_t(i)];
        if (position == 0) return int32_t(i);
        if (hashes[int32_t(i)] != hash || int32_t(words[position - 1]) != length) continue;
        bool same = true;
        for (int32_t k = 0; k < length && same; ++k) same = words[position + k] == key[k];
        if (same) return int32_t(i);
    }
}

bool EntryKeySet::Contains(const uint32_t *key, int32_t length) const
{
    if (count == 0) return false;
    return positions[FindSlot(HashKey(key, length), key, length)] != 0;
}

bool EntryKeySet::Insert(const uint32_t *key, int32_t length)
{
    if (2 * (count + 1) > positions.GetElementCount()) Grow();
    uint64_t hash = HashKey(key, length);
    int32_t slot = FindSlot(hash, key, length);
    if (positions[slot] != 0) return false;
    int32_t position = words.GetElementCount();
    words.SetElementCount(position + 1 + length);
    words[position] = uint32_t(length);
    for (int32_t k = 0; k < length; ++k) words[position + 1 + k] = key[k];
    positions[slot] = position + 1;
    hashes[slot] = hash;
    ++count;
    return true;
}

void EntryKeySet::Grow()
{
    int32_t size = positions.GetElementCount() == 0 ? 1024 : 2 * positions.GetElementCount();
    positions.SetElementCount(size);
    hashes.SetElementCount(size);
    for (int32_t i = 0; i < size; ++i) positions[i] = 0;
    uint64_t mask = uint64_t(size) - 1;
    for (int32_t p = 0; p < words.GetElementCount(); p += 1 + int32_t(words[p]))
    {
        uint64_t hash = HashKey(words.GetElements() + p + 1, int32_t(words[p]));
        uint64_t j = hash & mask;
        while (positions[int32_t(j)] != 0) j = (j + 1) & mask;
        positions[int32_t(j)] = p + 1;
        hashes[int32_t(j)] = hash;
    }
}

void EntryKeySet::Clear()
{
    words.SetElementCount(0);
    for (int32_t i = 0; i < positions.GetElementCount(); ++i) positions[i] = 0;
    count = 0;
}

}  // namespace oq
