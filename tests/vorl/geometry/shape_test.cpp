#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "base/Half.h"
#include "support/GeometryCapture.h"
#include "support/VorlGraphicsBuilder.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/ShapeData.h"
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
        // Without triangle memory: vertices only, the index still advances (the polygon too).
        for (uint32_t type : {uint32_t('QUAD'), uint32_t('POLY')})
        {
            GeometryCapture capture(variant, 5, 0, 0);
            capture.buffer.triangleData = nullptr;
            WriteShapeGeometry(&shape, at, kIdentity, &paint, 0, type, &capture.buffer);
            EXPECT_EQ(capture.VertexCount(), type == 'QUAD' ? 4 : 5);
            EXPECT_EQ(capture.buffer.triangleData, nullptr);
            EXPECT_EQ(capture.buffer.vertexIndex, type == 'QUAD' ? 4u : 5u);
        }
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
        // Without triangle memory shapes and meshes write their vertices only.
        GeometryCapture untriangled(variant, 7, 0);
        untriangled.buffer.triangleData = nullptr;
        BuildIconGeometry(header, 0, origin, unit, 'QUAD', &untriangled.buffer);
        EXPECT_EQ(untriangled.VertexCount(), 7);
        EXPECT_EQ(untriangled.buffer.triangleData, nullptr);
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

// Texel memory of both textures of a shape build (half-float curves, 64 texels wide).
struct ShapeTextures
{
    explicit ShapeTextures(int32_t bandWidth = 64, int32_t rows = 4, bool storage = true)
        : curve(size_t(64) * rows * 2), band(size_t(bandWidth) * rows)
    {
        curveTexels = {storage ? curve.data() : nullptr, 'HLF4', 64, rows, 0, 0};
        bandTexels = {storage ? band.data() : nullptr, '16U2', bandWidth, rows, 0, 0};
    }
    // Band texel (x, y) as its two 16-bit values.
    std::array<uint32_t, 2> Band(int32_t x, int32_t y) const
    {
        uint32_t t = band[size_t(y) * size_t(bandTexels.width) + size_t(x)];
        return {t & 0xFFFF, t >> 16};
    }
    std::vector<uint64_t> curve;
    std::vector<uint32_t> band;
    TexelBuffer curveTexels;
    TexelBuffer bandTexels;
};

std::vector<QuadraticBezier2D> SquareCurves(float x0, float y0, float x1, float y1)
{
    auto line = [](float ax, float ay, float bx, float by) {
        return QuadraticBezier2D(Point2D(ax, ay), Point2D(bx, by), Point2D(bx, by));
    };
    return {line(x0, y0, x1, y0), line(x1, y0, x1, y1), line(x1, y1, x0, y1), line(x0, y1, x0, y0)};
}

TEST(ShapeDataTest, OneLayerHeaderRecordAndCountingPass)
{
    std::vector<QuadraticBezier2D> square = SquareCurves(1, 2, 3, 5);
    ShapeTextures textures;
    VorlShapeRecord record = {};
    ASSERT_TRUE(BuildShapeData(4, square.data(), &textures.curveTexels, &textures.bandTexels, &record, 4, 1.0f, 8,
                               nullptr));
    EXPECT_EQ(textures.Band(0, 0), (std::array<uint32_t, 2>{1, 0}));
    EXPECT_EQ(textures.Band(1, 0), (std::array<uint32_t, 2>{record.bandColumn, record.bandRow}));
    EXPECT_EQ(textures.Band(2, 0), (std::array<uint32_t, 2>{0, 0xFF00}));
    EXPECT_EQ(record.bandColumn, 3);
    EXPECT_EQ(record.layerColumn, 0);
    EXPECT_EQ(record.flags, kShapeAllStraight);
    EXPECT_EQ(record.box[0], 1.0f);
    EXPECT_EQ(record.box[3], 5.0f);
    EXPECT_FLOAT_EQ(record.bandScale[0], float(record.bandCountX) / 2.0f);
    EXPECT_GT(textures.curveTexels.cursorX, 0);
    EXPECT_GT(textures.bandTexels.cursorX, 3);

    // Counting: no texel memory, the same cursors and record.
    ShapeTextures counting(64, 4, false);
    VorlShapeRecord counted = {};
    ASSERT_TRUE(BuildShapeData(4, square.data(), &counting.curveTexels, &counting.bandTexels, &counted, 4, 1.0f, 8,
                               nullptr));
    EXPECT_EQ(std::memcmp(&counted, &record, sizeof(record)), 0);
    EXPECT_EQ(counting.curveTexels.cursorX, textures.curveTexels.cursorX);
    EXPECT_EQ(counting.bandTexels.cursorX, textures.bandTexels.cursorX);

    // A header that does not fit: false, both cursors where they were.
    ShapeTextures narrow(2, 1);
    VorlShapeRecord none = {};
    EXPECT_FALSE(BuildShapeData(4, square.data(), &narrow.curveTexels, &narrow.bandTexels, &none, 4, 1.0f, 8, nullptr));
    EXPECT_EQ(narrow.curveTexels.cursorX, 0);
    EXPECT_EQ(narrow.bandTexels.cursorX, 0);
    ShapeTextures full(64, 1);
    full.bandTexels.cursorX = 62;
    EXPECT_FALSE(BuildShapeData(4, square.data(), &full.curveTexels, &full.bandTexels, &none, 4, 1.0f, 8, nullptr));
    EXPECT_EQ(full.bandTexels.cursorX, 62);
    EXPECT_EQ(full.bandTexels.cursorY, 0);
}

