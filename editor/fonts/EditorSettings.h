#pragma once

#include "base/Array.h"
#include "base/TextString.h"
#include "editor/fonts/EditorState.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricLiterals.h"

#include <cstdint>

namespace oq {

// Function-name lists: list k holds the names of k + 2 bytes.
constexpr int32_t kFunctionNameListCount = 6;

// What the editor keeps of its settings until the editor holds these fields itself: the
// preferences, the state stored beside them, the function-name lists typing reads, the
// preferences-changed flag and whether the document is due for relayout.
struct EditorSettings
{
    Preferences preferences;
    EditorState state;
    Array<TextString> functionNameLists[kFunctionNameListCount];
    bool preferencesChanged = false;
    bool layoutDue = false;
};

// Reads config.quist text into the preferences and the state; what was read before a failure stays.
[[nodiscard]] KettricResult ReadPreferencesText(const char *text, EditorSettings *settings);
// Appends the config.quist text of the preferences and the state.
void WritePreferencesText(const EditorSettings &settings, TextBuffer *buffer);

// Reads config.quist of the settings folder into the settings (factory values stay where it is
// missing or unreadable; what was read before a failure stays), then sets the selection highlight
// colour and rebuilds the function-name lists.
void LoadPreferencesFile(EditorSettings *settings);

// Replaces config.quist with the text of the settings, atomically; the File result code.
[[nodiscard]] int32_t SavePreferencesFile(const EditorSettings &settings);

// Takes the edited preferences, saves them, marks the document for relayout, sets the selection
// highlight colour and rebuilds the lists. Returns the save's result; the preferences-changed flag
// is cleared only when the save succeeded, so a later save tries again.
[[nodiscard]] int32_t ApplyPreferences(EditorSettings *settings, const Preferences &edited);

// Each list holds the built-in names of its length, then the preferences' names of that length
// that are well-formed UTF-8.
void RebuildShortcutLists(EditorSettings *settings);

// Sets the selection highlight colour of the widgets from the 32-bit selection colour.
void SetSelectionHighlightFromPreferences(const Preferences &preferences);

}  // namespace oq
