// Extensible arrows: reading and writing the parts, the layout of lines, charms and labels, the items
// and the text forms.
#include "editor/structures/ArrowNode.h"

#include "editor/document/CodePointText.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricPrimitive.h"

#include <algorithm>

namespace oq {

namespace {

// Navigation runs upper label, lower label.
constexpr SlotGroupRow kArrowSlots[2] = {{kUpperLabelRole, false}, {kLowerLabelRole, false}};

// The design's fixed values of the arrow group: the least length and a centred line's extra length (em).
constexpr int32_t kMinimumLengthSlot = 2;
constexpr int32_t kCentredExtraSlot = 3;

float ArrowParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kArrowKind, key);
}

float ArrowFixedValue(const Design *design, int32_t slot)
{
    int32_t group = FindDesignGroup(kArrowKind);
    return group >= 0 ? design->GetGroupSlots(group)[slot] : 0.0f;
}

bool IsPartList(const KettricStructure *structure)
{
    return structure->GetBaseStructureType() == 'PRIM' && structure->GetStructureType() == 'UI32';
}

bool IsPartKind(uint32_t kind)
{
    return kind == kArrowPartLeft || kind == kArrowPartRight || kind == kArrowPartCentre;
}

// The kinds' list: at most three parts; no values give one 'long' part.
void ReadPartKinds(const KettricUInt32List &list, Array<ArrowPart, 1> *parts)
{
    int32_t count = std::min(list.GetElementCount(), ArrowNode::kMaxReadParts);
    if (count == 0) parts->AddElement(ArrowPart());
    for (int32_t i = 0; i < count; ++i)
    {
        ArrowPart &part = parts->AddElement(ArrowPart());
        part.kind = IsPartKind(list[i]) ? list[i] : kArrowPartLong;
    }
}

// One part's charms: right-end ones first; 'rght', 'left' and 'cent' switch the list.
void ReadPartCharms(const KettricUInt32List &list, ArrowPart *part)
{
    Array<uint32_t, 3> *target = &part->rightCharms;
    for (int32_t i = 0; i < list.GetElementCount(); ++i)
    {
        uint32_t value = list[i];
        if (value == kArrowPartRight) target = &part->rightCharms;
        else if (value == kArrowPartLeft) target = &part->leftCharms;
        else if (value == kArrowPartCentre) target = &part->middleCharms;
        else target->AddElement(value);
    }
}

void AppendFourCCList(TextBuffer *buffer, const Array<uint32_t, 3> &values, bool *written)
{
    for (uint32_t value : values)
    {
        if (*written) buffer->AppendText(",");
        buffer->AppendFourCC(value);
        *written = true;
    }
}

void AppendCurves(Array<QuadraticBezier2D, 6> *curves, const QuadraticBezier2D *source, int32_t count, float dx,
                  float dy)
{
    int32_t first = curves->GetElementCount();
    curves->SetElementCount(first + count);
    Vector2D shift(dx, dy);
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &curve = source[i];
        (*curves)[first + i] = QuadraticBezier2D(curve.p0 + shift, curve.p1 + shift, curve.p2 + shift);
    }
}

void MoveCurves(Array<QuadraticBezier2D, 6> *curves, float dx)
{
    Vector2D shift(dx, 0.0f);
    for (QuadraticBezier2D &curve : *curves) curve = QuadraticBezier2D(curve.p0 + shift, curve.p1 + shift, curve.p2 + shift);
}

// Where a charm list runs: rightwards from the line start, leftwards from the line end, or
// rightwards from 0 in the middle.
enum class CharmEnd : uint8_t
{
    kLeft,
    kRight,
    kMiddle,
};

// The arrow command and character chosen from the first part's charms.
struct ArrowSymbol
{
    const char *command;
    uint32_t codePoint;
};

constexpr ArrowSymbol kRightArrow = {"\\longrightarrow", 0x27F6};
constexpr ArrowSymbol kLeftArrow = {"\\longleftarrow", 0x27F5};
constexpr ArrowSymbol kLeftRightArrow = {"\\longleftrightarrow", 0x27F7};
constexpr ArrowSymbol kMapsToArrow = {"\\longmapsto", 0x27FC};

}  // namespace

ArrowPart::ArrowPart(const ArrowPart &part)
    : kind(part.kind), leftCharms(part.leftCharms), rightCharms(part.rightCharms), middleCharms(part.middleCharms)
{
}

ArrowNode::ArrowNode() : StructureNode(kArrowKind, kArrowSlots, 2)
{
}

