#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "base/Memory.h"
#include "editor/platform/DrawableWidget.h"
#include "editor/platform/FontProbe.h"
#include "editor/platform/IconWidget.h"
#include "editor/platform/RendererProbe.h"
#include "editor/platform/TextWidget.h"
#include "editor/platform/WidgetFixtures.h"
#include "editor/platform/WidgetProbe.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/VorlGraphicsFile.h"

namespace oq {
namespace {

using test::RecordingRenderer;

using test::Identity;

// Widgets draw with the process-wide renderer: a recording one with every shader file.
class WidgetsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(r.WriteShaders());
        ASSERT_TRUE(r.Start());
        SetRenderer(&r.renderer);
    }

    void TearDown() override { SetRenderer(nullptr); }

    template <typename T> std::vector<T> Contents(GpuHandle buffer)
    {
        const std::vector<uint8_t> &bytes = r.device.buffers[buffer].bytes;
        std::vector<T> values(bytes.size() / sizeof(T));
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
        return values;
    }

    // The last draw's matrix (row by row) from its constant block.
    std::vector<float> LastMatrix()
    {
        std::vector<float> matrix(16);
        std::memcpy(matrix.data(), r.device.draws.back().constants.data(), 64);
        return matrix;
    }

    RecordingRenderer r;
};

TEST_F(WidgetsTest, QuadAndImageVertices)
{
    const uint8_t color[4] = {255, 0, 0, 128};
    Widget root('cont', Point2D(100, 50), Vector2D(0, 0));
    auto *quad = new QuadWidget(Point2D(3, 4), Vector2D(20, 10), color);
    root.AppendSubnode(quad);
    EXPECT_EQ(quad->GetWidgetType(), uint32_t('quad'));
    EXPECT_TRUE(quad->GetWidgetFlags() & kWidgetDisabled);
    std::vector<float> v = Contents<float>(quad->object.vertexBuffer);
    ASSERT_EQ(v.size(), 24U);
    const float corners[4][2] = {{0, 0}, {0, 10}, {20, 10}, {20, 0}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(v[size_t(6 * i)], corners[i][0]);
        EXPECT_EQ(v[size_t(6 * i + 1)], corners[i][1]);
        EXPECT_EQ(v[size_t(6 * i + 2)], 1.0F);
        EXPECT_EQ(v[size_t(6 * i + 3)], 0.0F);
        EXPECT_NEAR(v[size_t(6 * i + 5)], 0.50196F, 1e-5);
    }
    EXPECT_EQ(Contents<uint16_t>(quad->object.indexBuffer), (std::vector<uint16_t>{0, 1, 2, 0, 2, 3}));

    // Drawn at the global position (103, 54).
    root.UpdatePosition();
    root.RenderTree(Identity());
    ASSERT_EQ(r.device.draws.size(), 1U);
    std::vector<float> m = LastMatrix();
    EXPECT_EQ(m[3], 103);
    EXPECT_EQ(m[7], 54);
    EXPECT_EQ(r.device.draws[0].indexCount, 6U);

    GlyphTexturePair picture;
    ASSERT_TRUE(picture.Create(r.renderer, 'FLT4', 2, 2, std::vector<float>(16, 0.5F).data(), 0, 0, nullptr));
    auto *image = new ImageWidget(&picture, Point2D(0, 0), Vector2D(8, 6));
    root.AppendSubnode(image);
    v = Contents<float>(image->object.vertexBuffer);
    ASSERT_EQ(v.size(), 32U);
    const float textured[4][4] = {{0, 0, 0, 0}, {0, 6, 0, 1}, {8, 6, 1, 1}, {8, 0, 1, 0}};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(v[size_t(8 * i)], textured[i][0]);
        EXPECT_EQ(v[size_t(8 * i + 1)], textured[i][1]);
        EXPECT_EQ(v[size_t(8 * i + 5)], 1.0F);
        EXPECT_EQ(v[size_t(8 * i + 6)], textured[i][2]);
        EXPECT_EQ(v[size_t(8 * i + 7)], textured[i][3]);
    }
    root.InvalidatePosition();
    root.UpdatePosition();
    root.RenderTree(Identity());
    EXPECT_EQ(r.device.draws.back().textures[0], picture.curveTexture);

    // Without a picture nothing is built or drawn.
    auto *absent = new ImageWidget(nullptr, Point2D(0, 0), Vector2D(8, 6));
    root.AppendSubnode(absent);
    EXPECT_EQ(absent->object.vertexBuffer, 0U);
    size_t draws = r.device.draws.size();
    absent->Render(Identity());
    EXPECT_EQ(r.device.draws.size(), draws);
    root.PurgeSubtree();
    picture.ReleaseTextures(r.renderer);
}

