// Where a caret may stand.
#include "editor/editing/CaretRules.h"

#include "editor/document/GroupNode.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/RunTextSource.h"
#include "editor/document/SymbolRunNode.h"

namespace oq {

namespace {

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

bool CanHoldCaret(const MathNode *node)
{
    if (node == nullptr || node->GetKind() == kGroupKind) return false;
    const MathNode *super = node->GetSuperMathNode();
    return super != nullptr && (super->GetKind() == kGroupKind || super->GetKind() == kPhantomKind);
}

int32_t SnapCaretIndex(const MathNode *node, int32_t index)
{
    const auto *run = dynamic_cast<const RunTextSource *>(node);
    if (run == nullptr) return node->GetEndIndex();
    const TextString &text = run->GetRunText();
    int32_t length = text.GetLength();
    if (index <= 0) return 0;
    if (index >= length) return length;
    const char *bytes = text;
    if (!IsContinuationByte(bytes[index])) return index;
    int32_t start = index;
    while (start > 0 && IsContinuationByte(bytes[start])) --start;
    int32_t end = index;
    while (end < length && IsContinuationByte(bytes[end])) ++end;
    return index - start <= end - index ? start : end;
}

bool IsCaretIndex(const MathNode *node, int32_t index)
{
    return SnapCaretIndex(node, index) == index;
}

CaretPosition GetMainGroupEnd(const EquationDocument *document)
{
    CaretPosition end;
    GroupNode *main = document->GetMainGroup();
    if (main == nullptr) return end;
    // The last node that can hold the caret (a group nested in the rows cannot).
    for (MathNode *node = main->GetLastMathSubnode(); node != nullptr; node = node->GetPreviousMathNode())
    {
        if (!CanHoldCaret(node)) continue;
        end.node = node;
        end.index = node->GetEndIndex();
        break;
    }
    return end;
}

bool IsSameOrLaterSibling(const MathNode *first, const MathNode *node)
{
    if (first == nullptr || node == nullptr || first->GetSuperNode() != node->GetSuperNode()) return false;
    for (const TreeBase *n = first; n != nullptr; n = n->GetNextNode())
    {
        if (n == node) return true;
    }
    return false;
}

SymbolRunNode *AsRun(MathNode *node)
{
    return node != nullptr && node->GetKind() == kSymbolRunKind ? static_cast<SymbolRunNode *>(node) : nullptr;
}

GroupNode *AsGroup(MathNode *node)
{
    return node != nullptr && node->GetKind() == kGroupKind ? static_cast<GroupNode *>(node) : nullptr;
}

}  // namespace oq
