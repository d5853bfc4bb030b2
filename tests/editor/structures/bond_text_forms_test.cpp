// Chemical bonds' LaTeX and MathML: only the main group is written (labels and lines are not), and
// what is written passes the LaTeX oracles, pdflatex with mhchem loaded (formulas are pasted into
// chemistry documents) and the MathML DTD.
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/structures/BondNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;
using test::Text;

// Bonds whose labels hold text the main group does not ("OH", "Br"): none of it may be written.
const char *const kBonds[] = {
    "Bd $b { u32[2]{{'uppr','sing'},{0,'doub'}} Gr { Bg {} Sb {s{\"CH\"}} } Gr (t='uppr') { Bg {} Sb {s{\"OH\"}} } }",
    "Bd $b { u32[2]{{'lwlf','trip'}} Gr { Bg {} Sb {s{\"N\"}} Bg {} Sb {s{\"C\"}} } Gr (t='lwlf') { Bg {} Sb "
    "{s{\"Br\"}} } }",
    // A bond in the main group writes its own main group.
    "Bd $b { u32[2]{{0,'sing'}} Gr { Bg {} Bd { u32[2]{{'lwrt','wavy'}} Gr { Bg {} Sb {s{\"C\"}} } Gr (t='lwrt') { Bg "
    "{} Sb {s{\"OH\"}} } } Sb {s{\"H\"}} } }",
    "Bd $b { u32[2]{} Gr { Bg {} } }",
};

struct Written
{
    std::string bond;
    std::string main;  // the main group alone
};

Written Write(const char *bondText, bool mathml)
{
    test::StructureTestDocument document;
    std::string text = std::string("Gr { Bg {} ") + bondText + " }";
    EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
    auto *bond = document.Find<BondNode>("b");
    Written written;
    if (bond == nullptr) return written;
    for (bool alone : {false, true})
    {
        MathWriterState state;
        TextString output;
        const MathNode *node = alone ? static_cast<const MathNode *>(bond->GetMainGroup()) : bond;
        if (mathml) node->WriteMathML(&state, &output);
        else node->WriteLatex(&state, &output);
        (alone ? written.main : written.bond) = Text(output);
    }
    return written;
}

TEST(BondTextForms, LatexIsTheMainGroupsAndCompiles)
{
    test::LatexOracleOptions chemistry = test::StructureOracleOptions();
    chemistry.preamble += "\\usepackage[version=4]{mhchem}\n";
    // mhchem's own bonds, as references for the stacking of multiple lines.
    std::vector<std::string> formulas = {"\\ce{C-C}", "\\ce{C=C}", "\\ce{C#C}"};
    for (const char *bond : kBonds)
    {
        Written latex = Write(bond, false);
        EXPECT_EQ(latex.bond, latex.main) << bond;
        for (const char *label : {"O", "Br", "wavy"}) EXPECT_EQ(latex.bond.find(label), std::string::npos) << latex.bond;
        EXPECT_EQ(test::CheckWithLatexOracles(latex.bond), "") << latex.bond;
        formulas.push_back(latex.bond);
    }
    EXPECT_EQ(test::CompileWithPdflatex(formulas, chemistry), "");
}

TEST(BondTextForms, MathMLIsTheMainGroupsAndValid)
{
    for (const char *bond : kBonds)
    {
        Written mathml = Write(bond, true);
        EXPECT_EQ(mathml.bond, mathml.main) << bond;
        for (const char *label : {"O", "Br"}) EXPECT_EQ(mathml.bond.find(label), std::string::npos) << mathml.bond;
        EXPECT_EQ(test::ValidateStructureMathML(mathml.bond), "") << mathml.bond;
    }
}

}  // namespace
}  // namespace oq
