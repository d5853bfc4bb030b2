#pragma once

#include "base/Color.h"
#include "editor/platform/GlyphTexturePair.h"
#include "editor/platform/RenderObject.h"
#include "editor/platform/Widget.h"

#include <cstdint>

namespace oq {

// The projection moved to (x, y): its fourth column becomes x times the first plus y times the
// second plus the fourth.
Matrix4D TranslateProjection(const Matrix4D &projection, float x, float y);

// A colour of the widgets' RGBA8 form (red in the first byte, sRGB) as a linear colour.
ColorRGBA LinearColorOfBytes(const uint8_t *bytes);

// A widget that draws one render object at its global position, built once in its constructor.
// Every drawing widget derives from it; the renderer must be started (GetRenderer).
class DrawableWidget : public Widget
{
public:
    DrawableWidget(WidgetType type, const Point2D &localPosition, const Vector2D &size);
    ~DrawableWidget() override;

    void Render(const Matrix4D &projection) override;

    RenderObject object;
    DrawItem item = {0, 0, 0, 0, nullptr};
};

// A solid rectangle of one colour (colour shaders).
class QuadWidget : public DrawableWidget
{
public:
    QuadWidget(const Point2D &localPosition, const Vector2D &size, const uint8_t *color);
};

// A picture (texture shaders) that fills the widget's box; the pair is not owned. Without a
// picture nothing is built.
class ImageWidget : public DrawableWidget
{
public:
    ImageWidget(GlyphTexturePair *picture, const Point2D &localPosition, const Vector2D &size);
};

// The soft shadow along the left side, the bottom and the right side of a box of the widget's size.
class ShadowWidget : public DrawableWidget
{
public:
    ShadowWidget(const Point2D &localPosition, const Vector2D &size);
};

// A filled rectangle drawn by the Vorl shaders (separator and grid lines); reports each left press
// with 'wgac' once its creator enables it.
class FillWidget : public DrawableWidget
{
public:
    FillWidget(const Point2D &localPosition, const Vector2D &size, const uint8_t *color);
    ~FillWidget() override;

    void HandleMouseEvent(const UIEvent &event) override;

    GlyphTexturePair pair;
};

// A line, rectangle outline or ellipse outline drawn by the Vorl shaders. Built by one of the
// three Init functions right after construction.
class ShapeWidget : public DrawableWidget
{
public:
    ShapeWidget();
    ~ShapeWidget() override;

    // A line of the width centred on start -> end with flat ends ('line'); a zero-length line
    // draws nothing.
    void InitLine(const Point2D &start, const Point2D &end, float lineWidth, const uint8_t *color);
    // The closed outline of the box ('rect') or of its inscribed ellipse ('circ'), stroked with the
    // width centred on it.
    void InitRect(const Point2D &localPosition, const Vector2D &size, float lineWidth, const uint8_t *color);
    void InitCircle(const Point2D &localPosition, const Vector2D &size, float lineWidth, const uint8_t *color);

    GlyphTexturePair pair;

private:
    void BuildStroke(int32_t curveCount, const QuadraticBezier2D *curves, float lineWidth, const uint8_t *color);
};

}  // namespace oq
