// Canvas and icon compiles into Vorl graphics files: the file layout of every case, the records of
// the edge cases, the mesh vertex limit, repeated compiles, and sinks that refuse.
#include "GraphicsCompileSupport.h"
#include "ambrel/CompileGeometry.h"
#include "support/GeometryCapture.h"
#include "support/ChildProcess.h"
#include "support/TempDirectory.h"
#include "vorl/geometry/IconGeometry.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

namespace oq {
namespace {

using test::CompiledFile;
using test::CompileKind;
using test::CompileOptions;
using test::CompileText;

uint32_t TexelSize(uint32_t format)
{
    return format == kTexelFormatFloat4 ? 16 : (format == kTexelFormatUint16x2 ? 4 : 8);
}

uint64_t Round64(uint64_t v)
{
    return (v + 63) / 64 * 64;
}

bool ZeroBytes(const CompiledFile &file, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
    {
        if (file.Bytes()[i] != 0) return false;
    }
    return true;
}

// The layout every compiled file has: header, offsets, padding, texture placement and sizes.
void ExpectFileLayout(const CompiledFile &file, bool icons)
{
    VorlFileHeader fh = file.FileHeader();
    VorlGraphicsHeader g = file.Header();
    EXPECT_EQ(fh.magic, kVorlFileMagic);
    EXPECT_EQ(fh.version, kVorlFileVersion);
    EXPECT_STREQ(fh.kind, "alb");
    EXPECT_EQ(fh.count, 1u);
    EXPECT_EQ(g.shapeRecordOffset, 112);
    for (uint32_t word : g.reserved) EXPECT_EQ(word, 0u);
    EXPECT_TRUE(ZeroBytes(file, 140, 192));
    uint64_t shapesEnd = 192 + 96 * uint64_t(g.shapeCount);
    uint64_t end = Round64(shapesEnd);
    EXPECT_TRUE(ZeroBytes(file, shapesEnd, end));
    if (!icons)
    {
        EXPECT_EQ(g.iconCount, 0);
        EXPECT_EQ(g.iconRecordOffset, 0);
    }
    else
    {
        EXPECT_EQ(uint64_t(g.iconRecordOffset) + 80, end);
        // Items and meshes follow the icons; their counts come from the icons.
        int64_t items = 0;
        int64_t meshes = 0;
        for (int32_t i = 0; i < g.iconCount; ++i)
        {
            VorlIconRecord icon = file.Icon(i);
            items += icon.layerCount;
            for (int32_t k = 0; k < icon.layerCount; ++k) meshes += file.Item(i, k).shape < 0 ? 1 : 0;
        }
        uint64_t recordsEnd = end + 64 * uint64_t(g.iconCount) + 32 * uint64_t(items) + 16 * uint64_t(meshes);
        end = Round64(recordsEnd);
        EXPECT_TRUE(ZeroBytes(file, recordsEnd, end));
        if (g.meshVertexOffset != 0)
        {
            EXPECT_EQ(uint64_t(g.meshVertexOffset) + 80, end);
            EXPECT_GT(g.meshTriangleOffset, g.meshVertexOffset);
            EXPECT_EQ((g.meshTriangleOffset - g.meshVertexOffset) % 40, 0);
            int64_t vertices = (g.meshTriangleOffset - g.meshVertexOffset) / 40;
            int64_t triangles = 0;
            for (int32_t i = 0; i < g.iconCount; ++i)
            {
                VorlIconRecord icon = file.Icon(i);
                for (int32_t k = 0; k < icon.layerCount; ++k)
                {
                    if (file.Item(i, k).shape < 0) triangles += file.Mesh(i, ~file.Item(i, k).shape).triangleCount;
                }
            }
            uint64_t meshEnd = end + 40 * uint64_t(vertices) + 6 * uint64_t(triangles);
            end = Round64(meshEnd);
            EXPECT_TRUE(ZeroBytes(file, meshEnd, end));
        }
        else
        {
            EXPECT_EQ(g.meshTriangleOffset, 0);
        }
    }
    const TextureDescriptor &curve = fh.curveTexture;
    const TextureDescriptor &band = fh.bandTexture;
    EXPECT_EQ(curve.dataOffset, end);
    uint64_t curveBytes = uint64_t(curve.width) * curve.height * TexelSize(curve.format);
    uint64_t bandBytes = uint64_t(band.width) * band.height * 4;
    uint64_t curveStored = curve.compression != 0 ? curve.compressedSize : curveBytes;
    EXPECT_EQ(band.dataOffset, curve.compression != 0 ? Round64(end + curveStored) : end + curveStored);
    if (curve.compression != 0)
    {
        EXPECT_TRUE(ZeroBytes(file, end + curveStored, band.dataOffset));
    }
    EXPECT_EQ(file.size, band.dataOffset + (band.compression != 0 ? band.compressedSize : bandBytes));
    EXPECT_EQ(band.format, kTexelFormatUint16x2);
    for (const TextureDescriptor *t : {&curve, &band})
    {
        EXPECT_GE(t->width, 1u);
        EXPECT_GE(t->height, 1u);
        EXPECT_TRUE(t->height == 1 || t->width == 4096u);
        EXPECT_TRUE(t->compression == 0 || t->compression == kTextureCompressed);
        EXPECT_TRUE(t->compression != 0 || t->compressedSize == 0u);
    }
}

// The band texel at (column, row) of an uncompressed band texture.
uint32_t BandTexel(const CompiledFile &file, uint32_t column, uint32_t row)
{
    TextureDescriptor band = file.FileHeader().bandTexture;
    EXPECT_EQ(band.compression, 0u);
    return file.Read<uint32_t>(band.dataOffset + (size_t(row) * band.width + column) * 4);
}

constexpr const char kRedSquare[] = "Rect {Fill {Color {float[3] {{1, 0, 0}}}} float[2] {{0, 0}, {4, 4}}}\n";
constexpr const char kBlueSquare[] = "Rect {Fill {Color {float[3] {{0, 0, 1}}}} float[2] {{6, 0}, {10, 4}}}\n";
constexpr const char kCanvas[] = "Canvas {Range {float[2] {{0, 20}, {0, 10}}}}\n";

std::string Layer(const std::string &content)
{
    return "Layer\n{\n" + content + "}\n";
}

TEST(GraphicsCompileTest, EdgeCasesOfTheLayout)
{
    const std::string red = kRedSquare;
    const std::string blue = kBlueSquare;
    const std::string strokedPath =
        "Path {Fill {Color {float[3] {{0, 1, 0}}}} Stroke {float {0.5}} float[2]* {Z{0, 0}, L{8, 0}, {8, 8}}}\n";
    const std::string stroke = "Line {Stroke {float {1}} float[2] {{0, 0}, {4, 4}}}\n";
    struct Case
    {
        const char *name;
        std::string text;
        CompileOptions options;
        std::function<void(const CompiledFile &)> check;
    };
    const Case cases[] = {
        {"canvas without Layers and fills", "", {CompileKind::kCanvas},
         [](const CompiledFile &f) {
             EXPECT_EQ(f.Header().shapeCount, 1);
             EXPECT_EQ(f.FileHeader().curveTexture.dataOffset, 320u);
             // No curve texel: the curve texture keeps one zero texel.
             EXPECT_EQ(f.FileHeader().curveTexture.width, 1u);
             EXPECT_EQ(f.FileHeader().curveTexture.height, 1u);
             EXPECT_EQ(f.Shape(0).flags & kShapeLayered, 0);
         }},
        {"canvas Layers red, blue, empty", std::string(kCanvas) + Layer(red) + Layer(blue) + Layer(""), {CompileKind::kCanvas},
         [](const CompiledFile &f) {
             ASSERT_EQ(f.Header().shapeCount, 3);
             // Canvas x 0..20, y 0..10: scale 1/20, y origin -5; y is not flipped.
             VorlShapeRecord s0 = f.Shape(0);
             EXPECT_FLOAT_EQ(s0.box[0], 0.0f);
             EXPECT_FLOAT_EQ(s0.box[1], 0.25f);
             EXPECT_FLOAT_EQ(s0.box[2], 0.2f);
             EXPECT_FLOAT_EQ(s0.box[3], 0.45f);
             EXPECT_FLOAT_EQ(f.Shape(1).box[0], 0.3f);
             EXPECT_EQ(f.Shape(2).box[2], 0.0f);  // built from no curves
             EXPECT_EQ(f.FileHeader().curveTexture.dataOffset, 192u + 320u);
         }},
        {"canvas runs red, blue, red", Layer(red + blue + red), {CompileKind::kCanvas},
         [](const CompiledFile &f) {
             VorlShapeRecord s = f.Shape(0);
             EXPECT_EQ(s.flags & kShapeLayered, kShapeLayered);
             EXPECT_EQ(BandTexel(f, s.layerColumn, s.layerRow), 3u);
             // Colours as linear bytes (G << 8 | R, A << 8 | B) with alpha 0: red, blue, red.
             EXPECT_EQ(BandTexel(f, s.layerColumn + 2, s.layerRow), 0x000000FFu);
             EXPECT_EQ(BandTexel(f, s.layerColumn + 4, s.layerRow), 0x00FF0000u);
             EXPECT_EQ(BandTexel(f, s.layerColumn + 6, s.layerRow), 0x000000FFu);
         }},
        {"canvas runs red, red, blue", Layer(red + red + blue), {CompileKind::kCanvas},
         [](const CompiledFile &f) {
             VorlShapeRecord s = f.Shape(0);
             EXPECT_EQ(s.flags & kShapeLayered, kShapeLayered);
             EXPECT_EQ(BandTexel(f, s.layerColumn, s.layerRow), 2u);
         }},
        {"canvas one colour, compressed", Layer(red + red), {CompileKind::kCanvas, false, true},
         [](const CompiledFile &f) {
             VorlShapeRecord s = f.Shape(0);
             EXPECT_EQ(s.flags & kShapeLayered, 0);
             EXPECT_EQ(f.FileHeader().curveTexture.compression, kTextureCompressed);
         }},
        {"icon fill and stroke of one path", strokedPath, {},
         [](const CompiledFile &f) {
             ASSERT_EQ(f.Header().iconCount, 1);
             VorlIconRecord icon = f.Icon(0);
             EXPECT_EQ(icon.layerCount, 2);
             EXPECT_EQ(icon.layerOffset, 64);
             EXPECT_EQ(icon.meshOffset, 64 + 32 * 2);
             EXPECT_EQ(icon.flags, 1u | 2u);
             EXPECT_EQ(f.Item(0, 0).shape, 0);
             EXPECT_EQ(f.Item(0, 1).shape, -1);
             EXPECT_EQ(f.Item(0, 0).matrix[0], 8.0f);
             EXPECT_EQ(f.Item(0, 0).matrix[1], 0.0f);
             EXPECT_EQ(f.Item(0, 0).matrix[3], 8.0f);
             EXPECT_EQ(f.Item(0, 0).color[1], 255);
             EXPECT_EQ(f.Item(0, 1).color[3], 255);
             EXPECT_EQ(icon.bounds[2], 8.0f);
             EXPECT_EQ(f.Mesh(0, 0).firstVertex, 0);
             EXPECT_GT(f.Mesh(0, 0).vertexCount, 0);
         }},
        {"icon Layers: filled, empty, stroked",
         std::string(kCanvas) + Layer(red + blue) + Layer("") + Layer(stroke + stroke), {},
         [](const CompiledFile &f) {
             ASSERT_EQ(f.Header().iconCount, 3);
             EXPECT_EQ(f.Icon(0).layerOffset, 64 * 3);
             EXPECT_EQ(f.Icon(0).meshOffset, 0);
             EXPECT_EQ(f.Icon(0).range[2], 20.0f);
             EXPECT_EQ(f.Icon(0).range[3], 10.0f);
             EXPECT_EQ(f.Icon(0).bounds[2], 10.0f);
             VorlIconRecord empty = f.Icon(1);
             const auto *bytes = reinterpret_cast<const uint8_t *>(&empty);
             EXPECT_TRUE(std::all_of(bytes, bytes + 64, [](uint8_t b) { return b == 0; }));
             VorlIconRecord third = f.Icon(2);
             EXPECT_EQ(third.layerOffset, 64 + 32 * 2);
             EXPECT_EQ(third.meshOffset, 64 + 32 * 4);
             EXPECT_EQ(f.Item(2, 0).shape, -1);
             EXPECT_EQ(f.Item(2, 1).shape, -2);
             EXPECT_EQ(f.Mesh(2, 1).firstVertex, f.Mesh(2, 0).vertexCount);
             EXPECT_EQ(f.Icon(2).flags, 2u);
         }},
        {"icon of strokes only, float texels", stroke, {CompileKind::kIcon, true, false},
         [](const CompiledFile &f) {
             EXPECT_EQ(f.Header().shapeCount, 0);
             EXPECT_EQ(f.FileHeader().bandTexture.width, 1u);
             EXPECT_EQ(f.FileHeader().curveTexture.format, kTexelFormatFloat4);
             EXPECT_EQ(f.Header().iconRecordOffset, 112);
         }},
        {"group opacities multiply, the path's own too",
         "Group {Opacity {float {0.5}} Group {Opacity {float {0.5}}\n"
         "Line {Stroke {Color {float[4] {{1, 1, 1, 1}}}} float[2] {{0, 0}, {4, 4}}}\n"
         "Rect {Opacity {float {0.5}} Fill {Color {float[4] {{1, 1, 1, 0.8}}}} float[2] {{0, 0}, {4, 4}}}}}\n", {},
         [](const CompiledFile &f) {
             EXPECT_EQ(f.Item(0, 0).color[3], 64);  // 0.25 x 255 + 0.5
             EXPECT_EQ(f.Item(0, 1).color[3], 26);  // 0.125 x 0.8 x 255 + 0.5
             EXPECT_EQ(f.Item(0, 1).color[0], 255);
         }},
        {"colours clamp before the byte conversion",
         "Rect {Opacity {float {-1}} Fill {Color {float[4] {{2, -1, 0.5, 1}}}} float[2] {{0, 0}, {4, 4}}}\n"
         "Line {Stroke {Color {float[4] {{-3, 7, 0, 4}}}} float[2] {{0, 0}, {4, 4}}}\n", {},
         [](const CompiledFile &f) {
             VorlIconLayer fill = f.Item(0, 0);
             EXPECT_EQ(fill.color[0], 255);
             EXPECT_EQ(fill.color[1], 0);
             EXPECT_EQ(fill.color[2], 188);
             EXPECT_EQ(fill.color[3], 0);  // a negative opacity gives alpha 0, not a wrapped byte
             VorlIconLayer line = f.Item(0, 1);
             EXPECT_EQ(line.color[0], 0);
             EXPECT_EQ(line.color[1], 255);
             EXPECT_EQ(line.color[3], 255);
         }},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CompiledFile file = CompileText(c.text.c_str(), c.options);
        ASSERT_EQ(test::FourCC(file.result), test::FourCC(0));
        ExpectFileLayout(file, c.options.kind == CompileKind::kIcon);
        c.check(file);
    }
}

TEST(GraphicsCompileTest, HeaderStartReplacesMagicVersionAndKind)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(kRedSquare), 0u);
    VorlHeaderStart start = {'test', 7, {'a', 'l', 'b', 0}};
    CompiledFile file = test::CompileDocument(&document, {CompileKind::kCanvas}, &start);
    ASSERT_EQ(file.result, 0u);
    EXPECT_EQ(file.FileHeader().magic, uint32_t('test'));
    EXPECT_EQ(file.FileHeader().version, 7u);
    EXPECT_EQ(file.FileHeader().count, 1u);
}

