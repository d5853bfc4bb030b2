// Wide marks' and stacks' LaTeX and MathML against the oracles: every type over and under, with and
// without a label, compiles with pdflatex and converts with MathJax (\widecheck and \widebreve stubbed),
// its MathML passes the DTD; a script or prime after a labelled brace opens an empty base; the display
// style is set in a brace body and cleared in its label and in stack limits.
#include "DesignRangeCases.h"
#include "StructureFixtures.h"

#include "editor/structures/StackNode.h"
#include "editor/structures/WideMarkNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using test::KeyName;

const char *const kBody = "Gr { Bg {} Fx {} }";
const char *const kLabel = "Gr (t='labl') { Bg {} Fx {} }";

std::string Mark(uint32_t type, bool under, bool labelled)
{
    return "Wm (t='" + KeyName(type) + "'" + (under ? ",un" : "") + ") { " + kBody + (labelled ? std::string(" ") + kLabel : "") +
           " }";
}

// The commands of the types over and under ("" for the body alone), and the operators' UTF-8.
const struct
{
    uint32_t type;
    const char *over;
    const char *under;
    const char *overCharacter;
    const char *underCharacter;
} kTypes[] = {
    {'line', "\\overline{x}", "\\underline{x}", "\xCC\x85", "\xCC\xB2"},
    {'dlin', "\\overline{\\overline{x}}", "\\underline{\\underline{x}}", "\xCC\xBF", "\xCC\xB3"},
    {'what', "\\widehat{x}", "x", "\xCC\x82", "\xCC\xAD"},
    {'chck', "\\widecheck{x}", "x", "\xCC\x8C", "\xCC\xAC"},
    {'smil', "\\widebreve{x}", "x", "\xCC\x86", "\xCC\xAE"},
    {'frwn', "x", "x", "\xCC\x91", "\xCC\xAF"},
    {'tild', "\\widetilde{x}", "x", "\xCC\x83", "\xCC\xB0"},
    {'brck', "x", "x", "\xE2\x8E\xB4", "\xE2\x8E\xB5"},
    {'brac', "\\overbrace{x}", "\\underbrace{x}", "\xE2\x8F\x9E", "\xE2\x8F\x9F"},
    {'shel', "x", "x", "\xE2\x8F\xA0", "\xE2\x8F\xA1"},
    {'larw', "\\overleftarrow{x}", "x", "\xE2\x83\x96", "\xE2\x83\xAE"},
    {'rarw', "\\overrightarrow{x}", "x", "\xE2\x83\x97", "\xE2\x83\xAF"},
    {'barw', "x", "x", "\xE2\x83\xA1", "\xE2\x83\xA1"},
    {'luhp', "x", "x", "\xE2\x83\x90", "\xE2\x83\x90"},
    {'ruhp', "x", "x", "\xE2\x83\x91", "\xE2\x83\x91"},
    {'ldhp', "x", "x", "\xE2\x83\xAD", "\xE2\x83\xAD"},
    {'rdhp', "x", "x", "\xE2\x83\xAC", "\xE2\x83\xAC"},
};

TEST(WideMarkTextForms, EveryTypePassesBothOracles)
{
    std::vector<std::string> formulas;
    std::string all;
    for (const auto &row : kTypes)
    {
        for (bool under : {false, true})
        {
            for (bool labelled : {false, true})
            {
                MathWriterState after;
                std::string latex = test::WriteRowText(Mark(row.type, under, labelled), 1, false, &after);
                std::string expected = under ? row.under : row.over;
                // Only the brace writes its label.
                if (row.type == 'brac' && labelled) expected += under ? "_{x}" : "^{x}";
                EXPECT_EQ(latex, expected) << KeyName(row.type) << under << labelled;
                EXPECT_EQ(after.controlWord, 0);
                EXPECT_EQ(after.displayStyle, 1);
                formulas.push_back(latex);
                all += latex + " ";

                std::string mathml = test::WriteRowText(Mark(row.type, under, labelled), 1, true);
                std::string accent = std::string(under ? "<munder accentunder=\"true\">" : "<mover accent=\"true\">") +
                                     "<mrow><mi>x</mi></mrow>\n<mo stretchy=\"true\">" +
                                     (under ? row.underCharacter : row.overCharacter) +
                                     (under ? "</mo></munder>" : "</mo></mover>");
                std::string wanted = accent;
                if (labelled)
                {
                    wanted = std::string(under ? "<munder>" : "<mover>") + accent + "<mrow><mi>x</mi></mrow>\n" +
                             (under ? "</munder>" : "</mover>");
                }
                EXPECT_EQ(mathml, wanted) << KeyName(row.type);
                EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
            }
        }
    }
    test::LatexOracleOptions options = test::StructureOracleOptions();
    EXPECT_EQ(test::CompileWithPdflatex(formulas, options), "");
    std::string converted;
    EXPECT_EQ(test::ConvertWithMathJax(all, options, &converted), "") << all;

    // A type outside the seventeen: the body alone, and an empty stretchy operator.
    std::string unknown = Mark('zzzz', false, true);
    EXPECT_EQ(test::WriteRowText(unknown, 1, false), "x");
    std::string mathml = test::WriteRowText(unknown, 1, true);
    EXPECT_EQ(mathml, "<mover><mover accent=\"true\"><mrow><mi>x</mi></mrow>\n<mo stretchy=\"true\"></mo></mover>"
                      "<mrow><mi>x</mi></mrow>\n</mover>");
    EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
}

