#pragma once

#include "editor/fonts/EditorState.h"
#include "editor/fonts/Preferences.h"

#include <cstdint>

namespace oq {

// The settings of config.quist that map onto the editor state, shared by its reader and writer.

// A tool-panel choice: stored as the index n of its button firstButton + n, n below count.
struct ToolChoiceSetting
{
    uint32_t key;
    int32_t firstButton;
    uint32_t count;
    int32_t defaultIndex;
    int32_t ToolPanelState::*choice;
};

inline constexpr ToolChoiceSetting kToolChoiceSettings[] = {
    {'line', 2, 10, 0, &ToolPanelState::lineTool},
    {'shap', 12, 9, 2, &ToolPanelState::shapeTool},
    {'wdth', 38, 5, 0, &ToolPanelState::widthChoice},
    {'dash', 43, 3, 0, &ToolPanelState::dashChoice},
    {'send', 47, 6, 0, &ToolPanelState::startDecorationChoice},
    {'fend', 53, 6, 0, &ToolPanelState::finishDecorationChoice},
    {'soff', 59, 3, 0, &ToolPanelState::startLengthChoice},
    {'foff', 62, 3, 0, &ToolPanelState::finishLengthChoice},
    {'rrad', 65, 3, 1, &ToolPanelState::cornerRadiusChoice},
};

// A colour of the tool panel: its palette-index key, its 32-bit colour key and the option that
// makes the writer remember it.
struct ColorChoiceSetting
{
    uint32_t indexKey;
    uint32_t colorKey;
    int32_t option;
    EditorColor ToolPanelState::*color;
};

inline constexpr ColorChoiceSetting kColorChoiceSettings[] = {
    {'eqpi', 'eqco', kOptionRememberEquationColor, &ToolPanelState::equationColor},
    {'flpi', 'flco', kOptionRememberDrawingColors, &ToolPanelState::fillColor},
    {'stpi', 'stco', kOptionRememberDrawingColors, &ToolPanelState::strokeColor},
};

// A view flag and its key.
struct ViewFlagSetting
{
    uint32_t key;
    uint32_t flag;
};

inline constexpr ViewFlagSetting kViewFlagSettings[] = {
    {'vgrp', kViewEmptyGroups}, {'vspc', kViewMathSpaces}, {'valn', kViewAligners},
    {'vpht', kViewPhantoms},    {'vbas', kViewActiveBaseline},
};

// The editing modes config.quist may hold.
constexpr bool IsEditMode(uint32_t mode) { return mode == 'math' || mode == 'chem' || mode == 'text'; }

}  // namespace oq
