// The row-end flag, variant step and text forms iterations and integrals share.
#include "editor/structures/LargeOperatorText.h"

#include "editor/document/CodePointText.h"
#include "editor/document/GroupNode.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/structures/StructureNode.h"

namespace oq {

void SetOperatorBodyRowEnd(const MathNode *node, GroupNode *body)
{
    if (body == nullptr) return;
    const MathNode *next = FindNextSpacingNeighbor(node);
    const GroupNode *enclosing = node->GetEnclosingGroup();
    bool atRowEnd = next == nullptr || next->GetKind() == kRowBeginKind;
    body->spaceAtRowEnd = atRowEnd && enclosing != nullptr && enclosing->spaceAtRowEnd;
}

bool StepOperatorVariant(bool *small, bool *inlineLimits)
{
    bool previous = *inlineLimits;
    if (*small == *inlineLimits) *inlineLimits = !*inlineLimits;
    else *small = !*small;
    return previous;
}

void WriteOperatorLatex(const char *command, bool inlineLimits, const GroupNode *lower, const GroupNode *upper,
                        const GroupNode *body, MathWriterState *state, TextString *output)
{
    if (inlineLimits && state->displayStyle != 0)
    {
        state->displayStyle = 0;
        output->AppendText("\\textstyle");
    }
    else if (!inlineLimits && state->displayStyle == 0)
    {
        state->displayStyle = 1;
        output->AppendText("\\displaystyle");
    }
    output->AppendText("\\");
    output->AppendText(command);
    state->controlWord = 1;
    if (lower != nullptr)
    {
        output->AppendText("_{");
        state->controlWord = 0;
        WriteSlotGroupLatex(lower, SlotStyle::kCleared, state, output);
        output->AppendText("}");
    }
    if (upper != nullptr)
    {
        output->AppendText("^{");
        state->controlWord = 0;
        WriteSlotGroupLatex(upper, SlotStyle::kCleared, state, output);
        output->AppendText("}");
    }
    output->AppendText("{");
    state->controlWord = 0;
    WriteSlotGroupLatex(body, SlotStyle::kUnchanged, state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void WriteOperatorMathML(uint32_t codePoint, bool small, bool inlineLimits, const GroupNode *lower,
                         const GroupNode *upper, const GroupNode *body, MathWriterState *state, TextString *output)
{
    uint8_t saved = state->displayStyle;
    output->AppendText("<munderover");
    if (inlineLimits && state->displayStyle != 0)
    {
        state->displayStyle = 0;
        output->AppendText(" displaystyle=\"false\"");
    }
    else if (!inlineLimits && state->displayStyle == 0)
    {
        state->displayStyle = 1;
        output->AppendText(" displaystyle=\"true\"");
    }
    output->AppendText("><mo movablelimits=\"true\"");
    if (state->displayStyle != 0 && small) output->AppendText(" largeop=\"false\"");
    if (state->displayStyle == 0 && !small) output->AppendText(" largeop=\"true\"");
    output->AppendText(">");
    AppendMathMLCodePoint(codePoint, output);
    output->AppendText("</mo>");
    for (const GroupNode *limit : {lower, upper})
    {
        if (limit != nullptr) WriteSlotGroupMathML(limit, SlotStyle::kCleared, state, output);
        else output->AppendText("<mrow/>");
    }
    output->AppendText("</munderover>");
    state->displayStyle = saved;
    WriteSlotGroupMathML(body, SlotStyle::kUnchanged, state, output);
}

}  // namespace oq
