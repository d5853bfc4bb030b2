// Roots: the constructed sign, the places of radicand and degree, the items and the text forms.
#include "editor/structures/RadicalNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/SymbolRunNode.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace oq {

namespace {

// Navigation runs degree, radicand.
constexpr SlotGroupRow kRadicalSlots[2] = {{kDegreeRole, false}, {0, true}};

float RadicalParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kRadicalKind, key);
}

// A stroke's edge: the line through the point in the direction.
struct EdgeLine
{
    double px, py, dx, dy;
};

// The edge of the band of half width t around the segment from (ax, ay) to (bx, by) on its left
// (side +1, seen along the segment) or right (side -1).
EdgeLine BandEdge(double ax, double ay, double bx, double by, double t, double side)
{
    double dx = bx - ax;
    double dy = by - ay;
    double length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0.0)) length = 1.0;
    dx /= length;
    dy /= length;
    return {ax - dy * t * side, ay + dx * t * side, dx, dy};
}

// Where two edges meet (the mitre corner); their directions are never parallel here.
Point2D Meet(const EdgeLine &a, const EdgeLine &b)
{
    double cross = a.dx * b.dy - a.dy * b.dx;
    double s = cross != 0.0 ? ((b.px - a.px) * b.dy - (b.py - a.py) * b.dx) / cross : 0.0;
    return Point2D(float(a.px + a.dx * s), float(a.py + a.dy * s));
}

// Where an edge crosses the horizontal line at y.
Point2D MeetHorizontal(const EdgeLine &a, double y)
{
    double s = a.dy != 0.0 ? (y - a.py) / a.dy : 0.0;
    return Point2D(float(a.px + a.dx * s), float(y));
}

}  // namespace

RadicalNode::RadicalNode() : StructureNode(kRadicalKind, kRadicalSlots, 2)
{
}

RadicalNode::RadicalNode(const RadicalNode &node) : StructureNode(node), noSlant(node.noSlant)
{
}

bool RadicalNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                void **storage)
{
    if (std::strcmp(identifier, "ns") != 0) return ColoredMathNode::CheckProperty(document, identifier, type, storage);
    *type = 'BOOL';
    *storage = &noSlant;
    return true;
}

DocumentNode *RadicalNode::Clone() const
{
    return new RadicalNode(*this);
}

bool RadicalNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    if (noSlant) writer.WriteFlag("ns");
    return writer.Opened();
}

void RadicalNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Rd");
}

void RadicalNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    AppendOutlineItem(design, list, outlineCount, outline, false);
    StructureNode::BuildExportItems(design, list);
}

void RadicalNode::BuildPathItems(const Design *design, DisplayList *list) const
{
    AppendOutlineItem(design, list, outlineCount, outline, true);
    StructureNode::BuildPathItems(design, list);
}

void RadicalNode::LayoutBeforeChildren(const Design *design)
{
    GroupNode *degree = GetDegree();
    if (degree == nullptr) return;
    SetSlotScale(degree, RadicalParam(design, scriptDepth == 0 ? 'dsc0' : 'dsc1'), 1, scriptDepth);
}

