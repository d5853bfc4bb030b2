// The drawn integral sign: 20 closed curves point-symmetric about the axis point, its height and
// half width, the grown form with its straight connectors, and sound outlines at every range end.
#include "DesignRangeCases.h"
#include "StructureFixtures.h"

#include "editor/document/MathDesign.h"
#include "editor/structures/IntegralNode.h"
#include "editor/structures/IntegralSignOutline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace oq {
namespace {

struct Sign
{
    std::vector<QuadraticBezier2D> curves;
    float halfWidth = 0.0F;
};

Sign Build(const Design &design, float em, float scale, float grow)
{
    Sign sign;
    sign.curves.resize(kIntegralSignOutlineCurves);
    int32_t count = BuildIntegralSignOutline(&design, em, scale, grow, sign.curves.data(), &sign.halfWidth);
    sign.curves.resize(size_t(std::max(count, 0)));
    return sign;
}

void YExtent(const std::vector<QuadraticBezier2D> &curves, float *low, float *high)
{
    *low = INFINITY;
    *high = -INFINITY;
    for (const QuadraticBezier2D &c : curves)
    {
        float a = 0.0F;
        float b = 0.0F;
        c.GetYExtent(&a, &b);
        *low = std::min(*low, a);
        *high = std::max(*high, b);
    }
}

void XExtent(const std::vector<QuadraticBezier2D> &curves, float *low, float *high)
{
    *low = INFINITY;
    *high = -INFINITY;
    for (const QuadraticBezier2D &c : curves)
    {
        float a = 0.0F;
        float b = 0.0F;
        c.GetXExtent(&a, &b);
        *low = std::min(*low, a);
        *high = std::max(*high, b);
    }
}

constexpr float kEm = 11.0F;
constexpr float kScale = 22.0F * kIntegralSignScale;  // 12.69557 at the factory sign height

TEST(IntegralSignOutline, FactorySignIsClosedSymmetricAndHTall)
{
    Design design;
    const float axis = GetGeneralParam(&design, 'axis') * kEm;
    EXPECT_NEAR(axis, 2.81105F, 1e-4F);
    EXPECT_NEAR(kScale, 12.69557F, 1e-4F);
    Sign sign = Build(design, kEm, kScale, 0.0F);
    ASSERT_EQ(sign.curves.size(), 20u);
    // Continuous, and closed exactly.
    for (size_t i = 1; i < sign.curves.size(); ++i)
    {
        EXPECT_EQ(sign.curves[i].p0.x, sign.curves[i - 1].p2.x) << i;
        EXPECT_EQ(sign.curves[i].p0.y, sign.curves[i - 1].p2.y) << i;
    }
    EXPECT_EQ(sign.curves.back().p2.x, sign.curves.front().p0.x);
    EXPECT_EQ(sign.curves.back().p2.y, sign.curves.front().p0.y);
    // Curve k + 10 is curve k turned by 180 degrees about (0, axis).
    for (size_t k = 0; k < 10; ++k)
    {
        const QuadraticBezier2D &a = sign.curves[k];
        const QuadraticBezier2D &b = sign.curves[k + 10];
        for (auto [p, q] : {std::pair{a.p0, b.p0}, std::pair{a.p1, b.p1}, std::pair{a.p2, b.p2}})
        {
            EXPECT_NEAR(q.x, -p.x, 1e-4F) << k;
            EXPECT_NEAR(q.y - axis, axis - p.y, 1e-4F) << k;
        }
    }
    // The hook tops about 0.866 w from the axis: about H tall in all.
    float low = 0.0F;
    float high = 0.0F;
    YExtent(sign.curves, &low, &high);
    EXPECT_NEAR(high - axis, 0.866F * kScale, 2e-3F * kScale);
    EXPECT_NEAR(axis - low, 0.866F * kScale, 2e-3F * kScale);
    EXPECT_NEAR(high - low, 22.0F, 0.05F);
    // The half width is the hooks' vertical tangent, slanted by 5 degrees.
    float q = std::tan(5.0F * std::numbers::pi_v<float> / 180.0F);
    EXPECT_NEAR(sign.halfWidth, kScale * (0.3683724F + q * 0.8615347F), 1e-4F);
    EXPECT_NEAR(sign.halfWidth, 5.63362F, 1e-4F);
    XExtent(sign.curves, &low, &high);
    EXPECT_NEAR(high, sign.halfWidth, 1e-4F);
    EXPECT_NEAR(low, -sign.halfWidth, 1e-4F);

    test::OutlineChecks checks;
    checks.closeTolerance = 0.0F;
    checks.simple = true;
    EXPECT_EQ(test::CheckOutline(sign.curves, checks), "");
}

TEST(IntegralSignOutline, GrownSignStandsTwoExtensionsApart)
{
    Design design;
    const float axis = GetGeneralParam(&design, 'axis') * kEm;
    const float q = std::tan(5.0F * std::numbers::pi_v<float> / 180.0F);
    Sign plain = Build(design, kEm, kScale, 0.0F);
    for (float e : {0.5F, 7.25F})
    {
        Sign grown = Build(design, kEm, kScale, e);
        ASSERT_EQ(grown.curves.size(), 22u) << e;
        // The upper half moved up by e (and along the slant), the lower half down.
        for (size_t k = 0; k < 10; ++k)
        {
            const QuadraticBezier2D &a = plain.curves[k];
            const QuadraticBezier2D &up = grown.curves[k];
            const QuadraticBezier2D &pa = plain.curves[k + 10];
            const QuadraticBezier2D &down = grown.curves[k + 11];
            for (auto [p, g] : {std::pair{a.p0, up.p0}, std::pair{a.p1, up.p1}, std::pair{a.p2, up.p2}})
            {
                EXPECT_NEAR(g.x - p.x, q * e, 1e-4F) << e << " " << k;
                EXPECT_NEAR(g.y - p.y, e, 1e-4F) << e << " " << k;
            }
            for (auto [p, g] : {std::pair{pa.p1, down.p1}, std::pair{pa.p2, down.p2}})
            {
                if (k == 9) break;  // the plain sign's last point is its first, set exactly
                EXPECT_NEAR(g.x - p.x, -q * e, 1e-4F) << e << " " << k;
                EXPECT_NEAR(g.y - p.y, -e, 1e-4F) << e << " " << k;
            }
        }
        // Two straight connectors join the halves; the outline stays symmetric about the axis.
        for (size_t i : {size_t(10), size_t(21)})
        {
            EXPECT_EQ(grown.curves[i].p1.x, grown.curves[i].p2.x) << i;
            EXPECT_EQ(grown.curves[i].p1.y, grown.curves[i].p2.y) << i;
        }
        EXPECT_EQ(grown.curves[21].p2.x, grown.curves[0].p0.x);
        EXPECT_EQ(grown.curves[21].p2.y, grown.curves[0].p0.y);
        float low = 0.0F;
        float high = 0.0F;
        YExtent(grown.curves, &low, &high);
        EXPECT_NEAR(high - axis, axis - low, 1e-3F) << e;
        EXPECT_NEAR(high - low, 2.0F * e + 2.0F * 0.866F * kScale, 0.05F) << e;
        EXPECT_NEAR(grown.halfWidth, plain.halfWidth + q * e, 1e-4F) << e;
        test::OutlineChecks checks;
        checks.closeTolerance = 0.0F;
        checks.simple = true;
        EXPECT_EQ(test::CheckOutline(grown.curves, checks), "") << e;
    }
}

TEST(IntegralSignOutline, RangeEndsGiveSoundOutlines)
{
    test::ForEachRangeEnd(kIntegralKind, [](const Design &design, const std::string &label) {
        for (float size : test::kRangeSizes)
        {
            float height = GetGroupParam(&design, kIntegralKind, 'lgsz') * size;
            for (float grow : {0.0F, size})
            {
                Sign sign = Build(design, size, height * kIntegralSignScale, grow);
                ASSERT_EQ(sign.curves.size(), grow == 0.0F ? 20u : 22u) << label;
                // The half width covers the sign even where a backward slant and a long growth
                // carry the hooks past the centre.
                EXPECT_TRUE(std::isfinite(sign.halfWidth) && sign.halfWidth > 0.0F) << label;
                float low = 0.0F;
                float high = 0.0F;
                XExtent(sign.curves, &low, &high);
                EXPECT_LE(std::max(high, -low), sign.halfWidth * (1.0F + 1e-5F)) << label;
                test::OutlineChecks checks;
                checks.straightEdges = grow == 0.0F;
                EXPECT_EQ(test::CheckOutline(sign.curves, checks), "") << label << " at " << size << " grow " << grow;
            }
        }
    });
}

}  // namespace
}  // namespace oq
