#pragma once

// The editor on the process's real SDL main window: TheEditor attached to the window and made the
// loop's host, the Data fonts, a fake loop clock, the main frame read back before its swap, and the
// script lines that push real SDL events through one loop turn each.
#include "EditorHarness.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/FontLoader.h"
#include "editor/fonts/FontManager.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/SdlDialogFixture.h"

#include <cstdlib>
#include <sstream>
#include <string>

namespace oq::test {

class SdlEditorTest : public ::testing::Test
{
protected:
    static constexpr int32_t kWidth = 400;
    static constexpr int32_t kHeight = 300;

    void StartEditor(const char *driver)
    {
        SdlDialogProcess &process = SdlDialogProcess::Get();
        ASSERT_TRUE(process.Start(driver)) << process.error;
        SetWindowSystem(&windows);
        SetRenderer(&process.renderer);
        FrameCapture::Current() = &capture;
        SetDialogFrameObserver(&FrameCapture::Observe);
        Current() = this;
        Clock() = 1000;
        SetMainLoopClock([] { return Clock(); });
        SetScriptDriver(&Drive);
        ResetTheEditor();
        SetFontManager(&fonts);
        AttachEditor();
    }

    void TearDown() override
    {
        if (TheEditor != nullptr)
        {
            if (DialogWindow *popup = TheEditor->GetActivePopup()) delete popup;
        }
        CloseDeferredDialogs();
        DestroyTheEditor();
        DestroyLoadedFonts();
        ClearReportedMissingFonts();
        SetFontManager(nullptr);
        SetPopupHost(nullptr);
        SetScriptDriver(nullptr);
        SetMainLoopClock(nullptr);
        SetDialogFrameObserver(nullptr);
        FrameCapture::Current() = nullptr;
        Current() = nullptr;
        windows.SetWindowFocused(windows.GetMainWindow(), false);
        SetApplicationActive(false);
    }

    // TheEditor (made anew by a script's "new" or "load" too) on the main window, as the host.
    static void AttachEditor()
    {
        SdlEditorTest *test = Current();
        Editor *editor = TheEditor;
        if (test == nullptr || editor == nullptr || editor->mainWindow != 0) return;
        editor->AttachMainWindow(test->windows.GetMainWindow(), kWidth, kHeight);
        editor->frameObserver = [] {
            if (SdlEditorTest *current = Current())
                current->capture.Capture(current->windows.GetMainWindow(), kWidth, kHeight);
        };
        SetPopupHost(editor);
    }

    void Turn(int32_t count = 1)
    {
        for (int32_t i = 0; i < count; ++i)
        {
            AttachEditor();
            uint64_t deadline = 0;
            RunMainLoopTurnWithoutWait(&deadline);
        }
    }

    void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

    SDL_Event TextEvent(const std::string &text)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = windows.GetMainWindow();
        text.copy(event.text.text, sizeof(event.text.text) - 1);
        return event;
    }

    // The pixel where a document point (y up) is drawn on the main window.
    static Point2D PixelOf(const Point2D &point)
    {
        Vector4D clip = TheEditor->GetDocumentTransform() * Point2D(point.x, -point.y);
        return {(clip.x + 1.0f) * 0.5f * float(kWidth), (1.0f - clip.y) * 0.5f * float(kHeight)};
    }

    const FrameCapture::Frame &MainFrame() { return capture.frames[windows.GetMainWindow()]; }
    const uint8_t *Pixel(int32_t x, int32_t y) { return capture.Pixel(windows.GetMainWindow(), x, y); }

    // "" when the pixel is the colour within 2 per channel.
    std::string CheckPixel(int32_t x, int32_t y, int32_t r, int32_t g, int32_t b)
    {
        if (MainFrame().count == 0) return "no frame was drawn";
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return "outside the window";
        const uint8_t *p = Pixel(x, y);
        if (std::abs(p[0] - r) <= 2 && std::abs(p[1] - g) <= 2 && std::abs(p[2] - b) <= 2) return "";
        return "pixel " + std::to_string(x) + "," + std::to_string(y) + " is " + std::to_string(p[0]) + " " +
               std::to_string(p[1]) + " " + std::to_string(p[2]);
    }

    // Dark pixels (every channel below 128) in the strip between the bands.
    int32_t CountInk()
    {
        if (MainFrame().count == 0) return 0;
        int32_t ink = 0;
        for (int32_t y = TheEditor->toolBandHeight; y < kHeight - TheEditor->statusBandHeight; ++y)
        {
            for (int32_t x = 0; x < kWidth; ++x)
            {
                const uint8_t *p = Pixel(x, y);
                if (p[0] < 128 && p[1] < 128 && p[2] < 128) ++ink;
            }
        }
        return ink;
    }

    // The driver lines: sdl text <utf8> | sdl key <name> | sdl focus | sdl resize <w> <h> |
    // tick +<ms> | render | expect pixel <x> <y> <r> <g> <b> | expect ink.
    static bool Drive(const std::string &line, std::string *finding)
    {
        SdlEditorTest *test = Current();
        std::istringstream words(line);
        std::string command;
        std::string what;
        words >> command >> what;
        if (test == nullptr) return false;
        if (command == "sdl")
        {
            WindowHandle main = test->windows.GetMainWindow();
            SDL_Event event{};
            if (what == "text")
            {
                std::string text;
                std::getline(words >> std::ws, text);
                event = test->TextEvent(text);
            }
            else if (what == "key")
            {
                std::string name;
                words >> name;
                event = KeyDownEvent(main, SDL_GetKeyFromName(name.c_str()));
            }
            else if (what == "focus")
                event = WindowEvent(main, SDL_WINDOWEVENT_FOCUS_GAINED);
            else if (what == "resize")
            {
                event = WindowEvent(main, SDL_WINDOWEVENT_SIZE_CHANGED);
                words >> event.window.data1 >> event.window.data2;
            }
            else
            {
                *finding = "unknown sdl event";
                return true;
            }
            if (SDL_PushEvent(&event) != 1) *finding = SDL_GetError();
            test->Turn();
            return true;
        }
        if (command == "tick" && what.size() > 1 && what[0] == '+')
        {
            Clock() += std::strtoull(what.c_str() + 1, nullptr, 10);
            test->Turn();
            return true;
        }
        if (command == "render")
        {
            RenderEditorFrame();
            return true;
        }
        if (command == "expect" && what == "pixel")
        {
            int32_t x = 0, y = 0, r = 0, g = 0, b = 0;
            words >> x >> y >> r >> g >> b;
            *finding = test->CheckPixel(x, y, r, g, b);
            return true;
        }
        if (command == "expect" && what == "ink")
        {
            if (test->CountInk() == 0) *finding = "no ink in the view";
            return true;
        }
        return false;
    }

    static SdlEditorTest *&Current()
    {
        static SdlEditorTest *current = nullptr;
        return current;
    }
    static uint64_t &Clock()
    {
        static uint64_t now = 0;
        return now;
    }

    SdlWindowSystem &windows = SdlDialogProcess::Get().windows;
    FrameCapture capture;
    FontManager fonts;
};

}  // namespace oq::test
