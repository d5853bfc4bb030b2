// Metric and CharMap.
#include "ambrel/MetricStructures.h"

#include "ambrel/FontStructure.h"
#include "base/TextUtils.h"

#include <cstring>

namespace oq {

namespace {

struct FloatMetric
{
    const char *key;
    float FontStructure::*field;
};

struct VectorMetric
{
    const char *key;
    float (FontStructure::*field)[2];
};

struct IntegerMetric
{
    const char *key;
    uint32_t FontStructure::*field;
};

const FloatMetric kFloatMetrics[] = {
    {"ascent", &FontStructure::ascent},
    {"descent", &FontStructure::descent},
    {"line_gap", &FontStructure::lineGap},
    {"typo_ascent", &FontStructure::typoAscent},
    {"typo_descent", &FontStructure::typoDescent},
    {"typo_line_gap", &FontStructure::typoLineGap},
    {"cap_height", &FontStructure::capHeight},
    {"ex_height", &FontStructure::exHeight},
    {"math_axis_height", &FontStructure::mathAxisHeight},
    {"under_size", &FontStructure::underlineSize},
    {"under_position", &FontStructure::underlinePosition},
    {"strike_size", &FontStructure::strikethroughSize},
    {"strike_position", &FontStructure::strikethroughPosition},
    {"slant_angle", &FontStructure::slantAngle},
};

const VectorMetric kVectorMetrics[] = {
    {"sub_scale", &FontStructure::subscriptScale},
    {"sub_offset", &FontStructure::subscriptOffset},
    {"super_scale", &FontStructure::superscriptScale},
    {"super_offset", &FontStructure::superscriptOffset},
};

const IntegerMetric kIntegerMetrics[] = {
    {"weight_class", &FontStructure::weightClass},
    {"width_class", &FontStructure::widthClass},
    {"family_class", &FontStructure::familyClass},
};

// Key texts may hold any bytes: compared with their length.
bool SameKey(const TextString &key, const char *text)
{
    return std::strlen(text) == size_t(key.GetLength()) && CompareText(key, text);
}

FontStructure *GetSuperFont(const KettricStructure *structure)
{
    KettricStructure *super = structure->GetSuperStructure();
    return (super != nullptr && super->GetStructureType() == 'font') ? static_cast<FontStructure *>(super) : nullptr;
}

}  // namespace

// Metric

bool MetricStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage)
{
    if (CompareText(identifier, "key")) return DeclareProperty(type, storage, 'STRG', &metricKey);
    return false;
}

bool MetricStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFloatList(structure, 0) || IsFloatList(structure, 2) ||
           (IsDataList(structure, 'UI32') && static_cast<KettricPrimitive *>(structure)->GetArraySize() == 0);
}

KettricResult MetricStructure::ResolveData(KettricDocument *)
{
    KettricResult result = CheckSingleSubstructure();
    if (result != 0) return result;
    FontStructure *font = GetSuperFont(this);
    const KettricStructure *data = GetFirstSubnodeStructure();
    if (IsDataList(data, 'FLOT'))
    {
        const auto *list = static_cast<const KettricFloatList *>(data);
        int32_t count = list->GetElementCount();
        int32_t size = list->GetArraySize();
        if (count == 1 && size == 0)
        {
            for (const FloatMetric &metric : kFloatMetrics)
            {
                if (SameKey(metricKey, metric.key))
                {
                    if (font != nullptr) font->*metric.field = (*list)[0];
                    break;
                }
            }
            return 0;
        }
        if (count == 2 && size == 2)
        {
            for (const VectorMetric &metric : kVectorMetrics)
            {
                if (SameKey(metricKey, metric.key))
                {
                    if (font != nullptr)
                    {
                        (font->*metric.field)[0] = (*list)[0];
                        (font->*metric.field)[1] = (*list)[1];
                    }
                    break;
                }
            }
            return 0;
        }
        return kResultInvalidDataFormat;
    }
    const auto *list = static_cast<const KettricUInt32List *>(data);
    if (list->GetElementCount() != 1 || list->GetArraySize() != 0) return kResultInvalidDataFormat;
    for (const IntegerMetric &metric : kIntegerMetrics)
    {
        if (SameKey(metricKey, metric.key))
        {
            if (font != nullptr) font->*metric.field = (*list)[0];
            break;
        }
    }
    return 0;
}

void MetricStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    const KettricStructure *data = nullptr;
    for (const KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr && data == nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'FLOT') || IsDataList(structure, 'UI32')) data = structure;
    }
    if (data == nullptr) return;
    bool floats = IsDataList(data, 'FLOT');
    int32_t count = floats ? static_cast<const KettricFloatList *>(data)->GetElementCount()
                           : static_cast<const KettricUInt32List *>(data)->GetElementCount();
    if (count == 0) return;

    const KettricStructure *previous = GetPreviousWrittenSibling();
    WriteLine(stream, "Metric (key = ", 0, previous != nullptr && previous->GetStructureType() != 'mtrc');
    WriteQuotedText(stream, metricKey);
    if (floats)
    {
        const auto *list = static_cast<const KettricFloatList *>(data);
        if (list->GetArraySize() != 0 && count >= 2)
        {
            stream->WriteText(") {float[2] {{");
            WriteFloatValues(stream, list->GetElements(), 2);
            stream->WriteText("}}}\n");
        }
        else
        {
            stream->WriteText(") {float {");
            stream->WriteFloat((*list)[0]);
            stream->WriteText("}}\n");
        }
    }
    else
    {
        stream->WriteText(") {uint32 {");
        stream->WriteInteger(int32_t((*static_cast<const KettricUInt32List *>(data))[0]));
        stream->WriteText("}}\n");
    }
}

// CharMap

bool CharMapStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage)
{
    if (CompareText(identifier, "char")) return DeclareProperty(type, storage, 'UI32', &firstCodePoint);
    if (CompareText(identifier, "run")) return DeclareProperty(type, storage, 'UI32', &runLength);
    return false;
}

bool CharMapStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure, 'UI16') || IsDataList(structure, 'UI32');
}

KettricPrimitive *CharMapStructure::GetGlyphList() const
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (IsDataList(structure, 'UI16') || IsDataList(structure, 'UI32')) return static_cast<KettricPrimitive *>(structure);
    }
    return nullptr;
}

namespace {

uint32_t GetValue(const KettricPrimitive *list, int32_t index)
{
    if (IsDataList(list, 'UI16')) return (*static_cast<const KettricUInt16List *>(list))[index];
    return (*static_cast<const KettricUInt32List *>(list))[index];
}

int32_t GetCount(const KettricPrimitive *list)
{
    if (IsDataList(list, 'UI16')) return static_cast<const KettricUInt16List *>(list)->GetElementCount();
    return static_cast<const KettricUInt32List *>(list)->GetElementCount();
}

}  // namespace

KettricResult CharMapStructure::ResolveData(KettricDocument *)
{
    FontStructure *font = GetSuperFont(this);
    const KettricPrimitive *list = GetGlyphList();
    if (font == nullptr || list == nullptr) return 0;
    CharacterTable *table = font->characterTable;
    uint32_t glyphCount = font->GetGlyphFont()->glyphCount;

    int32_t n = GetCount(list);
    // In 64 bits: a first code point or run near 2^32 must not wrap below the table size.
    if (n == 0 || uint64_t(firstCodePoint) + uint64_t(runLength) + uint64_t(n) > kCharacterTableSize) return 'ivcs';
    if (table == nullptr) return 0;

    // The first CharMap that maps a code point decides it.
    auto map = [table](uint32_t codePoint, uint32_t glyph) {
        if (table->Get(codePoint) == 0) table->Set(codePoint, int32_t(glyph));
    };
    for (int32_t i = 0; i < n; ++i)
    {
        uint32_t g = GetValue(list, i);
        if (g >= glyphCount) return 'ivgi';
        map(firstCodePoint + uint32_t(i), g);
    }
    if (runLength > 0)
    {
        uint32_t last = GetValue(list, n - 1);
        if (uint64_t(last) + runLength >= glyphCount) return 'ivgi';
        for (uint32_t i = 0; i < runLength; ++i) map(firstCodePoint + uint32_t(n) + i, last + 1 + i);
    }
    return 0;
}

