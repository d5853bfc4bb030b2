// Structure insertion: each command on small fixtures, the command ids, the typed characters that
// make structures, rows moved out of a top-level group, and the nesting guard.
#include "EditorFixture.h"
#include "NestingChain.h"
#include "RowDrawingsFixture.h"

#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/structures/BondNode.h"
#include "kettric/KettricStructure.h"
#include "editor/structures/ScriptNode.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace oq::test {
namespace {

using Command = std::function<bool(Editor &)>;

// One command on one fixture: the row's Kettric content ($B and $E name the selection ends with
// their indexes), the command, the sketch afterwards and a line the document text then holds.
struct InsertionCase
{
    const char *name;
    const char *row;
    int32_t start;
    int32_t end;
    Command command;
    const char *after;
    const char *text = nullptr;
};

// The document text on one line, tabs dropped.
std::string CompactText(Editor *editor)
{
    std::string out;
    for (char c : DocumentText(editor))
    {
        if (c == '\n')
            out += ' ';
        else if (c != '\t')
            out += c;
    }
    return out;
}

// The dump without its step counts (a restore moves the current step).
std::string WithoutSteps(const std::string &dump) { return dump.substr(0, dump.rfind("steps")); }

// One step was pushed and the editor is sound; Undo gives the state before back (step counts
// aside) and Redo the state after.
void ExpectOneUndoableStep(Editor *editor, const std::string &before)
{
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    EXPECT_EQ(CheckEditorInvariants(editor), "");
    std::string after = DumpState(editor);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(WithoutSteps(DumpState(editor)), WithoutSteps(before));
    ASSERT_TRUE(editor->Redo());
    EXPECT_EQ(DumpState(editor), after);
}

class StructureInsertionTest : public EditorFixture
{
protected:
    void LoadRow(const std::string &row, int32_t start, int32_t end)
    {
        std::string text = "Gr\n{\n\tBg {}\n\t" + row + "\n}\n";
        ASSERT_TRUE(LoadTestDocument(editor, text.c_str(), start, end)) << text;
    }

    // Each command changes the document as one step to the sketch given; Undo restores the dump and
    // Redo the state after.
    void ExpectCases(const std::vector<InsertionCase> &cases)
    {
        for (const InsertionCase &c : cases)
        {
            SCOPED_TRACE(c.name);
            ResetTheEditor();
            editor = TheEditor;
            LoadRow(c.row, c.start, c.end);
            std::string before = DumpState(editor);
            EXPECT_TRUE(c.command(*editor));
            EXPECT_EQ(SketchDocument(editor), c.after);
            if (c.text != nullptr)
            {
                EXPECT_NE(DocumentText(editor).find(c.text), std::string::npos) << DocumentText(editor);
            }
            ExpectOneUndoableStep(editor, before);
        }
    }

