// Releasing phantoms: their contents stay in the row, the phantoms go.
#include "editor/editing/Editor.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/PhantomNode.h"

namespace oq {

namespace {

CaretPosition EndOfNode(MathNode *node) { return {node, node->GetEndIndex()}; }

}  // namespace

bool Editor::ReleasePhantoms()
{
    Selection &selection = document.selection;
    if (selection.start.node == nullptr) return false;
    MathNode *endNode = selection.end.node;
    MathNode *node = selection.start.node == endNode ? endNode : selection.start.node->GetNextMathNode();
    bool opened = false;
    while (node != nullptr)
    {
        bool atEnd = node == endNode;
        MathNode *next = atEnd ? nullptr : node->GetNextMathNode();
        // A phantom always follows its row's start; one that does not is left alone.
        if (node->GetKind() == kPhantomKind && node->GetPreviousMathNode() != nullptr)
        {
            if (!opened) BeginEditBatch();
            opened = true;
            // Its contents after its row start move out, in order, to just after it.
            MathNode *firstMoved = nullptr;
            MathNode *lastMoved = nullptr;
            MathNode *rowBegin = node->GetFirstMathSubnode();
            MathNode *content = rowBegin != nullptr ? rowBegin->GetNextMathNode() : nullptr;
            MathNode *after = node;
            while (content != nullptr)
            {
                MathNode *following = content->GetNextMathNode();
                static_cast<TreeNode *>(node->GetSuperNode())->InsertSubnodeAfter(content, after);
                content->OnReparented();
                if (content->GetKind() == kRowBeginKind) RaiseRowAnchors(content);
                if (firstMoved == nullptr) firstMoved = content;
                lastMoved = content;
                after = content;
                content = following;
            }
            // Ends on the phantom: the start to the node before it, the end to its last moved node
            // (with none moved, where the start goes).
            MathNode *previous = node->GetPreviousMathNode();
            if (selection.start.node == node) selection.start = EndOfNode(previous);
            if (selection.end.node == node) selection.end = lastMoved != nullptr ? EndOfNode(lastMoved) : EndOfNode(previous);
            if (typingPosition.node == node) typingPosition = CaretPosition();
            delete node;
            if (atEnd)
            {
                // The walk goes on through the moved contents, which may hold phantoms of their own.
                endNode = lastMoved;
                next = firstMoved;
            }
            else if (firstMoved != nullptr)
            {
                next = firstMoved;
            }
        }
        else if (atEnd)
        {
            break;
        }
        node = next;
    }
    if (!opened) return false;
    MergeAdjacentRuns(nullptr, false);
    EndEditBatch();
    return true;
}

}  // namespace oq
