// Fractions: the three forms' layout with their bar or slash, the items and the text forms.
#include "editor/structures/FractionNode.h"

#include "editor/document/GlyphLayout.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/RowBeginNode.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/DisplayItems.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace oq {

namespace {

constexpr SlotGroupRow kFractionSlots[2] = {{kNumeratorRole, true}, {kDenominatorRole, true}};

float FractionParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kFractionKind, key);
}

// The "sm"-indexed member of a parameter pair.
float PairParam(const Design *design, uint32_t full, uint32_t smallKey, bool small)
{
    return FractionParam(design, small ? smallKey : full);
}

// The x a group takes inside a bar of width w starting at the left spacing, by its alignment.
float AlignedX(const GroupNode *group, float left, float barWidth, float inner)
{
    uint32_t alignment = group->alignment;
    if (alignment == 0 || alignment == kAlignCentre) return left + (barWidth - group->width) * 0.5f;
    if (alignment == kAlignRight) return left + barWidth - group->width - inner;
    return left + inner;
}

}  // namespace

FractionNode::FractionNode(uint32_t type, bool isSmall, bool isAtop)
    : StructureNode(kFractionKind, kFractionSlots, 2), fractionType(type), small(isSmall), atop(isAtop)
{
}

FractionNode::FractionNode(const FractionNode &node)
    : StructureNode(node), fractionType(node.fractionType), small(node.small), atop(node.atop), noSlant(node.noSlant)
{
}

bool FractionNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                 void **storage)
{
    if (std::strcmp(identifier, "t") == 0)
    {
        *type = 'UI32';
        *storage = &fractionType;
        return true;
    }
    const struct
    {
        const char *name;
        bool *flag;
    } flags[] = {{"sm", &small}, {"at", &atop}, {"ns", &noSlant}};
    for (const auto &flag : flags)
    {
        if (std::strcmp(identifier, flag.name) != 0) continue;
        *type = 'BOOL';
        *storage = flag.flag;
        return true;
    }
    return ColoredMathNode::CheckProperty(document, identifier, type, storage);
}

KettricResult FractionNode::ResolveData(KettricDocument *document)
{
    KettricResult result = StructureNode::ResolveData(document);
    if (fractionType == kFractionHorizontal) small = false;
    else if (fractionType != kFractionDiagonal) fractionType = kFractionVertical;
    return result;
}

DocumentNode *FractionNode::Clone() const
{
    return new FractionNode(*this);
}

bool FractionNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (fractionType != kFractionVertical) writer.WriteFourCC("t", fractionType);
    if (small) writer.WriteFlag("sm");
    if (atop) writer.WriteFlag("at");
    if (noSlant) writer.WriteFlag("ns");
    return writer.Opened();
}

void FractionNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Fr");
}

void FractionNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    if (!atop) AppendOutlineItem(design, list, outlineCount, outline, false);
    StructureNode::BuildExportItems(design, list);
}

void FractionNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    if (!atop) AppendOutlineItem(design, list, outlineCount, outline, true);
    StructureNode::BuildPathItems(design, list);
}

void FractionNode::LayoutBeforeChildren(const Design *design)
{
    float factor = small ? FractionParam(design, 'scal') : 1.0f;
    GroupNode *numerator = GetNumerator();
    GroupNode *denominator = GetDenominator();
    for (GroupNode *group : {numerator, denominator})
    {
        if (group == nullptr) continue;
        group->sizeFactor = factor;
        group->scriptStep = small ? 1 : 0;
        group->defaultAlignment = kAlignCentre;
        group->spaceAtRowStart = false;
        group->spaceAtRowEnd = false;
    }
    if (fractionType != kFractionHorizontal) return;
    const GroupNode *enclosing = GetEnclosingGroup();
    if (enclosing == nullptr) return;
    const MathNode *previous = FindPrevSpacingNeighbor(this);
    const MathNode *next = FindNextSpacingNeighbor(this);
    if (numerator != nullptr && previous != nullptr && previous->GetKind() == kRowBeginKind)
        numerator->spaceAtRowStart = enclosing->spaceAtRowStart;
    if (denominator != nullptr && (next == nullptr || next->GetKind() == kRowBeginKind))
        denominator->spaceAtRowEnd = enclosing->spaceAtRowEnd;
}

void FractionNode::Measure(const Design *design)
{
    outlineCount = 0;
    width = 0.0f;
    bottom = 0.0f;
    top = 0.0f;
    float em = GetEm(design);
    float mu = em / 18.0f;
    float exterior = mu * FractionParam(design, 'exsp') * (small ? FractionParam(design, 'scal') : 1.0f);
    bool rowEdges = fractionType != kFractionHorizontal;
    float left = GetSpaceBefore(this, exterior, rowEdges);
    float right = GetSpaceAfter(this, exterior, rowEdges);
    leftSpacing = left;
    rightSpacing = right;
    if (GetNumerator() == nullptr || GetDenominator() == nullptr) return;
    if (fractionType == kFractionHorizontal) MeasureHorizontal(design, em, mu, left, right);
    else if (fractionType == kFractionDiagonal) MeasureDiagonal(design, em, mu, left, right);
    else MeasureVertical(design, em, mu, left, right);
}

