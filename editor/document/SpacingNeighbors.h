#pragma once

#include "editor/document/MathNode.h"

namespace oq {

// The spacing-neighbour search, which structures use to decide their outer spaces. Nodes whose
// TakesPartInSpacing answers false are skipped; nodes that pass spacing through (stacks, phantoms)
// are looked into.

// The node that ends the stretch before the node: a node, a row begin, or null.
MathNode *FindPrevSpacingNeighbor(const MathNode *node);
// The node that starts the stretch after the node: a node, the next row's begin, or null.
MathNode *FindNextSpacingNeighbor(const MathNode *node);

// The outer space a structure puts before itself: none after a space, at a row start only where the
// group asks for it, none after a symbol run ending in a blank, else what the neighbour's right
// spacing leaves of the wanted space.
float GetSpaceBefore(const MathNode *node, float wanted, bool allowAtRowStart);
// The outer space after it: only a negative one before a space, none before a run beginning with a
// blank, at a row end only where the group asks for it.
float GetSpaceAfter(const MathNode *node, float wanted, bool allowAtRowEnd);

}  // namespace oq
