// Character maps: subtable formats and choice, bounds, symbol fonts and runs.
#include "SfntTestBuilder.h"

#include "base/Memory.h"
#include "vorlfont/opentype/CharacterMap.h"
#include "vorlfont/opentype/SymbolTables.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using test::Bytes;
using test::CmapFormat12;
using test::CmapFormat4;
using test::CmapTable;

// Reads a face holding only the 'cmap' table; the code-point table stays for inspection.
struct CmapRead
{
    std::vector<uint32_t> table = std::vector<uint32_t>(kCodePointCount);
    Array<CharacterRun> runs;
    uint32_t result = 0;

    CmapRead(const Bytes &cmap, uint32_t glyphCount, uint32_t familyClass = 0, const char *family = nullptr)
    {
        Bytes file = test::BuildSfnt({test::TestFace{{{"cmap", cmap}}}}, false);
        CharacterTable read;
        result = ReadCharacterRuns(FontBytes{file.data(), file.size()}, 0, glyphCount, familyClass, family, &read,
                                   &runs);
        for (uint32_t c = 0; c < kCodePointCount; ++c) table[c] = uint32_t(read.Get(c));
    }

    std::string Runs() const
    {
        std::string out;
        for (const CharacterRun &run : runs)
        {
            out += std::to_string(run.first) + ":" + std::to_string(run.run) + ":";
            for (int32_t i = 0; i < run.glyphs.GetElementCount(); ++i) out += (i ? "," : "") + std::to_string(run.glyphs[i]);
            out += " ";
        }
        return out;
    }
};

TEST(CharacterMap, RunsOfTheTable)
{
    // A-Z to 36-61; digits to 19, 20, 22; 'a' to glyph 0 between 0x60 and 0x62.
    Bytes cmap = CmapTable({{{3, 1}, CmapFormat4({{0x30, 0x31, uint32_t(19 - 0x30) & 0xFFFF},
                                                   {0x32, 0x32, uint32_t(22 - 0x32) & 0xFFFF},
                                                   {0x41, 0x5A, uint32_t(36 - 0x41) & 0xFFFF},
                                                   {0x60, 0x62, uint32_t(-0x60) & 0xFFFF, 0},
                                                   {0xFFFF, 0xFFFF, 1}})}});
    CmapRead read(cmap, 100);
    ASSERT_EQ(read.result, 0u);
    // 0x60-0x62 get 0, 1, 2: 0x60 is unmapped, so 0x61-0x62 make a run.
    EXPECT_EQ(read.Runs(), "48:0:19,20,22 65:25:36 97:1:1 ");

    // A run that reaches the last code point ends there.
    CmapRead last(CmapTable({{{3, 10}, CmapFormat12({{0x10FFFE, 0x10FFFF, 7}})}}), 10);
    ASSERT_EQ(last.result, 0u);
    EXPECT_EQ(last.Runs(), "1114110:1:7 ");
}

