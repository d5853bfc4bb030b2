// Iterations' LaTeX and MathML against the oracles: the command table with and without limits in
// both limit styles compiles with pdflatex and converts with MathJax, style switches are written
// only when the style changes and end with their slot, and the MathML passes the DTD with the
// operator's text escaped.
#include "LargeOperatorChecks.h"
#include "StructureFixtures.h"

#include "editor/structures/IterationNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::ResultText;
using test::Text;

// An iteration of the code point (U+2211 when 0) with the properties; limits when asked.
std::string Iteration(uint32_t codePoint, const char *properties, bool limits, const std::string &body = "Fx {}")
{
    return test::OperatorText("It", codePoint, properties, limits, "mdfr", body);
}

TEST(IterationTextForms, CommandTablePassesBothOracles)
{
    const struct
    {
        uint32_t codePoint;
        const char *command;
    } commands[] = {
        {0x220F, "prod"},     {0x2210, "coprod"},   {0x2211, "sum"},      {0x22C0, "bigwedge"},
        {0x22C1, "bigvee"},   {0x22C2, "bigcap"},   {0x22C3, "bigcup"},   {0x2A00, "bigodot"},
        {0x2A01, "bigoplus"}, {0x2A02, "bigotimes"}, {0x2A03, "bigudot"}, {0x2A04, "biguplus"},
        {0x2A05, "bigsqcap"}, {0x2A06, "bigsqcup"}, {0x2A09, "bigtimes"}, {0x41, "sum"},
    };
    for (const auto &c : commands)
    {
        uint32_t cp = c.codePoint == 0x2211 ? 0 : c.codePoint;
        // Display without and with limits, inline with and without, display again; the modifier is
        // not written.
        test::ExpectCommandFormsPassBothOracles(
            [cp](const char *properties, bool limits) { return Iteration(cp, properties, limits); }, c.command, "(sm)",
            "(il)", "(il,sm)");
    }
    // A letter after the command is kept apart from it by the body's braces.
    EXPECT_EQ(test::WriteRowText(Iteration(0, "(il)", false), 0, false), "\\sum{x}");
}

TEST(IterationTextForms, StyleSwitchesEndWithTheirSlot)
{
    const std::string smallAtop = "Fr (at,sm) { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } }";
    const std::string displaySum = Iteration(0, "", false);
    const struct
    {
        std::string nodes;
        const char *latex;
    } cases[] = {
        // The atop's \textstyle ends with the body: the inline sum after it switches again.
        {Iteration(0, "", false, smallAtop) + " " + Iteration(0, "(il)", false),
         "\\sum{\\textstyle{x \\atop x}}\\textstyle\\sum{x}"},
        // A numerator is in text style: a display sum inside it switches back.
        {displaySum + " Fr { Gr (t='numr') { Bg {} " + displaySum + " } Gr (t='dnom') { Bg {} Fx {} } }",
         "\\sum{x}\\dfrac{\\displaystyle\\sum{x}}{x}"},
        // Limits are in script style: a display sum in a limit switches.
        {Iteration(0, "", false, "Fx {}").replace(0, 5, "It { Gr (t='lowr') { Bg {} " + displaySum + " } "),
         "\\sum_{\\displaystyle\\sum{x}}{x}"},
    };
    for (const auto &c : cases)
    {
        std::string latex = test::WriteRowText(c.nodes, 1, false);
        EXPECT_EQ(latex, c.latex) << c.nodes;
        EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
    }
}

TEST(IterationTextForms, MathMLPassesTheDtd)
{
    const struct
    {
        std::string nodes;
        uint8_t display;
        const char *mathml;
    } cases[] = {
        {Iteration(0, "", false), 1,
         "<munderover><mo movablelimits=\"true\">\xE2\x88\x91</mo><mrow/><mrow/></munderover><mrow><mi>x</mi></mrow>\n"},
        {Iteration(0, "", true), 0,
         "<munderover displaystyle=\"true\"><mo movablelimits=\"true\">\xE2\x88\x91</mo><mrow><mi>x</mi></mrow>\n"
         "<mrow><mi>x</mi></mrow>\n</munderover><mrow><mi>x</mi></mrow>\n"},
        {Iteration(0x220F, "(sm)", false), 1,
         "<munderover><mo movablelimits=\"true\" largeop=\"false\">\xE2\x88\x8F</mo><mrow/><mrow/></munderover>"
         "<mrow><mi>x</mi></mrow>\n"},
        {Iteration(0x22C3, "(il)", true), 1,
         "<munderover displaystyle=\"false\"><mo movablelimits=\"true\" largeop=\"true\">\xE2\x8B\x83</mo>"
         "<mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</munderover><mrow><mi>x</mi></mrow>\n"},
        {Iteration(0x22C3, "(il,sm)", false), 0,
         "<munderover><mo movablelimits=\"true\">\xE2\x8B\x83</mo><mrow/><mrow/></munderover><mrow><mi>x</mi></mrow>\n"},
        // An unknown code point keeps its own character; markup characters are escaped, U+0001 is
        // left out and U+FFFE becomes U+FFFD.
        {Iteration(0x41, "", false), 1, "<mo movablelimits=\"true\">A</mo>"},
        {Iteration(0x3C, "", false), 1, "<mo movablelimits=\"true\">&#x3C;</mo>"},
        {Iteration(0x26, "", false), 1, "<mo movablelimits=\"true\">&#x26;</mo>"},
        {Iteration(0x1, "", false), 1, "<mo movablelimits=\"true\"></mo>"},
        {Iteration(0xFFFE, "", false), 1, "<mo movablelimits=\"true\">\xEF\xBF\xBD</mo>"},
        {Iteration(0xD800, "", false), 1, "<mo movablelimits=\"true\">\xEF\xBF\xBD</mo>"},
    };
    for (const auto &c : cases)
    {
        test::ExpectMathMLPart(c.nodes, c.display, c.mathml);
    }
    // The display style comes back after the element: the second inline sum switches again.
    std::string twice = test::WriteRowText(Iteration(0, "(il)", true) + " " + Iteration(0, "(il)", false), 1, true);
    size_t first = twice.find("displaystyle=\"false\"");
    ASSERT_NE(first, std::string::npos) << twice;
    EXPECT_NE(twice.find("displaystyle=\"false\"", first + 1), std::string::npos) << twice;
    EXPECT_EQ(test::ValidateStructureMathML(twice), "") << twice;
}

}  // namespace
}  // namespace oq
