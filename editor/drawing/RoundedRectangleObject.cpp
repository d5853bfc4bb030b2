// The rounded rectangle: radius clamp, fill outline, solid and dashed stroke pieces, box anchors.
#include "editor/drawing/RoundedRectangleObject.h"

#include "base/ScalarMath.h"
#include "editor/document/MathDesign.h"
#include "editor/drawing/RectangleObject.h"
#include "editor/drawing/TangentIntersection.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/TextBuffer.h"
#include "vorl/geometry/EllipsePaths.h"

#include <cmath>
#include <cstring>

namespace oq {

namespace {

const uint32_t kRadiusKeys[3] = {'rad0', 'rad1', 'rad2'};

// A quarter turn, for the length of a corner arc.
constexpr float kQuarterTurn = 1.5707964f;

// One corner: its centre, its segments of the twelve-segment circle, and the direction from the
// centre at angle theta along its arc, measured from the arc's start (counter-clockwise).
struct Corner
{
    float cx;
    float cy;
    int32_t firstSegment;
    Vector2D Direction(float theta) const
    {
        float c, s;
        CosSin(theta, &c, &s);
        switch (firstSegment)
        {
        case 6: return Vector2D(-c, -s);
        case 9: return Vector2D(s, -c);
        case 0: return Vector2D(c, s);
        default: return Vector2D(-s, c);
        }
    }
};

void GetCorners(const float box[4], float r, Corner corners[4])
{
    corners[0] = {box[0] + r, box[1] + r, 6};
    corners[1] = {box[2] - r, box[1] + r, 9};
    corners[2] = {box[2] - r, box[3] - r, 0};
    corners[3] = {box[0] + r, box[3] - r, 3};
}

Point2D OnArc(const Corner &corner, const Vector2D &direction, float rho)
{
    return Point2D(corner.cx + rho * direction.x, corner.cy + rho * direction.y);
}

}  // namespace

RoundedRectangleObject::RoundedRectangleObject(bool fillOn, bool strokeOn)
    : DrawingObject(kRoundedRectangleObjectKind, kDrawingCategoryShape, fillOn, strokeOn)
{
}

RoundedRectangleObject::RoundedRectangleObject(const RoundedRectangleObject &object)
    : DrawingObject(object), radiusIndex(object.radiusIndex)
{
}

bool RoundedRectangleObject::CheckProperty(KettricDocument *document, const TextString &identifier,
                                           KettricDataType *type, void **storage)
{
    if (std::strcmp(identifier, "r") == 0)
    {
        *type = 'UIN8';
        *storage = &radiusIndex;
        return true;
    }
    return DrawingObject::CheckProperty(document, identifier, type, storage);
}

KettricResult RoundedRectangleObject::ResolveData(KettricDocument *document)
{
    KettricResult result = DrawingObject::ResolveData(document);
    if (radiusIndex > 2) radiusIndex = 2;
    return result;
}

DocumentNode *RoundedRectangleObject::Clone() const
{
    return new RoundedRectangleObject(*this);
}

bool RoundedRectangleObject::WriteKettricProperties(TextBuffer *buffer) const
{
    bool open = DrawingObject::WriteKettricProperties(buffer);
    if (radiusIndex == 0) return open;
    buffer->AppendText(open ? ",r=" : " (r=");
    buffer->AppendInteger(radiusIndex);
    return true;
}

void RoundedRectangleObject::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Rr");
}

void RoundedRectangleObject::WriteSolidCorners(float g, QuadraticBezier2D *out) const
{
    Corner corners[4];
    GetCorners(box, radius, corners);
    for (const Corner &corner : corners)
    {
        int32_t first = corner.firstSegment;
        AppendEllipseCurves(corner.cx, corner.cy, radius + g, radius + g, out, first, first + 2);
        AppendEllipseCurvesReversed(corner.cx, corner.cy, radius - g, radius - g, out + 4, first, first + 2);
        out[3] = MakeLineCurve(out[2].p2, out[4].p0);
        out[7] = MakeLineCurve(out[6].p2, out[0].p0);
        out += 8;
    }
}

int32_t RoundedRectangleObject::WriteCornerDashes(float g, const DashFit &fit, QuadraticBezier2D *out) const
{
    Corner corners[4];
    GetCorners(box, radius, corners);
    int32_t written = 0;
    for (const Corner &corner : corners)
    {
        for (int32_t k = 0; k < fit.count; ++k, out += 4, written += 4)
        {
            float theta0 = float(k) * (fit.dash + fit.gap) / radius;
            float theta1 = theta0 + fit.dash / radius;
            Vector2D n0 = corner.Direction(theta0);
            Vector2D n1 = corner.Direction(theta1);
            Point2D outer0 = OnArc(corner, n0, radius + g), outer1 = OnArc(corner, n1, radius + g);
            Point2D inner0 = OnArc(corner, n0, radius - g), inner1 = OnArc(corner, n1, radius - g);
            out[0] = QuadraticBezier2D(outer0, IntersectOffsetTangents(outer0, n0, outer1, n1), outer1);
            out[1] = MakeLineCurve(outer1, inner1);
            out[2] = QuadraticBezier2D(inner1, IntersectOffsetTangents(inner1, n1, inner0, n0), inner0);
            out[3] = MakeLineCurve(inner0, outer0);
        }
    }
    return written;
}

