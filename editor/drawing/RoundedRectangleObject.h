#pragma once

#include "editor/drawing/DrawingObject.h"

namespace oq {

inline constexpr uint32_t kRoundedRectangleObjectKind = 'rdrt';

// The rounded rectangle ("Rr") on the box of its two ends: corners of one of the design's three
// radii, a fill outline and a stroke band, solid (corner and side pieces) or dashed (straight parts
// that begin and end with a gap, and dashed corner arcs when they are long enough).
class RoundedRectangleObject : public DrawingObject
{
public:
    RoundedRectangleObject(bool fillOn, bool strokeOn);
    // The base fields and the radius index: no curves, unplaced.
    RoundedRectangleObject(const RoundedRectangleObject &object);

    // "r", then the base's properties.
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // The base's limits, then the radius index at most 2.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The fill item (with the fill on), then the stroke pieces (with the stroke on).
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;
    // Anchors, hit test and frame are the rectangle's, on the box (the rounding is ignored).
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    void GetAnchorDirection(Vector2D *direction, int32_t index) const override;
    bool HitTest(const Point2D &point, float tolerance) const override;
    void BuildSelectionOutline(float halfWidth, DisplayList *list) const override;
    void RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;

    // Appends the items; path items when paths, else export items.
    void AppendItems(const Design *design, DisplayList *list, bool paths) const;

    uint8_t radiusIndex = 0;
    // Set by each build with the stroke on: the corner arcs carry dashes of 4 curves each.
    bool cornerDashes = false;
    int32_t fillCurveCount = 0;
    QuadraticBezier2D fillOutline[16] = {};
    StrokeCurveArray<48> curves;
    Point2D edgeAnchors[4] = {};
    Point2D annotationAnchors[5] = {};
    float box[4] = {};
    // The corner radius of the last build.
    float radius = 0.0f;

private:
    // The four solid corner pieces of 8 curves each.
    void WriteSolidCorners(float g, QuadraticBezier2D *out) const;
    // The corner arcs' dashes, 4 curves each; returns the curves written.
    int32_t WriteCornerDashes(float g, const DashFit &fit, QuadraticBezier2D *out) const;
};

}  // namespace oq
