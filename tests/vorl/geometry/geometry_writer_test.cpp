#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "RunGeometryFixture.h"
#include "base/Bezier.h"
#include "base/Half.h"
#include "vorl/text/FontDataAccess.h"
#include "support/GeometryCapture.h"
#include "vorl/geometry/DecorationGeometry.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/GlyphGeometry.h"
#include "vorl/geometry/GlyphList.h"
#include "vorl/geometry/GlyphListGeometry.h"
#include "vorl/geometry/PolygonTriangulation.h"

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

// Writer tests run for every variant of the builder table.
class GlyphWriterTest : public ::testing::TestWithParam<int32_t>
{
protected:
    void SetUp() override
    {
        ResetTextLayoutState(&state);
        state.outputScale[0] = 2.0F;
        state.outputScale[1] = 2.0F;
        state.outputOffset[0] = 10.0F;
        state.outputOffset[1] = 20.0F;
        glyph = {};
        const float box[4] = {0.0F, -0.25F, 0.75F, 1.0F};
        std::memcpy(glyph.box, box, sizeof(box));
        glyph.bandColumn = 7;
        glyph.bandRow = 3;
        glyph.bandCountX = 8;
        glyph.bandWordY = 0x0104;
        glyph.bandScale[0] = 8.0F;
        glyph.bandScale[1] = 4.0F;
        glyph.curveOrigin[0] = 0.05F;
        glyph.curveOrigin[1] = 0.1F;
        paint = state.fillPaint;
        paint.color = {1.0F, 0.5F, 0.0F, 1.0F};
        bounds.SetEmpty();
    }

    // The polygon vertices (em units) and word of the glyph record.
    void SetPolygon(std::initializer_list<std::pair<float, float>> points, uint16_t word)
    {
        int i = 0;
        for (const auto &point : points)
        {
            FloatToHalf(&glyph.polygon[2 * i], point.first);
            FloatToHalf(&glyph.polygon[2 * i + 1], point.second);
            ++i;
        }
        glyph.polygonWord = word;
    }

    void Write(test::GeometryCapture *capture, const float *box, uint32_t word, const Matrix2D &matrix,
               const uint8_t *layerColor = nullptr)
    {
        const float pen[2] = {3.0F, 4.0F};
        kGeometryBuilderTable.writeGlyphGeometry[GetParam()](&state, &glyph, box, word, pen, matrix, &paint,
                                                            layerColor, capture ? &capture->buffer : nullptr,
                                                            &bounds);
    }

    TextLayoutState state;
    VorlGlyphRecord glyph;
    TextPaint paint;
    Box2D bounds;
};

INSTANTIATE_TEST_SUITE_P(Variants, GlyphWriterTest, ::testing::Values(0, 1, 2, 3));

const float kQuadBox[4] = {0.1F, -0.2F, 0.6F, 0.8F};
const Matrix2D kScale5(5.0F, 0.0F, 0.0F, 5.0F);

TEST_P(GlyphWriterTest, QuadWritesWholeVertexRecords)
{
    test::GeometryCapture capture(GetParam(), 4, 2, 100);
    Write(&capture, kQuadBox, 0, kScale5);

    // Object space: N = diag(2, -2) x 5; positions N q + (2 x pen + offset) = N q + (16, 28).
    struct Expected
    {
        float position[2];
        float normal[2];
        float texcoord[2];
    };
    const Expected expected[4] = {
        {{17.0F, 30.0F}, {-1.0F, 1.0F}, {0.05F, -0.3F}},
        {{22.0F, 30.0F}, {1.0F, 1.0F}, {0.55F, -0.3F}},
        {{17.0F, 20.0F}, {-1.0F, -1.0F}, {0.05F, 0.7F}},
        {{22.0F, 20.0F}, {1.0F, -1.0F}, {0.55F, 0.7F}},
    };
    ASSERT_EQ(capture.VertexCount(), 4);
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        test::CapturedVertex v = capture.Vertex(i);
        EXPECT_FLOAT_EQ(v.position[0], expected[i].position[0]);
        EXPECT_FLOAT_EQ(v.position[1], expected[i].position[1]);
        EXPECT_NEAR(v.normal[0], expected[i].normal[0], 1e-5);
        EXPECT_NEAR(v.normal[1], expected[i].normal[1], 1e-5);
        EXPECT_FLOAT_EQ(v.texcoord[0], expected[i].texcoord[0]);
        EXPECT_FLOAT_EQ(v.texcoord[1], expected[i].texcoord[1]);
        EXPECT_EQ(v.bandLocation, 7u | 3u << 16);
        EXPECT_EQ(v.bandLimits, 0x01030007u);
        EXPECT_FLOAT_EQ(v.jacobian[0], 0.1F);
        EXPECT_FLOAT_EQ(v.jacobian[1], 0.0F);
        EXPECT_FLOAT_EQ(v.jacobian[2], 0.0F);
        EXPECT_FLOAT_EQ(v.jacobian[3], -0.1F);
        // Band offsets from the record's own box, not the box argument.
        EXPECT_FLOAT_EQ(v.banding[0], 8.0F);
        EXPECT_FLOAT_EQ(v.banding[1], 4.0F);
        EXPECT_FLOAT_EQ(v.banding[2], 0.4F);
        EXPECT_FLOAT_EQ(v.banding[3], 1.4F);
        EXPECT_EQ(v.colorBytes[0], 255);
        EXPECT_EQ(v.colorBytes[1], 128);
        EXPECT_EQ(v.colorBytes[2], 0);
        EXPECT_EQ(v.colorBytes[3], 255);
    }
    ASSERT_EQ(capture.TriangleCount(), 2);
    EXPECT_EQ(capture.Triangle(0), (std::array<uint32_t, 3>{100, 101, 102}));
    EXPECT_EQ(capture.Triangle(1), (std::array<uint32_t, 3>{101, 103, 102}));
    EXPECT_EQ(capture.buffer.vertexIndex, 104u);
    EXPECT_FLOAT_EQ(bounds.min.x, 17.0F);
    EXPECT_FLOAT_EQ(bounds.min.y, 20.0F);
    EXPECT_FLOAT_EQ(bounds.max.x, 22.0F);
    EXPECT_FLOAT_EQ(bounds.max.y, 30.0F);
}

