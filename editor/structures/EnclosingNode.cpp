// The body, type and text forms the box and strike kinds share.
#include "editor/structures/EnclosingNode.h"

#include "editor/document/DecorationNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"

namespace oq {

namespace {

constexpr SlotGroupRow kBodySlot[1] = {{0, true}};

}  // namespace

EnclosingNode::EnclosingNode(uint32_t kind, const char *identifier, const EnclosingType *types, int32_t typeCount,
                             SlotStyle latexStyle, bool overBody, uint32_t nodeType)
    : StructureNode(kind, kBodySlot, 1), type(nodeType), kettricIdentifier(identifier), typeRows(types),
      typeRowCount(typeCount), bodyLatexStyle(latexStyle), rulesOverBody(overBody)
{
}

EnclosingNode::EnclosingNode(const EnclosingNode &node)
    : StructureNode(node), type(node.type), kettricIdentifier(node.kettricIdentifier), typeRows(node.typeRows),
      typeRowCount(node.typeRowCount), bodyLatexStyle(node.bodyLatexStyle), rulesOverBody(node.rulesOverBody)
{
}

bool EnclosingNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *dataType,
                                  void **storage)
{
    return CheckTypeProperty(this, &type, document, identifier, dataType, storage);
}

KettricResult EnclosingNode::ResolveData(KettricDocument *document)
{
    KettricResult result = StructureNode::ResolveData(document);
    type = GetTypeRow().type;
    return result;
}

const EnclosingType &EnclosingNode::GetTypeRow() const
{
    for (int32_t i = 0; i < typeRowCount; ++i)
    {
        if (typeRows[i].type == type) return typeRows[i];
    }
    return typeRows[0];
}

bool EnclosingNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (type != typeRows[0].type) writer.WriteFourCC("t", type);
    return writer.Opened();
}

void EnclosingNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, kettricIdentifier);
}

void EnclosingNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    if (!rulesOverBody) AppendOutlineItem(design, list, outlineCount, outline, false);
    StructureNode::BuildExportItems(design, list);
    if (rulesOverBody) AppendOutlineItem(design, list, outlineCount, outline, false);
}

void EnclosingNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    if (!rulesOverBody) AppendOutlineItem(design, list, outlineCount, outline, true);
    StructureNode::BuildPathItems(design, list);
    if (rulesOverBody) AppendOutlineItem(design, list, outlineCount, outline, true);
}

GroupNode *EnclosingNode::BeginMeasure(const Design *design, float *em, float *mu)
{
    outlineCount = 0;
    BeginSpacedMeasure(design, em, mu);
    return GetBody();
}

void EnclosingNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    output->AppendText(GetTypeRow().latex);
    state->controlWord = 0;
    WriteSlotGroupLatex(GetBody(), bodyLatexStyle, state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void EnclosingNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    output->AppendText("<menclose notation=\"");
    output->AppendText(GetTypeRow().notation);
    output->AppendText("\">");
    WriteSlotGroupMathML(GetBody(), SlotStyle::kUnchanged, state, output);
    output->AppendText("</menclose>");
}

}  // namespace oq
