#include <gtest/gtest.h>

#include <vector>

#include "editor/platform/DataFileLoaders.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/DrawableWidget.h"
#include "editor/platform/FontProbe.h"
#include "editor/platform/GLRendererFixture.h"
#include "editor/platform/IconWidget.h"
#include "editor/platform/RendererProbe.h"
#include "editor/platform/TextWidget.h"

namespace oq {
namespace {

// Widgets drawn through the process-wide renderer, one unit a pixel.
class GLWidgetsTest : public GLRendererTest
{
protected:
    void SetUp() override
    {
        GLRendererTest::SetUp();
        SetRenderer(&renderer);
        BeginFrame();
    }

    void TearDown() override
    {
        SetRenderer(nullptr);
        GLRendererTest::TearDown();
    }

    static bool Inked(Pixel p) { return std::abs(p.r - kGreyByte) + std::abs(p.g - kGreyByte) + std::abs(p.b - kGreyByte) > 30; }

    // Checks each listed pixel for ink (or for none).
    void ExpectInk(const std::vector<uint8_t> &pixels, std::initializer_list<std::pair<int, int>> points, bool ink,
                   const char *what)
    {
        for (const auto &[x, y] : points) EXPECT_EQ(Inked(At(pixels, x, y)), ink) << what << " at " << x << "," << y;
    }
};

const uint8_t kBlack[4] = {0, 0, 0, 255};

TEST_F(GLWidgetsTest, GLLineOfWidthTwoCoversItsRows)
{
    ShapeWidget line;
    line.InitLine(Point2D(10, 10), Point2D(40, 10), 2, kBlack);
    line.UpdatePosition();
    line.Render(PixelMatrix());
    std::vector<uint8_t> pixels = Read();
    // Rows 9 and 10 lie inside y 9..11, from x 10 to 40 with square ends.
    for (int x : {10, 25, 39})
    {
        ExpectPixel(At(pixels, x, 9), {0, 0, 0, 255}, "row 9");
        ExpectPixel(At(pixels, x, 10), {0, 0, 0, 255}, "row 10");
    }
    ExpectInk(pixels, {{25, 8}, {25, 11}, {9, 10}, {40, 10}}, false, "outside");
}

TEST_F(GLWidgetsTest, GLOutlinesLeaveTheirInsideAndTouchTheirBox)
{
    const uint8_t red[4] = {255, 0, 0, 255};
    ShapeWidget rect;
    rect.InitRect(Point2D(4, 4), Vector2D(24, 20), 2, red);
    ShapeWidget circle;
    circle.InitCircle(Point2D(32, 4), Vector2D(28, 40), 2, red);
    for (ShapeWidget *shape : {&rect, &circle})
    {
        shape->UpdatePosition();
        shape->Render(PixelMatrix());
    }
    std::vector<uint8_t> pixels = Read();
    // The rectangle's sides run through x 4 and 28, y 4 and 24, two pixels wide.
    ExpectPixel(At(pixels, 4, 14), {255, 0, 0, 255}, "left side");
    ExpectPixel(At(pixels, 27, 14), {255, 0, 0, 255}, "right side");
    ExpectPixel(At(pixels, 16, 3), {255, 0, 0, 255}, "top side");
    ExpectPixel(At(pixels, 16, 24), {255, 0, 0, 255}, "bottom side");
    ExpectPixel(At(pixels, 16, 14), kGreyPixel, "inside the rectangle");
    ExpectInk(pixels, {{16, 1}, {16, 26}, {1, 14}}, false, "outside the rectangle");
    // The ellipse touches the middle of each side of its box and leaves the corners.
    ExpectInk(pixels, {{32, 24}, {59, 24}, {46, 4}, {46, 43}}, true, "ellipse at its box");
    ExpectInk(pixels, {{46, 24}, {34, 6}, {58, 42}}, false, "ellipse inside and corners");
}

TEST_F(GLWidgetsTest, GLLabelInkStaysInItsBox)
{
    Font *font = test::LoadTestFont(renderer, data, "label.vorl", test::MakeSquareFontFile(0.7F));
    ASSERT_NE(font, nullptr);
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.size = 16;
    state.fillPaint.color = {0, 0, 0, 1};
    {
        // "AA": two unit squares 1.1 em apart on the baseline y 30: x 10..26 and 27.6..43.6, y 14..30.
        TextWidget label('text', font, &state, "AA", Point2D(10, 20), Vector2D(40, 20), 0);
        label.baselineOffset = 10;
        label.UpdatePosition();
        label.Render(PixelMatrix());
        std::vector<uint8_t> pixels = Read();
        ExpectInk(pixels, {{11, 15}, {25, 29}, {18, 22}, {29, 15}, {42, 29}}, true, "glyphs");
        ExpectInk(pixels, {{8, 22}, {26, 22}, {45, 22}, {18, 12}, {18, 31}, {35, 32}}, false, "around the glyphs");
    }
    font->Release();
}

TEST_F(GLWidgetsTest, GLIconDrawsTheRightWayUp)
{
    // The disc of the icon lies low in its design square (y up): centre (16, 16), radius 12.
    std::vector<uint8_t> file = MakeDiscIconFile('FLT4');
    ASSERT_FALSE(file.empty());
    ASSERT_TRUE(test::WriteBytes(data.File("Charms.vorl"), file.data(), file.size()));
    GlyphTexturePair *pair = LoadIconFile(renderer, "Charms");
    ASSERT_NE(pair, nullptr);
    {
        // A 48-point box: scale 2/3, the disc's centre at (10.7, 37.3), radius 8.
        IconWidget icon('pict', pair, 0, Point2D(0, 0), Vector2D(48, 48));
        icon.UpdatePosition();
        icon.Render(PixelMatrix());
        std::vector<uint8_t> pixels = Read();
        ExpectPixel(At(pixels, 10, 37), {255, 0, 0, 255}, "disc low in the box");
        ExpectInk(pixels, {{10, 10}, {37, 37}, {10, 47}}, false, "above and beside the disc");
    }
    FreeLoadedTexturePair(renderer, pair);
}

TEST_F(GLWidgetsTest, GLFillItemBeyondOneTexelRowDrawsWhole)
{
    // 64 x 16 squares of one pixel in one item: 4096 curves, more than one texel row of curve data.
    std::vector<QuadraticBezier2D> curves;
    for (int y = 0; y < 16; ++y)
    {
        for (int x = 0; x < 64; ++x)
        {
            const float x0 = float(x), y0 = float(y);
            Point2D a{x0, y0}, b{x0 + 1, y0}, c{x0 + 1, y0 + 1}, d{x0, y0 + 1};
            for (const QuadraticBezier2D &curve :
                 {MakeLineCurve(a, b), MakeLineCurve(b, c), MakeLineCurve(c, d), MakeLineCurve(d, a)})
                curves.push_back(curve);
        }
    }
    FillPathItem item(Point2D(0, 16), int32_t(curves.size()), curves.data(), 0xFF0000FF);
    ShapeRenderObject shape;
    BuildFillPathRenderObject(renderer, &shape, &item);
    ASSERT_GT(shape.item.vertexCount, 0U);
    // The item's y is negated: the matrix turns it back down.
    Matrix4D matrix = PixelMatrix();
    for (int row = 0; row < 4; ++row) matrix(row, 1) = -matrix(row, 1);
    shape.Draw(renderer, matrix);
    std::vector<uint8_t> pixels = Read();
    for (int y = 16; y < 32; ++y)
    {
        for (int x = 0; x < 64; ++x) ExpectPixel(At(pixels, x, y), {255, 0, 0, 255}, "square");
    }
    ExpectPixel(At(pixels, 30, 15), kGreyPixel, "above");
    ExpectPixel(At(pixels, 30, 32), kGreyPixel, "below");
    shape.ReleaseShape(renderer);
}

}  // namespace
}  // namespace oq
