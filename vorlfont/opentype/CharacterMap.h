#pragma once

#include "ambrel/CharacterTable.h"
#include "base/Array.h"
#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>

namespace oq {

inline constexpr uint32_t kCodePointCount = kCharacterTableSize;
// Most codes one format-4 or format-12 subtable may write (overlapping ranges beyond it are refused).
inline constexpr uint64_t kMaxSubtableWrites = 2 * uint64_t(kCodePointCount);

// A run of mapped code points: its first code point, its run property and its glyph list
// (the first glyph alone when the glyphs ascend by one, else one glyph per code point).
struct CharacterRun
{
    uint32_t first = 0;
    uint32_t run = 0;
    Array<uint16_t> glyphs;
};

// The subtable of the first encoding record with the pair, or an empty view; *outside (when
// given) tells that the record exists but its offset lies outside the table.
FontBytes FindCmapSubtable(const FontBytes &cmap, uint16_t platform, uint16_t encoding, bool *outside = nullptr);

// Reads the face's chosen 'cmap' subtable into table (empty on entry), remaps a symbol font's
// characters and fills runs. familyName may be null.
[[nodiscard]] uint32_t ReadCharacterRuns(const FontBytes &file, uint64_t offsetTable, uint32_t glyphCount,
                                         uint32_t familyClass, const char *familyName, CharacterTable *table,
                                         Array<CharacterRun> *runs);

// The lowest and highest code point a subtable wrote (low > high: none).
struct CodeRange
{
    uint32_t low = kCodePointCount;
    uint32_t high = 0;

    void Add(uint32_t first, uint32_t last)
    {
        if (first < low) low = first;
        if (last > high) high = last;
    }
};

// Fills the table from one subtable: 'CMAP' for another format, 'CRPT' for a glyph index not
// below glyphCount or a subtable that does not fit. range (when given) grows by the codes read.
[[nodiscard]] uint32_t FillCharacterTable(const FontBytes &subtable, uint32_t glyphCount, CharacterTable *table,
                                          CodeRange *range = nullptr);

// Moves a symbol font's U+F0xx characters to their proper code points.
void RemapSymbolCharacters(CharacterTable *table, uint32_t familyClass, const char *familyName);

// One run per maximal range of nonzero entries between low and high (entries outside are 0).
void BuildCharacterRuns(const CharacterTable &table, Array<CharacterRun> *runs, uint32_t low = 0,
                        uint32_t high = kCodePointCount - 1);

}  // namespace oq
