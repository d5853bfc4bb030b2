#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "editor/platform/ColorWheel.h"
#include "editor/platform/ControlFixture.h"
#include "editor/platform/GradientSlider.h"
#include "editor/platform/ShellServices.h"

namespace oq {
namespace {

using test::Step;

constexpr double kPi = 3.14159265358979323846;

// The Shift state as the loop stores it and IsShiftDown reads it, set without a window.
void SetShift(bool down) { SetKeyModifiers(down ? kModifierShift : 0); }

class ColorWheelTest : public test::ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        SetShift(false);
        // A 160 x 160 wheel at (20, 20).
        wheel = Add(new ColorWheel(Point2D(20, 20), Vector2D(160, 160)), "w");
    }

    void TearDown() override
    {
        SetShift(false);
        ControlTest::TearDown();
    }

    void Frame()
    {
        uint64_t deadline = 0;
        root->Update(16, &deadline, 530);
    }

    ColorWheel *wheel = nullptr;
};

TEST_F(ColorWheelTest, StoredModifiersReachIsShiftDown)
{
    const struct
    {
        uint32_t modifiers;
        bool shift;
    } cases[] = {{0, false}, {kModifierShift, true}, {kModifierControl, false},
                 {kModifierShift | kModifierControl, true}};
    for (const auto &c : cases)
    {
        SetKeyModifiers(c.modifiers);
        EXPECT_EQ(IsShiftDown(), c.shift) << c.modifiers;
    }
}

TEST_F(ColorWheelTest, PressesPickHueAndSaturation)
{
    struct Case
    {
        float x, y;  // local
        double saturation;
        double hue;
    };
    const Case cases[] = {
        {160, 80, 1, 0},           {80, 0, 1, kPi / 2},      {0, 80, 1, kPi},          {80, 160, 1, 3 * kPi / 2},
        {120, 80, 0.5, 0},         {80, 40, 0.5, kPi / 2},   {40, 120, 0.70710678, 5 * kPi / 4},
        {300, 80, 1, 0},  // past the disc: saturation 1 on the pointer's ray (dragged)
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        wheel->SetValue(0.25F, 2.0F);
        sent.clear();
        // Pressed on the disc centre's left edge, then dragged, so every point reaches the wheel.
        Run({{'lmdn', 20 + 10, 100}, {'msmv', 20 + c.x, 20 + c.y}, {'lmup', 20 + c.x, 20 + c.y}});
        EXPECT_NEAR(wheel->saturation, c.saturation, 1e-5);
        EXPECT_NEAR(wheel->hue, c.hue, 2e-6);
        EXPECT_GE(wheel->hue, 0.0F);
        EXPECT_LT(wheel->hue, float(2 * kPi));
        EXPECT_EQ(sent, (std::vector<std::string>{"w wgch", "w wgch"}));
        // The knob is where SetValue puts it.
        EXPECT_NEAR(wheel->knob.x, (std::cos(c.hue) * c.saturation + 1) * 80, 1e-3);
        EXPECT_NEAR(wheel->knob.y, (1 - std::sin(c.hue) * c.saturation) * 80, 1e-3);
    }
}

TEST_F(ColorWheelTest, EveryPointOfTheDiscAgainstDirectFormulas)
{
    for (float y = 1; y < 160; y += 7)
    {
        for (float x = 1; x < 160; x += 7)
        {
            double u = (x - 80.0) / 80.0, v = (y - 80.0) / 80.0;
            if (u * u + v * v > 1 || u * u + v * v < 1e-6) continue;
            UIEvent press;
            press.type = 'lmdn';
            press.position = Point2D(x, y);
            press.hitCode = 'intr';
            wheel->SetValue(0.0F, 0.0F);
            wheel->HandleMouseEvent(press);
            double hue = std::atan2(-v, u);
            if (hue < 0) hue += 2 * kPi;
            EXPECT_NEAR(wheel->saturation, std::sqrt(u * u + v * v), 1e-5) << x << "," << y;
            EXPECT_NEAR(std::remainder(wheel->hue - hue, 2 * kPi), 0, 1e-5) << x << "," << y;
            EXPECT_NEAR(wheel->knob.x, x, 1e-3);
            EXPECT_NEAR(wheel->knob.y, y, 1e-3);
        }
    }
}

TEST_F(ColorWheelTest, HueStaysBelowTwoPi)
{
    // Just below the right-hand ray the angle is a tiny negative number; adding 2 pi rounds up.
    UIEvent press;
    press.type = 'lmdn';
    press.position = Point2D(150, std::nextafter(80.0F, 100.0F));
    press.hitCode = 'intr';
    wheel->HandleMouseEvent(press);
    EXPECT_GE(wheel->hue, 0.0F);
    EXPECT_LT(wheel->hue, float(2 * kPi));
}

