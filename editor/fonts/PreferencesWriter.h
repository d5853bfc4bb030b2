#pragma once

#include "editor/fonts/EditorState.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/TextBuffer.h"

#include <cstdint>

namespace oq {

// Appends the text of config.quist: the preferences and editor state that differ from their
// factory values (and those the remember options always keep). Function names are escaped.
void WritePreferences(const Preferences &preferences, uint32_t editMode, const ToolPanelState &toolPanel,
                      uint32_t viewFlags, TextBuffer *buffer);

}  // namespace oq
