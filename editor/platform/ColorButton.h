#pragma once

#include "editor/platform/DrawableWidget.h"
#include "editor/platform/ShapeRenderObject.h"

#include <cstdint>

namespace oq {

// A colour swatch ('clbt'), solid or as a 5-point frame, with a black outline while pressed; a
// release inside sends 'wgac', or 'wgsa' when it carries Shift. It takes no hover.
class ColorButton : public DrawableWidget
{
public:
    // The colour in RGBA8 (sRGB).
    ColorButton(const Point2D &localPosition, const Vector2D &size, const uint8_t *color, bool framed);
    ~ColorButton() override;

    void Render(const Matrix4D &projection) override;
    void HandleMouseEvent(const UIEvent &event) override;

    GlyphTexturePair swatchPair;
    ShapeRenderObject outline;
};

}  // namespace oq