TEST_F(ColorWheelTest, HitAreas)
{
    wheel->SetValue(0.5F, 0.0F);  // knob at (120, 80)
    struct Case
    {
        float x, y;
        uint32_t hit;
    };
    const Case cases[] = {{120, 80, 'indc'}, {125.9F, 80, 'indc'}, {120, 74.1F, 'indc'}, {126.1F, 80, 'intr'},
                          {80, 80, 'intr'},  {160, 80, 'intr'},    {0, 80, 'intr'},     {160.1F, 80, 0},
                          {150, 150, 0},     {1, 1, 0},            {-5, 80, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(wheel->HitTest(Point2D(c.x, c.y)), c.hit) << c.x << "," << c.y;
    // A press outside the disc is not the wheel's.
    Run({{'lmdn', 20 + 150, 20 + 150}, {'lmup', 20 + 150, 20 + 150}});
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(wheel->saturation, 0.5F);
}

TEST_F(ColorWheelTest, KnobGrabKeepsItsOffset)
{
    wheel->SetValue(0.5F, 1.0F);
    const Point2D k = wheel->knob;
    // Pressing the knob and releasing, with frames between, sends nothing.
    Run({{'lmdn', 20 + k.x + 2, 20 + k.y + 1}});
    Frame();
    Frame();
    Run({{'lmup', 20 + k.x + 2, 20 + k.y + 1}});
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(wheel->hue, 1.0F);
    EXPECT_EQ(wheel->saturation, 0.5F);
    // Grabbed 2 right and 1 below the centre: the knob follows at that distance.
    Run({{'lmdn', 20 + k.x + 2, 20 + k.y + 1}, {'msmv', 20 + 100 + 2, 20 + 60 + 1}});
    EXPECT_NEAR(wheel->knob.x, 100, 1e-3);
    EXPECT_NEAR(wheel->knob.y, 60, 1e-3);
    EXPECT_EQ(sent, std::vector<std::string>{"w wgch"});
    // A move that changes nothing sends nothing; moves after the release are not the drag's.
    Run({{'msmv', 20 + 100 + 2, 20 + 60 + 1}, {'lmup', 20 + 100 + 2, 20 + 60 + 1}, {'msmv', 30, 100}});
    EXPECT_EQ(sent, std::vector<std::string>{"w wgch"});
    // The knob ring is drawn at the knob centre.
    r.device.draws.clear();
    root->RenderTree(test::Identity());
    ASSERT_EQ(r.device.draws.size(), 1U);
    float matrix[16];
    std::memcpy(matrix, r.device.draws[0].constants.data(), 64);
    EXPECT_NEAR(matrix[3], 120, 1e-3);
    EXPECT_NEAR(matrix[7], 80, 1e-3);
    EXPECT_GT(wheel->item.vertexCount, 0U);
}

TEST_F(ColorWheelTest, ShiftKeepsTheHueOfThePress)
{
    // Press at hue 0, saturation 1.
    Run({{'lmdn', 20 + 160, 20 + 80}});
    ASSERT_EQ(wheel->hue, 0.0F);
    sent.clear();
    // Shift held: dragging up-left changes only the saturation.
    SetShift(true);
    Run({{'msmv', 20 + 80, 20 + 40, kModifierShift}});
    EXPECT_EQ(wheel->hue, 0.0F);
    EXPECT_NEAR(wheel->saturation, 0.5F, 1e-6);
    EXPECT_NEAR(wheel->draggedHue, kPi / 2, 1e-6);
    Frame();
    EXPECT_EQ(sent, std::vector<std::string>{"w wgch"});
    // Shift released mid-drag: the hue jumps to the pointer's angle at the next frame.
    SetShift(false);
    Frame();
    EXPECT_NEAR(wheel->hue, kPi / 2, 1e-6);
    EXPECT_NEAR(wheel->saturation, 0.5F, 1e-6);
    EXPECT_EQ(sent, (std::vector<std::string>{"w wgch", "w wgch"}));
    Frame();
    EXPECT_EQ(sent.size(), 2U);
    // Pressed again: back to the hue of the press.
    SetShift(true);
    Frame();
    EXPECT_EQ(wheel->hue, 0.0F);
    EXPECT_EQ(sent.size(), 3U);
    // After the release, frames do nothing.
    Run({{'lmup', 20 + 80, 20 + 40, kModifierShift}});
    SetShift(false);
    Frame();
    EXPECT_EQ(wheel->hue, 0.0F);
    EXPECT_EQ(sent.size(), 3U);
}

class GradientSliderTest : public test::ControlTest
{
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        // 100 x 10 at (50, 50).
        slider = Add(new GradientSlider(Point2D(50, 50), Vector2D(100, 10)), "g");
    }

    GradientSlider *slider = nullptr;
};

TEST_F(GradientSliderTest, PressesAndDragsSetTheValue)
{
    struct Case
    {
        const char *name;
        std::vector<Step> steps;  // x local, y 5
        float value;
        size_t events;
    };
    const Case cases[] = {
        {"press at 25", {{'lmdn', 25, 5}}, 0.25F, 1},
        {"drag to -30", {{'lmdn', 25, 5}, {'msmv', -30, 5}}, 0.0F, 2},
        {"drag to 130", {{'lmdn', 25, 5}, {'msmv', 130, 40}}, 1.0F, 2},
        {"drag past the end twice", {{'lmdn', 25, 5}, {'msmv', 130, 5}, {'msmv', 140, 5}}, 1.0F, 2},
        {"press on the marker at 0", {{'lmdn', 2, 5}}, 0.0F, 0},
        {"press below the bar on its band", {{'lmdn', 70, 16}}, 0.7F, 1},
        {"press below the band", {{'lmdn', 70, 17.5F}}, 0.0F, 0},
        {"moves after the release", {{'lmdn', 25, 5}, {'lmup', 25, 5}, {'msmv', 60, 5}}, 0.25F, 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        slider->value = 0;
        slider->knobX = 0;
        slider->Invalidate();
        sent.clear();
        std::vector<Step> steps = c.steps;
        for (Step &step : steps)
        {
            step.x += 50;
            step.y += 50;
        }
        Run(steps);
        EXPECT_FLOAT_EQ(slider->value, c.value);
        EXPECT_FLOAT_EQ(slider->knobX, 100 * c.value);
        EXPECT_EQ(sent, std::vector<std::string>(c.events, "g wgch"));
        Run({{'lmup', 0, 0}});
    }
}

TEST_F(GradientSliderTest, MarkerGrabKeepsItsDistance)
{
    slider->value = 0.5F;
    slider->knobX = 50;
    slider->Invalidate();
    Run({{'lmdn', 50 + 52, 50 + 5}});
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(slider->grabOffset, 2.0F);
    Run({{'msmv', 50 + 72, 50 + 5}});
    EXPECT_FLOAT_EQ(slider->value, 0.7F);
    EXPECT_FLOAT_EQ(slider->knobX, 70.0F);
    EXPECT_EQ(sent, std::vector<std::string>{"g wgch"});
}

TEST_F(GradientSliderTest, HitBand)
{
    slider->knobX = 100;  // at the right end
    struct Case
    {
        float x, y;
        uint32_t hit;
    };
    const Case cases[] = {{50, 5, 'intr'},  {50, -6.5F, 'intr'}, {50, 16.5F, 'intr'}, {50, -7, 0},
                          {50, 17, 0},      {0.5F, 5, 'intr'},   {0, 5, 0},           {-1, 5, 0},
                          {103.5F, 5, 'indc'}, {96.5F, -6, 'indc'}, {104, 5, 0},       {96, 5, 'intr'}};
    for (const Case &c : cases)
        EXPECT_EQ(slider->HitTest(Point2D(c.x, c.y)), c.hit) << c.x << "," << c.y;
}

TEST_F(GradientSliderTest, GradientAndMarkerDrawing)
{
    auto vertices = [&] {
        const std::vector<uint8_t> &bytes = r.device.buffers[slider->object.vertexBuffer].bytes;
        std::vector<float> v(bytes.size() / 4);
        std::memcpy(v.data(), bytes.data(), bytes.size());
        return v;
    };
    EXPECT_EQ(slider->GetWidgetType(), uint32_t('grad'));
    EXPECT_EQ(vertices(), (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 10, 1, 0, 0, 1, 100, 10, 1, 1, 0, 1, 100, 0, 1, 1,
                                              0, 1}));
    // The owner writes new colours: rebuilt at the next update only.
    const float green[3] = {0, 1, 0}, blue[3] = {0, 0, 0.5F};
    std::memcpy(slider->leftColor, green, sizeof(green));
    std::memcpy(slider->rightColor, blue, sizeof(blue));
    slider->value = 0.25F;
    slider->knobX = 25;
    slider->Invalidate();
    EXPECT_TRUE(root->IsRedrawNeeded());
    root->UpdatePosition();
    EXPECT_EQ(vertices(), (std::vector<float>{0, 0, 0, 1, 0, 1, 0, 10, 0, 1, 0, 1, 100, 10, 0, 0, 0.5F, 1, 100, 0, 0,
                                              0, 0.5F, 1}));
    const std::vector<uint8_t> &indices = r.device.buffers[slider->object.indexBuffer].bytes;
    std::vector<uint16_t> i(indices.size() / 2);
    std::memcpy(i.data(), indices.data(), indices.size());
    EXPECT_EQ(i, (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));
    // The gradient, then the marker at the knob.
    r.device.draws.clear();
    root->RenderTree(test::Identity());
    ASSERT_EQ(r.device.draws.size(), 2U);
    float matrix[16];
    std::memcpy(matrix, r.device.draws[0].constants.data(), 64);
    EXPECT_EQ(matrix[3], 50.0F);
    std::memcpy(matrix, r.device.draws[1].constants.data(), 64);
    EXPECT_EQ(matrix[3], 75.0F);
    EXPECT_EQ(matrix[7], 50.0F);
    EXPECT_GT(slider->markerItem.vertexCount, 0U);
}

}  // namespace
}  // namespace oq