// A stroke whose contour collapses to a point has a mesh without vertices; the icon still names
// its mesh records, so the icon writer never reads the icon record as a mesh.
TEST(GraphicsCompileTest, ZeroVertexStrokeKeepsItsMeshOffset)
{
    std::string text = "Line {Stroke {float {1}} float[2] {{5, 5}, {5, 5}}}\n" + std::string(kRedSquare);
    CompiledFile file = CompileText(text.c_str(), {});
    ASSERT_EQ(file.result, 0u);
    VorlIconRecord icon = file.Icon(0);
    ASSERT_EQ(icon.layerCount, 2);
    EXPECT_EQ(icon.meshOffset, 64 + 32 * 2);
    EXPECT_EQ(file.Item(0, 0).shape, -1);
    VorlIconMesh mesh = file.Mesh(0, 0);
    EXPECT_EQ(mesh.vertexCount, 0);
    EXPECT_EQ(mesh.triangleCount, 0);
    EXPECT_EQ(file.Header().meshVertexOffset, 0);

    const auto *header = reinterpret_cast<const VorlGraphicsHeader *>(file.Bytes() + 80);
    int32_t vertices = -1;
    int32_t triangles = -1;
    CountIconGeometry(header, 0, 'QUAD', &vertices, &triangles);
    EXPECT_EQ(vertices, 4);
    EXPECT_EQ(triangles, 2);
    test::GeometryCapture capture(0, vertices, triangles);
    float position[2] = {0, 0};
    float scale[2] = {1, 1};
    BuildIconGeometry(header, 0, position, scale, 'QUAD', &capture.buffer);
    EXPECT_EQ(capture.VertexCount(), 4);
    EXPECT_TRUE(capture.CursorsInside());
}

