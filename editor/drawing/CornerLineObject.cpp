// The corner line: legs, dashes, the corner piece, anchors and hit test.
#include "editor/drawing/CornerLineObject.h"

#include "editor/document/MathDesign.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/fonts/Design.h"

#include <cmath>

namespace oq {

CornerLineObject::CornerLineObject(bool vertical) : BentLineObject(kCornerLineObjectKind, vertical)
{
}

DocumentNode *CornerLineObject::Clone() const
{
    return new CornerLineObject(*this);
}

void CornerLineObject::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Cn");
}

Vector2D CornerLineObject::GetOutward(bool atStart) const
{
    // H (the end of the horizontal leg) points (-a, 0), V (0, b), with a and b the signs of V - H.
    float sx = direction.x, sy = direction.y;
    bool horizontal = (atStart != v);
    if (horizontal) return Vector2D(atStart ? -sx : sx, 0.0f);
    return Vector2D(0.0f, atStart ? -sy : sy);
}

void CornerLineObject::RebuildBentGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    float sx = SignOrMinus(finish.x - start.x);
    float sy = SignOrMinus(finish.y - start.y);
    direction = Vector2D(sx, sy);
    // a = sign(V.x - H.x), b = sign(V.y - H.y).
    float a = v ? -sx : sx;
    float b = v ? -sy : sy;
    Vector2D outStart = GetOutward(true);
    Vector2D outFinish = GetOutward(false);
    Point2D s = start;
    Point2D f = finish;
    float w = MoveEnds(design, outStart, outFinish, &s, &f);
    float r = w / 2.0f;

    // H moves only along x and V only along y, so the corner stays where the layout put it.
    Point2D h = v ? f : s;
    Point2D vEnd = v ? s : f;
    Point2D c(vEnd.x, h.y);
    corner = c;

    float dash = 0.0f, gap = 0.0f;
    DashFit fitH{}, fitV{};
    bool dashed = GetDashLengths(design, w, &dash, &gap);
    if (dashed)
    {
        dashed = FitDashPattern(std::fabs(c.x - h.x) + r, dash, gap, &fitH) &&
                 FitDashPattern(std::fabs(h.y - vEnd.y) + r, dash, gap, &fitV);
    }
    if (!dashed)
    {
        curves.SetElementCount(8);
        const Point2D horizontal[4] = {Point2D(h.x, h.y - r), Point2D(c.x + a * r, h.y - r),
                                       Point2D(c.x + a * r, h.y + r), Point2D(h.x, h.y + r)};
        // The outer side stops at the horizontal leg's far edge, the inner side at its middle line.
        const Point2D vertical[4] = {Point2D(c.x - a * r, vEnd.y), Point2D(c.x + a * r, vEnd.y),
                                     Point2D(c.x + a * r, h.y - b * r), Point2D(c.x - a * r, h.y)};
        WriteStraightPolygon(horizontal, 4, a < 0.0f, &curves[0]);
        WriteStraightPolygon(vertical, 4, a * b > 0.0f, &curves[4]);
    }
    else
    {
        int32_t nh = fitH.count, nv = fitV.count;
        curves.SetElementCount(4 * (nh + nv) - 2);
        // The corner piece: both legs' last dashes from the bend square's outer corner O, each at
        // least a stroke width long so that the piece always covers the bend square.
        float dh = std::fmax(fitH.dash, w);
        float dv = std::fmax(fitV.dash, w);
        Point2D o(c.x + a * r, h.y - b * r);
        const Point2D piece[6] = {o,
                                  Point2D(o.x, o.y + b * dv),
                                  Point2D(c.x - a * r, o.y + b * dv),
                                  Point2D(c.x - a * r, h.y + b * r),
                                  Point2D(o.x - a * dh, h.y + b * r),
                                  Point2D(o.x - a * dh, o.y)};
        WriteStraightPolygon(piece, 6, a * b < 0.0f, &curves[0]);
        int32_t at = 6;
        float stepH = fitH.dash + fitH.gap;
        for (int32_t k = 0; k + 1 < nh; ++k, at += 4)
        {
            float x0 = h.x + a * float(k) * stepH;
            float x1 = h.x + a * (float(k) * stepH + fitH.dash);
            const Point2D bar[4] = {Point2D(x0, h.y - r), Point2D(x1, h.y - r), Point2D(x1, h.y + r), Point2D(x0, h.y + r)};
            WriteStraightPolygon(bar, 4, a < 0.0f, &curves[at]);
        }
        float stepV = fitV.dash + fitV.gap;
        for (int32_t k = 0; k + 1 < nv; ++k, at += 4)
        {
            float y0 = vEnd.y - b * float(k) * stepV;
            float y1 = vEnd.y - b * (float(k) * stepV + fitV.dash);
            const Point2D bar[4] = {Point2D(c.x - r, y0), Point2D(c.x + r, y0), Point2D(c.x + r, y1), Point2D(c.x - r, y1)};
            WriteStraightPolygon(bar, 4, b > 0.0f, &curves[at]);
        }
    }

    float fsiz = design->GetBaseFontSize();
    float e = fsiz * GetGroupParam(design, 'anno', 'lned');
    float m = fsiz * GetGroupParam(design, 'anno', 'lnmd');
    float mh = 0.5f * h.x + 0.5f * c.x;
    float mv = 0.5f * vEnd.y + 0.5f * c.y;
    lineAnchors[0] = start;
    lineAnchors[1] = finish;
    lineAnchors[2] = c;
    annotationAnchors[0] = start + outStart * e;
    annotationAnchors[1] = finish + outFinish * e;
    // Past the bend along the start leg, and back along the finish leg.
    annotationAnchors[2] = c - outStart * m;
    annotationAnchors[3] = c - outFinish * m;
    annotationAnchors[4] = Point2D(c.x - sx * m, mv);
    annotationAnchors[5] = Point2D(c.x + sx * m, mv);
    annotationAnchors[6] = Point2D(mh, c.y + sy * m);
    annotationAnchors[7] = Point2D(mh, c.y - sy * m);
    annotationAnchorCount = 8;
}

void CornerLineObject::AppendBentBodyItems(DrawingItemSink *sink) const
{
    int32_t count = curves.GetElementCount();
    const QuadraticBezier2D *c = curves.GetElements();
    // A solid body has 8 curves; a dashed one 4 (nh + nv) - 2, at least 14.
    if (count == 8)
    {
        sink->Append(4, c);
        sink->Append(4, c + 4);
        return;
    }
    if (count < 6) return;
    sink->Append(6, c);
    for (int32_t at = 6; at + 4 <= count; at += 4) sink->Append(4, c + at);
}

void CornerLineObject::GetBentAnchorDirection(Vector2D *result, int32_t index) const
{
    float sx = direction.x, sy = direction.y;
    switch (index)
    {
    case 0: *result = GetOutward(true); break;
    case 1: *result = GetOutward(false); break;
    case 2: *result = -GetOutward(true); break;
    case 3: *result = -GetOutward(false); break;
    case 4: *result = Vector2D(-sx, 0.0f); break;
    case 5: *result = Vector2D(sx, 0.0f); break;
    case 6: *result = Vector2D(0.0f, sy); break;
    case 7: *result = Vector2D(0.0f, -sy); break;
    default: *result = Vector2D(1.0f, 0.0f); break;
    }
}

bool CornerLineObject::HitTestBent(const Point2D &point, float tolerance) const
{
    return IsPointNearSegment(point, hitStart, corner, tolerance) ||
           IsPointNearSegment(point, corner, hitFinish, tolerance);
}

}  // namespace oq