    // The command refuses: no step, the dump unchanged.
    void ExpectRefused(const char *row, int32_t start, int32_t end, const Command &command)
    {
        ResetTheEditor();
        editor = TheEditor;
        LoadRow(row, start, end);
        std::string before = DumpState(editor);
        EXPECT_FALSE(command(*editor));
        EXPECT_EQ(DumpState(editor), before);
        EXPECT_EQ(DescribeSteps(editor), "0/0");
    }
};

// The fixtures: a run with the caret at its middle, end or start, "x+1" selected, and a range
// inside one run.
constexpr const char *kRun = "Sb $B {s{\"abc\"}}";
constexpr const char *kSum = "Sb $B {s{\"x\"}} Sb (ro='oper') {s{\"+\"}} Sb $E (ro='nmbr') {s{\"1\"}}";
constexpr const char *kLong = "Sb $B {s{\"abcd\"}}";

// Typing a structure-making character.
Command Typed(uint32_t codePoint, uint32_t flags = 0)
{
    return [=](Editor &e) { return e.TypeCharacter(codePoint, flags); };
}

TEST_F(StructureInsertionTest, Fractions)
{
    Command vertical = [](Editor &e) { return e.InsertFraction('vert', false, false); };
    ExpectCases({
        {"caret mid-run", kRun, 1, 1, vertical, "row[ math\"a\" frac{[‸ ] / [ ]} math\"bc\" ]"},
        {"caret at end", kRun, 3, 3, vertical, "row[ math\"abc\" frac{[‸ ] / [ ]} ]"},
        {"caret at start", kRun, 0, 0, vertical, "row[ frac{[‸ ] / [ ]} math\"abc\" ]"},
        {"x+1 selected", kSum, 0, 1, vertical, "row[ frac{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ] / [ ]} ]"},
        {"inside one run", kLong, 1, 3, vertical, "row[ math\"a\" frac{[⟦ math\"bc⟧\" ] / [ ]} math\"d\" ]"},
        {"typed U+2015", kRun, 3, 3, Typed(0x2015), "row[ math\"abc\" frac{[‸ ] / [ ]} ]", "Fr (sm)\n"},
        {"typed U+2044", kRun, 3, 3, Typed(0x2044), "row[ math\"abc\" frac{[‸ ] / [ ]} ]", "Fr (t='diag')\n"},
        {"typed U+2215", kSum, 0, 1, Typed(0x2215), "row[ frac{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ] / [ ]} ]", "Fr (t='horz')\n"},
    });
}

TEST_F(StructureInsertionTest, Scripts)
{
    const char *onlySuperscript = "Sb {s{\"x\"}} Sc $B { Gr (t='sups') { Bg {} Sb {s{\"2\"}} } }";
    const char *preOnlySuperscript = "Sb $B {s{\"x\"}} Sc (pr,ns) { Gr (t='sups') { Bg {} Sb {s{\"2\"}} } }";
    const char *preOnlySubscript = "Sb {s{\"x\"}} Sc $B (pr,ns) { Gr (t='subs') { Bg {} Sb {s{\"2\"}} } }";
    ExpectCases({
        {"subscript mid-run", kRun, 1, 1, [](Editor &e) { return e.InsertSubscript(false, false); }, "row[ math\"a\" scpt{[‸ ]} math\"bc\" ]"},
        {"superscript over x+1", kSum, 0, 1, [](Editor &e) { return e.InsertSuperscript(false, false); }, "row[ scpt{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ]} ]"},
        {"_ completes a superscript-only node", onlySuperscript, 0, 0, Typed('_'), "row[ math\"x\" scpt{[ math\"2\" ] / [‸ ]} ]"},
        {"always new", onlySuperscript, 0, 0, [](Editor &e) { return e.InsertSubscript(false, true); }, "row[ math\"x\" scpt{[ math\"2\" ]} scpt{[‸ ]} ]"},
        {"pre-superscript over x+1", kSum, 0, 1, [](Editor &e) { return e.InsertSuperscript(true, false); }, "row[ scpt{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ]} ]"},
        {"pre-subscript completes the next node", preOnlySuperscript, 1, 1,
         [](Editor &e) { return e.InsertSubscript(true, false); }, "row[ math\"x\" scpt{[ math\"2\" ] / [‸ ]} ]"},
        {"superscript completes a pre-scripts node", preOnlySubscript, 0, 0, Typed('^'), "row[ math\"x\" scpt{[ math\"2\" ] / [‸ ]} ]"},
    });
}

TEST_F(StructureInsertionTest, RadicalsAndLongDivisions)
{
    ExpectCases({
        {"radical over x+1", kSum, 0, 1, [](Editor &e) { return e.InsertRadical(false, nullptr); }, "row[ rdcl{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ]} ]"},
        {"empty degree", kRun, 3, 3, [](Editor &e) { return e.InsertRadical(true, nullptr); }, "row[ math\"abc\" rdcl{[ ] / [‸ ]} ]"},
        {"typed U+221A", kRun, 1, 1, Typed(0x221A), "row[ math\"a\" rdcl{[‸ ]} math\"bc\" ]"},
        {"typed U+221B", kRun, 3, 3, Typed(0x221B), "row[ math\"abc\" rdcl{[‸ ] / [ nmbr\"3\" ]} ]", "Sb (ro='nmbr') {s{\"3\"}}"},
        {"typed U+221C over x+1", kSum, 0, 1, Typed(0x221C), "row[ rdcl{[‸ math\"x\" oper\"+\" nmbr\"1\" ] / [ nmbr\"4\" ]} ]", "Sb (ro='nmbr') {s{\"4\"}}"},
        {"long division", kSum, 0, 1, [](Editor &e) { return e.InsertLongDivision(false); }, "row[ divs{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ]} ]"},
        {"with quotient", kRun, 1, 1, [](Editor &e) { return e.InsertLongDivision(true); }, "row[ math\"a\" divs{[‸ ] / [ ]} math\"bc\" ]"},
        {"typed U+27CC", kRun, 3, 3, Typed(0x27CC), "row[ math\"abc\" divs{[‸ ]} ]"},
    });
}

TEST_F(StructureInsertionTest, WideMarksStacksStrikesAndBoxes)
{
    ExpectCases({
        {"typed U+23DE", kSum, 0, 1, Typed(0x23DE), "row[ wide{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ] / [ ]} ]", "Wm (t='brac')\n"},
        {"typed U+23DF", kRun, 3, 3, Typed(0x23DF), "row[ math\"abc\" wide{[‸ ] / [ ]} ]", "Wm (t='brac',un)\n"},
        {"typed U+23DE literally", kRun, 3, 3, Typed(0x23DE, kTypeLiteral), "row[ math\"abc\" wide{[‸ ]} ]", "Wm (t='brac')\n"},
        {"typed U+23B5", kRun, 3, 3, Typed(0x23B5), "row[ math\"abc\" wide{[‸ ]} ]", "Wm (t='brck',un)\n"},
        {"typed U+23DC", kRun, 3, 3, Typed(0x23DC), "row[ math\"abc\" wide{[‸ ]} ]", "Wm (t='frwn')\n"},
        {"typed U+23DD", kRun, 3, 3, Typed(0x23DD), "row[ math\"abc\" wide{[‸ ]} ]", "Wm (t='smil',un)\n"},
        {"typed U+23E1", kRun, 3, 3, Typed(0x23E1), "row[ math\"abc\" wide{[‸ ]} ]", "Wm (t='shel',un)\n"},
        {"stack with lower", kSum, 0, 1, [](Editor &e) { return e.InsertStack(true, false); }, "row[ stck{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ] / [ ]} ]"},
        {"stack with upper", kRun, 1, 1, [](Editor &e) { return e.InsertStack(false, true); }, "row[ math\"a\" stck{[‸ ] / [ ]} math\"bc\" ]"},
        {"stack without labels", kLong, 1, 3, [](Editor &e) { return e.InsertStack(false, false); }, "row[ math\"a\" stck{[⟦ math\"bc⟧\" ]} math\"d\" ]", "Gr (ba='mddl')"},
        {"strike", kSum, 0, 1, [](Editor &e) { return e.InsertStrike('exxx'); }, "row[ strk{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ]} ]", "Kt (t='exxx')"},
        {"box", kRun, 1, 1, [](Editor &e) { return e.InsertBox('uplf'); }, "row[ math\"a\" boxx{[‸ ]} math\"bc\" ]", "Bx (t='uplf')"},
    });
}

TEST_F(StructureInsertionTest, StackRefusedOnItsOwnWholeBase)
{
    const char *stack = "St { Gr (ba='mddl') { Bg $B {} Sb $E {s{\"ab\"}} } }";
    auto neither = [](Editor &e) { return e.InsertStack(false, false); };
    ExpectRefused(stack, 0, 2, neither);
    // Only part of the base, or a label asked for, makes a new stack.
    ExpectCases({
        {"part of the base", stack, 0, 1, neither, "row[ stck{[ stck{[⟦ math\"a⟧\" ]} math\"b\" ]} ]"},
        {"with a label", stack, 0, 2, [](Editor &e) { return e.InsertStack(true, false); }, "row[ stck{[ stck{[⟦ math\"ab⟧\" ] / [ ]} ]} ]"},
    });
}

TEST_F(StructureInsertionTest, IterationsAndIntegrals)
{
    ExpectCases({
        {"typed U+2211", kSum, 0, 1, Typed(0x2211), "row[ iter{[ math\"x\" oper\"+\" nmbr\"1\" ] / [‸ ] / [ ]} ]", "\tIt\n"},
        {"typed U+2211 literally", kRun, 3, 3, Typed(0x2211, kTypeLiteral), "row[ math\"abc\" iter{[‸ ]} ]"},
        {"upper limit only", kRun, 3, 3, [](Editor &e) { return e.InsertIteration(0x220F, true, false, true); }, "row[ math\"abc\" iter{[ ] / [‸ ]} ]", "It (il)"},
        {"typed U+222B", kRun, 3, 3, Typed(0x222B), "row[ math\"abc\" intg{[ ] / [‸ ] / [ ]} ]", "\tIn\n"},
        {"typed U+222C", kSum, 0, 1, Typed(0x222C), "row[ intg{[ math\"x\" oper\"+\" nmbr\"1\" ] / [‸ ]} ]", "In (il)"},
        {"typed U+222B literally", kRun, 3, 3, Typed(0x222B, kTypeLiteral), "row[ math\"abc\" intg{[‸ ]} ]"},
    });
}

TEST_F(StructureInsertionTest, GrowableIntegralsFollowThePreference)
{
    LoadRow(kRun, 3, 3);
    editor->settings.preferences.options[kOptionGrowableIntegrals] = true;
    ASSERT_TRUE(editor->InsertIntegral(0x222B, false, false, false));
    EXPECT_NE(DocumentText(editor).find("In (gr)"), std::string::npos) << DocumentText(editor);
}

TEST_F(StructureInsertionTest, ArrowsAndBonds)
{
    static const uint32_t kinds[] = {'long', 'cent'};
    static const uint8_t rightCounts[] = {1, 0};
    static const uint8_t leftCounts[] = {0, 1};
    static const uint32_t rightItems[] = {'ruhp'};
    static const uint32_t leftItems[] = {'ldhp'};
    ArrowPartLists harpoons;
    harpoons.count = 2;
    harpoons.kinds = kinds;
    harpoons.leftCounts = leftCounts;
    harpoons.rightCounts = rightCounts;
    harpoons.leftItems = leftItems;
    harpoons.rightItems = rightItems;
    static const uint32_t styles[kBondPlaceCount] = {0, 'sing', 0, 0, 0, 'doub', 'sing'};
    static const uint32_t angles[kBondPlaceCount] = {0, 'step', 0, 0, 0, 'shal', 0};
    ExpectCases({
        {"upper label", kSum, 0, 1, [=](Editor &e) { return e.InsertArrow(harpoons, 'cent', -1); }, "row[ arrw{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ]} ]", "Gr (t='uppr',al='cent')"},
        {"both labels", kRun, 3, 3, [=](Editor &e) { return e.InsertArrow(harpoons, 0, 'rght'); }, "row[ math\"abc\" arrw{[‸ ] / [ ]} ]", "Gr (t='lowr',al='rght')"},
        {"lower label", kRun, 1, 1, [=](Editor &e) { return e.InsertArrow(ArrowPartLists(), -1, 0); }, "row[ math\"a\" arrw{[‸ ]} math\"bc\" ]"},
        {"no labels deletes", kSum, 0, 1, [=](Editor &e) { return e.InsertArrow(ArrowPartLists(), -1, -1); }, "row[ arrw‸ ]"},
        {"bond", kSum, 0, 1, [](Editor &e) { return e.InsertBond(styles, angles); }, "row[ bond{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ] / [ ] / [ ]} ]", "u32[2]{{'uplf','sing'},{'lwrt','doub'},{0,'sing'}}\n\t\tu32[2]{{'uplf','step'},{'lwrt','shal'}}"},
    });
}

TEST_F(StructureInsertionTest, Matrices)
{
    auto matrix = [](int32_t rows, int32_t columns) {
        return [=](Editor &e) { return e.InsertMatrix(rows, columns, 'left', true, false, true, false); };
    };
    ExpectCases({
        {"3 x 2", kRun, 1, 1, matrix(3, 2), "row[ math\"a\" mtrx{[‸ ] / [ ] / [ ] / [ ] / [ ] / [ ]} math\"bc\" ]", "Mx (r=3,c=2,al='left',mb,eh,rg)"},
        {"2 x 2 over x+1", kSum, 0, 1, matrix(2, 2), "row[ mtrx{[‸ ] / [ ] / [ ] / [ ]} ]", "Mx (r=2,c=2,al='left',eh,rg)"},
        {"0 x -1 clamped", kRun, 3, 3, matrix(0, -1), "row[ math\"abc\" mtrx{[‸ ]} ]", "Mx (r=1,c=1,"},
    });
    // 40 columns become 32.
    ResetTheEditor();
    editor = TheEditor;
    LoadRow(kRun, 3, 3);
    ASSERT_TRUE(editor->InsertMatrix(1, 40, 'cent', false, false, false, false));
    EXPECT_NE(DocumentText(editor).find("Mx (r=1,c=32,mb)"), std::string::npos) << DocumentText(editor);
}

TEST_F(StructureInsertionTest, Phantoms)
{
    auto phantom = [](Editor &e) { return e.InsertPhantom('full'); };
    ExpectCases({
        {"last letter of a run", kRun, 3, 3, phantom, "row[ math\"ab\" Ph{[ math\"c\" ]}‸ ]", "Ph (t='full')"},
        {"caret mid-run", kRun, 1, 1, phantom, "row[ Ph{[ math\"a\" ]}‸ math\"bc\" ]"},
        {"x+1 selected", kSum, 0, 1, phantom, "row[ Ph{[ math\"x\" oper\"+\" nmbr\"1\" ]}‸ ]"},
        {"inside one run", kLong, 1, 3, phantom, "row[ math\"a\" Ph{[ math\"bc\" ]}‸ math\"d\" ]"},
        {"a structure before the caret", "Sb {s{\"a\"}} Bx $B { Gr { Bg {} } }", 0, 0, phantom, "row[ math\"a\" Ph{[ boxx{[ ]} ]}‸ ]"},
    });
    ExpectRefused("Sb $B {s{\"abc\"}}", 0, 0, phantom);
    ExpectRefused("Sb {s{\"a\"}} Ph $B { Bg {} Sb {s{\"b\"}} }", 0, 0, phantom);
    ExpectRefused("Sb {s{\"a\"}} Al $B {}", 0, 0, phantom);
}

// The characters of every symbol run in document order.
std::string AllRunText(Editor *editor)
{
    std::string out;
    KettricStructure *root = editor->document.GetRootStructure();
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        if (auto *run = dynamic_cast<SymbolRunNode *>(DocumentNode::FromStructure(static_cast<KettricStructure *>(tree))))
            out += run->text.GetText();
    }
    return out;
}

