// Fractions' LaTeX and MathML against the oracles: every LaTeX form compiles with pdflatex and
// converts with MathJax, every MathML form passes the DTD, and display-style switches end with the
// slot they were written in.
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/structures/FractionNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::ResultText;
using test::Text;

// A fraction of the properties between two slots (slot contents after their row begin).
std::string Fraction(const char *properties, const char *numerator = "Fx {}", const char *denominator = "Fx {}",
                     const char *numeratorProperties = "", const char *denominatorProperties = "")
{
    return std::string("Fr ") + properties + " { Gr (t='numr'" + numeratorProperties + ") { Bg {} " + numerator +
           " } Gr (t='dnom'" + denominatorProperties + ") { Bg {} " + denominator + " } }";
}

TEST(FractionTextForms, LatexPassesBothOracles)
{
    const std::string twoRows = "Fx {} Bg {} Fx {}";
    const struct
    {
        std::string nodes;
        uint8_t display;
        const char *latex;
    } cases[] = {
        {Fraction(""), 1, "\\dfrac{x}{x}"},
        {Fraction("(sm)"), 1, "\\tfrac{x}{x}"},
        {Fraction("(at)"), 1, "{x \\atop x}"},
        {Fraction("(at,sm)"), 1, "\\textstyle{x \\atop x}"},
        {Fraction("(at,sm)") + " " + Fraction("(at)") + " Fx {}", 1,
         "\\textstyle{x \\atop x}\\displaystyle{x \\atop x}x"},
        {Fraction("(t='horz')"), 1, "{x}/{x}"},
        {Fraction("(t='diag',sm)"), 1, "{x}/{x}"},
        {Fraction("", Fraction("(sm)").c_str()), 1, "\\dfrac{\\tfrac{x}{x}}{x}"},
        // The slot ends the atop's switch, as TeX's group does.
        {Fraction("(at)", Fraction("(at,sm)").c_str()) + " " + Fraction("(at,sm)"), 0,
         "\\displaystyle{{x \\atop x} \\atop x}\\textstyle{x \\atop x}"},
        {Fraction("(at)") + " " + Fraction("", Fraction("(at)").c_str()), 0,
         "\\displaystyle{x \\atop x}\\dfrac{\\displaystyle{x \\atop x}}{x}"},
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument document;
        std::string text = "Gr { Bg {} " + c.nodes + " }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        std::string latex = test::WriteRowText(&document, c.display, false);
        EXPECT_EQ(latex, c.latex);
        EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
    }

    // Rows in a slot: whatever the group writes compiles inside the fraction's braces.
    test::StructureTestDocument document;
    std::string text = "Gr { Bg {} " + Fraction("", twoRows.c_str(), twoRows.c_str()) + " }";
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    std::string latex = test::WriteRowText(&document, 1, false);
    EXPECT_EQ(latex.rfind("\\dfrac{", 0), 0u) << latex;
    EXPECT_EQ(test::CheckWithLatexOracles(latex), "") << latex;
}

// The Kettric form of every type and flag, nested, coloured and with a group of an unknown role reads
// back to the same text; 'horz' drops "sm" and an unknown type is not written back.
TEST(FractionTextForms, KettricFormsRoundTrip)
{
    const struct
    {
        std::string nodes;
        const char *head;  // how the first fraction is written
    } cases[] = {
        {Fraction(""), "Fr\n"},
        {Fraction("(t='horz',sm,ns)"), "Fr (t='horz',ns)\n"},
        {Fraction("(t='diag',sm,at,ns)"), "Fr (t='diag',sm,at,ns)\n"},
        {Fraction("(t='xxxx',at)"), "Fr (at)\n"},
        {Fraction("(sm)", Fraction("(t='horz')").c_str(), Fraction("(at)").c_str()), "Fr (sm)\n"},
        {"Fr { Gr (t='xtra') { Bg {} Fx {} } Gr (t='dnom') { Bg {} } Gr (t='numr') { Bg {} Bg {} } }", "Fr\n"},
    };
    for (const auto &c : cases)
    {
        std::string written = test::ExpectRoundTrip("Gr { Bg {} " + c.nodes + " }");
        EXPECT_NE(written.find(c.head), std::string::npos) << written;
        EXPECT_EQ(written.find("xxxx"), std::string::npos) << written;
    }
    // The unknown role's group is kept, in its place.
    std::string written = test::ExpectRoundTrip("Gr { Bg {} " + std::string(cases[5].nodes) + " }");
    EXPECT_LT(written.find("t='xtra'"), written.find("t='dnom'")) << written;
}

