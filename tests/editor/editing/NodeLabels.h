#pragma once

// Names for nodes and caret positions in editing tests: a run by its text, any other node by its
// kind ("frac", "bgin"), a position as "label:index".

#include "editor/document/EquationDocument.h"
#include "editor/document/MathNode.h"
#include "editor/document/SymbolRunNode.h"

#include <string>

namespace oq::test {

inline std::string NodeLabel(const MathNode *node)
{
    if (node == nullptr) return "none";
    if (const auto *run = dynamic_cast<const SymbolRunNode *>(node)) return std::string(run->text);
    uint32_t kind = node->GetKind();
    return {char(kind >> 24), char(kind >> 16), char(kind >> 8), char(kind)};
}

inline std::string DescribePosition(const CaretPosition &position)
{
    return NodeLabel(position.node) + ":" + std::to_string(position.index);
}

// "start end" of the document's selection.
inline std::string DescribeSelection(const EquationDocument &document)
{
    return DescribePosition(document.selection.start) + " " + DescribePosition(document.selection.end);
}

// The nth node (0-based) in document order whose label is the one given; null when none.
inline MathNode *FindLabelledNode(EquationDocument &document, const std::string &label, int32_t nth = 0)
{
    KettricRoot *root = document.GetRootStructure();
    for (TreeBase *tree = root->GetFirstSubnode(); tree != nullptr; tree = root->GetNextTreeNode(tree))
    {
        MathNode *node = MathNode::FromStructure(static_cast<KettricStructure *>(tree));
        if (node != nullptr && NodeLabel(node) == label && nth-- == 0) return node;
    }
    return nullptr;
}

}  // namespace oq::test
