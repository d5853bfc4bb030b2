#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/Matrix4D.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/FontProbe.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/platform/RendererProbe.h"
#include "editor/platform/ShapeRenderObject.h"
#include "vorl/geometry/PathFill.h"

namespace oq {
namespace {

using test::RecordingRenderer;

using test::Identity;

std::vector<QuadraticBezier2D> Rectangle(float x0, float y0, float x1, float y1)
{
    Point2D a(x0, y0), b(x1, y0), c(x1, y1), d(x0, y1);
    return {MakeLineCurve(a, b), MakeLineCurve(b, c), MakeLineCurve(c, d), MakeLineCurve(d, a)};
}

bool Same(const QuadraticBezier2D &curve, float x0, float y0, float x1, float y1, float x2, float y2)
{
    return curve.p0 == Point2D(x0, y0) && curve.p1 == Point2D(x1, y1) && curve.p2 == Point2D(x2, y2);
}

TEST(ExportCurveItem, CopiesMovedCurvesAndBoxesTheirEndPoints)
{
    // The control point (50, -40) lies outside the ends and does not widen the box.
    QuadraticBezier2D curves[2] = {QuadraticBezier2D(Point2D(0, 0), Point2D(50, -40), Point2D(4, 2)),
                                   MakeLineCurve(Point2D(4, 2), Point2D(-1, 3))};
    ExportCurveItem item(Point2D(10, 20), 2, curves, 0x12345678);
    ASSERT_EQ(item.curveCount, 2);
    EXPECT_TRUE(Same(item.curves[0], 10, 20, 60, -20, 14, 22));
    EXPECT_EQ(item.color, 0x12345678U);
    const float box[4] = {9, 20, 14, 23};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(item.box[i], box[i]) << i;

    // Without curves nothing is allocated and the box is the origin; reshaping leaves it alone.
    ExportCurveItem empty(Point2D(3, -7), 0, nullptr, 0);
    EXPECT_EQ(empty.curveCount, 0);
    EXPECT_EQ(empty.curves, nullptr);
    const float origin[4] = {3, -7, 3, -7};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(empty.box[i], origin[i]) << i;
    empty.ReshapeRectangle();
    EXPECT_EQ(empty.curveCount, 0);
}

TEST(ExportCurveItem, ReshapeRectangle)
{
    struct Case
    {
        const char *name;
        std::vector<QuadraticBezier2D> curves;
        std::vector<float> expected;  // 8 curves x 6 floats, empty: unchanged
    };
    // Each piece's straight sides keep their control point on the end point.
    const Case cases[] = {
        {"10 x 4 splits at x = 5",
         Rectangle(0, 0, 10, 4),
         {0, 0, 5, 0, 5, 0,  5, 0, 6.5F, 2, 5, 4,   5, 4, 0, 4, 0, 4,  0, 4, 0, 0, 0, 0,
          10, 4, 5, 4, 5, 4, 5, 4, 3.5F, 2, 5, 0,   5, 0, 10, 0, 10, 0, 10, 0, 10, 4, 10, 4}},
        {"4 x 10 splits at y = 5",
         Rectangle(0, 0, 4, 10),
         {0, 0, 4, 0, 4, 0,  4, 0, 4, 5, 4, 5,   4, 5, 2, 6.5F, 0, 5,  0, 5, 0, 0, 0, 0,
          4, 10, 0, 10, 0, 10, 0, 10, 0, 5, 0, 5,  0, 5, 2, 3.5F, 4, 5, 4, 5, 4, 10, 4, 10}},
        {"a square splits vertically (from the opposite corner)",
         Rectangle(2, 2, 0, 0),
         {0, 0, 1, 0, 1, 0,  1, 0, 1.75F, 1, 1, 2,   1, 2, 0, 2, 0, 2,  0, 2, 0, 0, 0, 0,
          2, 2, 1, 2, 1, 2,  1, 2, 0.25F, 1, 1, 0,   1, 0, 2, 0, 2, 0,  2, 0, 2, 2, 2, 2}},
        {"a slanted side", {MakeLineCurve({0, 0}, {10, 0}), MakeLineCurve({10, 0}, {11, 4}),
                            MakeLineCurve({11, 4}, {0, 4}), MakeLineCurve({0, 4}, {0, 0})}, {}},
        {"a bent side", {MakeLineCurve({0, 0}, {10, 0}), QuadraticBezier2D({10, 0}, {10, 2.5F}, {10, 4}),
                         MakeLineCurve({10, 4}, {0, 4}), MakeLineCurve({0, 4}, {0, 0})}, {}},
        {"three curves", {MakeLineCurve({0, 0}, {10, 0}), MakeLineCurve({10, 0}, {10, 4}),
                          MakeLineCurve({10, 4}, {0, 0})}, {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        ExportCurveItem item(Point2D(0, 0), int32_t(c.curves.size()), c.curves.data(), 0);
        float box[4];
        std::memcpy(box, item.box, sizeof(box));
        item.ReshapeRectangle();
        EXPECT_EQ(std::memcmp(box, item.box, sizeof(box)), 0);
        if (c.expected.empty())
        {
            ASSERT_EQ(item.curveCount, int32_t(c.curves.size()));
            for (size_t i = 0; i < c.curves.size(); ++i)
            {
                const QuadraticBezier2D &k = c.curves[i];
                EXPECT_TRUE(Same(item.curves[i], k.p0.x, k.p0.y, k.p1.x, k.p1.y, k.p2.x, k.p2.y)) << i;
            }
            continue;
        }
        ASSERT_EQ(item.curveCount, 8);
        for (int i = 0; i < 8; ++i)
        {
            const float *e = &c.expected[size_t(6 * i)];
            EXPECT_TRUE(Same(item.curves[i], e[0], e[1], e[2], e[3], e[4], e[5]))
                << "curve " << i << ": " << item.curves[i].p0.x << "," << item.curves[i].p0.y << " "
                << item.curves[i].p1.x << "," << item.curves[i].p1.y << " " << item.curves[i].p2.x << ","
                << item.curves[i].p2.y;
        }
    }
}

TEST(FillPathItem, StorageAndYFlip)
{
    struct Case
    {
        int32_t count;
        bool inner;
        int32_t capacity;
    };
    const Case cases[] = {{0, true, 24}, {24, true, 24}, {25, false, 48}, {48, false, 48}, {100, false, 100}};
    for (const Case &c : cases)
    {
        std::vector<QuadraticBezier2D> curves(size_t(c.count), MakeLineCurve({1, 2}, {3, 4}));
        DisplayList list;
        auto *item = new FillPathItem(Point2D(10, 20), c.count, curves.data(), 0xFF0000FF);
        list.Append(item);
        EXPECT_EQ(item->UsesInnerStorage(), c.inner) << c.count;
        EXPECT_EQ(item->curveCapacity, c.capacity) << c.count;
        EXPECT_EQ(item->curveCount, c.count);
        for (int32_t i = 0; i < c.count; ++i) ASSERT_TRUE(Same(item->curves[i], 11, -22, 13, -24, 13, -24)) << i;
        // Destroying an item unlinks it.
        delete item;
        EXPECT_TRUE(list.IsEmpty());
    }
}

TEST(FillPathItem, FloatHelpers)
{
    QuadraticBezier2D line = MakeLineCurve({1, 2}, {5, 6});
    EXPECT_TRUE(Same(line, 1, 2, 5, 6, 5, 6));
    EXPECT_EQ(MinFloat(2, -3), -3);
    EXPECT_EQ(MaxFloat(2, -3), 2);
    EXPECT_EQ(MaxFloat3(1, 7, 4), 7);
    Vector4D v = MaxFloatInto(Vector4D(1, 2, 3, 4), 5);
    EXPECT_EQ(v.x, 5);
    EXPECT_EQ(v.w, 4);
    EXPECT_EQ(MaxFloatInto(Vector4D(9, 2, 3, 4), 5).x, 9);
}

class DisplayItemsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(r.WriteShaders());
        ASSERT_TRUE(r.Start());
    }

    std::vector<uint8_t> Bytes(GpuHandle buffer) { return r.device.buffers[buffer].bytes; }

    RecordingRenderer r;
};

// Fill items above one texel row of curve data still draw whole: they are counted in the
// 4096 x 4096 area like every path. A list becomes one draw over every item.
TEST_F(DisplayItemsTest, FillItemsAndListsBuildWhole)
{
    // 3000 small squares side by side: 12,000 curves, beyond one 4096-texel row and the 8192-curve
    // limit of one path, so the list splits them over three items.
    std::vector<QuadraticBezier2D> curves;
    for (int i = 0; i < 3000; ++i)
    {
        std::vector<QuadraticBezier2D> square = Rectangle(float(i), 0, float(i) + 0.5F, 0.5F);
        curves.insert(curves.end(), square.begin(), square.end());
    }
    FillPathItem wide(Point2D(0, 0), 4000, curves.data(), 0xFF00FF00);
    ShapeRenderObject shape;
    BuildFillPathRenderObject(r.renderer, &shape, &wide);
    EXPECT_GT(shape.item.vertexCount, 0U);
    ASSERT_EQ(shape.pair.count, 2);
    EXPECT_GT(r.device.textures[shape.pair.curveTexture].height, 1);
    EXPECT_EQ(shape.color.red, 1.0F);
    shape.ReleaseShape(r.renderer);

    DisplayList list;
    list.Append(new FillPathItem(Point2D(0, 0), 4000, curves.data(), 0xFF0000FF));
    list.Append(new ExportCurveItem(Point2D(0, 0), 4, curves.data(), 0));  // not a fill item: skipped
    list.Append(new FillPathItem(Point2D(0, 10), 4000, curves.data() + 4000, 0xFFFF0000));
    list.Append(new FillPathItem(Point2D(0, 20), 4000, curves.data() + 8000, 0x80FFFFFF));
    ShapeRenderObject all;
    BuildFillPathListRenderObject(r.renderer, &all, &list);
    ASSERT_EQ(all.drawItemCount, 1);
    // Each item's polygon count is the single item's count; three items triple it.
    int32_t cursor[2] = {0, 0}, band[2] = {0, 0}, vertices = 0, triangles = 0;
    FillStyle style;
    ResetFillStyle(&style);
    ASSERT_TRUE(CountPathFill(style, 4000, wide.curves, 4096, 4096, cursor, 4096, 4096, band, &vertices, &triangles,
                              nullptr, nullptr));
    EXPECT_EQ(all.item.vertexCount, 3 * uint32_t(vertices));
    EXPECT_EQ(all.item.indexCount, 9 * uint32_t(triangles));
    EXPECT_EQ(all.pair.count, 2);

    // Vertex colours follow the items (sRGB bytes to linear, alpha / 255).
    const std::vector<uint8_t> bytes = Bytes(all.vertexBuffer);
    const AttribStruct *v = reinterpret_cast<const AttribStruct *>(bytes.data());
    EXPECT_EQ(v[0].color[0], 255);
    EXPECT_EQ(v[0].color[1], 0);
    EXPECT_EQ(v[2 * vertices].color[3], 128);
    all.ReleaseShape(r.renderer);
    list.Purge();
}

TEST_F(DisplayItemsTest, AListAboveSixteenBitsUsesWideIndices)
{
    // Every item is one quad of 4 vertices: 16,500 items give 66,000 vertices.
    DisplayList list;
    for (int i = 0; i < 16500; ++i)
    {
        std::vector<QuadraticBezier2D> square = Rectangle(0, 0, 1, 1);
        list.Append(new FillPathItem(Point2D(float(i % 100), float(i / 100)), 4, square.data(), 0xFFFFFFFF));
    }
    ShapeRenderObject shape;
    BuildFillPathListRenderObject(r.renderer, &shape, &list);
    ASSERT_GT(shape.item.vertexCount, 65536U);
    EXPECT_EQ(shape.indexFormat, kGpuIndex32);
    const std::vector<uint8_t> bytes = Bytes(shape.indexBuffer);
    ASSERT_EQ(bytes.size(), size_t(shape.item.indexCount) * 4);
    const uint32_t *indices = reinterpret_cast<const uint32_t *>(bytes.data());
    uint32_t largest = 0;
    for (uint32_t i = 0; i < shape.item.indexCount; ++i) largest = std::max(largest, indices[i]);
    EXPECT_EQ(largest, shape.item.vertexCount - 1);
    shape.ReleaseShape(r.renderer);
    list.Purge();
}

// A coverage group draws its items twice between the group's begin and end: the largest coverage
// first, then the colour taken once. The same shape built again as a plain list draws once, over.
TEST_F(DisplayItemsTest, CoverageGroupDrawsCoverageThenColour)
{
    DisplayList list;
    std::vector<QuadraticBezier2D> a = Rectangle(0, 0, 4, 1);
    std::vector<QuadraticBezier2D> b = Rectangle(3, 0, 4, 5);
    list.Append(new FillPathItem(Point2D(0, 0), 4, a.data(), 0x80FF0000));
    list.Append(new FillPathItem(Point2D(0, 0), 4, b.data(), 0x80FF0000));
    ShapeRenderObject shape;
    BuildCoverageGroupRenderObject(r.renderer, &shape, &list);
    ASSERT_GT(shape.item.vertexCount, 0U);
    EXPECT_TRUE(shape.IsCoverageGroup());

    struct Case
    {
        bool group;
        std::vector<uint32_t> calls;    // begin, binds, draws and end in order
        std::vector<uint32_t> blends;   // the blend kind of each draw
    };
    const Case cases[] = {
        {true, {'cgbg', 'bind', 'draw', 'bind', 'draw', 'cgen'}, {kGpuBlendCoverage, kGpuBlendCoveredColor}},
        {false, {'bind', 'draw'}, {kGpuBlendOver}},
    };
    for (const Case &c : cases)
    {
        if (!c.group) BuildFillPathListRenderObject(r.renderer, &shape, &list);
        EXPECT_EQ(shape.IsCoverageGroup(), c.group);
        r.device.calls.clear();
        r.device.draws.clear();
        shape.Draw(r.renderer, Identity());
        std::vector<uint32_t> calls;
        for (const RecordingDevice::Call &call : r.device.calls)
        {
            if (call.kind == 'cgbg' || call.kind == 'cgen' || call.kind == 'bind' || call.kind == 'draw')
                calls.push_back(call.kind);
        }
        EXPECT_EQ(calls, c.calls) << c.group;
        std::vector<uint32_t> blends;
        for (const RecordingDevice::Draw &draw : r.device.draws)
        {
            blends.push_back(draw.blendKind);
            EXPECT_EQ(draw.indexCount, shape.item.indexCount);
        }
        EXPECT_EQ(blends, c.blends) << c.group;
    }
    // Switching back and forth keeps one blend state per pass, none left behind.
    size_t live = r.device.blendStates.size();
    BuildCoverageGroupRenderObject(r.renderer, &shape, &list);
    EXPECT_EQ(r.device.blendStates.size(), live + 1);
    shape.ReleaseShape(r.renderer);
    EXPECT_EQ(r.device.blendStates.size(), live - 1);
    EXPECT_EQ(r.device.CreateBlendState('what'), 0U);
    list.Purge();
}

class GlyphMeshTest : public DisplayItemsTest
{
protected:
    void SetUp() override
    {
        DisplayItemsTest::SetUp();
        std::vector<uint8_t> image = test::MakeSquareFontFile(0.7F);
        fonts[0] = test::LoadTestFont(r.renderer, r.data, "first.vorl", image);
        fonts[1] = test::LoadTestFont(r.renderer, r.data, "second.vorl", image);
        ASSERT_NE(fonts[0], nullptr);
        ASSERT_NE(fonts[1], nullptr);
        set.SetSlot(2, fonts[0]);
        set.SetSlot(5, fonts[1]);
    }

