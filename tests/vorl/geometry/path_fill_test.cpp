#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/Memory.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/PathFill.h"

namespace oq {
namespace {

QuadraticBezier2D Line(float x0, float y0, float x1, float y1)
{
    return QuadraticBezier2D(Point2D(x0, y0), Point2D(x1, y1), Point2D(x1, y1));
}

using Path = std::vector<QuadraticBezier2D>;

Path Polygon(const std::vector<Point2D> &points)
{
    Path path;
    for (size_t i = 0; i < points.size(); i++)
    {
        const Point2D &a = points[i], &b = points[(i + 1) % points.size()];
        path.push_back(Line(a.x, a.y, b.x, b.y));
    }
    return path;
}

Path Ellipse(float cx, float cy, float rx, float ry, bool reversed = false)
{
    Path path(12);
    if (reversed)
        (void)AppendEllipseCurvesReversed(cx, cy, rx, ry, path.data(), 0, 11);
    else
        (void)AppendEllipseCurves(cx, cy, rx, ry, path.data(), 0, 11);
    return path;
}

Path Join(Path a, const Path &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A closed wavy ring of n curves around (cx, cy).
Path Blob(int n, float cx, float cy, float r)
{
    std::vector<Point2D> points;
    for (int i = 0; i < n; i++)
    {
        double a = 2 * M_PI * i / n;
        double radius = r * (1 + 0.15 * std::sin(7 * a));
        points.emplace_back(float(cx + radius * std::cos(a)), float(cy + radius * std::sin(a)));
    }
    Path path;
    for (int i = 0; i < n; i++)
    {
        const Point2D &a = points[size_t(i)], &b = points[size_t((i + 1) % n)];
        Point2D mid((a.x + b.x) / 2 + (b.y - a.y) * 0.2f, (a.y + b.y) / 2 - (b.x - a.x) * 0.2f);
        path.emplace_back(a, mid, b);
    }
    return path;
}

// Many small closed triangles in a grid: count curves in contours of three.
Path TriangleGrid(int count)
{
    Path path;
    int side = int(std::sqrt(count / 3.0)) + 1;
    for (int i = 0; int(path.size()) + 3 <= count; i++)
    {
        float x = float(i % side), y = float(i / side);
        Path t = Polygon({{x, y}, {x + 0.8f, y + 0.1f}, {x + 0.3f, y + 0.9f}});
        path.insert(path.end(), t.begin(), t.end());
    }
    return path;
}

struct Fixture
{
    const char *name;
    Path path;
};

std::vector<Fixture> MakeFixtures()
{
    Path rounded(16);
    (void)AppendRoundedRectCurves(-3, 1, 17, 9, 4, 4, rounded.data());
    std::vector<Point2D> star;
    for (int i = 0; i < 5; i++)
    {
        double a = M_PI / 2 + i * 4 * M_PI / 5;
        star.emplace_back(float(30 + 20 * std::cos(a)), float(30 + 20 * std::sin(a)));
    }
    return {
        {"square", Polygon({{0, 0}, {40, 0}, {40, 40}, {0, 40}})},
        {"triangle", Polygon({{5, 5}, {45, 12}, {20, 40}})},
        {"ring", Join(Ellipse(50, 50, 40, 40), Ellipse(50, 50, 20, 20, true))},
        {"circle", Ellipse(0, 0, 25, 25)},
        {"rounded rectangle", rounded},
        {"thin slash", Polygon({{0, 0}, {0.6f, 0}, {30.6f, 40}, {30, 40}})},
        {"self-intersecting star", Polygon(star)},
        {"blob of 1000 curves", Blob(1000, 0, 0, 100)},
        {"8190 curves in contours", TriangleGrid(8192)},
    };
}

// Exact-size buffers of one fill (or several), sized by CountPathFill.
struct FillBuffers
{
    int32_t curveWidth, bandWidth;
    int32_t curveRows = 0, bandRows = 0;
    int32_t vertices = 0, triangles = 0;
    void *curveTexels = nullptr, *bandTexels = nullptr, *vertexData = nullptr, *triangleData = nullptr;
    size_t vertexSize = 68, triangleSize = 6;

    FillBuffers(int32_t curveW, int32_t bandW) : curveWidth(curveW), bandWidth(bandW) {}
    ~FillBuffers()
    {
        MemoryRelease(curveTexels);
        MemoryRelease(bandTexels);
        MemoryRelease(vertexData);
        MemoryRelease(triangleData);
    }
    void Allocate(int32_t variant, uint32_t format)
    {
        vertexSize = (variant & 2) ? 80 : 68;
        triangleSize = (variant & 1) ? 12 : 6;
        curveTexels = MemoryAllocate(size_t(curveRows * curveWidth) * (format == 'FLT4' ? 16 : 8));
        bandTexels = MemoryAllocate(size_t(bandRows * bandWidth) * 4);
        vertexData = MemoryAllocate(size_t(vertices) * vertexSize + 1);
        triangleData = MemoryAllocate(size_t(triangles) * triangleSize + 1);
    }
};

// Counts one fill on textures with unlimited rows and adds it to the buffers' totals.
bool CountInto(FillBuffers *b, const FillStyle &style, const Path &path, const PathFillSettings *settings,
               int32_t *curveCursor, int32_t *bandCursor)
{
    int32_t v = -1, t = -1;
    bool ok = CountPathFill(style, int32_t(path.size()), path.data(), b->curveWidth, 1 << 20, curveCursor,
                            b->bandWidth, 1 << 20, bandCursor, &v, &t, settings, nullptr);
    b->vertices += v;
    b->triangles += t;
    b->curveRows = curveCursor[1] + 1;
    b->bandRows = bandCursor[1] + 1;
    return ok;
}

FillStyle Style(uint32_t gradient = 0, uint32_t rule = 0)
{
    FillStyle style;
    ResetFillStyle(&style);
    style.color = {0.2f, 0.4f, 0.6f, 1.0f};
    style.gradient = gradient;
    style.rule = rule;
    style.lineA = 0.1f;
    style.lineB = 0.0f;
    style.lineC = 0.5f;
    style.centerX = 10;
    style.centerY = 10;
    style.radius = 30;
    style.gradientColor1 = {1, 0, 0, 1};
    style.gradientColor2 = {0, 0, 1, 1};
    return style;
}

TEST(PathFill, CountEqualsBuildInExactBuffersForEveryVariant)
{
    // Hexagon searches are slow on round shapes: every variant runs with quads and quadrilaterals,
    // the first one also with hexagons.
    const PathFillSettings polygons = {16, 6, 1.0f}, fewBands = {4, 4, 0.5f};
    const PathFillSettings *settingsList[] = {nullptr, &fewBands, &polygons};
    std::vector<Fixture> fixtures = MakeFixtures();
    for (int32_t variant = 0; variant < 4; variant++)
    {
        for (const PathFillSettings *settings : settingsList)
        {
            if (settings == &polygons && variant > 0)
                continue;
            SCOPED_TRACE(testing::Message() << "variant " << variant << " polygon "
                                            << (settings ? settings->polygonVertexCount : 0));
            // All fixtures into one set of buffers, alternating gradients and rules.
            uint32_t format = variant % 2 ? 'FLT4' : 'HLF4';
            FillBuffers buffers(4096, 4096);
            int32_t curveCursor[2] = {4000, 0}, bandCursor[2] = {4090, 0};
            for (size_t f = 0; f < fixtures.size(); f++)
            {
                if (std::string(fixtures[f].name).find("8190") != std::string::npos && settings == &polygons)
                    continue;
                FillStyle style = Style(f % 3 == 1 ? 'LINR' : f % 3 == 2 ? 'RADL' : 0, f % 2 ? 'EVOD' : 0);
                ASSERT_TRUE(CountInto(&buffers, style, fixtures[f].path, settings, curveCursor, bandCursor))
                    << fixtures[f].name;
            }
            buffers.Allocate(variant, format);
            TexelBuffer curves = {buffers.curveTexels, format, 4096, buffers.curveRows, 4000, 0};
            TexelBuffer bands = {buffers.bandTexels, 0, 4096, buffers.bandRows, 4090, 0};
            GeometryBuffer geometry = {buffers.vertexData, buffers.triangleData, 7, variant & 2 ? 1 : 0,
                                       variant & 1 ? 1 : 0};
            for (size_t f = 0; f < fixtures.size(); f++)
            {
                if (std::string(fixtures[f].name).find("8190") != std::string::npos && settings == &polygons)
                    continue;
                FillStyle style = Style(f % 3 == 1 ? 'LINR' : f % 3 == 2 ? 'RADL' : 0, f % 2 ? 'EVOD' : 0);
                ASSERT_TRUE(BuildPathFill(style, int32_t(fixtures[f].path.size()), fixtures[f].path.data(), &curves,
                                          &bands, &geometry, settings, nullptr))
                    << fixtures[f].name;
            }
            EXPECT_EQ(curves.cursorX, curveCursor[0]);
            EXPECT_EQ(curves.cursorY, curveCursor[1]);
            EXPECT_EQ(bands.cursorX, bandCursor[0]);
            EXPECT_EQ(bands.cursorY, bandCursor[1]);
            EXPECT_EQ(static_cast<char *>(geometry.vertexData),
                      static_cast<char *>(buffers.vertexData) + size_t(buffers.vertices) * buffers.vertexSize);
            EXPECT_EQ(static_cast<char *>(geometry.triangleData),
                      static_cast<char *>(buffers.triangleData) + size_t(buffers.triangles) * buffers.triangleSize);
            EXPECT_EQ(geometry.vertexIndex, uint32_t(7 + buffers.vertices));
        }
    }
}

template <typename Vertex>
void ExpectRectangleVertices(const Vertex *v, const ColorRGBA &color)
{
    // A 2 x 1 rectangle at (10, 20): g = 0.5, normalised box (0, 0, 1, 0.5), one band each way.
    const float positions[4][2] = {{10, 20}, {12, 20}, {10, 21}, {12, 21}};
    const float em[4][2] = {{0, 0}, {1, 0}, {0, 0.5f}, {1, 0.5f}};
    const float normals[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int i = 0; i < 4; i++)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(v[i].position[0], positions[i][0]);
        EXPECT_EQ(v[i].position[1], positions[i][1]);
        EXPECT_NEAR(v[i].position[2], normals[i][0], 1e-5f);
        EXPECT_NEAR(v[i].position[3], normals[i][1], 1e-5f);
        EXPECT_EQ(v[i].texcoord[0], em[i][0]);
        EXPECT_EQ(v[i].texcoord[1], em[i][1]);
        EXPECT_EQ(v[i].bandLocation, 5u | 3u << 16);
        EXPECT_EQ(v[i].bandLimits, 1u << 24);  // one band each way, every curve straight
        EXPECT_EQ(v[i].jacobian[0], 0.5f);
        EXPECT_EQ(v[i].jacobian[1], 0.0f);
        EXPECT_EQ(v[i].jacobian[2], 0.0f);
        EXPECT_EQ(v[i].jacobian[3], 0.5f);
        EXPECT_EQ(v[i].banding[0], 1.0f);
        EXPECT_EQ(v[i].banding[1], 2.0f);
        EXPECT_EQ(v[i].banding[2], 0.0f);
        EXPECT_EQ(v[i].banding[3], 0.0f);
        if constexpr (sizeof(Vertex) == 80)
        {
            EXPECT_EQ(std::memcmp(&v[i].color, &color, 16), 0);
        }
        else
        {
            EXPECT_EQ(v[i].color[0], 51);
            EXPECT_EQ(v[i].color[1], 102);
            EXPECT_EQ(v[i].color[2], 153);
            EXPECT_EQ(v[i].color[3], 255);
        }
    }
}

template <typename Triangle>
void ExpectQuadTriangles(const Triangle *t, uint32_t b)
{
    const uint32_t expected[2][3] = {{b, b + 2, b + 1}, {b + 1, b + 2, b + 3}};
    for (int i = 0; i < 2; i++)
        for (int k = 0; k < 3; k++)
            EXPECT_EQ(uint32_t(t[i].index[k]), expected[i][k]);
}

TEST(PathFill, RectangleVerticesAndTrianglesInEveryVariant)
{
    const Path rectangle = Polygon({{10, 20}, {12, 20}, {12, 21}, {10, 21}});
    const FillStyle style = Style();
    for (int32_t variant = 0; variant < 4; variant++)
    {
        SCOPED_TRACE(variant);
        std::vector<float> curveTexels(64 * 4 * 4), bandTexels(64 * 4);
        TexelBuffer curves = {curveTexels.data(), 'FLT4', 64, 4, 0, 0};
        TexelBuffer bands = {bandTexels.data(), 0, 64, 4, 5, 3};
        alignas(16) unsigned char vertices[4 * 80 + 16];
        alignas(16) unsigned char triangles[2 * 12 + 16];
        std::memset(vertices, 0xCD, sizeof(vertices));
        GeometryBuffer geometry = {vertices, triangles, 100, variant & 2 ? 1 : 0, variant & 1 ? 1 : 0};
        // The table entry of the variant, as BuildPathFill chooses it.
        const BuildPathFillFunction variants[4] = {BuildPathFillVariant<0>, BuildPathFillVariant<1>,
                                                   BuildPathFillVariant<2>, BuildPathFillVariant<3>};
        ASSERT_EQ(kGeometryBuilderTable.buildPathFill[GetGeometryVariant(&geometry)], variants[variant]);
        ASSERT_TRUE(BuildPathFill(style, 4, rectangle.data(), &curves, &bands, &geometry, nullptr, nullptr));
        EXPECT_EQ(geometry.vertexIndex, 104u);
        if (variant & 2)
            ExpectRectangleVertices(reinterpret_cast<const AttribStructFloat *>(vertices), style.color);
        else
            ExpectRectangleVertices(reinterpret_cast<const AttribStruct *>(vertices), style.color);
        if (variant & 1)
            ExpectQuadTriangles(reinterpret_cast<const VorlTriangle32 *>(triangles), 100);
        else
            ExpectQuadTriangles(reinterpret_cast<const VorlTriangle *>(triangles), 100);
        size_t vertexSize = variant & 2 ? 80 : 68, triangleSize = variant & 1 ? 12 : 6;
        EXPECT_EQ(geometry.vertexData, vertices + 4 * vertexSize);
        EXPECT_EQ(geometry.triangleData, triangles + 2 * triangleSize);
        EXPECT_EQ(vertices[4 * vertexSize], 0xCD);
        // A closed contour of four straight curves: five curve texels.
        EXPECT_EQ(curves.cursorX, 5);
        EXPECT_EQ(curves.cursorY, 0);
    }
}

// One fill built into float textures of the given size, with its vertices.
struct BuiltFill
{
    std::vector<float> curveTexels;
    std::vector<uint32_t> bandTexels;
    TexelBuffer curves;
    TexelBuffer bands;
    std::vector<AttribStruct> vertices;
    std::vector<VorlTriangle> triangles;
    GeometryBuffer geometry;
    bool ok;

