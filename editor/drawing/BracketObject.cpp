// The bracket object: its properties, the outline along its span, anchors, item, hit test and frame.
#include "editor/drawing/BracketObject.h"

#include "base/ScalarMath.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/SegmentGeometry.h"
#include "editor/drawing/LineObject.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"

#include <cmath>

namespace oq {

namespace {

const uint32_t kBracketAnchorKinds[1] = {kBracketObjectKind};

float JoistParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, 'jost', key);
}

// The hook length of a brace or shell: the design's, but a quarter of a span shorter than four of them.
float FitHookLength(float designLength, float span)
{
    return (span < 4.0f * designLength) ? span / 4.0f : designLength;
}

}  // namespace

BracketObject::BracketObject(BracketOutlineType type)
    : DrawingObject(kBracketObjectKind, kDrawingCategoryBracket, false, true), outlineType(type)
{
}

BracketObject::BracketObject(const BracketObject &object)
    : DrawingObject(object),
      outlineType(object.outlineType),
      startLengthStyle(object.startLengthStyle),
      finishLengthStyle(object.finishLengthStyle)
{
}

bool BracketObject::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                  void **storage)
{
    if (CheckFourCCProperty(identifier, "t", &outlineType, type, storage) ||
        CheckFourCCProperty(identifier, "os", &startLengthStyle, type, storage) ||
        CheckFourCCProperty(identifier, "of", &finishLengthStyle, type, storage))
    {
        return true;
    }
    return DrawingObject::CheckProperty(document, identifier, type, storage);
}

KettricResult BracketObject::ResolveData(KettricDocument *document)
{
    // Not the drawing base's: a bracket keeps its width and dash indices as read.
    KettricResult result = DocumentNode::ResolveData(document);
    if (result != 0) return result;
    if (outlineType != kBracketOutlineSquare && outlineType != kBracketOutlineShell) outlineType = kBracketOutlineBrace;
    if (fillPaletteIndex >= kDesignPaletteSize) fillPaletteIndex = 0;
    if (strokePaletteIndex >= kDesignPaletteSize) strokePaletteIndex = 0;
    stroke = true;
    return 0;
}

DocumentNode *BracketObject::Clone() const
{
    return new BracketObject(*this);
}

bool BracketObject::WriteKettricProperties(TextBuffer *buffer) const
{
    bool open = DrawingObject::WriteKettricProperties(buffer);
    if (outlineType != kBracketOutlineBrace) WriteFourCCProperty(buffer, &open, "t", outlineType);
    if (startLengthStyle != 0) WriteFourCCProperty(buffer, &open, "os", startLengthStyle);
    if (finishLengthStyle != 0) WriteFourCCProperty(buffer, &open, "of", finishLengthStyle);
    return open;
}

void BracketObject::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Jo");
}

