#include "editor/platform/BoxedLabel.h"

#include "editor/platform/ButtonPress.h"
#include "editor/platform/Renderer.h"

namespace oq {

BoxedLabel::BoxedLabel(WidgetType type, Font *face, const TextLayoutState *state, const char *label,
                       const Point2D &localPosition, const Vector2D &size, float snap)
    : TextWidget(type, face, state, label, localPosition, size, snap)
{
}

BoxedLabel::~BoxedLabel()
{
    if (Renderer *renderer = GetRenderer()) box.ReleaseShape(*renderer);
}

void BoxedLabel::Enable()
{
    if (!(widgetFlags & kWidgetDisabled)) return;
    widgetFlags &= ~kWidgetDisabled;
    layoutState.fillPaint.color.alpha = 1.0F;
    Invalidate();
}

void BoxedLabel::Disable()
{
    if (widgetFlags & kWidgetDisabled) return;
    widgetFlags |= kWidgetDisabled;
    const ColorRGBA &fill = layoutState.fillPaint.color;
    object.color = {fill.red * 0.5F + 0.5F, fill.green * 0.5F + 0.5F, fill.blue * 0.5F + 0.5F, 1.0F};
    layoutState.fillPaint.color.alpha = 0.0F;
    box.color = kNormalLook;
    Invalidate();
}

void BoxedLabel::HoverBegin()
{
    box.color = kHoveredLook;
    RequestRedraw();
}

void BoxedLabel::HoverEnd()
{
    box.color = kNormalLook;
    RequestRedraw();
}

}  // namespace oq
