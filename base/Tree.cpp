#include "base/Tree.h"

namespace oq {

TreeBase::~TreeBase()
{
    PurgeSubtree();
    if (superNode) UnlinkNode(this);
}

void TreeBase::Detach()
{
    if (superNode) UnlinkNode(this);
}

void TreeBase::UnlinkNode(TreeBase *node)
{
    TreeBase *super = node->superNode;
    if (!super) return;

    TreeBase *previous = node->previousNode;
    TreeBase *next = node->nextNode;
    if (previous) previous->nextNode = next;
    if (next) next->previousNode = previous;
    if (super->firstSubnode == node) super->firstSubnode = next;
    if (super->lastSubnode == node) super->lastSubnode = previous;

    node->previousNode = nullptr;
    node->nextNode = nullptr;
    node->superNode = nullptr;
}

void TreeBase::LinkFirst(TreeBase *node)
{
    UnlinkNode(node);
    node->superNode = this;
    node->nextNode = firstSubnode;
    if (firstSubnode) firstSubnode->previousNode = node;
    else lastSubnode = node;
    firstSubnode = node;
}

void TreeBase::LinkLast(TreeBase *node)
{
    UnlinkNode(node);
    node->superNode = this;
    node->previousNode = lastSubnode;
    if (lastSubnode) lastSubnode->nextNode = node;
    else firstSubnode = node;
    lastSubnode = node;
}

void TreeBase::LinkBefore(TreeBase *node, TreeBase *position)
{
    if (!position)
    {
        LinkLast(node);
        return;
    }

    UnlinkNode(node);
    node->superNode = this;
    TreeBase *previous = position->previousNode;
    node->nextNode = position;
    node->previousNode = previous;
    position->previousNode = node;
    if (previous) previous->nextNode = node;
    else firstSubnode = node;
}

void TreeBase::LinkAfter(TreeBase *node, TreeBase *position)
{
    if (!position)
    {
        LinkFirst(node);
        return;
    }

    UnlinkNode(node);
    node->superNode = this;
    TreeBase *next = position->nextNode;
    node->previousNode = position;
    node->nextNode = next;
    position->nextNode = node;
    if (next) next->previousNode = node;
    else lastSubnode = node;
}

void TreeBase::HoistSubnodes(TreeBase *node)
{
    TreeBase *first = node->firstSubnode;
    if (!first) return;
    TreeBase *last = node->lastSubnode;
    for (TreeBase *moved = first; moved; moved = moved->nextNode) moved->superNode = this;

    TreeBase *next = node->nextNode;
    node->nextNode = first;
    first->previousNode = node;
    last->nextNode = next;
    if (next) next->previousNode = last;
    else lastSubnode = last;
    node->firstSubnode = nullptr;
    node->lastSubnode = nullptr;
}

void TreeBase::AppendSubnode(TreeBase *node)
{
    LinkLast(node);
}

void TreeBase::MoveSubnodes(TreeBase *target)
{
    while (firstSubnode) target->LinkLast(firstSubnode);
}

void TreeBase::RemoveAllSubnodes()
{
    TreeBase *node = firstSubnode;
    while (node)
    {
        TreeBase *next = node->nextNode;
        node->previousNode = nullptr;
        node->nextNode = nullptr;
        node->superNode = nullptr;
        node = next;
    }
    firstSubnode = nullptr;
    lastSubnode = nullptr;
}

void TreeBase::PurgeSubtree()
{
    // Each subnode unlinks itself as its destructor ends, which advances the first subnode.
    while (firstSubnode) delete firstSubnode;
}

TreeBase *TreeBase::GetRootNode() const
{
    const TreeBase *node = this;
    while (node->superNode) node = node->superNode;
    return const_cast<TreeBase *>(node);
}

bool TreeBase::IsAncestorOf(const TreeBase *node) const
{
    for (const TreeBase *super = node->superNode; super; super = super->superNode)
    {
        if (super == this) return true;
    }
    return false;
}

bool TreeBase::IsPreviousSiblingOf(const TreeBase *node) const
{
    for (const TreeBase *previous = node->previousNode; previous; previous = previous->previousNode)
    {
        if (previous == this) return true;
    }
    return false;
}

TreeBase *TreeBase::GetFirstLeafNode() const
{
    const TreeBase *node = this;
    while (node->firstSubnode) node = node->firstSubnode;
    return const_cast<TreeBase *>(node);
}

TreeBase *TreeBase::GetLastLeafNode() const
{
    const TreeBase *node = this;
    while (node->lastSubnode) node = node->lastSubnode;
    return const_cast<TreeBase *>(node);
}

int32_t TreeBase::GetSubnodeCount() const
{
    int32_t count = 0;
    for (const TreeBase *node = firstSubnode; node; node = node->nextNode) ++count;
    return count;
}

int32_t TreeBase::GetSubtreeNodeCount() const
{
    int32_t count = 0;
    for (const TreeBase *node = GetNextTreeNode(this); node; node = GetNextTreeNode(node)) ++count;
    return count;
}

int32_t TreeBase::GetNodeIndex() const
{
    int32_t index = 0;
    for (const TreeBase *node = previousNode; node; node = node->previousNode) ++index;
    return index;
}

int32_t TreeBase::GetNodeDepth() const
{
    int32_t depth = 0;
    for (const TreeBase *node = superNode; node; node = node->superNode) ++depth;
    return depth;
}

TreeBase *TreeBase::GetNextTreeNode(const TreeBase *node) const
{
    if (node->firstSubnode) return node->firstSubnode;
    return GetNextLevelTreeNode(node);
}

TreeBase *TreeBase::GetNextLevelTreeNode(const TreeBase *node) const
{
    while (node != this)
    {
        if (node->nextNode) return node->nextNode;
        node = node->superNode;
    }
    return nullptr;
}

TreeBase *TreeBase::GetPreviousTreeNode(const TreeBase *node) const
{
    if (node == this) return nullptr;
    if (node->previousNode) return node->previousNode->GetLastLeafNode();
    return node->superNode;
}

TreeBase *TreeBase::GetPreviousLevelTreeNode(const TreeBase *node) const
{
    while (node != this)
    {
        if (node->previousNode) return node->previousNode;
        node = node->superNode;
    }
    return nullptr;
}

TreeNode::~TreeNode() = default;

void TreeNode::AppendSubnode(TreeBase *node)
{
    TreeBase::AppendSubnode(node);
}

void TreeNode::PrependSubnode(TreeBase *node)
{
    LinkFirst(node);
}

void TreeNode::InsertSubnodeBefore(TreeBase *node, TreeBase *position)
{
    LinkBefore(node, position);
}

void TreeNode::InsertSubnodeAfter(TreeBase *node, TreeBase *position)
{
    LinkAfter(node, position);
}

void TreeNode::RemoveSubnode(TreeBase *node)
{
    UnlinkNode(node);
}

}  // namespace oq
