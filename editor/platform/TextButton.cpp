#include "editor/platform/TextButton.h"

#include "editor/platform/ButtonPress.h"
#include "editor/platform/DrawableWidget.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Renderer.h"

namespace oq {

TextButton::TextButton(Font *face, const TextLayoutState *state, const char *label, const Point2D &localPosition,
                       const Vector2D &size, float outlineWidth, float snap)
    : BoxedLabel('txbt', face, state, label, localPosition, size, snap)
{
    if (Renderer *renderer = GetRenderer())
        BuildRoundedBoxShape(*renderer, &box, Point2D(0, 0), Point2D(size.x, size.y), outlineWidth, 3.0F,
                             {0.0F, 0.0F, 0.0F, 0.0F}, {0.5F, 0.5F, 0.5F, 1.0F}, kRoundAllCorners);
    widgetFlags = 0;
    textXOffset = 0.0F;
    float capHeight = face != nullptr ? face->capitalHeight : 0.0F;
    baselineOffset = capHeight * layoutState.size * 0.5F + size.y * 0.5F;
    box.color = kNormalLook;
}

void TextButton::Render(const Matrix4D &projection)
{
    if (Renderer *renderer = GetRenderer())
        box.Draw(*renderer, TranslateProjection(projection, globalPosition.x, globalPosition.y));
    TextWidget::Render(projection);
}

void TextButton::HandleMouseEvent(const UIEvent &event)
{
    bool inside = event.position.x > 0.0F && event.position.x < widgetSize.x && event.position.y > 0.0F &&
                  event.position.y < widgetSize.y;
    if (!TrackPress(*this, event, inside, &box)) return;
    TakeRootHover(*this);
    Send('wgac');
}

}  // namespace oq
