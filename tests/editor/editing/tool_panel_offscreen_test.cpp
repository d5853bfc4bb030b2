// The bands as the main window shows them under the offscreen driver (400 x 300 pixels at 96 dpi,
// 0.75 points a pixel): the separator, the mode cell, the swatches and the band over a drawing.
#include "FrameTestDrawing.h"
#include "SdlEditorFixture.h"

namespace oq {
namespace {

using test::BoxDrawing;

class ToolPanelOffscreen : public test::SdlEditorTest
{
protected:
    void SetUp() override { StartEditor("offscreen"); }

    // "" when the pixel shows the 32-bit colour (red in the low byte).
    std::string CheckColor(int32_t x, int32_t y, uint32_t color)
    {
        return CheckPixel(x, y, int32_t(color & 255), int32_t((color >> 8) & 255), int32_t((color >> 16) & 255));
    }
};

TEST_F(ToolPanelOffscreen, SeparatorModeCellAndSwatches)
{
    ToolPanelState &tools = TheEditor->settings.state.toolPanel;
    tools.equationColor = {-1, 0xFF3366CCu};
    tools.strokeColor = {-1, 0xFF2040C0u};
    Turn();
    ASSERT_NE(TheEditor->toolBandRoot->GetFirstSubwidget(), nullptr);
    // The separator at 120 pt covers pixel column 160.
    EXPECT_EQ(CheckPixel(160, 20, 192, 192, 192), "");
    EXPECT_EQ(CheckPixel(158, 20, 250, 250, 250), "");
    // The mode cell (0..50 pt, from 207 pt down) left of its label.
    const uint32_t *colors = TheEditor->settings.preferences.colors;
    EXPECT_EQ(CheckColor(3, 290, colors[kColorMathMode]), "");
    TheEditor->SetEditMode(kEditModeText);
    RenderEditorFrame();
    EXPECT_EQ(CheckColor(3, 290, colors[kColorTextMode]), "");
    // The equation swatch (129..153 pt, 4..24 pt) in its middle.
    EXPECT_EQ(CheckColor(188, 19, 0xFF3366CCu), "");

    // The stroke swatch is a ring: its colour 161..166 pt, the band's inside.
    TheEditor->SetDrawingToolGroup(kToolGroupShape);
    RenderEditorFrame();
    EXPECT_EQ(CheckColor(218, 18, 0xFF2040C0u), "");
    EXPECT_EQ(CheckPixel(230, 18, 250, 250, 250), "");
    EXPECT_NE(CheckColor(188, 19, 0xFF3366CCu), "") << "the equation tools are hidden";
}

TEST_F(ToolPanelOffscreen, ADrawingUnderTheToolBandLeavesTheBandColour)
{
    KettricStructure *root = TheEditor->document.GetRootStructure();
    root->PrependSubnode(new BoxDrawing(Box2D({-2000, -2000}, {2000, 2000}), true, 0xFF0000FFu, 0xFF0000FFu));
    TheEditor->settings.layoutDue = true;
    Turn();
    EXPECT_EQ(CheckPixel(200, 150, 255, 0, 0), "") << "the drawing fills the strip";
    EXPECT_EQ(CheckPixel(146, 20, 250, 250, 250), "");  // between the tool buttons and the separator
    EXPECT_EQ(CheckPixel(300, 290, 248, 248, 248), "");  // the status band right of its fields
}

}  // namespace
}  // namespace oq
