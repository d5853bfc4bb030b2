#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "editor/platform/RendererProbe.h"
#include "support/TempDirectory.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/RenderObject.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/PathFill.h"
#include "vorl/geometry/StrokePath.h"

namespace oq {
namespace {

using test::TempDirectory;
using test::WriteText;

const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};

using test::RecordingRenderer;

TEST(Renderer, SecondStartCreatesNothing)
{
    RecordingRenderer r;
    ASSERT_TRUE(r.Start());
    size_t callsAfterStart = r.device.calls.size();
    EXPECT_EQ(r.device.CountCalls('strt'), 1);
    EXPECT_EQ(r.device.CountCalls('ctgt'), 1);
    EXPECT_TRUE(r.Start(800, 600));
    EXPECT_EQ(r.device.calls.size(), callsAfterStart);
    EXPECT_EQ(r.renderer.mainTarget.width, 400);
}

TEST(Renderer, FailedStartHoldsNothingAndMayBeRepeated)
{
    RecordingRenderer r;
    r.device.failTargets = true;
    EXPECT_FALSE(r.Start());
    EXPECT_FALSE(r.renderer.IsStarted());
    EXPECT_EQ(r.device.CountCalls('shut'), 1);
    EXPECT_EQ(r.device.LiveObjects(), 0U);
    r.device.failTargets = false;
    EXPECT_TRUE(r.Start());
    r.renderer.Shutdown();
    EXPECT_FALSE(r.renderer.IsStarted());
    EXPECT_EQ(r.device.LiveObjects(), 0U);
}

TEST(Renderer, PixelShaderFilesAreNamedByVariantInUpperCaseHex)
{
    struct Case
    {
        ShaderVariantIndex variant;
        const char *file;
    };
    const Case cases[] = {{0x9C, "vorlfs9C"}, {5, "vorlfs05"}, {0xFF, "vorlfsFF"}, {0, "vorlfs00"}};
    RecordingRenderer r;
    ASSERT_TRUE(r.Start());
    ASSERT_TRUE(WriteText(r.data.File("vorlvs00.glsl"), "vertex"));
    for (const Case &c : cases)
    {
        char name[16];
        MakeVorlPixelShaderName(c.variant, name);
        EXPECT_STREQ(name, c.file);
        ASSERT_TRUE(WriteText(r.data.File((std::string(c.file) + ".glsl").c_str()), std::string("pixel ") + c.file));
    }
    for (const Case &c : cases)
    {
        GpuHandle program = r.renderer.GetFragmentShader(c.variant);
        ASSERT_NE(program, 0U) << c.file;
        EXPECT_EQ(r.device.programs[program], std::string("vertex|pixel ") + c.file);
    }
    // Loaded programs come from the cache; the vertex shader was compiled once.
    int32_t compiles = r.device.CountCalls('cshd');
    EXPECT_EQ(compiles, 5);
    for (const Case &c : cases) EXPECT_NE(r.renderer.GetFragmentShader(c.variant), 0U);
    EXPECT_EQ(r.device.CountCalls('cshd'), compiles);
    // Pixel shaders are released once linked; the vertex shader and programs stay until shut-down.
    EXPECT_EQ(r.device.shaders.size(), 1U);
    r.renderer.Shutdown();
    EXPECT_EQ(r.device.LiveObjects(), 0U);
}

TEST(Renderer, AbsentShaderFileIsTriedAgainOnEveryRequest)
{
    RecordingRenderer r;
    ASSERT_TRUE(r.Start());
    ASSERT_TRUE(WriteText(r.data.File("vorlvs00.glsl"), "vertex"));
    EXPECT_EQ(r.renderer.GetFragmentShader(1), 0U);
    int32_t compiles = r.device.CountCalls('cshd');
    EXPECT_EQ(r.renderer.GetFragmentShader(1), 0U);
    EXPECT_EQ(r.device.CountCalls('cshd'), compiles + 1);
    // The empty contents reached the device.
    EXPECT_EQ(r.device.calls.back().kind, uint32_t('cshd'));
    EXPECT_EQ(r.device.calls.back().values[1], 0);
    ASSERT_TRUE(WriteText(r.data.File("vorlfs01.glsl"), "pixel"));
    EXPECT_NE(r.renderer.GetFragmentShader(1), 0U);

    // The colour and texture kinds load their own pair of files.
    EXPECT_EQ(r.renderer.GetColorProgram(0), 0U);
    ASSERT_TRUE(WriteText(r.data.File("colorvs.glsl"), "cv"));
    ASSERT_TRUE(WriteText(r.data.File("colorfs.glsl"), "cf"));
    ASSERT_TRUE(WriteText(r.data.File("texturevs.glsl"), "tv"));
    ASSERT_TRUE(WriteText(r.data.File("texturefs.glsl"), "tf"));
    EXPECT_EQ(r.device.programs[r.renderer.GetColorProgram(0)], "cv|cf");
    EXPECT_EQ(r.device.programs[r.renderer.GetColorProgram(1)], "tv|tf");
}

TEST(Renderer, ExhaustedHeapGivesEmptyShaderContents)
{
    test::ExhaustibleBackEnd backEnd;
    RecordingRenderer r(&backEnd);
    ASSERT_TRUE(r.Start());
    ASSERT_TRUE(WriteText(r.data.File("vorlvs00.glsl"), "vertex"));
    ASSERT_TRUE(WriteText(r.data.File("vorlfs09.glsl"), "pixel"));
    backEnd.exhausted = true;
    EXPECT_EQ(r.renderer.GetFragmentShader(9), 0U);
    EXPECT_EQ(r.device.CountCalls('cshd'), 2);
    EXPECT_EQ(r.device.shaders.size(), 0U);
    backEnd.exhausted = false;
    EXPECT_NE(r.renderer.GetFragmentShader(9), 0U);
}

// A Vorl object with one triangle and the given draw items, drawn with the identity.
struct TriangleObject
{
    explicit TriangleObject(RecordingRenderer &r) : renderer(r.renderer)
    {
        object.SetupVorlShaders(renderer, 0, 1);
        GeometryBuffer geometry;
        if (object.CreateBuffers(renderer, 3, 1, &geometry)) object.UnmapBuffers(renderer);
        object.drawItems = items;
    }
    ~TriangleObject() { object.Release(renderer); }

