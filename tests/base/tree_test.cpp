#include <gtest/gtest.h>

#include "base/Tree.h"

#include <algorithm>
#include <random>
#include <vector>

namespace oq {
namespace {

// Node that records its destruction, so tests can see every node deleted exactly once.
struct TestNode : TreeNode
{
    explicit TestNode(int32_t number, std::vector<int32_t> *deleted = nullptr) : id(number), log(deleted) {}
    ~TestNode() override
    {
        if (log) log->push_back(id);
    }

    int32_t id;
    std::vector<int32_t> *log;
};

TestNode *Node(TreeBase *node) { return static_cast<TestNode *>(node); }

std::vector<int32_t> SubnodeIds(const TreeBase &node)
{
    std::vector<int32_t> ids;
    for (TreeBase *subnode = node.GetFirstSubnode(); subnode; subnode = subnode->GetNextNode())
    {
        ids.push_back(Node(subnode)->id);
    }
    return ids;
}

// Checks the five links of a node and its direct subnodes.
void ExpectLinksConsistent(const TreeBase *node)
{
    TreeBase *first = node->GetFirstSubnode();
    TreeBase *last = node->GetLastSubnode();
    ASSERT_EQ(first == nullptr, last == nullptr);
    if (!node->GetSuperNode())
    {
        EXPECT_EQ(node->GetPreviousNode(), nullptr);
        EXPECT_EQ(node->GetNextNode(), nullptr);
    }
    TreeBase *previous = nullptr;
    for (TreeBase *subnode = first; subnode; subnode = subnode->GetNextNode())
    {
        ASSERT_EQ(subnode->GetSuperNode(), node);
        ASSERT_EQ(subnode->GetPreviousNode(), previous);
        previous = subnode;
    }
    EXPECT_EQ(previous, last);
}

TEST(Tree, LinkOperations)
{
    TestNode root(0);
    TestNode *a = new TestNode(1);
    TestNode *b = new TestNode(2);
    TestNode *c = new TestNode(3);
    TestNode *d = new TestNode(4);

    root.AppendSubnode(a);
    root.AppendSubnode(b);
    root.PrependSubnode(c);
    EXPECT_EQ(SubnodeIds(root), (std::vector<int32_t>{3, 1, 2}));

    // Appending the last subnode again changes nothing.
    root.AppendSubnode(b);
    EXPECT_EQ(SubnodeIds(root), (std::vector<int32_t>{3, 1, 2}));

    root.InsertSubnodeBefore(d, a);
    EXPECT_EQ(SubnodeIds(root), (std::vector<int32_t>{3, 4, 1, 2}));
    root.InsertSubnodeAfter(c, b);
    EXPECT_EQ(SubnodeIds(root), (std::vector<int32_t>{4, 1, 2, 3}));

    // Null positions: before appends, after prepends.
    root.InsertSubnodeBefore(d, nullptr);
    EXPECT_EQ(SubnodeIds(root), (std::vector<int32_t>{1, 2, 3, 4}));
    root.InsertSubnodeAfter(d, nullptr);
    EXPECT_EQ(SubnodeIds(root), (std::vector<int32_t>{4, 1, 2, 3}));
    ExpectLinksConsistent(&root);

    // Appending a node from under another super node moves it with its subtree.
    TestNode *e = new TestNode(5);
    a->AppendSubnode(e);
    b->AppendSubnode(a);
    EXPECT_EQ(SubnodeIds(root), (std::vector<int32_t>{4, 2, 3}));
    EXPECT_EQ(a->GetSuperNode(), b);
    EXPECT_EQ(e->GetSuperNode(), a);
    EXPECT_EQ(e->GetNodeDepth(), 3);

    // Detach of a root changes nothing.
    TestNode loose(9);
    loose.Detach();
    EXPECT_EQ(loose.GetSuperNode(), nullptr);
    ExpectLinksConsistent(&loose);
}

TEST(Tree, RemovedNodesKeepTheirSubtrees)
{
    std::vector<int32_t> deleted;
    TestNode root(0, &deleted);
    TestNode *a = new TestNode(1, &deleted);
    TestNode *b = new TestNode(2, &deleted);
    TestNode *c = new TestNode(3, &deleted);
    root.AppendSubnode(a);
    root.AppendSubnode(b);
    a->AppendSubnode(c);

    root.RemoveSubnode(a);
    EXPECT_EQ(a->GetSuperNode(), nullptr);
    EXPECT_EQ(a->GetNextNode(), nullptr);
    EXPECT_EQ(b->GetPreviousNode(), nullptr);
    EXPECT_EQ(c->GetSuperNode(), a);
    ExpectLinksConsistent(&root);

    root.RemoveAllSubnodes();
    EXPECT_EQ(root.GetFirstSubnode(), nullptr);
    EXPECT_EQ(root.GetLastSubnode(), nullptr);
    EXPECT_EQ(b->GetSuperNode(), nullptr);
    EXPECT_TRUE(deleted.empty());

    delete a;
    delete b;
    // The derived destructor runs before the subtree goes.
    EXPECT_EQ(deleted, (std::vector<int32_t>{1, 3, 2}));
}

TEST(Tree, DestructionDeletesTheSubtreeOnce)
{
    std::vector<int32_t> deleted;
    TestNode *root = new TestNode(0, &deleted);
    // Three levels: 1 (4, 5 (7)), 2, 3 (6).
    TestNode *n[8];
    for (int32_t i = 1; i < 8; ++i) n[i] = new TestNode(i, &deleted);
    root->AppendSubnode(n[1]);
    root->AppendSubnode(n[2]);
    root->AppendSubnode(n[3]);
    n[1]->AppendSubnode(n[4]);
    n[1]->AppendSubnode(n[5]);
    n[3]->AppendSubnode(n[6]);
    n[5]->AppendSubnode(n[7]);
    EXPECT_EQ(root->GetSubtreeNodeCount(), 7);

    // A node destroyed inside a list leaves that list.
    delete n[5];
    EXPECT_EQ(deleted, (std::vector<int32_t>{5, 7}));
    EXPECT_EQ(SubnodeIds(*n[1]), (std::vector<int32_t>{4}));
    ExpectLinksConsistent(n[1]);

    n[3]->PurgeSubtree();
    EXPECT_EQ(n[3]->GetFirstSubnode(), nullptr);
    EXPECT_EQ(n[3]->GetSuperNode(), root);

    deleted.clear();
    delete root;
    EXPECT_EQ(deleted, (std::vector<int32_t>{0, 1, 4, 2, 3}));
}

TEST(Tree, MoveSubnodesKeepsOrderAndSubtrees)
{
    TestNode source(0);
    TestNode target(10);
    target.AppendSubnode(new TestNode(11));
    for (int32_t i = 1; i <= 3; ++i) source.AppendSubnode(new TestNode(i));
    source.GetFirstSubnode()->AppendSubnode(new TestNode(4));

    source.MoveSubnodes(&target);
    EXPECT_EQ(source.GetFirstSubnode(), nullptr);
    EXPECT_EQ(source.GetLastSubnode(), nullptr);
    EXPECT_EQ(SubnodeIds(target), (std::vector<int32_t>{11, 1, 2, 3}));
    EXPECT_EQ(SubnodeIds(*target.GetFirstSubnode()->GetNextNode()), (std::vector<int32_t>{4}));
    ExpectLinksConsistent(&target);
}

TEST(Tree, QueriesAndTraversalEdges)
{
    TestNode root(0);
    EXPECT_EQ(root.GetNextTreeNode(&root), nullptr);
    EXPECT_EQ(root.GetNextLevelTreeNode(&root), nullptr);
    EXPECT_EQ(root.GetPreviousTreeNode(&root), nullptr);
    EXPECT_EQ(root.GetPreviousLevelTreeNode(&root), nullptr);
    EXPECT_EQ(root.GetSubtreeNodeCount(), 0);
    EXPECT_EQ(root.GetNodeDepth(), 0);
    EXPECT_EQ(root.GetFirstLeafNode(), &root);
    EXPECT_EQ(root.GetRootNode(), &root);

    TestNode *a = new TestNode(1);
    TestNode *b = new TestNode(2);
    TestNode *c = new TestNode(3);
    root.AppendSubnode(a);
    root.AppendSubnode(b);
    a->AppendSubnode(c);

    EXPECT_EQ(root.GetPreviousTreeNode(a), &root);
    EXPECT_EQ(root.GetPreviousTreeNode(b), c);
    EXPECT_EQ(root.GetNextLevelTreeNode(a), b);
    EXPECT_EQ(root.GetNextLevelTreeNode(c), b);
    EXPECT_EQ(root.GetNextLevelTreeNode(b), nullptr);
    EXPECT_EQ(root.GetPreviousLevelTreeNode(c), nullptr);
    EXPECT_EQ(root.GetPreviousLevelTreeNode(b), a);

    // A walk confined to a subtree never leaves it, even when its root has siblings.
    EXPECT_EQ(a->GetNextTreeNode(c), nullptr);
    EXPECT_EQ(a->GetNextLevelTreeNode(a), nullptr);

    EXPECT_EQ(a->GetNodeIndex(), 0);
    EXPECT_EQ(b->GetNodeIndex(), 1);
    EXPECT_EQ(c->GetSubtreeNodeCount(), 0);
    EXPECT_EQ(c->GetRootNode(), &root);
    EXPECT_EQ(root.GetLastLeafNode(), b);
    EXPECT_EQ(root.GetFirstLeafNode(), c);

    EXPECT_TRUE(root.IsAncestorOf(c));
    EXPECT_FALSE(c->IsAncestorOf(&root));
    EXPECT_FALSE(root.IsAncestorOf(&root));
    EXPECT_TRUE(a->IsPreviousSiblingOf(b));
    EXPECT_FALSE(b->IsPreviousSiblingOf(a));
    EXPECT_FALSE(a->IsPreviousSiblingOf(a));
}

// Reference model of a forest, compared link by link with the real nodes.
class TreeModel
{
public:
    explicit TreeModel(int32_t count) : parent(count, -1), children(count) {}

