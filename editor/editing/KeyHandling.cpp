// The key-down handler and Tab's walk through slot and annotation groups.
#include "editor/document/GroupNode.h"
#include "editor/editing/Editor.h"
#include "editor/platform/VirtualKeys.h"

namespace oq {

namespace {

// Keys at or above this code are typed characters, not editor keys.
constexpr int32_t kEditorKeyLimit = 48;

GroupNode *AsAnnotationGroup(KettricStructure *structure)
{
    MathNode *node = MathNode::FromStructure(structure);
    if (node == nullptr || node->GetKind() != kGroupKind) return nullptr;
    auto *group = static_cast<GroupNode *>(node);
    return group->role == kAnnotationRole ? group : nullptr;
}

}  // namespace

bool Editor::MoveToNextField(bool backwards)
{
    MathNode *startNode = document.selection.start.node;
    MathNode *container = startNode != nullptr ? startNode->GetSuperMathNode() : nullptr;
    if (container == nullptr || container->GetKind() != kGroupKind) return false;
    auto *group = static_cast<GroupNode *>(container);
    GroupNode *target = nullptr;
    if (MathNode *structure = group->GetSuperMathNode())
    {
        target = backwards ? structure->GetPreviousGroup(group) : structure->GetNextGroup(group);
        if (target == nullptr)
        {
            MathNode *before = backwards ? structure->GetPreviousMathNode() : structure;
            if (before == nullptr) return false;
            CaretPosition caret{before, before->GetEndIndex()};
            SetSelection(caret, caret);
            movingEnd = 0;
            return true;
        }
    }
    else if (group->role == kAnnotationRole)
    {
        KettricRoot *root = document.GetRootStructure();
        KettricStructure *at = group;
        for (;;)
        {
            at = backwards ? at->GetPreviousStructure() : at->GetNextStructure();
            if (at == nullptr) at = backwards ? root->GetLastSubnodeStructure() : root->GetFirstSubnodeStructure();
            if (at == nullptr || at == group) return false;
            target = AsAnnotationGroup(at);
            if (target != nullptr) break;
        }
    }
    if (target == nullptr) return false;
    MathNode *first = target->GetFirstMathSubnode();
    MathNode *last = target->GetLastMathSubnode();
    if (first == nullptr || last == nullptr) return false;
    SetSelection(CaretPosition{first, 0}, CaretPosition{last, last->GetEndIndex()});
    movingEnd = 0;
    return true;
}

bool Editor::HandleKeyDown(const UIEvent &event)
{
    // An open drop-down palette would take the event here, before the editor's own keys; the
    // editor has no drop-downs yet.
    if (event.type != 'kydn' || event.key < 0 || event.key >= kEditorKeyLimit) return false;
    bool extend = (event.modifiers & kModifierShift) != 0;

    if (event.key == kKeyEscape)
    {
        SetStyleKey(0);
        SetDrawingToolGroup(kToolGroupEquation);
        if (document.objectSelection.GetElementCount() == 0) return false;
        document.objectSelection.SetElementCount(0);
        DiscardSelectionOverlay();
        DiscardAnchorOverlay();
        viewChanged = true;
        return true;
    }

    if (document.objectSelection.GetElementCount() != 0)
    {
        if (event.key != kKeyBack && event.key != kKeyDelete) return false;
        DeleteSelectedObjects();
        return true;
    }

    bool changed = false;
    switch (event.key)
    {
    case kKeyBack: changed = DeleteBackward(); break;
    case kKeyTab: changed = MoveToNextField(extend); break;
    case kKeyReturn: changed = InsertRowBreak(); break;
    case kKeyEnd: changed = MoveCaretToGroupEnd(extend); break;
    case kKeyHome: changed = MoveCaretToGroupStart(extend); break;
    case kKeyLeft: changed = MoveCaretLeft(extend); break;
    case kKeyUp: changed = MoveCaretUp(extend); break;
    case kKeyRight: changed = MoveCaretRight(extend); break;
    case kKeyDown: changed = MoveCaretDown(extend); break;
    case kKeyDelete: changed = DeleteForward(); break;
    default: return false;
    }
    viewChanged = true;
    if (!changed) return false;
    DiscardSelectionOverlay();
    return true;
}

}  // namespace oq