void BracketObject::RebuildGeometry(const Design *design, const Point2D &start, const Point2D &finish)
{
    placed = false;
    curveCount = 0;
    // Ends too far apart for a float length are not placed.
    if (!IsFinitePoint(start) || !IsFinitePoint(finish)) return;
    Vector2D span = finish - start;
    if (!std::isfinite(span.x * span.x + span.y * span.y)) return;

    float length = 0.0f;
    Vector2D u = NormalizeFast(span, &length);
    if (!(length > FloatMinNormal))
    {
        // No direction: nothing to draw, and only the start itself can be hit.
        direction = Vector2D(1.0f, 0.0f);
        bracketAnchor = start;
        annotationAnchor = start;
        hitCornerA = start;
        hitCornerB = start;
        placed = true;
        return;
    }
    direction = u;
    Vector2D n(-u.y, u.x);

    Point2D s = start;
    Point2D f = finish;
    ApplyEndOffset(design, 'jost', startLengthStyle, &s, -u, length);
    ApplyEndOffset(design, 'jost', finishLengthStyle, &f, u, length);
    float c = GetFastLength(f - s);

    float size = design->GetBaseFontSize();
    float mu = size / 18.0f;
    float depth = 0.0f;
    QuadraticBezier2D local[kBraceOutlineCurves];
    int32_t count = 0;
    if (outlineType == kBracketOutlineSquare)
    {
        depth = JoistParam(design, 'bkwd') * size;
        float h = JoistParam(design, 'bkmt') * mu / 2.0f;
        float a = JoistParam(design, 'bket') * mu / 2.0f;
        const Point2D polygon[8] = {Point2D(-h, -a),        Point2D(depth, -a),    Point2D(depth, a),
                                    Point2D(h, a),          Point2D(h, c - a),     Point2D(depth, c - a),
                                    Point2D(depth, c + a),  Point2D(-h, c + a)};
        for (int32_t i = 0; i < 8; ++i) local[i] = MakeLineCurve(polygon[i], polygon[(i + 1) % 8]);
        count = 8;
    }
    else if (outlineType == kBracketOutlineShell)
    {
        depth = JoistParam(design, 'shwd') * size;
        float hook = FitHookLength(JoistParam(design, 'shhi') * size, c);
        count = BuildShellBracketOutline(c, depth, hook, JoistParam(design, 'shmt') * mu,
                                         JoistParam(design, 'shet') * mu, local);
    }
    else
    {
        float hookWidth = JoistParam(design, 'bcwd') * size;
        float hook = FitHookLength(JoistParam(design, 'bchi') * size, c);
        count = BuildBraceOutline(c, hookWidth, hook, JoistParam(design, 'bccp'), JoistParam(design, 'bcmt') * mu,
                                  JoistParam(design, 'bcet') * mu, JoistParam(design, 'bcat') * mu, local);
        depth = 2.0f * hookWidth;
    }

    // Local y runs along the span from s, local x across it from the back (0) to the span (depth).
    auto place = [&](const Point2D &p) { return s + u * p.y + n * (depth - p.x); };
    for (int32_t i = 0; i < count; ++i) outline[i] = QuadraticBezier2D(place(local[i].p0), place(local[i].p1), place(local[i].p2));

    bracketAnchor = s + u * (c / 2.0f) + n * depth;
    annotationAnchor = bracketAnchor + n * (GetGroupParam(design, 'anno', 'jost') * size);
    hitCornerA = start;
    hitCornerB = finish + n * depth;
    // Near the float range a point may leave it: such a bracket stays unplaced.
    if (!AreFiniteCurves(outline, count) || !IsFinitePoint(bracketAnchor) || !IsFinitePoint(annotationAnchor) ||
        !IsFinitePoint(hitCornerB))
    {
        return;
    }
    curveCount = count;
    placed = true;
}

void BracketObject::AppendItems(const Design *design, DisplayList *list, bool paths) const
{
    // An item without curves would have no box: coincident ends draw nothing.
    if (!placed || curveCount == 0) return;
    DrawingItemSink sink{list, ResolveStrokeColor(design), paths};
    sink.Append(curveCount, outline);
}

void BracketObject::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, false);
}

void BracketObject::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendItems(design, list, true);
}

int32_t BracketObject::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = kBracketAnchorKinds;
    return 1;
}

int32_t BracketObject::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    if (!placed) return 0;
    if (kind == kBracketObjectKind)
    {
        *points = &bracketAnchor;
        return 1;
    }
    if (kind == kAnnotationAnchorKind)
    {
        *points = &annotationAnchor;
        return 1;
    }
    return 0;
}

void BracketObject::GetAnchorDirection(Vector2D *result, int32_t) const
{
    *result = Vector2D(-direction.y, direction.x);
}

bool BracketObject::HitTest(const Point2D &point, float tolerance) const
{
    if (!placed) return false;
    Vector2D n(-direction.y, direction.x);
    Vector2D p = point - hitCornerA;
    Vector2D extent = hitCornerB - hitCornerA;
    float along = Dot(p, direction);
    float across = Dot(p, n);
    return -tolerance < along && along < Dot(extent, direction) + tolerance && -tolerance < across &&
           across < Dot(extent, n) + tolerance;
}

void BracketObject::BuildSelectionOutline(float halfWidth, DisplayList *list) const
{
    if (!placed) return;
    QuadraticBezier2D frame[8];
    BuildSegmentOutline(hitCornerA, hitCornerB, direction, halfWidth, frame);
    list->Append(new FillPathItem(Point2D(0.0f, 0.0f), 8, frame, 0));
}

}  // namespace oq
