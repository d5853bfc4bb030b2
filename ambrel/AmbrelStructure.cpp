// The shared operations of Ambrel structures and the text helpers of their writers.
#include "ambrel/AmbrelStructure.h"

namespace oq {

bool AmbrelStructure::WriteSubstructures(AmbrelDocument *document, TextOutputStream *stream) const
{
    bool written = false;
    stream->indentationLevel++;
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetBaseStructureType() == kKettricPrimitiveBase) continue;
        static_cast<const AmbrelStructure *>(structure)->Write(document, stream);
        written = true;
    }
    stream->indentationLevel--;
    return written;
}

KettricFloatList *AmbrelStructure::GetFirstFloatList() const
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'FLOT')) return static_cast<KettricFloatList *>(structure);
    }
    return nullptr;
}

KettricResult AmbrelStructure::CheckSingleSubstructure() const
{
    const KettricStructure *first = GetFirstSubnodeStructure();
    if (first == nullptr) return 'MSSB';
    if (first != GetLastSubnodeStructure()) return 'EXSB';
    return 0;
}

void WriteQuotedText(TextOutputStream *stream, const TextString &text)
{
    TextString escaped(text);
    escaped.EscapeText(0);
    stream->WriteChar('"').WriteBytes(escaped.GetText(), uint32_t(escaped.GetLength())).WriteChar('"');
}

void WriteFloatValues(TextOutputStream *stream, const float *values, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (i != 0) stream->WriteBytes(", ", 2);
        stream->WriteFloat(values[i]);
    }
}

}  // namespace oq
