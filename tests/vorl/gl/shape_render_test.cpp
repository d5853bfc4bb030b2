#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/Matrix2D.h"
#include "gl/GLHarness.h"
#include "support/ReferenceRasterizer.h"
#include "support/VorlPixelStage.h"
#include "support/VorlTestShape.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/ShapeData.h"
#include "vorl/geometry/ShapeGeometry.h"
#include "vorl/text/ShaderSource.h"
#include "vorl/text/VorlFileHeader.h"

namespace oq::test {
namespace {

constexpr int32_t kSize = 64;
constexpr int32_t kCurveWidth = 256;
constexpr int32_t kCurveHeight = 8;
constexpr int32_t kBandWidth = 4096;
constexpr int32_t kBandHeight = 2;

std::vector<QuadraticBezier2D> ToCurves(const std::vector<ReferenceCurve> &outline)
{
    std::vector<QuadraticBezier2D> curves(outline.size());
    for (size_t i = 0; i < outline.size(); ++i)
    {
        curves[i].p0 = {float(outline[i].x0), float(outline[i].y0)};
        curves[i].p1 = {float(outline[i].x1), float(outline[i].y1)};
        curves[i].p2 = {float(outline[i].x2), float(outline[i].y2)};
    }
    return curves;
}

// A layered shape built by the shape-data builder and written through its layer header: a red
// square under a green circle, drawn in the multicolour variant under a rotated transform. The
// shape writer flips y into object space and the draw's matrix flips it back to pixels.
TEST(ShapeRenderGL, LayeredShapeThroughItsLayerHeader)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    std::vector<ReferenceCurve> square = MakeSquareOutline(0, 0, 1, 1);
    std::vector<ReferenceCurve> circle = MakeCircleOutline(0.5, 0.5, 0.3);
    std::vector<QuadraticBezier2D> squareCurves = ToCurves(square);
    std::vector<QuadraticBezier2D> circleCurves = ToCurves(circle);
    const uint8_t colors[2][4] = {{255, 0, 0, 255}, {0, 255, 0, 255}};
    const int32_t counts[2] = {int32_t(squareCurves.size()), int32_t(circleCurves.size())};
    const QuadraticBezier2D *lists[2] = {squareCurves.data(), circleCurves.data()};
    std::vector<uint16_t> halves(size_t(kCurveWidth) * kCurveHeight * 4);
    std::vector<uint32_t> bands(size_t(kBandWidth) * kBandHeight);
    TexelBuffer curveBuffer = {halves.data(), kTexelFormatHalf4, kCurveWidth, kCurveHeight, 0, 0};
    TexelBuffer bandBuffer = {bands.data(), kTexelFormatUint16x2, kBandWidth, kBandHeight, 0, 0};
    VorlShapeRecord record = {};
    ASSERT_TRUE(BuildLayeredShapeData(2, colors, counts, lists, &curveBuffer, &bandBuffer, &record, 6, 1.0F, 8, nullptr));

    const float angle = 0.4F;
    const Matrix2D transform(40 * std::cos(angle), -40 * std::sin(angle), 40 * std::sin(angle), 40 * std::cos(angle));
    const float position[2] = {26.37F, 50.61F};
    TextPaint paint = {};
    paint.color = {1, 1, 1, 0.8F};
    int32_t vertexCount = 0;
    int32_t triangleCount = 0;
    CountGlyphGeometry(&record, 'POLY', &vertexCount, &triangleCount);
    ASSERT_GE(vertexCount, 3);
    std::vector<AttribStruct> vertices(static_cast<size_t>(vertexCount));
    std::vector<VorlTriangle> triangles(static_cast<size_t>(triangleCount));
    GeometryBuffer geometry = {vertices.data(), triangles.data(), 0, 0, 0};
    WriteShapeGeometry(&record, position, transform, &paint, kShapeDrawLayers, 'POLY', &geometry);
    ASSERT_EQ(static_cast<AttribStruct *>(geometry.vertexData), vertices.data() + vertexCount);