TEST_P(GlyphWriterTest, RectWritesThreeVerticesAndNoTriangles)
{
    state.geometryType = 'RECT';
    test::GeometryCapture capture(GetParam(), 3, 0, 7);
    Write(&capture, kQuadBox, 0, kScale5);
    EXPECT_EQ(capture.VertexCount(), 3);
    EXPECT_EQ(capture.TriangleCount(), 0);
    EXPECT_EQ(capture.buffer.vertexIndex, 7u);
    EXPECT_FLOAT_EQ(capture.Vertex(2).position[0], 17.0F);
    EXPECT_FLOAT_EQ(capture.Vertex(2).position[1], 20.0F);
    // Bounds grow by Q0, Q1 and Q2 only; a glyph skewed to the right shows Q3 is left out.
    Box2D skewed;
    skewed.SetEmpty();
    bounds.SetEmpty();
    Write(nullptr, kQuadBox, 0, Matrix2D(5.0F, 5.0F, 0.0F, 5.0F));
    EXPECT_FLOAT_EQ(bounds.max.x, 25.0F);   // Q2; Q3 would reach 30
}

TEST_P(GlyphWriterTest, PolygonUsesItsTriangulationPattern)
{
    SetPolygon({{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}}, 0x0305);
    test::GeometryCapture capture(GetParam(), 5, 3, 40);
    Write(&capture, glyph.box, 0x0305, kScale5);
    ASSERT_EQ(capture.VertexCount(), 5);
    ASSERT_EQ(capture.TriangleCount(), 3);
    EXPECT_EQ(capture.Triangle(0), (std::array<uint32_t, 3>{40, 41, 42}));
    EXPECT_EQ(capture.Triangle(1), (std::array<uint32_t, 3>{40, 42, 43}));
    EXPECT_EQ(capture.Triangle(2), (std::array<uint32_t, 3>{40, 43, 44}));
    EXPECT_EQ(capture.buffer.vertexIndex, 45u);

    // The interior vertex of the straight bottom edge moves straight out by 1; the corners of
    // the square by 1 along each axis.
    struct Expected
    {
        float normal[2];
    };
    const Expected expected[5] = {{{-1, 1}}, {{0, 1}}, {{1, 1}}, {{1, -1}}, {{-1, -1}}};
    for (int i = 0; i < 5; ++i)
    {
        test::CapturedVertex v = capture.Vertex(i);
        EXPECT_NEAR(v.normal[0], expected[i].normal[0], 1e-5) << i;
        EXPECT_NEAR(v.normal[1], expected[i].normal[1], 1e-5) << i;
    }
}

