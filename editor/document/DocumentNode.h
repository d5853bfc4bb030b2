#pragma once

#include "base/Graph.h"
#include "base/List.h"
#include "base/Point2D.h"
#include "base/Vector2D.h"
#include "kettric/KettricStructure.h"

#include <cmath>
#include <cstdint>

namespace oq {

class Design;
class DocumentNode;
class KettricDocument;
class NodeLink;
class Preferences;
struct TextBuffer;

using DisplayList = List;

// The families of the node kinds (their base structure type).
inline constexpr uint32_t kEquationNodeFamily = 'eqtn';
inline constexpr uint32_t kDrawingNodeFamily = 'draw';

// A colour as documents store it: a palette index (0 to 15), or a negative index and a 32-bit colour.
struct NodeColor
{
    int32_t paletteIndex;
    uint32_t colorValue;
};

// The membership of a node in one temporary work list (a ready queue of a link-order pass).
// Work lists never own their elements: empty them with RemoveAll, never Purge or destroy them full.
class NodeWorkElement : public ListElement
{
public:
    explicit NodeWorkElement(DocumentNode *owner) : node(owner) {}
    DocumentNode *GetNode() const { return node; }

private:
    DocumentNode *node;
};

// The end of a node's destruction: the first base of DocumentNode, so destroyed after the node's
// links and subtree. When the outermost destruction ends here it destroys the link sources waiting
// on the pending list. Ending here and not in operator delete also covers nodes destroyed without
// delete (locals, members), which would otherwise leave the count of destructions under way raised.
class NodeDestructionEnd
{
protected:
    NodeDestructionEnd() = default;
    ~NodeDestructionEnd();
};

// Base of every equation node and drawing object: a node of the document tree, a Kettric structure,
// a vertex of the link graph (its edges are NodeLinks) and a member of a work list.
class DocumentNode : private NodeDestructionEnd, public KettricStructure, public GraphElement
{
public:
    static void *operator new(size_t size) { return MemoryAllocate(size); }
    static void operator delete(void *block) { MemoryRelease(block); }

    explicit DocumentNode(uint32_t kind);
    // Copies the kind and the family only: no name, no links, no subnodes.
    DocumentNode(const DocumentNode &node);
    DocumentNode &operator=(const DocumentNode &) = delete;

    // Destroys the structures linked to this node (see MustDestroyLinkSource), leaves the work
    // list, deletes the remaining links and then the subtree.
    ~DocumentNode() override;

    using TreeBase::Detach;

    // The rest of the fixed order of virtual operations (after the tree and Kettric ones).

    // A new node of the same kind with the same properties and data, without subnodes and links.
    virtual DocumentNode *Clone() const = 0;
    // A copy of the subtree without links; every node of the source records its copy in lastCopy.
    virtual DocumentNode *DeepCopy();
    // Writes the properties that differ from their defaults; true when it opened a list.
    virtual bool WriteKettricProperties(TextBuffer *buffer) const;
    virtual void WriteKettric(KettricDocument *document, TextBuffer *buffer) const = 0;
    virtual void Layout(const Design *design) = 0;
    // The build operations default to the subnodes' items, in order.
    virtual void BuildExportItems(const Design *design, DisplayList *list) const;
    virtual void BuildMeshItems(const Design *design, DisplayList *list) const;
    virtual void BuildPathItems(const Design *design, DisplayList *list) const;
    virtual void BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                                      DisplayList *list) const;
    virtual bool GetColor(NodeColor *color) const;
    virtual bool GetFillColor(NodeColor *color) const;
    virtual bool GetStrokeColor(NodeColor *color) const;
    // The anchor kinds; the array stays owned by the node.
    virtual int32_t GetAnchorKinds(const uint32_t **kinds) const;
    // The points of one anchor kind; valid until the node's next layout.
    virtual int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const;
    // The colour to draw the handles of one anchor kind with: the preferences' equation-anchor colour
    // ('eqac') in the base, null without preferences.
    virtual const uint32_t *GetAnchorHandleColor(const Preferences *preferences, uint32_t kind) const;
    virtual void GetAnchorDirection(Vector2D *direction, int32_t index) const;
    virtual bool HitTest(const Point2D &point, float tolerance) const;
    virtual void BuildSelectionOutline(float halfWidth, DisplayList *list) const;

    uint32_t GetKind() const { return GetStructureType(); }
    uint32_t GetFamily() const { return baseStructureType; }

    // The first line of the node's text: tabs, identifier, " $" and the name, the property list.
    void WriteKettricHead(TextBuffer *buffer, const char *identifier) const;
    // The subnodes and the link block, one level deeper.
    void WriteKettricBody(KettricDocument *document, TextBuffer *buffer) const;
    // Head and " {}" for a kind without subnodes; head, "{", body and "}" for a container.
    void WriteKettricLeaf(TextBuffer *buffer, const char *identifier) const;
    void WriteKettricContainer(KettricDocument *document, TextBuffer *buffer, const char *identifier) const;

    // The countdown step of the link-order passes: every top-level source of a link into this
    // subtree counts down its pendingLinks; one that reaches 0 goes to the end of the ready list.
    void ReleaseLinkSources(List *readyList);

    NodeLink *GetFirstOutgoingLink() const;
    NodeLink *GetFirstIncomingLink() const;
    bool HasIncomingLinks() const { return !GetIncomingEdgeList().IsEmpty(); }
    bool HasOutgoingLinks() const { return !GetOutgoingEdgeList().IsEmpty(); }
    // The links that start at the node itself (not at its subnodes).
    int32_t GetOutgoingLinkCount() const { return GetOutgoingEdgeList().GetListElementCount(); }

    // Whether the node stands directly under a document root.
    bool IsTopLevel() const;
    bool IsBeingDestroyed() const { return destroyingFlag; }

    // Whether destroying this node destroys the source of a link into it: not when the source is
    // this node, is being destroyed, is kept alive, is an ancestor of this node or is not a top-level
    // structure (only the link goes then).
    bool MustDestroyLinkSource(const DocumentNode *source) const;

    // The node a structure of a document tree is, or null for any other structure.
    static DocumentNode *FromStructure(KettricStructure *structure);

    NodeWorkElement workElement;
    int32_t pendingLinks;
    DocumentNode *lastCopy;
    // Set on a document's main group, and while an operation of a node deletes its dependents:
    // destroying a structure the node links to then takes only the link, never the node.
    bool keepAlive = false;

private:
    bool destroyingFlag;
};

// A float read from a node's text, non-finite values treated as absent.
inline float FiniteOrDefault(float value, float defaultValue)
{
    return std::isfinite(value) ? value : defaultValue;
}

// Writes tabs for the buffer's depth, in blocks of sixteen.
void WriteIndentation(TextBuffer *buffer);

}  // namespace oq
