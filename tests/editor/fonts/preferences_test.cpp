#include <gtest/gtest.h>

#include "base/Color.h"
#include "base/File.h"
#include "editor/fonts/EditorSettings.h"
#include "editor/fonts/FaultyFileCalls.h"
#include "editor/fonts/FolderEnvironment.h"
#include "editor/fonts/Folders.h"
#include "editor/platform/ShellServices.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace oq {
namespace {

std::string Write(const EditorSettings &settings)
{
    TextBuffer buffer;
    WritePreferencesText(settings, &buffer);
    std::string text(buffer.data, buffer.size);
    buffer.Free();
    return text;
}

KettricResult Read(const std::string &text, EditorSettings *settings) { return ReadPreferencesText(text.c_str(), settings); }

std::vector<std::string> Names(const Array<TextString> &list)
{
    std::vector<std::string> names;
    for (const TextString &name : list) names.emplace_back(name.GetText());
    return names;
}

std::string ReadWhole(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

TEST(PreferencesTest, TheDefaultFileHoldsOnlyTheRememberedColours)
{
    EditorSettings settings;
    EXPECT_EQ(Write(settings), "C\n{\n\tS (n='eqpi') {i32{0}}\n\tS (n='flpi') {i32{9}}\n\tS (n='stpi') {i32{0}}\n}\n");

    // The remember options decide what of the state is written.
    settings.preferences.options[kOptionRememberEquationColor] = false;
    settings.preferences.options[kOptionRememberDrawingColors] = false;
    EXPECT_EQ(Write(settings), "C\n{\n\tS (n='ecol') {b{false}}\n\tS (n='dcol') {b{false}}\n}\n");

    EditorSettings changed;
    Preferences &preferences = changed.preferences;
    preferences.options[kOptionRememberMode] = true;
    preferences.options[kOptionStrictFixedWidth] = true;
    preferences.clipboardFormat = 'mtml';
    preferences.colors[kColorBackground] = 0xFF000000;
    preferences.shortcuts[3] = 0x3B1;
    preferences.functionNames.SetElementCount(1);
    changed.state.editMode = 'chem';
    changed.state.toolPanel.shapeTool = 12;
    changed.state.toolPanel.cornerRadiusChoice = 67;
    changed.state.toolPanel.drawInForeground = true;
    changed.state.toolPanel.equationColor = {-1, 0xFF0000FF};
    changed.state.viewFlags = kViewMathSpaces | kViewActiveBaseline;
    EXPECT_EQ(Write(changed), "C\n{\n"
                              "\tS (n='edmd') {b{true}}\n"
                              "\tS (n='tbfg') {b{true}}\n"
                              "\tS (n='clpf') {u32{0x6D746D6C}}\n"
                              "\tS (n='mode') {u32{'chem'}}\n"
                              "\tS (n='eqco') {u32{0xFF0000FF}}\n"
                              "\tS (n='flpi') {i32{9}}\n"
                              "\tS (n='stpi') {i32{0}}\n"
                              "\tS (n='shap') {i32{0}}\n"
                              "\tS (n='rrad') {i32{2}}\n"
                              "\tS (n='flay') {b{true}}\n"
                              "\tS (n='vgrp') {b{false}}\n"
                              "\tS (n='valn') {b{false}}\n"
                              "\tS (n='vpht') {b{false}}\n"
                              "\tS (n='vbas') {b{true}}\n"
                              "\tS (n='back') {u32{0xFF000000}}\n"
                              "\tS (n='cut3') {u32{0x000003B1}}\n"
                              "\tY\n\t{\n\t\ts{\"tr\"}\n\t}\n"
                              "}\n");
}

TEST(PreferencesTest, TheReaderTakesWhatItsTableAcceptsAndIgnoresTheRest)
{
    struct Case
    {
        const char *name;
        const char *settings;  // lines inside "C { }"
        std::function<void(const EditorSettings &)> check;
    };
    const ToolPanelState defaults;
    const Case cases[] = {
        {"line in range", "S (n='line') {i32{3}}", [](auto &s) { EXPECT_EQ(s.state.toolPanel.lineTool, 5); }},
        {"line 10, -1 and a u32 ignored", "S (n='line') {i32{10}} S (n='line') {i32{-1}} S (n='line') {u32{0x00000003}}",
         [&](auto &s) { EXPECT_EQ(s.state.toolPanel.lineTool, defaults.lineTool); }},
        {"every tool choice at its last index",
         "S (n='shap') {i32{8}} S (n='wdth') {i32{4}} S (n='dash') {i32{2}} S (n='send') {i32{5}} S (n='fend') {i32{5}}"
         " S (n='soff') {i32{2}} S (n='foff') {i32{2}} S (n='rrad') {i32{0}}",
         [](auto &s) {
             const ToolPanelState &t = s.state.toolPanel;
             EXPECT_EQ(t.shapeTool, 20);
             EXPECT_EQ(t.widthChoice, 42);
             EXPECT_EQ(t.dashChoice, 45);
             EXPECT_EQ(t.startDecorationChoice, 52);
             EXPECT_EQ(t.finishDecorationChoice, 58);
             EXPECT_EQ(t.startLengthChoice, 61);
             EXPECT_EQ(t.finishLengthChoice, 64);
             EXPECT_EQ(t.cornerRadiusChoice, 65);
         }},
        {"one past each range ignored", "S (n='shap') {i32{9}} S (n='dash') {i32{3}} S (n='rrad') {i32{3}}",
         [&](auto &s) {
             EXPECT_EQ(s.state.toolPanel.shapeTool, defaults.shapeTool);
             EXPECT_EQ(s.state.toolPanel.dashChoice, defaults.dashChoice);
             EXPECT_EQ(s.state.toolPanel.cornerRadiusChoice, defaults.cornerRadiusChoice);
         }},
        {"mode 'abcd' ignored", "S (n='mode') {u32{'abcd'}}", [](auto &s) { EXPECT_EQ(s.state.editMode, 'math'); }},
        {"mode 'text'", "S (n='mode') {u32{'text'}}", [](auto &s) { EXPECT_EQ(s.state.editMode, 'text'); }},
        {"eqco then eqpi 4", "S (n='eqco') {u32{0xFF0000FF}}",
         [](auto &s) {
             EXPECT_EQ(s.state.toolPanel.equationColor.paletteIndex, -1);
             EXPECT_EQ(s.state.toolPanel.equationColor.color, 0xFF0000FFU);
         }},
        {"eqpi 4 after eqco", "S (n='eqco') {u32{0xFF0000FF}} S (n='eqpi') {i32{4}}",
         [](auto &s) {
             EXPECT_EQ(s.state.toolPanel.equationColor.paletteIndex, 4);
             EXPECT_EQ(s.state.toolPanel.equationColor.color, 0U);
         }},
        {"palette index 16 and -1 ignored", "S (n='flpi') {i32{16}} S (n='stpi') {i32{-1}}",
         [](auto &s) {
             EXPECT_EQ(s.state.toolPanel.fillColor.paletteIndex, 9);
             EXPECT_EQ(s.state.toolPanel.strokeColor.paletteIndex, 0);
         }},
        {"tbfg false clears ppfg", "S (n='ppfg') {b{true}} S (n='tbfg') {b{false}}",
         [](auto &s) {
             EXPECT_FALSE(s.preferences.options[kOptionStrictFixedWidth]);
             EXPECT_FALSE(s.preferences.options[kOptionProportionalWidth]);
         }},
        {"ppfg true clears tbfg", "S (n='tbfg') {b{true}} S (n='ppfg') {b{true}}",
         [](auto &s) {
             EXPECT_FALSE(s.preferences.options[kOptionStrictFixedWidth]);
             EXPECT_TRUE(s.preferences.options[kOptionProportionalWidth]);
         }},
        {"flay false clears its flag", "S (n='flay') {b{true}} S (n='flay') {b{false}}",
         [](auto &s) { EXPECT_FALSE(s.state.toolPanel.drawInForeground); }},
        {"view flags", "S (n='vgrp') {b{false}} S (n='vbas') {b{true}} S (n='vspc') {b{false}} S (n='vspc') {b{true}}",
         [](auto &s) { EXPECT_EQ(s.state.viewFlags, kDefaultViewFlags - kViewEmptyGroups + kViewActiveBaseline); }},
        {"options and colours", "S (n='gint') {b{true}} S (n='ecol') {b{false}} S (n='sltc') {u32{0x80112233}}",
         [](auto &s) {
             EXPECT_TRUE(s.preferences.options[kOptionGrowableIntegrals]);
             EXPECT_FALSE(s.preferences.options[kOptionRememberEquationColor]);
             EXPECT_EQ(s.preferences.colors[kColorSelection], 0x80112233U);
         }},
        {"surrogate and out-of-range characters ignored",
         "S (n='char') {u32{0xD800}} S (n='char') {u32{0x110000}} S (n='cut0') {u32{0xDFFF}} S (n='cut9') {u32{0xFFFFFFFF}}",
         [](auto &s) {
             EXPECT_EQ(s.preferences.insertCharacter, kFactoryInsertCharacter);
             EXPECT_EQ(s.preferences.shortcuts[0], 0U);
             EXPECT_EQ(s.preferences.shortcuts[9], 0U);
         }},
        {"scalar values taken, 0 too", "S (n='char') {u32{0x10FFFF}} S (n='cut0') {u32{0xE000}} S (n='cut9') {u32{0xD7FF}}"
                                       " S (n='cut9') {u32{0}}",
         [](auto &s) {
             EXPECT_EQ(s.preferences.insertCharacter, 0x10FFFFU);
             EXPECT_EQ(s.preferences.shortcuts[0], 0xE000U);
             EXPECT_EQ(s.preferences.shortcuts[9], 0U);
         }},
        {"unknown keys, other types and empty lists ignored",
         "S (n='cutA') {u32{65}} S (n='zzzz') {b{true}} S (n='char') {i32{65}} S (n='gint') {u32{1}} S (n='line') {i32{}}"
         " S (n='mode') {s{\"chem\"}} S {b{true}} Unknown (x=1) {S (n='char') {u32{66}}}",
         [&](auto &s) {
             EXPECT_EQ(s.preferences.insertCharacter, kFactoryInsertCharacter);
             EXPECT_FALSE(s.preferences.options[kOptionGrowableIntegrals]);
             EXPECT_EQ(s.state.toolPanel.lineTool, defaults.lineTool);
             EXPECT_EQ(s.state.editMode, 'math');
         }},
        {"an empty Y empties the names", "Y {s{}}", [](auto &s) { EXPECT_EQ(s.preferences.functionNames.GetElementCount(), 0); }},
        {"Y replaces the names", "Y {s{\"a\\\"b\", \"c\\\\d\", \"\\xCE\\xB1\"}}",
         [](auto &s) { EXPECT_EQ(Names(s.preferences.functionNames), (std::vector<std::string>{"a\"b", "c\\d", "\xCE\xB1"})); }},
    };
    for (const Case &entry : cases)
    {
        SCOPED_TRACE(entry.name);
        EditorSettings settings;
        ASSERT_EQ(Read(std::string("C\n{\n") + entry.settings + "\n}\n", &settings), 0U);
        entry.check(settings);
    }

    // The written text of an empty list.
    EditorSettings settings;
    ASSERT_EQ(Read("C { Y { s{} } }", &settings), 0U);
    std::string text = Write(settings);
    EXPECT_NE(text.find("\n\tY\n\t{\n\t\ts{}\n\t}\n}\n"), std::string::npos) << text;
}

TEST(PreferencesTest, StructuralErrorsStopTheReadingAndKeepWhatCameBefore)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        bool colourRead;  // the 'back' setting before the error
    };
    const Case cases[] = {
        {"C { S (n='back') {u32{1}} S (n='line') {} S (n='line') {i32{3}} }", kResultMissingSubstructure, true},
        {"C { S (n='back') {u32{1}} S (n='line') }", kResultSyntax, false},
        {"C { S (n='back') {u32{1}} Y {} S (n='line') {i32{3}} }", kResultMissingSubstructure, true},
        {"C { S (n='back') {u32{1}} Y {u32{1}} }", kResultInvalidStructure, false},
        {"C { S (n='back') {u32{1}} } Y {s{}}", kResultInvalidStructure, false},
        {"C { S (n='back') {u32{1}} C {} }", kResultInvalidStructure, false},
        {"C { S (n='back') {u32{1}} } C { S (n='line') {i32{3}} }", 0, true},
    };
    for (const Case &entry : cases)
    {
        SCOPED_TRACE(entry.text);
        EditorSettings settings;
        EXPECT_EQ(Read(entry.text, &settings), entry.result);
        EXPECT_EQ(settings.preferences.colors[kColorBackground], entry.colourRead ? 1U : 0xFFFFFFFFU);
        EXPECT_EQ(settings.state.toolPanel.lineTool, entry.result == 0 ? 5 : 2);
    }
}

