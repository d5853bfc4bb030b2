#pragma once

#include "editor/platform/linux/EventTranslation.h"

#include <cstdint>

namespace oq {

// Delivers one SDL event to the dialog of its window, or to the popup host for the main window (the
// registered window without a dialog, in pixels): input and close requests for a disabled window
// are dropped (and the dialog above it raised), an exposed dialog draws again, focus changes are
// recorded; the main window's size and exposure reach the host even while it is disabled. Handlers
// may delete the dialog. Whether the host asks for a frame.
bool DispatchWindowEvent(const SDL_Event &event, const InputState &state);

// Milliseconds of a steady clock since the program started.
uint64_t SteadyClockMilliseconds();
// The clock the loop turn stores (tests step a fake one); null restores the steady clock.
void SetMainLoopClock(uint64_t (*clock)());

// The main loop, one turn: store the clock (SetElapsedMilliseconds) and the modifier keys
// (SetKeyModifiers; every event of the turn is handled with them), close deferred dialogs, drain
// the queued events, update the application's focus (a change asks for a frame), tick the popup
// host, let it draw its frame when one is due, draw the active popup's chain, then wait for an
// event until the deadline (at most 1000 ms; a deadline already past does not wait; PushWakeEvent
// ends it early).
void RunMainLoopTurn();
// Turns without the wait (tests step the loop this way).
void RunMainLoopTurnWithoutWait(uint64_t *nextDeadline);

}  // namespace oq
