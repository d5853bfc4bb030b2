#include <gtest/gtest.h>

#include "editor/platform/ButtonPress.h"
#include "editor/platform/ControlFixture.h"
#include "editor/platform/TextButton.h"

namespace oq {
namespace {

using test::LookName;
using test::Step;

class ButtonsTest : public test::ControlTest
{
};

// Window points of a text button at (10, 10), 80 x 20.
constexpr float kInX = 50, kInY = 20, kOutX = 150, kOutY = 150;

TEST_F(ButtonsTest, TextButtonPressProtocol)
{
    struct Case
    {
        const char *name;
        std::vector<Step> steps;
        std::vector<std::string> sent;
        const char *look;
        bool pressed;
        bool hovered;  // the root's hover is the button
    };
    const Case cases[] = {
        {"hover", {{'msmv', kInX, kInY}}, {}, "hovered", false, true},
        {"hover and leave", {{'msmv', kInX, kInY}, {'msmv', kOutX, kOutY}}, {}, "normal", false, false},
        {"press", {{'msmv', kInX, kInY}, {'lmdn', kInX, kInY}}, {}, "pressed", true, false},
        {"click", {{'msmv', kInX, kInY}, {'lmdn', kInX, kInY}, {'lmup', kInX, kInY}}, {"ok wgac"}, "hovered", false,
         true},
        {"click without a hover first", {{'lmdn', kInX, kInY}, {'lmup', kInX, kInY}}, {"ok wgac"}, "hovered", false,
         true},
        {"drag out", {{'lmdn', kInX, kInY}, {'msmv', kOutX, kOutY}}, {}, "normal", false, false},
        {"drag out and back, release inside",
         {{'lmdn', kInX, kInY}, {'msmv', kOutX, kOutY}, {'msmv', kInX + 10, kInY}, {'lmup', kInX + 10, kInY}},
         {"ok wgac"},
         "hovered",
         false,
         true},
        {"drag out, release outside",
         {{'lmdn', kInX, kInY}, {'msmv', kOutX, kOutY}, {'lmup', kOutX, kOutY}},
         {},
         "normal",
         false,
         false},
        {"release just past the right edge", {{'lmdn', kInX, kInY}, {'lmup', 90, kInY}}, {}, "normal", false, false},
        {"release without a press", {{'lmup', kInX, kInY}}, {}, "hovered", false, true},
        {"right-button and wheel events are ignored",
         {{'rmdn', kInX, kInY}, {'mwhl', kInX, kInY}},
         {},
         "normal",
         false,
         false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        sent.clear();
        auto *button = Add(new TextButton(font, &state, "A", Point2D(10, 10), Vector2D(80, 20), 0.5F, 0.0F), "ok");
        Run(c.steps);
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(LookName(button->box.color), c.look);
        EXPECT_EQ((button->GetWidgetFlags() & kWidgetPressed) != 0, c.pressed);
        EXPECT_EQ(root->GetHoverWidget() == button, c.hovered);
        // The box is drawn first, in the look's colour.
        std::vector<ColorRGBA> colors = DrawnColors();
        ASSERT_EQ(colors.size(), 2U);
        EXPECT_EQ(LookName(colors[0]), c.look);
        delete button;
    }
}

TEST_F(ButtonsTest, TextButtonTakesTheHoverFromAnotherWidget)
{
    auto *first = Add(new TextButton(font, &state, "A", Point2D(10, 10), Vector2D(80, 20), 0.5F, 0.0F), "a");
    auto *second = Add(new TextButton(font, &state, "B", Point2D(10, 40), Vector2D(80, 20), 0.5F, 0.0F), "b");
    root->SetHover(first);
    EXPECT_EQ(LookName(first->box.color), "hovered");
    // Released on the second while the first is hovered: the first ends its hover.
    Run({{'lmdn', kInX, 50}});
    root->SetHover(first);
    Run({{'lmup', kInX, 50}});
    EXPECT_EQ(sent, std::vector<std::string>{"b wgac"});
    EXPECT_EQ(root->GetHoverWidget(), second);
    EXPECT_EQ(LookName(first->box.color), "normal");
    EXPECT_EQ(LookName(second->box.color), "hovered");
}

TEST_F(ButtonsTest, TextButtonLayout)
{
    state.alignment = 'CENT';
    auto *button = Add(new TextButton(font, &state, "AA", Point2D(10, 10), Vector2D(80, 20), 1.5F, 0.0F), "ok");
    EXPECT_EQ(button->GetWidgetType(), uint32_t('txbt'));
    EXPECT_EQ(button->GetWidgetFlags(), 0U);
    // Cap height 0.7 em at 10 points: the baseline 3.5 below the middle.
    EXPECT_FLOAT_EQ(button->baselineOffset, 13.5F);
    EXPECT_EQ(button->textXOffset, 0.0F);
    EXPECT_GT(button->box.item.vertexCount, 0U);
    // Box at the global position, label at the global position plus the offsets.
    r.device.draws.clear();
    root->RenderTree(test::Identity());
    ASSERT_EQ(r.device.draws.size(), 2U);
    float boxMatrix[16], labelMatrix[16];
    std::memcpy(boxMatrix, r.device.draws[0].constants.data(), 64);
    std::memcpy(labelMatrix, r.device.draws[1].constants.data(), 64);
    EXPECT_EQ(boxMatrix[3], 10.0F);
    EXPECT_EQ(boxMatrix[7], 10.0F);
    EXPECT_EQ(labelMatrix[3], 10.0F);
    EXPECT_EQ(labelMatrix[7], 23.5F);
}

TEST_F(ButtonsTest, DisabledTextButtonFadesAndIsNotHit)
{
    state.fillPaint.color = {0.2F, 0.4F, 0.0F, 1.0F};
    auto *button = Add(new TextButton(font, &state, "A", Point2D(10, 10), Vector2D(80, 20), 0.5F, 0.0F), "ok");
    root->SetHover(button);
    button->Disable();
    EXPECT_TRUE(button->GetWidgetFlags() & kWidgetDisabled);
    EXPECT_EQ(LookName(button->box.color), "normal");
    EXPECT_FLOAT_EQ(button->object.color.red, 0.6F);
    EXPECT_FLOAT_EQ(button->object.color.green, 0.7F);
    EXPECT_FLOAT_EQ(button->object.color.blue, 0.5F);
    EXPECT_EQ(button->object.color.alpha, 1.0F);
    EXPECT_EQ(button->layoutState.fillPaint.color.alpha, 0.0F);
    // Laid out again with transparent text.
    root->UpdatePosition();
    auto vertices = r.device.buffers[button->object.vertexBuffer].bytes;
    ASSERT_GE(vertices.size(), 68U);
    EXPECT_EQ(vertices[64 + 3], 0);  // alpha byte of the first vertex colour
    root->SetHover(nullptr);
    Run({{'lmdn', kInX, kInY}, {'lmup', kInX, kInY}});
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(root->GetHoverWidget(), nullptr);

    button->Enable();
    EXPECT_EQ(button->layoutState.fillPaint.color.alpha, 1.0F);
    root->UpdatePosition();
    Run({{'lmdn', kInX, kInY}, {'lmup', kInX, kInY}});
    EXPECT_EQ(sent, std::vector<std::string>{"ok wgac"});
}

TEST_F(ButtonsTest, HandlerMayDestroyTheButton)
{
    auto *button = Add(new TextButton(font, &state, "A", Point2D(10, 10), Vector2D(80, 20), 0.5F, 0.0F), "ok");
    onEvent = [&](EventLink *sender, uint32_t) { delete static_cast<Widget *>(static_cast<TextButton *>(sender)); };
    Run({{'lmdn', kInX, kInY}, {'lmup', kInX, kInY}, {'msmv', kInX, kInY}});
    EXPECT_EQ(sent, std::vector<std::string>{"ok wgac"});
    EXPECT_EQ(root->GetFirstSubwidget(), nullptr);
    EXPECT_EQ(root->GetHoverWidget(), nullptr);
    (void)button;
}

}  // namespace
}  // namespace oq