// A text of k mitred lines (11 vertices each) and one path of n single segments (4 each).
std::string ManyStrokes(int32_t mitred, int32_t segments)
{
    std::string text;
    for (int32_t i = 0; i < mitred; ++i) text += "Line {Stroke (join = \"miter\") {float {0.1}} float[2] {{0, 0}, {1, 0}, {0, 0.5}}}\n";
    // Segments of length 1 stacked in a box of 1 by 0.8 (points closer than 2^-11 are not stroked).
    text += "Path {Stroke {float {0.01}}\n";
    for (int32_t i = 0; i < segments; ++i)
    {
        std::string y = std::to_string(i * 0.00005);
        text += "float[2]* {M{0, " + y + "}, L{1, " + y + "}}\n";
    }
    return text + "}\n";
}

TEST(GraphicsCompileTest, MeshVerticesStopAt65536)
{
    struct Case
    {
        int32_t mitred;
        int32_t segments;
        int32_t vertices;
        uint32_t result;
    };
    const Case cases[] = {{4, 16373, 65536, 0}, {3, 16376, 65537, 'SIZE'}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.vertices);
        CompiledFile file = CompileText(ManyStrokes(c.mitred, c.segments).c_str(), {});
        EXPECT_EQ(test::FourCC(file.result), test::FourCC(c.result));
        if (c.result != 0)
        {
            EXPECT_EQ(file.size, 0u);  // refused before anything is written
            continue;
        }
        VorlGraphicsHeader g = file.Header();
        EXPECT_EQ((g.meshTriangleOffset - g.meshVertexOffset) / 40, c.vertices);
        // The last mesh ends at the last vertex, and its triangles name it.
        VorlIconMesh last = file.Mesh(0, c.mitred);
        EXPECT_EQ(last.firstVertex + last.vertexCount, c.vertices);
        VorlMeshTriangle triangle = file.Read<VorlMeshTriangle>(80 + size_t(g.meshTriangleOffset) +
                                                                6 * size_t(last.firstTriangle + last.triangleCount - 1));
        EXPECT_EQ(*std::max_element(triangle.index, triangle.index + 3), 65535);
    }
}

