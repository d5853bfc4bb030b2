#pragma once

// The GL renderer fixture of the pixel tests: one renderer on the GL device of the harness's
// context over a Data folder holding the build's shader files, drawing into a 64 x 48 offscreen
// target.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/platform/linux/GLDevice.h"
#include "editor/platform/Heap.h"
#include "editor/platform/RenderObject.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"
#include "gl/GLHarness.h"
#include "support/TempDirectory.h"
#include "support/VorlGraphicsBuilder.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/ShapeData.h"

namespace oq {

constexpr int32_t kWidth = 64;
constexpr int32_t kHeight = 48;

struct Pixel
{
    int r, g, b, a;
};

// Copies the build's shader files into the folder (a renderer's Data folder).
inline void CopyShaderFiles(const std::string &folder)
{
    for (const auto &entry : std::filesystem::directory_iterator(OQ_DATA_DIR))
    {
        if (entry.path().extension() == ".glsl")
            std::filesystem::copy_file(entry.path(), std::filesystem::path(folder) / entry.path().filename());
    }
}

// One renderer on the GL device of the process's one context, over a Data folder holding the
// build's shader files; its main target is an offscreen 64 x 48 framebuffer.
class GLRendererTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        // The tests fail, never skip, when the context cannot start.
        ASSERT_TRUE(test::StartGL(&error)) << error;
        CopyShaderFiles(data.Path());
        ASSERT_TRUE(renderer.Start(nullptr, kWidth, kHeight, kGrey));
    }

    void TearDown() override { renderer.Shutdown(); }

    void BeginFrame()
    {
        renderer.mainTarget.BeginFrame();
        renderer.SetScissor(0, 0, kWidth, kHeight);
    }

    std::vector<uint8_t> Read()
    {
        std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * 4);
        EXPECT_TRUE(device.ReadPixels(renderer.mainTarget.surface, pixels.data()));
        return pixels;
    }

    static Pixel At(const std::vector<uint8_t> &pixels, int x, int y)
    {
        const uint8_t *p = pixels.data() + (size_t(y) * kWidth + size_t(x)) * 4;
        return {p[0], p[1], p[2], p[3]};
    }

    // A quad of the colour (kind 0) or texture (kind 1) shaders from (x0, y0) to (x1, y1).
    void MakeQuad(RenderObject &object, DrawItem &item, int32_t kind, float x0, float y0, float x1, float y1,
                  const ColorRGBA &color, GlyphTexturePair *textures)
    {
        object.SetupColorShaders(renderer, kind);
        ASSERT_NE(object.program, 0U);
        GeometryBuffer geometry;
        ASSERT_TRUE(object.CreateBuffers(renderer, 4, 2, &geometry));
        const float corners[4][4] = {{x0, y0, 0, 0}, {x1, y0, 1, 0}, {x1, y1, 1, 1}, {x0, y1, 0, 1}};
        float *vertex = static_cast<float *>(geometry.vertexData);
        for (const float *corner : corners)
        {
            const float record[8] = {corner[0], corner[1], color.red, color.green, color.blue, color.alpha, corner[2], corner[3]};
            std::memcpy(vertex, record, object.vertexStride);
            vertex += object.vertexStride / 4;
        }
        const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
        std::memcpy(geometry.triangleData, indices, sizeof(indices));
        object.UnmapBuffers(renderer);
        item = {4, 6, 0, 0, textures};
        object.drawItems = &item;
        object.drawItemCount = 1;
    }

    // A filled rectangle path drawn by the Vorl shaders (variant 1).
    void MakeVorlRectangle(RenderObject &object, DrawItem &item, GlyphTexturePair &pair, float x0, float y0, float x1,
                           float y1, const ColorRGBA &color)
    {
        object.SetupVorlShaders(renderer, 0, kShaderOptionWeight);
        ASSERT_NE(object.program, 0U);
        QuadraticBezier2D curves[4];
        int32_t count = MakeRoundedBoxCurves(Point2D(x0, y0), Point2D(x1 - x0, y1 - y0), 0, kRoundAllCorners, curves);
        FillStyle fill;
        ResetFillStyle(&fill);
        fill.color = color;
        object.BuildPathGeometry(renderer, fill, count, curves, &item, &pair);
        ASSERT_GT(item.vertexCount, 0U);
        object.drawItems = &item;
        object.drawItemCount = 1;
    }

    static Matrix4D PixelMatrix()
    {
        return Matrix4D(2.0F / kWidth, 0, 0, -1, 0, -2.0F / kHeight, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1);
    }

    static constexpr float kGrey[4] = {0.2F, 0.2F, 0.2F, 1.0F};
    test::TempDirectory data;
    Heap heap{"GL test"};
    GLDevice device;
    Renderer renderer{&device, data.Path().c_str(), &heap};
};

inline void ExpectPixel(Pixel actual, Pixel expected, const std::string &where)
{
    EXPECT_NEAR(actual.r, expected.r, 2) << where;
    EXPECT_NEAR(actual.g, expected.g, 2) << where;
    EXPECT_NEAR(actual.b, expected.b, 2) << where;
    EXPECT_NEAR(actual.a, expected.a, 2) << where;
}

// sRGB bytes of the grey clear colour 0.2 and of linear 0.5.
constexpr int kGreyByte = 124;
constexpr int kHalfByte = 188;
const Pixel kGreyPixel = {kGreyByte, kGreyByte, kGreyByte, 255};

// An icon file of one red disc (centre (16, 16), radius 12, y up) with curve texels of the format.
inline std::vector<uint8_t> MakeDiscIconFile(uint32_t format)
{
    QuadraticBezier2D curves[12];
    int32_t count = AppendEllipseCurves(16, 16, 12, 12, curves, 0, 11);
    uint32_t texelSize = format == 'FLT4' ? 16 : 8;
    std::vector<uint8_t> curveTexels(64 * 4 * texelSize);
    std::vector<uint8_t> bandTexels(64 * 4 * 4);
    TexelBuffer curve = {curveTexels.data(), format, 64, 4, 0, 0};
    TexelBuffer band = {bandTexels.data(), '16U2', 64, 4, 0, 0};
    test::VorlGraphicsBuilder builder;
    VorlShapeRecord record = {};
    if (!BuildShapeData(count, curves, &curve, &band, &record, 6, 1.0F, 4, nullptr)) return {};
    builder.shapes.push_back(record);
    builder.icons.push_back({{test::MakeIconLayer(0, 0, 0, 0xFF0000FF)}, {}});
    builder.floatCurveTexels = format == 'FLT4';
    builder.curveHeight = 4;
    builder.curveTexels = curveTexels;
    builder.bandHeight = 4;
    builder.bandTexels = bandTexels;
    std::vector<uint32_t> words = builder.Build();
    std::vector<uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
}

}  // namespace oq
