// Backslash commands: a backslash, a command name and a space (or a second backslash) become the
// named character, or the structure it makes.
#include "FunctionNameFixture.h"
#include "editor/document/CodePointText.h"
#include "editor/editing/BackslashCommands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace oq::test {
namespace {

using BackslashCommandsTest = FunctionNameFixture;

TEST(BackslashCommandTableTest, OneTableTheLatexWriterSharesAndNameLookupByFirstMatch)
{
    ASSERT_EQ(kBackslashCommandCount, 653);
    ASSERT_EQ(kSortedBackslashCommandCount, 457);
    for (int32_t i = 0; i < kBackslashCommandCount; ++i)
    {
        const BackslashCommand &entry = BackslashCommandTable[i];
        size_t length = strnlen(entry.name, sizeof entry.name);
        ASSERT_GT(length, 0U) << i;
        ASSERT_LE(length, 20U) << i;
        if (i > 0 && i < kSortedBackslashCommandCount)
        {
            EXPECT_GT(entry.codePoint, BackslashCommandTable[i - 1].codePoint) << entry.name;
        }
        // Bisection finds every sorted entry; lookup by name finds the first entry of the name.
        if (i < kSortedBackslashCommandCount)
        {
            EXPECT_STREQ(FindLatexCommandName(entry.codePoint), entry.name);
        }
        const BackslashCommand *found = FindBackslashCommand(entry.name, int32_t(length));
        ASSERT_NE(found, nullptr) << entry.name;
        EXPECT_LE(found, &entry) << entry.name;
        EXPECT_STREQ(found->name, entry.name);
    }
    EXPECT_STREQ(BackslashCommandTable[457].name, "#");
    EXPECT_STREQ(BackslashCommandTable[652].name, "Orcus");

    const struct
    {
        std::string name;
        uint32_t codePoint;  // 0: no entry
    } cases[] = {
        {"alpha", 0x03B1},
        {"infty", 0x221E},
        {"to", 0x2192},
        {"rightarrow", 0x2192},
        {"ne", 0x2260},
        {"neq", 0x2260},
        {"|", 0x2016},  // twice in the table: the first one wins
        {"\\", 0x005C},
        {",", 0x2006},
        {"quad", 0x2001},
        {"qquad", 0xEE50},
        {"Orcus", 0x1F77F},
        {"alph", 0},
        {"alphax", 0},
        {std::string("alpha\0", 6), 0},
        {"Alpha ", 0},
        {"", 0},
        {"longleftsquigarrowxxxxxxxxx", 0},  // 27 bytes
    };
    for (const auto &entry : cases)
    {
        const BackslashCommand *found = FindBackslashCommand(entry.name.data(), int32_t(entry.name.size()));
        EXPECT_EQ(found != nullptr ? found->codePoint : 0U, entry.codePoint) << entry.name;
    }

    // A long candidate on the heap, without a NUL: nothing matches and nothing past it is read.
    std::vector<char> candidate(100, 'a');
    EXPECT_EQ(FindBackslashCommand(candidate.data(), 100), nullptr);
    std::memcpy(candidate.data(), "longleftsquigarrow", 18);
    EXPECT_EQ(FindBackslashCommand(candidate.data(), 100), nullptr);
    EXPECT_EQ(FindBackslashCommand(candidate.data(), 18)->codePoint, 0x2B33U);
    EXPECT_EQ(FindBackslashCommand(nullptr, 5), nullptr);
    EXPECT_EQ(FindBackslashCommand(candidate.data(), -1), nullptr);
}

// Typed in math mode -> sketch and steps.
struct CommandCase
{
    const char *typed;
    const char *sketch;
    const char *steps;
};

TEST_F(BackslashCommandsTest, CommandsTypedInMathMode)
{
    const CommandCase cases[] = {
        {"\\\\alpha ", "row[ math:itgk\"α‸\" ]", "3/3"},
        {"\\\\alpha\\\\beta ", "row[ math:itgk\"αβ‸\" ]", "6/6"},
        // An unknown name changes nothing and the space is dropped.
        {"\\\\alphx ", "row[ unry:uprt\"\\\" math\"alphx‸\" ]", "2/2"},
        {"\\\\alphx\\\\", "row[ unry:uprt\"\\\" math\"alphx\" unry:uprt\"\\‸\" ]", "3/3"},
        // Letters that make function names stay letters inside a command.
        {"\\\\infty ", "row[ math:uprt\"∞‸\" ]", "3/3"},
        {"\\\\sinh", "row[ unry:uprt\"\\\" math\"sinh‸\" ]", "2/2"},
        {"x\\\\to ", "row[ math\"x\" arrw\"→‸\" ]", "4/4"},
        // A space without a backslash run before the caret's run does nothing.
        {"alpha ", "row[ math\"alpha‸\" ]", "1/1"},
    };
    for (const CommandCase &entry : cases)
    {
        Restart();
        Type(entry.typed);
        EXPECT_EQ(SketchDocument(editor), entry.sketch) << entry.typed;
        EXPECT_EQ(DescribeSteps(editor), entry.steps) << entry.typed;
    }
}

TEST_F(BackslashCommandsTest, StructuresSpacesAndUndo)
{
    // A sum makes an iteration in one step; Undo gives the typed command back.
    Type("\\\\sum");
    std::string typed = DocumentText(editor);
    Type(" ");
    EXPECT_EQ(DescribeSteps(editor), "3/3");
    EXPECT_NE(DocumentText(editor).find("\n\tIt\n"), std::string::npos) << DocumentText(editor);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(DocumentText(editor), typed);
    EXPECT_EQ(DescribeSteps(editor), "2/3");
    ASSERT_TRUE(editor->Redo());

    const struct
    {
        const char *typed;
        const char *found;  // in the document text
    } cases[] = {
        {"\\\\quad ", "\tSp (s=18.0) {}"},
        {"\\\\qquad ", "\tSp (s=36.0) {}"},
        {"\\\\, ", "\tSp (s=3.0) {}"},
        {"\\\\> ", "\tSp (s=4.0) {}"},
        {"\\\\; ", "\tSp (s=5.0) {}"},
        {"\\\\! ", "\tSp (s=-3.0) {}"},
        {"\\\\frac ", "\tFr (sm)\n"},
        {"\\\\cbrt ", "Sb (ro='nmbr') {s{\"3\"}}"},  // a radical with its degree
    };
    for (const auto &entry : cases)
    {
        Restart();
        Type(entry.typed);
        EXPECT_EQ(DescribeSteps(editor), "3/3") << entry.typed;
        EXPECT_NE(DocumentText(editor).find(entry.found), std::string::npos) << DocumentText(editor);
    }
}

TEST_F(BackslashCommandsTest, CaretMovedInsideTheNameTakesTheNameUpToTheCaret)
{
    Type("\\\\pix");
    PutCaret("pix", 2);
    Type(" ");
    EXPECT_EQ(DescribeRuns(editor), "math/itgk\"<03C0>\" math/ital\"x\"");
    EXPECT_EQ(SketchDocument(editor), "row[ math:itgk\"π‸\" math\"x\" ]");

    // Direct calls: no backslash run, an index outside the run, no run.
    Restart();
    Type("\\\\pi");
    SymbolRunNode *run = FindRun("pi");
    ASSERT_NE(run, nullptr);
    EXPECT_FALSE(editor->RunBackslashCommand(run, 1));  // "p"
    EXPECT_FALSE(editor->RunBackslashCommand(nullptr, 0));
    EXPECT_FALSE(editor->RunBackslashCommand(FindRun("\\"), 1));
    EXPECT_TRUE(editor->RunBackslashCommand(run, 99));  // the whole run
    EXPECT_EQ(DescribeRuns(editor), "math/itgk\"<03C0>\"");
}

// Every letter-only name typed as backslash, name and space gives the document typing its code
// point gives, with the factory names in the lists.
TEST_F(BackslashCommandsTest, EveryLetterNameTypesItsCodePoint)
{
    int32_t checked = 0;
    for (int32_t i = 0; i < kBackslashCommandCount; ++i)
    {
        const BackslashCommand &entry = BackslashCommandTable[i];
        std::string name = entry.name;
        bool letters = true;
        for (char c : name) letters = letters && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
        if (!letters || FindBackslashCommand(name.data(), int32_t(name.size())) != &entry) continue;
        Restart();
        static_cast<void>(editor->TypeCharacter(entry.codePoint, 0));
        std::string expected = DocumentText(editor);
        Restart();
        Type("\\\\" + name + " ");
        ASSERT_EQ(DocumentText(editor), expected) << name;
        ++checked;
    }
    EXPECT_GT(checked, 550);
}

}  // namespace
}  // namespace oq::test
