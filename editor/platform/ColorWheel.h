#pragma once

#include "editor/platform/DrawableWidget.h"

namespace oq {

// Hue and saturation on the ellipse inscribed in the widget's box ('whel'): hue is the angle around
// the centre (0 to the right, counter-clockwise on the screen), saturation the distance from the
// centre relative to the radii. It draws only its knob, a small black ring, over the disc image its
// owner places beneath it; every change the user makes is reported with 'wgch'.
class ColorWheel : public DrawableWidget
{
public:
    ColorWheel(const Point2D &localPosition, const Vector2D &size);
    ~ColorWheel() override;

    // Shows a colour: stores both and moves the knob; sends nothing.
    void SetValue(float newSaturation, float newHue);

    void Render(const Matrix4D &projection) override;
    // 'indc' within 6 points of the knob centre, 'intr' on the disc, else 0.
    uint32_t HitTest(const Point2D &localPoint) override;
    void HandleMouseEvent(const UIEvent &event) override;
    // While dragging: Shift pressed or released now snaps the hue without a pointer move.
    void UpdateCaptured(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval) override;

    float saturation = 0.0F;
    float hue = 0.0F;  // radians in [0, 2 pi)
    Point2D knob;
    Point2D grabOffset{0.0F, 0.0F};  // pointer minus knob when the drag began on the knob
    float hueAtPress = 0.0F;         // kept while Shift is held
    float draggedHue = 0.0F;         // the pointer's own angle during a drag
    GlyphTexturePair pair;

private:
    void DragTo(const UIEvent &event);
};

}  // namespace oq
