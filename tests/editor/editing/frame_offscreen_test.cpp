// The editor's frames on the process's SDL main window under the offscreen driver: real SDL events
// through the loop turn, the main frame read back before its swap, drawings under and over glyphs,
// size changes, and the loop's host rules.
#include "FrameTestDrawing.h"
#include "SdlEditorFixture.h"
#include "editor/document/GroupNode.h"
#include "editor/platform/FakeWindowSystem.h"

namespace oq {
namespace {

using test::BoxDrawing;
using test::WindowEvent;

class FrameOffscreen : public test::SdlEditorTest
{
protected:
    void SetUp() override { StartEditor("offscreen"); }

    // The box of the dark pixels in the strip; false when there are none.
    bool FindInk(int32_t *left, int32_t *top, int32_t *right, int32_t *bottom)
    {
        *left = kWidth, *top = kHeight, *right = -1, *bottom = -1;
        for (int32_t y = TheEditor->toolBandHeight; y < kHeight - TheEditor->statusBandHeight; ++y)
        {
            for (int32_t x = 0; x < kWidth; ++x)
            {
                const uint8_t *p = Pixel(x, y);
                if (p[0] >= 128 || p[1] >= 128 || p[2] >= 128) continue;
                *left = std::min(*left, x), *right = std::max(*right, x);
                *top = std::min(*top, y), *bottom = std::max(*bottom, y);
            }
        }
        return *right >= 0;
    }
};

// The caret bar at the start of a row holding "x": the first frame scrolls its left edge onto the
// half-inch margin, so at zoom 2 the bar covers the pixel column at 48 exactly. Black at 0.75 over
// white, white at 0.75 over black; gone after the blink period.
TEST_F(FrameOffscreen, TheCaretBarBlinksInTheBackgroundsContrast)
{
    struct Case
    {
        uint32_t back;
        int32_t bar;
        int32_t background;
    } cases[] = {{0xFFFFFFFFu, 137, 255}, {0xFF000000u, 225, 0}};
    for (const Case &c : cases)
    {
        TheEditor->settings.preferences.colors[kColorBackground] = c.back;
        ASSERT_EQ(test::RunEditorScript("sdl focus\nsdl text x\n"), "");
        MathNode *rowStart = TheEditor->document.GetMainGroup()->GetFirstMathSubnode();
        TheEditor->SetSelection({rowStart, 0}, {rowStart, 0});
        TheEditor->DiscardSelectionOverlay();
        TheEditor->ResetView();
        TheEditor->viewChanged = true;
        Turn();
        const Box2D &box = TheEditor->caretBoxes[0];
        Point2D top = PixelOf({(box.min.x + box.max.x) * 0.5f, box.max.y});
        Point2D bottom = PixelOf({(box.min.x + box.max.x) * 0.5f, box.min.y});
        EXPECT_NEAR(PixelOf(box.min).x, 48.0f, 1e-3f);
        std::string probe = "expect pixel 48 " + std::to_string(int32_t((top.y + bottom.y) * 0.5f)) + " ";
        std::string bar = std::to_string(c.bar);
        std::string background = std::to_string(c.background);
        EXPECT_EQ(test::RunEditorScript(probe + bar + " " + bar + " " + bar + "\n"), "") << c.back;
        EXPECT_EQ(test::RunEditorScript("tick +530\n" + probe + background + " " + background + " " + background + "\n"),
                  "")
            << c.back;
        ASSERT_EQ(test::RunEditorScript("new\n"), "");
    }
}

// Boxes lie under the glyphs: inside the selection and outside ink the selection colour at 0.75
// over white, the glyph's ink in the box still dark.
TEST_F(FrameOffscreen, ASelectedRangeShowsItsBoxUnderTheGlyphs)
{
    ASSERT_EQ(test::RunEditorScript("sdl text xy\n"), "");
    int32_t left, top, right, bottom;
    ASSERT_TRUE(FindInk(&left, &top, &right, &bottom));
    ASSERT_TRUE(test::SelectTestRange(TheEditor, 1, 0, 1, 2));
    TheEditor->DiscardSelectionOverlay();
    TheEditor->settings.layoutDue = true;
    Turn();
    ASSERT_EQ(TheEditor->selectionOverlayKind, uint32_t('eqtn'));
    const Box2D &box = TheEditor->caretBoxes[0];
    Point2D corner = PixelOf({box.min.x, box.max.y});
    EXPECT_EQ(CheckPixel(int32_t(corner.x) + 2, int32_t(corner.y) + 2, 177, 220, 255), "");
    int32_t dark = 0;
    for (int32_t y = top; y <= bottom; ++y)
    {
        for (int32_t x = left; x <= right; ++x)
        {
            const uint8_t *p = Pixel(x, y);
            if (p[0] < 100 && p[1] < 100) ++dark;
        }
    }
    EXPECT_GT(dark, 0) << "the glyphs are drawn over the box";
}

TEST_F(FrameOffscreen, TextFromSdlTypesIntoTheViewAndShowsInk)
{
    Turn();
    ASSERT_GE(MainFrame().count, 1);
    EXPECT_EQ(CountInk(), 0);
    EXPECT_EQ(CheckPixel(200, 150, 255, 255, 255), "");
    EXPECT_EQ(test::RunEditorScript("sdl focus\nsdl text x\nexpect ink\n"), "");
    EXPECT_EQ(test::SketchDocument(TheEditor), "row[ math\"x\u2038\" ]");
}

TEST_F(FrameOffscreen, ABackgroundDrawingShowsUnderAGlyphAndAForegroundOneHidesIt)
{
    Push(TextEvent("x"));
    Turn();
    int32_t left, top, right, bottom;
    ASSERT_TRUE(FindInk(&left, &top, &right, &bottom));
    int32_t inkX = (left + right) / 2;
    int32_t inkY = (top + bottom) / 2;
    ASSERT_LT(Pixel(inkX, inkY)[0], 128);

    // Opaque blue, filled and stroked, well around the glyph.
    const uint32_t blue = 0xFFFF0000u;
    auto *drawing = new BoxDrawing(Box2D({-10, -20}, {60, 40}), true, blue, blue);
    KettricStructure *root = TheEditor->document.GetRootStructure();
    root->PrependSubnode(drawing);
    TheEditor->settings.layoutDue = true;
    Turn();
    EXPECT_LT(Pixel(inkX, inkY)[2], 128) << "the glyph lies over the background drawing";
    EXPECT_EQ(CheckPixel(left - 4, inkY, 0, 0, 255), "");

    root->AppendSubnode(drawing);
    TheEditor->settings.layoutDue = true;
    Turn();
    EXPECT_EQ(CheckPixel(inkX, inkY, 0, 0, 255), "") << "the foreground drawing hides the glyph";
    EXPECT_EQ(CheckPixel(left - 4, inkY, 0, 0, 255), "");
}

TEST_F(FrameOffscreen, ASizeChangeEmptiesTheBandsAndRendersAtOnce)
{
    Turn();
    int32_t frames = MainFrame().count;
    EXPECT_EQ(test::RunEditorScript("sdl resize 500 420\n"), "");
    EXPECT_EQ(TheEditor->clientWidth, 500);
    EXPECT_EQ(TheEditor->clientHeight, 420);
    // The bands were emptied and built again at the new width by the frame the resize rendered.
    const Widget *bandBackground = TheEditor->toolBandRoot->GetFirstSubwidget();
    ASSERT_NE(bandBackground, nullptr);
    EXPECT_FLOAT_EQ(bandBackground->GetWidgetSize().x, 500.0f * TheEditor->uiScale);
    EXPECT_GE(MainFrame().count, frames + 1);
    // The editing area's top-left keeps its document point.
    Point2D before = TheEditor->viewCentre;
    EXPECT_EQ(test::RunEditorScript("sdl resize 400 300\n"), "");
    EXPECT_NE(TheEditor->viewCentre.x, before.x);
    TheEditor->ResetView();
    Point2D reset = TheEditor->viewCentre;
    EXPECT_EQ(test::RunEditorScript("sdl resize 520 300\nsdl resize 400 300\n"), "");
    EXPECT_FLOAT_EQ(TheEditor->viewCentre.x, reset.x);
    EXPECT_FLOAT_EQ(TheEditor->viewCentre.y, reset.y);
}

// A dialog that records the characters it gets.
class TextDialog : public DialogWindow
{
public:
    explicit TextDialog(WindowHandle owner) : DialogWindow(owner, "Text", 100, 50) {}
    void HandleCharacter(uint32_t codePoint, uint64_t) override { text += char(codePoint); }
    std::string text;
};

class HostOffscreen : public test::SdlEditorTest
{
protected:
    void SetUp() override { StartEditor("offscreen"); }
};

TEST_F(HostOffscreen, MainWindowInputReachesTheEditorAndADialogsItsDialog)
{
    Push(TextEvent("a"));
    Turn();
    EXPECT_EQ(test::SketchDocument(TheEditor), "row[ math\"a\u2038\" ]");

    auto *dialog = new TextDialog(windows.GetMainWindow());
    ASSERT_TRUE(dialog->IsOpen());
    TheEditor->SetActivePopup(dialog);
    SDL_Event toDialog = TextEvent("b");
    toDialog.text.windowID = dialog->GetWindow();
    Push(toDialog);
    Push(TextEvent("c"));  // the main window is disabled: dropped
    Turn();
    EXPECT_EQ(dialog->text, "b");
    EXPECT_EQ(test::SketchDocument(TheEditor), "row[ math\"a\u2038\" ]");
    delete dialog;
    EXPECT_EQ(TheEditor->GetActivePopup(), nullptr);
    Push(TextEvent("d"));
    Turn();
    EXPECT_EQ(test::SketchDocument(TheEditor), "row[ math\"ad\u2038\" ]");
}

TEST_F(HostOffscreen, AFrameIsDrawnOnlyWhenDue)
{
    EXPECT_EQ(test::RunEditorScript("sdl focus\n"), "");
    int32_t frames = MainFrame().count;
    ASSERT_GE(frames, 1);
    Turn(3);
    EXPECT_EQ(MainFrame().count, frames);
    // The blink is due 530 ms after the last phase change; focus lost: the phase turns, no frame.
    EXPECT_EQ(test::RunEditorScript("tick +530\n"), "");
    EXPECT_EQ(MainFrame().count, frames + 1);
    Push(WindowEvent(windows.GetMainWindow(), SDL_WINDOWEVENT_FOCUS_LOST));
    Turn();
    EXPECT_EQ(MainFrame().count, frames + 2) << "an activation change asks one frame";
    EXPECT_EQ(test::RunEditorScript("tick +530\ntick +530\n"), "");
    EXPECT_EQ(MainFrame().count, frames + 2);
}

// With the window system refusing windows, a dialog closes at the next turn and leaves no active
// popup; the main window's input reaches the editor again.
TEST_F(HostOffscreen, APopupWhoseWindowFailedLeavesNoActivePopup)
{
    test::FakeWindowSystem fake;
    fake.refuseWindows = true;
    SetWindowSystem(&fake);
    auto *dialog = new TextDialog(test::FakeWindowSystem::kMainWindow);
    EXPECT_FALSE(dialog->IsOpen());
    TheEditor->SetActivePopup(dialog);
    EXPECT_EQ(TheEditor->GetActivePopup(), dialog);
    CloseDeferredDialogs();
    EXPECT_EQ(TheEditor->GetActivePopup(), nullptr);
    EXPECT_TRUE(fake.IsWindowEnabled(test::FakeWindowSystem::kMainWindow));
    SDL_Event text = TextEvent("z");
    text.text.windowID = test::FakeWindowSystem::kMainWindow;
    EXPECT_TRUE(DispatchWindowEvent(text, {}));
    EXPECT_EQ(test::SketchDocument(TheEditor), "row[ math\"z\u2038\" ]");
    SetWindowSystem(&windows);
}

}  // namespace
}  // namespace oq