TEST(GraphicsCompileTest, TwoCompilesGiveIdenticalFilesAndLeaveTheDocumentAlone)
{
    const std::string text = std::string(kCanvas) +
                             Layer("Group {Opacity {float {0.5}}\n"
                                   "Circle {Fill {Gradient {float[3] {{0.1, 0, 0}} Color {float[3] {{1, 1, 1}, {0, 0, 0}}}}}\n"
                                   "Stroke {float {0.5} Dash {float[2] {{1, 0.5}}}} Radius {float {3}} float[2] {{5, 5}}}}\n") +
                             Layer(kRedSquare);
    const CompileOptions options[] = {{CompileKind::kCanvas}, {CompileKind::kIcon}, {CompileKind::kIcon, true, true}};
    for (const CompileOptions &o : options)
    {
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        std::string before = test::WriteDocumentText(&document);
        CompiledFile first = test::CompileDocument(&document, o);
        CompiledFile second = test::CompileDocument(&document, o);
        ASSERT_EQ(first.result, 0u);
        ASSERT_EQ(second.result, 0u);
        EXPECT_TRUE(first.words == second.words);
        EXPECT_EQ(test::WriteDocumentText(&document), before);
        AmbrelDocument fresh;
        ASSERT_EQ(fresh.ParseAndResolve(text.c_str()), 0u);
        test::ExpectSameResolvedState(&document, &fresh);
    }
}

