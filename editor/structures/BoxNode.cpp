// Boxes: the frame or corner around the body, the items and the text forms.
#include "editor/structures/BoxNode.h"

#include "editor/document/DecorationNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpacingNeighbors.h"

#include <algorithm>
#include <cmath>

namespace oq {

namespace {

constexpr SlotGroupRow kBoxSlots[1] = {{0, true}};

// Each type's MathML notation.
const struct
{
    uint32_t type;
    const char *notation;
} kBoxNotations[] = {
    {kBoxFull, "box"},
    {kBoxUpperLeft, "top left"},
    {kBoxUpperRight, "top right"},
    {kBoxLowerLeft, "bottom left"},
    {kBoxLowerRight, "bottom right"},
};

float BoxParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kBoxKind, key);
}

}  // namespace

BoxNode::BoxNode(uint32_t type) : StructureNode(kBoxKind, kBoxSlots, 1), boxType(type)
{
}

BoxNode::BoxNode(const BoxNode &node) : StructureNode(node), boxType(node.boxType)
{
}

bool BoxNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                            void **storage)
{
    return CheckTypeProperty(this, &boxType, document, identifier, type, storage);
}

KettricResult BoxNode::ResolveData(KettricDocument *document)
{
    KettricResult result = StructureNode::ResolveData(document);
    bool known = false;
    for (const auto &row : kBoxNotations) known = known || row.type == boxType;
    if (!known) boxType = kBoxFull;
    return result;
}

DocumentNode *BoxNode::Clone() const
{
    return new BoxNode(*this);
}

bool BoxNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (boxType != kBoxFull) writer.WriteFourCC("t", boxType);
    return writer.Opened();
}

void BoxNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Bx");
}

void BoxNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendOutlineItem(design, list, outlineCount, outline, false);
    StructureNode::BuildExportItems(design, list);
}

void BoxNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendOutlineItem(design, list, outlineCount, outline, true);
    StructureNode::BuildPathItems(design, list);
}

void BoxNode::Measure(const Design *design)
{
    outlineCount = 0;
    width = 0.0f;
    bottom = 0.0f;
    top = 0.0f;
    float em = GetEm(design);
    float mu = em / 18.0f;
    float left = GetSpaceBefore(this, mu * BoxParam(design, 'exsp'), true);
    float right = GetSpaceAfter(this, mu * BoxParam(design, 'exsp'), true);
    leftSpacing = left;
    rightSpacing = right;
    GroupNode *body = GetBody();
    if (body == nullptr) return;

    // Columns and rows: rule, interior spacing, body, interior spacing, rule.
    float rule = mu * BoxParam(design, 'rule');
    float h = rule * 0.5f;
    float inner = mu * BoxParam(design, 'insp');
    float vertical = mu * BoxParam(design, 'vtsp');
    float gap = mu * BoxParam(design, 'vtgp');
    float xl = left;
    body->position = Point2D(xl + rule + inner, 0.0f);
    float xr = body->position.x + body->width + inner + rule;
    width = xr + right;
    float yti = std::max(em * GetGeneralParam(design, 'cptl') + vertical, body->top + gap);
    float yto = yti + rule;
    float ybi = std::min(-vertical, body->bottom - gap);
    float ybo = ybi - rule;
    top = yto;
    bottom = ybo;

    const Point2D bottomRule[4] = {Point2D(xl, ybo), Point2D(xr, ybo), Point2D(xr, ybi), Point2D(xl, ybi)};
    const Point2D topRule[4] = {Point2D(xl, yti), Point2D(xr, yti), Point2D(xr, yto), Point2D(xl, yto)};
    int32_t count = 0;
    if (boxType == kBoxFull)
    {
        // The side pieces reach into the middle of the horizontal rules.
        float ybc = ybi - h;
        float ytc = yti + h;
        const Point2D leftPiece[4] = {Point2D(xl, ybi), Point2D(xl + rule, ybc), Point2D(xl + rule, ytc), Point2D(xl, yti)};
        const Point2D rightPiece[4] = {Point2D(xr - rule, ybc), Point2D(xr, ybi), Point2D(xr, yti), Point2D(xr - rule, ytc)};
        for (const Point2D *piece : {bottomRule, topRule, leftPiece, rightPiece})
            count += AppendPolygonCurves(piece, 4, outline + count);
    }
    else
    {
        bool upper = boxType == kBoxUpperLeft || boxType == kBoxUpperRight;
        bool leftSide = boxType == kBoxUpperLeft || boxType == kBoxLowerLeft;
        float x0 = leftSide ? xl : xr - rule;
        // Begun at its lower right corner: a contour of its own, never at the end of the rule before it.
        const Point2D side[4] = {Point2D(x0 + rule, ybo), Point2D(x0 + rule, yto), Point2D(x0, yto), Point2D(x0, ybo)};
        count += AppendPolygonCurves(upper ? topRule : bottomRule, 4, outline);
        count += AppendPolygonCurves(side, 4, outline + count);
    }
    bool finite = true;
    for (int32_t i = 0; i < count; ++i)
        finite = finite && std::isfinite(outline[i].p0.x) && std::isfinite(outline[i].p0.y);
    outlineCount = finite ? count : 0;
}

void BoxNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    output->AppendText("\\boxed{");
    state->controlWord = 0;
    WriteSlotGroupLatex(GetBody(), SlotStyle::kSet, state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void BoxNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    const char *notation = kBoxNotations[0].notation;
    for (const auto &row : kBoxNotations)
    {
        if (row.type == boxType) notation = row.notation;
    }
    output->AppendText("<menclose notation=\"");
    output->AppendText(notation);
    output->AppendText("\">");
    WriteSlotGroupMathML(GetBody(), SlotStyle::kUnchanged, state, output);
    output->AppendText("</menclose>");
}

}  // namespace oq
