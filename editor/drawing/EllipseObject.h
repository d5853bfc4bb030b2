#pragma once

#include "editor/drawing/DrawingObject.h"

namespace oq {

inline constexpr uint32_t kEllipseObjectKind = 'elps';

// The ellipse ("El") through the four corners of the box of its two ends: a 12-curve fill and a
// stroke band, solid (two contours) or dashed by arc length with a dash centred on each axis end.
class EllipseObject : public DrawingObject
{
public:
    EllipseObject(bool fillOn, bool strokeOn);
    // The base fields only: no stroke curves, unplaced.
    EllipseObject(const EllipseObject &object);

    DocumentNode *Clone() const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The fill item (with the fill on), then the stroke: one item solid, four quarters dashed.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;
    // The single kind 'edge'.
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    // 'edge': the axis ends; 'anno': the 5 annotation anchors. None before placement.
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    // The shapes' shared directions.
    void GetAnchorDirection(Vector2D *direction, int32_t index) const override;
    // Inside the ellipse widened by the tolerance; unfilled, also outside the one narrowed by it.
    bool HitTest(const Point2D &point, float tolerance) const override;
    // The frame around the box (inside the ellipse).
    void BuildSelectionOutline(float halfWidth, DisplayList *list) const override;
    void RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;

    // Appends the items; path items when paths, else export items.
    void AppendItems(const Design *design, DisplayList *list, bool paths) const;

    QuadraticBezier2D fillOutline[12] = {};
    StrokeCurveArray<48> curves;
    Point2D edgeAnchors[4] = {};
    Point2D annotationAnchors[5] = {};
    float box[4] = {};
    float radiusX = 0.0f;
    float radiusY = 0.0f;
    // Whether the stroke array holds dash pieces (four items) rather than the solid band (one).
    bool dashedStroke = false;

private:
    // The dash pieces around the whole ellipse; false (nothing written) when no dash fit can be made.
    bool BuildDashes(const Point2D &centre, float g, float dash, float gap);
};

}  // namespace oq
