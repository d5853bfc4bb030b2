// The shapes Line, Rect, Circle, Polygon and Path: their curves and their text.
#include "ambrel/GeometryStructures.h"

#include "ambrel/ParameterStructures.h"
#include "base/TextUtils.h"
#include "vorl/geometry/EllipsePaths.h"

#include <cstring>

namespace oq {

namespace {

const char kCommandLetters[kPathCommandCount + 1] = "MZLHVQTCS";
// Points each command takes.
const int32_t kCommandPoints[kPathCommandCount] = {1, 1, 1, 1, 1, 2, 1, 3, 2};

inline Point2D GetPoint(const float *values, int32_t index)
{
    return Point2D(values[2 * index], values[2 * index + 1]);
}

inline bool operator!=(const Point2D &a, const Point2D &b)
{
    return a.x != b.x || a.y != b.y;
}

inline Point2D Reflect(const Point2D &control, const Point2D &center)
{
    return Point2D(2.0f * center.x - control.x, 2.0f * center.y - control.y);
}

}  // namespace

KettricResult LineStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = GeometryStructure::ResolveData(document);
    if (result != 0) return result;
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr) return 0;
    const float *v = list->GetElements();
    int32_t n = list->GetElementCount() / 2;
    if (n < 2) return 0;
    for (int32_t i = 1; i < n; ++i) AppendLine(GetPoint(v, i - 1), GetPoint(v, i));
    bool added = n > 2 && GetPoint(v, n - 1) != GetPoint(v, 0);
    if (added) AppendLine(GetPoint(v, n - 1), GetPoint(v, 0));
    AppendContour(n - 1 + int32_t(added), false, added);
    return 0;
}

void LineStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteShape(document, stream, "Line\n");
}

KettricResult PolygonStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = GeometryStructure::ResolveData(document);
    if (result != 0) return result;
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr) return 0;
    const float *v = list->GetElements();
    int32_t n = list->GetElementCount() / 2;
    if (n < 3) return 0;
    int32_t start = curves.GetElementCount();
    Point2D first = GetPoint(v, 0);
    Point2D p = first;
    for (int32_t i = 1; i < n; ++i)
    {
        Point2D q = GetPoint(v, i);
        if (q != p)
        {
            AppendLine(p, q);
            p = q;
        }
    }
    if (p != first) AppendLine(p, first);
    AppendContour(curves.GetElementCount() - start, true, false);
    return 0;
}

void PolygonStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteShape(document, stream, "Polygon\n");
}

bool RectStructure::CheckSubstructure(KettricDocument *document, KettricStructure *structure)
{
    return GeometryStructure::CheckSubstructure(document, structure) ||
           (structure->GetBaseStructureType() != kKettricPrimitiveBase && structure->GetStructureType() == 'radi');
}

KettricResult RectStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = GeometryStructure::ResolveData(document);
    if (result != 0) return result;
    float rx = 0.0f, ry = 0.0f;
    if (const auto *radius = static_cast<const RadiusStructure *>(GetFirstSubstructure('radi')))
    {
        rx = radius->firstX;
        ry = radius->firstY;
    }
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr) return 0;
    if (list->GetElementCount() != 4) return kResultInvalidDataFormat;
    const float *v = list->GetElements();
    float x0 = (v[0] < v[2]) ? v[0] : v[2];
    float x1 = (v[0] < v[2]) ? v[2] : v[0];
    float y0 = (v[1] < v[3]) ? v[1] : v[3];
    float y1 = (v[1] < v[3]) ? v[3] : v[1];
    int32_t count = AppendRoundedRectCurves(x0, y0, x1, y1, rx, ry, nullptr);
    int32_t start = curves.GetElementCount();
    curves.SetElementCount(start + count);
    AppendRoundedRectCurves(x0, y0, x1, y1, rx, ry, curves.GetElements() + start);
    AppendContour(count, true, false);
    return 0;
}

void RectStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteShape(document, stream, "Rect\n");
}

