// The slot groups every structure kind shares: checks, copies, navigation, creation and writing.
#include "editor/structures/StructureNode.h"

#include "editor/document/GlyphLayout.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/platform/DisplayItems.h"

namespace oq {

bool AcceptGroupSubstructure(const KettricStructure *structure)
{
    const MathNode *node = MathNode::FromStructure(structure);
    return node != nullptr && node->GetKind() == kGroupKind;
}

StructureNode::StructureNode(uint32_t kind, const SlotGroupRow *rows, int32_t rowCount, bool anyRequired)
    : ColoredMathNode(kind), slotRows(rows), slotRowCount(rowCount < kMaxSlots ? rowCount : kMaxSlots),
      anySlotRequired(anyRequired)
{
}

StructureNode::StructureNode(const StructureNode &node)
    : ColoredMathNode(node), slotRows(node.slotRows), slotRowCount(node.slotRowCount),
      anySlotRequired(node.anySlotRequired)
{
}

bool StructureNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return AcceptGroupSubstructure(structure);
}

KettricResult StructureNode::ResolveData(KettricDocument *document)
{
    KettricResult result = ColoredMathNode::ResolveData(document);
    KettricResult slotResult = FindSlots(true);
    return result != 0 ? result : slotResult;
}

KettricResult StructureNode::FindSlots(bool check)
{
    for (int32_t i = 0; i < slotRowCount; ++i) slots[i] = nullptr;
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() != kGroupKind) continue;
        auto *group = static_cast<GroupNode *>(node);
        for (int32_t i = 0; i < slotRowCount; ++i)
        {
            if (slotRows[i].role != group->role) continue;
            if (check && slots[i] != nullptr) return kResultExtraSlotGroup;
            slots[i] = group;
            break;
        }
    }
    if (!check) return 0;
    bool any = false;
    for (int32_t i = 0; i < slotRowCount; ++i)
    {
        if (slots[i] != nullptr) any = true;
        else if (slotRows[i].required && !anySlotRequired) return kResultMissingSlotGroup;
    }
    if (anySlotRequired && !any) return kResultMissingSlotGroup;
    return 0;
}

DocumentNode *StructureNode::DeepCopy()
{
    DocumentNode *copy = DocumentNode::DeepCopy();
    if (auto *structure = dynamic_cast<StructureNode *>(copy)) static_cast<void>(structure->FindSlots(false));
    return copy;
}

GroupNode *StructureNode::GetSlot(int32_t index) const
{
    return (index >= 0 && index < slotRowCount) ? slots[index] : nullptr;
}

int32_t StructureNode::FindSlotIndex(const GroupNode *group) const
{
    if (group == nullptr) return -1;
    for (int32_t i = 0; i < slotRowCount; ++i)
    {
        if (slots[i] == group) return i;
    }
    return -1;
}

void StructureNode::AppendOutlineItem(const Design *design, DisplayList *list, int32_t count,
                                      const QuadraticBezier2D *curves, bool fill) const
{
    if (count <= 0) return;
    uint32_t color = GetNodeColorWord(design, paletteIndex, colorValue);
    if (fill) list->Append(new FillPathItem(absolutePosition, count, curves, color));
    else list->Append(new ExportCurveItem(absolutePosition, count, curves, color));
}

void StructureNode::BeginSpacedMeasure(const Design *design, float *em, float *mu)
{
    width = 0.0f;
    bottom = 0.0f;
    top = 0.0f;
    *em = GetEm(design);
    *mu = *em / 18.0f;
    float exterior = *mu * GetGroupParam(design, GetKind(), 'exsp');
    leftSpacing = GetSpaceBefore(this, exterior, true);
    rightSpacing = GetSpaceAfter(this, exterior, true);
}

GroupNode *StructureNode::CreateSlotGroup(int32_t index)
{
    auto *group = new GroupNode(slotRows[index].role);
    slots[index] = group;
    AppendSubnode(group);
    auto *rowBegin = new RowBeginNode;
    rowBegin->lineGap = -1.0f;
    group->AppendSubnode(rowBegin);
    return group;
}

