// The main window's mouse dispatcher: event sequences against the drag mode, the capture and the
// held buttons; the status band's mode cycle and dialogs; right presses on empty space; the hover
// cases; and a middle drag from SDL events through the translation.
#include "PointerFixture.h"
#include "RecordingDialogFactory.h"

#include "editor/document/NodeLink.h"
#include "editor/platform/DialogWindow.h"
#include "editor/platform/linux/EventTranslation.h"
#include "support/DocumentTestKinds.h"

#include <string>
#include <vector>

namespace oq::test {
namespace {

const char *const kThreeRows = "Gr { Bg {} Sb {s{\"AB\"}} Bg {} Sb {s{\"ABAB\"}} Bg {} Sb {s{\"A\"}} }";

class PointerDispatch : public PointerFixture
{
protected:
    // Pixels of the places the table names: 't' on the text, 'v' the view's middle, 'e' empty
    // view, 'T' the tool band, 'S' the status band right of its fields, 'o' left of the window,
    // '+' the view's middle moved by (10, 20).
    Point2D Where(char place)
    {
        switch (place)
        {
        case 't': return PixelOf(Point2D(main->absolutePosition.x + 1.0f, main->absolutePosition.y));
        case 'v': return {200.0f, 150.0f};
        case 'e': return {395.0f, 265.0f};
        case 'T': return {100.0f, 20.0f};
        case 'S': return {350.0f, 290.0f};
        case 'o': return {-40.0f, 150.0f};
        case '+': return {210.0f, 170.0f};
        default: return {0.0f, 0.0f};
        }
    }
};

TEST_F(PointerDispatch, EventSequences)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    struct Step
    {
        uint32_t type;
        char place;
        uint32_t modifiers;
    };
    struct Case
    {
        const char *name;
        std::vector<Step> steps;
        uint32_t dragMode;
        bool captured;
        int32_t held;  // 1 left, 2 right, 4 middle
        bool panned;
    } cases[] = {
        {"left press on the text", {{'lmdn', 't', 1}}, 'eqtn', true, 1, false},
        {"left press and release", {{'lmdn', 't', 1}, {'lmup', 't', 0}}, 0, false, 0, false},
        {"a drag leaving the window ends outside", {{'lmdn', 't', 1}, {'msmv', 'o', 0}, {'lmup', 'o', 0}}, 0, false, 0, false},
        {"left press in the tool band", {{'lmdn', 'T', 1}}, 'tool', true, 1, false},
        {"left press in the status band", {{'lmdn', 'S', 1}}, 'stat', true, 1, false},
        {"Ctrl left drag pans", {{'lmdn', 'v', 1 | 8}, {'msmv', '+', 0}}, 'scrl', true, 1, true},
        {"Ctrl left press alone", {{'lmdn', 'v', 1 | 8}}, 'scrl', true, 1, false},
        {"middle drag pans", {{'mmdn', 'v', 16}, {'msmv', '+', 0}}, 'scrl', true, 4, true},
        {"middle release ends the pan", {{'mmdn', 'v', 16}, {'msmv', '+', 0}, {'mmup', '+', 0}}, 0, false, 0, true},
        {"middle press in the tool band does not pan", {{'mmdn', 'T', 16}, {'msmv', '+', 0}}, 0, true, 4, false},
        {"right then left: the capture stays", {{'rmdn', 'e', 2}, {'lmdn', 't', 3}, {'lmup', 't', 2}}, 0, true, 2, false},
        {"right then left, both up", {{'rmdn', 'e', 2}, {'lmdn', 't', 3}, {'lmup', 't', 2}, {'rmup', 't', 0}}, 0, false, 0, false},
        {"right press ignored while dragging", {{'lmdn', 't', 1}, {'rmdn', 'e', 3}}, 'eqtn', true, 1, false},
        {"middle press ignored while dragging", {{'lmdn', 't', 1}, {'mmdn', 'v', 17}}, 'eqtn', true, 1, false},
        {"releases of buttons never pressed", {{'lmup', 'v', 0}, {'rmup', 'v', 0}, {'mmup', 'v', 0}}, 0, false, 0, false},
        {"a second press while held takes no second capture", {{'lmdn', 't', 1}, {'lmdn', 't', 1}}, 'eqtn', true, 1, false},
    };
    for (const Case &c : cases)
    {
        editor->CancelDrag();
        windows.captureCalls = 0;
        Point2D centre = editor->viewCentre;
        for (const Step &step : c.steps) static_cast<void>(Send(step.type, Where(step.place), step.modifiers));
        EXPECT_EQ(editor->dragMode, c.dragMode) << c.name;
        EXPECT_EQ(editor->mouseCaptured, c.captured) << c.name;
        EXPECT_EQ(windows.captured, c.captured) << c.name;
        EXPECT_EQ(editor->heldButtons, c.held) << c.name;
        bool panned = editor->viewCentre.x != centre.x || editor->viewCentre.y != centre.y;
        EXPECT_EQ(panned, c.panned) << c.name;
        EXPECT_LE(windows.captureCalls, 2) << c.name;
    }
    editor->CancelDrag();