    void TearDown() override
    {
        for (Font *font : fonts)
            if (font) font->Release();
    }

    // Glyph 1 of the test font in the given slots, one em apart; the per-slot counts of its quads.
    GlyphMeshItem *Make(const std::vector<uint8_t> &slots, int32_t extraSlot = -1)
    {
        size_t n = slots.size();
        glyphs.assign(n, 1);
        positions.resize(2 * n);
        transforms.assign(n, Matrix2D(1, 0, 0, 1));
        colors.assign(4 * n, 255);
        for (size_t j = 0; j < n; ++j)
        {
            positions[2 * j] = float(j % 200) * 20;
            positions[2 * j + 1] = float(j / 200) * 20;
        }
        int32_t vertices[16] = {}, triangles[16] = {};
        for (uint8_t slot : slots)
        {
            vertices[slot] += 4;
            triangles[slot] += 2;
        }
        if (extraSlot >= 0)
        {
            vertices[extraSlot] = 4;
            triangles[extraSlot] = 2;
        }
        GlyphLayoutRequest request = {'uprt', 16.0F, 1.0F, 0xF0, 0, 0};
        return new GlyphMeshItem(r.renderer, &set, request, Point2D(7, 9), int32_t(n), vertices, triangles,
                                 slots.data(), glyphs.data(), positions.data(), transforms.data(), colors.data());
    }

