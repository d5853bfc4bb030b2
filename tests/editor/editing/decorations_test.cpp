// Marks, negations, slashes and enclosures on the character before the caret.
#include "EditCommandTestSupport.h"
#include "EditorFixture.h"
#include "NestingChain.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/RowBeginNode.h"
#include "kettric/KettricStructure.h"

#include <gtest/gtest.h>

namespace oq::test {
namespace {

class DecorationsTest : public EditorFixture
{
};

bool Acute(Editor *editor) { return editor->AddMark(0x0301, false); }

TEST_F(DecorationsTest, MarkIsolatesTheCharacterBeforeTheCaret)
{
    const CommandCase cases[] = {
        {"caret in the middle of a run", "Bg {} Sb $B {s{\"abc\"}}", 2, 2, Acute, true,
         "\"a\" \"b\"[mark 0301] \"c\"", "row[ math\"a\" math\"b‸\" math\"c\" ]"},
        {"caret at the run's end", "Bg {} Sb $B {s{\"abc\"}}", 3, 3, Acute, true, "\"ab\" \"c\"[mark 0301]",
         "row[ math\"ab\" math\"c‸\" ]"},
        {"caret after the first character", "Bg {} Sb $B {s{\"abc\"}}", 1, 1, Acute, true,
         "\"a\"[mark 0301] \"bc\"", "row[ math\"a‸\" math\"bc\" ]"},
        {"a one-character run is not cut", "Bg {} Sb $B {s{\"x\"}}", 1, 1, Acute, true, "\"x\"[mark 0301]",
         "row[ math\"x‸\" ]"},
        {"caret at a run's start decorates the run before it",
         "Bg {} Sb {s{\"ab\"}} Sb $B (ro='oper') {s{\"+\"}}", 0, 0, Acute, true, "\"a\" \"b\"[mark 0301] \"+\"",
         "row[ math\"a\" math\"b‸\" oper\"+\" ]"},
        {"a range inside one run", "Bg {} Sb $B {s{\"abcd\"}}", 1, 3, Acute, true,
         "\"ab\" \"c\"[mark 0301] \"d\"", "row[ math\"ab⟦\" math\"c⟧\" math\"d\" ]"},
        {"a range over several nodes",
         "Bg {} Sb $B {s{\"ab\"}} Sb (ro='oper') {s{\"+\"}} Sb $E {s{\"cd\"}}", 1, 1, Acute, true,
         "\"ab\" \"+\" \"c\"[mark 0301] \"d\"", "row[ math\"ab\" oper\"+⟦\" math\"c⟧\" math\"d\" ]"},
        {"a multi-byte character", "Bg {} Sb $B {s{\"a\u03B1b\"}}", 3, 3, Acute, true,
         "\"a\" \"<03B1>\"[mark 0301] \"b\"", "row[ math\"a\" math\"\u03B1‸\" math\"b\" ]"},
        {"marks are never refused", "Bg {} Sb $B {s{\"x\"} Mk {u32{0x301}}}", 1, 1, Acute, true,
         "\"x\"[mark 0301, mark 0301]", "row[ math\"x‸\" ]"},
        {"below", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->AddMark(0x0332, true); }, true,
         "\"x\"[mark 0332 un]", "row[ math\"x‸\" ]"},
        {"refused after a space", "Bg {} Sb {s{\"x\"}} Sp $B (s=3) {}", 0, 0, Acute, false, "\"x\" Sp3",
         "row[ math\"x\" Sp‸ ]"},
        {"refused at a row's start", "Bg $B {} Sb {s{\"x\"}}", 0, 0, Acute, false, "\"x\"", "row[‸ math\"x\" ]"},
        {"refused: no code point", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->AddMark(0xD800, false); },
         false, "\"x\"", "row[ math\"x‸\" ]"},
    };
    for (const CommandCase &row : cases) ExpectCommandCase(row);
}

