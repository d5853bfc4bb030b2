#pragma once

// Deep documents for the tests of the nesting guard.

#include "editor/document/GroupNode.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/editing/Editor.h"
#include "editor/structures/ScriptNode.h"

#include <cstdint>

namespace oq::test {

// Nests scripts nodes in the main group, each in the last one's subscripts, until the innermost
// group's nodes stand at the depth given; that group.
inline GroupNode *BuildNestingChain(Editor *editor, int32_t depth)
{
    GroupNode *group = editor->document.GetMainGroup();
    while (group->GetNodeDepth() + 1 < depth)
    {
        auto *scripts = new ScriptNode(false);
        group->AppendSubnode(scripts);
        group = scripts->GetOrCreateSubscripts();
    }
    return group;
}

// A container whose nodes stand exactly at the depth given (2 or more): the innermost group of a
// chain, or for an odd depth a phantom at the end of one.
inline MathNode *BuildNestingContainer(Editor *editor, int32_t depth)
{
    GroupNode *group = BuildNestingChain(editor, depth - depth % 2);
    if (depth % 2 == 0) return group;
    auto *phantom = new PhantomNode;
    phantom->AppendSubnode(new RowBeginNode);
    group->AppendSubnode(phantom);
    return phantom;
}

}  // namespace oq::test
