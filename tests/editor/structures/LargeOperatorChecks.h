#pragma once

// The checks the large operators (iterations, integrals) share: the read and write table, the lower
// limit made on request, the node text with its slots, and the command's five forms against the
// LaTeX oracles.
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/structures/IterationNode.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace oq::test {

// A row of the read and write table.
struct OperatorReadCase
{
    std::string nodes;
    const char *result;
    uint32_t codePoint;
    const char *written;  // a part of the text written back ("" to skip)
};

// Reads each row as the equation "Gr { Bg {} nodes }" with the node "$i": the result as listed; a node
// read keeps its code point, only groups stay in the tree, the text round-trips and holds the part
// listed, and the default code point is written without data.
template <typename Node, size_t count>
void ExpectOperatorReadTable(const OperatorReadCase (&cases)[count], uint32_t defaultCodePoint)
{
    for (const auto &c : cases)
    {
        std::string text = "Gr { Bg {} " + c.nodes + " }";
        StructureTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << text;
        if (std::string(c.result) != "0") continue;
        auto *node = document.Find<Node>("i");
        ASSERT_NE(node, nullptr) << text;
        EXPECT_EQ(node->codePoint, c.codePoint) << text;
        // The list left the tree: only groups remain.
        for (KettricStructure *s = node->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
        {
            EXPECT_EQ(s->GetStructureType(), kGroupKind) << text;
        }
        std::string written = ExpectRoundTrip(text);
        EXPECT_NE(written.find(c.written), std::string::npos) << written;
        if (c.codePoint == defaultCodePoint)
        {
            EXPECT_EQ(written.find("u32"), std::string::npos) << written;
        }
    }
}

// On a node with an upper limit and a body but no lower limit: the lower limit is made on request,
// once, first of the groups and below the upper limit; the other slots are found, not made.
template <typename Node>
void ExpectLowerLimitMadeOnRequest(Node *node, GroupNode *upper, GroupNode *body)
{
    GroupNode *lower = node->GetOrCreateLower();
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(lower->role, kLowerLimitRole);
    EXPECT_EQ(node->GetOrCreateLower(), lower);
    EXPECT_EQ(node->GetOrCreateUpper(), upper);
    EXPECT_EQ(node->GetOrCreateBody(), body);
    EXPECT_EQ(node->GetFirstGroup(), lower);
    EXPECT_EQ(node->GetPreviousGroup(upper), lower);
    EXPECT_EQ(node->GetGroupAbove(lower), upper);
    EXPECT_EQ(node->GetGroupBelow(upper), lower);
    EXPECT_EQ(node->GetGroupAbove(body), nullptr);
}

// The text of a large operator of the kind with the properties: the code point's data unless 0,
// lower and upper limits when asked, a group of the extra role (not written as text) and the body.
inline std::string OperatorText(const char *kind, uint32_t codePoint, const char *properties, bool limits,
                                const char *extraRole, const std::string &body = "Fx {}")
{
    char data[32] = "";
    if (codePoint != 0) std::snprintf(data, sizeof(data), "u32{0x%X} ", codePoint);
    std::string text = std::string(kind) + " " + properties + " { " + data;
    if (limits) text += "Gr (t='lowr') { Bg {} Fx {} } Gr (t='uppr') { Bg {} Fx {} } ";
    return text + "Gr (t='" + extraRole + "') { Bg {} Fx {} } Gr { Bg {} " + body + " } }";
}

// The five forms of one command from display style: display without limits, with limits (the
// properties given), inline with and without limits (the properties given), display again. Each is
// written as the command with its body (and limits), the inline ones after one \textstyle; both LaTeX
// oracles take the text.
template <typename MakeOperator>
void ExpectCommandFormsPassBothOracles(MakeOperator make, const char *command, const char *displayLimits,
                                       const char *inlineLimits, const char *inlineAlone)
{
    std::string nodes = make("", false) + " " + make(displayLimits, true) + " " + make(inlineLimits, true) + " " +
                        make(inlineAlone, false) + " " + make("", false);
    std::string latex = WriteRowText(nodes, 1, false);
    std::string name = std::string("\\") + command;
    std::string expected =
        name + "{x}" + name + "_{x}^{x}{x}\\textstyle" + name + "_{x}^{x}{x}" + name + "{x}\\displaystyle" + name + "{x}";
    EXPECT_EQ(latex, expected);
    EXPECT_EQ(CheckWithLatexOracles(latex), "") << latex;
}

// The MathML of the nodes from the display style holds the part given and passes the DTD.
inline void ExpectMathMLPart(const std::string &nodes, uint8_t display, const char *part)
{
    std::string mathml = WriteRowText(nodes, display, true);
    EXPECT_NE(mathml.find(part), std::string::npos) << mathml;
    EXPECT_EQ(ValidateStructureMathML(mathml), "") << mathml;
}

}  // namespace oq::test
