#include "base/Map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

namespace oq {
namespace {

struct Node : MapElement
{
    Node(int k, int *live) : key(k), liveCount(live) { ++*liveCount; }
    ~Node() override { --*liveCount; }

    int key;
    int *liveCount;
};

int Key(const MapElement *element)
{
    return static_cast<const Node *>(element)->key;
}

// The keyed search-and-insert that owners of a key type perform; false for a duplicate key.
bool Insert(Map &map, Node *node)
{
    MapElement *current = map.GetRootMapElement();
    if (!current)
    {
        map.InsertRootElement(node);
        return true;
    }
    for (;;)
    {
        if (node->key < Key(current))
        {
            if (!current->GetLeftMapElement())
            {
                map.InsertLeftElement(current, node);
                return true;
            }
            current = current->GetLeftMapElement();
        }
        else if (Key(current) < node->key)
        {
            if (!current->GetRightMapElement())
            {
                map.InsertRightElement(current, node);
                return true;
            }
            current = current->GetRightMapElement();
        }
        else
            return false;
    }
}

Node *Find(const Map &map, int key)
{
    MapElement *current = map.GetRootMapElement();
    while (current && Key(current) != key)
        current = key < Key(current) ? current->GetLeftMapElement() : current->GetRightMapElement();
    return static_cast<Node *>(current);
}

// Checks links, stored balances against real heights and appends the keys in order; returns the height.
int CheckSubtree(const Map &map, const MapElement *element, std::vector<int> &keys)
{
    if (!element)
        return 0;
    EXPECT_EQ(element->GetOwningMap(), &map);
    if (element->GetLeftMapElement())
    {
        EXPECT_EQ(element->GetLeftMapElement()->GetParentMapElement(), element);
    }
    if (element->GetRightMapElement())
    {
        EXPECT_EQ(element->GetRightMapElement()->GetParentMapElement(), element);
    }
    int left = CheckSubtree(map, element->GetLeftMapElement(), keys);
    keys.push_back(Key(element));
    int right = CheckSubtree(map, element->GetRightMapElement(), keys);
    EXPECT_EQ(element->GetMapBalance(), right - left) << "key " << Key(element);
    EXPECT_GE(element->GetMapBalance(), -1);
    EXPECT_LE(element->GetMapBalance(), 1);
    return 1 + std::max(left, right);
}

std::vector<int> CheckMap(const Map &map)
{
    std::vector<int> keys;
    if (map.GetRootMapElement())
    {
        EXPECT_EQ(map.GetRootMapElement()->GetParentMapElement(), nullptr);
    }
    CheckSubtree(map, map.GetRootMapElement(), keys);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    // The successor and predecessor walks agree with the recursive one.
    std::vector<int> forward, backward;
    for (MapElement *e = map.GetFirstMapElement(); e; e = e->GetNextMapElement())
        forward.push_back(Key(e));
    for (MapElement *e = map.GetLastMapElement(); e; e = e->GetPreviousMapElement())
        backward.push_back(Key(e));
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(forward, keys);
    EXPECT_EQ(backward, keys);
    EXPECT_EQ(map.GetMapElementCount(), static_cast<int32_t>(keys.size()));
    return keys;
}

void ExpectUnlinked(const MapElement *element)
{
    EXPECT_EQ(element->GetOwningMap(), nullptr);
    EXPECT_EQ(element->GetParentMapElement(), nullptr);
    EXPECT_EQ(element->GetLeftMapElement(), nullptr);
    EXPECT_EQ(element->GetRightMapElement(), nullptr);
}

TEST(Map, RandomInsertAndRemoveAgainstStdSet)
{
    int live = 0;
    {
        Map map;
        std::set<int> reference;
        std::mt19937 random(11);
        for (int step = 0; step < 6000; step++)
        {
            int key = static_cast<int>(random() % 400);
            Node *existing = Find(map, key);
            if (existing)
            {
                // Three ways out of the map: removal, detach, deletion.
                switch (random() % 3)
                {
                case 0:
                    map.RemoveMapElement(existing);
                    ExpectUnlinked(existing);
                    delete existing;
                    break;
                case 1:
                    existing->Detach();
                    ExpectUnlinked(existing);
                    delete existing;
                    break;
                default:
                    delete existing;
                    break;
                }
                reference.erase(key);
            }
            else
            {
                ASSERT_TRUE(Insert(map, new Node(key, &live)));
                reference.insert(key);
            }
            std::vector<int> keys = CheckMap(map);
            ASSERT_EQ(keys, std::vector<int>(reference.begin(), reference.end())) << "step " << step;
            ASSERT_EQ(live, static_cast<int>(reference.size()));
        }
        // Positional access follows the in-order sequence.
        std::vector<int> keys(reference.begin(), reference.end());
        for (int32_t i = 0; i < static_cast<int32_t>(keys.size()); i++)
            ASSERT_EQ(Key(map.GetMapElement(i)), keys[i]);
        EXPECT_EQ(map.GetMapElement(static_cast<int32_t>(keys.size())), nullptr);
        EXPECT_EQ(map.GetMapElement(-1), nullptr);
    }
    EXPECT_EQ(live, 0);  // the map's destructor deleted the rest
}

TEST(Map, AscendingInsertionStaysBalanced)
{
    int live = 0;
    Map map;
    for (int k = 1; k <= 3; k++)
        Insert(map, new Node(k, &live));
    EXPECT_EQ(Key(map.GetRootMapElement()), 2);
    for (int k = 4; k <= 7; k++)
        Insert(map, new Node(k, &live));
    CheckMap(map);
    const MapElement *root = map.GetRootMapElement();
    EXPECT_EQ(Key(root), 4);
    EXPECT_EQ(Key(root->GetLeftMapElement()), 2);
    EXPECT_EQ(Key(root->GetRightMapElement()), 6);
    for (MapElement *e = map.GetFirstMapElement(); e; e = e->GetNextMapElement())
        EXPECT_EQ(e->GetMapBalance(), 0);
    EXPECT_EQ(map.GetMapElement(7), nullptr);
    map.Purge();
    EXPECT_EQ(live, 0);
    EXPECT_EQ(map.GetRootMapElement(), nullptr);
}

TEST(Map, RemovingTheRootOfThree)
{
    int live = 0;
    Map map;
    Node *a = new Node(1, &live), *b = new Node(2, &live), *c = new Node(3, &live);
    Insert(map, b);
    Insert(map, a);
    Insert(map, c);
    map.RemoveMapElement(b);
    ExpectUnlinked(b);
    EXPECT_EQ(map.GetRootMapElement(), c);
    EXPECT_EQ(c->GetLeftMapElement(), a);
    EXPECT_EQ(c->GetMapBalance(), -1);
    EXPECT_EQ((CheckMap(map)), (std::vector<int>{1, 3}));
    delete b;
    delete c;  // leaves the map on its own
    EXPECT_EQ(map.GetRootMapElement(), a);
    EXPECT_EQ(CheckMap(map), (std::vector<int>{1}));
}

TEST(Map, RemovingElementsWithTwoChildren)
{
    int live = 0;
    Map map;
    for (int k = 1; k <= 31; k++)
        Insert(map, new Node(k, &live));
    // Interior elements first: every removal takes a successor from further down.
    for (int k : {16, 8, 24, 4, 12, 20, 28, 17, 9})
    {
        Node *node = Find(map, k);
        ASSERT_NE(node, nullptr);
        ASSERT_TRUE(node->GetLeftMapElement() && node->GetRightMapElement()) << k;
        delete node;
        std::vector<int> keys = CheckMap(map);
        ASSERT_EQ(std::count(keys.begin(), keys.end(), k), 0);
    }
    EXPECT_EQ(live, 22);
}

TEST(Map, ReplaceKeepsShapeAndBalances)
{
    int live = 0;
    Map map;
    for (int k : {50, 30, 70, 20, 40, 60, 80, 10})
        Insert(map, new Node(k, &live));
    Node *old = Find(map, 30);
    MapElement *parent = old->GetParentMapElement();
    MapElement *left = old->GetLeftMapElement();
    MapElement *right = old->GetRightMapElement();
    int32_t balance = old->GetMapBalance();
    Node *replacement = new Node(31, &live);
    map.ReplaceMapElement(old, replacement);
    ExpectUnlinked(old);
    EXPECT_EQ(replacement->GetParentMapElement(), parent);
    EXPECT_EQ(replacement->GetLeftMapElement(), left);
    EXPECT_EQ(replacement->GetRightMapElement(), right);
    EXPECT_EQ(replacement->GetMapBalance(), balance);
    EXPECT_EQ(CheckMap(map), (std::vector<int>{10, 20, 31, 40, 50, 60, 70, 80}));
    delete old;

    // Replacing the root, with an element taken from another map.
    Map other;
    Node *moved = new Node(51, &live);
    Insert(other, moved);
    MapElement *oldRoot = map.GetRootMapElement();
    map.ReplaceMapElement(oldRoot, moved);
    EXPECT_EQ(other.GetRootMapElement(), nullptr);
    EXPECT_EQ(map.GetRootMapElement(), moved);
    EXPECT_EQ(CheckMap(map), (std::vector<int>{10, 20, 31, 40, 51, 60, 70, 80}));
    EXPECT_EQ(live, 9);  // the old root lives on, unlinked
    EXPECT_EQ(Find(map, 50), nullptr);
    ExpectUnlinked(oldRoot);
    delete oldRoot;
}

TEST(Map, PurgeAndRemoveAll)
{
    int live = 0;
    std::vector<Node *> nodes;
    {
        Map map;
        for (int k = 0; k < 100; k++)
        {
            nodes.push_back(new Node(k * 7 % 100, &live));
            Insert(map, nodes.back());
        }
        map.RemoveAll();
        EXPECT_EQ(map.GetRootMapElement(), nullptr);
        for (Node *node : nodes)
            ExpectUnlinked(node);
    }
    EXPECT_EQ(live, 100);

    // Inserting into another map takes elements out of the one they are in.
    Map first, second;
    for (Node *node : nodes)
        Insert(first, node);
    for (int k = 0; k < 100; k += 2)
        Insert(second, Find(first, k));
    EXPECT_EQ(CheckMap(first).size(), 50u);
    EXPECT_EQ(CheckMap(second).size(), 50u);
    first.Purge();
    EXPECT_EQ(live, 50);
    second.Purge();
    EXPECT_EQ(live, 0);
}

}  // namespace
}  // namespace oq