    BuiltFill(const FillStyle &style, const Path &path, const PathFillSettings *settings = nullptr,
              int32_t width = 256, int32_t rows = 64, int32_t curveX = 0)
        : curveTexels(size_t(width * rows * 4), -9.0f), bandTexels(size_t(width * rows), 0xDEADBEEF),
          vertices(8), triangles(8)
    {
        curves = {curveTexels.data(), 'FLT4', width, rows, curveX, 0};
        bands = {bandTexels.data(), 0, width, rows, 0, 0};
        geometry = {vertices.data(), triangles.data(), 0, 0, 0};
        ok = BuildPathFill(style, int32_t(path.size()), path.data(), &curves, &bands, &geometry, settings, nullptr);
    }
    int32_t VertexCount() const { return int32_t(static_cast<AttribStruct *>(geometry.vertexData) - vertices.data()); }
    const float *CurveTexel(uint32_t column, uint32_t row) const
    {
        return &curveTexels[size_t(row * uint32_t(curves.width) + column) * 4];
    }
    uint32_t BandTexel(int64_t linear) const { return bandTexels[size_t(linear)]; }
};

TEST(PathFill, ShapeFlagsAndPaintTexels)
{
    const Path square = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    Path bent = square;
    bent[2].p1 = Point2D(2, 5);
    struct Case
    {
        const char *name;
        Path path;
        uint32_t gradient, rule;
        uint32_t flags;  // bits 24-31 of the band-limit word
    };
    const Case cases[] = {
        {"straight", square, 0, 0, 0x01},
        {"one bent curve", bent, 0, 0, 0x00},
        {"even-odd", bent, 0, 'EVOD', 0x10},
        {"linear gradient", bent, 'LINR', 0, 0x20},
        {"radial gradient", square, 'RADL', 'EVOD', 0x51},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        BuiltFill fill(Style(c.gradient, c.rule), c.path);
        ASSERT_TRUE(fill.ok);
        ASSERT_EQ(fill.VertexCount(), 4);
        uint32_t limits = fill.vertices[0].bandLimits;
        EXPECT_EQ(limits >> 24, c.flags);
        uint32_t location = fill.vertices[0].bandLocation;
        if (c.gradient)
        {
            // The paint texel just before the band data points at the three paint texels, written
            // first at the curve cursor.
            uint32_t paint = fill.BandTexel(int64_t(location & 0xFFFF) - 1);
            EXPECT_EQ(paint, 0u);
            EXPECT_EQ(fill.CurveTexel(1, 0)[0], 1.0f);  // gradient colour 1, red
            EXPECT_EQ(fill.CurveTexel(2, 0)[0], 0.0f);  // gradient colour 2, blue
            EXPECT_EQ(fill.CurveTexel(2, 0)[2], 1.0f);
            EXPECT_EQ(fill.curves.cursorX, 3 + int32_t(c.path.size()) + 1);
        }
        else
        {
            EXPECT_EQ(location, 0u);
        }
    }
}

TEST(PathFill, PaintTexelsFitTheEndOfARow)
{
    const Path square = Polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}});
    BuiltFill fill(Style('LINR'), square, nullptr, 4096, 4, 4093);
    ASSERT_TRUE(fill.ok);
    uint32_t location = fill.vertices[0].bandLocation;
    EXPECT_EQ(fill.BandTexel(int64_t(location & 0xFFFF) - 1), 4093u);
    EXPECT_EQ(fill.curves.cursorY, 1);  // the curves went to the next row
    EXPECT_EQ(fill.curves.cursorX, 5);
}

