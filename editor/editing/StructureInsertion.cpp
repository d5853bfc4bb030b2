// The commands that put a new structure at the caret, wrapping the selection into its main slot.
#include "editor/editing/Editor.h"

#include "editor/document/AlignmentMarkNode.h"
#include "editor/document/BracketNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/CaretRules.h"
#include "editor/structures/ArrowNode.h"
#include "editor/structures/BondNode.h"
#include "editor/structures/BoxNode.h"
#include "editor/structures/FractionNode.h"
#include "editor/structures/IntegralNode.h"
#include "editor/structures/IterationNode.h"
#include "editor/structures/LongDivisionNode.h"
#include "editor/structures/MatrixNode.h"
#include "editor/structures/RadicalNode.h"
#include "editor/structures/ScriptNode.h"
#include "editor/structures/StackNode.h"
#include "editor/structures/StrikeNode.h"
#include "editor/structures/WideMarkNode.h"

#include "base/TextUtils.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

// The selection with its ends normalized as SplitRunsAtSelection will: an end at a run's start is
// the end of the node before it. The checks that come before the edit batch read this copy, so
// that the step's before-snapshot keeps the selection as it was.
Selection GetNormalizedSelection(const Selection &selection)
{
    Selection normalized = selection;
    for (CaretPosition *position : {&normalized.start, &normalized.end})
    {
        if (position->node == nullptr || position->node->GetKind() != kSymbolRunKind || position->index != 0) continue;
        if (MathNode *previous = position->node->GetPreviousMathNode()) *position = {previous, previous->GetEndIndex()};
    }
    return normalized;
}

void TakeEquationColor(const Editor &editor, ColoredMathNode *node)
{
    node->paletteIndex = editor.settings.state.toolPanel.equationColor.paletteIndex;
    node->colorValue = editor.settings.state.toolPanel.equationColor.color;
}

// The caret collapsed at the start of the group.
void PutCaretAtStart(Editor &editor, GroupNode *group)
{
    editor.document.selection.start = {group->GetFirstMathSubnode(), 0};
    editor.document.selection.end = editor.document.selection.start;
}

void PutCaretAfter(Editor &editor, MathNode *node)
{
    editor.document.selection.start = {node, node->GetEndIndex()};
    editor.document.selection.end = editor.document.selection.start;
}

// The common frame: one batch in which the structure goes in at the selection, the selected nodes
// into the group (deleted without one), then the caret placed. Refused by the nesting guard, the
// structure is deleted and the batch leaves no step.
template <typename PlaceCaret>
bool InsertInBatch(Editor &editor, MathNode *structure, GroupNode *group, PlaceCaret placeCaret)
{
    // A refusal comes before the batch: no snapshot of a document at the limit is written for it.
    if (!editor.CanInsertStructure(structure, group))
    {
        delete structure;
        return false;
    }
    editor.BeginEditBatch();
    bool inserted = editor.InsertStructure(structure, group);
    if (inserted)
    {
        placeCaret();
        editor.movingEnd = 0;
    }
    else
    {
        delete structure;
    }
    editor.EndEditBatch();
    return inserted;
}

bool InsertInBatch(Editor &editor, MathNode *structure, GroupNode *group)
{
    return InsertInBatch(editor, structure, group, [] {});
}

}  // namespace

bool Editor::InsertFence(uint32_t left, uint32_t right, uint32_t middle, int32_t bodyGroupCount)
{
    auto *bracket = new BracketNode(left, right, middle);
    TakeEquationColor(*this, bracket);
    GroupNode *first = bracket->AddBodyGroup();
    for (int32_t i = 1; i < bodyGroupCount; ++i) bracket->AddBodyGroup();
    return InsertInBatch(*this, bracket, first);
}

bool Editor::InsertSubscript(bool pre, bool alwaysNew) { return InsertScript(pre, alwaysNew, true); }

bool Editor::InsertSuperscript(bool pre, bool alwaysNew) { return InsertScript(pre, alwaysNew, false); }

