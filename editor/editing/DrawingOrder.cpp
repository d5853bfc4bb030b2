// The Drawing menu's stacking commands: the top-level order is the drawing order (drawings before
// the first group under the equation, drawings after it over it).
#include "editor/editing/Editor.h"

#include "editor/document/GroupNode.h"

#include <algorithm>
#include <vector>

namespace oq {

namespace {

using Order = std::vector<DocumentNode *>;

Order ReadOrder(EquationDocument &document)
{
    Order order;
    KettricStructure *root = document.GetRootStructure();
    for (KettricStructure *top = root->GetFirstSubnodeStructure(); top != nullptr; top = top->GetNextStructure())
    {
        if (DocumentNode *node = DocumentNode::FromStructure(top)) order.push_back(node);
    }
    return order;
}

bool IsGroup(const DocumentNode *node) { return node->GetKind() == kGroupKind; }
bool IsDrawing(const DocumentNode *node) { return node->GetFamily() == kDrawingNodeFamily; }

// The stacking commands on a copy of the order, with the selection test.
class Reorder
{
public:
    explicit Reorder(Editor &owner) : editor(owner), order(ReadOrder(owner.document))
    {
        for (size_t i = 0; i < order.size(); ++i)
        {
            if (!IsGroup(order[i])) continue;
            if (firstGroup < 0) firstGroup = int32_t(i);
            lastGroup = int32_t(i);
        }
    }

    bool IsSelected(const DocumentNode *node) const
    {
        const Array<DocumentNode *, 4> &objects = editor.document.objectSelection;
        for (int32_t i = 0; i < objects.GetElementCount(); ++i)
        {
            if (objects[i] == node) return true;
        }
        return false;
    }

    int32_t Size() const { return int32_t(order.size()); }

    int32_t IndexOf(const DocumentNode *node) const
    {
        return int32_t(std::find(order.begin(), order.end(), node) - order.begin());
    }

    // Takes the nodes out of the order and puts them back, in their order, beside the anchor
    // (before or after it), or at the start or the end without one.
    void MoveBeside(const Order &nodes, const DocumentNode *anchor, bool after)
    {
        Order rest;
        for (DocumentNode *node : order)
        {
            if (std::find(nodes.begin(), nodes.end(), node) == nodes.end()) rest.push_back(node);
        }
        auto at = anchor != nullptr ? std::find(rest.begin(), rest.end(), anchor) : (after ? rest.end() : rest.begin());
        if (anchor != nullptr && after && at != rest.end()) ++at;
        rest.insert(at, nodes.begin(), nodes.end());
        order = rest;
    }

    // The last group of the order that is not among the nodes; null when none.
    const DocumentNode *LastGroupOutside(const Order &nodes) const
    {
        for (auto at = order.rbegin(); at != order.rend(); ++at)
        {
            if (IsGroup(*at) && std::find(nodes.begin(), nodes.end(), *at) == nodes.end()) return *at;
        }
        return nullptr;
    }

    // The selected nodes of [from, to) that pass the test, in order.
    template <typename Test>
    Order Collect(int32_t from, int32_t to, Test test) const
    {
        Order nodes;
        for (int32_t i = std::max(from, 0); i < std::min(to, Size()); ++i)
        {
            if (IsSelected(order[i]) && test(order[i])) nodes.push_back(order[i]);
        }
        return nodes;
    }

    // Moves every selected node of [from, to) past its nearest unselected neighbour towards the
    // end (forward) or the start, walking from that end so that a run of selected nodes moves as
    // a block.
    void StepWithin(int32_t from, int32_t to, bool forward)
    {
        if (from >= to) return;
        const DocumentNode *barrier = nullptr;
        for (int32_t k = 0; k < to - from; ++k)
        {
            // A move shifts only the places the walk has passed, so the walk goes on by index.
            int32_t i = forward ? to - 1 - k : from + k;
            DocumentNode *node = order[size_t(i)];
            if (!IsSelected(node))
            {
                barrier = node;
                continue;
            }
            if (barrier == nullptr) continue;
            order.erase(order.begin() + i);
            int32_t at = IndexOf(barrier);
            order.insert(order.begin() + (forward ? at + 1 : at), node);
        }
    }