bool CircleStructure::CheckSubstructure(KettricDocument *document, KettricStructure *structure)
{
    return GeometryStructure::CheckSubstructure(document, structure) ||
           (structure->GetBaseStructureType() != kKettricPrimitiveBase && structure->GetStructureType() == 'radi');
}

KettricResult CircleStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = GeometryStructure::ResolveData(document);
    if (result != 0) return result;
    const auto *radius = static_cast<const RadiusStructure *>(GetFirstSubstructure('radi'));
    if (radius == nullptr) return kResultMissingSubstructure;
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr) return 0;
    if (list->GetElementCount() != 2) return kResultInvalidDataFormat;
    const float *v = list->GetElements();
    int32_t start = curves.GetElementCount();
    curves.SetElementCount(start + 12);
    AppendEllipseCurves(v[0], v[1], radius->firstX, radius->firstY, curves.GetElements() + start, 0, 11);
    AppendContour(12, true, false);
    return 0;
}

void CircleStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteShape(document, stream, "Circle\n");
}

bool PathStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (IsFloatList(structure, 2)) return static_cast<const KettricPrimitive *>(structure)->GetStateFlag();
    return IsGeometryContent(structure);
}

bool PathStructure::CheckStateName(const TextString &identifier, uint32_t *state)
{
    if (identifier.GetLength() != 1) return false;
    for (uint32_t command = 0; command < kPathCommandCount; ++command)
    {
        if (identifier[0] == kCommandLetters[command])
        {
            *state = command;
            return true;
        }
    }
    return false;
}

KettricResult PathStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = GeometryStructure::ResolveData(document);
    if (result != 0) return result;
    // The curves are built in a scratch array and stored once at their size: growing the Path's
    // own array would leave a part of it unused and free a block at every growth.
    static thread_local Array<QuadraticBezier2D> built;
    built.SetElementCount(0);
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr && result == 0;
         structure = structure->GetNextStructure())
    {
        if (IsFloatList(structure, 2)) result = BuildContour(static_cast<const KettricFloatList *>(structure), &built);
    }
    int32_t count = built.GetElementCount();
    curves.SetElementCount(count);
    if (count != 0) std::memcpy(curves.GetElements(), built.GetElements(), sizeof(QuadraticBezier2D) * size_t(count));
    return result;
}

