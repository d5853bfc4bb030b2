// The rectangle: fill outline, solid and dashed stroke pieces, box anchors, hit test and frame.
#include "editor/drawing/RectangleObject.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/drawing/LineObject.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"

#include <cmath>

namespace oq {

namespace {

const uint32_t kShapeAnchorKinds[1] = {kEdgeAnchorKind};

// The L-shaped dash of the corner (x, y), whose sides run inward along (sx, sy): the bottom-left
// piece mirrored, traced counter-clockwise from its outer corner.
void WriteCornerPiece(float x, float y, float sx, float sy, float g, float dh, float dv, QuadraticBezier2D *out)
{
    const float offsets[6][2] = {{-g, -g}, {-g + dh, -g}, {-g + dh, g}, {g, g}, {g, -g + dv}, {-g, -g + dv}};
    Point2D points[6];
    // A mirror about one middle line turns the winding: the points then go the other way round.
    bool reversed = sx * sy < 0.0f;
    for (int32_t i = 0; i < 6; ++i)
    {
        const float *o = offsets[reversed ? (6 - i) % 6 : i];
        points[i] = Point2D(x + sx * o[0], y + sy * o[1]);
    }
    WritePolygonOutline(points, 6, out);
}

}  // namespace

void WriteBoxOutline(float x0, float y0, float x1, float y1, QuadraticBezier2D *out)
{
    Point2D a(x0, y0), b(x1, y0), c(x1, y1), d(x0, y1);
    out[0] = MakeLineCurve(a, b);
    out[1] = MakeLineCurve(b, c);
    out[2] = MakeLineCurve(c, d);
    out[3] = MakeLineCurve(d, a);
}

void WritePolygonOutline(const Point2D *points, int32_t count, QuadraticBezier2D *out)
{
    for (int32_t i = 0; i < count; ++i) out[i] = MakeLineCurve(points[i], points[(i + 1) % count]);
}

void GetShapeAnchorDirection(Vector2D *direction, int32_t index)
{
    static const Vector2D kDirections[4] = {Vector2D(0.0f, -1.0f), Vector2D(0.0f, 1.0f), Vector2D(-1.0f, 0.0f),
                                            Vector2D(1.0f, 0.0f)};
    *direction = (index >= 0 && index < 4) ? kDirections[index] : Vector2D(0.0f, 0.0f);
}

void PlaceBoxAnchors(const float box[4], float offset, Point2D edge[4], Point2D annotation[5])
{
    float xmid = (box[0] + box[2]) * 0.5f;
    float ymid = (box[1] + box[3]) * 0.5f;
    edge[0] = Point2D(box[0], ymid);
    edge[1] = Point2D(box[2], ymid);
    edge[2] = Point2D(xmid, box[1]);
    edge[3] = Point2D(xmid, box[3]);
    annotation[0] = Point2D(xmid, box[1] - offset);
    annotation[1] = Point2D(xmid, box[3] + offset);
    annotation[2] = Point2D(box[0] - offset, ymid);
    annotation[3] = Point2D(box[2] + offset, ymid);
    annotation[4] = Point2D(xmid, ymid);
}

int32_t GetShapeAnchorKinds(const uint32_t **kinds)
{
    *kinds = kShapeAnchorKinds;
    return 1;
}

int32_t SelectShapeAnchorPoints(uint32_t kind, const Point2D edge[4], const Point2D annotation[5],
                                const Point2D **points)
{
    if (kind == kEdgeAnchorKind)
    {
        *points = edge;
        return 4;
    }
    if (kind == kAnnotationAnchorKind)
    {
        *points = annotation;
        return 5;
    }
    return 0;
}

bool AreFiniteShapeData(const QuadraticBezier2D *fillCurves, int32_t fillCount, const QuadraticBezier2D *strokeCurves,
                        int32_t strokeCount, const Point2D edge[4], const Point2D annotation[5])
{
    bool finite = AreFiniteCurves(fillCurves, fillCount) && AreFiniteCurves(strokeCurves, strokeCount);
    for (int32_t i = 0; i < 4; ++i) finite = finite && IsFinitePoint(edge[i]);
    for (int32_t i = 0; i < 5; ++i) finite = finite && IsFinitePoint(annotation[i]);
    return finite;
}

bool HitTestShapeBox(const float box[4], bool filled, const Point2D &point, float tolerance)
{
    if (filled)
    {
        return box[0] - tolerance < point.x && point.x < box[2] + tolerance && box[1] - tolerance < point.y &&
               point.y < box[3] + tolerance;
    }
    Point2D a(box[0], box[1]), b(box[2], box[1]), c(box[2], box[3]), d(box[0], box[3]);
    return IsPointNearSegment(point, a, b, tolerance) || IsPointNearSegment(point, d, c, tolerance) ||
           IsPointNearSegment(point, a, d, tolerance) || IsPointNearSegment(point, b, c, tolerance);
}

void AppendBoxSelectionFrame(const float box[4], float halfWidth, DisplayList *list)
{
    QuadraticBezier2D outline[8];
    BuildSegmentOutline(Point2D(box[0], box[1]), Point2D(box[2], box[3]), Vector2D(1.0f, 0.0f), halfWidth, outline);
    list->Append(new FillPathItem(Point2D(0.0f, 0.0f), 8, outline, 0));
}

RectangleObject::RectangleObject(bool fillOn, bool strokeOn)
    : DrawingObject(kRectangleObjectKind, kDrawingCategoryShape, fillOn, strokeOn)
{
}

RectangleObject::RectangleObject(const RectangleObject &object) : DrawingObject(object)
{
}

DocumentNode *RectangleObject::Clone() const
{
    return new RectangleObject(*this);
}

void RectangleObject::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Rt");
}

