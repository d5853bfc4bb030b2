#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/Color.h"
#include "gl/GLHarness.h"
#include "support/ReferenceRasterizer.h"
#include "support/VorlGraphicsBuilder.h"
#include "support/VorlPixelStage.h"
#include "support/VorlTestShape.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/ShapeData.h"
#include "vorl/geometry/ShapeGeometry.h"
#include "vorl/text/ShaderSource.h"
#include "vorl/geometry/VorlGraphicsValidator.h"

namespace oq::test {
namespace {

constexpr int32_t kSize = 64;

std::vector<QuadraticBezier2D> UnitSquare()
{
    auto line = [](float ax, float ay, float bx, float by) {
        return QuadraticBezier2D(Point2D(ax, ay), Point2D(bx, by), Point2D(bx, by));
    };
    return {line(0, 0, 1, 0), line(1, 0, 1, 1), line(1, 1, 0, 1), line(0, 1, 0, 0)};
}

std::vector<ReferenceCurve> ToReference(const std::vector<QuadraticBezier2D> &curves, float scale, float x, float y)
{
    std::vector<ReferenceCurve> out;
    for (const QuadraticBezier2D &c : curves)
        out.push_back({c.p0.x * scale + x, c.p0.y * scale + y, c.p1.x * scale + x, c.p1.y * scale + y,
                       c.p2.x * scale + x, c.p2.y * scale + y});
    return out;
}

// An icon of two shape layers in their own colours, compiled into a graphics file, drawn layer by
// layer and composited one over another; each layer's coverage matches the reference and its
// colour is the layer's sRGB colour made linear.
TEST(IconRenderGL, LayersDrawTheirShapesInTheirColours)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;

    std::vector<QuadraticBezier2D> square = UnitSquare();
    std::vector<QuadraticBezier2D> circle(12);
    AppendEllipseCurves(0, 0, 1, 1, circle.data(), 0, 11);

    VorlGraphicsBuilder file;
    std::vector<uint16_t> curveHalves(size_t(64) * 2 * 4, 0);
    std::vector<uint32_t> bandTexels(4096, 0);
    TexelBuffer curveTexels = {curveHalves.data(), 'HLF4', 64, 2, 0, 0};
    TexelBuffer bandBuffer = {bandTexels.data(), '16U2', 4096, 1, 0, 0};
    for (const std::vector<QuadraticBezier2D> *shape : {&square, &circle})
    {
        VorlShapeRecord record = {};
        ASSERT_TRUE(BuildShapeData(int32_t(shape->size()), shape->data(), &curveTexels, &bandBuffer, &record, 0, 1.0f,
                                   8, nullptr));
        file.shapes.push_back(record);
    }
    file.curveWidth = 64;
    file.curveHeight = 2;
    file.curveTexels.resize(curveHalves.size() * 2);
    std::memcpy(file.curveTexels.data(), curveHalves.data(), file.curveTexels.size());
    file.bandWidth = 4096;
    file.bandHeight = 1;
    file.bandTexels.resize(bandTexels.size() * 4);
    std::memcpy(file.bandTexels.data(), bandTexels.data(), file.bandTexels.size());
    VorlIconDescription icon;
    VorlIconLayer first = MakeIconLayer(0, 6.3f, 8.6f, 0xFF8000FF);
    first.matrix[0] = first.matrix[3] = 22;
    VorlIconLayer second = MakeIconLayer(1, 44.2f, 42.7f, 0x2040FFFF);
    second.matrix[0] = second.matrix[3] = 14;
    icon.layers = {first, second};
    file.icons.push_back(icon);
    std::vector<uint32_t> image = file.Build();
    ASSERT_TRUE(ValidateVorlGraphicsFile(image.data(), image.size() * 4));
    const auto *header = reinterpret_cast<const VorlGraphicsHeader *>(reinterpret_cast<const uint8_t *>(image.data()) + 80);

    int32_t vertexCount, triangleCount;
    CountIconGeometry(header, 0, 'QUAD', &vertexCount, &triangleCount);
    ASSERT_EQ(vertexCount, 8);
    std::vector<AttribStruct> vertices(static_cast<size_t>(vertexCount));
    std::vector<VorlTriangle> triangles(static_cast<size_t>(triangleCount));
    GeometryBuffer geometry = {vertices.data(), triangles.data(), 0, 0, 0};
    // Scale (1, -1): icon y up lands on image rows read bottom first.
    const float position[2] = {0, 0};
    const float scale[2] = {1, -1};
    BuildIconGeometry(header, 0, position, scale, 'QUAD', &geometry);

