#pragma once

#include <SDL2/SDL.h>

namespace oq {

// The process-wide clipboard for SDL's video driver: the X11 clipboard on SDL's connection under
// x11 (its requests arrive as SDL_SYSWMEVENT), an in-process one under any other driver. False
// when the X11 clipboard cannot start; the process then has none.
[[nodiscard]] bool StartSystemClipboard(SDL_Window *window);
// Drops the clipboard made by StartSystemClipboard (before SDL's video stops).
void StopSystemClipboard();
// Hands an X11 event that SDL passed on to the clipboard; true when it was the clipboard's.
bool HandleSystemClipboardEvent(const SDL_Event &event);

}  // namespace oq
