// The straight line: its end decorations, offsets, body, anchors, items and hit test.
#include "editor/drawing/LineObject.h"

#include "base/ScalarMath.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/document/StretchyOutlines.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"
#include "vorl/geometry/EllipsePaths.h"

#include <cmath>

namespace oq {

namespace {

const uint32_t kLineAnchorKinds[1] = {kLineObjectKind};

float LineParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, 'line', key);
}

float PullBack(float radius, float halfWidth)
{
    return (radius > halfWidth) ? Sqrt(radius * radius - halfWidth * halfWidth) : 0.0f;
}

// The rectangle a - n -> a + n -> b + n -> b - n -> back, as 4 straight curves.
void WriteBar(const Point2D &a, const Point2D &b, const Vector2D &n, QuadraticBezier2D *out)
{
    Point2D p0 = a - n;
    Point2D p1 = a + n;
    Point2D p2 = b + n;
    Point2D p3 = b - n;
    out[0] = MakeLineCurve(p0, p1);
    out[1] = MakeLineCurve(p1, p2);
    out[2] = MakeLineCurve(p2, p3);
    out[3] = MakeLineCurve(p3, p0);
}

}  // namespace

void ApplyEndOffset(const Design *design, uint32_t group, LineEndOffset offset, Point2D *end,
                    const Vector2D &outward, float capLength)
{
    float f = design->GetBaseFontSize();
    if (offset == kLineEndLong)
    {
        *end = *end + outward * (f * GetGroupParam(design, group, 'lngo'));
    }
    else if (offset == kLineEndShort)
    {
        float d = f * GetGroupParam(design, group, 'shto');
        float quarter = capLength / 4.0f;
        *end = *end - outward * ((d < quarter) ? d : quarter);
    }
}

void ApplyLineEndOffset(const Design *design, LineEndOffset offset, Point2D *end, const Vector2D &outward,
                        float capLength)
{
    ApplyEndOffset(design, 'line', offset, end, outward, capLength);
}

bool IsFinitePoint(const Point2D &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool AreFiniteCurves(const QuadraticBezier2D *curves, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (!IsFinitePoint(curves[i].p0) || !IsFinitePoint(curves[i].p1) || !IsFinitePoint(curves[i].p2))
        {
            return false;
        }
    }
    return true;
}

int32_t DrawLineEndDecoration(const Design *design, LineEndDecoration decoration, Point2D *end,
                              const Vector2D &direction, float width, QuadraticBezier2D curves[12])
{
    Point2D p = *end;
    Vector2D n(-direction.y, direction.x);
    float half = width / 2.0f;
    int32_t count = 0;
    float pull = 0.0f;
    switch (decoration)
    {
    case kLineEndRoundDot:
    {
        float r = half * LineParam(design, 'circ');
        count = AppendEllipseCurves(p.x, p.y, r, r, curves, 0, 11);
        pull = PullBack(r, half);
        break;
    }
    case kLineEndSquareDot:
    {
        float g = half * LineParam(design, 'squa');
        Point2D a(p.x - g, p.y - g), b(p.x + g, p.y - g), c(p.x + g, p.y + g), d(p.x - g, p.y + g);
        curves[0] = MakeLineCurve(a, b);
        curves[1] = MakeLineCurve(b, c);
        curves[2] = MakeLineCurve(c, d);
        curves[3] = MakeLineCurve(d, a);
        count = 4;
        pull = PullBack(g, half);
        break;
    }
    case kLineEndWedge:
    {
        float length = width * LineParam(design, 'wgln');
        float base = width * LineParam(design, 'wgwd');
        Point2D q = p - direction * length;
        Point2D b1 = q + n * base;
        Point2D b2 = q - n * base;
        curves[0] = MakeLineCurve(p, b1);
        curves[1] = MakeLineCurve(b1, b2);
        curves[2] = MakeLineCurve(b2, p);
        count = 3;
        pull = (length - half > 0.0f) ? length - half : 0.0f;
        break;
    }
    case kLineEndArrow1:
    case kLineEndArrow2:
    {
        bool second = decoration == kLineEndArrow2;
        float length = width * LineParam(design, second ? 'arl1' : 'arl0');
        float headWidth = width * LineParam(design, second ? 'arw1' : 'arw0');
        float inner = width * LineParam(design, second ? 'ait1' : 'ait0');
        float outer = width * LineParam(design, second ? 'aot1' : 'aot0');
        float curvature = LineParam(design, second ? 'arc1' : 'arc0');
        QuadraticBezier2D head[kArrowheadOutlineCurves];
        ArrowheadExtent extent{};
        // The head's width spans both barbs: the builder takes half of it.
        int32_t headCount = BuildArrowheadOutline(length, headWidth / 2.0f, inner, outer, curvature, false, head, &extent);
        float tip = extent.maxX;
        auto place = [&](const Point2D &q) { return p + direction * (q.x - tip) + n * q.y; };
        for (int32_t i = 0; i < headCount && i < kLineDecorationCurves; ++i)
        {
            curves[i] = QuadraticBezier2D(place(head[i].p0), place(head[i].p1), place(head[i].p2));
        }
        count = (headCount < kLineDecorationCurves) ? headCount : kLineDecorationCurves;
        pull = (tip - extent.join > 0.0f) ? tip - extent.join : 0.0f;
        break;
    }
    default:
        return 0;
    }
    // A head the builders could not place in finite numbers is left out.
    if (!AreFiniteCurves(curves, count) || !std::isfinite(pull)) return 0;
    *end = p - direction * pull;
    return count;
}

