#include "editor/document/NegationNode.h"

#include "editor/document/MathDesign.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/DisplayItems.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace oq {

namespace {

constexpr int32_t kMarkGroup = 2;

}  // namespace

DocumentNode *NegationNode::Clone() const
{
    return new NegationNode(*this);
}

void NegationNode::Measure(const Design *design)
{
    ClearOutline();
    const SymbolRunNode *run = GetOwningRun();
    if (run == nullptr) return;
    float em = GetEm(design);
    float mu = em / 18.0F;
    GlyphBounds box;
    static_cast<void>(run->GetFirstGlyphBox(design, &box));  // an empty box without a glyph
    float b = em * box.yMin - mu * GetDesignParam(design, kMarkGroup, 'ngve');
    float t = em * box.yMax + mu * GetDesignParam(design, kMarkGroup, 'ngve');
    bottom = b;
    top = t;
    float xm = em * (box.xMin + box.xMax) / 2.0F;
    float e = mu * GetDesignParam(design, kMarkGroup, 'ngth') / 2.0F;
    Point2D corners[4];
    bool slanted = false;
    if (type != 'vert')
    {
        float slope = GetDesignParam(design, kMarkGroup, 'ngsl');
        float h = slope > 0.0F ? (t - b) / 2.0F / slope : 0.0F;
        float p = mu * GetDesignParam(design, kMarkGroup, 'ngis');
        float xr = std::min(xm + h, em * box.xMax - p);
        float xl = std::max(xm - h, em * box.xMin + p);
        // xr > xl needs h > 0, so the stroke has a height here.
        if (xr > xl && t > b)
        {
            float m = e * std::sqrt((xr - xl) * (xr - xl) + (t - b) * (t - b)) / (t - b);
            if (type == 'bkwd') std::swap(xl, xr);
            corners[0] = Point2D(xl - m, b);
            corners[1] = Point2D(xl + m, b);
            corners[2] = Point2D(xr + m, t);
            corners[3] = Point2D(xr - m, t);
            slanted = true;
        }
    }
    if (!slanted)
    {
        corners[0] = Point2D(xm - e, b);
        corners[1] = Point2D(xm + e, b);
        corners[2] = Point2D(xm + e, t);
        corners[3] = Point2D(xm - e, t);
    }
    for (int32_t i = 0; i < 4; ++i) outline[i] = MakeLineCurve(corners[i], corners[(i + 1) % 4]);
    outlineCount = 4;
}

}  // namespace oq