TEST_F(StructureInsertionTest, EveryCommandOnEveryFixtureKeepsOrDeletesTheSelection)
{
    static const uint32_t bond[kBondPlaceCount] = {'sing', 0, 0, 'doub'};
    struct CommandRow
    {
        const char *name;
        Command command;
        bool deletes;  // the selection is deleted, not wrapped
    };
    const CommandRow commands[] = {
        {"fence", [](Editor &e) { return e.InsertFence('[', ']', '|', 2); }, false},
        {"subscript", [](Editor &e) { return e.InsertSubscript(false, true); }, false},
        {"pre-superscript", [](Editor &e) { return e.InsertSuperscript(true, true); }, false},
        {"fraction", [](Editor &e) { return e.InsertFraction('diag', true, false); }, false},
        {"radical", [](Editor &e) { return e.InsertRadical(true, nullptr); }, false},
        {"long division", [](Editor &e) { return e.InsertLongDivision(true); }, false},
        {"wide mark", [](Editor &e) { return e.InsertWideMark('tild', true, true); }, false},
        {"stack", [](Editor &e) { return e.InsertStack(true, true); }, false},
        {"strike", [](Editor &e) { return e.InsertStrike('lwup'); }, false},
        {"box", [](Editor &e) { return e.InsertBox('lwrt'); }, false},
        {"iteration", [](Editor &e) { return e.InsertIteration(0x2A01, false, true, true); }, false},
        {"integral", [](Editor &e) { return e.InsertIntegral(0x222E, true, true, false); }, false},
        {"arrow", [](Editor &e) { return e.InsertArrow(ArrowPartLists(), -1, 'left'); }, false},
        {"bond", [](Editor &e) { return e.InsertBond(bond, bond); }, false},
        {"phantom", [](Editor &e) { return e.InsertPhantom('hzov'); }, false},
        {"arrow without labels", [](Editor &e) { return e.InsertArrow(ArrowPartLists(), -1, -1); }, true},
        {"matrix", [](Editor &e) { return e.InsertMatrix(1, 3, 'rght', false, true, false, true); }, true},
    };
    struct FixtureRow
    {
        const char *row;
        int32_t start;
        int32_t end;
        const char *kept;  // the text left when the selection is deleted
    };
    const FixtureRow fixtures[] = {
        {kRun, 1, 1, "abc"}, {kRun, 3, 3, "abc"}, {kRun, 0, 0, "abc"}, {kSum, 0, 1, ""}, {kLong, 1, 3, "ad"},
    };
    for (const CommandRow &command : commands)
    {
        for (const FixtureRow &fixture : fixtures)
        {
            SCOPED_TRACE(std::string(command.name) + " on " + fixture.row + " " + std::to_string(fixture.start) + "-" +
                         std::to_string(fixture.end));
            ResetTheEditor();
            editor = TheEditor;
            LoadRow(fixture.row, fixture.start, fixture.end);
            std::string before = DumpState(editor);
            std::string text = AllRunText(editor);
            // A caret at the row's first run stands on the row start, which a phantom refuses.
            if (std::string(command.name) == "phantom" && fixture.end == 0)
            {
                EXPECT_FALSE(command.command(*editor));
                EXPECT_EQ(DumpState(editor), before);
                continue;
            }
            ASSERT_TRUE(command.command(*editor));
            EXPECT_EQ(AllRunText(editor), command.deletes ? fixture.kept : text);
            ExpectOneUndoableStep(editor, before);
        }
    }
}