    // A pan moves the view with the pointer: the document point under it stays under it.
    Point2D before = editor->GetDocumentPoint(Where('v'));
    Send('mmdn', Where('v'), 16);
    Send('msmv', Where('+'));
    Point2D after = editor->GetDocumentPoint(Where('+'));
    EXPECT_NEAR(after.x, before.x, 1e-3f);
    EXPECT_NEAR(after.y, before.y, 1e-3f);
    Send('mmup', Where('+'));

    // A double click reaches the caret placement with its flag.
    Send('lmdn', Where('t'), 1, 1);
    EXPECT_TRUE(editor->pressDoubleClick);
    Send('lmup', Where('t'));
    Send('lmdn', Where('t'), 1, 0);
    EXPECT_FALSE(editor->pressDoubleClick);
    Send('lmup', Where('t'));
}

TEST_F(PointerDispatch, StatusBandCyclesTheModeAndOpensItsDialogs)
{
    FakeDialogServices services;
    SetWindowSystem(&windows);
    RecordingDialogFactory recording;
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    float y = 290.0f;
    float perPoint = 1.0f / editor->uiScale;
    const uint32_t cycle[] = {kEditModeChem, kEditModeText, kEditModeMath};
    for (uint32_t mode : cycle)
    {
        EXPECT_TRUE(Send('lmdn', {49.0f * perPoint, y}, 1));
        EXPECT_EQ(editor->GetEditMode(), mode);
        EXPECT_EQ(editor->dragMode, uint32_t('stat'));
        Send('lmup', {49.0f * perPoint, y});
    }
    struct Case
    {
        float ux;
        const char *entry;  // "" none
    } cases[] = {{50.0f, "fontSize"}, {119.0f, "fontSize"}, {120.0f, "zoom"}, {199.0f, "zoom"}, {200.0f, ""}};
    for (const Case &c : cases)
    {
        size_t calls = recording.calls.size();
        Send('lmdn', {c.ux * perPoint, y}, 1);
        if (c.entry[0] == 0)
        {
            EXPECT_EQ(recording.calls.size(), calls) << c.ux;
            EXPECT_EQ(editor->GetActivePopup(), nullptr) << c.ux;
            EXPECT_TRUE(windows.captured) << c.ux;
            Send('lmup', {c.ux * perPoint, y});
            continue;
        }
        ASSERT_EQ(recording.calls.size(), calls + 1) << c.ux;
        EXPECT_EQ(recording.calls.back().entry, c.entry) << c.ux;
        EXPECT_EQ(recording.calls.back().owner, FakeWindowSystem::kMainWindow) << c.ux;
        EXPECT_EQ(editor->GetActivePopup(), recording.calls.back().dialog) << c.ux;
        // The popup takes the following events: no capture is left held, no button, no drag.
        EXPECT_FALSE(windows.captured) << c.ux;
        EXPECT_EQ(editor->heldButtons, 0) << c.ux;
        EXPECT_EQ(editor->dragMode, 0u) << c.ux;
        editor->SetActivePopup(nullptr);
        delete recording.calls.back().dialog;
    }
    // An empty entry opens nothing.
    recording.makeDialogs = false;
    Send('lmdn', {60.0f * perPoint, y}, 1);
    EXPECT_EQ(editor->GetActivePopup(), nullptr);
    Send('lmup', {60.0f * perPoint, y});
    EXPECT_FALSE(windows.captured);
}

TEST_F(PointerDispatch, RightPressOnNothingClearsTheObjectsUnlessShiftOrCtrl)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    ASSERT_TRUE(InsertTestDrawing(editor));
    ASSERT_TRUE(LayoutTestDocument(editor));
    struct Case
    {
        uint32_t modifiers;
        bool cleared;
    } cases[] = {{2 | kModifierShift, false}, {2 | kModifierControl, false}, {2, true}};
    for (const Case &c : cases)
    {
        ASSERT_TRUE(SelectTestDrawings(editor));
        ASSERT_GT(editor->document.objectSelection.GetElementCount(), 0);
        Point2D empty(395.0f, 265.0f);
        ASSERT_EQ(editor->FindObjectAtPoint(editor->GetDocumentPoint(empty)), nullptr);
        bool redraw = Send('rmdn', empty, c.modifiers);
        EXPECT_EQ(editor->document.objectSelection.GetElementCount() == 0, c.cleared) << c.modifiers;
        EXPECT_EQ(redraw, c.cleared) << c.modifiers;
        Send('rmup', empty);
        EXPECT_FALSE(windows.captured);
    }
}

