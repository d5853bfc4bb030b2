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

const KettricStructure *AmbrelStructure::GetPreviousWrittenSibling() const
{
    const KettricStructure *previous = GetPreviousStructure();
    while (previous != nullptr && previous->GetBaseStructureType() == kKettricPrimitiveBase)
        previous = previous->GetPreviousStructure();
    return previous;
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
    if (first == nullptr) return kResultMissingSubstructure;
    if (first != GetLastSubnodeStructure()) return kResultExtraSubstructure;
    return 0;
}

void WriteQuotedText(TextOutputStream *stream, const TextString &text)
{
    // Escaped in pieces of at most 128 bytes that never split a UTF-8 sequence (a valid one is at
    // most 4 bytes long); every byte escapes to at most 4.
    char escaped[4 * 128 + 1];
    const char *bytes = text.GetText();
    int32_t length = text.GetLength();
    stream->WriteChar('"');
    for (int32_t start = 0; start < length;)
    {
        int32_t end = (length - start > 128) ? start + 128 : length;
        for (int32_t step = 0; step < 3 && end < length && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80;
             ++step)
        {
            --end;
        }
        bool changed = false;
        int64_t size = TextString::WriteEscapedText(bytes + start, end - start, 0, escaped, &changed);
        stream->WriteBytes(escaped, uint32_t(size));
        start = end;
    }
    stream->WriteChar('"');
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
