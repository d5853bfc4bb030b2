#pragma once

// A 'kydn' event of a virtual key, with Shift or without, handed to the editor.

#include "editor/editing/Editor.h"

namespace oq::test {

inline bool PressKey(Editor *editor, int32_t key, bool shift = false)
{
    UIEvent event;
    event.type = 'kydn';
    event.key = key;
    event.modifiers = shift ? kModifierShift : 0;
    return editor->HandleKeyDown(event);
}

}  // namespace oq::test