TEST_F(StructureInsertionTest, Fences)
{
    ExpectCases({
        {"parentheses over x+1", kSum, 0, 1, [](Editor &e) { return e.InsertFence('(', ')', 0, 1); }, "row[ brck{[⟦ math\"x\" oper\"+\" nmbr\"1⟧\" ]} ]"},
        {"three groups", kRun, 1, 1, [](Editor &e) { return e.InsertFence(0x27E8, 0x27E9, '|', 3); }, "row[ math\"a\" brck{[‸ ] / [ ] / [ ]} math\"bc\" ]", "u32{0x27E8,0x27E9,0x7C}"},
        {"no group asked", kRun, 3, 3, [](Editor &e) { return e.InsertFence('[', 0, 0, 0); }, "row[ math\"abc\" brck{[‸ ]} ]", "u32{0x5B,0x00}"},
    });
}

TEST_F(StructureInsertionTest, CommandIdsInsertTheirStructures)
{
    struct IdCase
    {
        int32_t id;
        const char *text;
    };
    const IdCase cases[] = {
        {0x8901, "Br { Gr (ba='mddl') { Bg {} } }"},
        {0x8902, "Br { u32{0x5B,0x5D} Gr (ba='mddl') { Bg {} } }"},
        {0x8903, "Br { u32{0x7B,0x7D} Gr"},
        {0x8904, "Br { u32{0x7B,0x7D,0x7C} Gr (ba='mddl') { Bg {} } Gr (ba='mddl') { Bg {} } }"},
        {0x8905, "Br { u32{0x27E6,0x27E7} Gr"},
        {0x8906, "Br { u32{0x27E8,0x27E9} Gr"},
        {0x8907, "Br { u32{0x27E8,0x27E9,0x7C} Gr (ba='mddl') { Bg {} } Gr (ba='mddl') { Bg {} } }"},
        {0x8908, "Br { u32{0x27EA,0x27EB} Gr"},
        {0x8909, "Br { u32{0x7C,0x7C} Gr"},
        {0x890A, "Br { u32{0x2016,0x2016} Gr"},
        {0x890B, "Sc { Gr (t='subs') { Bg {} } }"},
        {0x890C, "Sc { Gr (t='sups') { Bg {} } }"},
        {0x890D, "Sc (pr,ns) { Gr (t='subs') { Bg {} } }"},
        {0x890E, "Sc (pr,ns) { Gr (t='sups') { Bg {} } }"},
        {0x890F, "Fr { Gr (t='numr')"},
        {0x8910, "Fr (sm) { Gr (t='numr')"},
        {0x8911, "Fr (t='horz') { Gr (t='numr')"},
        {0x8912, "Fr (t='diag') { Gr (t='numr')"},
        {0x8913, "Fr (t='diag',sm) { Gr (t='numr')"},
        {0x8914, "Fr (at) { Gr (t='numr')"},
        {0x8915, "Fr (sm,at) { Gr (t='numr')"},
        {0x8916, "Rd { Gr { Bg {} } } }"},
        {0x8917, "Rd { Gr { Bg {} } Gr (t='degr') { Bg {} } } }"},
        {0x8918, "Dv { Gr { Bg {} } } }"},
        {0x8919, "Dv { Gr { Bg {} } Gr (t='quot') { Bg {} } } }"},
        {0x891A, "St { Gr { Bg {} } Gr (t='lowr') { Bg {} } } }"},
        {0x891B, "St { Gr { Bg {} } Gr (t='uppr') { Bg {} } } }"},
        {0x891C, "St { Gr (ba='mddl') { Bg {} } } }"},
        {0x891D, "Bx { Gr { Bg {} } } }"},
    };
    for (const IdCase &c : cases)
    {
        SCOPED_TRACE(c.id);
        ResetTheEditor();
        editor = TheEditor;
        LoadRow(kRun, 3, 3);
        EXPECT_TRUE(editor->RunStructureCommand(c.id));
        std::string text = CompactText(editor);
        EXPECT_NE(text.find(std::string("Sb {s{\"abc\"}} ") + c.text), std::string::npos) << text;
        EXPECT_EQ(DescribeSteps(editor), "1/1");
    }
    for (int32_t id : {0x8900, 0x891E, 0x89FF, 0x8A01, 0x8801, 0})
    {
        SCOPED_TRACE(id);
        ExpectRefused(kRun, 3, 3, [=](Editor &e) { return e.RunStructureCommand(id); });
    }
}