// Points around a circle (a polygon) or along a zigzag (a polyline), as a float[2] list.
std::string PointList(int32_t count, bool circle)
{
    std::string text = "float[2] {";
    for (int32_t i = 0; i < count; ++i)
    {
        double x = circle ? 8.0 + 6.0 * std::cos(i * 2.0 * M_PI / count) : i * 0.01;
        double y = circle ? 8.0 + 6.0 * std::sin(i * 2.0 * M_PI / count) : (i & 1) * 0.5;
        text += std::string(i ? ", " : "") + "{" + std::to_string(x) + ", " + std::to_string(y) + "}";
    }
    return text + "}";
}

// Textures whose rows run out: the compile reports 'SIZE' and writes nothing.
TEST(GraphicsCompileTest, FullTexturesGiveSize)
{
    const std::string polygon = "Polygon {Fill {} " + PointList(5000, true) + "}\n";
    const std::string polyline = "Line {Stroke {float {0.05}} " + PointList(1000, false) + "}\n";
    struct Case
    {
        const char *name;
        const std::string &text;
        CompileKind kind;
        CompileTextureRows rows;
        uint32_t result;
    };
    const Case cases[] = {
        {"canvas fill, curve rows", polygon, CompileKind::kCanvas, {1, 8192}, 'SIZE'},
        {"canvas fill, band rows", polygon, CompileKind::kCanvas, {2048, 1}, 'SIZE'},
        {"canvas fill fits", polygon, CompileKind::kCanvas, {3, 8}, 0},
        {"icon fill, curve rows", polygon, CompileKind::kIcon, {1, 8192}, 'SIZE'},
        {"icon fill, band rows", polygon, CompileKind::kIcon, {2048, 1}, 'SIZE'},
        {"icon stroke, curve rows", polyline, CompileKind::kIcon, {1, 1}, 'SIZE'},
        {"icon stroke fits", polyline, CompileKind::kIcon, {4, 1}, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(c.text.c_str()), 0u);
        std::string bytes;
        OutputSink sink(test::AppendBytes, &bytes);
        uint32_t result = (c.kind == CompileKind::kCanvas)
                              ? CompileCanvasFile(&document, &sink, nullptr, false, nullptr, nullptr, c.rows)
                              : CompileIconFile(&document, &sink, nullptr, false, false, nullptr, nullptr, nullptr, c.rows);
        EXPECT_EQ(test::FourCC(result), test::FourCC(c.result));
        if (c.result != 0)
        {
            EXPECT_TRUE(bytes.empty());
            continue;
        }
        std::vector<uint32_t> image((bytes.size() + 3) / 4);
        std::memcpy(image.data(), bytes.data(), bytes.size());
        EXPECT_TRUE(ValidateVorlGraphicsFile(image.data(), bytes.size()));
    }
}