TEST_P(GlyphWriterTest, MirroredGlyphKeepsNormalsOutward)
{
    test::GeometryCapture capture(GetParam(), 4, 2);
    Write(&capture, kQuadBox, 0, Matrix2D(-5.0F, 0.0F, 0.0F, 5.0F));
    // Mirrored in x: Q0 is now the lower right corner.
    const float expected[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (int i = 0; i < 4; ++i)
    {
        test::CapturedVertex v = capture.Vertex(i);
        EXPECT_NEAR(v.normal[0], expected[i][0], 1e-5) << i;
        EXPECT_NEAR(v.normal[1], expected[i][1], 1e-5) << i;
    }
}

TEST_P(GlyphWriterTest, UndrawablePolygonWordsAreDrawnAsTheQuad)
{
    SetPolygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {0, 0}}, 0);
    // Counts and patterns the font validator refuses, and bits beyond the polygon word.
    const uint32_t words[] = {0x0003 | 0x0100, 0x0004, 0x0305 | 0x1000, 0x0007, 0x0F0F, 0x10304};
    for (uint32_t word : words)
    {
        EXPECT_FALSE(IsDrawablePolygonWord(word)) << std::hex << word;
        test::GeometryCapture capture(GetParam(), 4, 2);
        Write(&capture, kQuadBox, word, kScale5);
        EXPECT_EQ(capture.VertexCount(), 4) << std::hex << word;
        EXPECT_EQ(capture.TriangleCount(), 2);
        // No clip bits: every normal component has magnitude 1.
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(std::fabs(capture.Vertex(i).normal[0]), 1.0F, 1e-5);
    }
    // Every word the validator accepts as a polygon names only its own vertices.
    for (uint32_t count = 3; count <= 6; ++count)
        for (uint32_t pattern = 0; pattern < 16; ++pattern)
        {
            uint32_t word = count | pattern << 8;
            EXPECT_EQ(IsDrawablePolygonWord(word), IsValidPolygonWord(word)) << std::hex << word;
        }
}

TEST_P(GlyphWriterTest, ClippedEdgesKeepTheirVerticesInPlace)
{
    test::GeometryCapture capture(GetParam(), 4, 2);
    Write(&capture, kQuadBox, kQuadClipMinX | kQuadClipMinY, kScale5);
    // Q0 fixed in x and y, Q1 in y, Q2 in x.
    const float expected[4][2] = {{0, 0}, {1, 0}, {0, -1}, {1, -1}};
    for (int i = 0; i < 4; ++i)
    {
        test::CapturedVertex v = capture.Vertex(i);
        EXPECT_NEAR(v.normal[0], expected[i][0], 1e-5) << i;
        EXPECT_NEAR(v.normal[1], expected[i][1], 1e-5) << i;
    }
}

