#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "base/Half.h"
#include "support/GeometryCapture.h"
#include "support/VorlGraphicsBuilder.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/ShapeGeometry.h"
#include "vorl/geometry/VorlGraphicsValidator.h"

namespace oq {
namespace {

using test::CapturedVertex;
using test::GeometryCapture;
using test::MakeIconLayer;
using test::MakeShapeRecord;
using test::VorlGraphicsBuilder;

TextPaint SolidPaint(float r, float g, float b, float a)
{
    TextPaint paint = {};
    paint.color = {r, g, b, a};
    paint.gradientColor = paint.color;
    paint.gradientEnd = 1.0f;
    return paint;
}

const Matrix2D kIdentity(1, 0, 0, 1);

TEST(ShapeGeometryTest, QuadRectPolygonAndUnknownTypes)
{
    VorlShapeRecord shape = MakeShapeRecord(0, 0, 2, 1, 7, 3);
    shape.polygonWord = 0x0305;
    const float pentagon[5][2] = {{0, 0}, {2, 0}, {2, 0.5f}, {1, 1}, {0, 0.5f}};
    for (int i = 0; i < 5; ++i)
    {
        FloatToHalf(&shape.polygon[i][0], pentagon[i][0]);
        FloatToHalf(&shape.polygon[i][1], pentagon[i][1]);
    }
    TextPaint paint = SolidPaint(1, 0.5f, 0, 1);
    float at[2] = {10, 20};
    struct Case
    {
        uint32_t type;
        int32_t vertices;
        int32_t triangles;
        uint32_t indexAdvance;
    };
    const Case cases[] = {{'QUAD', 4, 2, 4}, {'RECT', 3, 0, 0}, {'POLY', 5, 3, 5}, {0, 4, 2, 4}, {'XYZW', 4, 2, 4}};
    for (int32_t variant = 0; variant < 4; ++variant)
    {
        for (const Case &c : cases)
        {
            int32_t vertices, triangles;
            CountGlyphGeometry(&shape, c.type, &vertices, &triangles);
            EXPECT_EQ(vertices, c.vertices);
            EXPECT_EQ(triangles, c.triangles);
            GeometryCapture capture(variant, vertices, triangles, 100);
            WriteShapeGeometry(&shape, at, kIdentity, &paint, 0, c.type, &capture.buffer);
            EXPECT_EQ(capture.VertexCount(), c.vertices);
            EXPECT_EQ(capture.TriangleCount(), c.triangles);
            EXPECT_EQ(capture.buffer.vertexIndex, 100 + c.indexAdvance);
            // Shape space is y up: (2, 0) lands at P + (2, 0), (0, 1) at P + (0, -1).
            CapturedVertex v1 = capture.Vertex(1);
            EXPECT_FLOAT_EQ(v1.position[0], 12.0f);
            EXPECT_FLOAT_EQ(v1.position[1], 20.0f);
            EXPECT_EQ(v1.bandLocation, 7u | 3u << 16);
            EXPECT_EQ(v1.colorBytes[1], 128);
            EXPECT_FLOAT_EQ(v1.jacobian[3], -1.0f);
            if (c.type == 'POLY')
            {
                EXPECT_EQ(capture.Triangle(0)[0], 100u);
                EXPECT_NEAR(capture.Vertex(3).position[1], 19.0f, 1e-3f);
            }
            else if (c.triangles == 2)
            {
                EXPECT_EQ(capture.Triangle(0), (std::array<uint32_t, 3>{100, 101, 102}));
                EXPECT_EQ(capture.Triangle(1), (std::array<uint32_t, 3>{101, 103, 102}));
                EXPECT_FLOAT_EQ(capture.Vertex(2).position[1], 19.0f);
            }
        }
        // A quad without triangle memory: vertices only, the index still advances.
        GeometryCapture capture(variant, 4, 0, 0);
        capture.buffer.triangleData = nullptr;
        WriteShapeGeometry(&shape, at, kIdentity, &paint, 0, 'QUAD', &capture.buffer);
        EXPECT_EQ(capture.VertexCount(), 4);
        EXPECT_EQ(capture.buffer.triangleData, nullptr);
        EXPECT_EQ(capture.buffer.vertexIndex, 4u);
    }
}

TEST(ShapeGeometryTest, NormalsWordsAndGradients)
{
    VorlShapeRecord shape = MakeShapeRecord(-1, -1, 1, 1, 2, 0);
    shape.flags = 5;
    shape.gradientType = 2;
    shape.layerColumn = 9;
    shape.layerRow = 1;
    shape.bandCountX = 3;
    shape.bandCountY = 2;
    TextPaint paint = SolidPaint(0, 0, 0, 1);
    paint.gradient = true;
    paint.gradientColor = {1, 1, 1, 1};
    paint.gradientStart = -1;
    paint.gradientEnd = 1;
    float at[2] = {0, 0};
    for (float mirror : {1.0f, -1.0f})
    {
        GeometryCapture capture(0, 4, 2);
        WriteShapeGeometry(&shape, at, Matrix2D(mirror, 0, 0, 1), &paint, kShapeDrawLayers, 'QUAD', &capture.buffer);
        for (int32_t i = 0; i < 4; ++i)
        {
            CapturedVertex v = capture.Vertex(i);
            // Corner normals point away from the centre whatever the mirror, with length root 2.
            EXPECT_GT(v.normal[0] * v.position[0], 0.0f);
            EXPECT_GT(v.normal[1] * v.position[1], 0.0f);
            EXPECT_NEAR(std::hypot(v.normal[0], v.normal[1]), std::sqrt(2.0f), 1e-3f);
            EXPECT_EQ(v.bandLimits, 2u | 1u << 16 | 1u << 24 | 1u << 28 | 2u << 29);
            EXPECT_EQ(v.bandLocation, 9u | 1u << 16);
            // The gradient runs along shape y: bottom black, top white.
            EXPECT_EQ(v.colorBytes[0], v.texcoord[1] < 0 ? 0 : 255);
            EXPECT_FLOAT_EQ(v.banding[2], 0.5f);
        }
    }
    GeometryCapture plain(0, 4, 2);
    WriteShapeGeometry(&shape, at, kIdentity, &paint, 0, 'QUAD', &plain.buffer);
    EXPECT_EQ(plain.Vertex(0).bandLocation, 2u);
}

VorlGraphicsBuilder MakeIconFile()
{
    VorlGraphicsBuilder file;
    file.shapes.push_back(MakeShapeRecord(1, 0, 2, 1));
    file.shapes.push_back(MakeShapeRecord(0, 0, 1, 1, 4, 0));
    for (int i = 0; i < 8; ++i)
    {
        VorlMeshVertex v = {};
        v.position[0] = float(i);
        v.position[1] = float(i % 2);
        v.normal[0] = i == 7 ? 0.0f : 0.0f;
        v.normal[1] = i == 7 ? 0.0f : 2.0f;
        v.jacobianScale = 0.5f;
        v.color[0] = 255;
        v.color[3] = 128;
        v.bandLocation = 0x00010002;
        v.bandLimits = 0x08000000;
        file.vertices.push_back(v);
    }
    file.triangles.push_back({{5, 6, 7}});
    file.triangles.push_back({{0, 1, 2}});
    test::VorlIconDescription first;
    first.layers.push_back(MakeIconLayer(0, 3, 4, 0x80FF00FF));
    first.layers.push_back(MakeIconLayer(~0));
    first.meshes.push_back({5, 3, 0, 1});
    file.icons.push_back(first);
    test::VorlIconDescription second;
    second.layers.push_back(MakeIconLayer(1));
    second.layers.push_back(MakeIconLayer(~1));
    second.layers.push_back(MakeIconLayer(~0));
    second.meshes.push_back({0, 3, 1, 1});
    second.meshes.push_back({5, 3, 0, 1});
    file.icons.push_back(second);
    return file;
}

const VorlGraphicsHeader *GraphicsHeader(const std::vector<uint32_t> &image)
{
    return reinterpret_cast<const VorlGraphicsHeader *>(reinterpret_cast<const uint8_t *>(image.data()) + 80);
}

TEST(IconGeometryTest, LayersPlaceShapesAndMeshes)
{
    std::vector<uint32_t> image = MakeIconFile().Build();
    ASSERT_TRUE(ValidateVorlGraphicsFile(image.data(), image.size() * 4));
    const VorlGraphicsHeader *header = GraphicsHeader(image);
    float origin[2] = {0, 0};
    float unit[2] = {1, 1};
    for (int32_t variant = 0; variant < 4; ++variant)
    {
        int32_t vertices, triangles;
        CountIconGeometry(header, 0, 'QUAD', &vertices, &triangles);
        ASSERT_EQ(vertices, 7);
        ASSERT_EQ(triangles, 3);
        GeometryCapture capture(variant, vertices, triangles, 100);
        BuildIconGeometry(header, 0, origin, unit, 'QUAD', &capture.buffer);
        EXPECT_EQ(capture.VertexCount(), 7);
        EXPECT_EQ(capture.TriangleCount(), 3);
        EXPECT_EQ(capture.buffer.vertexIndex, 107u);
        // The shape's point (1, 0) under offset (3, 4) lands at (4, -4).
        CapturedVertex corner = capture.Vertex(0);
        EXPECT_FLOAT_EQ(corner.position[0], 4.0f);
        EXPECT_FLOAT_EQ(corner.position[1], -4.0f);
        EXPECT_EQ(corner.colorBytes[0], 55);   // sRGB 128 is linear 55
        EXPECT_EQ(corner.colorBytes[1], 255);
        EXPECT_EQ(corner.colorBytes[3], 255);
        // The mesh from vertex 5 written at index 104: triangle (5, 6, 7) turned around.
        EXPECT_EQ(capture.Triangle(2), (std::array<uint32_t, 3>{104, 106, 105}));
        CapturedVertex mesh = capture.Vertex(4);
        EXPECT_FLOAT_EQ(mesh.position[0], 5.0f);
        EXPECT_FLOAT_EQ(mesh.position[1], -1.0f);
        EXPECT_FLOAT_EQ(mesh.normal[1], -2.0f);  // flipped, length kept
        EXPECT_FLOAT_EQ(mesh.jacobian[3], -0.5f);
        EXPECT_EQ(mesh.bandLimits, 0x08000000u);
        EXPECT_NEAR(mesh.color[3], 128.0f / 255.0f, 1e-6f);
        // A zero stored normal stays zero instead of turning into NaN.
        CapturedVertex flat = capture.Vertex(6);
        EXPECT_EQ(flat.normal[0], 0.0f);
        EXPECT_EQ(flat.normal[1], 0.0f);

        // Icon 1: a shape and two meshes; icon numbers outside the file draw nothing.
        CountIconGeometry(header, 1, 'RECT', &vertices, &triangles);
        EXPECT_EQ(vertices, 3 + 3 + 3);
        EXPECT_EQ(triangles, 2);
        CountIconGeometry(header, 2, 'QUAD', &vertices, &triangles);
        EXPECT_EQ(vertices, 0);
        GeometryCapture none(variant, 0, 0);
        BuildIconGeometry(header, -1, origin, unit, 'QUAD', &none.buffer);
        EXPECT_EQ(none.buffer.vertexIndex, 0u);
    }

    // A singular layer matrix flattens the mesh: its normals are zero, never NaN.
    VorlGraphicsBuilder singular = MakeIconFile();
    singular.icons[0].layers[1].matrix[3] = 0.0f;
    singular.icons[0].layers[1].matrix[0] = 0.0f;
    std::vector<uint32_t> flatImage = singular.Build();
    GeometryCapture capture(0, 7, 3);
    BuildIconGeometry(GraphicsHeader(flatImage), 0, origin, unit, 'QUAD', &capture.buffer);
    for (int32_t i = 4; i < 7; ++i)
    {
        EXPECT_EQ(capture.Vertex(i).normal[0], 0.0f);
        EXPECT_EQ(capture.Vertex(i).normal[1], 0.0f);
    }
}

TEST(VorlGraphicsValidatorTest, RefusesWhatTheWritersCouldNotReadSafely)
{
    VorlGraphicsBuilder good = MakeIconFile();
    std::vector<uint32_t> image = good.Build();
    ASSERT_TRUE(ValidateVorlGraphicsFile(image.data(), image.size() * 4));
    EXPECT_FALSE(ValidateVorlGraphicsFile(image.data(), image.size() * 4 - 4));  // texture cut short
    EXPECT_FALSE(ValidateVorlGraphicsFile(reinterpret_cast<const uint8_t *>(image.data()) + 2, image.size() * 4 - 4));
    EXPECT_FALSE(ValidateVorlGraphicsFile(image.data(), 100));
    EXPECT_FALSE(ValidateVorlGraphicsFile(nullptr, 0));

    struct Damage
    {
        const char *name;
        void (*apply)(VorlGraphicsBuilder &);
    };
    const Damage damages[] = {
        {"shape index", [](VorlGraphicsBuilder &f) { f.icons[1].layers[0].shape = 2; }},
        {"mesh number", [](VorlGraphicsBuilder &f) { f.icons[0].layers[1].shape = ~1; }},
        {"mesh without list", [](VorlGraphicsBuilder &f) { f.icons[0].meshes.clear(); }},
        {"triangle outside its mesh", [](VorlGraphicsBuilder &f) { f.triangles[1].index[2] = 5; }},
        {"triangle below its mesh", [](VorlGraphicsBuilder &f) { f.triangles[0].index[0] = 4; }},
        {"vertex range", [](VorlGraphicsBuilder &f) { f.icons[1].meshes[0].vertexCount = 1000; }},
        {"triangle range", [](VorlGraphicsBuilder &f) { f.icons[1].meshes[0].triangleCount = 1000; }},
        {"negative first vertex", [](VorlGraphicsBuilder &f) { f.icons[1].meshes[0].firstVertex = -1; }},
        {"band data outside", [](VorlGraphicsBuilder &f) { f.shapes[1].bandColumn = 63; }},
        {"band rows", [](VorlGraphicsBuilder &f) { f.shapes[1].bandRow = 1; }},
        {"band count", [](VorlGraphicsBuilder &f) { f.shapes[0].bandCountX = 33; }},
        {"layer header", [](VorlGraphicsBuilder &f) { f.shapes[0].layerRow = 2; }},
        {"polygon word", [](VorlGraphicsBuilder &f) { f.shapes[0].polygonWord = 0x0007; }},
        {"curve texture", [](VorlGraphicsBuilder &f) { f.curveWidth = 5000; }},
    };
    for (const Damage &damage : damages)
    {
        VorlGraphicsBuilder file = MakeIconFile();
        damage.apply(file);
        std::vector<uint32_t> bad = file.Build();
        EXPECT_FALSE(ValidateVorlGraphicsFile(bad.data(), bad.size() * 4)) << damage.name;
    }

    // Offsets and counts in the headers that reach outside the file.
    struct Patch
    {
        const char *name;
        size_t offset;
        int32_t value;
    };
    const Patch patches[] = {
        {"shape count", 80, 1000000},     {"negative shape count", 80, -1}, {"shape offset", 84, 1 << 30},
        {"icon count", 88, 1000},         {"icon offset", 92, -1000},       {"vertex offset", 96, 1 << 30},
        {"triangle offset", 100, 1 << 30}, {"misaligned icons", 92, 2},      {"kind", 8, 0x746E66}};
    for (const Patch &patch : patches)
    {
        std::vector<uint32_t> bad = image;
        std::memcpy(reinterpret_cast<uint8_t *>(bad.data()) + patch.offset, &patch.value, 4);
        EXPECT_FALSE(ValidateVorlGraphicsFile(bad.data(), bad.size() * 4)) << patch.name;
    }
    // Icon record fields: layer count and offsets.
    const VorlGraphicsHeader *header = GraphicsHeader(image);
    size_t icon = 80 + size_t(header->iconRecordOffset);
    const Patch iconPatches[] = {{"layer count", icon + 36, 1 << 24}, {"negative layers", icon + 36, -2},
                                 {"layer offset", icon + 40, -4096},  {"mesh offset", icon + 44, 1 << 28}};
    for (const Patch &patch : iconPatches)
    {
        std::vector<uint32_t> bad = image;
        std::memcpy(reinterpret_cast<uint8_t *>(bad.data()) + patch.offset, &patch.value, 4);
        EXPECT_FALSE(ValidateVorlGraphicsFile(bad.data(), bad.size() * 4)) << patch.name;
    }
}

}  // namespace
}  // namespace oq
