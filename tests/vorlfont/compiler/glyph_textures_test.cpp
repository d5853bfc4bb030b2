#include "vorlfont/compiler/GlyphBands.h"
#include "vorlfont/compiler/GlyphCurvePlacement.h"

#include "base/Half.h"
#include "vorl/text/VorlFileGlyphRecord.h"
#include "vorl/text/VorlFileHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace oq {
namespace {

// A texture buffer of the given rows over memory the test owns, prefilled so zeroing shows.
struct TestTexture
{
    std::vector<uint8_t> bytes;
    TexelBuffer buffer;

    TestTexture(int32_t rows, int32_t texelSize, uint8_t fill = 0xAB)
        : bytes(size_t(4096) * rows * texelSize, fill)
    {
        buffer = {bytes.data(), texelSize == 8 ? kTexelFormatHalf4 : kTexelFormatUint16x2, 4096, rows, 0, 0};
    }

    const uint16_t *CurveTexel(int32_t column, int32_t row) const
    {
        return reinterpret_cast<const uint16_t *>(bytes.data()) + (size_t(row) * 4096 + column) * 4;
    }
    uint32_t BandTexel(int64_t position) const { return reinterpret_cast<const uint32_t *>(bytes.data())[position]; }
};

QuadraticBezier2D Line(float x0, float y0, float x1, float y1)
{
    return QuadraticBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x1, y1));
}

const QuadraticBezier2D kTriangle[3] = {Line(0, 0, 1, 0), Line(1, 0, 0.5f, 1), Line(0.5f, 1, 0, 0)};

TEST(GlyphCurvePlacement, ClosedContourSharesEndTexelsAndIsOneRun)
{
    TestTexture curve(4, 8);
    CurveHashTable table;
    CurveLocation locations[3];
    ASSERT_TRUE(PlaceGlyphCurves(3, kTriangle, locations, &table, &curve.buffer));
    EXPECT_EQ(curve.buffer.cursorX, 4);
    EXPECT_EQ(curve.buffer.cursorY, 0);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(locations[i].column, i);

    // Texel i + 1 starts with curve i's end point.
    for (int32_t i = 0; i < 3; ++i)
    {
        const uint16_t *t = curve.CurveTexel(i + 1, 0);
        EXPECT_EQ(HalfToFloat(&t[0]), kTriangle[i].p2.x);
        EXPECT_EQ(HalfToFloat(&t[1]), kTriangle[i].p2.y);
    }
    const uint16_t *last = curve.CurveTexel(3, 0);
    EXPECT_EQ(last[2], 0);
    EXPECT_EQ(last[3], 0);

    Array<uint32_t> runs;
    EncodeContourRuns(3, locations, &runs);
    ASSERT_EQ(runs.GetElementCount(), 1);
    EXPECT_EQ(runs[0] >> 25, 2u);
    EXPECT_EQ(runs[0] & 0x1FFFFFF, 0u);

    // The same glyph again costs nothing and gets the same places.
    CurveLocation again[3];
    ASSERT_TRUE(PlaceGlyphCurves(3, kTriangle, again, &table, &curve.buffer));
    EXPECT_EQ(curve.buffer.cursorX, 4);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(again[i].column, locations[i].column);
}

