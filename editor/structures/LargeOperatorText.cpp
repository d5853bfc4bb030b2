// The code point data line, row-end flag, variant step and text forms iterations and integrals share.
#include "editor/structures/LargeOperatorText.h"

#include "editor/document/CodePointText.h"
#include "editor/document/GroupNode.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/platform/TextBuffer.h"
#include "editor/structures/StructureNode.h"
#include "kettric/KettricPrimitive.h"

namespace oq {

bool IsOperatorCodePointList(const KettricStructure *structure)
{
    return structure->GetBaseStructureType() == 'PRIM' && structure->GetStructureType() == 'UI32';
}

KettricResult TakeOperatorCodePoint(KettricStructure *node, uint32_t *codePoint)
{
    KettricResult result = 0;
    bool seen = false;
    KettricStructure *structure = node->GetFirstSubnodeStructure();
    while (structure != nullptr)
    {
        KettricStructure *next = structure->GetNextStructure();
        if (IsOperatorCodePointList(structure))
        {
            const auto *list = static_cast<const KettricUInt32List *>(structure);
            if (seen && result == 0) result = kResultExtraSlotGroup;
            else if (list->GetElementCount() != 1 && result == 0) result = kResultInvalidDataFormat;
            else if (result == 0) *codePoint = (*list)[0];
            seen = true;
            // The code point lives in the node; the list leaves the tree.
            delete structure;
        }
        structure = next;
    }
    *codePoint = *codePoint == 0 ? 0xFFFD : ToScalarValue(*codePoint);
    return result;
}

void WriteOperatorKettric(const DocumentNode &node, KettricDocument *document, TextBuffer *buffer,
                          const char *identifier, uint32_t codePoint, uint32_t defaultCodePoint)
{
    node.WriteKettricHead(buffer, identifier);
    buffer->AppendText("\n");
    WriteIndentation(buffer);
    buffer->AppendText("{\n");
    if (codePoint != defaultCodePoint)
    {
        buffer->depth += 1;
        WriteIndentation(buffer);
        buffer->depth -= 1;
        buffer->AppendText("u32{0x");
        AppendHexCodePoint(*buffer, codePoint);
        buffer->AppendText("}\n");
    }
    node.WriteKettricBody(document, buffer);
    WriteIndentation(buffer);
    buffer->AppendText("}\n");
}

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