    Renderer &renderer;
    RenderObject object;
    DrawItem items[3] = {};
};

Matrix4D Identity()
{
    return Matrix4D(1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 1.0F, 0.0F, 0.0F, 0.0F, 0.0F, 1.0F);
}

RecordingRenderer &WithVorlShaders(RecordingRenderer &r)
{
    EXPECT_TRUE(WriteText(r.data.File("vorlvs00.glsl"), "vertex"));
    EXPECT_TRUE(WriteText(r.data.File("vorlfs01.glsl"), "pixel"));
    return r;
}

float ConstantAt(const RecordingDevice::Draw &draw, int index)
{
    float value;
    std::memcpy(&value, draw.constants.data() + 4 * index, sizeof(value));
    return value;
}

TEST(Renderer, DrawsUseTheSizeOfTheTargetBegunLast)
{
    RecordingRenderer r;
    ASSERT_TRUE(r.Start(400, 300));
    WithVorlShaders(r);
    WindowTarget dialog;
    ASSERT_TRUE(dialog.Create(r.renderer, nullptr, 200, 120, kWhite));
    TriangleObject triangle(r);
    triangle.items[0] = {3, 3, 0, 0, nullptr};
    triangle.object.drawItemCount = 1;

    r.renderer.mainTarget.BeginFrame();
    triangle.object.Draw(r.renderer, Identity());
    dialog.BeginFrame();
    triangle.object.Draw(r.renderer, Identity());
    r.renderer.mainTarget.BeginFrame();
    triangle.object.Draw(r.renderer, Identity());
    ASSERT_EQ(r.device.draws.size(), 3U);
    const float expected[3][2] = {{400, 300}, {200, 120}, {400, 300}};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(ConstantAt(r.device.draws[size_t(i)], 16), expected[i][0]);
        EXPECT_EQ(ConstantAt(r.device.draws[size_t(i)], 17), expected[i][1]);
    }
    dialog.Release();
}

