#pragma once

#include "editor/platform/DrawableWidget.h"

#include <cstdint>

namespace oq {

// A thumb-only vertical scroll bar ('scrl'): the thumb is dragged; the track neither pages nor
// takes the pointer. The widget's render object draws the thumb.
class ScrollBar : public DrawableWidget
{
public:
    ScrollBar(const Point2D &localPosition, const Vector2D &size, int32_t visibleCount);
    ~ScrollBar() override;

    // Not clamped; no event.
    void SetPosition(int32_t newPosition);
    // No event; the thumb is rebuilt when the maximum changed.
    void SetRange(int32_t newPosition, int32_t newMaximum);

    void UpdatePosition() override;
    void Render(const Matrix4D &projection) override;
    bool AcceptsCapture() override { return true; }
    // 'indc' on the thumb only.
    uint32_t HitTest(const Point2D &localPoint) override;
    void HandleMouseEvent(const UIEvent &event) override;

    int32_t position = 0;
    int32_t maximumPosition = 0;
    int32_t visibleCount;
    bool thumbDue = true;
    float thumbLength = 0.0F;
    float thumbOffset = 0.0F;
    float grabOffset = 0.0F;
    RenderObject track;
    DrawItem trackItem = {0, 0, 0, 0, nullptr};
    GlyphTexturePair trackPair;
    GlyphTexturePair thumbPair;

private:
    void BuildThumb();
};

}  // namespace oq
