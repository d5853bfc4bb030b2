// Dialog windows against a fake window system: geometry, owner disabling, chains, update and
// present decisions, deferred closes and the dispatcher.
#include "editor/platform/linux/DialogLoop.h"
#include "FakeWindowSystem.h"
#include "SdlEvents.h"
#include "WidgetProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

namespace oq {
namespace {

using test::FakeDialogServices;
using test::FakeWindowSystem;
using test::ProbeWidget;
using test::WidgetLog;

SDL_Event Button(WindowHandle window, uint32_t type, int32_t x, int32_t y)
{
    return test::ButtonEvent(window, type, x, y);
}

using test::MotionEvent;
using test::WindowEvent;

constexpr WindowHandle kMain = FakeWindowSystem::kMainWindow;

bool Logged(const WidgetLog &log, const std::string &line)
{
    return std::find(log.begin(), log.end(), line) != log.end();
}

int32_t Presents(const RecordingDevice &device, GpuHandle target)
{
    int32_t count = 0;
    for (const RecordingDevice::Call &call : device.calls)
    {
        if (call.kind == 'pres' && call.handle == target) ++count;
    }
    return count;
}

// A dialog whose class destructor runs a callback first (as dialogs call their parents back).
class CallbackDialog : public DialogWindow
{
public:
    CallbackDialog(WindowHandle owner, int32_t w = 300, int32_t h = 150) : DialogWindow(owner, "Test", w, h) {}
    ~CallbackDialog() override
    {
        if (onDestroy) onDestroy();
    }
    std::function<void()> onDestroy;
};

TEST(DialogWindow, SizeAndPlacementFollowTheDpi)
{
    struct Case
    {
        float dpi;
        WindowRect owner;
        int32_t pixelWidth, pixelHeight;
        WindowRect client;
        float pointsPerPixel;
    };
    const Case cases[] = {
        {96.0F, {0, 0, 1000, 800}, 400, 200, {300, 300, 700, 500}, 0.75F},
        {120.0F, {0, 0, 1000, 800}, 500, 250, {250, 275, 750, 525}, 0.6F},
        {144.0F, {0, 0, 1000, 800}, 600, 300, {200, 250, 800, 550}, 0.5F},
        // Halving rounds towards minus infinity.
        {96.0F, {-501, -301, 0, 0}, 400, 200, {-451, -251, -51, -51}, 0.75F},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.dpi);
        FakeDialogServices services;
        ASSERT_TRUE(services.started);
        services.windows.dpi = c.dpi;
        services.windows.rects[kMain] = c.owner;
        auto *dialog = new DialogWindow(kMain, "Title", 300, 150);
        EXPECT_TRUE(dialog->IsOpen());
        EXPECT_EQ(dialog->pixelWidth, c.pixelWidth);
        EXPECT_EQ(dialog->pixelHeight, c.pixelHeight);
        const WindowRect &client = services.windows.rects[dialog->GetWindow()];
        EXPECT_EQ(client.left, c.client.left);
        EXPECT_EQ(client.top, c.client.top);
        EXPECT_EQ(client.right, c.client.right);
        EXPECT_EQ(client.bottom, c.client.bottom);
        EXPECT_FLOAT_EQ(dialog->GetPointsPerPixel(), c.pointsPerPixel);
        // The projection puts (0, 0) at the top left and the far corner at the bottom right.
        Vector4D corner = dialog->projection * Point3D(float(c.pixelWidth) * c.pointsPerPixel, float(c.pixelHeight) * c.pointsPerPixel, 0.0F);
        EXPECT_NEAR(corner.x, 1.0F, 1e-5F);
        EXPECT_NEAR(corner.y, -1.0F, 1e-5F);
        Vector4D origin = dialog->projection * Point3D(0.0F, 0.0F, 0.0F);
        EXPECT_FLOAT_EQ(origin.x, -1.0F);
        EXPECT_FLOAT_EQ(origin.y, 1.0F);
        EXPECT_FLOAT_EQ(origin.z, 0.5F);
        delete dialog;
    }
}

TEST(DialogWindow, TitlesAreCutAt255Units)
{
    struct Case
    {
        const char *name;
        std::string title;
        std::string expected;
    };
    const std::string emoji = "\xF0\x9F\x98\x80";
    const Case cases[] = {
        {"short", "Fonts", "Fonts"},
        {"300 units", std::string(300, 'a'), std::string(255, 'a')},
        {"pair on units 255 and 256", std::string(254, 'a') + emoji + "b", std::string(254, 'a')},
        {"pair on units 254 and 255", std::string(253, 'a') + emoji + "b", std::string(253, 'a') + emoji},
        {"three-byte characters count one unit", std::string(3 * 256, '\0'), ""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        char buffer[kDialogTitleBytes];
        CutDialogTitle(c.title.c_str(), buffer);
        EXPECT_EQ(std::string(buffer), c.expected);
    }
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "\xE2\x82\xAC";  // U+20AC
    char buffer[kDialogTitleBytes];
    CutDialogTitle(wide.c_str(), buffer);
    EXPECT_EQ(std::string(buffer), wide.substr(0, 255 * 3));
}

TEST(DialogWindow, ChainDisablesOwnersAndOnlyTheInnermostUpdates)
{
    FakeDialogServices services;
    ASSERT_TRUE(services.started);
    FakeWindowSystem &windows = services.windows;
    RecordingDevice &device = services.recording.device;
    WidgetLog log;

    auto *parent = new DialogWindow(kMain, "Parent", 300, 150);
    auto *parentField = new ProbeWidget(&log, "parentField", {10, 10}, {50, 20}, true);
    parent->AppendSubnode(parentField);
    parent->SetFocus(parentField);
    services.popups.SetActivePopup(parent);
    EXPECT_FALSE(windows.IsWindowEnabled(kMain));

    auto *child = new DialogWindow(parent->GetWindow(), "Child", 200, 100);
    auto *childField = new ProbeWidget(&log, "childField", {10, 10}, {50, 20}, true);
    child->AppendSubnode(childField);
    child->SetFocus(childField);
    parent->SetChildDialog(child);
    EXPECT_FALSE(windows.IsWindowEnabled(parent->GetWindow()));
    EXPECT_TRUE(windows.IsWindowEnabled(child->GetWindow()));
    EXPECT_EQ(windows.FindInnermostDialog(kMain), child);

    // Only the child's focus widget updates.
    log.clear();
    uint64_t deadline = 0;
    static_cast<void>(services.popups.TickFrame(0, &deadline));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("childField updateFocused", 0), 0u);

    // Both draw their first frame, then nothing until a flag is set; each presents its own target.
    RenderDialogChain(parent);
    EXPECT_EQ(Presents(device, parent->target.surface), 1);
    EXPECT_EQ(Presents(device, child->target.surface), 1);
    RenderDialogChain(parent);
    EXPECT_EQ(Presents(device, parent->target.surface), 1);
    EXPECT_EQ(Presents(device, child->target.surface), 1);
    childField->RequestRedraw();
    RenderDialogChain(parent);
    EXPECT_EQ(Presents(device, parent->target.surface), 1);
    EXPECT_EQ(Presents(device, child->target.surface), 2);

    // An exposed parent draws again.
    DispatchWindowEvent(WindowEvent(parent->GetWindow(), SDL_WINDOWEVENT_EXPOSED), {});
    RenderDialogChain(parent);
    EXPECT_EQ(Presents(device, parent->target.surface), 2);

    // Input for the disabled parent is dropped and raises the child.
    log.clear();
    windows.log.clear();
    DispatchWindowEvent(Button(parent->GetWindow(), SDL_MOUSEBUTTONDOWN, 20, 20), {SDL_BUTTON_LMASK, 0});
    DispatchWindowEvent(WindowEvent(parent->GetWindow(), SDL_WINDOWEVENT_CLOSE), {});
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(windows.log, (std::vector<std::string>{"raise " + std::to_string(child->GetWindow()),
                                                      "raise " + std::to_string(child->GetWindow())}));
    // A handle whose window is gone is ignored.
    DispatchWindowEvent(Button(99, SDL_MOUSEBUTTONDOWN, 20, 20), {});

    // Closing the child leaves the parent as the popup, enabled; closing the parent enables the main window.
    DispatchWindowEvent(WindowEvent(child->GetWindow(), SDL_WINDOWEVENT_CLOSE), {});
    EXPECT_EQ(parent->GetChildDialog(), nullptr);
    EXPECT_TRUE(windows.IsWindowEnabled(parent->GetWindow()));
    EXPECT_EQ(services.popups.GetActivePopup(), parent);
    log.clear();
    static_cast<void>(services.popups.TickFrame(0, &deadline));
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("parentField updateFocused", 0), 0u);

