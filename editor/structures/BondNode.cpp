// Chemical bonds: reading and writing the style and angle lists, the layout of the main group, the
// labels and their lines, the anchor boxes, navigation and the text forms.
#include "editor/structures/BondNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/NodeLink.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricPrimitive.h"

#include <algorithm>
#include <cmath>

namespace oq {

namespace {

constexpr SlotGroupRow kBondSlots[1 + kBondLabelCount] = {
    {0, true},
    {kBondUpper, false},
    {kBondUpperLeft, false},
    {kBondUpperRight, false},
    {kBondLower, false},
    {kBondLowerLeft, false},
    {kBondLowerRight, false},
};

constexpr uint32_t kBondAnchorKinds[10] = {0,
                                           kCentreAnchorKind,
                                           kBondAnchorKind,
                                           kBondMainAnchorKind,
                                           kBondLabelAnchorKinds[0],
                                           kBondLabelAnchorKinds[1],
                                           kBondLabelAnchorKinds[2],
                                           kBondLabelAnchorKinds[3],
                                           kBondLabelAnchorKinds[4],
                                           kBondLabelAnchorKinds[5]};

// Place indexes (place order).
constexpr int32_t kUpper = 0;
constexpr int32_t kUpperLeft = 1;
constexpr int32_t kUpperRight = 2;
constexpr int32_t kLower = 3;
constexpr int32_t kLowerLeft = 4;
constexpr int32_t kLowerRight = 5;
constexpr int32_t kRightBond = 6;


float BondParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kBondKind, key);
}

// The short length for a lower-case first letter, else the long one (style 0 included).
float BondLength(const Design *design, uint32_t style, uint32_t shortKey, uint32_t longKey)
{
    return BondParam(design, (style & kBondShortBit) != 0 ? shortKey : longKey);
}

// The first or last node of the container's first or last row that takes part in spacing, skipping
// row begins; null when the row has none.
const MathNode *FindRowEdgeNode(const MathNode *container, bool lastRow, bool lastNode)
{
    const MathNode *begin = container->GetFirstMathSubnode();
    if (lastRow)
    {
        for (const MathNode *node = begin; node != nullptr; node = node->GetNextMathNode())
        {
            if (node->GetKind() == kRowBeginKind) begin = node;
        }
    }
    const MathNode *found = nullptr;
    for (const MathNode *node = begin; node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kRowBeginKind)
        {
            if (node != begin) break;
            continue;
        }
        if (!node->TakesPartInSpacing()) continue;
        found = node;
        if (!lastNode) break;
    }
    return found;
}

// The glyph a line leaves a group from: its x within the group, the baseline of its row, and the run
// that holds it (null when no run glyph was found and x is 0.67 h in from the group's edge).
struct CornerGlyph
{
    float x;
    float baseline;
    const SymbolRunNode *run;
};

// The first or last glyph of the group's first or last row. Structures are entered through their first
// or last slot group, bonds through their main group.
CornerGlyph FindCornerGlyph(const Design *design, const GroupNode *group, bool lastRow, bool lastGlyph, float h)
{
    CornerGlyph corner = {lastGlyph ? group->width - 0.67f * h : 0.67f * h, 0.0f, nullptr};
    if (const GroupRow *row = group->GetRow(lastRow ? group->GetRowCount() - 1 : 0)) corner.baseline = row->baselineOffset;
    float offset = 0.0f;
    const MathNode *node = FindRowEdgeNode(group, lastRow, lastGlyph);
    while (node != nullptr)
    {
        const GroupNode *inner = nullptr;
        if (node->GetKind() == kBondKind) inner = static_cast<const BondNode *>(node)->GetMainGroup();
        else if (node->GetKind() != kSymbolRunKind) inner = lastGlyph ? node->GetLastGroup() : node->GetFirstGroup();
        if (inner == nullptr) break;
        offset += node->position.x + inner->position.x;
        node = FindRowEdgeNode(inner, lastRow, lastGlyph);
    }
    if (node == nullptr || node->GetKind() != kSymbolRunKind) return corner;
    const auto *run = static_cast<const SymbolRunNode *>(node);
    if (run->GetGlyphCount() <= 0) return corner;
    float center = lastGlyph ? run->GetLastGlyphCenterX(design) : run->GetFirstGlyphCenterX(design);
    corner.x = offset + run->position.x + center;
    corner.run = run;
    return corner;
}