void RectangleObject::RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    placed = false;
    if (!std::isfinite(start.x) || !std::isfinite(start.y) || !std::isfinite(finish.x) || !std::isfinite(finish.y))
    {
        curves.Reset();
        return;
    }
    float xmin = (start.x < finish.x) ? start.x : finish.x;
    float xmax = (start.x < finish.x) ? finish.x : start.x;
    float ymin = (start.y < finish.y) ? start.y : finish.y;
    float ymax = (start.y < finish.y) ? finish.y : start.y;
    box[0] = xmin;
    box[1] = ymin;
    box[2] = xmax;
    box[3] = ymax;

    if (fill) WriteBoxOutline(xmin, ymin, xmax, ymax, fillOutline);

    if (!stroke)
    {
        curves.Reset();
    }
    else
    {
        float sw = GetStrokeWidth(design);
        float g = sw / 2.0f;
        float dash = 0.0f;
        float gap = 0.0f;
        DashFit across{};
        DashFit down{};
        // A fit that cannot be made (lengths not finite, or not above 0) draws the stroke solid.
        bool dashed = GetDashLengths(design, sw, &dash, &gap) && FitDashPattern((xmax - xmin) + sw, dash, gap, &across) &&
                      FitDashPattern((ymax - ymin) + sw, dash, gap, &down);
        if (!dashed)
        {
            cornerPieceCurves = 4;
            curves.SetElementCount(16);
            QuadraticBezier2D *out = curves.GetElements();
            WriteBoxOutline(xmin - g, ymin - g, xmax + g, ymin + g, out);
            WriteBoxOutline(xmin - g, ymax - g, xmax + g, ymax + g, out + 4);
            // The side bands reach the middle line of the bottom and top bands on their inside only:
            // each corner is covered twice over a small triangle.
            const Point2D left[4] = {Point2D(xmin - g, ymin + g), Point2D(xmin + g, ymin), Point2D(xmin + g, ymax),
                                     Point2D(xmin - g, ymax - g)};
            const Point2D right[4] = {Point2D(xmax - g, ymin), Point2D(xmax + g, ymin + g), Point2D(xmax + g, ymax - g),
                                      Point2D(xmax - g, ymax)};
            WritePolygonOutline(left, 4, out + 8);
            WritePolygonOutline(right, 4, out + 12);
        }
        else
        {
            int32_t nh = across.count;
            int32_t nv = down.count;
            float dh = across.dash;
            float dv = down.dash;
            cornerPieceCurves = 6;
            curves.SetElementCount(8 * (nh + nv) - 8);
            QuadraticBezier2D *out = curves.GetElements();
            WriteCornerPiece(xmin, ymin, 1.0f, 1.0f, g, dh, dv, out);
            WriteCornerPiece(xmax, ymin, -1.0f, 1.0f, g, dh, dv, out + 6);
            WriteCornerPiece(xmax, ymax, -1.0f, -1.0f, g, dh, dv, out + 12);
            WriteCornerPiece(xmin, ymax, 1.0f, -1.0f, g, dh, dv, out + 18);
            out += 24;
            const float stepH = dh + across.gap;
            const float stepV = dv + down.gap;
            for (float y : {ymin, ymax})
            {
                for (int32_t k = 1; k <= nh - 2; ++k, out += 4)
                {
                    float x0 = xmin - g + float(k) * stepH;
                    WriteBoxOutline(x0, y - g, x0 + dh, y + g, out);
                }
            }
            for (float x : {xmin, xmax})
            {
                for (int32_t k = 1; k <= nv - 2; ++k, out += 4)
                {
                    float y0 = ymin - g + float(k) * stepV;
                    WriteBoxOutline(x - g, y0, x + g, y0 + dv, out);
                }
            }
        }
    }

    float offset = design->GetBaseFontSize() * GetGroupParam(design, 'anno', 'shap');
    PlaceBoxAnchors(box, offset, edgeAnchors, annotationAnchors);
    // Near the float range a band or an anchor may leave it: such a rectangle stays unplaced.
    placed = AreFiniteShapeData(fill ? fillOutline : nullptr, fill ? 4 : 0, curves.GetElements(),
                                curves.GetElementCount(), edgeAnchors, annotationAnchors);
}

