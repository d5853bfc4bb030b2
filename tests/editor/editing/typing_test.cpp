// Typing characters: interpretation by mode and key, runs made, continued, split and merged.
#include "EditorFixture.h"
#include "TypingTestSupport.h"
#include "base/TextUtils.h"
#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/fonts/Preferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq::test {
namespace {

class TypingTest : public EditorFixture
{
protected:
    // Types the code points with the flags, the key set before each one when given.
    void TypeAll(const std::vector<uint32_t> &codePoints, uint32_t flags = 0, uint32_t key = 0)
    {
        for (uint32_t c : codePoints)
        {
            if (key != 0) editor->SetStyleKey(key);
            static_cast<void>(editor->TypeCharacter(c, flags));
            EXPECT_EQ(CheckEditorInvariants(editor), "") << std::hex << c;
        }
    }
};

std::vector<uint32_t> CodePoints(const std::string &utf8)
{
    std::vector<uint32_t> out;
    for (size_t at = 0; at < utf8.size();)
    {
        uint32_t c = 0;
        at += size_t(DecodeUtf8(utf8.c_str() + at, &c));
        out.push_back(c);
    }
    return out;
}

// One row per case: mode, style key (set before every character), auto subscripts, typed text,
// flags -> runs, sketch and steps.
struct TypingCase
{
    const char *mode;
    uint32_t key;
    bool autoSubscripts;
    const char *typed;
    uint32_t flags;
    const char *runs;
    const char *sketch;  // "" when the runs say enough
    const char *steps;
};

TEST_F(TypingTest, MathChemAndTextModeTable)
{
    const TypingCase cases[] = {
        // Math mode: letters italic, digits a run of their own, operators and relations mapped.
        {"math", 0, false, "x", 0, "math/ital\"x\"", "row[ math\"x‸\" ]", "1/1"},
        {"math", 0, false, "x2", 0, "math/ital\"x\" nmbr/uprt\"2\"", "", "2/2"},
        {"math", 0, false, "xy", 0, "math/ital\"xy\"", "", "1/1"},
        {"math", 0, false, "a-b", 0, "math/ital\"a\" oper/sym1\"<2212>\" math/ital\"b\"", "", "3/3"},
        {"math", 0, false, "a|b", 0, "math/ital\"a\" rltn/sym1\"<2223>\" math/ital\"b\"", "", "3/3"},
        {"math", 0, false, "a~", 0, "math/ital\"a\" oper/sym1\"<223C>\"", "", "2/2"},
        {"math", 0, false, "a b", 0, "math/ital\"ab\"", "", "1/1"},
        {"math", 0, false, " ", 0, "", "row[‸ ]", "0/0"},
        {"math", 0, false, "a,\xE2\x86\x92", 0, "math/ital\"a\" pnct/uprt\",\" arrw/sym1\"<2192>\"", "", "3/3"},
        {"math", 0, false, "\xCE\xB1\xCE\x91", 0, "math/itgk\"<03B1>\" math/grek\"<0391>\"", "", "2/2"},
        {"math", 0, false, "\xF0\x9D\x91\xA5\xF0\x9D\x9F\x9C", 0, "math/ital\"<1D465>\" nmbr/doub\"<1D7DC>\"", "",
         "2/2"},
        {"math", 0, false, "\xE2\x80\x96\\", 0, "math/sym1\"<2016>\" unry/uprt\"\\\"", "", "2/2"},
        // Keys: styled letters and digits, the Greek key with its quirks.
        {"math", 'frkt', false, "Cc", 0, "math/frkt\"<212D><1D520>\"", "", "1/1"},
        {"math", 'grek', false, "aJjFV", 0,
         "math/itgk\"<03B1>\" math/ital\"J\" math/itgk\"<03C6>\" math/grek\"<03A6><03F4>\"", "", "4/4"},
        {"math", 'doub', false, "7", 0, "nmbr/doub\"<1D7DF>\"", "", "1/1"},
        {"math", 'ital', false, "7", 0, "nmbr/ital\"7\"", "", "1/1"},
        {"math", 'grek', false, "7", 0, "nmbr/uprt\"7\"", "", "1/1"},
        {"math", 'grek', false, "-=", 0, "bond/sym1\"<EE30>\" bond/sym1\"<EE31>\"", "", "2/2"},
        {"math", 'bold', false, "\xC4\xB1", 0, "math/bold\"<0131>\"", "", "1/1"},
        {"math", 0, false, "\xC4\xB1", 0, "math/ital\"<0131>\"", "", "1/1"},
        // Literal and palette characters.
        {"math", 0, false, "ab", kTypeLiteral, "math/ital\"ab\"", "", "1/1"},
        {"math", 0, false, "\xCE\xB1", kTypePalette, "math/itgk\"<03B1>\"", "", "1/1"},
        // Control characters: typed from the keyboard they do nothing; pasted, the commands run.
        {"math", 0, false, "a\nb", 0, "math/ital\"ab\"", "", "1/1"},
        {"math", 0, false, "a\x7F\xC2\xAD", kTypePasted, "math/ital\"a\"", "", "1/1"},
        // Chem mode: upright letters of role 'chem'; with auto subscripts the digits go low.
        {"chem", 0, false, "H2O", 0, "chem/uprt\"H\" nmbr/uprt\"2\" chem/uprt\"O\"", "", "3/3"},
        {"chem", 0, true, "H2O", 0, "chem/uprt\"H\" nmbr/uprt\"2\" chem/uprt\"O\"",
         "row[ chem\"H\" scpt{[ nmbr\"2\" ]} chem\"O‸\" ]", "3/3"},
        {"chem", 0, true, "H2O", kTypeLiteral, "chem/uprt\"H\" nmbr/uprt\"2\" chem/uprt\"O\"",
         "row[ chem\"H\" nmbr\"2\" chem\"O‸\" ]", "3/3"},
        {"chem", 0, true, "H12", 0, "chem/uprt\"H\" nmbr/uprt\"12\"", "row[ chem\"H\" scpt{[ nmbr\"12‸\" ]} ]", "2/2"},
        {"chem", 0, false, "x ", 0, "chem/uprt\"x\"", "", "1/1"},
        // Text mode: spaces typed, combining marks join, Greek key punctuation.
        {"text", 0, false, "a b", 0, "text/uprt\"a b\"", "", "1/1"},
        {"text", 0, false, "e\xCC\x81", 0, "text/uprt\"e<0301>\"", "", "1/1"},
        {"text", 'grek', false, "a!", 0, "text/itgk\"<03B1>\" text/uprt\"<00AC>\"", "", "2/2"},
        {"text", 'sans', false, "5", 0, "text/sans\"<1D7E7>\"", "", "1/1"},
    };
    for (const TypingCase &c : cases)
    {
        ResetTheEditor();
        editor = TheEditor;
        editor->settings.state.editMode = c.mode == std::string("chem")   ? kEditModeChem
                                          : c.mode == std::string("text") ? kEditModeText
                                                                          : kEditModeMath;
        editor->settings.preferences.options[kOptionAutoSubscripts] = c.autoSubscripts;
        TypeAll(CodePoints(c.typed), c.flags, c.key);
        EXPECT_EQ(DescribeRuns(editor), c.runs) << c.mode << " " << c.typed;
        if (*c.sketch != 0)
        {
            EXPECT_EQ(SketchDocument(editor), c.sketch) << c.mode << " " << c.typed;
        }
        EXPECT_EQ(DescribeSteps(editor), c.steps) << c.mode << " " << c.typed;
    }
}

TEST_F(TypingTest, CombiningMarkJoinsAcrossColoursInTextModeOnly)
{
    editor->settings.state.editMode = kEditModeText;
    TypeAll({'e'});
    editor->settings.state.toolPanel.equationColor = {3, 0};
    TypeAll({0x0301, 'f'});
    EXPECT_EQ(DescribeRuns(editor), "text/uprt\"e<0301>\" text/uprt\"f\"");
}

TEST_F(TypingTest, AnotherColourSplitsTheRunAndKeepsEveryFlagOnBothHalves)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr\n{\n\tBg {}\n\tSb (sc, of, ns) {s{\"abcd\"}}\n}\n", 0, 0));
    auto *run = static_cast<SymbolRunNode *>(editor->document.GetMainGroup()->GetFirstMathSubnode()->GetNextMathNode());
    editor->document.selection.start = {run, 2};
    editor->document.selection.end = editor->document.selection.start;
    editor->settings.state.toolPanel.equationColor = {5, 0};
    TypeAll({'x'});
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"ab\"+114 math/ital\"x\" math/ital\"cd\"+114");
    EXPECT_EQ(SketchDocument(editor), "row[ math\"ab\" math\"x‸\" math\"cd\" ]");
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"abcd\"+114");
}

