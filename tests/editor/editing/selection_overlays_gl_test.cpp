// The caret bar and a range box drawn through their render objects on the GL device: the pixels
// their rectangles say take the overlay's colour blended in linear light, those outside keep the
// background, at zoom 1 and 4, on a light and a dark background.
#include "../platform/GLRendererFixture.h"
#include "CaretFaceFixture.h"

#include "base/Color.h"
#include "editor/document/GroupNode.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

#include <cmath>
#include <string>
#include <vector>

namespace oq::test {
namespace {

constexpr int32_t kTargetWidth = 400;
constexpr int32_t kTargetHeight = 300;

// The item boxes of a list in document units (items keep y negated).
std::vector<Box2D> ItemBoxes(const List &list)
{
    std::vector<Box2D> boxes;
    for (const ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        const auto *item = dynamic_cast<const FillPathItem *>(e);
        Box2D box;
        box.SetEmpty();
        for (int32_t i = 0; item != nullptr && i < item->curveCount; ++i)
        {
            const Point2D &p = item->curves[i].p0;
            box.min.Set(std::min(box.min.x, p.x), std::min(box.min.y, -p.y));
            box.max.Set(std::max(box.max.x, p.x), std::max(box.max.y, -p.y));
        }
        boxes.push_back(box);
    }
    return boxes;
}

// encode(alpha x lin(colour) + (1 - alpha) x lin(background)) per channel, as sRGB bytes.
Pixel Blend(const ColorRGBA &linear, uint32_t background)
{
    auto channel = [&](float value, uint32_t backgroundByte) {
        float mixed = linear.alpha * value + (1.0f - linear.alpha) * kSrgbByteToLinear[backgroundByte & 0xFFu];
        return int(std::lround(LinearToSrgb(mixed) * 255.0f));
    };
    return {channel(linear.red, background), channel(linear.green, background >> 8),
            channel(linear.blue, background >> 16), 255};
}

class SelectionOverlaysGL : public CaretFaceFixture
{
protected:
    void SetUp() override
    {
        CaretFaceFixture::SetUp();
        std::string error;
        ASSERT_TRUE(StartGL(&error)) << error;
        CopyShaderFiles(data.Path());
        ASSERT_NO_FATAL_FAILURE(Load("Gr { Bg {} Sb {s{\"ABAB\"}} }"));
        // The overlays are built and released through the GL renderer while the test runs.
        harnessRenderer = GetRenderer();
        const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        ASSERT_TRUE(renderer.Start(nullptr, kTargetWidth, kTargetHeight, white));
        SetRenderer(&renderer);
    }

    void TearDown() override
    {
        editor->DiscardSelectionOverlay();
        SetRenderer(harnessRenderer);
        renderer.Shutdown();
        CaretFaceFixture::TearDown();
    }

    // Builds the selection overlay and draws it alone on the background, s = 3 x zoom pixels per
    // point with the first rectangle's centre at the target's centre.
    std::vector<uint8_t> Draw(uint32_t background, float zoom)
    {
        editor->settings.preferences.colors[kColorBackground] = background;
        editor->zoom = zoom;
        editor->BuildSelectionOverlay();
        std::vector<uint8_t> pixels(size_t(kTargetWidth) * kTargetHeight * 4);
        if (editor->selectionOverlay == nullptr || editor->selectionItems.IsEmpty()) return pixels;
        rectangles = ItemBoxes(editor->selectionItems);
        scale = 3.0f * zoom;
        offsetX = kTargetWidth * 0.5f - scale * (rectangles[0].min.x + rectangles[0].max.x) * 0.5f;
        offsetY = kTargetHeight * 0.5f + scale * (rectangles[0].min.y + rectangles[0].max.y) * 0.5f;
        Matrix4D toClip(2.0f * scale / kTargetWidth, 0, 0, 2.0f * offsetX / kTargetWidth - 1.0f, 0,
                        -2.0f * scale / kTargetHeight, 0, 1.0f - 2.0f * offsetY / kTargetHeight, 0, 0, 0, 0, 0, 0, 0, 1);
        WindowTarget &target = renderer.mainTarget;
        target.clearColor[0] = kSrgbByteToLinear[background & 0xFFu];
        target.clearColor[1] = kSrgbByteToLinear[(background >> 8) & 0xFFu];
        target.clearColor[2] = kSrgbByteToLinear[(background >> 16) & 0xFFu];
        target.clearColor[3] = 1.0f;
        target.BeginFrame();
        renderer.SetScissor(0, 0, kTargetWidth, kTargetHeight);
        editor->selectionOverlay->Draw(renderer, toClip);
        EXPECT_TRUE(device.ReadPixels(target.surface, pixels.data()));
        return pixels;
    }

