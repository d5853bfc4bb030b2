// Function names: typed italic letters that end a standard name become an upright 'func' run.
#include "FunctionNameFixture.h"
#include "editor/fonts/Preferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq::test {
namespace {

using FunctionNamesTest = FunctionNameFixture;

// Typed in math mode with the built-in and factory names -> runs and steps.
struct NameCase
{
    const char *typed;
    const char *runs;
    const char *steps;
};

TEST_F(FunctionNamesTest, NamesTypedInMathMode)
{
    const NameCase cases[] = {
        // Every length of the built-in and factory lists.
        {"ln", "func/uprt\"ln\"", "2/2"},
        {"Im", "func/uprt\"Im\"", "2/2"},
        {"tr", "func/uprt\"tr\"", "2/2"},
        {"exp", "func/uprt\"exp\"", "2/2"},
        {"inf", "func/uprt\"inf\"", "2/2"},
        {"arcsin", "func/uprt\"arcsin\"", "2/2"},  // the 6-byte list comes before "sin"
        {"artanh", "math/ital\"ar\" func/uprt\"tanh\"", "3/3"},  // "tan" is taken first, "h" continues it
        // A recognition is a step, and so is the next character.
        {"sinh", "func/uprt\"sinh\"", "3/3"},
        {"sinc", "func/uprt\"sinc\"", "3/3"},
        {"sinx", "func/uprt\"sin\" math/ital\"x\"", "3/3"},
        {"sina", "func/uprt\"sin\" math/ital\"a\"", "3/3"},
        {"x2", "math/ital\"x\" nmbr/uprt\"2\"", "2/2"},
        {"xyz", "math/ital\"xyz\"", "1/1"},
        // What stands before a name is not looked at.
        {"xsin", "math/ital\"x\" func/uprt\"sin\"", "2/2"},
        {"sinsin", "func/uprt\"sin\" func/uprt\"sin\"", "4/4"},
        {"Sin", "math/ital\"Sin\"", "1/1"},
        // An italic letter of another alphabet ends no name.
        {"l\\u{1D45B}", "math/ital\"l<1D45B>\"", "1/1"},
    };
    for (const NameCase &entry : cases)
    {
        Restart();
        Type(entry.typed);
        EXPECT_EQ(DescribeRuns(editor), entry.runs) << entry.typed;
        EXPECT_EQ(DescribeSteps(editor), entry.steps) << entry.typed;
    }
}

TEST_F(FunctionNamesTest, UndoTakesTheRecognitionBackFirst)
{
    Type("sin");
    EXPECT_EQ(SketchDocument(editor), "row[ func\"sin‸\" ]");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"sin\"");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(DescribeRuns(editor), "");
}

TEST_F(FunctionNamesTest, TextModeAndLiteralTypingRecognizeNothing)
{
    editor->SetEditMode(kEditModeText);
    Type("sin");
    EXPECT_EQ(DescribeRuns(editor), "text/uprt\"sin\"");
    Restart();
    Type("sin", kTypeLiteral);
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"sin\"");
    // A run that is not italic 'math' is refused when asked directly.
    Restart();
    Type("sin", kTypeLiteral);
    SymbolRunNode *run = FindRun("sin");
    ASSERT_NE(run, nullptr);
    run->style = 'bold';
    EXPECT_FALSE(editor->RecognizeFunctionName(run, 3));
    run->style = 'ital';
    // Indexes outside the run are refused.
    EXPECT_FALSE(editor->RecognizeFunctionName(run, 4));
    EXPECT_FALSE(editor->RecognizeFunctionName(run, -1));
    EXPECT_FALSE(editor->RecognizeFunctionName(nullptr, 0));
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"sin\"");
}

TEST_F(FunctionNamesTest, NameInsideARunSplitsItAroundTheName)
{
    // "xlogy" typed literally, then recognition at the end of "log".
    Type("xlogy", kTypeLiteral);
    SymbolRunNode *run = FindRun("xlogy");
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(editor->RecognizeFunctionName(run, 4));
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"x\" func/uprt\"log\" math/ital\"y\"");
    EXPECT_EQ(SketchDocument(editor), "row[ math\"x\" func\"log‸\" math\"y\" ]");
    EXPECT_EQ(DescribeSteps(editor), "2/2");
}

