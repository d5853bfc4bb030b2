// The editor's tool state: defaults, the three setters and the menu checks of the edit mode.
#include "EditorFixture.h"

namespace oq::test {
namespace {

using ToolStateTest = EditorFixture;

TEST_F(ToolStateTest, Defaults)
{
    const ToolPanelState &tools = editor->settings.state.toolPanel;
    EXPECT_EQ(editor->GetEditMode(), kEditModeMath);
    EXPECT_EQ(editor->drawingToolGroup, kToolGroupEquation);
    EXPECT_EQ(editor->styleKey, 0u);
    const struct
    {
        const char *field;
        int32_t value;
        int32_t expected;
    } fields[] = {
        {"line tool", tools.lineTool, 2},
        {"shape tool", tools.shapeTool, 14},
        {"width", tools.widthChoice, 38},
        {"dash", tools.dashChoice, 43},
        {"start decoration", tools.startDecorationChoice, 47},
        {"finish decoration", tools.finishDecorationChoice, 53},
        {"start length", tools.startLengthChoice, 59},
        {"finish length", tools.finishLengthChoice, 62},
        {"corner radius", tools.cornerRadiusChoice, 66},
        {"foreground", tools.drawInForeground, 0},
        {"equation colour", tools.equationColor.paletteIndex, 0},
        {"fill colour", tools.fillColor.paletteIndex, 9},
        {"stroke colour", tools.strokeColor.paletteIndex, 0},
    };
    for (const auto &f : fields) EXPECT_EQ(f.value, f.expected) << f.field;
}

TEST_F(ToolStateTest, EditModeChecksItsMenuItemAndResetsTheStyleKey)
{
    const struct
    {
        uint32_t mode;
        const char *checks;
    } modes[] = {
        {kEditModeChem, "769- 770+ 771-"},
        {kEditModeText, "769- 770- 771+"},
        {kEditModeMath, "769+ 770- 771-"},
    };
    for (bool remember : {false, true})
    {
        editor->settings.preferences.options[kOptionRememberMode] = remember;
        for (const auto &m : modes)
        {
            editor->settings.preferencesChanged = false;
            editor->styleKey = 'bold';
            editor->SetEditMode(m.mode);
            EXPECT_EQ(editor->GetEditMode(), m.mode);
            EXPECT_EQ(editor->styleKey, 0u);
            EXPECT_EQ(editor->settings.preferencesChanged, remember);
            EXPECT_EQ(GetHarnessMenus().DescribeChecked({kMenuMathMode, kMenuChemMode, kMenuTextMode}), m.checks);
        }
    }
}

TEST_F(ToolStateTest, UnknownModeOnlyStoresAndResetsTheStyleKey)
{
    editor->settings.preferences.options[kOptionRememberMode] = true;
    editor->styleKey = 'bold';
    int64_t calls = GetHarnessMenus().calls;
    editor->SetEditMode('xxxx');
    EXPECT_EQ(editor->GetEditMode(), uint32_t('xxxx'));
    EXPECT_EQ(editor->styleKey, 0u);
    EXPECT_FALSE(editor->settings.preferencesChanged);
    EXPECT_EQ(GetHarnessMenus().calls, calls);
}

// A setter given the value in force changes nothing: no style reset, no menu call, no flag.
TEST_F(ToolStateTest, SettersWithTheCurrentValueDoNothing)
{
    editor->settings.preferences.options[kOptionRememberMode] = true;
    editor->SetDrawingToolGroup(kToolGroupLine);
    editor->SetStyleKey('bold');
    int64_t calls = GetHarnessMenus().calls;
    editor->SetEditMode(kEditModeMath);
    editor->SetDrawingToolGroup(kToolGroupLine);
    editor->SetStyleKey('bold');
    EXPECT_EQ(editor->styleKey, uint32_t('bold'));
    EXPECT_EQ(editor->drawingToolGroup, kToolGroupLine);
    EXPECT_FALSE(editor->settings.preferencesChanged);
    EXPECT_EQ(GetHarnessMenus().calls, calls);
}

TEST_F(ToolStateTest, ToolGroupAndStyleKeyNeverTouchTheDocument)
{
    std::string dump = DumpState(editor);
    for (uint32_t group : {kToolGroupAnnotation, kToolGroupLine, kToolGroupShape, kToolGroupEquation})
    {
        editor->SetDrawingToolGroup(group);
        EXPECT_EQ(editor->drawingToolGroup, group);
    }
    editor->SetStyleKey('ital');
    EXPECT_EQ(editor->styleKey, uint32_t('ital'));
    editor->SetStyleKey(0);
    EXPECT_EQ(editor->styleKey, 0u);
    EXPECT_EQ(DumpState(editor), dump);
    EXPECT_FALSE(editor->modified);
    EXPECT_EQ(DescribeSteps(editor), "0/0");
}

}  // namespace
}  // namespace oq::test
