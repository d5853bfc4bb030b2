#include <gtest/gtest.h>

#include "vorl/text/VorlFileGlyphRecord.h"

namespace oq {
namespace {

// Each field at its boundaries: the last value that fits packs and reads back, the first one past
// it is refused and leaves the word as it was.
TEST(ListPacking, FieldsAtTheirBoundaries)
{
    struct Case
    {
        ListPacking packing;
        uint32_t index, count;
        bool fits;
    };
    const Case cases[] = {
        {ListPacking::kA, 0xFFFFFF, 255, true},   {ListPacking::kA, 0x1000000, 1, false},
        {ListPacking::kA, 0, 256, false},         {ListPacking::kA, 5, 1, true},
        {ListPacking::kB, 0xFFFFF, 4095, true},   {ListPacking::kB, 0x100000, 1, false},
        {ListPacking::kB, 0, 4096, false},        {ListPacking::kB, 0xFFFFF, 1, true},
        {ListPacking::kA, 0xFFFFFFFF, 0xFFFFFFFF, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << uint32_t(c.packing) << " " << c.index << " " << c.count);
        uint32_t word = 0xDEADBEEF;
        ASSERT_EQ(PackListWord(c.packing, c.index, c.count, &word), c.fits);
        if (!c.fits)
        {
            EXPECT_EQ(word, 0xDEADBEEFu);
            continue;
        }
        bool a = c.packing == ListPacking::kA;
        EXPECT_EQ(a ? ListIndexA(word) : ListIndexB(word), c.index);
        EXPECT_EQ(a ? ListCountA(word) : ListCountB(word), c.count);
    }
    EXPECT_EQ(GetMaxListCount(ListPacking::kA), 255u);
    EXPECT_EQ(GetMaxListCount(ListPacking::kB), 4095u);

    // An empty reference is the zero word, whatever index it was given.
    uint32_t word = 1;
    ASSERT_TRUE(PackListWord(ListPacking::kB, 77, 0, &word));
    EXPECT_EQ(word, 0u);
}

TEST(ListPacking, ContourWordsAtTheirBoundaries)
{
    struct Case
    {
        uint32_t count, column, row;
        bool fits;
    };
    const Case cases[] = {
        {1, 0, 0, true},        {128, 4095, 8191, true}, {129, 0, 0, false},
        {0, 0, 0, false},       {1, 4096, 0, false},     {1, 0, 8192, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.count << " " << c.column << " " << c.row);
        uint32_t word = 0xDEADBEEF;
        ASSERT_EQ(PackContourWord(c.count, c.column, c.row, &word), c.fits);
        if (!c.fits)
        {
            EXPECT_EQ(word, 0xDEADBEEFu);
            continue;
        }
        EXPECT_EQ(ContourCurveCount(word), c.count);
        EXPECT_EQ(ContourColumn(word), c.column);
        EXPECT_EQ(ContourRow(word), c.row);
    }
}

}  // namespace
}  // namespace oq
