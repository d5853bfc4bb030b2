#include <gtest/gtest.h>

#include <cstring>

#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/StrokeStyle.h"

namespace oq {
namespace {

void ExpectColor(const ColorRGBA &c, float r, float g, float b, float a)
{
    EXPECT_EQ(c.red, r);
    EXPECT_EQ(c.green, g);
    EXPECT_EQ(c.blue, b);
    EXPECT_EQ(c.alpha, a);
}

TEST(PathRecords, ResetFillStyleKeepsTheRadialGeometry)
{
    FillStyle style;
    std::memset(&style, 0x5A, sizeof(style));
    style.centerX = 3.0f;
    style.centerY = 4.0f;
    style.radius = 5.0f;
    ResetFillStyle(&style);
    ExpectColor(style.color, 0, 0, 0, 1);
    EXPECT_EQ(style.rule, 0u);
    EXPECT_EQ(style.gradient, 0u);
    EXPECT_EQ(style.lineA, 0.0f);
    EXPECT_EQ(style.lineB, 0.0f);
    EXPECT_EQ(style.lineC, 0.0f);
    ExpectColor(style.gradientColor1, 0, 0, 0, 1);
    ExpectColor(style.gradientColor2, 0, 0, 0, 1);
    EXPECT_EQ(style.centerX, 3.0f);
    EXPECT_EQ(style.centerY, 4.0f);
    EXPECT_EQ(style.radius, 5.0f);
}

TEST(PathRecords, ResetStrokeStyleSetsEveryField)
{
    const float dashes[2] = {1.0f, 2.0f};
    StrokeStyle style;
    std::memset(&style, 0x5A, sizeof(style));
    style.dashArray = dashes;
    ResetStrokeStyle(&style);
    EXPECT_EQ(style.width, 1.0f);
    ExpectColor(style.color, 0, 0, 0, 1);
    EXPECT_EQ(style.cap, uint32_t('FLAT'));
    EXPECT_EQ(style.join, uint32_t('BEVL'));
    EXPECT_EQ(style.miterLimit, 4.0f);
    EXPECT_EQ(style.dashCount, 0);
    EXPECT_EQ(style.dashPhase, 0.0f);
    EXPECT_EQ(style.dashArray, nullptr);
}

}  // namespace
}  // namespace oq