TEST(Renderer, ResizeToTheSameSizeDoesNothing)
{
    RecordingRenderer r;
    WindowTarget &target = r.renderer.mainTarget;
    ASSERT_TRUE(r.Start(400, 300));
    ASSERT_TRUE(target.Resize(400, 300));
    EXPECT_EQ(r.device.CountCalls('rsiz'), 0);
    ASSERT_TRUE(target.Resize(640, 300));
    EXPECT_EQ(r.device.CountCalls('rsiz'), 1);
    EXPECT_EQ(target.width, 640);
    EXPECT_EQ(target.viewport[2], 640.0F);
    target.BeginFrame();
    EXPECT_EQ(r.renderer.targetWidth, 640.0F);
    EXPECT_EQ(r.device.targets[target.surface].width, 640);
}

TEST(Renderer, DrawConstantsHoldTheMatrixRowByRowTheTargetSizeAndTheColour)
{
    Matrix4D m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    DrawConstants constants = DrawConstants::Make(m, 320.0F, 240.0F, {0.25F, 0.5F, 0.75F, 1.0F});
    const float expected[24] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 320, 240, 0, 0, 0.25F, 0.5F, 0.75F, 1};
    EXPECT_EQ(std::memcmp(&constants, expected, sizeof(expected)), 0);
    // Stored column by column, the matrix reaches the block transposed.
    EXPECT_EQ(m.n[0][1], 5.0F);

    RecordingRenderer r;
    ASSERT_TRUE(r.Start(320, 240));
    WithVorlShaders(r);
    TriangleObject triangle(r);
    triangle.items[0] = {3, 3, 0, 0, nullptr};
    triangle.object.drawItemCount = 1;
    triangle.object.color = {0.25F, 0.5F, 0.75F, 1.0F};
    r.renderer.mainTarget.BeginFrame();
    triangle.object.Draw(r.renderer, m);
    ASSERT_EQ(r.device.draws.size(), 1U);
    ASSERT_EQ(r.device.draws[0].constants.size(), 96U);
    EXPECT_EQ(std::memcmp(r.device.draws[0].constants.data(), expected, 96), 0);
}

TEST(Renderer, DrawItemsSkipEmptyOnesAndKeepTheTexturesBound)
{
    RecordingRenderer r;
    ASSERT_TRUE(r.Start());
    WithVorlShaders(r);
    GlyphTexturePair pair;
    const uint8_t curve[8] = {};
    const uint32_t band = 0;
    ASSERT_TRUE(pair.Create(r.renderer, 'HLF4', 1, 1, curve, 1, 1, &band));
    TriangleObject triangle(r);
    // An empty item with indices, an item with the pair, an item without textures.
    triangle.items[0] = {0, 3, 0, 0, &pair};
    triangle.items[1] = {3, 3, 0, 0, &pair};
    triangle.items[2] = {3, 3, 0, 0, nullptr};
    triangle.object.drawItemCount = 3;
    r.renderer.mainTarget.BeginFrame();
    triangle.object.Draw(r.renderer, Identity());
    ASSERT_EQ(r.device.draws.size(), 2U);
    EXPECT_EQ(r.device.CountCalls('btex'), 1);
    for (const RecordingDevice::Draw &draw : r.device.draws)
    {
        EXPECT_EQ(draw.textureCount, 2);
        EXPECT_EQ(draw.textures[0], pair.curveTexture);
        EXPECT_EQ(draw.textures[1], pair.bandTexture);
        EXPECT_EQ(draw.state.indexFormat, kGpuIndex16);
        EXPECT_EQ(draw.state.stride, 68U);
    }
    pair.ReleaseTextures(r.renderer);
}

