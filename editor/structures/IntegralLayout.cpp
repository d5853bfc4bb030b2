// The integral's layout: the sign's size and growth, repeated signs, the contour loop and its
// arrowhead, the limits (below and above, or beside) and the body with the nested-integral kern.
#include "editor/structures/IntegralNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/SpacingNeighbors.h"
#include "editor/document/StretchyOutlines.h"
#include "vorl/geometry/EllipsePaths.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace oq {

namespace {

// The fixed arrowhead sizes of the integral group in mu (slot of the full size; the small one follows)
// and its shape factor.
constexpr int32_t kArrowWidthSlot = 29;
constexpr int32_t kArrowLengthSlot = 31;
constexpr int32_t kArrowInnerSlot = 33;
constexpr int32_t kArrowOuterSlot = 35;
constexpr int32_t kArrowShapeSlot = 37;

float IntegralParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kIntegralKind, key);
}

float IntegralFixed(const Design *design, int32_t slot)
{
    return design->GetGroupSlots(FindDesignGroup(kIntegralKind))[slot];
}

// True when the body's first row starts with an integral.
bool StartsWithIntegral(const GroupNode *body)
{
    const MathNode *begin = body != nullptr ? body->GetFirstMathSubnode() : nullptr;
    const MathNode *first = begin != nullptr ? begin->GetNextMathNode() : nullptr;
    return first != nullptr && first->GetKind() == kIntegralKind;
}

}  // namespace