Bytes Cut(Bytes bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

TEST(CharacterMap, Format4Segments)
{
    // A range-offset segment: glyphIdArray follows the idRangeOffset array.
    test::ByteWriter w;
    w.U16(4).U16(0).U16(0).U16(4).Zeros(6);
    w.U16(0x22).U16(0xFFFF).U16(0);            // endCode, pad
    w.U16(0x20).U16(0xFFFF);                   // startCode
    w.U16(5).U16(1);                           // idDelta
    w.U16(4).U16(0);                           // idRangeOffset: 4 bytes on from its own position
    w.U16(3).U16(0).U16(9);                    // glyphIdArray: 0x20 -> 3 + 5, 0x21 unmapped, 0x22 -> 9 + 5
    CmapRead read(CmapTable({{{3, 1}, w.bytes}}), 20);
    ASSERT_EQ(read.result, 0u);
    EXPECT_EQ(read.Runs(), "32:0:8 34:0:14 ");

    // A segment ending at 0xFFFF is read to its end (the loop does not wrap).
    CmapRead top(CmapTable({{{3, 1}, CmapFormat4({{0xFFF0, 0xFFFF, uint32_t(1 - 0xFFF0) & 0xFFFF}})}}), 100);
    ASSERT_EQ(top.result, 0u);
    EXPECT_EQ(top.table[0xFFFF], 16u);

    const struct
    {
        const char *name;
        Bytes subtable;
        uint32_t glyphCount;
        uint32_t result;
    } cases[] = {
        {"delta to glyph 65535", CmapFormat4({{0x41, 0x41, uint32_t(0xFFFF - 0x41)}}), 500, 'CRPT'},
        {"glyph equal to the count", CmapFormat4({{0x41, 0x41, uint32_t(10 - 0x41) & 0xFFFF}}), 10, 'CRPT'},
        {"range offset past the table", CmapFormat4({{0x41, 0x42, 0, 0x7000}}), 10, 'CRPT'},
        {"segment arrays cut", Cut(CmapFormat4({{0x41, 0x42, 0}, {0x50, 0x51, 0}}), 20), 10, 'CRPT'},
        {"format 2", Bytes{0, 2, 0, 6, 0, 0}, 10, 'CMAP'},
    };
    for (const auto &c : cases) EXPECT_EQ(CmapRead(CmapTable({{{3, 1}, c.subtable}}), c.glyphCount).result, c.result) << c.name;
}

TEST(CharacterMap, Format6And12)
{
    test::ByteWriter f6;
    f6.U16(6).U16(16).U16(0).U16(0x41).U16(3).U16(4).U16(0).U16(6);
    CmapRead six(CmapTable({{{3, 1}, f6.bytes}}), 10);
    ASSERT_EQ(six.result, 0u);
    EXPECT_EQ(six.Runs(), "65:0:4 67:0:6 ");
    f6.bytes.resize(14);
    EXPECT_EQ(CmapRead(CmapTable({{{3, 1}, f6.bytes}}), 10).result, 'CRPT');

    const struct
    {
        const char *name;
        std::vector<std::vector<uint32_t>> groups;
        uint32_t result;
    } cases[] = {
        {"overlap: the last write wins", {{0x41, 0x45, 1}, {0x43, 0x43, 9}}, 0},
        {"end before start", {{0x45, 0x41, 1}}, 'CRPT'},
        {"end at 0x110000", {{0x10FFFF, 0x110000, 1}}, 'CRPT'},
        {"glyphs past the count", {{0x41, 0x4A, 5}}, 'CRPT'},
        {"start glyph wraps", {{0x41, 0x42, 0xFFFFFFFFu}}, 'CRPT'},
    };
    for (const auto &c : cases)
    {
        CmapRead read(CmapTable({{{3, 10}, CmapFormat12(c.groups)}}), 12);
        EXPECT_EQ(read.result, c.result) << c.name;
        if (c.result == 0) { EXPECT_EQ(read.Runs(), "65:0:1,2,9,4,5 ") << c.name; }
    }

    // A group count the table cannot hold.
    Bytes counted = CmapFormat12({{0x41, 0x41, 1}});
    counted[12] = 0x10;
    EXPECT_EQ(CmapRead(CmapTable({{{3, 10}, counted}}), 12).result, 'CRPT');
}

TEST(CharacterMap, OverlapsPastTheCapAreRefused)
{
    // Overlapping whole-plane format-4 segments whose range offsets reach zero words: no glyph is
    // written, but each code still costs a read.
    auto overlapping = [](uint32_t segments) {
        test::ByteWriter w;
        w.U16(4).U16(0).U16(0).U16(2 * segments).Zeros(6);
        for (uint32_t i = 0; i < segments; ++i) w.U16(0xFFFE);
        w.U16(0);
        for (uint32_t i = 0; i < segments; ++i) w.U16(0);
        for (uint32_t i = 0; i < segments; ++i) w.U16(0);
        for (uint32_t i = 0; i < segments; ++i) w.U16(2 * (segments - i));
        w.Zeros(2 * 0xFFFF);
        return w.bytes;
    };
    EXPECT_EQ(CmapRead(CmapTable({{{3, 1}, overlapping(34)}}), 10).result, 0u);
    EXPECT_EQ(CmapRead(CmapTable({{{3, 1}, overlapping(35)}}), 10).result, 'CRPT');

    // Format 12: groups of 40000 codes each, 2 x 0x110000 codes in all at most.
    std::vector<std::vector<uint32_t>> groups(55, {0, 39999, 1});
    EXPECT_EQ(CmapRead(CmapTable({{{3, 10}, CmapFormat12(groups)}}), 40001).result, 0u);
    groups.resize(56, {0, 39999, 1});
    EXPECT_EQ(CmapRead(CmapTable({{{3, 10}, CmapFormat12(groups)}}), 40001).result, 'CRPT');
}

TEST(CharacterMap, SubtablePreference)
{
    Bytes f4 = CmapFormat4({{0x41, 0x41, uint32_t(1 - 0x41) & 0xFFFF}});
    Bytes f12 = CmapFormat12({{0x41, 0x41, 2}});
    Bytes f4b = CmapFormat4({{0x41, 0x41, uint32_t(3 - 0x41) & 0xFFFF}});
    const struct
    {
        const char *name;
        Bytes cmap;
        uint32_t glyph;
        uint32_t result;
    } cases[] = {
        {"(3, 10) before (3, 1)", CmapTable({{{3, 1}, f4}, {{3, 10}, f12}}), 2, 0},
        {"(3, 1) before (0, 4)", CmapTable({{{0, 4}, f12}, {{3, 1}, f4}}), 1, 0},
        {"(0, 3) with (1, 0)", CmapTable({{{1, 0}, f4}, {{0, 3}, f4b}}), 3, 0},
        {"first record of a pair", CmapTable({{{3, 1}, f4}, {{3, 1}, f4b}}), 1, 0},
        {"(0, 6) and (3, 4) unused", CmapTable({{{0, 6}, f4}, {{3, 4}, f4}}), 0, 'CMAP'},
        {"offset outside the table", CmapTable({{{3, 1}, Bytes{}}}), 0, 'CRPT'},
    };
    for (const auto &c : cases)
    {
        CmapRead read(c.cmap, 10);
        EXPECT_EQ(read.result, c.result) << c.name;
        if (c.result == 0) { EXPECT_EQ(read.table[0x41], c.glyph) << c.name; }
    }
}

TEST(CharacterMap, SymbolFonts)
{
    // A (3, 0) subtable mapping U+F041 to 5 and U+F061 to 70.
    Bytes cmap = CmapTable({{{3, 0}, CmapFormat4({{0xF041, 0xF041, uint32_t(5 - 0xF041) & 0xFFFF},
                                                   {0xF061, 0xF061, uint32_t(70 - 0xF061) & 0xFFFF}})}});
    const struct
    {
        const char *name;
        uint32_t familyClass;
        const char *family;
        std::vector<std::pair<uint32_t, uint32_t>> expected;
    } cases[] = {
        {"a row's font", 0, "Wingdings", {{0x270C, 5}, {0xF041, 5}, {0x41, 0}, {0x61, 0}}},
        {"a row's second name", 0, "Mathematica1Mono", {{0x391, 5}, {0x3B1, 70}, {0x41, 0}}},
        {"no row", 0x0C01, "Other", {{0x41, 5}, {0xF041, 5}, {0x61, 70}}},
        {"no name", 0, nullptr, {{0x41, 5}, {0x61, 70}}},
        {"the Symbol class", 0x0C03, "Wingdings", {{0x3B1, 70}, {0x61, 70}, {0xF061, 70}, {0x391, 5}, {0x41, 5}}},
    };
    for (const auto &c : cases)
    {
        CmapRead read(cmap, 100, c.familyClass, c.family);
        ASSERT_EQ(read.result, 0u) << c.name;
        for (auto &e : c.expected) EXPECT_EQ(read.table[e.first], e.second) << c.name << " U+" << std::hex << e.first;
    }

    // A Unicode subtable is remapped only for class 12 fonts.
    Bytes unicode = CmapTable({{{3, 1}, CmapFormat4({{0xF041, 0xF041, uint32_t(5 - 0xF041) & 0xFFFF}})}});
    EXPECT_EQ(CmapRead(unicode, 10, 0x0801, "X").table[0x41], 0u);
    EXPECT_EQ(CmapRead(unicode, 10, 0x0C05, "X").table[0x41], 5u);
}

TEST(CharacterMap, SymbolClassKeepsEveryGlyphReachable)
{
    // Class 0x0C03 with characters at U+00xx only, as in URW's StandardSymbolsPS: U+00B0 (degree)
    // and U+00E5 (summation) lose their low code points but stay reachable.
    CharacterTable table;
    table.Set(0x41, 1);  // Alpha
    table.Set(0xB0, 2);  // degree
    table.Set(0xE5, 3);  // summation
    table.Set(0xF0, 4);  // the Apple logo: no Unicode character
    RemapSymbolCharacters(&table, 0x0C03, "Standard Symbols PS");
    EXPECT_EQ(table.Get(0x0391), 1);
    EXPECT_EQ(table.Get(0x41), 1);
    EXPECT_EQ(table.Get(0xB0), 2);
    EXPECT_EQ(table.Get(0x2211), 3);
    EXPECT_EQ(table.Get(0xE5), 0);
    EXPECT_EQ(table.Get(0xF0E5), 3);
    EXPECT_EQ(table.Get(0xF0), 0);
    EXPECT_EQ(table.Get(0xF0F0), 4);
    EXPECT_EQ(table.Get(0xF041), 1);
}

TEST(CharacterMap, SymbolEncodingTable)
{
    const std::pair<uint32_t, uint32_t> rows[] = {
        {0x20, 0x20}, {0x22, 0x2200}, {0x24, 0x2203}, {0x27, 0x220D}, {0x2A, 0x2217}, {0x2D, 0x2212},
        {0x41, 0x391}, {0x44, 0x394}, {0x57, 0x3A9}, {0x61, 0x3B1}, {0x70, 0x3C0}, {0xA0, 0x20AC},
        {0xA4, 0x2044}, {0xA5, 0x221E}, {0xB4, 0xD7}, {0xE5, 0x2211}, {0xE6, 0x239B}, {0xF2, 0x222B},
        {0xF4, 0x23AE}, {0xFE, 0x23AD}, {0x7F, 0}, {0x9F, 0}, {0xE2, 0}, {0xE3, 0}, {0xE4, 0}, {0xF0, 0},
    };
    for (auto &r : rows) EXPECT_EQ(kSymbolEncodingTable[r.first], r.second) << std::hex << r.first;
    EXPECT_EQ(kMacRomanHighTable[0x8E - 0x80], 0xE9u);
    EXPECT_EQ(kMacRomanHighTable[0xDB - 0x80], 0x20ACu);
}

}  // namespace
}  // namespace oq
