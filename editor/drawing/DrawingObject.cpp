// The drawing object base: properties, colours, stroke lengths, placement and the dash and arc tables.
#include "editor/drawing/DrawingObject.h"

#include "base/ScalarMath.h"
#include "editor/document/ConnectionStructure.h"
#include "editor/document/MathDesign.h"
#include "editor/document/NodeLink.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/TextBuffer.h"

#include <cmath>
#include <cstring>

namespace oq {

namespace {

constexpr uint32_t kWidthKeys[5] = {'wid0', 'wid1', 'wid2', 'wid3', 'wid4'};
constexpr uint32_t kDashKeys[3] = {'dsh0', 'dsh1', 'dsh2'};
constexpr uint32_t kGapKeys[3] = {'gap0', 'gap1', 'gap2'};

uint32_t ResolveColor(const Design *design, int32_t paletteIndex, uint32_t colorWord)
{
    if (paletteIndex >= 0 && paletteIndex < kDesignPaletteSize) return design->palette[paletteIndex];
    return colorWord;
}

}  // namespace

float GetFastLength(const Vector2D &v)
{
    return Sqrt(v.x * v.x + v.y * v.y);
}

Vector2D NormalizeFast(const Vector2D &v, float *length)
{
    float l = GetFastLength(v);
    if (length != nullptr) *length = l;
    return (l > FloatMinNormal) ? v / l : v;
}

bool FitDashPattern(float length, float dash, float gap, DashFit *fit)
{
    fit->count = 0;
    fit->dash = 0.0f;
    fit->gap = 0.0f;
    if (!std::isfinite(length) || !std::isfinite(dash) || !std::isfinite(gap)) return false;
    if (!(dash > 0.0f) || !(gap > 0.0f)) return false;
    double l = (length > 0.0f) ? double(length) : 0.0;
    double d = dash;
    double g = gap;
    double count = std::floor((l + g) / (d + g) + 0.5);
    if (count < 2.0) count = 2.0;
    double fitted = l / (count + (count - 1.0) * g / d);
    fit->dash = float(fitted);
    fit->gap = float(fitted * g / d);
    fit->count = (count > double(kMaxDashPieces)) ? kMaxDashPieces : int32_t(count);
    return true;
}

void BuildArcLengthTable(float rx, float ry, float table[65])
{
    table[0] = 0.0f;
    Point2D previous(rx, 0.0f);
    for (int32_t k = 1; k <= 64; ++k)
    {
        Point2D point(0.0f, ry);
        if (k < 64)
        {
            float c, s;
            GetTrigTableEntry(k, &c, &s);
            point = Point2D(rx * c, ry * s);
        }
        table[k] = table[k - 1] + GetFastLength(point - previous);
        previous = point;
    }
}

float LookupArcLengthAngle(float arcLength, const float table[65], int32_t *cursor)
{
    constexpr float kStep = 0.024543693f;
    int32_t k = (*cursor >= 0 && *cursor < 64) ? *cursor : 0;
    for (; k < 64; ++k)
    {
        if (table[k + 1] > arcLength)
        {
            *cursor = k;
            float span = table[k + 1] - table[k];
            float fraction = (span > 0.0f) ? (arcLength - table[k]) / span : 0.0f;
            return (float(k) + fraction) * kStep;
        }
    }
    *cursor = 64;
    return 1.5707964f;
}

bool CheckFourCCProperty(const TextString &identifier, const char *name, uint32_t *field, KettricDataType *type,
                         void **storage)
{
    if (std::strcmp(identifier, name) != 0) return false;
    *type = 'UI32';
    *storage = field;
    return true;
}

void WriteFourCCProperty(TextBuffer *buffer, bool *open, const char *name, uint32_t value)
{
    buffer->AppendText(*open ? "," : " (");
    buffer->AppendText(name);
    buffer->AppendText("=");
    buffer->AppendFourCC(value);
    *open = true;
}

DrawingObject::DrawingObject(uint32_t kind, DrawingCategory drawingCategory, bool fillOn, bool strokeOn)
    : DocumentNode(kind), category(drawingCategory), fill(fillOn), stroke(strokeOn)
{
    baseStructureType = kDrawingNodeFamily;
}

DrawingObject::DrawingObject(const DrawingObject &object)
    : DocumentNode(object),
      category(object.category),
      fill(object.fill),
      stroke(object.stroke),
      widthIndex(object.widthIndex),
      dashIndex(object.dashIndex),
      fillPaletteIndex(object.fillPaletteIndex),
      fillColor(object.fillColor),
      strokePaletteIndex(object.strokePaletteIndex),
      strokeColor(object.strokeColor)
{
}

bool DrawingObject::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                  void **storage)
{
    if (std::strcmp(identifier, "f") == 0)
    {
        *type = 'BOOL';
        *storage = &fill;
        return true;
    }
    if (std::strcmp(identifier, "s") == 0)
    {
        *type = 'BOOL';
        *storage = &stroke;
        return true;
    }
    if (std::strcmp(identifier, "w") == 0)
    {
        *type = 'UIN8';
        *storage = &widthIndex;
        return true;
    }
    if (std::strcmp(identifier, "d") == 0)
    {
        *type = 'UIN8';
        *storage = &dashIndex;
        return true;
    }
    if (std::strcmp(identifier, "fpi") == 0)
    {
        *type = 'IN32';
        *storage = &fillPaletteIndex;
        return true;
    }
    if (std::strcmp(identifier, "fco") == 0)
    {
        // The later of "fpi" and "fco" wins: "fpi" stores its value after this.
        fillPaletteIndex = -1;
        *type = 'UI32';
        *storage = &fillColor;
        return true;
    }
    if (std::strcmp(identifier, "spi") == 0)
    {
        *type = 'IN32';
        *storage = &strokePaletteIndex;
        return true;
    }
    if (std::strcmp(identifier, "sco") == 0)
    {
        strokePaletteIndex = -1;
        *type = 'UI32';
        *storage = &strokeColor;
        return true;
    }
    return false;
}

