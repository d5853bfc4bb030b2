#pragma once

#include "editor/platform/Widget.h"

#include <SDL2/SDL_events.h>

#include <cstdint>

namespace oq {

// What one SDL event means to a window: a UI event for its root, characters, or a window change.
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
};

// The mouse buttons (SDL_GetMouseState's mask) and modifiers (SDL_GetModState) held when the event
// is handled.
struct InputState
{
    uint32_t mouseButtons = 0;
    uint32_t keyModifiers = 0;
};

// One translated event. Text holds at most the code points one SDL text event can carry.
struct WindowInput
{
    WindowInputKind kind = kInputNone;
    uint32_t windowId = 0;
    UIEvent event;
    int32_t codePointCount = 0;
    uint32_t codePoints[SDL_TEXTINPUTEVENT_TEXT_SIZE] = {};
};

// Virtual-key numbers of the keys the widgets answer.
constexpr int32_t kKeyBack = 0x08;
constexpr int32_t kKeyTab = 0x09;
constexpr int32_t kKeyReturn = 0x0D;
constexpr int32_t kKeyEscape = 0x1B;
constexpr int32_t kKeyPageUp = 0x21;
constexpr int32_t kKeyPageDown = 0x22;
constexpr int32_t kKeyEnd = 0x23;
constexpr int32_t kKeyHome = 0x24;
constexpr int32_t kKeyLeft = 0x25;
constexpr int32_t kKeyUp = 0x26;
constexpr int32_t kKeyRight = 0x27;
constexpr int32_t kKeyDown = 0x28;
constexpr int32_t kKeyDelete = 0x2E;

// The virtual-key number of an SDL key; 0 for a key without one.
int32_t MapVirtualKey(SDL_Keycode key);

// Key-state bits of presses and the wheel: 1 left, 2 right, 4 Shift, 8 Ctrl, 16 middle.
uint32_t GetKeyStateBits(const InputState &state);

// Turns an SDL event into what the window's root receives; positions are multiplied by the
// window's points per pixel. Depends on nothing but its arguments.
WindowInput TranslateEvent(const SDL_Event &event, const InputState &state, float pointsPerPixel);

}  // namespace oq