    GpuHandle parentTarget = parent->target.surface;
    delete parent;
    EXPECT_TRUE(windows.IsWindowEnabled(kMain));
    EXPECT_EQ(services.popups.GetActivePopup(), nullptr);
    EXPECT_EQ(device.targets.count(parentTarget), 0u);
    EXPECT_FALSE(windows.IsRegistered(parentTarget));
}

TEST(DialogWindow, PointerPositionsAreScaledToPoints)
{
    FakeDialogServices services;
    WidgetLog log;
    auto *dialog = new DialogWindow(kMain, "Scaled", 300, 150);
    auto *probe = new ProbeWidget(&log, "probe", {100, 50}, {100, 50});
    dialog->AppendSubnode(probe);
    dialog->UpdatePosition();
    DispatchWindowEvent(Button(dialog->GetWindow(), SDL_MOUSEBUTTONDOWN, 200, 100), {SDL_BUTTON_LMASK, 0});
    EXPECT_TRUE(Logged(log, "probe lmdn 50,25 intr captured")) << (log.empty() ? "" : log.back());
    delete dialog;
}

TEST(DialogWindow, ParentDestroyedWithAChildClosesTheChildAtTheNextTurn)
{
    struct Case
    {
        const char *name;
        bool childClosesParent;  // the child is deleting itself when the parent goes
    };
    for (Case c : {Case{"parent deleted alone", false}, Case{"child deletes its parent on its way out", true}})
    {
        SCOPED_TRACE(c.name);
        FakeDialogServices services;
        auto *parent = new DialogWindow(kMain, "Parent", 300, 150);
        services.popups.SetActivePopup(parent);
        auto *child = new CallbackDialog(parent->GetWindow());
        parent->SetChildDialog(child);
        Link<DialogWindow> childAlive;
        childAlive.SetTarget(child);
        WindowHandle childWindow = child->GetWindow();

        if (c.childClosesParent)
        {
            child->onDestroy = [parent] { delete parent; };
            delete child;
            EXPECT_EQ(childAlive.GetTarget(), nullptr);
        }
        else
        {
            delete parent;
            EXPECT_EQ(childAlive.GetTarget(), child);
        }
        EXPECT_TRUE(services.windows.IsWindowEnabled(kMain));
        EXPECT_EQ(services.popups.GetActivePopup(), nullptr);
        CloseDeferredDialogs();
        EXPECT_EQ(childAlive.GetTarget(), nullptr);
        EXPECT_FALSE(services.windows.IsRegistered(childWindow));
        EXPECT_FALSE(HasDeferredDialogs());
    }
}