GroupNode *StructureNode::GetOrCreateSlot(int32_t index)
{
    if (index < 0 || index >= slotRowCount) return nullptr;
    return slots[index] != nullptr ? slots[index] : CreateSlotGroup(index);
}

void StructureNode::DeleteSlot(int32_t index)
{
    if (index < 0 || index >= slotRowCount || slots[index] == nullptr) return;
    GroupNode *group = slots[index];
    slots[index] = nullptr;
    delete group;
}

GroupNode *StructureNode::GetOrCreateMainGroup()
{
    for (int32_t i = 0; i < slotRowCount; ++i)
    {
        if (slotRows[i].role == 0) return GetOrCreateSlot(i);
    }
    return nullptr;
}

void StructureNode::SetSlotScale(GroupNode *group, float factor, uint8_t step, uint8_t depth)
{
    if (group == nullptr) return;
    group->sizeFactor = depth >= 2 ? 1.0f : factor;
    group->scriptStep = depth >= 2 ? 0 : step;
}

GroupNode *StructureNode::GetFirstGroup() const
{
    for (int32_t i = 0; i < slotRowCount; ++i)
    {
        if (slots[i] != nullptr) return slots[i];
    }
    return nullptr;
}

GroupNode *StructureNode::GetLastGroup() const
{
    for (int32_t i = slotRowCount - 1; i >= 0; --i)
    {
        if (slots[i] != nullptr) return slots[i];
    }
    return nullptr;
}

GroupNode *StructureNode::GetPreviousGroup(const GroupNode *group) const
{
    int32_t index = FindSlotIndex(group);
    for (int32_t i = index - 1; index > 0 && i >= 0; --i)
    {
        if (slots[i] != nullptr) return slots[i];
    }
    return nullptr;
}

GroupNode *StructureNode::GetNextGroup(const GroupNode *group) const
{
    int32_t index = FindSlotIndex(group);
    for (int32_t i = index + 1; index >= 0 && i < slotRowCount; ++i)
    {
        if (slots[i] != nullptr) return slots[i];
    }
    return nullptr;
}

bool StructureNode::TakesPartInSpacing() const
{
    return true;
}

int32_t AppendPolygonCurves(const Point2D *points, int32_t count, QuadraticBezier2D *output)
{
    for (int32_t i = 0; i < count; ++i) output[i] = MakeLineCurve(points[i], points[(i + 1) % count]);
    return count;
}

namespace {

uint8_t SlotDisplayStyle(SlotStyle style, uint8_t current)
{
    if (style == SlotStyle::kCleared) return 0;
    if (style == SlotStyle::kSet) return 1;
    return current;
}

}  // namespace

void WriteSlotGroupLatex(const GroupNode *group, SlotStyle style, MathWriterState *state, TextString *output)
{
    if (group == nullptr) return;
    uint8_t saved = state->displayStyle;
    state->displayStyle = SlotDisplayStyle(style, saved);
    group->WriteLatex(state, output);
    state->displayStyle = saved;
}

void WriteUnderOverLatexOpening(const GroupNode *lower, const GroupNode *upper, MathWriterState *state,
                                TextString *output)
{
    if (lower != nullptr)
    {
        output->AppendText("\\underset{");
        state->controlWord = 0;
        WriteSlotGroupLatex(lower, SlotStyle::kCleared, state, output);
        output->AppendText("}");
        state->controlWord = 0;
    }
    if (upper != nullptr)
    {
        output->AppendText(lower != nullptr ? "{\\overset{" : "\\overset{");
        state->controlWord = 0;
        WriteSlotGroupLatex(upper, SlotStyle::kCleared, state, output);
        output->AppendText("}");
        state->controlWord = 0;
    }
}

void WriteSlotGroupMathML(const GroupNode *group, SlotStyle style, MathWriterState *state, TextString *output)
{
    if (group == nullptr) return;
    uint8_t saved = state->displayStyle;
    state->displayStyle = SlotDisplayStyle(style, saved);
    group->WriteMathML(state, output);
    state->displayStyle = saved;
}

}  // namespace oq