    // Applies the new order to the document in one object step when it differs.
    bool Commit()
    {
        Order old = ReadOrder(editor.document);
        if (old == order) return false;
        editor.BeginEditBatch(EditBatchVariant::kObject);
        KettricStructure *root = editor.document.GetRootStructure();
        for (DocumentNode *node : order) root->AppendSubnode(node);
        editor.EndEditBatch();
        return true;
    }

    Editor &editor;
    Order order;
    int32_t firstGroup = -1;
    int32_t lastGroup = -1;
};

auto AnyNode = [](const DocumentNode *) { return true; };

}  // namespace

bool Editor::MoveObjectsToForeground()
{
    Reorder reorder(*this);
    if (reorder.firstGroup < 0) return false;
    reorder.MoveBeside(reorder.Collect(0, reorder.firstGroup, AnyNode), nullptr, true);
    return reorder.Commit();
}

bool Editor::MoveObjectsToBackground()
{
    Reorder reorder(*this);
    if (reorder.firstGroup < 0) return false;
    reorder.MoveBeside(reorder.Collect(reorder.lastGroup + 1, reorder.Size(), AnyNode), nullptr, false);
    return reorder.Commit();
}

bool Editor::BringObjectsForward()
{
    Reorder reorder(*this);
    if (reorder.firstGroup < 0) return false;
    int32_t trailing = reorder.Size();
    while (trailing > 0 && IsDrawing(reorder.order[size_t(trailing - 1)])) --trailing;
    reorder.StepWithin(0, reorder.firstGroup, true);
    reorder.StepWithin(trailing, reorder.Size(), true);
    reorder.StepWithin(reorder.firstGroup + 1, trailing, true);
    return reorder.Commit();
}

bool Editor::SendObjectsBackward()
{
    Reorder reorder(*this);
    if (reorder.firstGroup < 0) return false;
    int32_t leading = 0;
    while (leading < reorder.Size() && IsDrawing(reorder.order[size_t(leading)])) ++leading;
    reorder.StepWithin(reorder.lastGroup + 1, reorder.Size(), false);
    reorder.StepWithin(0, leading, false);
    reorder.StepWithin(leading, reorder.lastGroup, false);
    return reorder.Commit();
}

bool Editor::BringObjectsToFront()
{
    Reorder reorder(*this);
    if (reorder.firstGroup < 0) return false;
    const DocumentNode *firstGroup = reorder.order[size_t(reorder.firstGroup)];
    Order background = reorder.Collect(0, reorder.firstGroup, IsDrawing);
    Order later = reorder.Collect(reorder.firstGroup + 1, reorder.Size(), IsDrawing);
    Order groups = reorder.Collect(0, reorder.Size(), IsGroup);
    // Background drawings to the top of the background layer, the others to the very front.
    reorder.MoveBeside(background, firstGroup, false);
    reorder.MoveBeside(later, nullptr, true);
    // Groups after the last unselected group; with none they stay.
    if (const DocumentNode *anchor = reorder.LastGroupOutside(groups)) reorder.MoveBeside(groups, anchor, true);
    return reorder.Commit();
}

bool Editor::SendObjectsToBack()
{
    Reorder reorder(*this);
    if (reorder.firstGroup < 0) return false;
    const DocumentNode *lastGroup = reorder.order[size_t(reorder.lastGroup)];
    const GroupNode *mainGroup = document.GetMainGroup();
    Order lower = reorder.Collect(0, reorder.lastGroup, IsDrawing);
    Order foreground = reorder.Collect(reorder.lastGroup + 1, reorder.Size(), IsDrawing);
    Order groups = reorder.Collect(0, reorder.Size(), [mainGroup](const DocumentNode *node) {
        return IsGroup(node) && node != mainGroup;
    });
    reorder.MoveBeside(lower, nullptr, false);
    reorder.MoveBeside(foreground, lastGroup, true);
    if (mainGroup != nullptr) reorder.MoveBeside(groups, mainGroup, true);
    return reorder.Commit();
}

}  // namespace oq
