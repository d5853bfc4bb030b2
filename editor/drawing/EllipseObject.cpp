// The ellipse: radii through the box corners, fill, solid and dashed stroke, anchors and hit test.
#include "editor/drawing/EllipseObject.h"

#include "base/ScalarMath.h"
#include "editor/document/MathDesign.h"
#include "editor/drawing/RectangleObject.h"
#include "editor/drawing/TangentIntersection.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"
#include "vorl/geometry/EllipsePaths.h"

#include <cmath>

namespace oq {

namespace {

constexpr float kHalfSqrt2 = 0.70710677f;

Point2D MirrorX(const Point2D &p, float cx)
{
    return Point2D(2.0f * cx - p.x, p.y);
}

Point2D MirrorY(const Point2D &p, float cy)
{
    return Point2D(p.x, 2.0f * cy - p.y);
}

}  // namespace

EllipseObject::EllipseObject(bool fillOn, bool strokeOn)
    : DrawingObject(kEllipseObjectKind, kDrawingCategoryShape, fillOn, strokeOn)
{
}

EllipseObject::EllipseObject(const EllipseObject &object) : DrawingObject(object)
{
}

DocumentNode *EllipseObject::Clone() const
{
    return new EllipseObject(*this);
}

void EllipseObject::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "El");
}

void EllipseObject::RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    placed = false;
    float xmin = (start.x < finish.x) ? start.x : finish.x;
    float xmax = (start.x < finish.x) ? finish.x : start.x;
    float ymin = (start.y < finish.y) ? start.y : finish.y;
    float ymax = (start.y < finish.y) ? finish.y : start.y;
    float width = xmax - xmin;
    float height = ymax - ymin;
    Point2D centre((xmin + xmax) / 2.0f, (ymin + ymax) / 2.0f);
    // A box without width has rx = 0 and, in the limit, ry = height x 0.70710677.
    bool wide = width > FloatMinNormal;
    float rx = wide ? width * kHalfSqrt2 : 0.0f;
    float ry = wide ? float(double(height) * rx / width) : height * kHalfSqrt2;
    // Ends or radii beyond floats place nothing.
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(rx) || !std::isfinite(ry)) return;
    box[0] = xmin;
    box[1] = ymin;
    box[2] = xmax;
    box[3] = ymax;
    radiusX = rx;
    radiusY = ry;

    if (fill) AppendEllipseCurves(centre.x, centre.y, rx, ry, fillOutline, 0, 11);

    // With the stroke off the stroke array stays as it is: it is not drawn.
    if (stroke)
    {
        float sw = GetStrokeWidth(design);
        float g = sw / 2.0f;
        float dash = 0.0f;
        float gap = 0.0f;
        dashedStroke = GetDashLengths(design, sw, &dash, &gap) && BuildDashes(centre, g, dash, gap);
        if (!dashedStroke)
        {
            curves.SetElementCount(24);
            QuadraticBezier2D *out = curves.GetElements();
            AppendEllipseCurves(centre.x, centre.y, rx + g, ry + g, out, 0, 11);
            AppendEllipseCurvesReversed(centre.x, centre.y, rx - g, ry - g, out + 12, 0, 11);
        }
    }

    float offset = design->GetBaseFontSize() * GetGroupParam(design, 'anno', 'shap');
    edgeAnchors[0] = Point2D(centre.x - rx, centre.y);
    edgeAnchors[1] = Point2D(centre.x + rx, centre.y);
    edgeAnchors[2] = Point2D(centre.x, centre.y - ry);
    edgeAnchors[3] = Point2D(centre.x, centre.y + ry);
    annotationAnchors[0] = Point2D(centre.x, centre.y - ry - offset);
    annotationAnchors[1] = Point2D(centre.x, centre.y + ry + offset);
    annotationAnchors[2] = Point2D(centre.x - rx - offset, centre.y);
    annotationAnchors[3] = Point2D(centre.x + rx + offset, centre.y);
    annotationAnchors[4] = centre;
    // Near the float range an outline's control points or an anchor may leave it: such an ellipse
    // stays unplaced.
    placed = AreFiniteShapeData(fill ? fillOutline : nullptr, fill ? 12 : 0, stroke ? curves.GetElements() : nullptr,
                                stroke ? curves.GetElementCount() : 0, edgeAnchors, annotationAnchors);
}

