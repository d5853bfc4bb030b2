// Run-time fills against cairo. Our side counts and builds each path (CountPathFill then
// BuildPathFill: curve, band and vertex data that draw at any size); cairo fills the same path,
// its quadratics raised to cubics, into an A8 surface of 64 and 512 pixels. The bounding polygon
// search is timed by vertex limit, and the fragments it saves are counted on the GPU
// (GL_SAMPLES_PASSED of the fill's 'POLY' polygon against its 'QUAD' box at 512 pixels).

#include <benchmark/benchmark.h>

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "gl/GLHarness.h"
#include "vorl/geometry/BoundingPolygon.h"
#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/PathFill.h"

namespace {

using oq::Point2D;
using Path = std::vector<oq::QuadraticBezier2D>;

// A closed wavy contour of n curves in the unit box.
Path Blob(int n)
{
    std::vector<Point2D> points;
    for (int i = 0; i < n; i++)
    {
        double a = 2 * M_PI * i / n;
        double r = 0.4 * (1 + 0.15 * std::sin(9 * a));
        points.emplace_back(float(0.5 + r * std::cos(a)), float(0.5 + r * std::sin(a)));
    }
    Path path;
    for (int i = 0; i < n; i++)
    {
        const Point2D &a = points[size_t(i)], &b = points[size_t((i + 1) % n)];
        path.emplace_back(a, Point2D((a.x + b.x) / 2 + (b.y - a.y) * 0.2f, (a.y + b.y) / 2 - (b.x - a.x) * 0.2f), b);
    }
    return path;
}

struct Shape
{
    const char *name;
    Path path;
};

const std::vector<Shape> &Shapes()
{
    static const std::vector<Shape> shapes = [] {
        std::vector<Shape> list;
        Path circle(12);
        (void)oq::AppendEllipseCurves(0.5f, 0.5f, 0.5f, 0.5f, circle.data(), 0, 11);
        list.push_back({"circle", circle});
        Path rounded(16);
        (void)oq::AppendRoundedRectCurves(0.0f, 0.2f, 1.0f, 0.8f, 0.15f, 0.15f, rounded.data());
        list.push_back({"rounded_rect", rounded});
        Path star;
        for (int i = 0; i < 5; i++)
        {
            double a0 = M_PI / 2 + i * 4 * M_PI / 5, a1 = M_PI / 2 + (i + 1) * 4 * M_PI / 5;
            Point2D p(float(0.5 + 0.5 * std::cos(a0)), float(0.5 + 0.5 * std::sin(a0)));
            Point2D q(float(0.5 + 0.5 * std::cos(a1)), float(0.5 + 0.5 * std::sin(a1)));
            star.emplace_back(p, q, q);
        }
        list.push_back({"star", star});
        list.push_back({"blob_1000", Blob(1000)});
        list.push_back({"blob_8192", Blob(8192)});
        return list;
    }();
    return shapes;
}

// Texel and geometry memory for one fill, sized once by a count.
struct FillTarget
{
    std::vector<uint16_t> curveTexels;
    std::vector<uint32_t> bandTexels;
    std::vector<oq::AttribStruct> vertices;
    std::vector<oq::VorlTriangle> triangles;
    int32_t curveRows = 0, bandRows = 0;

    FillTarget(const oq::FillStyle &style, const Path &path, const oq::PathFillSettings *settings)
    {
        int32_t curve[2] = {0, 0}, band[2] = {0, 0}, v = 0, t = 0;
        if (!oq::CountPathFill(style, int32_t(path.size()), path.data(), 4096, 4096, curve, 4096, 4096, band, &v, &t,
                               settings, nullptr))
            std::fprintf(stderr, "count failed\n");
        curveRows = curve[1] + 1;
        bandRows = band[1] + 1;
        curveTexels.resize(size_t(4096 * curveRows * 4));
        bandTexels.resize(size_t(4096 * bandRows));
        vertices.resize(size_t(v + 1));
        triangles.resize(size_t(t + 1));
    }
};

oq::FillStyle BlackFill()
{
    oq::FillStyle style;
    oq::ResetFillStyle(&style);
    return style;
}

// Count and build, as the editor does for a fill display item (the same path again each time).
void BM_PathFill(benchmark::State &state)
{
    const Shape &shape = Shapes()[size_t(state.range(0))];
    const oq::PathFillSettings settings = {16, int32_t(state.range(1)), 1.0f};
    const oq::FillStyle style = BlackFill();
    FillTarget target(style, shape.path, &settings);
    for (auto _ : state)
    {
        int32_t curve[2] = {0, 0}, band[2] = {0, 0}, v = 0, t = 0;
        bool counted = oq::CountPathFill(style, int32_t(shape.path.size()), shape.path.data(), 4096, target.curveRows,
                                         curve, 4096, target.bandRows, band, &v, &t, &settings, nullptr);
        oq::TexelBuffer curves = {target.curveTexels.data(), 'HLF4', 4096, target.curveRows, 0, 0};
        oq::TexelBuffer bands = {target.bandTexels.data(), 0, 4096, target.bandRows, 0, 0};
        oq::GeometryBuffer geometry = {target.vertices.data(), target.triangles.data(), 0, 0, 0};
        bool built = oq::BuildPathFill(style, int32_t(shape.path.size()), shape.path.data(), &curves, &bands, &geometry,
                                       &settings, nullptr);
        benchmark::DoNotOptimize(counted && built);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(shape.name) + (state.range(1) ? " polygon" : " quad"));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(shape.path.size()));
}

