// The text forms of groups, row begins and alignment marks: Kettric (exact text, defaults, errors),
// LaTeX and MathML (checked against the MathML 3 DTD).
#include "support/DocumentTestKinds.h"
#include "support/MathMLValidator.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::MathTestDocument;
using test::ResultText;

// Texts that read and then write as given.
TEST(GroupTextForms, KettricRoundTrip)
{
    struct Case
    {
        const char *what;
        const char *input;
        const char *output;
    } cases[] = {
        {"the smallest group", "Gr { Bg {} }", "Gr\n{\n\tBg {}\n}\n"},
        {"defaults are not written", "Gr (t=0,al=0,ba='last',as=1,ax=0,ay=0) { Bg (lg=-1) {} Fx {} Al (al='left') {} }",
         "Gr\n{\n\tBg {}\n\tFx {}\n\tAl {}\n}\n"},
        {"every property that differs",
         "Gr (ba='mddl',al='cent',t='numr',as=0.5,ax=1,ay=-2) { Bg (lg=3) {} Al (al='cent',as=2) {} Bg (lg=0) {} Al (al='rght') {} }",
         "Gr (as=0.5,ax=1.0,ay=-2.0,t='numr',al='cent',ba='mddl')\n{\n\tBg (lg=3.0) {}\n\tAl (as=2.0,al='cent') {}\n"
         "\tBg (lg=0.0) {}\n\tAl (al='rght') {}\n}\n"},
        {"an unknown \"al\" of a mark reads as 'left'", "Gr { Bg {} Al (al='wxyz') {} Al (al=7) {} }",
         "Gr\n{\n\tBg {}\n\tAl {}\n\tAl {}\n}\n"},
        {"an unknown \"al\" of a group reads as 0, an unknown \"ba\" as 'last'", "Gr (al='wxyz',ba='frsT') { Bg {} }",
         "Gr\n{\n\tBg {}\n}\n"},
        {"'frst' and 'rght'", "Gr (al='rght',ba='frst') { Bg {} }", "Gr (al='rght',ba='frst')\n{\n\tBg {}\n}\n"},
        {"a non-finite or negative line gap reads as the default",
         "Gr { Bg (lg=0x7FC00000) {} Bg (lg=0x7F800000) {} Bg (lg=-5) {} }", "Gr\n{\n\tBg {}\n\tBg {}\n\tBg {}\n}\n"},
        {"nested groups and an unknown structure", "Gr { Bg {} St { Gr (t='subs') { Bg {} Qq { Al {} } } } }",
         "Gr\n{\n\tBg {}\n\tSt\n\t{\n\t\tGr (t='subs')\n\t\t{\n\t\t\tBg {}\n\t\t}\n\t}\n}\n"},
        {"a group holds a link block", "Gr { Bg {} Fx $a {} } Gr { Bg {} X { ref{$a} u32{'cent'} i32{1} } }",
         "Gr\n{\n\tBg {}\n\tFx $_0 {}\n}\nGr\n{\n\tBg {}\n\tX\n\t{\n\t\tref{$_0}\n\t\tu32{'cent'}\n\t\ti32{1}\n\t}\n}\n"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        MathTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.input)), "0");
        std::string written = document.WriteText();
        EXPECT_EQ(written, c.output);
        MathTestDocument reread;
        ASSERT_EQ(ResultText(reread.ParseAndResolve(written.c_str())), "0");
        EXPECT_EQ(reread.WriteText(), written);
    }
}

TEST(GroupTextForms, ReadingErrors)
{
    struct Case
    {
        const char *text;
        const char *result;
    } cases[] = {
        {"Gr { }", "MSSB"},
        {"Gr { Fx {} Bg {} }", "MSSB"},
        {"Gr { Al {} Bg {} }", "MSSB"},
        {"Gr { Bg {} St { Gr { Fx {} } } }", "MSSB"},
        {"Gr { Bg {} Mk {} }", "IVST"},
        {"Gr { Bg {} En {} }", "IVST"},
        {"Gr { Bg {} Lf {} }", "IVST"},
        {"Gr { Bg {} Dr {} }", "IVST"},
        {"Gr { Bg {} Al { Fx {} } }", "IVST"},
        {"Gr { Bg {} Al { Bg {} } }", "IVST"},
        {"Gr { Bg {} Al { X { ref{$a} u32{0} i32{0} } } }", "IVST"},
        {"Gr { Bg { Fx {} } }", "IVST"},
        {"Gr { Bg {} X { ref{$nowhere} u32{0} i32{0} } }", "BREF"},
        // A decoration inside a structure is its kind's own business.
        {"Gr { Bg {} St { Mk {} } }", "0"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        MathTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.text)), c.result);
    }
}