LineObject::LineObject() : LineObject(kLineObjectKind)
{
}

LineObject::LineObject(uint32_t kind) : DrawingObject(kind, kDrawingCategoryLine, false, true)
{
}

LineObject::LineObject(const LineObject &object)
    : DrawingObject(object),
      startDecoration(object.startDecoration),
      finishDecoration(object.finishDecoration),
      startOffset(object.startOffset),
      finishOffset(object.finishOffset)
{
}

bool LineObject::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                               void **storage)
{
    if (CheckFourCCProperty(identifier, "es", &startDecoration, type, storage) ||
        CheckFourCCProperty(identifier, "ef", &finishDecoration, type, storage) ||
        CheckFourCCProperty(identifier, "os", &startOffset, type, storage) ||
        CheckFourCCProperty(identifier, "of", &finishOffset, type, storage))
    {
        return true;
    }
    return DrawingObject::CheckProperty(document, identifier, type, storage);
}

KettricResult LineObject::ResolveData(KettricDocument *document)
{
    KettricResult result = DrawingObject::ResolveData(document);
    stroke = true;
    return result;
}

DocumentNode *LineObject::Clone() const
{
    return new LineObject(*this);
}

bool LineObject::WriteKettricProperties(TextBuffer *buffer) const
{
    bool open = DrawingObject::WriteKettricProperties(buffer);
    const struct
    {
        const char *name;
        uint32_t value;
    } properties[4] = {{"es", startDecoration}, {"ef", finishDecoration}, {"os", startOffset}, {"of", finishOffset}};
    for (const auto &property : properties)
    {
        if (property.value != 0) WriteFourCCProperty(buffer, &open, property.name, property.value);
    }
    return open;
}

void LineObject::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Ln");
}

