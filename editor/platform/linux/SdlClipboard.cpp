#include "editor/platform/linux/SdlClipboard.h"

#include "editor/platform/linux/X11Clipboard.h"

#include <SDL2/SDL_syswm.h>

#include <cstring>

namespace oq {

namespace {

// A plain pointer: nothing runs at exit, when SDL's X connection may be gone already.
Clipboard *systemClipboard = nullptr;
X11Clipboard *x11Clipboard = nullptr;

}  // namespace

bool StartSystemClipboard(SDL_Window *window)
{
    StopSystemClipboard();
    const char *driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0)
    {
        systemClipboard = new InProcessClipboard;
        SetClipboard(systemClipboard);
        return true;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    auto *clipboard = new X11Clipboard(info.info.x11.display);
    if (!clipboard->Start())
    {
        delete clipboard;
        return false;
    }
    x11Clipboard = clipboard;
    systemClipboard = clipboard;
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    SetClipboard(systemClipboard);
    return true;
}

void StopSystemClipboard()
{
    if (systemClipboard != nullptr && GetClipboard() == systemClipboard) SetClipboard(nullptr);
    delete systemClipboard;
    systemClipboard = nullptr;
    x11Clipboard = nullptr;
}

bool HandleSystemClipboardEvent(const SDL_Event &event)
{
    if (event.type != SDL_SYSWMEVENT || x11Clipboard == nullptr || event.syswm.msg == nullptr) return false;
    if (event.syswm.msg->subsystem != SDL_SYSWM_X11) return false;
    return x11Clipboard->HandleEvent(event.syswm.msg->msg.x11.event);
}

}  // namespace oq