// Enough curves over several rows that the table grows many times: every curve placed again, or
// repeated within the first glyph, is found at its first place and costs no texel.
TEST(GlyphCurvePlacement, RepeatedCurvesAmongManyAreShared)
{
    std::vector<QuadraticBezier2D> curves;
    for (int32_t i = 0; i < 20000; ++i)
    {
        float x = float(i % 2048) / 16.0f, y = float(i / 2048) / 16.0f;
        curves.push_back(Line(x, y, x + 0.5f, y + 0.25f));
        if (i % 1000 == 999) curves.push_back(curves[size_t(i / 2)]);
    }
    TestTexture curve(12, 8);
    CurveHashTable table;
    std::vector<CurveLocation> first(curves.size());
    ASSERT_TRUE(PlaceGlyphCurves(int32_t(curves.size()), curves.data(), first.data(), &table, &curve.buffer));
    EXPECT_EQ(int64_t(curve.buffer.cursorY) * 4096 + curve.buffer.cursorX, 2 * 20000);  // two texels a new curve

    std::vector<CurveLocation> again(curves.size());
    int32_t endX = curve.buffer.cursorX, endY = curve.buffer.cursorY;
    std::reverse(curves.begin(), curves.end());
    ASSERT_TRUE(PlaceGlyphCurves(int32_t(curves.size()), curves.data(), again.data(), &table, &curve.buffer));
    EXPECT_EQ(curve.buffer.cursorX, endX);
    EXPECT_EQ(curve.buffer.cursorY, endY);
    for (size_t i = 0; i < curves.size(); ++i)
    {
        const CurveLocation &a = again[curves.size() - 1 - i];
        ASSERT_EQ(a.column, first[i].column) << i;
        ASSERT_EQ(a.row, first[i].row) << i;
    }
}

