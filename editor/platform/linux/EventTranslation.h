#pragma once

#include "editor/platform/VirtualKeys.h"
#include "editor/platform/WindowInput.h"
#include "editor/platform/Widget.h"

#include <SDL2/SDL_events.h>

#include <cstdint>

namespace oq {

// The mouse buttons (SDL_GetMouseState's mask) and modifiers (SDL_GetModState) held when the event
// is handled.
struct InputState
{
    uint32_t mouseButtons = 0;
    uint32_t keyModifiers = 0;
};

static_assert(SDL_TEXTINPUTEVENT_TEXT_SIZE == kWindowInputTextSize);

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
