// The ink reference of the tight wide marks and stacks.
#include "editor/structures/InkReference.h"

#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"

#include <algorithm>

namespace oq {

bool FindInkReference(const GroupNode *group, float capitalHeight, float *bottom, float *top)
{
    const MathNode *first = group != nullptr ? group->GetFirstMathSubnode() : nullptr;
    const MathNode *node = first != nullptr ? first->GetNextMathNode() : nullptr;
    if (node == nullptr) return false;
    float lowest = capitalHeight;
    float highest = 0.0f;
    for (; node != nullptr; node = node->GetNextMathNode())
    {
        float nodeBottom = node->bottom;
        float nodeTop = node->top;
        if (node->GetKind() == kSymbolRunKind)
        {
            const auto *run = static_cast<const SymbolRunNode *>(node);
            nodeBottom = run->lowestExtent;
            nodeTop = run->highestExtent;
        }
        lowest = std::min(lowest, node->position.y + nodeBottom);
        highest = std::max(highest, node->position.y + nodeTop);
    }
    *bottom = lowest;
    *top = highest;
    return true;
}

}  // namespace oq