void FractionNode::MeasureVertical(const Design *design, float em, float mu, float left, float right)
{
    GroupNode *numerator = GetNumerator();
    GroupNode *denominator = GetDenominator();
    float inner = mu * FractionParam(design, 'insp') * (small ? FractionParam(design, 'scal') : 1.0f);
    float barWidth = std::max(numerator->width, denominator->width) + 2.0f * inner;
    width = left + barWidth + right;

    float axis = em * GetGeneralParam(design, 'axis');
    float half = mu * FractionParam(design, 'rule') * 0.5f;
    float barBottom = axis - half;
    float barTop = axis + half;
    const Point2D corners[4] = {Point2D(left, barBottom), Point2D(left + barWidth, barBottom),
                                Point2D(left + barWidth, barTop), Point2D(left, barTop)};
    for (int32_t i = 0; i < 4; ++i) outline[i] = MakeLineCurve(corners[i], corners[(i + 1) % 4]);
    outlineCount = 4;

    float gap = mu * PairParam(design, 'vtg0', 'vtg1', small);
    float numeratorY = axis + mu * PairParam(design, 'nms0', 'nms1', small) - numerator->GetLastRowBaseline();
    numeratorY += std::max(0.0f, gap - (numeratorY + numerator->bottom - barTop));
    float capital = GetGeneralParam(design, 'cptl');
    float denominatorY =
        axis - (denominator->sizeFactor * capital + PairParam(design, 'dns0', 'dns1', small) / 18.0f) * em;
    denominatorY -= std::max(0.0f, gap - (barBottom - (denominatorY + denominator->top)));

    numerator->position = Point2D(AlignedX(numerator, left, barWidth, inner), numeratorY);
    denominator->position = Point2D(AlignedX(denominator, left, barWidth, inner), denominatorY);
    top = numeratorY + numerator->top;
    bottom = denominatorY + denominator->bottom;
}

void FractionNode::MeasureHorizontal(const Design *design, float em, float mu, float left, float right)
{
    GroupNode *numerator = GetNumerator();
    GroupNode *denominator = GetDenominator();
    float capital = GetGeneralParam(design, 'cptl');
    float inner = mu * FractionParam(design, 'sie0');
    float outer = mu * FractionParam(design, 'soe0');
    float spacing = mu * FractionParam(design, 'hzsp');
    float slashTop = std::max(em * capital + inner, std::max(numerator->top, denominator->top) + outer);
    float slashBottom = std::min(-inner, std::min(numerator->bottom, denominator->bottom) - outer);
    float run = (slashTop - slashBottom) / FractionParam(design, 'hslp');

    float before = 0.0f;
    float after = 0.0f;
    if (!noSlant)
    {
        const MathNode *last = numerator->GetLastMathSubnode();
        if (last != nullptr && last->GetKind() == kSymbolRunKind)
            before = em * static_cast<const SymbolRunNode *>(last)->GetEndSlantCorrection(design, capital * 0.5f);
        const MathNode *first = denominator->GetFirstMathSubnode();
        if (first != nullptr) first = first->GetNextMathNode();
        if (first != nullptr && first->GetKind() == kSymbolRunKind)
            after = -em * static_cast<const SymbolRunNode *>(first)->GetStartSlantCorrection(design, capital * 0.5f);
    }
    float x0 = left + numerator->width + spacing + before;
    float x1 = x0 + run;
    numerator->position = Point2D(left, 0.0f);
    denominator->position = Point2D(x1 + spacing + after, 0.0f);
    width = denominator->position.x + denominator->width + right;

    float rise = BuildSlash(Point2D(x0, slashBottom), Point2D(x1, slashTop), mu * FractionParam(design, 'slsh') * 0.5f);
    top = slashTop + std::max(rise, 0.0f);
    bottom = slashBottom - std::max(rise, 0.0f);
}

void FractionNode::MeasureDiagonal(const Design *design, float em, float mu, float left, float right)
{
    GroupNode *numerator = GetNumerator();
    GroupNode *denominator = GetDenominator();
    float capital = GetGeneralParam(design, 'cptl');
    float axisHeight = GetGeneralParam(design, 'axis');
    float spacing = mu * PairParam(design, 'dgs0', 'dgs1', small);
    float inner = mu * PairParam(design, 'sie0', 'sie1', small);
    float outer = mu * PairParam(design, 'soe0', 'soe1', small);
    float slope = FractionParam(design, 'dslp');
    float middle = left + numerator->width + spacing;
    width = middle + spacing + denominator->width + right;

    float axis = em * axisHeight;
    numerator->position = Point2D(left, axis - numerator->GetLastRowBaseline());
    denominator->position = Point2D(middle + spacing, (axisHeight - denominator->sizeFactor * capital) * em);
    float slashBottom = std::min(denominator->position.y - inner, denominator->position.y + denominator->bottom - outer);
    float slashTop = std::max(numerator->position.y + numerator->sizeFactor * capital * em + inner,
                              numerator->position.y + numerator->top + outer);
    Point2D low(middle + (slashBottom - axis) / slope, slashBottom);
    Point2D high(middle + (slashTop - axis) / slope, slashTop);
    float rise = BuildSlash(low, high, mu * FractionParam(design, 'slsh') * 0.5f);
    top = slashTop + std::max(rise, 0.0f);
    bottom = slashBottom - std::max(rise, 0.0f);
}

