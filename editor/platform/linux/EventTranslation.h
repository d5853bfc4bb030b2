#pragma once

#include "editor/platform/VirtualKeys.h"
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

// The virtual-key number of an SDL key; 0 for a key without one.
int32_t MapVirtualKey(SDL_Keycode key);

// The event modifier bits (kModifierShift, kModifierControl) of an SDL modifier state.
uint32_t KeyModifierBits(uint32_t sdlModifiers);

// Key-state bits of presses and the wheel: 1 left, 2 right, 4 Shift, 8 Ctrl, 16 middle.
uint32_t GetKeyStateBits(const InputState &state);

// Turns an SDL event into what the window's root receives; positions are multiplied by the
// window's points per pixel. Depends on nothing but its arguments.
WindowInput TranslateEvent(const SDL_Event &event, const InputState &state, float pointsPerPixel);

}  // namespace oq