// After a labelled brace TeX would see a second script of the kind the label took: a script node or
// prime after it opens an empty base; after an unlabelled brace or a script of the other kind it does not.
TEST(WideMarkTextForms, ScriptsAfterALabelledBraceOpenAnEmptyBase)
{
    const std::string overBrace = Mark('brac', false, true);
    const std::string underBrace = Mark('brac', true, true);
    const std::string superscript = "Sc { Gr (t='sups') { Bg {} Fx {} } }";
    const std::string subscript = "Sc { Gr (t='subs') { Bg {} Fx {} } }";
    const struct
    {
        std::string nodes;
        bool emptyBase;
    } cases[] = {
        {overBrace + " " + superscript, true},
        {overBrace + " Pr {}", true},
        {underBrace + " " + subscript, true},
        {underBrace + " " + superscript, false},
        {Mark('brac', false, false) + " " + superscript, false},
        {Mark('line', false, true) + " " + superscript, false},
    };
    std::vector<std::string> formulas;
    for (const auto &c : cases)
    {
        std::string latex = test::WriteRowText(c.nodes, 1, false);
        EXPECT_EQ(latex.find("}{}") != std::string::npos, c.emptyBase) << latex;
        formulas.push_back(latex);
    }
    EXPECT_EQ(test::CompileWithPdflatex(formulas, test::StructureOracleOptions()), "");
}

// A display sum writes \displaystyle only where the style is not display: inside a brace body the
// style is set, in its label and in stack limits cleared, and it comes back after the node.
TEST(WideMarkTextForms, DisplayStyleInBodyLabelAndLimits)
{
    const std::string sum = "It { Gr { Bg {} Fx {} } }";
    const std::string braceWithSums = "Wm (t='brac') { Gr { Bg {} " + sum + " } Gr (t='labl') { Bg {} " + sum + " } }";
    MathWriterState after;
    std::string latex = test::WriteRowText(braceWithSums + " " + sum, 0, false, &after);
    EXPECT_EQ(latex, "\\overbrace{\\sum{x}}^{\\displaystyle\\sum{x}}\\displaystyle\\sum{x}");
    EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;

    const std::string stackWithSums = "St { Gr { Bg {} " + sum + " } Gr (t='uppr') { Bg {} " + sum + " } }";
    latex = test::WriteRowText(stackWithSums + " " + sum, 1, false, &after);
    EXPECT_EQ(latex, "\\overset{\\displaystyle\\sum{x}}{\\sum{x}}\\sum{x}");
    EXPECT_EQ(after.displayStyle, 1);
    EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
}

// Stacks: \underset and \overset in the order TeX reads them, compiled; MathML in an mstyle that keeps
// the limits over and under, through the DTD; without limits the base alone.
TEST(StackTextForms, BothLimitsAndEitherOne)
{
    const std::string base = "Gr { Bg {} Sb {s{\"B\"}} }";
    const std::string lower = "Gr (t='lowr') { Bg {} Sb {s{\"L\"}} }";
    const std::string upper = "Gr (t='uppr') { Bg {} Sb {s{\"U\"}} }";
    const std::string b = "<mrow><mi>B</mi></mrow>\n";
    const std::string l = "<mrow><mi>L</mi></mrow>\n";
    const std::string u = "<mrow><mi>U</mi></mrow>\n";
    const struct
    {
        std::string slots;
        const char *latex;
        std::string mathml;
    } cases[] = {
        {base + " " + upper + " " + lower, "\\underset{L}{\\overset{U}{B}}",
         "<mstyle movablelimits=\"false\"><munderover>" + b + l + u + "</munderover></mstyle>"},
        {lower + " " + base, "\\underset{L}{B}", "<mstyle movablelimits=\"false\"><munder>" + b + l + "</munder></mstyle>"},
        {upper + " " + base, "\\overset{U}{B}", "<mstyle movablelimits=\"false\"><mover>" + b + u + "</mover></mstyle>"},
        {base, "{B}", b},
    };
    std::vector<std::string> formulas;
    for (const auto &c : cases)
    {
        std::string nodes = "St (sm) { " + c.slots + " }";
        MathWriterState after;
        std::string latex = test::WriteRowText(nodes, 1, false, &after);
        EXPECT_EQ(latex, c.latex);
        EXPECT_EQ(after.controlWord, 0);
        formulas.push_back(latex + "x");
        std::string mathml = test::WriteRowText(nodes, 1, true);
        EXPECT_EQ(mathml, c.mathml);
        EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
    }
    EXPECT_EQ(test::CompileWithPdflatex(formulas, test::StructureOracleOptions()), "");
    std::string all;
    for (const std::string &formula : formulas) all += formula + " ";
    std::string converted;
    EXPECT_EQ(test::ConvertWithMathJax(all, test::StructureOracleOptions(), &converted), "") << all;
}

}  // namespace
}  // namespace oq