// Random settings of every kind the reader can produce.
void Randomize(std::mt19937 &random, EditorSettings *settings)
{
    auto pick = [&](uint32_t count) { return uint32_t(random() % count); };
    Preferences &preferences = settings->preferences;
    for (bool &option : preferences.options) option = pick(2) != 0;
    if (preferences.options[kOptionStrictFixedWidth]) preferences.options[kOptionProportionalWidth] = false;
    preferences.insertCharacter = pick(3) == 0 ? kFactoryInsertCharacter : pick(0xD800);
    preferences.clipboardFormat = pick(2) ? 'ltex' : 'mtml';
    preferences.alternativeTextFormat = pick(2) ? 'ltex' : 'mtml';
    for (int32_t i = 0; i < kPreferenceColorCount; ++i)
        preferences.colors[i] = pick(2) ? kPreferenceColors[i].factory : uint32_t(random());
    for (uint32_t &shortcut : preferences.shortcuts) shortcut = pick(2) ? 0 : 0xE000 + pick(0x100000 - 0xE000 + 0x10000);
    static const char *const kPieces[] = {"\"", "\\", "\xCE\xB1", "\xE2\x88\x9E", "-", "?", "'", "&", "<>", "x", "sin",
                                          "\t", "\x7F", "\xFF", "\xC3"};
    int32_t count = pick(3) == 0 ? kFactoryFunctionNameCount : int32_t(pick(8));
    if (count != kFactoryFunctionNameCount)
    {
        preferences.functionNames.SetElementCount(count);
        for (TextString &name : preferences.functionNames)
        {
            name = "";
            for (uint32_t n = pick(5); n > 0; --n) name.AppendText(kPieces[pick(std::size(kPieces))]);
        }
    }
    EditorState &state = settings->state;
    static const uint32_t kModes[] = {'math', 'chem', 'text'};
    state.editMode = kModes[pick(3)];
    ToolPanelState &panel = state.toolPanel;
    panel.lineTool = 2 + int32_t(pick(10));
    panel.shapeTool = 12 + int32_t(pick(9));
    panel.widthChoice = 38 + int32_t(pick(5));
    panel.dashChoice = 43 + int32_t(pick(3));
    panel.startDecorationChoice = 47 + int32_t(pick(6));
    panel.finishDecorationChoice = 53 + int32_t(pick(6));
    panel.startLengthChoice = 59 + int32_t(pick(3));
    panel.finishLengthChoice = 62 + int32_t(pick(3));
    panel.cornerRadiusChoice = 65 + int32_t(pick(3));
    panel.drawInForeground = pick(2) != 0;
    for (EditorColor *color : {&panel.equationColor, &panel.fillColor, &panel.strokeColor})
        *color = pick(2) ? EditorColor{int32_t(pick(16)), 0} : EditorColor{-1, uint32_t(random())};
    state.viewFlags = pick(32);
}

