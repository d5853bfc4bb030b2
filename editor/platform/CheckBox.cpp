#include "editor/platform/CheckBox.h"

#include "editor/platform/ButtonPress.h"
#include "editor/platform/DrawableWidget.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/FillStyle.h"

namespace oq {

namespace {

constexpr ColorRGBA kClear = {0.0F, 0.0F, 0.0F, 0.0F};
constexpr ColorRGBA kBoxStroke = {0.25F, 0.25F, 0.25F, 1.0F};

// Four straight curves around the quadrilateral a b c d.
void AppendQuadrilateral(const Point2D *corners, QuadraticBezier2D *curves)
{
    for (int i = 0; i < 4; ++i)
    {
        const Point2D &a = corners[i];
        const Point2D &b = corners[(i + 1) % 4];
        curves[i] = QuadraticBezier2D(a, b, b);
    }
}

}  // namespace

CheckBox::CheckBox(Font *face, const TextLayoutState *state, const char *label, const Point2D &localPosition,
                   float snap, int32_t initiallyMarked)
    : CheckBox('chck', face, state, label, localPosition, snap, initiallyMarked)
{
}

CheckBox::CheckBox(WidgetType type, Font *face, const TextLayoutState *state, const char *label,
                   const Point2D &localPosition, float snap, int32_t initiallyMarked)
    : BoxedLabel(type, face, state, label, localPosition, Vector2D(0, 0), snap), marked(initiallyMarked)
{
    Renderer *renderer = GetRenderer();
    bool radio = type == 'rdio';
    if (renderer != nullptr)
    {
        if (radio)
            BuildCircleShape(*renderer, &box, Point2D(0, -11), Point2D(14, 14), 0.625F, kClear, kBoxStroke);
        else
            BuildRoundedBoxShape(*renderer, &box, Point2D(0, -11), Point2D(14, 14), 0.625F, 3.0F, kClear, kBoxStroke,
                                 kRoundAllCorners);
        mark.SetupVorlShaders(*renderer, 0, kShaderOptionWeight);
    }
    widgetFlags = 0;
    textXOffset = layoutState.alignment == 'RGHT' ? -7.0F : 21.0F;
    baselineOffset = 0.0F;
    box.color = kNormalLook;
    if (renderer == nullptr) return;

    FillStyle style;
    ResetFillStyle(&style);
    style.color = {0.125F, 0.125F, 0.125F, 1.0F};
    QuadraticBezier2D curves[12];
    int32_t count = 0;
    if (radio)
    {
        count = AppendEllipseCurves(7.0F, -4.0F, 4.0F, 4.0F, curves, 0, 11);
    }
    else
    {
        const float a = 3.530325F, b = 2.469675F, c = 10.469675F, d = 11.530325F;
        const float e = 8.530325F, f = 7.469675F, g = 0.530325F;
        const Point2D first[4] = {Point2D(a, -e), Point2D(b, -f), Point2D(c, g), Point2D(d, -g)};
        const Point2D second[4] = {Point2D(d, -f), Point2D(c, -e), Point2D(b, -g), Point2D(a, g)};
        AppendQuadrilateral(first, curves);
        AppendQuadrilateral(second, curves + 4);
        count = 8;
    }
    mark.BuildPathGeometry(*renderer, style, count, curves, &mark.item, &mark.pair);
}

CheckBox::~CheckBox()
{
    if (Renderer *renderer = GetRenderer()) mark.ReleaseShape(*renderer);
}

void CheckBox::Render(const Matrix4D &projection)
{
    if (Renderer *renderer = GetRenderer())
    {
        Matrix4D moved = TranslateProjection(projection, globalPosition.x, globalPosition.y);
        box.Draw(*renderer, moved);
        if (marked) mark.Draw(*renderer, moved);
    }
    TextWidget::Render(projection);
}

uint32_t CheckBox::HitTest(const Point2D &p)
{
    if (!(p.y > -11.0F && p.y < 3.0F)) return 0;
    if (layoutState.alignment == 'RGHT') return p.x > -7.0F - textWidth && p.x < 14.0F ? 'intr' : 0;
    return p.x > 0.0F && p.x < 21.0F + textWidth ? 'intr' : 0;
}

void CheckBox::ReportClick()
{
    TakeRootHover(*this);
    Send('wgch');
}

void CheckBox::HandleMouseEvent(const UIEvent &event)
{
    if (!TrackPress(*this, event, HitTest(event.position) != 0, &box)) return;
    marked = 1 - marked;
    ReportClick();
}

RadioButton::RadioButton(Font *face, const TextLayoutState *state, const char *label, const Point2D &localPosition,
                         float snap, int32_t initiallyMarked)
    : CheckBox('rdio', face, state, label, localPosition, snap, initiallyMarked)
{
}

void RadioButton::HandleMouseEvent(const UIEvent &event)
{
    if (!TrackPress(*this, event, HitTest(event.position) != 0, &box)) return;
    if (Widget *superior = GetSuperWidget())
    {
        for (Widget *widget = superior->GetFirstSubwidget(); widget; widget = widget->GetNextWidget())
        {
            if (widget != this && widget->GetWidgetType() == 'rdio') static_cast<RadioButton *>(widget)->marked = 0;
        }
    }
    marked = 1;
    ReportClick();
}

}  // namespace oq
