// Click selection and object selection: the caret from a left press, objects from a right press,
// selection ends in document order and the deletion of the selected objects.
#include "editor/document/GroupNode.h"
#include "editor/document/PhantomNode.h"
#include "editor/editing/CaretRules.h"
#include "editor/editing/Editor.h"

namespace oq {

namespace {

constexpr uint32_t kShiftFlag = 4;

CaretPosition AfterNode(MathNode *node) { return {node, node->GetEndIndex()}; }

// Whether the node holds rows of caret nodes (a group or a phantom) rather than slots.
bool HoldsRows(const MathNode *node)
{
    return node->GetKind() == kGroupKind || node->GetKind() == kPhantomKind;
}

int32_t MathDepth(const MathNode *node)
{
    int32_t depth = 0;
    for (const MathNode *n = node->GetSuperMathNode(); n != nullptr; n = n->GetSuperMathNode()) ++depth;
    return depth;
}

// The top-level node above the node (the node itself when it is top-level).
const MathNode *TopLevelOf(const MathNode *node)
{
    while (const MathNode *super = node->GetSuperMathNode()) node = super;
    return node;
}

// Climbs both nodes up to the nodes just below their nearest common superior; false when they
// have none (different top-level structures).
bool FindBranches(MathNode *a, MathNode *b, MathNode **aBranch, MathNode **bBranch)
{
    int32_t aDepth = MathDepth(a);
    int32_t bDepth = MathDepth(b);
    for (; aDepth > bDepth; --aDepth) a = a->GetSuperMathNode();
    for (; bDepth > aDepth; --bDepth) b = b->GetSuperMathNode();
    while (a != b && a->GetSuperMathNode() != b->GetSuperMathNode())
    {
        a = a->GetSuperMathNode();
        b = b->GetSuperMathNode();
    }
    if (a->GetSuperMathNode() == nullptr) return false;
    *aBranch = a;
    *bBranch = b;
    return true;
}

// Whether first comes strictly before node among the same superior's subnodes.
bool ComesBefore(const MathNode *first, const MathNode *node)
{
    for (const MathNode *n = first->GetNextMathNode(); n != nullptr; n = n->GetNextMathNode())
    {
        if (n == node) return true;
    }
    return false;
}

// Where a press position lies against a selection end.
enum class Placement
{
    kBefore,
    kAfter,
    kElsewhere,  // another top-level structure
};

// Same node: by index, equal counting as before. Else by the branches below the common superior;
// when they coincide the deeper position comes first.
Placement Locate(const CaretPosition &position, const CaretPosition &end)
{
    if (position.node == end.node) return position.index <= end.index ? Placement::kBefore : Placement::kAfter;
    MathNode *pBranch = nullptr;
    MathNode *eBranch = nullptr;
    if (!FindBranches(position.node, end.node, &pBranch, &eBranch)) return Placement::kElsewhere;
    if (pBranch == eBranch)
        return MathDepth(position.node) > MathDepth(end.node) ? Placement::kBefore : Placement::kAfter;
    return ComesBefore(pBranch, eBranch) ? Placement::kBefore : Placement::kAfter;
}

}  // namespace

int32_t Editor::OrderSelectionEnds(CaretPosition anchor, CaretPosition moving)
{
    document.objectSelection.SetElementCount(0);
    MathNode *a = anchor.node;
    MathNode *b = moving.node;
    if (a == nullptr || b == nullptr)
    {
        CaretPosition at = b != nullptr ? moving : anchor;
        SetSelection(at, at);
        return 0;
    }
    if (a == b)
    {
        if (anchor.index <= moving.index)
        {
            SetSelection(anchor, moving);
            return anchor.index < moving.index ? 1 : 0;
        }
        SetSelection(moving, anchor);
        return -1;
    }
    if (a->GetSuperMathNode() == b->GetSuperMathNode() && a->GetSuperMathNode() != nullptr)
    {
        if (ComesBefore(a, b))
        {
            SetSelection(anchor, moving);
            return 1;
        }
        SetSelection(moving, anchor);
        return -1;
    }

    MathNode *aBranch = nullptr;
    MathNode *bBranch = nullptr;
    if (!FindBranches(a, b, &aBranch, &bBranch))
    {
        // Ends in different top-level structures make no range: the caret goes to the moving end.
        SetSelection(moving, moving);
        return 0;
    }
    MathNode *common = aBranch->GetSuperMathNode();
    if (!HoldsRows(common))
    {
        // Different slots of one structure: the whole structure.
        MathNode *previous = common->GetPreviousMathNode();
        if (previous == nullptr || !HoldsRows(common->GetSuperMathNode()))
        {
            SetSelection(moving, moving);
            return 0;
        }
        SetSelection(AfterNode(previous), {common, 0});
        return 0;
    }
    // Every branch that is not an end itself is a structure in the rows, after a row begin at least.
    auto before = [](MathNode *node) {
        MathNode *previous = node->GetPreviousMathNode();
        return previous != nullptr ? AfterNode(previous) : CaretPosition{node, 0};
    };
    if (aBranch == bBranch)
    {
        SetSelection(before(aBranch), AfterNode(aBranch));
        return aBranch == a ? -1 : 1;
    }
    if (ComesBefore(aBranch, bBranch))
    {
        SetSelection(aBranch == a ? anchor : before(aBranch), bBranch == b ? moving : AfterNode(bBranch));
        return 1;
    }
    SetSelection(bBranch == b ? moving : before(bBranch), aBranch == a ? anchor : AfterNode(aBranch));
    return -1;
}

void Editor::PlaceCaretFromPress(CaretPosition position)
{
    Selection &selection = document.selection;
    bool shift = (pressFlags & kShiftFlag) != 0;
    bool collapsed = IsCollapsed(selection);
    bool placed = false;
    if (position.node == nullptr)
    {
        // Nothing to place: the selection stays.
        placed = true;
    }
    else if (pressDoubleClick)
    {
        MathNode *group = position.node->GetSuperMathNode();
        MathNode *first = group != nullptr ? group->GetFirstMathSubnode() : nullptr;
        MathNode *last = group != nullptr ? group->GetLastMathSubnode() : nullptr;
        while (last != nullptr && last != first && !CanHoldCaret(last)) last = last->GetPreviousMathNode();
        if (first != nullptr && last != nullptr)
        {
            document.objectSelection.SetElementCount(0);
            SetSelection({first, 0}, AfterNode(last));
            movingEnd = 0;
            selectionAnchor = position;
            placed = true;
        }
    }
    else if (shift && selection.start.node != nullptr && collapsed)
    {
        if (TopLevelOf(position.node) == TopLevelOf(selection.start.node))
        {
            movingEnd = OrderSelectionEnds(selection.start, position);
            selectionAnchor = movingEnd < 0 ? selection.end : selection.start;
            placed = true;
        }
    }
    else if (shift && selection.start.node != nullptr && selection.end.node != nullptr)
    {
        CaretPosition start = selection.start;
        CaretPosition end = selection.end;
        Placement againstStart = Locate(position, start);
        Placement againstEnd = againstStart == Placement::kBefore ? Placement::kBefore : Locate(position, end);
        if (againstStart == Placement::kBefore)
        {
            movingEnd = OrderSelectionEnds(end, position);
            selectionAnchor = end;
            placed = true;
        }
        else if (againstStart == Placement::kAfter && againstEnd == Placement::kAfter)
        {
            movingEnd = OrderSelectionEnds(start, position);
            selectionAnchor = start;
            placed = true;
        }
        else if (againstStart == Placement::kAfter && againstEnd == Placement::kBefore &&
                 position.node->GetSuperNode() != start.node->GetSuperNode())
        {
            // Inside the range but deeper (in a structure between the ends): ordered from the end
            // that stays, so that both ends stay in one group.
            selectionAnchor = movingEnd >= 0 ? start : end;
            movingEnd = OrderSelectionEnds(selectionAnchor, position);
            placed = true;
        }
        else if (againstStart == Placement::kAfter && againstEnd == Placement::kBefore)
        {
            // Inside the range: the moving end goes to the press and keeps its sign.
            document.objectSelection.SetElementCount(0);
            if (movingEnd >= 0)
            {
                SetSelection(start, position);
                selectionAnchor = start;
            }
            else
            {
                SetSelection(position, end);
                selectionAnchor = end;
            }
            placed = true;
        }
    }
    if (!placed)
    {
        document.objectSelection.SetElementCount(0);
        SetSelection(position, position);
        movingEnd = 0;
        selectionAnchor = position;
    }
    dragMode = 'eqtn';
    DiscardSelectionOverlay();
    DiscardAnchorOverlay();
}

bool Editor::HandleRightPress(const Point2D &point)
{
    DocumentNode *object = FindObjectAtPoint(point);
    if (object == nullptr) return false;
    SetStyleKey(0);
    Array<DocumentNode *, 4> &objects = document.objectSelection;
    bool shift = (pressFlags & kShiftFlag) != 0;
    for (int32_t i = 0; i < objects.GetElementCount(); ++i)
    {
        if (objects[i] != object) continue;
        if (!shift) return true;
        for (int32_t j = i + 1; j < objects.GetElementCount(); ++j) objects[j - 1] = objects[j];
        objects.SetElementCount(objects.GetElementCount() - 1);
        DiscardSelectionOverlay();
        DiscardAnchorOverlay();
        return true;
    }
    if (objects.GetElementCount() == 0) PutCaretAtEnd();
    if (!shift) objects.SetElementCount(0);
    objects.AddElement(object);
    DiscardSelectionOverlay();
    DiscardAnchorOverlay();
    DiscardObjectHoverOutline();
    return true;
}

void Editor::PutCaretAtEnd()
{
    document.objectSelection.SetElementCount(0);
    CaretPosition end = GetMainGroupEnd(&document);
    if (end.node == nullptr) return;
    SetSelection(end, end);
    movingEnd = 0;
}

void Editor::DeleteSelectedObjects()
{
    Array<DocumentNode *, 4> &objects = document.objectSelection;
    if (objects.GetElementCount() == 0) return;
    // The list never owns its elements: a node leaves it when it is destroyed, also when it goes
    // as a structure linked to another selected object.
    List doomed;
    const GroupNode *main = document.GetMainGroup();
    for (DocumentNode *object : objects)
    {
        if (object != main && object->IsTopLevel()) doomed.Append(&object->workElement);
    }
    BeginEditBatch(EditBatchVariant::kObject);
    while (ListElement *element = doomed.GetFirstListElement())
    {
        delete static_cast<NodeWorkElement *>(element)->GetNode();
    }
    // Emptied before the after-snapshot is taken, so that it never names a destroyed node.
    objects.SetElementCount(0);
    EndEditBatch();
    DiscardSelectionOverlay();
}

}  // namespace oq
