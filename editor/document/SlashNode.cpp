#include "editor/document/SlashNode.h"

#include "editor/document/MathDesign.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/DisplayItems.h"

#include <algorithm>
#include <cmath>

namespace oq {

namespace {

constexpr int32_t kMarkGroup = 2;
// Below this height (in points) the stroke has no slope to shift it by.
constexpr float kMinSlashHeight = 1.0e-6F;
constexpr float kSmallestNormal = 1.17549435e-38F;  // 2^-126

}  // namespace

DocumentNode *SlashNode::Clone() const
{
    return new SlashNode(*this);
}

void SlashNode::Measure(const Design *design)
{
    ClearOutline();
    if (GetOwningRun() == nullptr) return;
    float em = GetEm(design);
    float mu = em / 18.0F;
    float d = -mu * GetDesignParam(design, kMarkGroup, 'slds');
    float h = mu * GetDesignParam(design, kMarkGroup, 'slas') + em * GetGeneralParam(design, 'cptl');
    float e = mu * GetDesignParam(design, kMarkGroup, 'slth') / 2.0F;
    float f = em * GetDesignParam(design, kMarkGroup, 'slwd') / 2.0F;
    if (type == 'bkwd') f = -f;
    // The shift that makes the centre line cross x = 0 at the math axis; a stroke without height
    // has no slope and stays unshifted.
    float span = h - d;
    float s = span > kMinSlashHeight ? -((d + h) / 2.0F - em * GetGeneralParam(design, 'axis')) * 2.0F * f / span : 0.0F;
    float length = std::sqrt(span * span + 4.0F * f * f);
    float px = 0.0F;
    float py = 0.0F;
    if (length >= kSmallestNormal)
    {
        float n = 1.0F / length;
        px = -span * n * e;
        py = 2.0F * f * n * e;
    }
    const Point2D corners[4] = {Point2D(-f - s + px, d + py), Point2D(-f - s - px, d - py),
                                Point2D(f - s - px, h - py), Point2D(f - s + px, h + py)};
    for (int32_t i = 0; i < 4; ++i) outline[i] = MakeLineCurve(corners[i], corners[(i + 1) % 4]);
    outlineCount = 4;
    bottom = std::min(d + py, d - py);
    top = std::max(h + py, h - py);
}

}  // namespace oq
