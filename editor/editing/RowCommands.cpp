// Row breaks, spaces, tab stops and alignment marks inserted at the caret.
#include "editor/editing/Editor.h"

#include "editor/document/AlignmentMarkNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SpaceNode.h"

#include <cmath>

namespace oq {

namespace {

// Math units to the em.
constexpr float kMathUnitsPerEm = 18.0F;

bool IsZeroWidthSpace(const MathNode *node)
{
    return node != nullptr && node->GetKind() == kSpaceKind && static_cast<const SpaceNode *>(node)->size == 0.0F;
}

// Replaces the selection by the node, which the caret then stands just after. The caller has
// opened the batch and closes it.
void PutAtCaret(Editor &editor, MathNode *node)
{
    (void)editor.SplitRunsAtSelection();
    (void)editor.DeleteSelectionRange();
    Selection &selection = editor.document.selection;
    MathNode *caret = selection.start.node;
    static_cast<TreeNode *>(caret->GetSuperNode())->InsertSubnodeAfter(node, caret);
    selection.start = {node, 0};
    selection.end = selection.start;
    editor.movingEnd = 0;
}

// One step that puts the node at the caret; false (the node deleted) without a caret.
bool InsertAtCaret(Editor &editor, MathNode *node)
{
    if (editor.document.selection.start.node == nullptr)
    {
        delete node;
        return false;
    }
    editor.BeginEditBatch();
    PutAtCaret(editor, node);
    editor.EndEditBatch();
    return true;
}

}  // namespace

bool Editor::InsertRowBreak()
{
    if (document.selection.start.node == nullptr) return false;
    BeginEditBatch();
    auto *rowBegin = new RowBeginNode;
    PutAtCaret(*this, rowBegin);
    RaiseRowAnchors(rowBegin);
    EndEditBatch();
    return true;
}

bool Editor::InsertSpace(float width)
{
    // A width that is not finite would not read back.
    if (!std::isfinite(width)) return false;
    NormalizeSelectionEnds();
    const Selection &selection = document.selection;
    if (width == 0.0F && selection.start.node != nullptr && selection.start.node == selection.end.node &&
        selection.start.index == selection.end.index)
    {
        MathNode *caret = selection.start.node;
        if (IsZeroWidthSpace(caret) ||
            (IsZeroWidthSpace(caret->GetNextMathNode()) && selection.start.index == caret->GetEndIndex()))
            return false;
    }
    auto *space = new SpaceNode;
    space->size = width;
    return InsertAtCaret(*this, space);
}

bool Editor::InsertTabSpace(float width)
{
    if (!std::isfinite(width * kMathUnitsPerEm)) return false;
    auto *space = new SpaceNode;
    space->size = width * kMathUnitsPerEm;
    space->isTab = true;
    return InsertAtCaret(*this, space);
}

bool Editor::InsertAligner(uint32_t kind)
{
    // Any other kind would read back as 'left'.
    if (kind != kAlignLeft && kind != kAlignRight && kind != kAlignCentre) return false;
    auto *mark = new AlignmentMarkNode;
    mark->markAlignment = kind;
    return InsertAtCaret(*this, mark);
}

}  // namespace oq