// Count and build as above, but of a different path each time: the path alternates with a copy
// that starts one curve later (the same shape, other bytes), so the scratch's kept polygon serves
// only the build after each count, never the next pair.
void BM_PathFillNewPath(benchmark::State &state)
{
    const Shape &shape = Shapes()[size_t(state.range(0))];
    const oq::PathFillSettings settings = {16, int32_t(state.range(1)), 1.0f};
    const oq::FillStyle style = BlackFill();
    Path turned(shape.path.begin() + 1, shape.path.end());
    turned.push_back(shape.path.front());
    const Path *paths[2] = {&shape.path, &turned};
    FillTarget target(style, shape.path, &settings);
    size_t which = 0;
    for (auto _ : state)
    {
        const Path &path = *paths[which];
        which ^= 1;
        int32_t curve[2] = {0, 0}, band[2] = {0, 0}, v = 0, t = 0;
        bool counted = oq::CountPathFill(style, int32_t(path.size()), path.data(), 4096, target.curveRows, curve, 4096,
                                         target.bandRows, band, &v, &t, &settings, nullptr);
        oq::TexelBuffer curves = {target.curveTexels.data(), 'HLF4', 4096, target.curveRows, 0, 0};
        oq::TexelBuffer bands = {target.bandTexels.data(), 0, 4096, target.bandRows, 0, 0};
        oq::GeometryBuffer geometry = {target.vertices.data(), target.triangles.data(), 0, 0, 0};
        bool built = oq::BuildPathFill(style, int32_t(path.size()), path.data(), &curves, &bands, &geometry,
                                       &settings, nullptr);
        benchmark::DoNotOptimize(counted && built);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::string(shape.name) + (state.range(1) ? " polygon" : " quad"));
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(shape.path.size()));
}

// cairo: the same path scaled to the surface, quadratics as cubics, filled into A8.
void BM_CairoFill(benchmark::State &state)
{
    const Shape &shape = Shapes()[size_t(state.range(0))];
    const int size = int(state.range(1));
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_A8, size, size);
    cairo_t *cr = cairo_create(surface);
    const double s = size;
    for (auto _ : state)
    {
        cairo_new_path(cr);
        const Point2D *previous = nullptr;
        for (const oq::QuadraticBezier2D &q : shape.path)
        {
            if (!previous || previous->x != q.p0.x || previous->y != q.p0.y)
            {
                if (previous)
                    cairo_close_path(cr);
                cairo_move_to(cr, q.p0.x * s, q.p0.y * s);
            }
            double c1x = q.p0.x + 2.0 / 3.0 * (q.p1.x - q.p0.x), c1y = q.p0.y + 2.0 / 3.0 * (q.p1.y - q.p0.y);
            double c2x = q.p2.x + 2.0 / 3.0 * (q.p1.x - q.p2.x), c2y = q.p2.y + 2.0 / 3.0 * (q.p1.y - q.p2.y);
            cairo_curve_to(cr, c1x * s, c1y * s, c2x * s, c2y * s, q.p2.x * s, q.p2.y * s);
            previous = &q.p2;
        }
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    }
    state.SetLabel(std::string(shape.name) + " " + std::to_string(size) + " px");
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(shape.path.size()));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void BM_BoundingPolygon(benchmark::State &state)
{
    const Shape &shape = Shapes()[size_t(state.range(0))];
    const int32_t count = int32_t(shape.path.size());
    const oq::QuadraticBezier2D *list = shape.path.data();
    uint16_t vertices[12];
    uint16_t word = 0;
    for (auto _ : state)
    {
        word = oq::ComputeBoundingPolygon(1, &count, &list, vertices, int32_t(state.range(1)), 1.0f);
        benchmark::DoNotOptimize(word);
    }
    state.SetLabel(std::string(shape.name) + " up to " + std::to_string(state.range(1)) + " vertices, got " +
                   std::to_string(word & 0xF));
}

