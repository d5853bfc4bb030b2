// The small parameter structures: Range, Radius, Angle, Offset and Opacity.
#include "ambrel/ParameterStructures.h"

namespace oq {

namespace {

// The single float list of a parameter structure, or the failure code.
KettricResult GetSingleList(const AmbrelStructure *structure, const KettricFloatList **list)
{
    KettricResult result = structure->CheckSingleSubstructure();
    if (result != 0) return result;
    *list = static_cast<const KettricFloatList *>(structure->GetFirstSubnodeStructure());
    return 0;
}

void WriteValue(TextOutputStream *stream, const char *text, bool newline, float value)
{
    WriteLine(stream, text, 0, newline);
    stream->WriteFloat(value).WriteText("}}\n");
}

}  // namespace

bool RangeStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 2);
}

KettricResult RangeStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetSingleList(this, &list);
    if (result != 0) return result;
    int32_t count = list->GetElementCount();
    if (count != 4 && count != 6) return kResultInvalidDataFormat;
    const KettricFloatList &v = *list;
    xMinimum = v[0];
    xMaximum = v[1];
    yMinimum = v[2];
    yMaximum = v[3];
    zMinimum = (count == 6) ? v[4] : 0.0f;
    zMaximum = (count == 6) ? v[5] : 0.0f;
    return 0;
}

void RangeStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr || list->GetElementCount() < 4) return;
    const KettricFloatList &v = *list;
    WriteLine(stream, "Range\n", 0, HasPreviousSibling());
    WriteLine(stream, "{\n", 0, false);
    WriteLine(stream, "float[2] {{", 1, false);
    stream->WriteFloat(v[0]).WriteText(", ").WriteFloat(v[1]).WriteText("}, {").WriteFloat(v[2]).WriteText(", ").WriteFloat(v[3]);
    if (list->GetElementCount() >= 6) stream->WriteText("}, {").WriteFloat(v[4]).WriteText(", ").WriteFloat(v[5]);
    stream->WriteText("}}\n");
    WriteLine(stream, "}\n", 0, false);
}

bool RadiusStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 0) || IsFloatList(structure, 2);
}

KettricResult RadiusStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetSingleList(this, &list);
    if (result != 0) return result;
    int32_t count = list->GetElementCount();
    const KettricFloatList &v = *list;
    if (list->GetArraySize() == 2)
    {
        if (count != 2 && count != 4) return kResultInvalidDataFormat;
        firstX = v[0];
        firstY = v[1];
        if (count == 4)
        {
            secondX = v[2];
            secondY = v[3];
        }
        return 0;
    }
    if (count != 1 && count != 2) return kResultInvalidDataFormat;
    firstX = firstY = v[0];
    if (count == 2) secondX = secondY = v[1];
    return 0;
}

void RadiusStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr || list->GetElementCount() < 1) return;
    const KettricFloatList &v = *list;
    int32_t count = list->GetElementCount();
    WriteLine(stream, "Radius ", 0, HasPreviousSibling());
    if (list->GetArraySize() == 2)
    {
        stream->WriteText("{float[2] {{").WriteFloat(v[0]).WriteText(", ").WriteFloat(v[1]);
        if (count >= 4) stream->WriteText("}, {").WriteFloat(v[2]).WriteText(", ").WriteFloat(v[3]);
        stream->WriteText("}}}\n");
        return;
    }
    stream->WriteText("{float {").WriteFloat(v[0]);
    if (count >= 2) stream->WriteText(", ").WriteFloat(v[1]);
    stream->WriteText("}}\n");
}

bool AngleStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 2);
}

KettricResult AngleStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetSingleList(this, &list);
    if (result != 0) return result;
    if (list->GetElementCount() != 2) return kResultInvalidDataFormat;
    firstAngle = (*list)[0];
    secondAngle = (*list)[1];
    return 0;
}

void AngleStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr || list->GetElementCount() < 2) return;
    WriteLine(stream, "Angle {float[2] {{", 0, false);
    stream->WriteFloat((*list)[0]).WriteText(", ").WriteFloat((*list)[1]).WriteText("}}}\n");
}

bool OffsetStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 0);
}

KettricResult OffsetStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetSingleList(this, &list);
    if (result != 0) return result;
    if (list->GetElementCount() != 1) return kResultInvalidDataFormat;
    value = (*list)[0];
    return 0;
}

void OffsetStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricFloatList *list = GetFirstFloatList();
    if (list == nullptr || list->GetElementCount() < 1) return;
    WriteValue(stream, "Offset {float {", HasPreviousSibling(), (*list)[0]);
}

bool OpacityStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 0);
}

KettricResult OpacityStructure::ResolveData(KettricDocument *)
{
    const KettricFloatList *list = nullptr;
    KettricResult result = GetSingleList(this, &list);
    if (result != 0) return result;
    if (list->GetElementCount() != 1) return kResultInvalidDataFormat;
    value = (*list)[0];
    return 0;
}

void OpacityStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    WriteValue(stream, "Opacity {float {", HasPreviousSibling(), value);
}

}  // namespace oq