TEST_P(GlyphWriterTest, PaintColours)
{
    struct Case
    {
        const char *name;
        TextPaint paint;
        bool layer;
        uint8_t layerColor[4];
        uint8_t bottom[4];   // Q0 and Q1 (em y -0.2)
        uint8_t top[4];      // Q2 and Q3 (em y 0.8)
    };
    const ColorRGBA black = {0, 0, 0, 1};
    const ColorRGBA white = {1, 1, 1, 1};
    const Case cases[] = {
        {"gradient", {black, white, 0.0F, 1.0F, true}, false, {}, {0, 0, 0, 255}, {204, 204, 204, 255}},
        {"gradient clamped", {black, white, 0.3F, 0.5F, true}, false, {}, {0, 0, 0, 255}, {255, 255, 255, 255}},
        {"no gradient when start = end", {black, white, 0.5F, 0.5F, true}, false, {}, {0, 0, 0, 255}, {0, 0, 0, 255}},
        {"gradient off", {black, white, 0.0F, 1.0F, false}, false, {}, {0, 0, 0, 255}, {0, 0, 0, 255}},
        {"layer tints", {white, white, 0.0F, 1.0F, false}, true, {255, 0, 188, 200}, {255, 0, 128, 200}, {255, 0, 128, 200}},
        {"layer alpha", {{1, 1, 1, 0.5F}, white, 0.0F, 1.0F, false}, true, {255, 255, 255, 128}, {255, 255, 255, 128}, {255, 255, 255, 128}},
        {"zero alpha stays", {{1, 1, 1, 0.0F}, white, 0.0F, 1.0F, false}, true, {255, 255, 255, 128}, {255, 255, 255, 0}, {255, 255, 255, 0}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        paint = c.paint;
        test::GeometryCapture capture(GetParam(), 4, 2);
        Write(&capture, kQuadBox, 0, kScale5, c.layer ? c.layerColor : nullptr);
        for (int i = 0; i < 4; ++i)
        {
            test::CapturedVertex v = capture.Vertex(i);
            const uint8_t *expected = i < 2 ? c.bottom : c.top;
            for (int k = 0; k < 4; ++k) EXPECT_EQ(v.colorBytes[k], expected[k]) << i << " " << k;
        }
    }
}

TEST_P(GlyphWriterTest, WithoutBufferOnlyBoundsGrow)
{
    Write(nullptr, kQuadBox, 0, kScale5);
    EXPECT_FLOAT_EQ(bounds.min.x, 17.0F);
    EXPECT_FLOAT_EQ(bounds.max.y, 30.0F);
}

TEST(ClipGlyphQuadTest, CutsTheBoxAndSetsEdgeBits)
{
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.optionFlags = kTextOptionClipX | kTextOptionClipY;
    const float clip[4] = {10.0F, 0.0F, 100.0F, 50.0F};
    std::memcpy(state.clipRect, clip, sizeof(clip));
    const float scale[2] = {10.0F, 10.0F};
    struct Case
    {
        const char *name;
        uint32_t options;
        float pen[2];
        bool rotated;
        float box[4];
        uint32_t word;
        bool result;
        float clippedBox[4];
        uint32_t clippedWord;
    };
    const Case cases[] = {
        // Layout x = pen.x + 10 em x, layout y = pen.y - 10 em y.
        {"left and bottom", 0x6, {5, 52}, false, {0, 0, 1, 1}, 0x0305, true, {0.5F, 0.2F, 1, 1}, 0x3500},
        {"inside keeps polygon", 0x6, {20, 30}, false, {0, 0, 1, 1}, 0x0305, true, {0, 0, 1, 1}, 0x0305},
        {"clip off", 0x0, {-500, 30}, false, {0, 0, 1, 1}, 0x0305, true, {0, 0, 1, 1}, 0x0305},
        {"x only ignores y", 0x2, {20, 500}, false, {0, 0, 1, 1}, 0, true, {0, 0, 1, 1}, 0},
        {"right and top", 0x6, {95, 5}, false, {0, 0, 1, 1}, 0, true, {0, 0, 0.5F, 0.5F}, 0xCA00},
        {"wholly left", 0x6, {-20, 30}, false, {0, 0, 1, 1}, 0, false, {3, 0, 1, 1}, 0x0500},
        // Rotated: layout x = pen.x - 10 em y, layout y = pen.y - 10 em x.
        {"rotated left", 0x6, {15, 30}, true, {0, 0, 1, 1}, 0, true, {0, 0, 1, 0.5F}, 0x0C00},
        {"rotated right and top", 0x6, {105, 5}, true, {0, 0, 1, 1}, 0, true, {0, 0.5F, 0.5F, 1}, 0xA300},
        {"rotated bottom", 0x6, {50, 55}, true, {0, 0, 1, 1}, 0, true, {0.5F, 0, 1, 1}, 0x5000},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        state.optionFlags = c.options;
        float box[4];
        std::memcpy(box, c.box, sizeof(box));
        uint32_t word = c.word;
        EXPECT_EQ(ClipGlyphQuad(&state, box, &word, c.pen, scale, c.rotated), c.result);
        for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(box[k], c.clippedBox[k]) << k;
        EXPECT_EQ(word, c.clippedWord);
    }
}

// Decoration tests: a font of scale 0.5 at size 20 (k = 10), 'UNDR' 0.1 thick at -0.2.
class DecorationWriterTest : public ::testing::TestWithParam<int32_t>
{
protected:
    void SetUp() override
    {
        ResetTextLayoutState(&state);
        state.size = 20.0F;
        font = {nullptr, 0.5F, 0.0F};
        item = {0.1F, -0.2F, 5, 6};
        paint = state.fillPaint;
        paint.color = {0.0F, 1.0F, 0.0F, 1.0F};
        bounds.SetEmpty();
    }

    void Begin(test::GeometryCapture *capture, float startX, float expansion = 0.0F, const float *offset = nullptr)
    {
        const float zero[2] = {0.0F, 0.0F};
        run.Begin(&state, &font, &item, capture ? &capture->buffer : nullptr, startX, 100.0F, expansion, &paint,
                  offset ? offset : zero);
    }

    void End(float endX) { kGeometryBuilderTable.writeDecorationRect[GetParam()](&run, endX, &bounds); }

    TextLayoutState state;
    TextFont font;
    FontDataDecorationItem item;
    TextPaint paint;
    DecorationRun run;
    Box2D bounds;
};

INSTANTIATE_TEST_SUITE_P(Variants, DecorationWriterTest, ::testing::Values(0, 1, 2, 3));

TEST_P(DecorationWriterTest, RectangleBetweenStartAndEnd)
{
    for (float endX : {60.0F, -40.0F})
    {
        SCOPED_TRACE(endX);
        bounds.SetEmpty();
        test::GeometryCapture capture(GetParam(), 4, 2, 9);
        Begin(&capture, 10.0F);
        End(endX);
        ASSERT_EQ(capture.VertexCount(), 4);
        ASSERT_EQ(capture.TriangleCount(), 2);
        EXPECT_EQ(capture.Triangle(0), (std::array<uint32_t, 3>{9, 10, 11}));
        EXPECT_EQ(capture.Triangle(1), (std::array<uint32_t, 3>{10, 12, 11}));
        float left = endX > 0 ? 10.0F : -40.0F;
        float right = endX > 0 ? 60.0F : 10.0F;
        // Bottom at baseline - (-0.2 x 10) = 102, top at baseline - (-0.1 x 10) = 101.
        const float positions[4][2] = {{left, 102}, {right, 102}, {left, 101}, {right, 101}};
        const float normals[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
        const float texcoords[4][2] = {{0, -0.2F}, {1, -0.2F}, {0, -0.1F}, {1, -0.1F}};
        for (int i = 0; i < 4; ++i)
        {
            SCOPED_TRACE(i);
            test::CapturedVertex v = capture.Vertex(i);
            EXPECT_FLOAT_EQ(v.position[0], positions[i][0]);
            EXPECT_FLOAT_EQ(v.position[1], positions[i][1]);
            EXPECT_EQ(v.normal[0], normals[i][0]);
            EXPECT_EQ(v.normal[1], normals[i][1]);
            EXPECT_NEAR(v.texcoord[0], texcoords[i][0], 1e-6);
            EXPECT_NEAR(v.texcoord[1], texcoords[i][1], 1e-6);
            EXPECT_EQ(v.bandLocation, 5u | 6u << 16);
            EXPECT_EQ(v.bandLimits, 0u);
            EXPECT_FLOAT_EQ(v.jacobian[0], 1.0F / 50.0F);
            EXPECT_EQ(v.jacobian[1], 0.0F);
            EXPECT_EQ(v.jacobian[2], 0.0F);
            EXPECT_FLOAT_EQ(v.jacobian[3], -0.1F);
            EXPECT_EQ(v.banding[0], 1.0F);
            EXPECT_EQ(v.banding[1], 1.0F);
            EXPECT_EQ(v.banding[2], 0.0F);
            EXPECT_EQ(v.banding[3], 0.0F);
            EXPECT_EQ(v.colorBytes[1], 255);
        }
        EXPECT_FLOAT_EQ(bounds.min.x, left);
        EXPECT_FLOAT_EQ(bounds.max.x, right);
        EXPECT_FLOAT_EQ(bounds.min.y, 101.0F);
        EXPECT_FLOAT_EQ(bounds.max.y, 102.0F);
    }
}

TEST_P(DecorationWriterTest, EmptyAndClippedStretches)
{
    state.optionFlags = kTextOptionClipX | kTextOptionClipY;
    const float clip[4] = {20.0F, 0.0F, 50.0F, 200.0F};
    std::memcpy(state.clipRect, clip, sizeof(clip));
    struct Case
    {
        const char *name;
        float start;
        float end;
        int32_t vertices;
        float left;
        float u0;
    };
    const Case cases[] = {
        {"zero length", 30, 30, 0, 0, 0},
        {"wholly left of the clip", 0, 15, 0, 0, 0},
        {"wholly right of the clip", 55, 70, 0, 0, 0},
        {"crosses the left edge", 10, 30, 4, 20, 0.5F},
        {"inside", 25, 45, 4, 25, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        bounds.SetEmpty();
        test::GeometryCapture capture(GetParam(), 4, 2);
        Begin(&capture, c.start);
        End(c.end);
        EXPECT_EQ(capture.VertexCount(), c.vertices);
        EXPECT_EQ(capture.buffer.vertexIndex, uint32_t(c.vertices));
        if (c.vertices == 0)
        {
            EXPECT_GT(bounds.min.x, bounds.max.x);
            continue;
        }
        EXPECT_FLOAT_EQ(capture.Vertex(0).position[0], c.left);
        EXPECT_FLOAT_EQ(capture.Vertex(0).texcoord[0], c.u0);
        EXPECT_FLOAT_EQ(capture.Vertex(1).texcoord[0], 1.0F);
    }
    // Clipped in y to a band through the rectangle's middle.
    state.clipRect[1] = 101.25F;
    state.clipRect[3] = 101.75F;
    test::GeometryCapture capture(GetParam(), 4, 2);
    Begin(&capture, 25);
    End(45);
    ASSERT_EQ(capture.VertexCount(), 4);
    EXPECT_FLOAT_EQ(capture.Vertex(0).position[1], 101.75F);
    EXPECT_FLOAT_EQ(capture.Vertex(2).position[1], 101.25F);
    EXPECT_NEAR(capture.Vertex(0).texcoord[1], -0.175F, 1e-6);
    EXPECT_NEAR(capture.Vertex(2).texcoord[1], -0.125F, 1e-6);
}

TEST_P(DecorationWriterTest, ExpansionOffsetSkewAndGradient)
{
    state.skew = 0.5F;
    state.geometryType = 'RECT';
    paint = {{0, 0, 0, 1}, {1, 1, 1, 1}, -0.3F, 0.1F, true};
    const float offset[2] = {0.5F, 1.0F};
    test::GeometryCapture capture(GetParam(), 3, 0, 3);
    Begin(&capture, 10.0F, 0.05F, offset);
    End(20.0F);
    // Expanded by k e = 0.5 on every side, moved by k offset = (5, 10); the bottom edge at em
    // -0.25 shifts by -0.25 x 10 x 0.5, the top edge at em -0.05 by -0.25.
    ASSERT_EQ(capture.VertexCount(), 3);
    EXPECT_EQ(capture.TriangleCount(), 0);
    EXPECT_EQ(capture.buffer.vertexIndex, 3u);
    const float positions[3][2] = {{14.5F - 1.25F, 112.5F}, {25.5F - 1.25F, 112.5F}, {14.5F - 0.25F, 110.5F}};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_FLOAT_EQ(capture.Vertex(i).position[0], positions[i][0]) << i;
        EXPECT_FLOAT_EQ(capture.Vertex(i).position[1], positions[i][1]) << i;
    }
    // Colours at em -0.25 and -0.05 of the gradient from -0.3 to 0.1: 0.125 and 0.625.
    EXPECT_EQ(capture.Vertex(0).colorBytes[0], 32);
    EXPECT_EQ(capture.Vertex(2).colorBytes[0], 159);
}

// Glyph-list geometry over the lists of runs of the geometry test font, for every variant.
class GlyphListGeometryTest : public test::RunGeometryFixture, public ::testing::WithParamInterface<int32_t>
{
protected:
    using List = test::GlyphListArrays;

    // Counts the list, then builds it into exact-size buffers (float colours when asked).
    std::vector<std::unique_ptr<test::GeometryCapture>> BuildList(const List &list, bool floatColors,
                                                                  bool withFonts = true, bool withColors = true,
                                                                  Box2D *bounds = nullptr)
    {
        const uint8_t *fonts = withFonts ? list.fonts.data() : nullptr;
        int32_t vertices[2];
        int32_t triangles[2];
        CountGlyphListGeometry(font.Count(), font.fonts.data(), &state, list.count, fonts, list.glyphs.data(),
                               vertices, triangles);
        std::vector<std::unique_ptr<test::GeometryCapture>> captures;
        std::vector<GeometryBuffer> buffers;
        for (int32_t f = 0; f < font.Count(); ++f)
        {
            captures.push_back(std::make_unique<test::GeometryCapture>(GetParam(), vertices[f], triangles[f]));
            buffers.push_back(captures.back()->buffer);
        }
        Box2D box;
        if (floatColors)
            BuildGlyphListGeometryFloatColors(font.fonts.data(), &state, list.count, fonts, list.glyphs.data(),
                                              list.positions.data(), list.matrices.data(),
                                              withColors ? list.floatColors.data() : nullptr, buffers.data(), &box);
        else
            BuildGlyphListGeometry(font.fonts.data(), &state, list.count, fonts, list.glyphs.data(),
                                   list.positions.data(), list.matrices.data(),
                                   withColors ? list.colors.data() : nullptr, buffers.data(), &box);
        for (int32_t f = 0; f < font.Count(); ++f)
        {
            captures[size_t(f)]->buffer = buffers[size_t(f)];
            EXPECT_EQ(captures[size_t(f)]->VertexCount(), vertices[f]);
            EXPECT_EQ(captures[size_t(f)]->TriangleCount(), triangles[f]);
        }
        if (bounds != nullptr) *bounds = box;
        return captures;
    }
};

INSTANTIATE_TEST_SUITE_P(Variants, GlyphListGeometryTest, ::testing::Values(0, 1, 2, 3));

TEST_P(GlyphListGeometryTest, ListOfARunDrawsLikeTheRun)
{
    const char *texts[] = {"ab cx{#size(14)}ad", "a\xCC\x8A\xCC\x8A b", "\xF0\x9F\x98\x80" "a{#laymul(true)}\xF0\x9F\x98\x80",
                           "{#skew(0.2)}dcb"};
    for (TextGeometryType type : {uint32_t('QUAD'), uint32_t('POLY'), uint32_t('RECT')})
        for (const char *text : texts)
            for (bool floatColors : {false, true})
            {
                SCOPED_TRACE(testing::Message() << text << " " << std::hex << type << " " << floatColors);
                state.geometryType = type;
                TextRun *run = Layout(text);
                test::BuiltRun built = Build(run, nullptr, GetParam());
                List list = ListRun(run);
                Box2D bounds;
                auto captures = BuildList(list, floatColors, true, true, &bounds);
                EXPECT_EQ(bounds.min.x, built.bounds.min.x);
                EXPECT_EQ(bounds.max.y, built.bounds.max.y);
                for (int32_t f = 0; f < font.Count(); ++f)
                {
                    const test::GeometryCapture &a = built.At(f);
                    const test::GeometryCapture &b = *captures[size_t(f)];
                    ASSERT_EQ(a.VertexCount(), b.VertexCount());
                    ASSERT_EQ(a.TriangleCount(), b.TriangleCount());
                    for (int32_t t = 0; t < a.TriangleCount(); ++t) EXPECT_EQ(a.Triangle(t), b.Triangle(t));
                    for (int32_t i = 0; i < a.VertexCount(); ++i)
                    {
                        test::CapturedVertex u = a.Vertex(i);
                        test::CapturedVertex v = b.Vertex(i);
                        EXPECT_EQ(std::memcmp(&u, &v, offsetof(test::CapturedVertex, colorBytes)), 0) << i;
                        for (int k = 0; k < 4; ++k) EXPECT_NEAR(u.color[k], v.color[k], 0.01F) << i << " " << k;
                    }
                }
            }
}

TEST_P(GlyphListGeometryTest, ColoursFontsAndEffects)
{
    List list = ListRun(Layout("ax\xF0\x9F\x98\x80"));
    ASSERT_EQ(list.count, 3);
    // Entry colours: red for 'a'; white for the layered glyph shows its layers unchanged.
    const uint8_t red[4] = {255, 0, 0, 255};
    std::memcpy(&list.colors[0], red, 4);
    list.floatColors[0] = {1.0F, 0.0F, 0.0F, 1.0F};
    std::memset(&list.colors[8], 255, 4);
    list.floatColors[2] = {1.0F, 1.0F, 1.0F, 1.0F};
    for (bool floatColors : {false, true})
    {
        auto captures = BuildList(list, floatColors);
        test::CapturedVertex a = captures[0]->Vertex(0);
        EXPECT_EQ(a.color[0], 1.0F);
        EXPECT_EQ(a.color[1], 0.0F);
        EXPECT_EQ(a.color[3], 1.0F);
        test::CapturedVertex green = captures[0]->Vertex(8);
        EXPECT_EQ(green.colorBytes[1], 255);
        EXPECT_EQ(green.colorBytes[3], 128);
        EXPECT_EQ(captures[1]->VertexCount(), 4);
    }

    // Without font indexes every glyph goes to font 0.
    auto single = BuildList(list, false, false);
    EXPECT_EQ(single[0]->VertexCount(), 16);
    EXPECT_EQ(single[1]->VertexCount(), 0);

    // Shadow copies first, in the shadow paint whatever the colours say; the layered glyph
    // draws nothing in the shadow pass.
    state.effect = 'SHAD';
    state.shadowOffset[1] = 0.5F;
    auto shadowed = BuildList(list, false);
    ASSERT_EQ(shadowed[0]->VertexCount(), 16);
    EXPECT_EQ(shadowed[0]->Vertex(0).colorBytes[0], 128);
    EXPECT_FLOAT_EQ(shadowed[0]->Vertex(0).position[1], shadowed[0]->Vertex(4).position[1] + 5.0F);
    EXPECT_EQ(shadowed[0]->Vertex(4).colorBytes[0], 255);
    ASSERT_EQ(shadowed[1]->VertexCount(), 8);
    EXPECT_EQ(shadowed[1]->Vertex(0).colorBytes[0], 128);
}

TEST_P(GlyphListGeometryTest, EmptyList)
{
    List list;
    Box2D bounds;
    auto captures = BuildList(list, false, true, true, &bounds);
    EXPECT_EQ(captures[0]->VertexCount(), 0);
    EXPECT_EQ(bounds.min.x, FloatMaxFinite);
    EXPECT_EQ(bounds.max.x, -FloatMaxFinite);
}

TEST_P(GlyphListGeometryTest, CountsEveryEffectAndForm)
{
    List list = ListRun(Layout("abcdx\xF0\x9F\x98\x80\xCC\x8A"));
    for (TextEffect effect : {0u, uint32_t('SHAD'), uint32_t('OTLN'), uint32_t('OLSH')})
        for (TextGeometryType type : {uint32_t('QUAD'), uint32_t('POLY'), uint32_t('RECT')})
        {
            SCOPED_TRACE(testing::Message() << std::hex << effect << " " << type);
            state.effect = effect;
            state.geometryType = type;
            BuildList(list, GetParam() >= 2);   // checks count = build per font
        }
}

// Written glyph polygons checked on the CPU against the glyphs: a quad is the glyph's box, a
// polygon encloses the glyph's curves, and every normal moves both of its vertex's edges outward
// by one object-space unit, for plain, skewed, mirrored and turned glyph matrices.
TEST_P(GlyphListGeometryTest, PolygonsCoverTheirGlyphsAndNormalsPointOut)
{
    state.skew = 0.2F;
    state.outputScale[0] = 2.0F;
    state.outputScale[1] = 1.5F;
    state.outputOffset[0] = 7.0F;
    List list = ListRun(Layout("abcdac\xE4\xB8\x80"));
    ASSERT_EQ(list.count, 7);
    list.matrices[4] = Matrix2D(-10.0F, 0.0F, 0.0F, 10.0F);
    list.matrices[5] = Matrix2D(8.66F, -5.0F, 5.0F, 8.66F);
    list.matrices[6] = Matrix2D(0.0F, -10.0F, 10.0F, 0.0F);

    const VorlFileHeader *file = reinterpret_cast<const VorlFileHeader *>(font.image.data());
    std::vector<uint8_t> texels(GetCurveTextureDataSize(file));
    ASSERT_TRUE(CopyCurveTextureData(file, texels.data(), uint32_t(texels.size())));
    const VorlFontRecord *record = font.fonts[0].fontRecord;

    for (TextGeometryType type : {uint32_t('QUAD'), uint32_t('POLY')})
    {
        SCOPED_TRACE(type);
        state.geometryType = type;
        auto captures = BuildList(list, false);
        const test::GeometryCapture &capture = *captures[0];
        int32_t next = 0;
        for (int32_t j = 0; j < list.count; ++j)
        {
            SCOPED_TRACE(j);
            const VorlGlyphRecord &glyph = record->GetGlyphRecords()[list.glyphs[size_t(j)]];
            uint32_t word = GetGlyphGeometryWord(&glyph, type);
            int32_t n = word != 0 ? int32_t(word & 0xF) : 4;
            // Walk order of the quad: Q0, Q1, Q3, Q2.
            static const int32_t kQuadOrder[4] = {0, 1, 3, 2};
            std::vector<test::CapturedVertex> polygon;
            for (int32_t i = 0; i < n; ++i) polygon.push_back(capture.Vertex(next + (word != 0 ? i : kQuadOrder[i])));
            next += n;

            const Matrix2D &m = list.matrices[size_t(j)];
            Matrix2D objectMatrix(2.0F * m(0, 0), 2.0F * m(0, 1), -1.5F * m(1, 0), -1.5F * m(1, 1));
            auto toObject = [&](float x, float y) {
                return Point2D(objectMatrix(0, 0) * x + objectMatrix(0, 1) * y + 2.0F * list.positions[2 * size_t(j)] + 7.0F,
                               objectMatrix(1, 0) * x + objectMatrix(1, 1) * y + 1.5F * list.positions[2 * size_t(j) + 1]);
            };
            float area = 0.0F;
            for (int32_t i = 0; i < n; ++i)
            {
                const test::CapturedVertex &a = polygon[size_t(i)];
                const test::CapturedVertex &b = polygon[size_t((i + 1) % n)];
                area += a.position[0] * b.position[1] - b.position[0] * a.position[1];
                // Each vertex sits where its em coordinate maps.
                Point2D expected = toObject(a.texcoord[0] + glyph.curveOrigin[0], a.texcoord[1] + glyph.curveOrigin[1]);
                EXPECT_NEAR(a.position[0], expected.x, 1e-3);
                EXPECT_NEAR(a.position[1], expected.y, 1e-3);
            }
            if (word == 0)
            {
                // The quad is the glyph's box.
                EXPECT_NEAR(polygon[0].texcoord[0] + glyph.curveOrigin[0], glyph.box[0], 1e-6);
                EXPECT_NEAR(polygon[0].texcoord[1] + glyph.curveOrigin[1], glyph.box[1], 1e-6);
                EXPECT_NEAR(polygon[2].texcoord[0] + glyph.curveOrigin[0], glyph.box[2], 1e-6);
                EXPECT_NEAR(polygon[2].texcoord[1] + glyph.curveOrigin[1], glyph.box[3], 1e-6);
            }
            float sense = area > 0.0F ? 1.0F : -1.0F;
            // Outward unit normal of the edge from a to b.
            auto edgeNormal = [&](const test::CapturedVertex &a, const test::CapturedVertex &b) {
                float dx = b.position[0] - a.position[0];
                float dy = b.position[1] - a.position[1];
                float length = std::sqrt(dx * dx + dy * dy);
                return Point2D(sense * dy / length, -sense * dx / length);
            };
            for (int32_t i = 0; i < n; ++i)
            {
                const test::CapturedVertex &v = polygon[size_t(i)];
                Point2D before = edgeNormal(polygon[size_t((i + n - 1) % n)], v);
                Point2D after = edgeNormal(v, polygon[size_t((i + 1) % n)]);
                EXPECT_NEAR(v.normal[0] * before.x + v.normal[1] * before.y, 1.0F, 2e-3) << i;
                EXPECT_NEAR(v.normal[0] * after.x + v.normal[1] * after.y, 1.0F, 2e-3) << i;
            }
            // Every curve point (the curves lie in the hull of their points) is inside, up to the
            // half-float rounding of stored points (about 1/2048 em, 0.01 object units here).
            std::vector<QuadraticBezier2D> curves(glyph.curveCount);
            ExtractGlyphCurves(record, list.glyphs[size_t(j)], file, texels.data(), curves.data());
            for (const QuadraticBezier2D &curve : curves)
                for (const Point2D &point : {curve.p0, curve.p1, curve.p2})
                {
                    Point2D p = toObject(point.x, point.y);
                    for (int32_t i = 0; i < n; ++i)
                    {
                        const test::CapturedVertex &a = polygon[size_t(i)];
                        Point2D out = edgeNormal(a, polygon[size_t((i + 1) % n)]);
                        EXPECT_LE((p.x - a.position[0]) * out.x + (p.y - a.position[1]) * out.y, 1e-2)
                            << "point (" << point.x << ", " << point.y << ") edge " << i;
                    }
                }
        }
        EXPECT_EQ(next, capture.VertexCount());
    }
}

}  // namespace
}  // namespace oq
