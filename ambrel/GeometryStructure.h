#pragma once

#include "ambrel/AmbrelStructure.h"
#include "base/Array.h"
#include "base/Bezier.h"
#include "base/Box2D.h"
#include "base/Transform4D.h"

#include <cstdint>

namespace oq {

class FillStructure;
class StrokeStructure;

// One contour of a geometry's curves: its curve count, whether its data closed it, and whether its
// last curve is a straight segment added only to close it (a stroke leaves that one out).
struct ContourRecord
{
    int32_t curveCount;
    uint8_t closed;
    uint8_t closingCurveAdded;
};

// Base of the shapes: the curves of its data grouped into contours, moved into document space by
// its transform, with its Fill and Stroke.
class GeometryStructure : public AmbrelStructure
{
public:
    explicit GeometryStructure(uint32_t type);

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // Takes the Fill and the Stroke and empties the curves; each shape then builds its own.
    KettricResult ResolveData(KettricDocument *document) override;

    // Maps the curves by the geometry transform, computes their box and moves the Fill's gradient
    // (object gradients relative to the box of the curves before the mapping).
    void TransformGeometry();
    // Maps the curves so that the larger side of the box spans 0 to 1 from its minimum corner.
    void NormalizeToUnitBox();
    // The larger side of the box, or 1 when it is not above the smallest normal float.
    float GetUnitBoxSize() const;
    // The mapping p -> s p + offset of NormalizeToUnitBox; returns s.
    float GetUnitBoxMapping(Point2D *offset) const;

    // The first float list as one data block of points.
    void WritePointList(TextOutputStream *stream, bool newline) const;

    Transform4D geometryTransform;
    FillStructure *fillStructure = nullptr;
    StrokeStructure *strokeStructure = nullptr;
    Array<ContourRecord, 4> contours;
    Array<QuadraticBezier2D> curves;
    Box2D boundingBox;

protected:
    // Whether the substructure is one that every shape accepts.
    static bool IsGeometryContent(const KettricStructure *structure);

    void AppendLine(const Point2D &p, const Point2D &q) { curves.AddElement(QuadraticBezier2D(p, q, q)); }
    void AppendContour(int32_t count, bool closed, bool closingCurveAdded)
    {
        contours.AddElement(ContourRecord{count, uint8_t(closed), uint8_t(closingCurveAdded)});
    }
    // The shared writer of Line, Rect, Circle and Polygon.
    void WriteShape(AmbrelDocument *document, TextOutputStream *stream, const char *header) const;
};

}  // namespace oq
