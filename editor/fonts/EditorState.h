#pragma once

#include <cstdint>

namespace oq {

// A colour the editor applies: a design palette index (0..15) with colour 0, or index -1 with a
// 32-bit colour (red in the low byte, alpha in the high byte).
struct EditorColor
{
    int32_t paletteIndex;
    uint32_t color;
};

// The tool-panel choices, each the number of the tool-panel button that shows it, and the
// equation, fill and stroke colours.
struct ToolPanelState
{
    int32_t lineTool = 2;                 // buttons 2..11
    int32_t shapeTool = 14;               // buttons 12..20
    int32_t widthChoice = 38;             // buttons 38..42
    int32_t dashChoice = 43;              // buttons 43..45
    int32_t startDecorationChoice = 47;   // buttons 47..52
    int32_t finishDecorationChoice = 53;  // buttons 53..58
    int32_t startLengthChoice = 59;       // buttons 59..61
    int32_t finishLengthChoice = 62;      // buttons 62..64
    int32_t cornerRadiusChoice = 66;      // buttons 65..67
    bool drawInForeground = false;
    EditorColor equationColor = {0, 0};
    EditorColor fillColor = {9, 0};
    EditorColor strokeColor = {0, 0};
};

// View flags of the editor.
constexpr uint32_t kViewEmptyGroups = 0x1;
constexpr uint32_t kViewMathSpaces = 0x2;
constexpr uint32_t kViewAligners = 0x4;
constexpr uint32_t kViewPhantoms = 0x8;
constexpr uint32_t kViewActiveBaseline = 0x10;
constexpr uint32_t kDefaultViewFlags = kViewEmptyGroups | kViewMathSpaces | kViewAligners | kViewPhantoms;

// The editor's own state that config.quist stores beside the preferences, kept here as a plain
// record until the editor holds these fields itself.
struct EditorState
{
    uint32_t editMode = 'math';  // 'math', 'chem' or 'text'
    ToolPanelState toolPanel;
    uint32_t viewFlags = kDefaultViewFlags;
};

}  // namespace oq
