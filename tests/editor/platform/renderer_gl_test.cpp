#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/platform/DataFileLoaders.h"
#include "editor/platform/linux/GLDevice.h"
#include "editor/platform/GLRendererFixture.h"
#include "editor/platform/RendererProbe.h"
#include "editor/platform/RenderObject.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"
#include "gl/GLHarness.h"
#include "support/TempDirectory.h"
#include "support/VorlGraphicsBuilder.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/ShapeData.h"

namespace oq {
namespace {


TEST_F(GLRendererTest, GLClearIsEncodedAndIgnoresTheScissor)
{
    renderer.mainTarget.clearColor[0] = renderer.mainTarget.clearColor[1] = renderer.mainTarget.clearColor[2] = 0.955973F;
    renderer.SetScissor(0, 0, 4, 4);
    renderer.mainTarget.BeginFrame();
    std::vector<uint8_t> pixels = Read();
    for (int y : {0, 20, kHeight - 1})
    {
        for (int x : {0, 30, kWidth - 1}) ExpectPixel(At(pixels, x, y), {250, 250, 250, 255}, "clear");
    }
}

TEST_F(GLRendererTest, GLScissorHoldsWithTopLeftOrigin)
{
    BeginFrame();
    renderer.SetScissor(16, 8, 32, 24);
    RenderObject quad;
    DrawItem item;
    MakeQuad(quad, item, 0, 0, 0, kWidth, kHeight, {1, 0, 0, 1}, nullptr);
    quad.Draw(renderer, PixelMatrix());
    std::vector<uint8_t> pixels = Read();
    ExpectPixel(At(pixels, 20, 12), {255, 0, 0, 255}, "inside");
    ExpectPixel(At(pixels, 16, 8), {255, 0, 0, 255}, "top left corner");
    ExpectPixel(At(pixels, 31, 23), {255, 0, 0, 255}, "bottom right corner");
    ExpectPixel(At(pixels, 20, kHeight - 12), kGreyPixel, "mirrored in y");
    ExpectPixel(At(pixels, 32, 12), kGreyPixel, "right of it");
    ExpectPixel(At(pixels, 20, 24), kGreyPixel, "below it");
    quad.Release(renderer);
}

TEST_F(GLRendererTest, GLBlendingLeavesTheDestinationAlpha)
{
    renderer.mainTarget.clearColor[0] = 0;
    renderer.mainTarget.clearColor[1] = 0;
    renderer.mainTarget.clearColor[2] = 1;
    renderer.mainTarget.clearColor[3] = 0.5F;
    BeginFrame();
    RenderObject quad;
    DrawItem item;
    MakeQuad(quad, item, 0, 0, 0, kWidth, kHeight, {1, 0, 0, 0.5F}, nullptr);
    quad.Draw(renderer, PixelMatrix());
    ExpectPixel(At(Read(), 10, 10), {kHalfByte, 0, kHalfByte, 128}, "blended");
    quad.Release(renderer);
}

TEST_F(GLRendererTest, GLColorConstantCombinesWithVorlGeometryOnly)
{
    struct Case
    {
        const char *what;
        int32_t kind;  // 0 colour, 1 texture, 2 Vorl
        ColorRGBA geometry;
        ColorRGBA constant;
        Pixel expected;
    };
    const Case cases[] = {
        {"Vorl alpha 0 takes the constant", 2, {1, 0, 0, 0}, {0, 0, 1, 1}, {0, 0, 255, 255}},
        {"Vorl alpha 0 under black", 2, {1, 1, 1, 0}, {0, 0, 0, 1}, {0, 0, 0, 255}},
        {"Vorl white tinted", 2, {1, 1, 1, 1}, {0, 1, 0, 1}, {0, 255, 0, 255}},
        {"Vorl white under white", 2, {1, 1, 1, 1}, {1, 1, 1, 1}, {255, 255, 255, 255}},
        {"Vorl white under black", 2, {1, 1, 1, 1}, {0, 0, 0, 1}, {255, 255, 255, 255}},
        {"Vorl colour kept under a colour", 2, {1, 0, 0, 1}, {0, 1, 0, 1}, {255, 0, 0, 255}},
        {"Vorl colour kept under white", 2, {1, 0, 0, 1}, {1, 1, 1, 1}, {255, 0, 0, 255}},
        {"Vorl colour kept under black", 2, {0, 1, 0, 1}, {0, 0, 0, 1}, {0, 255, 0, 255}},
        {"colour shader ignores it", 0, {0, 1, 0, 1}, {1, 0, 0, 1}, {0, 255, 0, 255}},
        {"colour shader alpha 0 stays clear", 0, {0, 1, 0, 0}, {1, 0, 0, 1}, kGreyPixel},
        {"colour shader white stays", 0, {1, 1, 1, 1}, {0, 0, 1, 1}, {255, 255, 255, 255}},
        {"texture shader ignores it", 1, {1, 1, 1, 1}, {1, 0, 0, 1}, {0, 0, 255, 255}},
    };
    // A blue picture for the texture shader.
    std::vector<uint8_t> blue(4 * 4 * 4, 0);
    for (size_t i = 0; i < blue.size(); i += 4)
    {
        blue[i + 2] = 255;
        blue[i + 3] = 255;
    }
    GlyphTexturePair picture;
    picture.curveTexture = device.CreateTexture(kGpuTexturePicture, 4, 4, blue.data());
    ASSERT_NE(picture.curveTexture, 0U);
    picture.count = 1;
    for (const Case &c : cases)
    {
        BeginFrame();
        RenderObject object;
        DrawItem item;
        GlyphTexturePair pair;
        if (c.kind == 2) MakeVorlRectangle(object, item, pair, 8, 8, 56, 40, c.geometry);
        else MakeQuad(object, item, c.kind, 8, 8, 56, 40, c.geometry, c.kind == 1 ? &picture : nullptr);
        object.color = c.constant;
        object.Draw(renderer, PixelMatrix());
        std::vector<uint8_t> pixels = Read();
        ExpectPixel(At(pixels, 32, 24), c.expected, c.what);
        ExpectPixel(At(pixels, 2, 2), kGreyPixel, std::string(c.what) + ", outside");
        object.Release(renderer);
        pair.ReleaseTextures(renderer);
    }
    picture.ReleaseTextures(renderer);
}

TEST_F(GLRendererTest, GLRotatedMatrixReachesEveryShaderKindRowByRow)
{
    // Pixel space turned a quarter about the target's centre (32, 24): (x, y) -> (56 - y, x - 8).
    const Matrix4D rotated(0, -1.0F / 32, 0, 0.75F, -1.0F / 24, 0, 0, 4.0F / 3, 0, 0, 0, 0, 0, 0, 0, 1);
    std::vector<uint8_t> white(4 * 4 * 4, 255);
    GlyphTexturePair picture;
    picture.curveTexture = device.CreateTexture(kGpuTexturePicture, 4, 4, white.data());
    picture.count = 1;
    for (int32_t kind : {0, 1, 2})
    {
        BeginFrame();
        RenderObject object;
        DrawItem item;
        GlyphTexturePair pair;
        // The square (8, 2)-(16, 10) lands on (46, 0)-(54, 8).
        if (kind == 2) MakeVorlRectangle(object, item, pair, 8, 2, 16, 10, {1, 0, 0, 1});
        else MakeQuad(object, item, kind, 8, 2, 16, 10, {1, 0, 0, 1}, &picture);
        object.Draw(renderer, rotated);
        std::vector<uint8_t> pixels = Read();
        ExpectPixel(At(pixels, 50, 4), {255, 0, 0, 255}, "turned, kind " + std::to_string(kind));
        ExpectPixel(At(pixels, 12, 6), kGreyPixel, "unturned, kind " + std::to_string(kind));
        object.Release(renderer);
        pair.ReleaseTextures(renderer);
    }
    picture.ReleaseTextures(renderer);
}

TEST_F(GLRendererTest, GLPictureThroughTheLinearSamplerKeepsItsColour)
{
    std::vector<uint8_t> picture(static_cast<size_t>(kHueSaturationBytes));
    for (size_t i = 0; i < picture.size(); i += 4)
    {
        picture[i] = 200;
        picture[i + 1] = 100;
        picture[i + 2] = 50;
        picture[i + 3] = 255;
    }
    ASSERT_TRUE(test::WriteBytes(data.File("Huesat.rgba"), picture.data(), picture.size()));
    GlyphTexturePair *pair = LoadHueSaturationTexture(renderer);
    ASSERT_NE(pair, nullptr);
    BeginFrame();
    RenderObject quad;
    DrawItem item;
    MakeQuad(quad, item, 1, 0, 0, kWidth, kHeight, {1, 1, 1, 1}, pair);
    quad.Draw(renderer, PixelMatrix());
    ExpectPixel(At(Read(), 32, 24), {200, 100, 50, 255}, "picture");
    quad.Release(renderer);
    FreeLoadedTexturePair(renderer, pair);
}

TEST_F(GLRendererTest, GLRoundedBoxAndCircleCoverTheirOutlines)
{
    BeginFrame();
    ShapeRenderObject box;
    BuildRoundedBoxShape(renderer, &box, Point2D(8, 8), Point2D(48, 32), 4, 8, {1, 0, 0, 1}, {0, 0, 1, 1},
                         kRoundAllCorners);
    ASSERT_GT(box.item.vertexCount, 0U);
    box.Draw(renderer, PixelMatrix());
    std::vector<uint8_t> pixels = Read();
    struct Probe
    {
        int x, y;
        Pixel expected;
        const char *what;
    };
    const Pixel red = {255, 0, 0, 255};
    const Pixel blue = {0, 0, 255, 255};
    // The stroke covers 2 px each side of the outline; corners are arcs of radius 8 about (16, 16).
    for (const Probe &p : {Probe{32, 24, red, "inside"}, Probe{8, 24, blue, "left side"}, Probe{31, 39, blue, "bottom"},
                           Probe{55, 24, blue, "right side"}, Probe{4, 24, kGreyPixel, "left of it"},
                           Probe{8, 8, kGreyPixel, "cut corner"}, Probe{10, 10, blue, "corner arc"},
                           Probe{13, 13, red, "inside the corner"}, Probe{32, 44, kGreyPixel, "below it"}})
        ExpectPixel(At(pixels, p.x, p.y), p.expected, p.what);
    box.ReleaseShape(renderer);

    BeginFrame();
    ShapeRenderObject circle;
    BuildCircleShape(renderer, &circle, Point2D(8, 4), Point2D(40, 40), 4, {0, 1, 0, 1}, {0, 0, 1, 1});
    ASSERT_GT(circle.item.vertexCount, 0U);
    circle.Draw(renderer, PixelMatrix());
    pixels = Read();
    // Centre (28, 24), radius 20: the stroke covers distances 18 to 22.
    const Pixel green = {0, 255, 0, 255};
    for (const Probe &p : {Probe{28, 24, green, "centre"}, Probe{27, 4, blue, "top"}, Probe{47, 23, blue, "right"},
                           Probe{41, 37, blue, "diagonal"}, Probe{44, 40, kGreyPixel, "outside the diagonal"},
                           Probe{38, 34, green, "inside the diagonal"}, Probe{9, 5, kGreyPixel, "box corner"}})
        ExpectPixel(At(pixels, p.x, p.y), p.expected, p.what);
    circle.ReleaseShape(renderer);
}

TEST_F(GLRendererTest, GLWideIndicesAndBaseVertexReachTheirVertices)
{
    constexpr uint32_t kVertices = 70000;
    RenderObject object;
    object.SetupColorShaders(renderer, 0);
    GeometryBuffer geometry;
    ASSERT_TRUE(object.CreateBuffers(renderer, kVertices, 4, &geometry));
    ASSERT_EQ(geometry.indexFormat, 1);
    float *vertices = static_cast<float *>(geometry.vertexData);
    for (uint32_t i = 0; i < kVertices; ++i)
    {
        const float record[6] = {-100, -100, 1, 0, 0, 1};
        std::memcpy(vertices + 6 * size_t(i), record, sizeof(record));
    }
    // Quads: vertices 0-3 (never drawn), 69992-69995 (through the base vertex), 69996-69999.
    auto quad = [&](uint32_t first, float x0, float y0) {
        const float corners[4][2] = {{x0, y0}, {x0 + 10, y0}, {x0 + 10, y0 + 10}, {x0, y0 + 10}};
        for (int k = 0; k < 4; ++k)
        {
            vertices[6 * size_t(first + uint32_t(k))] = corners[k][0];
            vertices[6 * size_t(first + uint32_t(k)) + 1] = corners[k][1];
        }
    };
    quad(0, 4, 4);
    quad(69992, 20, 20);
    quad(69996, 40, 30);
    const uint32_t indices[12] = {69996, 69997, 69998, 69996, 69998, 69999, 0, 1, 2, 0, 2, 3};
    std::memcpy(geometry.triangleData, indices, sizeof(indices));
    object.UnmapBuffers(renderer);
    DrawItem items[2] = {{kVertices, 6, 0, 0, nullptr}, {kVertices, 6, 6, 69992, nullptr}};
    object.drawItems = items;
    object.drawItemCount = 2;
    BeginFrame();
    object.Draw(renderer, PixelMatrix());
    std::vector<uint8_t> pixels = Read();
    ExpectPixel(At(pixels, 45, 35), {255, 0, 0, 255}, "32-bit indices");
    ExpectPixel(At(pixels, 25, 25), {255, 0, 0, 255}, "base vertex");
    ExpectPixel(At(pixels, 8, 8), kGreyPixel, "base vertex ignored");
    object.Release(renderer);
}

TEST_F(GLRendererTest, GLIconFileDrawsTheSameInFloatAndHalfTexels)
{
    std::vector<uint8_t> images[2];
    const uint32_t formats[2] = {'FLT4', 'HLF4'};
    for (int i = 0; i < 2; ++i)
    {
        std::vector<uint8_t> file = MakeDiscIconFile(formats[i]);
        ASSERT_FALSE(file.empty());
        ASSERT_TRUE(test::WriteBytes(data.File("Charms.vorl"), file.data(), file.size()));
        GlyphTexturePair *pair = LoadIconFile(renderer, "Charms");
        ASSERT_NE(pair, nullptr);
        const VorlGraphicsHeader *header = reinterpret_cast<const VorlGraphicsHeader *>(pair->fileData + sizeof(VorlFileHeader));
        RenderObject object;
        object.SetupVorlShaders(renderer, 0, kShaderOptionWeight);
        int32_t vertices = 0;
        int32_t triangles = 0;
        CountIconGeometry(header, 0, 'POLY', &vertices, &triangles);
        ASSERT_GT(vertices, 0);
        GeometryBuffer geometry;
        ASSERT_TRUE(object.CreateBuffers(renderer, uint32_t(vertices), uint32_t(triangles), &geometry));
        const float position[2] = {16, 40};
        const float scale[2] = {1, 1};
        BuildIconGeometry(header, 0, position, scale, 'POLY', &geometry);
        object.UnmapBuffers(renderer);
        DrawItem item = {uint32_t(vertices), 3 * uint32_t(triangles), 0, 0, pair};
        object.drawItems = &item;
        object.drawItemCount = 1;
        BeginFrame();
        object.Draw(renderer, PixelMatrix());
        images[i] = Read();
        object.Release(renderer);
        FreeLoadedTexturePair(renderer, pair);
    }
    // The disc lands on centre (32, 24), radius 12.
    const Pixel red = {255, 0, 0, 255};
    for (const std::vector<uint8_t> &image : images)
    {
        ExpectPixel(At(image, 32, 24), red, "centre");
        ExpectPixel(At(image, 41, 24), red, "inside the rim");
        ExpectPixel(At(image, 46, 24), kGreyPixel, "outside the rim");
        ExpectPixel(At(image, 22, 14), kGreyPixel, "box corner");
    }
    for (int y = 0; y < kHeight; ++y)
    {
        for (int x = 0; x < kWidth; ++x)
            ExpectPixel(At(images[0], x, y), At(images[1], x, y), std::to_string(x) + ", " + std::to_string(y));
    }
}

}  // namespace
}  // namespace oq
