#pragma once

#include "editor/drawing/DrawingObject.h"

namespace oq {

inline constexpr uint32_t kRectangleObjectKind = 'rect';
// The anchor kind lines connect to on a shape's outline.
inline constexpr uint32_t kEdgeAnchorKind = 'edge';

// The side on which a shape's annotation anchor lies: 0 below (0, -1), 1 above (0, 1), 2 left
// (-1, 0), 3 right (1, 0), any other index (0, 0). Rectangles, rounded rectangles and ellipses.
void GetShapeAnchorDirection(Vector2D *direction, int32_t index);

// The shape anchors of a box and their offset o: edge anchors at the middles of the left, right,
// bottom and top edge; annotation anchors below, above, left of, right of and at the centre.
void PlaceBoxAnchors(const float box[4], float offset, Point2D edge[4], Point2D annotation[5]);

// The shapes' anchor kinds (the single 'edge') and, for a kind, their 4 edge or 5 annotation points
// (0 for other kinds).
int32_t GetShapeAnchorKinds(const uint32_t **kinds);
int32_t SelectShapeAnchorPoints(uint32_t kind, const Point2D edge[4], const Point2D annotation[5],
                                const Point2D **points);

// The axis-parallel rectangle from (x0, y0) to (x1, y1) as four straight curves, counter-clockwise
// from its lower left.
void WriteBoxOutline(float x0, float y0, float x1, float y1, QuadraticBezier2D *out);

// The closed polygon through the points as straight curves.
void WritePolygonOutline(const Point2D *points, int32_t count, QuadraticBezier2D *out);

// Whether a shape's fill and stroke curves (either may be absent: count 0) and anchors are finite.
bool AreFiniteShapeData(const QuadraticBezier2D *fillCurves, int32_t fillCount, const QuadraticBezier2D *strokeCurves,
                        int32_t strokeCount, const Point2D edge[4], const Point2D annotation[5]);

// Whether a point hits a shape's box: filled, inside it widened by the tolerance (strict); else near
// one of its edges (bottom, top, left, right).
bool HitTestShapeBox(const float box[4], bool filled, const Point2D &point, float tolerance);

// A shape's stroke as items: the first four pieces of cornerPieceCurves curves each (the corners),
// every later piece of 4; the last piece takes what is left.
void AppendShapeStrokePieces(DrawingItemSink *sink, const QuadraticBezier2D *curves, int32_t count,
                             int32_t cornerPieceCurves);

// The shapes' selection frame: the box's outline, halfWidth to either side, as one colourless item.
void AppendBoxSelectionFrame(const float box[4], float halfWidth, DisplayList *list);

// The rectangle ("Rt") on the box of its two ends: a fill outline and a stroke band, solid (four
// bands overlapping in the corners) or dashed (L-shaped corner pieces and straight dashes).
class RectangleObject : public DrawingObject
{
public:
    RectangleObject(bool fillOn, bool strokeOn);
    // The base fields only: no stroke curves, unplaced.
    RectangleObject(const RectangleObject &object);

    DocumentNode *Clone() const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The fill item (with the fill on), then one item per stroke piece (with the stroke on).
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;
    // The single kind 'edge'.
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    // 'edge': the 4 edge anchors; 'anno': the 5 annotation anchors. None before placement.
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    void GetAnchorDirection(Vector2D *direction, int32_t index) const override;
    // Filled: inside the box widened by the tolerance; else near one of its edges.
    bool HitTest(const Point2D &point, float tolerance) const override;
    // The frame around the box.
    void BuildSelectionOutline(float halfWidth, DisplayList *list) const override;
    void RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish) override;

    // Appends the items; path items when paths, else export items.
    void AppendItems(const Design *design, DisplayList *list, bool paths) const;

    QuadraticBezier2D fillOutline[4] = {};
    StrokeCurveArray<16> curves;
    Point2D edgeAnchors[4] = {};
    Point2D annotationAnchors[5] = {};
    float box[4] = {};
    // Curves of each of the first four stroke pieces: 4 for a solid stroke, 6 for dashed corners.
    int32_t cornerPieceCurves = 4;
};

}  // namespace oq
