#pragma once

#include "base/Color.h"
#include "editor/platform/Link.h"
#include "editor/platform/WindowInput.h"

#include <cstdint>

namespace oq {

class DialogWindow;

// The services of the editor and the application shell that dialogs and widgets use, as stand-ins
// until the editor and its shell provide them.

// Milliseconds since the program started, as the loop stored them at the start of its turn (from a
// steady clock); tests set them directly.
uint64_t ElapsedMilliseconds();
void SetElapsedMilliseconds(uint64_t milliseconds);
// True while one of our windows has the keyboard focus.
bool ApplicationActive();
void SetApplicationActive(bool active);
// Linear colour of the edit box's selection and the list box's highlight (sRGB grey 192 at first).
ColorRGBA SelectionHighlightColor();
void SetSelectionHighlightColor(const ColorRGBA &color);
// Rows a list scrolls per wheel notch.
int32_t WheelScrollLines();
// Caret blink interval in milliseconds.
constexpr uint32_t kCaretBlinkTime = 530;
// The modifier keys held (kModifierShift, kModifierControl), as the loop stored them once per turn
// from the window system; tests set them directly.
uint32_t GetKeyModifiers();
void SetKeyModifiers(uint32_t modifiers);
// Whether a Shift key is held, by the stored modifiers.
bool IsShiftDown();

// Wakes the main loop from its wait for events (the wake event): worker threads call it when they
// end, so the loop's next turn sees their result. Callable from any thread; asks the process-wide
// window system (WindowSystem::WakeLoop), nothing when there is none.
void PushWakeEvent();

// Set to end the main loop after the current turn.
bool QuitRequested();
void SetQuitRequested(bool quit);

// The main window's host, which the loop turn calls: it keeps the active popup (the top dialog
// opened over the main window), takes the main window's input, ticks and draws its frames. The
// editor implements it; the stand-in below serves the platform's own tests.
class PopupHost
{
public:
    virtual ~PopupHost() = default;
    virtual void SetActivePopup(DialogWindow *dialog) = 0;
    virtual DialogWindow *GetActivePopup() const = 0;
    // The main window's translated input (positions in pixels); whether a frame is due.
    virtual bool HandleMainWindowInput(const WindowInput &input) = 0;
    // The turn's timed work with the modifiers of the turn; whether a frame is due, and the clock
    // value at which the loop must run again (0: none).
    virtual bool TickFrame(uint32_t modifiers, uint64_t *deadline) = 0;
    // Draws the main window's frame (called when a frame is due, before the dialogs').
    virtual void RenderFrame() = 0;
};

// The active popup held by a link that empties itself when the dialog dies; no main window input,
// no frames: the tick only updates the active popup.
class StandInPopupHost : public PopupHost
{
public:
    void SetActivePopup(DialogWindow *dialog) override;
    DialogWindow *GetActivePopup() const override;
    bool HandleMainWindowInput(const WindowInput &input) override;
    bool TickFrame(uint32_t modifiers, uint64_t *deadline) override;
    void RenderFrame() override;

private:
    Link<DialogWindow> activePopup;
};

// The process-wide popup host: none before the program or a test sets one.
PopupHost *GetPopupHost();
void SetPopupHost(PopupHost *host);

}  // namespace oq