TEST_F(WidgetsTest, ShadowTable)
{
    ShadowWidget shadow(Point2D(0, 0), Vector2D(100, 40));
    std::vector<float> v = Contents<float>(shadow.object.vertexBuffer);
    ASSERT_EQ(v.size(), 24U * 6);
    struct Vertex
    {
        int index;
        float x, y, alpha;
    };
    const Vertex checks[] = {{0, 0, 5, 0.09F},       {3, -3.5354998F, 1.4645002F, 0}, {6, 0, 40, 0.18F},
                             {11, 0, 48, 0},         {12, 100, 40, 0.18F},          {14, 101.9134171F, 47.391036F, 0},
                             {18, 100, 5, 0.09F},    {23, 100, 0, 0}};
    for (const Vertex &c : checks)
    {
        const float *p = &v[size_t(6 * c.index)];
        EXPECT_FLOAT_EQ(p[0], c.x) << c.index;
        EXPECT_FLOAT_EQ(p[1], c.y) << c.index;
        EXPECT_EQ(p[2] + p[3] + p[4], 0.0F) << c.index;
        EXPECT_FLOAT_EQ(p[5], c.alpha) << c.index;
    }
    std::vector<uint16_t> indices = Contents<uint16_t>(shadow.object.indexBuffer);
    ASSERT_EQ(indices.size(), 66U);
    EXPECT_EQ(std::vector<uint16_t>(indices.begin() + 30, indices.begin() + 36), (std::vector<uint16_t>{6, 11, 13, 6, 13, 12}));
    EXPECT_EQ(indices.back(), 23);
    EXPECT_EQ(shadow.item.indexCount, 66U);
}

TEST_F(WidgetsTest, FillWidgetReportsPressesOnceEnabled)
{
    const uint8_t grey[4] = {128, 128, 128, 255};
    Widget root('cont', Point2D(0, 0), Vector2D(200, 200));
    root.Enable();
    auto *fill = new FillWidget(Point2D(10, 10), Vector2D(50, 20), grey);
    root.AppendSubnode(fill);
    EXPECT_GT(fill->item.vertexCount, 0U);
    EXPECT_EQ(fill->item.textures, &fill->pair);
    EXPECT_EQ(fill->pair.count, 2);
    root.UpdatePosition();

    struct Receiver
    {
        void Handle(EventLink *sender, uint32_t event) { events.push_back({sender, event}); }
        std::vector<std::pair<EventLink *, uint32_t>> events;
    } receiver;
    EventObserver observer(&receiver, ObserverHandler<&Receiver::Handle>);
    fill->SetObserver(&observer);

    uint32_t hit = 0;
    // Disabled (as built), the pointer passes through it.
    EXPECT_EQ(root.FindWidgetAt(Point2D(20, 20), &hit), &root);
    fill->Enable();
    EXPECT_EQ(root.FindWidgetAt(Point2D(20, 20), &hit), fill);
    UIEvent press;
    press.type = 'lmdn';
    fill->HandleMouseEvent(press);
    UIEvent release;
    release.type = 'lmup';
    fill->HandleMouseEvent(release);
    ASSERT_EQ(receiver.events.size(), 1U);
    EXPECT_EQ(receiver.events[0].first, static_cast<EventLink *>(fill));
    EXPECT_EQ(receiver.events[0].second, uint32_t('wgac'));
}

