// Scripts' and primes' LaTeX and MathML against the oracles: every row order compiles with pdflatex and
// converts with MathJax (no double script anywhere), and the MathML passes the DTD, prime texts that
// are markup or no XML character included.
#include "StructureFixtures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace oq {
namespace {

using test::WriteRowText;

const std::string kX = "Sb {s{\"x\"}} ";

std::string Slot(const char *role, const char *letter)
{
    return std::string("Gr (t='") + role + "') { Bg {} Sb {s{\"" + letter + "\"}} } ";
}

std::string Sub(const char *letter = "a")
{
    return "Sc { " + Slot("subs", letter) + "} ";
}

std::string Sup(const char *letter = "b")
{
    return "Sc { " + Slot("sups", letter) + "} ";
}

std::string Both(const char *properties = "")
{
    return std::string("Sc ") + properties + " { " + Slot("subs", "a") + Slot("sups", "b") + "} ";
}

std::string Prime(uint32_t codePoint = 0x2032)
{
    char text[48];
    std::snprintf(text, sizeof(text), "Pr {u32{0x%X}} ", codePoint);
    return text;
}

TEST(ScriptTextForms, EveryRowOrderCompiles)
{
    const std::string tab = "Sp (t) {} ";
    const std::string overlay = "Ph (t='hzov') { Bg {} Sb {s{\"y\"}} } ";
    const std::string rightBracketOnly = "Br { u32{0,0x5D} Gr { Bg {} Sb {s{\"x\"}} } } ";
    const struct
    {
        std::string nodes;
        const char *latex;  // null: only compiled
    } cases[] = {
        {kX + Both(), "x_{a}^{b}"},
        {kX + Both("(ow,ns)"), "x_{a}^{b}"},
        {Both("(pr)") + kX, "{}_{a}^{b}x"},
        {Sub() + kX, "_{a}x"},
        {kX + Prime(0x2057), "x''''"},
        {kX + Prime() + Prime(0x2033) + Prime(0x2034), "x''''''"},
        {kX + Sub() + Prime(), "x_{a}'"},
        // A superscript after primes joins theirs; a subscript after them stays under them.
        {kX + Prime() + Sup(), "x'^{b}"},
        {kX + Prime() + Sub(), "x'_{a}"},
        {kX + Prime() + Both(), "x'^{b}_{a}"},
        {kX + Prime() + Prime(0x2033) + Both(), "x'''^{b}_{a}"},
        // An empty base where TeX would see a second script of one kind.
        {kX + Sup() + Prime(), "x^{b}{}'"},
        {kX + Sub() + Sub("b"), "x_{a}{}_{b}"},
        {kX + Sub() + Sup(), "x_{a}{}^{b}"},
        {kX + Both() + Both(), "x_{a}^{b}{}_{a}^{b}"},
        {kX + Both("(pr)") + Both(), "x{}_{a}^{b}{}_{a}^{b}"},
        {kX + Prime() + Sub() + Prime(), "x'_{a}{}'"},
        {kX + Sub() + Prime() + Sub("b"), "x_{a}'{}_{b}"},
        {kX + Sub() + Prime() + Sup(), "x_{a}'^{b}"},
        {kX + Prime() + Sup() + Prime(), "x'^{b}{}'"},
        // Tabs, overlay phantoms and primes of other code points write nothing and are looked past.
        {kX + Sup() + Prime(0x2020) + Prime(), "x^{b}{}'"},
        {kX + Sup() + tab + Prime(), "x^{b}{}'"},
        {kX + Sub() + overlay + Sub("b"), "x_{a}{}_{b}"},
        {kX + Prime() + tab + Both(), "x'^{b}_{a}"},
        {kX + Prime(0x2020) + Sup() + Prime(), "x^{b}{}'"},
        // A bracket with only a right ']' closes with the null delimiter on the left.
        {rightBracketOnly + Both(), nullptr},
        {rightBracketOnly + Prime() + Both(), nullptr},
    };
    for (const auto &c : cases)
    {
        std::string latex = WriteRowText(c.nodes, 1, false);
        if (c.latex != nullptr)
        {
            EXPECT_EQ(latex, c.latex) << c.nodes;
        }
        else
        {
            EXPECT_EQ(latex.rfind("\\left.", 0), 0u) << latex;
            EXPECT_NE(latex.find("\\right]"), std::string::npos) << latex;
        }
        EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
    }
}

TEST(ScriptTextForms, ScriptsInScriptsAndSlotStyles)
{
    // Scripts inside a script, a fraction in a script (written as \dfrac in any style), and the
    // display style back after the scripts.
    const std::string fraction = "Fr { Gr (t='numr') { Bg {} Fx {} } Gr (t='dnom') { Bg {} Fx {} } } ";
    const std::string nested = "Sc { Gr (t='sups') { Bg {} " + kX + Sup("c") + Prime() + "} } ";
    const std::string withFraction = "Sc { Gr (t='subs') { Bg {} " + fraction + "} } ";
    const struct
    {
        std::string nodes;
        const char *latex;
        const char *mathml;
    } cases[] = {
        {kX + nested, "x^{x^{c}{}'}",
         "<mi>x</mi><msup><mrow/><mrow><mi>x</mi><msup><mrow/><mrow><mi>c</mi></mrow>\n</msup><mo>\xE2\x80\xB2</mo></mrow>\n"
         "</msup>"},
        {kX + withFraction + fraction, "x_{\\dfrac{x}{x}}\\dfrac{x}{x}",
         "<mi>x</mi><msub><mrow/><mrow><mfrac displaystyle=\"true\"><mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n"
         "</mfrac></mrow>\n</msub><mfrac><mrow><mi>x</mi></mrow>\n<mrow><mi>x</mi></mrow>\n</mfrac>"},
    };
    for (const auto &c : cases)
    {
        std::string latex = WriteRowText(c.nodes, 1, false);
        EXPECT_EQ(latex, c.latex);
        EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
        std::string mathml = WriteRowText(c.nodes, 1, true);
        EXPECT_EQ(mathml, c.mathml);
        EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
    }
}

TEST(ScriptTextForms, MathMLPassesTheDtd)
{
    const std::string a = "<mrow><mi>a</mi></mrow>\n";
    const std::string b = "<mrow><mi>b</mi></mrow>\n";
    const std::string prime = "<mo>\xE2\x80\xB2</mo>";
    const struct
    {
        std::string nodes;
        std::string mathml;
    } cases[] = {
        {kX + Sub(), "<mi>x</mi><msub><mrow/>" + a + "</msub>"},
        {kX + Sup(), "<mi>x</mi><msup><mrow/>" + b + "</msup>"},
        {kX + Both(), "<mi>x</mi><msubsup><mrow/>" + a + b + "</msubsup>"},
        {kX + Prime() + Both(), "<mi>x</mi>" + prime + "<msubsup><mrow/>" + a + b + "</msubsup>"},
        {Both("(pr)") + kX, "<mmultiscripts><mrow/><mprescripts/>" + a + b + "</mmultiscripts><mi>x</mi>"},
        {"Sc (pr) { " + Slot("sups", "b") + "} " + kX,
         "<mmultiscripts><mrow/><mprescripts/><mrow/>" + b + "</mmultiscripts><mi>x</mi>"},
        {"Sc (pr) { " + Slot("subs", "a") + "} " + kX,
         "<mmultiscripts><mrow/><mprescripts/>" + a + "<mrow/></mmultiscripts><mi>x</mi>"},
        // Prime texts: markup escaped, a forbidden control left out, U+FFFE as U+FFFD.
        {kX + Prime(0x2057), "<mi>x</mi><mo>\xE2\x81\x97</mo>"},
        {kX + Prime(0x3C), "<mi>x</mi><mo>&#x3C;</mo>"},
        {kX + Prime(0x26), "<mi>x</mi><mo>&#x26;</mo>"},
        {kX + Prime(0x1), "<mi>x</mi><mo></mo>"},
        {kX + Prime(0xFFFE), "<mi>x</mi><mo>\xEF\xBF\xBD</mo>"},
        {kX + Prime(0x1D400), "<mi>x</mi><mo>\xF0\x9D\x90\x80</mo>"},
    };
    for (const auto &c : cases)
    {
        for (uint8_t display : {0, 1})
        {
            std::string mathml = WriteRowText(c.nodes, display, true);
            EXPECT_EQ(mathml, c.mathml) << c.nodes;
            EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
        }
    }
}

}  // namespace
}  // namespace oq
