// Stroke geometry: counting and building the vertices, triangles and curve texels of stroked
// paths, against cairo stroking the same paths into an A8 surface at the same scale.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <vector>

#include "vorl/geometry/EllipsePaths.h"
#include "vorl/geometry/StrokePath.h"

namespace {

using namespace oq;

constexpr int32_t kSurfaceSize = 1024;

std::vector<QuadraticBezier2D> MakePolyline()
{
    // 1,000 straight segments of 1 to 8 pixels along a wave across the surface, turning at every
    // point: a hand-drawn line.
    std::vector<QuadraticBezier2D> curves;
    Point2D p(12, 512);
    for (int32_t i = 0; i < 1000; ++i)
    {
        float x = 12.0f + float(i + 1);
        Point2D q(x, 512.0f + 300.0f * std::sin(x * 0.02f) + ((i & 1) ? 4.0f : -4.0f));
        curves.push_back(QuadraticBezier2D(p, q, q));
        p = q;
    }
    return curves;
}

std::vector<QuadraticBezier2D> MakeCircle()
{
    std::vector<QuadraticBezier2D> curves(12);
    AppendEllipseCurves(512, 512, 400, 400, curves.data(), 0, 11);
    return curves;
}

StrokeStyle MakeStyle(uint32_t join, uint32_t flags, bool dashed, bool longDashes = false)
{
    static const float pattern[] = {12, 8};
    static const float longPattern[] = {150, 60};
    StrokeStyle style;
    ResetStrokeStyle(&style);
    style.width = 6;
    style.join = join;
    style.miterLimit = 10;
    if (dashed)
    {
        style.dashCount = 2;
        style.dashArray = longDashes ? longPattern : pattern;
    }
    (void)flags;
    return style;
}

// Counts, then builds into memory sized once from the count.
void StrokeVorl(benchmark::State &state, const std::vector<QuadraticBezier2D> &curves, const StrokeStyle &style,
                uint32_t flags)
{
    int32_t cursor[2] = {0, 0};
    int32_t vertices, triangles;
    CountStrokeGeometry(style, flags, int32_t(curves.size()), curves.data(), 4096, 1024, cursor, &vertices, &triangles,
                        nullptr);
    std::vector<AttribStruct> vertexMemory(static_cast<size_t>(vertices));
    std::vector<VorlTriangle> triangleMemory(static_cast<size_t>(triangles));
    std::vector<uint64_t> texels(size_t(4096) * size_t(cursor[1] + 1));
    for (auto _ : state)
    {
        int32_t counted[2] = {0, 0};
        CountStrokeGeometry(style, flags, int32_t(curves.size()), curves.data(), 4096, 1024, counted, &vertices,
                            &triangles, nullptr);
        TexelBuffer texelBuffer = {texels.data(), 'HLF4', 4096, counted[1] + 1, 0, 0};
        GeometryBuffer geometry = {vertexMemory.data(), triangleMemory.data(), 0, 0, 0};
        bool built = BuildStrokeGeometry(style, flags, int32_t(curves.size()), curves.data(), &texelBuffer, &geometry,
                                         nullptr);
        benchmark::DoNotOptimize(built);
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = double(vertices);
}

void StrokeCairo(benchmark::State &state, const std::vector<QuadraticBezier2D> &curves, const StrokeStyle &style,
                 bool closed)
{
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_A8, kSurfaceSize, kSurfaceSize);
    cairo_t *cr = cairo_create(surface);
    cairo_set_line_width(cr, style.width);
    cairo_set_line_join(cr, style.join == 'ROND' ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, style.miterLimit);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    if (style.dashCount > 0)
    {
        double dashes[2] = {style.dashArray[0], style.dashArray[1]};
        cairo_set_dash(cr, dashes, 2, 0);
    }
    for (auto _ : state)
    {
        cairo_new_path(cr);
        cairo_move_to(cr, curves[0].p0.x, curves[0].p0.y);
        for (const QuadraticBezier2D &c : curves)
        {
            // The quadratic as the cubic with the same shape.
            double x1 = c.p0.x + 2.0 / 3.0 * (c.p1.x - c.p0.x), y1 = c.p0.y + 2.0 / 3.0 * (c.p1.y - c.p0.y);
            double x2 = c.p2.x + 2.0 / 3.0 * (c.p1.x - c.p2.x), y2 = c.p2.y + 2.0 / 3.0 * (c.p1.y - c.p2.y);
            if (c.p1 == c.p2)
                cairo_line_to(cr, c.p2.x, c.p2.y);
            else
                cairo_curve_to(cr, x1, y1, x2, y2, c.p2.x, c.p2.y);
        }
        if (closed) cairo_close_path(cr);
        cairo_stroke(cr);
        cairo_surface_flush(surface);
        benchmark::ClobberMemory();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

// The Miter rows compare the same joins: 'BEVL' with miter limit 10 mitres every corner below the
// limit and bevels the rest (ChooseJoinKind in vorl/geometry/StrokeJoin.cpp), as cairo's
// CAIRO_LINE_JOIN_MITER with limit 10 does. Keep cairo on MITER here; its BEVEL would bevel
// every corner.
void BM_VorlPolylineMiter(benchmark::State &state) { StrokeVorl(state, MakePolyline(), MakeStyle('BEVL', 0, false), 0); }
void BM_CairoPolylineMiter(benchmark::State &state) { StrokeCairo(state, MakePolyline(), MakeStyle('BEVL', 0, false), false); }
void BM_VorlPolylineRound(benchmark::State &state) { StrokeVorl(state, MakePolyline(), MakeStyle('ROND', 0, false), 0); }
void BM_CairoPolylineRound(benchmark::State &state) { StrokeCairo(state, MakePolyline(), MakeStyle('ROND', 0, false), false); }
void BM_VorlCircle(benchmark::State &state) { StrokeVorl(state, MakeCircle(), MakeStyle('ROND', 1, false), kStrokeClosed); }
void BM_CairoCircle(benchmark::State &state) { StrokeCairo(state, MakeCircle(), MakeStyle('ROND', 1, false), true); }
void BM_VorlCircleDashed(benchmark::State &state) { StrokeVorl(state, MakeCircle(), MakeStyle('ROND', 1, true), kStrokeClosed); }
void BM_CairoCircleDashed(benchmark::State &state) { StrokeCairo(state, MakeCircle(), MakeStyle('ROND', 1, true), true); }

// Long dashes: about as many pieces as the solid circle has curves, so the ratio to the solid
// stroke shows the dash walk's own cost.
void BM_VorlCircleLongDashes(benchmark::State &state) { StrokeVorl(state, MakeCircle(), MakeStyle('ROND', 1, true, true), kStrokeClosed); }
void BM_CairoCircleLongDashes(benchmark::State &state) { StrokeCairo(state, MakeCircle(), MakeStyle('ROND', 1, true, true), true); }

BENCHMARK(BM_VorlPolylineMiter);
BENCHMARK(BM_CairoPolylineMiter);
BENCHMARK(BM_VorlPolylineRound);
BENCHMARK(BM_CairoPolylineRound);
BENCHMARK(BM_VorlCircle);
BENCHMARK(BM_CairoCircle);
BENCHMARK(BM_VorlCircleDashed);
BENCHMARK(BM_CairoCircleDashed);
BENCHMARK(BM_VorlCircleLongDashes);
BENCHMARK(BM_CairoCircleLongDashes);

}  // namespace
