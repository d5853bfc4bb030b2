#include <gtest/gtest.h>

#include "editor/platform/ButtonPress.h"
#include "editor/platform/ControlFixture.h"
#include "editor/platform/ColorButton.h"
#include "editor/platform/LinkText.h"
#include "editor/platform/PictureButton.h"
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

TEST_F(ButtonsTest, EnterAndEscapeActivateTheDefaultAndCancelButtons)
{
    auto *ok = Add(new TextButton(font, &state, "A", Point2D(10, 10), Vector2D(80, 20), 1.5F, 0.0F), "ok");
    auto *cancel = Add(new TextButton(font, &state, "A", Point2D(10, 40), Vector2D(80, 20), 0.5F, 0.0F), "cancel");
    root->SetDefaultButton(ok);
    root->SetCancelButton(cancel);
    auto key = [&](int32_t code) {
        UIEvent event;
        event.type = 'kydn';
        event.key = code;
        root->HandleKeyEvent(event);
    };
    key(13);
    key(27);
    cancel->Disable();
    key(27);
    EXPECT_EQ(sent, (std::vector<std::string>{"ok wgac", "cancel wgac"}));
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

TEST_F(ButtonsTest, PictureButtonModes)
{
    struct Case
    {
        const char *name;
        int32_t mode;
        bool initiallyPressed;
        std::vector<Step> steps;
        std::vector<std::string> sent;
        const char *look;
        bool pressed;
    };
    // Picture button at (10, 10), 40 x 30.
    const Step press = {'lmdn', 30, 25}, release = {'lmup', 30, 25}, hover = {'msmv', 30, 25};
    const Step out = {'msmv', 150, 150}, releaseOut = {'lmup', 150, 150};
    const Case cases[] = {
        {"push click", kPicturePush, false, {press, release}, {"p wgac"}, "hovered", false},
        {"push press", kPicturePush, false, {press}, {}, "pressed", true},
        {"push drag out, release outside", kPicturePush, false, {press, out, releaseOut}, {}, "normal", false},
        {"push drag out and back", kPicturePush, false, {press, out, hover, release}, {"p wgac"}, "hovered", false},
        {"immediate press", kPictureImmediate, false, {press}, {"p wgac"}, "normal", false},
        // The release is not delivered: the root only moves its hover there.
        {"immediate click", kPictureImmediate, false, {press, release}, {"p wgac"}, "hovered", false},
        {"latch click", kPictureLatch, false, {press, release}, {"p wgac"}, "pressed", true},
        {"latch clicked twice", kPictureLatch, false, {press, release, press, release}, {"p wgac", "p wgac"}, "pressed",
         true},
        {"latch drag out", kPictureLatch, false, {press, out, releaseOut}, {"p wgac"}, "pressed", true},
        {"toggle down", kPictureToggle, false, {press, release, hover}, {"p wgac"}, "pressed", true},
        {"toggle down and up", kPictureToggle, false, {press, release, press, release}, {"p wgac", "p wgda"}, "normal",
         false},
        {"toggle built down", kPictureToggle, true, {hover}, {}, "pressed", true},
        {"toggle built down, clicked", kPictureToggle, true, {press, release}, {"p wgda"}, "normal", false},
        {"push built pressed keeps its look under hover", kPicturePush, true, {hover}, {}, "pressed", true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        sent.clear();
        auto *button =
            Add(new PictureButton(nullptr, 0, Point2D(10, 10), Vector2D(40, 30), 4.0F, c.mode, kRoundAllCorners,
                                  c.initiallyPressed),
                "p");
        EXPECT_EQ(button->AcceptsCapture(), c.mode != kPictureImmediate);
        Run(c.steps);
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(LookName(button->box.color), c.look);
        EXPECT_EQ((button->GetWidgetFlags() & kWidgetPressed) != 0, c.pressed);
        std::vector<ColorRGBA> colors = DrawnColors();
        ASSERT_EQ(colors.size(), 1U);  // no icon file: the box alone
        EXPECT_EQ(LookName(colors[0]), c.look);
        root->SetHover(nullptr);
        delete button;
    }
}

TEST_F(ButtonsTest, PictureButtonIconPlacement)
{
    auto *button = Add(new PictureButton(nullptr, 0, Point2D(10, 10), Vector2D(24, 40), 3.0F, kPicturePush,
                                         kRoundLeftCorners, false),
                       "p");
    EXPECT_EQ(button->GetWidgetType(), uint32_t('pcbt'));
    // A square of side 20, 2 in from the sides, centred vertically: 10 to 30.
    EXPECT_FLOAT_EQ(button->scale[0] * 24, 20.0F);
    EXPECT_FLOAT_EQ(button->scale[1] * 40, 20.0F);
    EXPECT_FLOAT_EQ(button->offset[0], 2.0F);
    EXPECT_FLOAT_EQ(button->offset[1], 10.0F);
    EXPECT_GT(button->box.item.vertexCount, 0U);
}

TEST_F(ButtonsTest, LatchGroupOwnerUnpressesTheOthers)
{
    PictureButton *members[3];
    for (int i = 0; i < 3; ++i)
    {
        static const char *names[3] = {"a", "b", "c"};
        members[i] = Add(new PictureButton(nullptr, 0, Point2D(10 + 30 * float(i), 10), Vector2D(30, 30), 3.0F,
                                           kPictureLatch, kRoundAllCorners, i == 0),
                         names[i]);
    }
    onEvent = [&](EventLink *sender, uint32_t event) {
        if (event != 'wgac') return;
        for (PictureButton *member : members)
            if (member != sender) member->Unpress();
    };
    root->SetRedrawNeeded();
    root->Render(test::Identity());
    Run({{'lmdn', 55, 20}, {'lmup', 55, 20}});
    EXPECT_EQ(sent, std::vector<std::string>{"b wgac"});
    EXPECT_TRUE(root->IsRedrawNeeded());
    const char *looks[3] = {"normal", "pressed", "normal"};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ((members[i]->GetWidgetFlags() & kWidgetPressed) != 0, i == 1);
        EXPECT_EQ(LookName(members[i]->box.color), looks[i]);
    }
}

TEST_F(ButtonsTest, ColorButtonPressProtocol)
{
    struct Case
    {
        const char *name;
        std::vector<Step> steps;
        std::vector<std::string> sent;
        bool pressed;
    };
    const Case cases[] = {
        {"click", {{'lmdn', 20, 20, 1}, {'lmup', 20, 20}}, {"s wgac"}, false},
        {"shift click", {{'lmdn', 20, 20, 5}, {'lmup', 20, 20, kModifierShift}}, {"s wgsa"}, false},
        {"control click", {{'lmdn', 20, 20, 9}, {'lmup', 20, 20, 8}}, {"s wgac"}, false},
        {"press", {{'lmdn', 20, 20}}, {}, true},
        {"drag out", {{'lmdn', 20, 20}, {'msmv', 150, 150}}, {}, false},
        {"drag out and back, release", {{'lmdn', 20, 20}, {'msmv', 150, 150}, {'msmv', 15, 15}, {'lmup', 15, 15}},
         {"s wgac"}, false},
        {"release outside", {{'lmdn', 20, 20}, {'lmup', 150, 150, kModifierShift}}, {}, false},
    };
    const uint8_t color[4] = {255, 128, 0, 255};
    for (bool framed : {false, true})
    {
        for (const Case &c : cases)
        {
            SCOPED_TRACE(testing::Message() << c.name << (framed ? " framed" : " solid"));
            sent.clear();
            auto *button = Add(new ColorButton(Point2D(10, 10), Vector2D(30, 20), color, framed), "s");
            Run(c.steps);
            EXPECT_EQ(sent, c.sent);
            EXPECT_EQ((button->GetWidgetFlags() & kWidgetPressed) != 0, c.pressed);
            // It does not take the hover back on release.
            EXPECT_EQ(root->GetHoverWidget(), nullptr);
            // The swatch in the colour, then the black outline while pressed.
            std::vector<ColorRGBA> colors = DrawnColors();
            ASSERT_EQ(colors.size(), c.pressed ? 2U : 1U);
            EXPECT_FLOAT_EQ(colors[0].red, 1.0F);
            EXPECT_NEAR(colors[0].green, 0.21586F, 1e-5);
            EXPECT_EQ(colors[0].blue, 0.0F);
            root->SetHover(nullptr);
            delete button;
        }
    }
}

TEST_F(ButtonsTest, ColorButtonGeometry)
{
    const uint8_t color[4] = {0, 0, 255, 128};
    auto *solid = Add(new ColorButton(Point2D(10, 10), Vector2D(30, 20), color, false), "solid");
    auto *framed = Add(new ColorButton(Point2D(50, 10), Vector2D(30, 20), color, true), "framed");
    EXPECT_EQ(solid->GetWidgetType(), uint32_t('clbt'));
    EXPECT_NEAR(solid->object.color.alpha, 128.0F / 255.0F, 1e-6);
    for (ColorButton *button : {solid, framed})
    {
        // One draw over the fill and the stroke; the outline has curve texels only.
        EXPECT_GT(button->item.vertexCount, 0U);
        EXPECT_EQ(button->item.textures, &button->swatchPair);
        EXPECT_GT(button->outline.item.vertexCount, 0U);
        EXPECT_EQ(r.device.buffers[button->object.vertexBuffer].bytes.size(), button->item.vertexCount * 68U);
    }
    // The inner rectangle is a second contour, stroked on its own.
    EXPECT_GT(framed->item.vertexCount, solid->item.vertexCount);
    // The swatch geometry carries no colour of its own: alpha-0 fill, grey opaque stroke.
    auto bytes = r.device.buffers[solid->object.vertexBuffer].bytes;
    bool clearFill = false, greyStroke = false;
    for (size_t at = 64; at + 4 <= bytes.size(); at += 68)
    {
        clearFill = clearFill || bytes[at + 3] == 0;
        greyStroke = greyStroke || (bytes[at + 3] == 255 && bytes[at] == bytes[at + 1] && bytes[at] > 40 &&
                                    bytes[at] < 70);
    }
    EXPECT_TRUE(clearFill);
    EXPECT_TRUE(greyStroke);
}

TEST_F(ButtonsTest, LinkTextHitAndUnderline)
{
    auto *link = Add(new LinkText(font, &state, "AAAA", Point2D(100, 100), Vector2D(0, 0), 0.0F), "link");
    EXPECT_EQ(link->GetWidgetType(), uint32_t('link'));
    const float t = link->textWidth;
    ASSERT_NEAR(t, 44.0F, 1e-3);
    struct Case
    {
        float x, y;
        bool hit;
    };
    const Case cases[] = {{1, 2, true},   {1, 4, false},  {1, -10.5F, true}, {1, -11.5F, false},
                          {-0.5F, 0, false}, {t - 0.5F, 0, true}, {t + 0.5F, 0, false}};
    for (const Case &c : cases) EXPECT_EQ(link->HitTest(Point2D(c.x, c.y)), c.hit ? uint32_t('intr') : 0U) << c.x << "," << c.y;
    EXPECT_GT(link->underline.item.vertexCount, 0U);

    // Text only; the underline first while hovered or pressed.
    EXPECT_EQ(DrawnColors().size(), 1U);
    Run({{'msmv', 110, 98}});
    EXPECT_TRUE(link->hovered);
    EXPECT_EQ(DrawnColors().size(), 2U);
    Run({{'lmdn', 110, 98}});
    EXPECT_FALSE(link->hovered);
    EXPECT_EQ(DrawnColors().size(), 2U);
    Run({{'msmv', 110, 106}});
    EXPECT_EQ(DrawnColors().size(), 1U);
    Run({{'lmup', 110, 106}});
    EXPECT_TRUE(sent.empty());
    Run({{'lmdn', 110, 101}, {'lmup', 110, 101}});
    EXPECT_EQ(sent, std::vector<std::string>{"link wgac"});
    EXPECT_TRUE(link->hovered);
}

}  // namespace
}  // namespace oq
