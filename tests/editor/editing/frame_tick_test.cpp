// The frame tick on a fake clock: caret blink, hover delay, verb requests, popups and the redraw
// sources, plus the counters of what idle, typing and tool-group frames rebuild.
#include "EditorFixture.h"
#include "editor/document/DocumentNode.h"
#include "editor/editing/FrameLayers.h"
#include "editor/platform/FakeWindowSystem.h"
#include "editor/platform/WindowWidget.h"

#include <string>
#include <vector>

namespace oq {
namespace {

using test::EditorFixture;

class FrameTick : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        SetApplicationActive(true);
        editor->settings.layoutDue = false;
        editor->viewChanged = false;
    }
    void TearDown() override
    {
        SetApplicationActive(false);
        EditorFixture::TearDown();
    }

    // The main window at 400 x 300 pixels with nothing due yet.
    void Attach()
    {
        editor->AttachMainWindow(1, 400, 300);
        editor->settings.layoutDue = false;
        editor->viewChanged = false;
        editor->toolBandRoot->Render(Matrix4D());
        editor->statusBandRoot->Render(Matrix4D());
        editor->nextBlinkTime = 100000;
    }

    // One tick at the clock value: "frame" or "-", then the deadline.
    std::string Tick(uint64_t now, bool shift = false)
    {
        uint64_t deadline = 12345;
        bool frame = editor->TickAt(now, shift, &deadline);
        return std::string(frame ? "frame " : "- ") + std::to_string(deadline);
    }
};

TEST_F(FrameTick, CaretBlinksOnlyForACollapsedCaretWithoutObjects)
{
    // A collapsed caret: the first tick is past NextBlinkTime 0, toggles and asks a frame.
    EXPECT_EQ(Tick(1000), "frame 1530");
    EXPECT_FALSE(editor->caretVisible);
    EXPECT_EQ(Tick(1200), "- 1530");
    EXPECT_EQ(Tick(1530), "frame 2060");
    EXPECT_TRUE(editor->caretVisible);

    // A range: no blink deadline, no toggle.
    Run("type xy");
    ASSERT_TRUE(test::SelectTestRange(editor, 1, 0, 1, 1));
    editor->settings.layoutDue = false;
    editor->viewChanged = false;
    EXPECT_EQ(Tick(5000), "- 0");
    EXPECT_TRUE(editor->caretVisible);

    // Selected objects: the same.
    ASSERT_TRUE(test::InsertTestDrawing(editor));
    ASSERT_TRUE(test::SelectTestDrawings(editor));
    editor->settings.layoutDue = false;
    editor->viewChanged = false;
    EXPECT_EQ(Tick(9000), "- 0");
    EXPECT_TRUE(editor->caretVisible);
}

TEST_F(FrameTick, AnInactiveApplicationTogglesThePhaseWithoutAFrame)
{
    SetApplicationActive(false);
    EXPECT_EQ(Tick(1000), "- 1530");
    EXPECT_FALSE(editor->caretVisible);
    EXPECT_EQ(Tick(1530), "- 2060");
    EXPECT_TRUE(editor->caretVisible);
}

TEST_F(FrameTick, AHoverOutlineAsksExactlyOneFrameAtItsDeadline)
{
    Run("drawing");
    editor->settings.layoutDue = false;
    editor->viewChanged = false;
    editor->nextBlinkTime = 100000;
    editor->lastTickTime = 1000;
    KettricStructure *last = editor->document.GetRootStructure()->GetFirstSubnodeStructure();
    while (last->GetNextStructure() != nullptr) last = last->GetNextStructure();
    editor->hoveredObject = DocumentNode::FromStructure(last);
    editor->hoverDeadline = 1100;
    EXPECT_EQ(Tick(1050), "- 1100");
    EXPECT_EQ(Tick(1099), "- 1100");
    EXPECT_EQ(Tick(1130), "frame 100000");
    EXPECT_EQ(Tick(1140), "- 100000");
    EXPECT_EQ(Tick(1200), "- 100000");
    // A deadline later than the blink does not replace it.
    editor->hoverDeadline = 200000;
    EXPECT_EQ(Tick(1300), "- 100000");
    editor->hoveredObject = nullptr;
}

TEST_F(FrameTick, AVerbRequestConsumesTheWholeTick)
{
    editor->verbRequest = 1;
    editor->settings.layoutDue = true;
    EXPECT_EQ(Tick(4000), "- 4000");
    EXPECT_EQ(editor->verbRequest, 0);
    EXPECT_TRUE(editor->caretVisible);
    EXPECT_EQ(editor->lastTickTime, 4000);
    EXPECT_EQ(Tick(4001), "frame 4531");
}

