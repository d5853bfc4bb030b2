// The LaTeX and MathML of brackets.
#include "editor/document/BracketNode.h"

#include "base/TextString.h"
#include "base/TextUtils.h"
#include "editor/document/CodePointText.h"
#include "editor/document/GroupNode.h"

namespace oq {

namespace {

// "\left", "\middle" or "\right" and the delimiter; the null delimiter "." for none.
void WriteLatexDelimiter(const char *command, uint32_t codePoint, MathWriterState *state, TextString *output)
{
    output->AppendText(command);
    state->controlWord = 1;
    if (codePoint != 0)
    {
        AppendLatexCodePoint(state, codePoint, output);
        return;
    }
    output->AppendText(".");
    state->controlWord = 0;
}

// One fence or separator <mo> with the delimiter's UTF-8 text escaped for XML.
void WriteMathMLDelimiter(const char *head, bool asymmetric, uint32_t codePoint, TextString *output)
{
    output->AppendText(head);
    output->AppendText(asymmetric ? "false" : "true");
    output->AppendText("\">");
    AppendMathMLCodePoint(codePoint, output);
    output->AppendText("</mo>");
}

}  // namespace

void BracketNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    const GroupNode *first = GetFirstGroup();
    bool middles = middle != 0 && first != nullptr && GetNextGroup(first) != nullptr;
    // TeX refuses an unbalanced \left or \right: a missing side is the null delimiter whenever
    // any other delimiter is written.
    bool delimited = left != 0 || right != 0 || middles;
    if (delimited) WriteLatexDelimiter("\\left", left, state, output);
    for (const GroupNode *group = first; group != nullptr; group = GetNextGroup(group))
    {
        if (group != first && middles) WriteLatexDelimiter("\\middle", middle, state, output);
        group->WriteLatex(state, output);
    }
    if (delimited) WriteLatexDelimiter("\\right", right, state, output);
}

void BracketNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    output->AppendText("<mrow>");
    const char *fence = "<mo fence=\"true\" stretchy=\"true\" symmetric=\"";
    if (left != 0) WriteMathMLDelimiter(fence, asymmetric, left, output);
    const GroupNode *first = GetFirstGroup();
    for (const GroupNode *group = first; group != nullptr; group = GetNextGroup(group))
    {
        if (group != first && middle != 0)
            WriteMathMLDelimiter("<mo separator=\"true\" stretchy=\"true\" symmetric=\"", asymmetric, middle, output);
        group->WriteMathML(state, output);
    }
    if (right != 0) WriteMathMLDelimiter(fence, asymmetric, right, output);
    output->AppendText("</mrow>");
}

}  // namespace oq
