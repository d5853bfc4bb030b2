// Arrows' LaTeX and MathML against the oracles: the command table with and without each label
// compiles with pdflatex (also beside mhchem, as reaction arrows are pasted into chemistry documents)
// and converts with MathJax, labels are set in script style with the display style restored after
// them, and the MathML passes the DTD.
#include "StructureFixtures.h"

#include "editor/structures/ArrowNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;
using test::Text;

const char *const kUpper = "Gr (t='uppr') { Bg {} Fx {} }";
const char *const kLower = "Gr (t='lowr') { Bg {} Fx {} }";

std::string Arrow(const std::string &data, const std::string &labels = "")
{
    return "Ar { " + data + " " + labels + " }";
}

// The arrows of the command table: one line with its left-end charm choosing the command, two lines
// always a right arrow.
const struct
{
    const char *data;
    const char *command;
    const char *character;  // UTF-8
} kCommands[] = {
    {"u32{'long'} u32{'left','larw'}", "\\longleftarrow", "\xE2\x9F\xB5"},
    {"u32{'long'} u32{'rarw','left','larw'}", "\\longleftrightarrow", "\xE2\x9F\xB7"},
    {"u32{'long'} u32{'ruhp','left','larw','cent','circ'}", "\\longleftrightarrow", "\xE2\x9F\xB7"},
    {"u32{'long'} u32{'rarw','left','barr'}", "\\longmapsto", "\xE2\x9F\xBC"},
    {"u32{'long'} u32{'rarw','line','left','line'}", "\\longmapsto", "\xE2\x9F\xBC"},
    {"u32{'long'} u32{'line','rarw','left','barr'}", "\\longrightarrow", "\xE2\x9F\xB6"},
    {"u32{'long'} u32{'left','barr'}", "\\longrightarrow", "\xE2\x9F\xB6"},
    {"u32{'long'} u32{'larw'}", "\\longrightarrow", "\xE2\x9F\xB6"},
    {"u32{'long'} u32{}", "\\longrightarrow", "\xE2\x9F\xB6"},
    {"u32{'long','long'} u32{'left','larw'} u32{'left','larw'}", "\\longrightarrow", "\xE2\x9F\xB6"},
    {"", "\\longrightarrow", "\xE2\x9F\xB6"},
};

TEST(ArrowTextForms, CommandTablePassesBothOracles)
{
    std::vector<std::string> formulas;
    for (const auto &c : kCommands)
    {
        // Bare, upper only, lower only, both (written lower first whatever the children's order).
        std::string nodes = Arrow(c.data) + " " + Arrow(c.data, kUpper) + " " + Arrow(c.data, kLower) + " " +
                            Arrow(c.data, std::string(kUpper) + " " + kLower);
        MathWriterState after;
        std::string latex = test::WriteRowText(nodes, 1, false, &after);
        std::string command = c.command;
        std::string expected = command + "\\overset{x}{" + command + "}\\underset{x}{" + command + "}\\underset{x}{\\overset{x}{" +
                               command + "}}";
        EXPECT_EQ(latex, expected) << c.data;
        EXPECT_EQ(after.controlWord, 0) << c.data;
        EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
        formulas.push_back(latex);

        // A bare arrow ends with its control word.
        test::WriteRowText(Arrow(c.data), 1, false, &after);
        EXPECT_EQ(after.controlWord, 1) << c.data;
    }

    // The same beside mhchem, in one document.
    test::LatexOracleOptions options = test::StructureOracleOptions();
    options.preamble += "\\usepackage[version=4]{mhchem}\n";
    formulas.push_back("\\ce{A + B} \\underset{\\Delta}{\\overset{\\ce{H2O}}{\\longrightarrow}} \\ce{C}");
    EXPECT_EQ(test::CompileWithPdflatex(formulas, options), "");
}

TEST(ArrowTextForms, LabelsAreInScriptStyleAndTheStyleComesBack)
{
    const std::string displaySum = "It { Gr { Bg {} Fx {} } }";
    const std::string label = "Gr (t='uppr') { Bg {} " + displaySum + " }";
    // In display style: the label switches back to display; the sum after the arrow does not switch.
    std::string latex = test::WriteRowText(Arrow("u32{'long'} u32{'rarw'}", label) + " " + displaySum, 1, false);
    EXPECT_EQ(latex, "\\overset{\\displaystyle\\sum{x}}{\\longrightarrow}\\sum{x}");
    EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
}

TEST(ArrowTextForms, MathMLPassesTheDtd)
{
    const std::string mo = "<mo stretchy=\"true\">\xE2\x9F\xB6</mo>";
    const std::string x = "<mrow><mi>x</mi></mrow>\n";
    const struct
    {
        std::string labels;
        std::string mathml;
    } cases[] = {
        {"", mo},
        {kUpper, "<mstyle movablelimits=\"false\"><mover>" + mo + x + "</mover></mstyle>"},
        {kLower, "<mstyle movablelimits=\"false\"><munder>" + mo + x + "</munder></mstyle>"},
        {std::string(kUpper) + " " + kLower, "<mstyle movablelimits=\"false\"><munderover>" + mo + x + x + "</munderover></mstyle>"},
    };
    for (const auto &c : cases)
    {
        std::string mathml = test::WriteRowText(Arrow("u32{'long','long'} u32{'rarw'} u32{'left','larw'}", c.labels), 1, true);
        EXPECT_EQ(mathml, c.mathml);
        EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
    }
    for (const auto &c : kCommands)
    {
        std::string mathml = test::WriteRowText(Arrow(c.data), 0, true);
        EXPECT_EQ(mathml, std::string("<mo stretchy=\"true\">") + c.character + "</mo>") << c.data;
    }

    // The labels are written with the display style cleared (a fraction in one switches it on), the
    // lower before the upper; the style comes back after the arrow.
    const std::string fraction = "Fr { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } }";
    const std::string labels = "Gr (t='uppr') { Bg {} " + fraction + " } Gr (t='lowr') { Bg {} Fx {} }";
    MathWriterState after;
    std::string mathml = test::WriteRowText(Arrow("u32{}", labels) + " " + fraction, 1, true, &after);
    const std::string switched = "<mfrac displaystyle=\"true\">";
    size_t inside = mathml.find(switched);
    ASSERT_NE(inside, std::string::npos) << mathml;
    EXPECT_GT(inside, mathml.find("<mi>x</mi>")) << mathml;
    EXPECT_EQ(mathml.find(switched, inside + 1), std::string::npos) << mathml;
    EXPECT_NE(mathml.find("</mstyle><mfrac>"), std::string::npos) << mathml;
    EXPECT_EQ(after.displayStyle, 1);
    EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
}

}  // namespace
}  // namespace oq