    std::string vertexSource, pixelSource, log;
    ASSERT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + "/vorlvs00.glsl", &vertexSource));
    ASSERT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + "/vorlfs00.glsl", &pixelSource));
    GLuint program = 0;
    ASSERT_TRUE(BuildProgram(vertexSource, pixelSource, &program, &log)) << log;

    VorlDrawData data;
    data.vertices.resize(vertices.size() * sizeof(AttribStruct));
    std::memcpy(data.vertices.data(), vertices.data(), data.vertices.size());
    data.curveWidth = 64;
    data.curveHeight = 2;
    data.curveHalves = curveHalves;
    data.bandWidth = 4096;
    data.bandHeight = 1;
    data.bandTexels = bandTexels;
    data.matrix[0][0] = 2.0f / kSize;
    data.matrix[0][3] = -1.0f;
    data.matrix[1][1] = 2.0f / kSize;
    data.matrix[1][3] = -1.0f;
    data.matrix[3][3] = 1.0f;

    const std::vector<ReferenceCurve> references[2] = {ToReference(square, 22, 6.3f, 8.6f),
                                                       ToReference(circle, 14, 44.2f, 42.7f)};
    const float expected[2][3] = {{1.0f, kSrgbByteToLinear[0x80], 0.0f},
                                  {kSrgbByteToLinear[0x20], kSrgbByteToLinear[0x40], 1.0f}};
    const int32_t centres[2][2] = {{17, 19}, {44, 42}};
    std::vector<float> composite(size_t(kSize) * kSize * 4, 0.0f);
    const double identity[6] = {1, 0, 0, 0, 1, 0};
    for (int32_t layer = 0; layer < 2; ++layer)
    {
        SCOPED_TRACE("layer " + std::to_string(layer));
        data.triangles.clear();
        for (int32_t t = 2 * layer; t < 2 * layer + 2; ++t)
            for (uint16_t index : triangles[size_t(t)].index) data.triangles.push_back(index);
        RenderTarget target(kSize, kSize);
        ASSERT_TRUE(target.Complete());
        target.Bind();
        ASSERT_TRUE(DrawVorl(program, data, kSize, kSize, &error)) << error;
        std::vector<float> gl = target.Read();
        std::vector<float> alpha(size_t(kSize) * kSize);
        for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = gl[i * 4 + 3];
        std::vector<float> reference = RasterizeReference(references[layer], identity, kSize, kSize, ReferenceFillRule::kNonZero);
        CoverageComparison c = CompareWithReference(alpha, reference, kSize, kSize);
        EXPECT_LE(c.interiorError, 1.0f / 255.0f);
        EXPECT_LE(c.edgeError, 0.25f);
        EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.02);
        const float *centre = &gl[(size_t(centres[layer][1]) * kSize + size_t(centres[layer][0])) * 4];
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(centre[k], expected[layer][k], 1.0f / 255.0f) << k;
        for (size_t i = 0; i < alpha.size(); ++i)
            for (int k = 0; k < 3; ++k)
                composite[i * 4 + k] = gl[i * 4 + k] * alpha[i] + composite[i * 4 + k] * (1.0f - alpha[i]);
    }
    // Where neither layer lies, nothing is drawn.
    EXPECT_EQ(composite[(size_t(2) * kSize + 60) * 4], 0.0f);
}

