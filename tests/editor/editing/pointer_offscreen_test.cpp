// The pointer on the real main window under the offscreen driver: SDL mouse events through one
// loop turn each, and what the frames then show of the drawing preview, the anchor squares and
// the hover outline.
#include "SdlEditorFixture.h"
#include "support/DocumentTestKinds.h"

#include "base/Color.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/fonts/Preferences.h"

#include <cmath>
#include <vector>

namespace oq {
namespace {

using test::ButtonEvent;
using test::MotionEvent;

class PointerOffscreen : public test::SdlEditorTest
{
protected:
    void SetUp() override { StartEditor("offscreen"); }

    // A real SDL mouse event at a pixel through one loop turn.
    void SendMouse(uint32_t type, const Point2D &pixel)
    {
        SDL_Event event = type == SDL_MOUSEMOTION
                              ? MotionEvent(windows.GetMainWindow(), int32_t(pixel.x), int32_t(pixel.y))
                              : ButtonEvent(windows.GetMainWindow(), type, int32_t(pixel.x), int32_t(pixel.y));
        Push(event);
        Turn();
    }

    // Ticks until the caret has blinked off, so that it covers no probed pixel.
    void HideCaret()
    {
        for (int32_t i = 0; i < 3 && TheEditor->caretVisible; ++i) ASSERT_EQ(test::RunEditorScript("tick +530\n"), "");
        ASSERT_FALSE(TheEditor->caretVisible);
    }

    // The main group's axis points, in order, from the anchor overlay of the last frame.
    std::vector<Point2D> AxisPoints()
    {
        std::vector<Point2D> points;
        GroupNode *main = TheEditor->document.GetMainGroup();
        for (const AnchorRecord &r : TheEditor->anchorRecords)
            if (r.node == main && r.kind == 'axis') points.push_back(Point2D(r.x, r.y));
        return points;
    }

    // The frame's pixels, three bytes each.
    std::vector<uint8_t> Snapshot()
    {
        std::vector<uint8_t> pixels;
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) pixels.insert(pixels.end(), Pixel(x, y), Pixel(x, y) + 3);
        return pixels;
    }

