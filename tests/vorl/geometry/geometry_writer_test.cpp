#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "vorl/geometry/GeometryBuffer.h"

namespace oq {
namespace {

TEST(GeometryBufferTest, VariantFollowsColorAndIndexFormats)
{
    struct Case
    {
        int32_t colorFormat;
        int32_t indexFormat;
        int32_t variant;
    };
    const Case cases[] = {
        {0, 0, 0}, {0, 1, 1}, {1, 0, 2}, {1, 1, 3},
        // Every value but 1 means RGBA8 colour and 16-bit indices.
        {2, 2, 0}, {-1, -1, 0}, {2, 1, 1}, {1, -1, 2},
    };
    for (const Case &c : cases)
    {
        GeometryBuffer geometry = {nullptr, nullptr, 0, c.colorFormat, c.indexFormat};
        EXPECT_EQ(GetGeometryVariant(&geometry), c.variant) << c.colorFormat << " " << c.indexFormat;
        EXPECT_EQ(GetStrokeVariant('HLF4', &geometry), c.variant);
        EXPECT_EQ(GetStrokeVariant('FLT4', &geometry), 4 + c.variant);
    }
    EXPECT_EQ(GetGeometryVariant(nullptr), 0);
}

TEST(GeometryBufferTest, ColorBytesRoundAndSaturate)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    struct Case
    {
        float component;
        uint8_t byte;
    };
    const Case cases[] = {
        {1.0F, 255}, {0.0F, 0}, {0.5F, 128}, {0.002F, 1}, {0.0019F, 0},
        // Out of range and NaN: clamped, NaN to 0.
        {1.5F, 255}, {-0.25F, 0}, {nan, 0}, {infinity, 255}, {-infinity, 0},
    };
    for (const Case &c : cases) EXPECT_EQ(ColorComponentToByte(c.component), c.byte) << c.component;

    AttribStruct vertex = {};
    GeometryVariant<0>::StoreColor(&vertex, {1.0F, 0.5F, -3.0F, nan});
    EXPECT_EQ(vertex.color[0], 255);
    EXPECT_EQ(vertex.color[1], 128);
    EXPECT_EQ(vertex.color[2], 0);
    EXPECT_EQ(vertex.color[3], 0);

    // The float form stores the components unchanged.
    AttribStructFloat wide = {};
    GeometryVariant<3>::StoreColor(&wide, {1.5F, -0.5F, 0.25F, 2.0F});
    EXPECT_EQ(wide.color.red, 1.5F);
    EXPECT_EQ(wide.color.green, -0.5F);
    EXPECT_EQ(wide.color.alpha, 2.0F);
}

TEST(GeometryBufferTest, AdvanceMovesEachCursorByItsRecordSize)
{
    unsigned char vertices[4 * 80];
    unsigned char triangles[2 * 12];
    for (int32_t variant = 0; variant < 4; ++variant)
    {
        GeometryBuffer geometry = {vertices, triangles, 100, variant >> 1, variant & 1};
        size_t vertexSize = variant >> 1 ? 80 : 68;
        size_t triangleSize = variant & 1 ? 12 : 6;
        switch (variant)
        {
        case 0: GeometryVariant<0>::Advance(&geometry, 4, 2, 4); break;
        case 1: GeometryVariant<1>::Advance(&geometry, 4, 2, 4); break;
        case 2: GeometryVariant<2>::Advance(&geometry, 4, 2, 4); break;
        default: GeometryVariant<3>::Advance(&geometry, 4, 2, 4); break;
        }
        EXPECT_EQ(static_cast<unsigned char *>(geometry.vertexData), vertices + 4 * vertexSize);
        EXPECT_EQ(static_cast<unsigned char *>(geometry.triangleData), triangles + 2 * triangleSize);
        EXPECT_EQ(geometry.vertexIndex, 104u);
    }
}

}  // namespace
}  // namespace oq
