#pragma once

// The fixtures of the structure tests: a document that reads the registered kinds with the test box
// "Fx", the designs (factory and TeX-derived), the text-form oracles' options and checks, and the
// round trip of the Kettric form.
#include "support/DocumentTestKinds.h"
#include "support/LatexOracles.h"
#include "support/MathMLValidator.h"
#include "support/StructureTestKit.h"

#include "editor/document/BackslashCommandTable.h"
#include "editor/document/MathDesign.h"
#include "editor/document/NodeFactory.h"
#include "editor/fonts/Design.h"
#include "editor/structures/StructureKinds.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace oq::test {

// The math test document with the real kinds: "Fx" is the test box, "Lf" and "Dr" the test leaf and
// drawing, every other identifier the kind registered for it (the document's and the structures').
// The run stand-in "Sy" is refused: structures take a run of kind 'symb' for a real symbol run ("Sb").
class StructureTestDocument : public MathTestDocument
{
public:
    StructureTestDocument()
    {
        RegisterDocumentKindsOnce();
        RegisterStructureKinds();
    }

    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Fx") == 0) return new FixedBoxNode;
        if (std::strcmp(identifier, "Sy") == 0) return nullptr;
        if (KettricStructure *structure = MakeRegisteredStructure(identifier)) return structure;
        return MathTestDocument::MakeStructure(identifier);
    }

    // The first top-level node's first math subnode after its row begin (the node a one-node
    // equation "Gr { Bg {} ... }" holds), or null.
    template <typename T = MathNode>
    T *FirstNode()
    {
        KettricStructure *top = GetRootStructure()->GetFirstSubnodeStructure();
        MathNode *group = top != nullptr ? MathNode::FromStructure(top) : nullptr;
        MathNode *first = group != nullptr ? group->GetFirstMathSubnode() : nullptr;
        return first != nullptr ? dynamic_cast<T *>(first->GetNextMathNode()) : nullptr;
    }
};

// The design row of a parameter (group key 0: the general group), or null.
inline const DesignParamRow *FindDesignRow(uint32_t groupKey, uint32_t key, int32_t *groupIndex = nullptr)
{
    int32_t group = FindDesignGroup(groupKey);
    if (group < 0) return nullptr;
    if (groupIndex != nullptr) *groupIndex = group;
    const DesignGroupTable &table = kDesignGroupTables[group];
    for (int32_t i = 0; i < table.rowCount; ++i)
    {
        if (table.rows[i].key == key) return &table.rows[i];
    }
    return nullptr;
}

// Sets a design parameter as a dialog would, without range checks; false when there is no such row.
inline bool SetDesignParam(Design *design, uint32_t groupKey, uint32_t key, float value)
{
    int32_t group = 0;
    const DesignParamRow *row = FindDesignRow(groupKey, key, &group);
    if (row == nullptr) return false;
    design->GetGroupSlots(group)[row->offset / 4] = value;
    return true;
}

