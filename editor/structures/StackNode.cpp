// Stacks: reading and writing, limits over and under the base with the base's edge spacing, and the
// text forms.
#include "editor/structures/StackNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/structures/InkReference.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

constexpr SlotGroupRow kStackSlots[3] = {{0, true}, {kStackLowerRole, false}, {kStackUpperRole, false}};

float StackParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kStackKind, key);
}

}  // namespace

StackNode::StackNode() : StructureNode(kStackKind, kStackSlots, 3)
{
    passesSpacingThrough = true;
}

StackNode::StackNode(const StackNode &node) : StructureNode(node), small(node.small)
{
    passesSpacingThrough = true;
}

bool StackNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                              void **storage)
{
    if (std::strcmp(identifier, "sm") != 0) return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    *type = 'BOOL';
    *storage = &small;
    return true;
}

DocumentNode *StackNode::Clone() const
{
    return new StackNode(*this);
}

bool StackNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (small) writer.WriteFlag("sm");
    return writer.Opened();
}

void StackNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "St");
}

void StackNode::LayoutBeforeChildren(const Design *design)
{
    uint32_t key = small ? (scriptDepth == 0 ? 'ssc0' : 'ssc1') : (scriptDepth == 0 ? 'scl0' : 'scl1');
    float factor = StackParam(design, key);
    for (GroupNode *limit : {GetLower(), GetUpper()})
    {
        if (limit == nullptr) continue;
        SetSlotScale(limit, factor, 1, scriptDepth);
        limit->defaultAlignment = kAlignCentre;
    }
    GroupNode *base = GetBase();
    if (base == nullptr) return;
    const GroupNode *enclosing = GetEnclosingGroup();
    const MathNode *previous = FindPrevSpacingNeighbor(this);
    const MathNode *next = FindNextSpacingNeighbor(this);
    bool atStart = previous != nullptr && previous->GetKind() == kRowBeginKind;
    bool atEnd = next == nullptr || next->GetKind() == kRowBeginKind;
    base->spaceAtRowStart = atStart && enclosing != nullptr && enclosing->spaceAtRowStart;
    base->spaceAtRowEnd = atEnd && enclosing != nullptr && enclosing->spaceAtRowEnd;
}

void StackNode::Measure(const Design *design)
{
    leftInset = rightInset = leftSpacing = rightSpacing = 0.0f;
    width = 0.0f;
    bottom = 0.0f;
    top = 0.0f;
    GroupNode *base = GetBase();
    if (base == nullptr) return;
    GroupNode *lower = GetLower();
    GroupNode *upper = GetUpper();
    float em = GetEm(design);
    float mu = em / 18.0f;
    float capital = em * GetGeneralParam(design, 'cptl');

    // 1. The base's edge runs lend the stack their insets and spacings.
    const MathNode *first = base->GetFirstMathSubnode();
    first = first != nullptr ? first->GetNextMathNode() : nullptr;
    if (first != nullptr && first->GetKind() == kSymbolRunKind)
    {
        leftInset = first->leftInset;
        leftSpacing = first->leftSpacing;
    }
    const MathNode *last = base->GetLastMathSubnode();
    if (last != nullptr && last->GetKind() == kSymbolRunKind)
    {
        rightInset = last->rightInset;
        rightSpacing = last->rightSpacing;
    }
    float dl = leftSpacing;
    float dr = rightSpacing;

    // 2, 3. A stack without limits puts the base's baseline row on its own baseline.
    float e = (lower == nullptr && upper == nullptr) ? base->GetBaselineOffset(design) : 0.0f;
    bottom = std::min(base->bottom, 0.0f) + e;
    top = std::max(capital, base->top) + e;
    float baseInner = base->width - dl - dr;
    float inner = std::max(baseInner, std::max(lower != nullptr ? lower->width : 0.0f,
                                               upper != nullptr ? upper->width : 0.0f));
    width = dl + dr + inner;
    base->position = Point2D((inner - baseInner) * 0.5f, e);

    // 4. The reference the limits keep their distance from.
    float referenceBottom = base->bottom;
    float referenceTop = base->top;
    bool ink = small && FindInkReference(base, capital, &referenceBottom, &referenceTop);
    float spacing = mu * StackParam(design, small ? 'svsp' : 'vtsp');
    float gap = mu * StackParam(design, small ? 'svgp' : 'vtgp');

    // 5. The lower limit.
    if (lower != nullptr)
    {
        float y0 = (ink ? referenceBottom : 0.0f) - spacing - lower->sizeFactor * capital;
        float y = y0 - std::max(0.0f, gap - (referenceBottom - (y0 + lower->top)));
        lower->position = Point2D((inner - lower->width) * 0.5f + dl, y);
        bottom = std::min(bottom, y + lower->bottom);
    }
    // 6. The upper limit.
    if (upper != nullptr)
    {
        float from = ink ? referenceTop : capital;
        float y0 = from + spacing - upper->GetLastRowBaseline();
        float y = y0 + std::max(0.0f, gap - (y0 + upper->bottom - referenceTop));
        upper->position = Point2D((inner - upper->width) * 0.5f + dl, y);
        top = std::max(top, y + upper->top);
    }
}

bool StackNode::HasVariant() const
{
    return true;
}

void StackNode::CycleVariant()
{
    static_cast<void>(ToggleSmall());
}

bool StackNode::ToggleSmall()
{
    small = !small;
    return small;
}

GroupNode *StackNode::GetGroupAbove(const GroupNode *group) const
{
    if (group == nullptr) return nullptr;
    if (group == GetLower()) return GetBase();
    if (group == GetBase()) return GetUpper();
    return nullptr;
}

GroupNode *StackNode::GetGroupBelow(const GroupNode *group) const
{
    if (group == nullptr) return nullptr;
    if (group == GetUpper()) return GetBase();
    if (group == GetBase()) return GetLower();
    return nullptr;
}

void StackNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    const GroupNode *lower = GetLower();
    const GroupNode *upper = GetUpper();
    WriteUnderOverLatexOpening(lower, upper, state, output);
    output->AppendText("{");
    state->controlWord = 0;
    WriteSlotGroupLatex(GetBase(), SlotStyle::kUnchanged, state, output);
    output->AppendText(lower != nullptr && upper != nullptr ? "}}" : "}");
    state->controlWord = 0;
}

void StackNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    const GroupNode *lower = GetLower();
    const GroupNode *upper = GetUpper();
    if (lower == nullptr && upper == nullptr)
    {
        WriteSlotGroupMathML(GetBase(), SlotStyle::kUnchanged, state, output);
        return;
    }
    const char *element = lower == nullptr ? "mover" : upper == nullptr ? "munder" : "munderover";
    output->AppendText("<mstyle movablelimits=\"false\"><");
    output->AppendText(element);
    output->AppendText(">");
    WriteSlotGroupMathML(GetBase(), SlotStyle::kUnchanged, state, output);
    if (lower != nullptr) WriteSlotGroupMathML(lower, SlotStyle::kCleared, state, output);
    if (upper != nullptr) WriteSlotGroupMathML(upper, SlotStyle::kCleared, state, output);
    output->AppendText("</");
    output->AppendText(element);
    output->AppendText("></mstyle>");
}

}  // namespace oq
