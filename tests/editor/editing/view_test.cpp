// The view arithmetic of the main window: zoom clamping and its menu items, the reset view, the
// document transform, scrolling a box into view, autoscroll speed and size changes.
#include "EditorFixture.h"
#include "editor/editing/MenuState.h"

#include <cmath>
#include <limits>

namespace oq {
namespace {

class View : public test::EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        editor->AttachMainWindow(1, 400, 300);
    }

    // The pixel (x right, y down) where the document point (y up) is drawn.
    Point2D PixelOf(const Point2D &point)
    {
        // Items on the GPU have y down.
        Vector4D clip = editor->GetDocumentTransform() * Point2D(point.x, -point.y);
        return {(clip.x + 1.0f) * 0.5f * float(editor->clientWidth), (1.0f - clip.y) * 0.5f * float(editor->clientHeight)};
    }
};

TEST_F(View, ZoomIsClampedAndChecksOnlyItsWholeMenuItem)
{
    struct Case
    {
        float zoom;
        float stored;
        int32_t checked;  // 0: none
    } cases[] = {
        {0.1f, 0.25f, 0}, {2.0f, 2.0f, 2}, {2.5f, 2.5f, 0}, {8.0f, 8.0f, 8}, {20000.0f, 10000.0f, 0},
        {std::numeric_limits<float>::quiet_NaN(), 0.25f, 0}, {1.0f, 1.0f, 1},
    };
    for (const Case &c : cases)
    {
        editor->SetZoom(c.zoom);
        EXPECT_EQ(editor->zoom, c.stored) << c.zoom;
        EXPECT_FLOAT_EQ(editor->pixelScale, 72.0f / (c.stored * 96.0f)) << c.zoom;
        for (int32_t n = 1; n <= 8; ++n)
            EXPECT_EQ(test::GetHarnessMenus().checked[kMenuZoomFirst + n - 1], n == c.checked) << c.zoom << " " << n;
    }
}

TEST_F(View, TheResetViewPutsTheOriginHalfAnInchInAndHalfwayBetweenTheBands)
{
    EXPECT_EQ(editor->zoom, 2.0f);
    EXPECT_EQ(editor->toolBandHeight, 53);
    EXPECT_EQ(editor->statusBandHeight, 24);
    Point2D origin = PixelOf({0.0f, 0.0f});
    EXPECT_NEAR(origin.x, 48.0f, 1e-3f);
    EXPECT_NEAR(origin.y, (53.0f + 276.0f) / 2.0f, 1e-3f);
    // One document point is zoom x dpi / 72 pixels; y grows upwards.
    Point2D step = PixelOf({3.0f, 3.0f});
    EXPECT_NEAR(step.x - origin.x, 8.0f, 1e-3f);
    EXPECT_NEAR(step.y - origin.y, -8.0f, 1e-3f);
}

TEST_F(View, ScrollingShowsABoxWithHalfAnInchOfMargin)
{
    // Pixels of the margins: left 48, right 352, top 53 + 48, bottom 276 - 48.
    struct Case
    {
        const char *name;
        Box2D box;      // in pixels of the reset view, y down: min is the top-left corner
        Point2D moved;  // where the box's top-left corner goes, in pixels
    } cases[] = {
        {"inside", Box2D({100, 120}, {120, 140}), {100, 120}},
        {"left", Box2D({10, 120}, {20, 140}), {48, 120}},
        {"right", Box2D({360, 120}, {380, 140}), {332, 120}},
        {"above", Box2D({100, 60}, {120, 80}), {100, 101}},
        {"below", Box2D({100, 250}, {120, 270}), {100, 208}},
        {"taller than the strip: its top shows", Box2D({100, 20}, {120, 290}), {100, 101}},
        {"wider than the strip: its left shows", Box2D({10, 120}, {390, 140}), {48, 120}},
    };
    for (const Case &c : cases)
    {
        editor->ResetView();
        // The box in document points (y up), from its pixels.
        float s = editor->pixelScale;
        Point2D origin = PixelOf({0.0f, 0.0f});
        Box2D box({(c.box.min.x - origin.x) * s, (origin.y - c.box.max.y) * s},
                  {(c.box.max.x - origin.x) * s, (origin.y - c.box.min.y) * s});
        editor->ScrollToShowBox(box);
        Point2D corner = PixelOf({box.min.x, box.max.y});
        EXPECT_NEAR(corner.x, c.moved.x, 0.01f) << c.name;
        EXPECT_NEAR(corner.y, c.moved.y, 0.01f) << c.name;
    }
}

TEST_F(View, AutoscrollGrowsWithTheDistanceUpToItsLimits)
{
    editor->SetZoom(1.0f);
    struct Case
    {
        Point2D pixel;
        uint64_t elapsed;
        Vector2D move;  // document points
    } cases[] = {
        {{200, 150}, 16, {0, 0}},                         // inside: nothing
        {{496, 150}, 10, {1.0f * 10 * 0.2f, 0}},           // one inch right, 10 ms
        {{5000, 150}, 100, {8.0f * 16 * 0.2f, 0}},         // far right, long wait: both limits
        {{-5000, 150}, 16, {-8.0f * 16 * 0.2f, 0}},
        {{200, 5000}, 16, {0, -8.0f * 16 * 0.2f}},         // below the status band: the view goes down
        {{200, 53 - 96}, 16, {0, 1.0f * 16 * 0.2f}},       // an inch above the tool band
    };
    uint64_t now = 1000;
    for (const Case &c : cases)
    {
        editor->lastTickTime = int64_t(now);
        editor->lastAutoscrollTime = now;
        now += c.elapsed;
        editor->lastTickTime = int64_t(now);
        Point2D before = editor->viewCentre;
        bool moved = editor->AutoscrollWhileDragging(c.pixel);
        EXPECT_EQ(moved, c.move.x != 0 || c.move.y != 0) << c.pixel.x << "," << c.pixel.y;
        EXPECT_NEAR(editor->viewCentre.x - before.x, c.move.x, 1e-4f) << c.pixel.x << "," << c.pixel.y;
        EXPECT_NEAR(editor->viewCentre.y - before.y, c.move.y, 1e-4f) << c.pixel.x << "," << c.pixel.y;
    }
}

TEST_F(View, ASizeChangeKeepsTheEditingAreasTopLeftPoint)
{
    EXPECT_FALSE(editor->OnSize(400, 300));
    Point2D corner = {0.0f, float(editor->toolBandHeight)};
    float s = editor->pixelScale;
    Point2D origin = PixelOf({0.0f, 0.0f});
    Point2D shown = {(corner.x - origin.x) * s, (origin.y - corner.y) * s};
    EXPECT_TRUE(editor->OnSize(640, 480));
    EXPECT_EQ(editor->clientWidth, 640);
    EXPECT_FLOAT_EQ(editor->halfClientHeight, 240.0f);
    Point2D after = PixelOf(shown);
    EXPECT_NEAR(after.x, 0.0f, 1e-3f);
    EXPECT_NEAR(after.y, float(editor->toolBandHeight), 1e-3f);
}

}  // namespace
}  // namespace oq
