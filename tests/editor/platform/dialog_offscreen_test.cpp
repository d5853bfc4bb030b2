// Dialogs in real SDL windows under the offscreen video driver: pushed events, frames read back,
// chains, exposure, closing, and GPU objects really released after a dialog's window is gone.
#include "editor/platform/DrawableWidget.h"
#include "editor/platform/ListBox.h"
#include "FontProbe.h"
#include "SdlDialogFixture.h"

#include <functional>
#include <thread>

namespace oq {
namespace {

using test::ButtonEvent;
using test::MotionEvent;
using test::SdlDialogTest;
using test::WindowEvent;

const uint8_t kRed[4] = {255, 0, 0, 255};
const uint8_t kBlue[4] = {0, 0, 255, 255};

// A solid rectangle that takes presses and hovers and reports them.
class ClickQuad : public QuadWidget
{
public:
    ClickQuad(const Point2D &position, const Vector2D &size, const uint8_t *color) : QuadWidget(position, size, color)
    {
        widgetFlags = 0;
    }
    void HoverBegin() override { ++hovers; }
    void HandleMouseEvent(const UIEvent &event) override
    {
        events.push_back(event);
        if (event.type == 'lmup' && onRelease) onRelease();
    }
    int32_t hovers = 0;
    std::vector<UIEvent> events;
    std::function<void()> onRelease;
};

class DialogOffscreen : public SdlDialogTest
{
protected:
    void SetUp() override { StartDriver("offscreen"); }
};

TEST_F(DialogOffscreen, OpensDrawsTakesEventsAndClosesOverTheMainWindow)
{
    WindowHandle main = windows.GetMainWindow();
    auto *dialog = new DialogWindow(main, "Offscreen", 300, 150);
    ASSERT_TRUE(dialog->IsOpen());
    auto *quad = new ClickQuad({30, 30}, {60, 30}, kRed);
    dialog->AppendSubnode(quad);
    popups.SetActivePopup(dialog);
    WindowHandle window = dialog->GetWindow();
    EXPECT_FALSE(windows.IsWindowEnabled(main));

    Turn();
    ASSERT_EQ(capture.frames[window].count, 1);
    EXPECT_EQ(capture.frames[window].width, 400);
    EXPECT_EQ(capture.frames[window].height, 200);
    const uint8_t *inside = capture.Pixel(window, 80, 60);
    EXPECT_EQ(inside[0], 255);
    EXPECT_EQ(inside[1], 0);
    const uint8_t *outside = capture.Pixel(window, 10, 10);
    EXPECT_EQ(outside[0], 250);
    EXPECT_EQ(outside[2], 250);

    // Pushed events arrive in points.
    Push(ButtonEvent(window, SDL_MOUSEBUTTONDOWN, 80, 60));
    Push(ButtonEvent(window, SDL_MOUSEBUTTONUP, 80, 60));
    Turn();
    ASSERT_EQ(quad->events.size(), 2u);
    EXPECT_EQ(quad->events[0].type, uint32_t('lmdn'));
    EXPECT_FLOAT_EQ(quad->events[0].position.x, 30.0F);
    EXPECT_FLOAT_EQ(quad->events[0].position.y, 15.0F);

    // Idle: nothing drawn; closing deletes it and enables the main window.
    EXPECT_EQ(capture.frames[window].count, 1);
    Push(WindowEvent(window, SDL_WINDOWEVENT_CLOSE));
    Turn();
    EXPECT_EQ(popups.GetActivePopup(), nullptr);
    EXPECT_TRUE(windows.IsWindowEnabled(main));
    EXPECT_EQ(windows.GetGLWindow(window), nullptr);
}

// Workers wake the loop from their own threads: each PushWakeEvent queues one event of the one wake
// type, which the next turn drains without effect.
TEST_F(DialogOffscreen, WakeEventsFromAnotherThreadAreQueuedAndDrained)
{
    Turn();
    std::thread worker([] {
        PushWakeEvent();
        PushWakeEvent();
    });
    worker.join();
    SDL_Event queued[4];
    ASSERT_EQ(SDL_PeepEvents(queued, 4, SDL_PEEKEVENT, SDL_USEREVENT, SDL_LASTEVENT), 2);
    EXPECT_EQ(queued[0].type, queued[1].type);
    Turn(1);
    EXPECT_EQ(SDL_PeepEvents(queued, 4, SDL_PEEKEVENT, SDL_USEREVENT, SDL_LASTEVENT), 0);
}

TEST_F(DialogOffscreen, ChainedDialogsDrawIntoTheirOwnWindowsAndExposureRedraws)
{
    WindowHandle main = windows.GetMainWindow();
    auto *parent = new DialogWindow(main, "Parent", 300, 150);
    parent->AppendSubnode(new ClickQuad({0, 0}, {150, 150}, kRed));
    popups.SetActivePopup(parent);
    auto *child = new DialogWindow(parent->GetWindow(), "Child", 150, 75);
    child->AppendSubnode(new ClickQuad({0, 0}, {75, 75}, kBlue));
    parent->SetChildDialog(child);

    Turn();
    EXPECT_EQ(capture.frames[parent->GetWindow()].count, 1);
    EXPECT_EQ(capture.frames[child->GetWindow()].count, 1);
    EXPECT_EQ(capture.Pixel(parent->GetWindow(), 50, 50)[0], 255);
    EXPECT_EQ(capture.Pixel(child->GetWindow(), 50, 50)[2], 255);
    EXPECT_EQ(capture.Pixel(child->GetWindow(), 50, 50)[0], 0);
    EXPECT_EQ(capture.Pixel(child->GetWindow(), 150, 50)[0], 250);

    Push(WindowEvent(parent->GetWindow(), SDL_WINDOWEVENT_EXPOSED));
    Turn();
    EXPECT_EQ(capture.frames[parent->GetWindow()].count, 2);
    EXPECT_EQ(capture.frames[child->GetWindow()].count, 1);
    EXPECT_EQ(capture.Pixel(parent->GetWindow(), 50, 50)[0], 255);

    // Closing the child leaves the parent the popup, enabled.
    delete child;
    EXPECT_EQ(popups.GetActivePopup(), parent);
    EXPECT_TRUE(windows.IsWindowEnabled(parent->GetWindow()));
    EXPECT_FALSE(windows.IsWindowEnabled(main));
}

TEST_F(DialogOffscreen, DialogClosedByAClickLeavesTheNextDialogsHoverWorking)
{
    WindowHandle main = windows.GetMainWindow();
    auto *parent = new DialogWindow(main, "Parent", 300, 150);
    auto *target = new ClickQuad({0, 0}, {150, 150}, kRed);
    parent->AppendSubnode(target);
    popups.SetActivePopup(parent);
    Push(MotionEvent(parent->GetWindow(), 20, 20));
    Turn();
    EXPECT_EQ(target->hovers, 1);

    auto *child = new DialogWindow(parent->GetWindow(), "Child", 150, 75);
    auto *close = new ClickQuad({0, 0}, {75, 75}, kBlue);
    child->AppendSubnode(close);
    close->onRelease = [child] { delete child; };
    parent->SetChildDialog(child);
    Push(ButtonEvent(child->GetWindow(), SDL_MOUSEBUTTONDOWN, 20, 20));
    Push(ButtonEvent(child->GetWindow(), SDL_MOUSEBUTTONUP, 20, 20));
    Turn();
    EXPECT_EQ(parent->GetChildDialog(), nullptr);

    Push(MotionEvent(parent->GetWindow(), 30, 30));
    Turn();
    EXPECT_EQ(target->hovers, 2);
    EXPECT_EQ(parent->GetHoverWidget(), target);
}

TEST_F(DialogOffscreen, DestroyedDialogReallyDeletesItsBuffersAndTextures)
{
    auto *dialog = new DialogWindow(windows.GetMainWindow(), "Objects", 300, 150);
    auto *quad = new ClickQuad({0, 0}, {50, 50}, kRed);
    dialog->AppendSubnode(quad);
    auto *fill = new FillWidget({60, 0}, {50, 50}, kBlue);
    dialog->AppendSubnode(fill);
    popups.SetActivePopup(dialog);
    Turn();

    GLuint buffers[] = {GLuint(quad->object.vertexBuffer), GLuint(quad->object.indexBuffer),
                        GLuint(fill->object.vertexBuffer)};
    GLuint textures[] = {GLuint(fill->pair.curveTexture), GLuint(fill->pair.bandTexture)};
    for (GLuint name : buffers) ASSERT_TRUE(glIsBuffer(name)) << name;
    for (GLuint name : textures) ASSERT_TRUE(glIsTexture(name)) << name;

    delete dialog;
    EXPECT_EQ(SDL_GL_GetCurrentWindow(), windows.GetGLWindow(windows.GetMainWindow())->window);
    for (GLuint name : buffers) EXPECT_FALSE(glIsBuffer(name)) << name;
    for (GLuint name : textures) EXPECT_FALSE(glIsTexture(name)) << name;
}

TEST_F(DialogOffscreen, ListBoxShowsItsFieldHighlightTrackAndThumb)
{
    test::TempDirectory fonts;
    Font *font = test::LoadTestFont(test::SdlDialogProcess::Get().renderer, fonts, "rows.vorl",
                                    test::MakeSquareFontFile(0.7F));
    ASSERT_NE(font, nullptr);
    auto *dialog = new DialogWindow(windows.GetMainWindow(), "List", 300, 150);
    auto *list = new ListBox({20, 10}, 200, 15, 8, font, 10, dialog->GetPointsPerPixel());
    dialog->AppendSubnode(list);
    for (int32_t i = 0; i < 20; ++i) list->AddRow("A", false);
    list->SetSelection(2);
    popups.SetActivePopup(dialog);
    Turn();
    WindowHandle window = dialog->GetWindow();
    ASSERT_EQ(capture.frames[window].count, 1);

    struct Probe
    {
        const char *name;
        float x, y;  // points
        int grey;    // sRGB
    };
    const Probe probes[] = {
        {"selected row", 150, 47, 192},
        {"field", 150, 92, 255},
        {"thumb", 213, 35, 188},
        {"track", 213, 100, 248},
        {"dialog", 250, 140, 250},
    };
    for (const Probe &probe : probes)
    {
        SCOPED_TRACE(probe.name);
        const uint8_t *pixel = capture.Pixel(window, int32_t(probe.x / 0.75F), int32_t(probe.y / 0.75F));
        for (int channel = 0; channel < 3; ++channel) EXPECT_NEAR(pixel[channel], probe.grey, 2) << channel;
    }
    delete dialog;
    font->Release();
}

}  // namespace
}  // namespace oq