    VorlDrawData data;
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(vertices.data());
    data.vertices.assign(bytes, bytes + sizeof(AttribStruct) * vertices.size());
    for (const VorlTriangle &t : triangles) data.triangles.insert(data.triangles.end(), t.index, t.index + 3);
    data.curveWidth = kCurveWidth;
    data.curveHeight = kCurveHeight;
    data.curveHalves = halves;
    data.bandWidth = kBandWidth;
    data.bandHeight = kBandHeight;
    data.bandTexels = bands;
    SetPixelMatrix(&data, kSize, kSize, true);
    std::vector<float> rgba;
    ASSERT_TRUE(DrawVorlImage(GetVorlProgram(kShaderModeMulticolor), data, kSize, kSize, &rgba, &error)) << error;

    // em (shape units) to pixels through the first vertex: object = position + J^-1 (em - em0),
    // pixel = (object x, 64 - object y).
    const AttribStruct &v = vertices[0];
    const double j00 = v.jacobian[0], j01 = v.jacobian[1], j10 = v.jacobian[2], j11 = v.jacobian[3];
    const double det = j00 * j11 - j01 * j10;
    const double i00 = j11 / det, i01 = -j01 / det, i10 = -j10 / det, i11 = j00 / det;
    const double ox = v.position[0] - (i00 * v.texcoord[0] + i01 * v.texcoord[1]);
    const double oy = v.position[1] - (i10 * v.texcoord[0] + i11 * v.texcoord[1]);
    const VorlTestView view = {{i00, i01, ox, -i10, -i11, kSize - oy}, kSize, kSize};
    std::vector<float> reference = RasterizeReference(square, view.pixelFromEm, kSize, kSize, ReferenceFillRule::kNonZero);
    double emFromPixel[6];
    view.EmFromPixel(emFromPixel);
    VorlTexelArrays arrays;
    arrays.curveHalves = halves.data();
    arrays.curveWidth = kCurveWidth;
    arrays.curveHeight = kCurveHeight;
    arrays.band = bands.data();
    arrays.bandWidth = kBandWidth;
    arrays.bandHeight = kBandHeight;
    const float vertexColor[4] = {1, 1, 1, 0.8F};
    std::vector<float> cpu = RenderVorlImage(arrays, kShaderModeMulticolor, emFromPixel, kSize, kSize, v.bandLocation,
                                             v.bandLimits, v.banding, vertexColor);
    std::vector<float> alpha(size_t(kSize) * kSize);
    float cpuError = 0;
    for (size_t i = 0; i < alpha.size(); ++i)
    {
        bool drawn = rgba[i * 4 + 3] >= 0.0F;
        alpha[i] = drawn ? rgba[i * 4 + 3] / 0.8F : 0.0F;
        if (!drawn) continue;
        for (size_t c = 0; c < 4; ++c) cpuError = std::max(cpuError, std::fabs(rgba[i * 4 + c] - cpu[i * 4 + c]));
    }
    EXPECT_LE(cpuError, 1.0F / 255.0F);
    CoverageComparison r = CompareWithReference(alpha, reference, view, {});
    EXPECT_LE(r.interiorError, 2.0F / 255.0F);
    EXPECT_LE(r.edgeError, 0.25F);
    EXPECT_NEAR(r.ink, r.referenceInk, r.referenceInk * 0.02);

    // The circle's centre is green, a point inside the square but outside the circle red.
    auto pixelOf = [&](double x, double y) {
        const double *m = view.pixelFromEm;
        int32_t px = int32_t(m[0] * x + m[1] * y + m[2]), py = int32_t(m[3] * x + m[4] * y + m[5]);
        return &rgba[(size_t(py) * kSize + size_t(px)) * 4];
    };
    const float *centre = pixelOf(0.5, 0.5);
    EXPECT_NEAR(centre[0], 0, 1e-3F);
    EXPECT_NEAR(centre[1], 1, 1e-3F);
    EXPECT_NEAR(centre[3], 0.8F, 1e-3F);
    const float *corner = pixelOf(0.1, 0.1);
    EXPECT_NEAR(corner[0], 1, 1e-3F);
    EXPECT_NEAR(corner[1], 0, 1e-3F);
}

}   // namespace
}   // namespace oq::test
