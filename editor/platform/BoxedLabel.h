#pragma once

#include "editor/platform/ShapeRenderObject.h"
#include "editor/platform/TextWidget.h"

namespace oq {

// A label with a box drawn in the button looks (text buttons, check boxes, radio buttons): enabling,
// disabling and hovering act on the box's colour and the label.
class BoxedLabel : public TextWidget
{
public:
    BoxedLabel(WidgetType type, Font *face, const TextLayoutState *state, const char *label,
               const Point2D &localPosition, const Vector2D &size, float snap);
    ~BoxedLabel() override;

    // Restores the label's text colour.
    void Enable() override;
    // Lays the label out transparent and draws it half way to white; the box looks normal.
    void Disable() override;
    void HoverBegin() override;
    void HoverEnd() override;

    ShapeRenderObject box;
};

}  // namespace oq
