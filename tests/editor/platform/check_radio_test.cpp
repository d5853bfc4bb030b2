#include <gtest/gtest.h>

#include "editor/platform/ButtonPress.h"
#include "editor/platform/CheckBox.h"
#include "editor/platform/ControlFixture.h"

namespace oq {
namespace {

using test::LookName;
using test::Step;

class CheckRadioTest : public test::ControlTest
{
};

TEST_F(CheckRadioTest, HitAreaCoversBoxAndLabel)
{
    struct Case
    {
        float x, y;
        bool left;   // hit when the label is left-aligned (right of the box)
        bool right;  // hit when it is right-aligned (left of the box)
    };
    // t is the label's width; x values as offsets from 0, 14, 21 + t and -7 - t.
    for (uint32_t alignment : {uint32_t('LEFT'), uint32_t('RGHT')})
    {
        state.alignment = alignment;
        auto *box = Add(new CheckBox(font, &state, "AAAAA", Point2D(100, 100), 0.0F, 0), "c");
        const float t = box->textWidth;
        ASSERT_NEAR(t, 55.0F, 1e-3);
        const Case cases[] = {
            {7, -4, true, true},          {0.5F, -4, true, true},      {-0.5F, -4, false, true},
            {13.5F, -4, true, true},      {14.5F, -4, true, false},    {20.5F + t, -4, true, false},
            {21.5F + t, -4, false, false}, {-6.5F - t, -4, false, true}, {-7.5F - t, -4, false, false},
            {7, -10.5F, true, true},      {7, -11.5F, false, false},   {7, 2.5F, true, true},
            {7, 4, false, false},         {30, 3, false, false},
        };
        for (const Case &c : cases)
        {
            SCOPED_TRACE(testing::Message() << test::FourCC(alignment) << " " << c.x << "," << c.y);
            bool expected = alignment == 'RGHT' ? c.right : c.left;
            EXPECT_EQ(box->HitTest(Point2D(c.x, c.y)), expected ? uint32_t('intr') : 0U);
        }
        // The label sits right of the box, or ends 7 points left of it.
        EXPECT_EQ(box->textXOffset, alignment == 'RGHT' ? -7.0F : 21.0F);
        delete box;
    }
}

TEST_F(CheckRadioTest, CheckBoxClicks)
{
    struct Case
    {
        const char *name;
        std::vector<Step> steps;
        std::vector<std::string> sent;
        int32_t marked;
        const char *look;
    };
    // Check box at (100, 100): box 100..114 x 89..103, label from x 121.
    const Case cases[] = {
        {"click on the box", {{'lmdn', 107, 96}, {'lmup', 107, 96}}, {"c wgch"}, 1, "hovered"},
        {"click on the label", {{'lmdn', 125, 96}, {'lmup', 125, 96}}, {"c wgch"}, 1, "hovered"},
        {"two clicks", {{'lmdn', 107, 96}, {'lmup', 107, 96}, {'lmdn', 107, 96}, {'lmup', 107, 96}},
         {"c wgch", "c wgch"}, 0, "hovered"},
        {"click 4 points below the baseline", {{'lmdn', 107, 104}, {'lmup', 107, 104}}, {}, 0, "normal"},
        {"press, move off, release", {{'lmdn', 107, 96}, {'msmv', 107, 150}, {'lmup', 107, 150}}, {}, 0, "normal"},
        {"press and move off", {{'lmdn', 107, 96}, {'msmv', 107, 150}}, {}, 0, "normal"},
        {"press, move off and back, release",
         {{'lmdn', 107, 96}, {'msmv', 107, 150}, {'msmv', 125, 96}, {'lmup', 125, 96}}, {"c wgch"}, 1, "hovered"},
        {"press", {{'lmdn', 107, 96}}, {}, 0, "pressed"},
        {"hover", {{'msmv', 107, 96}}, {}, 0, "hovered"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        sent.clear();
        auto *box = Add(new CheckBox(font, &state, "A", Point2D(100, 100), 0.0F, 0), "c");
        EXPECT_EQ(box->GetWidgetType(), uint32_t('chck'));
        Run(c.steps);
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(box->marked, c.marked);
        EXPECT_EQ(LookName(box->box.color), c.look);
        // Box, the cross while marked, label.
        std::vector<ColorRGBA> colors = DrawnColors();
        ASSERT_EQ(colors.size(), c.marked ? 3U : 2U);
        EXPECT_EQ(LookName(colors[0]), c.look);
        delete box;
    }
}

TEST_F(CheckRadioTest, RadioGroupsFollowTheirSuperior)
{
    auto *group1 = Add(new Widget('cont', Point2D(0, 0), Vector2D(0, 0)), "g1");
    auto *group2 = Add(new Widget('cont', Point2D(200, 0), Vector2D(0, 0)), "g2");
    group1->Enable();
    group2->Enable();
    RadioButton *radios[5];
    const char *names[5] = {"a", "b", "c", "x", "y"};
    for (int i = 0; i < 5; ++i)
    {
        Widget *group = i < 3 ? group1 : group2;
        float y = 20.0F + 20.0F * float(i % 3);
        radios[i] = Add(new RadioButton(font, &state, "A", Point2D(10, y), 0.0F, 0), names[i], group);
        EXPECT_EQ(radios[i]->GetWidgetType(), uint32_t('rdio'));
    }
    // A plain check box among them is no member of the group.
    auto *check = Add(new CheckBox(font, &state, "A", Point2D(10, 100), 0.0F, 1), "check", group1);
    // Creators mark freely before the first click.
    radios[0]->marked = 1;
    radios[2]->marked = 1;
    radios[3]->marked = 1;

    struct Click
    {
        float x, y;
        std::vector<int32_t> marked;
        const char *sent;
    };
    const Click clicks[] = {
        {17, 36, {0, 1, 0, 1, 0}, "b wgch"},
        {17, 36, {0, 1, 0, 1, 0}, "b wgch"},   // already marked: marked still, and reported
        {217, 36, {0, 1, 0, 0, 1}, "y wgch"},  // the other group only
        {17, 16, {1, 0, 0, 0, 1}, "a wgch"},
        {17, 70, {1, 0, 0, 0, 1}, nullptr},    // below every button: nothing
    };
    for (const Click &click : clicks)
    {
        SCOPED_TRACE(testing::Message() << click.x << "," << click.y);
        sent.clear();
        Run({{'lmdn', click.x, click.y}, {'lmup', click.x, click.y}});
        std::vector<int32_t> marked;
        for (RadioButton *radio : radios) marked.push_back(radio->marked);
        EXPECT_EQ(marked, click.marked);
        EXPECT_EQ(sent, click.sent ? std::vector<std::string>{click.sent} : std::vector<std::string>{});
        EXPECT_EQ(check->marked, 1);
    }
    // The radio button's mark is the dot: drawn only while marked.
    EXPECT_GT(radios[0]->mark.item.vertexCount, 0U);
    EXPECT_GT(radios[0]->box.item.vertexCount, 0U);
}

TEST_F(CheckRadioTest, DisabledCheckBoxFadesAndIsNotHit)
{
    state.fillPaint.color = {0.0F, 0.0F, 0.0F, 1.0F};
    auto *box = Add(new CheckBox(font, &state, "A", Point2D(100, 100), 0.0F, 0), "c");
    root->SetHover(box);
    EXPECT_EQ(LookName(box->box.color), "hovered");
    box->Disable();
    EXPECT_EQ(LookName(box->box.color), "normal");
    EXPECT_FLOAT_EQ(box->object.color.red, 0.5F);
    EXPECT_EQ(box->layoutState.fillPaint.color.alpha, 0.0F);
    root->SetHover(nullptr);
    Run({{'lmdn', 107, 96}, {'lmup', 107, 96}, {'msmv', 107, 96}});
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(box->marked, 0);
    EXPECT_EQ(root->GetHoverWidget(), nullptr);
    box->Enable();
    root->UpdatePosition();
    Run({{'lmdn', 107, 96}, {'lmup', 107, 96}});
    EXPECT_EQ(sent, std::vector<std::string>{"c wgch"});
    EXPECT_EQ(box->marked, 1);
}

TEST_F(CheckRadioTest, HandlerMayDestroyTheGroup)
{
    auto *group = Add(new Widget('cont', Point2D(0, 0), Vector2D(0, 0)), "g");
    group->Enable();
    Add(new RadioButton(font, &state, "A", Point2D(10, 20), 0.0F, 0), "a", group);
    Add(new RadioButton(font, &state, "A", Point2D(10, 40), 0.0F, 1), "b", group);
    onEvent = [&](EventLink *, uint32_t) { delete group; };
    Run({{'lmdn', 17, 16}, {'lmup', 17, 16}, {'msmv', 17, 16}});
    EXPECT_EQ(sent, std::vector<std::string>{"a wgch"});
    EXPECT_EQ(root->GetFirstSubwidget(), nullptr);
}

}  // namespace
}  // namespace oq