TEST_F(StructureInsertionTest, ColourByKind)
{
    // Fences, fractions, radicals, long divisions, wide marks, strikes, boxes, iterations, integrals
    // and arrows take the current colour; scripts, stacks, bonds and matrices palette index 0.
    const uint32_t noBonds[kBondPlaceCount] = {};
    const std::vector<std::pair<Command, bool>> commands = {
        {[](Editor &e) { return e.InsertFence('(', ')', 0, 1); }, true},
        {[](Editor &e) { return e.InsertFraction('vert', false, false); }, true},
        {[](Editor &e) { return e.InsertRadical(true, "3"); }, true},
        {[](Editor &e) { return e.InsertLongDivision(false); }, true},
        {[](Editor &e) { return e.InsertWideMark('brac', false, true); }, true},
        {[](Editor &e) { return e.InsertStrike('horz'); }, true},
        {[](Editor &e) { return e.InsertBox('full'); }, true},
        {[](Editor &e) { return e.InsertIteration(0x2211, false, true, true); }, true},
        {[](Editor &e) { return e.InsertIntegral(0x222B, false, true, false); }, true},
        {[](Editor &e) { return e.InsertArrow(ArrowPartLists(), -1, -1); }, true},
        {[](Editor &e) { return e.InsertSubscript(false, false); }, false},
        {[](Editor &e) { return e.InsertStack(true, true); }, false},
        {[&](Editor &e) { return e.InsertBond(noBonds, noBonds); }, false},
        {[](Editor &e) { return e.InsertMatrix(2, 2, 'cent', false, false, false, false); }, false},
    };
    for (size_t i = 0; i < commands.size(); ++i)
    {
        SCOPED_TRACE(i);
        ResetTheEditor();
        editor = TheEditor;
        LoadRow(kRun, 3, 3);
        editor->settings.state.toolPanel.equationColor.paletteIndex = 5;
        ASSERT_TRUE(commands[i].first(*editor));
        // The new structure is the only node written with a palette index.
        std::string text = CompactText(editor);
        EXPECT_EQ(text.find("pi=5") != std::string::npos, commands[i].second) << text;
    }
}

