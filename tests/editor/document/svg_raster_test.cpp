#include <gtest/gtest.h>

#include "support/SvgRaster.h"

namespace oq {
namespace {

std::string Picture(const std::string &body)
{
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"4\" viewBox=\"0 0 8 4\">" + body + "</svg>";
}

// The pixels come back row by row from the top, RGBA, at the asked size (scaled from the SVG's own).
TEST(SvgRaster, PixelsOfAFilledHalfInRowOrder)
{
    std::string error;
    std::vector<uint8_t> pixels =
        test::RasterizeSvg(Picture("<path d=\"M0 0H8V2H0Z\" fill=\"#FF0000\"/>"), 16, 8, &error);
    ASSERT_EQ(pixels.size(), size_t(16 * 8 * 4)) << error;
    const uint8_t *top = &pixels[(1 * 16 + 3) * 4];
    EXPECT_EQ(top[0], 255);
    EXPECT_EQ(top[1], 0);
    EXPECT_EQ(top[2], 0);
    EXPECT_EQ(top[3], 255);
    const uint8_t *bottom = &pixels[(6 * 16 + 12) * 4];
    EXPECT_EQ(bottom[3], 0);
}

TEST(SvgRaster, FailuresAreReportedNotFaked)
{
    struct Case
    {
        const char *name;
        std::string svg;
        int width, height;
    };
    const Case cases[] = {
        {"not SVG", "this is not a picture", 8, 8},
        {"zero width", Picture(""), 0, 8},
        {"negative height", Picture(""), 8, -1},
    };
    for (const Case &c : cases)
    {
        std::string error;
        EXPECT_TRUE(test::RasterizeSvg(c.svg, c.width, c.height, &error).empty()) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
}

}  // namespace
}  // namespace oq
