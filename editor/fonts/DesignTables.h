#pragma once

#include <cstdint>

namespace oq {

// Unit codes of the design parameters (the suffix the dialogs show).
constexpr uint32_t kDesignUnitNone = 0;     // a plain ratio
constexpr uint32_t kDesignUnitPercent = 1;  // a scale factor, 1.0 shown as 100
constexpr uint32_t kDesignUnitPoint = 2;
constexpr uint32_t kDesignUnitEm = 3;
constexpr uint32_t kDesignUnitMu = 4;
constexpr uint32_t kDesignUnitDegree = 5;

// Page-layout flags of a row in the design dialogs.
constexpr uint32_t kDesignRowNewColumn = 1;
constexpr uint32_t kDesignRowGap = 2;

// One named design parameter: its key in the design block, where its float lies in its group and
// how the design dialogs show and bound it.
struct DesignParamRow
{
    uint32_t key;
    uint32_t offset;  // byte offset of the float within its group (4 x slot)
    uint16_t picture;
    uint16_t groupPicture;  // 0xFFFF: none
    uint32_t unit;
    float minimum;
    float maximum;
    const char *label;
    uint32_t pageLayout;
};

// Kinds of fixed values: slots no row names.
constexpr uint8_t kDesignFixedFloat = 0;
constexpr uint8_t kDesignFixedFlag = 1;     // the separate-styles flag (a byte)
constexpr uint8_t kDesignFixedInteger = 2;  // a 32-bit integer

// A slot that no row names: set by the factory design and copied with its group only.
struct DesignFixedSlot
{
    uint8_t slot;
    uint8_t kind;
    float value;
};

// One group of design parameters: its key in the design block (0 for the general group), its slots
// within the equation or the drawing parameters, its rows in dialog order and its factory values.
struct DesignGroupTable
{
    uint32_t key;
    int32_t slotCount;
    int32_t firstSlot;  // within the equation parameters, or within the drawing parameters
    const DesignParamRow *rows;
    int32_t rowCount;
    const float *factory;  // slotCount values
    const DesignFixedSlot *fixedSlots;
    int32_t fixedCount;
};

// Groups in storage order: the 18 equation groups (general, 'symb' .. 'mtrx'), then the 6 drawing
// groups (anchors 'ancr', rails 'rail', 'line', 'jost', 'shap', 'anno').
constexpr int32_t kDesignGroupCount = 24;
constexpr int32_t kDesignEquationGroupCount = 18;
constexpr int32_t kDesignEquationSlotCount = 320;
constexpr int32_t kDesignDrawingSlotCount = 79;
constexpr int32_t kDesignGroupAnchors = 18;
constexpr int32_t kDesignGroupRails = 19;

// Made by tools/make_design_tables.py.
extern const DesignGroupTable kDesignGroupTables[kDesignGroupCount];

// The general group's slots that hold the separate-styles flag and the text runs' layout flags.
constexpr int32_t kDesignSeparateStylesSlot = 17;
constexpr int32_t kDesignTextRunFlagsSlot = 18;

}  // namespace oq