// A layered shape drawn through its layer header by the multicolour pixel shader: each layer's
// linear colour where it lies, the later layer over the earlier, against the C++ pixel stage.
TEST(IconRenderGL, LayeredShapeThroughItsLayerHeader)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    std::vector<QuadraticBezier2D> square = UnitSquare();
    std::vector<QuadraticBezier2D> circle(12);
    AppendEllipseCurves(0.5f, 0.5f, 0.25f, 0.25f, circle.data(), 0, 11);
    const uint8_t colors[2][4] = {{255, 128, 0, 255}, {0, 64, 255, 255}};
    const int32_t counts[2] = {4, 12};
    const QuadraticBezier2D *lists[2] = {square.data(), circle.data()};
    std::vector<uint16_t> curveHalves(size_t(64) * 2 * 4, 0);
    std::vector<uint32_t> bandTexels(4096, 0);
    TexelBuffer curveTexels = {curveHalves.data(), 'HLF4', 64, 2, 0, 0};
    TexelBuffer bandBuffer = {bandTexels.data(), '16U2', 4096, 1, 0, 0};
    VorlShapeRecord record = {};
    ASSERT_TRUE(BuildLayeredShapeData(2, colors, counts, lists, &curveTexels, &bandBuffer, &record, 0, 1.0f, 8, nullptr));

    // Shape units onto pixels: 40 pixels a unit from (12.3, 11.6), y up as read back.
    std::vector<AttribStruct> vertices(4);
    std::vector<VorlTriangle> triangles(2);
    GeometryBuffer geometry = {vertices.data(), triangles.data(), 0, 0, 0};
    const float at[2] = {12.3f, 11.6f};
    TextPaint paint = {};
    paint.color = {1, 1, 1, 1};
    WriteShapeGeometry(&record, at, Matrix2D(40, 0, 0, -40), &paint, kShapeDrawLayers, 'QUAD', &geometry);

    std::string vertexSource, pixelSource, log;
    ASSERT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + "/vorlvs00.glsl", &vertexSource));
    ASSERT_TRUE(ReadTextFile(std::string(OQ_DATA_DIR) + "/vorlfs40.glsl", &pixelSource));
    GLuint program = 0;
    ASSERT_TRUE(BuildProgram(vertexSource, pixelSource, &program, &log)) << log;
    VorlDrawData data;
    data.vertices.resize(vertices.size() * sizeof(AttribStruct));
    std::memcpy(data.vertices.data(), vertices.data(), data.vertices.size());
    for (const VorlTriangle &t : triangles) data.triangles.insert(data.triangles.end(), t.index, t.index + 3);
    data.curveWidth = 64;
    data.curveHeight = 2;
    data.curveHalves = curveHalves;
    data.bandWidth = 4096;
    data.bandHeight = 1;
    data.bandTexels = bandTexels;
    data.matrix[0][0] = 2.0f / kSize;
    data.matrix[0][3] = -1.0f;
    data.matrix[1][1] = 2.0f / kSize;
    data.matrix[1][3] = -1.0f;
    data.matrix[3][3] = 1.0f;
    RenderTarget target(kSize, kSize);
    ASSERT_TRUE(target.Complete());
    target.Bind();
    ASSERT_TRUE(DrawVorl(program, data, kSize, kSize, &error)) << error;
    std::vector<float> gl = target.Read();

    VorlTexelArrays arrays;
    arrays.curveHalves = curveHalves.data();
    arrays.curveWidth = 64;
    arrays.curveHeight = 2;
    arrays.band = bandTexels.data();
    arrays.bandWidth = 4096;
    arrays.bandHeight = 1;
    const double emFromPixel[6] = {1.0 / 40, 0, -12.3 / 40, 0, 1.0 / 40, -11.6 / 40};
    const AttribStruct &v = vertices[0];
    const float white[4] = {1, 1, 1, 1};
    std::vector<float> cpu = RenderVorlImage(arrays, kShaderModeMulticolor, emFromPixel, kSize, kSize, v.bandLocation,
                                             v.bandLimits, v.banding, white);
    float cpuError = 0;
    for (size_t i = 0; i < gl.size(); ++i) cpuError = std::max(cpuError, std::fabs(gl[i] - cpu[i]));
    EXPECT_LE(cpuError, 1.0f / 255.0f);

    // The square's colour near its corner, the circle's at the centre (linear bytes / 255).
    const float *corner = &gl[(size_t(16) * kSize + 16) * 4];
    EXPECT_NEAR(corner[0], 1.0f, 1.0f / 255.0f);
    EXPECT_NEAR(corner[1], float(SrgbByteToLinearByte(128)) / 255.0f, 1.0f / 255.0f);
    EXPECT_NEAR(corner[3], 1.0f, 1.0f / 255.0f);
    const float *centre = &gl[(size_t(31) * kSize + 32) * 4];
    EXPECT_NEAR(centre[0], 0.0f, 1.0f / 255.0f);
    EXPECT_NEAR(centre[1], float(SrgbByteToLinearByte(64)) / 255.0f, 1.0f / 255.0f);
    EXPECT_NEAR(centre[2], 1.0f, 1.0f / 255.0f);
    // Outside the square nothing is covered.
    EXPECT_NEAR(gl[(size_t(5) * kSize + 5) * 4 + 3], 0.0f, 1.0f / 255.0f);
}

}  // namespace
}  // namespace oq::test
