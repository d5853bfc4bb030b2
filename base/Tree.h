#pragma once

#include "base/Memory.h"

#include <cstdint>

namespace oq {

// Intrusive tree links: a node carries its own links and owns its subnodes.
// Destroying a node destroys its subtree (post-order, subnodes in list order) and then unlinks it.
class TreeBase : public HeapObject
{
public:
    TreeBase() = default;
    TreeBase(const TreeBase &) = delete;
    TreeBase &operator=(const TreeBase &) = delete;

    virtual ~TreeBase();

    // Unlinks the node from its super node; nothing when it has none.
    virtual void Detach();

    TreeBase *GetPreviousNode() const { return previousNode; }
    TreeBase *GetNextNode() const { return nextNode; }
    TreeBase *GetSuperNode() const { return superNode; }
    TreeBase *GetFirstSubnode() const { return firstSubnode; }
    TreeBase *GetLastSubnode() const { return lastSubnode; }

    // Unlinks the node from its current super node, then makes it the last subnode of this node.
    void AppendSubnode(TreeBase *node);

    // Moves every subnode, in order, to the end of the target's subnode list.
    void MoveSubnodes(TreeBase *target);

    // Unlinks every subnode without deleting any.
    void RemoveAllSubnodes();

    // Deletes every subnode; the node itself stays where it is.
    void PurgeSubtree();

    TreeBase *GetRootNode() const;
    bool IsAncestorOf(const TreeBase *node) const;
    bool IsPreviousSiblingOf(const TreeBase *node) const;
    TreeBase *GetFirstLeafNode() const;
    TreeBase *GetLastLeafNode() const;
    int32_t GetSubnodeCount() const;
    int32_t GetSubtreeNodeCount() const;
    int32_t GetNodeIndex() const;
    int32_t GetNodeDepth() const;

    // Pre-order walk of the subtree rooted at this node; the root itself is never returned.
    TreeBase *GetNextTreeNode(const TreeBase *node) const;
    TreeBase *GetNextLevelTreeNode(const TreeBase *node) const;
    TreeBase *GetPreviousTreeNode(const TreeBase *node) const;
    TreeBase *GetPreviousLevelTreeNode(const TreeBase *node) const;

protected:
    // Takes the node out of its super node's list and clears its links.
    static void UnlinkNode(TreeBase *node);

    void LinkFirst(TreeBase *node);
    void LinkLast(TreeBase *node);
    void LinkBefore(TreeBase *node, TreeBase *position);
    void LinkAfter(TreeBase *node, TreeBase *position);
    // Moves the subnodes of node, a subnode of this one, in order into this node's list right
    // after node: one splice and a super link per moved node.
    void HoistSubnodes(TreeBase *node);

private:
    TreeBase *previousNode = nullptr;
    TreeBase *nextNode = nullptr;
    TreeBase *superNode = nullptr;
    TreeBase *firstSubnode = nullptr;
    TreeBase *lastSubnode = nullptr;
};

// Tree node with the virtual link operations; every tree class derives from it
// and declares its own virtual operations after these.
class TreeNode : public TreeBase
{
public:
    TreeNode() = default;
    ~TreeNode() override;

    virtual void AppendSubnode(TreeBase *node);
    virtual void PrependSubnode(TreeBase *node);
    // A null position appends the node.
    virtual void InsertSubnodeBefore(TreeBase *node, TreeBase *position);
    // A null position prepends the node.
    virtual void InsertSubnodeAfter(TreeBase *node, TreeBase *position);
    // The node stays alive and keeps its subtree.
    virtual void RemoveSubnode(TreeBase *node);
};

}  // namespace oq