void AppendShapeStrokePieces(DrawingItemSink *sink, const QuadraticBezier2D *curves, int32_t count,
                             int32_t cornerPieceCurves)
{
    int32_t at = 0;
    for (int32_t piece = 0; at < count; ++piece)
    {
        int32_t size = (piece < 4) ? cornerPieceCurves : 4;
        if (size > count - at) size = count - at;
        sink->Append(size, curves + at);
        at += size;
    }
}

void RectangleObject::AppendItems(const Design *design, DisplayList *list, bool paths) const
{
    if (!placed) return;
    if (fill)
    {
        DrawingItemSink sink{list, ResolveFillColor(design), paths};
        sink.Append(4, fillOutline);
    }
    if (!stroke) return;
    DrawingItemSink sink{list, ResolveStrokeColor(design), paths};
    AppendShapeStrokePieces(&sink, curves.GetElements(), curves.GetElementCount(), cornerPieceCurves);
}

void RectangleObject::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, false);
}

void RectangleObject::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, true);
}

int32_t RectangleObject::GetAnchorKinds(const uint32_t **kinds) const
{
    return GetShapeAnchorKinds(kinds);
}

int32_t RectangleObject::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    return placed ? SelectShapeAnchorPoints(kind, edgeAnchors, annotationAnchors, points) : 0;
}

void RectangleObject::GetAnchorDirection(Vector2D *direction, int32_t index) const
{
    GetShapeAnchorDirection(direction, index);
}

bool RectangleObject::HitTest(const Point2D &point, float tolerance) const
{
    if (!placed) return false;
    return HitTestShapeBox(box, fill, point, tolerance);
}

void RectangleObject::BuildSelectionOutline(float halfWidth, DisplayList *list) const
{
    if (placed) AppendBoxSelectionFrame(box, halfWidth, list);
}

}  // namespace oq