// Wrapping a selection that spans rows of the main group moves row starts into the new slot: the
// drawings on a moved row's anchors go, those on later rows follow their rows.
using WrappedRowsTest = RowDrawingsFixture;

TEST_F(WrappedRowsTest, DrawingsOfMovedRowsGoAndLaterRowsFollow)
{
    const std::vector<std::pair<const char *, Command>> commands = {
        {"fraction", [](Editor &e) { return e.InsertFraction('vert', false, false); }},
        {"fence", [](Editor &e) { return e.InsertFence('(', ')', 0, 1); }},
        {"subscript", [](Editor &e) { return e.InsertSubscript(false, false); }},
        {"phantom", [](Editor &e) { return e.InsertPhantom('full'); }},
    };
    struct Range
    {
        int32_t first;  // the rows whose content is selected, from the first's start to the last's end
        int32_t last;
    };
    for (const auto &[name, command] : commands)
    {
        for (Range range : {Range{0, 1}, Range{1, 2}, Range{0, 2}})
        {
            SCOPED_TRACE(std::string(name) + " rows " + std::to_string(range.first) + "-" + std::to_string(range.last));
            ResetTheEditor();
            editor = TheEditor;
            LoadRows(3);
            std::string before = DocumentText(editor);
            std::vector<std::string> original = DescribeDrawings();
            Selection &selection = editor->document.selection;
            selection.start = {RowBegin(range.first), 0};
            selection.end = {RowBegin(range.last)->GetNextMathNode(), 1};
            ASSERT_TRUE(command(*editor));
            EXPECT_EQ(CheckEditorInvariants(editor), "");
            // Rows first+1..last left the main group.
            EXPECT_EQ(DescribeDrawings(), Expected(3, range.first + 1, range.last));
            EXPECT_EQ(DescribeSteps(editor), "1/1");
            ASSERT_TRUE(editor->Undo());
            EXPECT_EQ(DocumentText(editor), before);
            EXPECT_EQ(DescribeDrawings(), original);
        }
    }
}

