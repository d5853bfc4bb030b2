#pragma once

#include "editor/drawing/BentLineObject.h"

namespace oq {

inline constexpr uint32_t kQuarterLineObjectKind = 'quar';

// The quarter line ("Qe"): a quarter of an axis-aligned ellipse fitted between the ends; v false
// leaves the start horizontally and reaches the finish vertically, v true the other way round.
class QuarterLineObject : public BentLineObject
{
public:
    explicit QuarterLineObject(bool vertical = false);
    QuarterLineObject(const QuarterLineObject &object) = default;

    DocumentNode *Clone() const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    Point2D center = Point2D(0.0f, 0.0f);
    float radiusX = 0.0f;
    float radiusY = 0.0f;
    // The middle annotation anchor's offset from the arc's midpoint.
    Vector2D middleOffset = Vector2D(0.0f, 0.0f);

protected:
    // Solid: the outer arc, a straight end, the inner arc backwards and a straight end (8 curves).
    // Dashed: 4 curves per dash, laid by arc length from the end on the horizontal axis.
    void RebuildBentGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;
    // One item with every body curve.
    void AppendBentBodyItems(DrawingItemSink *sink) const override;
    void GetBentAnchorDirection(Vector2D *direction, int32_t index) const override;
    // Inside the box of the ends and between the ellipses widened and narrowed by the tolerance.
    bool HitTestBent(const Point2D &point, float tolerance) const override;
    bool HasFiniteBentData() const override;
};

}  // namespace oq
