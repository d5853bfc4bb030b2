// Anchor records: the dependence walk and the anchor and connection-target searches.
#include "editor/editing/AnchorHandles.h"

#include "editor/document/DocumentNode.h"
#include "editor/document/NodeLink.h"
#include "editor/editing/Editor.h"

#include <deque>
#include <unordered_set>

namespace oq {

bool DependsOnObject(const DocumentNode *structure, const DocumentNode *object)
{
    if (object == nullptr) return false;
    // The queue in order; a source already queued moves to its end. Visited nodes are marked in a
    // set, so a node is looked at once however many links lead to it.
    std::deque<const DocumentNode *> queue = {object};
    std::unordered_set<const DocumentNode *> visited;
    while (!queue.empty())
    {
        const DocumentNode *node = queue.front();
        queue.pop_front();
        if (node == structure) return true;
        if (!visited.insert(node).second) continue;
        for (NodeLink *link = node->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
        {
            const DocumentNode *source = link->GetSource();
            if (source != nullptr && visited.count(source) == 0) queue.push_back(source);
        }
    }
    return false;
}

const AnchorRecord *Editor::FindAnchorAtPoint(const Point2D &point, const AnchorRecord *excluded) const
{
    float limit = 3.0f / zoom;
    float best = limit * limit;
    const AnchorRecord *found = nullptr;
    for (const AnchorRecord &record : anchorRecords)
    {
        if (IsEdgeAnchorKind(record.kind)) continue;
        float dx = point.x - record.x;
        float dy = point.y - record.y;
        float distance = dx * dx + dy * dy;
        if (distance < best)
        {
            best = distance;
            found = &record;
        }
    }
    if (found != nullptr && excluded != nullptr && IsSameAnchor(*found, *excluded)) return nullptr;
    return found;
}

const AnchorRecord *Editor::FindConnectTarget(const Point2D &point, uint32_t category, const AnchorRecord *start,
                                              float *offset) const
{
    const AnchorRecord *found = FindAnchorAtPoint(point, nullptr);
    if (found == nullptr && category == 'line')
    {
        float limit = 3.0f / zoom;
        for (const AnchorRecord &record : anchorRecords)
        {
            if (record.kind != 'xxx!' && record.kind != 'yyy!') continue;
            bool horizontal = record.kind == 'xxx!';
            float distance = horizontal ? point.y - record.y : point.x - record.x;
            if (distance < 0.0f) distance = -distance;
            if (distance >= limit) continue;
            limit = distance;
            found = &record;
            if (offset != nullptr && start != nullptr) *offset = horizontal ? point.x - start->x : point.y - start->y;
        }
    }
    if (found == nullptr || start == nullptr) return found;
    if (IsSameAnchor(*found, *start)) return nullptr;
    if (category == 'shap' && (found->x == start->x || found->y == start->y)) return nullptr;
    return found;
}

}  // namespace oq