bool Editor::InsertScript(bool pre, bool alwaysNew, bool subscript)
{
    Selection &selection = document.selection;
    const Selection normalized = GetNormalizedSelection(selection);
    MathNode *start = normalized.start.node;
    if (start == nullptr) return false;
    const MathNode *parent = start->GetSuperMathNode();
    // A new slot and its row two levels below the row; a selection moves that deep too.
    if (!FitsNestingLimit(parent, 2, nullptr, nullptr)) return false;
    if (start != normalized.end.node && !FitsNestingLimit(parent, 2, start->GetNextMathNode(), normalized.end.node))
        return false;

    BeginEditBatch();
    (void)SplitRunsAtSelection();
    // The start node stands before the selection now; the new node goes after it even when the
    // selection then moves away.
    start = selection.start.node;
    ScriptNode *scripts = nullptr;
    if (!alwaysNew)
    {
        MathNode *candidate = pre ? selection.end.node->GetNextMathNode() : start;
        if (candidate != nullptr && candidate->GetKind() == kScriptKind)
        {
            auto *found = static_cast<ScriptNode *>(candidate);
            bool fits = subscript ? found->GetSubscripts() == nullptr && found->pre == pre
                                  : found->GetSuperscripts() == nullptr && (pre ? found->pre : true);
            if (fits) scripts = found;
        }
    }
    bool isNew = scripts == nullptr;
    if (isNew) scripts = new ScriptNode(pre);
    GroupNode *group = subscript ? scripts->GetOrCreateSubscripts() : scripts->GetOrCreateSuperscripts();
    if (IsCollapsed(selection))
        PutCaretAtStart(*this, group);
    else
        (void)MoveSelectionIntoGroup(group);
    if (isNew) static_cast<TreeNode *>(start->GetSuperNode())->InsertSubnodeAfter(scripts, start);
    movingEnd = 0;
    EndEditBatch();
    return true;
}

bool Editor::InsertFraction(uint32_t type, bool small, bool atop)
{
    auto *fraction = new FractionNode(type, small, atop);
    TakeEquationColor(*this, fraction);
    GroupNode *numerator = fraction->GetOrCreateNumerator();
    fraction->GetOrCreateDenominator();
    return InsertInBatch(*this, fraction, numerator);
}

bool Editor::InsertRadical(bool withDegree, const char *degreeText)
{
    auto *radical = new RadicalNode;
    TakeEquationColor(*this, radical);
    GroupNode *radicand = radical->GetOrCreateMainGroup();
    GroupNode *degree = withDegree ? radical->GetOrCreateDegree() : nullptr;
    bool withText = degree != nullptr && degreeText != nullptr;
    if (withText)
    {
        auto *run = new SymbolRunNode('nmbr', 'uprt');
        run->noSlantCorrection = !settings.preferences.options[kOptionAccentItalicShift];
        run->noBoldMarks = !settings.preferences.options[kOptionBoldAccents];
        run->text.SetTextMax(degreeText, int32_t(std::strlen(degreeText)));
        degree->AppendSubnode(run);
    }
    return InsertInBatch(*this, radical, radicand, [&] {
        if (withText)
            PutCaretAtStart(*this, radicand);
        else if (degree != nullptr)
            PutCaretAtStart(*this, degree);
    });
}

bool Editor::InsertLongDivision(bool withQuotient)
{
    auto *division = new LongDivisionNode;
    TakeEquationColor(*this, division);
    GroupNode *dividend = division->GetOrCreateSlot(0);
    if (withQuotient) division->GetOrCreateQuotient();
    return InsertInBatch(*this, division, dividend);
}

bool Editor::InsertWideMark(uint32_t type, bool under, bool withLabel)
{
    auto *mark = new WideMarkNode(type, under);
    mark->small = false;
    TakeEquationColor(*this, mark);
    GroupNode *body = mark->GetOrCreateMainGroup();
    if (withLabel) mark->GetOrCreateLabel();
    return InsertInBatch(*this, mark, body);
}

