// The zigzag line: legs, cut bends, corner pieces and dashes, anchors and hit test.
#include "editor/drawing/ZigzagLineObject.h"

#include "editor/document/MathDesign.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/fonts/Design.h"

#include <cmath>

namespace oq {

namespace {

// Exchanges x and y when the end legs are horizontal, so that the geometry is built once with
// vertical end legs.
Point2D Frame(const Point2D &p, bool swapped)
{
    return swapped ? Point2D(p.y, p.x) : p;
}

}  // namespace

ZigzagLineObject::ZigzagLineObject(bool vertical) : BentLineObject(kZigzagLineObjectKind, vertical)
{
}

DocumentNode *ZigzagLineObject::Clone() const
{
    return new ZigzagLineObject(*this);
}

void ZigzagLineObject::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Zg");
}

void ZigzagLineObject::RebuildBentGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    bool swapped = !v;
    // In the frame: end legs vertical, the middle leg horizontal at y = h.
    Point2D ls = Frame(start, swapped);
    Point2D lf = Frame(finish, swapped);
    float h = 0.5f * ls.y + 0.5f * lf.y;
    float sign = SignOrMinus(lf.y - ls.y);
    direction = Frame(Point2D(0.0f, sign), swapped);
    Vector2D outStart = Frame(Point2D(0.0f, -sign), swapped);
    Vector2D outFinish = Frame(Point2D(0.0f, sign), swapped);
    Point2D s = start;
    Point2D f = finish;
    float w = MoveEnds(design, outStart, outFinish, &s, &f);
    float r = w / 2.0f;

    // P0 the lower end, P1 the other, both moved; e the side of P1.
    bool startLower = sign > 0.0f;
    Point2D p0 = Frame(startLower ? s : f, swapped);
    Point2D p1 = Frame(startLower ? f : s, swapped);
    float e = SignOrMinus(p1.x - p0.x);

    // Polygons are counter-clockwise in the frame when so flagged; exchanging x and y mirrors them.
    int32_t at = 0;
    auto emit = [&](Point2D *corners, int32_t count, bool counterClockwise) {
        for (int32_t i = 0; i < count; ++i) corners[i] = Frame(corners[i], swapped);
        WriteStraightPolygon(corners, count, counterClockwise == swapped, &curves[at]);
        at += count;
    };

    float dash = 0.0f, gap = 0.0f;
    DashFit fitM{}, fitA{}, fitB{};
    bool dashed = GetDashLengths(design, w, &dash, &gap);
    if (dashed)
    {
        dashed = FitDashPattern(std::fabs(p1.x - p0.x) + 2.0f * r, dash, gap, &fitM) &&
                 FitDashPattern(h + r - p0.y, dash, gap, &fitA) && FitDashPattern(p1.y - (h - r), dash, gap, &fitB);
    }
    middleDashCurves = 0;
    firstLegDashCurves = 0;
    secondLegDashCurves = 0;
    if (!dashed)
    {
        curves.SetElementCount(12);
        Point2D legA[4] = {Point2D(p0.x - r, p0.y), Point2D(p0.x + r, p0.y), Point2D(p0.x + r, h + r), Point2D(p0.x - r, h + r)};
        Point2D legB[4] = {Point2D(p1.x - r, h - r), Point2D(p1.x + r, h - r), Point2D(p1.x + r, p1.y), Point2D(p1.x - r, p1.y)};
        // Inside each turn the middle leg stops at the end leg's middle line, outside at its far side
        // (as the corner line's cut leg does): the end leg covers the whole bend square, so the legs
        // overlap along the cut instead of meeting in a point.
        Point2D middle[4] = {Point2D(p0.x, h - r), Point2D(p1.x + e * r, h - r), Point2D(p1.x, h + r),
                             Point2D(p0.x - e * r, h + r)};
        emit(legA, 4, true);
        emit(legB, 4, true);
        emit(middle, 4, e > 0.0f);
    }
    else
    {
        int32_t nm = fitM.count, na = fitA.count, nb = fitB.count;
        curves.SetElementCount(4 * (nm + na + nb) - 4);
        // Corner pieces from the bend squares' outer corners; each part at least a stroke width
        // long so that the piece always covers its bend square.
        float dm = std::fmax(fitM.dash, w);
        float da = std::fmax(fitA.dash, w);
        float db = std::fmax(fitB.dash, w);
        Point2D o0(p0.x - e * r, h + r);
        Point2D pieceA[6] = {o0,
                             Point2D(o0.x, o0.y - da),
                             Point2D(p0.x + e * r, o0.y - da),
                             Point2D(p0.x + e * r, h - r),
                             Point2D(o0.x + e * dm, h - r),
                             Point2D(o0.x + e * dm, h + r)};
        Point2D o1(p1.x + e * r, h - r);
        Point2D pieceB[6] = {o1,
                             Point2D(o1.x, o1.y + db),
                             Point2D(p1.x - e * r, o1.y + db),
                             Point2D(p1.x - e * r, h + r),
                             Point2D(o1.x - e * dm, h + r),
                             Point2D(o1.x - e * dm, h - r)};
        emit(pieceA, 6, e > 0.0f);
        emit(pieceB, 6, e > 0.0f);
        float stepM = fitM.dash + fitM.gap;
        float left = std::fmin(p0.x, p1.x) - r + stepM;
        for (int32_t k = 0; k + 2 < nm; ++k)
        {
            float x0 = left + float(k) * stepM;
            float x1 = x0 + fitM.dash;
            Point2D bar[4] = {Point2D(x0, h - r), Point2D(x1, h - r), Point2D(x1, h + r), Point2D(x0, h + r)};
            emit(bar, 4, true);
        }
        float stepA = fitA.dash + fitA.gap;
        for (int32_t k = 0; k + 1 < na; ++k)
        {
            float y0 = p0.y + float(k) * stepA;
            Point2D bar[4] = {Point2D(p0.x - r, y0), Point2D(p0.x + r, y0), Point2D(p0.x + r, y0 + fitA.dash),
                              Point2D(p0.x - r, y0 + fitA.dash)};
            emit(bar, 4, true);
        }
        float stepB = fitB.dash + fitB.gap;
        for (int32_t k = 0; k + 1 < nb; ++k)
        {
            float y1 = p1.y - float(k) * stepB;
            Point2D bar[4] = {Point2D(p1.x - r, y1 - fitB.dash), Point2D(p1.x + r, y1 - fitB.dash), Point2D(p1.x + r, y1),
                              Point2D(p1.x - r, y1)};
            emit(bar, 4, true);
        }
        middleDashCurves = 4 * (nm - 2);
        firstLegDashCurves = 4 * (na - 1);
        secondLegDashCurves = 4 * (nb - 1);
    }

    // Anchors from the layout's ends.
    float fsiz = design->GetBaseFontSize();
    float anchorEnd = fsiz * GetGroupParam(design, 'anno', 'lned');
    float m = fsiz * GetGroupParam(design, 'anno', 'lnmd');
    Point2D centre(0.5f * start.x + 0.5f * finish.x, 0.5f * start.y + 0.5f * finish.y);
    lineAnchors[0] = start;
    lineAnchors[1] = finish;
    lineAnchors[2] = centre;
    annotationAnchors[0] = start + outStart * anchorEnd;
    annotationAnchors[1] = finish + outFinish * anchorEnd;
    if (v)
    {
        float g = centre.x, hy = centre.y;
        annotationAnchors[2] = Point2D(g, hy - sign * m);
        annotationAnchors[3] = Point2D(g, hy + sign * m);
        annotationAnchors[4] = Point2D(start.x - sign * m, 0.5f * start.y + 0.5f * hy);
        annotationAnchors[5] = Point2D(start.x + sign * m, 0.5f * start.y + 0.5f * hy);
        annotationAnchors[6] = Point2D(finish.x - sign * m, 0.5f * finish.y + 0.5f * hy);
        annotationAnchors[7] = Point2D(finish.x + sign * m, 0.5f * finish.y + 0.5f * hy);
        bends[0] = Point2D(start.x, hy);
        bends[1] = Point2D(finish.x, hy);
    }
    else
    {
        float g = centre.x, hy = centre.y;
        annotationAnchors[2] = Point2D(g - sign * m, hy);
        annotationAnchors[3] = Point2D(g + sign * m, hy);
        annotationAnchors[4] = Point2D(0.5f * start.x + 0.5f * g, start.y + sign * m);
        annotationAnchors[5] = Point2D(0.5f * start.x + 0.5f * g, start.y - sign * m);
        annotationAnchors[6] = Point2D(0.5f * finish.x + 0.5f * g, finish.y + sign * m);
        annotationAnchors[7] = Point2D(0.5f * finish.x + 0.5f * g, finish.y - sign * m);
        bends[0] = Point2D(g, start.y);
        bends[1] = Point2D(g, finish.y);
    }
    annotationAnchorCount = 8;
}

