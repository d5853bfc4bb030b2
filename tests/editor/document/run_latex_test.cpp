// The LaTeX of symbol runs by role, style and decoration: the exact text, the brace balance, the
// control-word flag, and every row compiled by pdflatex.
#include "DecorationTesting.h"
#include "support/LatexOracles.h"

#include "editor/document/RunCommandTables.h"
#include "editor/document/SymbolRunNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using test::DecorationTestDocument;

// Opening minus closing braces, escaped ones left out.
int32_t BraceBalance(const std::string &text)
{
    int32_t balance = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '{')
            ++balance;
        else if (text[i] == '}')
            --balance;
    }
    return balance;
}

struct RunLatex
{
    std::string text;
    uint8_t flag = 0;
};

// The LaTeX of the run "r" of a one-row group, written after a text that left the flag given.
RunLatex WriteRunLatex(const std::string &run, uint8_t flagBefore = 0)
{
    DecorationTestDocument document;
    const SymbolRunNode *node = test::ReadRowRun(document, run);
    if (node == nullptr) return {};
    MathWriterState state;
    state.controlWord = flagBefore;
    TextString output;
    node->WriteLatex(&state, &output);
    return {output.GetText(), state.controlWord};
}

struct LatexCase
{
    const char *what;
    const char *run;
    const char *latex;
    uint8_t flag;  // after the run
    bool compiles = true;  // \text{\backslash} is the output format, but pdflatex refuses it
};

const LatexCase kLatexCases[] = {
    {"a math letter in its default style", "Sb $r {s{\"x\"}}", "x", 0},
    {"upright math", "Sb $r (st='uprt') {s{\"x\"}}", "\\mathrm{x}", 0},
    {"bold", "Sb $r (st='bold') {s{\"ab\"}}", "\\mathbf{ab}", 0},
    {"monospace", "Sb $r (st='mono') {s{\"ab\"}}", "\\mathtt{ab}", 0},
    {"bold italic", "Sb $r (st='bitl') {s{\"x\"}}", "\\boldsymbol{x}", 0},
    {"double-struck F goes back to F", "Sb $r (st='doub') {s{\"\\xF0\\x9D\\x94\\xBD\"}}", "\\mathbb{F}", 0},
    {"fraktur A", "Sb $r (st='frkt') {s{\"\\xF0\\x9D\\x94\\x84\"}}", "\\mathfrak{A}", 0},
    {"script", "Sb $r (st='scpt') {s{\"x\"}}", "\\mathcal{x}", 0},
    {"sans-serif italic", "Sb $r (st='itsn') {s{\"x\"}}", "\\mathsfit{x}", 0},
    {"bold sans-serif opens two braces", "Sb $r (st='dbsn') {s{\"x\"}}", "\\boldsymbol{\\mathsf{x}}", 0},
    {"a Greek style writes no opening", "Sb $r (st='grek') {s{\"\\xCE\\xB1\"}}", "\\alpha", 1},
    {"a number", "Sb $r (ro='nmbr') {s{\"12\"}}", "12", 0},
    {"an operator", "Sb $r (ro='oper') {s{\"+\"}}", " + ", 0},
    {"an upright operator", "Sb $r (ro='oper',st='uprt') {s{\"+\"}}", "\\mathrm{ + }", 0},
    {"text", "Sb $r (ro='text') {s{\"ab c\"}}", "\\text{ab c}", 0},
    {"a chemical element", "Sb $r (ro='chem') {s{\"He\"}}", "\\mathrm{He}", 0},
    {"a unit", "Sb $r (ro='unit') {s{\"m\"}}", "\\,\\mathrm{m}", 0},
    {"a standard function", "Sb $r (ro='func') {s{\"sin\"}}", "\\sin", 1},
    {"a standard function writes no decoration", "Sb $r (ro='func') { s{\"lim\"} Mk {u32{0x302}} }", "\\lim", 1},
    {"another function name", "Sb $r (ro='func') {s{\"foo\"}}", "\\,\\operatorname{foo}", 0},
    {"a circle", "Sb $r { s{\"x\"} En {} }", "\\enclose{circle}{x}", 0},
    {"a rounded square", "Sb $r { s{\"x\"} En (t='rdsq') {} }", "\\enclose{box}{x}", 0},
    {"a hat", "Sb $r { s{\"x\"} Mk {u32{0x302}} }", "\\hat{x}", 0},
    {"an under-vector", "Sb $r { s{\"x\"} Mk (un) {u32{0x20EF}} }", "\\uvec{x}", 0},
    {"a mark without a command", "Sb $r { s{\"x\"} Mk {u32{0x361}} }", "x", 0},
    {"a negation", "Sb $r (ro='rltn') { s{\"=\"} Ng {} }", "\\not{ = }", 0},
    {"only the first negation or slash", "Sb $r (ro='rltn') { s{\"=\"} Sl {} Ng (t='vert') {} Sl {} }", "\\not{ = }", 0},
    {"two marks, the first outermost", "Sb $r { s{\"x\"} Mk {u32{0x302}} Mk {u32{0x20D7}} }", "\\hat{\\vec{x}}", 0},
    {"a hat and a negation", "Sb $r { s{\"x\"} Mk {u32{0x302}} Ng {} }", "\\hat{\\not{x}}", 0},
    {"bold with an enclosure and an under-dot", "Sb $r (st='bold') { s{\"x\"} En (t='squa') {} Mk {u32{0x323}} }",
     "\\mathbf{\\enclose{box}{\\udot{x}}}", 0},
    {"an italic function name with a mark", "Sb $r (ro='func',st='ital') { s{\"foo\"} Mk {u32{0x308}} }",
     "\\,\\operatorname{\\ddot{foo}}", 0},
    {"text with a circle", "Sb $r (ro='text') { s{\"ab\"} En {} }", "\\text{\\enclose{circle}{ab}}", 0},
    {"text with a backslash", "Sb $r (ro='text') {s{\"a\\\\b\"}}", "\\text{a\\backslash b}", 0, false},
};