// The nesting guard: no insertion makes a document deeper than it may be read with.
class InsertionDepthTest : public EditorFixture
{
protected:
    // A run "ab" among nodes written at the depth, the caret at its end; the run.
    MathNode *PlaceCaretAtDepth(int32_t depth)
    {
        ResetTheEditor();
        editor = TheEditor;
        MathNode *container = BuildNestingContainer(editor, depth);
        auto *run = new SymbolRunNode;
        run->text.SetTextMax("ab", 2);
        container->AppendSubnode(run);
        EXPECT_EQ(run->GetNodeDepth(), depth);
        editor->document.selection.start = {run, 2};
        editor->document.selection.end = editor->document.selection.start;
        return run;
    }

    static bool Reads(const std::string &text)
    {
        EquationDocument fresh;
        return fresh.ParseAndResolve(text.c_str()) == 0;
    }
};

TEST_F(InsertionDepthTest, EveryCommandIsRefusedWhereItsSlotsWouldPassTheLimit)
{
    const uint32_t bond[kBondPlaceCount] = {'sing'};
    const std::vector<Command> commands = {
        [](Editor &e) { return e.InsertFence('(', ')', 0, 1); },
        [](Editor &e) { return e.InsertSubscript(false, false); },
        [](Editor &e) { return e.InsertSuperscript(true, true); },
        [](Editor &e) { return e.InsertFraction('vert', false, false); },
        [](Editor &e) { return e.InsertRadical(true, "3"); },
        [](Editor &e) { return e.InsertLongDivision(true); },
        [](Editor &e) { return e.InsertWideMark('brac', false, true); },
        [](Editor &e) { return e.InsertStack(false, false); },
        [](Editor &e) { return e.InsertStrike('horz'); },
        [](Editor &e) { return e.InsertBox('full'); },
        [](Editor &e) { return e.InsertIteration(0x2211, false, true, true); },
        [](Editor &e) { return e.InsertIntegral(0x222B, false, true, true); },
        [](Editor &e) { return e.InsertArrow(ArrowPartLists(), 0, -1); },
        [&](Editor &e) { return e.InsertBond(bond, bond); },
        [](Editor &e) { return e.InsertMatrix(2, 2, 'cent', false, false, false, false); },
        [](Editor &e) { return e.InsertPhantom('full'); },
    };
    // The run's text stands at the limit: no structure fits beside it, not even a phantom.
    PlaceCaretAtDepth(kKettricMaxNestingDepth - 1);
    std::string before = DumpState(editor);
    for (size_t i = 0; i < commands.size(); ++i)
    {
        SCOPED_TRACE("command " + std::to_string(i));
        EXPECT_FALSE(commands[i](*editor));
        EXPECT_EQ(DescribeSteps(editor), "0/0");
    }
    for (uint32_t c : {0x5E, 0x5F, 0x221A, 0x221B, 0x221C, 0x2211, 0x222B, 0x222E, 0x23DE, 0x23B4, 0x27CC, 0x2015,
                       0x2044, 0x2215})
    {
        SCOPED_TRACE("typed " + std::to_string(c));
        EXPECT_FALSE(editor->TypeCharacter(c, 0));
        EXPECT_EQ(DescribeSteps(editor), "0/0");
    }
    // Compared as a flag: a failed comparison of two texts this deep takes minutes to print.
    EXPECT_TRUE(DumpState(editor) == before);
    // An arrow without labels has no slot: its part lists stand where the run's text does.
    EXPECT_TRUE(editor->InsertArrow(ArrowPartLists(), -1, -1));
    EXPECT_TRUE(Reads(DocumentText(editor)));

    // A phantom adds one level, a structure two: each fits where its contents stay within the limit.
    PlaceCaretAtDepth(kKettricMaxNestingDepth - 2);
    EXPECT_FALSE(editor->InsertFraction('vert', false, false));
    EXPECT_TRUE(editor->InsertPhantom('full'));
    EXPECT_TRUE(Reads(DocumentText(editor)));
    PlaceCaretAtDepth(kKettricMaxNestingDepth - 3);
    EXPECT_TRUE(editor->InsertFraction('vert', false, false));
    EXPECT_TRUE(Reads(DocumentText(editor)));
}

