// The shared part of the bent lines: "v", the straight fallback and the selection frame.
#include "editor/drawing/BentLineObject.h"

#include "editor/document/SegmentGeometry.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/TextBuffer.h"

#include <cmath>
#include <cstring>

namespace oq {

void WriteStraightPolygon(const Point2D *corners, int32_t count, bool reversed, QuadraticBezier2D *out)
{
    for (int32_t i = 0; i < count; ++i)
    {
        int32_t from = reversed ? count - 1 - i : i;
        int32_t to = reversed ? (from + count - 1) % count : (from + 1) % count;
        out[i] = MakeLineCurve(corners[from], corners[to]);
    }
}

BentLineObject::BentLineObject(uint32_t kind, bool vertical) : LineObject(kind), v(vertical)
{
}

BentLineObject::BentLineObject(const BentLineObject &object) : LineObject(object), v(object.v)
{
}

bool BentLineObject::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                   void **storage)
{
    if (std::strcmp(identifier, "v") == 0)
    {
        *type = 'BOOL';
        *storage = &v;
        return true;
    }
    return LineObject::CheckProperty(document, identifier, type, storage);
}

bool BentLineObject::WriteKettricProperties(TextBuffer *buffer) const
{
    bool open = LineObject::WriteKettricProperties(buffer);
    if (!v) return open;
    buffer->AppendText(open ? ",v" : " (v");
    return true;
}

void BentLineObject::AppendBodyItems(DrawingItemSink *sink) const
{
    if (straight) LineObject::AppendBodyItems(sink);
    else AppendBentBodyItems(sink);
}

void BentLineObject::GetAnchorDirection(Vector2D *result, int32_t index) const
{
    if (straight) LineObject::GetAnchorDirection(result, index);
    else GetBentAnchorDirection(result, index);
}

bool BentLineObject::HitTest(const Point2D &point, float tolerance) const
{
    if (!placed) return false;
    return straight ? LineObject::HitTest(point, tolerance) : HitTestBent(point, tolerance);
}

void BentLineObject::BuildSelectionOutline(float halfWidth, DisplayList *list) const
{
    if (!placed) return;
    Point2D a(std::fmin(hitStart.x, hitFinish.x), std::fmin(hitStart.y, hitFinish.y));
    Point2D b(std::fmax(hitStart.x, hitFinish.x), std::fmax(hitStart.y, hitFinish.y));
    QuadraticBezier2D outline[8];
    BuildSegmentOutline(a, b, Vector2D(1.0f, 0.0f), halfWidth, outline);
    list->Append(new FillPathItem(Point2D(0.0f, 0.0f), 8, outline, 0));
}

float BentLineObject::MoveEnds(const Design *design, const Vector2D &outStart, const Vector2D &outFinish,
                               Point2D *start, Point2D *finish)
{
    float spanX = std::fabs(finish->x - start->x);
    float spanY = std::fabs(finish->y - start->y);
    ApplyLineEndOffset(design, startOffset, start, outStart, (outStart.x != 0.0f) ? spanX : spanY);
    ApplyLineEndOffset(design, finishOffset, finish, outFinish, (outFinish.x != 0.0f) ? spanX : spanY);
    float w = GetStrokeWidth(design);
    startDecorationCount = DrawLineEndDecoration(design, startDecoration, start, outStart, w, startDecorationCurves);
    finishDecorationCount = DrawLineEndDecoration(design, finishDecoration, finish, outFinish, w, finishDecorationCurves);
    return w;
}

void BentLineObject::ClearGeometry()
{
    placed = false;
    curves.SetElementCount(0);
    startDecorationCount = 0;
    finishDecorationCount = 0;
    annotationAnchorCount = 0;
}

void BentLineObject::RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    ClearGeometry();
    straight = false;
    if (!IsFinitePoint(start) || !IsFinitePoint(finish)) return;
    Vector2D span = finish - start;
    if (!std::isfinite(span.x * span.x + span.y * span.y)) return;
    if (start.x == finish.x || start.y == finish.y)
    {
        straight = true;
        LineObject::RebuildGeometry(design, start, finish);
    }
    else
    {
        RebuildBentGeometry(design, start, finish);
        hitStart = start;
        hitFinish = finish;
        placed = true;
    }
    // Ends near the float range can make sums overflow: such an object is not placed.
    bool finite = AreFiniteCurves(curves.GetElements(), curves.GetElementCount()) &&
                  AreFiniteCurves(startDecorationCurves, startDecorationCount) &&
                  AreFiniteCurves(finishDecorationCurves, finishDecorationCount) && (straight || HasFiniteBentData());
    for (const Point2D &p : lineAnchors) finite = finite && IsFinitePoint(p);
    for (int32_t i = 0; i < annotationAnchorCount; ++i) finite = finite && IsFinitePoint(annotationAnchors[i]);
    if (!finite) ClearGeometry();
}

}  // namespace oq
