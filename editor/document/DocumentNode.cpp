// The document node base: copying, the node text form, the countdown step and destruction over links.
#include "editor/document/DocumentNode.h"

#include "base/TextUtils.h"
#include "editor/document/ConnectionStructure.h"
#include "editor/document/NodeLink.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/TextBuffer.h"

#include <cstring>

namespace oq {

namespace {

// Link sources waiting to be destroyed, on their work elements, and the number of node destructions
// under way (from ~DocumentNode to ~NodeDestructionEnd). Nodes live on the UI thread only.
List pendingDestruction;
int32_t destructionDepth = 0;

}  // namespace

NodeDestructionEnd::~NodeDestructionEnd()
{
    if (destructionDepth > 1)
    {
        --destructionDepth;
        return;
    }
    // The outermost destruction has ended: destroy the waiting sources one by one. The depth stays
    // at 1 meanwhile, so that their own destructions add to the list instead of nesting.
    while (ListElement *element = pendingDestruction.GetFirstListElement())
    {
        delete static_cast<NodeWorkElement *>(element)->GetNode();
    }
    destructionDepth = 0;
}

DocumentNode::DocumentNode(uint32_t kind)
    : KettricStructure(kind), workElement(this), pendingLinks(0), lastCopy(nullptr), destroyingFlag(false)
{
}

DocumentNode::DocumentNode(const DocumentNode &node)
    : NodeDestructionEnd(), KettricStructure(node.GetStructureType()), GraphElement(), workElement(this), pendingLinks(0), lastCopy(nullptr),
      destroyingFlag(false)
{
    baseStructureType = node.baseStructureType;
}

DocumentNode::~DocumentNode()
{
    ++destructionDepth;
    destroyingFlag = true;

    // The structures attached to this node go with it, after the outermost destruction: a chain of
    // links never nests destructors. The link itself goes now in every case.
    while (NodeLink *link = GetFirstIncomingLink())
    {
        DocumentNode *source = link->GetSource();
        if (MustDestroyLinkSource(source)) pendingDestruction.Append(&source->workElement);
        delete link;
    }

    workElement.Detach();
    // GraphElement deletes the outgoing links, KettricStructure the subtree.
}

bool DocumentNode::MustDestroyLinkSource(const DocumentNode *source) const
{
    return source != this && !source->destroyingFlag && !source->keepAlive && !source->IsAncestorOf(this) &&
           source->IsTopLevel();
}

bool DocumentNode::IsTopLevel() const
{
    // The document root is the structure of type 0 at the top of the tree.
    const KettricStructure *super = GetSuperStructure();
    return super != nullptr && super->GetSuperNode() == nullptr && super->GetStructureType() == 0;
}

DocumentNode *DocumentNode::FromStructure(KettricStructure *structure)
{
    DocumentNode *node = dynamic_cast<DocumentNode *>(structure);
    if (node == nullptr) return nullptr;
    uint32_t family = node->GetFamily();
    return (family == kEquationNodeFamily || family == kDrawingNodeFamily) ? node : nullptr;
}

DocumentNode *DocumentNode::DeepCopy()
{
    DocumentNode *copy = Clone();
    lastCopy = copy;
    for (TreeBase *subnode = GetFirstSubnode(); subnode != nullptr; subnode = subnode->GetNextNode())
    {
        DocumentNode *node = FromStructure(static_cast<KettricStructure *>(subnode));
        if (node != nullptr) copy->AppendSubnode(node->DeepCopy());
    }
    return copy;
}

bool DocumentNode::WriteKettricProperties(TextBuffer *) const
{
    return false;
}

void DocumentNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    for (TreeBase *subnode = GetFirstSubnode(); subnode != nullptr; subnode = subnode->GetNextNode())
    {
        if (DocumentNode *node = FromStructure(static_cast<KettricStructure *>(subnode))) node->BuildExportItems(design, list);
    }
}

void DocumentNode::BuildMeshItems(const Design *design, DisplayList *list) const
{
    for (TreeBase *subnode = GetFirstSubnode(); subnode != nullptr; subnode = subnode->GetNextNode())
    {
        if (DocumentNode *node = FromStructure(static_cast<KettricStructure *>(subnode))) node->BuildMeshItems(design, list);
    }
}

void DocumentNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    for (TreeBase *subnode = GetFirstSubnode(); subnode != nullptr; subnode = subnode->GetNextNode())
    {
        if (DocumentNode *node = FromStructure(static_cast<KettricStructure *>(subnode))) node->BuildPathItems(design, list);
    }
}