TEST(PreferencesTest, RandomSettingsRoundTripByteIdentically)
{
    std::mt19937 random(20261211);
    for (int round = 0; round < 300; ++round)
    {
        EditorSettings settings;
        Randomize(random, &settings);
        std::string text = Write(settings);
        EditorSettings read;
        ASSERT_EQ(Read(text, &read), 0U) << text;
        ASSERT_EQ(Write(read), text);
        // Everything written came back.
        const Preferences &a = settings.preferences;
        const Preferences &b = read.preferences;
        for (int32_t i = 0; i < kPreferenceOptionCount; ++i) ASSERT_EQ(a.options[i], b.options[i]) << i;
        ASSERT_EQ(a.insertCharacter, b.insertCharacter);
        ASSERT_EQ(std::vector<uint32_t>(a.colors, a.colors + kPreferenceColorCount),
                  std::vector<uint32_t>(b.colors, b.colors + kPreferenceColorCount));
        ASSERT_EQ(std::vector<uint32_t>(a.shortcuts, a.shortcuts + kShortcutCount),
                  std::vector<uint32_t>(b.shortcuts, b.shortcuts + kShortcutCount));
        ASSERT_EQ(Names(a.functionNames), Names(b.functionNames)) << text;
        if (a.options[kOptionRememberMode])
        {
            ASSERT_EQ(settings.state.editMode, read.state.editMode);
        }
        if (a.options[kOptionRememberToolState])
        {
            ASSERT_EQ(settings.state.toolPanel.cornerRadiusChoice, read.state.toolPanel.cornerRadiusChoice);
        }
        if (a.options[kOptionRememberViewState])
        {
            ASSERT_EQ(settings.state.viewFlags, read.state.viewFlags);
        }
    }
}

