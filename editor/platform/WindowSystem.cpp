#include "editor/platform/WindowSystem.h"

#include "editor/platform/DialogWindow.h"

namespace oq {

namespace {
WindowSystem *theWindowSystem = nullptr;
}

WindowSystem *GetWindowSystem() { return theWindowSystem; }
void SetWindowSystem(WindowSystem *system) { theWindowSystem = system; }

void WindowSystem::RegisterWindow(WindowHandle window, DialogWindow *dialog)
{
    if (window != 0) windows[window] = Entry{dialog, true, false};
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
    DialogWindow *dialog = nullptr;
    for (const auto &entry : windows)
    {
        if (entry.second.dialog && entry.second.dialog->GetOwnerWindow() == window)
        {
            dialog = entry.second.dialog;
            break;
        }
    }
    while (dialog && dialog->GetChildDialog()) dialog = dialog->GetChildDialog();
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
