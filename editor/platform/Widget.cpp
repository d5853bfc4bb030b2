#include "editor/platform/Widget.h"

namespace oq {

Widget::Widget(WidgetType type, const Point2D &position, const Vector2D &size)
    : widgetType(type), localPosition(position), widgetSize(size)
{
}

Widget::~Widget()
{
    ClearLinks();
    SetObserver(nullptr);
    PurgeSubtree();
    Detach();
}

void Widget::UpdatePosition()
{
    if (!positionDirty) return;
    positionDirty = false;
    Widget *super = GetSuperWidget();
    globalPosition = super ? super->globalPosition + localPosition : localPosition;
    for (Widget *widget = GetFirstSubwidget(); widget; widget = widget->GetNextWidget()) widget->UpdatePosition();
}

void Widget::Render(const Matrix4D &) {}

void Widget::Enable() { widgetFlags &= ~kWidgetDisabled; }

void Widget::Disable() { widgetFlags |= kWidgetDisabled; }

void Widget::HoverBegin() {}

void Widget::HoverEnd() {}

bool Widget::AcceptsCapture() { return true; }

bool Widget::AcceptsFocus() { return false; }

void Widget::FocusGained() {}

void Widget::FocusLost() {}

uint32_t Widget::HitTest(const Point2D &point)
{
    bool inside = point.x > 0.0f && point.x < widgetSize.x && point.y > 0.0f && point.y < widgetSize.y;
    return inside ? 'intr' : 0;
}

void Widget::HandleMouseEvent(const UIEvent &) {}

void Widget::HandleKeyEvent(const UIEvent &) {}

void Widget::HandleCharacter(uint32_t, uint64_t) {}

void Widget::UpdateFocused(uint64_t, uint64_t *, uint32_t) {}

void Widget::UpdateCaptured(uint64_t, uint64_t *, uint32_t) {}

void Widget::RedrawRequested() {}

void Widget::InvalidatePosition()
{
    if (!positionDirty)
    {
        positionDirty = true;
        // Every superior of a dirty widget is dirty already, so the walk stops at the first one.
        for (Widget *super = GetSuperWidget(); super && !super->positionDirty; super = super->GetSuperWidget())
            super->positionDirty = true;
    }
    for (Widget *widget = GetFirstSubwidget(); widget; widget = widget->GetNextWidget()) widget->InvalidatePosition();
}

void Widget::RenderTree(const Matrix4D &projection)
{
    if (widgetFlags & kWidgetHidden) return;
    Render(projection);
    for (Widget *widget = GetFirstSubwidget(); widget; widget = widget->GetNextWidget()) widget->RenderTree(projection);
}

Widget *Widget::FindWidgetAt(const Point2D &point, uint32_t *hitCode)
{
    if (widgetFlags & (kWidgetDisabled | kWidgetHidden)) return nullptr;
    for (Widget *widget = GetLastSubwidget(); widget; widget = widget->GetPreviousWidget())
    {
        if (Widget *found = widget->FindWidgetAt(point, hitCode)) return found;
    }
    uint32_t code = HitTest(Point2D(point - globalPosition));
    if (!code) return nullptr;
    *hitCode = code;
    return this;
}

void Widget::RequestRedraw()
{
    Widget *top = this;
    while (Widget *super = top->GetSuperWidget()) top = super;
    top->RedrawRequested();
}

}  // namespace oq