    // Pixels whose square lies a pixel or more inside a rectangle take the fill, those a pixel or
    // more outside every rectangle the background; edge pixels are not checked. The number of
    // inside pixels checked.
    int CheckPixels(const std::vector<uint8_t> &pixels, Pixel fill, Pixel background, const std::string &what)
    {
        int inside = 0;
        int failures = 0;
        for (int y = 0; y < kTargetHeight && failures < 5; ++y)
        {
            for (int x = 0; x < kTargetWidth && failures < 5; ++x)
            {
                bool in = false;
                bool near = false;
                for (const Box2D &r : rectangles)
                {
                    float x0 = scale * r.min.x + offsetX;
                    float x1 = scale * r.max.x + offsetX;
                    float y0 = -scale * r.max.y + offsetY;
                    float y1 = -scale * r.min.y + offsetY;
                    in = in || (x >= x0 + 1.0f && x + 1.0f <= x1 - 1.0f && y >= y0 + 1.0f && y + 1.0f <= y1 - 1.0f);
                    near = near || !(x + 1.0f <= x0 - 1.0f || x >= x1 + 1.0f || y + 1.0f <= y0 - 1.0f || y >= y1 + 1.0f);
                }
                if (!in && near) continue;
                const uint8_t *p = pixels.data() + (size_t(y) * kTargetWidth + size_t(x)) * 4;
                Pixel expected = in ? fill : background;
                inside += in ? 1 : 0;
                bool ok = std::abs(p[0] - expected.r) <= 2 && std::abs(p[1] - expected.g) <= 2 &&
                          std::abs(p[2] - expected.b) <= 2;
                if (!ok)
                {
                    ++failures;
                    ADD_FAILURE() << what << " at (" << x << ", " << y << "): " << int(p[0]) << " " << int(p[1]) << " "
                                  << int(p[2]) << ", expected " << expected.r << " " << expected.g << " " << expected.b;
                }
            }
        }
        return inside;
    }

    Renderer *harnessRenderer = nullptr;
    TempDirectory data;
    Heap heap{"overlay GL test"};
    GLDevice device;
    Renderer renderer{&device, data.Path().c_str(), &heap};
    std::vector<Box2D> rectangles;
    float scale = 1.0f;
    float offsetX = 0.0f;
    float offsetY = 0.0f;
};

TEST_F(SelectionOverlaysGL, CaretBarCoversItsRectangle)
{
    CaretPosition caret{main->GetFirstMathSubnode()->GetNextMathNode(), 2};
    editor->document.selection = Selection{caret, caret};
    struct Case
    {
        uint32_t background;
        int bar;  // the bar's byte over it: black at 0.75 on white, white at 0.75 on black
    } cases[] = {{0xFFFFFFFFu, 137}, {0xFF000000u, 225}};
    for (const Case &c : cases)
    {
        for (float zoom : {1.0f, 4.0f})
        {
            std::string what = "background " + std::to_string(c.background & 0xFF) + " zoom " + std::to_string(zoom);
            std::vector<uint8_t> pixels = Draw(c.background, zoom);
            ASSERT_EQ(editor->selectionOverlayKind, kSelectionOverlayCaret) << what;
            Pixel fill = Blend(editor->selectionColor, c.background);
            EXPECT_EQ(fill.r, c.bar) << what;
            Pixel background = Blend(ColorRGBA{0, 0, 0, 0}, c.background);
            EXPECT_GT(CheckPixels(pixels, fill, background, what), 0) << what;
        }
    }
}

TEST_F(SelectionOverlaysGL, RangeBoxCoversItsRectangle)
{
    MathNode *run = main->GetFirstMathSubnode()->GetNextMathNode();
    editor->document.selection = Selection{CaretPosition{run, 1}, CaretPosition{run, 3}};
    for (float zoom : {1.0f, 4.0f})
    {
        std::string what = "zoom " + std::to_string(zoom);
        std::vector<uint8_t> pixels = Draw(0xFFFFFFFFu, zoom);
        ASSERT_EQ(editor->selectionOverlayKind, kSelectionOverlayRange) << what;
        ASSERT_EQ(rectangles.size(), 1u) << what;
        Pixel fill = Blend(editor->selectionColor, 0xFFFFFFFFu);
        if (editor->settings.preferences.colors[kColorSelection] == kPreferenceColors[kColorSelection].factory)
        {
            EXPECT_EQ(fill.r, 177) << what;
            EXPECT_EQ(fill.g, 220) << what;
            EXPECT_EQ(fill.b, 255) << what;
        }
        EXPECT_GT(CheckPixels(pixels, fill, Pixel{255, 255, 255, 255}, what), 0) << what;
    }
}

}  // namespace
}  // namespace oq::test
