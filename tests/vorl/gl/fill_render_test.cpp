#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "gl/GLHarness.h"
#include "support/ReferenceRasterizer.h"
#include "support/VorlPixelStage.h"
#include "support/VorlTestFixtures.h"
#include "vorl/text/ShaderSource.h"

namespace oq::test {
namespace {

constexpr int32_t kSize = 64;

// Draws a test shape into a 64 x 64 float target cleared to -1, so that undrawn pixels show.
std::vector<float> RenderGL(const VorlTestShape &shape, const VorlTestView &view, uint32_t variant, const uint8_t color[4])
{
    std::string error;
    EXPECT_TRUE(StartGL(&error)) << error;
    VorlTestQuad quad = MakeVorlTestQuad(shape, view, color);
    VorlDrawData data;
    data.vertices = quad.vertices;
    data.triangles = quad.triangles;
    std::memcpy(data.matrix, quad.matrix, sizeof(data.matrix));
    SetShapeTextures(&data, shape);
    std::vector<float> image;
    EXPECT_TRUE(DrawVorlImage(GetVorlProgram(variant), data, kSize, kSize, &image, &error)) << error;
    return image;
}

struct GLComparison
{
    float cpuError = 0;     // largest channel difference from the CPU stage on drawn pixels
    std::vector<float> alpha;   // GL alpha, 0 where nothing was drawn
};

GLComparison CompareWithCpu(const std::vector<float> &gl, const std::vector<float> &cpu)
{
    GLComparison result;
    result.alpha.resize(gl.size() / 4);
    for (size_t i = 0; i < result.alpha.size(); ++i)
    {
        bool drawn = gl[i * 4 + 3] >= 0.0F;
        result.alpha[i] = drawn ? gl[i * 4 + 3] : 0.0F;
        if (!drawn) continue;
        for (size_t c = 0; c < 4; ++c) result.cpuError = std::max(result.cpuError, std::fabs(gl[i * 4 + c] - cpu[i * 4 + c]));
    }
    return result;
}

float Unit(uint8_t byte)
{
    return float(byte) / 255.0F;
}

TEST(FillRenderGL, FixturesMatchTheCpuStageAndTheReference)
{
    const uint8_t color[4] = {255, 200, 100, 255};
    const float colorF[4] = {Unit(color[0]), Unit(color[1]), Unit(color[2]), Unit(color[3])};
    const uint32_t variants[] = {0, kShaderOptionLinear, kShaderOptionWeight, kShaderModeCoverage,
                                 kShaderModeInverseCoverage | kShaderOptionLinear};
    for (const VorlTestFixture &fixture : MakeVorlTestFixtures())
    {
        VorlTestShape shape = BuildVorlTestShape(fixture.curves, fixture.width, fixture.height, 4, 3, fixture.evenOdd ? 0x10 : 0);
        for (const VorlTestViewCase &view : MakeVorlTestViews(fixture.width, fixture.height))
        {
            std::vector<float> reference = RasterizeReference(fixture.curves, view.view.pixelFromEm, kSize, kSize,
                fixture.evenOdd ? ReferenceFillRule::kEvenOdd : ReferenceFillRule::kNonZero);
            double emFromPixel[6];
            view.view.EmFromPixel(emFromPixel);
            for (uint32_t base : variants)
            {
                uint32_t variant = base | (fixture.evenOdd ? uint32_t(kShaderOptionEvenOdd) : 0U);
                SCOPED_TRACE(fixture.name + " " + view.name + " variant " + std::to_string(variant));
                std::vector<float> gl = RenderGL(shape, view.view, variant, color);
                std::vector<float> cpu = RenderVorlImage(shape.Textures(), variant, emFromPixel, kSize, kSize, shape.locationWord,
                                                         shape.limitWord, shape.banding, colorF);
                GLComparison c = CompareWithCpu(gl, cpu);
                EXPECT_LE(c.cpuError, 1.0F / 255.0F);
                if (base & kShaderOptionWeight) continue;
                CoverageComparison r = CompareWithReference(c.alpha, reference, view.view, fixture.crossings);
                EXPECT_LE(r.interiorError, 1.0F / 255.0F);
                EXPECT_LE(r.edgeError, 0.25F);
                EXPECT_NEAR(r.ink, r.referenceInk, r.referenceInk * (fixture.name == "slash" ? 0.1 : 0.02));
            }
        }
    }
}

TEST(FillRenderGL, SuperSamplingAtSmallSizes)
{
    const uint8_t color[4] = {255, 255, 255, 255};
    const float colorF[4] = {1, 1, 1, 1};
    for (const VorlTestFixture &fixture : MakeVorlTestFixtures())
        for (double scale : {6.0, 10.0})
        {
            SCOPED_TRACE(fixture.name + " at " + std::to_string(scale));
            uint32_t variant = kShaderOptionSuper | (fixture.evenOdd ? uint32_t(kShaderOptionEvenOdd) : 0U);
            VorlTestShape shape = BuildVorlTestShape(fixture.curves, fixture.width, fixture.height, 2, 2, fixture.evenOdd ? 0x10 : 0);
            VorlTestView view = MakeVorlTestView(fixture.width, fixture.height, scale);
            std::vector<float> reference = RasterizeReference(fixture.curves, view.pixelFromEm, kSize, kSize,
                fixture.evenOdd ? ReferenceFillRule::kEvenOdd : ReferenceFillRule::kNonZero);
            double emFromPixel[6];
            view.EmFromPixel(emFromPixel);
            GLComparison c = CompareWithCpu(RenderGL(shape, view, variant, color),
                RenderVorlImage(shape.Textures(), variant, emFromPixel, kSize, kSize, shape.locationWord, shape.limitWord,
                                shape.banding, colorF));
            EXPECT_LE(c.cpuError, 1.0F / 255.0F);
            CoverageComparison r = CompareWithReference(c.alpha, reference, view, fixture.crossings);
            EXPECT_LE(r.interiorError, 1.0F / 255.0F);
            EXPECT_LE(r.edgeError, 0.1F);
        }
}

// Pixel (x, y) of an RGBA image.
const float *Pixel(const std::vector<float> &image, int32_t x, int32_t y)
{
    return &image[(size_t(y) * kSize + size_t(x)) * 4];
}

TEST(FillRenderGL, GradientsMultiplyTheColour)
{
    const uint8_t color[4] = {255, 255, 255, 255};
    const float colorF[4] = {1, 1, 1, 1};
    struct Case
    {
        const char *name;
        VorlTestGradient gradient;
        float expectedAtCentre[4];
    };
    const Case cases[] = {
        // t = x: half way at the centre.
        {"linear", {1, {1, 0, 0}, {1, 0, 0, 1}, {0, 0, 1, 1}}, {0.5F, 0, 0.5F, 1}},
        // t = distance from the centre / 0.5: colour 1 at the centre.
        {"radial", {2, {1, 1, 2}, {0, 1, 0, 1}, {1, 0, 0, 1}}, {0, 1, 0, 1}},
    };
    VorlTestView view = MakeVorlTestView(1, 1, 48);
    double emFromPixel[6];
    view.EmFromPixel(emFromPixel);
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        VorlTestShape shape = BuildVorlTestShape(MakeSquareOutline(0, 0, 1, 1), 1, 1, 2, 2, 0, &c.gradient);
        std::vector<float> gl = RenderGL(shape, view, kShaderOptionGradient, color);
        std::vector<float> cpu = RenderVorlImage(shape.Textures(), kShaderOptionGradient, emFromPixel, kSize, kSize,
                                                 shape.locationWord, shape.limitWord, shape.banding, colorF);
        EXPECT_LE(CompareWithCpu(gl, cpu).cpuError, 1.0F / 255.0F);
        // The centre (32.37, 32.61) lies in pixel (32, 32), 0.13 px left of its centre.
        for (int32_t k = 0; k < 4; ++k) EXPECT_NEAR(Pixel(gl, 32, 32)[k], c.expectedAtCentre[k], 0.02F) << k;
        // Without the gradient option the paint is ignored.
        std::vector<float> plain = RenderGL(shape, view, 0, color);
        for (int32_t k = 0; k < 4; ++k) EXPECT_NEAR(Pixel(plain, 32, 32)[k], 1.0F, 1e-6F) << k;
    }
}

TEST(FillRenderGL, ColourLayersComposite)
{
    const uint8_t color[4] = {255, 255, 255, 204};
    const float colorF[4] = {1, 1, 1, 0.8F};
    std::vector<VorlTestLayer> layers = {{MakeSquareOutline(0, 0, 1, 1), {255, 0, 0}},
                                         {MakeCircleOutline(0.5, 0.5, 0.3), {0, 255, 0}}};
    VorlTestShape shape = BuildVorlTestLayers(layers, 1, 1, 3, 3);
    for (const VorlTestViewCase &view : MakeVorlTestViews(1, 1))
    {
        SCOPED_TRACE(view.name);
        double emFromPixel[6];
        view.view.EmFromPixel(emFromPixel);
        std::vector<float> gl = RenderGL(shape, view.view, kShaderModeMulticolor, color);
        std::vector<float> cpu = RenderVorlImage(shape.Textures(), kShaderModeMulticolor, emFromPixel, kSize, kSize,
                                                 shape.locationWord, shape.limitWord, shape.banding, colorF);
        GLComparison c = CompareWithCpu(gl, cpu);
        EXPECT_LE(c.cpuError, 1.0F / 255.0F);
        // Green circle over red square, alpha times the vertex alpha.
        const float *centre = Pixel(gl, 32, 32);
        EXPECT_NEAR(centre[0], 0, 1e-3F);
        EXPECT_NEAR(centre[1], 1, 1e-3F);
        EXPECT_NEAR(centre[3], 0.8F, 1e-3F);
        // The square's coverage decides the alpha everywhere (the circle lies inside it).
        std::vector<float> alpha(c.alpha);
        for (float &a : alpha) a /= 0.8F;
        CoverageComparison r = CompareWithReference(alpha, RasterizeReference(layers[0].curves, view.view.pixelFromEm, kSize, kSize,
            ReferenceFillRule::kNonZero), view.view, {});
        EXPECT_LE(r.interiorError, 2.0F / 255.0F);
        EXPECT_LE(r.edgeError, 0.25F);
    }
    // Well inside the square, outside the circle: red.
    std::vector<float> gl = RenderGL(shape, MakeVorlTestView(1, 1, 48), kShaderModeMulticolor, color);
    EXPECT_NEAR(Pixel(gl, 12, 12)[0], 1, 1e-3F);
    EXPECT_NEAR(Pixel(gl, 12, 12)[1], 0, 1e-3F);
}

// A vertex whose dilation normal is zero stays where it is: the square is drawn exactly on its
// box (pixel centres inside), not dilated and not lost to an undefined normal.
TEST(FillRenderGL, ZeroNormalsKeepVerticesInPlace)
{
    const uint8_t color[4] = {255, 255, 255, 255};
    VorlTestShape shape = BuildVorlTestShape(MakeSquareOutline(0, 0, 1, 1), 1, 1, 1, 1);
    VorlTestView view = MakeVorlTestView(1, 1, 40);   // the box spans x 12.37 .. 52.37, y 12.61 .. 52.61
    VorlTestQuad quad = MakeVorlTestQuad(shape, view, color);
    for (size_t v = 0; v < 4; ++v) std::memset(&quad.vertices[v * 68 + 8], 0, 8);
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    VorlDrawData data;
    data.vertices = quad.vertices;
    data.triangles = quad.triangles;
    std::memcpy(data.matrix, quad.matrix, sizeof(data.matrix));
    SetShapeTextures(&data, shape);
    std::vector<float> image;
    ASSERT_TRUE(DrawVorlImage(GetVorlProgram(0), data, kSize, kSize, &image, &error)) << error;
    for (int32_t y = 0; y < kSize; ++y)
        for (int32_t x = 0; x < kSize; ++x)
        {
            bool inside = x + 0.5 > 12.37 && x + 0.5 < 52.37 && y + 0.5 > 12.61 && y + 0.5 < 52.61;
            EXPECT_EQ(Pixel(image, x, y)[3] >= 0.0F, inside) << x << " " << y;
        }
    EXPECT_NEAR(Pixel(image, 30, 30)[3], 1.0F, 1e-6F);
}

}   // namespace
}   // namespace oq::test
