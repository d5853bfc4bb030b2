#include "base/Graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace oq {
namespace {

struct Vertex : GraphElement
{
    explicit Vertex(int n, int *live) : number(n), liveCount(live) { ++*liveCount; }
    ~Vertex() override { --*liveCount; }

    int number;
    int *liveCount;
};

// Edge with data of its own behind the edge fields.
struct Link : GraphEdge
{
    Link(Vertex *start, Vertex *finish, int *live) : GraphEdge(start, finish), liveCount(live) { ++*liveCount; }
    ~Link() override { --*liveCount; }

    int *liveCount;
};

// A graph of n vertices in one list.
struct Graph
{
    Graph(int n)
    {
        for (int i = 0; i < n; i++)
        {
            vertices.push_back(new Vertex(i, &liveVertices));
            list.Append(vertices.back());
        }
    }

    Link *Connect(int from, int to) { return new Link(vertices[from], vertices[to], &liveEdges); }

    bool Reaches(int from, int to) { return GraphElement::IsReachable(&list, vertices[from], vertices[to]); }

    std::vector<int> Order() const
    {
        std::vector<int> order;
        for (ListElement *e = list.GetFirstListElement(); e; e = e->GetNextListElement())
        {
            EXPECT_EQ(e->GetOwningList(), &list);
            order.push_back(static_cast<Vertex *>(e)->number);
        }
        return order;
    }

    int liveVertices = 0;
    int liveEdges = 0;
    std::vector<Vertex *> vertices;
    List list;
};

TEST(Graph, EdgesLinkBothVertices)
{
    Graph g(3);
    Link *ab = g.Connect(0, 1);
    Link *ab2 = g.Connect(0, 1);
    Link *ac = g.Connect(0, 2);
    Link *cb = g.Connect(2, 1);
    Vertex *a = g.vertices[0], *b = g.vertices[1], *c = g.vertices[2];
    EXPECT_EQ(ab->GetStartVertex(), a);
    EXPECT_EQ(ab->GetFinishVertex(), b);
    EXPECT_EQ(a->GetOutgoingEdgeList().GetListElementCount(), 3);
    EXPECT_EQ(b->GetIncomingEdgeList().GetListElementCount(), 3);
    EXPECT_EQ(a->FindOutgoingEdge(b), ab);
    EXPECT_EQ(a->FindNextOutgoingEdge(b, ab), ab2);
    EXPECT_EQ(a->FindNextOutgoingEdge(b, ab2), nullptr);
    EXPECT_EQ(a->FindOutgoingEdge(c), ac);
    EXPECT_EQ(a->FindOutgoingEdge(a), nullptr);
    EXPECT_EQ(b->FindIncomingEdge(a), ab);
    EXPECT_EQ(b->FindNextIncomingEdge(a, ab), ab2);
    EXPECT_EQ(b->FindNextIncomingEdge(a, ab2), nullptr);
    EXPECT_EQ(b->FindIncomingEdge(c), cb);

    // Deleting an edge through the part in either list deletes the whole edge.
    delete b->GetIncomingEdgeList().GetFirstListElement();
    EXPECT_EQ(g.liveEdges, 3);
    EXPECT_EQ(a->FindOutgoingEdge(b), ab2);
    delete a->GetOutgoingEdgeList().GetFirstListElement();
    EXPECT_EQ(g.liveEdges, 2);
    EXPECT_EQ(a->FindOutgoingEdge(b), nullptr);
    EXPECT_EQ(b->FindIncomingEdge(a), nullptr);
    delete cb;
    EXPECT_EQ(c->GetOutgoingEdgeList().GetListElementCount(), 0);
    EXPECT_EQ(b->GetIncomingEdgeList().GetListElementCount(), 0);
}

TEST(Graph, DeletingAVertexDeletesItsEdges)
{
    Graph g(4);
    g.Connect(0, 1);
    g.Connect(1, 2);
    g.Connect(2, 1);
    g.Connect(1, 1);
    g.Connect(3, 2);
    delete g.vertices[1];
    EXPECT_EQ(g.liveVertices, 3);
    EXPECT_EQ(g.liveEdges, 1);
    EXPECT_EQ(g.Order(), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(g.vertices[0]->GetOutgoingEdgeList().GetListElementCount(), 0);
    EXPECT_EQ(g.vertices[2]->GetIncomingEdgeList().GetListElementCount(), 1);
    EXPECT_EQ(g.vertices[2]->GetOutgoingEdgeList().GetListElementCount(), 0);
    g.list.Purge();
    EXPECT_EQ(g.liveVertices, 0);
    EXPECT_EQ(g.liveEdges, 0);
}

TEST(Graph, IsReachable)
{
    // 0 -> 1 -> 2 -> 0 (cycle), 1 -> 3, 0 -> 3 (two paths to 3), 4 isolated, 5 -> 4.
    Graph g(6);
    g.Connect(0, 1);
    g.Connect(1, 2);
    g.Connect(2, 0);
    g.Connect(1, 3);
    g.Connect(0, 3);
    g.Connect(5, 4);
    struct Case
    {
        int from, to;
        bool reachable;
    };
    const Case cases[] = {
        {0, 0, false}, {1, 1, false}, {0, 3, true}, {2, 3, true}, {3, 0, false}, {4, 5, false},
        {5, 4, true}, {0, 4, false}, {4, 4, false}, {2, 1, true}, {3, 3, false},
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(g.Reaches(c.from, c.to), c.reachable) << c.from << " -> " << c.to;
        std::vector<int> order = g.Order();
        std::sort(order.begin(), order.end());
        EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    }
}

TEST(Graph, SearchOrderMovesTouchedVerticesToTheEnd)
{
    // 0 -> 1, 0 -> 2, 1 -> 3: searching 0 -> 2 visits 0, finds 2 while 1 waits.
    Graph g(4);
    g.Connect(0, 1);
    g.Connect(0, 2);
    g.Connect(1, 3);
    EXPECT_TRUE(g.Reaches(0, 2));
    EXPECT_EQ(g.Order(), (std::vector<int>{2, 3, 1, 0}));
    EXPECT_FALSE(g.Reaches(3, 0));
    EXPECT_EQ(g.Order(), (std::vector<int>{2, 1, 0, 3}));
}

}  // namespace
}  // namespace oq