TEST_F(WidgetsTest, ShapeForms)
{
    const uint8_t black[4] = {0, 0, 0, 255};
    struct Case
    {
        const char *name;
        uint32_t type;
        uint32_t variant;
        int32_t textures;
    };
    ShapeWidget line;
    line.InitLine(Point2D(10, 10), Point2D(20, 10), 2, black);
    ShapeWidget rect;
    rect.InitRect(Point2D(5, 5), Vector2D(30, 20), 1, black);
    ShapeWidget circle;
    circle.InitCircle(Point2D(5, 5), Vector2D(30, 20), 1.5F, black);
    const std::pair<ShapeWidget *, Case> cases[] = {{&line, {"line", 'line', 1, 2}},
                                                    {&rect, {"rect", 'rect', 9, 1}},
                                                    {&circle, {"circ", 'circ', 9, 1}}};
    for (const auto &[shape, c] : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(shape->GetWidgetType(), c.type);
        EXPECT_EQ(shape->object.program, r.renderer.GetFragmentShader(ShaderVariantIndex(c.variant)));
        EXPECT_GT(shape->item.vertexCount, 0U);
        EXPECT_EQ(shape->pair.count, c.textures);
        EXPECT_EQ(shape->item.textures, &shape->pair);
    }
    EXPECT_EQ(line.GetLocalPosition(), Point2D(10, 10));
    EXPECT_EQ(line.GetWidgetSize().x, 0);

    // The line's quadrilateral runs from y - 1 to y + 1 along the segment (local to its start).
    std::vector<AttribStruct> v = Contents<AttribStruct>(line.object.vertexBuffer);
    float minY = 1e9F, maxY = -1e9F;
    for (const AttribStruct &vertex : v)
    {
        minY = std::min(minY, vertex.position[1]);
        maxY = std::max(maxY, vertex.position[1]);
    }
    EXPECT_NEAR(minY, -1, 1e-4);
    EXPECT_NEAR(maxY, 1, 1e-4);

    // Lines without length draw nothing.
    const Point2D ends[] = {Point2D(10, 10), Point2D(NAN, 3)};
    for (const Point2D &end : ends)
    {
        ShapeWidget empty;
        empty.InitLine(Point2D(10, 10), end, 2, black);
        EXPECT_EQ(empty.item.vertexCount, 0U);
        EXPECT_EQ(empty.object.vertexBuffer, 0U);
    }
}

// A window's widgets draw in sibling order, each with its own program; hidden ones are skipped.
TEST_F(WidgetsTest, DrawOrderFollowsTheTree)
{
    const uint8_t grey[4] = {128, 128, 128, 255};
    Widget root('cont', Point2D(0, 0), Vector2D(0, 0));
    auto *shadow = new ShadowWidget(Point2D(0, 0), Vector2D(50, 50));
    auto *quad = new QuadWidget(Point2D(0, 0), Vector2D(50, 50), grey);
    auto *hidden = new QuadWidget(Point2D(0, 0), Vector2D(5, 5), grey);
    auto *fill = new FillWidget(Point2D(0, 10), Vector2D(50, 1), grey);
    auto *outline = new ShapeWidget;
    outline->InitRect(Point2D(2, 2), Vector2D(46, 46), 1, grey);
    for (Widget *widget : std::initializer_list<Widget *>{shadow, quad, hidden, fill, outline}) root.AppendSubnode(widget);
    hidden->SetWidgetFlags(hidden->GetWidgetFlags() | kWidgetHidden);
    root.UpdatePosition();
    root.RenderTree(Identity());
    ASSERT_EQ(r.device.draws.size(), 4U);
    const GpuHandle programs[4] = {r.renderer.GetColorProgram(0), r.renderer.GetColorProgram(0),
                                   r.renderer.GetFragmentShader(kShaderOptionWeight),
                                   r.renderer.GetFragmentShader(kShaderOptionWeight | kShaderOptionStroke)};
    const uint32_t indexCounts[4] = {66, 6, fill->item.indexCount, outline->item.indexCount};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(r.device.draws[size_t(i)].state.program, programs[i]) << i;
        EXPECT_EQ(r.device.draws[size_t(i)].indexCount, indexCounts[i]) << i;
    }
    EXPECT_EQ(r.device.draws[3].textures[0], outline->pair.curveTexture);
    root.PurgeSubtree();
}

class TextWidgetTest : public WidgetsTest
{
protected:
    void SetUp() override
    {
        WidgetsTest::SetUp();
        font = test::LoadTestFont(r.renderer, r.data, "label.vorl", test::MakeSquareFontFile(0.7F));
        flat = test::LoadTestFont(r.renderer, r.data, "flat.vorl", test::MakeSquareFontFile(0.0F));
        ASSERT_NE(font, nullptr);
        ASSERT_NE(flat, nullptr);
        ResetTextLayoutState(&state);
        state.size = 12;
    }

    void TearDown() override
    {
        if (font) font->Release();
        if (flat) flat->Release();
        WidgetsTest::TearDown();
    }

    static float MinX(const std::vector<AttribStruct> &vertices)
    {
        float x = 1e9F;
        for (const AttribStruct &v : vertices) x = std::min(x, v.position[0]);
        return x;
    }

    Font *font = nullptr;
    Font *flat = nullptr;
    TextLayoutState state;
};

