// The transform structures and the composition of node and geometry transforms.
#include "ambrel/MatrixStructures.h"

#include "ambrel/GeometryStructure.h"
#include "ambrel/NodeStructures.h"
#include "base/ScalarMath.h"
#include "base/TextUtils.h"

namespace oq {

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

bool IsFloatListOfSize(const KettricStructure *structure, int32_t a, int32_t b, int32_t c)
{
    return IsFloatList(structure, a) || IsFloatList(structure, b) || IsFloatList(structure, c);
}

bool DeclareKind(const TextString &identifier, KettricDataType *type, void **storage, TextString *kind)
{
    if (!CompareText(identifier, "kind")) return false;
    *type = 'STRG';
    *storage = kind;
    return true;
}

// The one float list of a transform, or the failure code.
KettricResult GetMatrixList(const MatrixStructure *structure, const KettricFloatList **list)
{
    KettricResult result = structure->CheckSingleSubstructure();
    if (result != 0) return result;
    *list = static_cast<const KettricFloatList *>(structure->GetFirstSubnodeStructure());
    return 0;
}

// Whether the list is flat with one value, or has the array size and exactly that many values.
bool HasShape(const KettricFloatList *list, int32_t arraySize)
{
    int32_t count = list->GetElementCount();
    if (arraySize == 0) return list->GetArraySize() == 0 && count == 1;
    return list->GetArraySize() == arraySize && count == arraySize;
}

}  // namespace

Transform4D &AmbrelStructure::CalculateTransform(Transform4D &result) const
{
    result.SetIdentity();
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetBaseStructureType() == kAmbrelMatrixBase)
            result = MultiplyTransform4D(result, static_cast<const MatrixStructure *>(structure)->matrix);
    }
    return result;
}

Transform4D *GetStructureTransform(AmbrelStructure *structure)
{
    uint32_t base = structure->GetBaseStructureType();
    if (base == kAmbrelNodeBase) return &static_cast<NodeStructure *>(structure)->nodeTransform;
    if (base == kAmbrelGeometryBase) return &static_cast<GeometryStructure *>(structure)->geometryTransform;
    return nullptr;
}

void UpdateStructureTransform(AmbrelStructure *structure)
{
    Transform4D *transform = GetStructureTransform(structure);
    if (transform == nullptr) return;
    Transform4D m;
    structure->CalculateTransform(m);
    KettricStructure *super = structure->GetSuperStructure();
    if (super != nullptr && super->GetBaseStructureType() == kAmbrelNodeBase)
        m = MultiplyTransform4D(static_cast<NodeStructure *>(super)->nodeTransform, m);
    *transform = m;
}

MatrixStructure::MatrixStructure(uint32_t type) : AmbrelStructure(type)
{
    baseStructureType = kAmbrelMatrixBase;
    matrix.SetIdentity();
}

bool MatrixStructure::GetNewlineFlag() const
{
    const KettricStructure *previous = GetPreviousWrittenSibling();
    return previous != nullptr && previous->GetBaseStructureType() != kAmbrelMatrixBase;
}

void MatrixStructure::WriteMatrixData(TextOutputStream *stream) const
{
    const KettricStructure *first = GetFirstSubnodeStructure();
    if (first == nullptr || !IsDataList(first, 'FLOT')) return;
    const auto *list = static_cast<const KettricFloatList *>(first);
    int32_t size = list->GetArraySize();
    int32_t count = list->GetElementCount();
    if (size == 0)
    {
        stream->WriteText("float {");
        if (count != 0) stream->WriteFloat((*list)[0]);
        stream->WriteChar('}');
        return;
    }
    stream->WriteText("float[").WriteInteger(size).WriteText("] {{");
    WriteFloatValues(stream, list->GetElements(), (count < size) ? count : size);
    stream->WriteText("}}");
}

void MatrixStructure::WriteWithKind(TextOutputStream *stream, const char *header, const TextString &kind,
                                    const char *defaultKind) const
{
    WriteLine(stream, header, 0, GetNewlineFlag());
    if (CompareText(kind, defaultKind))
    {
        stream->WriteChar('{');
    }
    else
    {
        stream->WriteText("(kind = ");
        WriteQuotedText(stream, kind);
        stream->WriteText(") {");
    }
    WriteMatrixData(stream);
    stream->WriteText("}\n");
}

bool TransformStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatListOfSize(structure, 4, 6, 9) || IsFloatListOfSize(structure, 12, 16, 16);
}

