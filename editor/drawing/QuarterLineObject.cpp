// The quarter line: the fitted ellipse, its solid band or arc-length dashes, anchors and hit test.
#include "editor/drawing/QuarterLineObject.h"

#include "editor/document/MathDesign.h"
#include "editor/drawing/TangentIntersection.h"
#include "editor/platform/DisplayItems.h"
#include "editor/fonts/Design.h"
#include "vorl/geometry/EllipsePaths.h"

#include <cmath>

namespace oq {

QuarterLineObject::QuarterLineObject(bool vertical) : BentLineObject(kQuarterLineObjectKind, vertical)
{
}

DocumentNode *QuarterLineObject::Clone() const
{
    return new QuarterLineObject(*this);
}

void QuarterLineObject::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Qe");
}

void QuarterLineObject::RebuildBentGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    float sxLayout = SignOrMinus(finish.x - start.x);
    float syLayout = SignOrMinus(finish.y - start.y);
    direction = Vector2D(sxLayout, syLayout);
    // Y: the end where the arc runs horizontally (on the vertical axis); X: the other.
    Vector2D outStart = v ? Vector2D(0.0f, -syLayout) : Vector2D(-sxLayout, 0.0f);
    Vector2D outFinish = v ? Vector2D(sxLayout, 0.0f) : Vector2D(0.0f, syLayout);
    Point2D s = start;
    Point2D f = finish;
    float w = MoveEnds(design, outStart, outFinish, &s, &f);
    float r = w / 2.0f;

    Point2D y = v ? f : s;
    Point2D x = v ? s : f;
    Point2D c(y.x, x.y);
    float rx = std::fabs(x.x - y.x);
    float ry = std::fabs(y.y - x.y);
    center = c;
    radiusX = rx;
    radiusY = ry;
    // A radius that offsets or decorations made 0 takes its sign from the layout's ends, which
    // differ in both coordinates here.
    float sx = (x.x != c.x) ? SignOrMinus(x.x - c.x) : (v ? -sxLayout : sxLayout);
    float sy = (y.y != c.y) ? SignOrMinus(y.y - c.y) : (v ? syLayout : -syLayout);
    int32_t q = (sy > 0.0f) ? ((sx > 0.0f) ? 0 : 3) : ((sx < 0.0f) ? 6 : 9);

    auto point = [&](float angle) {
        float cosine, sine;
        CosSin(angle, &cosine, &sine);
        return Point2D(c.x + sx * rx * cosine, c.y + sy * ry * sine);
    };
    // The outward normal, scaled by rx ry so that a radius of 0 divides nothing; a zero vector
    // stays zero.
    auto normal = [&](float angle) {
        float cosine, sine;
        CosSin(angle, &cosine, &sine);
        return NormalizeFast(Vector2D(sx * cosine * ry, sy * sine * rx), nullptr);
    };

    float table[65];
    BuildArcLengthTable(rx, ry, table);
    float total = table[64];

    float dash = 0.0f, gap = 0.0f;
    DashFit fit{};
    if (GetDashLengths(design, w, &dash, &gap) && FitDashPattern(total, dash, gap, &fit))
    {
        curves.SetElementCount(4 * fit.count);
        int32_t cursor = 0;
        float step = fit.dash + fit.gap;
        for (int32_t k = 0; k < fit.count; ++k)
        {
            float from = float(k) * step;
            float t0 = LookupArcLengthAngle(from, table, &cursor);
            float t1 = LookupArcLengthAngle(from + fit.dash, table, &cursor);
            Vector2D n0 = normal(t0), n1 = normal(t1);
            Point2D p0 = point(t0), p1 = point(t1);
            Point2D outer0 = p0 + n0 * r, outer1 = p1 + n1 * r;
            Point2D inner0 = p0 - n0 * r, inner1 = p1 - n1 * r;
            QuadraticBezier2D *piece = &curves[4 * k];
            piece[0] = QuadraticBezier2D(outer0, IntersectOffsetTangents(outer0, n0, outer1, n1), outer1);
            piece[1] = MakeLineCurve(outer1, inner1);
            piece[2] = QuadraticBezier2D(inner1, IntersectOffsetTangents(inner1, n1, inner0, n0), inner0);
            piece[3] = MakeLineCurve(inner0, outer0);
        }
    }
    else
    {
        curves.SetElementCount(8);
        QuadraticBezier2D *band = curves.GetElements();
        AppendEllipseCurves(c.x, c.y, rx + r, ry + r, band, q, q + 2);
        AppendEllipseCurvesReversed(c.x, c.y, rx - r, ry - r, band + 4, q, q + 2);
        band[3] = MakeLineCurve(band[2].p2, band[4].p0);
        band[7] = MakeLineCurve(band[6].p2, band[0].p0);
    }

    float fsiz = design->GetBaseFontSize();
    float e = fsiz * GetGroupParam(design, 'anno', 'lned');
    float m = fsiz * GetGroupParam(design, 'anno', 'lnmd');
    int32_t cursor = 0;
    float middleAngle = LookupArcLengthAngle(total / 2.0f, table, &cursor);
    Point2D middle = point(middleAngle);
    middleOffset = normal(middleAngle) * m;
    lineAnchors[0] = start;
    lineAnchors[1] = finish;
    lineAnchors[2] = middle;
    annotationAnchors[0] = start + outStart * e;
    annotationAnchors[1] = finish + outFinish * e;
    annotationAnchors[2] = middle + middleOffset;
    annotationAnchors[3] = middle - middleOffset;
    annotationAnchorCount = 4;
}

void QuarterLineObject::AppendBentBodyItems(DrawingItemSink *sink) const
{
    sink->Append(curves.GetElementCount(), curves.GetElements());
}

void QuarterLineObject::GetBentAnchorDirection(Vector2D *result, int32_t index) const
{
    float sx = direction.x, sy = direction.y;
    switch (index)
    {
    case 0: *result = v ? Vector2D(0.0f, -sy) : Vector2D(-sx, 0.0f); break;
    case 1: *result = v ? Vector2D(sx, 0.0f) : Vector2D(0.0f, sy); break;
    case 2: *result = middleOffset; break;
    default: *result = -middleOffset; break;
    }
}

bool QuarterLineObject::HitTestBent(const Point2D &point, float tolerance) const
{
    float t = tolerance;
    if (!(point.x > std::fmin(hitStart.x, hitFinish.x) - t && point.x < std::fmax(hitStart.x, hitFinish.x) + t &&
          point.y > std::fmin(hitStart.y, hitFinish.y) - t && point.y < std::fmax(hitStart.y, hitFinish.y) + t))
    {
        return false;
    }
    // Between the ellipses with radii widened and narrowed by t, without dividing.
    double dx = double(point.x) - center.x, dy = double(point.y) - center.y;
    double ox = double(radiusX) + t, oy = double(radiusY) + t;
    double ix = double(radiusX) - t, iy = double(radiusY) - t;
    bool insideOuter = dx * dx * oy * oy + dy * dy * ox * ox < ox * ox * oy * oy;
    bool outsideInner = dx * dx * iy * iy + dy * dy * ix * ix > ix * ix * iy * iy;
    return insideOuter && outsideInner;
}

bool QuarterLineObject::HasFiniteBentData() const
{
    return IsFinitePoint(center) && std::isfinite(radiusX) && std::isfinite(radiusY) && IsFinitePoint(Point2D(middleOffset));
}

}  // namespace oq