// The TeX-derived design: the factory design with fsiz 10 (TeX's 10 pt) and the parameters that make
// the structures set their slots as TeX (article, 10 pt, display style) sets the same boxes, from the
// oracle's font parameters. mu = 10 / 18 pt. A structure issue adds its group's rows here.
inline void SetTexDerivedDesign(const TexFontParams &font, Design *design)
{
    const double mu = 10.0 / 18.0;
    const double theta = font.RuleThickness();
    const double axis = font.AxisHeight();
    const float capital = GetGeneralParam(design, 'cptl');
    const float scale = GetGroupParam(design, 'frac', 'scal');
    const double (&sigma)[23] = font.sigma[0];
    const struct
    {
        uint32_t group;
        uint32_t key;
        double value;
    } rows[] = {
        {0, 'fsiz', 10.0},
        {0, 'axis', axis / 10.0},
        // \frac in display style: shifts sigma8 and sigma11, clearance 3 theta, null delimiters aside.
        {'frac', 'rule', theta / mu},
        {'frac', 'nms0', (sigma[8] - axis) / mu},
        {'frac', 'dns0', (sigma[11] + axis - 10.0 * capital) / mu},
        {'frac', 'vtg0', 3.0 * theta / mu},
        {'frac', 'insp', font.nullDelimiterSpace / mu},
        {'frac', 'exsp', 0.0},
        // \tfrac (text style): shifts sigma9 and sigma12, clearance theta, slots at the small scale.
        {'frac', 'nms1', (sigma[9] - axis) / mu},
        {'frac', 'dns1', (sigma[12] + axis - 10.0 * scale * capital) / mu},
        {'frac', 'vtg1', theta / mu},
        // \overline and \underline: clearance 3 theta, rule theta (TeX's kern theta beyond it aside).
        {'wide', 'vtgp', 3.0 * theta / mu},
        {'wide', 'lnth', theta / mu},
        // Tight stacks as \overset: the upper limit's least shift xi11 and clearance xi9.
        {'stck', 'svsp', font.xi[0][11] / mu},
        {'stck', 'svgp', font.xi[0][9] / mu},
    };
    for (const auto &row : rows) EXPECT_TRUE(SetDesignParam(design, row.group, row.key, float(row.value)));
}

// The options of the LaTeX oracles for structure formulas: display math; stubs for the names of the
// symbol table LaTeX lacks and one-group stubs (a following script still compiles) for the commands
// neither amsmath nor amssymb has; the six names MathJax 3.2.2 lacks too go to its macros.
inline LatexOracleOptions StructureOracleOptions()
{
    LatexOracleOptions options;
    options.display = true;
    static const char *const kOneArgument[] = {"cancel", "bcancel", "xcancel", "widecheck", "widebreve"};
    static const char *const kNoArgument[] = {"bigtimes", "bigudot", "bigsqcap", "oiint", "oiiint"};
    options.preamble = "\\providecommand{\\enclose}[2]{{#2}}\n";
    for (const char *name : kOneArgument) options.preamble += std::string("\\providecommand{\\") + name + "}[1]{{#1}}\n";
    for (const char *name : kNoArgument) options.preamble += std::string("\\providecommand{\\") + name + "}{{}}\n";
    std::vector<std::string> names;
    for (int32_t i = 0; i < kSortedBackslashCommandCount; ++i) names.push_back(BackslashCommandTable[i].name);
    options.preamble += MakeLatexStubs(names);
    for (const char *name : {"widecheck", "widebreve", "bigudot", "bigsqcap", "oiint", "oiiint"})
        options.mathJaxMacros[name] = "{}";
    return options;
}

// What both LaTeX oracles say about a formula, one run each ("" when both take it); MathJax's
// MathML goes to mathml when asked for.
inline std::string CheckWithLatexOracles(const std::string &formula, std::string *mathml = nullptr)
{
    LatexOracleOptions options = StructureOracleOptions();
    std::string converted;
    std::string findings = CompileWithPdflatex(formula, options);
    std::string mathJax = ConvertWithMathJax(formula, options, &converted);
    if (!mathJax.empty()) findings += (findings.empty() ? "" : "\n") + mathJax;
    if (mathml != nullptr) *mathml = converted;
    return findings;
}

// The internal subset the structures' MathML needs: the plain DTD refuses displaystyle on mfrac and
// munderover.
inline const char *const kStructureMathMLSubset =
    "<!ATTLIST mfrac displaystyle (true|false) #IMPLIED>"
    "<!ATTLIST munderover displaystyle (true|false) #IMPLIED>";

// Validates MathML written for an equation's row (elements only) inside <math><mrow>.
inline std::string ValidateStructureMathML(const std::string &mathml)
{
    return ValidateMathML("<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><mrow>" + mathml + "</mrow></math>",
                          kStructureMathMLSubset);
}

