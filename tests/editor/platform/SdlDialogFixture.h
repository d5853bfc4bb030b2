#pragma once

// Dialogs on real SDL windows: the window system started on a chosen video driver, one GL context,
// a renderer on the GL device over the build's shader files, and frames read back before their
// swap.
#include "editor/platform/linux/DialogLoop.h"
#include "editor/platform/DialogWindow.h"
#include "editor/platform/linux/GLDevice.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/linux/SdlWindowSystem.h"
#include "editor/platform/ShellServices.h"
#include "support/MesaLeakSuppressions.h"
#include "support/TempDirectory.h"
#include "SdlEvents.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// SDL, Xlib and Mesa keep allocations until process exit.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libSDL2\n"
           "leak:libX11\n"
           "leak:libxcb\n"
           "leak:libdbus\n" OQ_MESA_LEAK_SUPPRESSIONS;
}

namespace oq::test {

// Pixels of each dialog's last frame, by window, top row first.
struct FrameCapture
{
    struct Frame
    {
        int32_t width = 0;
        int32_t height = 0;
        std::vector<uint8_t> rgba;
        int32_t count = 0;
    };
    std::map<WindowHandle, Frame> frames;

    static FrameCapture *&Current()
    {
        static FrameCapture *capture = nullptr;
        return capture;
    }

    static void Observe(DialogWindow &dialog)
    {
        if (FrameCapture *capture = Current()) capture->Capture(dialog.GetWindow(), dialog.pixelWidth, dialog.pixelHeight);
    }

    // Reads the bound window's back buffer (the frame before its swap).
    void Capture(WindowHandle window, int32_t width, int32_t height)
    {
        Frame &frame = frames[window];
        frame.width = width;
        frame.height = height;
        frame.rgba.assign(size_t(frame.width) * size_t(frame.height) * 4, 0);
        size_t rowBytes = size_t(frame.width) * 4;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        for (int32_t row = 0; row < frame.height; ++row)
        {
            glReadPixels(0, frame.height - 1 - row, frame.width, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                         frame.rgba.data() + rowBytes * size_t(row));
        }
        ++frame.count;
    }

    const uint8_t *Pixel(WindowHandle window, int32_t x, int32_t y)
    {
        Frame &frame = frames[window];
        return frame.rgba.data() + (size_t(y) * size_t(frame.width) + size_t(x)) * 4;
    }
};

// Runs loop turns until the condition holds or the time runs out, pausing 10 ms between turns.
template <typename Turn, typename Condition>
bool TurnUntil(Turn turn, Condition condition, uint32_t milliseconds)
{
    uint64_t end = SDL_GetTicks64() + milliseconds;
    while (SDL_GetTicks64() < end)
    {
        turn();
        if (condition()) return true;
        SDL_Delay(10);
    }
    return condition();
}

// The window system, context and renderer of the process: started once and kept to the end, so
// that SDL and Mesa never unload what they loaded (one context per test process).
struct SdlDialogProcess
{
    TempDirectory data;
    Heap heap{"dialog test", GetProcessHeap()};
    GLDevice device;
    Renderer renderer{&device, data.Path().c_str(), &heap};
    SdlWindowSystem windows;
    bool tried = false;
    bool started = false;
    std::string error;

    static SdlDialogProcess &Get()
    {
        static SdlDialogProcess *process = new SdlDialogProcess;  // never destroyed
        return *process;
    }

    bool Start(const char *driver)
    {
        if (tried) return started;
        tried = true;
        setenv("SDL_VIDEODRIVER", driver, 1);
        setenv("ORLENDOQUIST_DPI", "96", 1);
        // The shaders are copied; the Data fonts and icons are linked, not copied.
        for (const auto &entry : std::filesystem::directory_iterator(OQ_DATA_DIR))
        {
            std::filesystem::path target = std::filesystem::path(data.Path()) / entry.path().filename();
            if (entry.path().extension() == ".glsl")
                std::filesystem::copy_file(entry.path(), target);
            else if (entry.path().extension() == ".vorl")
                std::filesystem::create_symlink(entry.path(), target);
        }
        if (!windows.Start("OrlendoQuist", 400, 300))
        {
            error = std::string("window system: ") + SDL_GetError();
            return false;
        }
        if (!renderer.Start(windows.GetGLWindow(windows.GetMainWindow()), 400, 300, kDialogClearColor))
        {
            error = "renderer";
            return false;
        }
        started = true;
        return true;
    }
};

class SdlDialogTest : public ::testing::Test
{
protected:
    // The driver is set before SDL starts; tests fail, never skip, when it cannot.
    void StartDriver(const char *driver)
    {
        SdlDialogProcess &process = SdlDialogProcess::Get();
        ASSERT_TRUE(process.Start(driver)) << process.error;
        SetWindowSystem(&windows);
        SetRenderer(&process.renderer);
        SetPopupHost(&popups);
        FrameCapture::Current() = &capture;
        SetDialogFrameObserver(&FrameCapture::Observe);
    }

    void TearDown() override
    {
        if (DialogWindow *popup = popups.GetActivePopup()) delete popup;
        CloseDeferredDialogs();
        SetDialogFrameObserver(nullptr);
        FrameCapture::Current() = nullptr;
        SetPopupHost(nullptr);
    }

    // Loop turns without waiting.
    void Turn(int32_t count = 2)
    {
        for (int32_t i = 0; i < count; ++i)
        {
            uint64_t deadline = 0;
            RunMainLoopTurnWithoutWait(&deadline);
        }
    }

    void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    SdlWindowSystem &windows = SdlDialogProcess::Get().windows;
    StandInPopupHost popups;
    FrameCapture capture;
};

}  // namespace oq::test
