// Marks, negations, slashes and enclosures on the character before the caret, and primes.
#include "editor/editing/Editor.h"

#include "base/TextUtils.h"
#include "editor/document/EnclosureNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MarkNode.h"
#include "editor/document/NegationNode.h"
#include "editor/document/SlashNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/editing/CaretRules.h"
#include "editor/fonts/Preferences.h"
#include "editor/structures/PrimeNode.h"
#include "kettric/KettricStructure.h"

namespace oq {

namespace {

bool IsScalarValue(uint32_t codePoint)
{
    return codePoint != 0 && codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
}

// Whether the node's colour is the editor's current equation colour.
bool HasColor(const ColoredMathNode *node, const EditorColor &color)
{
    return node->paletteIndex >= 0 ? node->paletteIndex == color.paletteIndex : node->colorValue == color.color;
}

void TakeColor(ColoredMathNode *node, const EditorColor &color)
{
    node->paletteIndex = color.paletteIndex;
    node->colorValue = color.color;
}

// Whether the run holds a decoration of the kind, of the type unless that is 0.
bool HasDecoration(const SymbolRunNode *run, uint32_t kind, uint32_t type)
{
    for (const MathNode *node = run->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kind && (type == 0 || static_cast<const DecorationNode *>(node)->type == type))
            return true;
    }
    return false;
}

// The combinations of a prime added to a prime: the added one, the one there, the result.
struct PrimeCombination
{
    uint32_t added;
    uint32_t existing;
    uint32_t result;
};
constexpr PrimeCombination kPrimeCombinations[] = {
    {0x2032, 0x2032, 0x2033}, {0x2032, 0x2033, 0x2034}, {0x2032, 0x2034, 0x2057},
    {0x2033, 0x2032, 0x2034}, {0x2033, 0x2033, 0x2057}, {0x2034, 0x2032, 0x2057},
};

// The run whose character before the selection end a decoration goes on; null when the end is
// not in a run or the decoration would nest deeper than a document may.
SymbolRunNode *GetDecoratedRun(Editor &editor)
{
    editor.NormalizeSelectionEnds();
    const CaretPosition &end = editor.document.selection.end;
    if (end.node == nullptr || end.node->GetKind() != kSymbolRunKind) return nullptr;
    auto *run = static_cast<SymbolRunNode *>(end.node);
    if (end.index <= 0 || end.index > run->text.GetLength()) return nullptr;
    // The decoration one level below the run, its code point list two.
    if (run->GetNodeDepth() + 2 > kKettricMaxNestingDepth) return nullptr;
    return run;
}

// One step that cuts the character before the selection end out of the run and decorates it.
bool DecorateRun(Editor &editor, SymbolRunNode *run, ColoredMathNode *decoration)
{
    Selection &selection = editor.document.selection;
    editor.BeginEditBatch();
    bool collapsed = IsCollapsed(selection);
    int32_t index = selection.end.index;
    int32_t size = GetPreviousUtf8CharSize(run->text.GetText() + index, index);
    if (size < run->text.GetLength())
    {
        if (index < run->text.GetLength()) run->SplitAt(index);
        if (index - size > 0) run = run->SplitAt(index - size);
        selection.end = {run, run->text.GetLength()};
        if (collapsed) selection.start = selection.end;
    }
    TakeColor(decoration, editor.settings.state.toolPanel.equationColor);
    run->AppendSubnode(decoration);
    if (!collapsed)
    {
        MathNode *previous = run->GetPreviousMathNode();
        selection.start = {previous, previous->GetEndIndex()};
    }
    editor.movingEnd = 0;
    editor.EndEditBatch();
    return true;
}

// Decorates with a negation, slash or enclosure of the type (the node is taken, or deleted on a
// refusal): refused when the run has one of the kind of the repeated type (0: of any type), or
// the type is not one of the kind's.
bool AddTypedDecoration(Editor &editor, DecorationNode *decoration, uint32_t type, uint32_t repeatedType)
{
    SymbolRunNode *run = GetDecoratedRun(editor);
    if (run == nullptr || HasDecoration(run, decoration->GetKind(), repeatedType) || !decoration->IsKindType(type))
    {
        delete decoration;
        return false;
    }
    decoration->type = type;
    return DecorateRun(editor, run, decoration);
}

}  // namespace

bool Editor::AddMark(uint32_t codePoint, bool below)
{
    if (!IsScalarValue(codePoint)) return false;
    SymbolRunNode *run = GetDecoratedRun(*this);
    if (run == nullptr) return false;
    auto *mark = new MarkNode;
    mark->codePoint = codePoint;
    mark->under = below;
    return DecorateRun(*this, run, mark);
}

bool Editor::AddNegation(uint32_t kind) { return AddTypedDecoration(*this, new NegationNode, kind, kind); }

bool Editor::AddSlash(uint32_t kind) { return AddTypedDecoration(*this, new SlashNode, kind, kind); }

bool Editor::AddEnclosure(uint32_t kind) { return AddTypedDecoration(*this, new EnclosureNode, kind, 0); }

bool Editor::AddPrime(uint32_t codePoint)
{
    Selection &selection = document.selection;
    if (!IsScalarValue(codePoint) || selection.start.node == nullptr) return false;
    // The prime at the level of the caret node, its code point list one below.
    if (selection.start.node->GetNodeDepth() + 1 > kKettricMaxNestingDepth) return false;
    BeginEditBatch();
    (void)SplitRunsAtSelection();
    (void)DeleteSelectionRange();
    MathNode *caret = selection.start.node;
    if (caret->GetKind() == kSymbolRunKind)
    {
        auto *run = static_cast<SymbolRunNode *>(caret);
        if (selection.start.index > 0 && selection.start.index < run->text.GetLength())
            run->SplitAt(selection.start.index);
    }
    const EditorColor &color = settings.state.toolPanel.equationColor;
    if (caret->GetKind() == kPrimeKind && HasColor(static_cast<PrimeNode *>(caret), color))
    {
        auto *prime = static_cast<PrimeNode *>(caret);
        for (const PrimeCombination &combination : kPrimeCombinations)
        {
            if (combination.added != codePoint || combination.existing != prime->codePoint) continue;
            prime->codePoint = combination.result;
            EndEditBatch();
            return true;
        }
    }
    auto *prime = new PrimeNode;
    prime->codePoint = codePoint;
    prime->noBold = !settings.preferences.options[kOptionBoldPrimes];
    TakeColor(prime, color);
    static_cast<TreeNode *>(caret->GetSuperNode())->InsertSubnodeAfter(prime, caret);
    selection.start = {prime, 0};
    selection.end = selection.start;
    movingEnd = 0;
    EndEditBatch();
    return true;
}

bool Editor::RunDecorationCharacter(uint8_t characterClass, uint32_t codePoint)
{
    switch (characterClass)
    {
    case 'C':
        return AddEnclosure(codePoint == 0x20DD ? 'circ' : 'squa');
    case 'K':
        return AddNegation(codePoint == 0x0338 ? 'frwd' : codePoint == 0x20E5 ? 'bkwd' : 'vert');
    case 'P':
        return AddPrime(codePoint);
    case 'Y':
    case 'Z':
        return AddMark(codePoint, characterClass == 'Z');
    default:
        return false;
    }
}

}  // namespace oq