TEST(DialogWindow, RefusedWindowOrTargetLeavesTheOwnerEnabled)
{
    for (bool refuseTarget : {false, true})
    {
        SCOPED_TRACE(refuseTarget ? "target refused" : "window refused");
        FakeDialogServices services;
        services.windows.refuseWindows = !refuseTarget;
        services.recording.device.failTargets = refuseTarget;
        WidgetLog log;
        auto *dialog = new DialogWindow(kMain, "Refused", 300, 150);
        dialog->AppendSubnode(new ProbeWidget(&log, "field", {10, 10}, {50, 20}, true));
        services.popups.SetActivePopup(dialog);
        EXPECT_FALSE(dialog->IsOpen());
        EXPECT_TRUE(services.windows.IsWindowEnabled(kMain));
        EXPECT_TRUE(Logged(services.windows.log, "message"));

        int32_t presentsBefore = services.recording.device.CountCalls('pres');
        RenderDialogChain(dialog);
        EXPECT_EQ(services.recording.device.CountCalls('pres'), presentsBefore);
        EXPECT_EQ(services.recording.device.CountCalls('begn'), 0);

        uint64_t deadline = 0;
        CloseDeferredDialogs();
        EXPECT_EQ(services.popups.GetActivePopup(), nullptr);
        static_cast<void>(services.popups.TickFrame(0, &deadline));
        EXPECT_TRUE(services.windows.IsWindowEnabled(kMain));
        // The refused target's window is gone too.
        EXPECT_EQ(services.windows.rects.size(), 1u);
    }
}

