#include <gtest/gtest.h>

#include "editor/fonts/Design.h"
#include "editor/fonts/DesignTables.h"

#include <cstring>
#include <set>
#include <vector>

namespace oq {
namespace {

// Every slot of every group is covered exactly once, by a row or a fixed value; keys are unique
// within a group and every factory value lies in its row's range.
TEST(DesignTablesTest, TablesCoverEverySlotOnce)
{
    int32_t rows = 0;
    int32_t equationSlots = 0;
    int32_t drawingSlots = 0;
    std::set<uint32_t> groupKeys;
    for (int32_t group = 0; group < kDesignGroupCount; ++group)
    {
        const DesignGroupTable &table = kDesignGroupTables[group];
        SCOPED_TRACE(group);
        EXPECT_TRUE(groupKeys.insert(table.key).second);
        int32_t &spanSlots = group < kDesignEquationGroupCount ? equationSlots : drawingSlots;
        EXPECT_EQ(table.firstSlot, spanSlots);
        spanSlots += table.slotCount;

        std::vector<int32_t> covered(size_t(table.slotCount), 0);
        std::set<uint32_t> keys;
        for (int32_t i = 0; i < table.rowCount; ++i)
        {
            const DesignParamRow &row = table.rows[i];
            SCOPED_TRACE(row.label);
            ASSERT_EQ(row.offset % 4, 0U);
            int32_t slot = int32_t(row.offset / 4);
            ASSERT_LT(slot, table.slotCount);
            ++covered[size_t(slot)];
            EXPECT_TRUE(keys.insert(row.key).second);
            EXPECT_LE(row.minimum, table.factory[slot]);
            EXPECT_GE(row.maximum, table.factory[slot]);
            EXPECT_LE(row.unit, kDesignUnitDegree);
            EXPECT_EQ(row.pageLayout & ~3U, 0U);
            EXPECT_NE(row.label, nullptr);
        }
        for (int32_t i = 0; i < table.fixedCount; ++i)
        {
            ASSERT_LT(table.fixedSlots[i].slot, table.slotCount);
            ++covered[table.fixedSlots[i].slot];
        }
        for (int32_t slot = 0; slot < table.slotCount; ++slot) EXPECT_EQ(covered[size_t(slot)], 1) << "slot " << slot;
        rows += table.rowCount;
    }
    EXPECT_EQ(rows, 375);
    EXPECT_EQ(equationSlots, kDesignEquationSlotCount);
    EXPECT_EQ(drawingSlots, kDesignDrawingSlotCount);

    // The 22 groups of the block and the two drawing groups that are stored too.
    const uint32_t expected[kDesignGroupCount] = {0,      'symb', 'mark', 'brck', 'scpt', 'frac', 'rdcl', 'divs',
                                                  'wide', 'stck', 'boxx', 'strk', 'arrw', 'chrm', 'bond', 'iter',
                                                  'intg', 'mtrx', 'ancr', 'rail', 'line', 'jost', 'shap', 'anno'};
    for (int32_t group = 0; group < kDesignGroupCount; ++group) EXPECT_EQ(kDesignGroupTables[group].key, expected[group]);

    // General slot 17 is the separate-styles flag, slot 18 the integer 0.
    const DesignGroupTable &general = kDesignGroupTables[0];
    int32_t special = 0;
    for (int32_t i = 0; i < general.fixedCount; ++i)
    {
        const DesignFixedSlot &fixed = general.fixedSlots[i];
        if (fixed.slot == kDesignSeparateStylesSlot)
        {
            EXPECT_EQ(fixed.kind, kDesignFixedFlag);
            ++special;
        }
        if (fixed.slot == kDesignTextRunFlagsSlot)
        {
            EXPECT_EQ(fixed.kind, kDesignFixedInteger);
            EXPECT_EQ(fixed.value, 0.0F);
            ++special;
        }
    }
    EXPECT_EQ(special, 2);
    // The chemical element spacing has a key of its own.
    const DesignGroupTable &symb = kDesignGroupTables[1];
    EXPECT_EQ(symb.rows[10].key, uint32_t('cesp'));
    EXPECT_EQ(symb.rows[10].offset, 28U);
}

TEST(DesignTablesTest, FactoryDesignHoldsTheTables)
{
    Design design;
    for (int32_t group = 0; group < kDesignGroupCount; ++group)
    {
        const DesignGroupTable &table = kDesignGroupTables[group];
        EXPECT_EQ(std::memcmp(design.GetGroupSlots(group), table.factory, sizeof(float) * size_t(table.slotCount)), 0);
    }
    EXPECT_EQ(design.GetBaseFontSize(), 11.0F);
    EXPECT_EQ(design.GetGeneral(4), 0.875F);
    EXPECT_FALSE(design.GetSeparateStyles());
    EXPECT_EQ(design.GetTextRunFlags(), 0);
    EXPECT_STREQ(design.fontNames[0].GetText(), "Orlendo");
    EXPECT_STREQ(design.fontNames[8].GetText(), "Consolas");
    EXPECT_TRUE(design.fontNames[9].IsEmpty());
    EXPECT_EQ(design.palette[4], 0xFF5858BAU);
    const uint8_t grek[4] = {1, 7, 5, 255};
    EXPECT_EQ(std::memcmp(design.styleMaps[5], grek, 4), 0);
    EXPECT_EQ(design.styleFallbackMap.rows, &design.styleMaps[0][0]);
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot)
    {
        EXPECT_EQ(design.fonts.slots[slot], nullptr);
        EXPECT_EQ(design.fonts.textFonts[slot].fontScale, 1.0F);
    }
}

TEST(DesignTablesTest, CopiesTakeTheirPartOnly)
{
    Design source;
    source.SetSeparateStyles(true);
    source.equationParams[4] = 2.0F;            // a fixed value of the general group
    source.GetGroupSlots(5)[1] = 1.0F;          // 'frac' 'rule'
    source.GetGroupSlots(kDesignGroupRails)[0] = 3.0F;
    source.fontNames[9] = "Other";
    source.styleMaps[4][1] = 255;
    source.palette[0] = 0xFF0000FFU;

    Design equation;
    equation.CopyEquationParams(source);
    EXPECT_TRUE(equation.GetSeparateStyles());
    EXPECT_EQ(equation.equationParams[4], 2.0F);
    EXPECT_EQ(equation.GetGroupSlots(5)[1], 1.0F);
    EXPECT_EQ(equation.GetGroupSlots(kDesignGroupRails)[0], 1.35F);
    EXPECT_TRUE(equation.fontNames[9].IsEmpty());
    EXPECT_EQ(equation.styleMaps[4][1], 8);
    EXPECT_EQ(equation.palette[0], kFactoryPalette[0]);

    Design drawing;
    drawing.CopyDrawingParams(source);
    EXPECT_EQ(drawing.GetGroupSlots(kDesignGroupRails)[0], 3.0F);
    EXPECT_FALSE(drawing.GetSeparateStyles());
    EXPECT_EQ(drawing.GetGroupSlots(5)[1], 0.8525F);

    Design copy;
    copy.CopyFrom(source);
    EXPECT_STREQ(copy.fontNames[9].GetText(), "Other");
    EXPECT_EQ(copy.styleMaps[4][1], 255);
    EXPECT_EQ(copy.palette[0], 0xFF0000FFU);
    EXPECT_TRUE(copy.GetSeparateStyles());
    EXPECT_EQ(copy.GetGroupSlots(kDesignGroupRails)[0], 3.0F);
    EXPECT_EQ(copy.styleFallbackMap.rows, &copy.styleMaps[0][0]);
    EXPECT_EQ(copy.styleFallbackMap.rowCount, 26);
}

}  // namespace
}  // namespace oq
