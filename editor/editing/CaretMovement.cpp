// Caret movement by characters, rows and groups; the moving-end indicator follows.
#include "editor/document/GroupNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/CaretHitTest.h"
#include "editor/editing/CaretRules.h"
#include "editor/editing/Editor.h"

namespace oq {

namespace {

bool SamePosition(const CaretPosition &a, const CaretPosition &b)
{
    return a.node == b.node && a.index == b.index;
}

// The node holding the position's rows: its group, or a phantom.
MathNode *GetRowContainer(const CaretPosition &position)
{
    return position.node != nullptr ? position.node->GetSuperMathNode() : nullptr;
}

CaretPosition GetContainerStart(MathNode *container)
{
    MathNode *first = container != nullptr ? container->GetFirstMathSubnode() : nullptr;
    return CaretPosition{first, 0};
}

CaretPosition GetContainerEnd(MathNode *container)
{
    MathNode *last = container != nullptr ? container->GetLastMathSubnode() : nullptr;
    return CaretPosition{last, last != nullptr ? last->GetEndIndex() : 0};
}

// The row of the position's node within its container, counted from the row starts: the row
// table and row indexes of the last layout may be stale after an edit.
int32_t GetRowOf(const CaretPosition &position)
{
    int32_t row = -1;
    for (const MathNode *node = position.node; node != nullptr; node = node->GetPreviousMathNode())
    {
        row += node->GetKind() == kRowBeginKind ? 1 : 0;
    }
    return row > 0 ? row : 0;
}

int32_t CountRows(const MathNode *container)
{
    int32_t rows = 0;
    for (const MathNode *node = container->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        rows += node->GetKind() == kRowBeginKind ? 1 : 0;
    }
    return rows;
}

// The start of the row with that index; null when there is no such row.
MathNode *FindRowBegin(const MathNode *container, int32_t row)
{
    for (MathNode *node = container->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kRowBeginKind && row-- == 0) return node;
    }
    return nullptr;
}

// The index moved back onto the start of the character it falls in.
int32_t SnapToCharacter(const SymbolRunNode *run, int32_t index)
{
    int32_t length = run->text.GetLength();
    if (index >= length) return length;
    while (index > 0 && (uint8_t(run->text.GetText()[index]) & 0xC0) == 0x80) --index;
    return index;
}

// Whether a comes strictly before b, two positions among the same siblings.
bool IsBefore(const CaretPosition &a, const CaretPosition &b)
{
    if (a.node == b.node) return a.index < b.index;
    for (MathNode *node = a.node != nullptr ? a.node->GetNextMathNode() : nullptr; node != nullptr;
         node = node->GetNextMathNode())
    {
        if (node == b.node) return true;
    }
    return false;
}

}  // namespace

CaretPosition Editor::FindNodeAtX(float x, MathNode *rowBegin) const
{
    MathNode *passed = rowBegin;
    for (MathNode *node = rowBegin != nullptr ? rowBegin->GetNextMathNode() : nullptr;
         node != nullptr && node->GetKind() != kRowBeginKind; node = node->GetNextMathNode())
    {
        float d = x - node->position.x;
        if (d >= node->width)
        {
            passed = node;
            continue;
        }
        if (node->GetKind() == kSymbolRunKind)
        {
            const auto *run = static_cast<const SymbolRunNode *>(node);
            int32_t index = SnapToCharacter(run, run->GetCharIndexAtX(&document.design, d));
            if (index > 0) return CaretPosition{node, index};
        }
        else if (d > node->width * 0.5f)
        {
            passed = node;
        }
        break;
    }
    return CaretPosition{passed, passed != nullptr ? passed->GetEndIndex() : 0};
}

CaretPosition Editor::FindPositionAbove(const CaretPosition &position, bool stayInGroup) const
{
    MathNode *container = GetRowContainer(position);
    GroupNode *group = AsGroup(container);
    if (group == nullptr) return GetContainerStart(container);
    float x = GetCaretX(&document, position);
    int32_t row = GetRowOf(position);
    if (row > 0) return FindNodeAtX(x, FindRowBegin(group, row - 1));
    MathNode *structure = group->GetSuperMathNode();
    if (!stayInGroup && structure != nullptr)
    {
        GroupNode *above = structure->GetGroupAbove(group);
        MathNode *lastRow = above != nullptr ? FindRowBegin(above, CountRows(above) - 1) : nullptr;
        if (lastRow != nullptr) return FindNodeAtX(x + group->position.x - above->position.x, lastRow);
    }
    return GetContainerStart(group);
}

CaretPosition Editor::FindPositionBelow(const CaretPosition &position, bool stayInGroup) const
{
    MathNode *container = GetRowContainer(position);
    GroupNode *group = AsGroup(container);
    if (group == nullptr) return GetContainerEnd(container);
    float x = GetCaretX(&document, position);
    int32_t row = GetRowOf(position);
    if (MathNode *next = FindRowBegin(group, row + 1)) return FindNodeAtX(x, next);
    MathNode *structure = group->GetSuperMathNode();
    if (!stayInGroup && structure != nullptr)
    {
        GroupNode *below = structure->GetGroupBelow(group);
        MathNode *firstRow = below != nullptr ? FindRowBegin(below, 0) : nullptr;
        if (firstRow != nullptr) return FindNodeAtX(x + group->position.x - below->position.x, firstRow);
    }
    return GetContainerEnd(group);
}