TEST_F(PointerDispatch, HoverHighlightsEndHandlesAnchorsAndObjects)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    // A drawing from the group's first to its second axis point.
    auto *drawing = new TestDrawingNode("Ln");
    editor->BeginEditBatch(EditBatchVariant::kObject);
    editor->document.GetRootStructure()->AppendSubnode(drawing);
    new NodeLink(drawing, main, 'axis', 0, 0.0f);
    new NodeLink(drawing, main, 'axis', 1, 0.0f);
    editor->EndEditBatch();
    ASSERT_TRUE(LayoutTestDocument(editor));
    Point2D middle((drawing->start.x + drawing->finish.x) / 2, (drawing->start.y + drawing->finish.y) / 2);

    // (c) an object: the outline, 100 ms later when it comes from empty space.
    editor->lastTickTime = 500;
    EXPECT_FALSE(SendAt('msmv', middle));
    EXPECT_EQ(editor->hoveredObject, drawing);
    EXPECT_EQ(editor->hoverDeadline, 600);
    // Outside the strip both go, and both discards run.
    ASSERT_TRUE(editor->HighlightAnchor(AnchorRecord{main, 'axis', 0, 0.0f, 0.0f}, Point2D(0.0f, 0.0f)));
    EXPECT_TRUE(Send('msmv', {200.0f, 10.0f}));
    EXPECT_EQ(editor->hoveredObject, nullptr);
    EXPECT_FALSE(editor->highlight.shown);
    // A selected object is not outlined.
    ASSERT_TRUE(SelectTestDrawings(editor));
    SendAt('msmv', middle);
    EXPECT_EQ(editor->hoveredObject, nullptr);

    // (a) one selected drawing: its end handle, the start when equally near.
    editor->BuildSelectionOverlay();
    ASSERT_TRUE(editor->handlesShown);
    EXPECT_TRUE(SendAt('msmv', drawing->finish));
    EXPECT_TRUE(editor->highlight.handleHovered);
    EXPECT_EQ(editor->highlight.handle.end, 1);
    editor->endHandles[1].x = editor->endHandles[0].x + 2.0f / editor->zoom;
    editor->endHandles[1].y = editor->endHandles[0].y;
    SendAt('msmv', Point2D(editor->endHandles[0].x + 1.0f / editor->zoom, editor->endHandles[0].y));
    EXPECT_EQ(editor->highlight.handle.end, 0);
    // Exactly 3/zoom away is not within.
    EXPECT_EQ(editor->FindEndHandleAt(Point2D(editor->endHandles[0].x - 3.0f / editor->zoom, editor->endHandles[0].y)),
              nullptr);

    // (b) with a tool group: the anchor under the pointer.
    editor->document.objectSelection.SetElementCount(0);
    editor->DiscardSelectionOverlay();
    editor->handlesShown = false;
    editor->SetDrawingToolGroup(kToolGroupLine);
    editor->BuildAnchorOverlay();
    ASSERT_GT(editor->anchorRecords.GetElementCount(), 0);
    const AnchorRecord &record = editor->anchorRecords[0];
    EXPECT_TRUE(SendAt('msmv', Point2D(record.x, record.y)));
    EXPECT_TRUE(editor->highlight.anchorHovered);
    EXPECT_EQ(editor->hoveredObject, nullptr);
}

