#pragma once

// A window root on the recording renderer with a label font, an observer that logs what every
// control sends, and event sequences in window points: the fixture of the control tests.
#include "editor/platform/FontProbe.h"
#include "editor/platform/RendererProbe.h"
#include "editor/platform/WidgetProbe.h"
#include "editor/platform/WindowWidget.h"
#include "vorl/text/TextLayoutState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace oq::test {

// One input step: event type, window position and modifiers.
struct Step
{
    uint32_t type;
    float x;
    float y;
    uint32_t modifiers = 0;
};

class ControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(r.WriteShaders());
        ASSERT_TRUE(r.Start());
        SetRenderer(&r.renderer);
        font = LoadTestFont(r.renderer, r.data, "label.vorl", MakeSquareFontFile(0.7F));
        ASSERT_NE(font, nullptr);
        ResetTextLayoutState(&state);
        state.size = 10;
        root = new WindowWidget(Point2D(0, 0), Vector2D(400, 300));
    }

    void TearDown() override
    {
        delete root;
        if (font) font->Release();
        SetRenderer(nullptr);
    }

    // Adds the control to the root, attached to the logging observer under the name.
    template <typename T> T *Add(T *control, const char *name, Widget *superior = nullptr)
    {
        (superior ? superior : root)->AppendSubnode(control);
        control->SetObserver(&observer);
        names.push_back({control, name});
        root->InvalidatePosition();
        root->UpdatePosition();
        return control;
    }

    void Run(const std::vector<Step> &steps)
    {
        for (const Step &step : steps)
        {
            UIEvent event;
            event.type = step.type;
            event.modifiers = step.modifiers;
            event.position = Point2D(step.x, step.y);
            root->HandleMouseEvent(event);
        }
    }

    // The colour constant of every draw of one frame of the window, in drawing order.
    std::vector<ColorRGBA> DrawnColors()
    {
        r.device.draws.clear();
        root->UpdatePosition();
        root->RenderTree(Identity());
        std::vector<ColorRGBA> colors;
        for (const auto &draw : r.device.draws)
        {
            ColorRGBA color;
            std::memcpy(&color, draw.constants.data() + 80, sizeof(color));
            colors.push_back(color);
        }
        return colors;
    }

    void Receive(EventLink *sender, uint32_t event)
    {
        std::string name = "?";
        for (const auto &entry : names)
            if (entry.first == sender) name = entry.second;
        sent.push_back(name + " " + FourCC(event));
        if (onEvent) onEvent(sender, event);
    }

    RecordingRenderer r;
    Font *font = nullptr;
    TextLayoutState state;
    WindowWidget *root = nullptr;
    EventObserver observer{this, ObserverHandler<&ControlTest::Receive>};
    std::vector<std::pair<EventLink *, std::string>> names;
    std::vector<std::string> sent;
    std::function<void(EventLink *, uint32_t)> onEvent;
};

inline std::string LookName(const ColorRGBA &color)
{
    if (color.red == 1.0F && color.green == 1.0F && color.blue == 1.0F && color.alpha == 1.0F) return "normal";
    if (color.red == 0.9F && color.green == 0.9F && color.blue == 0.9F && color.alpha == 1.0F) return "hovered";
    if (color.red == 0.75F && color.green == 0.75F && color.blue == 0.75F && color.alpha == 1.0F) return "pressed";
    return "other";
}

}  // namespace oq::test
