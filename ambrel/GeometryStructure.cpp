// The geometry base: shared checks, resolving steps, document-space mapping and the point writer.
#include "ambrel/GeometryStructure.h"

#include "ambrel/StyleStructures.h"
#include "base/ScalarMath.h"

namespace oq {

GeometryStructure::GeometryStructure(uint32_t type) : AmbrelStructure(type)
{
    baseStructureType = kAmbrelGeometryBase;
    geometryTransform.SetIdentity();
    boundingBox.SetEmpty();
}

bool GeometryStructure::IsGeometryContent(const KettricStructure *structure)
{
    if (structure->GetBaseStructureType() == kAmbrelMatrixBase) return true;
    if (structure->GetBaseStructureType() == kKettricPrimitiveBase) return false;
    uint32_t type = structure->GetStructureType();
    return type == 'fill' || type == 'opac' || type == 'strk';
}

bool GeometryStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 2) || IsGeometryContent(structure);
}

KettricResult GeometryStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = AmbrelStructure::ResolveData(document);
    if (result != 0) return result;
    fillStructure = nullptr;
    strokeStructure = nullptr;
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetBaseStructureType() == kKettricPrimitiveBase) continue;
        if (structure->GetStructureType() == 'fill')
        {
            if (fillStructure != nullptr) return kResultExtraSubstructure;
            fillStructure = static_cast<FillStructure *>(structure);
        }
        else if (structure->GetStructureType() == 'strk')
        {
            if (strokeStructure != nullptr) return kResultExtraSubstructure;
            strokeStructure = static_cast<StrokeStructure *>(structure);
        }
    }
    curves.SetElementCount(0);
    return 0;
}

void GeometryStructure::TransformGeometry()
{
    const Transform4D &g = geometryTransform;
    // Object gradient coordinates span the box of the curves in their own space; the geometry
    // transform then maps the gradient with them.
    Box2D objectBox;
    objectBox.SetEmpty();
    boundingBox.SetEmpty();
    for (QuadraticBezier2D &curve : curves)
    {
        objectBox.Union(curve.GetBoundingBox());
        curve.p0 = TransformPoint2D(g, curve.p0);
        curve.p1 = TransformPoint2D(g, curve.p1);
        curve.p2 = TransformPoint2D(g, curve.p2);
        boundingBox.Union(curve.GetBoundingBox());
    }
    if (fillStructure != nullptr) fillStructure->TransformGradient(g, objectBox);
}

float GeometryStructure::GetUnitBoxSize() const
{
    float width = boundingBox.max.x - boundingBox.min.x;
    float height = boundingBox.max.y - boundingBox.min.y;
    float size = (width > height) ? width : height;
    return (size > FloatMinNormal) ? size : 1.0f;
}

float GeometryStructure::GetUnitBoxMapping(Point2D *offset) const
{
    float s = 1.0f / GetUnitBoxSize();
    offset->Set(-s * boundingBox.min.x, -s * boundingBox.min.y);
    return s;
}

void GeometryStructure::NormalizeToUnitBox()
{
    Point2D o;
    float s = GetUnitBoxMapping(&o);
    for (QuadraticBezier2D &curve : curves)
    {
        curve.p0 = s * curve.p0 + o;
        curve.p1 = s * curve.p1 + o;
        curve.p2 = s * curve.p2 + o;
    }
    if (fillStructure != nullptr) fillStructure->ScaleGradient(s, o);
    if (strokeStructure != nullptr) strokeStructure->ScaleStroke(s);
}

void GeometryStructure::WritePointList(TextOutputStream *stream, bool newline) const
{
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr || list->GetElementCount() < 2) return;
    const float *v = list->GetElements();
    int32_t points = list->GetElementCount() / 2;
    WriteLine(stream, "float[2]\n", 1, newline);
    WriteLine(stream, "{\n", 1, false);
    WriteLine(stream, "{", 2, false);
    stream->WriteFloat(v[0]).WriteText(", ").WriteFloat(v[1]);
    for (int32_t i = 1; i < points; ++i) stream->WriteText("}, {").WriteFloat(v[2 * i]).WriteText(", ").WriteFloat(v[2 * i + 1]);
    stream->WriteText("}\n");
    WriteLine(stream, "}\n", 1, false);
}

void GeometryStructure::WriteShape(AmbrelDocument *document, TextOutputStream *stream, const char *header) const
{
    WriteLine(stream, header, 0, HasPreviousSibling());
    WriteLine(stream, "{\n", 0, false);
    bool written = WriteSubstructures(document, stream);
    WritePointList(stream, written);
    WriteLine(stream, "}\n", 0, false);
}

}  // namespace oq
