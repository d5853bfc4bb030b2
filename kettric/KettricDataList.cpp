// Kettric data lists: reading the values of a data list and creating one from its keyword.
#include "kettric/KettricCharClass.h"
#include "kettric/KettricPrimitive.h"
#include "kettric/KettricShortDecimal.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace oq {

KettricPrimitive::KettricPrimitive(uint32_t type) : KettricPrimitive(type, 0, false)
{
}

KettricPrimitive::KettricPrimitive(uint32_t type, int32_t size, bool states)
    : KettricStructure(type), arraySize(size), stateFlag(states)
{
    baseStructureType = 'PRIM';
}

namespace {

// Reads one element; short float and double literals are read inline.
template <KettricDataType type>
[[nodiscard]] inline KettricResult ReadElement(const char **text, typename KettricDataTraits<type>::Element *value)
{
    if constexpr (type == 'FLOT' || type == 'DOUB')
    {
        if (ReadKettricShortFloat(text, value)) return 0;
    }
    return KettricDataTraits<type>::Read(text, value);
}

// The reserved count that an array holding `reserved` ends with when elements are added one at a
// time up to `count`.
template <typename ElementArray>
int32_t GetGrownReservedCount(int32_t reserved, int32_t count)
{
    int32_t current = reserved;
    while (current < count) current = ElementArray::GetGrownCount(current, current + 1);
    return current;
}

// Appends a batch of plain values after the first `stored` elements; the storage grows at once to
// what adding them one at a time would give.
template <typename ElementArray, typename Element>
void StoreBatch(ElementArray *values, int32_t stored, const Element *batch, int32_t count)
{
    int32_t total = stored + count;
    int32_t reserved = values->GetReservedCount();
    if (total > reserved) values->SetReservedCount(GetGrownReservedCount<ElementArray>(reserved, total));
    values->SetElementCount(total);
    std::memcpy(static_cast<void *>(values->GetElements() + stored), batch, sizeof(Element) * size_t(count));
}

}  // namespace

template <KettricDataType type>
KettricResult KettricDataList<type>::ReadDataList(const char **text)
{
    const char *p = *text;
    KettricResult result = 0;
    if (arraySize == 0)
    {
        if constexpr (std::is_trivially_copyable_v<Element>)
        {
            // Plain values are gathered on the stack in batches, so the storage grows once per batch.
            constexpr int32_t kBatchSize = 64;
            Element batch[kBatchSize];
            int32_t stored = 0;
            int32_t count = 0;
            for (;;)
            {
                if (count == kBatchSize)
                {
                    StoreBatch(&values, stored, batch, count);
                    stored += count;
                    count = 0;
                }
                batch[count] = Element();
                // The short float reader has skipped the space after its literal already.
                bool spaceSkipped = false;
                if constexpr (type == 'FLOT' || type == 'DOUB') spaceSkipped = ReadKettricShortFloat(&p, &batch[count]);
                if (!spaceSkipped) result = KettricDataTraits<type>::Read(&p, &batch[count]);
                ++count;
                if (result != 0) break;
                if (!spaceSkipped) p = SkipKettricSpace(p);
                if (*p != ',') break;
                ++p;
                p = SkipKettricSpace(p);
            }
            StoreBatch(&values, stored, batch, count);
            *text = p;
            return result;
        }
        for (int32_t n = 0;; ++n)
        {
            values.SetElementCount(n + 1);
            result = ReadElement<type>(&p, &values[n]);
            if (result != 0) break;
            p = SkipKettricSpace(p);
            if (*p != ',') break;
            ++p;
            p = SkipKettricSpace(p);
        }
        *text = p;
        return result;
    }

    const int32_t size = arraySize;
    uint32_t state = 0;
    for (int32_t b = 0;; ++b)
    {
        int32_t length = 0;
        if (stateFlag && ParseKettricIdentifier(p, &length) == 0)
        {
            TextString identifier(p, length);
            KettricStructure *holder = GetSuperStructure();
            if (holder == nullptr || !holder->CheckStateName(identifier, &state))
            {
                result = kResultStateName;
                break;
            }
            p += length;
            p = SkipKettricSpace(p);
        }
        if (*p != '{')
        {
            result = kResultSubarrayFormat;
            break;
        }
        ++p;
        p = SkipKettricSpace(p);
        values.SetElementCount(size * (b + 1));
        if (stateFlag)
        {
            states.SetElementCount(b + 1);
            states[b] = state;
        }
        for (int32_t i = 0; i < size && result == 0; ++i)
        {
            if (i != 0)
            {
                if (*p != ',')
                {
                    result = kResultSubarrayUndersize;
                    break;
                }
                ++p;
                p = SkipKettricSpace(p);
            }
            result = ReadElement<type>(&p, &values[size * b + i]);
            if (result == 0) p = SkipKettricSpace(p);
        }
        if (result != 0) break;
        if (*p != '}')
        {
            result = (*p == ',') ? kResultSubarrayOversize : kResultSubarrayFormat;
            break;
        }
        ++p;
        p = SkipKettricSpace(p);
        if (*p != ',') break;
        ++p;
        p = SkipKettricSpace(p);
    }
    *text = p;
    return result;
}

template class KettricDataList<'BOOL'>;
template class KettricDataList<'INT8'>;
template class KettricDataList<'IN16'>;
template class KettricDataList<'IN32'>;
template class KettricDataList<'IN64'>;
template class KettricDataList<'UIN8'>;
template class KettricDataList<'UI16'>;
template class KettricDataList<'UI32'>;
template class KettricDataList<'UI64'>;
template class KettricDataList<'HALF'>;
template class KettricDataList<'FLOT'>;
template class KettricDataList<'DOUB'>;
template class KettricDataList<'STRG'>;
template class KettricDataList<'RFNC'>;
template class KettricDataList<'TYPE'>;
template class KettricDataList<'BS64'>;

KettricPrimitive *CreatePrimitiveStructure(const char *identifier)
{
    int32_t length = 0;
    KettricDataType type = 0;
    if (ParseKettricDataType(identifier, &length, &type) != 0 || identifier[length] != 0) return nullptr;
    switch (type)
    {
    case 'BOOL': return new KettricBoolList;
    case 'INT8': return new KettricInt8List;
    case 'IN16': return new KettricInt16List;
    case 'IN32': return new KettricInt32List;
    case 'IN64': return new KettricInt64List;
    case 'UIN8': return new KettricUInt8List;
    case 'UI16': return new KettricUInt16List;
    case 'UI32': return new KettricUInt32List;
    case 'UI64': return new KettricUInt64List;
    case 'HALF': return new KettricHalfList;
    case 'FLOT': return new KettricFloatList;
    case 'DOUB': return new KettricDoubleList;
    case 'STRG': return new KettricStringList;
    case 'RFNC': return new KettricReferenceList;
    case 'TYPE': return new KettricTypeList;
    case 'BS64': return new KettricBase64List;
    default: return nullptr;
    }
}

}  // namespace oq
