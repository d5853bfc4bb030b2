#pragma once

#include "base/Graph.h"
#include "base/List.h"

#include <cstdint>

namespace oq {

class DocumentNode;
class NodeLink;

// The membership of a link in one temporary work list; work lists never own their elements.
class LinkWorkElement : public ListElement
{
public:
    explicit LinkWorkElement(NodeLink *owner) : link(owner) {}
    NodeLink *GetLink() const { return link; }

private:
    NodeLink *link;
};

// A link from a dependent structure (the source) to one anchor point of a target node:
// {anchor kind, anchor index, value}. Unrelated to the platform's weak Link<T>.
class NodeLink : public GraphEdge
{
public:
    // Appends the link to the source's outgoing and the target's incoming list.
    NodeLink(DocumentNode *source, DocumentNode *target, uint32_t kind, int32_t index, float linkValue);
    // Leaves the work list, the target's incoming list and the source's outgoing list.
    ~NodeLink() override;

    DocumentNode *GetSource() const;
    DocumentNode *GetTarget() const;
    // Points the link at another node (the end of its incoming list); kind, index and value stay.
    void SetTarget(DocumentNode *target);

    // The next link in the source's outgoing list or the target's incoming list; null at the end.
    NodeLink *GetNextOutgoingLink() const;
    NodeLink *GetNextIncomingLink() const;

    static NodeLink *FromOutgoingElement(ListElement *element);
    static NodeLink *FromIncomingElement(ListElement *element);

    LinkWorkElement workElement;
    uint32_t anchorKind;
    int32_t anchorIndex;
    float value;
};

// Destroys the structures linked to the target through the links the test picks (a source that
// may not be destroyed loses only its link). The test may re-index a link it keeps. The structure
// at the top of the target's tree stays: a file may make it depend on a source that goes here.
void DestroyPickedLinkSources(DocumentNode *target, bool (*picks)(NodeLink *link, void *context), void *context);

}  // namespace oq
