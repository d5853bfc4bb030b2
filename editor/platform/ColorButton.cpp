#include "editor/platform/ColorButton.h"

#include "editor/platform/ButtonPress.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/StrokeStyle.h"

namespace oq {

namespace {

constexpr ShaderVariantIndex kStrokeVariant = kShaderOptionWeight | kShaderOptionStroke;

// The rectangle a b c d as four straight curves.
void AppendRectangle(Point2D a, Point2D b, Point2D c, Point2D d, QuadraticBezier2D *curves)
{
    curves[0] = QuadraticBezier2D(a, b, b);
    curves[1] = QuadraticBezier2D(b, c, c);
    curves[2] = QuadraticBezier2D(c, d, d);
    curves[3] = QuadraticBezier2D(d, a, a);
}

}  // namespace

ColorButton::ColorButton(const Point2D &localPosition, const Vector2D &size, const uint8_t *color, bool framed)
    : DrawableWidget('clbt', localPosition, size)
{
    widgetFlags = 0;
    object.color = LinearColorOfBytes(color);
    RequestRedraw();
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    object.SetupVorlShaders(*renderer, 0, kStrokeVariant);
    const float w = size.x;
    const float h = size.y;
    QuadraticBezier2D curves[8];
    AppendRectangle(Point2D(0, 0), Point2D(0, h), Point2D(w, h), Point2D(w, 0), curves);
    int32_t count = 4;
    if (framed)
    {
        AppendRectangle(Point2D(5, 5), Point2D(w - 5, 5), Point2D(w - 5, h - 5), Point2D(5, h - 5), curves + 4);
        count = 8;
    }
    FillStyle fill;
    ResetFillStyle(&fill);
    fill.color = {0.0F, 0.0F, 0.0F, 0.0F};
    StrokeStyle stroke;
    ResetStrokeStyle(&stroke);
    stroke.color = {0.21586F, 0.21586F, 0.21586F, 1.0F};
    // A failure leaves the item empty: the swatch is not drawn, the button still works, and a
    // constructor has no one to tell.
    (void)BuildFillAndStrokes(*renderer, object, &item, &swatchPair, &fill, stroke, count, curves);

    outline.SetupVorlShaders(*renderer, 0, kStrokeVariant);
    stroke.width = 1.5F;
    stroke.color = {0.0F, 0.0F, 0.0F, 1.0F};
    // Likewise: without it a pressed button shows no outline.
    (void)BuildFillAndStrokes(*renderer, outline, &outline.item, &outline.pair, nullptr, stroke, 4, curves);
}

ColorButton::~ColorButton()
{
    if (Renderer *renderer = GetRenderer())
    {
        outline.ReleaseShape(*renderer);
        swatchPair.ReleaseTextures(*renderer);
    }
}

void ColorButton::Render(const Matrix4D &projection)
{
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    Matrix4D moved = TranslateProjection(projection, globalPosition.x, globalPosition.y);
    object.Draw(*renderer, moved);
    if (widgetFlags & kWidgetPressed) outline.Draw(*renderer, moved);
}

void ColorButton::HandleMouseEvent(const UIEvent &event)
{
    bool inside = event.position.x > 0.0F && event.position.x < widgetSize.x && event.position.y > 0.0F &&
                  event.position.y < widgetSize.y;
    if (!TrackPress(*this, event, inside, nullptr)) return;
    Send((event.modifiers & kModifierShift) ? 'wgsa' : 'wgac');
}

}  // namespace oq
