#include "editor/platform/PictureButton.h"

#include "editor/platform/ButtonPress.h"
#include "editor/platform/Renderer.h"

namespace oq {

PictureButton::PictureButton(GlyphTexturePair *iconFile, int32_t icon, const Point2D &localPosition,
                             const Vector2D &size, float cornerRadius, int32_t buttonMode, int32_t cornerKind,
                             bool initiallyPressed)
    : IconWidget('pcbt', iconFile, icon, localPosition, size), mode(buttonMode)
{
    if (Renderer *renderer = GetRenderer())
        BuildRoundedBoxShape(*renderer, &box, Point2D(0, 0), Point2D(size.x, size.y), 0.5F, cornerRadius,
                             {0.0F, 0.0F, 0.0F, 0.0F}, {0.5F, 0.5F, 0.5F, 1.0F}, cornerKind);
    float w = size.x;
    float h = size.y;
    scale[0] = (w - 4.0F) / w;
    scale[1] = (w - 4.0F) / h;
    offset[0] = 2.0F;
    offset[1] = h * 0.5F * (1.0F - (w - 4.0F) / h);
    widgetFlags = initiallyPressed ? kWidgetPressed : 0;
    box.color = initiallyPressed ? kPressedLook : kNormalLook;
}

PictureButton::~PictureButton()
{
    if (Renderer *renderer = GetRenderer()) box.ReleaseShape(*renderer);
}

void PictureButton::Unpress()
{
    widgetFlags &= ~kWidgetPressed;
    box.color = kNormalLook;
    RequestRedraw();
}

void PictureButton::Render(const Matrix4D &projection)
{
    if (Renderer *renderer = GetRenderer())
        box.Draw(*renderer, TranslateProjection(projection, globalPosition.x, globalPosition.y));
    IconWidget::Render(projection);
}

void PictureButton::HoverBegin()
{
    if (widgetFlags & kWidgetPressed) return;
    box.color = kHoveredLook;
    RequestRedraw();
}

void PictureButton::HoverEnd()
{
    if (widgetFlags & kWidgetPressed) return;
    box.color = kNormalLook;
    RequestRedraw();
}

bool PictureButton::AcceptsCapture() { return mode != kPictureImmediate; }

void PictureButton::HandleMouseEvent(const UIEvent &event)
{
    if (event.type == 'lmdn')
    {
        if (mode == kPictureImmediate)
        {
            box.color = kNormalLook;
            RequestRedraw();
            Send('wgac');
        }
        else if (mode == kPictureToggle && (widgetFlags & kWidgetPressed))
        {
            widgetFlags &= ~kWidgetPressed;
            box.color = kNormalLook;
            RequestRedraw();
            Send('wgda');
        }
        else
        {
            widgetFlags |= kWidgetPressed;
            box.color = kPressedLook;
            RequestRedraw();
            if (mode == kPictureLatch || mode == kPictureToggle) Send('wgac');
        }
        return;
    }
    if (mode != kPicturePush || (event.type != 'msmv' && event.type != 'lmup')) return;
    bool inside = event.position.x > 0.0F && event.position.x < widgetSize.x && event.position.y > 0.0F &&
                  event.position.y < widgetSize.y;
    if (!TrackPress(*this, event, inside, &box)) return;
    box.color = kNormalLook;
    TakeRootHover(*this);
    Send('wgac');
}

}  // namespace oq
