// Stretchy outlines: closed, finite, positively wound contours of braces, tortoise-shell brackets and
// arrowheads over the ranges the design dialogs accept, and the arrowhead's special cases.
#include "editor/document/StretchyOutlines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace oq {
namespace {

constexpr float kEm = 11.0f;
constexpr float kMu = kEm / 18.0f;

// Twice the signed area the closed curves enclose, by Green's theorem: each quadratic contributes
// the integral of x dy - y dx, which is 2/3 (P0 x P1 + P1 x P2) + 1/3 (P0 x P2).
double TwiceSignedArea(const QuadraticBezier2D *curves, int32_t count)
{
    auto cross = [](const Point2D &a, const Point2D &b) { return double(a.x) * b.y - double(a.y) * b.x; };
    double sum = 0.0;
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        sum += 2.0 / 3.0 * (cross(c.p0, c.p1) + cross(c.p1, c.p2)) + 1.0 / 3.0 * cross(c.p0, c.p2);
    }
    return sum / 2.0;
}

bool IsFinite(const Point2D &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Every point finite, each curve starting where the one before it ends (the last closing onto the
// first), the straight ones with their control point on their end, and a positive area.
void ExpectClosedOutline(const QuadraticBezier2D *curves, int32_t count, const std::vector<int32_t> &straight)
{
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        ASSERT_TRUE(IsFinite(c.p0) && IsFinite(c.p1) && IsFinite(c.p2)) << "curve " << i;
        const Point2D &next = curves[(i + 1) % count].p0;
        EXPECT_TRUE(c.p2.x == next.x && c.p2.y == next.y) << "curve " << i << " is not joined to the next";
    }
    for (int32_t i : straight)
    {
        EXPECT_TRUE(curves[i].p1.x == curves[i].p2.x && curves[i].p1.y == curves[i].p2.y) << "curve " << i;
    }
    EXPECT_GT(TwiceSignedArea(curves, count), 0.0);
}

// Values at the ends and inside of a dialog range.
std::vector<float> Range(float low, float high, float unit)
{
    return {low * unit, (low + high) / 2.0f * unit, high * unit};
}

TEST(StretchyOutlines, GuardedInverseLength)
{
    EXPECT_FLOAT_EQ(GetGuardedInverseLength(4.0f), 0.5f);
    EXPECT_FLOAT_EQ(GetGuardedInverseLength(0x1p-126f), 0x1p63f);
    for (float q : {0x1p-127f, 0.0f, -1.0f, NAN}) EXPECT_EQ(GetGuardedInverseLength(q), INFINITY) << q;
}

TEST(StretchyOutlines, BraceInvariants)
{
    const std::vector<int32_t> straight = {1, 3, 5, 7, 9, 11, 13};
    // Callers give the hooks at most a quarter of the length each; a brace shorter than its apex is
    // thick turns inside out.
    for (float W : Range(0.01f, 2.0f, kEm))
    for (float H : Range(0.01f, 2.0f, kEm))
    for (float c : {0.0f, 0.5f, 1.0f})
    for (float T : {0.1f * kMu, 9.0f * kMu})
    for (float Te : {0.1f * kMu, 9.0f * kMu})
    for (float Ta : {0.1f * kMu, 9.0f * kMu})
    for (float L : {std::max(4.0f * H, Ta), 4.0f * H + 40.0f * kEm})
    {
        SCOPED_TRACE(testing::Message() << "L " << L << " W " << W << " H " << H << " c " << c << " T " << T
                                        << " Te " << Te << " Ta " << Ta);
        QuadraticBezier2D curves[kBraceOutlineCurves];
        ASSERT_EQ(BuildBraceOutline(L, W, H, c, T, Te, Ta, curves), 15);
        ExpectClosedOutline(curves, 15, straight);
        // Mirror-symmetric about y = L/2: curve i is curve 14 - i mirrored and run backwards (a
        // straight edge's control point moves to its other end).
        float tolerance = 1e-5f * (L + 4.0f * kEm);
        for (int32_t i = 0; i < 15; ++i)
        {
            const QuadraticBezier2D &a = curves[i];
            const QuadraticBezier2D &b = curves[14 - i];
            bool line = (i % 2) == 1;
            const Point2D pairs[3][2] = {{a.p0, b.p2}, {a.p1, line ? b.p0 : b.p1}, {a.p2, b.p0}};
            for (const auto &pair : pairs)
            {
                EXPECT_NEAR(pair[0].x, pair[1].x, tolerance) << "curve " << i;
                EXPECT_NEAR(pair[0].y, L - pair[1].y, tolerance) << "curve " << i;
            }
        }
        if (HasFailure()) return;
    }
}

TEST(StretchyOutlines, ShellBracketInvariants)
{
    for (float W : Range(0.05f, 0.5f, kEm))
    for (float H : Range(0.01f, 2.0f, kEm))
    for (float L : {4.0f * H, 4.0f * H + 40.0f * kEm})
    for (float T : {0.1f * kMu, 9.0f * kMu})
    for (float Te : {0.1f * kMu, 9.0f * kMu})
    {
        SCOPED_TRACE(testing::Message() << "L " << L << " W " << W << " H " << H << " T " << T << " Te " << Te);
        QuadraticBezier2D curves[kShellBracketOutlineCurves];
        ASSERT_EQ(BuildShellBracketOutline(L, W, H, T, Te, curves), 8);
        ExpectClosedOutline(curves, 8, {0, 1, 2, 3, 4, 5, 6, 7});
        if (HasFailure()) return;
    }
    // The hooks end square at (W, 0) and (W, L): the end edges are centred there.
    QuadraticBezier2D curves[kShellBracketOutlineCurves];
    BuildShellBracketOutline(20.0f, 3.0f, 4.0f, 1.0f, 0.5f, curves);
    EXPECT_FLOAT_EQ((curves[0].p0.x + curves[0].p2.x) / 2.0f, 3.0f);
    EXPECT_NEAR((curves[0].p0.y + curves[0].p2.y) / 2.0f, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ((curves[4].p0.y + curves[4].p2.y) / 2.0f, 20.0f);
}

// The arrowhead builders by name, the half ones on a shaft.
struct ArrowheadVariant
{
    const char *name;
    bool half;
    std::function<int32_t(float, float, float, float, float, float, QuadraticBezier2D *, ArrowheadExtent *)> build;
};

const ArrowheadVariant kVariants[] = {
    {"whole", false,
     [](float L, float W, float ti, float to, float k, float, QuadraticBezier2D *out, ArrowheadExtent *e) {
         return BuildArrowhead(L, W, ti, to, k, out, e);
     }},
    {"reversed", false,
     [](float L, float W, float ti, float to, float k, float, QuadraticBezier2D *out, ArrowheadExtent *e) {
         return BuildArrowheadReversed(L, W, ti, to, k, out, e);
     }},
    {"half", true, BuildHalfArrowhead},
    {"half reversed", true, BuildHalfArrowheadReversed},
    {"half flipped", true, BuildHalfArrowheadFlipped},
    {"half reversed flipped", true, BuildHalfArrowheadReversedFlipped},
};

TEST(StretchyOutlines, ArrowheadInvariants)
{
    // Dialog ranges: length and width 0.01 to 2 em, inner thickness 0.1 to 9 mu, outer 0 to 9 mu,
    // curvature 0 to 1. Thicknesses at the ends of their ranges with the smallest sizes are the
    // heads whose tip or notch ran off before the thicknesses were bounded.
    for (const ArrowheadVariant &variant : kVariants)
    for (float L : Range(0.01f, 2.0f, kEm))
    for (float W : Range(0.01f, 2.0f, kEm))
    for (float ti : {0.1f * kMu, 9.0f * kMu})
    for (float to : {0.0f, 0.1f * kMu, 9.0f * kMu})
    for (float k : {0.0f, 0.5f, 1.0f})
    for (float s : {0.0f, 0.5f * kMu, 3.0f * kMu})
    {
        SCOPED_TRACE(testing::Message() << variant.name << " L " << L << " W " << W << " ti " << ti << " to " << to
                                        << " k " << k << " s " << s);
        QuadraticBezier2D curves[kArrowheadOutlineCurves];
        ArrowheadExtent extent;
        int32_t count = variant.build(L, W, ti, to, k, s, curves, &extent);
        ASSERT_EQ(count, (variant.half ? 3 : 4) + (to > 0.0f ? 1 : 0) * (variant.half ? 1 : 2));
        std::vector<int32_t> straight;
        if (k == 0.0f)
        {
            for (int32_t i = 0; i < count; ++i) straight.push_back(i);
        }
        ExpectClosedOutline(curves, count, straight);
        EXPECT_TRUE(std::isfinite(extent.lateral) && std::isfinite(extent.join) && std::isfinite(extent.minX) &&
                    std::isfinite(extent.maxX));
        EXPECT_LT(extent.minX, extent.maxX);
        if (HasFailure()) return;
    }
}

TEST(StretchyOutlines, ArrowheadCases)
{
    QuadraticBezier2D curves[kArrowheadOutlineCurves];
    ArrowheadExtent extent;

    // Without an outer thickness there are no end caps, and the barbs end in a point at (0, W).
    EXPECT_EQ(BuildArrowhead(8.0f, 3.0f, 0.5f, 0.0f, 0.5f, curves, &extent), 4);
    EXPECT_TRUE(curves[0].p0 == Point2D(0.0f, 3.0f));
    EXPECT_TRUE(curves[3].p2 == Point2D(0.0f, 3.0f));
    EXPECT_EQ(BuildHalfArrowhead(8.0f, 3.0f, 0.5f, 0.0f, 0.5f, 0.0f, curves, &extent), 3);
    EXPECT_TRUE(curves[0].p0 == Point2D(0.0f, 3.0f));

    // With an outer thickness the first curve is the cap, straight from P1 to P2.
    EXPECT_EQ(BuildArrowhead(8.0f, 3.0f, 0.5f, 0.4f, 0.5f, curves, &extent), 6);
    float n = 1.0f / std::sqrt(8.0f * 8.0f + 3.0f * 3.0f);
    EXPECT_FLOAT_EQ(curves[0].p0.x, n * 3.0f * 0.4f / 2.0f);
    EXPECT_FLOAT_EQ(curves[0].p0.y, 3.0f + n * 8.0f * 0.4f / 2.0f);
    EXPECT_FLOAT_EQ(curves[0].p2.x, -n * 3.0f * 0.4f / 2.0f);
    EXPECT_FLOAT_EQ(extent.lateral, curves[0].p0.y);
    EXPECT_FLOAT_EQ(extent.minX, curves[0].p2.x);

    // Without thicknesses the tip and the notch meet at (L, 0).
    EXPECT_EQ(BuildArrowhead(8.0f, 3.0f, 0.0f, 0.0f, 0.0f, curves, &extent), 4);
    EXPECT_TRUE(curves[0].p2 == Point2D(8.0f, 0.0f));
    EXPECT_TRUE(curves[2].p2 == Point2D(8.0f, 0.0f));
    EXPECT_FLOAT_EQ(extent.join, 8.0f);
    EXPECT_FLOAT_EQ(extent.maxX, 8.0f);

    // A thin inner edge puts the notch ahead of the barbs and the tip past L; the reversed head
    // mirrors both about x = L / 2.
    BuildArrowhead(8.0f, 3.0f, 0.5f, 0.5f, 0.0f, curves, &extent);
    ArrowheadExtent reversed;
    BuildArrowheadReversed(8.0f, 3.0f, 0.5f, 0.5f, 0.0f, curves, &reversed);
    EXPECT_GT(extent.join, 0.0f);
    EXPECT_GT(extent.maxX, 8.0f);
    EXPECT_FLOAT_EQ(reversed.join, 8.0f - extent.join);
    EXPECT_FLOAT_EQ(reversed.minX, 8.0f - extent.maxX);
    EXPECT_FLOAT_EQ(reversed.maxX, 8.0f - extent.minX);

    // A half head on a shaft of thickness 1 closes along the shaft's far edge (y = -0.5 for the
    // upper barb, 0.5 flipped) and keeps its barb W from the centre line.
    ArrowheadExtent half;
    BuildHalfArrowhead(8.0f, 3.0f, 0.5f, 0.0f, 0.0f, 1.0f, curves, &half);
    EXPECT_TRUE(curves[0].p0 == Point2D(0.0f, 3.0f));
    EXPECT_TRUE(curves[1].p0.y == -0.5f && curves[1].p2.y == -0.5f);
    EXPECT_FLOAT_EQ(half.lateral, 3.0f);
    BuildHalfArrowheadFlipped(8.0f, 3.0f, 0.5f, 0.0f, 0.0f, 1.0f, curves, &half);
    EXPECT_TRUE(curves[2].p2 == Point2D(0.0f, -3.0f));
    EXPECT_TRUE(curves[1].p0.y == 0.5f && curves[1].p2.y == 0.5f);
    EXPECT_FLOAT_EQ(half.lateral, 3.0f);
}

TEST(StretchyOutlines, ArrowheadThicknessLimit)
{
    // The tip's and the notch's denominators stay at or below -W / 4 when one thickness far exceeds
    // the other: here the difference is bounded to 1.5 W sqrt(L^2 + W^2) / L.
    const float L = 2.0f * kEm;
    const float W = 0.01f * kEm;
    QuadraticBezier2D limited[kArrowheadOutlineCurves];
    QuadraticBezier2D bounded[kArrowheadOutlineCurves];
    ArrowheadExtent a;
    ArrowheadExtent b;
    float limit = 1.5f * W * std::sqrt(L * L + W * W) / L;
    BuildArrowhead(L, W, 9.0f * kMu, 0.1f * kMu, 1.0f, limited, &a);
    BuildArrowhead(L, W, 0.1f * kMu + limit, 0.1f * kMu, 1.0f, bounded, &b);
    auto expectSame = [](const QuadraticBezier2D *x, const QuadraticBezier2D *y) {
        for (int32_t i = 0; i < 6; ++i)
        {
            for (const auto &[p, q] : {std::pair(x[i].p0, y[i].p0), std::pair(x[i].p1, y[i].p1), std::pair(x[i].p2, y[i].p2)})
            {
                EXPECT_NEAR(p.x, q.x, 1e-4f) << "curve " << i;
                EXPECT_NEAR(p.y, q.y, 1e-4f) << "curve " << i;
            }
        }
    };
    expectSame(limited, bounded);
    EXPECT_TRUE(std::isfinite(a.maxX) && std::isfinite(a.join));
    BuildArrowhead(L, W, 0.1f * kMu, 9.0f * kMu, 1.0f, limited, &a);
    BuildArrowhead(L, W, 0.1f * kMu, 0.1f * kMu + limit, 1.0f, bounded, &b);
    expectSame(limited, bounded);

    // Thicknesses inside the limit are used as they are.
    BuildArrowhead(kEm, 0.3f * kEm, 1.2f * kMu, 0.0f, 0.0f, limited, &a);
    float n = 1.0f / std::sqrt(kEm * kEm + 0.09f * kEm * kEm);
    float iy = n * kEm * 1.2f * kMu / 2.0f;
    float ix = n * 0.3f * kEm * 1.2f * kMu / 2.0f;
    EXPECT_FLOAT_EQ(a.maxX, -(ix + kEm) / (iy - 0.3f * kEm) * 0.3f * kEm);
}

TEST(StretchyOutlines, ArrowheadRandomDesigns)
{
    // Random heads over the dialog ranges, at small and large font sizes: the outline stays closed and
    // positively wound, and no barb crosses the axis (a cut thicker than the head folded it over).
    uint32_t state = 12345;
    auto next = [&state](float low, float high) {
        state = state * 1664525u + 1013904223u;
        return low + (high - low) * float(state >> 8) / float(1u << 24);
    };
    for (int32_t i = 0; i < 20000; ++i)
    {
        float em = next(1.0f, 40.0f);
        float mu = em / 18.0f;
        float L = next(0.01f, 2.0f) * em;
        float W = next(0.01f, 2.0f) * em;
        float ti = next(0.1f, 9.0f) * mu;
        float to = next(0.0f, 9.0f) * mu;
        float k = next(0.0f, 1.0f);
        SCOPED_TRACE(testing::Message() << "L " << L << " W " << W << " ti " << ti << " to " << to << " k " << k);
        QuadraticBezier2D curves[kArrowheadOutlineCurves];
        ArrowheadExtent extent;
        int32_t count = BuildArrowhead(L, W, ti, to, k, curves, &extent);
        ExpectClosedOutline(curves, count, {});
        // The barb's inner corner (the start of the inner edge) stays on its side of the axis, up to
        // rounding when the cut reaches it.
        const QuadraticBezier2D &inner = curves[to > 0.0f ? 1 : 0];
        EXPECT_GE(inner.p0.y, -1e-6f * W);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace oq
