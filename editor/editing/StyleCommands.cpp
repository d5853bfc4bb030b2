// The character style of the selected runs.
#include "editor/editing/Editor.h"

#include "editor/document/SymbolRunNode.h"
#include "editor/editing/CaretRules.h"

namespace oq {

namespace {

constexpr uint32_t kUprightGreek = 'grek';
constexpr uint32_t kItalicGreek = 'itgk';
constexpr uint32_t kBoldGreek = 'bdgk';
constexpr uint32_t kBoldItalicGreek = 'bigk';

// The style a run takes: the two Greek styles toggle between upright and italic.
uint32_t ToggledStyle(uint32_t asked, uint32_t current)
{
    if (asked == kUprightGreek)
        return current == kItalicGreek || current == kBoldGreek ? kUprightGreek : kItalicGreek;
    if (asked == kBoldGreek)
        return current == kBoldItalicGreek || current == kUprightGreek ? kBoldGreek : kBoldItalicGreek;
    return asked;
}

}  // namespace

bool Editor::SetSelectionStyle(uint32_t style)
{
    Selection &selection = document.selection;
    if (selection.start.node == nullptr) return false;
    NormalizeSelectionEnds();
    if (IsCollapsed(selection)) return false;
    BeginEditBatch();
    static_cast<void>(SplitRunsAtSelection());
    bool changed = false;
    MathNode *end = selection.end.node;
    for (MathNode *node = selection.start.node != end ? selection.start.node->GetNextMathNode() : nullptr;
         node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kSymbolRunKind)
        {
            auto *run = static_cast<SymbolRunNode *>(node);
            uint32_t newStyle = ToggledStyle(style, run->style);
            if (newStyle != run->style)
            {
                run->SetStyle(newStyle);
                changed = true;
            }
            if (node == end) selection.end.index = run->text.GetLength();
        }
        if (node == end) break;
    }
    MergeAdjacentRuns(nullptr, false);
    EndEditBatch();
    return changed;
}

}  // namespace oq