TEST(PathFill, NothingToDrawAdvancesNothing)
{
    const Path cases[] = {
        {},
        Polygon({{3, 3}, {3, 3}, {3, 3}}),          // a point
        Polygon({{0, 1}, {5, 1}, {2, 1}}),          // no height
        Polygon({{2, 0}, {2, 7}}),                  // no width
    };
    for (const Path &path : cases)
    {
        BuiltFill fill(Style('LINR'), path);
        EXPECT_TRUE(fill.ok);
        EXPECT_EQ(fill.VertexCount(), 0);
        EXPECT_EQ(fill.geometry.triangleData, fill.triangles.data());
        EXPECT_EQ(fill.curves.cursorX, 0);
        EXPECT_EQ(fill.bands.cursorX, 0);
        int32_t curveCursor[2] = {0, 0}, bandCursor[2] = {0, 0}, v = -1, t = -1;
        EXPECT_TRUE(CountPathFill(Style('LINR'), int32_t(path.size()), path.data(), 64, 4, curveCursor, 64, 4,
                                  bandCursor, &v, &t, nullptr, nullptr));
        EXPECT_EQ(v, 0);
        EXPECT_EQ(t, 0);
        EXPECT_EQ(curveCursor[0], 0);
    }
}

TEST(PathFill, TexelsThatDoNotFitFailWithoutGeometry)
{
    const Path circle = Ellipse(0, 0, 10, 10);
    struct Case
    {
        const char *name;
        int32_t width, rows, curveX;
        uint32_t gradient;
    };
    const Case cases[] = {
        {"curve rows run out", 8, 1, 0, 0},
        {"paint texels on a full last row", 64, 1, 62, 'RADL'},
        {"band rows run out", 16, 2, 0, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        BuiltFill fill(Style(c.gradient), circle, nullptr, c.width, c.rows, c.curveX);
        EXPECT_FALSE(fill.ok);
        EXPECT_EQ(fill.VertexCount(), 0);
        EXPECT_EQ(fill.geometry.vertexIndex, 0u);
        int32_t curveCursor[2] = {c.curveX, 0}, bandCursor[2] = {0, 0}, v = -1, t = -1;
        EXPECT_FALSE(CountPathFill(Style(c.gradient), 12, circle.data(), c.width, c.rows, curveCursor, c.width,
                                   c.rows, bandCursor, &v, &t, nullptr, nullptr));
        EXPECT_EQ(v, 0);
        EXPECT_EQ(curveCursor[0], fill.curves.cursorX);
        EXPECT_EQ(curveCursor[1], fill.curves.cursorY);
        EXPECT_EQ(bandCursor[1], fill.bands.cursorY);
        if (std::string(c.name) == "curve rows run out")
        {
            EXPECT_EQ(curveCursor[1], c.rows);
        }
    }
}

TEST(PathFill, LongPathsAreCutAtAContourBoundary)
{
    // 3334 triangles (10002 curves): the fill keeps the 2730 whole triangles within 8192 curves.
    Path grid = TriangleGrid(10002);
    ASSERT_EQ(grid.size(), 10002u);
    EXPECT_EQ(GetFillCurveCount(int32_t(grid.size()), grid.data()), 8190);
    Path kept(grid.begin(), grid.begin() + 8190);
    int32_t cursors[2][2][2] = {};
    int32_t counts[2][2];
    for (int k = 0; k < 2; k++)
    {
        const Path &p = k ? kept : grid;
        ASSERT_TRUE(CountPathFill(Style(), int32_t(p.size()), p.data(), 4096, 64, cursors[k][0], 4096, 4096,
                                  cursors[k][1], &counts[k][0], &counts[k][1], nullptr, nullptr));
    }
    EXPECT_EQ(std::memcmp(cursors[0], cursors[1], sizeof(cursors[0])), 0);
    EXPECT_EQ(counts[0][0], counts[1][0]);

    // One contour of 9000 curves cannot be cut: refused, nothing counted or moved.
    Path spiral = Blob(9000, 0, 0, 50);
    EXPECT_EQ(GetFillCurveCount(int32_t(spiral.size()), spiral.data()), 0);
    int32_t curveCursor[2] = {3, 1}, bandCursor[2] = {4, 2}, v = -1, t = -1;
    EXPECT_FALSE(CountPathFill(Style(), 9000, spiral.data(), 4096, 64, curveCursor, 4096, 64, bandCursor, &v, &t,
                               nullptr, nullptr));
    EXPECT_EQ(curveCursor[0], 3);
    EXPECT_EQ(bandCursor[0], 4);
    EXPECT_EQ(v, 0);
    // A path of exactly 8192 curves is used whole, whatever its contours.
    EXPECT_EQ(GetFillCurveCount(8192, spiral.data()), 8192);
}

TEST(PathFill, DryRunMovesLikeTheBuild)
{
    const Path ring = Join(Ellipse(50, 50, 40, 40), Ellipse(50, 50, 20, 20, true));
    const PathFillSettings settings = {16, 4, 1.0f};
    BuiltFill built(Style('RADL'), ring, &settings);
    ASSERT_TRUE(built.ok);
    std::vector<AttribStruct> vertices(8);
    std::vector<VorlTriangle> triangles(8);
    TexelBuffer curves = {nullptr, 'FLT4', 256, 64, 0, 0}, bands = {nullptr, 0, 256, 64, 0, 0};
    GeometryBuffer geometry = {vertices.data(), triangles.data(), 0, 0, 0};
    std::vector<unsigned char> before(reinterpret_cast<unsigned char *>(vertices.data()),
                                      reinterpret_cast<unsigned char *>(vertices.data() + 8));
    ASSERT_TRUE(kGeometryBuilderTable.buildPathFill[0](Style('RADL'), int32_t(ring.size()), ring.data(), &curves,
                                                       &bands, &geometry, &settings, nullptr, false));
    EXPECT_EQ(std::memcmp(before.data(), vertices.data(), before.size()), 0);
    EXPECT_EQ(static_cast<AttribStruct *>(geometry.vertexData) - vertices.data(), built.VertexCount());
    EXPECT_EQ(geometry.vertexIndex, built.geometry.vertexIndex);
    EXPECT_EQ(curves.cursorX, built.curves.cursorX);
    EXPECT_EQ(bands.cursorX, built.bands.cursorX);
    EXPECT_EQ(bands.cursorY, built.bands.cursorY);
}

// Crossings of the ray from (px, py) towards +x (axis 0) or +y (axis 1) with a curve, signed by
// direction; the half-open rule counts a crossing at the lower end of a curve's span only.
int RayCrossings(const double *c, double px, double py, int axis)
{
    // c: x0 y0 x1 y1 x2 y2.
    int u = axis, w = 1 - axis;  // u: along the ray, w: across it
    double p[2] = {px, py};
    double a = c[w] - 2 * c[2 + w] + c[4 + w], b = 2 * (c[2 + w] - c[w]), k = c[w] - p[w];
    double roots[2];
    int n = 0;
    if (std::fabs(a) < 1e-12)
    {
        if (std::fabs(b) > 1e-15)
            roots[n++] = -k / b;
    }
    else
    {
        double d = b * b - 4 * a * k;
        if (d >= 0)
        {
            double s = std::sqrt(d);
            roots[n++] = (-b - s) / (2 * a);
            roots[n++] = (-b + s) / (2 * a);
        }
    }
    int winding = 0;
    for (int i = 0; i < n; i++)
    {
        double t = roots[i];
        if (!(t >= 0 && t < 1))
            continue;
        double along = (1 - t) * (1 - t) * c[u] + 2 * t * (1 - t) * c[2 + u] + t * t * c[4 + u];
        double slope = 2 * a * t + b;
        if (along > p[u] && slope != 0)
            winding += slope > 0 ? 1 : -1;
    }
    return winding;
}

TEST(PathFill, EveryBandListsTheCurvesItsRaysCanMeet)
{
    // Decode the band data of each fill and check, at many points, that the winding number from the
    // curves of the point's horizontal band (ray to +x) and vertical band (ray to +y) equals the
    // winding number from all curves, and that each list is sorted so that the shader can stop at
    // the first curve wholly behind the point.
    std::vector<Fixture> fixtures = MakeFixtures();
    std::mt19937 random(11);
    for (const Fixture &f : fixtures)
    {
        if (f.path.size() > 1000)
            continue;
        SCOPED_TRACE(f.name);
        const PathFillSettings settings = {12, 0, 1.0f};
        BuiltFill fill(Style(), f.path, &settings, 4096, 64);
        ASSERT_TRUE(fill.ok);
        const AttribStruct &v0 = fill.vertices[0];
        int32_t bx = int32_t(v0.bandLimits & 0xFFFF) + 1, by = int32_t((v0.bandLimits >> 16) & 0xFF) + 1;
        int64_t location = int64_t(v0.bandLocation & 0xFFFF) + int64_t(v0.bandLocation >> 16) * 4096;
        float scaleX = v0.banding[0], scaleY = v0.banding[1];
        // All curves in normalised space, read back from the curve texture through the lists.
        auto decode = [&](int32_t band, std::vector<std::vector<double>> *out) {
            uint32_t header = fill.BandTexel(location + band);
            uint32_t count = header & 0xFFFF, offset = header >> 16;
            out->clear();
            for (uint32_t i = 0; i < count; i++)
            {
                uint32_t entry = fill.BandTexel(location + offset + i);
                const float *t0 = fill.CurveTexel(entry & 0xFFFF, entry >> 16);
                const float *t1 = t0 + 4;
                out->push_back({t0[0], t0[1], t0[2], t0[3], t1[0], t1[1]});
            }
        };
        std::vector<std::vector<double>> all, horizontal, vertical;
        for (int32_t band = 0; band < by + bx; band++)
        {
            decode(band, &horizontal);
            all.insert(all.end(), horizontal.begin(), horizontal.end());
            // Sorted by decreasing control-box max x (horizontal bands) or max y (vertical bands).
            int axis = band < by ? 0 : 1;
            for (size_t i = 1; i < horizontal.size(); i++)
            {
                auto top = [axis](const std::vector<double> &c) {
                    return std::max(c[axis], std::max(c[2 + axis], c[4 + axis]));
                };
                EXPECT_GE(top(horizontal[i - 1]), top(horizontal[i]));
            }
        }
        float width = scaleX > 0 ? bx / scaleX : 1, height = scaleY > 0 ? by / scaleY : 1;
        std::uniform_real_distribution<double> ux(-0.05, width + 0.05), uy(-0.05, height + 0.05);
        int inside = 0;
        for (int sample = 0; sample < 400; sample++)
        {
            double px = ux(random), py = uy(random);
            int hband = std::min(std::max(int(py * scaleY), 0), by - 1);
            int vband = std::min(std::max(int(px * scaleX), 0), bx - 1);
            decode(hband, &horizontal);
            decode(by + vband, &vertical);
            // Reference: every curve of the path, normalised like the fill's vertices.
            int total = 0, fromH = 0, fromV = 0, totalY = 0;
            float s = 1.0f / v0.jacobian[0];
            Point2D origin(v0.position[0] - v0.texcoord[0] * s, v0.position[1] - v0.texcoord[1] * s);
            for (const QuadraticBezier2D &q : f.path)
            {
                double c[6] = {(q.p0.x - origin.x) / s, (q.p0.y - origin.y) / s, (q.p1.x - origin.x) / s,
                               (q.p1.y - origin.y) / s, (q.p2.x - origin.x) / s, (q.p2.y - origin.y) / s};
                total += RayCrossings(c, px, py, 0);
                totalY += RayCrossings(c, px, py, 1);
            }
            for (const auto &c : horizontal)
                fromH += RayCrossings(c.data(), px, py, 0);
            for (const auto &c : vertical)
                fromV += RayCrossings(c.data(), px, py, 1);
            EXPECT_EQ(fromH, total) << px << ", " << py;
            EXPECT_EQ(fromV, totalY) << px << ", " << py;
            inside += total != 0;
        }
        EXPECT_GT(inside, 0);
    }
}

TEST(PathFill, PolygonsCoverTheShapeAndWindCounterClockwise)
{
    std::vector<Fixture> fixtures = MakeFixtures();
    for (int32_t vertexCount : {3, 4, 5})
    {
        const PathFillSettings settings = {16, vertexCount, 1.0f};
        for (const Fixture &f : fixtures)
        {
            if (f.path.size() > 1000)
                continue;
            SCOPED_TRACE(testing::Message() << f.name << " " << vertexCount);
            BuiltFill fill(Style(), f.path, &settings);
            ASSERT_TRUE(fill.ok);
            int32_t n = fill.VertexCount();
            ASSERT_GE(n, 3);
            ASSERT_LE(n, std::max(vertexCount, 4));
            // Triangles turn clockwise in y-up positions (the opposite of the glyph writer's).
            for (int32_t t = 0; t < n - 2; t++)
            {
                const VorlTriangle &tri = fill.triangles[size_t(t)];
                const float *a = fill.vertices[tri.index[0]].position, *b = fill.vertices[tri.index[1]].position,
                            *c = fill.vertices[tri.index[2]].position;
                EXPECT_LT((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]), 0.0f) << t;
            }
            // Every vertex: position = em coordinate * s + origin; normals point away from the
            // polygon's centre.
            float cx = 0, cy = 0;
            for (int32_t i = 0; i < n; i++)
            {
                cx += fill.vertices[size_t(i)].position[0] / float(n);
                cy += fill.vertices[size_t(i)].position[1] / float(n);
            }
            for (int32_t i = 0; i < n; i++)
            {
                const AttribStruct &v = fill.vertices[size_t(i)];
                float outward = (v.position[0] - cx) * v.position[2] + (v.position[1] - cy) * v.position[3];
                EXPECT_GT(outward, 0.0f) << i;
                float length = std::sqrt(v.position[2] * v.position[2] + v.position[3] * v.position[3]);
                EXPECT_GE(length, 0.99f);
                EXPECT_LT(length, 40.0f);
            }
            // Every curve point lies inside the polygon, within half-float precision (the box quad is
            // stored Q0, Q1, Q2, Q3, not around).
            const AttribStruct *v = fill.vertices.data();
            bool boxQuad = n == 4 && v[0].texcoord[0] == 0 && v[0].texcoord[1] == 0 && v[1].texcoord[1] == 0 &&
                           v[2].texcoord[0] == 0;
            for (const QuadraticBezier2D &q : f.path)
            {
                for (float t : {0.0f, 0.25f, 0.5f, 0.75f})
                {
                    float u = 1 - t;
                    float x = u * u * q.p0.x + 2 * t * u * q.p1.x + t * t * q.p2.x;
                    float y = u * u * q.p0.y + 2 * t * u * q.p1.y + t * t * q.p2.y;
                    for (int32_t i = 0; i < n; i++)
                    {
                        const float *a = fill.vertices[size_t(i)].position;
                        const float *b = fill.vertices[size_t((i + 1) % n)].position;
                        float ex = b[0] - a[0], ey = b[1] - a[1];
                        float side = (ex * (y - a[1]) - ey * (x - a[0])) / std::sqrt(ex * ex + ey * ey);
                        float scale = 1.0f / fill.vertices[0].jacobian[0];
                        if (!boxQuad)
                        {
                            EXPECT_GE(side, -2e-3f * scale);
                        }
                    }
                }
            }
        }
    }
}