void RoundedRectangleObject::RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    placed = false;
    if (!std::isfinite(start.x) || !std::isfinite(start.y) || !std::isfinite(finish.x) || !std::isfinite(finish.y))
    {
        curves.Reset();
        fillCurveCount = 0;
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

    float size = design->GetBaseFontSize();
    float r = size * GetGroupParam(design, 'shap', kRadiusKeys[radiusIndex <= 2 ? radiusIndex : 2]);
    if (!(r > 0.0f)) r = 0.0f;
    if (r > (xmax - xmin) / 2.0f) r = (xmax - xmin) / 2.0f;
    if (r > (ymax - ymin) / 2.0f) r = (ymax - ymin) / 2.0f;
    radius = r;

    fillCurveCount = fill ? AppendRoundedRectCurves(xmin, ymin, xmax, ymax, r, r, fillOutline) : 0;

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
        // The straight parts begin and end with a gap: the fit of gaps separated by dashes. A fit
        // that cannot be made (lengths not finite, or not above 0) draws the stroke solid.
        bool dashed = dashIndex != 0 && GetDashLengths(design, 0.0f, &dash, &gap);
        float dashMin = (dash > sw) ? dash : sw;
        float gapMin = (gap > sw) ? gap : sw;
        dashed = dashed && FitDashPattern((xmax - xmin) - 2.0f * r, gapMin, dashMin, &across) &&
                 FitDashPattern((ymax - ymin) - 2.0f * r, gapMin, dashMin, &down);
        cornerDashes = false;
        if (!dashed)
        {
            curves.SetElementCount(48);
            QuadraticBezier2D *out = curves.GetElements();
            WriteSolidCorners(g, out);
            // The outer edge runs between the outer arcs' ends, the inner edge g longer at each end.
            const Point2D sides[4][4] = {
                {Point2D(xmin + r, ymin - g), Point2D(xmax - r, ymin - g), Point2D(xmax - r + g, ymin + g),
                 Point2D(xmin + r - g, ymin + g)},
                {Point2D(xmax + g, ymin + r), Point2D(xmax + g, ymax - r), Point2D(xmax - g, ymax - r + g),
                 Point2D(xmax - g, ymin + r - g)},
                {Point2D(xmax - r, ymax + g), Point2D(xmin + r, ymax + g), Point2D(xmin + r - g, ymax - g),
                 Point2D(xmax - r + g, ymax - g)},
                {Point2D(xmin - g, ymax - r), Point2D(xmin - g, ymin + r), Point2D(xmin + g, ymin + r - g),
                 Point2D(xmin + g, ymax - r + g)}};
            for (int32_t i = 0; i < 4; ++i) WritePolygonOutline(sides[i], 4, out + 32 + 4 * i);
        }
        else
        {
            int32_t nh = across.count;
            int32_t nv = down.count;
            float gh = across.dash, dh = across.gap;
            float gv = down.dash, dv = down.gap;
            float arc = r * kQuarterTurn;
            DashFit corner{};
            float halfDash = (dash > g) ? dash : g;
            float halfGap = (gap > g) ? gap : g;
            cornerDashes = r > 0.0f && gap + dash > 0.0f && (gap + arc) / (gap + dash) >= 1.5f &&
                           FitDashPattern(arc, halfDash, halfGap, &corner);
            int32_t cornerCurves = cornerDashes ? 16 * corner.count : 32;
            curves.SetElementCount(cornerCurves + 8 * (nh + nv) - 16);
            QuadraticBezier2D *out = curves.GetElements();
            if (cornerDashes) WriteCornerDashes(g, corner, out);
            else WriteSolidCorners(g, out);
            out += cornerCurves;
            for (float y : {ymin, ymax})
            {
                for (int32_t k = 0; k <= nh - 2; ++k, out += 4)
                {
                    float x0 = xmin + r + gh + float(k) * (gh + dh);
                    WriteBoxOutline(x0, y - g, x0 + dh, y + g, out);
                }
            }
            for (float x : {xmin, xmax})
            {
                for (int32_t k = 0; k <= nv - 2; ++k, out += 4)
                {
                    float y0 = ymin + r + gv + float(k) * (gv + dv);
                    WriteBoxOutline(x - g, y0, x + g, y0 + dv, out);
                }
            }
        }
    }

    float offset = size * GetGroupParam(design, 'anno', 'shap');
    PlaceBoxAnchors(box, offset, edgeAnchors, annotationAnchors);
    // Near the float range a band or an anchor may leave it: such a shape stays unplaced.
    placed = AreFiniteShapeData(fillOutline, fillCurveCount, curves.GetElements(), curves.GetElementCount(),
                                edgeAnchors, annotationAnchors);
}

void RoundedRectangleObject::AppendItems(const Design *design, DisplayList *list, bool paths) const
{
    if (!placed) return;
    if (fill && fillCurveCount > 0)
    {
        DrawingItemSink sink{list, ResolveFillColor(design), paths};
        sink.Append(fillCurveCount, fillOutline);
    }
    if (!stroke) return;
    DrawingItemSink sink{list, ResolveStrokeColor(design), paths};
    AppendShapeStrokePieces(&sink, curves.GetElements(), curves.GetElementCount(), cornerDashes ? 4 : 8);
}

void RoundedRectangleObject::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, false);
}

void RoundedRectangleObject::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, true);
}

int32_t RoundedRectangleObject::GetAnchorKinds(const uint32_t **kinds) const
{
    return GetShapeAnchorKinds(kinds);
}

int32_t RoundedRectangleObject::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    return placed ? SelectShapeAnchorPoints(kind, edgeAnchors, annotationAnchors, points) : 0;
}

void RoundedRectangleObject::GetAnchorDirection(Vector2D *direction, int32_t index) const
{
    GetShapeAnchorDirection(direction, index);
}

bool RoundedRectangleObject::HitTest(const Point2D &point, float tolerance) const
{
    if (!placed) return false;
    return HitTestShapeBox(box, fill, point, tolerance);
}

void RoundedRectangleObject::BuildSelectionOutline(float halfWidth, DisplayList *list) const
{
    if (placed) AppendBoxSelectionFrame(box, halfWidth, list);
}

}  // namespace oq
