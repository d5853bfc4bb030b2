#include <gtest/gtest.h>

#include "WidgetProbe.h"
#include "editor/platform/Heap.h"

#include <map>

namespace oq {
namespace {

using test::MakeEvent;
using test::ProbeRoot;
using test::ProbeWidget;
using test::WidgetLog;

// A dialog-like window. Direct subwidgets of the root, in order:
//   button  (10,10 50x20)   captures, no focus
//   field1  (10,40 100x20)  focusable
//   label   (10,70 100x20)  disabled, passive
//   field2  (10,100 100x20) focusable
//   group   (200,0 100x100) container > [field3 (10,10 50x20), field4 (10,40 50x20)], both focusable
//   field5  (10,130 100x20) focusable
struct Window
{
    Window()
    {
        root.AppendSubnode(button = Make("button", 10, 10, 50, 20, false));
        root.AppendSubnode(field1 = Make("field1", 10, 40, 100, 20, true));
        root.AppendSubnode(label = Make("label", 10, 70, 100, 20, false));
        label->Disable();
        root.AppendSubnode(field2 = Make("field2", 10, 100, 100, 20, true));
        root.AppendSubnode(group = Make("group", 200, 0, 100, 100, false));
        group->AppendSubnode(field3 = Make("field3", 10, 10, 50, 20, true));
        group->AppendSubnode(field4 = Make("field4", 10, 40, 50, 20, true));
        root.AppendSubnode(field5 = Make("field5", 10, 130, 100, 20, true));
        button->SetObserver(&observer);
        field1->SetObserver(&observer);
        root.UpdatePosition();
        log.clear();
        for (ProbeWidget *widget : {button, field1, label, field2, group, field3, field4, field5})
            byName[widget->name] = widget;
    }

    ProbeWidget *Make(const char *name, float x, float y, float w, float h, bool focusable)
    {
        return new ProbeWidget(&log, name, Point2D(x, y), Vector2D(w, h), focusable);
    }

    ProbeWidget *Named(const std::string &name) const { return name.empty() ? nullptr : byName.at(name); }
    std::string NameOf(Widget *widget) const { return widget ? static_cast<ProbeWidget *>(widget)->name : ""; }

    void HandleEvent(EventLink *sender, uint32_t event)
    {
        log.push_back("observer " + NameOf(static_cast<ProbeWidget *>(sender)) + " " + test::FourCC(event));
    }

