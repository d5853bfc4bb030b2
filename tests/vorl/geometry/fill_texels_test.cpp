#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "base/Half.h"
#include "base/Memory.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/ShapeScratch.h"

namespace oq {
namespace {

QuadraticBezier2D Line(float x0, float y0, float x1, float y1)
{
    return QuadraticBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x1, y1));
}

QuadraticBezier2D Curve(float x0, float y0, float x1, float y1, float x2, float y2)
{
    return QuadraticBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x2, y2));
}

struct ScratchFixture : testing::Test
{
    std::unique_ptr<ShapeScratch> scratch = std::make_unique<ShapeScratch>();
};

using ShapeBands = ScratchFixture;
using ShapeCurveTexels = ScratchFixture;
using ShapeBandTexels = ScratchFixture;

TEST_F(ShapeBands, ExtentsUniteExactBoxesAndKeepControlBoxes)
{
    Box2D box;
    ASSERT_TRUE(ComputeShapeCurveExtents(&box, 0, nullptr, scratch.get()));
    EXPECT_EQ(box.min.x, 0.0f);
    EXPECT_EQ(box.max.y, 0.0f);

    // The bulge reaches y = 1 (control point at 2); the control box keeps 2.
    const QuadraticBezier2D curves[] = {Curve(0, 0, 1, 2, 2, 0), Line(2, 0, 0, 0)};
    ASSERT_TRUE(ComputeShapeCurveExtents(&box, 2, curves, scratch.get()));
    EXPECT_EQ(box.min.x, 0.0f);
    EXPECT_EQ(box.max.x, 2.0f);
    EXPECT_FLOAT_EQ(box.max.y, 1.0f);
    EXPECT_EQ(scratch->controlBoxes[0].max.y, 2.0f);
    EXPECT_FLOAT_EQ(scratch->exactBoxes[0].max.y, 1.0f);
}