void RadicalNode::Measure(const Design *design)
{
    outlineCount = 0;
    float em = 0.0f;
    float mu = 0.0f;
    BeginSpacedMeasure(design, &em, &mu);
    float left = leftSpacing;
    float right = rightSpacing;
    GroupNode *radicand = GetRadicand();
    if (radicand == nullptr) return;
    float capital = GetGeneralParam(design, 'cptl');

    // The radicand's start: an italic first letter may tuck under the vinculum, but not past its inset.
    float inner = mu * RadicalParam(design, 'insp');
    float start = inner;
    const MathNode *first = radicand->GetFirstMathSubnode();
    if (first != nullptr) first = first->GetNextMathNode();
    if (first != nullptr && first->GetKind() == kSymbolRunKind)
    {
        const auto *run = static_cast<const SymbolRunNode *>(first);
        float slant = noSlant ? 0.0f : em * run->GetStartSlantCorrection(design, capital);
        start = std::max(inner - slant, -run->leftInset);
    }

    // The centre line P1..P5 and the half thicknesses.
    double h = mu * RadicalParam(design, 'rule') * 0.5;
    double t1 = h * RadicalParam(design, 'rsc0');
    double t2 = h * RadicalParam(design, 'rsc1');
    double t3 = h * RadicalParam(design, 'rsc2');
    double x1 = left;
    double x2 = x1 + double(em) * RadicalParam(design, 'swd0');
    double x3 = x2 + double(em) * RadicalParam(design, 'swd1');
    double xo = x3 + double(em) * RadicalParam(design, 'swd2');
    double xr = xo + start + radicand->width + inner;
    double cut = double(radicand->bottom) - mu * RadicalParam(design, 'dssp');
    double yb = cut + t2;
    double yv = std::max(double(mu) * RadicalParam(design, 'vtsp') + double(em) * capital,
                         double(mu) * RadicalParam(design, 'vtgp') + radicand->top + h);
    // The vinculum never comes down to the sign's bottom: the strokes would fold over.
    yv = std::max(yv, yb + h);
    double span = yv - yb;
    double y2 = yb + span * RadicalParam(design, 'shs1');
    double y1 = y2 - span * RadicalParam(design, 'shs0');

    // The eleven corners: tick, descending and rising strokes and vinculum meet in mitres.
    EdgeLine tickUpper = BandEdge(x1, y1, x2, y2, t1, 1.0);
    EdgeLine tickLower = BandEdge(x1, y1, x2, y2, t1, -1.0);
    EdgeLine downInner = BandEdge(x2, y2, x3, yb, t2, 1.0);
    EdgeLine downOuter = BandEdge(x2, y2, x3, yb, t2, -1.0);
    EdgeLine upInner = BandEdge(x3, yb, xo, yv, t3, 1.0);
    EdgeLine upOuter = BandEdge(x3, yb, xo, yv, t3, -1.0);
    Point2D corners[kOutlineCurves] = {
        Point2D(float(tickUpper.px), float(tickUpper.py)),
        Point2D(float(tickLower.px), float(tickLower.py)),
        Meet(tickLower, downOuter),
        MeetHorizontal(downOuter, cut),
        MeetHorizontal(upOuter, cut),
        MeetHorizontal(upOuter, yv - h),
        Point2D(float(xr), float(yv - h)),
        Point2D(float(xr), float(yv + h)),
        MeetHorizontal(upInner, yv + h),
        Meet(upInner, downInner),
        Meet(tickUpper, downInner),
    };
    float upperJoint = corners[10].y;

    // The degree: above the tick's joint, its right end a little left of the rising stroke.
    float shift = 0.0f;
    float topEdge = float(yv + h);
    GroupNode *degree = GetDegree();
    if (degree != nullptr)
    {
        float baseline = degree->GetLastRowBaseline();
        float y0 = mu * RadicalParam(design, 'dgvs') + float(y2) - baseline;
        float y = y0 + std::max(0.0f, mu * RadicalParam(design, 'dgvg') - (y0 + degree->bottom - upperJoint));
        double rise = double(y) + baseline - yb;
        double along = span > 0.0 ? rise * (xo - x3) / span : 0.0;
        float x = float(x3 + along) - mu * RadicalParam(design, 'dghs') - degree->width;
        if (x < left) shift = left - x;
        degree->position = Point2D(x + shift, y);
        topEdge = std::max(topEdge, y + degree->top);
    }

    bool finite = std::isfinite(shift);
    for (Point2D &corner : corners)
    {
        corner.x += shift;
        finite = finite && std::isfinite(corner.x) && std::isfinite(corner.y);
    }
    if (finite) outlineCount = AppendPolygonCurves(corners, kOutlineCurves, outline);
    radicand->position = Point2D(float(xo) + start + shift, 0.0f);
    width = float(xr) + shift + right;
    top = topEdge;
    bottom = float(cut);
}

void RadicalNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    output->AppendText("\\sqrt");
    if (const GroupNode *degree = GetDegree())
    {
        output->AppendText("[{");
        state->controlWord = 0;
        WriteSlotGroupLatex(degree, SlotStyle::kCleared, state, output);
        output->AppendText("}]");
    }
    output->AppendText("{");
    state->controlWord = 0;
    WriteSlotGroupLatex(GetRadicand(), SlotStyle::kUnchanged, state, output);
    output->AppendText("}");
    state->controlWord = 0;
}

void RadicalNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    const GroupNode *degree = GetDegree();
    output->AppendText(degree != nullptr ? "<mroot>\n" : "<msqrt>\n");
    WriteSlotGroupMathML(GetRadicand(), SlotStyle::kUnchanged, state, output);
    if (degree == nullptr)
    {
        output->AppendText("</msqrt>");
        return;
    }
    WriteSlotGroupMathML(degree, SlotStyle::kCleared, state, output);
    output->AppendText("</mroot>");
}

}  // namespace oq