void DocumentNode::BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                                        DisplayList *list) const
{
    for (TreeBase *subnode = GetFirstSubnode(); subnode != nullptr; subnode = subnode->GetNextNode())
    {
        if (DocumentNode *node = FromStructure(static_cast<KettricStructure *>(subnode)))
            node->BuildEditingAidItems(flags, preferences, design, list);
    }
}

bool DocumentNode::GetColor(NodeColor *) const
{
    return false;
}

bool DocumentNode::GetFillColor(NodeColor *) const
{
    return false;
}

bool DocumentNode::GetStrokeColor(NodeColor *) const
{
    return false;
}

int32_t DocumentNode::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = nullptr;
    return 0;
}

int32_t DocumentNode::GetAnchorPoints(uint32_t, const Point2D **points) const
{
    *points = nullptr;
    return 0;
}

const uint32_t *DocumentNode::GetAnchorHandleColor(const Preferences *preferences, uint32_t) const
{
    return (preferences != nullptr) ? &preferences->colors[kColorEquationAnchor] : nullptr;
}

void DocumentNode::GetAnchorDirection(Vector2D *direction, int32_t) const
{
    direction->Set(1.0f, 0.0f);
}

bool DocumentNode::HitTest(const Point2D &, float) const
{
    return false;
}

void DocumentNode::BuildSelectionOutline(float, DisplayList *) const
{
}

void WriteIndentation(TextBuffer *buffer)
{
    static const char kTabs[17] = "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    for (int32_t depth = buffer->depth; depth > 0; depth -= 16)
    {
        int32_t n = (depth < 16) ? depth : 16;
        std::memcpy(buffer->Reserve(size_t(n)), kTabs, size_t(n));
    }
}

void DocumentNode::WriteKettricHead(TextBuffer *buffer, const char *identifier) const
{
    WriteIndentation(buffer);
    buffer->AppendText(identifier);
    const TextString &name = GetStructureName();
    if (!name.IsEmpty())
    {
        buffer->AppendText(" $");
        buffer->AppendText(name);
    }
    if (WriteKettricProperties(buffer)) buffer->AppendText(")");
}

void DocumentNode::WriteKettricBody(KettricDocument *document, TextBuffer *buffer) const
{
    buffer->depth += 1;
    for (TreeBase *subnode = GetFirstSubnode(); subnode != nullptr; subnode = subnode->GetNextNode())
    {
        if (DocumentNode *node = FromStructure(static_cast<KettricStructure *>(subnode))) node->WriteKettric(document, buffer);
    }
    if (HasOutgoingLinks()) WriteLinkBlock(this, buffer);
    buffer->depth -= 1;
}

void DocumentNode::WriteKettricLeaf(TextBuffer *buffer, const char *identifier) const
{
    WriteKettricHead(buffer, identifier);
    buffer->AppendText(" {}\n");
}

void DocumentNode::WriteKettricContainer(KettricDocument *document, TextBuffer *buffer, const char *identifier) const
{
    WriteKettricHead(buffer, identifier);
    buffer->AppendText("\n");
    WriteIndentation(buffer);
    buffer->AppendText("{\n");
    WriteKettricBody(document, buffer);
    WriteIndentation(buffer);
    buffer->AppendText("}\n");
}

NodeLink *DocumentNode::GetFirstOutgoingLink() const
{
    ListElement *element = GetOutgoingEdgeList().GetFirstListElement();
    return (element != nullptr) ? NodeLink::FromOutgoingElement(element) : nullptr;
}

NodeLink *DocumentNode::GetFirstIncomingLink() const
{
    ListElement *element = GetIncomingEdgeList().GetFirstListElement();
    return (element != nullptr) ? NodeLink::FromIncomingElement(element) : nullptr;
}

void DocumentNode::ReleaseLinkSources(List *readyList)
{
    // Pre-order over the subtree, without recursion over its depth.
    for (TreeBase *tree = this; tree != nullptr; tree = GetNextTreeNode(tree))
    {
        DocumentNode *node = FromStructure(static_cast<KettricStructure *>(tree));
        if (node == nullptr) continue;
        for (NodeLink *link = node->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
        {
            // Links from nodes below the top level delay nothing (their counts are not set).
            DocumentNode *source = link->GetSource();
            if (!source->IsTopLevel()) continue;
            if (--source->pendingLinks == 0) readyList->Append(&source->workElement);
        }
    }
}

}  // namespace oq