TEST(Renderer, IndicesWidenAboveSixtyFiveThousandVertices)
{
    struct Case
    {
        uint32_t vertices;
        uint32_t triangles;
        uint32_t indexFormat;
        uint64_t indexBytes;
    };
    const Case cases[] = {{65536, 10, kGpuIndex16, 60}, {65537, 10, kGpuIndex32, 120}, {70000, 1, kGpuIndex32, 12}};
    RecordingRenderer r;
    ASSERT_TRUE(r.Start());
    WithVorlShaders(r);
    for (const Case &c : cases)
    {
        RenderObject object;
        object.SetupVorlShaders(r.renderer, 0, 1);
        GeometryBuffer geometry;
        ASSERT_TRUE(object.CreateBuffers(r.renderer, c.vertices, c.triangles, &geometry));
        object.UnmapBuffers(r.renderer);
        EXPECT_EQ(object.indexFormat, c.indexFormat);
        EXPECT_EQ(geometry.indexFormat, c.indexFormat == kGpuIndex32 ? 1 : 0);
        EXPECT_EQ(geometry.colorFormat, 0);
        EXPECT_EQ(r.device.buffers[object.indexBuffer].bytes.size(), c.indexBytes);
        EXPECT_EQ(r.device.buffers[object.vertexBuffer].bytes.size(), uint64_t(c.vertices) * 68);
        object.Release(r.renderer);
    }
    EXPECT_EQ(r.device.buffers.size(), 0U);
}

TEST(Renderer, FailedMapsWriteNothing)
{
    RecordingRenderer r;
    ASSERT_TRUE(r.Start());
    WithVorlShaders(r);
    TriangleObject triangle(r);
    triangle.items[0] = {3, 3, 0, 0, nullptr};
    triangle.object.drawItemCount = 1;
    r.device.failMaps = true;
    GeometryBuffer geometry = {};
    EXPECT_FALSE(triangle.object.CreateBuffers(r.renderer, 3, 1, &geometry));
    EXPECT_EQ(geometry.vertexData, nullptr);
    EXPECT_EQ(triangle.object.vertexBuffer, 0U);
    EXPECT_EQ(triangle.object.indexBuffer, 0U);
    // A constant block that cannot be mapped draws nothing.
    r.device.failMaps = false;
    ASSERT_TRUE(triangle.object.CreateBuffers(r.renderer, 3, 1, &geometry));
    triangle.object.UnmapBuffers(r.renderer);
    r.device.failMaps = true;
    r.renderer.mainTarget.BeginFrame();
    triangle.object.Draw(r.renderer, Identity());
    EXPECT_EQ(r.device.draws.size(), 0U);
}

TEST(Shapes, TexelExtentCountsWholeRowsOf4096)
{
    struct Case
    {
        int32_t cursor[2];
        int32_t width;
        int32_t rows;
    };
    const Case cases[] = {{{0, 0}, 0, 0}, {{5, 0}, 5, 1}, {{4096, 0}, 4096, 1}, {{0, 1}, 4096, 1},
                          {{1, 1}, 4096, 2}, {{0, 2}, 4096, 2}, {{4095, 4095}, 4096, 4096}};
    for (const Case &c : cases)
    {
        int32_t width = -1;
        int32_t rows = -1;
        GetTexelExtent(c.cursor, &width, &rows);
        EXPECT_EQ(width, c.width) << c.cursor[0] << "," << c.cursor[1];
        EXPECT_EQ(rows, c.rows) << c.cursor[0] << "," << c.cursor[1];
    }
}

bool HasEndPoint(const QuadraticBezier2D *curves, int32_t count, float x, float y)
{
    for (int32_t i = 0; i < count; ++i)
    {
        if (curves[i].p0.x == x && curves[i].p0.y == y) return true;
    }
    return false;
}

