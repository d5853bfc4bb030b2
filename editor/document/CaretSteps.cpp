#include "base/TextUtils.h"
#include "editor/document/EquationDocument.h"
#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"

namespace oq {

namespace {

// The slot group the node holds rows for, or null when its rows are held by another kind
// (a phantom) or it is a top-level group.
GroupNode *GetSlotGroup(MathNode *container)
{
    if (container == nullptr || container->GetKind() != kGroupKind) return nullptr;
    return static_cast<GroupNode *>(container);
}

// The structure a row container belongs to: the group's parent, or the container itself when it
// holds its rows without a group (a phantom). Null at the top level.
MathNode *GetOwningStructure(MathNode *container)
{
    if (container == nullptr) return nullptr;
    if (container->GetKind() != kGroupKind) return container;
    return container->GetSuperMathNode();
}

const SymbolRunNode *AsRun(const MathNode *node)
{
    return node->GetKind() == kSymbolRunKind ? static_cast<const SymbolRunNode *>(node) : nullptr;
}

}  // namespace

bool CaretPosition::StepLeft(bool enterStructures, CaretPosition *result) const
{
    if (node == nullptr) return false;
    MathNode *previous = node->GetPreviousMathNode();
    const SymbolRunNode *run = AsRun(node);
    if (run != nullptr && index > 0)
    {
        int32_t at = index < run->text.GetLength() ? index : run->text.GetLength();
        int32_t size = GetPreviousUtf8CharSize(run->text.GetText() + at, at);
        if (size < 1) size = 1;
        if (at - size > 0)
        {
            *result = CaretPosition{node, at - size};
            return true;
        }
    }
    if (previous == nullptr)
    {
        MathNode *container = node->GetSuperMathNode();
        MathNode *structure = GetOwningStructure(container);
        if (structure == nullptr) return false;
        GroupNode *slot = GetSlotGroup(container);
        GroupNode *before = slot != nullptr ? structure->GetPreviousGroup(slot) : nullptr;
        MathNode *target = nullptr;
        if (before != nullptr) target = before->GetLastMathSubnode();
        if (target == nullptr) target = structure->GetPreviousMathNode();
        if (target == nullptr) return false;
        *result = CaretPosition{target, target->GetEndIndex()};
        return true;
    }
    if (run == nullptr && enterStructures)
    {
        GroupNode *last = node->GetLastGroup();
        MathNode *target = last != nullptr ? last->GetLastMathSubnode() : nullptr;
        if (target != nullptr)
        {
            *result = CaretPosition{target, target->GetEndIndex()};
            return true;
        }
    }
    *result = CaretPosition{previous, previous->GetEndIndex()};
    return true;
}

bool CaretPosition::StepRight(bool enterStructures, CaretPosition *result) const
{
    if (node == nullptr) return false;
    if (const SymbolRunNode *run = AsRun(node))
    {
        int32_t length = run->text.GetLength();
        if (index >= 0 && index < length)
        {
            int32_t size = GetUtf8CharSizeMax(run->text.GetText() + index, length - index);
            *result = CaretPosition{node, index + (size > 0 ? size : 1)};
            return true;
        }
    }
    if (MathNode *next = node->GetNextMathNode())
    {
        if (enterStructures)
        {
            GroupNode *first = next->GetFirstGroup();
            MathNode *target = first != nullptr ? first->GetFirstMathSubnode() : nullptr;
            if (target != nullptr)
            {
                *result = CaretPosition{target, 0};
                return true;
            }
        }
        *result = CaretPosition{next, next->GetFirstStepIndex()};
        return true;
    }
    MathNode *container = node->GetSuperMathNode();
    MathNode *structure = GetOwningStructure(container);
    if (structure == nullptr) return false;
    GroupNode *slot = GetSlotGroup(container);
    GroupNode *after = slot != nullptr ? structure->GetNextGroup(slot) : nullptr;
    MathNode *target = after != nullptr ? after->GetFirstMathSubnode() : nullptr;
    if (target != nullptr)
    {
        *result = CaretPosition{target, 0};
        return true;
    }
    *result = CaretPosition{structure, structure->GetEndIndex()};
    return true;
}

}  // namespace oq
