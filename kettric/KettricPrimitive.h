#pragma once

#include "base/Array.h"
#include "base/TextString.h"
#include "kettric/ByteBlock.h"
#include "kettric/KettricStructure.h"
#include "kettric/StructureReference.h"

#include <cstdint>
#include <type_traits>

namespace oq {

// Base of the data lists: a structure that holds the values of one primitive type.
class KettricPrimitive : public KettricStructure
{
public:
    explicit KettricPrimitive(uint32_t type);
    KettricPrimitive(uint32_t type, int32_t size, bool states);

    // Reads the contents of the data list's braces (the cursor stands after "{" and white space).
    [[nodiscard]] virtual KettricResult ReadDataList(const char **text) = 0;

    // 0 for a flat list, 1 to 256 for subarrays of that many elements.
    int32_t GetArraySize() const { return arraySize; }
    // Set when every subarray may be preceded by a state identifier.
    bool GetStateFlag() const { return stateFlag; }
    void SetArraySize(int32_t size) { arraySize = size; }
    void SetStateFlag(bool states) { stateFlag = states; }

protected:
    int32_t arraySize;
    bool stateFlag;
};

// Element type and element reader of each data type.
template <KettricDataType type>
struct KettricDataTraits;

#define OQ_KETTRIC_DATA_TRAITS(code, ElementType, reader)                      \
    template <>                                                                \
    struct KettricDataTraits<code>                                             \
    {                                                                          \
        using Element = ElementType;                                           \
        [[nodiscard]] static KettricResult Read(const char **text, Element *value) { return reader(text, value); } \
    };

OQ_KETTRIC_DATA_TRAITS('BOOL', bool, ReadKettricBool)
OQ_KETTRIC_DATA_TRAITS('INT8', int8_t, ReadKettricInt8)
OQ_KETTRIC_DATA_TRAITS('IN16', int16_t, ReadKettricInt16)
OQ_KETTRIC_DATA_TRAITS('IN32', int32_t, ReadKettricInt32)
OQ_KETTRIC_DATA_TRAITS('IN64', int64_t, ReadKettricInt64)
OQ_KETTRIC_DATA_TRAITS('UIN8', uint8_t, ReadKettricUInt8)
OQ_KETTRIC_DATA_TRAITS('UI16', uint16_t, ReadKettricUInt16)
OQ_KETTRIC_DATA_TRAITS('UI32', uint32_t, ReadKettricUInt32)
OQ_KETTRIC_DATA_TRAITS('UI64', uint64_t, ReadKettricUInt64)
OQ_KETTRIC_DATA_TRAITS('HALF', uint16_t, ReadKettricHalf)
OQ_KETTRIC_DATA_TRAITS('FLOT', float, ReadKettricFloat)
OQ_KETTRIC_DATA_TRAITS('DOUB', double, ReadKettricDouble)
OQ_KETTRIC_DATA_TRAITS('STRG', TextString, ReadKettricString)
OQ_KETTRIC_DATA_TRAITS('RFNC', StructureReference, ReadKettricReference)
OQ_KETTRIC_DATA_TRAITS('TYPE', uint32_t, ReadKettricType)
OQ_KETTRIC_DATA_TRAITS('BS64', ByteBlock, ReadKettricBase64)

#undef OQ_KETTRIC_DATA_TRAITS

// Elements a data list keeps inside its own block: 128 bytes of plain values (short lists of
// numbers then need no second block), else 4.
template <typename Element>
inline constexpr int32_t kKettricLocalElementCount =
    (std::is_trivially_copyable_v<Element> && sizeof(Element) <= 32) ? int32_t(128 / sizeof(Element)) : 4;

// A data list of one of the 16 primitive types: its values in reading order (element i of
// subarray b at index arraySize * b + i) and, with the state flag, one state per subarray.
template <KettricDataType type>
class KettricDataList : public KettricPrimitive
{
public:
    using Element = typename KettricDataTraits<type>::Element;

