#include "vorlfont/opentype/LayoutCommon.h"

#include "vorlfont/opentype/SfntFile.h"

#include <algorithm>

namespace oq {

uint32_t GetCoverageGlyph(const FontBytes &table, uint64_t coverage, uint32_t index)
{
    uint32_t format = table.GetUInt16(coverage);
    if (format == 1)
    {
        if (index >= table.GetUInt16(coverage + 2)) return 0;
        return table.GetUInt16(coverage + 4 + 2 * uint64_t(index));
    }
    if (format == 2)
    {
        uint32_t rangeCount = table.GetUInt16(coverage + 2);
        for (uint32_t r = 0; r < rangeCount; ++r)
        {
            uint64_t record = coverage + 4 + 6 * uint64_t(r);
            if (!table.Contains(record, 6)) break;
            int64_t start = table.GetUInt16(record);
            int64_t end = table.GetUInt16(record + 2);
            int64_t glyph = start + int64_t(index) - table.GetUInt16(record + 4);
            if (glyph >= start && glyph <= end) return uint32_t(glyph);
        }
    }
    return 0;
}

uint32_t GetCoverageIndexCost(const FontBytes &table, uint64_t coverage)
{
    return table.GetUInt16(coverage) == 2 ? uint32_t(table.GetUInt16(coverage + 2)) + 1 : 1;
}

int64_t FindCoverageIndex(const FontBytes &table, uint64_t coverage, uint32_t glyph)
{
    uint32_t format = table.GetUInt16(coverage);
    uint32_t count = table.GetUInt16(coverage + 2);
    for (uint32_t i = 0; i < count; ++i)
    {
        if (format == 1)
        {
            if (table.GetUInt16(coverage + 4 + 2 * uint64_t(i)) == glyph) return i;
        }
        else if (format == 2)
        {
            uint64_t record = coverage + 4 + 6 * uint64_t(i);
            uint32_t start = table.GetUInt16(record);
            if (glyph >= start && glyph <= table.GetUInt16(record + 2))
            {
                return int64_t(table.GetUInt16(record + 4)) + glyph - start;
            }
        }
    }
    return -1;
}

void ListCoverageGlyphs(const FontBytes &table, uint64_t coverage, uint32_t glyphCount, Array<uint32_t> *glyphs)
{
    ClassDefinitionList list(glyphCount);
    list.AddCoverageClassZero(table, coverage);
    for (int32_t i = 0; i < list.GetEntries().GetElementCount(); ++i) glyphs->AddElement(list.GetEntries()[i].glyph);
}

ClassDefinitionList::ClassDefinitionList(uint32_t count) : glyphCount(count)
{
    nextUnlisted.SetElementCount(int32_t(count) + 1);
    for (uint32_t g = 0; g <= count; ++g) nextUnlisted[int32_t(g)] = g;
}

uint32_t ClassDefinitionList::FindUnlisted(uint32_t glyph)
{
    while (nextUnlisted[int32_t(glyph)] != glyph)
    {
        uint32_t next = nextUnlisted[int32_t(glyph)];
        nextUnlisted[int32_t(glyph)] = nextUnlisted[int32_t(next)];
        glyph = next;
    }
    return glyph;
}

void ClassDefinitionList::AddRange(uint32_t first, uint32_t last, uint32_t classValue)
{
    if (first > last || first >= glyphCount) return;
    last = std::min(last, glyphCount - 1);
    for (uint32_t glyph = FindUnlisted(first); glyph <= last; glyph = FindUnlisted(glyph + 1))
    {
        entries.AddElement(GlyphClassEntry{glyph, classValue});
        nextUnlisted[int32_t(glyph)] = glyph + 1;
    }
}

void ClassDefinitionList::ReadClassDefinition(const FontBytes &table, uint64_t offset)
{
    uint32_t format = table.GetUInt16(offset);
    if (format == 1)
    {
        uint32_t start = table.GetUInt16(offset + 2);
        uint32_t count = table.GetUInt16(offset + 4);
        for (uint32_t i = 0; i < count; ++i)
        {
            uint64_t position = offset + 6 + 2 * uint64_t(i);
            if (!table.Contains(position, 2)) break;
            uint32_t classValue = table.GetUInt16(position);
            if (classValue != 0) AddRange(start + i, start + i, classValue);
        }
    }
    else if (format == 2)
    {
        uint32_t rangeCount = table.GetUInt16(offset + 2);
        for (uint32_t r = 0; r < rangeCount; ++r)
        {
            uint64_t record = offset + 4 + 6 * uint64_t(r);
            if (!table.Contains(record, 6)) break;
            AddRange(table.GetUInt16(record), table.GetUInt16(record + 2), table.GetUInt16(record + 4));
        }
    }
}

void ClassDefinitionList::AddCoverageClassZero(const FontBytes &table, uint64_t coverage)
{
    uint32_t format = table.GetUInt16(coverage);
    uint32_t count = table.GetUInt16(coverage + 2);
    for (uint32_t i = 0; i < count; ++i)
    {
        if (format == 1)
        {
            uint64_t position = coverage + 4 + 2 * uint64_t(i);
            if (!table.Contains(position, 2)) break;
            uint32_t glyph = table.GetUInt16(position);
            AddRange(glyph, glyph, 0);
        }
        else if (format == 2)
        {
            uint64_t record = coverage + 4 + 6 * uint64_t(i);
            if (!table.Contains(record, 6)) break;
            AddRange(table.GetUInt16(record), table.GetUInt16(record + 2), 0);
        }
    }
}

void ClassDefinitionList::SortByClass()
{
    if (entries.GetElementCount() == 0) return;
    GlyphClassEntry *begin = &entries[0];
    std::stable_sort(begin, begin + entries.GetElementCount(),
                     [](const GlyphClassEntry &a, const GlyphClassEntry &b) { return a.classValue < b.classValue; });
}

int32_t ClassDefinitionList::GetClassEntries(uint32_t classValue, const GlyphClassEntry **result) const
{
    if (entries.GetElementCount() == 0) return 0;
    const GlyphClassEntry *begin = &entries[0];
    const GlyphClassEntry *end = begin + entries.GetElementCount();
    auto range = std::equal_range(begin, end, GlyphClassEntry{0, classValue},
                                  [](const GlyphClassEntry &a, const GlyphClassEntry &b) { return a.classValue < b.classValue; });
    *result = range.first;
    return int32_t(range.second - range.first);
}

uint32_t GetValueRecordSize(uint32_t valueFormat)
{
    uint32_t size = 0;
    for (uint32_t bit = 0; bit < 8; ++bit) size += (valueFormat >> bit & 1) * 2;
    return size;
}

namespace {

// The int16 of the field (one bit of the low eight) in a value record, 0 when absent.
int32_t GetValueField(const FontBytes &table, uint64_t record, uint32_t valueFormat, uint32_t field)
{
    if ((valueFormat & field) == 0) return 0;
    return table.GetInt16(record + GetValueRecordSize(valueFormat & (field - 1)));
}

}  // namespace

int32_t ReadPairValue(const FontBytes &table, uint64_t *position, uint32_t valueFormat1, uint32_t valueFormat2,
                      bool vertical)
{
    uint64_t first = *position;
    uint64_t second = first + GetValueRecordSize(valueFormat1);
    *position = second + GetValueRecordSize(valueFormat2);
    if (vertical) return GetValueField(table, first, valueFormat1, 0x8) + GetValueField(table, second, valueFormat2, 0x2);
    return GetValueField(table, first, valueFormat1, 0x4) + GetValueField(table, second, valueFormat2, 0x1);
}

namespace {

uint64_t HashPair(uint64_t key)
{
    key ^= key >> 29;
    key *= 0xBF58476D1CE4E5B9ull;
    key ^= key >> 32;
    return key;
}

// Glyphs are 16-bit, so no key is 0 (the empty slot).
uint64_t MakePairKey(uint32_t second, uint32_t first, bool vertical)
{
    return (uint64_t(second) << 33 | uint64_t(first) << 1 | (vertical ? 1 : 0)) + 1;
}

}  // namespace

bool GlyphPairSet::Insert(uint32_t second, uint32_t first, bool vertical)
{
    uint64_t key = MakePairKey(second, first, vertical);
    if (2 * (count + 1) > slots.GetElementCount()) Grow();
    uint64_t mask = uint64_t(slots.GetElementCount()) - 1;
    for (uint64_t i = HashPair(key) & mask;; i = (i + 1) & mask)
    {
        uint64_t &slot = slots[int32_t(i)];
        if (slot == key) return false;
        if (slot == 0)
        {
            slot = key;
            ++count;
            return true;
        }
    }
}

bool GlyphPairSet::Contains(uint32_t second, uint32_t first, bool vertical) const
{
    if (count == 0) return false;
    uint64_t key = MakePairKey(second, first, vertical);
    uint64_t mask = uint64_t(slots.GetElementCount()) - 1;
    for (uint64_t i = HashPair(key) & mask;; i = (i + 1) & mask)
    {
        uint64_t slot = slots[int32_t(i)];
        if (slot == key) return true;
        if (slot == 0) return false;
    }
}

void GlyphPairSet::Grow()
{
    Array<uint64_t> old;
    int32_t oldCount = slots.GetElementCount();
    old.SetElementCount(oldCount);
    for (int32_t i = 0; i < oldCount; ++i) old[i] = slots[i];
    int32_t size = oldCount == 0 ? 1024 : oldCount * 2;
    slots.SetElementCount(size);
    for (int32_t i = 0; i < size; ++i) slots[i] = 0;
    uint64_t mask = uint64_t(size) - 1;
    for (int32_t i = 0; i < oldCount; ++i)
    {
        if (old[i] == 0) continue;
        uint64_t j = HashPair(old[i]) & mask;
        while (slots[int32_t(j)] != 0) j = (j + 1) & mask;
        slots[int32_t(j)] = old[i];
    }
}

void GlyphPairSet::Clear()
{
    for (int32_t i = 0; i < slots.GetElementCount(); ++i) slots[i] = 0;
    count = 0;
}

uint32_t LayoutTable::Open(const FontBytes &bytes, uint32_t extension)
{
    table = bytes;
    extensionType = extension;
    featureList = table.GetUInt16(6);
    lookupList = table.GetUInt16(8);
    if (featureList >= table.size || lookupList >= table.size) return kResultCorrupt;
    return 0;
}

uint32_t LayoutTable::GetFeature(uint32_t feature, uint64_t *offset) const
{
    *offset = featureList + table.GetUInt16(featureList + 2 + 6 * uint64_t(feature) + 4);
    return *offset < table.size ? 0 : kResultCorrupt;
}

uint32_t LayoutTable::GetLookup(uint32_t lookupIndex, uint64_t *offset) const
{
    if (lookupIndex >= table.GetUInt16(lookupList)) return kLookupMissing;
    *offset = lookupList + table.GetUInt16(lookupList + 2 + 2 * uint64_t(lookupIndex));
    return *offset < table.size ? 0 : kResultCorrupt;
}

uint32_t LayoutTable::GetSubtable(uint64_t lookup, uint32_t k, uint32_t *type, uint64_t *offset) const
{
    *type = table.GetUInt16(lookup);
    *offset = lookup + table.GetUInt16(lookup + 6 + 2 * uint64_t(k));
    if (*offset >= table.size) return kResultCorrupt;
    if (*type == extensionType)
    {
        *type = table.GetUInt16(*offset + 2);
        *offset += table.GetUInt32(*offset + 4);
        if (*offset >= table.size) return kResultCorrupt;
    }
    return 0;
}

}  // namespace oq