TEST(ShapeDataTest, LayersAndFillStyles)
{
    std::vector<QuadraticBezier2D> inner = SquareCurves(1, 1, 2, 2);
    std::vector<QuadraticBezier2D> outer = SquareCurves(0, 0, 3, 3);
    outer[0].p1 = Point2D(1.5f, -1);  // one bent curve
    const uint8_t colors[2][4] = {{128, 0, 255, 200}, {255, 255, 255, 255}};
    const int32_t counts[2] = {4, 4};
    const QuadraticBezier2D *lists[2] = {outer.data(), inner.data()};
    ShapeTextures textures;
    VorlShapeRecord record = {};
    ASSERT_TRUE(BuildLayeredShapeData(2, colors, counts, lists, &textures.curveTexels, &textures.bandTexels, &record,
                                      4, 1.0f, 8, nullptr));
    EXPECT_EQ(textures.Band(0, 0), (std::array<uint32_t, 2>{2, 0}));
    EXPECT_EQ(textures.Band(1, 0), (std::array<uint32_t, 2>{record.bandColumn, record.bandRow}));
    EXPECT_EQ(textures.Band(2, 0)[0] & 0xFF, 55u);   // sRGB 128 is linear 55
    EXPECT_EQ(textures.Band(2, 0)[1], 200u << 8 | 255u);
    EXPECT_EQ(record.bandColumn, 5);
    EXPECT_EQ(record.flags, kShapeLayered);           // not all straight
    EXPECT_EQ(record.box[2], 3.0f);
    EXPECT_EQ(record.box[1], -0.5f);
    EXPECT_EQ(SrgbByteToLinearByte(128), 55);
    EXPECT_EQ(SrgbByteToLinearByte(255), 255);

    // No layers: refused without reading the arrays.
    VorlShapeRecord none = {};
    EXPECT_FALSE(BuildLayeredShapeData(0, nullptr, nullptr, nullptr, &textures.curveTexels, &textures.bandTexels,
                                       &none, 4, 1.0f, 8, nullptr));

    // A fill style: even-odd flag, gradient type, the paint texel before the band data.
    FillStyle style;
    ResetFillStyle(&style);
    style.rule = kFillRuleEvenOdd;
    style.gradient = kGradientLinear;
    style.lineA = 1;
    ShapeTextures filled;
    VorlShapeRecord fill = {};
    ASSERT_TRUE(style.BuildShapeData(4, inner.data(), &filled.curveTexels, &filled.bandTexels, &fill, 0, 1.0f, 8,
                                     nullptr));
    EXPECT_EQ(fill.flags, kShapeAllStraight | kShapeEvenOdd);
    EXPECT_EQ(fill.gradientType, 1);
    EXPECT_EQ(fill.layerColumn, 0);
    EXPECT_EQ(fill.polygonWord, 0);
    EXPECT_EQ(fill.bandColumn, 1);
    EXPECT_EQ(filled.Band(0, 0), (std::array<uint32_t, 2>{0, 0}));  // paint texels at curve texel (0, 0)
}

}  // namespace
}  // namespace oq