ArrowNode::ArrowNode(const ArrowNode &node) : StructureNode(node)
{
    for (const ArrowPart &part : node.parts) parts.AddElement(part);
}

void ArrowNode::SetParts(int32_t count, const uint32_t *kinds, const uint8_t *leftCounts, const uint8_t *rightCounts,
                         const uint8_t *middleCounts, const uint32_t *leftItems, const uint32_t *rightItems,
                         const uint32_t *middleItems)
{
    parts.Reset();
    if (count <= 0)
    {
        // The layout needs a line: no parts means one plain line, as reading gives.
        parts.AddElement(ArrowPart());
        return;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        ArrowPart &part = parts.AddElement(ArrowPart());
        if (kinds != nullptr) part.kind = kinds[i];
    }
    const struct
    {
        const uint8_t *counts;
        const uint32_t *items;
        Array<uint32_t, 3> ArrowPart::*list;
    } lists[3] = {{leftCounts, leftItems, &ArrowPart::leftCharms},
                  {rightCounts, rightItems, &ArrowPart::rightCharms},
                  {middleCounts, middleItems, &ArrowPart::middleCharms}};
    for (const auto &list : lists)
    {
        if (list.counts == nullptr || list.items == nullptr) continue;
        const uint32_t *item = list.items;
        for (int32_t i = 0; i < count; ++i)
        {
            for (int32_t k = 0; k < list.counts[i]; ++k) (parts[i].*list.list).AddElement(*item++);
        }
    }
}

bool ArrowNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return AcceptGroupSubstructure(structure) || IsPartList(structure);
}

KettricResult ArrowNode::ResolveData(KettricDocument *document)
{
    KettricResult result = StructureNode::ResolveData(document);
    parts.Reset();
    bool kindsRead = false;
    int32_t nextPart = 0;
    KettricStructure *structure = GetFirstSubnodeStructure();
    while (structure != nullptr)
    {
        KettricStructure *next = structure->GetNextStructure();
        if (IsPartList(structure))
        {
            const auto &list = *static_cast<const KettricUInt32List *>(structure);
            if (!kindsRead) ReadPartKinds(list, &parts);
            else if (nextPart < parts.GetElementCount()) ReadPartCharms(list, &parts[nextPart++]);
            kindsRead = true;
            // The parts live in the node; the lists leave the tree.
            delete structure;
        }
        structure = next;
    }
    // Without a kinds list the arrow is one plain line, as with an empty one.
    if (!kindsRead) parts.AddElement(ArrowPart());
    return result;
}

DocumentNode *ArrowNode::Clone() const
{
    return new ArrowNode(*this);
}

void ArrowNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricHead(buffer, "Ar");
    buffer->AppendText("\n");
    WriteIndentation(buffer);
    buffer->AppendText("{\n");
    buffer->depth += 1;
    WriteIndentation(buffer);
    buffer->AppendText("u32{");
    for (int32_t i = 0; i < parts.GetElementCount(); ++i)
    {
        if (i > 0) buffer->AppendText(",");
        buffer->AppendFourCC(parts[i].kind);
    }
    // An arrow given no parts is written as the one plain line it lays out as.
    if (parts.GetElementCount() == 0) buffer->AppendFourCC(kArrowPartLong);
    buffer->AppendText("}\n");
    for (const ArrowPart &part : parts)
    {
        WriteIndentation(buffer);
        buffer->AppendText("u32{");
        bool written = false;
        AppendFourCCList(buffer, part.rightCharms, &written);
        if (part.leftCharms.GetElementCount() > 0)
        {
            if (written) buffer->AppendText(",");
            buffer->AppendFourCC(kArrowPartLeft);
            written = true;
            AppendFourCCList(buffer, part.leftCharms, &written);
        }
        if (part.middleCharms.GetElementCount() > 0)
        {
            if (written) buffer->AppendText(",");
            buffer->AppendFourCC(kArrowPartCentre);
            written = true;
            AppendFourCCList(buffer, part.middleCharms, &written);
        }
        buffer->AppendText("}\n");
    }
    if (parts.GetElementCount() == 0)
    {
        WriteIndentation(buffer);
        buffer->AppendText("u32{}\n");
    }
    buffer->depth -= 1;
    WriteKettricBody(document, buffer);
    WriteIndentation(buffer);
    buffer->AppendText("}\n");
}

