#include "editor/document/EnclosureNode.h"

#include "editor/document/MathDesign.h"
#include "vorl/geometry/EllipsePaths.h"

namespace oq {

namespace {

constexpr int32_t kMarkGroup = 2;
constexpr int32_t kLastCircleSegment = 11;

}  // namespace

DocumentNode *EnclosureNode::Clone() const
{
    return new EnclosureNode(*this);
}

void EnclosureNode::Measure(const Design *design)
{
    ClearOutline();
    if (GetOwningRun() == nullptr) return;
    float em = GetEm(design);
    float mu = em / 18.0F;
    float k = mu * GetDesignParam(design, kMarkGroup, 'enth');
    float r = em * GetDesignParam(design, kMarkGroup, 'encr');
    float outer = r + k / 2.0F;
    // A thickness of more than twice the radius leaves no inside: the ring becomes a disc or a
    // filled square rather than a contour drawn inside out.
    float inner = r - k / 2.0F;
    width = 2.0F * outer;
    bottom = -outer;
    top = outer;
    if (type == 'circ')
    {
        outlineCount = AppendEllipseCurves(outer, 0.0F, outer, outer, outline, 0, kLastCircleSegment);
        if (inner > 0.0F)
            outlineCount += AppendEllipseCurvesReversed(outer, 0.0F, inner, inner, outline + outlineCount, 0,
                                                        kLastCircleSegment);
        return;
    }
    float radius = type == 'rdsq' ? em * GetDesignParam(design, kMarkGroup, 'enrr') + k / 2.0F : 0.0F;
    outlineCount = AppendRoundedRectCurves(0.0F, -outer, 2.0F * outer, outer, radius, radius, outline);
    if (inner > 0.0F)
        outlineCount += AppendRoundedRectCurvesReversed(k, -outer + k, 2.0F * outer - k, outer - k, radius - k,
                                                        radius - k, outline + outlineCount);
}

}  // namespace oq