TEST_F(DecorationsTest, NegationsSlashesAndEnclosuresRefuseTheirRepeats)
{
    const char *decorated = "Bg {} Sb $B {s{\"=\"} Ng {} Sl (t='bkwd') {} En (t='squa') {}}";
    const CommandCase cases[] = {
        {"negation", "Bg {} Sb $B {s{\"ab\"}}", 2, 2, [](Editor *e) { return e->AddNegation('vert'); }, true,
         "\"a\" \"b\"[nega vert]", "row[ math\"a\" math\"b‸\" ]"},
        {"the same negation again", decorated, 1, 1, [](Editor *e) { return e->AddNegation('frwd'); }, false,
         "\"=\"[nega frwd, slsh bkwd, encl squa]", "row[ math\"=‸\" ]"},
        {"another negation", decorated, 1, 1, [](Editor *e) { return e->AddNegation('bkwd'); }, true,
         "\"=\"[nega frwd, slsh bkwd, encl squa, nega bkwd]", "row[ math\"=‸\" ]"},
        {"the same slash again", decorated, 1, 1, [](Editor *e) { return e->AddSlash('bkwd'); }, false,
         "\"=\"[nega frwd, slsh bkwd, encl squa]", "row[ math\"=‸\" ]"},
        {"another slash", decorated, 1, 1, [](Editor *e) { return e->AddSlash('frwd'); }, true,
         "\"=\"[nega frwd, slsh bkwd, encl squa, slsh frwd]", "row[ math\"=‸\" ]"},
        {"any second enclosure", decorated, 1, 1, [](Editor *e) { return e->AddEnclosure('circ'); }, false,
         "\"=\"[nega frwd, slsh bkwd, encl squa]", "row[ math\"=‸\" ]"},
        {"an enclosure", "Bg {} Sb $B {s{\"ab\"}}", 1, 1, [](Editor *e) { return e->AddEnclosure('rdsq'); }, true,
         "\"a\"[encl rdsq] \"b\"", "row[ math\"a‸\" math\"b\" ]"},
        {"a kind the decoration does not have", "Bg {} Sb $B {s{\"ab\"}}", 1, 1,
         [](Editor *e) { return e->AddSlash('vert'); }, false, "\"ab\"", "row[ math\"a‸b\" ]"},
    };
    for (const CommandCase &row : cases) ExpectCommandCase(row);
}

TEST_F(DecorationsTest, DecorationsTakeTheCurrentColour)
{
    const struct
    {
        int32_t paletteIndex;
        uint32_t color;
        const char *nodes;
    } colours[] = {
        {3, 0xFF000000, "\"a\" \"b\"[mark 0301 pi3, nega frwd pi3, slsh frwd pi3, encl circ pi3]"},
        {-1, 0xFF336699, "\"a\" \"b\"[mark 0301 coFF336699, nega frwd coFF336699, slsh frwd coFF336699, "
                         "encl circ coFF336699]"},
    };
    for (const auto &colour : colours)
    {
        ResetTheEditor();
        editor = TheEditor;
        ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb $B {s{\"ab\"}} }", 2, 2));
        editor->settings.state.toolPanel.equationColor = {colour.paletteIndex, colour.color};
        EXPECT_TRUE(editor->AddMark(0x0301, false));
        EXPECT_TRUE(editor->AddNegation('frwd'));
        EXPECT_TRUE(editor->AddSlash('frwd'));
        EXPECT_TRUE(editor->AddEnclosure('circ'));
        EXPECT_EQ(DescribeMainRows(editor), colour.nodes);
        EXPECT_EQ(DescribeSteps(editor), "4/4");
    }
}

