// The text forms of the enclosing structures: roots, long divisions, boxes and strikes write LaTeX
// that pdflatex compiles and MathJax converts, and MathML that passes the DTD.
#include "StructureFixtures.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {


// A structure over one body group (role 0) holding the nodes, with further groups after it.
std::string Enclosing(const char *head, const std::string &body, const std::string &more = "")
{
    return std::string(head) + " { Gr { Bg {} " + body + " }" + (more.empty() ? "" : " " + more) + " }";
}

std::string Degree(const std::string &nodes)
{
    return "Gr (t='degr') { Bg {} " + nodes + " }";
}

const char *const kRightSquareRun = "Sb {s{\"]\"}}";
// A bracket with only a right ']' around one box.
const char *const kRightSquareBracket = "Br { u32{0,0x5D} Gr { Bg {} Fx {} } }";

TEST(EnclosingTextForms, LatexPassesBothOracles)
{
    const struct
    {
        std::string nodes;
        const char *latex;
    } cases[] = {
        {Enclosing("Rd", ""), "\\sqrt{}"},
        {Enclosing("Rd", "Fx {}"), "\\sqrt{x}"},
        {Enclosing("Rd", "Fx {}", Degree("Fx {}")), "\\sqrt[{x}]{x}"},
        {Enclosing("Rd", "", Degree("")), "\\sqrt[{}]{}"},
        // A ']' in the degree stays inside the optional argument.
        {Enclosing("Rd", "Fx {}", Degree(kRightSquareRun)), "\\sqrt[{]}]{x}"},
        {Enclosing("Rd", "Fx {}", Degree(kRightSquareBracket)), "\\sqrt[{\\left.x\\right]}]{x}"},
        // The quotient is lost.
        {Enclosing("Dv", "Fx {}", "Gr (t='quot') { Bg {} Fx {} Fx {} }"), "\\enclose{longdiv}{x}"},
        {Enclosing("Dv", ""), "\\enclose{longdiv}{}"},
        // Every box type is \boxed; a display sum inside one is set in display style without a switch.
        {Enclosing("Bx", "Fx {}"), "\\boxed{x}"},
        {Enclosing("Bx (t='lwrt')", ""), "\\boxed{}"},
        {Enclosing("Bx (t='uplf')", "It { Gr { Bg {} Fx {} } }"), "\\boxed{\\sum{x}}"},
        {Enclosing("Kt", "Fx {}"), "\\enclose{horizontalstrike}{x}"},
        {Enclosing("Kt (t='lwup')", "Fx {}"), "\\cancel{x}"},
        {Enclosing("Kt (t='uplw')", "Fx {}"), "\\bcancel{x}"},
        {Enclosing("Kt (t='exxx')", ""), "\\xcancel{}"},
    };
    for (const auto &c : cases)
    {
        std::string latex = test::WriteRowText(c.nodes, 1, false);
        EXPECT_EQ(latex, c.latex) << c.nodes;
        EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
    }
}

TEST(EnclosingTextForms, MathMLPassesTheDtd)
{
    const struct
    {
        std::string nodes;
        const char *mathml;
    } cases[] = {
        {Enclosing("Rd", "Fx {}"), "<msqrt>\n<mrow><mi>x</mi></mrow>\n</msqrt>"},
        {Enclosing("Rd", ""), "<msqrt>\n"},
        // The radicand first, then the degree.
        {Enclosing("Rd", "Fx {}", Degree(kRightSquareRun)),
         "<mroot>\n<mrow><mi>x</mi></mrow>\n<mrow><mi>]</mi></mrow>\n</mroot>"},
        {Enclosing("Rd", "", Degree("")), "<mroot>\n"},
        // MathML keeps the quotient.
        {Enclosing("Dv", "Fx {}", "Gr (t='quot') { Bg {} Sb {s{\"q\"}} }"),
         "<mlongdiv><mrow/><mrow><mi>q</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</mlongdiv>"},
        {Enclosing("Dv", ""), "<mlongdiv><mrow/><mrow/><mrow></mrow>\n</mlongdiv>"},
        {Enclosing("Bx", "Fx {}"), "<menclose notation=\"box\"><mrow><mi>x</mi></mrow>\n</menclose>"},
        {Enclosing("Bx (t='uplf')", ""), "<menclose notation=\"top left\">"},
        {Enclosing("Bx (t='uprt')", ""), "<menclose notation=\"top right\">"},
        {Enclosing("Bx (t='lwlf')", ""), "<menclose notation=\"bottom left\">"},
        {Enclosing("Bx (t='lwrt')", ""), "<menclose notation=\"bottom right\">"},
        {Enclosing("Kt", "Fx {}"), "<menclose notation=\"horizontalstrike\"><mrow><mi>x</mi></mrow>\n</menclose>"},
        {Enclosing("Kt (t='lwup')", ""), "<menclose notation=\"updiagonalstrike\">"},
        {Enclosing("Kt (t='uplw')", ""), "<menclose notation=\"downdiagonalstrike\">"},
        {Enclosing("Kt (t='exxx')", ""), "<menclose notation=\"updiagonalstrike downdiagonalstrike\">"},
    };
    for (const auto &c : cases)
    {
        std::string mathml = test::WriteRowText(c.nodes, 1, true);
        EXPECT_NE(mathml.find(c.mathml), std::string::npos) << mathml;
        EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
    }
}

}  // namespace
}  // namespace oq
