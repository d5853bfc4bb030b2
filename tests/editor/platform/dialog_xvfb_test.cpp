// End to end under an X server of the test's own: a real dialog window on the x11 driver, a click
// from xdotool on its button, and a screenshot kept when the test fails.
#include "editor/platform/TextButton.h"
#include "FontProbe.h"
#include "SdlDialogFixture.h"
#include "XvfbServer.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

extern char **environ;

namespace oq {
namespace {

using test::XvfbServer;

struct ActivationRecorder
{
    int32_t activations = 0;
    EventObserver observer{this, &ActivationRecorder::Record};
    static void Record(void *self, EventLink *, uint32_t event)
    {
        if (event == 'wgac') ++static_cast<ActivationRecorder *>(self)->activations;
    }
};

class DialogXvfb : public test::SdlDialogTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(XvfbServer::Get().Start()) << XvfbServer::Get().error;
        StartDriver("x11");
    }

    // Loop turns until the condition holds or the time runs out.
    template <typename Condition>
    bool TurnUntil(Condition condition, uint32_t milliseconds)
    {
        return test::TurnUntil([this] { Turn(1); }, condition, milliseconds);
    }

    test::TempDirectory evidence;
};

TEST_F(DialogXvfb, ClickOnAButtonInARealDialogWindow)
{
    Font *font = test::LoadTestFont(test::SdlDialogProcess::Get().renderer, evidence, "button.vorl",
                                    test::MakeSquareFontFile(0.7F));
    ASSERT_NE(font, nullptr);
    TextLayoutState style;
    ResetTextLayoutState(&style);
    style.size = 12;

    auto *dialog = new DialogWindow(windows.GetMainWindow(), "Xvfb", 300, 150);
    ASSERT_TRUE(dialog->IsOpen());
    auto *button = new TextButton(font, &style, "AA", {100, 50}, {100, 40}, 1.5F, dialog->GetPointsPerPixel());
    dialog->AppendSubnode(button);
    ActivationRecorder recorder;
    button->SetObserver(&recorder.observer);
    popups.SetActivePopup(dialog);
    WindowHandle window = dialog->GetWindow();

    bool drawn = TurnUntil([&] { return capture.frames[window].count > 0; }, 5000);
    EXPECT_TRUE(drawn);
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(windows.GetGLWindow(window)->window, &x, &y);
    // The middle of the button, in pixels at 96 dpi.
    int clickX = x + 200;
    int clickY = y + 93;
    std::string command = "xdotool mousemove " + std::to_string(clickX) + " " + std::to_string(clickY) +
                          " sleep 0.1 click 1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    bool clicked = TurnUntil([&] { return recorder.activations > 0; }, 5000);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(recorder.activations, 1);

    if (HasFailure())
    {
        std::string shot = evidence.File("screen.png");
        std::string take = "import -window root " + shot;
        static_cast<void>(std::system(take.c_str()));  // best effort
        evidence.Keep();
        std::printf("Screenshot of the failed run: %s\n", shot.c_str());
    }
    delete dialog;
    font->Release();
}

}  // namespace
}  // namespace oq
