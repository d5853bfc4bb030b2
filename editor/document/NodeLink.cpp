// Links between document nodes.
#include "editor/document/NodeLink.h"

#include "editor/document/DocumentNode.h"

namespace oq {

NodeLink::NodeLink(DocumentNode *source, DocumentNode *target, uint32_t kind, int32_t index, float linkValue)
    : GraphEdge(source, target), workElement(this), anchorKind(kind), anchorIndex(index), value(linkValue)
{
}

NodeLink::~NodeLink()
{
    workElement.Detach();
    GetFinishPart()->Detach();
    GetStartPart()->Detach();
}

DocumentNode *NodeLink::GetSource() const
{
    return static_cast<DocumentNode *>(GetStartVertex());
}

DocumentNode *NodeLink::GetTarget() const
{
    return static_cast<DocumentNode *>(GetFinishVertex());
}

void NodeLink::SetTarget(DocumentNode *target)
{
    MoveFinish(target);
}

NodeLink *NodeLink::GetNextOutgoingLink() const
{
    ListElement *next = static_cast<const GraphEdgeStartPart *>(this)->GetNextListElement();
    return (next != nullptr) ? FromOutgoingElement(next) : nullptr;
}

NodeLink *NodeLink::GetNextIncomingLink() const
{
    ListElement *next = static_cast<const GraphEdgeFinishPart *>(this)->GetNextListElement();
    return (next != nullptr) ? FromIncomingElement(next) : nullptr;
}

NodeLink *NodeLink::FromOutgoingElement(ListElement *element)
{
    return static_cast<NodeLink *>(GraphEdge::FromOutgoingElement(element));
}

NodeLink *NodeLink::FromIncomingElement(ListElement *element)
{
    return static_cast<NodeLink *>(GraphEdge::FromIncomingElement(element));
}

void DestroyPickedLinkSources(DocumentNode *target, bool (*picks)(NodeLink *link, void *context), void *context)
{
    // Destroying a source deletes its other links, which leave this list: always take the head.
    List links;
    for (NodeLink *link = target->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
        links.Append(&link->workElement);
    DocumentNode *holder = target;
    while (!holder->IsTopLevel())
    {
        DocumentNode *super = DocumentNode::FromStructure(holder->GetSuperStructure());
        if (super == nullptr) break;
        holder = super;
    }
    bool wasKeptAlive = holder->keepAlive;
    holder->keepAlive = true;
    while (ListElement *element = links.GetFirstListElement())
    {
        links.Remove(element);
        NodeLink *link = static_cast<LinkWorkElement *>(element)->GetLink();
        if (!picks(link, context)) continue;
        DocumentNode *source = link->GetSource();
        if (target->MustDestroyLinkSource(source))
            delete source;
        else
            delete link;
    }
    holder->keepAlive = wasKeptAlive;
}

}  // namespace oq
