#pragma once

// A widget that records every virtual call it receives into a shared log, and a root that
// records its focus moves; the widget and routing tests compare these logs.
#include "editor/platform/WindowWidget.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace oq::test {

inline std::string FourCC(uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
    {
        char c = char((code >> shift) & 0xFF);
        if (c) text.push_back(c);
    }
    return text;
}

using WidgetLog = std::vector<std::string>;

class ProbeWidget : public Widget
{
public:
    ProbeWidget(WidgetLog *widgetLog, const char *widgetName, Point2D position, Vector2D size, bool focusable = false)
        : Widget('prob', position, size), log(widgetLog), name(widgetName), focusable(focusable)
    {
        widgetFlags = 0;
    }

    void Record(const std::string &what) { log->push_back(name + " " + what); }

    void Render(const Matrix4D &) override { Record("render"); }
    void UpdatePosition() override
    {
        if (IsPositionDirty()) Record("position");
        Widget::UpdatePosition();
    }
    void HoverBegin() override { Record("hoverBegin"); }
    void HoverEnd() override { Record("hoverEnd"); }
    bool AcceptsCapture() override { return capturable; }
    bool AcceptsFocus() override { return focusable; }
    void FocusGained() override { Record("focusGained"); }
    void FocusLost() override { Record("focusLost"); }

    void HandleMouseEvent(const UIEvent &event) override
    {
        char text[96];
        std::snprintf(text, sizeof(text), "%s %g,%g %s%s", FourCC(event.type).c_str(), double(event.position.x),
                      double(event.position.y), FourCC(event.hitCode).c_str(),
                      (widgetFlags & kWidgetCaptured) ? " captured" : "");
        Record(text);
        if (onMouse) onMouse(event);
    }

    void HandleKeyEvent(const UIEvent &event) override { Record(FourCC(event.type) + " " + std::to_string(event.key)); }
    void HandleCharacter(uint32_t codePoint, uint64_t time) override
    {
        Record("char " + std::to_string(codePoint) + " " + std::to_string(time));
    }
    void UpdateFocused(uint64_t now, uint64_t *, uint32_t) override { Record("updateFocused " + std::to_string(now)); }
    void UpdateCaptured(uint64_t now, uint64_t *, uint32_t) override { Record("updateCaptured " + std::to_string(now)); }

    WidgetLog *log;
    std::string name;
    bool focusable;
    bool capturable = true;
    std::function<void(const UIEvent &)> onMouse;
};

class ProbeRoot : public WindowWidget
{
public:
    explicit ProbeRoot(WidgetLog *widgetLog) : WindowWidget(Point2D(0.0f, 0.0f), Vector2D(0.0f, 0.0f)), log(widgetLog) {}

    void FocusChanged(Widget *focus) override
    {
        log->push_back("root focusChanged " + (focus ? static_cast<ProbeWidget *>(focus)->name : std::string("none")));
        if (onFocusChanged) onFocusChanged(focus);
    }

    WidgetLog *log;
    std::function<void(Widget *)> onFocusChanged;
};

inline UIEvent MakeEvent(uint32_t type, float x, float y, int32_t key = 0, uint32_t modifiers = 0)
{
    UIEvent event;
    event.type = type;
    event.position = Point2D(x, y);
    event.key = key;
    event.modifiers = modifiers;
    return event;
}

}  // namespace oq::test