TEST(PreferencesTest, CopyAndDefaultsKeepOrResetTheShortcuts)
{
    Preferences edited;
    edited.options[kOptionAutoSubscripts] = true;
    edited.colors[kColorAligner] = 7;
    edited.shortcuts[5] = 0x2200;
    edited.functionNames.SetElementCount(2);
    edited.functionNames[0] = "erf";
    edited.functionNames[1] = "a longer name than local";

    Preferences copy;
    copy.CopyFrom(edited);
    EXPECT_TRUE(copy.options[kOptionAutoSubscripts]);
    EXPECT_EQ(copy.colors[kColorAligner], 7U);
    EXPECT_EQ(copy.shortcuts[5], 0x2200U);
    EXPECT_EQ(Names(copy.functionNames), (std::vector<std::string>{"erf", "a longer name than local"}));

    copy.SetDefaults(true);
    EXPECT_FALSE(copy.options[kOptionAutoSubscripts]);
    EXPECT_EQ(copy.colors[kColorAligner], kPreferenceColors[kColorAligner].factory);
    EXPECT_EQ(copy.shortcuts[5], 0x2200U);
    EXPECT_EQ(copy.functionNames.GetElementCount(), 2);

    copy.SetDefaults(false);
    EXPECT_EQ(copy.shortcuts[5], 0U);
    EXPECT_TRUE(copy.HasFactoryFunctionNames());
}

