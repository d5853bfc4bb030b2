#include "base/Graph.h"

namespace oq {

GraphElement::~GraphElement()
{
    incomingEdges.Purge();
    outgoingEdges.Purge();
}

namespace {

// First edge from the given list element on whose other end is the vertex.
GraphEdge *FindEdgeFrom(ListElement *element, bool outgoing, const GraphElement *vertex)
{
    for (; element; element = element->GetNextListElement())
    {
        GraphEdge *edge = outgoing ? GraphEdge::FromOutgoingElement(element) : GraphEdge::FromIncomingElement(element);
        if ((outgoing ? edge->GetFinishVertex() : edge->GetStartVertex()) == vertex)
            return edge;
    }
    return nullptr;
}

}  // namespace

GraphEdge *GraphElement::FindOutgoingEdge(const GraphElement *finish) const
{
    return FindEdgeFrom(outgoingEdges.GetFirstListElement(), true, finish);
}

GraphEdge *GraphElement::FindNextOutgoingEdge(const GraphElement *finish, const GraphEdge *edge) const
{
    return FindEdgeFrom(static_cast<const GraphEdgeStartPart *>(edge)->GetNextListElement(), true, finish);
}

GraphEdge *GraphElement::FindIncomingEdge(const GraphElement *start) const
{
    return FindEdgeFrom(incomingEdges.GetFirstListElement(), false, start);
}

GraphEdge *GraphElement::FindNextIncomingEdge(const GraphElement *start, const GraphEdge *edge) const
{
    return FindEdgeFrom(static_cast<const GraphEdgeFinishPart *>(edge)->GetNextListElement(), false, start);
}

bool GraphElement::IsReachable(List *graph, GraphElement *start, const GraphElement *target)
{
    // Membership of the temporary lists marks the vertices; nothing is allocated.
    List waiting;
    List visited;
    bool found = false;
    waiting.Append(start);
    while (!found && !waiting.IsEmpty())
    {
        GraphElement *vertex = static_cast<GraphElement *>(waiting.GetFirstListElement());
        visited.Append(vertex);
        for (ListElement *element = vertex->outgoingEdges.GetFirstListElement(); element; element = element->GetNextListElement())
        {
            GraphElement *finish = GraphEdge::FromOutgoingElement(element)->GetFinishVertex();
            if (finish->GetOwningList() == &visited)
                continue;
            if (finish == target)
            {
                found = true;
                break;
            }
            waiting.Append(finish);
        }
    }
    while (!waiting.IsEmpty())
        graph->Append(waiting.GetFirstListElement());
    while (!visited.IsEmpty())
        graph->Append(visited.GetFirstListElement());
    return found;
}

GraphEdge::GraphEdge(GraphElement *start, GraphElement *finish)
{
    startVertex = start;
    start->outgoingEdges.Append(GetStartPart());
    finishVertex = finish;
    finish->incomingEdges.Append(GetFinishPart());
}

void GraphEdge::MoveFinish(GraphElement *finish)
{
    GraphEdgeFinishPart::Detach();
    finishVertex = finish;
    finish->incomingEdges.Append(GetFinishPart());
}

GraphEdge::~GraphEdge()
{
    GraphEdgeFinishPart::Detach();
    GraphEdgeStartPart::Detach();
}

}  // namespace oq