    Font *fonts[2] = {};
    DocumentFontSet set;
    std::vector<uint32_t> glyphs;
    std::vector<float> positions;
    std::vector<Matrix2D> transforms;
    std::vector<uint8_t> colors;
};

TEST_F(GlyphMeshTest, EverySlotIsNumberedFromZeroAndBindsItsFont)
{
    GlyphMeshItem *item = Make({5, 2, 5, 5});
    EXPECT_EQ(item->vertexTotal, 16U);
    EXPECT_EQ(item->position.x, 7);
    EXPECT_EQ(item->position.y, -9);
    // Slot 2 comes first in the buffers: 4 vertices, then slot 5 with 12.
    EXPECT_EQ(item->items[2].vertexCount, 4U);
    EXPECT_EQ(item->items[2].baseVertex, 0);
    EXPECT_EQ(item->items[2].firstIndex, 0U);
    EXPECT_EQ(item->items[5].vertexCount, 12U);
    EXPECT_EQ(item->items[5].indexCount, 18U);
    EXPECT_EQ(item->items[5].baseVertex, 4);
    EXPECT_EQ(item->items[5].firstIndex, 6U);
    EXPECT_EQ(item->items[5].textures, fonts[1]->GetTexturePair());
    EXPECT_EQ(item->items[0].vertexCount, 0U);
    EXPECT_EQ(item->object.indexFormat, kGpuIndex16);

    const std::vector<uint8_t> bytes = Bytes(item->object.indexBuffer);
    const uint16_t *indices = reinterpret_cast<const uint16_t *>(bytes.data());
    for (uint32_t i = 6; i < 24; ++i) EXPECT_LT(indices[i], 12) << i;

    size_t before = r.device.draws.size();
    item->Draw(Identity());
    ASSERT_EQ(r.device.draws.size(), before + 2);
    const RecordingDevice::Draw &second = r.device.draws.back();
    EXPECT_EQ(second.baseVertex, 4);
    EXPECT_EQ(second.textures[0], fonts[1]->GetTexturePair()->curveTexture);
    EXPECT_EQ(r.device.draws[before].textures[0], fonts[0]->GetTexturePair()->curveTexture);
    // The origin (7, -9) is the draw's translation.
    float constants[24];
    std::memcpy(constants, second.constants.data(), sizeof(constants));
    EXPECT_EQ(constants[3], 7);
    EXPECT_EQ(constants[7], -9);
    delete item;
}

TEST_F(GlyphMeshTest, EmptyAndFontlessSlotsDrawNothing)
{
    size_t buffersBefore = r.device.buffers.size();
    GlyphMeshItem *empty = Make({});
    EXPECT_EQ(empty->vertexTotal, 0U);
    EXPECT_EQ(r.device.buffers.size(), buffersBefore);
    size_t drawsBefore = r.device.draws.size();
    empty->Draw(Identity());
    EXPECT_EQ(r.device.draws.size(), drawsBefore);
    delete empty;

    // Slot 7 claims vertices but has no font: it draws nothing, and binds no stale textures.
    GlyphMeshItem *fontless = Make({2}, 7);
    EXPECT_EQ(fontless->items[7].vertexCount, 0U);
    EXPECT_EQ(fontless->items[2].vertexCount, 4U);
    delete fontless;

    // A glyph placed in a slot without a font leaves the whole item empty.
    GlyphMeshItem *misplaced = Make({2, 9});
    EXPECT_EQ(misplaced->vertexTotal, 0U);
    delete misplaced;
}

TEST_F(GlyphMeshTest, ASlotAboveSixteenBitsUsesWideIndices)
{
    std::vector<uint8_t> slots(16400, 5);
    slots[0] = 2;
    GlyphMeshItem *item = Make(slots);
    ASSERT_EQ(item->items[5].vertexCount, 4U * 16399);
    EXPECT_EQ(item->object.indexFormat, kGpuIndex32);
    const std::vector<uint8_t> bytes = Bytes(item->object.indexBuffer);
    const uint32_t *indices = reinterpret_cast<const uint32_t *>(bytes.data());
    uint32_t largest = 0;
    for (uint32_t i = item->items[5].firstIndex; i < item->items[5].firstIndex + item->items[5].indexCount; ++i)
        largest = std::max(largest, indices[i]);
    EXPECT_EQ(largest, 4U * 16399 - 1);
    EXPECT_EQ(item->items[5].baseVertex, 4);
    delete item;
}

}  // namespace
}  // namespace oq