void CharMapStructure::OffsetGlyphIndices(int32_t amount)
{
    KettricPrimitive *list = GetGlyphList();
    if (list == nullptr) return;
    if (IsDataList(list, 'UI32'))
    {
        auto *values = static_cast<KettricUInt32List *>(list);
        for (int32_t i = 0; i < values->GetElementCount(); ++i) (*values)[i] += uint32_t(amount);
        return;
    }
    auto *shorts = static_cast<KettricUInt16List *>(list);
    int64_t largest = 0;
    for (int32_t i = 0; i < shorts->GetElementCount(); ++i) largest = ((*shorts)[i] > largest) ? (*shorts)[i] : largest;
    if (int64_t(amount) + largest < 0x10000)
    {
        for (int32_t i = 0; i < shorts->GetElementCount(); ++i) (*shorts)[i] = uint16_t((*shorts)[i] + amount);
        return;
    }
    auto *wide = new KettricUInt32List(0);
    wide->SetElementCount(shorts->GetElementCount());
    for (int32_t i = 0; i < shorts->GetElementCount(); ++i) (*wide)[i] = uint32_t((*shorts)[i]) + uint32_t(amount);
    AppendSubnode(wide);
    delete shorts;
}

void CharMapStructure::Write(AmbrelDocument *, TextOutputStream *stream) const
{
    static const char kHex[] = "0123456789ABCDEF";
    WriteLine(stream, "CharMap (char = 0x", 0, true);
    int32_t digits = (firstCodePoint <= 0xFFFF) ? 4 : 8;
    for (int32_t shift = (digits - 1) * 4; shift >= 0; shift -= 4) stream->WriteChar(kHex[(firstCodePoint >> shift) & 15]);
    if (runLength != 0)
    {
        stream->WriteText(", run = ");
        stream->WriteInteger(int32_t(runLength));
    }
    stream->WriteText(")\n");
    WriteLine(stream, "{\n", 0, false);

    const KettricPrimitive *list = GetGlyphList();
    if (list != nullptr)
    {
        bool shorts = IsDataList(list, 'UI16');
        int32_t count = GetCount(list);
        if (count <= (shorts ? 32 : 31))
        {
            WriteLine(stream, shorts ? "uint16 {" : "uint32 {", 1, false);
            for (int32_t i = 0; i < count; ++i)
            {
                if (i != 0) stream->WriteBytes(", ", 2);
                stream->WriteInteger(int32_t(GetValue(list, i)));
            }
            stream->WriteText("}\n");
        }
        else
        {
            WriteLine(stream, shorts ? "uint16\n" : "uint32\n", 1, false);
            WriteLine(stream, "{\n", 1, false);
            WriteLine(stream, "", 2, false);
            for (int32_t i = 0; i < count; ++i)
            {
                if (i != 0)
                {
                    if (i % 32 != 0)
                    {
                        stream->WriteBytes(", ", 2);
                    }
                    else
                    {
                        stream->WriteBytes(",\n", 2);
                        WriteLine(stream, "", 2, false);
                    }
                }
                stream->WriteInteger(int32_t(GetValue(list, i)));
            }
            WriteLine(stream, "}\n", 1, true);
        }
    }
    WriteLine(stream, "}\n", 0, false);
}

}  // namespace oq
