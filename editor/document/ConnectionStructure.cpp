// The "X" link block: reading it into links and writing links as one.
#include "editor/document/ConnectionStructure.h"

#include "editor/document/DocumentNode.h"
#include "editor/document/NodeLink.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricDocument.h"
#include "kettric/KettricLiterals.h"
#include "kettric/KettricPrimitive.h"

namespace oq {

bool ConnectionStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (structure->GetBaseStructureType() != 'PRIM') return false;
    uint32_t type = structure->GetStructureType();
    return type == 'FLOT' || type == 'IN32' || type == 'RFNC' || type == 'UI32';
}

namespace {

// Whether the node and every structure above it up to the top level are nodes: a node inside a
// block (the design block, say) is not written with the document, so a link to it would not read back.
bool LiesInNodeTree(DocumentNode *node)
{
    while (!node->IsTopLevel())
    {
        node = DocumentNode::FromStructure(node->GetSuperStructure());
        if (node == nullptr) return false;
    }
    return true;
}

}  // namespace

KettricResult ConnectionStructure::ResolveData(KettricDocument *document)
{
    KettricResult result = KettricStructure::ResolveData(document);
    if (result != 0) return result;

    // Only a node's "X" has a source (containers that accept one are nodes).
    DocumentNode *source = DocumentNode::FromStructure(GetSuperStructure());
    if (source == nullptr) return kResultInvalidStructure;

    // The lists by role: references, anchor kinds, anchor indexes, values (any other accepted type).
    KettricStructure *lists[4] = {};
    KettricStructure *structure = GetFirstSubnodeStructure();
    if (structure == nullptr) return kResultMissingSubstructure;
    for (; structure != nullptr; structure = structure->GetNextStructure())
    {
        uint32_t type = structure->GetStructureType();
        int32_t role = (type == 'RFNC') ? 0 : (type == 'UI32') ? 1 : (type == 'IN32') ? 2 : 3;
        if (lists[role] != nullptr) return kResultExtraSubstructure;
        lists[role] = structure;
    }
    if (lists[0] == nullptr || lists[1] == nullptr || lists[2] == nullptr) return kResultMissingSubstructure;
    const KettricReferenceList *references = static_cast<KettricReferenceList *>(lists[0]);
    const KettricUInt32List *kinds = static_cast<KettricUInt32List *>(lists[1]);
    const KettricInt32List *indexes = static_cast<KettricInt32List *>(lists[2]);
    const KettricFloatList *values = static_cast<KettricFloatList *>(lists[3]);

    int32_t count = references->GetElementCount();
    if (count == 0 || kinds->GetElementCount() != count || indexes->GetElementCount() != count ||
        (values != nullptr && values->GetElementCount() != count))
        return kResultInvalidDataFormat;

    for (int32_t i = 0; i < count; ++i)
    {
        // Only a node is a target: any other named structure (a data list, another "X", a block
        // or an entry inside one) is a bad reference.
        DocumentNode *target = DocumentNode::FromStructure(document->LookUpStructure((*references)[i]));
        if (target == nullptr || !LiesInNodeTree(target)) return kResultBadReference;
        if ((*indexes)[i] < 0) return kResultInvalidDataFormat;
        float value = (values != nullptr) ? FiniteOrDefault((*values)[i], 0.0f) : 0.0f;
        new NodeLink(source, target, (*kinds)[i], (*indexes)[i], value);
    }

    delete this;
    return 0;
}

namespace {

// One line of the block: tabs, the list's opening, one entry per link separated by ",", "}".
void WriteLinkList(TextBuffer *buffer, const char *opening, const NodeLink *first,
                   void (*writeEntry)(TextBuffer *buffer, const NodeLink *link))
{
    WriteIndentation(buffer);
    buffer->AppendText(opening);
    for (const NodeLink *link = first; link != nullptr; link = link->GetNextOutgoingLink())
    {
        if (link != first) buffer->AppendText(",");
        writeEntry(buffer, link);
    }
    buffer->AppendText("}\n");
}

void WriteTargetReference(TextBuffer *buffer, const NodeLink *link)
{
    buffer->AppendText("$");
    buffer->AppendText(link->GetTarget()->GetStructureName());
}

void WriteAnchorKind(TextBuffer *buffer, const NodeLink *link)
{
    buffer->AppendFourCC(link->anchorKind);
}

void WriteAnchorIndex(TextBuffer *buffer, const NodeLink *link)
{
    buffer->AppendInteger(link->anchorIndex);
}

void WriteLinkValue(TextBuffer *buffer, const NodeLink *link)
{
    char text[kKettricFloatTextSize];
    FormatKettricFloat(link->value, text);
    buffer->AppendText(text);
}

}  // namespace

void WriteLinkBlock(const DocumentNode *node, TextBuffer *buffer)
{
    WriteIndentation(buffer);
    buffer->AppendText("X\n");
    WriteIndentation(buffer);
    buffer->AppendText("{\n");
    buffer->depth += 1;

    const NodeLink *first = node->GetFirstOutgoingLink();
    WriteLinkList(buffer, "ref{", first, WriteTargetReference);
    WriteLinkList(buffer, "u32{", first, WriteAnchorKind);
    WriteLinkList(buffer, "i32{", first, WriteAnchorIndex);
    // Values only when one is not 0 (a NaN counts as not 0).
    bool anyValue = false;
    for (const NodeLink *link = first; link != nullptr; link = link->GetNextOutgoingLink()) anyValue |= !(link->value == 0.0f);
    if (anyValue) WriteLinkList(buffer, "f{", first, WriteLinkValue);

    buffer->depth -= 1;
    WriteIndentation(buffer);
    buffer->AppendText("}\n");
}

}  // namespace oq