TEST_F(FrameTick, EveryRedrawSourceAsksAFrame)
{
    Attach();
    EXPECT_EQ(Tick(10), "- 100000");
    auto *tool = static_cast<WindowWidget *>(editor->toolBandRoot);
    auto *status = static_cast<WindowWidget *>(editor->statusBandRoot);
    struct Case
    {
        const char *name;
        void (*set)(Editor *, WindowWidget *, WindowWidget *);
    } cases[] = {
        {"layout", [](Editor *e, WindowWidget *, WindowWidget *) { e->settings.layoutDue = true; }},
        {"view", [](Editor *e, WindowWidget *, WindowWidget *) { e->viewChanged = true; }},
        {"tool band", [](Editor *, WindowWidget *t, WindowWidget *) { t->SetRedrawNeeded(); }},
        {"status band", [](Editor *, WindowWidget *, WindowWidget *s) { s->SetRedrawNeeded(); }},
    };
    for (const Case &c : cases)
    {
        c.set(editor, tool, status);
        EXPECT_EQ(Tick(20), "frame 100000") << c.name;
        editor->settings.layoutDue = false;
        editor->viewChanged = false;
        tool->Render(Matrix4D());
        status->Render(Matrix4D());
        EXPECT_EQ(Tick(30), "- 100000") << c.name;
    }
}

TEST_F(FrameTick, DragAutoscrollRunsEvery4MsAndTheHandlerOnAShiftChange)
{
    Attach();
    editor->dragMode = 'eqtn';
    // Outside the window: the view moves and the loop comes back in 4 ms.
    editor->lastDragEvent.position = {500.0f, 150.0f};
    float before = editor->viewCentre.x;
    EXPECT_EQ(Tick(1000), "frame 1004");
    EXPECT_GT(editor->viewCentre.x, before);
    // Inside: no scroll, no frame, whatever Shift says (the stand-in drag handler changes nothing).
    editor->lastDragEvent.position = {200.0f, 150.0f};
    EXPECT_EQ(Tick(1004), "- 100000");
    EXPECT_EQ(Tick(1008, true), "- 100000");
    editor->dragMode = 0;
}

// A dialog whose Update writes a deadline of its own.
class DeadlineDialog : public DialogWindow
{
public:
    DeadlineDialog() : DialogWindow(test::FakeWindowSystem::kMainWindow, "Deadline", 100, 50) {}
    void Update(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval) override
    {
        *nextDeadline = now + 7;
        blink = blinkInterval;
    }
    uint32_t blink = 0;
};

TEST_F(FrameTick, AnActivePopupWritesTheDeadline)
{
    test::FakeDialogServices services;
    SetPopupHost(editor);
    auto *dialog = new DeadlineDialog;
    editor->SetActivePopup(dialog);
    editor->dragMode = 'eqtn';
    EXPECT_EQ(editor->dragMode, 'eqtn');
    editor->SetActivePopup(dialog);
    EXPECT_EQ(editor->dragMode, 0u);
    EXPECT_EQ(Tick(2000), "- 2007");
    EXPECT_EQ(dialog->blink, kCaretBlinkTime);
    // The redraw flags still ask their frame; the caret does not blink under a popup.
    editor->viewChanged = true;
    EXPECT_EQ(Tick(3000), "frame 3007");
    EXPECT_TRUE(editor->caretVisible);
    delete dialog;
    EXPECT_EQ(editor->GetActivePopup(), nullptr);
    SetPopupHost(nullptr);
}

// The layer split: each string a document's top level ('E' the main or an annotation group, 'd' a
// drawing), each answer the list its path items go to.
TEST(FrameLayers, DrawingsBeforeTheFirstGroupAreBackgroundTheRestForeground)
{
    struct Case
    {
        const char *order;
        const char *layers;
    } cases[] = {
        {"E", "E"},          {"dE", "BE"},       {"Ed", "EF"},        {"ddEdd", "BBEFF"},
        {"dEdEd", "BEFEF"},  {"EEd", "EEF"},     {"d", "B"},          {"", ""},
    };
    for (const Case &c : cases)
    {
        std::string layers;
        bool seen = false;
        for (const char *p = c.order; *p; ++p)
        {
            FrameLayer layer = GetFrameLayer(*p == 'E' ? kEquationNodeFamily : kDrawingNodeFamily, seen);
            if (layer == FrameLayer::kEquation) seen = true;
            layers += layer == FrameLayer::kEquation ? 'E' : layer == FrameLayer::kBackground ? 'B' : 'F';
        }
        EXPECT_EQ(layers, c.layers) << c.order;
    }
}

}  // namespace
}  // namespace oq
