#pragma once

#include "editor/drawing/BentLineObject.h"

namespace oq {

inline constexpr uint32_t kCornerLineObjectKind = 'corn';

// The corner line ("Cn"): two axis-parallel legs with one right-angled bend; v false leaves the
// start horizontally, v true vertically.
class CornerLineObject : public BentLineObject
{
public:
    explicit CornerLineObject(bool vertical = false);
    CornerLineObject(const CornerLineObject &object) = default;

    DocumentNode *Clone() const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    Point2D corner = Point2D(0.0f, 0.0f);

protected:
    // Solid: the horizontal leg through the bend square, then the vertical leg cut diagonally at
    // the bend (8 curves). Dashed: the L-shaped corner piece (6 curves), then the other dashes of
    // the horizontal and of the vertical leg (4 curves each).
    void RebuildBentGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;
    // Solid: one item per leg; dashed: the corner piece and every dash as items of their own.
    void AppendBentBodyItems(DrawingItemSink *sink) const override;
    void GetBentAnchorDirection(Vector2D *direction, int32_t index) const override;
    // Near either leg of the centre line.
    bool HitTestBent(const Point2D &point, float tolerance) const override;

private:
    // The outward direction of the start (or finish) from the stored signs.
    Vector2D GetOutward(bool atStart) const;
};

}  // namespace oq
