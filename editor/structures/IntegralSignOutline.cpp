// The drawn integral sign: a point table for the upper half, turned for the lower one.
#include "editor/structures/IntegralSignOutline.h"

#include "editor/document/MathDesign.h"
#include "editor/structures/IntegralNode.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace oq {

namespace {

// A point of the upper half: on the stem (sheared by its height) or on the hook (moved rigidly).
struct SignPoint
{
    bool hook;
    float x;
    float y;
};

// The upper half's curves after their shared start: P1 and P2 of each.
constexpr SignPoint kUpperHalf[10][2] = {
    {{false, 0.0542918F, 0.4141824F}, {false, 0.0889093F, 0.5962996F}},
    {{false, 0.1393263F, 0.8615347F}, {true, 0.2756659F, 0.8063974F}},
    {{true, 0.2382324F, 0.760334F}, {true, 0.2498816F, 0.7243824F}},
    {{true, 0.2598863F, 0.6935056F}, {true, 0.2957003F, 0.6866925F}},
    {{true, 0.3237522F, 0.681356F}, {true, 0.3446817F, 0.6968873F}},
    {{true, 0.3683724F, 0.7144676F}, {true, 0.3683724F, 0.7509192F}},
    {{true, 0.3683724F, 0.7957664F}, {true, 0.3392325F, 0.8272191F}},
    {{true, 0.2964172F, 0.8734325F}, {true, 0.2223153F, 0.8649417F}},
    {{false, 0.0599244F, 0.845009F}, {false, -0.0102394F, 0.4976507F}},
    {{false, -0.0542918F, 0.2795629F}, {false, -0.0542918F, 0.0F}},
};
constexpr SignPoint kUpperStart = {false, 0.0542918F, 0.0F};
// The stem height where the hook starts, the shear of every hook point; and the hook's right edge.
constexpr float kHookHeight = 0.8615347F;
constexpr float kHookRight = 0.3683724F;

}  // namespace

int32_t BuildIntegralSignOutline(const Design *design, float em, float scale, float grow, QuadraticBezier2D *out,
                                 float *halfWidth)
{
    float q = std::tan(GetGroupParam(design, kIntegralKind, 'slnt') * std::numbers::pi_v<float> / 180.0F);
    // The grow extension in outline units; a scale of 0 (a font size of 0) grows nothing.
    float c = scale != 0.0F ? grow / scale : 0.0F;
    if (!std::isfinite(c)) c = 0.0F;
    float hs = q * (c + kHookHeight);
    auto place = [&](const SignPoint &p) {
        return Point2D(p.hook ? p.x + hs : p.x + q * (c + p.y), c + p.y);
    };
    QuadraticBezier2D upper[10];
    Point2D start = place(kUpperStart);
    for (int32_t i = 0; i < 10; ++i)
    {
        Point2D p1 = place(kUpperHalf[i][0]);
        Point2D p2 = place(kUpperHalf[i][1]);
        upper[i] = QuadraticBezier2D(start, p1, p2);
        start = p2;
    }
    auto turn = [](const Point2D &p) { return Point2D(-p.x, -p.y); };
    int32_t count = 0;
    for (const QuadraticBezier2D &curve : upper) out[count++] = curve;
    bool grows = c != 0.0F;
    if (grows)
    {
        Point2D from = upper[9].p2;
        Point2D to = turn(upper[0].p0);
        out[count++] = QuadraticBezier2D(from, to, to);
    }
    for (const QuadraticBezier2D &curve : upper)
        out[count++] = QuadraticBezier2D(turn(curve.p0), turn(curve.p1), turn(curve.p2));
    if (grows)
    {
        Point2D from = out[count - 1].p2;
        out[count++] = QuadraticBezier2D(from, upper[0].p0, upper[0].p0);
    }
    else
    {
        out[count - 1].p2 = upper[0].p0;
    }

    float axis = GetGeneralParam(design, 'axis') * em;
    for (int32_t i = 0; i < count; ++i)
    {
        for (Point2D *p : {&out[i].p0, &out[i].p1, &out[i].p2}) *p = Point2D(scale * p->x, scale * p->y + axis);
    }
    // The hooks' vertical tangent; a backward slant with a long growth can carry the hooks past the
    // centre, and then the outline's own extent (it is symmetric about x = 0) is the half width.
    float half = scale * (kHookRight + hs);
    for (int32_t i = 0; i < count; ++i)
    {
        float low = 0.0F;
        float high = 0.0F;
        out[i].GetXExtent(&low, &high);
        half = std::max({half, high, -low});
    }
    *halfWidth = half;
    return count;
}

}  // namespace oq