TEST_F(ShapeBands, CountsFollowTheLoadOfTheBusiestBand)
{
    struct Case
    {
        const char *name;
        std::vector<QuadraticBezier2D> curves;
        int32_t maximum;
        int32_t bx, by;
    };
    // Eight separate little diagonal strokes along x: each vertical band of 8 holds one.
    std::vector<QuadraticBezier2D> strokes;
    for (int i = 0; i < 8; i++)
        strokes.push_back(Line(i + 0.25f, 0.0f, i + 0.75f, 1.0f));
    std::vector<QuadraticBezier2D> verticals;
    for (int i = 0; i < 6; i++)
        verticals.push_back(Line(float(i), 0.0f, float(i), 4.0f));
    const Case cases[] = {
        {"one curve", {Curve(0, 0, 1, 3, 4, 1)}, 16, 1, 1},
        {"one curve, maximum 1", {Curve(0, 0, 1, 3, 4, 1)}, 1, 1, 1},
        {"separate strokes", strokes, 16, 8, 1},
        {"separate strokes, maximum 5 (4 bands load as little)", strokes, 5, 4, 1},
        {"vertical lines", verticals, 32, 1, 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Box2D box;
        ASSERT_TRUE(ComputeShapeCurveExtents(&box, int32_t(c.curves.size()), c.curves.data(), scratch.get()));
        int32_t bx = -1, by = -1;
        ASSERT_TRUE(ChooseShapeBandCounts(&bx, &by, int32_t(c.curves.size()), box, c.maximum, scratch.get()));
        EXPECT_EQ(bx, c.bx);
        EXPECT_EQ(by, c.by);
    }
    int32_t bx = -1, by = -1;
    ASSERT_TRUE(ChooseShapeBandCounts(&bx, &by, 0, Box2D(), 16, scratch.get()));
    EXPECT_EQ(bx, 0);
    EXPECT_EQ(by, 0);
}

TEST_F(ShapeBands, ListsHoldTheCurvesCrossingEachBandInPathOrder)
{
    // A square (0,0)-(2,2) with a bent bottom; two bands each way.
    const QuadraticBezier2D curves[] = {Curve(0, 0, 1, -0.5f, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2),
                                        Line(0, 2, 0, 0)};
    Box2D box;
    ASSERT_TRUE(ComputeShapeCurveExtents(&box, 4, curves, scratch.get()));
    ASSERT_TRUE(BuildShapeBandLists(4, box, 2, 2, scratch.get()));
    auto list = [&](int slot) {
        std::vector<int> out;
        for (int i = 0; i < scratch->bandCurveCounts[slot]; i++)
            out.push_back(scratch->bandLists[scratch->bandListStarts[slot] + i]);
        return out;
    };
    // Horizontal bands leave out the horizontal top line; vertical bands leave out both sides.
    EXPECT_EQ(list(0), (std::vector<int>{0, 1, 3}));
    EXPECT_EQ(list(1), (std::vector<int>{1, 3}));
    EXPECT_EQ(list(32), (std::vector<int>{0, 2}));
    EXPECT_EQ(list(33), (std::vector<int>{0, 2}));
    EXPECT_EQ(scratch->bandExtents[0][0], 0.0f);  // horizontal band 0: smallest control min x
    EXPECT_EQ(scratch->bandExtents[0][2], 2.0f);  // and largest max x
    EXPECT_EQ(scratch->bandExtents[0][1], -0.5f); // vertical band 0: smallest control min y
}

TEST_F(ShapeBands, MoreThan8192CurvesAreRefused)
{
    std::vector<QuadraticBezier2D> curves(8193, Line(0, 0, 1, 1));
    Box2D box;
    EXPECT_TRUE(ComputeShapeCurveExtents(&box, 8192, curves.data(), scratch.get()));
    EXPECT_FALSE(ComputeShapeCurveExtents(&box, 8193, curves.data(), scratch.get()));
    int32_t bx, by;
    EXPECT_FALSE(ChooseShapeBandCounts(&bx, &by, 8193, box, 16, scratch.get()));
    EXPECT_FALSE(BuildShapeBandLists(8193, box, 1, 1, scratch.get()));
    int32_t cursor[2] = {0, 0};
    EXPECT_FALSE(WriteShapeCurveTexels(8193, curves.data(), nullptr, 0, 4096, 100, cursor, scratch.get()));
    EXPECT_EQ(cursor[0], 0);
}

// Curve texels of a small float texture, read back as floats.
struct CurveTexture
{
    int32_t width, height;
    uint32_t format;
    std::vector<float> floats;
    std::vector<uint16_t> halves;

    CurveTexture(int32_t w, int32_t h, uint32_t f) : width(w), height(h), format(f)
    {
        floats.assign(size_t(w * h * 4), -7.0f);
        halves.assign(size_t(w * h * 4), 0x4400);  // 4.0
    }
    void *Texels() { return format == 'FLT4' ? static_cast<void *>(floats.data()) : halves.data(); }
    // A value as the texture holds it.
    float Stored(float v) const
    {
        uint16_t h;
        FloatToHalf(&h, v);
        return format == 'FLT4' ? v : HalfToFloat(&h);
    }
    float At(int32_t x, int32_t y, int32_t c) const
    {
        size_t i = size_t((y * width + x) * 4 + c);
        return format == 'FLT4' ? floats[i] : HalfToFloat(&halves[i]);
    }
};

TEST_F(ShapeCurveTexels, ChainsRowsAndFailures)
{
    struct Case
    {
        const char *name;
        std::vector<QuadraticBezier2D> curves;
        int32_t width, height;
        int32_t startX;
        bool ok;
        int32_t endX, endY;
        std::vector<int32_t> locations;  // column, row per curve
    };
    const Case cases[] = {
        {"chained pair", {Line(0, 0, 1, 0), Line(1, 0, 1, 1)}, 8, 2, 0, true, 3, 0, {0, 0, 1, 0}},
        {"near miss", {Line(0, 0, 1, 0), Line(1.000001f, 0, 1, 1)}, 8, 2, 0, true, 4, 0, {0, 0, 2, 0}},
        {"closed five", {Line(0, 0, 1, 0), Line(1, 0, 2, 1), Line(2, 1, 1, 2), Line(1, 2, 0, 1), Line(0, 1, 0, 0)},
         8, 2, 0, true, 6, 0, {0, 0, 1, 0, 2, 0, 3, 0, 4, 0}},
        {"last column left clear", {Line(0, 0, 1, 0)}, 8, 2, 7, true, 2, 1, {0, 1}},
        {"chain across a full row", {Line(0, 0, 1, 0), Line(1, 0, 1, 1)}, 8, 2, 6, true, 2, 1, {6, 0, 0, 1}},
        {"first curve never chains", {Line(65536, 65536, 1, 0)}, 8, 2, 3, true, 5, 0, {3, 0}},
        {"rows run out", {Line(0, 0, 1, 0), Line(5, 5, 6, 6)}, 4, 1, 1, false, 0, 1, {1, 0}},
        {"starting below the texture", {Line(0, 0, 1, 0)}, 4, 1, 0, false, 0, 1, {}},
    };
    for (uint32_t format : {uint32_t('FLT4'), uint32_t('HLF4')})
    {
        for (const Case &c : cases)
        {
            SCOPED_TRACE(c.name);
            CurveTexture texture(c.width, c.height, format);
            int32_t n = int32_t(c.curves.size());
            int32_t start[2] = {c.startX, std::string(c.name) == "starting below the texture" ? 1 : 0};
            int32_t counted[2] = {start[0], start[1]};
            bool countOk = WriteShapeCurveTexels(n, c.curves.data(), nullptr, format, c.width, c.height, counted,
                                                 scratch.get());
            int32_t cursor[2] = {start[0], start[1]};
            bool ok = WriteShapeCurveTexels(n, c.curves.data(), texture.Texels(), format, c.width, c.height, cursor,
                                            scratch.get());
            EXPECT_EQ(ok, c.ok);
            EXPECT_EQ(countOk, c.ok);
            EXPECT_EQ(cursor[0], c.endX);
            EXPECT_EQ(cursor[1], c.endY);
            EXPECT_EQ(counted[0], cursor[0]);
            EXPECT_EQ(counted[1], cursor[1]);
            for (size_t i = 0; i * 2 < c.locations.size(); i++)
            {
                int32_t x = c.locations[2 * i], y = c.locations[2 * i + 1];
                EXPECT_EQ(scratch->curveLocations[i][0], x);
                EXPECT_EQ(scratch->curveLocations[i][1], y);
                const QuadraticBezier2D &q = c.curves[i];
                if (q.p0.x > 60000)
                    continue;  // beyond half-float range
                EXPECT_EQ(texture.At(x, y, 0), texture.Stored(q.p0.x));
                EXPECT_EQ(texture.At(x, y, 1), texture.Stored(q.p0.y));
                EXPECT_EQ(texture.At(x, y, 2), texture.Stored(q.p1.x));
                EXPECT_EQ(texture.At(x + 1, y, 0), texture.Stored(q.p2.x));
                EXPECT_EQ(texture.At(x + 1, y, 1), texture.Stored(q.p2.y));
                if (i + 1 == c.curves.size())
                {
                    EXPECT_EQ(texture.At(x + 1, y, 2), 0.0f);
                }
            }
            if (std::string(c.name) == "last column left clear")
            {
                EXPECT_EQ(texture.At(7, 0, 0), 0.0f);
            }
        }
    }
}

// A band texture of uint32 texels (count | offset << 16, column | row << 16).
struct BandTexture
{
    int32_t width, height;
    std::vector<uint32_t> texels;
    BandTexture(int32_t w, int32_t h) : width(w), height(h), texels(size_t(w * h), 0xDEADBEEF) {}
    uint32_t At(int32_t x, int32_t y) const { return texels[size_t(y * width + x)]; }
};

// Four little diagonal curves on a 2 x 2 grid, so that each band of a 2 x 2 split has two curves.
void PrepareGrid(ShapeScratch *scratch, Box2D *box)
{
    static const QuadraticBezier2D curves[] = {Line(0, 0, 0.9f, 0.9f), Line(1.1f, 0, 2, 0.8f),
                                               Line(0, 1.1f, 0.7f, 2), Line(1.1f, 1.1f, 1.9f, 2)};
    ASSERT_TRUE(ComputeShapeCurveExtents(box, 4, curves, scratch));
    ASSERT_TRUE(BuildShapeBandLists(4, *box, 2, 2, scratch));
    for (int i = 0; i < 4; i++)
    {
        scratch->curveLocations[i][0] = uint16_t(10 + i);
        scratch->curveLocations[i][1] = uint16_t(20 + i);
    }
}

TEST_F(ShapeBandTexels, PaintTexelHeadersSpareTexelAndSortedLists)
{
    Box2D box;
    PrepareGrid(scratch.get(), &box);
    BandTexture texture(16, 2);
    const int32_t paint[2] = {7, 9};
    int32_t cursor[2] = {0, 0};
    int32_t location[2] = {-1, -1};
    ASSERT_TRUE(WriteShapeBandTexels(2, 2, texture.texels.data(), 16, 2, cursor, paint, location, scratch.get()));
    EXPECT_EQ(location[0], 1);
    EXPECT_EQ(location[1], 0);
    EXPECT_EQ(texture.At(0, 0), 7u | 9u << 16);
    EXPECT_EQ(texture.At(5, 0), 0u);  // the spare texel is zeroed
    // Horizontal band 0 (y < 1): curves 0 and 1, sorted by decreasing max x: 1 then 0.
    EXPECT_EQ(texture.At(1, 0), 2u | 5u << 16);
    EXPECT_EQ(texture.At(6, 0), 11u | 21u << 16);
    EXPECT_EQ(texture.At(7, 0), 10u | 20u << 16);
    // Horizontal band 1: curves 2 and 3; vertical band 0: curves 0 and 2 by decreasing max y.
    EXPECT_EQ(texture.At(2, 0), 2u | 7u << 16);
    EXPECT_EQ(texture.At(3, 0), 2u | 9u << 16);
    EXPECT_EQ(texture.At(10, 0), 12u | 22u << 16);
    EXPECT_EQ(texture.At(11, 0), 10u | 20u << 16);
    EXPECT_EQ(texture.At(4, 0), 2u | 11u << 16);
    EXPECT_EQ(cursor[0], 14);
    EXPECT_EQ(cursor[1], 0);

    int32_t counted[2] = {0, 0};
    int32_t countedLocation[2];
    ASSERT_TRUE(WriteShapeBandTexels(2, 2, nullptr, 16, 2, counted, paint, countedLocation, scratch.get()));
    EXPECT_EQ(counted[0], cursor[0]);
    EXPECT_EQ(countedLocation[0], location[0]);
}

TEST_F(ShapeBandTexels, EqualNeighbouringBandsShareOneList)
{
    // One tall curve crosses both horizontal bands.
    const QuadraticBezier2D curves[] = {Line(0, 0, 1, 2), Line(1, 2, 0, 0)};
    Box2D box;
    ASSERT_TRUE(ComputeShapeCurveExtents(&box, 2, curves, scratch.get()));
    ASSERT_TRUE(BuildShapeBandLists(2, box, 1, 2, scratch.get()));
    BandTexture texture(16, 1);
    int32_t cursor[2] = {0, 0}, location[2];
    ASSERT_TRUE(WriteShapeBandTexels(1, 2, texture.texels.data(), 16, 1, cursor, nullptr, location, scratch.get()));
    EXPECT_EQ(texture.At(0, 0), texture.At(1, 0));
    EXPECT_EQ(texture.At(0, 0) & 0xFFFF, 2u);
    EXPECT_EQ(cursor[0], 3 + 2 + 2);  // three headers, one list for the two horizontal bands, one vertical list
}

TEST_F(ShapeBandTexels, BlocksThatDoNotFitWrapOrFail)
{
    Box2D box;
    PrepareGrid(scratch.get(), &box);
    const int32_t paint[2] = {0, 0};
    struct Case
    {
        const char *name;
        int32_t width, height, startX;
        bool withPaint;
        bool ok;
        int32_t locationX, locationY;
    };
    const Case cases[] = {
        // Paint texel, four headers and the spare texel need six texels in one row.
        {"block wraps to the next row", 16, 2, 12, true, true, 1, 1},
        {"block just fits", 18, 3, 12, true, true, 13, 0},
        {"row one texel too narrow for the block", 5, 4, 0, true, false, 0, 0},
        {"rows run out", 16, 1, 12, true, false, 0, 0},
        {"lists wrap", 6, 3, 0, false, true, 0, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        BandTexture texture(c.width, c.height);
        int32_t cursor[2] = {c.startX, 0}, location[2] = {-1, -1};
        int32_t counted[2] = {c.startX, 0}, countedLocation[2] = {-1, -1};
        bool ok = WriteShapeBandTexels(2, 2, texture.texels.data(), c.width, c.height, cursor,
                                       c.withPaint ? paint : nullptr, location, scratch.get());
        bool countOk = WriteShapeBandTexels(2, 2, nullptr, c.width, c.height, counted, c.withPaint ? paint : nullptr,
                                            countedLocation, scratch.get());
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(countOk, c.ok);
        EXPECT_EQ(counted[0], cursor[0]);
        EXPECT_EQ(counted[1], cursor[1]);
        if (c.ok)
        {
            EXPECT_EQ(location[0], c.locationX);
            EXPECT_EQ(location[1], c.locationY);
        }
        if (std::string(c.name) == "block wraps to the next row")
        {
            EXPECT_EQ(texture.At(15, 0), 0u);  // the rest of the first row is cleared
        }
        if (std::string(c.name) == "lists wrap")
        {
            // Headers at 0-3; the first list (2 texels) fits at 4-5, the next goes to row 1.
            EXPECT_EQ(texture.At(0, 0) >> 16, 4u);
            EXPECT_EQ(texture.At(1, 0) >> 16, 6u);
        }
    }
}

TEST_F(ShapeBandTexels, ListsTooFarFromTheirHeadersFail)
{
    // Horizontal bands of 8192 curves each, every list a different rotation: the ninth list starts
    // more than 65535 texels after the header block.
    for (int b = 0; b < 9; b++)
    {
        scratch->bandCurveCounts[b] = 8192;
        scratch->bandListStarts[b] = uint32_t(b * 8192);
        for (int i = 0; i < 8192; i++)
            scratch->bandLists[b * 8192 + i] = uint16_t((i + b) % 8192);
    }
    int32_t cursor[2] = {0, 0}, location[2];
    // Rows of 8200 texels hold one list each: list b starts b rows after the block.
    EXPECT_TRUE(WriteShapeBandTexels(0, 8, nullptr, 8200, 100, cursor, nullptr, location, scratch.get()));
    cursor[0] = cursor[1] = 0;
    EXPECT_FALSE(WriteShapeBandTexels(0, 9, nullptr, 8200, 100, cursor, nullptr, location, scratch.get()));
    // A list longer than a whole row never fits.
    cursor[0] = cursor[1] = 0;
    EXPECT_FALSE(WriteShapeBandTexels(0, 1, nullptr, 4096, 100, cursor, nullptr, location, scratch.get()));
}

struct GradientCase
{
    const char *name;
    uint32_t gradient;
    int32_t startX;
    int32_t result;
    int32_t locationX, locationY;
    float texel0[4];
};

TEST(GradientTexels, ParametersLocationAndRows)
{
    FillStyle style;
    ResetFillStyle(&style);
    style.lineA = 1.0f;
    style.lineB = 2.0f;
    style.lineC = 3.0f;
    style.centerX = 4.0f;
    style.centerY = 6.0f;
    style.radius = 2.0f;
    style.gradientColor1 = {0.25f, 0.5f, 0.75f, 1.0f};
    style.gradientColor2 = {1.0f, 0.0f, 0.5f, 0.5f};
    // Mapping p -> 0.5 p + (1, -2): linear (a/g, b/g, c - (a ox + b oy)/g) = (2, 4, 9);
    // radial f = 1 / (0.5 * 2) = 1: (0.5*4 + 1, 0.5*6 - 2, 1) = (3, 1, 1).
    const GradientCase cases[] = {
        {"linear", 'LINR', 0, 1, 0, 0, {2, 4, 9, 0}},
        {"radial", 'RADL', 0, 2, 0, 0, {3, 1, 1, 0}},
        {"other kinds are radial", 'ABCD', 0, 2, 0, 0, {3, 1, 1, 0}},
        {"three texels left fit", 'LINR', 5, 1, 5, 0, {2, 4, 9, 0}},
        {"two texels left wrap", 'LINR', 6, 1, 0, 1, {2, 4, 9, 0}},
    };
    for (uint32_t format : {uint32_t('FLT4'), uint32_t('HLF4')})
    {
        for (const GradientCase &c : cases)
        {
            SCOPED_TRACE(c.name);
            style.gradient = c.gradient;
            CurveTexture texture(8, 2, format);
            TexelBuffer buffer = {texture.Texels(), format, 8, 2, 0, 0};
            int32_t cursor[2] = {c.startX, 0}, location[2] = {-1, -1};
            ASSERT_EQ(style.WriteGradientTexels(buffer, 0.5f, 1.0f, -2.0f, cursor, location), c.result);
            EXPECT_EQ(location[0], c.locationX);
            EXPECT_EQ(location[1], c.locationY);
            EXPECT_EQ(cursor[0], c.locationX + 3);
            for (int k = 0; k < 4; k++)
            {
                EXPECT_EQ(texture.At(c.locationX, c.locationY, k), c.texel0[k]);
                EXPECT_EQ(texture.At(c.locationX + 2, c.locationY, k), (&style.gradientColor2.red)[k]);
                EXPECT_EQ(texture.At(c.locationX + 1, c.locationY, k), (&style.gradientColor1.red)[k]);
            }
            if (c.locationY == 1)
            {
                EXPECT_EQ(texture.At(7, 0, 0), 0.0f);  // the rest of the first row was cleared
            }

            TexelBuffer counting = {nullptr, format, 8, 2, 0, 0};
            int32_t counted[2] = {c.startX, 0}, countedLocation[2];
            EXPECT_EQ(style.WriteGradientTexels(counting, 0.5f, 1.0f, -2.0f, counted, countedLocation), c.result);
            EXPECT_EQ(counted[0], cursor[0]);
            EXPECT_EQ(counted[1], cursor[1]);
        }
    }
}

TEST(GradientTexels, TheLastRowNeverWritesPastTheTexture)
{
    FillStyle style;
    ResetFillStyle(&style);
    style.gradient = 'LINR';
    // An exact-size allocation: a write past the single row is caught by the sanitizers.
    for (uint32_t format : {uint32_t('FLT4'), uint32_t('HLF4')})
    {
        size_t bytes = 4 * (format == 'FLT4' ? 16 : 8);
        void *texels = MemoryAllocate(bytes);
        std::memset(texels, 0x11, bytes);
        TexelBuffer buffer = {texels, format, 4, 1, 0, 0};
        int32_t cursor[2] = {2, 0}, location[2] = {-1, -1};
        EXPECT_EQ(style.WriteGradientTexels(buffer, 1.0f, 0.0f, 0.0f, cursor, location), -1);
        EXPECT_EQ(cursor[1], 1);
        int32_t beyond[2] = {0, 1};
        EXPECT_EQ(style.WriteGradientTexels(buffer, 1.0f, 0.0f, 0.0f, beyond, location), -1);
        EXPECT_EQ(beyond[0], 0);
        int32_t before[2] = {-2, 0};
        EXPECT_EQ(style.WriteGradientTexels(buffer, 1.0f, 0.0f, 0.0f, before, location), -1);
        MemoryRelease(texels);
    }
    style.gradient = 0;
    int32_t cursor[2] = {2, 5}, location[2] = {-1, -1};
    TexelBuffer none = {nullptr, 0, 4, 1, 0, 0};
    EXPECT_EQ(style.WriteGradientTexels(none, 1.0f, 0.0f, 0.0f, cursor, location), 0);
    EXPECT_EQ(cursor[0], 2);
    EXPECT_EQ(location[0], -1);
}

TEST(TexelRows, ClearsCountInSignedArithmetic)
{
    std::vector<uint16_t> half(4 * 8, 0xFFFF);
    const int32_t cursor[2] = {5, 1};
    EXPECT_EQ(ClearTexelRowHalf(half.data(), 4, cursor), 0);
    const int32_t inside[2] = {1, 1};
    EXPECT_EQ(ClearTexelRowHalf(half.data(), 4, inside), 3);
    EXPECT_EQ(half[4 * 4 + 3], 0xFFFF);
    EXPECT_EQ(half[4 * 5], 0);
    EXPECT_EQ(half[4 * 8 - 1], 0);
    std::vector<float> full(4 * 8, 1.0f);
    EXPECT_EQ(ClearTexelRowFloat(full.data(), 4, inside), 3);
    EXPECT_EQ(full[4 * 4 + 3], 1.0f);
    EXPECT_EQ(full[4 * 5], 0.0f);
}

}  // namespace
}  // namespace oq