// The LaTeX and MathML of the first top-level node of the text, from the given state.
std::string Latex(const char *text, MathWriterState *state)
{
    MathTestDocument document;
    if (document.ParseAndResolve(text) != 0) return "(unreadable)";
    TextString output;
    MathNode::FromStructure(document.GetRootStructure()->GetFirstSubnodeStructure())->WriteLatex(state, &output);
    return output.GetText();
}

std::string MathML(const char *text)
{
    MathTestDocument document;
    if (document.ParseAndResolve(text) != 0) return "(unreadable)";
    TextString output;
    MathWriterState state;
    MathNode::FromStructure(document.GetRootStructure()->GetFirstSubnodeStructure())->WriteMathML(&state, &output);
    return output.GetText();
}

TEST(GroupTextForms, Latex)
{
    struct Case
    {
        const char *text;
        const char *latex;
    } cases[] = {
        {"Gr { Bg {} Fx {} Fx {} }", "xx"},
        {"Gr { Bg {} }", ""},
        {"Gr { Bg {} Fx {} Bg {} Fx {} }", "\\begin{split}x \\\\ x\\end{split}"},
        {"Gr { Bg {} Fx {} Al {} Fx {} }", "\\begin{split}x&x\\end{split}"},
        {"Gr { Bg {} Fx {} Al (al='rght') {} Fx {} Bg {} Al {} Fx {} Bg {} }",
         "\\begin{split}x&x \\\\ &x \\\\ \\end{split}"},
        {"Gr { Bg {} St { Gr { Bg {} Fx {} Bg {} Fx {} } } }", "\\begin{split}x \\\\ x\\end{split}"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        MathWriterState state;
        state.controlWord = 1;
        EXPECT_EQ(Latex(c.text, &state), c.latex);
        // Every form here ends with something other than a control word, or writes nothing.
        EXPECT_EQ(state.controlWord, (c.latex[0] == 0) ? 1 : 0);
        EXPECT_EQ(state.displayStyle, 1);
    }
}

TEST(GroupTextForms, MathML)
{
    struct Case
    {
        const char *text;
        const char *mathml;
    } cases[] = {
        {"Gr { Bg {} Fx {} }", "<mrow><mi>x</mi></mrow>\n"},
        {"Gr { Bg {} }", "<mrow></mrow>\n"},
        {"Gr { Bg {} Fx {} Al {} Fx {} }", "<mrow><mi>x</mi><mi>x</mi></mrow>\n"},
        {"Gr { Bg {} Fx {} Bg {} Fx {} }",
         "<mrow><mtable columnalign=\"left\"><mtr><mtd><mi>x</mi></mtd></mtr><mtr><mtd><mi>x</mi></mtd></mtr></mtable></mrow>\n"},
        {"Gr (al='cent') { Bg {} Fx {} Bg {} Bg {} Fx {} }",
         "<mrow><mtable columnalign=\"center\"><mtr><mtd><mi>x</mi></mtd></mtr><mtr><mtd></mtd></mtr><mtr><mtd><mi>x</mi>"
         "</mtd></mtr></mtable></mrow>\n"},
        {"Gr (al='rght') { Bg {} Fx {} Al {} Fx {} Bg {} Al (al='cent') {} Fx {} Bg {} Fx {} Al {} }",
         "<mrow><mtable columnalign=\"right\"><mtr><mtd><mi>x</mi><mi>x</mi></mtd></mtr><mtr><mtd><mi>x</mi></mtd></mtr>"
         "<mtr><mtd><mi>x</mi></mtd></mtr></mtable></mrow>\n"},
        // Rows outside a group (a crafted structure's contents) write no table cells.
        {"Gr { Bg {} St { Bg {} Fx {} Bg {} Fx {} } }", "<mrow><mi>x</mi><mi>x</mi></mrow>\n"},
        {"Gr { Bg {} St { Gr { Bg {} Fx {} Bg {} Fx {} } } Bg {} St { Gr { Bg {} Fx {} } } }",
         "<mrow><mtable columnalign=\"left\"><mtr><mtd><mrow><mtable columnalign=\"left\"><mtr><mtd><mi>x</mi></mtd></mtr>"
         "<mtr><mtd><mi>x</mi></mtd></mtr></mtable></mrow>\n</mtd></mtr><mtr><mtd><mrow><mi>x</mi></mrow>\n</mtd></mtr>"
         "</mtable></mrow>\n"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        std::string mathml = MathML(c.text);
        EXPECT_EQ(mathml, c.mathml);
        EXPECT_EQ(test::ValidateMathML("<math xmlns=\"http://www.w3.org/1998/Math/MathML\">" + mathml + "</math>", ""), "");
    }
}

}  // namespace
}  // namespace oq