// Fragments of the fill's covering polygon on the GPU at 512 x 512, 'POLY' (vertex limit in range 1)
// against the box quad, drawn with a plain program and counted with GL_SAMPLES_PASSED.
void BM_FragmentSaving(benchmark::State &state)
{
    std::string error;
    if (!oq::test::StartGL(&error))
    {
        state.SkipWithError(error.c_str());
        return;
    }
    static GLuint program = 0;
    if (!program)
    {
        const std::string vs = "#version 330 core\nlayout(location = 0) in vec2 p;\n"
                               "void main() { gl_Position = vec4(p * 2.0 - 1.0, 0.0, 1.0); }\n";
        const std::string fs = "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";
        if (!oq::test::BuildProgram(vs, fs, &program, &error))
        {
            state.SkipWithError(error.c_str());
            return;
        }
    }
    const Shape &shape = Shapes()[size_t(state.range(0))];
    oq::test::RenderTarget target(512, 512);
    target.Bind();
    glUseProgram(program);
    GLuint vao = 0, buffers[2] = {};
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(2, buffers);
    GLuint query = 0;
    glGenQueries(1, &query);

    // The fill's positions (the path lies in the unit box) and triangles for a vertex limit.
    auto samples = [&](int32_t limit, int32_t *vertexCount) {
        const oq::PathFillSettings settings = {16, limit, 1.0f};
        const oq::FillStyle style = BlackFill();
        FillTarget fill(style, shape.path, &settings);
        oq::TexelBuffer curves = {fill.curveTexels.data(), 'HLF4', 4096, fill.curveRows, 0, 0};
        oq::TexelBuffer bands = {fill.bandTexels.data(), 0, 4096, fill.bandRows, 0, 0};
        oq::GeometryBuffer geometry = {fill.vertices.data(), fill.triangles.data(), 0, 0, 0};
        if (!oq::BuildPathFill(style, int32_t(shape.path.size()), shape.path.data(), &curves, &bands, &geometry,
                               &settings, nullptr))
            return GLuint(0);
        int32_t n = int32_t(static_cast<oq::AttribStruct *>(geometry.vertexData) - fill.vertices.data());
        int32_t t = int32_t(static_cast<oq::VorlTriangle *>(geometry.triangleData) - fill.triangles.data());
        *vertexCount = n;
        std::vector<float> positions;
        for (int32_t i = 0; i < n; i++)
        {
            positions.push_back(fill.vertices[size_t(i)].position[0]);
            positions.push_back(fill.vertices[size_t(i)].position[1]);
        }
        glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(positions.size() * 4), positions.data(), GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 8, nullptr);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(t * 6), fill.triangles.data(), GL_STATIC_DRAW);
        glBeginQuery(GL_SAMPLES_PASSED, query);
        glDrawElements(GL_TRIANGLES, t * 3, GL_UNSIGNED_SHORT, nullptr);
        glEndQuery(GL_SAMPLES_PASSED);
        GLuint passed = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &passed);
        return passed;
    };
    GLuint quad = 0, poly = 0;
    int32_t quadVertices = 0, polyVertices = 0;
    for (auto _ : state)
    {
        quad = samples(0, &quadVertices);
        poly = samples(int32_t(state.range(1)), &polyVertices);
    }
    state.counters["quad_fragments"] = double(quad);
    state.counters["poly_fragments"] = double(poly);
    state.counters["saving_percent"] = quad ? 100.0 * (double(quad) - double(poly)) / double(quad) : 0.0;
    state.SetLabel(std::string(shape.name) + " " + std::to_string(polyVertices) + " vertices");
    glDeleteQueries(1, &query);
    glDeleteBuffers(2, buffers);
    glDeleteVertexArrays(1, &vao);
}

void ShapeArguments(benchmark::internal::Benchmark *b, std::vector<int64_t> second)
{
    for (int64_t shape = 0; shape < int64_t(Shapes().size()); shape++)
        for (int64_t value : second)
            b->Args({shape, value});
}

BENCHMARK(BM_PathFill)->Apply([](benchmark::internal::Benchmark *b) { ShapeArguments(b, {0, 4}); });
BENCHMARK(BM_PathFillNewPath)->Apply([](benchmark::internal::Benchmark *b) { ShapeArguments(b, {0, 4}); });
BENCHMARK(BM_CairoFill)->Apply([](benchmark::internal::Benchmark *b) { ShapeArguments(b, {64, 512}); });
BENCHMARK(BM_BoundingPolygon)->Apply([](benchmark::internal::Benchmark *b) { ShapeArguments(b, {4, 5, 6}); });
BENCHMARK(BM_FragmentSaving)->Iterations(1)->Apply([](benchmark::internal::Benchmark *b) { ShapeArguments(b, {4, 6}); });

}  // namespace
