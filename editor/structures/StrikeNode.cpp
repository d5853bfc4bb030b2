// Strikes: the axis rule or the diagonal strokes over the body, the items and the text forms.
#include "editor/structures/StrikeNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iterator>

namespace oq {

namespace {

const EnclosingType kStrikeTypes[] = {
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

StrikeNode::StrikeNode(uint32_t strikeType)
    : EnclosingNode(kStrikeKind, "Kt", kStrikeTypes, int32_t(std::size(kStrikeTypes)), SlotStyle::kUnchanged, true,
                    strikeType)
{
}

DocumentNode *StrikeNode::Clone() const
{
    return new StrikeNode(*this);
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
    float em = 0.0f;
    float mu = 0.0f;
    GroupNode *body = BeginMeasure(design, &em, &mu);
    if (body == nullptr) return;
    float left = leftSpacing;
    float right = rightSpacing;

    float inner = mu * StrikeParam(design, 'insp');
    float h = mu * StrikeParam(design, 'rule') * 0.5f;
    body->position = Point2D(left + inner, 0.0f);
    float xr = left + body->width + 2.0f * inner;
    width = xr + right;
    if (type == kStrikeHorizontal)
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
    if (type != kStrikeDown) AppendStroke(Point2D(left, yb), Point2D(xr, yt), h);
    if (type != kStrikeUp) AppendStroke(Point2D(left, yt), Point2D(xr, yb), h);
    if (outlineCount == 0)
    {
        bottom = yb;
        top = yt;
    }
}

}  // namespace oq
