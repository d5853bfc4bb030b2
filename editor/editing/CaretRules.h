#pragma once

#include "editor/document/EquationDocument.h"

#include <cstdint>

namespace oq {

class GroupNode;
class MathNode;
class SymbolRunNode;

// Whether a caret may stand on the node: a math node other than a group, standing in the rows of a
// group or a phantom.
bool CanHoldCaret(const MathNode *node);
// The caret index nearest to the given one on the node: inside a run's text and on a character
// boundary (the nearer one, the start on a tie); on any other node its end index.
int32_t SnapCaretIndex(const MathNode *node, int32_t index);
// Whether the index is one SnapCaretIndex keeps.
bool IsCaretIndex(const MathNode *node, int32_t index);
// The caret after the last node of the document's main group that can hold it; null node when none.
CaretPosition GetMainGroupEnd(const EquationDocument *document);
// Whether the node comes at or after the first one among the same superior's subnodes.
bool IsSameOrLaterSibling(const MathNode *first, const MathNode *node);

// Whether the selection's two ends are one caret position.
inline bool IsCollapsed(const Selection &selection)
{
    return selection.start.node == selection.end.node && selection.start.index == selection.end.index;
}
// The node as a symbol run or as a group; null for other kinds and for null.
SymbolRunNode *AsRun(MathNode *node);
GroupNode *AsGroup(MathNode *node);

}  // namespace oq
