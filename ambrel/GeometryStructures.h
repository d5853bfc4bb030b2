#pragma once

#include "ambrel/GeometryStructure.h"

namespace oq {

// Line: an open polyline through its points, closed by a straight segment for filling.
class LineStructure : public GeometryStructure
{
public:
    LineStructure() : GeometryStructure('line') {}

    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Rect: an axis-aligned rectangle from two corners, with optional corner radii.
class RectStructure : public GeometryStructure
{
public:
    RectStructure() : GeometryStructure('rect') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Circle: an ellipse around its centre with the radii of its Radius.
class CircleStructure : public GeometryStructure
{
public:
    CircleStructure() : GeometryStructure('circ') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Polygon: a closed polygon through its points, repeated points dropped.
class PolygonStructure : public GeometryStructure
{
public:
    PolygonStructure() : GeometryStructure('poly') {}

    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Path commands: the states of the points of a Path list.
enum PathCommand : uint32_t
{
    kPathMove,
    kPathClose,
    kPathLine,
    kPathHorizontalCorner,
    kPathVerticalCorner,
    kPathQuadratic,
    kPathSmoothQuadratic,
    kPathCubic,
    kPathSmoothCubic,
    kPathCommandCount
};

// Path: one contour per float[2]* list, drawn by the commands of its points.
class PathStructure : public GeometryStructure
{
public:
    PathStructure() : GeometryStructure('path') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    bool CheckStateName(const TextString &identifier, uint32_t *state) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

private:
    // Appends the contour's curves to the built ones and records the contour.
    KettricResult BuildContour(const KettricFloatList *list, Array<QuadraticBezier2D> *built);
};

}  // namespace oq