TEST_F(FunctionNamesTest, UserNamesOfEveryLengthFromThePreferences)
{
    const std::vector<std::string> names = {"erfcx", "sigmoid", "arctanh", "Tr", "sn"};
    const NameCase cases[] = {
        {"erfcx", "func/uprt\"erfcx\"", "2/2"},
        {"sigmoid", "func/uprt\"sigmoid\"", "2/2"},
        {"arctanh", "func/uprt\"arctanh\"", "3/3"},  // "arctan" first, continued by "h"
        {"Tr", "func/uprt\"Tr\"", "2/2"},
        {"asn", "math/ital\"a\" func/uprt\"sn\"", "2/2"},
        {"sinh", "func/uprt\"sinh\"", "3/3"},  // the built-in names stay
        {"inf", "math/ital\"inf\"", "1/1"},    // the factory names went
    };
    for (const NameCase &entry : cases)
    {
        Restart();
        Preferences &preferences = editor->settings.preferences;
        preferences.functionNames.SetElementCount(int32_t(names.size()));
        for (size_t i = 0; i < names.size(); ++i) preferences.functionNames[int32_t(i)] = names[i].c_str();
        RebuildShortcutLists(&editor->settings);
        Type(entry.typed);
        EXPECT_EQ(DescribeRuns(editor), entry.runs) << entry.typed;
        EXPECT_EQ(DescribeSteps(editor), entry.steps) << entry.typed;
    }
}

// The character goes in at the caret: only the text as it will be stored may continue a name.
TEST_F(FunctionNamesTest, ContinuationTestsTheTextWithTheCharacterAtTheCaret)
{
    Type("cos");
    SymbolRunNode *run = FindRun("cos");
    ASSERT_NE(run, nullptr);
    EXPECT_TRUE(editor->ContinuesFunctionName(run, 3, 'h'));
    EXPECT_FALSE(editor->ContinuesFunctionName(run, 2, 'h'));  // "cohs"
    EXPECT_FALSE(editor->ContinuesFunctionName(run, 0, 'h'));  // "hcos"
    EXPECT_FALSE(editor->ContinuesFunctionName(run, 4, 'h'));
    EXPECT_FALSE(editor->ContinuesFunctionName(run, 3, 'a'));
    EXPECT_FALSE(editor->ContinuesFunctionName(run, 3, 0x110000));

    PutCaret("cos", 2);
    Type("h");
    EXPECT_EQ(DescribeRuns(editor), "func/uprt\"co\" math/ital\"h\" func/uprt\"s\"");

    // At the end of the run nothing changes.
    Restart();
    Type("cos");
    PutCaret("cos", 3);
    Type("h");
    EXPECT_EQ(DescribeRuns(editor), "func/uprt\"cosh\"");

    // A name formed by inserting inside the run continues it.
    Restart();
    Preferences &preferences = editor->settings.preferences;
    preferences.functionNames.SetElementCount(2);
    preferences.functionNames[0] = "ab";
    preferences.functionNames[1] = "axb";
    RebuildShortcutLists(&editor->settings);
    Type("ab");
    PutCaret("ab", 1);
    Type("x");
    EXPECT_EQ(DescribeRuns(editor), "func/uprt\"axb\"");
}

// A name that is not UTF-8 (given by escapes) could match inside a character and cut it.
TEST_F(FunctionNamesTest, NamesMatchOnlyAtCharacterBoundaries)
{
    // Italic x, then the 4-byte italic x: F0 9D 91 A5.
    const std::string typed = "x\\u{1D465}";
    const char *tail = "\x9D\x91\xA5";

    // From the preferences the name joins no list.
    ASSERT_EQ(ReadPreferencesText("C { Y {s{\"\\x9D\\x91\\xA5\"}} }", &editor->settings), 0U);
    ASSERT_EQ(editor->settings.preferences.functionNames.GetElementCount(), 1);
    RebuildShortcutLists(&editor->settings);
    Type(typed);
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"x<1D465>\"");

    // Put in a list directly, it still does not match inside the character.
    Restart();
    editor->settings.functionNameLists[1].AddElement(tail);
    Type(typed);
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"x<1D465>\"");

    // A well-formed name of 4-byte letters is taken.
    Restart();
    editor->settings.functionNameLists[2].AddElement("\xF0\x9D\x91\xA5");
    Type(typed);
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"x\" func/uprt\"<1D465>\"");
}

}  // namespace
}  // namespace oq::test