bool DrawingObject::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return structure->GetStructureType() == kConnectionStructureType;
}

bool DrawingObject::CheckStateName(const TextString &, uint32_t *)
{
    return false;
}

KettricResult DrawingObject::ResolveData(KettricDocument *document)
{
    KettricResult result = DocumentNode::ResolveData(document);
    if (result != 0) return result;
    if (widthIndex > 4) widthIndex = 4;
    if (dashIndex > 3) dashIndex = 3;
    if (fillPaletteIndex >= kDesignPaletteSize) fillPaletteIndex = 0;
    if (strokePaletteIndex >= kDesignPaletteSize) strokePaletteIndex = 0;
    return 0;
}

bool DrawingObject::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    if (fill)
    {
        writer.WriteFlag("f");
        if (fillPaletteIndex > 0) writer.WriteInteger("fpi", fillPaletteIndex);
        else if (fillPaletteIndex < 0) writer.WriteColor("fco", fillColor);
    }
    if (stroke)
    {
        writer.WriteFlag("s");
        if (widthIndex != 0) writer.WriteInteger("w", widthIndex);
        if (dashIndex != 0) writer.WriteInteger("d", dashIndex);
        if (strokePaletteIndex > 0) writer.WriteInteger("spi", strokePaletteIndex);
        else if (strokePaletteIndex < 0) writer.WriteColor("sco", strokeColor);
    }
    return writer.Opened();
}

void DrawingObject::Layout(const Design *design)
{
    NodeLink *first = GetFirstOutgoingLink();
    if (first == nullptr) return;
    NodeLink *last = first;
    while (NodeLink *next = last->GetNextOutgoingLink()) last = next;
    if (last == first) return;

    const Point2D *startPoints = nullptr;
    const Point2D *finishPoints = nullptr;
    int32_t startCount = first->GetTarget()->GetAnchorPoints(first->anchorKind, &startPoints);
    int32_t finishCount = last->GetTarget()->GetAnchorPoints(last->anchorKind, &finishPoints);
    // Links made in code may carry any index: both must name a point.
    if (first->anchorIndex < 0 || first->anchorIndex >= startCount) return;
    if (last->anchorIndex < 0 || last->anchorIndex >= finishCount) return;

    Point2D start = startPoints[first->anchorIndex];
    Point2D finish = finishPoints[last->anchorIndex];
    if (draggedEnd == 0) start = freePoint;
    if ((last->anchorKind & 0xFFu) == '!')
    {
        if (last->anchorKind == 'xxx!') finish.x = start.x + last->value;
        else if (last->anchorKind == 'yyy!') finish.y = start.y + last->value;
    }
    if (draggedEnd == 1) finish = freePoint;

    startPoint = start;
    finishPoint = finish;
    draggedEnd = -1;
    RebuildGeometry(design, start, finish);
}

bool DrawingObject::GetColor(NodeColor *) const
{
    return false;
}

bool DrawingObject::GetFillColor(NodeColor *color) const
{
    if (!fill) return false;
    color->paletteIndex = fillPaletteIndex;
    color->colorValue = fillColor;
    return true;
}

bool DrawingObject::GetStrokeColor(NodeColor *color) const
{
    if (!stroke) return false;
    color->paletteIndex = strokePaletteIndex;
    color->colorValue = strokeColor;
    return true;
}

const uint32_t *DrawingObject::GetAnchorHandleColor(const Preferences *preferences, uint32_t) const
{
    return (preferences != nullptr) ? &preferences->colors[kColorDrawingAnchor] : nullptr;
}

uint32_t DrawingObject::ResolveStrokeColor(const Design *design) const
{
    return ResolveColor(design, strokePaletteIndex, strokeColor);
}

uint32_t DrawingObject::ResolveFillColor(const Design *design) const
{
    return ResolveColor(design, fillPaletteIndex, fillColor);
}

float DrawingObject::GetStrokeWidth(const Design *design) const
{
    int32_t index = (widthIndex <= 4) ? widthIndex : 4;
    return design->GetBaseFontSize() * GetGroupParam(design, 'line', kWidthKeys[index]);
}

bool DrawingObject::GetDashLengths(const Design *design, float width, float *dash, float *gap) const
{
    if (dashIndex == 0) return false;
    int32_t index = ((dashIndex <= 3) ? dashIndex : 3) - 1;
    float f = design->GetBaseFontSize();
    float d = f * GetGroupParam(design, 'line', kDashKeys[index]);
    float g = f * GetGroupParam(design, 'line', kGapKeys[index]);
    *dash = (d > width) ? d : width;
    *gap = (g > width) ? g : width;
    return true;
}

void DrawingItemSink::Append(int32_t count, const QuadraticBezier2D *source)
{
    Point2D origin(0.0f, 0.0f);
    if (paths) list->Append(new FillPathItem(origin, count, source, color));
    else list->Append(new ExportCurveItem(origin, count, source, color));
}

}  // namespace oq