// The command ids and the typed combining characters reach the same decorations.
TEST_F(DecorationsTest, CommandIdsAndTypedCharactersDecorate)
{
    const CommandCase cases[] = {
        {"0x8381", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->RouteCommand(0x8381); }, true,
         "\"x\"[mark 0323 un]", "row[ math\"x‸\" ]"},
        {"0x8384", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->RouteCommand(0x8384); }, true,
         "\"x\"[mark 20DC un]", "row[ math\"x‸\" ]"},
        {"0x8603", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->RouteCommand(0x8603); }, true,
         "\"x\"[encl rdsq]", "row[ math\"x‸\" ]"},
        {"0x8403 refused after a space", "Bg {} Sp $B {}", 0, 0, [](Editor *e) { return e->RouteCommand(0x8403); },
         false, "Sp0", "row[ Sp‸ ]"},
        {"typed U+0301", "Bg {} Sb $B {s{\"ab\"}}", 1, 1, [](Editor *e) { return e->TypeCharacter(0x0301, 0); }, true,
         "\"a\"[mark 0301] \"b\"", "row[ math\"a‸\" math\"b\" ]"},
        {"typed U+0332", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->TypeCharacter(0x0332, 0); }, true,
         "\"x\"[mark 0332 un]", "row[ math\"x‸\" ]"},
        {"typed U+20DE", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->TypeCharacter(0x20DE, 0); }, true,
         "\"x\"[encl squa]", "row[ math\"x‸\" ]"},
        {"typed U+20E5", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->TypeCharacter(0x20E5, 0); }, true,
         "\"x\"[nega bkwd]", "row[ math\"x‸\" ]"},
        {"typed U+20D2", "Bg {} Sb $B {s{\"x\"}}", 1, 1, [](Editor *e) { return e->TypeCharacter(0x20D2, 0); }, true,
         "\"x\"[nega vert]", "row[ math\"x‸\" ]"},
        {"typed U+0301 refused at a row's start", "Bg $B {}", 0, 0,
         [](Editor *e) { return e->TypeCharacter(0x0301, 0); }, false, "", "row[‸ ]"},
    };
    for (const CommandCase &row : cases) ExpectCommandCase(row);
}

// A decoration and its code point list go one and two levels below the run, a prime and its list
// stand at the caret's level and one below: refused, with no step, where they would not read.
TEST_F(DecorationsTest, DecorationsAndPrimesStayWithinTheNestingLimit)
{
    const struct
    {
        int32_t depth;  // of the caret node: a run, or at the limit a row start (a run there would not read)
        bool decorates;
        bool primes;
    } cases[] = {
        {kKettricMaxNestingDepth - 2, true, true},
        {kKettricMaxNestingDepth - 1, false, true},
        {kKettricMaxNestingDepth, false, false},
    };
    for (const auto &row : cases)
    {
        SCOPED_TRACE(row.depth);
        ResetTheEditor();
        editor = TheEditor;
        // The chain reaches even depths; a phantom's row is one deeper.
        MathNode *rows = BuildNestingChain(editor, row.depth - row.depth % 2);
        if (row.depth % 2 != 0)
        {
            auto *phantom = new PhantomNode;
            phantom->AppendSubnode(new RowBeginNode);
            rows->AppendSubnode(phantom);
            rows = phantom;
        }
        CaretPosition caret = {rows->GetFirstMathSubnode(), 0};
        if (row.depth < kKettricMaxNestingDepth)
        {
            auto *run = new SymbolRunNode;
            run->text.SetTextMax("xy", 2);
            rows->AppendSubnode(run);
            caret = {run, 2};
        }
        ASSERT_EQ(caret.node->GetNodeDepth(), row.depth);
        editor->SetSelection(caret, caret);
        std::string before = row.decorates || row.primes ? "" : DumpState(editor);
        EXPECT_EQ(editor->AddMark(0x0301, false), row.decorates);
        EXPECT_EQ(editor->AddNegation('frwd'), row.decorates);
        EXPECT_EQ(editor->AddPrime(0x2032), row.primes);
        if (!row.decorates && !row.primes)
        {
            EXPECT_EQ(DumpState(editor), before);
        }
        // What the commands made reads back.
        EquationDocument fresh;
        EXPECT_EQ(fresh.ParseAndResolve(DocumentText(editor).c_str()), 0);
        int32_t steps = (row.decorates ? 2 : 0) + (row.primes ? 1 : 0);
        EXPECT_EQ(DescribeSteps(editor), std::to_string(steps) + "/" + std::to_string(steps));
    }
}

}  // namespace
}  // namespace oq::test
