#include "editor/platform/linux/DialogLoop.h"

#include "editor/platform/DialogWindow.h"
#include "editor/platform/ShellServices.h"
#include "editor/platform/linux/SdlClipboard.h"

#include <SDL2/SDL.h>

#include <chrono>

namespace oq {

namespace {

const std::chrono::steady_clock::time_point programStart = std::chrono::steady_clock::now();
uint64_t (*loopClock)() = &SteadyClockMilliseconds;

bool IsUserInput(const WindowInput &input)
{
    return input.kind == kInputMouse || input.kind == kInputKey || input.kind == kInputText ||
           input.kind == kInputClose;
}

bool RaisesOnDrop(const WindowInput &input)
{
    return input.kind == kInputKey || input.kind == kInputText || input.kind == kInputClose ||
           input.event.type == 'lmdn' || input.event.type == 'rmdn';
}

}  // namespace

bool DispatchWindowEvent(const SDL_Event &event, const InputState &state)
{
    WindowSystem *system = GetWindowSystem();
    WindowInput input = TranslateEvent(event, state, 1.0F);
    if (input.kind == kInputNone || !system->IsRegistered(input.windowId)) return false;
    WindowHandle window = input.windowId;

    if (input.kind == kInputFocusGained || input.kind == kInputFocusLost)
    {
        system->SetWindowFocused(window, input.kind == kInputFocusGained);
        return false;
    }
    DialogWindow *dialog = system->FindDialog(window);
    PopupHost *host = GetPopupHost();
    if (input.kind == kInputExpose || input.kind == kInputSize)
    {
        if (dialog != nullptr)
        {
            if (input.kind == kInputExpose) dialog->SetRedrawNeeded();
            return false;
        }
        return host != nullptr && host->HandleMainWindowInput(input);
    }
    if (!system->IsWindowEnabled(window))
    {
        if (RaisesOnDrop(input))
        {
            if (DialogWindow *top = system->FindInnermostDialog(window)) system->RaiseWindow(top->GetWindow());
        }
        return false;
    }
    if (!IsUserInput(input)) return false;
    if (dialog == nullptr) return host != nullptr && host->HandleMainWindowInput(input);

    input = TranslateEvent(event, state, dialog->GetPointsPerPixel());
    switch (input.kind)
    {
    case kInputMouse: dialog->HandleMouseEvent(input.event); break;
    case kInputKey: dialog->HandleKeyEvent(input.event); break;
    case kInputText:
    {
        // One clock for the whole text; a handler may close the dialog between characters.
        uint64_t now = ElapsedMilliseconds();
        Link<DialogWindow> alive;
        alive.SetTarget(dialog);
        for (int32_t i = 0; i < input.codePointCount && alive.GetTarget(); ++i)
        {
            alive.GetTarget()->HandleCharacter(input.codePoints[i], now);
        }
        break;
    }
    case kInputClose: delete dialog; break;
    default: break;
    }
    return false;
}

uint64_t SteadyClockMilliseconds()
{
    auto elapsed = std::chrono::steady_clock::now() - programStart;
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SetMainLoopClock(uint64_t (*clock)()) { loopClock = clock != nullptr ? clock : &SteadyClockMilliseconds; }

void RunMainLoopTurnWithoutWait(uint64_t *nextDeadline)
{
    SetElapsedMilliseconds(loopClock());
    CloseDeferredDialogs();
    // The modifiers once the queued input has reached SDL, the same for every event of the turn.
    SDL_PumpEvents();
    uint32_t modifiers = uint32_t(SDL_GetModState());
    SetKeyModifiers(KeyModifierBits(modifiers));
    bool redraw = false;
    SDL_Event event;
    while (SDL_PollEvent(&event))
    {
        if (HandleSystemClipboardEvent(event)) continue;
        InputState state;
        int x = 0;
        int y = 0;
        state.mouseButtons = SDL_GetMouseState(&x, &y);
        state.keyModifiers = modifiers;
        if (DispatchWindowEvent(event, state)) redraw = true;
    }
    bool active = GetWindowSystem()->AnyWindowFocused();
    if (active != ApplicationActive()) redraw = true;
    SetApplicationActive(active);
    PopupHost *host = GetPopupHost();
    if (host == nullptr) return;
    if (host->TickFrame(KeyModifierBits(modifiers), nextDeadline)) redraw = true;
    if (redraw) host->RenderFrame();
    if (DialogWindow *popup = host->GetActivePopup()) RenderDialogChain(popup);
}

void RunMainLoopTurn()
{
    uint64_t deadline = 0;
    RunMainLoopTurnWithoutWait(&deadline);
    uint64_t now = loopClock();
    uint64_t wait = 1000;
    if (deadline != 0) wait = deadline > now ? deadline - now : 0;
    if (wait > 1000) wait = 1000;
    // The waking event stays queued for the next drain.
    static_cast<void>(SDL_WaitEventTimeout(nullptr, int(wait)));
}

}  // namespace oq