TEST(Shapes, CornerKindsRoundTheirCorners)
{
    struct Case
    {
        int32_t kind;
        float radius;
        int32_t curves;
        bool leftRound;
        bool rightRound;
    };
    const Case cases[] = {{kRoundAllCorners, 4, 16, true, true},   {kRoundLeftCorners, 4, 10, true, false},
                          {kRoundRightCorners, 4, 10, false, true}, {kRoundAllCorners, 0, 4, false, false},
                          {kRoundLeftCorners, 0, 4, false, false},  {kRoundRightCorners, 0, 4, false, false},
                          {7, 4, 16, true, true}};
    for (const Case &c : cases)
    {
        QuadraticBezier2D curves[16];
        int32_t count = MakeRoundedBoxCurves(Point2D(10, 20), Point2D(30, 16), c.radius, c.kind, curves);
        ASSERT_EQ(count, c.curves) << c.kind;
        // A sharp corner is the start of a side; a rounded one is never on the outline.
        EXPECT_EQ(HasEndPoint(curves, count, 10, 20), !c.leftRound) << c.kind;
        EXPECT_EQ(HasEndPoint(curves, count, 10, 36), !c.leftRound) << c.kind;
        EXPECT_EQ(HasEndPoint(curves, count, 40, 20), !c.rightRound) << c.kind;
        EXPECT_EQ(HasEndPoint(curves, count, 40, 36), !c.rightRound) << c.kind;
    }
}

TEST(Shapes, RoundedBoxIsOneDrawOfFillAndStroke)
{
    RecordingRenderer r;
    ASSERT_TRUE(r.Start());
    ASSERT_TRUE(WriteText(r.data.File("vorlvs00.glsl"), "vertex"));
    ASSERT_TRUE(WriteText(r.data.File("vorlfs09.glsl"), "weight and stroke"));
    const ColorRGBA fillColor = {1.0F, 0.0F, 0.0F, 1.0F};
    const ColorRGBA strokeColor = {0.0F, 0.0F, 1.0F, 1.0F};
    QuadraticBezier2D curves[16];
    for (int32_t kind : {kRoundAllCorners, kRoundLeftCorners})
    {
        int32_t count = MakeRoundedBoxCurves(Point2D(4, 4), Point2D(40, 20), 6, kind, curves);
        FillStyle fill;
        ResetFillStyle(&fill);
        StrokeStyle stroke;
        ResetStrokeStyle(&stroke);
        stroke.width = 2;
        int32_t curveCursor[2] = {};
        int32_t bandCursor[2] = {};
        int32_t fillVertices = 0;
        int32_t fillTriangles = 0;
        int32_t strokeVertices = 0;
        int32_t strokeTriangles = 0;
        ASSERT_TRUE(CountPathFill(fill, count, curves, 4096, 4096, curveCursor, 4096, 4096, bandCursor, &fillVertices,
                                  &fillTriangles, nullptr, nullptr));
        CountStrokeGeometry(stroke, kStrokeClosed, count, curves, 4096, 4096, curveCursor, &strokeVertices,
                            &strokeTriangles, nullptr);
        ASSERT_GT(fillVertices, 0);
        ASSERT_GT(strokeVertices, 0);

        ShapeRenderObject shape;
        EXPECT_EQ(BuildRoundedBoxShape(r.renderer, &shape, Point2D(4, 4), Point2D(40, 20), 2, 6, fillColor, strokeColor,
                                       kind),
                  &shape);
        EXPECT_EQ(r.device.programs[shape.program], "vertex|weight and stroke");
        EXPECT_EQ(shape.color.alpha, 1.0F);
        EXPECT_EQ(shape.color.red, 0.0F);
        ASSERT_EQ(shape.drawItemCount, 1);
        EXPECT_EQ(shape.item.vertexCount, uint32_t(fillVertices + strokeVertices));
        EXPECT_EQ(shape.item.indexCount, 3 * uint32_t(fillTriangles + strokeTriangles));
        EXPECT_EQ(shape.item.textures, &shape.pair);
        ASSERT_EQ(shape.pair.count, 2);
        const RecordingDevice::Texture &curve = r.device.textures.at(shape.pair.curveTexture);
        EXPECT_EQ(curve.format, uint32_t('FLT4'));
        EXPECT_EQ(int64_t(curve.width) * curve.height, int64_t(curveCursor[1]) * 4096 + curveCursor[0]);
        EXPECT_EQ(r.device.textures.at(shape.pair.bandTexture).format, uint32_t('16U2'));

        // Fill vertices carry the fill colour, then the stroke's follow; every index names a vertex.
        const std::vector<uint8_t> &vertices = r.device.buffers.at(shape.vertexBuffer).bytes;
        for (int32_t i = 0; i < fillVertices + strokeVertices; ++i)
        {
            const uint8_t *color = vertices.data() + 68 * size_t(i) + 64;
            const uint8_t expected[4] = {uint8_t(i < fillVertices ? 255 : 0), 0, uint8_t(i < fillVertices ? 0 : 255), 255};
            EXPECT_EQ(std::memcmp(color, expected, 4), 0) << i;
        }
        const std::vector<uint8_t> &indices = r.device.buffers.at(shape.indexBuffer).bytes;
        ASSERT_EQ(indices.size(), size_t(shape.item.indexCount) * 2);
        for (size_t i = 0; i < indices.size(); i += 2)
        {
            uint16_t index;
            std::memcpy(&index, indices.data() + i, 2);
            EXPECT_LT(index, shape.item.vertexCount);
        }
        shape.ReleaseShape(r.renderer);
    }
    EXPECT_EQ(r.device.textures.size(), 0U);
    EXPECT_EQ(r.device.buffers.size(), 0U);
    EXPECT_EQ(r.heap.GetBytesInUse(), 0U);
}