TEST(RunLatex, RolesStylesAndDecorations)
{
    for (const LatexCase &c : kLatexCases)
    {
        SCOPED_TRACE(c.what);
        RunLatex written = WriteRunLatex(c.run);
        EXPECT_EQ(written.text, c.latex);
        EXPECT_EQ(BraceBalance(written.text), 0);
        EXPECT_EQ(written.flag, c.flag);
    }
}

// A letter after a control word gets its blank; a run that opens a brace clears the flag.
TEST(RunLatex, ControlWordFlag)
{
    EXPECT_EQ(WriteRunLatex("Sb $r {s{\"x\"}}", 1).text, " x");
    RunLatex greek = WriteRunLatex("Sb $r (st='grek') {s{\"\\xCE\\xB1\"}}", 0);
    EXPECT_EQ(greek.flag, 1);
    RunLatex opened = WriteRunLatex("Sb $r (st='uprt') {s{\"x\"}}", 1);
    EXPECT_EQ(opened.text, "\\mathrm{x}");
    EXPECT_EQ(opened.flag, 0);
    RunLatex function = WriteRunLatex("Sb $r (ro='func') {s{\"cos\"}}", 0);
    EXPECT_EQ(function.text + "x", "\\cosx");  // the flag tells the next writer to put a blank in
    EXPECT_EQ(function.flag, 1);
}

// Every row compiles in $...$ with stubs of the names standard LaTeX lacks.
TEST(RunLatex, RowsCompileWithPdflatex)
{
    std::vector<std::string> formulas;
    for (const LatexCase &c : kLatexCases)
    {
        if (c.compiles) formulas.push_back(WriteRunLatex(c.run).text);
    }
    for (const MarkCommand &mark : kMarkCommands)
    {
        std::string written = WriteRunLatex("Sb $r { s{\"x\"} Mk {u32{" + std::to_string(mark.codePoint) + "}} }").text;
        EXPECT_EQ(written, std::string("\\") + mark.name + "{x}");
        formulas.push_back(written);
    }
    test::LatexOracleOptions options;
    options.preamble = test::MakeLatexStubs({"udot", "uddot", "udddot", "ucheck", "uhat", "ubreve", "utilde", "ubar",
                                             "uvec", "enclose[2]", "mathsfit"});
    EXPECT_EQ(test::CompileWithPdflatex(formulas, options), "");
}

}  // namespace
}  // namespace oq