// Where a vertical line meets the group at its top (first row) or bottom (last row), by its alignment.
float FindVerticalAttachX(const Design *design, const GroupNode *group, bool bottomSide, float h)
{
    uint32_t alignment = group->alignment;
    if (alignment == 0 || alignment == kAlignLeft) return FindCornerGlyph(design, group, bottomSide, false, h).x;
    if (alignment == kAlignRight) return FindCornerGlyph(design, group, bottomSide, true, h).x;
    return group->width * 0.5f;
}

// The box around a group's ink, grown by the anchor distances.
void SetAnchorBox(const GroupNode *group, float dx, float dy, Point2D *box)
{
    float x0 = group->position.x + group->inkLeft - dx;
    float x1 = group->position.x + group->width + group->inkRight + dx;
    float y0 = group->position.y + group->bottom - dy;
    float y1 = group->position.y + group->top + dy;
    box[0] = Point2D(x0, y0);
    box[1] = Point2D(x1, y0);
    box[2] = Point2D(x0, y1);
    box[3] = Point2D(x1, y1);
}

void WritePairList(TextBuffer *buffer, const uint32_t *values)
{
    WriteIndentation(buffer);
    buffer->AppendText("u32[2]{");
    bool first = true;
    for (int32_t i = 0; i < kBondPlaceCount; ++i)
    {
        if (values[i] == 0) continue;
        if (!first) buffer->AppendText(",");
        first = false;
        buffer->AppendText("{");
        buffer->AppendFourCC(kBondPlaces[i]);
        buffer->AppendText(",");
        buffer->AppendFourCC(values[i]);
        buffer->AppendText("}");
    }
    buffer->AppendText("}\n");
}

}  // namespace

BondNode::BondNode() : StructureNode(kBondKind, kBondSlots, 1 + kBondLabelCount)
{
}

BondNode::BondNode(const BondNode &node) : StructureNode(node)
{
    std::copy(node.styles, node.styles + kBondPlaceCount, styles);
    std::copy(node.angleModes, node.angleModes + kBondPlaceCount, angleModes);
}

BondNode::~BondNode()
{
    curves.Reset();
}

int32_t BondNode::FindPlaceIndex(uint32_t place)
{
    for (int32_t i = 0; i < kBondPlaceCount; ++i)
    {
        if (kBondPlaces[i] == place) return i;
    }
    return -1;
}

bool BondNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (structure->GetBaseStructureType() == 'PRIM') return structure->GetStructureType() == 'UI32';
    return AcceptGroupSubstructure(structure);
}

KettricResult BondNode::ResolveData(KettricDocument *document)
{
    KettricResult result = StructureNode::ResolveData(document);
    KettricResult listResult = 0;
    int32_t listCount = 0;
    KettricStructure *next = nullptr;
    for (KettricStructure *s = GetFirstSubnodeStructure(); s != nullptr; s = next)
    {
        next = s->GetNextStructure();
        if (s->GetBaseStructureType() != 'PRIM' || s->GetStructureType() != 'UI32') continue;
        const auto *list = static_cast<const KettricUInt32List *>(s);
        if (listResult == 0 && listCount == 2) listResult = kResultExtraSlotGroup;
        if (listResult == 0 && list->GetArraySize() != 2) listResult = kResultInvalidDataFormat;
        if (listResult == 0)
        {
            uint32_t *values = (listCount == 0) ? styles : angleModes;
            for (int32_t i = 0; i + 1 < list->GetElementCount(); i += 2)
            {
                int32_t place = FindPlaceIndex((*list)[i]);
                if (place >= 0) values[place] = (*list)[i + 1];
            }
            ++listCount;
        }
        delete s;
    }
    return result != 0 ? result : listResult;
}

DocumentNode *BondNode::Clone() const
{
    return new BondNode(*this);
}

void BondNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricHead(buffer, "Bd");
    buffer->AppendText("\n");
    WriteIndentation(buffer);
    buffer->AppendText("{\n");
    buffer->depth += 1;
    WritePairList(buffer, styles);
    // Angles are kept whenever one is set: a diagonal label without a line is placed by its angle too.
    if (std::any_of(angleModes, angleModes + kBondPlaceCount, [](uint32_t mode) { return mode != 0; }))
        WritePairList(buffer, angleModes);
    buffer->depth -= 1;
    WriteKettricBody(document, buffer);
    WriteIndentation(buffer);
    buffer->AppendText("}\n");
}

void BondNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendLineItems(design, list, false);
    StructureNode::BuildExportItems(design, list);
}

void BondNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendLineItems(design, list, true);
    StructureNode::BuildPathItems(design, list);
}

void BondNode::AppendLineItems(const Design *design, DisplayList *list, bool fill) const
{
    int32_t first = 0;
    for (int32_t i = 0; i < lineCount; ++i)
    {
        AppendOutlineItem(design, list, lineCurveCounts[i], curves.GetElements() + first, fill);
        first += lineCurveCounts[i];
    }
}

int32_t BondNode::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = kBondAnchorKinds;
    return 10;
}

int32_t BondNode::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    if (kind == kBondAnchorKind || kind == kBondMainAnchorKind)
    {
        *points = (kind == kBondAnchorKind) ? bondAnchors : mainAnchors;
        return 4;
    }
    for (int32_t i = 0; i < kBondLabelCount; ++i)
    {
        if (kind != kBondLabelAnchorKinds[i]) continue;
        *points = labelAnchors[i];
        return GetLabel(i) != nullptr ? 4 : 0;
    }
    return StructureNode::GetAnchorPoints(kind, points);
}

const uint32_t *BondNode::GetAnchorHandleColor(const Preferences *preferences, uint32_t kind) const
{
    if (preferences == nullptr) return nullptr;
    if (kind == 0 || kind == kCentreAnchorKind) return StructureNode::GetAnchorHandleColor(preferences, kind);
    return &preferences->colors[kColorSpecialAnchor];
}

void BondNode::DeleteLinksAtAnchor(uint32_t anchorKind)
{
    NodeLink *link = GetFirstIncomingLink();
    while (link != nullptr)
    {
        NodeLink *next = link->GetNextIncomingLink();
        if (link->anchorKind == anchorKind) delete link;
        link = next;
    }
}