TEST_F(TextWidgetTest, SnappingAndItsLimits)
{
    struct Case
    {
        const char *name;
        bool flatFont;
        float unit;
        bool superior;
        float size;
        float baseline;  // absolute baseline after the update
    };
    // Superior at y 20, label at local y 0.1: the absolute baseline starts at 20.1.
    const Case cases[] = {
        {"96 dpi", false, 0.75F, true, 12.857143F, 20.25F},
        {"no snapping", false, 0.0F, true, 12.0F, 20.1F},
        {"cap height 0", true, 0.75F, true, 12.0F, 20.1F},
        {"NaN unit", false, NAN, true, 12.0F, 20.1F},
        {"infinite unit", false, INFINITY, true, 12.0F, 20.1F},
        {"negative unit", false, -0.75F, true, 12.0F, 20.1F},
        {"no superior", false, 0.75F, false, 12.857143F, 0.75F},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Widget container('cont', Point2D(0, 20), Vector2D(0, 0));
        auto *label = new TextWidget('text', c.flatFont ? flat : font, &state, "AA", Point2D(0, 0.1F),
                                     Vector2D(100, 20), c.unit);
        if (c.superior)
        {
            container.AppendSubnode(label);
            container.UpdatePosition();
        }
        else
        {
            label->UpdatePosition();
        }
        EXPECT_FLOAT_EQ(label->layoutState.size, c.size);
        EXPECT_TRUE(std::isfinite(label->baselineOffset));
        float baseline = label->GetGlobalPosition().y + label->baselineOffset;
        EXPECT_NEAR(baseline, c.baseline, 1e-5);
        EXPECT_GT(label->item.vertexCount, 0U);
        EXPECT_FALSE(label->snapPending);
        // Snapping happens once.
        label->baselineOffset += 0.01F;
        label->Invalidate();
        label->UpdatePosition();
        EXPECT_FLOAT_EQ(label->layoutState.size, c.size);
        if (!c.superior) delete label;
    }
}

TEST_F(TextWidgetTest, AlignmentPlacesThePen)
{
    struct Case
    {
        uint32_t alignment;
        float pen;
    };
    // "AA" at size 10: two glyphs of 1.1 em measure 22 points in a 100-point label.
    state.size = 10;
    float leftX = 0;
    const Case cases[] = {{'LEFT', 0}, {'CENT', 39}, {'RGHT', 78}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(test::FourCC(c.alignment));
        state.alignment = c.alignment;
        TextWidget label('text', font, &state, "AA", Point2D(0, 0), Vector2D(100, 20), 0);
        label.UpdatePosition();
        EXPECT_NEAR(label.textWidth, 22, 1e-4);
        float x = MinX(Contents<AttribStruct>(label.object.vertexBuffer));
        if (c.alignment == 'LEFT') leftX = x;
        EXPECT_NEAR(x - leftX, c.pen, 1e-4);
        EXPECT_EQ(label.item.textures, font->GetTexturePair());
    }
}

TEST_F(TextWidgetTest, TextChangesNeedInvalidate)
{
    Widget root('cont', Point2D(5, 6), Vector2D(0, 0));
    auto *label = new TextWidget('text', font, &state, "A", Point2D(1, 2), Vector2D(100, 20), 0);
    root.AppendSubnode(label);
    label->baselineOffset = 10;
    label->textXOffset = 3;
    root.UpdatePosition();
    uint32_t one = label->item.vertexCount;
    ASSERT_GT(one, 0U);
    label->text = "AAA";
    root.UpdatePosition();
    EXPECT_EQ(label->item.vertexCount, one);
    label->Invalidate();
    root.UpdatePosition();
    EXPECT_EQ(label->item.vertexCount, 3 * one);

    // Drawn at (global x + text offset, global y + baseline offset).
    root.RenderTree(Identity());
    std::vector<float> m = LastMatrix();
    EXPECT_EQ(m[3], 9);
    EXPECT_EQ(m[7], 18);

    // An empty text draws nothing and measures 0.
    label->text = "";
    label->Invalidate();
    root.UpdatePosition();
    EXPECT_EQ(label->item.vertexCount, 0U);
    EXPECT_EQ(label->textWidth, 0.0F);
    root.PurgeSubtree();
}

TEST_F(TextWidgetTest, ShaderVariantFollowsTheRenderFlags)
{
    struct Case
    {
        uint32_t flags;
        uint32_t variant;
    };
    const Case cases[] = {{2, 1}, {0x7E, 0x3F}, {1 | 2, 65}, {0x100 | 8, 132}, {0x200, 192}, {0x301, 64}, {0x300, 128}};
    for (const Case &c : cases) EXPECT_EQ(GetTextShaderVariant(c.flags), c.variant) << c.flags;
}