// Reads the text, writes it, reads that and writes again: both reads succeed and both writes are
// byte-identical. Returns the first write.
inline std::string ExpectRoundTrip(const std::string &text)
{
    StructureTestDocument first;
    EXPECT_EQ(ResultText(first.ParseAndResolve(text.c_str())), "0") << text;
    std::string written = first.WriteText();
    StructureTestDocument second;
    EXPECT_EQ(ResultText(second.ParseAndResolve(written.c_str())), "0") << written;
    EXPECT_EQ(second.WriteText(), written) << text;
    return written;
}

// A row of a read and write table: the nodes of the equation "Gr { Bg {} nodes }", the result of
// reading it and a part of the text written back ("" to skip).
struct ReadWriteCase
{
    std::string nodes;
    const char *result;
    const char *written;
};

// Reads each row: the result as listed; a text read round-trips and holds the part listed.
template <size_t count>
void ExpectReadWriteTable(const ReadWriteCase (&cases)[count])
{
    for (const auto &c : cases)
    {
        std::string text = "Gr { Bg {} " + c.nodes + " }";
        StructureTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << text;
        if (std::string(c.result) != "0") continue;
        std::string written = ExpectRoundTrip(text);
        EXPECT_NE(written.find(c.written), std::string::npos) << written;
    }
}

// The outline checks with the box check on the node's extent: bottom, top and width.
template <typename Node>
OutlineChecks NodeBoxChecks(const Node *node)
{
    OutlineChecks checks;
    checks.box = true;
    checks.boxBottom = node->bottom;
    checks.boxTop = node->top;
    checks.boxWidth = node->width;
    return checks;
}

// A LaTeX or MathML text of a writer.
inline std::string Text(const TextString &text)
{
    return text.GetLength() > 0 ? std::string(text) : std::string();
}

// The LaTeX or MathML of every node of the document's equation row (after its row begin), from the
// display style given; the writer's state afterwards goes to *after when asked.
inline std::string WriteRowText(KettricDocument *document, uint8_t display, bool mathml, MathWriterState *after = nullptr)
{
    auto *group = MathNode::FromStructure(document->GetRootStructure()->GetFirstSubnodeStructure());
    MathWriterState state;
    state.displayStyle = display;
    TextString output;
    for (MathNode *node = group->GetFirstMathSubnode()->GetNextMathNode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (mathml) node->WriteMathML(&state, &output);
        else node->WriteLatex(&state, &output);
    }
    if (after != nullptr) *after = state;
    return Text(output);
}

// The same for the nodes read as the equation "Gr { Bg {} nodes }".
inline std::string WriteRowText(const std::string &nodes, uint8_t display, bool mathml, MathWriterState *after = nullptr)
{
    StructureTestDocument document;
    std::string text = "Gr { Bg {} " + nodes + " }";
    EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
    return WriteRowText(&document, display, mathml, after);
}

// The test box "Fx" of the given width, top and bottom.
inline std::string FixedBoxText(float width, float top, float bottom)
{
    char text[96];
    std::snprintf(text, sizeof(text), "Fx (w=%.9g,t=%.9g,b=%.9g) {}", width, top, bottom);
    return text;
}

// Equations read and laid out one after the other with the factory design, each in a document of its
// own that lives as long as the test.
class LaidOutEquations : public ::testing::Test
{
protected:
    // Reads "Gr { Bg {} nodes }" and lays it out; the node of the global name, or null.
    template <typename T>
    T *LayEquation(const std::string &nodes, const char *name)
    {
        std::string text = "Gr { Bg {} " + nodes + " }";
        documents.push_back(std::make_unique<StructureTestDocument>());
        EXPECT_EQ(ResultText(Document().ParseAndResolve(text.c_str())), "0") << text;
        Document().LayoutAll(&design);
        return Document().Find<T>(name);
    }

    // The document of the last equation.
    StructureTestDocument &Document() { return *documents.back(); }

    Design design;
    std::vector<std::unique_ptr<StructureTestDocument>> documents;
};

}  // namespace oq::test