KettricResult TransformStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetMatrixList(this, &list);
    if (result != 0) return result;
    int32_t n = list->GetArraySize();
    if (n == 0 || list->GetElementCount() != n) return kResultInvalidDataFormat;
    const float *w = list->GetElements();
    switch (n)
    {
    case 16:
        for (int32_t c = 0; c < 4; ++c)
        {
            for (int32_t r = 0; r < 4; ++r) matrix.n[c][r] = w[4 * c + r];
        }
        break;
    case 12:
        matrix.Set(w[0], w[3], w[6], w[9], w[1], w[4], w[7], w[10], w[2], w[5], w[8], w[11]);
        break;
    case 9:
        matrix.Set(w[0], w[3], w[6], 0.0f, w[1], w[4], w[7], 0.0f, w[2], w[5], w[8], 0.0f);
        break;
    case 6:
        matrix.Set(w[0], w[2], 0.0f, w[4], w[1], w[3], 0.0f, w[5], 0.0f, 0.0f, 1.0f, 0.0f);
        break;
    case 4:
        matrix.Set(w[0], w[2], 0.0f, 0.0f, w[1], w[3], 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
        break;
    default: return kResultInvalidDataFormat;
    }
    return 0;
}

void TransformStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteLine(stream, "Transform {", 0, GetNewlineFlag());
    WriteMatrixData(stream);
    stream->WriteText("}\n");
}

bool TranslationStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                         void **storage)
{
    return DeclareKind(identifier, type, storage, &transformKind);
}

bool TranslationStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatListOfSize(structure, 0, 2, 3);
}

KettricResult TranslationStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetMatrixList(this, &list);
    if (result != 0) return result;
    const float *w = list->GetElements();
    matrix.SetIdentity();
    if (CompareText(transformKind, "x") || CompareText(transformKind, "y") || CompareText(transformKind, "z"))
    {
        if (!HasShape(list, 0)) return kResultInvalidDataFormat;
        matrix.n[3][transformKind[0] - 'x'] = w[0];
    }
    else if (CompareText(transformKind, "xy"))
    {
        if (!HasShape(list, 2)) return kResultInvalidDataFormat;
        matrix.n[3][0] = w[0];
        matrix.n[3][1] = w[1];
    }
    else if (CompareText(transformKind, "xyz"))
    {
        if (!HasShape(list, 3)) return kResultInvalidDataFormat;
        matrix.n[3][0] = w[0];
        matrix.n[3][1] = w[1];
        matrix.n[3][2] = w[2];
    }
    else
    {
        return 'ivtk';
    }
    return 0;
}

void TranslationStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteWithKind(stream, "Translation ", transformKind, "xy");
}

bool RotationStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                      void **storage)
{
    return DeclareKind(identifier, type, storage, &transformKind);
}

bool RotationStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 0) || IsFloatList(structure, 4);
}

KettricResult RotationStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetMatrixList(this, &list);
    if (result != 0) return result;
    const float *w = list->GetElements();
    if (CompareText(transformKind, "x") || CompareText(transformKind, "y") || CompareText(transformKind, "z"))
    {
        if (!HasShape(list, 0)) return kResultInvalidDataFormat;
        float angle = w[0] * kDegreesToRadians;
        char axis = transformKind[0];
        matrix = (axis == 'x')   ? Transform4D::MakeRotationX(angle)
                 : (axis == 'y') ? Transform4D::MakeRotationY(angle)
                                 : Transform4D::MakeRotationZ(angle);
    }
    else if (CompareText(transformKind, "axis"))
    {
        if (!HasShape(list, 4)) return kResultInvalidDataFormat;
        // A vanishing or non-finite axis has no direction.
        float squared = w[1] * w[1] + w[2] * w[2] + w[3] * w[3];
        if (!(squared >= FloatMinNormal && squared <= FloatMaxFinite)) return kResultInvalidDataFormat;
        float f = InverseSqrt(squared);
        matrix = Transform4D::MakeRotation(w[0] * kDegreesToRadians, Vector3D(w[1] * f, w[2] * f, w[3] * f));
    }
    else
    {
        return 'ivrk';
    }
    return 0;
}

void RotationStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteWithKind(stream, "Rotation ", transformKind, "z");
}

bool ScaleStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                   void **storage)
{
    return DeclareKind(identifier, type, storage, &transformKind);
}

bool ScaleStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatListOfSize(structure, 0, 2, 3);
}

KettricResult ScaleStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetMatrixList(this, &list);
    if (result != 0) return result;
    const float *w = list->GetElements();
    if (CompareText(transformKind, "x") || CompareText(transformKind, "y") || CompareText(transformKind, "z"))
    {
        if (!HasShape(list, 0)) return kResultInvalidDataFormat;
        char axis = transformKind[0];
        matrix = (axis == 'x')   ? Transform4D::MakeScaleX(w[0])
                 : (axis == 'y') ? Transform4D::MakeScaleY(w[0])
                                 : Transform4D::MakeScaleZ(w[0]);
    }
    else if (CompareText(transformKind, "xy"))
    {
        if (!HasShape(list, 2)) return kResultInvalidDataFormat;
        matrix = Transform4D::MakeScale(w[0], w[1], 1.0f);
    }
    else if (CompareText(transformKind, "xyz"))
    {
        if (!HasShape(list, 3)) return kResultInvalidDataFormat;
        matrix = Transform4D::MakeScale(w[0], w[1], w[2]);
    }
    else
    {
        return 'ivsk';
    }
    return 0;
}

void ScaleStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteWithKind(stream, "Scale ", transformKind, "xy");
}

}  // namespace oq
