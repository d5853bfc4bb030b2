// The paged character table: lookups at page edges and at the last code point, the empty table,
// and a Font whose table holds only its mapped pages and the index.
#include "AmbrelTestSupport.h"

#include <map>
#include <string>

namespace oq {
namespace {

using test::FourCC;

constexpr size_t kPageBytes = sizeof(int32_t) * CharacterTable::kPageSize;

// Every code point of the listed pages (and one page each side) reads what the map says.
void ExpectTableReads(const CharacterTable &table, const std::map<uint32_t, int32_t> &expected)
{
    for (const auto &[codePoint, glyph] : expected)
    {
        uint32_t page = codePoint / CharacterTable::kPageSize;
        uint32_t first = (page == 0) ? 0 : (page - 1) * CharacterTable::kPageSize;
        uint32_t end = (page + 2) * CharacterTable::kPageSize;
        for (uint32_t c = first; c < end; ++c)
        {
            auto found = expected.find(c);
            int32_t want = (found != expected.end() && c < kCharacterTableSize) ? found->second : 0;
            ASSERT_EQ(table.Get(c), want) << std::hex << c;
        }
        EXPECT_EQ(table.Get(codePoint), glyph);
    }
}

TEST(CharacterTableTest, LookupsAtPageEdgesAndTheLastCodePoint)
{
    struct Case
    {
        const char *name;
        std::map<uint32_t, int32_t> mappings;
        uint32_t pages;      // pages allocated
        uint32_t indexSize;  // highest mapped page + 1
    };
    const Case cases[] = {
        {"code point 0 and the first page's last entry", {{0x0, 7}, {0xFF, 8}}, 1, 1},
        {"both sides of a page edge", {{0xFF, 1}, {0x100, 2}}, 2, 2},
        {"last entry of a high page and first of the next", {{0x1D4FF, 3}, {0x1D500, 4}}, 2, 0x1D6},
        {"the last code point alone", {{0x10FFFF, 5}}, 1, CharacterTable::kPageLimit},
        {"the last page's first entry and the last code point", {{0x10FF00, 6}, {0x10FFFF, 9}}, 1,
         CharacterTable::kPageLimit},
        {"pages mapped downwards after the last one", {{0x10FFFF, 1}, {0x41, 2}, {0x20AC, 3}}, 3,
         CharacterTable::kPageLimit},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CharacterTable table;
        for (const auto &[codePoint, glyph] : c.mappings) table.Set(codePoint, glyph);
        ExpectTableReads(table, c.mappings);
        EXPECT_EQ(table.GetIndexSize(), c.indexSize);
        uint32_t allocated = 0;
        for (uint32_t p = 0; p < table.GetIndexSize(); ++p) allocated += table.GetPage(p) != nullptr;
        EXPECT_EQ(allocated, c.pages);
        // The pages and an index at most twice what the highest page needs (and never above the limit).
        size_t index = sizeof(int32_t *) * std::min<size_t>(2 * size_t(c.indexSize), CharacterTable::kPageLimit);
        EXPECT_LE(table.GetMemorySize(), c.pages * kPageBytes + index);
        EXPECT_GE(table.GetMemorySize(), c.pages * kPageBytes + sizeof(int32_t *) * c.indexSize);
    }
}

TEST(CharacterTableTest, EmptyTableAndCodePointsBeyondTheRange)
{
    CharacterTable table;
    EXPECT_EQ(table.GetIndexSize(), 0u);
    EXPECT_EQ(table.GetMemorySize(), 0u);
    for (uint32_t c : {0u, 0x41u, 0xFFFFu, 0x10FFFFu, 0x110000u, 0xFFFFFFFFu}) EXPECT_EQ(table.Get(c), 0) << c;
    EXPECT_EQ(table.GetPage(0), nullptr);

    // Storing 0 maps nothing and takes no page; beyond U+10FFFF nothing is stored.
    table.Set(0x41, 0);
    table.Set(0x10FFFF, 0);
    table.Set(0x110000, 5);
    table.Set(0xFFFFFFFF, 5);
    EXPECT_EQ(table.GetMemorySize(), 0u);
    EXPECT_EQ(table.Get(0x110000), 0);
    EXPECT_EQ(table.Get(0xFFFFFFFF), 0);

    // A mapping cleared again keeps its page and reads 0.
    table.Set(0x41, 3);
    table.Set(0x41, 0);
    EXPECT_EQ(table.Get(0x41), 0);
    ASSERT_NE(table.GetPage(0), nullptr);
    EXPECT_EQ(table.GetPage(0)[0x41], 0);
}

// Three CharMaps on three pages: the Font's table holds three pages and the index, and the glyphs'
// character lists come out in code point order.
TEST(CharacterTableTest, FontHoldsOnlyItsMappedPages)
{
    AmbrelDocument document;
    KettricResult result = document.ParseAndResolve(R"(Font (glyph_count = 4)
{
	CharMap (char = 0x10FFFF) {uint16 {1}}
	CharMap (char = 0xFF, run = 1) {uint16 {2}}
	CharMap (char = 0x41) {uint16 {1}}
	CharMap (char = 0x20000) {uint16 {0}}
	Glyph (index = 0) {} Glyph (index = 1) {} Glyph (index = 2) {} Glyph (index = 3) {}
})");
    ASSERT_EQ(FourCC(result), FourCC(0)) << "line " << document.GetErrorLine();
    const FontStructure *font = document.fontList.GetFirst();
    ASSERT_NE(font, nullptr);
    ASSERT_NE(font->characterTable, nullptr);
    const CharacterTable &table = *font->characterTable;
    ExpectTableReads(table, {{0x41, 1}, {0xFF, 2}, {0x100, 3}, {0x10FFFF, 1}});
    EXPECT_EQ(table.GetPage(0x200), nullptr);  // a zero maps nothing
    EXPECT_LE(table.GetMemorySize(), 3 * kPageBytes + sizeof(int32_t *) * CharacterTable::kPageLimit);

    const GlyphStructure *glyph = font->GetGlyph(1);
    ASSERT_NE(glyph, nullptr);
    ASSERT_EQ(glyph->characterList.GetElementCount(), 2);
    EXPECT_EQ(glyph->characterList[0], 0x41u);
    EXPECT_EQ(glyph->characterList[1], 0x10FFFFu);
    EXPECT_EQ(font->FindCharacterTable(0x10FFFF), font->characterTable);
    EXPECT_EQ(font->FindCharacterTable(0x110000), nullptr);
    EXPECT_EQ(font->FindCharacterTable(0x42), nullptr);
}

}  // namespace
}  // namespace oq
