// Boxes: the frame or corner around the body, the items and the text forms.
#include "editor/structures/BoxNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace oq {

namespace {

const EnclosingType kBoxTypes[] = {
    {kBoxFull, "\\boxed{", "box"},
    {kBoxUpperLeft, "\\boxed{", "top left"},
    {kBoxUpperRight, "\\boxed{", "top right"},
    {kBoxLowerLeft, "\\boxed{", "bottom left"},
    {kBoxLowerRight, "\\boxed{", "bottom right"},
};

float BoxParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kBoxKind, key);
}

}  // namespace

// \boxed sets its body in display style.
BoxNode::BoxNode(uint32_t boxType)
    : EnclosingNode(kBoxKind, "Bx", kBoxTypes, int32_t(std::size(kBoxTypes)), SlotStyle::kSet, false, boxType)
{
}

DocumentNode *BoxNode::Clone() const
{
    return new BoxNode(*this);
}

void BoxNode::Measure(const Design *design)
{
    float em = 0.0f;
    float mu = 0.0f;
    GroupNode *body = BeginMeasure(design, &em, &mu);
    if (body == nullptr) return;
    float left = leftSpacing;
    float right = rightSpacing;

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
    if (type == kBoxFull)
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
        bool upper = type == kBoxUpperLeft || type == kBoxUpperRight;
        bool leftSide = type == kBoxUpperLeft || type == kBoxLowerLeft;
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

}  // namespace oq