void IntegralNode::Measure(const Design *design)
{
    const float em = GetEm(design);
    const float mu = em / 18.0F;
    const float axis = GetGeneralParam(design, 'axis') * em;
    const int32_t s = small ? 1 : 0;
    GroupNode *body = GetBody();
    GroupNode *lower = GetLower();
    GroupNode *upper = GetUpper();
    signCurveCount = 0;
    loopCurveCount = 0;
    arrowCurveCount = 0;

    // 1, 2. The nominal sign box on the axis and the outer spacing.
    float height = IntegralParam(design, small ? 'smsz' : 'lgsz') * em;
    float b = axis - height * 0.5F;
    float t = axis + height * 0.5F;
    float gap = IntegralParam(design, 'sbsp') * mu;
    leftSpacing = GetSpaceBefore(this, gap, false);
    rightSpacing = GetSpaceAfter(this, IntegralParam(design, 'exsp') * mu, false);

    // 3. Display limits stand off the sign's centre: the lower one left, the upper one right.
    float shift = IntegralParam(design, glyphMode ? 'ogsh' : 'olsh') * em;
    if (small) shift *= IntegralParam(design, 'smsz') / IntegralParam(design, 'lgsz');
    float dl = lower != nullptr ? -shift * lower->sizeFactor : 0.0F;
    float du = upper != nullptr ? shift * upper->sizeFactor : 0.0F;
    float wl = lower != nullptr ? lower->width : 0.0F;
    float wu = upper != nullptr ? upper->width : 0.0F;

    float u = 0.0F;
    float slant = 0.0F;
    float scale = 0.0F;
    float d = 0.0F;
    float advance = 0.0F;
    float outerRadius = 0.0F;
    float innerRadius = 0.0F;
    QuadraticBezier2D sign[kIntegralSignOutlineCurves];
    int32_t perSign = 0;
    if (glyphMode)
    {
        // 4. The glyph's ink scaled to the height; without a usable glyph only the nominal box.
        u = glyph.Place(design, height, 0.0F, b) * 0.5F;
    }
    else
    {
        // 5. Grow to the body, slant the limits' shifts with the sign, build one sign, repeat it.
        float e = 0.0F;
        if (grow && body != nullptr)
        {
            float extra = IntegralParam(design, 'gext') * mu;
            e = std::max({0.0F, b - body->bottom + extra, body->top + extra - t});
            b -= e;
            t += e;
        }
        slant = std::tan(IntegralParam(design, 'slnt') * std::numbers::pi_v<float> / 180.0F);
        if (lower != nullptr) dl -= (axis - b) * slant;
        if (upper != nullptr) du += (t - axis) * slant;
        scale = height * kIntegralSignScale;
        float h = 0.0F;
        perSign = BuildIntegralSignOutline(design, em, scale, e, sign, &h);
        advance = scale * IntegralParam(design, 'advc');
        d = float(signCount - 1) * advance * 0.5F;
        u = h + d;
        if (loop)
        {
            float radius = em * IntegralParam(design, small ? 'lpr1' : 'lpr0');
            float half = mu * IntegralParam(design, small ? 'lpt1' : 'lpt0') * 0.5F;
            outerRadius = radius + half + d;
            // A thick loop of a small radius keeps a hole of radius 0, never a mirrored circle.
            innerRadius = std::max(0.0F, radius - half + d);
            u = std::max(u, outerRadius);
        }
    }

    // 6. The sign's centre: far enough right for the sign and for display limits hanging left.
    float right = 0.0F;
    float reach = u;
    if (!inlineLimits)
    {
        right = std::max(dl + wl * 0.5F, du + wu * 0.5F);
        reach = std::max(u, -std::min(dl - wl * 0.5F, du - wu * 0.5F));
    }
    float c = reach + leftSpacing;

    if (glyphMode)
    {
        // 7. The ink box spans [b, t] centred on c.
        glyph.offsetX += c;
    }
    else
    {
        // 8. The signs adv apart around c, the ring, the turned arrowhead on the ring's right side.
        for (int32_t i = 0; i < signCount; ++i)
        {
            float dx = c - d + float(i) * advance;
            for (int32_t k = 0; k < perSign; ++k)
            {
                QuadraticBezier2D &curve = signOutline[signCurveCount++];
                curve = sign[k];
                for (Point2D *p : {&curve.p0, &curve.p1, &curve.p2}) p->x += dx;
            }
        }
        if (loop)
        {
            loopCurveCount = AppendEllipseCurves(c, axis, outerRadius, outerRadius, loopOutline, 0, 11);
            loopCurveCount += AppendEllipseCurvesReversed(c, axis, innerRadius, innerRadius, loopOutline + loopCurveCount,
                                                          0, 11);
        }
        if (arrow)
        {
            const int32_t size = small ? 1 : 0;
            ArrowheadExtent extent = {};
            arrowCurveCount = BuildArrowheadOutline(
                mu * IntegralFixed(design, kArrowLengthSlot + size), mu * IntegralFixed(design, kArrowWidthSlot + size),
                mu * IntegralFixed(design, kArrowInnerSlot + size), mu * IntegralFixed(design, kArrowOuterSlot + size),
                IntegralFixed(design, kArrowShapeSlot), false, arrowOutline, &extent);
            float middle = (innerRadius + outerRadius) * 0.5F;
            float xa = c + middle;
            // The middle of the head's x extent lands on the axis whichever way it turns.
            float sy = extent.minX + extent.maxX;
            u = std::max(u, extent.maxX + middle);
            for (int32_t k = 0; k < arrowCurveCount; ++k)
            {
                for (Point2D *p : {&arrowOutline[k].p0, &arrowOutline[k].p1, &arrowOutline[k].p2})
                {
                    *p = clockwise ? Point2D(xa + p->y, axis + sy * 0.5F - p->x)
                                   : Point2D(xa - p->y, axis - sy * 0.5F + p->x);
                }
            }
        }
    }
    signCentre = c;
    signBottom = b;
    signTop = t;
    signHalfWidth = u;

    // 9. The node's extent: the sign and the body.
    bottom = b;
    top = t;
    if (body != nullptr)
    {
        bottom = std::min(bottom, body->bottom);
        top = std::max(top, body->top);
    }

    float x = 0.0F;
    float kernBound = 0.0F;
    if (!inlineLimits)
    {
        // 10. Limits centred on their shifted centres, vtsp off the sign and at least vtgp clear of it.
        x = c + std::max(u, right);
        float vtsp = IntegralParam(design, 'vtsp');
        float vtgp = IntegralParam(design, 'vtgp') * mu;
        if (lower != nullptr)
        {
            float y0 = b - (GetGeneralParam(design, 'cptl') * lower->sizeFactor + vtsp / 18.0F) * em;
            float need = vtgp - (b - (y0 + lower->top));
            float y = y0 - std::max(0.0F, need);
            lower->position = Point2D(c + dl - wl * 0.5F, y);
            bottom = std::min(bottom, y + lower->bottom);
        }
        if (upper != nullptr)
        {
            float y0 = t + mu * vtsp - upper->GetLastRowBaseline();
            float need = vtgp - (y0 + upper->bottom - t);
            float y = y0 + std::max(0.0F, need);
            upper->position = Point2D(c + du - wu * 0.5F, y);
            top = std::max(top, y + upper->top);
        }
        kernBound = x;
    }
    else
    {
        // 11. Limits beside the sign, the lower one pulled back under the slanted sign.
        const int32_t g = glyphMode ? 1 : 0;
        static constexpr uint32_t kLowerKeys[2][2] = {{'lls0', 'lls1'}, {'lgs0', 'lgs1'}};
        static constexpr uint32_t kUpperKeys[2][2] = {{'uls0', 'uls1'}, {'ugs0', 'ugs1'}};
        float x0 = c + u;
        x = x0;
        kernBound = c;
        if (lower != nullptr)
        {
            float lx = x0 + mu * IntegralParam(design, kLowerKeys[g][s]);
            if (!glyphMode) lx -= slant * (t - b);
            float y = b + em * IntegralParam(design, 'lwof');
            lower->position = Point2D(lx, y);
            x = std::max(x0, lx + wl);
            kernBound = x;
            bottom = std::min(bottom, y + lower->bottom);
        }
        if (upper != nullptr)
        {
            float ux = x0 + mu * IntegralParam(design, kUpperKeys[g][s]);
            float y = t + em * IntegralParam(design, 'upof') - upper->GetLastRowBaseline();
            upper->position = Point2D(ux, y);
            x = std::max(x, ux + wu);
            top = std::max(top, y + upper->top);
        }
    }

    // 12, 13. The body, an integral opening it kerned closer but never past the bound.
    float bodyX = x + gap;
    if (StartsWithIntegral(body))
    {
        float kern = em * IntegralParam(design, glyphMode ? 'gkrn' : 'kern');
        if (small) kern *= IntegralParam(design, 'smsz') / IntegralParam(design, 'lgsz');
        bodyX = std::max(bodyX + kern, kernBound + gap);
    }
    if (body != nullptr)
    {
        body->position = Point2D(bodyX, 0.0F);
        width = bodyX + body->width + rightSpacing;
    }
    else
    {
        width = bodyX + rightSpacing;
    }
}

}  // namespace oq
