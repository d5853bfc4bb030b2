// Default operations of the typographic structures and their shared helpers.
#include "ambrel/TypographicStructure.h"

namespace oq {

void TypographicStructure::OffsetGlyphIndices(int32_t amount)
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetBaseStructureType() == kAmbrelTypographicBase)
            static_cast<TypographicStructure *>(structure)->OffsetGlyphIndices(amount);
    }
}

bool TypographicStructure::GetDescription(TextString *, uint32_t, int32_t) const
{
    return false;
}

KettricUInt32List *TypographicStructure::GetFirstUInt32List() const
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'UI32')) return static_cast<KettricUInt32List *>(structure);
    }
    return nullptr;
}

KettricUInt32List *TypographicStructure::AppendUInt32List(int32_t arraySize)
{
    auto *list = new KettricUInt32List(arraySize);
    AppendSubnode(list);
    return list;
}

KettricFloatList *TypographicStructure::AppendFloatList(int32_t arraySize)
{
    auto *list = new KettricFloatList(arraySize);
    AppendSubnode(list);
    return list;
}

void AppendTagText(TextString *text, uint32_t tag)
{
    for (int32_t shift = 24; shift >= 0; shift -= 8)
    {
        unsigned char c = static_cast<unsigned char>(tag >> shift);
        text->AppendChar((c >= 0x20 && c <= 0x7E) ? char(c) : '?');
    }
}

void WriteIntegerValues(TextOutputStream *stream, const uint32_t *values, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (i != 0) stream->WriteBytes(", ", 2);
        stream->WriteInteger(int32_t(values[i]));
    }
}

}  // namespace oq