void LineObject::RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    placed = false;
    curves.SetElementCount(0);
    startDecorationCount = 0;
    finishDecorationCount = 0;
    annotationAnchorCount = 0;
    // Ends too far apart for a float length are not placed.
    if (!IsFinitePoint(start) || !IsFinitePoint(finish)) return;
    Vector2D span = finish - start;
    if (!std::isfinite(span.x * span.x + span.y * span.y)) return;

    float length = 0.0f;
    Vector2D d = NormalizeFast(span, &length);
    // Coincident ends have no direction: the anchors then use (1, 0).
    direction = (length > FloatMinNormal) ? d : Vector2D(1.0f, 0.0f);

    Point2D s = start;
    Point2D f = finish;
    ApplyLineEndOffset(design, startOffset, &s, -d, length);
    ApplyLineEndOffset(design, finishOffset, &f, d, length);

    float w = GetStrokeWidth(design);
    startDecorationCount = DrawLineEndDecoration(design, startDecoration, &s, -d, w, startDecorationCurves);
    finishDecorationCount = DrawLineEndDecoration(design, finishDecoration, &f, d, w, finishDecorationCurves);

    float bodyLength = 0.0f;
    Vector2D u = NormalizeFast(f - s, &bodyLength);
    Vector2D n = Vector2D(-u.y, u.x) * (w / 2.0f);
    float dash = 0.0f, gap = 0.0f;
    DashFit fit{};
    if (GetDashLengths(design, w, &dash, &gap) && FitDashPattern(bodyLength, dash, gap, &fit))
    {
        curves.SetElementCount(4 * fit.count);
        float step = fit.dash + fit.gap;
        for (int32_t k = 0; k < fit.count; ++k)
        {
            Point2D a = s + u * (float(k) * step);
            WriteBar(a, a + u * fit.dash, n, &curves[4 * k]);
        }
    }
    else
    {
        curves.SetElementCount(4);
        WriteBar(s, f, n, curves.GetElements());
    }

    // Halves first: the sum of two ends near the float range overflows.
    Point2D middle(0.5f * s.x + 0.5f * f.x, 0.5f * s.y + 0.5f * f.y);
    lineAnchors[0] = start;
    lineAnchors[1] = finish;
    lineAnchors[2] = middle;
    float fsiz = design->GetBaseFontSize();
    float ax = std::fabs(direction.x), ay = std::fabs(direction.y);
    float k = fsiz * GetGroupParam(design, 'anno', 'lned') / ((ax > ay) ? ax : ay);
    float m = fsiz * GetGroupParam(design, 'anno', 'lnmd');
    Vector2D normal(-direction.y, direction.x);
    annotationAnchors[0] = start - direction * k;
    annotationAnchors[1] = finish + direction * k;
    annotationAnchors[2] = middle - normal * m;
    annotationAnchors[3] = middle + normal * m;
    annotationAnchorCount = 4;
    hitStart = start;
    hitFinish = finish;
    placed = true;
}

void LineObject::AppendItems(const Design *design, DisplayList *list, bool paths) const
{
    if (!placed) return;
    DrawingItemSink sink{list, ResolveStrokeColor(design), paths};
    AppendBodyItems(&sink);
    if (startDecorationCount != 0) sink.Append(startDecorationCount, startDecorationCurves);
    if (finishDecorationCount != 0) sink.Append(finishDecorationCount, finishDecorationCurves);
}

void LineObject::AppendBodyItems(DrawingItemSink *sink) const
{
    sink->Append(curves.GetElementCount(), curves.GetElements());
}

void LineObject::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, false);
}

void LineObject::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, true);
}

int32_t LineObject::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = kLineAnchorKinds;
    return 1;
}

int32_t LineObject::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    if (!placed) return 0;
    if (kind == kLineObjectKind)
    {
        *points = lineAnchors;
        return 3;
    }
    if (kind == kAnnotationAnchorKind)
    {
        *points = annotationAnchors;
        return annotationAnchorCount;
    }
    return 0;
}

void LineObject::GetAnchorDirection(Vector2D *result, int32_t index) const
{
    switch (index)
    {
    case 0:
        *result = -direction;
        break;
    case 2:
        *result = Vector2D(direction.y, -direction.x);
        break;
    case 3:
        *result = Vector2D(-direction.y, direction.x);
        break;
    default:
        *result = direction;
        break;
    }
}

bool LineObject::HitTest(const Point2D &point, float tolerance) const
{
    return placed && IsPointNearSegment(point, hitStart, hitFinish, tolerance);
}

void LineObject::BuildSelectionOutline(float halfWidth, DisplayList *list) const
{
    if (!placed) return;
    Vector2D n(-direction.y, direction.x);
    Point2D a = hitStart - n * 1.5f;
    Point2D b = hitFinish + n * 1.5f;
    QuadraticBezier2D outline[8];
    BuildSegmentOutline(a, b, direction, halfWidth, outline);
    list->Append(new FillPathItem(Point2D(0.0f, 0.0f), 8, outline, 0));
}

}  // namespace oq
