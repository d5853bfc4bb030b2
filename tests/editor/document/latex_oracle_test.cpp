#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/TextString.h"
#include "editor/document/BackslashCommandTable.h"
#include "editor/document/CodePointText.h"
#include "editor/document/MathNode.h"
#include "support/LatexOracles.h"
#include "support/MathMLValidator.h"

namespace oq {
namespace {

using test::CompileWithPdflatex;
using test::ConvertWithMathJax;
using test::LatexOracleOptions;
using test::MakeLatexStubs;

std::string Latex(const std::vector<uint32_t> &codePoints)
{
    MathWriterState state;
    TextString output;
    for (uint32_t c : codePoints) AppendLatexCodePoint(&state, c, &output);
    return output.GetText();
}

std::vector<std::string> TableNames()
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < kSortedBackslashCommandCount; ++i) names.push_back(BackslashCommandTable[i].name);
    return names;
}

// Every form the writer has: the table's commands and the ASCII characters, each in its own
// math, with every table name stubbed that LaTeX lacks.
TEST(LatexOracle, EveryWrittenFormCompiles)
{
    std::vector<std::string> formulas;
    for (int32_t i = 0; i < kSortedBackslashCommandCount; ++i)
        formulas.push_back(Latex({BackslashCommandTable[i].codePoint}));
    for (uint32_t c = 0; c < 128; ++c)
    {
        std::string form = Latex({c});
        if (!form.empty()) formulas.push_back(form);  // controls write nothing
    }
    formulas.push_back(Latex({0x2212}));
    formulas.push_back(Latex({0x4E00, 0x1D44E, 0xFFFD}));
    // A command followed by a letter keeps its name apart.
    std::vector<uint32_t> commandsAndLetters;
    for (int32_t i = 0; i < kSortedBackslashCommandCount; ++i)
    {
        commandsAndLetters.push_back(BackslashCommandTable[i].codePoint);
        commandsAndLetters.push_back('x');
    }
    commandsAndLetters.push_back('\\');
    commandsAndLetters.push_back('y');
    formulas.push_back(Latex(commandsAndLetters));

    LatexOracleOptions options;
    options.preamble = MakeLatexStubs(TableNames());
    EXPECT_EQ(CompileWithPdflatex(formulas, options), "");
}

// The stubs stand in for exactly the names amsmath and amssymb leave undefined.
TEST(LatexOracle, UndefinedTableNamesAfterThePackages)
{
    std::string check = "\\newcount\\undefinednames\n";
    for (const std::string &name : TableNames())
        check += "\\ifdefined\\" + name + "\\else\\advance\\undefinednames by 1 \\fi\n";
    check += "\\ifnum\\undefinednames=118 \\else\\errmessage{undefined names: \\the\\undefinednames}\\fi\n";
    LatexOracleOptions options;
    options.preamble = check;
    EXPECT_EQ(CompileWithPdflatex("x", options), "");
}

// The oracles must refuse what is wrong, or their silence proves nothing.
TEST(LatexOracle, RefusesBrokenFormulas)
{
    const struct
    {
        const char *formula;
        const char *error;  // part of the report
    } cases[] = {
        {"\\^", "Improper"},                // a text accent: the old form of U+005E
        {"a}", "Extra }"},
        {"\\Alpha", "Undefined control sequence"},  // no stubs
    };
    for (const auto &c : cases)
    {
        std::string report = CompileWithPdflatex(c.formula);
        EXPECT_NE(report.find(c.error), std::string::npos) << c.formula << ": " << report;
    }
    // A run of many formulas names the one that failed.
    std::string report = CompileWithPdflatex(std::vector<std::string>{"a", "\\alpha", "b^{", "c"});
    EXPECT_NE(report.find("formula 2 (b^{)"), std::string::npos) << report;
}

TEST(LatexOracle, StubsAndNullDelimiters)
{
    EXPECT_EQ(MakeLatexStubs({"\\Alpha", "enclose[2]"}),
              "\\providecommand{\\unicode}[1]{.}\n"
              "\\providecommand{\\Alpha}{{}}\n"
              "\\providecommand{\\enclose}[2]{{#1#2}}\n");
    LatexOracleOptions options;
    options.preamble = MakeLatexStubs({"tcohm", "enclose[2]", "alpha"});
    EXPECT_EQ(CompileWithPdflatex("\\left\\unicode{x2997} a \\right) \\tcohm^\\tcohm \\enclose{box}{x} \\alpha",
                                  options),
              "");
    // A stub expanding to a letter would not do after \left.
    options.preamble = "\\providecommand{\\unicode}[1]{u}\n";
    EXPECT_NE(CompileWithPdflatex("\\left\\unicode{x2997} a \\right)", options).find("Missing delimiter"),
              std::string::npos);
}

// TeX's \\ compiles in math too, but breaks the row: the backslash must come out as a symbol.
TEST(LatexOracle, BackslashIsASymbolNotALineBreak)
{
    std::string latex = Latex({'a', 0x5C, 'b'});
    LatexOracleOptions options;
    std::string mathml;
    ASSERT_EQ(ConvertWithMathJax(latex, options, &mathml), "") << latex;
    EXPECT_EQ(mathml.find("linebreak"), std::string::npos) << mathml;
    EXPECT_NE(mathml.find("<mi>b</mi>"), std::string::npos) << mathml;
    EXPECT_EQ(test::ValidateMathML(mathml, ""), "") << mathml;
    EXPECT_EQ(CompileWithPdflatex(latex), "");

    // The check sees the difference: the old form is a line break.
    ASSERT_EQ(ConvertWithMathJax("a\\\\b", options, &mathml), "");
    EXPECT_NE(mathml.find("linebreak"), std::string::npos) << mathml;
}

TEST(LatexOracle, MathJaxRefusesUnknownCommandsUnlessGivenAsMacros)
{
    LatexOracleOptions options;
    std::string mathml;
    std::string report = ConvertWithMathJax("\\tcohm x", options, &mathml);
    EXPECT_NE(report.find("tcohm"), std::string::npos) << report;
    EXPECT_EQ(mathml, "");
    options.mathJaxMacros["tcohm"] = "\\Omega";
    options.display = true;
    ASSERT_EQ(ConvertWithMathJax("\\tcohm x", options, &mathml), "");
    EXPECT_NE(mathml.find("display=\"block\""), std::string::npos) << mathml;
    EXPECT_NE(mathml.find("&#x3A9;"), std::string::npos) << mathml;
}

}  // namespace
}  // namespace oq
