// Anchor records: the dependence walk and the anchor and connection-target searches.
#include "editor/editing/AnchorHandles.h"

#include "editor/document/DocumentNode.h"
#include "editor/document/EquationDocument.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathNode.h"
#include "editor/document/NodeLink.h"
#include "editor/editing/Editor.h"
#include "editor/editing/OverlayItems.h"
#include "editor/platform/DisplayItems.h"

#include <algorithm>
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

namespace {

// The top-level structure holding an equation node; null for other nodes.
const DocumentNode *GetTopLevelStructure(const DocumentNode *node)
{
    if (node == nullptr || node->GetFamily() != kEquationNodeFamily) return nullptr;
    while (node != nullptr && !node->IsTopLevel())
    {
        KettricStructure *superior = node->GetSuperStructure();
        node = superior != nullptr ? DocumentNode::FromStructure(superior) : nullptr;
    }
    return node;
}

struct HandleBuild
{
    float scale;
    float guideX;
    float guideY;
    const Preferences *preferences;
    AnchorRecords *records;
    List *list;
};

// Every anchor point of the node; guides only when allowed.
void AppendNodeHandles(const HandleBuild &build, DocumentNode *node, bool guides)
{
    const uint32_t *kinds = nullptr;
    int32_t kindCount = node->GetAnchorKinds(&kinds);
    for (int32_t k = 0; k < kindCount; ++k)
    {
        uint32_t kind = kinds[k];
        bool edge = IsEdgeAnchorKind(kind);
        if (edge && !guides) continue;
        const uint32_t *colorWord = node->GetAnchorHandleColor(build.preferences, kind);
        uint32_t color = colorWord != nullptr ? *colorWord : 0xFF000000u;
        const Point2D *points = nullptr;
        int32_t count = node->GetAnchorPoints(kind, &points);
        for (int32_t j = 0; j < count && points != nullptr; ++j)
        {
            build.records->AddElement(AnchorRecord{node, kind, j, points[j].x, points[j].y});
            if (!edge) AppendOverlayBar(build.list, points[j], 1.5f * build.scale, 1.5f * build.scale, color);
            else if (kind == 'xxx!') AppendOverlayBar(build.list, points[j], build.guideX, 0.25f * build.scale, color);
            else AppendOverlayBar(build.list, points[j], 0.25f * build.scale, build.guideY, color);
        }
    }
}

}  // namespace

void BuildAnchorHandles(EquationDocument *document, DocumentNode *a, DocumentNode *b, float scale,
                        const Preferences *preferences, AnchorRecords *records, List *list, bool edgeAnchors,
                        const DocumentNode *dragged)
{
    const DocumentNode *structures[2] = {GetTopLevelStructure(a), GetTopLevelStructure(b)};
    float guideX = 200.0f;
    float guideY = 200.0f;
    for (const DocumentNode *s : structures)
    {
        const auto *math = dynamic_cast<const MathNode *>(s);
        if (math == nullptr) continue;
        guideX = std::max(guideX, math->width + 100.0f);
        guideY = std::max(guideY, math->top - math->bottom + 100.0f);
    }
    HandleBuild build{scale, guideX * scale, guideY * scale, preferences, records, list};
    for (KettricStructure *s = document->GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
         s = s->GetNextStructure())
    {
        DocumentNode *node = DocumentNode::FromStructure(s);
        if (node == nullptr || DependsOnObject(node, dragged)) continue;
        bool guides = edgeAnchors && (node == structures[0] || node == structures[1]);
        AppendNodeHandles(build, node, guides);
    }
    for (DocumentNode *given : {a, b})
    {
        auto *math = dynamic_cast<MathNode *>(given);
        if (math == nullptr || given->GetFamily() != kEquationNodeFamily) continue;
        GroupNode *group = math->GetKind() == kGroupKind ? static_cast<GroupNode *>(math) : math->GetEnclosingGroup();
        if (group == nullptr) continue;
        MathNode *holder = group->GetSuperMathNode();
        bool slot = holder != nullptr && holder->GetKind() != 0;
        for (GroupNode *g = slot ? holder->GetFirstGroup() : group; g != nullptr; g = slot ? holder->GetNextGroup(g) : nullptr)
        {
            for (MathNode *node = g->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
                AppendNodeHandles(build, node, true);
        }
    }
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