// Counts the callback's calls and refuses the one with the given number.
struct RefusingSink
{
    int32_t calls = 0;
    int32_t refused = -1;

    static bool Callback(const void *, uint32_t count, void *user)
    {
        auto *sink = static_cast<RefusingSink *>(user);
        EXPECT_NE(count, 0u);
        return sink->calls++ != sink->refused;
    }
};

TEST(GraphicsCompileTest, RefusedBlockGivesWritAndEndsTheOutput)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve("Path {Fill {} Stroke {} float[2]* {Z{0, 0}, L{8, 0}, {8, 8}}}"), 0u);
    for (bool compress : {false, true})
    {
        RefusingSink counter;
        OutputSink all(RefusingSink::Callback, &counter);
        ASSERT_EQ(BuildIconVorlFile(&document, &all, nullptr, false, compress, nullptr, nullptr), 0u);
        // Header, graphics header, padding, shapes, padding, icons, items, meshes, padding,
        // vertices, triangles, padding, curve data (+ padding when compressed), band data.
        EXPECT_EQ(counter.calls, compress ? 15 : 14);
        for (int32_t refused = 0; refused < counter.calls; ++refused)
        {
            SCOPED_TRACE(refused);
            RefusingSink sink;
            sink.refused = refused;
            OutputSink output(RefusingSink::Callback, &sink);
            EXPECT_EQ(test::FourCC(BuildIconVorlFile(&document, &output, nullptr, false, compress, nullptr, nullptr)), "WRIT");
            EXPECT_EQ(sink.calls, refused + 1);
        }
    }
}

