#pragma once

#include "editor/platform/ShapeRenderObject.h"
#include "editor/platform/TextWidget.h"

namespace oq {

// Clickable text ('link'), underlined while hovered or pressed; a release on the text sends
// 'wgac'. The local position is the start of the baseline.
class LinkText : public TextWidget
{
public:
    LinkText(Font *face, const TextLayoutState *state, const char *label, const Point2D &localPosition,
             const Vector2D &size, float snap);
    ~LinkText() override;

    // Lays the text out and builds the underline across it.
    void UpdatePosition() override;
    void Render(const Matrix4D &projection) override;
    void HoverBegin() override;
    void HoverEnd() override;
    // The text from its start to its end, 11 points above the baseline to 3 below it.
    uint32_t HitTest(const Point2D &localPoint) override;
    void HandleMouseEvent(const UIEvent &event) override;

    ShapeRenderObject underline;
    bool hovered = false;
};

}  // namespace oq
