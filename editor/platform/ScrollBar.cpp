#include "editor/platform/ScrollBar.h"

#include "base/Bezier.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/FillStyle.h"

#include <algorithm>

namespace oq {

namespace {

const ColorRGBA kTrackColor = {0.938686F, 0.938686F, 0.938686F, 1.0F};
const ColorRGBA kThumbColor = {0.5F, 0.5F, 0.5F, 1.0F};
const ColorRGBA kPressedThumbColor = {0.25F, 0.25F, 0.25F, 1.0F};

FillStyle MakeStyle(const ColorRGBA &color)
{
    FillStyle style;
    ResetFillStyle(&style);
    style.color = color;
    return style;
}

}  // namespace

ScrollBar::ScrollBar(const Point2D &localPosition, const Vector2D &size, int32_t visible)
    : DrawableWidget('scrl', localPosition, size), visibleCount(visible)
{
    widgetFlags = 0;
    track.drawItemCount = 1;
    track.drawItems = &trackItem;
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    track.SetupVorlShaders(*renderer, 0, kShaderOptionWeight);
    track.color = {0.0F, 0.0F, 0.0F, 1.0F};
    const Point2D a(0, 0), b(0, size.y), c(size.x, size.y), d(size.x, 0);
    const QuadraticBezier2D curves[4] = {QuadraticBezier2D(a, b, b), QuadraticBezier2D(b, c, c),
                                         QuadraticBezier2D(c, d, d), QuadraticBezier2D(d, a, a)};
    track.BuildPathGeometry(*renderer, MakeStyle(kTrackColor), 4, curves, &trackItem, &trackPair);
    object.SetupVorlShaders(*renderer, 0, kShaderOptionWeight);
    object.color = kThumbColor;
}

ScrollBar::~ScrollBar()
{
    if (Renderer *renderer = GetRenderer())
    {
        track.Release(*renderer);
        trackPair.ReleaseTextures(*renderer);
        thumbPair.ReleaseTextures(*renderer);
    }
}

void ScrollBar::SetPosition(int32_t newPosition)
{
    if (newPosition == position) return;
    position = newPosition;
    InvalidatePosition();
    RequestRedraw();
}

void ScrollBar::SetRange(int32_t newPosition, int32_t newMaximum)
{
    if (newPosition == position && newMaximum == maximumPosition) return;
    position = newPosition;
    if (newMaximum != maximumPosition) thumbDue = true;
    maximumPosition = newMaximum;
    InvalidatePosition();
    RequestRedraw();
}

void ScrollBar::BuildThumb()
{
    float width = widgetSize.x;
    float height = widgetSize.y;
    float r = width * 0.5F - 2.0F;
    float ratio = std::min(float(visibleCount) / float(visibleCount + maximumPosition), 1.0F);
    thumbLength = std::max(ratio * (height - 4.0F), 2.5F * r);

    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    object.ReleaseBuffers(*renderer);
    thumbPair.ReleaseTextures(*renderer);
    QuadraticBezier2D curves[14];
    float cx = r + 2.0F;
    int32_t count = AppendEllipseCurves(cx, thumbLength - r, r, r, curves, 0, 5);
    const Point2D leftBottom(cx - r, thumbLength - r), leftTop(cx - r, r);
    curves[count++] = QuadraticBezier2D(leftBottom, leftTop, leftTop);
    count += AppendEllipseCurves(cx, r, r, r, curves + count, 6, 11);
    const Point2D rightTop(cx + r, r), rightBottom(cx + r, thumbLength - r);
    curves[count++] = QuadraticBezier2D(rightTop, rightBottom, rightBottom);
    object.BuildPathGeometry(*renderer, MakeStyle({0.0F, 0.0F, 0.0F, 0.0F}), count, curves, &item, &thumbPair);
}

void ScrollBar::UpdatePosition()
{
    Widget::UpdatePosition();
    if (thumbDue)
    {
        thumbDue = false;
        BuildThumb();
    }
    thumbOffset = float(position) / float(std::max(maximumPosition, 1)) * (widgetSize.y - 4.0F - thumbLength) + 2.0F;
}

void ScrollBar::Render(const Matrix4D &projection)
{
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return;
    track.Draw(*renderer, TranslateProjection(projection, globalPosition.x, globalPosition.y));
    object.Draw(*renderer, TranslateProjection(projection, globalPosition.x, globalPosition.y + thumbOffset));
}

uint32_t ScrollBar::HitTest(const Point2D &p)
{
    bool inside = p.x > 0.0F && p.x < widgetSize.x && p.y > thumbOffset && p.y < thumbOffset + thumbLength;
    return inside ? 'indc' : 0;
}

void ScrollBar::HandleMouseEvent(const UIEvent &event)
{
    switch (event.type)
    {
    case 'lmdn':
        grabOffset = event.position.y - thumbOffset;
        object.color = kPressedThumbColor;
        RequestRedraw();
        break;
    case 'lmup':
        object.color = kThumbColor;
        RequestRedraw();
        break;
    case 'msmv':
    {
        if ((widgetFlags & kWidgetCaptured) == 0) break;
        float travel = widgetSize.y - thumbLength;
        // A bar no longer than its thumb has nowhere to drag to.
        if (!(travel > 0.0F)) break;
        float mapped = (event.position.y - grabOffset) / travel * float(std::max(maximumPosition, 1));
        int32_t p = 0;
        if (mapped >= float(maximumPosition)) p = maximumPosition;
        else if (mapped > 0.0F) p = int32_t(mapped);
        if (p != position)
        {
            position = p;
            InvalidatePosition();
            RequestRedraw();
            Send('wgch');
        }
        break;
    }
    default: break;
    }
}

}  // namespace oq
