#pragma once

#include "editor/platform/DrawableWidget.h"

namespace oq {

// A horizontal bar filled with a gradient between two colours ('grad') with a double-arrow marker
// at its value (0 to 1 along the width); every change the user makes is reported with 'wgch'.
// Owners write the colours, the value and the knob x directly and then call Invalidate.
class GradientSlider : public DrawableWidget
{
public:
    GradientSlider(const Point2D &localPosition, const Vector2D &size);
    ~GradientSlider() override;

    // The gradient is rebuilt at the next position update, and the window redrawn.
    void Invalidate();

    void UpdatePosition() override;
    void Render(const Matrix4D &projection) override;
    // In the band 7 points above and below the bar: 'indc' within 4 points of the marker, else
    // 'intr' over the bar; otherwise 0.
    uint32_t HitTest(const Point2D &localPoint) override;
    void HandleMouseEvent(const UIEvent &event) override;

    float value = 0.0F;
    float leftColor[3] = {1.0F, 0.0F, 0.0F};   // linear, at x = 0
    float rightColor[3] = {1.0F, 1.0F, 0.0F};  // linear, at x = width
    float knobX = 0.0F;
    float grabOffset = 0.0F;  // pointer x minus knob x when the drag began on the marker
    bool gradientDue = true;
    RenderObject marker;
    DrawItem markerItem = {0, 0, 0, 0, nullptr};
    GlyphTexturePair markerPair;

private:
    void DragTo(float x);
};

}  // namespace oq