// A scratch keeps the last polygon for the build after a count; any change of a search input
// (one bit of one curve, the vertex limit, the edge factor) must search again.
TEST(PathFill, KeptPolygonIsReusedOnlyForTheSameInputs)
{
    // Each pair of neighbouring steps differs in one input and, but for the repeats, in its polygon.
    Path square = Polygon({{0, 0}, {40, 0}, {40, 40}, {0, 40}});
    Path trapezoid = Polygon({{0, 0}, {40, 0}, {40, 40}, {20, 40}});  // the same first two curves
    Path slash = Polygon({{0, 0}, {0.6f, 0}, {30.6f, 40}, {30, 40}});
    Path circle = Ellipse(0, 0, 25, 25), shorter(circle.begin(), circle.end() - 1);
    shorter.back().p2 = circle.front().p0;
    const PathFillSettings three = {16, 3, 1.0f}, four = {16, 4, 1.0f}, quad = {16, 0, 1.0f},
                           cheapPentagon = {16, 5, 0.0f}, cheapHexagon = {16, 6, 0.0f},
                           dearHexagon = {16, 6, 40.0f};
    struct Step
    {
        const Path *path;
        const PathFillSettings *settings;
    };
    const Step steps[] = {{&square, &four},           {&trapezoid, &four},       {&trapezoid, &four},
                          {&slash, &four},            {&slash, &three},          {&slash, &quad},
                          {&slash, &four},            {&circle, &cheapHexagon},  {&circle, &cheapPentagon},
                          {&circle, &cheapHexagon},   {&circle, &dearHexagon},   {&shorter, &dearHexagon},
                          {&circle, &dearHexagon}};
    // Vertices and triangles of one build, as bytes.
    auto build = [](const Step &step, ShapeScratch *scratch) {
        std::vector<float> curveTexels(256 * 64 * 4);
        std::vector<uint32_t> bandTexels(256 * 64);
        std::vector<AttribStruct> vertices(8);
        std::vector<VorlTriangle> triangles(8);
        TexelBuffer curves = {curveTexels.data(), 'FLT4', 256, 64, 0, 0};
        TexelBuffer bands = {bandTexels.data(), 0, 256, 64, 0, 0};
        GeometryBuffer geometry = {vertices.data(), triangles.data(), 0, 0, 0};
        const Path &path = *step.path;
        EXPECT_TRUE(BuildPathFill(Style(), int32_t(path.size()), path.data(), &curves, &bands, &geometry,
                                  step.settings, scratch));
        std::string bytes(reinterpret_cast<const char *>(vertices.data()), vertices.size() * sizeof(AttribStruct));
        bytes.append(reinterpret_cast<const char *>(triangles.data()), triangles.size() * sizeof(VorlTriangle));
        return bytes;
    };
    std::unique_ptr<ShapeScratch> kept = std::make_unique<ShapeScratch>();
    for (size_t i = 0; i < std::size(steps); i++)
    {
        SCOPED_TRACE(testing::Message() << "step " << i);
        int32_t curve[2] = {0, 0}, band[2] = {0, 0}, v = 0, t = 0;
        const Path &path = *steps[i].path;
        ASSERT_TRUE(CountPathFill(Style(), int32_t(path.size()), path.data(), 256, 64, curve, 256, 64, band, &v, &t,
                                  steps[i].settings, kept.get()));
        std::unique_ptr<ShapeScratch> fresh = std::make_unique<ShapeScratch>();
        std::string expected = build(steps[i], fresh.get());
        EXPECT_EQ(build(steps[i], kept.get()), expected);
        EXPECT_EQ(build(steps[i], kept.get()), expected);
    }
}

}  // namespace
}  // namespace oq
