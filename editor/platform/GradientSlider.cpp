#include "editor/platform/GradientSlider.h"

#include "editor/platform/Renderer.h"
#include "vorl/geometry/FillStyle.h"

#include <cmath>
#include <cstring>

namespace oq {

GradientSlider::GradientSlider(const Point2D &localPosition, const Vector2D &size)
    : DrawableWidget('grad', localPosition, size)
{
    widgetFlags = 0;
    marker.drawItemCount = 1;
    marker.drawItems = &markerItem;
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    object.SetupColorShaders(*renderer, 0);
    marker.SetupVorlShaders(*renderer, 0, kShaderOptionWeight);
    const float h = size.y;
    // An arrow down onto the top edge and its mirror up onto the bottom edge.
    const Point2D points[2][5] = {
        {Point2D(0, 0), Point2D(3, -5), Point2D(3, -7), Point2D(-3, -7), Point2D(-3, -5)},
        {Point2D(0, h), Point2D(-3, h + 5), Point2D(-3, h + 7), Point2D(3, h + 7), Point2D(3, h + 5)},
    };
    QuadraticBezier2D curves[10];
    for (int arrow = 0; arrow < 2; ++arrow)
    {
        for (int i = 0; i < 5; ++i)
        {
            const Point2D &a = points[arrow][i];
            const Point2D &b = points[arrow][(i + 1) % 5];
            curves[5 * arrow + i] = QuadraticBezier2D(a, b, b);
        }
    }
    FillStyle style;
    ResetFillStyle(&style);
    style.color = {0.5F, 0.5F, 0.5F, 1.0F};
    marker.BuildPathGeometry(*renderer, style, 10, curves, &markerItem, &markerPair);
}

GradientSlider::~GradientSlider()
{
    if (Renderer *renderer = GetRenderer())
    {
        markerPair.ReleaseTextures(*renderer);
        marker.Release(*renderer);
    }
}

void GradientSlider::Invalidate()
{
    InvalidatePosition();
    gradientDue = true;
    RequestRedraw();
}

void GradientSlider::UpdatePosition()
{
    Widget::UpdatePosition();
    if (!gradientDue) return;
    gradientDue = false;
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    item = {0, 0, 0, 0, nullptr};
    GeometryBuffer geometry;
    if (!object.CreateBuffers(*renderer, 4, 2, &geometry)) return;
    const float w = widgetSize.x;
    const float h = widgetSize.y;
    const float *l = leftColor;
    const float *r = rightColor;
    const float vertices[4][6] = {{0, 0, l[0], l[1], l[2], 1}, {0, h, l[0], l[1], l[2], 1},
                                  {w, h, r[0], r[1], r[2], 1}, {w, 0, r[0], r[1], r[2], 1}};
    std::memcpy(geometry.vertexData, vertices, sizeof(vertices));
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(geometry.triangleData, indices, sizeof(indices));
    object.UnmapBuffers(*renderer);
    item = {4, 6, 0, 0, nullptr};
}

void GradientSlider::Render(const Matrix4D &projection)
{
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    object.Draw(*renderer, TranslateProjection(projection, globalPosition.x, globalPosition.y));
    marker.Draw(*renderer, TranslateProjection(projection, globalPosition.x + knobX, globalPosition.y));
}

uint32_t GradientSlider::HitTest(const Point2D &p)
{
    if (!(p.y > -7.0F && p.y < widgetSize.y + 7.0F)) return 0;
    if (std::fabs(p.x - knobX) < 4.0F) return 'indc';
    return p.x > 0.0F && p.x < widgetSize.x ? 'intr' : 0;
}

void GradientSlider::HandleMouseEvent(const UIEvent &event)
{
    if (event.type == 'lmdn')
    {
        if (event.hitCode == 'indc')
        {
            grabOffset = event.position.x - knobX;
            return;
        }
        grabOffset = 0.0F;
        DragTo(event.position.x);
    }
    else if (event.type == 'msmv' && (widgetFlags & kWidgetCaptured))
    {
        DragTo(event.position.x);
    }
}

void GradientSlider::DragTo(float x)
{
    float v = (x - grabOffset) / widgetSize.x;
    // A bar without width gives NaN: it counts as 0.
    if (!(v > 0.0F)) v = 0.0F;
    if (v > 1.0F) v = 1.0F;
    if (v == value) return;
    value = v;
    knobX = widgetSize.x * v;
    Invalidate();
    RequestRedraw();
    Send('wgch');
}

}  // namespace oq