// SDL button events through the translation: the middle button pans, its release ends the pan.
TEST_F(PointerDispatch, MiddleDragFromSdlEvents)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    auto button = [](uint32_t type, int32_t x, int32_t y) {
        SDL_Event event{};
        event.type = type;
        event.button.button = SDL_BUTTON_MIDDLE;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
        return event;
    };
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = 230;
    motion.motion.y = 140;
    Point2D centre = editor->viewCentre;
    WindowInput press = TranslateEvent(button(SDL_MOUSEBUTTONDOWN, 200, 150), InputState{SDL_BUTTON_MMASK, 0}, 1.0f);
    ASSERT_EQ(press.kind, kInputMouse);
    static_cast<void>(editor->HandleMainWindowInput(press));
    EXPECT_EQ(editor->dragMode, uint32_t('scrl'));
    EXPECT_TRUE(editor->HandleMainWindowInput(TranslateEvent(motion, InputState{SDL_BUTTON_MMASK, 0}, 1.0f)));
    EXPECT_FLOAT_EQ(editor->viewCentre.x, centre.x - 30.0f * editor->pixelScale);
    EXPECT_FLOAT_EQ(editor->viewCentre.y, centre.y - 10.0f * editor->pixelScale);
    static_cast<void>(editor->HandleMainWindowInput(TranslateEvent(button(SDL_MOUSEBUTTONUP, 230, 140), InputState{}, 1.0f)));
    EXPECT_EQ(editor->dragMode, 0u);
    EXPECT_EQ(editor->heldButtons, 0);
    EXPECT_FALSE(windows.captured);
}

}  // namespace
}  // namespace oq::test

namespace oq::test {
namespace {

// The driver's pointer lines: a click places the caret in the text, a drag there selects, a wheel
// notch zooms and a right click on nothing keeps the empty object selection.
TEST_F(PointerDispatch, DriverLines)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    Point2D p(main->absolutePosition.x + 1.0f, main->absolutePosition.y);
    std::string at = std::to_string(p.x) + " " + std::to_string(p.y);
    Run("click " + at);
    EXPECT_EQ(editor->dragMode, 0u);
    EXPECT_EQ(editor->document.selection.start.node->GetEnclosingGroup(), main);
    Run("drag " + at + " " + std::to_string(p.x + 40.0f) + " " + std::to_string(p.y));
    EXPECT_TRUE(editor->document.selection.start.node != editor->document.selection.end.node ||
                editor->document.selection.start.index != editor->document.selection.end.index);
    float zoom = editor->zoom;
    Run("wheel " + at + " 1");
    EXPECT_GT(editor->zoom, zoom);
    Run("hover " + at);
    Run("rclick 500 500");
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0);
    EXPECT_EQ(editor->heldButtons, 0);
}

}  // namespace
}  // namespace oq::test
