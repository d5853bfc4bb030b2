// The group commands: alignment, baseline row and size of the selected groups or the caret's group.
#include "editor/editing/Editor.h"

#include "editor/document/GroupNode.h"

namespace oq {

namespace {

constexpr float kGroupSizeStep = 1.0f / 16.0f;
constexpr float kSmallestGroupSize = 0.5f;
constexpr float kLargestGroupSize = 2.0f;

// Runs the change on the selected groups, or else on the caret's group (never the main group
// when it may not be resized): whether any group changed. The change answers whether it would
// change the group, and changes it when asked to.
template <typename Change>
bool ChangeGroups(Editor &editor, bool mainGroupToo, Change change)
{
    Array<DocumentNode *, 4> &objects = editor.document.objectSelection;
    if (objects.GetElementCount() != 0)
    {
        bool opened = false;
        for (int32_t i = 0; i < objects.GetElementCount(); ++i)
        {
            if (objects[i]->GetKind() != kGroupKind) continue;
            auto *group = static_cast<GroupNode *>(objects[i]);
            if (!change(group, false)) continue;
            if (!opened) editor.BeginEditBatch(EditBatchVariant::kObject);
            opened = true;
            change(group, true);
        }
        if (opened) editor.EndEditBatch();
        return opened;
    }
    MathNode *start = editor.document.selection.start.node;
    GroupNode *group = start != nullptr ? start->GetEnclosingGroup() : nullptr;
    if (group == nullptr) return false;
    if (!mainGroupToo && group == editor.document.GetMainGroup()) return false;
    if (!change(group, false)) return false;
    editor.BeginEditBatch();
    change(group, true);
    editor.EndEditBatch();
    return true;
}

}  // namespace

bool Editor::SetGroupAlignment(uint32_t alignment)
{
    // Other values would not read back.
    if (alignment != 0 && alignment != kAlignLeft && alignment != kAlignCentre && alignment != kAlignRight) return false;
    return ChangeGroups(*this, true, [alignment](GroupNode *group, bool apply) {
        if (apply) group->alignment = alignment;
        return group->alignment != alignment;
    });
}

bool Editor::SetGroupBaseline(uint32_t baseline)
{
    if (baseline != kBaselineFirst && baseline != kBaselineMiddle && baseline != kBaselineLast) return false;
    return ChangeGroups(*this, true, [baseline](GroupNode *group, bool apply) {
        if (apply) group->baselineRow = baseline;
        return group->baselineRow != baseline;
    });
}

bool Editor::DecreaseGroupSize()
{
    return ChangeGroups(*this, false, [](GroupNode *group, bool apply) {
        if (apply) group->scale -= kGroupSizeStep;
        return group->scale > kSmallestGroupSize;
    });
}

bool Editor::IncreaseGroupSize()
{
    return ChangeGroups(*this, false, [](GroupNode *group, bool apply) {
        if (apply) group->scale += kGroupSizeStep;
        return group->scale < kLargestGroupSize;
    });
}

bool Editor::ResetGroupSize()
{
    return ChangeGroups(*this, false, [](GroupNode *group, bool apply) {
        if (apply) group->scale = 1.0f;
        return group->scale != 1.0f;
    });
}

}  // namespace oq
