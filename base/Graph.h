#pragma once

#include "base/List.h"

namespace oq {

class GraphEdge;

// A vertex of a directed graph: its own list links place it in the graph's vertex list,
// and it owns the edges that start or end at it.
class GraphElement : public ListElement
{
public:
    GraphElement() = default;
    // Deletes every incoming edge, then every outgoing edge, then leaves the vertex list.
    ~GraphElement() override;

    const List &GetOutgoingEdgeList() const { return outgoingEdges; }
    const List &GetIncomingEdgeList() const { return incomingEdges; }

    // First edges to or from the given vertex; null when there is none.
    GraphEdge *FindOutgoingEdge(const GraphElement *finish) const;
    GraphEdge *FindNextOutgoingEdge(const GraphElement *finish, const GraphEdge *edge) const;
    GraphEdge *FindIncomingEdge(const GraphElement *start) const;
    GraphEdge *FindNextIncomingEdge(const GraphElement *start, const GraphEdge *edge) const;

    // True when the target can be reached from the start along outgoing edges. Every vertex of the
    // graph lies in the graph list; the search reorders that list but keeps its contents.
    static bool IsReachable(List *graph, GraphElement *start, const GraphElement *target);

private:
    friend class GraphEdge;

    List outgoingEdges;
    List incomingEdges;
};

// The part of an edge that lies in its start vertex's outgoing list.
class GraphEdgeStartPart : public ListElement
{
protected:
    GraphElement *startVertex = nullptr;
};

// The part of an edge that lies in its finish vertex's incoming list.
class GraphEdgeFinishPart : public ListElement
{
protected:
    GraphElement *finishVertex = nullptr;
};

// A directed edge between two vertices. Deleting either part (as a list purge does) deletes the
// whole edge; derived classes add their data behind the two parts.
class GraphEdge : public GraphEdgeStartPart, public GraphEdgeFinishPart
{
public:
    // Both vertices non-null: appends the edge to the start's outgoing and the finish's incoming list.
    GraphEdge(GraphElement *start, GraphElement *finish);
    ~GraphEdge() override;

    GraphElement *GetStartVertex() const { return startVertex; }
    GraphElement *GetFinishVertex() const { return finishVertex; }
    // Moves the edge's finish to another vertex, at the end of that vertex's incoming list; the
    // edge keeps its place in the start's outgoing list.
    void MoveFinish(GraphElement *finish);

    // The edge a list element of an outgoing or incoming list belongs to.
    static GraphEdge *FromOutgoingElement(ListElement *element)
    {
        return static_cast<GraphEdge *>(static_cast<GraphEdgeStartPart *>(element));
    }
    static GraphEdge *FromIncomingElement(ListElement *element)
    {
        return static_cast<GraphEdge *>(static_cast<GraphEdgeFinishPart *>(element));
    }

    ListElement *GetStartPart() { return static_cast<GraphEdgeStartPart *>(this); }
    ListElement *GetFinishPart() { return static_cast<GraphEdgeFinishPart *>(this); }
};

}  // namespace oq
