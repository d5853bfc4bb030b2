#include "editor/platform/ColorWheel.h"

#include "base/ScalarMath.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"
#include "editor/platform/ShellServices.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/StrokeStyle.h"

#include <cmath>

namespace oq {

namespace {

constexpr float kTwoPi = 6.28318530717958647692F;

}  // namespace

ColorWheel::ColorWheel(const Point2D &localPosition, const Vector2D &size)
    : DrawableWidget('whel', localPosition, size), knob(size.x * 0.5F, size.y * 0.5F)
{
    widgetFlags = 0;
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    object.SetupVorlShaders(*renderer, 0, kShaderOptionWeight | kShaderOptionStroke);
    QuadraticBezier2D curves[12];
    int32_t count = AppendEllipseCurves(0.0F, 0.0F, 6.0F, 6.0F, curves, 0, 11);
    StrokeStyle stroke;
    ResetStrokeStyle(&stroke);
    stroke.width = 1.5F;
    // A failure leaves the knob's item empty: the knob is not drawn, the wheel still picks colours,
    // and a constructor has no one to tell.
    (void)BuildFillAndStrokes(*renderer, object, &item, &pair, nullptr, stroke, count, curves);
}

ColorWheel::~ColorWheel()
{
    if (Renderer *renderer = GetRenderer()) pair.ReleaseTextures(*renderer);
}

void ColorWheel::SetValue(float newSaturation, float newHue)
{
    saturation = newSaturation;
    hue = newHue;
    float c = 0.0F;
    float n = 0.0F;
    CosSin(newHue, &c, &n);
    knob = Point2D((c * newSaturation + 1.0F) * widgetSize.x * 0.5F, (1.0F - n * newSaturation) * widgetSize.y * 0.5F);
    RequestRedraw();
}

void ColorWheel::Render(const Matrix4D &projection)
{
    if (Renderer *renderer = GetRenderer())
        object.Draw(*renderer, TranslateProjection(projection, globalPosition.x + knob.x, globalPosition.y + knob.y));
}

uint32_t ColorWheel::HitTest(const Point2D &p)
{
    float dx = p.x - knob.x;
    float dy = p.y - knob.y;
    if (dx * dx + dy * dy < 36.0F) return 'indc';
    float rx = widgetSize.x * 0.5F;
    float ry = widgetSize.y * 0.5F;
    float u = (p.x - rx) / rx;
    float v = (p.y - ry) / ry;
    return u * u + v * v <= 1.0F ? 'intr' : 0;
}

void ColorWheel::HandleMouseEvent(const UIEvent &event)
{
    if (event.type == 'lmdn')
    {
        hueAtPress = hue;
        // The drag starts at the current hue, so a frame before the first move changes nothing.
        draggedHue = hue;
        if (event.hitCode == 'indc')
        {
            grabOffset = Point2D(event.position.x - knob.x, event.position.y - knob.y);
            return;
        }
        grabOffset = Point2D(0.0F, 0.0F);
        DragTo(event);
    }
    else if (event.type == 'msmv' && (widgetFlags & kWidgetCaptured))
    {
        DragTo(event);
    }
}

void ColorWheel::DragTo(const UIEvent &event)
{
    float rx = widgetSize.x * 0.5F;
    float ry = widgetSize.y * 0.5F;
    float u = (event.position.x - grabOffset.x - rx) / rx;
    float v = (event.position.y - grabOffset.y - ry) / ry;
    float q = u * u + v * v;
    float r = q < FloatMinNormal ? 0.0F : std::sqrt(q);
    if (r > 1.0F) r = 1.0F;
    float a = Arctan2(-v, u);
    if (a < 0.0F) a += kTwoPi;
    // Just below the right-hand ray the sum rounds up to 2 pi; the hue stays below it.
    if (a >= kTwoPi) a = 0.0F;
    draggedHue = a;
    if (event.modifiers & kModifierShift) a = hueAtPress;
    if (r == saturation && a == hue) return;
    SetValue(r, a);
    RequestRedraw();
    Send('wgch');
}

void ColorWheel::UpdateCaptured(uint64_t, uint64_t *, uint32_t)
{
    float a = IsShiftDown() ? hueAtPress : draggedHue;
    if (a == hue) return;
    SetValue(saturation, a);
    RequestRedraw();
    Send('wgch');
}

}  // namespace oq
