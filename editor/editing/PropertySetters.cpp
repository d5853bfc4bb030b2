// The property setters of the structure dialogs: properties and optional slot groups in one step.
#include "editor/editing/Editor.h"

#include "editor/document/BracketNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/structures/BondNode.h"
#include "editor/structures/IntegralNode.h"
#include "editor/structures/IterationNode.h"
#include "editor/structures/MatrixNode.h"
#include "editor/structures/ScriptNode.h"
#include "editor/structures/StackNode.h"

#include <algorithm>

namespace oq {

namespace {

// Whether the node is the group or lies inside it.
bool LiesIn(const TreeBase *node, const GroupNode *group)
{
    for (const TreeBase *at = node; at != nullptr; at = at->GetSuperNode())
    {
        if (at == group) return true;
    }
    return false;
}

// One setter's run: notes whether a deleted group held the caret and whether anything changed.
class SetterRun
{
public:
    SetterRun(Editor &owner, MathNode *node) : editor(owner), structure(node) {}

    template <typename T>
    void Set(T *field, T value)
    {
        if (*field == value) return;
        *field = value;
        changed = true;
    }

    // Deletes a group with its content (through the structure's slot when it has one).
    void DeleteGroup(GroupNode *group, StructureNode *owner = nullptr, int32_t slot = -1)
    {
        if (group == nullptr) return;
        if (LiesIn(editor.document.selection.start.node, group))
        {
            // Just after the structure, at once: the old ends go with the group.
            caretLost = true;
            editor.document.selection.start = {structure, 0};
            editor.document.selection.end = editor.document.selection.start;
            editor.movingEnd = 0;
        }
        if (owner != nullptr)
            owner->DeleteSlot(slot);
        else
            delete group;
        changed = true;
    }

    // Makes a slot when it is absent and a new group fits the nesting a document may hold.
    void CreateSlot(StructureNode *owner, int32_t slot)
    {
        if (owner->GetSlot(slot) != nullptr) return;
        if (!editor.FitsNestingLimit(owner->GetEnclosingGroup(), 2, nullptr, nullptr)) return;
        static_cast<void>(owner->GetOrCreateSlot(slot));
        changed = true;
    }

    void SetSlot(StructureNode *owner, int32_t slot, bool wanted)
    {
        if (wanted)
            CreateSlot(owner, slot);
        else
            DeleteGroup(owner->GetSlot(slot), owner, slot);
    }

    // Objects destroyed with a group leave the object selection.
    bool Finish()
    {
        Array<DocumentNode *, 4> &objects = editor.document.objectSelection;
        int32_t kept = 0;
        KettricStructure *root = editor.document.GetRootStructure();
        for (int32_t i = 0; i < objects.GetElementCount(); ++i)
        {
            bool alive = false;
            for (KettricStructure *top = root->GetFirstSubnodeStructure(); top != nullptr && !alive;
                 top = top->GetNextStructure())
                alive = DocumentNode::FromStructure(top) == objects[i];
            if (alive) objects[kept++] = objects[i];
        }
        objects.SetElementCount(kept);
        return changed;
    }

    Editor &editor;
    MathNode *structure;
    bool caretLost = false;
    bool changed = false;
};

int32_t CountBodies(const BracketNode *bracket, GroupNode **last)
{
    int32_t count = 0;
    *last = nullptr;
    for (MathNode *node = bracket->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() != kGroupKind) continue;
        ++count;
        *last = static_cast<GroupNode *>(node);
    }
    return count;
}

}  // namespace

bool Editor::SetBracketProperties(BracketNode *bracket, uint32_t left, uint32_t right, uint32_t middle,
                                  int32_t bodyCount, bool asymmetric, bool centered)
{
    BeginEditBatch();
    SetterRun run(*this, bracket);
    run.Set(&bracket->left, CheckDelimiterCodePoint(left));
    run.Set(&bracket->right, CheckDelimiterCodePoint(right));
    run.Set(&bracket->middle, CheckDelimiterCodePoint(middle));
    run.Set(&bracket->asymmetric, asymmetric);
    run.Set(&bracket->centered, centered);
    // A bracket keeps at least one body.
    bodyCount = std::max(bodyCount, 1);
    GroupNode *last = nullptr;
    int32_t count = CountBodies(bracket, &last);
    while (count < bodyCount &&
           FitsNestingLimit(bracket->GetEnclosingGroup(), 2, nullptr, nullptr))
    {
        static_cast<void>(bracket->AddBodyGroup());
        ++count;
        run.changed = true;
    }
    while (count > bodyCount)
    {
        run.DeleteGroup(last);
        count = CountBodies(bracket, &last);
    }
    bool changed = run.Finish();
    EndEditBatch();
    return changed;
}

bool Editor::SetScriptProperties(ScriptNode *scripts, bool hasSubscript, bool hasSuperscript, bool pre, bool outer,
                                 bool noSlant)
{
    // A scripts node keeps one of its groups: without both it would not read back.
    if (!hasSubscript && !hasSuperscript)
    {
        hasSubscript = scripts->GetSubscripts() != nullptr || scripts->GetSuperscripts() == nullptr;
        hasSuperscript = !hasSubscript;
    }
    BeginEditBatch();
    SetterRun run(*this, scripts);
    // Creating first keeps one group present throughout.
    if (hasSubscript) run.SetSlot(scripts, 0, true);
    if (hasSuperscript) run.SetSlot(scripts, 1, true);
    if (!hasSubscript) run.SetSlot(scripts, 0, false);
    if (!hasSuperscript) run.SetSlot(scripts, 1, false);
    run.Set(&scripts->pre, pre);
    run.Set(&scripts->outer, outer);
    run.Set(&scripts->noSlant, noSlant);
    bool changed = run.Finish();
    EndEditBatch();
    return changed;
}