TEST(PreferencesTest, WithoutAFileTheListsHoldTheBuiltInAndFactoryNames)
{
    test::FolderEnvironment environment;
    EditorSettings settings;
    LoadPreferencesFile(&settings);
    const std::vector<std::string> expected[kFunctionNameListCount] = {
        {"ln", "Re", "Im", "tr"},
        {"sin", "cos", "tan", "csc", "sec", "cot", "exp", "log", "min", "max", "lim", "lim", "inf", "sup", "det", "adj",
         "arg", "gcd", "lcm", "hom", "ker", "mod", "sgn"},
        {"sinh", "cosh", "tanh", "csch", "sech", "coth", "sinc", "grad"},
        {},
        {"arcsin", "arccos", "arctan", "arsinh", "arcosh", "artanh"},
        {},
    };
    for (int32_t k = 0; k < kFunctionNameListCount; ++k) EXPECT_EQ(Names(settings.functionNameLists[k]), expected[k]) << k;

    // The factory selection colour: sRGB (137, 207, 255) as linear values, opaque.
    ColorRGBA highlight = SelectionHighlightColor();
    EXPECT_EQ(highlight.red, kSrgbByteToLinear[137]);
    EXPECT_EQ(highlight.green, kSrgbByteToLinear[207]);
    EXPECT_EQ(highlight.blue, kSrgbByteToLinear[255]);
    EXPECT_EQ(highlight.alpha, 1.0F);

    // Lengths are bytes: a 6-byte Greek name joins the 6-byte list, an 8-byte name no list.
    Preferences edited;
    edited.CopyFrom(settings.preferences);
    edited.functionNames.SetElementCount(3);
    edited.functionNames[0] = "\xCE\xB1\xCE\xB2\xCE\xB3";
    edited.functionNames[1] = "abcdefgh";
    edited.functionNames[2] = "x";
    edited.colors[kColorSelection] = 0x80FF0000;
    ASSERT_EQ(ApplyPreferences(&settings, edited), kFileOkay);
    EXPECT_EQ(Names(settings.functionNameLists[4]),
              (std::vector<std::string>{"arcsin", "arccos", "arctan", "arsinh", "arcosh", "artanh", "\xCE\xB1\xCE\xB2\xCE\xB3"}));
    EXPECT_EQ(Names(settings.functionNameLists[0]), (std::vector<std::string>{"ln", "Re", "Im"}));
    EXPECT_EQ(settings.functionNameLists[5].GetElementCount(), 0);
    highlight = SelectionHighlightColor();
    EXPECT_EQ(highlight.red, 0.0F);
    EXPECT_EQ(highlight.blue, 1.0F);
    EXPECT_EQ(highlight.alpha, 128.0F / 255.0F);

    // The 8-byte name stays in the preferences and in config.quist.
    EditorSettings loaded;
    LoadPreferencesFile(&loaded);
    EXPECT_EQ(Names(loaded.preferences.functionNames),
              (std::vector<std::string>{"\xCE\xB1\xCE\xB2\xCE\xB3", "abcdefgh", "x"}));
    EXPECT_EQ(loaded.preferences.colors[kColorSelection], 0x80FF0000U);
}

