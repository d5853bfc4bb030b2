#pragma once

// A window system without a display: windows are numbers, every call is logged, creation can be
// refused; with a renderer on a recording device, dialogs open, draw and present in memory.
#include "editor/platform/DialogWindow.h"
#include "editor/platform/ShellServices.h"
#include "editor/platform/WindowSystem.h"
#include "RendererProbe.h"

#include <atomic>
#include <map>
#include <string>
#include <vector>

namespace oq::test {

class FakeWindowSystem : public WindowSystem
{
public:
    static constexpr WindowHandle kMainWindow = 1;

    FakeWindowSystem()
    {
        RegisterWindow(kMainWindow, nullptr, 0);
        rects[kMainWindow] = WindowRect{0, 0, 1000, 800};
    }

    WindowHandle CreatePopupWindow(WindowHandle owner, const char *title, const WindowRect &client) override
    {
        if (refuseWindows) return 0;
        WindowHandle window = ++lastWindow;
        rects[window] = client;
        titles[window] = title;
        log.push_back("create " + std::to_string(window) + " over " + std::to_string(owner));
        return window;
    }
    void DestroyWindow(WindowHandle window) override
    {
        rects.erase(window);
        log.push_back("destroy " + std::to_string(window));
    }
    void *GetTargetWindow(WindowHandle) override { return nullptr; }
    bool GetWindowRect(WindowHandle window, WindowRect *rect) override
    {
        auto found = rects.find(window);
        if (found == rects.end()) return false;
        *rect = found->second;
        return true;
    }
    float GetDpi() override { return dpi; }
    void RaiseWindow(WindowHandle window) override { log.push_back("raise " + std::to_string(window)); }
    void ShowMessage(const char *, const char *) override { log.push_back("message"); }
    void RestoreContext() override { log.push_back("context"); }
    // Counted, not logged: workers call it from their threads.
    void WakeLoop() override { wakeCount.fetch_add(1); }
    void CaptureMouse(bool capture) override
    {
        captured = capture;
        ++captureCalls;
    }
    bool captured = false;  // the last CaptureMouse call took the pointer
    int32_t captureCalls = 0;

    float dpi = 96.0F;
    bool refuseWindows = false;
    WindowHandle lastWindow = 1;
    std::map<WindowHandle, WindowRect> rects;
    std::map<WindowHandle, std::string> titles;
    std::vector<std::string> log;
    std::atomic<int> wakeCount{0};
};

// The process-wide services pointed at a fake window system, a started recording renderer and a
// stand-in popup host while the fixture lives.
struct FakeDialogServices
{
    FakeDialogServices()
    {
        static_cast<void>(recording.WriteShaders());
        started = recording.Start();
        SetRenderer(&recording.renderer);
        SetWindowSystem(&windows);
        SetPopupHost(&popups);
    }
    ~FakeDialogServices()
    {
        CloseDeferredDialogs();
        SetPopupHost(nullptr);
        SetWindowSystem(nullptr);
        SetRenderer(nullptr);
    }

    RecordingRenderer recording;
    FakeWindowSystem windows;
    StandInPopupHost popups;
    bool started = false;
};

}  // namespace oq::test
