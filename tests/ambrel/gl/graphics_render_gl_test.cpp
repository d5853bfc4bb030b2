// Compiled graphics files drawn through the shape and icon writers and the Vorl shaders on
// OpenGL, against cairo drawing the document's own curves.
#include "../GraphicsReference.h"
#include "gl/GLHarness.h"
#include "support/GeometryCapture.h"
#include "support/VorlGraphicsDecoder.h"
#include "support/VorlTestShape.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/ShapeGeometry.h"
#include "vorl/text/ShaderSource.h"

namespace oq {
namespace {

using test::CompileKind;
using test::ComposedImage;

constexpr test::DrawingView kView = {0.0, 32.0, 4.0, 128, 128};

// The file's textures as the harness uploads them.
void SetFileTextures(test::VorlDrawData *data, const test::VorlGraphicsDecoder &decoder)
{
    const VorlFileHeader &file = decoder.FileHeader();
    data->curveWidth = int32_t(file.curveTexture.width);
    data->curveHeight = int32_t(file.curveTexture.height);
    data->curveFloat = file.curveTexture.format == kTexelFormatFloat4;
    const std::vector<uint8_t> &curve = decoder.CurveTexels();
    if (data->curveFloat)
    {
        data->curveFloats.resize(curve.size() / 4);
        std::memcpy(data->curveFloats.data(), curve.data(), curve.size());
    }
    else
    {
        data->curveHalves.resize(curve.size() / 2);
        std::memcpy(data->curveHalves.data(), curve.data(), curve.size());
    }
    data->bandWidth = int32_t(file.bandTexture.width);
    data->bandHeight = int32_t(file.bandTexture.height);
    data->bandTexels.resize(decoder.BandTexels().size() / 4);
    std::memcpy(data->bandTexels.data(), decoder.BandTexels().data(), decoder.BandTexels().size());
    test::SetPixelMatrix(data, kView.width, kView.height, true);
}

// Draws the triangles [first, end) of the capture and returns the image with row 0 at the top.
std::vector<float> DrawTriangles(GLuint program, test::VorlDrawData &data, const test::GeometryCapture &capture,
                                 int32_t first, int32_t end)
{
    data.triangles.clear();
    for (int32_t t = first; t < end; ++t)
    {
        for (uint32_t index : capture.Triangle(t)) data.triangles.push_back(uint16_t(index));
    }
    std::vector<float> image;
    std::string error;
    EXPECT_TRUE(test::DrawVorlImage(program, data, kView.width, kView.height, &image, &error)) << error;
    std::vector<float> flipped(image.size());
    size_t row = size_t(kView.width) * 4;
    for (int j = 0; j < kView.height; ++j)
        std::memcpy(&flipped[size_t(j) * row], &image[size_t(kView.height - 1 - j) * row], row * sizeof(float));
    return flipped;
}

// Stroke pieces are drawn one by one and united by their largest coverage, which falls short of
// the union where two pieces share a pixel: the pixels near the joints (skipped, document x, y
// pairs) are left out of the edge error.
void ExpectCoverageMatches(const std::vector<float> &coverage, const std::vector<uint8_t> &mask,
                           const std::vector<double> &skipped, const std::string &what)
{
    std::vector<float> reference(mask.size());
    for (size_t i = 0; i < mask.size(); ++i) reference[i] = float(mask[i]) / 255.0f;
    test::VorlTestView view = {{kView.k, 0, -kView.x0 * kView.k, 0, -kView.k, kView.y1 * kView.k}, kView.width, kView.height};
    test::CoverageComparison c = test::CompareWithReference(coverage, reference, view, skipped);
    EXPECT_LE(c.interiorError, 1.0f / 255.0f + 1e-4f) << what;
    EXPECT_LE(c.edgeError, 0.3f) << what;
    EXPECT_NEAR(c.ink, c.referenceInk, 0.02 * c.referenceInk) << what;
}

TEST(GraphicsFileRenderGL, IconItemsMatchCairo)
{
    std::string error;
    ASSERT_TRUE(test::StartGL(&error)) << error;
    for (bool floatTexels : {false, true})
    {
        SCOPED_TRACE(floatTexels ? "float texels" : "half texels");
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(test::kRenderFixture), 0u);
        test::CompiledFile file = test::CompileDocument(&document, {CompileKind::kIcon, floatTexels, true});
        ASSERT_EQ(file.result, 0u);
        test::VorlGraphicsDecoder decoder;
        ASSERT_TRUE(decoder.Load(file.Bytes(), file.size));
        std::vector<test::ReferenceItem> items = test::DrawReferenceItems(&document, kView, CompileKind::kIcon);
        ASSERT_EQ(int32_t(items.size()), decoder.Icon(0).layerCount);

        // The stroked geometries in mesh order.
        std::vector<const GeometryStructure *> strokes;
        for (int32_t i = 0; test::FindStructure<KettricStructure>(&document, 'strk', i) != nullptr; ++i)
        {
            strokes.push_back(static_cast<const GeometryStructure *>(
                test::FindStructure<KettricStructure>(&document, 'strk', i)->GetSuperStructure()));
        }
        const auto *header = reinterpret_cast<const VorlGraphicsHeader *>(file.Bytes() + 80);
        int32_t vertexCount = 0;
        int32_t triangleCount = 0;
        CountIconGeometry(header, 0, 'QUAD', &vertexCount, &triangleCount);
        test::GeometryCapture capture(0, vertexCount, triangleCount);
        const float position[2] = {float(-kView.x0 * kView.k), float(kView.y1 * kView.k)};
        const float scale[2] = {float(kView.k), float(kView.k)};
        BuildIconGeometry(header, 0, position, scale, 'QUAD', &capture.buffer);
        ASSERT_EQ(capture.VertexCount(), vertexCount);

        test::VorlDrawData data;
        SetFileTextures(&data, decoder);
        data.vertices.assign(capture.vertices, capture.vertices + size_t(vertexCount) * sizeof(AttribStruct));
        GLuint program = test::GetVorlProgram(kShaderOptionStroke | kShaderOptionEvenOdd);

        ComposedImage composed{kView.width, kView.height, std::vector<float>(size_t(kView.width * kView.height) * 3, -1.0f)};
        int32_t triangle = 0;
        for (int32_t k = 0; k < decoder.Icon(0).layerCount; ++k)
        {
            const VorlIconLayer &layer = decoder.Item(0, k);
            std::vector<float> coverage(size_t(kView.width * kView.height), 0.0f);
            std::vector<double> joints;
            float alpha;
            auto collect = [&](const std::vector<float> &image) {
                for (size_t p = 0; p < coverage.size(); ++p)
                {
                    if (image[p * 4 + 3] >= 0.0f) coverage[p] = std::max(coverage[p], image[p * 4 + 3] / alpha);
                }
            };
            if (layer.shape >= 0)
            {
                alpha = float(layer.color[3]) / 255.0f;
                collect(DrawTriangles(program, data, capture, triangle, triangle + 2));
                triangle += 2;
            }
            else
            {
                // A stroke is the union of its pieces, each drawn on its own.
                const GeometryStructure *g = strokes[size_t(~layer.shape)];
                for (const QuadraticBezier2D &curve : g->curves)
                {
                    joints.push_back(curve.p0.x);
                    joints.push_back(curve.p0.y);
                }
                int32_t end = triangle + decoder.Mesh(0, ~layer.shape).triangleCount;
                alpha = capture.Vertex(int32_t(capture.Triangle(triangle)[0])).color[3];
                for (int32_t t = triangle; t < end;)
                {
                    uint32_t location = capture.Vertex(int32_t(capture.Triangle(t)[0])).bandLocation;
                    int32_t stop = t;
                    while (stop < end && capture.Vertex(int32_t(capture.Triangle(stop)[0])).bandLocation == location) ++stop;
                    collect(DrawTriangles(program, data, capture, t, stop));
                    t = stop;
                }
                triangle = end;
            }
            ExpectCoverageMatches(coverage, items[size_t(k)].mask, joints, "item " + std::to_string(k));
            for (size_t p = 0; p < coverage.size(); ++p)
            {
                if (coverage[p] < 0.5f) continue;
                for (int n = 0; n < 3; ++n) composed.rgb[p * 3 + size_t(n)] = kSrgbByteToLinear[layer.color[n]];
            }
        }
        EXPECT_EQ(triangle, triangleCount);
        std::vector<bool> edge;
        ComposedImage reference = test::ComposeReference(items, kView, &edge);
        std::string report;
        EXPECT_EQ(test::CompareComposed(composed, reference, edge, 0.02f, &report), 0) << report;
    }
}

TEST(GraphicsFileRenderGL, CanvasLayersMatchCairo)
{
    std::string error;
    ASSERT_TRUE(test::StartGL(&error)) << error;
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(test::kRenderFixture), 0u);
    test::CompiledFile file = test::CompileDocument(&document, {CompileKind::kCanvas});
    ASSERT_EQ(file.result, 0u);
    test::VorlGraphicsDecoder decoder;
    ASSERT_TRUE(decoder.Load(file.Bytes(), file.size));
    ASSERT_EQ(decoder.LayerCount(0), 4);