TEST(GraphicsCompileTest, FileSinkWritesTheFileAndReportsFailures)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(kRedSquare), 0u);
    CompiledFile memory = test::CompileDocument(&document, {CompileKind::kIcon});
    ASSERT_EQ(memory.result, 0u);

    test::TempDirectory folder;
    std::string name = folder.File("icons.alb");
    FileSink file;
    ASSERT_EQ(file.Create(name.c_str()), kFileOkay);
    OutputSink sink(FileSink::Callback, &file);
    EXPECT_EQ(BuildIconVorlFile(&document, &sink, nullptr, false, false, nullptr, nullptr), 0u);
    EXPECT_EQ(file.Close(), kFileOkay);
    std::ifstream in(name, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    ASSERT_EQ(bytes.str().size(), memory.size);
    EXPECT_EQ(std::memcmp(bytes.str().data(), memory.Bytes(), memory.size), 0);

    // A file that cannot grow refuses the first block: nothing further is handed over.
    std::string fullName = folder.File("full.alb");
    int child = test::RunWithFileSizeLimit(0, [&] {
        FileSink full;
        if (full.Create(fullName.c_str()) != kFileOkay) return 1;
        OutputSink fullSink(FileSink::Callback, &full);
        EXPECT_EQ(test::FourCC(BuildIconVorlFile(&document, &fullSink, nullptr, false, false, nullptr, nullptr)), "WRIT");
        EXPECT_EQ(full.Close(), kFileDiskFull);
        return ::testing::Test::HasFailure() ? 2 : 0;
    });
    EXPECT_EQ(child, 0);
    EXPECT_EQ(std::filesystem::file_size(fullName), 0u);
}

}  // namespace
}  // namespace oq