void ZigzagLineObject::AppendBentBodyItems(DrawingItemSink *sink) const
{
    int32_t count = curves.GetElementCount();
    const QuadraticBezier2D *c = curves.GetElements();
    if (count == 12 && middleDashCurves == 0 && firstLegDashCurves == 0 && secondLegDashCurves == 0)
    {
        for (int32_t i = 0; i < 3; ++i) sink->Append(4, c + 4 * i);
        return;
    }
    if (count != 12 + middleDashCurves + firstLegDashCurves + secondLegDashCurves) return;
    sink->Append(6, c);
    sink->Append(6, c + 6);
    sink->Append(middleDashCurves, c + 12);
    sink->Append(firstLegDashCurves, c + 12 + middleDashCurves);
    sink->Append(secondLegDashCurves, c + 12 + middleDashCurves + firstLegDashCurves);
}

void ZigzagLineObject::GetBentAnchorDirection(Vector2D *result, int32_t index) const
{
    // The direction field holds (0, sy) with v true and (sx, 0) with v false.
    float s = v ? direction.y : direction.x;
    Vector2D along = v ? Vector2D(0.0f, s) : Vector2D(s, 0.0f);
    Vector2D across = v ? Vector2D(s, 0.0f) : Vector2D(0.0f, -s);
    switch (index)
    {
    case 0: *result = -along; break;
    case 1: *result = along; break;
    case 2: *result = -along; break;
    case 3: *result = along; break;
    case 4: *result = -across; break;
    case 5: *result = across; break;
    case 6: *result = -across; break;
    case 7: *result = across; break;
    default: *result = Vector2D(1.0f, 0.0f); break;
    }
}

bool ZigzagLineObject::HitTestBent(const Point2D &point, float tolerance) const
{
    return IsPointNearSegment(point, hitStart, bends[0], tolerance) ||
           IsPointNearSegment(point, bends[0], bends[1], tolerance) ||
           IsPointNearSegment(point, bends[1], hitFinish, tolerance);
}

}  // namespace oq
