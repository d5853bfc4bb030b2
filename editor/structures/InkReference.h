#pragma once

namespace oq {

class GroupNode;

// The ink extents a tight ("sm") mark or limit keeps its distance from: every node of the group after
// its first row begin counts, symbol runs by the ink of their glyphs, other nodes (row begins of later
// rows included) by their boxes, in the group's coordinates. The bottom starts at capitalHeight and
// the top at 0. False, with both left alone, when the group holds no node after its first row begin.
bool FindInkReference(const GroupNode *group, float capitalHeight, float *bottom, float *top);

}  // namespace oq
