// Strikes: the axis rule or the diagonal strokes over the body, the items and the text forms.
#include "editor/structures/StrikeNode.h"

#include "editor/document/DecorationNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SpacingNeighbors.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace oq {

namespace {

constexpr SlotGroupRow kStrikeSlots[1] = {{0, true}};

// Each type's LaTeX command (with its opening brace) and MathML notation.
const struct
{
    uint32_t type;
    const char *latex;
    const char *notation;
} kStrikeForms[] = {
    {kStrikeHorizontal, "\\enclose{horizontalstrike}{", "horizontalstrike"},
    {kStrikeUp, "\\cancel{", "updiagonalstrike"},
    {kStrikeDown, "\\bcancel{", "downdiagonalstrike"},
    {kStrikeCross, "\\xcancel{", "updiagonalstrike downdiagonalstrike"},
};

float StrikeParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kStrikeKind, key);
}

}  // namespace

StrikeNode::StrikeNode(uint32_t type) : StructureNode(kStrikeKind, kStrikeSlots, 1), strikeType(type)
{
}

StrikeNode::StrikeNode(const StrikeNode &node) : StructureNode(node), strikeType(node.strikeType)
{
}

bool StrikeNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                               void **storage)
{
    return CheckTypeProperty(this, &strikeType, document, identifier, type, storage);
}

KettricResult StrikeNode::ResolveData(KettricDocument *document)
{
    KettricResult result = StructureNode::ResolveData(document);
    bool known = false;
    for (const auto &row : kStrikeForms) known = known || row.type == strikeType;
    if (!known) strikeType = kStrikeHorizontal;
    return result;
}

DocumentNode *StrikeNode::Clone() const
{
    return new StrikeNode(*this);
}

bool StrikeNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (strikeType != kStrikeHorizontal) writer.WriteFourCC("t", strikeType);
    return writer.Opened();
}

void StrikeNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Kt");
}

void StrikeNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    StructureNode::BuildExportItems(design, list);
    AppendOutlineItem(design, list, outlineCount, outline, false);
}

void StrikeNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    StructureNode::BuildPathItems(design, list);
    AppendOutlineItem(design, list, outlineCount, outline, true);
}

void StrikeNode::AppendStroke(const Point2D &p, const Point2D &q, float h)
{
    float dx = q.x - p.x;
    float dy = q.y - p.y;
    float length = std::sqrt(dx * dx + dy * dy);
    // A stroke of no usable direction (too short or not finite) is not drawn.
    if (!(length >= FLT_MIN) || !std::isfinite(length) || !std::isfinite(h)) return;
    float ox = -dy / length * h;
    float oy = dx / length * h;
    const Point2D corners[4] = {Point2D(p.x - ox, p.y - oy), Point2D(q.x - ox, q.y - oy), Point2D(q.x + ox, q.y + oy),
                                Point2D(p.x + ox, p.y + oy)};
    outlineCount += AppendPolygonCurves(corners, 4, outline + outlineCount);
    for (const Point2D &corner : corners)
    {
        bottom = std::min(bottom, corner.y);
        top = std::max(top, corner.y);
    }
}

void StrikeNode::Measure(const Design *design)
{
    outlineCount = 0;
    width = 0.0f;
    bottom = 0.0f;
    top = 0.0f;
    float em = GetEm(design);
    float mu = em / 18.0f;
    float left = GetSpaceBefore(this, mu * StrikeParam(design, 'exsp'), true);
    float right = GetSpaceAfter(this, mu * StrikeParam(design, 'exsp'), true);
    leftSpacing = left;
    rightSpacing = right;
    GroupNode *body = GetBody();
    if (body == nullptr) return;

    float inner = mu * StrikeParam(design, 'insp');
    float h = mu * StrikeParam(design, 'rule') * 0.5f;
    body->position = Point2D(left + inner, 0.0f);
    float xr = left + body->width + 2.0f * inner;
    width = xr + right;
    if (strikeType == kStrikeHorizontal)
    {
        // The rule on the axis; the body keeps the node's extent.
        float axis = em * GetGeneralParam(design, 'axis');
        const Point2D corners[4] = {Point2D(left, axis - h), Point2D(xr, axis - h), Point2D(xr, axis + h),
                                    Point2D(left, axis + h)};
        bool finite = std::isfinite(left) && std::isfinite(xr) && std::isfinite(axis - h) && std::isfinite(axis + h);
        if (finite) outlineCount = AppendPolygonCurves(corners, 4, outline);
        bottom = body->bottom;
        top = body->top;
        return;
    }
    // Diagonals over the rectangle from below the baseline to above the cap height; the node's extent
    // is the strokes' extreme corners.
    float yb = std::min(-mu * StrikeParam(design, 'dsct'), body->bottom);
    float yt = std::max(mu * StrikeParam(design, 'asct') + em * GetGeneralParam(design, 'cptl'), body->top);
    bottom = FLT_MAX;
    top = -FLT_MAX;
    if (strikeType != kStrikeDown) AppendStroke(Point2D(left, yb), Point2D(xr, yt), h);
    if (strikeType != kStrikeUp) AppendStroke(Point2D(left, yt), Point2D(xr, yb), h);
    if (outlineCount == 0)
    {
        bottom = yb;
        top = yt;
    }
}

void StrikeNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    const char *command = kStrikeForms[0].latex;
    for (const auto &row : kStrikeForms)
    {
        if (row.type == strikeType) command = row.latex;
    }
    output->AppendText(command);
    state->controlWord = 0;
    WriteSlotGroupLatex(GetBody(), SlotStyle::kUnchanged, state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void StrikeNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    const char *notation = kStrikeForms[0].notation;
    for (const auto &row : kStrikeForms)
    {
        if (row.type == strikeType) notation = row.notation;
    }
    output->AppendText("<menclose notation=\"");
    output->AppendText(notation);
    output->AppendText("\">");
    WriteSlotGroupMathML(GetBody(), SlotStyle::kUnchanged, state, output);
    output->AppendText("</menclose>");
}

}  // namespace oq
