// Backspace, Delete and the selection primitives every replacing edit rests on.
#include "editor/editing/Editor.h"

#include "base/TextUtils.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/CaretRules.h"
#include "editor/structures/StructureNode.h"
#include "kettric/KettricStructure.h"

#include <algorithm>
#include <vector>

namespace oq {

namespace {

// Where nodes moved into a group are measured from: the group itself when it is in the document
// already, else the group the new structure will stand in (beside the node at).
const MathNode *GetNestingTarget(const GroupNode *group, const MathNode *at)
{
    if (group->GetRootNode() == at->GetRootNode()) return group;
    return at->GetSuperMathNode();
}

// The levels added below the target: none for a group in the document, else the group's depth in
// its structure plus one for the structure.
int32_t GetNestingLevels(const GroupNode *group, const MathNode *at)
{
    if (group->GetRootNode() == at->GetRootNode()) return 0;
    return group->GetNodeDepth() + 1;
}

// The end of a node as a caret position.
CaretPosition EndOf(MathNode *node) { return {node, node->GetEndIndex()}; }

}  // namespace

void Editor::RemoveRowStart(MathNode *rowBegin)
{
    DropRowAnchors(rowBegin);
    delete rowBegin;
}

namespace {

// The row a row start begins within its group (the first row start is row 0).
int32_t GetRowIndex(const MathNode *rowBegin)
{
    int32_t row = 0;
    for (const MathNode *node = rowBegin->GetSuperMathNode()->GetFirstMathSubnode(); node != nullptr && node != rowBegin;
         node = node->GetNextMathNode())
    {
        if (node->GetKind() == kRowBeginKind) ++row;
    }
    return row;
}

bool IsRowAnchorKind(uint32_t kind) { return kind == kAxisAnchorKind || kind == kLineAnchorKind; }

}  // namespace

void Editor::DropRowAnchors(MathNode *rowBegin)
{
    GroupNode *group = AsGroup(rowBegin->GetSuperMathNode());
    if (group == nullptr || !group->IsTopLevel()) return;
    // The row's own anchor points go with it; the later rows' points move up by one row.
    int32_t row = GetRowIndex(rowBegin);
    DestroyPickedLinkSources(
        group,
        [](NodeLink *link, void *context) {
            int32_t first = 2 * *static_cast<int32_t *>(context);
            if (!IsRowAnchorKind(link->anchorKind) || link->anchorIndex < first) return false;
            if (link->anchorIndex <= first + 1) return true;
            link->anchorIndex -= 2;
            return false;
        },
        &row);
}

void Editor::RaiseRowAnchors(MathNode *rowBegin)
{
    MathNode *parent = rowBegin->GetSuperMathNode();
    if (parent == nullptr || parent->GetKind() != kGroupKind) return;
    int32_t first = 2 * GetRowIndex(rowBegin);
    for (NodeLink *link = parent->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
    {
        if (IsRowAnchorKind(link->anchorKind) && link->anchorIndex >= first) link->anchorIndex += 2;
    }
}

void Editor::MoveNodeInto(MathNode *node, MathNode *container)
{
    if (node->GetKind() == kRowBeginKind) DropRowAnchors(node);
    container->AppendSubnode(node);
    node->OnReparented();
}

void Editor::SetSelection(CaretPosition start, CaretPosition end)
{
    document.selection.start = start;
    document.selection.end = end;
    NormalizeSelectionEnds();
    DiscardSelectionOverlay();
}

void Editor::NormalizeSelectionEnds()
{
    for (CaretPosition *position : {&document.selection.start, &document.selection.end})
    {
        if (AsRun(position->node) == nullptr || position->index != 0) continue;
        if (MathNode *previous = position->node->GetPreviousMathNode()) *position = EndOf(previous);
    }
}

bool Editor::SplitRunsAtSelection()
{
    Selection &selection = document.selection;
    NormalizeSelectionEnds();
    document.objectSelection.SetElementCount(0);
    bool changed = false;
    if (SymbolRunNode *run = AsRun(selection.start.node);
        run != nullptr && selection.start.index > 0 && selection.start.index < run->text.GetLength())
    {
        SymbolRunNode *second = run->SplitAt(selection.start.index);
        if (selection.end.node == run && selection.end.index > selection.start.index)
            selection.end = {second, selection.end.index - selection.start.index};
        changed = true;
    }
    if (SymbolRunNode *run = AsRun(selection.end.node);
        run != nullptr && selection.end.index > 0 && selection.end.index < run->text.GetLength())
    {
        run->SplitAt(selection.end.index);
        changed = true;
    }
    return changed;
}

bool Editor::DeleteSelectionRange()
{
    Selection &selection = document.selection;
    MathNode *start = selection.start.node;
    if (start == nullptr) return false;
    bool changed = false;
    if (selection.end.node != start)
    {
        MathNode *end = selection.end.node;
        for (;;)
        {
            MathNode *node = start->GetNextMathNode();
            if (node == nullptr) break;
            bool last = node == end;
            if (node->GetKind() == kRowBeginKind)
                RemoveRowStart(node);
            else
                delete node;
            changed = true;
            if (last) break;
        }
        if (GroupNode *group = AsGroup(start->GetSuperMathNode())) group->DeleteDependentsOfMissingRows();
    }
    selection.end = selection.start;
    movingEnd = 0;
    return changed;
}

bool Editor::FitsNestingLimit(const MathNode *group, int32_t levels, const MathNode *first,
                              const MathNode *last) const
{
    // Written depth: top-level structures at 1, each subnode one deeper, and a node's link block or
    // text list one deeper again.
    int32_t depth = group->GetNodeDepth() + 1 + levels;
    if (first == nullptr) return depth + 1 <= kKettricMaxNestingDepth;
    const TreeBase *stop = last->GetNextNode();
    for (const TreeBase *top = first; top != nullptr && top != stop; top = top->GetNextNode())
    {
        int32_t base = top->GetNodeDepth();
        for (const TreeBase *node = top; node != nullptr; node = top->GetNextTreeNode(node))
        {
            if (depth + node->GetNodeDepth() - base + 1 > kKettricMaxNestingDepth) return false;
        }
    }
    return true;
}

bool Editor::MoveSelectionIntoGroup(GroupNode *group)
{
    Selection &selection = document.selection;
    bool collapsed = IsCollapsed(selection) || selection.start.node == selection.end.node;
    if (!collapsed)
    {
        const MathNode *first = selection.start.node->GetNextMathNode();
        if (!FitsNestingLimit(GetNestingTarget(group, selection.start.node), GetNestingLevels(group, selection.start.node),
                              first, selection.end.node))
            return false;
        MathNode *end = selection.end.node;
        for (;;)
        {
            MathNode *node = selection.start.node->GetNextMathNode();
            if (node == nullptr) break;
            MoveNodeInto(node, group);
            if (node == end) break;
        }
    }
    MathNode *firstNode = group->GetFirstMathSubnode();
    MathNode *lastNode = group->GetLastMathSubnode();
    if (firstNode == nullptr) return true;
    selection.start = {firstNode, 0};
    selection.end = EndOf(lastNode);
    return true;
}

bool Editor::CanInsertStructure(const MathNode *structure, const GroupNode *group) const
{
    const Selection &selection = document.selection;
    const MathNode *start = selection.start.node;
    if (start == nullptr) return false;
    const MathNode *parent = start->GetSuperMathNode();
    // The structure's own levels: its deepest subtree as it stands (slots, their rows).
    int32_t height = 0;
    for (const TreeBase *node = structure; node != nullptr; node = structure->GetNextTreeNode(node))
        height = std::max(height, node->GetNodeDepth() - structure->GetNodeDepth());
    if (!FitsNestingLimit(parent, height, nullptr, nullptr)) return false;
    if (group != nullptr && selection.start.node != selection.end.node &&
        !FitsNestingLimit(GetNestingTarget(group, start), GetNestingLevels(group, start), start->GetNextMathNode(),
                          selection.end.node))
        return false;
    return true;
}

bool Editor::InsertStructure(MathNode *structure, GroupNode *group)
{
    if (!CanInsertStructure(structure, group)) return false;
    Selection &selection = document.selection;
    (void)SplitRunsAtSelection();
    MathNode *r = selection.start.node;
    if (group != nullptr)
    {
        MathNode *end = selection.end.node;
        if (end != r)
        {
            for (;;)
            {
                MathNode *node = r->GetNextMathNode();
                if (node == nullptr) break;
                MoveNodeInto(node, group);
                if (node == end) break;
            }
        }
        if (MathNode *firstNode = group->GetFirstMathSubnode())
        {
            selection.start = {firstNode, 0};
            selection.end = EndOf(group->GetLastMathSubnode());
        }
    }
    else
    {
        (void)DeleteSelectionRange();
    }
    static_cast<TreeNode *>(r->GetSuperNode())->InsertSubnodeAfter(structure, r);
    return true;
}

void Editor::DeleteNodeAndTidy(MathNode *node, GroupNode *group)
{
    if (node->GetKind() == kRowBeginKind)
        RemoveRowStart(node);
    else
        delete node;
    MergeAdjacentRuns(nullptr, false);
    if (group != nullptr) group->DeleteDependentsOfMissingRows();
}

bool Editor::DeleteRangeAsStep()
{
    BeginEditBatch();
    (void)SplitRunsAtSelection();
    (void)DeleteSelectionRange();
    MergeAdjacentRuns(nullptr, false);
    EndEditBatch();
    return true;
}

bool Editor::DeleteBackward()
{
    Selection &selection = document.selection;
    NormalizeSelectionEnds();
    if (selection.start.node == nullptr) return false;
    if (!IsCollapsed(selection)) return DeleteRangeAsStep();
    MathNode *p = selection.start.node;
    MathNode *q = p->GetPreviousMathNode();
    if (q == nullptr) return false;
    BeginEditBatch();
    GroupNode *group = AsGroup(p->GetSuperMathNode());
    SymbolRunNode *run = AsRun(p);
    if (run != nullptr && run->GetLastSubnode() != nullptr)
    {
        delete run->GetLastSubnode();
        MergeAdjacentRuns(nullptr, false);
    }
    else if (run != nullptr)
    {
        int32_t index = selection.start.index;
        int32_t size = GetPreviousUtf8CharSize(run->text.GetText() + index, index);
        if (size > 0) run->text.Erase(index - size, size);
        index -= size;
        if (!run->text.IsEmpty() && index > 0)
        {
            selection.start = {run, index};
            selection.end = selection.start;
        }
        else if (!run->text.IsEmpty())
        {
            selection.start = EndOf(q);
            selection.end = selection.start;
        }
        else
        {
            selection.start = EndOf(q);
            selection.end = selection.start;
            DeleteNodeAndTidy(run, group);
        }
    }
    else
    {
        selection.start = EndOf(q);
        selection.end = selection.start;
        DeleteNodeAndTidy(p, group);
    }
    movingEnd = 0;
    EndEditBatch();
    return true;
}

bool Editor::DeleteForward()
{
    Selection &selection = document.selection;
    NormalizeSelectionEnds();
    if (selection.start.node == nullptr) return false;
    if (!IsCollapsed(selection)) return DeleteRangeAsStep();
    MathNode *p = selection.start.node;
    GroupNode *group = AsGroup(p->GetSuperMathNode());
    SymbolRunNode *run = AsRun(p);
    if (run != nullptr && selection.start.index < run->text.GetLength())
    {
        BeginEditBatch();
        int32_t index = selection.start.index;
        int32_t size = GetUtf8CharSizeMax(run->text.GetText() + index, run->text.GetLength() - index);
        run->text.Erase(index, size);
        if (run->text.IsEmpty())
        {
            MathNode *previous = run->GetPreviousMathNode();
            selection.start = EndOf(previous);
            selection.end = selection.start;
            DeleteNodeAndTidy(run, group);
        }
        movingEnd = 0;
        EndEditBatch();
        return true;
    }
    MathNode *q = p->GetNextMathNode();
    if (q == nullptr) return false;
    BeginEditBatch();
    if (SymbolRunNode *next = AsRun(q))
    {
        int32_t size = GetUtf8CharSizeMax(next->text.GetText(), next->text.GetLength());
        next->text.Erase(0, size);
        if (next->text.IsEmpty()) DeleteNodeAndTidy(next, group);
    }
    else
    {
        DeleteNodeAndTidy(q, group);
    }
    movingEnd = 0;
    EndEditBatch();
    return true;
}

}  // namespace oq