bool Editor::SetStackLabels(StackNode *stack, bool hasLower, bool hasUpper, bool small)
{
    BeginEditBatch();
    SetterRun run(*this, stack);
    run.Set(&stack->small, small);
    run.SetSlot(stack, StackNode::kLowerSlot, hasLower);
    run.SetSlot(stack, StackNode::kUpperSlot, hasUpper);
    bool changed = run.Finish();
    EndEditBatch();
    return changed;
}

bool Editor::SetIterationProperties(IterationNode *iteration, uint32_t codePoint, bool small, bool inlineLimits,
                                    bool hasLower, bool hasUpper, bool hasModifier)
{
    BeginEditBatch();
    SetterRun run(*this, iteration);
    run.Set(&iteration->codePoint, codePoint);
    run.Set(&iteration->small, small);
    run.Set(&iteration->inlineLimits, inlineLimits);
    run.SetSlot(iteration, IterationNode::kLowerSlot, hasLower);
    run.SetSlot(iteration, IterationNode::kUpperSlot, hasUpper);
    run.SetSlot(iteration, IterationNode::kModifierSlot, hasModifier);
    bool changed = run.Finish();
    EndEditBatch();
    return changed;
}

bool Editor::SetIntegralProperties(IntegralNode *integral, uint32_t codePoint, bool small, bool inlineLimits,
                                   bool keepGlyph, bool grow, bool hasLower, bool hasUpper)
{
    BeginEditBatch();
    SetterRun run(*this, integral);
    run.Set(&integral->codePoint, codePoint);
    run.Set(&integral->small, small);
    run.Set(&integral->inlineLimits, inlineLimits);
    run.Set(&integral->keepGlyph, keepGlyph);
    run.Set(&integral->grow, grow);
    run.SetSlot(integral, IntegralNode::kLowerSlot, hasLower);
    run.SetSlot(integral, IntegralNode::kUpperSlot, hasUpper);
    bool changed = run.Finish();
    EndEditBatch();
    return changed;
}

bool Editor::SetBondEndLabels(BondNode *bond, const uint32_t labels[7], const uint32_t seconds[7])
{
    BeginEditBatch();
    SetterRun run(*this, bond);
    for (int32_t i = 0; i < kBondLabelCount; ++i)
    {
        if (labels[i] != 0)
        {
            run.SetSlot(bond, i + 1, true);
            continue;
        }
        if (bond->GetLabel(i) == nullptr) continue;
        // The structures hanging on the label's anchor go with it (a bare link would leave a
        // drawing that is never placed, or an annotation without its place).
        uint32_t anchorKind = kBondLabelAnchorKinds[i];
        DestroyPickedLinkSources(
            bond,
            [](NodeLink *link, void *context) { return link->anchorKind == *static_cast<const uint32_t *>(context); },
            &anchorKind);
        run.DeleteGroup(bond->GetLabel(i), bond, i + 1);
    }
    for (int32_t i = 0; i < kBondPlaceCount; ++i)
    {
        run.Set(&bond->styles[i], labels[i]);
        run.Set(&bond->angleModes[i], seconds[i]);
    }
    bool changed = run.Finish();
    EndEditBatch();
    return changed;
}

bool Editor::SetMatrixCells(MatrixNode *matrix, int32_t rows, int32_t columns)
{
    rows = std::clamp(rows, 1, kMaxMatrixCount);
    columns = std::clamp(columns, 1, kMaxMatrixCount);
    BeginEditBatch();
    SetterRun run(*this, matrix);
    int32_t oldRows = matrix->rowCount;
    int32_t oldColumns = matrix->columnCount;
    auto nextCell = [](MathNode *node) {
        while (node != nullptr && node->GetKind() != kGroupKind) node = node->GetNextMathNode();
        return static_cast<GroupNode *>(node);
    };
    GroupNode *cell = nextCell(matrix->GetFirstMathSubnode());
    GroupNode *last = nullptr;  // the last cell kept or made
    auto insert = [&] {
        GroupNode *made = MatrixNode::InsertCell(matrix, last);
        // Before every old cell when nothing is kept yet.
        if (last == nullptr && cell != nullptr) matrix->InsertSubnodeBefore(made, cell);
        last = made;
        run.changed = true;
    };
    for (int32_t i = 0; i < rows; ++i)
    {
        int32_t kept = 0;
        if (i < oldRows)
        {
            for (int32_t j = 0; j < oldColumns && cell != nullptr; ++j)
            {
                GroupNode *next = nextCell(cell->GetNextMathNode());
                if (j < columns)
                {
                    last = cell;
                    ++kept;
                }
                else
                {
                    run.DeleteGroup(cell);
                }
                cell = next;
            }
        }
        while (kept < columns)
        {
            insert();
            ++kept;
        }
    }
    while (cell != nullptr)
    {
        GroupNode *next = nextCell(cell->GetNextMathNode());
        run.DeleteGroup(cell);
        cell = next;
    }
    if (rows != oldRows || columns != oldColumns)
    {
        MatrixNode::Resize(matrix, rows, columns);
        run.changed = true;
    }
    run.Set(&matrix->middleBaseline, rows % 2 == 1);
    bool changed = run.Finish();
    EndEditBatch();
    return changed;
}

}  // namespace oq