// The number of elements directly inside the first element of that name.
int32_t CountChildren(const std::string &xml, const std::string &name)
{
    size_t start = xml.find("<" + name);
    if (start == std::string::npos) return -1;
    start = xml.find('>', start) + 1;
    int32_t depth = 0;
    int32_t children = 0;
    for (size_t i = start; i < xml.size(); ++i)
    {
        if (xml[i] != '<') continue;
        bool closing = xml[i + 1] == '/';
        size_t end = xml.find('>', i);
        bool empty = end != std::string::npos && xml[end - 1] == '/';
        if (closing)
        {
            if (depth == 0) return children;
            --depth;
        }
        else
        {
            if (depth == 0) ++children;
            if (!empty) ++depth;
        }
    }
    return -1;
}

TEST(FractionTextForms, MathMLPassesTheDtd)
{
    const char *const row = "<mrow><mi>x</mi></mrow>\n";
    const std::string slots = std::string(row) + row;
    const std::string twoRows = "Fx {} Bg {} Fx {}";
    const struct
    {
        std::string nodes;
        uint8_t display;
        std::string mathml;  // "" when only its shape is checked
    } cases[] = {
        {Fraction(""), 1, "<mfrac>" + slots + "</mfrac>"},
        {Fraction(""), 0, "<mfrac displaystyle=\"true\">" + slots + "</mfrac>"},
        {Fraction("(sm)"), 1, "<mfrac displaystyle=\"false\">" + slots + "</mfrac>"},
        {Fraction("(sm)"), 0, "<mfrac>" + slots + "</mfrac>"},
        {Fraction("(at)"), 1, "<mfrac linethickness=\"0\">" + slots + "</mfrac>"},
        {Fraction("(t='diag',sm)"), 1, "<mfrac displaystyle=\"false\" bevelled=\"true\">" + slots + "</mfrac>"},
        {Fraction("", "Fx {}", "Fx {}", ",al='left'"), 1, "<mfrac numalign=\"left\">" + slots + "</mfrac>"},
        {Fraction("", "Fx {}", "Fx {}", ",al='rght'", ",al='rght'"), 1,
         "<mfrac numalign=\"right\" denomalign=\"right\">" + slots + "</mfrac>"},
        {Fraction("", "Fx {}", "Fx {}", ",al='cent'", ",al='left'"), 1,
         "<mfrac denomalign=\"left\">" + slots + "</mfrac>"},
        {Fraction("(t='horz')"), 1, std::string(row) + "<mo>/</mo>" + row},
        {Fraction("(t='horz')", Fraction("(at)").c_str()), 0,
         "<mrow><mfrac displaystyle=\"true\" linethickness=\"0\">" + slots + "</mfrac></mrow>\n<mo>/</mo>" + row},
        {Fraction("", twoRows.c_str()), 1, ""},
        {Fraction("(at)", Fraction("(sm)").c_str(), twoRows.c_str()), 1, ""},
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument document;
        std::string text = "Gr { Bg {} " + c.nodes + " }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        std::string mathml = test::WriteRowText(&document, c.display, true);
        if (!c.mathml.empty())
        {
            EXPECT_EQ(mathml, c.mathml);
        }
        EXPECT_EQ(test::ValidateStructureMathML(mathml), "") << mathml;
        // One child per slot, whatever the slot holds.
        if (c.nodes.find("t='horz'") == std::string::npos)
        {
            EXPECT_EQ(CountChildren(mathml, "mfrac"), 2) << mathml;
        }
    }
}

// What MathJax makes of the LaTeX forms agrees with the MathML written for the same fraction on the
// attributes both carry.
TEST(FractionTextForms, MathJaxAgreesOnTheFractionAttributes)
{
    const struct
    {
        const char *properties;
        const char *attribute;  // in both MathML texts
    } cases[] = {
        {"(at)", "linethickness=\"0\""},
        {"(sm)", "displaystyle=\"false\""},
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument document;
        std::string text = "Gr { Bg {} " + Fraction(c.properties) + " }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
        std::string converted;
        std::string latex = test::WriteRowText(&document, 1, false);
        ASSERT_EQ(test::CheckWithLatexOracles(latex, &converted), "") << latex;
        EXPECT_NE(converted.find(c.attribute), std::string::npos) << converted;
        EXPECT_NE(test::WriteRowText(&document, 1, true).find(c.attribute), std::string::npos);
    }
}

}  // namespace
}  // namespace oq
