#pragma once

#include "editor/platform/linux/EventTranslation.h"

#include <cstdint>

namespace oq {

// Delivers one SDL event to the dialog of its window: input and close requests for a disabled
// window are dropped (and the dialog above it raised), an exposed dialog draws again, focus changes
// are recorded. Handlers may delete the dialog.
void DispatchWindowEvent(const SDL_Event &event, const InputState &state);

// The editor's timed work as far as dialogs need it: the active popup's Update.
void TickEditorFrame(uint64_t *nextDeadline);

// Milliseconds of a steady clock since the program started.
uint64_t SteadyClockMilliseconds();

// The stand-in main loop, one turn: store the clock (SetElapsedMilliseconds) and the modifier keys
// (SetKeyModifiers; every event of the turn is handled with them), close deferred dialogs, drain the queued events, update the
// application's focus, tick, draw the active popup's chain, then wait for an event until the
// deadline (at most 1000 ms; a deadline already past does not wait; PushWakeEvent ends it early).
void RunMainLoopTurn();
// Turns without the wait (tests step the loop this way).
void RunMainLoopTurnWithoutWait(uint64_t *nextDeadline);

}  // namespace oq
