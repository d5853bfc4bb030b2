#pragma once

#include "editor/platform/Widget.h"

#include <cstdint>

namespace oq {

// What one window-system event means to a window: a UI event for its root, characters, or a window
// change.
enum WindowInputKind : uint32_t
{
    kInputNone = 0,
    kInputMouse = 'mous',       // event goes to HandleMouseEvent
    kInputKey = 'keys',         // event goes to HandleKeyEvent
    kInputText = 'text',        // code points go to HandleCharacter one by one
    kInputClose = 'clos',       // the close box
    kInputExpose = 'expo',      // the window's contents were lost: draw again
    kInputFocusGained = 'fcsg',
    kInputFocusLost = 'fcsl',
    kInputSize = 'size',        // the client area has a new size (width, height in pixels)
};

// The most code points one text event carries.
constexpr int32_t kWindowInputTextSize = 32;

// One translated event.
struct WindowInput
{
    WindowInputKind kind = kInputNone;
    uint32_t windowId = 0;
    UIEvent event;
    int32_t codePointCount = 0;
    uint32_t codePoints[kWindowInputTextSize] = {};
    int32_t width = 0;
    int32_t height = 0;
};

}  // namespace oq