void BondNode::Measure(const Design *design)
{
    width = 0.0f;
    bottom = 0.0f;
    top = 0.0f;
    inkLeft = 0.0f;
    inkRight = 0.0f;
    leftInset = 0.0f;
    rightInset = 0.0f;
    leftSpacing = 0.0f;
    rightSpacing = 0.0f;
    lineCount = 0;
    curves.SetElementCount(0);
    for (Point2D *box : {bondAnchors, mainAnchors})
        std::fill(box, box + 4, Point2D(0.0f, 0.0f));
    for (Point2D(&box)[4] : labelAnchors) std::fill(box, box + 4, Point2D(0.0f, 0.0f));
    GroupNode *main = GetMainGroup();
    if (main == nullptr) return;

    const float s = GetEm(design);
    const float mu = s / 18.0f;
    const float capital = GetGeneralParam(design, 'cptl') * s;
    const float h = 0.5f * capital;
    const float vertical = BondParam(design, 'visp') * mu;
    const float diagonalSpacing = BondParam(design, 'disp') * mu;

    // 1. Insets and side spacings of the main group's edge runs.
    const MathNode *first = main->GetFirstMathSubnode();
    if (first != nullptr && first->GetKind() == kRowBeginKind) first = first->GetNextMathNode();
    const MathNode *last = main->GetLastMathSubnode();
    if (first != nullptr && first->GetKind() == kSymbolRunKind)
    {
        leftInset = first->leftInset;
        leftSpacing = first->leftSpacing;
    }
    if (last != nullptr && last->GetKind() == kSymbolRunKind)
    {
        rightInset = last->rightInset;
        rightSpacing = last->rightSpacing;
    }
    const MathNode *previous = FindPrevSpacingNeighbor(this);
    if (previous == nullptr || previous->GetKind() == kRowBeginKind) leftInset = 0.0f;

    // 2. The main group.
    const float x0 = -std::min(leftInset, 0.0f);
    main->position = Point2D(x0, 0.0f);
    bottom = main->bottom;
    top = main->top;
    const float R = x0 + main->width - std::min(rightInset, 0.0f);
    float W = R;
    float inkMin = x0 + main->inkLeft;
    float inkMax = x0 + main->width + main->inkRight;

    Point2D starts[kBondPlaceCount];
    Point2D ends[kBondPlaceCount];
    // 3. Above.
    if (GroupNode *label = GetLabel(kUpper))
    {
        float x = FindVerticalAttachX(design, main, false, h) + x0;
        float y0 = capital + vertical;
        float y1 = y0 + BondLength(design, styles[kUpper], 'vsln', 'vlln') * s;
        label->position = Point2D(x - FindVerticalAttachX(design, label, true, h),
                                  y1 + vertical - label->GetLastRowBaseline());
        starts[kUpper] = Point2D(x, y0);
        ends[kUpper] = Point2D(x, y1);
    }
    // 4. Below.
    if (GroupNode *label = GetLabel(kLower))
    {
        float x = FindVerticalAttachX(design, main, true, h) + x0;
        float y0 = main->GetLastRowBaseline() - vertical;
        float y1 = y0 - BondLength(design, styles[kLower], 'vsln', 'vlln') * s;
        label->position = Point2D(x - FindVerticalAttachX(design, label, false, h), y1 - vertical - capital);
        starts[kLower] = Point2D(x, y0);
        ends[kLower] = Point2D(x, y1);
    }
    // 5. The diagonals: the main group's corner glyph toward d, the label's opposite corner toward -d.
    const struct
    {
        int32_t place;
        float turn;   // the direction's angle is turn + sign x a
        float sign;
        bool lastRow;
        bool lastGlyph;
    } diagonals[4] = {{kUpperLeft, 180.0f, -1.0f, false, false},
                      {kUpperRight, 0.0f, 1.0f, false, true},
                      {kLowerLeft, -180.0f, 1.0f, true, false},
                      {kLowerRight, 0.0f, -1.0f, true, true}};
    float L0 = 0.0f;
    for (const auto &entry : diagonals)
    {
        int32_t place = entry.place;
        GroupNode *label = GetLabel(place);
        if (label == nullptr) continue;
        uint32_t mode = angleModes[place];
        float a = mode == kBondSteep ? BondParam(design, 'astp') : mode == kBondShallow ? BondParam(design, 'ashl') : 45.0f;
        double radians = double(entry.turn + entry.sign * a) * 3.14159265358979323846 / 180.0;
        Vector2D d(float(std::cos(radians)), float(std::sin(radians)));
        CornerGlyph corner = FindCornerGlyph(design, main, entry.lastRow, entry.lastGlyph, h);
        Point2D p0 = Point2D(corner.x + x0, corner.baseline + h) + d * (h + diagonalSpacing);
        Point2D p1 = p0 + d * (BondLength(design, styles[place], 'dsln', 'dlln') * s);
        CornerGlyph opposite = FindCornerGlyph(design, label, !entry.lastRow, !entry.lastGlyph, h);
        Point2D target = p1 + d * (diagonalSpacing + h);
        label->position = Point2D(target.x - opposite.x, target.y - (opposite.baseline + h));
        starts[place] = p0;
        ends[place] = p1;
        if (place == kUpperLeft || place == kLowerLeft)
        {
            float inset = opposite.run != nullptr ? std::min(opposite.run->leftInset, 0.0f) : 0.0f;
            L0 = std::min(L0, label->position.x + inset);
        }
    }
    // 6. The labels widen the box.
    for (int32_t i = 0; i < kBondLabelCount; ++i)
    {
        const GroupNode *label = GetLabel(i);
        if (label == nullptr) continue;
        bottom = std::min(bottom, label->position.y + label->bottom);
        top = std::max(top, label->position.y + label->top);
        inkMin = std::min(inkMin, label->position.x + label->inkLeft);
        inkMax = std::max(inkMax, label->position.x + label->width + label->inkRight);
        if (i == kUpperRight || i == kLowerRight) W = std::max(W, label->position.x + label->width);
    }
    // 7. The lines to the labels.
    auto addLine = [&](uint32_t style, const Point2D &p0, const Point2D &p1) {
        int32_t count = BuildBondLines(design, s, style | kBondShortBit, p0, p1, &curves);
        if (count > 0) lineCurveCounts[lineCount++] = count;
    };
    for (int32_t place : {kUpper, kLower, kUpperLeft, kUpperRight, kLowerLeft, kLowerRight})
    {
        if (GetLabel(place) != nullptr) addLine(styles[place], starts[place], ends[place]);
    }
    // 8. The horizontal bond on the right.
    if (styles[kRightBond] != 0)
    {
        const float interior = BondParam(design, 'hisp') * mu;
        Point2D start(R + interior, h);
        Point2D end(start.x + BondLength(design, styles[kRightBond], 'hsln', 'hlln') * s, h);
        W = std::max(W, end.x + interior);
        addLine(styles[kRightBond], start, end);
    }
    // 9. Everything moves right past the leftmost label.
    if (L0 < 0.0f)
    {
        main->position.x -= L0;
        for (int32_t i = 0; i < kBondLabelCount; ++i)
        {
            if (GroupNode *label = GetLabel(i)) label->position.x -= L0;
        }
        for (QuadraticBezier2D &curve : curves)
        {
            curve.p0.x -= L0;
            curve.p1.x -= L0;
            curve.p2.x -= L0;
        }
    }
    width = W - L0;
    inkLeft = std::min(0.0f, inkMin - L0);
    inkRight = std::max(0.0f, inkMax - W);
    // 10. Anchor boxes.
    const float dx = BondParam(design, 'aspx') * s;
    const float dy = BondParam(design, 'aspy') * s;
    SetAnchorBox(main, dx, dy, mainAnchors);
    float xMin = mainAnchors[0].x, yMin = mainAnchors[0].y, xMax = mainAnchors[3].x, yMax = mainAnchors[3].y;
    for (int32_t i = 0; i < kBondLabelCount; ++i)
    {
        const GroupNode *label = GetLabel(i);
        if (label == nullptr) continue;
        SetAnchorBox(label, dx, dy, labelAnchors[i]);
        xMin = std::min(xMin, labelAnchors[i][0].x);
        yMin = std::min(yMin, labelAnchors[i][0].y);
        xMax = std::max(xMax, labelAnchors[i][3].x);
        yMax = std::max(yMax, labelAnchors[i][3].y);
    }
    bondAnchors[0] = Point2D(xMin, yMin);
    bondAnchors[1] = Point2D(xMax, yMin);
    bondAnchors[2] = Point2D(xMin, yMax);
    bondAnchors[3] = Point2D(xMax, yMax);
}

void BondNode::FinishPlacement(const Design *design)
{
    StructureNode::FinishPlacement(design);
    Vector2D shift(absolutePosition.x, absolutePosition.y);
    for (Point2D &point : bondAnchors) point = point + shift;
    for (Point2D &point : mainAnchors) point = point + shift;
    for (Point2D(&box)[4] : labelAnchors)
    {
        for (Point2D &point : box) point = point + shift;
    }
}

GroupNode *BondNode::GetFirstGroup() const
{
    return GetMainGroup();
}

GroupNode *BondNode::GetPreviousGroup(const GroupNode *group) const
{
    if (group == nullptr) return nullptr;
    int32_t index = FindSlotIndex(group);
    if (index == 0) return nullptr;
    if (index < 0) return GetMainGroup();
    return StructureNode::GetPreviousGroup(group);
}

void BondNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    WriteSlotGroupLatex(GetMainGroup(), SlotStyle::kUnchanged, state, output);
}

void BondNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    WriteSlotGroupMathML(GetMainGroup(), SlotStyle::kUnchanged, state, output);
}

}  // namespace oq
