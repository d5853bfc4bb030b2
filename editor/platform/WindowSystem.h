#pragma once

#include <cstdint>
#include <map>

namespace oq {

class DialogWindow;

// A window of the platform, by number; 0 is none.
using WindowHandle = uint32_t;

struct WindowRect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// The platform's windows as dialogs use them, with the registry of our windows: which are enabled
// and which dialog lives in each. SDL cannot disable a window, so input for a disabled window is
// dropped when it is dispatched. A handle that is not registered is ignored everywhere.
class WindowSystem
{
public:
    virtual ~WindowSystem() = default;

    // A visible popup window over the owner whose client area is the rectangle; 0 when it cannot be
    // made. The title is UTF-8.
    [[nodiscard]] virtual WindowHandle CreatePopupWindow(WindowHandle owner, const char *title,
                                                         const WindowRect &client) = 0;
    virtual void DestroyWindow(WindowHandle window) = 0;
    // What the GPU device takes as the window of a target.
    virtual void *GetTargetWindow(WindowHandle window) = 0;
    // The window's outer rectangle on the screen; false when it is unknown.
    [[nodiscard]] virtual bool GetWindowRect(WindowHandle window, WindowRect *rect) = 0;
    // Dots per inch of the screen.
    virtual float GetDpi() = 0;
    virtual void RaiseWindow(WindowHandle window) = 0;
    // A message box whose failure is ignored.
    virtual void ShowMessage(const char *title, const char *text) = 0;
    // Makes the one GL context current again after a window went away.
    virtual void RestoreContext() = 0;
    // Ends the main loop's wait for events early; callable from any thread. Default: nothing.
    virtual void WakeLoop() {}
    // Takes (true) or releases the pointer for the main window, so that a drag's release arrives
    // outside it. Default: nothing.
    virtual void CaptureMouse(bool capture) { static_cast<void>(capture); }

    // Registry: the dialog living in each window and the window it was opened over (0 for none).
    void RegisterWindow(WindowHandle window, DialogWindow *dialog, WindowHandle owner);
    void UnregisterWindow(WindowHandle window);
    bool IsRegistered(WindowHandle window) const { return windows.count(window) != 0; }
    void EnableWindow(WindowHandle window, bool enable);
    bool IsWindowEnabled(WindowHandle window) const;
    DialogWindow *FindDialog(WindowHandle window) const;
    // The innermost dialog of the chain opened over the window (each the one registered over the
    // window of the one before); null when none.
    DialogWindow *FindInnermostDialog(WindowHandle window) const;

    // Keyboard focus of our windows, counted per window.
    void SetWindowFocused(WindowHandle window, bool focused);
    bool AnyWindowFocused() const;

private:
    struct Entry
    {
        DialogWindow *dialog = nullptr;
        WindowHandle owner = 0;
        bool enabled = true;
        bool focused = false;
    };
    std::map<WindowHandle, Entry> windows;
};

// The process-wide window system: none before the program or a test sets one. Set it before any
// worker thread may wake the loop, and clear it only after they ended.
WindowSystem *GetWindowSystem();
void SetWindowSystem(WindowSystem *system);

}  // namespace oq