// An icon file kept in an exact-size block, as the counts and the build must agree to the byte.
struct ExactIconFile
{
    explicit ExactIconFile(const std::vector<uint8_t> &image)
    {
        pair.fileData = static_cast<uint8_t *>(MemoryAllocate(image.size()));
        std::memcpy(pair.fileData, image.data(), image.size());
        pair.fileSize = image.size();
    }
    ~ExactIconFile() { MemoryRelease(pair.fileData); }
    const VorlGraphicsHeader *Header() const
    {
        return reinterpret_cast<const VorlGraphicsHeader *>(pair.fileData + kVorlGraphicsHeaderOffset);
    }
    GlyphTexturePair pair;
};

TEST_F(WidgetsTest, IconPolygonWordsCountAsTheyAreBuilt)
{
    struct Case
    {
        uint16_t word;
        uint32_t vertices;
    };
    // Words the writer cannot draw (1, 2, 7-15 vertices, or a wrong pattern) are the quad.
    const Case cases[] = {{0, 4}, {1, 4}, {2, 4}, {3, 3}, {0x0104, 4}, {0x0305, 5}, {0x0806, 6},
                          {7, 4}, {15, 4}, {0x0203, 4}, {0x0F0F, 4}};
    std::vector<uint16_t> words;
    for (const Case &c : cases) words.push_back(c.word);
    ExactIconFile file(test::MakePolygonWordIconFile(words));
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        SCOPED_TRACE(cases[i].word);
        IconWidget icon('pict', &file.pair, int32_t(i), Point2D(0, 0), Vector2D(36, 72));
        EXPECT_EQ(icon.iconIndex, int32_t(i));
        EXPECT_EQ(icon.item.vertexCount, cases[i].vertices);
        EXPECT_EQ(icon.item.indexCount, 3 * (cases[i].vertices - 2));
        EXPECT_EQ(r.device.buffers[icon.object.vertexBuffer].bytes.size(), cases[i].vertices * sizeof(AttribStruct));
        EXPECT_EQ(icon.object.program, r.renderer.GetFragmentShader(kShaderOptionWeight));
        // The 72-unit square fills the box with y up: icon (0, 0) lands at the box's bottom left.
        std::vector<AttribStruct> v = Contents<AttribStruct>(icon.object.vertexBuffer);
        float maxY = -1e9F;
        for (const AttribStruct &vertex : v) maxY = std::max(maxY, vertex.position[1]);
        EXPECT_NEAR(maxY, 72, 1.0F);
    }

    // Past the icons, or before them, nothing is built; the same index rebuilds nothing.
    IconWidget icon('pict', &file.pair, 0, Point2D(0, 0), Vector2D(72, 72));
    GpuHandle buffer = icon.object.vertexBuffer;
    icon.SetIcon(0);
    EXPECT_EQ(icon.object.vertexBuffer, buffer);
    const int32_t outside[] = {int32_t(std::size(cases)), 1000, -1, INT32_MIN};
    for (int32_t index : outside)
    {
        icon.SetIcon(0);
        icon.SetIcon(index);
        EXPECT_EQ(icon.item.vertexCount, 0U) << index;
        size_t draws = r.device.draws.size();
        icon.Render(Identity());
        EXPECT_EQ(r.device.draws.size(), draws);
    }

    // Without a file nothing is built.
    IconWidget none('pict', nullptr, 0, Point2D(0, 0), Vector2D(72, 72));
    EXPECT_EQ(none.item.vertexCount, 0U);
}

TEST_F(WidgetsTest, IconScaleAndOffsetMoveTheDraw)
{
    ExactIconFile file(test::MakePolygonWordIconFile({0}));
    Widget root('cont', Point2D(10, 20), Vector2D(0, 0));
    auto *icon = new IconWidget('pict', &file.pair, 0, Point2D(1, 2), Vector2D(72, 72));
    root.AppendSubnode(icon);
    icon->scale[0] = 2;
    icon->scale[1] = 3;
    icon->offset[0] = 4;
    icon->offset[1] = 5;
    root.UpdatePosition();
    root.RenderTree(Identity());
    std::vector<float> m = LastMatrix();
    EXPECT_EQ(m[0], 2);
    EXPECT_EQ(m[5], 3);
    EXPECT_EQ(m[3], 15);
    EXPECT_EQ(m[7], 27);
    EXPECT_EQ(r.device.draws.back().textures[0], file.pair.curveTexture);
    root.PurgeSubtree();
}

}  // namespace
}  // namespace oq