float FractionNode::BuildSlash(const Point2D &p, const Point2D &q, float halfWidth)
{
    outlineCount = 0;
    float dx = q.x - p.x;
    float dy = q.y - p.y;
    float length = std::sqrt(dx * dx + dy * dy);
    // A line of no usable direction (too short or not finite) gets no outline.
    if (!(length >= FLT_MIN) || !std::isfinite(length) || !std::isfinite(halfWidth)) return -1.0f;
    float ox = -dy / length * halfWidth;
    float oy = dx / length * halfWidth;
    const Point2D corners[4] = {Point2D(p.x - ox, p.y - oy), Point2D(q.x - ox, q.y - oy), Point2D(q.x + ox, q.y + oy),
                                Point2D(p.x + ox, p.y + oy)};
    for (int32_t i = 0; i < 4; ++i) outline[i] = MakeLineCurve(corners[i], corners[(i + 1) % 4]);
    outlineCount = 4;
    return std::fabs(oy);
}

bool FractionNode::HasVariant() const
{
    return fractionType != kFractionHorizontal;
}

void FractionNode::CycleVariant()
{
    if (fractionType != kFractionHorizontal) small = !small;
}

GroupNode *FractionNode::GetGroupAbove(const GroupNode *group) const
{
    return (group != nullptr && group == GetDenominator()) ? GetNumerator() : nullptr;
}

GroupNode *FractionNode::GetGroupBelow(const GroupNode *group) const
{
    return (group != nullptr && group == GetNumerator()) ? GetDenominator() : nullptr;
}

void FractionNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    if (atop)
    {
        if (small && state->displayStyle != 0)
        {
            output->AppendText("\\textstyle");
            state->displayStyle = 0;
            state->controlWord = 1;
        }
        else if (!small && state->displayStyle == 0)
        {
            output->AppendText("\\displaystyle");
            state->displayStyle = 1;
            state->controlWord = 1;
        }
        output->AppendText("{");
        state->controlWord = 0;
        WriteSlotGroupLatex(GetNumerator(), SlotStyle::kCleared, state, output);
        output->AppendText(" \\atop ");
        state->controlWord = 0;
        WriteSlotGroupLatex(GetDenominator(), SlotStyle::kCleared, state, output);
        output->AppendText("}");
        state->controlWord = 0;
        return;
    }
    bool stacked = fractionType == kFractionVertical;
    SlotStyle style = stacked ? SlotStyle::kCleared : SlotStyle::kUnchanged;
    if (stacked) output->AppendText(small ? "\\tfrac{" : "\\dfrac{");
    else output->AppendText("{");
    state->controlWord = 0;
    WriteSlotGroupLatex(GetNumerator(), style, state, output);
    output->AppendText(stacked ? "}{" : "}/{");
    state->controlWord = 0;
    WriteSlotGroupLatex(GetDenominator(), style, state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void FractionNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    if (fractionType == kFractionHorizontal)
    {
        // The slash is an operator element: text between the two rows is no MathML.
        WriteSlotGroupMathML(GetNumerator(), SlotStyle::kUnchanged, state, output);
        output->AppendText("<mo>/</mo>");
        WriteSlotGroupMathML(GetDenominator(), SlotStyle::kUnchanged, state, output);
        return;
    }
    uint8_t saved = state->displayStyle;
    output->AppendText("<mfrac");
    if (small && state->displayStyle != 0)
    {
        state->displayStyle = 0;
        output->AppendText(" displaystyle=\"false\"");
    }
    else if (!small && state->displayStyle == 0)
    {
        state->displayStyle = 1;
        output->AppendText(" displaystyle=\"true\"");
    }
    if (atop) output->AppendText(" linethickness=\"0\"");
    if (fractionType == kFractionDiagonal) output->AppendText(" bevelled=\"true\"");
    const GroupNode *numerator = GetNumerator();
    const GroupNode *denominator = GetDenominator();
    if (numerator != nullptr && numerator->alignment != 0 && numerator->alignment != kAlignCentre)
        output->AppendText(numerator->alignment == kAlignRight ? " numalign=\"right\"" : " numalign=\"left\"");
    if (denominator != nullptr && denominator->alignment != 0 && denominator->alignment != kAlignCentre)
        output->AppendText(denominator->alignment == kAlignRight ? " denomalign=\"right\"" : " denomalign=\"left\"");
    output->AppendText(">");
    WriteSlotGroupMathML(numerator, SlotStyle::kCleared, state, output);
    WriteSlotGroupMathML(denominator, SlotStyle::kCleared, state, output);
    output->AppendText("</mfrac>");
    state->displayStyle = saved;
}

}  // namespace oq