    const CanvasView &v = document.canvasView;
    float k = float(kView.k) / v.scale;
    const float position[2] = {float(kView.k) * (v.originX - float(kView.x0)), float(kView.k) * (float(kView.y1) - v.originY)};
    test::GeometryCapture capture(0, 4, 2);
    TextPaint paint = {{0, 0, 0, 1}, {0, 0, 0, 1}, 0, 0, false};
    WriteShapeGeometry(&decoder.Shape(0), position, Matrix2D(k, 0, 0, k), &paint, kShapeDrawLayers, 'QUAD', &capture.buffer);

    test::VorlDrawData data;
    SetFileTextures(&data, decoder);
    data.vertices.assign(capture.vertices, capture.vertices + 4 * sizeof(AttribStruct));
    std::vector<float> image = DrawTriangles(test::GetVorlProgram(0x40), data, capture, 0, 2);

    ComposedImage composed{kView.width, kView.height, std::vector<float>(size_t(kView.width * kView.height) * 3, -1.0f)};
    for (size_t p = 0; p < size_t(kView.width * kView.height); ++p)
    {
        if (image[p * 4 + 3] >= 0.5f) std::copy(&image[p * 4], &image[p * 4 + 3], &composed.rgb[p * 3]);
    }
    std::vector<bool> edge;
    ComposedImage reference =
        test::ComposeReference(test::DrawReferenceItems(&document, kView, CompileKind::kCanvas), kView, &edge);
    std::string report;
    // Layer colours are linear bytes.
    EXPECT_EQ(test::CompareComposed(composed, reference, edge, 1.0f / 255.0f + 1e-3f, &report), 0) << report;
}

}  // namespace
}  // namespace oq
