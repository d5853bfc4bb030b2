#include "editor/platform/ShellServices.h"

#include "editor/platform/DialogWindow.h"

#include <SDL2/SDL_keyboard.h>
#include <SDL2/SDL_timer.h>

namespace oq {

namespace {
bool applicationActive = false;
ColorRGBA selectionHighlightColor = {0.527115F, 0.527115F, 0.527115F, 1.0F};
PopupHost *thePopupHost = nullptr;
}  // namespace

uint64_t ElapsedMilliseconds() { return SDL_GetTicks64(); }
bool ApplicationActive() { return applicationActive; }
void SetApplicationActive(bool active) { applicationActive = active; }
ColorRGBA SelectionHighlightColor() { return selectionHighlightColor; }
void SetSelectionHighlightColor(const ColorRGBA &color) { selectionHighlightColor = color; }
int32_t WheelScrollLines() { return 3; }
bool IsShiftDown() { return (SDL_GetModState() & KMOD_SHIFT) != 0; }

void StandInPopupHost::SetActivePopup(DialogWindow *dialog) { activePopup.SetTarget(dialog); }
DialogWindow *StandInPopupHost::GetActivePopup() const { return activePopup.GetTarget(); }

PopupHost *GetPopupHost() { return thePopupHost; }
void SetPopupHost(PopupHost *host) { thePopupHost = host; }

}  // namespace oq