bool Editor::InsertStack(bool withLower, bool withUpper)
{
    const Selection selection = GetNormalizedSelection(document.selection);
    if (!withLower && !withUpper && selection.start.node != nullptr)
    {
        // The whole base of a label-less stack selected: that stack is what this would make.
        MathNode *group = selection.start.node->GetSuperMathNode();
        MathNode *owner = group != nullptr ? group->GetSuperMathNode() : nullptr;
        if (owner != nullptr && owner->GetKind() == kStackKind)
        {
            auto *stack = static_cast<StackNode *>(owner);
            MathNode *last = group->GetLastMathSubnode();
            if (stack->GetBase() == group && stack->GetLower() == nullptr && stack->GetUpper() == nullptr &&
                selection.start.node == group->GetFirstMathSubnode() && selection.start.index == 0 &&
                selection.end.node == last && selection.end.index == last->GetEndIndex())
                return false;
        }
    }
    auto *stack = new StackNode;
    stack->small = false;
    GroupNode *base = stack->GetOrCreateMainGroup();
    if (withLower) stack->GetOrCreateLower();
    if (withUpper) stack->GetOrCreateUpper();
    if (!withLower && !withUpper) base->baselineRow = kBaselineMiddle;
    return InsertInBatch(*this, stack, base);
}

bool Editor::InsertStrike(uint32_t type)
{
    auto *strike = new StrikeNode(type);
    TakeEquationColor(*this, strike);
    return InsertInBatch(*this, strike, strike->GetOrCreateMainGroup());
}

bool Editor::InsertBox(uint32_t type)
{
    auto *box = new BoxNode(type);
    TakeEquationColor(*this, box);
    return InsertInBatch(*this, box, box->GetOrCreateMainGroup());
}

namespace {

// Iterations and integrals: the body receives the selection; with limits the caret goes to the
// start of the lower limit, else of the upper.
template <typename LargeOperator>
bool InsertLargeOperator(Editor &editor, LargeOperator *node, bool withLower, bool withUpper)
{
    TakeEquationColor(editor, node);
    GroupNode *body = node->GetOrCreateBody();
    GroupNode *lower = withLower ? node->GetOrCreateLower() : nullptr;
    GroupNode *upper = withUpper ? node->GetOrCreateUpper() : nullptr;
    return InsertInBatch(editor, node, body, [&] {
        if (GroupNode *limit = lower != nullptr ? lower : upper) PutCaretAtStart(editor, limit);
    });
}

}  // namespace

bool Editor::InsertIteration(uint32_t codePoint, bool inlineLimits, bool withLower, bool withUpper)
{
    return InsertLargeOperator(*this, new IterationNode(codePoint, false, inlineLimits), withLower, withUpper);
}

bool Editor::InsertIntegral(uint32_t codePoint, bool inlineLimits, bool withLower, bool withUpper)
{
    auto *integral = new IntegralNode(codePoint, false, inlineLimits);
    integral->grow = settings.preferences.options[kOptionGrowableIntegrals];
    return InsertLargeOperator(*this, integral, withLower, withUpper);
}

namespace {

// A label's "al": the row alignments a group reads back, anything else the default 0.
uint32_t GetLabelAlignment(int32_t value)
{
    auto alignment = uint32_t(value);
    return alignment == kAlignLeft || alignment == kAlignCentre || alignment == kAlignRight ? alignment : 0;
}

}  // namespace

bool Editor::InsertArrow(const ArrowPartLists &parts, int32_t upperAlignment, int32_t lowerAlignment)
{
    auto *arrow = new ArrowNode;
    TakeEquationColor(*this, arrow);
    GroupNode *upper = nullptr;
    GroupNode *lower = nullptr;
    if (upperAlignment != -1)
    {
        upper = arrow->GetOrCreateUpperLabel();
        upper->alignment = GetLabelAlignment(upperAlignment);
    }
    if (lowerAlignment != -1)
    {
        lower = arrow->GetOrCreateLowerLabel();
        lower->alignment = GetLabelAlignment(lowerAlignment);
    }
    GroupNode *receiving = upper != nullptr ? upper : lower;
    return InsertInBatch(*this, arrow, receiving, [&] {
        arrow->SetParts(parts.count, parts.kinds, parts.leftCounts, parts.rightCounts, parts.middleCounts,
                        parts.leftItems, parts.rightItems, parts.middleItems);
        if (receiving == nullptr) PutCaretAfter(*this, arrow);
    });
}

