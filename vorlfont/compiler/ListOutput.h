#pragma once

#include <cstdint>

namespace oq {

// Where a list writer puts its entries. Without entries it only counts (the counting pass); with
// them it writes while the entries fit its capacity and past it only counts, so a writing pass
// never writes past its list and its count shows where it disagrees with the counting pass.
template <class Entry>
class ListOutput
{
public:
    ListOutput(Entry *entries, uint32_t capacity) : entries(entries), capacity((entries != nullptr) ? capacity : 0) {}

    bool IsWriting() const { return entries != nullptr; }
    uint32_t GetCount() const { return count; }

    // The entries stored: all that were counted until the first that did not fit.
    const Entry *GetStored() const { return entries; }
    uint32_t GetStoredCount() const { return stored; }

    // Counts n entries and returns where they go: null while counting, and from the first
    // entries that do not fit on.
    [[nodiscard]] Entry *Take(uint32_t n)
    {
        Entry *place = nullptr;
        if (entries != nullptr && stored == count && n <= capacity - count)
        {
            place = entries + count;
            stored += n;
        }
        count += n;
        return place;
    }

    void Add(const Entry &entry)
    {
        if (Entry *place = Take(1)) *place = entry;
    }

private:
    Entry *entries;
    uint32_t capacity;
    uint32_t count = 0;
    uint32_t stored = 0;
};

}  // namespace oq
