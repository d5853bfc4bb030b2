#include "vorlfont/opentype/CharacterMap.h"

#include "vorlfont/opentype/SfntFile.h"
#include "vorlfont/opentype/SymbolTables.h"

#include <cstring>

namespace oq {

FontBytes FindCmapSubtable(const FontBytes &cmap, uint16_t platform, uint16_t encoding, bool *outside)
{
    if (outside) *outside = false;
    uint16_t count = cmap.GetUInt16(2);
    for (uint32_t i = 0; i < count; ++i)
    {
        uint64_t record = 4 + uint64_t(i) * 8;
        if (!cmap.Contains(record, 8)) break;
        if (cmap.GetUInt16(record) != platform || cmap.GetUInt16(record + 2) != encoding) continue;
        uint64_t offset = cmap.GetUInt32(record + 4);
        if (offset >= cmap.size)
        {
            if (outside) *outside = true;
            return FontBytes();
        }
        return cmap.Slice(offset, cmap.size - offset);
    }
    return FontBytes();
}

namespace {

uint32_t FillFormat4(const FontBytes &subtable, uint32_t glyphCount, CharacterTable *table, CodeRange *range)
{
    uint16_t segCountX2 = 0;
    if (!subtable.ReadUInt16(6, &segCountX2)) return kResultCorrupt;
    uint64_t segCount = segCountX2 / 2;
    uint64_t endCodes = 14, startCodes = 16 + segCount * 2, deltas = startCodes + segCount * 2;
    uint64_t rangeOffsets = deltas + segCount * 2;
    if (!subtable.Contains(endCodes, segCount * 8 + 2)) return kResultCorrupt;

    uint64_t writes = 0;
    for (uint64_t i = 0; i < segCount; ++i)
    {
        uint32_t start = subtable.GetUInt16(startCodes + i * 2);
        uint32_t end = subtable.GetUInt16(endCodes + i * 2);
        if (start == 0xFFFF) continue;
        uint32_t delta = subtable.GetUInt16(deltas + i * 2);
        uint32_t rangeOffset = subtable.GetUInt16(rangeOffsets + i * 2);
        if (end < start) continue;
        writes += end - start + 1;
        if (writes > kMaxSubtableWrites) return kResultCorrupt;
        range->Add(start, end);
        for (uint32_t c = start; c <= end; ++c)
        {
            uint32_t glyph;
            if (rangeOffset == 0)
            {
                glyph = (delta + c) & 0xFFFF;
            }
            else
            {
                uint64_t position = rangeOffsets + i * 2 + (rangeOffset & ~1u) + uint64_t(c - start) * 2;
                uint16_t value = 0;
                if (!subtable.ReadUInt16(position, &value)) return kResultCorrupt;
                if (value == 0) continue;
                glyph = (delta + value) & 0xFFFF;
            }
            if (glyph >= glyphCount) return kResultCorrupt;
            table->Set(c, int32_t(glyph));
        }
    }
    return 0;
}

uint32_t FillFormat6(const FontBytes &subtable, uint32_t glyphCount, CharacterTable *table, CodeRange *range)
{
    uint16_t first = 0, count = 0;
    if (!subtable.ReadUInt16(6, &first) || !subtable.ReadUInt16(8, &count)) return kResultCorrupt;
    if (!subtable.Contains(10, uint64_t(count) * 2)) return kResultCorrupt;
    if (count != 0) range->Add(first, first + count - 1u);
    for (uint32_t i = 0; i < count; ++i)
    {
        uint32_t glyph = subtable.GetUInt16(10 + uint64_t(i) * 2);
        if (glyph >= glyphCount) return kResultCorrupt;
        uint32_t code = first + i;
        table->Set(code, int32_t(glyph));  // nothing beyond U+10FFFF
    }
    return 0;
}

uint32_t FillFormat12(const FontBytes &subtable, uint32_t glyphCount, CharacterTable *table, CodeRange *range)
{
    uint32_t groupCount = 0;
    if (!subtable.ReadUInt32(12, &groupCount)) return kResultCorrupt;
    if (!subtable.Contains(16, uint64_t(groupCount) * 12)) return kResultCorrupt;
    uint64_t writes = 0;
    for (uint32_t g = 0; g < groupCount; ++g)
    {
        uint64_t group = 16 + uint64_t(g) * 12;
        uint64_t start = subtable.GetUInt32(group), end = subtable.GetUInt32(group + 4);
        uint64_t glyph = subtable.GetUInt32(group + 8);
        if (end < start || end >= kCodePointCount) return kResultCorrupt;
        writes += end - start + 1;
        if (writes > kMaxSubtableWrites) return kResultCorrupt;
        if (glyph + (end - start) >= glyphCount) return kResultCorrupt;
        range->Add(uint32_t(start), uint32_t(end));
        for (uint64_t c = start; c <= end; ++c) table->Set(uint32_t(c), int32_t(glyph + (c - start)));
    }
    return 0;
}

// Copies byte b's symbol-area entry to u when u is empty.
void CopySymbol(CharacterTable *table, uint32_t b, uint32_t u)
{
    if (table->Get(u) == 0) table->Set(u, table->Get(0xF000 + b));
}

}  // namespace

uint32_t FillCharacterTable(const FontBytes &subtable, uint32_t glyphCount, CharacterTable *table, CodeRange *range)
{
    CodeRange unused;
    if (range == nullptr) range = &unused;
    uint16_t format = 0;
    if (!subtable.ReadUInt16(0, &format)) return kResultCorrupt;
    switch (format)
    {
        case 4: return FillFormat4(subtable, glyphCount, table, range);
        case 6: return FillFormat6(subtable, glyphCount, table, range);
        case 12: return FillFormat12(subtable, glyphCount, table, range);
        default: return kResultCmapData;
    }
}

void RemapSymbolCharacters(CharacterTable *table, uint32_t familyClass, const char *familyName)
{
    if (familyClass == 0x0C03)
    {
        // Copy from a snapshot of the low bytes, so glyphs only reachable through U+0080-00FF stay
        // reachable through U+F0xx.
        int32_t low[256];
        for (uint32_t b = 0; b < 256; ++b)
            low[b] = table->Get(0xF000 + b) != 0 ? table->Get(0xF000 + b) : table->Get(b);
        for (uint32_t b = 0x80; b < 0x100; ++b) table->Set(b, 0);
        auto fill = [table](uint32_t codePoint, int32_t glyph) {
            if (table->Get(codePoint) == 0) table->Set(codePoint, glyph);
        };
        for (uint32_t b = 0x20; b <= 0xFE; ++b)
        {
            uint32_t u = kSymbolEncodingTable[b];
            if (u != 0) fill(u, low[b]);
        }
        for (uint32_t b = 0; b < 0x80; ++b) fill(b, low[b]);
        for (uint32_t b = 0; b < 256; ++b) fill(0xF000 + b, low[b]);
        return;
    }

    if (familyName)
    {
        const SymbolFontEncoding *rows = GetSymbolFontEncodings();
        for (int32_t r = 0; r < kSymbolFontEncodingCount; ++r)
        {
            const SymbolFontEncoding &row = rows[r];
            if (std::strcmp(row.firstName, familyName) != 0 &&
                (row.secondName[0] == 0 || std::strcmp(row.secondName, familyName) != 0))
            {
                continue;
            }
            for (uint32_t b = 0x20; b <= 0xFF; ++b)
            {
                if (row.codePoint[b] != 0) CopySymbol(table, b, row.codePoint[b]);
            }
            return;
        }
    }
    for (uint32_t b = 0; b <= 0xFF; ++b) CopySymbol(table, b, b);
}

void BuildCharacterRuns(const CharacterTable &table, Array<CharacterRun> *runs, uint32_t low, uint32_t high)
{
    auto at = [&table](uint32_t codePoint) { return uint32_t(table.Get(codePoint)); };
    uint32_t c = low;
    while (c <= high && c < kCodePointCount)
    {
        if (table.GetPage(c / CharacterTable::kPageSize) == nullptr)
        {
            c = (c / CharacterTable::kPageSize + 1) * CharacterTable::kPageSize;  // a page never mapped
            continue;
        }
        if (at(c) == 0)
        {
            ++c;
            continue;
        }
        uint32_t first = c;
        bool ascending = true;
        while (c < high && at(c + 1) != 0)
        {
            if (at(c + 1) != at(c) + 1) ascending = false;
            ++c;
        }
        CharacterRun &run = runs->AddElement(CharacterRun());
        run.first = first;
        if (ascending)
        {
            run.run = c - first;
            run.glyphs.AddElement(uint16_t(at(first)));
        }
        else
        {
            run.glyphs.SetElementCount(int32_t(c - first + 1));
            for (uint32_t i = first; i <= c; ++i) run.glyphs[int32_t(i - first)] = uint16_t(at(i));
        }
        ++c;
    }
}

uint32_t ReadCharacterRuns(const FontBytes &file, uint64_t offsetTable, uint32_t glyphCount, uint32_t familyClass,
                           const char *familyName, CharacterTable *table, Array<CharacterRun> *runs)
{
    FontBytes cmap;
    if (uint32_t result = FindSfntTable(file, offsetTable, 'cmap', &cmap)) return result;
    if (!cmap.IsPresent()) return kResultMissingCmap;
    uint16_t version = 0, count = 0;
    if (!cmap.ReadUInt16(0, &version) || !cmap.ReadUInt16(2, &count)) return kResultCorrupt;
    if (!cmap.Contains(4, uint64_t(count) * 8)) return kResultCorrupt;
    if (version != 0) return kResultCmapData;

    static const uint16_t kPreferred[5][2] = {{3, 10}, {3, 1}, {0, 4}, {0, 3}, {3, 0}};
    FontBytes subtable;
    bool symbol = false;
    for (const auto &pair : kPreferred)
    {
        bool outside = false;
        subtable = FindCmapSubtable(cmap, pair[0], pair[1], &outside);
        if (outside) return kResultCorrupt;
        if (subtable.IsPresent())
        {
            symbol = pair[0] == 3 && pair[1] == 0;
            break;
        }
    }
    if (!subtable.IsPresent()) return kResultCmapData;

    CodeRange range;
    if (uint32_t result = FillCharacterTable(subtable, glyphCount, table, &range)) return result;
    if (symbol || (familyClass >> 8 & 0xFF) == 12)
    {
        RemapSymbolCharacters(table, familyClass, familyName);
        range.Add(0, 0x1FFFF);  // every code point a symbol table or row maps to
    }
    if (range.low <= range.high) BuildCharacterRuns(*table, runs, range.low, range.high);
    return 0;
}

}  // namespace oq
