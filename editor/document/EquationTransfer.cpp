// The equation document's two tree operations behind copy and paste.
#include "editor/document/ColoredMathNode.h"
#include "editor/document/EquationDocument.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/document/RunTextSource.h"

#include <climits>

namespace oq {

namespace {

// Cuts the text of a copied run to the selected bytes.
void CutCopiedText(DocumentNode *copy, int32_t begin, int32_t end)
{
    if (begin <= 0 && end == INT_MAX) return;
    if (auto *run = dynamic_cast<RunTextSource *>(copy)) run->KeepRunTextRange(begin, end);
}

// Whether the caret node stands in a row of a top-level group (or in no group at all).
bool IsInTopLevelRow(const MathNode *node)
{
    const GroupNode *group = node->GetEnclosingGroup();
    return group == nullptr || group->IsTopLevel();
}

}  // namespace

bool EquationDocument::CopySelectionTo(EquationDocument *target)
{
    GroupNode *main = target->CreateEmptyEquation();
    MathNode *startNode = selection.start.node;
    MathNode *endNode = selection.end.node;
    if (startNode == nullptr || endNode == nullptr || startNode->GetSuperNode() == nullptr) return false;
    if (startNode->GetSuperNode() != endNode->GetSuperNode()) return false;
    if (startNode != endNode && !startNode->IsPreviousSiblingOf(endNode)) return false;

    // Only copies made now may be linked to: forget those of earlier operations.
    KettricRoot *root = GetRootStructure();
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        if (DocumentNode *node = DocumentNode::FromStructure(static_cast<KettricStructure *>(tree))) node->lastCopy = nullptr;
    }
    for (KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (DocumentNode *node = DocumentNode::FromStructure(s)) node->pendingLinks = node->GetOutgoingLinkCount();
    }

    List ready;
    MathNode *node = startNode;
    int32_t startIndex = selection.start.index;
    if (startIndex == startNode->GetEndIndex())
    {
        // The range starts after the start node: box-anchor links to it attach to the copy's row begin.
        startNode->lastCopy = main->GetFirstMathSubnode();
        for (NodeLink *link = startNode->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
        {
            DocumentNode *source = link->GetSource();
            if (link->anchorKind != 0 || !source->IsTopLevel()) continue;
            if (--source->pendingLinks == 0) ready.Append(&source->workElement);
        }
        node = (startNode == endNode) ? nullptr : startNode->GetNextMathNode();
        startIndex = 0;
    }
    while (node != nullptr)
    {
        DocumentNode *copy = node->DeepCopy();
        int32_t end = INT_MAX;
        if (node == endNode && selection.end.index != endNode->GetEndIndex()) end = selection.end.index;
        CutCopiedText(copy, (node == startNode) ? startIndex : 0, end);
        main->AppendSubnode(copy);
        node->ReleaseLinkSources(&ready);
        node = (node == endNode) ? nullptr : node->GetNextMathNode();
    }

    // The structures whose link targets have all been copied, in the order they became ready.
    GroupNode *ownMain = GetMainGroup();
    DocumentNode *lastGroupCopy = main;
    while (ListElement *element = ready.GetFirstListElement())
    {
        ready.Remove(element);
        DocumentNode *structure = static_cast<NodeWorkElement *>(element)->GetNode();
        // The main group, or a group holding the range, is never copied whole.
        if (structure == ownMain || structure->IsAncestorOf(startNode)) continue;
        DocumentNode *copy = structure->DeepCopy();
        KettricRoot *targetRoot = target->GetRootStructure();
        if (dynamic_cast<GroupNode *>(copy) != nullptr)
        {
            targetRoot->InsertSubnodeAfter(copy, lastGroupCopy);
            lastGroupCopy = copy;
        }
        else if (ownMain != nullptr && structure->IsPreviousSiblingOf(ownMain))
        {
            targetRoot->InsertSubnodeBefore(copy, main);
        }
        else
        {
            targetRoot->AppendSubnode(copy);
        }
        for (NodeLink *link = structure->GetFirstOutgoingLink(); link != nullptr; link = link->GetNextOutgoingLink())
        {
            if (DocumentNode *linked = link->GetTarget()->lastCopy)
                new NodeLink(copy, linked, link->anchorKind, link->anchorIndex, link->value);
        }
        structure->ReleaseLinkSources(&ready);
    }
    return true;
}

bool EquationDocument::InsertAtCaret(EquationDocument *source)
{
    MathNode *caretNode = selection.start.node;
    if (caretNode == nullptr || source == nullptr) return false;
    MathNode *super = caretNode->GetSuperMathNode();
    if (super == nullptr || super->GetKind() != kGroupKind) return false;
    GroupNode *pastedMain = source->GetMainGroup();
    MathNode *rowBegin = (pastedMain != nullptr) ? pastedMain->GetFirstMathSubnode() : nullptr;
    if (rowBegin == nullptr) return false;

    // Links to the pasted row start attach to the caret node. Outside a top-level row the node has
    // only its first two box and centre points: indexes 2 and 3 fall back to 0 and 1.
    bool reduce = !IsInTopLevelRow(caretNode);
    while (NodeLink *link = rowBegin->GetFirstIncomingLink())
    {
        link->SetTarget(caretNode);
        if (reduce && (link->anchorKind == 0 || link->anchorKind == kCentreAnchorKind)) link->anchorIndex &= 1;
    }

    MathNode *position = caretNode;
    while (MathNode *moved = rowBegin->GetNextMathNode())
    {
        super->InsertSubnodeAfter(moved, position);
        position = moved;
        moved->OnReparented();
    }
    selection.start.node = position;
    selection.start.index = position->GetEndIndex();
    selection.end = selection.start;

    // The other top-level structures: those before the pasted main group go in front of this one,
    // those after it to the end.
    GroupNode *ownMain = GetMainGroup();
    KettricRoot *root = GetRootStructure();
    bool afterMain = false;
    KettricStructure *structure = source->GetRootStructure()->GetFirstSubnodeStructure();
    while (structure != nullptr)
    {
        KettricStructure *next = structure->GetNextStructure();
        if (structure == pastedMain)
            afterMain = true;
        else if (!afterMain && ownMain != nullptr)
            root->InsertSubnodeBefore(structure, ownMain);
        else
            root->AppendSubnode(structure);
        structure = next;
    }
    return true;
}

}  // namespace oq
