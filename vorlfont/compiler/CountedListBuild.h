#pragma once

#include "vorlfont/compiler/FontGlyphData.h"

#include <cassert>
#include <cstdint>

namespace oq {

// How a list's writing pass may count against its counting pass: the same, or at most as many
// (kerning shares runs it finds already written).
enum class ListCountRule : int32_t
{
    kExact,
    kAtMost,
};

// 0 when the writing pass's count keeps the rule; else 'SIZE' (and an assertion in debug builds:
// the two passes of a writer disagree).
[[nodiscard]] uint32_t CheckListCount(uint32_t counted, uint32_t written, ListCountRule rule);

// Runs a list writer, writer(entries, capacity, &count), twice: counting (null entries), then
// into a list of that size, whose count becomes what was written. 'SIZE' when the counts break
// the rule; the writer's own failures pass through.
template <class Entry, class Writer>
[[nodiscard]] uint32_t BuildCountedList(FontGlyphData *data, FontListSection section, ListCountRule rule, Writer writer)
{
    assert(sizeof(Entry) == kFontListEntrySizes[section]);
    uint32_t counted = 0;
    uint32_t result = writer(static_cast<Entry *>(nullptr), 0u, &counted);
    if (result == 0) result = data->AllocateList(section, counted);
    if (result != 0 || counted == 0) return result;
    uint32_t written = 0;
    result = writer(data->lists[section].Get<Entry>(), counted, &written);
    if (result == 0) result = CheckListCount(counted, written, rule);
    if (result == 0) data->listCounts[section] = written;
    return result;
}

}  // namespace oq
