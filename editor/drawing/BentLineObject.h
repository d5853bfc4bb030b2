#pragma once

#include "editor/drawing/LineObject.h"

namespace oq {

// The closed polygon through the corners as straight curves, in their order or reversed.
void WriteStraightPolygon(const Point2D *corners, int32_t count, bool reversed, QuadraticBezier2D *out);

// +1 when the value is above 0, else -1.
inline float SignOrMinus(float value)
{
    return (value > 0.0f) ? 1.0f : -1.0f;
}

// What the corner, quarter and zigzag lines share: "v", the straight line's geometry while the ends
// share an x or a y, and a selection frame on the bounding box of the ends.
class BentLineObject : public LineObject
{
public:
    BentLineObject(uint32_t kind, bool vertical);
    // Copies the line's fields and v; no geometry.
    BentLineObject(const BentLineObject &object);

    // "v", then the line's properties.
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // The line's list, then "v" when set.
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void AppendBodyItems(DrawingItemSink *sink) const override;
    void GetAnchorDirection(Vector2D *direction, int32_t index) const override;
    bool HitTest(const Point2D &point, float tolerance) const override;
    // A frame on the bounding box of the placed ends, without margin.
    void BuildSelectionOutline(float halfWidth, DisplayList *list) const override;
    // The straight line's geometry when the ends share an x or a y, else the kind's own. Geometry
    // that comes out non-finite leaves the object unplaced.
    void RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;

    bool v;
    bool straight = false;

protected:
    // The kind's geometry for finite ends that differ in both coordinates; sets the curves,
    // decorations, anchors and direction.
    virtual void RebuildBentGeometry(const Design *design, const Point2D &start, const Point2D &finish) = 0;
    virtual void AppendBentBodyItems(DrawingItemSink *sink) const = 0;
    virtual void GetBentAnchorDirection(Vector2D *direction, int32_t index) const = 0;
    virtual bool HitTestBent(const Point2D &point, float tolerance) const = 0;
    // Extra points of the kind that must be finite for the object to be placed.
    virtual bool HasFiniteBentData() const { return true; }
    // Moves the layout's ends by their offsets along their axis-parallel outward directions (each
    // 'shrt' capped by a quarter of the ends' distance along that axis) and pulls them back into
    // their decorations, whose curves it builds. Returns the stroke width.
    float MoveEnds(const Design *design, const Vector2D &outStart, const Vector2D &outFinish, Point2D *start,
                   Point2D *finish);

private:
    void ClearGeometry();
};

}  // namespace oq
