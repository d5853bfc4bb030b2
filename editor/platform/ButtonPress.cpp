#include "editor/platform/ButtonPress.h"

#include "editor/platform/RenderObject.h"
#include "editor/platform/WindowWidget.h"

namespace oq {

namespace {

void SetLook(RenderObject *look, const ColorRGBA &color)
{
    if (look != nullptr) look->color = color;
}

}  // namespace

bool TrackPress(Widget &widget, const UIEvent &event, bool inside, RenderObject *look)
{
    uint32_t flags = widget.GetWidgetFlags();
    switch (event.type)
    {
    case 'lmdn':
        widget.SetWidgetFlags(flags | kWidgetPressed);
        SetLook(look, kPressedLook);
        widget.RequestRedraw();
        return false;
    case 'msmv':
        if (!(flags & kWidgetCaptured)) return false;
        if (inside && !(flags & kWidgetPressed))
        {
            widget.SetWidgetFlags(flags | kWidgetPressed);
            SetLook(look, kPressedLook);
            widget.RequestRedraw();
        }
        else if (!inside && (flags & kWidgetPressed))
        {
            widget.SetWidgetFlags(flags & ~kWidgetPressed);
            SetLook(look, kNormalLook);
            widget.RequestRedraw();
        }
        return false;
    case 'lmup':
        widget.SetWidgetFlags(flags & ~kWidgetPressed);
        widget.RequestRedraw();
        if (inside) return true;
        SetLook(look, kNormalLook);
        return false;
    default:
        return false;
    }
}

void TakeRootHover(Widget &widget)
{
    Widget *top = &widget;
    while (Widget *super = top->GetSuperWidget()) top = super;
    if (auto *root = dynamic_cast<WindowWidget *>(top)) root->SetHover(&widget);
}

}  // namespace oq