TEST(DialogWindow, ChildDialogEndsHoverAndCaptureOfADrag)
{
    FakeDialogServices services;
    WidgetLog log;
    auto *parent = new DialogWindow(kMain, "Parent", 300, 150);
    auto *slider = new ProbeWidget(&log, "slider", {0, 0}, {100, 100});
    parent->AppendSubnode(slider);
    parent->UpdatePosition();
    WindowHandle window = parent->GetWindow();

    // A child opened while a widget is hovered ends the hover.
    DispatchWindowEvent(MotionEvent(window, 40, 40), {});
    EXPECT_EQ(parent->GetHoverWidget(), slider);
    auto *first = new DialogWindow(window, "First", 100, 50);
    parent->SetChildDialog(first);
    EXPECT_TRUE(Logged(log, "slider hoverEnd"));
    EXPECT_EQ(parent->GetHoverWidget(), nullptr);
    delete first;

    // Press and drag: the widget sees its moves while captured.
    DispatchWindowEvent(Button(window, SDL_MOUSEBUTTONDOWN, 40, 40), {SDL_BUTTON_LMASK, 0});
    DispatchWindowEvent(MotionEvent(window, 60, 60), {SDL_BUTTON_LMASK, 0});
    EXPECT_TRUE(Logged(log, "slider msmv 45,45 intr captured"));
    slider->SetWidgetFlags(slider->GetWidgetFlags() | kWidgetPressed);

    // A child opens in the middle of the drag.
    log.clear();
    auto *child = new DialogWindow(window, "Child", 100, 50);
    parent->SetChildDialog(child);
    EXPECT_EQ(slider->GetWidgetFlags() & kWidgetCaptured, 0u);
    EXPECT_NE(slider->GetWidgetFlags() & kWidgetPressed, 0u);
    EXPECT_EQ(parent->GetCaptureWidget(), nullptr);
    EXPECT_EQ(parent->GetHoverWidget(), nullptr);

    // Once it closes, a plain hover drags nothing.
    delete child;
    log.clear();
    DispatchWindowEvent(MotionEvent(window, 70, 70), {});
    EXPECT_TRUE(Logged(log, "slider msmv 52.5,52.5 intr"));
    delete parent;
}

TEST(DialogWindow, TextEventsGiveEveryCodePointWithOneClock)
{
    for (bool closeOnFirst : {false, true})
    {
        SCOPED_TRACE(closeOnFirst ? "the first character closes the dialog" : "all characters");
        FakeDialogServices services;
        WidgetLog log;
        auto *dialog = new DialogWindow(kMain, "Text", 300, 150);
        auto *field = new ProbeWidget(&log, "field", {10, 10}, {50, 20}, true);
        dialog->AppendSubnode(field);
        dialog->SetFocus(field);
        Link<DialogWindow> alive;
        alive.SetTarget(dialog);
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = dialog->GetWindow();
        std::strcpy(event.text.text, "a\xC3\xA9\xF0\x9F\x98\x80");
        log.clear();
        if (closeOnFirst)
        {
            // A handler that deletes the dialog from its first character.
            struct Closer : ProbeWidget
            {
                using ProbeWidget::ProbeWidget;
                void HandleCharacter(uint32_t codePoint, uint64_t time) override
                {
                    ProbeWidget::HandleCharacter(codePoint, time);
                    delete static_cast<DialogWindow *>(GetSuperWidget());
                }
            };
            auto *closer = new Closer(&log, "closer", {70, 10}, {50, 20}, true);
            dialog->AppendSubnode(closer);
            dialog->SetFocus(closer);
            log.clear();
        }
        DispatchWindowEvent(event, {});
        ASSERT_EQ(log.size(), closeOnFirst ? 1u : 3u);
        std::string time = log[0].substr(log[0].rfind(' '));
        EXPECT_EQ(log[0], std::string(closeOnFirst ? "closer" : "field") + " char 97" + time);
        if (!closeOnFirst)
        {
            EXPECT_EQ(log[1], "field char 233" + time);
            EXPECT_EQ(log[2], "field char 128512" + time);
            delete dialog;
        }
        else
        {
            EXPECT_EQ(alive.GetTarget(), nullptr);
        }
    }
}

TEST(DialogWindow, FocusOfAnyWindowMakesTheApplicationActive)
{
    FakeDialogServices services;
    auto *dialog = new DialogWindow(kMain, "Focus", 100, 50);
    EXPECT_FALSE(services.windows.AnyWindowFocused());
    DispatchWindowEvent(WindowEvent(dialog->GetWindow(), SDL_WINDOWEVENT_FOCUS_GAINED), {});
    EXPECT_TRUE(services.windows.AnyWindowFocused());
    DispatchWindowEvent(WindowEvent(dialog->GetWindow(), SDL_WINDOWEVENT_FOCUS_LOST), {});
    DispatchWindowEvent(WindowEvent(kMain, SDL_WINDOWEVENT_FOCUS_GAINED), {});
    EXPECT_TRUE(services.windows.AnyWindowFocused());
    DispatchWindowEvent(WindowEvent(kMain, SDL_WINDOWEVENT_FOCUS_LOST), {});
    EXPECT_FALSE(services.windows.AnyWindowFocused());
    delete dialog;
}

}  // namespace
}  // namespace oq