TEST(Shapes, PathWithoutAreaGetsNoBuffers)
{
    RecordingRenderer r;
    ASSERT_TRUE(r.Start());
    WithVorlShaders(r);
    RenderObject object;
    object.SetupVorlShaders(r.renderer, 0, 1);
    FillStyle fill;
    ResetFillStyle(&fill);
    DrawItem item = {7, 7, 7, 0, nullptr};
    GlyphTexturePair pair;
    QuadraticBezier2D flat[2];
    flat[0] = QuadraticBezier2D(Point2D(0, 0), Point2D(1, 0), Point2D(2, 0));
    flat[1] = QuadraticBezier2D(Point2D(2, 0), Point2D(1, 0), Point2D(0, 0));
    for (int32_t count : {0, 2})
    {
        object.BuildPathGeometry(r.renderer, fill, count, flat, &item, &pair);
        EXPECT_EQ(item.vertexCount, 0U);
        EXPECT_EQ(object.vertexBuffer, 0U);
        EXPECT_EQ(pair.count, 0);
    }
    // A triangle gets its buffers and textures.
    QuadraticBezier2D triangle[3];
    triangle[0] = QuadraticBezier2D(Point2D(0, 0), Point2D(5, 0), Point2D(10, 0));
    triangle[1] = QuadraticBezier2D(Point2D(10, 0), Point2D(7.5F, 5), Point2D(5, 10));
    triangle[2] = QuadraticBezier2D(Point2D(5, 10), Point2D(2.5F, 5), Point2D(0, 0));
    object.BuildPathGeometry(r.renderer, fill, 3, triangle, &item, &pair);
    EXPECT_GT(item.vertexCount, 0U);
    EXPECT_EQ(item.textures, &pair);
    EXPECT_EQ(pair.count, 2);
    // A failed map leaves the item empty.
    r.device.failMaps = true;
    object.BuildPathGeometry(r.renderer, fill, 3, triangle, &item, &pair);
    EXPECT_EQ(item.vertexCount, 0U);
    object.Release(r.renderer);
    pair.ReleaseTextures(r.renderer);
    EXPECT_EQ(r.heap.GetBytesInUse(), 0U);
}

}  // namespace
}  // namespace oq