bool Editor::MoveCaretLeft(bool extend)
{
    Selection &selection = document.selection;
    if (selection.start.node == nullptr) return false;
    CaretPosition moved;
    if (IsCollapsed(selection))
    {
        if (!selection.start.StepLeft(!extend, &moved)) return false;
        if (extend)
        {
            movingEnd = OrderSelectionEnds(selection.end, moved);
        }
        else
        {
            SetSelection(moved, moved);
            movingEnd = 0;
        }
    }
    else if (!extend)
    {
        SetSelection(selection.start, selection.start);
        movingEnd = 0;
    }
    else
    {
        bool endMoves = movingEnd > 0;
        CaretPosition staying = endMoves ? selection.start : selection.end;
        if (!(endMoves ? selection.end : selection.start).StepLeft(false, &moved)) return false;
        movingEnd = OrderSelectionEnds(staying, moved);
    }
    DiscardSelectionOverlay();
    return true;
}

bool Editor::MoveCaretRight(bool extend)
{
    Selection &selection = document.selection;
    if (selection.end.node == nullptr) return false;
    CaretPosition moved;
    if (IsCollapsed(selection))
    {
        if (!selection.end.StepRight(!extend, &moved)) return false;
        if (extend)
        {
            movingEnd = OrderSelectionEnds(selection.start, moved);
        }
        else
        {
            SetSelection(moved, moved);
            movingEnd = 0;
        }
    }
    else if (!extend)
    {
        SetSelection(selection.end, selection.end);
        movingEnd = 0;
    }
    else
    {
        bool startMoves = movingEnd < 0;
        CaretPosition staying = startMoves ? selection.end : selection.start;
        if (!(startMoves ? selection.start : selection.end).StepRight(false, &moved)) return false;
        movingEnd = OrderSelectionEnds(staying, moved);
    }
    DiscardSelectionOverlay();
    return true;
}

bool Editor::MoveCaretDown(bool extend)
{
    Selection before = document.selection;
    int32_t movingBefore = movingEnd;
    CaretPosition start = before.start;
    CaretPosition end = before.end;
    if (end.node == nullptr) return false;
    if (!extend)
    {
        start = end = FindPositionBelow(before.end, false);
        movingEnd = 0;
    }
    else if (movingEnd < 0)
    {
        CaretPosition moved = FindPositionBelow(start, true);
        bool keep = GetRowOf(start) != GetRowOf(end) &&
                    (GetRowOf(moved) != GetRowOf(end) || IsBefore(moved, end));
        if (keep)
        {
            start = moved;
        }
        else
        {
            start = end;
            movingEnd = 0;
        }
    }
    else
    {
        end = FindPositionBelow(end, true);
        movingEnd = 1;
    }
    SetSelection(start, end);
    viewChanged = true;
    return !SamePosition(before.start, document.selection.start) ||
           !SamePosition(before.end, document.selection.end) || movingBefore != movingEnd;
}

bool Editor::MoveCaretUp(bool extend)
{
    CaretPosition start = document.selection.start;
    CaretPosition end = document.selection.end;
    if (start.node == nullptr) return true;
    if (!extend)
    {
        start = end = FindPositionAbove(start, false);
        movingEnd = 0;
    }
    else if (movingEnd > 0)
    {
        CaretPosition moved = FindPositionAbove(end, true);
        bool keep = GetRowOf(start) != GetRowOf(end) &&
                    (GetRowOf(moved) != GetRowOf(start) || IsBefore(start, moved));
        if (keep)
        {
            end = moved;
        }
        else
        {
            end = start;
            movingEnd = 0;
        }
    }
    else
    {
        start = FindPositionAbove(start, true);
        movingEnd = -1;
    }
    SetSelection(start, end);
    viewChanged = true;
    return true;
}

bool Editor::MoveCaretToGroupStart(bool extend)
{
    Selection before = document.selection;
    CaretPosition target = GetContainerStart(GetRowContainer(before.start));
    if (target.node == nullptr) return false;
    CaretPosition start = target;
    CaretPosition end = before.end;
    if (!extend) end = target;
    else if (movingEnd > 0) end = before.start;
    movingEnd = -1;
    SetSelection(start, end);
    return !SamePosition(before.start, document.selection.start) || !SamePosition(before.end, document.selection.end);
}

bool Editor::MoveCaretToGroupEnd(bool extend)
{
    Selection before = document.selection;
    CaretPosition target = GetContainerEnd(GetRowContainer(before.end));
    if (target.node == nullptr) return false;
    CaretPosition start = before.start;
    CaretPosition end = target;
    if (!extend) start = target;
    else if (movingEnd < 0) start = before.end;
    movingEnd = 1;
    SetSelection(start, end);
    return !SamePosition(before.start, document.selection.start) || !SamePosition(before.end, document.selection.end);
}

}  // namespace oq