void ArrowNode::AppendPartItems(const Design *design, DisplayList *list, bool fill) const
{
    for (const ArrowPart &part : parts)
    {
        AppendOutlineItem(design, list, 4, part.lineOutline, fill);
        for (const Array<QuadraticBezier2D, 6> *curves : {&part.leftCurves, &part.rightCurves, &part.middleCurves})
            AppendOutlineItem(design, list, curves->GetElementCount(), curves->GetElements(), fill);
    }
}

void ArrowNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendPartItems(design, list, false);
    StructureNode::BuildExportItems(design, list);
}

void ArrowNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendPartItems(design, list, true);
    StructureNode::BuildPathItems(design, list);
}

void ArrowNode::LayoutBeforeChildren(const Design *design)
{
    float factor = ArrowParam(design, scriptDepth == 0 ? 'scl0' : 'scl1');
    for (GroupNode *label : {GetUpperLabel(), GetLowerLabel()})
    {
        if (label == nullptr) continue;
        SetSlotScale(label, factor, 1, scriptDepth);
        label->defaultAlignment = kAlignCentre;
    }
}

void ArrowNode::StackParts(const Design *design, float size, float mu)
{
    int32_t count = parts.GetElementCount();
    parts[0].lineY = 0.0f;
    for (int32_t i = 1; i < count; ++i)
    {
        // Charms that face each other need the most room, two bare lines the least.
        uint32_t below = parts[i - 1].GetCharmSides().below;
        uint32_t above = parts[i].GetCharmSides().above;
        uint32_t key = (below & above) != 0 ? 'rsp1' : (below == 0 && above == 0) ? 'rsp2' : 'rsp0';
        parts[i].lineY = parts[i - 1].lineY - ArrowParam(design, key) * mu;
    }
    int32_t half = count / 2;
    float middle = (count % 2 != 0) ? parts[half].lineY : (parts[half - 1].lineY + parts[half].lineY) * 0.5f;
    float shift = GetGeneralParam(design, 'axis') * size - middle;
    for (ArrowPart &part : parts) part.lineY += shift;
}

void ArrowNode::PlaceCharms(const Design *design, ArrowPart *part, float size, float rule)
{
    float mu = size / 18.0f;
    float normal = GetGroupParam(design, 'chrm', 'chsp') * mu;
    float nested = GetGroupParam(design, 'chrm', 'chsn') * mu;
    QuadraticBezier2D buffer[kArrowCharmCurves];
    const struct
    {
        CharmEnd end;
        const Array<uint32_t, 3> *charms;
        Array<QuadraticBezier2D, 6> *curves;
        float *width;
    } lists[3] = {{CharmEnd::kLeft, &part->leftCharms, &part->leftCurves, &part->leftWidth},
                  {CharmEnd::kRight, &part->rightCharms, &part->rightCurves, &part->rightWidth},
                  {CharmEnd::kMiddle, &part->middleCharms, &part->middleCurves, &part->middleWidth}};
    for (const auto &list : lists)
    {
        // The edge the next charm is spaced from: a right edge going rightwards, a left edge going
        // leftwards. A first charm that draws nothing leaves it at 0 and the line end where it was.
        float edge = 0.0f;
        uint32_t previous = 0;
        for (int32_t i = 0; i < list.charms->GetElementCount(); ++i)
        {
            uint32_t charm = (*list.charms)[i];
            ArrowCharmExtent extent;
            bool nesting = false;
            int32_t count = BuildGeometry(design, charm, size, rule, buffer, &extent, &nesting);
            float spacing = (nesting && i > 0 && charm == previous) ? nested : normal;
            previous = charm;
            if (count == 0) continue;
            float x = 0.0f;
            if (list.end == CharmEnd::kRight)
            {
                if (i == 0)
                {
                    x = part->lineEnd - extent.maxX;
                    part->lineEnd = x + extent.rightAttach;
                }
                else x = edge - spacing - extent.maxX;
                edge = x + extent.minX;
            }
            else
            {
                if (i == 0 && list.end == CharmEnd::kLeft)
                {
                    x = part->lineStart - extent.minX;
                    part->lineStart = x + extent.leftAttach;
                }
                else if (i == 0) x = -extent.minX;
                else x = edge + spacing - extent.minX;
                edge = x + extent.maxX;
            }
            AppendCurves(list.curves, buffer, count, x, part->lineY);
            part->bottom = std::min(part->bottom, extent.bottom);
            part->top = std::max(part->top, extent.top);
        }
        *list.width = list.end == CharmEnd::kRight ? -edge : edge;
    }
}

