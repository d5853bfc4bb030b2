#include "editor/fonts/PreferencesReader.h"

#include "base/TextUtils.h"
#include "editor/fonts/ConfigSettings.h"
#include "kettric/KettricPrimitive.h"

namespace oq {

PreferencesReader::PreferencesReader(Preferences *preferences, uint32_t *editMode, ToolPanelState *toolPanel,
                                     uint32_t *viewFlags)
    : preferences(preferences), editMode(editMode), toolPanel(toolPanel), viewFlags(viewFlags)
{
}

KettricStructure *PreferencesReader::MakeStructure(const TextString &identifier)
{
    if (CompareText(identifier, "C")) return new ConfigStructure;
    if (CompareText(identifier, "S")) return new SettingStructure;
    if (CompareText(identifier, "Y")) return new FunctionNamesStructure;
    return nullptr;
}

bool PreferencesReader::CheckTopLevel(KettricStructure *structure) { return structure->GetStructureType() == 'conf'; }

void PreferencesReader::StoreSetting(uint32_t key, const KettricStructure *list)
{
    switch (list->GetStructureType())
    {
    case 'BOOL':
    {
        const auto *values = static_cast<const KettricBoolList *>(list);
        if (values->GetElementCount() > 0) StoreBool(key, (*values)[0]);
        break;
    }
    case 'IN32':
    {
        const auto *values = static_cast<const KettricInt32List *>(list);
        if (values->GetElementCount() > 0) StoreInt32(key, (*values)[0]);
        break;
    }
    case 'UI32':
    {
        const auto *values = static_cast<const KettricUInt32List *>(list);
        if (values->GetElementCount() > 0) StoreUInt32(key, (*values)[0]);
        break;
    }
    default: break;  // no setting has another type
    }
}

void PreferencesReader::StoreBool(uint32_t key, bool value)
{
    // At most one number layout is set.
    if (key == 'tbfg' || key == 'ppfg')
    {
        bool strict = key == 'tbfg';
        preferences->options[kOptionStrictFixedWidth] = strict && value;
        preferences->options[kOptionProportionalWidth] = !strict && value;
        return;
    }
    for (int32_t i = 0; i < kPreferenceOptionCount; ++i)
    {
        if (kPreferenceOptions[i].key != key) continue;
        preferences->options[i] = value;
        return;
    }
    if (key == 'flay')
    {
        toolPanel->drawInForeground = value;
        return;
    }
    for (const ViewFlagSetting &setting : kViewFlagSettings)
    {
        if (setting.key != key) continue;
        *viewFlags = value ? (*viewFlags | setting.flag) : (*viewFlags & ~setting.flag);
        return;
    }
}

void PreferencesReader::StoreInt32(uint32_t key, int32_t value)
{
    // Ranges compare unsigned, so negative values fail like values past the range.
    for (const ToolChoiceSetting &setting : kToolChoiceSettings)
    {
        if (setting.key != key) continue;
        if (uint32_t(value) < setting.count) toolPanel->*setting.choice = setting.firstButton + value;
        return;
    }
    for (const ColorChoiceSetting &setting : kColorChoiceSettings)
    {
        if (setting.indexKey != key) continue;
        if (uint32_t(value) < 16) toolPanel->*setting.color = {value, 0};
        return;
    }
}

void PreferencesReader::StoreUInt32(uint32_t key, uint32_t value)
{
    // Shortcuts and the last inserted character are typed as text: Unicode scalar values only.
    if (key == 'char')
    {
        if (IsShortcutCharacter(value)) preferences->insertCharacter = value;
        return;
    }
    if ((key >> 8) == ('cut0' >> 8) && (key & 0xFF) >= '0' && (key & 0xFF) <= '9')
    {
        if (IsShortcutCharacter(value)) preferences->shortcuts[(key & 0xFF) - '0'] = value;
        return;
    }
    if (key == 'clpf')
    {
        preferences->clipboardFormat = value;
        return;
    }
    if (key == 'altf')
    {
        preferences->alternativeTextFormat = value;
        return;
    }
    if (key == 'mode')
    {
        if (IsEditMode(value)) *editMode = value;
        return;
    }
    for (int32_t i = 0; i < kPreferenceColorCount; ++i)
    {
        if (kPreferenceColors[i].key != key) continue;
        preferences->colors[i] = value;
        return;
    }
    for (const ColorChoiceSetting &setting : kColorChoiceSettings)
    {
        if (setting.colorKey != key) continue;
        toolPanel->*setting.color = {-1, value};
        return;
    }
}

void PreferencesReader::StoreFunctionNames(const KettricStructure *list)
{
    const auto *names = static_cast<const KettricStringList *>(list);
    int32_t count = names->GetElementCount();
    preferences->functionNames.SetElementCount(count);
    for (int32_t i = 0; i < count; ++i) preferences->functionNames[i] = (*names)[i];
}

bool ConfigStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    uint32_t type = structure->GetStructureType();
    return type == 'sett' || type == 'func';
}

bool SettingStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                     void **storage)
{
    if (!CompareText(identifier, "n")) return false;
    *type = 'UI32';
    *storage = &key;
    return true;
}

bool SettingStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return dynamic_cast<KettricPrimitive *>(structure) != nullptr;
}

KettricResult SettingStructure::ResolveData(KettricDocument *document)
{
    const KettricStructure *list = GetFirstSubnodeStructure();
    if (list == nullptr) return kResultMissingSubstructure;
    static_cast<PreferencesReader *>(document)->StoreSetting(key, list);
    return 0;
}

bool FunctionNamesStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return structure->GetStructureType() == 'STRG';
}

KettricResult FunctionNamesStructure::ResolveData(KettricDocument *document)
{
    const KettricStructure *list = GetFirstSubnodeStructure();
    if (list == nullptr) return kResultMissingSubstructure;
    static_cast<PreferencesReader *>(document)->StoreFunctionNames(list);
    return 0;
}

}  // namespace oq
