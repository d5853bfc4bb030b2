#include "editor/platform/ShellServices.h"

#include "editor/platform/DialogWindow.h"
#include "editor/platform/Widget.h"
#include "editor/platform/WindowSystem.h"

namespace oq {

namespace {
uint64_t elapsedMilliseconds = 0;
uint32_t keyModifiers = 0;
bool applicationActive = false;
ColorRGBA selectionHighlightColor = {0.527115F, 0.527115F, 0.527115F, 1.0F};
PopupHost *thePopupHost = nullptr;
bool quitRequested = false;
}  // namespace

uint64_t ElapsedMilliseconds() { return elapsedMilliseconds; }
void SetElapsedMilliseconds(uint64_t milliseconds) { elapsedMilliseconds = milliseconds; }
bool ApplicationActive() { return applicationActive; }
void SetApplicationActive(bool active) { applicationActive = active; }
ColorRGBA SelectionHighlightColor() { return selectionHighlightColor; }
void SetSelectionHighlightColor(const ColorRGBA &color) { selectionHighlightColor = color; }
int32_t WheelScrollLines() { return 3; }
uint32_t GetKeyModifiers() { return keyModifiers; }
void SetKeyModifiers(uint32_t modifiers) { keyModifiers = modifiers; }
bool IsShiftDown() { return (keyModifiers & kModifierShift) != 0; }

void PushWakeEvent()
{
    if (WindowSystem *system = GetWindowSystem()) system->WakeLoop();
}

bool QuitRequested() { return quitRequested; }
void SetQuitRequested(bool quit) { quitRequested = quit; }

void StandInPopupHost::SetActivePopup(DialogWindow *dialog) { activePopup.SetTarget(dialog); }
DialogWindow *StandInPopupHost::GetActivePopup() const { return activePopup.GetTarget(); }
bool StandInPopupHost::HandleMainWindowInput(const WindowInput &) { return false; }
void StandInPopupHost::RenderFrame() {}

bool StandInPopupHost::TickFrame(uint32_t, uint64_t *deadline)
{
    if (DialogWindow *popup = GetActivePopup()) popup->Update(ElapsedMilliseconds(), deadline, kCaretBlinkTime);
    return false;
}

PopupHost *GetPopupHost() { return thePopupHost; }
void SetPopupHost(PopupHost *host) { thePopupHost = host; }

}  // namespace oq
