// End to end under an X server of the test's own: the editor's main window on the x11 driver,
// "x=1" typed by xdotool, the frame showing ink, and a screenshot kept as an artifact.
#include "SdlEditorFixture.h"
#include "editor/platform/XvfbServer.h"

#include <cstdio>
#include <string>

namespace oq {
namespace {

using test::XvfbServer;

class FrameXvfb : public test::SdlEditorTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(XvfbServer::Get().Start()) << XvfbServer::Get().error;
        StartEditor("x11");
    }

    // Loop turns until the condition holds or the time runs out.
    template <typename Condition>
    bool TurnUntil(Condition condition, uint32_t milliseconds)
    {
        return test::TurnUntil([this] { Turn(1); }, condition, milliseconds);
    }

    test::TempDirectory evidence;
};

TEST_F(FrameXvfb, TypedTextShowsInTheEditorWindow)
{
    ASSERT_TRUE(TurnUntil([&] { return MainFrame().count > 0; }, 5000));
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(windows.GetGLWindow(windows.GetMainWindow())->window, &x, &y);
    std::string command = "xdotool mousemove " + std::to_string(x + kWidth / 2) + " " + std::to_string(y + kHeight / 2) +
                          " sleep 0.2 type --delay 40 'x=1'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    bool typed = TurnUntil(
        [&] {
            std::string text = test::DocumentText(TheEditor);
            return text.find('x') != std::string::npos && text.find('=') != std::string::npos &&
                   text.find('1') != std::string::npos;
        },
        5000);
    EXPECT_TRUE(typed) << test::SketchDocument(TheEditor);
    RenderEditorFrame();
    EXPECT_GT(CountInk(), 0);

    std::string shot = evidence.File("editor.png");
    std::string take = "import -window root " + shot;
    EXPECT_EQ(std::system(take.c_str()), 0) << take;
    evidence.Keep();
    std::printf("Screenshot of the editor window: %s\n", shot.c_str());
}

}  // namespace
}  // namespace oq
