// Colours, colour stops and gradients.
#include "ambrel/ColorStructures.h"

#include "ambrel/ParameterStructures.h"
#include "base/TextUtils.h"

namespace oq {

namespace {

bool IsStructure(const KettricStructure *structure, uint32_t type)
{
    return structure->GetBaseStructureType() != kKettricPrimitiveBase && structure->GetStructureType() == type;
}

}  // namespace

bool ColorStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                   void **storage)
{
    if (CompareText(identifier, "palette")) return DeclareProperty(type, storage, 'UI32', &paletteIndex);
    return false;
}

bool ColorStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (!IsDataList(structure, 'FLOT') && !IsDataList(structure, 'UIN8')) return false;
    int32_t size = static_cast<const KettricPrimitive *>(structure)->GetArraySize();
    return size == 3 || size == 4;
}

KettricResult ColorStructure::ResolveData(KettricDocument *)
{
    colorList = nullptr;
    entryCount = 0;
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (colorList != nullptr) return kResultExtraSubstructure;
        const auto *list = static_cast<const KettricPrimitive *>(structure);
        int32_t count = IsDataList(list, 'FLOT') ? static_cast<const KettricFloatList *>(list)->GetElementCount()
                                                 : static_cast<const KettricUInt8List *>(list)->GetElementCount();
        if (count == 0) return kResultInvalidDataFormat;
        colorList = list;
        entryCount = count / list->GetArraySize();
    }
    return (colorList == nullptr) ? kResultMissingSubstructure : 0;
}

ColorRGBA ColorStructure::GetColor(int32_t index) const
{
    ColorRGBA color = {0.0f, 0.0f, 0.0f, 1.0f};
    if (colorList == nullptr || entryCount <= 0) return color;
    if (index >= entryCount) index = entryCount - 1;
    if (index < 0) index = 0;
    int32_t size = colorList->GetArraySize();
    if (IsDataList(colorList, 'FLOT'))
    {
        const float *v = static_cast<const KettricFloatList *>(colorList)->GetElements() + index * size;
        color = {v[0], v[1], v[2], (size == 4) ? v[3] : 1.0f};
    }
    else
    {
        const uint8_t *v = static_cast<const KettricUInt8List *>(colorList)->GetElements() + index * size;
        color = {kSrgbByteToLinear[v[0]], kSrgbByteToLinear[v[1]], kSrgbByteToLinear[v[2]],
                 (size == 4) ? float(v[3]) * 0.003921569f : 1.0f};
    }
    return color;
}

void ColorStructure::GetColorRGBA8(int32_t index, uint8_t *output) const
{
    if (colorList != nullptr && entryCount > 0 && IsDataList(colorList, 'UIN8'))
    {
        if (index >= entryCount) index = entryCount - 1;
        if (index < 0) index = 0;
        int32_t size = colorList->GetArraySize();
        const uint8_t *v = static_cast<const KettricUInt8List *>(colorList)->GetElements() + index * size;
        output[0] = v[0];
        output[1] = v[1];
        output[2] = v[2];
        output[3] = (size == 4) ? v[3] : 255;
        return;
    }
    ColorRGBAToSrgb8(output, GetColor(index));
}

void ColorStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    // Written from the first colour list, resolved or not.
    const KettricPrimitive *list = nullptr;
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr && list == nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'FLOT') || IsDataList(structure, 'UIN8'))
            list = static_cast<const KettricPrimitive *>(structure);
    }
    if (list == nullptr) return;
    bool floats = IsDataList(list, 'FLOT');
    int32_t size = list->GetArraySize();
    int32_t count = floats ? static_cast<const KettricFloatList *>(list)->GetElementCount()
                           : static_cast<const KettricUInt8List *>(list)->GetElementCount();
    int32_t entries = (size > 0) ? count / size : 0;
    if (entries <= 0) return;
    const KettricStructure *previous = GetPreviousWrittenSibling();
    const KettricStructure *super = GetSuperStructure();
    bool newline = previous != nullptr && previous->GetStructureType() != 'colr' &&
                   previous->GetStructureType() != 'stop' && (super == nullptr || super->GetStructureType() != 'comp');
    WriteLine(stream, "Color", 0, newline);
    if (paletteIndex != 0) stream->WriteText(" (palette = ").WriteInteger(int32_t(paletteIndex)).WriteChar(')');
    stream->WriteText(floats ? " {float[" : " {uint8[").WriteInteger(size).WriteText("] {{");
    for (int32_t entry = 0; entry < entries; ++entry)
    {
        if (entry != 0) stream->WriteText(", {");
        for (int32_t i = 0; i < size; ++i)
        {
            if (i != 0) stream->WriteText(", ");
            int32_t k = entry * size + i;
            if (floats) stream->WriteFloat((*static_cast<const KettricFloatList *>(list))[k]);
            else stream->WriteInteger((*static_cast<const KettricUInt8List *>(list))[k]);
        }
        stream->WriteChar('}');
    }
    stream->WriteText("}}\n");
}

