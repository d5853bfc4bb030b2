#include "editor/fonts/DesignReader.h"

#include "base/TextUtils.h"
#include "editor/fonts/MasterFontTable.h"
#include "kettric/KettricPrimitive.h"

#include <cmath>

namespace oq {

const int8_t kLegacyFontNumbers[kLegacyFontNumberCount] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  15, 16, 17, 18, 19, 20, 25, 22, 23, 24, 26, 27, 28, 29, 30, 31,
    32, 33, 46, 47, 38, 39, 40, 41, 44, 45, 48, 49, 50, 51, 52, 80, 81, 82, -1, 83, 57, 53, 54, 55, 56,
};

namespace {

Design *GetDesign(KettricDocument *document) { return static_cast<DesignReader *>(document)->GetDesign(); }

bool IsDataList(const KettricStructure *structure) { return dynamic_cast<const KettricPrimitive *>(structure) != nullptr; }

// The name of a built-in font row, or empty for a row outside the table.
TextString GetRowName(int32_t row)
{
    if (row < 0 || row >= kMasterFontRowCount) return TextString();
    return TextString(MasterFontTable[row].name);
}

}  // namespace

KettricStructure *DesignReader::MakeStructure(const TextString &identifier)
{
    if (CompareText(identifier, "D")) return new DesignStructure;
    if (CompareText(identifier, "F")) return new DesignFontStructure;
    if (CompareText(identifier, "M")) return new DesignStyleMapStructure;
    if (CompareText(identifier, "P")) return new DesignPaletteStructure;
    if (CompareText(identifier, "V")) return new DesignValueStructure;
    return nullptr;
}

bool DesignReader::CheckTopLevel(KettricStructure *structure) { return structure->GetStructureType() == 'dsgn'; }

bool DesignStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    uint32_t type = structure->GetStructureType();
    return type == 'font' || type == 'fmap' || type == 'palt' || type == 'valu';
}

KettricResult DesignStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = KettricStructure::ResolveData(document);
    if (result != 0) return result;
    // A StyleMap may not name a slot without a font name: the first such place falls back to slot 0.
    Design *design = GetDesign(document);
    for (uint8_t(&entry)[kStyleMapLength] : design->styleMaps)
    {
        for (uint8_t &slot : entry)
        {
            if (slot >= kDesignFontSlotCount) break;
            if (design->fontNames[slot].IsEmpty())
            {
                slot = 0;
                break;
            }
        }
    }
    return 0;
}

bool DesignFontStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                        void **storage)
{
    if (!CompareText(identifier, "i")) return false;
    *type = 'IN32';
    *storage = &slot;
    return true;
}

bool DesignFontStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure) { return IsDataList(structure); }

KettricResult DesignFontStructure::ResolveData(KettricDocument *document)
{
    if (slot < 1 || slot >= kDesignFontSlotCount) return 0;
    const KettricStructure *list = GetFirstSubnodeStructure();
    if (list == nullptr) return kResultMissingSubstructure;
    TextString &name = GetDesign(document)->fontNames[slot];
    switch (list->GetStructureType())
    {
    case 'IN16':
    {
        const auto *rows = static_cast<const KettricInt16List *>(list);
        name = GetRowName(rows->GetElementCount() > 0 ? (*rows)[0] : -1);
        break;
    }
    case 'UIN8':
    {
        const auto *numbers = static_cast<const KettricUInt8List *>(list);
        int32_t row = -1;
        if (numbers->GetElementCount() > 0 && (*numbers)[0] < kLegacyFontNumberCount) row = kLegacyFontNumbers[(*numbers)[0]];
        name = GetRowName(row);
        break;
    }
    case 'STRG':
    {
        const auto *names = static_cast<const KettricStringList *>(list);
        if (names->GetElementCount() > 0) name = (*names)[0];
        break;
    }
    default: break;  // no other type names a font
    }
    return 0;
}

bool DesignStyleMapStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                            void **storage)
{
    if (!CompareText(identifier, "t")) return false;
    *type = 'UI32';
    *storage = &style;
    return true;
}

bool DesignStyleMapStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsDataList(structure);
}

KettricResult DesignStyleMapStructure::ResolveData(KettricDocument *document)
{
    if (style == 0) return 0;
    const KettricStructure *list = GetFirstSubnodeStructure();
    if (list == nullptr) return kResultMissingSubstructure;
    if (list->GetStructureType() != 'UIN8') return 0;
    for (int32_t index = 0; index < kCharacterStyleCount; ++index)
    {
        if (uint32_t(kCharacterStyles[index]) != style) continue;
        const auto *slots = static_cast<const KettricUInt8List *>(list);
        uint8_t *entry = GetDesign(document)->styleMaps[index];
        int32_t count = slots->GetElementCount();
        for (int32_t i = 0; i < kStyleMapLength; ++i) entry[i] = i < count ? (*slots)[i] : kStyleMapEnd;
        break;
    }
    return 0;
}

bool DesignPaletteStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure) { return IsDataList(structure); }

KettricResult DesignPaletteStructure::ResolveData(KettricDocument *document)
{
    const KettricStructure *list = GetFirstSubnodeStructure();
    if (list == nullptr) return kResultMissingSubstructure;
    if (list->GetStructureType() != 'UI32') return kResultInvalidDataFormat;
    const auto *colors = static_cast<const KettricUInt32List *>(list);
    if (colors->GetElementCount() != kDesignPaletteSize) return kResultInvalidDataFormat;
    Design *design = GetDesign(document);
    for (int32_t i = 0; i < kDesignPaletteSize; ++i) design->palette[i] = (*colors)[i];
    return 0;
}

bool DesignValueStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                         void **storage)
{
    if (CompareText(identifier, "d")) *storage = &group;
    else if (CompareText(identifier, "n")) *storage = &key;
    else return false;
    *type = 'UI32';
    return true;
}

bool DesignValueStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure) { return IsDataList(structure); }

bool IsStorableDesignValue(uint32_t group, const DesignParamRow &row, float value)
{
    if (!std::isfinite(value)) return false;
    if (group == 0 && row.key == 'fsiz') return value >= kMinStoredFontSize && value <= kMaxStoredFontSize;
    return value >= row.minimum && value <= row.maximum;
}

KettricResult DesignValueStructure::ResolveData(KettricDocument *document)
{
    const KettricStructure *list = GetFirstSubnodeStructure();
    if (list == nullptr) return kResultMissingSubstructure;
    Design *design = GetDesign(document);
    if (list->GetStructureType() == 'BOOL')
    {
        const auto *flags = static_cast<const KettricBoolList *>(list);
        if (key == 'seps' && flags->GetElementCount() > 0) design->SetSeparateStyles((*flags)[0]);
        return 0;
    }
    if (list->GetStructureType() != 'FLOT') return 0;
    const auto *values = static_cast<const KettricFloatList *>(list);
    if (values->GetElementCount() == 0) return 0;
    float value = (*values)[0];
    for (int32_t index = 0; index < kDesignGroupCount; ++index)
    {
        const DesignGroupTable &table = kDesignGroupTables[index];
        if (table.key != group) continue;
        for (int32_t i = 0; i < table.rowCount; ++i)
        {
            const DesignParamRow &row = table.rows[i];
            if (row.key != key) continue;
            if (IsStorableDesignValue(group, row, value)) design->GetGroupSlots(index)[row.offset / 4] = value;
            return 0;
        }
        return 0;
    }
    return 0;
}

}  // namespace oq
