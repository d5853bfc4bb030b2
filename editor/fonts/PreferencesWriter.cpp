#include "editor/fonts/PreferencesWriter.h"

#include "editor/fonts/ConfigSettings.h"
#include "editor/fonts/SettingsText.h"

namespace oq {

namespace {

void AppendSettingStart(TextBuffer *buffer, uint32_t key)
{
    buffer->AppendText("\tS (n=");
    static_cast<void>(buffer->AppendFourCC(key));
}

void AppendBoolSetting(TextBuffer *buffer, uint32_t key, bool value)
{
    AppendSettingStart(buffer, key);
    buffer->AppendText(value ? ") {b{true}}\n" : ") {b{false}}\n");
}

void AppendInt32Setting(TextBuffer *buffer, uint32_t key, int32_t value)
{
    AppendSettingStart(buffer, key);
    buffer->AppendText(") {i32{").AppendInteger(value).AppendText("}}\n");
}

void AppendUInt32Setting(TextBuffer *buffer, uint32_t key, uint32_t value)
{
    AppendSettingStart(buffer, key);
    buffer->AppendText(") {u32{");
    AppendHex32(buffer, value);
    buffer->AppendText("}}\n");
}

void AppendColorChoice(TextBuffer *buffer, const ColorChoiceSetting &setting, const ToolPanelState &toolPanel)
{
    const EditorColor &color = toolPanel.*setting.color;
    if (color.paletteIndex < 0) AppendUInt32Setting(buffer, setting.colorKey, color.color);
    else AppendInt32Setting(buffer, setting.indexKey, color.paletteIndex);
}

}  // namespace

void WritePreferences(const Preferences &preferences, uint32_t editMode, const ToolPanelState &toolPanel,
                      uint32_t viewFlags, TextBuffer *buffer)
{
    buffer->AppendText("C\n{\n");
    for (int32_t i = 0; i < kPreferenceOptionCount; ++i)
    {
        if (preferences.options[i] != kPreferenceOptions[i].factory)
            AppendBoolSetting(buffer, kPreferenceOptions[i].key, preferences.options[i]);
    }
    if (preferences.insertCharacter != kFactoryInsertCharacter)
        AppendUInt32Setting(buffer, 'char', preferences.insertCharacter);
    if (preferences.clipboardFormat != 'ltex') AppendUInt32Setting(buffer, 'clpf', preferences.clipboardFormat);
    if (preferences.alternativeTextFormat != 'mtml')
        AppendUInt32Setting(buffer, 'altf', preferences.alternativeTextFormat);

    // A mode the reader would refuse is not written.
    if (preferences.options[kOptionRememberMode] && IsEditMode(editMode))
    {
        AppendSettingStart(buffer, 'mode');
        buffer->AppendText(") {u32{");
        static_cast<void>(buffer->AppendFourCC(editMode));
        buffer->AppendText("}}\n");
    }
    for (const ColorChoiceSetting &setting : kColorChoiceSettings)
    {
        if (preferences.options[setting.option]) AppendColorChoice(buffer, setting, toolPanel);
    }
    if (preferences.options[kOptionRememberToolState])
    {
        for (const ToolChoiceSetting &setting : kToolChoiceSettings)
        {
            int32_t index = toolPanel.*setting.choice - setting.firstButton;
            if (index != setting.defaultIndex) AppendInt32Setting(buffer, setting.key, index);
        }
        if (toolPanel.drawInForeground) AppendBoolSetting(buffer, 'flay', true);
    }
    if (preferences.options[kOptionRememberViewState])
    {
        for (const ViewFlagSetting &setting : kViewFlagSettings)
        {
            bool set = (viewFlags & setting.flag) != 0;
            if (setting.flag == kViewActiveBaseline)
            {
                if (set) AppendBoolSetting(buffer, setting.key, true);
            }
            else if (!set)
            {
                AppendBoolSetting(buffer, setting.key, false);
            }
        }
    }
    for (int32_t i = 0; i < kPreferenceColorCount; ++i)
    {
        if (preferences.colors[i] != kPreferenceColors[i].factory)
            AppendUInt32Setting(buffer, kPreferenceColors[i].key, preferences.colors[i]);
    }
    for (int32_t i = 0; i < kShortcutCount; ++i)
    {
        if (preferences.shortcuts[i] != 0) AppendUInt32Setting(buffer, 'cut0' + uint32_t(i), preferences.shortcuts[i]);
    }
    if (!preferences.HasFactoryFunctionNames())
    {
        buffer->AppendText("\tY\n\t{\n\t\ts{");
        for (int32_t i = 0; i < preferences.functionNames.GetElementCount(); ++i)
        {
            if (i > 0) buffer->AppendText(",");
            AppendQuotedText(buffer, preferences.functionNames[i], preferences.functionNames[i].GetLength());
        }
        buffer->AppendText("}\n\t}\n");
    }
    buffer->AppendText("}\n");
}

}  // namespace oq
