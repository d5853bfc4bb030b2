#pragma once

#include "editor/drawing/BentLineObject.h"

namespace oq {

inline constexpr uint32_t kZigzagLineObjectKind = 'zgzg';

// The zigzag line ("Zg"): a leg from each end to the middle line halfway between them and a middle
// leg along it; v true makes the end legs vertical, v false horizontal.
class ZigzagLineObject : public BentLineObject
{
public:
    explicit ZigzagLineObject(bool vertical = false);
    ZigzagLineObject(const ZigzagLineObject &object) = default;

    DocumentNode *Clone() const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    // Curves of the dashes that belong to no corner piece: the middle leg's, the end leg's at the
    // lower (v false: left) end, the other end leg's.
    int32_t middleDashCurves = 0;
    int32_t firstLegDashCurves = 0;
    int32_t secondLegDashCurves = 0;
    Point2D bends[2] = {};

protected:
    // Solid: the two end legs through the middle leg, then the middle leg with cut bends (12
    // curves). Dashed: the two L-shaped corner pieces (6 curves each), then the own dashes of the
    // middle leg and of the two end legs (4 curves each).
    void RebuildBentGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;
    // Solid: one item per leg; dashed: each corner piece, then one item per leg's own dashes.
    void AppendBentBodyItems(DrawingItemSink *sink) const override;
    void GetBentAnchorDirection(Vector2D *direction, int32_t index) const override;
    // Near any of the three legs of the centre line.
    bool HitTestBent(const Point2D &point, float tolerance) const override;
};

}  // namespace oq