TEST_F(TypingTest, TypingOverARangeReplacesItInOneStep)
{
    TypeAll(CodePoints("abcd"));
    auto *run = editor->document.selection.start.node;
    editor->document.selection.start = CaretPosition{run, 1};
    editor->document.selection.end = CaretPosition{run, 3};
    TypeAll({'x'});
    EXPECT_EQ(SketchDocument(editor), "row[ math\"ax‸d\" ]");
    EXPECT_EQ(DescribeSteps(editor), "2/2");
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(SketchDocument(editor), "row[ math\"a⟦bc⟧d\" ]");
}

TEST_F(TypingTest, NewRunAfterARunWithDecorations)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr\n{\n\tBg {}\n\tSb {s{\"a\"} Mk {u32{0x302}}}\n}\n", 0, 0));
    MathNode *run = editor->document.GetMainGroup()->GetLastMathSubnode();
    editor->document.selection.start = CaretPosition{run, 1};
    editor->document.selection.end = editor->document.selection.start;
    TypeAll({'b'});
    EXPECT_EQ(DescribeRuns(editor), "math/ital\"a\" math/ital\"b\"");
}

TEST_F(TypingTest, CodePointsWithoutUtf8FormTypeNothing)
{
    TypeAll({'a'});
    std::string before = DumpState(editor);
    for (uint32_t c : {0x110000U, 0xD800U, 0xDFFFU, 0xFFFFFFFFU})
    {
        editor->pendingRole = 'func';
        editor->SetStyleKey('bold');
        EXPECT_FALSE(editor->TypeCharacter(c, 0));
        EXPECT_FALSE(editor->TypeCharacter(c, kTypeLiteral | kTypePasted));
        EXPECT_EQ(DumpState(editor), before) << std::hex << c;
        EXPECT_EQ(editor->pendingRole, 0U);
        EXPECT_EQ(editor->styleKey, 0U);
    }
}

