// Matrices' LaTeX and MathML: the amsmath matrix with its cell and row separators compiles with
// pdflatex and converts with MathJax (a cell of two rows too), and the mtable with equal rows and
// columns passes the DTD, its cells written without the display style, which comes back after it.
#include "StructureFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

// A matrix with the properties and the cells' contents, each in a group.
std::string Matrix(const char *properties, std::initializer_list<const char *> cells)
{
    std::string text = std::string("Mx ") + properties + " {";
    for (const char *cell : cells) text += std::string(" Gr { Bg {} ") + cell + " }";
    return text + " }";
}

TEST(MatrixTextForms, LatexPassesBothOracles)
{
    const struct
    {
        std::string text;
        const char *latex;
    } cases[] = {
        {Matrix("(r=2,c=2)", {"Sb {s{\"a\"}}", "Sb {s{\"b\"}}", "Sb {s{\"c\"}}", "Sb {s{\"d\"}}"}),
         "\\begin{matrix}a & b \\\\ c & d\\end{matrix}"},
        {Matrix("(r=1,c=3)", {"Fx {}", "", "Fx {}"}), "\\begin{matrix}x &  & x\\end{matrix}"},
        {Matrix("(r=3,c=1,mb,rg,cg,al='left')", {"Fx {}", "Fx {}", "Fx {}"}),
         "\\begin{matrix}x \\\\ x \\\\ x\\end{matrix}"},
        // A cell of two rows: amsmath warns that split cannot be used there and sets it as aligned.
        {Matrix("(r=2,c=2)", {"Fx {} Bg {} Fx {}", "Fx {}", "Fx {}", "Fx {}"}),
         "\\begin{matrix}\\begin{split}x \\\\ x\\end{split} & x \\\\ x & x\\end{matrix}"},
    };
    for (const auto &c : cases)
    {
        std::string latex = test::WriteRowText(c.text, 1, false);
        EXPECT_EQ(latex, c.latex) << c.text;
        EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
    }
}

TEST(MatrixTextForms, MathMLPassesTheDtd)
{
    const std::string small = "Fr (sm) { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } }";
    const std::string large = "Fr { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } }";
    const struct
    {
        std::string text;
        const char *mathml;
    } cases[] = {
        {Matrix("(r=2,c=2,eh,ew)", {"Fx {}", "", "Fx {}", "Fx {}"}),
         "<mtable equalrows=\"true\" equalcolumns=\"true\"><mtr><mtd><mrow><mi>x</mi></mrow>\n</mtd><mtd><mrow></mrow>\n"
         "</mtd></mtr><mtr><mtd><mrow><mi>x</mi></mrow>\n</mtd><mtd><mrow><mi>x</mi></mrow>\n</mtd></mtr></mtable>"},
        // "mb", "rg", "cg" and "al" are not written.
        {Matrix("(r=1,c=2,mb,rg,cg,al='rght',ew)", {"Fx {}", "Fx {}"}),
         "<mtable equalcolumns=\"true\"><mtr><mtd><mrow><mi>x</mi></mrow>\n</mtd><mtd><mrow><mi>x</mi></mrow>\n"
         "</mtd></mtr></mtable>"},
        // The cells start without the display style: a small fraction needs no switch, a large one does.
        {Matrix("(r=1,c=2)", {small.c_str(), large.c_str()}),
         "<mtable><mtr><mtd><mrow><mfrac><mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</mfrac></mrow>\n</mtd>"
         "<mtd><mrow><mfrac displaystyle=\"true\"><mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</mfrac></mrow>\n"
         "</mtd></mtr></mtable>"},
    };
    for (const auto &c : cases)
    {
        MathWriterState after;
        std::string mathml = test::WriteRowText(c.text, 1, true, &after);
        EXPECT_EQ(mathml, c.mathml) << c.text;
        EXPECT_EQ(after.displayStyle, 1) << c.text;
        EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
    }
}

}  // namespace
}  // namespace oq