TEST(GlyphCurvePlacement, RowEnds)
{
    struct Case
    {
        const char *name;
        int32_t startColumn;
        int32_t rows;
        int32_t count;
        bool placed;
        int32_t firstColumn, firstRow, secondColumn, secondRow;
        int32_t runs;
    };
    const QuadraticBezier2D two[2] = {Line(0, 0, 1, 0), Line(1, 0, 1, 1)};
    const Case cases[] = {
        // A lone curve at column 4095 moves to the next row; texel 4095 is zeroed.
        {"column 4095", 4095, 2, 1, true, 0, 1, 0, 0, 1},
        // The first curve ends the row; the connected second cannot share and starts the next row.
        {"continuation at the row end", 4094, 2, 2, true, 4094, 0, 0, 1, 2},
        // Two curves at 4093: the second shares texel 4094 and ends at 4095.
        {"continuation fits", 4092, 2, 2, true, 4092, 0, 4093, 0, 1},
        {"no row left", 4095, 1, 1, false, 0, 0, 0, 0, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        TestTexture curve(c.rows, 8);
        curve.buffer.cursorX = c.startColumn;
        CurveHashTable table;
        CurveLocation locations[2];
        ASSERT_EQ(PlaceGlyphCurves(c.count, two, locations, &table, &curve.buffer), c.placed);
        if (!c.placed) continue;
        EXPECT_EQ(locations[0].column, c.firstColumn);
        EXPECT_EQ(locations[0].row, c.firstRow);
        if (c.count > 1)
        {
            EXPECT_EQ(locations[1].column, c.secondColumn);
            EXPECT_EQ(locations[1].row, c.secondRow);
        }
        if (c.startColumn == 4095)
        {
            const uint16_t *t = curve.CurveTexel(4095, 0);
            for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(t[k], 0);
        }
        Array<uint32_t> runs;
        EncodeContourRuns(c.count, locations, &runs);
        EXPECT_EQ(runs.GetElementCount(), c.runs);
    }
}

TEST(GlyphCurvePlacement, ContourRunsStopAt128Curves)
{
    std::vector<QuadraticBezier2D> curves;
    for (int32_t i = 0; i < 300; ++i) curves.push_back(Line(float(i), float(i % 7), float(i + 1), float((i + 1) % 7)));
    TestTexture curve(2, 8);
    CurveHashTable table;
    std::vector<CurveLocation> locations(curves.size());
    ASSERT_TRUE(PlaceGlyphCurves(300, curves.data(), locations.data(), &table, &curve.buffer));
    Array<uint32_t> runs;
    EncodeContourRuns(300, locations.data(), &runs);
    ASSERT_EQ(runs.GetElementCount(), 3);
    EXPECT_EQ(ContourCurveCount(runs[0]), 128u);
    EXPECT_EQ(ContourCurveCount(runs[1]), 128u);
    EXPECT_EQ(ContourCurveCount(runs[2]), 44u);
    EXPECT_EQ(ContourColumn(runs[1]), 128u);
}

// The lists a band must hold, computed directly.
std::vector<uint32_t> ExpectedBand(const std::vector<QuadraticBezier2D> &curves, const Box2D &box, int32_t axis,
                                   int32_t bands, int32_t i)
{
    float start = axis == 0 ? box.min.x : box.min.y;
    float extent = axis == 0 ? box.max.x - box.min.x : box.max.y - box.min.y;
    float w = extent / float(bands);
    float lo = start + float(i) * w - 1.0f / 1024.0f, hi = start + float(i + 1) * w + 1.0f / 1024.0f;
    std::vector<std::pair<float, uint32_t>> found;
    for (uint32_t k = 0; k < curves.size(); ++k)
    {
        const QuadraticBezier2D &c = curves[k];
        float a = axis == 0 ? c.p0.x : c.p0.y, b = axis == 0 ? c.p1.x : c.p1.y, d = axis == 0 ? c.p2.x : c.p2.y;
        if (a == b && b == d) continue;
        float mn, mx;
        if (axis == 0)
            c.GetXExtent(&mn, &mx);
        else
            c.GetYExtent(&mn, &mx);
        if (mx < lo || mn > hi) continue;
        float ka = axis == 0 ? c.p0.y : c.p0.x, kb = axis == 0 ? c.p1.y : c.p1.x, kd = axis == 0 ? c.p2.y : c.p2.x;
        found.push_back({std::max(ka, std::max(kb, kd)), k});
    }
    std::stable_sort(found.begin(), found.end(), [](auto &x, auto &y) { return x.first > y.first; });
    std::vector<uint32_t> list;
    for (auto &f : found) list.push_back(f.second);
    return list;
}

// The band count of an axis by its rule: of the candidates up to the maximum (and 32), the first
// whose busiest band holds the fewest curves, when that is fewer than all curves; else 1.
int32_t ExpectedBandCount(const std::vector<QuadraticBezier2D> &curves, const Box2D &box, int32_t axis,
                          int32_t maximum)
{
    float extent = axis == 0 ? box.max.x - box.min.x : box.max.y - box.min.y;
    if (!(extent > 0.0f)) return 1;
    int32_t result = 1;
    size_t smallest = curves.size();
    for (int32_t n : {1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 14, 16, 20, 24, 28, 32})
    {
        if (n > std::min(maximum, 32)) break;
        size_t cost = 0;
        for (int32_t i = 0; i < n; ++i) cost = std::max(cost, ExpectedBand(curves, box, axis, n, i).size());
        if (cost < smallest) smallest = cost, result = n;
    }
    return result;
}

TEST(GlyphBands, EveryBandListsExactlyItsCurvesInOrderThroughTheTexels)
{
    std::mt19937 random(18);
    std::uniform_real_distribution<float> coordinate(-1.0f, 1.0f);
    std::uniform_int_distribution<int32_t> small(0, 9);
    for (int32_t trial = 0; trial < 200; ++trial)
    {
        SCOPED_TRACE(trial);
        std::vector<QuadraticBezier2D> curves;
        int32_t count = 1 + small(random) * 7 + small(random);
        auto snap = [&](float v) { return (small(random) < 3) ? float(int32_t(v * 4.0f)) / 4.0f : v; };
        for (int32_t k = 0; k < count; ++k)
        {
            Point2D p0(snap(coordinate(random)), snap(coordinate(random)));
            Point2D p1(snap(coordinate(random)), snap(coordinate(random)));
            Point2D p2(snap(coordinate(random)), snap(coordinate(random)));
            int32_t kind = small(random);
            if (kind == 0) p1.y = p2.y = p0.y;       // horizontal
            else if (kind == 1) p1.x = p2.x = p0.x;  // vertical
            curves.emplace_back(p0, p1, p2);
            if (kind == 3 && k > 0) curves.back() = curves[small(random) % k];  // duplicate keys
        }
        Box2D box = UnionGlyphBoxes(count, curves.data());
        int32_t maximum = 1 + small(random) * 4;
        GlyphBandCounts counts = ChooseBandCounts(count, curves.data(), box, maximum);
        ASSERT_EQ(counts.vertical, ExpectedBandCount(curves, box, 0, maximum));
        ASSERT_EQ(counts.horizontal, ExpectedBandCount(curves, box, 1, maximum));
        GlyphBandLists lists;
        ASSERT_TRUE(BuildBandLists(count, curves.data(), box, counts, &lists));

        // Each curve gets its own place; the band row starts somewhere inside the row.
        std::vector<CurveLocation> locations;
        for (int32_t k = 0; k < count; ++k) locations.push_back({(k * 37) % 4096, k / 11});
        std::vector<BandPacking> packing(size_t(counts.GetTotal()));
        PackBandLists(counts, lists, packing.data());
        TestTexture band(4, 4);
        band.buffer.cursorX = (trial % 3 == 0) ? 4096 - counts.GetTotal() - 1 : trial % 50;
        int64_t first = band.buffer.cursorX;
        ASSERT_TRUE(WriteBandTexels(lists, counts, packing.data(), locations.data(), &band.buffer));

        for (int32_t b = 0; b < counts.GetTotal(); ++b)
        {
            bool horizontal = b < counts.horizontal;
            std::vector<uint32_t> expected =
                horizontal ? ExpectedBand(curves, box, 1, counts.horizontal, b)
                           : ExpectedBand(curves, box, 0, counts.vertical, b - counts.horizontal);
            std::vector<uint32_t> listed(lists.entries.begin() + lists.starts[b],
                                         lists.entries.begin() + lists.starts[b] + lists.counts[b]);
            ASSERT_EQ(listed, expected) << "band " << b;

            uint32_t header = band.BandTexel(first + b);
            ASSERT_EQ(header & 0xFFFF, expected.size());
            int64_t position = first + (header >> 16);
            ASSERT_LE((position & 4095) + int64_t(expected.size()), 4096) << "a list crosses a row end";
            for (size_t k = 0; k < expected.size(); ++k)
            {
                const CurveLocation &l = locations[expected[k]];
                ASSERT_EQ(band.BandTexel(position + int64_t(k)), uint32_t(l.column) | uint32_t(l.row) << 16);
            }
        }
    }
}

TEST(GlyphBands, CountsScalesAndSharing)
{
    // Two unit squares side by side: two vertical bands halve the load; horizontal bands cannot.
    std::vector<QuadraticBezier2D> squares;
    for (float x : {0.0f, 3.0f})
    {
        squares.push_back(Line(x, 0, x + 1, 0));
        squares.push_back(Line(x + 1, 0, x + 1, 1));
        squares.push_back(Line(x + 1, 1, x, 1));
        squares.push_back(Line(x, 1, x, 0));
    }
    Box2D box = UnionGlyphBoxes(8, squares.data());
    GlyphBandCounts counts = ChooseBandCounts(8, squares.data(), box, 8);
    EXPECT_EQ(counts.vertical, 2);
    EXPECT_EQ(counts.horizontal, 1);
    counts = ChooseBandCounts(8, squares.data(), box, 1);
    EXPECT_EQ(counts.vertical, 1);
    EXPECT_EQ(counts.horizontal, 1);

    // A glyph drawn on one horizontal line: one band on that axis and scale 0.
    QuadraticBezier2D flat[2] = {Line(0, 0.5f, 2, 0.5f), Line(2, 0.5f, 0, 0.5f)};
    Box2D flatBox = UnionGlyphBoxes(2, flat);
    counts = ChooseBandCounts(2, flat, flatBox, 32);
    EXPECT_EQ(counts.horizontal, 1);
    float scales[2];
    ComputeBandScales(counts, flatBox, scales);
    EXPECT_EQ(scales[1], 0.0f);
    EXPECT_EQ(scales[0], float(counts.vertical) / 2.0f);
    GlyphBandLists lists;
    ASSERT_TRUE(BuildBandLists(2, flat, flatBox, counts, &lists));
    EXPECT_EQ(lists.counts[0], 0u);

    // A vertical stroke: both horizontal bands list it, and they share one texel.
    QuadraticBezier2D bar[2] = {Line(0, 0, 0.1f, 2), Line(0.1f, 2, 0, 0)};
    Box2D barBox = UnionGlyphBoxes(2, bar);
    GlyphBandCounts two{1, 2};
    ASSERT_TRUE(BuildBandLists(2, bar, barBox, two, &lists));
    BandPacking packing[3];
    PackBandLists(two, lists, packing);
    EXPECT_EQ(packing[1].band, 0);
    TestTexture band(1, 4);
    CurveLocation locations[2] = {{0, 0}, {1, 0}};
    ASSERT_TRUE(WriteBandTexels(lists, two, packing, locations, &band.buffer));
    EXPECT_EQ(band.buffer.cursorX, 3 + 2 + 2);
    EXPECT_EQ(band.BandTexel(0), band.BandTexel(1));
}

TEST(GlyphBands, ListsTheFormatsCannotHoldAreRefused)
{
    // 4097 curves in one band.
    std::vector<QuadraticBezier2D> many;
    for (int32_t k = 0; k < 4097; ++k) many.push_back(Line(float(k) / 4097.0f, 0, 0.5f, 1));
    Box2D box = UnionGlyphBoxes(int32_t(many.size()), many.data());
    GlyphBandLists lists;
    EXPECT_FALSE(BuildBandLists(int32_t(many.size()), many.data(), box, GlyphBandCounts{1, 1}, &lists));
    many.pop_back();
    EXPECT_TRUE(BuildBandLists(int32_t(many.size()), many.data(), box, GlyphBandCounts{1, 1}, &lists));

    // 65,536 curves, although every list is short.
    std::vector<QuadraticBezier2D> tiny;
    for (int32_t k = 0; k < 65536; ++k)
    {
        float x = float(k % 256), y = float(k / 256);
        tiny.push_back(Line(x, y, x + 0.5f, y + 0.5f));
    }
    box = UnionGlyphBoxes(65536, tiny.data());
    EXPECT_FALSE(BuildBandLists(65536, tiny.data(), box, GlyphBandCounts{32, 32}, &lists));

    // Lists that end more than 65,535 texels after the headers: 32 bands whose lists overlap
    // without being runs of each other.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> x(0.0f, 1.0f);
    std::vector<QuadraticBezier2D> spans;
    for (int32_t g = 0; g < 32; ++g)
        for (int32_t k = 0; k < 250; ++k)
        {
            float at = x(random);
            spans.push_back(Line(at, float(g) + 0.1f, at, std::min(float(g) + 15.9f, 31.9f)));
        }
    spans.push_back(Line(0, 0, 1, 0));
    spans.push_back(Line(0, 32, 1, 32));
    box = UnionGlyphBoxes(int32_t(spans.size()), spans.data());
    GlyphBandCounts counts{1, 32};
    ASSERT_TRUE(BuildBandLists(int32_t(spans.size()), spans.data(), box, counts, &lists));
    std::vector<BandPacking> packing(33);
    PackBandLists(counts, lists, packing.data());
    std::vector<CurveLocation> locations(spans.size(), CurveLocation{0, 0});
    TestTexture band(40, 4);
    EXPECT_FALSE(WriteBandTexels(lists, counts, packing.data(), locations.data(), &band.buffer));
}

}  // namespace
}  // namespace oq
