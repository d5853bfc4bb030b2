// Hit testing: the caret under a point, the coarse row search, the object under a point and the x
// of a caret.
#include "editor/editing/CaretHitTest.h"

#include "editor/document/GroupNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/Editor.h"

namespace oq {

namespace {

// The node just before the node in its row, at its end index.
CaretPosition EndOfPrevious(MathNode *node)
{
    MathNode *previous = node->GetPreviousMathNode();
    if (previous == nullptr) return CaretPosition{node, 0};
    return CaretPosition{previous, previous->GetEndIndex()};
}

bool StartsRow(const MathNode *node)
{
    return node == nullptr || node->GetKind() == kRowBeginKind;
}

}  // namespace

int32_t ChooseGroupRow(const GroupNode *group, float dy)
{
    int32_t count = group->GetRowCount();
    if (count <= 0) return -1;
    for (int32_t i = 0; i + 1 < count; ++i)
    {
        if (dy > (group->GetRow(i + 1)->top + group->GetRow(i)->bottom) * 0.5f) return i;
    }
    return count - 1;
}

bool Editor::FindCaretAtPoint(GroupNode *group, const Point2D &point, CaretPosition *position,
                              const CaretClipRange *clip) const
{
    float margin = group->GetEm(&document.design) * 0.25f;
    float groupDx = point.x - group->absolutePosition.x;
    float dy = point.y - group->absolutePosition.y;
    if (!(groupDx >= group->inkLeft - margin && groupDx <= group->width + group->inkRight + margin)) return false;
    if (!(dy >= group->bottom - margin && dy <= group->top + margin)) return false;

    int32_t rowIndex = ChooseGroupRow(group, dy);
    if (rowIndex < 0) return false;
    MathNode *rowBegin = group->GetRow(rowIndex)->rowBegin;
    if (rowBegin == nullptr) return false;
    if (point.x - rowBegin->absolutePosition.x <= 0.0f)
    {
        *position = CaretPosition{rowBegin, 0};
        return true;
    }

    for (MathNode *node = rowBegin; node != nullptr;)
    {
        MathNode *next = node->GetNextMathNode();
        if (node->GetKind() == kGroupKind)
        {
            if (FindCaretAtPoint(static_cast<GroupNode *>(node), point, position, nullptr)) return true;
        }
        else
        {
            float dx = point.x - node->absolutePosition.x;
            float span = node->width;
            if (next != nullptr && !StartsRow(next) && next->absolutePosition.x - node->absolutePosition.x > span)
                span = next->absolutePosition.x - node->absolutePosition.x;
            if (dx >= node->inkLeft && dx <= span + node->inkRight)
            {
                CaretClipRange slotClip{node->absolutePosition.x, node->absolutePosition.x + span};
                for (GroupNode *slot = node->GetFirstGroup(); slot != nullptr; slot = node->GetNextGroup(slot))
                {
                    if (FindCaretAtPoint(slot, point, position, &slotClip)) return true;
                }
                if (dx >= 0.0f && dx <= span)
                {
                    if (auto *run = dynamic_cast<SymbolRunNode *>(node))
                    {
                        // Before the text the offset is 0, past it the laid-out end.
                        int32_t offset = run->GetCharIndexAtX(&document.design, dx);
                        *position = offset != 0 ? CaretPosition{node, offset} : EndOfPrevious(node);
                    }
                    else if (node->GetKind() == kRowBeginKind)
                    {
                        *position = CaretPosition{node, 0};
                    }
                    else
                    {
                        *position = dx > node->width * 0.5f ? CaretPosition{node, 0} : EndOfPrevious(node);
                    }
                    return true;
                }
            }
        }
        if (StartsRow(next))
        {
            if (clip != nullptr && !(point.x >= clip->left && point.x <= clip->right)) return false;
            if (groupDx >= -margin && groupDx <= group->width + margin)
            {
                *position = CaretPosition{node, node->GetEndIndex()};
                return true;
            }
            return false;
        }
        node = next;
    }
    return false;
}

bool FindCaretInGroup(const GroupNode *group, const Point2D &point, CaretPosition *position)
{
    int32_t count = group->GetRowCount();
    MathNode *first = group->GetFirstMathSubnode();
    MathNode *last = group->GetLastMathSubnode();
    if (count <= 0 || first == nullptr)
    {
        *position = CaretPosition{first, 0};
        return false;
    }
    float dy = point.y - group->absolutePosition.y;
    if (dy > group->GetRow(0)->top)
    {
        *position = CaretPosition{first, 0};
        return false;
    }
    if (dy < group->GetRow(count - 1)->bottom)
    {
        *position = CaretPosition{last, last->GetEndIndex()};
        return false;
    }
    int32_t rowIndex = ChooseGroupRow(group, dy);
    MathNode *rowBegin = group->GetRow(rowIndex)->rowBegin;
    if (point.x - group->absolutePosition.x < 0.0f && rowBegin != nullptr)
    {
        *position = CaretPosition{rowBegin, 0};
        return true;
    }
    MathNode *end = last;
    if (rowIndex + 1 < count && group->GetRow(rowIndex + 1)->rowBegin != nullptr)
    {
        MathNode *before = group->GetRow(rowIndex + 1)->rowBegin->GetPreviousMathNode();
        if (before != nullptr) end = before;
    }
    *position = CaretPosition{end, end->GetEndIndex()};
    return true;
}

DocumentNode *Editor::FindObjectAtPoint(const Point2D &point)
{
    float tolerance = 3.0f / zoom;
    for (KettricStructure *s = document.GetRootStructure()->GetLastSubnodeStructure(); s != nullptr;
         s = s->GetPreviousStructure())
    {
        DocumentNode *node = DocumentNode::FromStructure(s);
        if (node != nullptr && node->HitTest(point, tolerance)) return node;
    }
    return nullptr;
}

float GetCaretX(const EquationDocument *document, const CaretPosition &position)
{
    const MathNode *node = position.node;
    if (node == nullptr) return 0.0f;
    float x0 = node->position.x;
    if (const auto *run = dynamic_cast<const SymbolRunNode *>(node))
    {
        if (position.index >= run->text.GetLength()) return x0 + node->width - node->rightSpacing;
        float caretX = 0.0f;
        int32_t offset = position.index;
        if (!run->GetCaretPositions(&document->design, 1, &offset, &caretX)) caretX = node->leftSpacing + node->leftInset;
        return x0 + caretX;
    }
    if (node->GetKind() == kRowBeginKind)
    {
        const MathNode *neighbor = FindNextSpacingNeighbor(node);
        if (neighbor != nullptr && neighbor->GetKind() != kRowBeginKind) return x0 + node->width + neighbor->leftSpacing;
        return x0 + node->width - node->rightSpacing;
    }
    return x0 + node->width;
}

}  // namespace oq
