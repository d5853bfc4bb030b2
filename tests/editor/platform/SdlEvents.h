#pragma once

// SDL events as the dispatcher receives them, for one window.
#include <SDL2/SDL_events.h>

#include <cstdint>

namespace oq::test {

inline SDL_Event ButtonEvent(uint32_t window, uint32_t type, int32_t x, int32_t y, uint8_t clicks = 1)
{
    SDL_Event event{};
    event.type = type;
    event.button.windowID = window;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    return event;
}

inline SDL_Event MotionEvent(uint32_t window, int32_t x, int32_t y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = window;
    event.motion.x = x;
    event.motion.y = y;
    return event;
}

inline SDL_Event WindowEvent(uint32_t window, uint8_t what)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = window;
    event.window.event = what;
    return event;
}

inline SDL_Event KeyDownEvent(uint32_t window, SDL_Keycode key)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = window;
    event.key.keysym.sym = key;
    return event;
}

}  // namespace oq::test