KettricResult PathStructure::BuildContour(const KettricFloatList *list, Array<QuadraticBezier2D> *built)
{
    int32_t n = list->GetElementCount() / 2;
    if (n == 0) return 0;
    const float *v = list->GetElements();
    int32_t start = built->GetElementCount();
    Point2D c(0.0f, 0.0f);
    Point2D s(0.0f, 0.0f);
    Point2D previousControl(0.0f, 0.0f);
    uint32_t previousCommand = kPathCommandCount;
    bool closed = false;

    for (int32_t k = 0; k < n;)
    {
        uint32_t command = (k < list->GetStateCount()) ? list->GetState(k) : kPathMove;
        switch (command)
        {
        case kPathMove:
        case kPathClose:
            if (k != 0)
            {
                built->SetElementCount(start);
                return kResultInvalidDataFormat;
            }
            c = s = GetPoint(v, 0);
            closed = (command == kPathClose);
            k = 1;
            break;
        case kPathLine:
        {
            Point2D p = GetPoint(v, k);
            if (p != c)
            {
                built->AddElement(QuadraticBezier2D(c, p, p));
                c = p;
            }
            k += 1;
            break;
        }
        case kPathHorizontalCorner:
        case kPathVerticalCorner:
        {
            Point2D p = GetPoint(v, k);
            Point2D corner = (command == kPathHorizontalCorner) ? Point2D(p.x, c.y) : Point2D(c.x, p.y);
            built->AddElement(QuadraticBezier2D(c, corner, corner));
            built->AddElement(QuadraticBezier2D(corner, p, p));
            c = p;
            k += 1;
            break;
        }
        case kPathQuadratic:
        case kPathSmoothQuadratic:
        {
            Point2D control;
            Point2D p;
            if (command == kPathQuadratic)
            {
                if (k + 2 > n)
                {
                    built->SetElementCount(start);
                    return kResultInvalidDataFormat;
                }
                control = GetPoint(v, k);
                p = GetPoint(v, k + 1);
                k += 2;
            }
            else
            {
                bool smooth = previousCommand == kPathQuadratic || previousCommand == kPathSmoothQuadratic;
                control = smooth ? Reflect(previousControl, c) : c;
                p = GetPoint(v, k);
                k += 1;
            }
            built->AddElement(QuadraticBezier2D(c, control, p));
            previousControl = control;
            c = p;
            break;
        }
        case kPathCubic:
        case kPathSmoothCubic:
        {
            CubicBezier2D cubic;
            cubic.p0 = c;
            if (command == kPathCubic)
            {
                if (k + 3 > n)
                {
                    built->SetElementCount(start);
                    return kResultInvalidDataFormat;
                }
                cubic.p1 = GetPoint(v, k);
                cubic.p2 = GetPoint(v, k + 1);
                cubic.p3 = GetPoint(v, k + 2);
                k += 3;
            }
            else
            {
                if (k + 2 > n)
                {
                    built->SetElementCount(start);
                    return kResultInvalidDataFormat;
                }
                bool smooth = previousCommand == kPathCubic || previousCommand == kPathSmoothCubic;
                cubic.p1 = smooth ? Reflect(previousControl, c) : c;
                cubic.p2 = GetPoint(v, k);
                cubic.p3 = GetPoint(v, k + 1);
                k += 2;
            }
            QuadraticBezier2D pieces[kMaxCubicQuadratics];
            int32_t count = ConvertCubicToQuadratics(cubic, 0.0009765625f, pieces);
            for (int32_t i = 0; i < count; ++i) built->AddElement(pieces[i]);
            previousControl = cubic.p2;
            c = cubic.p3;
            break;
        }
        default:
            // The parser gives only the nine commands.
            k += 1;
            break;
        }
        previousCommand = command;
    }

    bool added = false;
    if (c != s)
    {
        built->AddElement(QuadraticBezier2D(c, s, s));
        added = !closed;
    }
    int32_t count = built->GetElementCount() - start;
    if (count > 0) AppendContour(count, closed, added);
    return 0;
}

void PathStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Path\n", 0, HasPreviousSibling());
    WriteLine(stream, "{\n", 0, false);
    bool written = WriteSubstructures(document, stream);
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (!IsFloatList(structure, 2)) continue;
        const auto *list = static_cast<const KettricFloatList *>(structure);
        const float *v = list->GetElements();
        int32_t n = list->GetElementCount() / 2;
        WriteLine(stream, "float[2]*\n", 1, written);
        written = false;
        WriteLine(stream, "{\n", 1, false);
        WriteLine(stream, "", 2, false);
        int32_t lineStart = 0;
        for (int32_t k = 0; k < n;)
        {
            uint32_t command = (k < list->GetStateCount()) ? list->GetState(k) : kPathMove;
            if (command >= kPathCommandCount) break;
            int32_t points = kCommandPoints[command];
            if (k + points > n) break;
            if (k != lineStart)
            {
                if (k - lineStart < 8)
                {
                    stream->WriteText(", ");
                }
                else
                {
                    stream->WriteText(",\n");
                    WriteLine(stream, "", 2, false);
                    lineStart = k;
                }
            }
            stream->WriteChar(kCommandLetters[command]).WriteChar('{');
            for (int32_t i = 0; i < points; ++i)
            {
                if (i != 0) stream->WriteText("}, {");
                stream->WriteFloat(v[2 * (k + i)]).WriteText(", ").WriteFloat(v[2 * (k + i) + 1]);
            }
            stream->WriteChar('}');
            k += points;
        }
        WriteLine(stream, "}\n", 1, true);
    }
    WriteLine(stream, "}\n", 0, false);
}

}  // namespace oq