    WidgetLog log;
    ProbeRoot root{&log};
    EventObserver observer{this, ObserverHandler<&Window::HandleEvent>};
    ProbeWidget *button, *field1, *label, *field2, *group, *field3, *field4, *field5;
    std::map<std::string, ProbeWidget *> byName;
};

TEST(WindowWidget, MouseRouting)
{
    struct Case
    {
        const char *name;
        std::vector<UIEvent> events;
        WidgetLog expected;
        const char *hover;
        const char *capture;
        const char *focus;
    };
    const Case cases[] = {
        {"press, drag outside, release: every event reaches the button, the hover stays empty",
         {MakeEvent('msmv', 20, 15), MakeEvent('lmdn', 20, 15), MakeEvent('msmv', 400, 300), MakeEvent('lmup', 400, 300)},
         {"button hoverBegin", "button msmv 10,5 intr", "button hoverEnd", "button lmdn 10,5 intr captured",
          "button msmv 390,290 intr captured", "button lmup 390,290 intr"},
         "", "", ""},
        {"a release without capture only moves the hover",
         {MakeEvent('lmup', 20, 15), MakeEvent('lmup', 20, 45)},
         {"button hoverBegin", "button hoverEnd", "field1 hoverBegin"},
         "field1", "", ""},
        {"moves between widgets pair the hover calls; over nothing the hover ends",
         {MakeEvent('msmv', 20, 15), MakeEvent('msmv', 21, 15), MakeEvent('msmv', 20, 45), MakeEvent('msmv', 500, 500)},
         {"button hoverBegin", "button msmv 10,5 intr", "button msmv 11,5 intr", "button hoverEnd", "field1 hoverBegin",
          "field1 msmv 10,5 intr", "field1 hoverEnd"},
         "", "", ""},
        {"a disabled label is transparent",
         {MakeEvent('msmv', 20, 75), MakeEvent('lmdn', 20, 75)},
         {}, "", "", ""},
        {"leaving the window ends the hover, also during a capture, and delivers nothing",
         {MakeEvent('msmv', 20, 45), MakeEvent('mlev', 0, 0), MakeEvent('lmdn', 20, 15), MakeEvent('mlev', 0, 0)},
         {"field1 hoverBegin", "field1 msmv 10,5 intr", "field1 hoverEnd", "button lmdn 10,5 intr captured"},
         "", "button", ""},
        {"a press on a focusable field focuses it before delivery",
         {MakeEvent('lmdn', 20, 45), MakeEvent('lmup', 20, 45)},
         {"field1 focusGained", "root focusChanged field1", "field1 lmdn 10,5 intr captured", "field1 lmup 10,5 intr"},
         "", "", "field1"},
        {"clicking a non-focusable widget keeps the focus",
         {MakeEvent('lmdn', 20, 45), MakeEvent('lmup', 20, 45), MakeEvent('lmdn', 20, 15), MakeEvent('lmup', 20, 15)},
         {"field1 focusGained", "root focusChanged field1", "field1 lmdn 10,5 intr captured", "field1 lmup 10,5 intr",
          "button lmdn 10,5 intr captured", "button lmup 10,5 intr"},
         "", "", "field1"},
        {"right press, wheel and middle button reach the widget under the pointer and change nothing",
         {MakeEvent('rmdn', 20, 105), MakeEvent('mwhl', 220, 15), MakeEvent('mmup', 20, 15)},
         {"field2 rmdn 10,5 intr", "field3 mwhl 10,5 intr", "button mmup 10,5 intr"},
         "", "", ""},
        {"a press on a container's field",
         {MakeEvent('lmdn', 220, 55)},
         {"field4 focusGained", "root focusChanged field4", "field4 lmdn 10,15 intr captured"},
         "", "field4", "field4"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Window window;
        for (const UIEvent &event : c.events) window.root.HandleMouseEvent(event);
        EXPECT_EQ(window.log, c.expected);
        EXPECT_EQ(window.NameOf(window.root.GetHoverWidget()), c.hover);
        EXPECT_EQ(window.NameOf(window.root.GetCaptureWidget()), c.capture);
        EXPECT_EQ(window.NameOf(window.root.GetFocusWidget()), c.focus);
    }
}

TEST(WindowWidget, CaptureKeepsItsHitCodeAndFlags)
{
    Window window;
    window.button->capturable = false;
    window.root.HandleMouseEvent(MakeEvent('lmdn', 20, 15));
    EXPECT_EQ(window.root.GetCaptureWidget(), nullptr);
    EXPECT_EQ(window.button->GetWidgetFlags() & kWidgetCaptured, 0u);

    window.root.HandleMouseEvent(MakeEvent('lmdn', 20, 45));
    ASSERT_EQ(window.root.GetCaptureWidget(), window.field1);
    EXPECT_EQ(window.root.GetCaptureHitCode(), uint32_t('intr'));
    EXPECT_EQ(window.field1->GetWidgetFlags(), kWidgetCaptured);

    window.log.clear();
    uint64_t deadline = 0;
    window.root.Update(77, &deadline, 530);
    EXPECT_EQ(window.log, (WidgetLog{"field1 updateFocused 77", "field1 updateCaptured 77"}));

    window.root.HandleMouseEvent(MakeEvent('lmup', 20, 45));
    EXPECT_EQ(window.field1->GetWidgetFlags(), 0u);
    window.log.clear();
    window.root.Update(78, &deadline, 530);
    EXPECT_EQ(window.log, (WidgetLog{"field1 updateFocused 78"}));
}

TEST(WindowWidget, KeyRouting)
{
    struct Case
    {
        const char *name;
        const char *focus;
        uint32_t defaultFlags;
        uint32_t cancelFlags;
        UIEvent event;
        WidgetLog expected;
    };
    const Case cases[] = {
        {"Enter activates the default button, never the focus", "field2", 0, 0, MakeEvent('kydn', 0, 0, 13),
         {"observer button wgac"}},
        {"Enter with a disabled default button is dropped", "field2", kWidgetDisabled, 0, MakeEvent('kydn', 0, 0, 13), {}},
        {"Escape activates the cancel button", "field2", 0, 0, MakeEvent('kydn', 0, 0, 27), {"observer field1 wgac"}},
        {"Escape with a hidden cancel button does nothing", "field2", 0, kWidgetHidden, MakeEvent('kydn', 0, 0, 27), {}},
        {"other keys reach the focus", "field2", 0, 0, MakeEvent('kydn', 0, 0, 65), {"field2 kydn 65"}},
        {"command keys reach the focus", "field2", 0, 0, MakeEvent('cmnd', 0, 0, 'C'), {"field2 cmnd 67"}},
        {"without a focus keys are dropped", "", 0, 0, MakeEvent('kydn', 0, 0, 65), {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Window window;
        window.root.SetDefaultButton(window.button);
        window.root.SetCancelButton(window.field1);
        window.root.SetFocus(window.Named(c.focus));
        window.button->SetWidgetFlags(c.defaultFlags);
        window.field1->SetWidgetFlags(c.cancelFlags);
        window.log.clear();
        window.root.HandleKeyEvent(c.event);
        EXPECT_EQ(window.log, c.expected);
    }

    Window window;
    window.root.HandleCharacter('x', 5);
    window.root.SetFocus(window.field2);
    window.log.clear();
    window.root.HandleCharacter(0x1F600, 9);
    EXPECT_EQ(window.log, (WidgetLog{"field2 char 128512 9"}));
}

TEST(WindowWidget, TabOrder)
{
    struct Case
    {
        const char *name;
        const char *focus;
        bool backwards;
        const char *disable;  // a widget made disabled first
        const char *hide;     // a widget made hidden first
        const char *result;
    };
    const Case cases[] = {
        {"no focus: the first direct field", "", false, "", "", "field1"},
        {"no focus, backwards: the last direct field", "", true, "", "", "field5"},
        {"forwards to the next field", "field1", false, "", "", "field2"},
        {"backwards to the previous field", "field2", true, "", "", "field1"},
        {"wraps from the last to the first", "field5", false, "", "", "field1"},
        {"wraps from the first to the last", "field1", true, "", "", "field5"},
        {"stays inside the container", "field4", false, "", "", "field3"},
        {"skips a disabled field", "field1", false, "field2", "", "field5"},
        {"skips a disabled field backwards", "field5", true, "field2", "", "field1"},
        {"skips a hidden field", "field1", false, "", "field2", "field5"},
        {"skips a field in a hidden container", "field3", false, "", "group", "field3"},
        {"skips a field in a disabled container", "field4", true, "group", "", "field4"},
        {"no focus: skips a disabled first field", "", false, "field1", "", "field2"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Window window;
        window.root.SetFocus(window.Named(c.focus));
        if (*c.disable) window.Named(c.disable)->SetWidgetFlags(kWidgetDisabled);
        if (*c.hide) window.Named(c.hide)->SetWidgetFlags(kWidgetHidden);
        window.log.clear();
        window.root.HandleKeyEvent(MakeEvent('kydn', 0, 0, 9, c.backwards ? kModifierShift : 0));
        EXPECT_EQ(window.NameOf(window.root.GetFocusWidget()), c.result);
        if (std::string(c.focus) == c.result)
        {
            // Staying put calls no focus operation.
            EXPECT_TRUE(window.log.empty());
        }
        else
        {
            WidgetLog expected;
            if (*c.focus) expected.push_back(std::string(c.focus) + " focusLost");
            expected.push_back(std::string(c.result) + " focusGained");
            expected.push_back(std::string("root focusChanged ") + c.result);
            EXPECT_EQ(window.log, expected);
        }
    }

    // A root without a focusable direct subwidget finds none and calls nothing.
    WidgetLog log;
    ProbeRoot empty(&log);
    empty.AppendSubnode(new ProbeWidget(&log, "plain", Point2D(0, 0), Vector2D(5, 5)));
    empty.CycleFocus(false);
    EXPECT_TRUE(log.empty());
}

TEST(WindowWidget, SetHoverPairsTheHoverCalls)
{
    Window window;
    window.root.HandleMouseEvent(MakeEvent('msmv', 20, 15));
    window.root.SetHover(window.button);
    window.root.SetHover(window.field1);
    window.root.SetHover(nullptr);
    window.root.SetHover(window.field2);
    delete window.field2;
    window.root.SetHover(window.field1);
    EXPECT_EQ(window.log, (WidgetLog{"button hoverBegin", "button msmv 10,5 intr", "button hoverEnd", "field1 hoverBegin",
                                     "field1 hoverEnd", "field2 hoverBegin", "field1 hoverBegin"}));
    EXPECT_EQ(window.root.GetHoverWidget(), window.field1);
}

// Handlers that destroy widgets while the routing runs (ASan checks that nothing reads them after).
TEST(WindowWidget, HandlersMayDestroyTheirWidgets)
{
    InstallMemoryManager();
    {
        // A focus move that destroys the pressed widget: nothing is delivered, the capture empties.
        Window window;
        window.root.onFocusChanged = [&](Widget *focus) { delete focus; };
        window.root.HandleMouseEvent(MakeEvent('lmdn', 20, 45));
        EXPECT_EQ(window.root.GetCaptureWidget(), nullptr);
        EXPECT_EQ(window.root.GetFocusWidget(), nullptr);
        EXPECT_EQ(window.log, (WidgetLog{"field1 focusGained", "root focusChanged field1"}));
        window.root.onFocusChanged = nullptr;
        window.root.HandleMouseEvent(MakeEvent('lmup', 20, 45));
    }
    {
        // A button whose release closes the whole window.
        WidgetLog log;
        auto *root = new ProbeRoot(&log);
        auto *button = new ProbeWidget(&log, "button", Point2D(10, 10), Vector2D(50, 20));
        root->AppendSubnode(button);
        root->UpdatePosition();
        log.clear();
        button->onMouse = [&](const UIEvent &event) {
            if (event.type == 'lmup') delete root;
        };
        root->HandleMouseEvent(MakeEvent('lmdn', 20, 15));
        root->HandleMouseEvent(MakeEvent('lmup', 20, 15));
        EXPECT_EQ(log, (WidgetLog{"button lmdn 10,5 intr captured", "button lmup 10,5 intr"}));
    }
    {
        // The default button's observer destroys the window on Enter.
        struct Closer
        {
            void Handle(EventLink *, uint32_t) { delete root; }
            WindowWidget *root;
            EventObserver observer{this, ObserverHandler<&Closer::Handle>};
        } closer;
        closer.root = new WindowWidget(Point2D(0, 0), Vector2D(0, 0));
        auto *ok = new Widget('txbt', Point2D(0, 0), Vector2D(10, 10));
        ok->Enable();
        ok->SetObserver(&closer.observer);
        closer.root->AppendSubnode(ok);
        closer.root->SetDefaultButton(ok);
        closer.root->HandleKeyEvent(MakeEvent('kydn', 0, 0, 13));
        EXPECT_EQ(closer.observer.GetFirstLink(), nullptr);
    }
    SetAllocator(nullptr, nullptr);
}

}  // namespace
}  // namespace oq
