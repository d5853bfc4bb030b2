// The pointer's view arithmetic as properties: the wheel and the pans keep the document point under
// the pointer, the Ctrl right-drag keeps the client area's centre; and the wheel's zoom steps.
#include "PointerFixture.h"

#include <cmath>
#include <limits>
#include <random>

namespace oq::test {
namespace {

class ViewMath : public PointerFixture
{
protected:
    // 1e-3 pixel plus 4 ulps of the largest coordinate involved.
    float Tolerance(const Point2D &a, const Point2D &b) const
    {
        float largest = std::fmax(std::fmax(std::fabs(a.x), std::fabs(a.y)), std::fmax(std::fabs(b.x), std::fabs(b.y)));
        largest = std::fmax(largest, std::fmax(std::fabs(editor->viewCentre.x), std::fabs(editor->viewCentre.y)));
        float ulp = std::nextafter(largest, std::numeric_limits<float>::infinity()) - largest;
        return 1e-3f * editor->pixelScale + 4.0f * ulp;
    }

    // A random zoom (log-uniform over the clamp range), view position and pointer pixel in the view.
    void Randomize(std::mt19937 &random, Point2D *pixel)
    {
        std::uniform_real_distribution<float> logZoom(std::log(0.25f), std::log(10000.0f));
        std::uniform_real_distribution<float> position(-5000.0f, 5000.0f);
        editor->SetZoom(std::exp(logZoom(random)));
        editor->viewCentre = Point2D(position(random), position(random));
        editor->UpdateViewTransform();
        std::uniform_real_distribution<float> x(0.0f, 400.0f);
        std::uniform_real_distribution<float> y(float(editor->toolBandHeight) + 1.0f,
                                                float(editor->clientHeight - editor->statusBandHeight) - 1.0f);
        *pixel = Point2D(x(random), y(random));
    }
};

TEST_F(ViewMath, WheelKeepsThePointUnderThePointer)
{
    std::mt19937 random(62);
    std::uniform_real_distribution<float> notches(-6.0f, 6.0f);
    for (int32_t i = 0; i < 2000; ++i)
    {
        Point2D pixel;
        Randomize(random, &pixel);
        Send('msmv', pixel);
        Point2D before = editor->GetDocumentPoint(pixel);
        float n = notches(random);
        UIEvent wheel = Event('mwhl', pixel);
        wheel.wheel = Vector2D(0.0f, n);
        EXPECT_TRUE(editor->HandleMouseEvent(wheel));
        Point2D after = editor->GetDocumentPoint(pixel);
        float tolerance = Tolerance(before, after);
        ASSERT_NEAR(after.x, before.x, tolerance) << i << " notches " << n << " zoom " << editor->zoom;
        ASSERT_NEAR(after.y, before.y, tolerance) << i << " notches " << n << " zoom " << editor->zoom;
        ASSERT_GE(editor->zoom, 0.25f);
        ASSERT_LE(editor->zoom, 10000.0f);
    }
}

TEST_F(ViewMath, PansKeepThePointUnderThePointer)
{
    std::mt19937 random(6201);
    for (int32_t i = 0; i < 1000; ++i)
    {
        Point2D from;
        Point2D to;
        Randomize(random, &to);
        Randomize(random, &from);
        bool middle = (i & 1) != 0;
        Send('msmv', from);
        Point2D before = editor->GetDocumentPoint(from);
        Send(middle ? 'mmdn' : 'lmdn', from, middle ? 16 : 1 | kModifierControl);
        ASSERT_EQ(editor->dragMode, uint32_t('scrl'));
        Send('msmv', to);
        Point2D after = editor->GetDocumentPoint(to);
        Send(middle ? 'mmup' : 'lmup', to);
        float tolerance = Tolerance(before, after);
        ASSERT_NEAR(after.x, before.x, tolerance) << i;
        ASSERT_NEAR(after.y, before.y, tolerance) << i;
        ASSERT_EQ(editor->dragMode, 0u);
    }
}

TEST_F(ViewMath, CtrlRightDragZoomsAboutTheCentre)
{
    std::mt19937 random(6202);
    std::uniform_real_distribution<float> move(-300.0f, 300.0f);
    for (int32_t i = 0; i < 500; ++i)
    {
        Point2D pixel;
        Randomize(random, &pixel);
        Point2D centre = editor->GetDocumentPoint(Point2D(editor->halfClientWidth, editor->halfClientHeight));
        float zoom = editor->zoom;
        float dy = move(random);
        Send('rmdn', pixel, 2 | kModifierControl);
        EXPECT_TRUE(Send('msmv', Point2D(pixel.x, pixel.y + dy)));
        Send('rmup', Point2D(pixel.x, pixel.y + dy));
        float expected = std::fmin(std::fmax(zoom * std::exp(-0.005f * dy), 0.25f), 10000.0f);
        ASSERT_NEAR(editor->zoom, expected, expected * 1e-5f) << i;
        Point2D after = editor->GetDocumentPoint(Point2D(editor->halfClientWidth, editor->halfClientHeight));
        float tolerance = Tolerance(centre, after);
        ASSERT_NEAR(after.x, centre.x, tolerance) << i;
        ASSERT_NEAR(after.y, centre.y, tolerance) << i;
    }
    // Dragging up enlarges; the drag selects nothing.
    editor->SetZoom(2.0f);
    Send('rmdn', {200.0f, 150.0f}, 2 | kModifierControl);
    Send('msmv', {200.0f, 100.0f});
    EXPECT_GT(editor->zoom, 2.0f);
    Send('rmup', {200.0f, 100.0f});
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0);
}

TEST_F(ViewMath, WheelSteps)
{
    struct Case
    {
        const char *name;
        float zoom;
        float notches;
        float expected;
    } cases[] = {
        {"three notches from 1 snap to 2", 1.0f, 3.0f, 2.0f},
        {"a step landing on 1.2 stays", 1.2f / std::exp(0.24f), 1.0f, 1.2f},
        {"just above a whole zoom snaps", 3.1f / std::exp(0.24f), 1.0f, 3.0f},
        {"far below the minimum", 0.3f, -40.0f, 0.25f},
        {"far above the maximum", 9000.0f, 40.0f, 10000.0f},
        {"not a number", 2.0f, std::numeric_limits<float>::quiet_NaN(), 0.25f},
        {"infinitely many", 2.0f, std::numeric_limits<float>::infinity(), 10000.0f},
    };
    for (const Case &c : cases)
    {
        editor->SetZoom(c.zoom);
        Send('msmv', {200.0f, 150.0f});
        UIEvent wheel = Event('mwhl', {200.0f, 150.0f});
        wheel.wheel = Vector2D(0.0f, c.notches);
        EXPECT_TRUE(editor->HandleMouseEvent(wheel)) << c.name;
        EXPECT_NEAR(editor->zoom, c.expected, 1e-5f) << c.name;
        EXPECT_TRUE(std::isfinite(editor->viewCentre.x) && std::isfinite(editor->viewCentre.y)) << c.name;
    }
    // Three single notches from 1 also end on 2; the bands take no zoom.
    editor->SetZoom(1.0f);
    UIEvent wheel = Event('mwhl', {200.0f, 150.0f});
    wheel.wheel = Vector2D(0.0f, 1.0f);
    for (int32_t i = 0; i < 3; ++i) static_cast<void>(editor->HandleMouseEvent(wheel));
    EXPECT_EQ(editor->zoom, 2.0f);
    for (float y : {10.0f, 290.0f})
    {
        wheel.position = Point2D(200.0f, y);
        EXPECT_FALSE(editor->HandleMouseEvent(wheel)) << y;
        EXPECT_EQ(editor->zoom, 2.0f) << y;
    }
}

}  // namespace
}  // namespace oq::test
