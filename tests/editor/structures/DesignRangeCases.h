#pragma once

// Designs at the ends of a parameter group's ranges and at random points inside them, for the
// properties every outline of the group must keep.
#include "editor/fonts/Design.h"
#include "editor/document/MathDesign.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>

namespace oq::test {

// A 4CC as its four characters ('rarw' as rarw).
inline std::string KeyName(uint32_t key)
{
    return std::string{char(key >> 24), char(key >> 16), char(key >> 8), char(key)};
}

// Calls visit with the factory design, then every parameter of the group at its minimum and at its
// maximum one at a time, then all at their minimum and all at their maximum; the label names the case.
inline void ForEachRangeEnd(uint32_t groupKey, const std::function<void(const Design &, const std::string &)> &visit)
{
    int32_t group = FindDesignGroup(groupKey);
    const DesignGroupTable &table = kDesignGroupTables[group];
    Design design;
    visit(design, "factory");
    for (int32_t i = 0; i < table.rowCount; ++i)
    {
        const DesignParamRow &row = table.rows[i];
        for (bool maximum : {false, true})
        {
            design.ResetToFactory();
            design.GetGroupSlots(group)[row.offset / 4] = maximum ? row.maximum : row.minimum;
            visit(design, KeyName(row.key) + (maximum ? " at its maximum" : " at its minimum"));
        }
    }
    for (bool maximum : {false, true})
    {
        design.ResetToFactory();
        for (int32_t i = 0; i < table.rowCount; ++i)
        {
            design.GetGroupSlots(group)[table.rows[i].offset / 4] = maximum ? table.rows[i].maximum : table.rows[i].minimum;
        }
        visit(design, maximum ? "all at their maximum" : "all at their minimum");
    }
}

// Sets every parameter of the group to a uniform draw inside its range.
inline void DrawGroupInsideRanges(uint32_t groupKey, std::mt19937 *random, Design *design)
{
    int32_t group = FindDesignGroup(groupKey);
    const DesignGroupTable &table = kDesignGroupTables[group];
    for (int32_t i = 0; i < table.rowCount; ++i)
    {
        const DesignParamRow &row = table.rows[i];
        std::uniform_real_distribution<float> value(row.minimum, row.maximum);
        design->GetGroupSlots(group)[row.offset / 4] = value(*random);
    }
}

// The sizes the outlines are checked at: the least and the largest base font size the design reader
// keeps, and a common one between.
inline constexpr float kRangeSizes[] = {1.0f, 11.0f, 1800.0f};

}  // namespace oq::test
