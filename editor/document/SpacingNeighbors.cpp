// The spacing-neighbour search and the outer spaces of structures.
#include "editor/document/SpacingNeighbors.h"

#include "editor/document/GroupNode.h"
#include "editor/document/RunTextSource.h"

namespace oq {

namespace {

MathNode *PreviousTakingPart(const MathNode *node)
{
    MathNode *r = node->GetPreviousMathNode();
    while (r != nullptr && !r->TakesPartInSpacing()) r = r->GetPreviousMathNode();
    return r;
}

MathNode *NextTakingPart(const MathNode *node)
{
    MathNode *r = node->GetNextMathNode();
    while (r != nullptr && !r->TakesPartInSpacing()) r = r->GetNextMathNode();
    return r;
}

// The node whose contents the search leaves for: the superior, or the superior's superior when the
// superior is a main slot group (role 0). Null when that is no math node.
MathNode *GetSpacingContainer(const MathNode *node)
{
    MathNode *c = node->GetSuperMathNode();
    if (c != nullptr && c->GetKind() == kGroupKind && static_cast<GroupNode *>(c)->role == 0) c = c->GetSuperMathNode();
    return c;
}

// The first or last byte of a symbol run's text; 0 for other nodes and empty runs.
char GetRunEdge(const MathNode *node, bool last)
{
    if (node->GetKind() != kSymbolRunKind) return 0;
    const RunTextSource *source = dynamic_cast<const RunTextSource *>(node);
    if (source == nullptr) return 0;
    const TextString &text = source->GetRunText();
    if (text.IsEmpty()) return 0;
    return text.GetText()[last ? text.GetLength() - 1 : 0];
}

}  // namespace

MathNode *FindPrevSpacingNeighbor(const MathNode *node)
{
    for (;;)
    {
        MathNode *r = PreviousTakingPart(node);
        if (r == nullptr) return nullptr;
        if (r->passesSpacingThrough)
        {
            MathNode *g = r->GetFirstGroup();
            if (g == nullptr) g = r;
            r = g->GetLastMathSubnode();
            if (r == nullptr) return nullptr;
        }
        if (r->GetKind() != kRowBeginKind) return r;
        MathNode *c = GetSpacingContainer(node);
        if (c == nullptr || !c->passesSpacingThrough) return r;
        node = c;
    }
}

MathNode *FindNextSpacingNeighbor(const MathNode *node)
{
    for (;;)
    {
        MathNode *r = NextTakingPart(node);
        if (r != nullptr && r->passesSpacingThrough)
        {
            MathNode *g = r->GetFirstGroup();
            if (g == nullptr) g = r;
            r = g->GetFirstMathSubnode();
            if (r != nullptr && r->GetKind() == kRowBeginKind) r = r->GetNextMathNode();
        }
        if (r != nullptr) return r;
        MathNode *c = GetSpacingContainer(node);
        if (c == nullptr || !c->passesSpacingThrough) return nullptr;
        node = c;
    }
}

float GetSpaceBefore(const MathNode *node, float wanted, bool allowAtRowStart)
{
    const MathNode *q = FindPrevSpacingNeighbor(node);
    // No neighbour at all (a malformed row) counts as the row start.
    if (q == nullptr || q->GetKind() == kRowBeginKind)
    {
        const MathNode *super = node->GetSuperMathNode();
        bool groupAsks = super != nullptr && super->GetKind() == kGroupKind &&
                         static_cast<const GroupNode *>(super)->spaceAtRowStart;
        return (groupAsks && allowAtRowStart) ? wanted : 0.0f;
    }
    if (q->GetKind() == kSpaceKind) return 0.0f;
    if (GetRunEdge(q, true) == ' ') return 0.0f;
    float space = wanted - q->rightSpacing;
    return space > 0.0f ? space : 0.0f;
}

float GetSpaceAfter(const MathNode *node, float wanted, bool allowAtRowEnd)
{
    const MathNode *super = node->GetSuperMathNode();
    bool counts = allowAtRowEnd && super != nullptr && super->GetKind() == kGroupKind &&
                  static_cast<const GroupNode *>(super)->spaceAtRowEnd;
    const MathNode *q = FindNextSpacingNeighbor(node);
    if (q == nullptr || q->GetKind() == kRowBeginKind) return counts ? wanted : 0.0f;
    if (GetRunEdge(q, false) == ' ') return 0.0f;
    if (q->GetKind() == kSpaceKind) return wanted < 0.0f ? wanted : 0.0f;
    return wanted;
}

}  // namespace oq
