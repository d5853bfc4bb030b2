// Integrals' LaTeX and MathML against the oracles: the seven commands and \int for every other sign,
// with and without limits in both limit styles, compile with pdflatex and convert with MathJax; a
// group of another role is not written; the MathML passes the DTD with the sign's text escaped.
#include "LargeOperatorChecks.h"
#include "StructureFixtures.h"

#include "editor/structures/IntegralNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::ResultText;
using test::Text;

// An integral of the sign (U+222B when 0) with the properties; limits when asked, and a 'labl' group.
std::string Integral(uint32_t codePoint, const char *properties, bool limits)
{
    return test::OperatorText("In", codePoint, properties, limits, "labl");
}

TEST(IntegralTextForms, CommandsPassBothOracles)
{
    const struct
    {
        uint32_t codePoint;
        const char *command;
    } commands[] = {
        {0x222B, "int"},   {0x222C, "iint"}, {0x222D, "iiint"}, {0x2A0C, "iiiint"}, {0x222E, "oint"},
        {0x222F, "oiint"}, {0x2230, "oiiint"}, {0x2231, "int"}, {0x2232, "int"},    {0x2233, "int"},
        {0x41, "int"},
    };
    for (const auto &c : commands)
    {
        uint32_t cp = c.codePoint == 0x222B ? 0 : c.codePoint;
        // Display without and with limits, inline with and without, display again; the 'labl' group is
        // not written.
        test::ExpectCommandFormsPassBothOracles(
            [cp](const char *properties, bool limits) { return Integral(cp, properties, limits); }, c.command, "(sm,gr)",
            "(il)", "(il,kg)");
    }
    // From text style a display integral switches first.
    EXPECT_EQ(test::WriteRowText(Integral(0x222E, "", false), 0, false), "\\displaystyle\\oint{x}");
}

TEST(IntegralTextForms, MathMLPassesTheDtd)
{
    const struct
    {
        std::string nodes;
        uint8_t display;
        const char *mathml;
    } cases[] = {
        {Integral(0, "", false), 1,
         "<munderover><mo movablelimits=\"true\">\xE2\x88\xAB</mo><mrow/><mrow/></munderover><mrow><mi>x</mi></mrow>\n"},
        {Integral(0x222E, "", true), 0,
         "<munderover displaystyle=\"true\"><mo movablelimits=\"true\">\xE2\x88\xAE</mo><mrow><mi>x</mi></mrow>\n"
         "<mrow><mi>x</mi></mrow>\n</munderover><mrow><mi>x</mi></mrow>\n"},
        {Integral(0x222C, "(sm)", false), 1,
         "<munderover><mo movablelimits=\"true\" largeop=\"false\">\xE2\x88\xAC</mo><mrow/><mrow/></munderover>"
         "<mrow><mi>x</mi></mrow>\n"},
        {Integral(0x2233, "(il)", true), 1,
         "<munderover displaystyle=\"false\"><mo movablelimits=\"true\" largeop=\"true\">\xE2\x88\xB3</mo>"
         "<mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</munderover><mrow><mi>x</mi></mrow>\n"},
        {Integral(0x2A0C, "(il,sm)", false), 0,
         "<munderover><mo movablelimits=\"true\">\xE2\xA8\x8C</mo><mrow/><mrow/></munderover><mrow><mi>x</mi></mrow>\n"},
        // Markup characters are escaped, U+0001 is left out, U+FFFE and a surrogate read from the file
        // become U+FFFD.
        {Integral(0x3C, "", false), 1, "<mo movablelimits=\"true\">&#x3C;</mo>"},
        {Integral(0x26, "", false), 1, "<mo movablelimits=\"true\">&#x26;</mo>"},
        {Integral(0x1, "", false), 1, "<mo movablelimits=\"true\"></mo>"},
        {Integral(0xFFFE, "", false), 1, "<mo movablelimits=\"true\">\xEF\xBF\xBD</mo>"},
        {Integral(0xD800, "", false), 1, "<mo movablelimits=\"true\">\xEF\xBF\xBD</mo>"},
    };
    for (const auto &c : cases)
    {
        test::ExpectMathMLPart(c.nodes, c.display, c.mathml);
    }
    // The sign read from 0xD800 is U+FFFD in the node too.
    test::StructureTestDocument document;
    std::string text = "Gr { Bg {} " + Integral(0xD800, "", false) + " }";
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    EXPECT_EQ(document.FirstNode<IntegralNode>()->codePoint, 0xFFFDu);
}

}  // namespace
}  // namespace oq
