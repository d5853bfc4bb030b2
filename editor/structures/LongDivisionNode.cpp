// Long divisions: the curved sign with its vinculum, the places of dividend and quotient, the items
// and the text forms.
#include "editor/structures/LongDivisionNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/platform/DisplayItems.h"

#include <algorithm>
#include <cmath>

namespace oq {

namespace {

constexpr SlotGroupRow kLongDivisionSlots[2] = {{0, true}, {kQuotientRole, false}};

float DivisionParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kLongDivisionKind, key);
}

// The y of an arc's control point between an end at y and the middle at ym.
float ArcControlY(float y, float ym)
{
    return 0.5625f * y + 0.4375f * ym;
}

}  // namespace

LongDivisionNode::LongDivisionNode() : StructureNode(kLongDivisionKind, kLongDivisionSlots, 2)
{
}

LongDivisionNode::LongDivisionNode(const LongDivisionNode &node) : StructureNode(node)
{
}

DocumentNode *LongDivisionNode::Clone() const
{
    return new LongDivisionNode(*this);
}

void LongDivisionNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Dv");
}

void LongDivisionNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendOutlineItem(design, list, outlineCount, outline, false);
    StructureNode::BuildExportItems(design, list);
}

void LongDivisionNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendOutlineItem(design, list, outlineCount, outline, true);
    StructureNode::BuildPathItems(design, list);
}

void LongDivisionNode::Measure(const Design *design)
{
    outlineCount = 0;
    float em = 0.0f;
    float mu = 0.0f;
    BeginSpacedMeasure(design, &em, &mu);
    float left = leftSpacing;
    float right = rightSpacing;
    GroupNode *dividend = GetDividend();
    if (dividend == nullptr) return;
    GroupNode *quotient = GetQuotient();

    float h = mu * DivisionParam(design, 'rule') * 0.5f;
    float yt = std::max(mu * DivisionParam(design, 'vtsp') + em * GetGeneralParam(design, 'cptl'),
                        mu * DivisionParam(design, 'vtgp') + dividend->top + h);
    float c = em * DivisionParam(design, 'curv');
    float quotientWidth = quotient != nullptr ? quotient->width : 0.0f;
    float rightInner = mu * DivisionParam(design, 'ispr');
    float xr = left + std::max(dividend->width + c, quotientWidth) + mu * DivisionParam(design, 'ispl') + rightInner + h;
    width = xr + right;

    // The curve: two arcs from the bottom (x0, yb) out to (xc, ym) and back to the vinculum at x0.
    float x0 = left;
    float xc = x0 + c;
    float yb = dividend->bottom - mu * DivisionParam(design, 'dssp');
    float ym = (yt + yb) * 0.5f;
    float b = 0.4375f * (ym - yb);
    float n = std::sqrt(b * b + c * c);
    Point2D capInner(x0 - h * b / n, yb + h * c / n);
    Point2D capOuter(x0 + h * b / n, yb - h * c / n);
    float joinOuter = x0 + h * (c + n) / b;
    float joinInner = x0 + h * (c - n) / b;
    const Point2D points[kOutlineCurves][2] = {
        {capOuter, capOuter},
        {Point2D(xc + h, ArcControlY(capOuter.y, ym)), Point2D(xc + h, ym)},
        {Point2D(xc + h, ArcControlY(yt - h, ym)), Point2D(joinOuter, yt - h)},
        {Point2D(xr, yt - h), Point2D(xr, yt - h)},
        {Point2D(xr, yt + h), Point2D(xr, yt + h)},
        {Point2D(joinInner, yt + h), Point2D(joinInner, yt + h)},
        {Point2D(joinInner, yt - h), Point2D(joinInner, yt - h)},
        {Point2D(xc - h, ArcControlY(yt - h, ym)), Point2D(xc - h, ym)},
        {Point2D(xc - h, ArcControlY(capInner.y, ym)), capInner},
    };
    // A sign of no height or of values out of range gets no outline.
    bool finite = b > 0.0f;
    Point2D start = capInner;
    for (int32_t i = 0; i < kOutlineCurves; ++i)
    {
        outline[i] = QuadraticBezier2D(start, points[i][0], points[i][1]);
        start = points[i][1];
        finite = finite && std::isfinite(start.x) && std::isfinite(start.y) && std::isfinite(points[i][0].x) &&
                 std::isfinite(points[i][0].y);
    }
    if (finite) outlineCount = kOutlineCurves;

    dividend->position = Point2D(xr - rightInner - dividend->width, 0.0f);
    bottom = finite ? capOuter.y : yb;
    top = yt + h;
    if (quotient != nullptr)
    {
        float baseline = quotient->GetLastRowBaseline();
        float y = yt + std::max(mu * DivisionParam(design, 'vtsp') - baseline,
                                mu * DivisionParam(design, 'vtgp') - quotient->bottom + h);
        quotient->position = Point2D(xr - rightInner - quotient->width, y);
        top = y + quotient->top;
    }
}

GroupNode *LongDivisionNode::GetGroupAbove(const GroupNode *group) const
{
    return (group != nullptr && group == GetDividend()) ? GetQuotient() : nullptr;
}

GroupNode *LongDivisionNode::GetGroupBelow(const GroupNode *group) const
{
    return (group != nullptr && group == GetQuotient()) ? GetDividend() : nullptr;
}

void LongDivisionNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    output->AppendText("\\enclose{longdiv}{");
    state->controlWord = 0;
    WriteSlotGroupLatex(GetDividend(), SlotStyle::kUnchanged, state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void LongDivisionNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    output->AppendText("<mlongdiv><mrow/>");
    if (const GroupNode *quotient = GetQuotient()) WriteSlotGroupMathML(quotient, SlotStyle::kUnchanged, state, output);
    else output->AppendText("<mrow/>");
    WriteSlotGroupMathML(GetDividend(), SlotStyle::kUnchanged, state, output);
    output->AppendText("</mlongdiv>");
}

}  // namespace oq