bool StopStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                  void **storage)
{
    if (CompareText(identifier, "ext")) return DeclareProperty(type, storage, 'STRG', &extensionMode);
    return false;
}

bool StopStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'FLOT');
}

KettricResult StopStructure::ResolveData(KettricDocument *)
{
    stopList = nullptr;
    KettricResult result = CheckSingleSubstructure();
    if (result != 0) return result;
    stopList = static_cast<const KettricFloatList *>(GetFirstSubnodeStructure());
    return 0;
}

void StopStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr) return;
    WriteLine(stream, "Stop ", 0, HasPreviousSibling());
    if (!CompareText(extensionMode, "clamp"))
    {
        stream->WriteText("(ext = ");
        WriteQuotedText(stream, extensionMode);
        stream->WriteText(") ");
    }
    stream->WriteText("{float {");
    WriteFloatValues(stream, list->GetElements(), list->GetElementCount());
    stream->WriteText("}}\n");
}

bool GradientStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                      void **storage)
{
    if (CompareText(identifier, "kind")) return DeclareProperty(type, storage, 'STRG', &gradientKind);
    if (CompareText(identifier, "object")) return DeclareProperty(type, storage, 'BOOL', &objectFlag);
    return false;
}

bool GradientStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'FLOT') || IsStructure(structure, 'angl') || IsStructure(structure, 'colr') ||
           IsStructure(structure, 'radi') || IsStructure(structure, 'stop');
}

KettricResult GradientStructure::ResolveData(KettricDocument *document)
{
    gradientList = nullptr;
    gradientRadius = nullptr;
    gradientAngle = nullptr;
    gradientColor = nullptr;
    KettricResult result = AmbrelStructure::ResolveData(document);
    if (result != 0) return result;

    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'FLOT'))
        {
            if (gradientList != nullptr) return kResultExtraSubstructure;
            gradientList = static_cast<const KettricFloatList *>(structure);
        }
        else if (IsStructure(structure, 'radi'))
        {
            if (gradientRadius != nullptr) return kResultExtraSubstructure;
            gradientRadius = static_cast<const RadiusStructure *>(structure);
        }
        else if (IsStructure(structure, 'angl'))
        {
            if (gradientAngle != nullptr) return kResultExtraSubstructure;
            gradientAngle = static_cast<const AngleStructure *>(structure);
        }
        else if (IsStructure(structure, 'colr'))
        {
            if (gradientColor != nullptr) return kResultExtraSubstructure;
            gradientColor = static_cast<const ColorStructure *>(structure);
        }
    }
    if (gradientList == nullptr || gradientColor == nullptr) return kResultMissingSubstructure;

    int32_t count = gradientList->GetElementCount();
    if (CompareText(gradientKind, "linear"))
    {
        if (count != 3) return kResultInvalidDataFormat;
    }
    else if (CompareText(gradientKind, "radial"))
    {
        if (count != 2 && count != 4) return kResultInvalidDataFormat;
        if (gradientRadius == nullptr) return kResultMissingSubstructure;
    }
    else if (CompareText(gradientKind, "sweep"))
    {
        if (count != 2) return kResultInvalidDataFormat;
        if (gradientAngle == nullptr) return kResultMissingSubstructure;
    }
    else
    {
        return 'ivgk';
    }
    return 0;
}

void GradientStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    const KettricFloatList *list = GetFirstFloatList();
    bool linear = CompareText(gradientKind, "linear");
    WriteLine(stream, "Gradient", 0, HasPreviousSibling());
    if (!linear)
    {
        stream->WriteText(" (kind = ");
        WriteQuotedText(stream, gradientKind);
        if (objectFlag) stream->WriteText(", object");
        stream->WriteChar(')');
    }
    else if (objectFlag)
    {
        stream->WriteText(" (object)");
    }
    WriteLine(stream, "{\n", 0, true);
    if (list != nullptr)
    {
        const KettricFloatList &v = *list;
        int32_t count = list->GetElementCount();
        if (linear && count >= 3)
        {
            WriteLine(stream, "float[3] {{", 1, false);
            WriteFloatValues(stream, list->GetElements(), 3);
            stream->WriteText("}}\n");
        }
        else if (!linear && count >= 2)
        {
            WriteLine(stream, "float[2] {{", 1, false);
            stream->WriteFloat(v[0]).WriteText(", ").WriteFloat(v[1]);
            if (count >= 4) stream->WriteText("}, {").WriteFloat(v[2]).WriteText(", ").WriteFloat(v[3]);
            stream->WriteText("}}\n");
        }
    }
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

}  // namespace oq
