#include "editor/platform/WindowSystem.h"

#include <algorithm>
#include <atomic>

namespace oq {

namespace {
// Read by PushWakeEvent from worker threads.
std::atomic<WindowSystem *> theWindowSystem{nullptr};
}

WindowSystem *GetWindowSystem() { return theWindowSystem.load(std::memory_order_acquire); }
void SetWindowSystem(WindowSystem *system) { theWindowSystem.store(system, std::memory_order_release); }

void WindowSystem::RegisterWindow(WindowHandle window, DialogWindow *dialog, WindowHandle owner)
{
    if (window != 0) windows[window] = Entry{dialog, owner, true, false};
}

void WindowSystem::UnregisterWindow(WindowHandle window) { windows.erase(window); }

void WindowSystem::EnableWindow(WindowHandle window, bool enable)
{
    auto found = windows.find(window);
    if (found != windows.end()) found->second.enabled = enable;
}

bool WindowSystem::IsWindowEnabled(WindowHandle window) const
{
    auto found = windows.find(window);
    return found != windows.end() && found->second.enabled;
}

DialogWindow *WindowSystem::FindDialog(WindowHandle window) const
{
    auto found = windows.find(window);
    return found != windows.end() ? found->second.dialog : nullptr;
}

DialogWindow *WindowSystem::FindInnermostDialog(WindowHandle window) const
{
    // A chain is at most as long as the registry: a cycle of owners cannot hold the search.
    DialogWindow *dialog = nullptr;
    for (size_t step = 0; step < windows.size(); ++step)
    {
        auto over = std::find_if(windows.begin(), windows.end(), [window](const auto &entry) {
            return entry.second.dialog != nullptr && entry.second.owner == window;
        });
        if (over == windows.end()) break;
        dialog = over->second.dialog;
        window = over->first;
    }
    return dialog;
}

void WindowSystem::SetWindowFocused(WindowHandle window, bool focused)
{
    auto found = windows.find(window);
    if (found != windows.end()) found->second.focused = focused;
}

bool WindowSystem::AnyWindowFocused() const
{
    for (const auto &entry : windows)
    {
        if (entry.second.focused) return true;
    }
    return false;
}

}  // namespace oq
