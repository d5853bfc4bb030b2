#include "editor/platform/LinkText.h"

#include "editor/platform/ButtonPress.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/FillStyle.h"

namespace oq {

LinkText::LinkText(Font *face, const TextLayoutState *state, const char *label, const Point2D &localPosition,
                   const Vector2D &size, float snap)
    : TextWidget('link', face, state, label, localPosition, size, snap)
{
    widgetFlags = 0;
    if (Renderer *renderer = GetRenderer()) underline.SetupVorlShaders(*renderer, 0, kShaderOptionWeight);
}

LinkText::~LinkText()
{
    if (Renderer *renderer = GetRenderer()) underline.ReleaseShape(*renderer);
}

void LinkText::UpdatePosition()
{
    TextWidget::UpdatePosition();
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    const float t = textWidth;
    const Point2D a(0, 4), b(t, 4), c(t, 3), d(0, 3);
    const QuadraticBezier2D curves[4] = {QuadraticBezier2D(a, b, b), QuadraticBezier2D(b, c, c),
                                         QuadraticBezier2D(c, d, d), QuadraticBezier2D(d, a, a)};
    FillStyle style;
    ResetFillStyle(&style);
    style.color = {0.25F, 0.5F, 1.0F, 1.0F};
    underline.pair.ReleaseTextures(*renderer);
    underline.BuildPathGeometry(*renderer, style, 4, curves, &underline.item, &underline.pair);
}

void LinkText::Render(const Matrix4D &projection)
{
    Renderer *renderer = GetRenderer();
    if (renderer != nullptr && (hovered || (widgetFlags & kWidgetPressed)))
        underline.Draw(*renderer, TranslateProjection(projection, globalPosition.x, globalPosition.y));
    TextWidget::Render(projection);
}

void LinkText::HoverBegin()
{
    hovered = true;
    RequestRedraw();
}

void LinkText::HoverEnd()
{
    hovered = false;
    RequestRedraw();
}

uint32_t LinkText::HitTest(const Point2D &p)
{
    return p.x > 0.0F && p.x < textWidth && p.y > -11.0F && p.y < 3.0F ? 'intr' : 0;
}

void LinkText::HandleMouseEvent(const UIEvent &event)
{
    if (!TrackPress(*this, event, HitTest(event.position) != 0, nullptr)) return;
    TakeRootHover(*this);
    Send('wgac');
}

}  // namespace oq