bool EllipseObject::BuildDashes(const Point2D &centre, float g, float dash, float gap)
{
    float rx = radiusX;
    float ry = radiusY;
    float table[65];
    BuildArcLengthTable(rx, ry, table);
    float quarter = table[64];
    // The fitted dash divides by both lengths: a fit that cannot be made draws the stroke solid.
    if (!std::isfinite(quarter) || !std::isfinite(dash) || !std::isfinite(gap) || !(dash > 0.0f) || !(gap > 0.0f))
    {
        return false;
    }
    double pieces = std::floor(double(quarter) / (double(dash) + double(gap)) + 0.5);
    if (pieces < 2.0) pieces = 2.0;
    if (pieces > double(kMaxDashPieces)) pieces = double(kMaxDashPieces);
    int32_t n = int32_t(pieces);
    float d = float(double(quarter) / (pieces * double(gap) / double(dash) + pieces));
    float e = float(double(d) * double(gap) / double(dash));

    curves.SetElementCount(16 * n);
    QuadraticBezier2D *out = curves.GetElements();
    // The normal along (cos t ry, sin t rx), scaled by the larger radius so that neither overflows.
    float larger = (rx > ry) ? rx : ry;
    float sx = (larger > FloatMinNormal) ? rx / larger : 0.0f;
    float sy = (larger > FloatMinNormal) ? ry / larger : 0.0f;
    auto writePiece = [&](float from, float to, QuadraticBezier2D *piece) {
        float c0, s0, c1, s1;
        CosSin(from, &c0, &s0);
        CosSin(to, &c1, &s1);
        Vector2D n0 = NormalizeFast(Vector2D(c0 * sy, s0 * sx), nullptr);
        Vector2D n1 = NormalizeFast(Vector2D(c1 * sy, s1 * sx), nullptr);
        Point2D p0(centre.x + rx * c0, centre.y + ry * s0);
        Point2D p1(centre.x + rx * c1, centre.y + ry * s1);
        Point2D outer0 = p0 + n0 * g;
        Point2D outer1 = p1 + n1 * g;
        Point2D inner0 = p0 - n0 * g;
        Point2D inner1 = p1 - n1 * g;
        piece[0] = QuadraticBezier2D(outer0, IntersectOffsetTangents(outer0, n0, outer1, n1), outer1);
        piece[1] = MakeLineCurve(outer1, inner1);
        piece[2] = QuadraticBezier2D(inner1, IntersectOffsetTangents(inner1, n1, inner0, n0), inner0);
        piece[3] = MakeLineCurve(inner0, outer0);
    };

    // The first quarter: a dash centred on the right end, n - 1 whole dashes, one centred on the top.
    int32_t cursor = 0;
    float half = LookupArcLengthAngle(d / 2.0f, table, &cursor);
    writePiece(-half, half, out);
    for (int32_t k = 1; k < n; ++k)
    {
        float s = d / 2.0f + float(k) * e + float(k - 1) * d;
        float from = LookupArcLengthAngle(s, table, &cursor);
        float to = LookupArcLengthAngle(s + d, table, &cursor);
        writePiece(from, to, out + 4 * k);
    }
    float top = LookupArcLengthAngle(quarter - d / 2.0f, table, &cursor);
    writePiece(top, kPi - top, out + 4 * n);

    // Mirrored pieces keep their counter-clockwise turn: curves in reverse order, each reversed.
    int32_t at = n + 1;
    for (int32_t piece = n - 1; piece >= 0; --piece, ++at)
    {
        for (int32_t i = 0; i < 4; ++i)
        {
            const QuadraticBezier2D &source = out[4 * piece + 3 - i];
            out[4 * at + i] = QuadraticBezier2D(MirrorX(source.p2, centre.x), MirrorX(source.p1, centre.x),
                                                MirrorX(source.p0, centre.x));
        }
    }
    for (int32_t piece = 2 * n - 1; piece >= 1; --piece, ++at)
    {
        for (int32_t i = 0; i < 4; ++i)
        {
            const QuadraticBezier2D &source = out[4 * piece + 3 - i];
            out[4 * at + i] = QuadraticBezier2D(MirrorY(source.p2, centre.y), MirrorY(source.p1, centre.y),
                                                MirrorY(source.p0, centre.y));
        }
    }
    return true;
}

void EllipseObject::AppendItems(const Design *design, DisplayList *list, bool paths) const
{
    if (!placed) return;
    if (fill)
    {
        DrawingItemSink sink{list, ResolveFillColor(design), paths};
        sink.Append(12, fillOutline);
    }
    if (!stroke) return;
    DrawingItemSink sink{list, ResolveStrokeColor(design), paths};
    int32_t count = curves.GetElementCount();
    if (!dashedStroke)
    {
        sink.Append(count, curves.GetElements());
        return;
    }
    int32_t quarter = count / 4;
    for (int32_t i = 0; i < 4; ++i) sink.Append(quarter, curves.GetElements() + i * quarter);
}

void EllipseObject::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, false);
}

void EllipseObject::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, true);
}

int32_t EllipseObject::GetAnchorKinds(const uint32_t **kinds) const
{
    return GetShapeAnchorKinds(kinds);
}

int32_t EllipseObject::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    return placed ? SelectShapeAnchorPoints(kind, edgeAnchors, annotationAnchors, points) : 0;
}

void EllipseObject::GetAnchorDirection(Vector2D *direction, int32_t index) const
{
    GetShapeAnchorDirection(direction, index);
}

bool EllipseObject::HitTest(const Point2D &point, float tolerance) const
{
    if (!placed) return false;
    float dx = (box[0] + box[2]) / 2.0f - point.x;
    float dy = (box[1] + box[3]) / 2.0f - point.y;
    float ox = radiusX + tolerance;
    float oy = radiusY + tolerance;
    if (!(oy * oy * ox * ox > ox * ox * dy * dy + oy * oy * dx * dx)) return false;
    if (fill) return true;
    float ix = radiusX - tolerance;
    float iy = radiusY - tolerance;
    return dy * dy * ix * ix + dx * dx * iy * iy > iy * iy * ix * ix;
}

void EllipseObject::BuildSelectionOutline(float halfWidth, DisplayList *list) const
{
    if (placed) AppendBoxSelectionFrame(box, halfWidth, list);
}

}  // namespace oq
