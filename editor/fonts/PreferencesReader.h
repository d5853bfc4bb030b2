#pragma once

#include "editor/fonts/EditorState.h"
#include "editor/fonts/Preferences.h"
#include "kettric/KettricDocument.h"
#include "kettric/KettricStructure.h"

#include <cstdint>

namespace oq {

// The reader of config.quist: stores each setting into the preferences, the editing mode, the
// tool-panel state and the view flags as it resolves. Unknown keys, values of another type than
// the key's and values out of range are ignored one by one.
class PreferencesReader : public KettricDocument
{
public:
    PreferencesReader(Preferences *preferences, uint32_t *editMode, ToolPanelState *toolPanel, uint32_t *viewFlags);

    // "C" 'conf', "S" 'sett', "Y" 'func'; nothing else.
    KettricStructure *MakeStructure(const TextString &identifier) override;
    bool CheckTopLevel(KettricStructure *structure) override;

    // Stores the first value of a setting's data list by the key.
    void StoreSetting(uint32_t key, const KettricStructure *list);
    void StoreFunctionNames(const KettricStructure *list);

private:
    void StoreBool(uint32_t key, bool value);
    void StoreInt32(uint32_t key, int32_t value);
    void StoreUInt32(uint32_t key, uint32_t value);

    Preferences *preferences;
    uint32_t *editMode;
    ToolPanelState *toolPanel;
    uint32_t *viewFlags;
};

// "C": the settings and the function names, resolved in text order.
class ConfigStructure : public KettricStructure
{
public:
    ConfigStructure() : KettricStructure('conf') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
};

// "S": one setting, its key in the property "n" and its value in one data list.
class SettingStructure : public KettricStructure
{
public:
    SettingStructure() : KettricStructure('sett') {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // kResultMissingSubstructure without a data list.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;

private:
    uint32_t key = 0;
};

// "Y": the standard function names in one string list.
class FunctionNamesStructure : public KettricStructure
{
public:
    FunctionNamesStructure() : KettricStructure('func') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // kResultMissingSubstructure without a string list.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
};

}  // namespace oq
