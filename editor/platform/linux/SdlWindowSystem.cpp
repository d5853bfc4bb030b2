#include "editor/platform/linux/SdlWindowSystem.h"

#include "editor/platform/linux/SdlClipboard.h"

#include <SDL2/SDL.h>
#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace oq {

void SdlGLWindow::MakeCurrent()
{
    static_cast<void>(SDL_GL_MakeCurrent(window, context));
    if (!intervalSet)
    {
        intervalSet = true;
        static_cast<void>(SDL_GL_SetSwapInterval(0));  // Xvfb refuses; tearing does not matter then
    }
}

void SdlGLWindow::Swap() { SDL_GL_SwapWindow(window); }

SdlWindowSystem::~SdlWindowSystem() { Shutdown(); }

bool SdlWindowSystem::Start(const char *title, int32_t width, int32_t height)
{
    if (mainWindow != 0) return true;
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    videoStarted = true;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_FRAMEBUFFER_SRGB_CAPABLE, 1);

    SDL_Window *window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (window == nullptr)
    {
        Shutdown();
        return false;
    }
    context = SDL_GL_CreateContext(window);
    if (context == nullptr)
    {
        SDL_DestroyWindow(window);
        Shutdown();
        return false;
    }
    mainWindow = SDL_GetWindowID(window);
    glWindows[mainWindow] = std::make_unique<SdlGLWindow>(window, context);
    glWindows[mainWindow]->MakeCurrent();
    RegisterWindow(mainWindow, nullptr, 0);
    static_cast<void>(StartSystemClipboard(window));  // without one, pasting gives nothing
    return true;
}

void SdlWindowSystem::Shutdown()
{
    StopSystemClipboard();
    for (auto &entry : glWindows)
    {
        UnregisterWindow(entry.first);
        SDL_DestroyWindow(entry.second->window);
    }
    glWindows.clear();
    if (context) SDL_GL_DeleteContext(context);
    context = nullptr;
    mainWindow = 0;
    if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    videoStarted = false;
}

SdlGLWindow *SdlWindowSystem::GetGLWindow(WindowHandle window) const
{
    auto found = glWindows.find(window);
    return found != glWindows.end() ? found->second.get() : nullptr;
}

WindowHandle SdlWindowSystem::CreatePopupWindow(WindowHandle owner, const char *title, const WindowRect &client)
{
    if (context == nullptr) return 0;
    SDL_Window *window = SDL_CreateWindow(title, client.left, client.top, client.right - client.left,
                                          client.bottom - client.top, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (window == nullptr) return 0;
    WindowHandle handle = SDL_GetWindowID(window);
    if (SdlGLWindow *ownerWindow = GetGLWindow(owner))
    {
        static_cast<void>(SDL_SetWindowModalFor(window, ownerWindow->window));  // a hint; offscreen refuses
    }
    glWindows[handle] = std::make_unique<SdlGLWindow>(window, context);
    return handle;
}

void SdlWindowSystem::DestroyWindow(WindowHandle window)
{
    auto found = glWindows.find(window);
    if (found == glWindows.end() || window == mainWindow) return;
    SDL_DestroyWindow(found->second->window);
    glWindows.erase(found);
}

bool SdlWindowSystem::GetWindowRect(WindowHandle window, WindowRect *rect)
{
    SdlGLWindow *glWindow = GetGLWindow(window);
    if (glWindow == nullptr) return false;
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    SDL_GetWindowPosition(glWindow->window, &x, &y);
    SDL_GetWindowSize(glWindow->window, &w, &h);
    *rect = WindowRect{x, y, x + w, y + h};
    return true;
}

float SdlWindowSystem::GetDpi() { return ReadSystemDpi(); }

void SdlWindowSystem::RaiseWindow(WindowHandle window)
{
    if (SdlGLWindow *glWindow = GetGLWindow(window)) SDL_RaiseWindow(glWindow->window);
}

void SdlWindowSystem::ShowMessage(const char *title, const char *text)
{
    static_cast<void>(SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, nullptr));
}

void SdlWindowSystem::CaptureMouse(bool capture)
{
    static_cast<void>(SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE));
}

void SdlWindowSystem::WakeLoop()
{
    static std::once_flag registered;
    static uint32_t wakeEventType = uint32_t(-1);
    std::call_once(registered, [] { wakeEventType = SDL_RegisterEvents(1); });
    if (wakeEventType == uint32_t(-1)) return;
    SDL_Event event = {};
    event.type = wakeEventType;
    // A full queue already wakes the loop.
    static_cast<void>(SDL_PushEvent(&event));
}

void SdlWindowSystem::RestoreContext()
{
    if (SdlGLWindow *main = GetGLWindow(mainWindow)) main->MakeCurrent();
}

float ParseXftDpi(const char *resources)
{
    static const char kName[] = "Xft.dpi:";
    for (const char *line = resources; line && *line;)
    {
        if (std::strncmp(line, kName, sizeof(kName) - 1) == 0)
        {
            char *end = nullptr;
            float dpi = std::strtof(line + sizeof(kName) - 1, &end);
            return (end != line + sizeof(kName) - 1 && dpi > 0.0F && dpi < 10000.0F) ? dpi : 0.0F;
        }
        line = std::strchr(line, '\n');
        if (line) ++line;
    }
    return 0.0F;
}

float ReadSystemDpi()
{
    if (const char *text = std::getenv("ORLENDOQUIST_DPI"))
    {
        char *end = nullptr;
        float dpi = std::strtof(text, &end);
        if (end != text && dpi > 0.0F && dpi < 10000.0F) return dpi;
    }
    const char *driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0)
    {
        if (Display *display = XOpenDisplay(nullptr))
        {
            float dpi = ParseXftDpi(XResourceManagerString(display));
            XCloseDisplay(display);
            if (dpi > 0.0F) return dpi;
        }
    }
    return 96.0F;
}

}  // namespace oq