TEST_F(InsertionDepthTest, WrappingASelectionHoldingAStructureIsRefused)
{
    // A scripts node whose subscript's run stands at the deepest a run may, beside the run "ab".
    MathNode *run = PlaceCaretAtDepth(kKettricMaxNestingDepth - 3);
    ASSERT_TRUE(editor->InsertSubscript(false, false));
    ASSERT_TRUE(editor->TypeCharacter('b', 0));
    MathNode *scripts = run->GetNextMathNode();
    ASSERT_EQ(scripts->GetKind(), kScriptKind);
    const std::vector<Command> wraps = {
        [](Editor &e) { return e.InsertFraction('vert', false, false); },
        [](Editor &e) { return e.InsertSuperscript(false, true); },
        [](Editor &e) { return e.InsertPhantom('vert'); },
        [](Editor &e) { return e.InsertFence('(', ')', 0, 1); },
    };
    editor->document.selection.start = {run->GetPreviousMathNode(), 0};
    editor->document.selection.end = {scripts, 0};
    std::string before = DumpState(editor);
    for (size_t i = 0; i < wraps.size(); ++i)
    {
        SCOPED_TRACE("wrap " + std::to_string(i));
        EXPECT_FALSE(wraps[i](*editor));
        EXPECT_EQ(DescribeSteps(editor), "2/2");
    }
    EXPECT_TRUE(DumpState(editor) == before);
    // The run alone goes into a new fraction.
    editor->document.selection.end = {run, 2};
    EXPECT_TRUE(editor->InsertFraction('vert', false, false));
    EXPECT_EQ(CheckEditorInvariants(editor), "");
}

}  // namespace
}  // namespace oq::test
