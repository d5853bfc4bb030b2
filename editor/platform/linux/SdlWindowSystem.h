#pragma once

#include "editor/platform/linux/GLDevice.h"
#include "editor/platform/WindowSystem.h"

#include <map>
#include <memory>

struct SDL_Window;

namespace oq {

// One SDL window drawn with the one GL context.
class SdlGLWindow : public GLWindow
{
public:
    SdlGLWindow(SDL_Window *window, void *context) : window(window), context(context) {}
    // Sets swap interval 0 after the first make-current (GLX keeps it per drawable).
    void MakeCurrent() override;
    void Swap() override;

    SDL_Window *window;
    void *context;
    bool intervalSet = false;
};

// The windows of the program on SDL2 with one OpenGL 3.3 core context shared by all of them: the
// main window made at Start, dialog windows on request.
class SdlWindowSystem : public WindowSystem
{
public:
    ~SdlWindowSystem() override;

    // Starts SDL's video, sets every GL attribute, opens the main window and makes the context
    // current on it. False, with nothing held, when any step fails.
    [[nodiscard]] bool Start(const char *title, int32_t width, int32_t height);
    void Shutdown();

    WindowHandle GetMainWindow() const { return mainWindow; }
    SdlGLWindow *GetGLWindow(WindowHandle window) const;

    WindowHandle CreatePopupWindow(WindowHandle owner, const char *title, const WindowRect &client) override;
    void DestroyWindow(WindowHandle window) override;
    void *GetTargetWindow(WindowHandle window) override { return GetGLWindow(window); }
    bool GetWindowRect(WindowHandle window, WindowRect *rect) override;
    float GetDpi() override;
    void RaiseWindow(WindowHandle window) override;
    void ShowMessage(const char *title, const char *text) override;
    void RestoreContext() override;
    // Pushes the one wake event type (registered once); SDL_PushEvent is safe from any thread.
    void WakeLoop() override;
    // SDL_CaptureMouse; its failure (the offscreen driver has no capture) is ignored.
    void CaptureMouse(bool capture) override;

private:
    void *context = nullptr;
    WindowHandle mainWindow = 0;
    bool videoStarted = false;
    std::map<WindowHandle, std::unique_ptr<SdlGLWindow>> glWindows;
};

// Dots per inch: the ORLENDOQUIST_DPI environment variable, then the X server's Xft.dpi (only
// under the x11 driver), then 96.
float ReadSystemDpi();
// The value of "Xft.dpi" in X resources text; 0 when absent or not a positive number.
float ParseXftDpi(const char *resources);

}  // namespace oq