    explicit KettricDataList(int32_t size = 0, bool states = false) : KettricPrimitive(type, size, states) {}

    ~KettricDataList() override
    {
        // The blocks of a string list's texts are fetched together, before their releases touch
        // them one after the other (the bytes before a block hold the allocator's header).
        if constexpr (type == 'STRG')
        {
            for (const TextString &string : values)
            {
                auto text = reinterpret_cast<uintptr_t>(string.GetText());
                __builtin_prefetch(reinterpret_cast<const void *>(text - 8), 1);
                __builtin_prefetch(reinterpret_cast<const void *>(text), 1);
            }
        }
    }

    [[nodiscard]] KettricResult ReadDataList(const char **text) override;

    int32_t GetElementCount() const { return values.GetElementCount(); }
    Element *GetElements() { return values.GetElements(); }
    const Element *GetElements() const { return values.GetElements(); }
    Element &operator[](int32_t index) { return values[index]; }
    const Element &operator[](int32_t index) const { return values[index]; }
    // Constructs new elements or destroys surplus ones (last first).
    void SetElementCount(int32_t count) { values.SetElementCount(count); }

    int32_t GetStateCount() const { return states.GetElementCount(); }
    uint32_t GetState(int32_t index) const { return states[index]; }
    void SetState(int32_t index, uint32_t state) { states[index] = state; }

    // Appends count values and, in a list with states, the state of the subarray they make.
    // (A member template, so that lists of elements that cannot be copied never instantiate it.)
    template <typename Source>
    void AppendValues(const Source *source, int32_t count, uint32_t state = 0)
    {
        int32_t first = values.GetElementCount();
        values.SetElementCount(first + count);
        for (int32_t i = 0; i < count; ++i) values[first + i] = source[i];
        if (stateFlag) states.AddElement(state);
    }

    using ElementArray = Array<Element, kKettricLocalElementCount<Element>>;

private:
    ElementArray values;
    Array<uint32_t, 4> states;
};

using KettricBoolList = KettricDataList<'BOOL'>;
using KettricInt8List = KettricDataList<'INT8'>;
using KettricInt16List = KettricDataList<'IN16'>;
using KettricInt32List = KettricDataList<'IN32'>;
using KettricInt64List = KettricDataList<'IN64'>;
using KettricUInt8List = KettricDataList<'UIN8'>;
using KettricUInt16List = KettricDataList<'UI16'>;
using KettricUInt32List = KettricDataList<'UI32'>;
using KettricUInt64List = KettricDataList<'UI64'>;
using KettricHalfList = KettricDataList<'HALF'>;
using KettricFloatList = KettricDataList<'FLOT'>;
using KettricDoubleList = KettricDataList<'DOUB'>;
using KettricStringList = KettricDataList<'STRG'>;
using KettricReferenceList = KettricDataList<'RFNC'>;
using KettricTypeList = KettricDataList<'TYPE'>;
using KettricBase64List = KettricDataList<'BS64'>;

extern template class KettricDataList<'BOOL'>;
extern template class KettricDataList<'INT8'>;
extern template class KettricDataList<'IN16'>;
extern template class KettricDataList<'IN32'>;
extern template class KettricDataList<'IN64'>;
extern template class KettricDataList<'UIN8'>;
extern template class KettricDataList<'UI16'>;
extern template class KettricDataList<'UI32'>;
extern template class KettricDataList<'UI64'>;
extern template class KettricDataList<'HALF'>;
extern template class KettricDataList<'FLOT'>;
extern template class KettricDataList<'DOUB'>;
extern template class KettricDataList<'STRG'>;
extern template class KettricDataList<'RFNC'>;
extern template class KettricDataList<'TYPE'>;
extern template class KettricDataList<'BS64'>;

// A new empty data list (array size 0, no states) when the whole identifier is a type keyword, else null.
KettricPrimitive *CreatePrimitiveStructure(const char *identifier);

}  // namespace oq