    // One byte of a colour `alpha` over a byte, blended in linear light.
    static int32_t Over(uint8_t color, float alpha, uint8_t under)
    {
        float linear = alpha * kSrgbByteToLinear[color] + (1.0f - alpha) * kSrgbByteToLinear[under];
        return int32_t(std::lround(LinearToSrgb(linear) * 255.0f));
    }
};

// The line tool shows square anchors in the group anchor colour at the main group's axis points,
// opaque over the white background.
TEST_F(PointerOffscreen, TheLineToolShowsGroupAnchorSquaresAtTheAxisPoints)
{
    ASSERT_EQ(test::RunEditorScript("sdl focus\nsdl text xy\n"), "");
    TheEditor->SetDrawingToolGroup(kToolGroupLine);
    ASSERT_NO_FATAL_FAILURE(HideCaret());
    std::vector<Point2D> axis = AxisPoints();
    ASSERT_GE(axis.size(), 2u);
    uint32_t color = TheEditor->settings.preferences.colors[kColorGroupAnchor];
    for (const Point2D &point : axis)
    {
        Point2D pixel = PixelOf(point);
        EXPECT_EQ(CheckPixel(int32_t(pixel.x), int32_t(pixel.y), int32_t(color & 0xFFu), int32_t((color >> 8) & 0xFFu),
                             int32_t((color >> 16) & 0xFFu)),
                  "")
            << point.x << " " << point.y;
    }
    // The equation tool shows none.
    TheEditor->SetDrawingToolGroup(kToolGroupEquation);
    ASSERT_EQ(test::RunEditorScript("render\n"), "");
    for (const Point2D &point : axis)
    {
        Point2D pixel = PixelOf(point);
        EXPECT_NE(CheckPixel(int32_t(pixel.x), int32_t(pixel.y), int32_t(color & 0xFFu), int32_t((color >> 8) & 0xFFu),
                             int32_t((color >> 16) & 0xFFu)),
                  "");
    }
}

// A line dragged along the axis through the glyphs: by default the glyphs' ink stays over it; with
// the foreground layer chosen the preview covers the ink.
TEST_F(PointerOffscreen, ThePreviewLiesUnderOrOverTheGlyphsByTheLayerChoice)
{
    ASSERT_EQ(test::RunEditorScript("sdl focus\nsdl text xx\n"), "");
    ToolPanelState &tools = TheEditor->settings.state.toolPanel;
    tools.widthChoice = 42;  // the widest
    tools.strokeColor = {-1, 0xFFFF0000u};
    tools.drawInForeground = false;
    TheEditor->SetDrawingToolGroup(kToolGroupLine);
    ASSERT_NO_FATAL_FAILURE(HideCaret());
    std::vector<uint8_t> plain = Snapshot();
    std::vector<Point2D> axis = AxisPoints();
    ASSERT_GE(axis.size(), 2u);

    SendMouse(SDL_MOUSEBUTTONDOWN, PixelOf(axis.front()));
    ASSERT_EQ(TheEditor->dragMode, uint32_t('draw'));
    SendMouse(SDL_MOUSEMOTION, PixelOf(axis.back()));
    ASSERT_NE(TheEditor->previewObject, nullptr);
    ASSERT_EQ(test::RunEditorScript("render\n"), "");
    std::vector<uint8_t> under = Snapshot();
    tools.drawInForeground = true;
    ASSERT_EQ(test::RunEditorScript("render\n"), "");

    // Pixels wholly inside the line (pure blue over the glyphs) that were wholly ink before.
    int32_t inked = 0;
    int32_t blue = 0;
    for (int32_t y = TheEditor->toolBandHeight; y < kHeight - TheEditor->statusBandHeight; ++y)
    {
        for (int32_t x = 0; x < kWidth; ++x)
        {
            if (CheckPixel(x, y, 0, 0, 255) != "") continue;
            ++blue;
            const uint8_t *before = &plain[size_t(y * kWidth + x) * 3];
            if (before[0] > 2 || before[1] > 2 || before[2] > 2) continue;
            ++inked;
            const uint8_t *p = &under[size_t(y * kWidth + x) * 3];
            EXPECT_TRUE(std::abs(p[0] - before[0]) <= 2 && std::abs(p[1] - before[1]) <= 2 &&
                        std::abs(p[2] - before[2]) <= 2)
                << "the ink at " << x << "," << y << " is under the background preview";
        }
    }
    EXPECT_GT(blue, 0) << "the foreground preview shows";
    EXPECT_GT(inked, 0) << "the line crosses the glyphs' ink";
    SendMouse(SDL_MOUSEBUTTONUP, PixelOf(axis.back()));
}

// The pointer stopping on a drawing from empty space: no outline until 100 ms later, then the
// first frame shows it, the selection colour at half over what lay there.
TEST_F(PointerOffscreen, TheHoverOutlineAppearsAtTheFirstFrameAfter100Ms)
{
    ASSERT_EQ(test::RunEditorScript("sdl focus\nsdl text xy\n"), "");
    GroupNode *main = TheEditor->document.GetMainGroup();
    auto *drawing = new test::TestDrawingNode("Ln");
    TheEditor->BeginEditBatch(EditBatchVariant::kObject);
    TheEditor->document.GetRootStructure()->AppendSubnode(drawing);
    new NodeLink(drawing, main, 'axis', 0, 0.0f);
    new NodeLink(drawing, main, 'axis', 1, 0.0f);
    TheEditor->EndEditBatch();
    TheEditor->settings.layoutDue = true;
    ASSERT_NO_FATAL_FAILURE(HideCaret());
    ASSERT_GT(std::fabs(drawing->finish.x - drawing->start.x), 0.0f);
    std::vector<uint8_t> plain = Snapshot();
    int32_t frames = MainFrame().count;

    Point2D middle((drawing->start.x + drawing->finish.x) * 0.5f, (drawing->start.y + drawing->finish.y) * 0.5f);
    Point2D pixel = PixelOf(middle);
    SendMouse(SDL_MOUSEMOTION, pixel);
    ASSERT_EQ(TheEditor->hoveredObject, drawing);
    ASSERT_EQ(test::RunEditorScript("tick +99\n"), "");
    EXPECT_EQ(MainFrame().count, frames) << "no frame before the delay";
    ASSERT_EQ(test::RunEditorScript("tick +1\n"), "");
    EXPECT_EQ(MainFrame().count, frames + 1);

    uint32_t selection = TheEditor->settings.preferences.colors[kColorSelection];
    int32_t x = int32_t(pixel.x);
    int32_t y = int32_t(pixel.y);
    const uint8_t *before = &plain[size_t(y * kWidth + x) * 3];
    EXPECT_EQ(CheckPixel(x, y, Over(uint8_t(selection & 0xFFu), 0.5f, before[0]),
                         Over(uint8_t((selection >> 8) & 0xFFu), 0.5f, before[1]),
                         Over(uint8_t((selection >> 16) & 0xFFu), 0.5f, before[2])),
              "");
}

}  // namespace
}  // namespace oq
