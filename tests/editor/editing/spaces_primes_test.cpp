// Spaces, tab stops, alignment marks and primes inserted at the caret.
#include "EditCommandTestSupport.h"
#include "EditorFixture.h"
#include "editor/fonts/Preferences.h"
#include "editor/structures/LeaningFont.h"

#include <gtest/gtest.h>

#include <cmath>

namespace oq::test {
namespace {

class SpacesPrimesTest : public EditorFixture
{
};

TEST_F(SpacesPrimesTest, SpacesTabsAndAlignersTable)
{
    const CommandCase cases[] = {
        {"a space in a run's middle", "Bg {} Sb $B {s{\"ab\"}}", 1, 1, [](Editor *e) { return e->InsertSpace(3); },
         true, "\"a\" Sp3 \"b\"", "row[ math\"a\" Sp‸ math\"b\" ]"},
        {"a space at a run's end", "Bg {} Sb $B {s{\"ab\"}}", 2, 2, [](Editor *e) { return e->InsertSpace(-1.5F); },
         true, "\"ab\" Sp-1.5", "row[ math\"ab\" Sp‸ ]"},
        {"a space at a row's start", "Bg $B {} Sb {s{\"ab\"}}", 0, 0, [](Editor *e) { return e->InsertSpace(18); },
         true, "Sp18 \"ab\"", "row[ Sp‸ math\"ab\" ]"},
        {"a space replaces a range", "Bg {} Sb $B {s{\"abcd\"}}", 1, 3,
         [](Editor *e) { return e->InsertSpace(4.5F); }, true, "\"a\" Sp4.5 \"d\"",
         "row[ math\"a\" Sp‸ math\"d\" ]"},
        {"a zero-width space after one", "Bg {} Sb {s{\"x\"}} Sp $B {}", 0, 0,
         [](Editor *e) { return e->InsertSpace(0); }, false, "\"x\" Sp0", "row[ math\"x\" Sp‸ ]"},
        {"a zero-width space before one", "Bg {} Sb $B {s{\"x\"}} Sp {}", 1, 1,
         [](Editor *e) { return e->InsertSpace(0); }, false, "\"x\" Sp0", "row[ math\"x‸\" Sp ]"},
        {"a zero-width space inside a run before one", "Bg {} Sb $B {s{\"xy\"}} Sp {}", 1, 1,
         [](Editor *e) { return e->InsertSpace(0); }, true, "\"x\" Sp0 \"y\" Sp0",
         "row[ math\"x\" Sp‸ math\"y\" Sp ]"},
        {"a zero-width space over a range before one", "Bg {} Sb $B {s{\"xy\"}} Sp {}", 1, 2,
         [](Editor *e) { return e->InsertSpace(0); }, true, "\"x\" Sp0 Sp0", "row[ math\"x\" Sp‸ Sp ]"},
        {"a wider space beside a zero-width one", "Bg {} Sb {s{\"x\"}} Sp $B {}", 0, 0,
         [](Editor *e) { return e->InsertSpace(1.5F); }, true, "\"x\" Sp0 Sp1.5", "row[ math\"x\" Sp Sp‸ ]"},
        {"a width that is not a number", "Bg {} Sb $B {s{\"x\"}}", 1, 1,
         [](Editor *e) { return e->InsertSpace(std::nanf("")); }, false, "\"x\"", "row[ math\"x‸\" ]"},
        {"the default tab", "Bg {} Sb $B {s{\"ab\"}}", 1, 1, [](Editor *e) { return e->InsertTabSpace(0); }, true,
         "\"a\" Tab0 \"b\"", "row[ math\"a\" Sp‸ math\"b\" ]"},
        {"a tab of one em", "Bg {} Sb $B {s{\"ab\"}}", 2, 2, [](Editor *e) { return e->InsertTabSpace(1); }, true,
         "\"ab\" Tab18", "row[ math\"ab\" Sp‸ ]"},
        {"an aligner", "Bg {} Sb $B {s{\"ab\"}}", 1, 1, [](Editor *e) { return e->InsertAligner('cent'); }, true,
         "\"a\" Al:cent \"b\"", "row[ math\"a\" algn‸ math\"b\" ]"},
        {"an aligner of no kind", "Bg {} Sb $B {s{\"ab\"}}", 1, 1, [](Editor *e) { return e->InsertAligner('top '); },
         false, "\"ab\"", "row[ math\"a‸b\" ]"},
        {"typed em space", "Bg {} Sb $B {s{\"ab\"}}", 1, 1, [](Editor *e) { return e->TypeCharacter(0x2003, 0); },
         true, "\"a\" Sp18 \"b\"", "row[ math\"a\" Sp‸ math\"b\" ]"},
        {"typed no-break space", "Bg {} Sb $B {s{\"ab\"}}", 1, 1, [](Editor *e) { return e->TypeCharacter(0xA0, 0); },
         false, "\"ab\"", "row[ math\"a‸b\" ]"},
        {"0x8110", "Bg {} Sb $B {s{\"ab\"}}", 2, 2, [](Editor *e) { return e->RouteCommand(0x8110); }, true,
         "\"ab\" Tab0", "row[ math\"ab\" Sp‸ ]"},
        {"0x810F", "Bg {} Sb $B {s{\"ab\"}}", 2, 2, [](Editor *e) { return e->RouteCommand(0x810F); }, true,
         "\"ab\" Sp-4.5", "row[ math\"ab\" Sp‸ ]"},
        {"0x8101 beside a zero-width space", "Bg {} Sb $B {s{\"ab\"}} Sp {}", 2, 2,
         [](Editor *e) { return e->RouteCommand(0x8101); }, false, "\"ab\" Sp0", "row[ math\"ab‸\" Sp ]"},
    };
    for (const CommandCase &row : cases) ExpectCommandCase(row);
}

// Pasted text acts on line feeds and tabs; typed text does not.
TEST_F(SpacesPrimesTest, PastedLineFeedAndTab)
{
    TypeScriptText(editor, "a\\nb\\tc", kTypePasted);
    EXPECT_EQ(DescribeMainRows(editor), "\"a\" | \"b\" Tab0 \"c\"");
    ResetTheEditor();
    editor = TheEditor;
    TypeScriptText(editor, "a\\nb\\tc", 0);
    EXPECT_EQ(DescribeMainRows(editor), "\"abc\"");
}

// The figure and punctuation spaces take the advances of "0" and "." in the design's fonts; without
// loaded fonts they insert nothing.
TEST_F(SpacesPrimesTest, FigureAndPunctuationSpacesAreMeasured)
{
    EXPECT_FALSE(editor->TypeCharacter(0x2007, 0));
    EXPECT_EQ(DescribeMainRows(editor), "");
    EXPECT_EQ(DescribeSteps(editor), "0/0");

    SetLayoutTestFace(MakeLeaningFont([](VorlFontBuilder &builder, VorlFontDescription &font) {
        font.Map('0', builder.AddBoxGlyph(0.5F, 0.05F, 0.0F, 0.45F, 0.7F));
        font.Map('.', builder.AddBoxGlyph(0.25F, 0.05F, 0.0F, 0.2F, 0.1F));
    }));
    ASSERT_TRUE(LayoutTestDocument(editor));
    EXPECT_TRUE(editor->TypeCharacter(0x2007, 0));
    EXPECT_TRUE(editor->RouteCommand(0x810C));
    EXPECT_EQ(DescribeMainRows(editor), "Sp9 Sp4.5");
    EXPECT_EQ(DescribeSteps(editor), "2/2");
    SetLayoutTestFace({});
}

bool Prime(Editor *editor) { return editor->AddPrime(0x2032); }
bool DoublePrime(Editor *editor) { return editor->AddPrime(0x2033); }
bool TriplePrime(Editor *editor) { return editor->AddPrime(0x2034); }

TEST_F(SpacesPrimesTest, PrimesCombineUpToFour)
{
    const CommandCase cases[] = {
        {"2032 on 2032", "Bg {} Sb {s{\"f\"}} Pr $B {}", 0, 0, Prime, true, "\"f\" Pr2033", "row[ math\"f\" prim‸ ]"},
        {"2032 on 2033", "Bg {} Sb {s{\"f\"}} Pr $B {u32{0x2033}}", 0, 0, Prime, true, "\"f\" Pr2034",
         "row[ math\"f\" prim‸ ]"},
        {"2032 on 2034", "Bg {} Sb {s{\"f\"}} Pr $B {u32{0x2034}}", 0, 0, Prime, true, "\"f\" Pr2057",
         "row[ math\"f\" prim‸ ]"},
        {"2033 on 2032", "Bg {} Sb {s{\"f\"}} Pr $B {}", 0, 0, DoublePrime, true, "\"f\" Pr2034",
         "row[ math\"f\" prim‸ ]"},
        {"2033 on 2033", "Bg {} Sb {s{\"f\"}} Pr $B {u32{0x2033}}", 0, 0, DoublePrime, true, "\"f\" Pr2057",
         "row[ math\"f\" prim‸ ]"},
        {"2034 on 2032", "Bg {} Sb {s{\"f\"}} Pr $B {}", 0, 0, TriplePrime, true, "\"f\" Pr2057",
         "row[ math\"f\" prim‸ ]"},
        {"a fifth prime", "Bg {} Sb {s{\"f\"}} Pr $B {u32{0x2057}}", 0, 0, Prime, true, "\"f\" Pr2057 Pr2032",
         "row[ math\"f\" prim prim‸ ]"},
        {"2034 on 2033 is five", "Bg {} Sb {s{\"f\"}} Pr $B {u32{0x2033}}", 0, 0, TriplePrime, true,
         "\"f\" Pr2033 Pr2034", "row[ math\"f\" prim prim‸ ]"},
        {"another palette colour", "Bg {} Sb {s{\"f\"}} Pr $B (pi=2) {}", 0, 0, Prime, true,
         "\"f\" Pr2032 pi2 Pr2032", "row[ math\"f\" prim prim‸ ]"},
        {"a 32-bit colour", "Bg {} Sb {s{\"f\"}} Pr $B (co=0xFF112233) {}", 0, 0, Prime, true,
         "\"f\" Pr2032 coFF112233 Pr2032", "row[ math\"f\" prim prim‸ ]"},
        {"a prime in a run's middle", "Bg {} Sb $B {s{\"fg\"}}", 1, 1, Prime, true, "\"f\" Pr2032 \"g\"",
         "row[ math\"f\" prim‸ math\"g\" ]"},
        {"a prime replaces a range", "Bg {} Sb $B {s{\"fgh\"}}", 1, 2, Prime, true, "\"f\" Pr2032 \"h\"",
         "row[ math\"f\" prim‸ math\"h\" ]"},
        {"a prime after a range ending in a prime", "Bg {} Sb $B {s{\"f\"}} Pr $E {}", 1, 0, Prime, true,
         "\"f\" Pr2032", "row[ math\"f\" prim‸ ]"},
        {"typed U+2032", "Bg {} Sb {s{\"f\"}} Pr $B {}", 0, 0, [](Editor *e) { return e->TypeCharacter(0x2032, 0); },
         true, "\"f\" Pr2033", "row[ math\"f\" prim‸ ]"},
        {"0x8704", "Bg {} Sb $B {s{\"f\"}}", 1, 1, [](Editor *e) { return e->RouteCommand(0x8704); }, true,
         "\"f\" Pr2057", "row[ math\"f\" prim‸ ]"},
    };
    for (const CommandCase &row : cases) ExpectCommandCase(row);
}

TEST_F(SpacesPrimesTest, PrimeCommandsInARowAndTheirColourAndBoldness)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb $B {s{\"f\"}} }", 1, 1));
    const char *after[] = {"\"f\" Pr2032", "\"f\" Pr2033", "\"f\" Pr2034", "\"f\" Pr2057", "\"f\" Pr2057 Pr2032"};
    for (const char *nodes : after)
    {
        EXPECT_TRUE(editor->AddPrime(0x2032));
        EXPECT_EQ(DescribeMainRows(editor), nodes);
    }
    EXPECT_EQ(DescribeSteps(editor), "5/5");

    // A new colour starts a new prime, which takes it; without bold primes it says "nb".
    editor->settings.state.toolPanel.equationColor = {-1, 0xFF0000FF};
    editor->settings.preferences.options[kOptionBoldPrimes] = false;
    EXPECT_TRUE(editor->AddPrime(0x2032));
    EXPECT_TRUE(editor->AddPrime(0x2032));
    EXPECT_EQ(DescribeMainRows(editor), "\"f\" Pr2057 Pr2032 Pr2033 nb coFF0000FF");
}

}  // namespace
}  // namespace oq::test