bool Editor::InsertBond(const uint32_t *styles, const uint32_t *angleModes)
{
    auto *bond = new BondNode;
    GroupNode *main = bond->GetOrCreateMainGroup();
    for (int32_t place = 0; place < kBondPlaceCount; ++place)
    {
        bond->styles[place] = styles[place];
        bond->angleModes[place] = angleModes[place];
        if (place < kBondLabelCount && styles[place] != 0) bond->GetOrCreateSlot(place + 1);
    }
    return InsertInBatch(*this, bond, main);
}

bool Editor::InsertMatrix(int32_t rows, int32_t columns, uint32_t alignment, bool equalHeights, bool equalWidths,
                          bool rowGaps, bool columnGaps)
{
    rows = std::clamp(rows, 1, kMaxMatrixCount);
    columns = std::clamp(columns, 1, kMaxMatrixCount);
    auto *matrix = new MatrixNode(rows, columns);
    // The cells are made before the insertion so that the nesting guard sees their rows.
    for (int32_t i = 0; i < rows * columns; ++i) MatrixNode::InsertCell(matrix, nullptr);
    auto *first = static_cast<GroupNode *>(matrix->GetFirstMathSubnode());
    return InsertInBatch(*this, matrix, nullptr, [&] {
        PutCaretAtStart(*this, first);
        matrix->alignment = alignment;
        matrix->middleBaseline = rows % 2 == 1;
        matrix->equalHeights = equalHeights;
        matrix->equalWidths = equalWidths;
        matrix->rowGaps = rowGaps;
        matrix->columnGaps = columnGaps;
    });
}

bool Editor::InsertPhantom(uint32_t type)
{
    Selection &selection = document.selection;
    const Selection normalized = GetNormalizedSelection(selection);
    MathNode *start = normalized.start.node;
    if (start == nullptr) return false;
    bool collapsed = IsCollapsed(normalized);
    if (collapsed)
    {
        uint32_t kind = start->GetKind();
        if (kind == kAlignmentMarkKind || kind == kRowBeginKind || kind == kPhantomKind) return false;
    }
    // The phantom's row begins one level below the row, the moved nodes with it.
    const MathNode *parent = start->GetSuperMathNode();
    const MathNode *first = collapsed ? start : start->GetNextMathNode();
    const MathNode *last = collapsed ? start : normalized.end.node;
    if (!collapsed && start == last) first = last = nullptr;
    if (!FitsNestingLimit(parent, 1, first, last)) return false;

    BeginEditBatch();
    (void)SplitRunsAtSelection();
    auto *phantom = new PhantomNode;
    phantom->phantomType = type;
    phantom->AppendSubnode(new RowBeginNode);
    MathNode *end = selection.end.node;
    static_cast<TreeNode *>(end->GetSuperNode())->InsertSubnodeAfter(phantom, end);
    if (collapsed)
    {
        MathNode *moved = end;
        if (SymbolRunNode *run = AsRun(end))
        {
            // Only a run's last character goes in.
            int32_t length = run->text.GetLength();
            int32_t size = GetPreviousUtf8CharSize(run->text.GetText() + length, length);
            if (size > 0 && size < length) moved = run->SplitAt(length - size);
        }
        MoveNodeInto(moved, phantom);
    }
    else if (selection.start.node != end)
    {
        for (;;)
        {
            MathNode *node = selection.start.node->GetNextMathNode();
            MoveNodeInto(node, phantom);
            if (node == end) break;
        }
    }
    PutCaretAfter(*this, phantom);
    movingEnd = 0;
    EndEditBatch();
    return true;
}

}  // namespace oq