void ArrowNode::Measure(const Design *design)
{
    // An arrow made without parts lays out as one plain line.
    if (parts.GetElementCount() == 0) parts.AddElement(ArrowPart());
    float size = GetEm(design);
    float mu = size / 18.0f;
    float rule = ArrowParam(design, 'rule') * mu;
    StackParts(design, size, mu);

    float length = ArrowFixedValue(design, kMinimumLengthSlot) * size;
    float inset = ArrowParam(design, 'srin') * size;
    float centred = (ArrowFixedValue(design, kCentredExtraSlot) + 2.0f * ArrowParam(design, 'srin')) * size;
    float groupSpacing = ArrowParam(design, 'casp') * mu;
    for (ArrowPart &part : parts)
    {
        part.leftCurves.SetElementCount(0);
        part.rightCurves.SetElementCount(0);
        part.middleCurves.SetElementCount(0);
        part.bottom = -rule * 0.5f;
        part.top = rule * 0.5f;
        bool insetStart = part.kind == kArrowPartCentre || part.kind == kArrowPartRight;
        bool insetEnd = part.kind == kArrowPartCentre || part.kind == kArrowPartLeft;
        part.lineStart = insetStart ? inset : 0.0f;
        part.lineEnd = insetEnd ? -inset : 0.0f;
        if (part.kind == kArrowPartCentre) length = std::max(length, centred);
        part.leftWidth = 0.0f;
        part.rightWidth = 0.0f;
        part.middleWidth = 0.0f;
        PlaceCharms(design, &part, size, rule);

        // The charm groups side by side, and the middle one centred between the ends.
        int32_t groups = (part.leftWidth != 0.0f) + (part.middleWidth != 0.0f) + (part.rightWidth != 0.0f);
        float total = part.leftWidth + part.middleWidth + part.rightWidth + groupSpacing * float(std::max(groups - 1, 0));
        length = std::max(length, total);
        // A short line inset by more than the arrow is long would come out reversed.
        length = std::max(length, part.lineStart - part.lineEnd);
        if (part.middleWidth != 0.0f)
        {
            for (float end : {part.leftWidth, part.rightWidth})
            {
                if (end != 0.0f) length = std::max(length, 2.0f * (end + groupSpacing + part.middleWidth * 0.5f));
            }
        }
    }

    const ArrowPart &first = parts[0];
    const ArrowPart &last = parts[parts.GetElementCount() - 1];
    float centreSpacing = ArrowParam(design, 'clsp') * size;
    float leastSpacing = ArrowParam(design, 'mlsp') * size;
    float sideSpacing = ArrowParam(design, 'insp') * mu;
    GroupNode *upper = GetUpperLabel();
    GroupNode *lower = GetLowerLabel();
    for (GroupNode *label : {upper, lower})
    {
        if (label == nullptr) continue;
        const ArrowPart &part = label == upper ? first : last;
        if (label->alignment == kAlignLeft || label->alignment == kAlignRight)
        {
            length = std::max(length, sideSpacing + label->width + leastSpacing);
            continue;
        }
        float reach = std::max({centreSpacing + part.leftWidth, centreSpacing + part.rightWidth, leastSpacing});
        length = std::max(length, 2.0f * reach + label->width);
    }

    float exterior = ArrowParam(design, scriptDepth == 0 ? 'exs0' : 'exs1') * mu;
    leftSpacing = GetSpaceBefore(this, exterior, true);
    rightSpacing = GetSpaceAfter(this, exterior, true);
    width = leftSpacing + length + rightSpacing;
    bottom = last.lineY + last.bottom;
    top = first.lineY + first.top;
    if (upper != nullptr) PlaceLabel(design, upper, true, length, size, rule);
    if (lower != nullptr) PlaceLabel(design, lower, false, length, size, rule);
    FinishParts(length, rule);
}