TEST_F(TypingTest, PendingRoleTakesTheNextCharacterOnly)
{
    editor->pendingRole = 'func';
    TypeAll({'s', 'x'});
    EXPECT_EQ(DescribeRuns(editor), "func/ital\"s\" math/ital\"x\"");
}

TEST_F(TypingTest, ObjectsSelectedIgnoreKeyboardButNotPalette)
{
    ASSERT_TRUE(InsertTestDrawing(editor));
    ASSERT_TRUE(SelectTestDrawings(editor));
    std::string before = DumpState(editor);
    EXPECT_FALSE(editor->TypeCharacter('x', 0));
    EXPECT_EQ(DumpState(editor), before);
    EXPECT_TRUE(editor->TypeCharacter('x', kTypePalette));
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0);
}

TEST_F(TypingTest, MergingTwoAndFourByteTextKeepsBothEndsOnTheSameCharacters)
{
    // Three runs, the middle one of another role, then the middle one deleted: the halves merge.
    TypeAll(CodePoints("\xCE\xB1\xF0\x9D\x91\xA5"));  // itgk α, then ital 𝑥 (a run of its own style)
    TypeAll({'2'});
    TypeAll(CodePoints("\xCE\xB2\xCE\xB3"));
    EXPECT_EQ(DescribeRuns(editor), "math/itgk\"<03B1>\" math/ital\"<1D465>\" nmbr/uprt\"2\" math/itgk\"<03B2><03B3>\"");
    // Select across the last run's two characters: γ only.
    MathNode *last = editor->document.GetMainGroup()->GetLastMathSubnode();
    editor->document.selection.start = {last, 2};
    editor->document.selection.end = {last, 4};
    GroupNode *group = editor->document.GetMainGroup();
    // The 𝑥 and 2 runs go; α and βγ merge with the selection moved along.
    MathNode *x = group->GetFirstMathSubnode()->GetNextMathNode()->GetNextMathNode();
    MathNode *two = x->GetNextMathNode();
    editor->BeginEditBatch();
    delete x;
    delete two;
    editor->MergeAdjacentRuns(nullptr, false);
    editor->EndEditBatch();
    EXPECT_EQ(DescribeRuns(editor), "math/itgk\"<03B1><03B2><03B3>\"");
    EXPECT_EQ(SketchDocument(editor), "row[ math:itgk\"αβ⟦γ⟧\" ]");
    EXPECT_EQ(editor->document.selection.start.index, 4);
    EXPECT_EQ(editor->document.selection.end.index, 6);
}

TEST_F(TypingTest, AutoSubscriptsInsideAPhantom)
{
    // The run's parent is a phantom, not a group: the subscript checks look at its kind first.
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Ph { Bg {} Sb $B (ro='chem',st='uprt') {s{\"H\"}} } }", 1, 1));
    editor->settings.state.editMode = kEditModeChem;
    editor->settings.preferences.options[kOptionAutoSubscripts] = true;
    TypeAll(CodePoints("2O"), 0, 0);
    EXPECT_EQ(SketchDocument(editor), "row[ Ph{[ chem\"H\" scpt{[ nmbr\"2\" ]} chem\"O\u2038\" ]} ]");
}

}  // namespace
}  // namespace oq::test