    bool IsDescendantOrSelf(int32_t node, int32_t ancestor) const
    {
        for (int32_t n = node; n >= 0; n = parent[n])
        {
            if (n == ancestor) return true;
        }
        return false;
    }

    void Unlink(int32_t node)
    {
        int32_t p = parent[node];
        if (p < 0) return;
        auto &list = children[p];
        list.erase(std::find(list.begin(), list.end(), node));
        parent[node] = -1;
    }

    void Insert(int32_t node, int32_t super, int32_t index)
    {
        Unlink(node);
        parent[node] = super;
        children[super].insert(children[super].begin() + index, node);
    }

    void PreOrder(int32_t node, std::vector<int32_t> &order) const
    {
        for (int32_t child : children[node])
        {
            order.push_back(child);
            PreOrder(child, order);
        }
    }

    int32_t Depth(int32_t node) const
    {
        int32_t depth = 0;
        for (int32_t n = parent[node]; n >= 0; n = parent[n]) ++depth;
        return depth;
    }

    std::vector<int32_t> parent;
    std::vector<std::vector<int32_t>> children;
};

void ExpectMatchesModel(const std::vector<TestNode *> &nodes, const std::vector<bool> &alive, const TreeModel &model)
{
    for (size_t i = 0; i < nodes.size(); ++i)
    {
        if (!alive[i]) continue;
        TestNode *node = nodes[i];
        ExpectLinksConsistent(node);
        int32_t p = model.parent[i];
        ASSERT_EQ(node->GetSuperNode(), p < 0 ? nullptr : nodes[p]) << "node " << i;
        ASSERT_EQ(SubnodeIds(*node), model.children[i]) << "node " << i;
        EXPECT_EQ(node->GetNodeDepth(), model.Depth(int32_t(i)));
        EXPECT_EQ(node->GetSubnodeCount(), int32_t(model.children[i].size()));

        // Forward and backward walks visit the model's pre-order.
        std::vector<int32_t> order;
        model.PreOrder(int32_t(i), order);
        std::vector<int32_t> walk;
        for (TreeBase *n = node->GetNextTreeNode(node); n; n = node->GetNextTreeNode(n)) walk.push_back(Node(n)->id);
        ASSERT_EQ(walk, order);
        EXPECT_EQ(node->GetSubtreeNodeCount(), int32_t(order.size()));
        if (!order.empty())
        {
            std::vector<int32_t> back;
            TreeBase *n = node->GetLastLeafNode();
            for (; n != node; n = node->GetPreviousTreeNode(n)) back.push_back(Node(n)->id);
            std::reverse(back.begin(), back.end());
            EXPECT_EQ(back, order);
        }
    }
}

TEST(Tree, RandomOperationsKeepLinksConsistent)
{
    constexpr int32_t kNodeCount = 24;
    std::vector<int32_t> deleted;
    std::vector<TestNode *> nodes;
    std::vector<bool> alive(kNodeCount, true);
    for (int32_t i = 0; i < kNodeCount; ++i) nodes.push_back(new TestNode(i, &deleted));
    TreeModel model(kNodeCount);

    std::mt19937 random(12345);
    auto pick = [&]() -> int32_t {
        for (;;)
        {
            int32_t i = int32_t(random() % kNodeCount);
            if (alive[i]) return i;
        }
    };

    int32_t aliveCount = kNodeCount;
    for (int32_t step = 0; step < 3000 && aliveCount > 2; ++step)
    {
        int32_t op = int32_t(random() % 100);
        int32_t node = pick();
        int32_t super = pick();
        TestNode *n = nodes[node];
        TestNode *s = nodes[super];
        bool legal = !model.IsDescendantOrSelf(super, node);
        const auto &list = model.children[super];

        if (op < 20 && legal)
        {
            s->AppendSubnode(n);
            model.Unlink(node);
            model.Insert(node, super, int32_t(model.children[super].size()));
        }
        else if (op < 35 && legal)
        {
            s->PrependSubnode(n);
            model.Insert(node, super, 0);
        }
        else if (op < 60 && legal)
        {
            // Insert before or after a subnode of the super node (or a null position).
            bool before = (op & 1) != 0;
            int32_t position = list.empty() ? -1 : list[random() % list.size()];
            if (random() % 4 == 0) position = -1;
            if (position == node) continue;
            TreeBase *positionNode = position < 0 ? nullptr : nodes[position];
            if (before) s->InsertSubnodeBefore(n, positionNode);
            else s->InsertSubnodeAfter(n, positionNode);
            model.Unlink(node);
            const auto &updated = model.children[super];
            int32_t index;
            if (position < 0) index = before ? int32_t(updated.size()) : 0;
            else
            {
                index = int32_t(std::find(updated.begin(), updated.end(), position) - updated.begin());
                if (!before) ++index;
            }
            model.Insert(node, super, index);
        }
        else if (op < 70)
        {
            int32_t p = model.parent[node];
            if (p < 0) continue;
            nodes[p]->RemoveSubnode(n);
            model.Unlink(node);
        }
        else if (op < 78)
        {
            n->Detach();
            model.Unlink(node);
        }
        else if (op < 84 && legal)
        {
            n->MoveSubnodes(s);
            std::vector<int32_t> moved = model.children[node];
            for (int32_t m : moved) model.Insert(m, super, int32_t(model.children[super].size()));
        }
        else if (op < 87)
        {
            n->RemoveAllSubnodes();
            std::vector<int32_t> removed = model.children[node];
            for (int32_t m : removed) model.Unlink(m);
        }
        else if (op < 90)
        {
            // Deleting a node deletes its subtree exactly once and unlinks it.
            std::vector<int32_t> expected;
            model.PreOrder(node, expected);
            expected.push_back(node);
            deleted.clear();
            delete n;
            std::sort(expected.begin(), expected.end());
            std::sort(deleted.begin(), deleted.end());
            ASSERT_EQ(deleted, expected);
            model.Unlink(node);
            for (int32_t d : expected)
            {
                alive[d] = false;
                --aliveCount;
            }
        }
        else continue;

        ASSERT_NO_FATAL_FAILURE(ExpectMatchesModel(nodes, alive, model)) << "step " << step;
    }

    // Deleting the remaining roots deletes every remaining node once.
    deleted.clear();
    int32_t remaining = 0;
    for (int32_t i = 0; i < kNodeCount; ++i)
    {
        if (alive[i]) ++remaining;
    }
    for (int32_t i = 0; i < kNodeCount; ++i)
    {
        if (alive[i] && model.parent[i] < 0) delete nodes[i];
    }
    EXPECT_EQ(int32_t(deleted.size()), remaining);
}

}  // namespace
}  // namespace oq