void ArrowNode::PlaceLabel(const Design *design, GroupNode *label, bool upper, float length, float size, float rule)
{
    float mu = size / 18.0f;
    const ArrowPart &part = upper ? parts[0] : parts[parts.GetElementCount() - 1];
    float inner = ArrowParam(design, 'insp') * mu;
    float x = (length - label->width) * 0.5f;
    const Array<uint32_t, 3> *facing = &part.middleCharms;
    if (label->alignment == kAlignLeft)
    {
        x = inner;
        facing = &part.leftCharms;
    }
    else if (label->alignment == kAlignRight)
    {
        x = length - label->width - inner;
        facing = &part.rightCharms;
    }
    bool charm = facing->GetElementCount() > 0;
    float spacing = ArrowParam(design, charm ? 'vspc' : 'vspe') * mu;
    float gap = ArrowParam(design, charm ? 'vgpc' : 'vgpe') * mu;
    float y = 0.0f;
    if (upper)
    {
        y = part.lineY + spacing - label->GetLastRowBaseline();
        float reference = charm ? part.lineY + part.top : part.lineY + rule * 0.5f;
        y += std::max(0.0f, gap - (y + label->bottom - reference));
        top = std::max(top, y + label->top);
    }
    else
    {
        y = part.lineY - spacing - label->sizeFactor * GetGeneralParam(design, 'cptl') * size;
        float reference = charm ? bottom : part.lineY - rule * 0.5f;
        y -= std::max(0.0f, gap - (reference - (y + label->top)));
        bottom = std::min(bottom, y + label->bottom);
    }
    label->position = Point2D(leftSpacing + x, y);
}

void ArrowNode::FinishParts(float length, float rule)
{
    float left = leftSpacing;
    for (ArrowPart &part : parts)
    {
        MoveCurves(&part.leftCurves, left);
        MoveCurves(&part.rightCurves, left + length);
        MoveCurves(&part.middleCurves, (length - part.middleWidth) * 0.5f + left);
        float x0 = left + part.lineStart;
        // (The length holds both insets; rounding must not turn a line of length 0 over either.)
        float x1 = std::max(x0, left + length + part.lineEnd);
        float y0 = part.lineY - rule * 0.5f;
        float y1 = part.lineY + rule * 0.5f;
        const Point2D corners[4] = {Point2D(x0, y0), Point2D(x1, y0), Point2D(x1, y1), Point2D(x0, y1)};
        for (int32_t i = 0; i < 4; ++i) part.lineOutline[i] = MakeLineCurve(corners[i], corners[(i + 1) % 4]);
    }
}

GroupNode *ArrowNode::GetGroupAbove(const GroupNode *group) const
{
    return GetPreviousGroup(group);
}

GroupNode *ArrowNode::GetGroupBelow(const GroupNode *group) const
{
    return GetNextGroup(group);
}

namespace {

// Only a one-line arrow with left-end charms is written as other than a right arrow.
ArrowSymbol ChooseArrowSymbol(const Array<ArrowPart, 1> &parts)
{
    if (parts.GetElementCount() != 1 || parts[0].leftCharms.GetElementCount() == 0) return kRightArrow;
    const ArrowPart &part = parts[0];
    uint32_t first = part.leftCharms[0];
    if (first == 'larw') return part.rightCharms.GetElementCount() > 0 ? kLeftRightArrow : kLeftArrow;
    if ((first == 'barr' || first == 'line') && part.rightCharms.GetElementCount() > 0 && part.rightCharms[0] == 'rarw')
        return kMapsToArrow;
    return kRightArrow;
}

}  // namespace

void ArrowNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    const GroupNode *upper = GetUpperLabel();
    const GroupNode *lower = GetLowerLabel();
    WriteUnderOverLatexOpening(lower, upper, state, output);
    if (upper != nullptr || lower != nullptr) output->AppendText("{");
    output->AppendText(ChooseArrowSymbol(parts).command);
    state->controlWord = 1;
    for (const GroupNode *label : {lower, upper})
    {
        if (label == nullptr) continue;
        output->AppendText("}");
        state->controlWord = 0;
    }
}

void ArrowNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    const GroupNode *upper = GetUpperLabel();
    const GroupNode *lower = GetLowerLabel();
    const char *element = upper != nullptr ? (lower != nullptr ? "munderover" : "mover") : "munder";
    bool labelled = upper != nullptr || lower != nullptr;
    if (labelled)
    {
        output->AppendText("<mstyle movablelimits=\"false\"><");
        output->AppendText(element);
        output->AppendText(">");
    }
    output->AppendText("<mo stretchy=\"true\">");
    AppendMathMLCodePoint(ChooseArrowSymbol(parts).codePoint, output);
    output->AppendText("</mo>");
    if (!labelled) return;
    WriteSlotGroupMathML(lower, SlotStyle::kCleared, state, output);
    WriteSlotGroupMathML(upper, SlotStyle::kCleared, state, output);
    output->AppendText("</");
    output->AppendText(element);
    output->AppendText("></mstyle>");
}

}  // namespace oq
