#pragma once

#include "base/Point2D.h"
#include "editor/document/EquationDocument.h"

namespace oq {

class GroupNode;

// The x span a caret search inside a slot group must stay within: the span of the structure that
// holds the slot, in document units.
struct CaretClipRange
{
    float left = 0.0f;
    float right = 0.0f;
};

// The row of a laid-out group a height picks (dy relative to the group's y): the first row from
// the top whose boundary with the next, halfway between its bottom and the next row's top, lies
// below dy; the last row when none. -1 when the group has no rows yet.
int32_t ChooseGroupRow(const GroupNode *group, float dy);

// The coarse caret search of one group: above its first row the group's first node (false), below
// its last row the last node's end (false); else the chosen row's start left of the group and its
// end otherwise (true).
[[nodiscard]] bool FindCaretInGroup(const GroupNode *group, const Point2D &point, CaretPosition *position);

// The caret's x relative to the x of its group.
float GetCaretX(const EquationDocument *document, const CaretPosition &position);

}  // namespace oq