// Names read through escapes may be any bytes: only well-formed UTF-8 joins a list, so no name can
// match inside a character. The names themselves stay in the preferences.
TEST(PreferencesTest, NamesThatAreNotUtf8JoinNoList)
{
    const struct
    {
        const char *escaped;  // as config.quist writes the bytes
        bool listed;
    } cases[] = {
        {"\\xCE\\xB1\\xCE\\xB2", true},   // two Greek letters, 4 bytes
        {"\\xF0\\x9D\\x91\\xA5", true},   // one 4-byte letter
        {"\\x9D\\x91\\xA5", false},        // starts with continuation bytes
        {"ab\\xCE", false},                 // ends inside a character
        {"\\xC0\\xAFx", false},             // overlong form
        {"\\xED\\xA0\\x80", false},         // a surrogate
        {"\\xF4\\x90\\x80\\x80", false},  // above U+10FFFF
        {"a\\xFFb", false},
    };
    for (const auto &entry : cases)
    {
        EditorSettings settings;
        ASSERT_EQ(Read(std::string("C { Y {s{\"") + entry.escaped + "\"}} }", &settings), 0U) << entry.escaped;
        ASSERT_EQ(settings.preferences.functionNames.GetElementCount(), 1) << entry.escaped;
        const TextString &name = settings.preferences.functionNames[0];
        RebuildShortcutLists(&settings);
        const Array<TextString> &list = settings.functionNameLists[name.GetLength() - 2];
        std::vector<std::string> names = Names(list);
        bool listed = std::find(names.begin(), names.end(), std::string(name.GetText())) != names.end();
        EXPECT_EQ(listed, entry.listed) << entry.escaped;
    }
}

TEST(PreferencesTest, ApplyingSavesAtomicallyAndReportsAFailedSave)
{
    test::FolderEnvironment environment;
    EditorSettings settings;
    settings.preferencesChanged = true;
    settings.state.editMode = 'chem';
    Preferences edited;
    edited.options[kOptionRememberMode] = true;
    // A quote or backslash in a typed name no longer makes the whole file unreadable.
    edited.functionNames.SetElementCount(2);
    edited.functionNames[0] = "a\"b";
    edited.functionNames[1] = "c\\d";
    edited.shortcuts[1] = 0x222B;
    ASSERT_EQ(ApplyPreferences(&settings, edited), kFileOkay);
    EXPECT_FALSE(settings.preferencesChanged);
    EXPECT_TRUE(settings.layoutDue);
    std::string path = std::string(GetSettingsFolder()) + "config.quist";
    std::string saved = ReadWhole(path);
    EXPECT_NE(saved.find("s{\"a\\\"b\",\"c\\\\d\"}"), std::string::npos) << saved;

    EditorSettings loaded;
    LoadPreferencesFile(&loaded);
    EXPECT_EQ(loaded.state.editMode, 'chem');
    EXPECT_EQ(loaded.preferences.shortcuts[1], 0x222BU);
    EXPECT_EQ(Names(loaded.preferences.functionNames), (std::vector<std::string>{"a\"b", "c\\d"}));

    // A failed save leaves the old file whole, keeps the changed flag and still applies the edit.
    {
        test::FaultyFileCalls calls;
        calls.writeLimit = 20;
        settings.preferencesChanged = true;
        edited.shortcuts[1] = 0x2A;
        EXPECT_EQ(ApplyPreferences(&settings, edited), kFileDiskFull);
        EXPECT_TRUE(settings.preferencesChanged);
        EXPECT_EQ(settings.preferences.shortcuts[1], 0x2AU);
        EXPECT_EQ(ReadWhole(path), saved);
        EXPECT_EQ(SavePreferencesFile(settings), kFileDiskFull);
    }
    EXPECT_EQ(SavePreferencesFile(settings), kFileOkay);
    EXPECT_NE(ReadWhole(path), saved);
}

}  // namespace
}  // namespace oq
