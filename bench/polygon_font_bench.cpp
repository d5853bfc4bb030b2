// Bounding polygons of real glyphs: ComputeBoundingPolygon over every glyph of DejaVu Sans, FreeSerif,
// Latin Modern Math and the first face of Noto Sans CJK (outlines read with FreeType, in em units).
// outline_import_bench's BM_FreeType gives FreeType's load + decompose of the same glyphs for scale.
#include "base/Bezier.h"
#include "bench/FontBenchSupport.h"
#include "vorl/geometry/BoundingPolygon.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using bench::kBenchFonts;

// Closed contours of one glyph as quadratics, in em units.
struct OutlineSink
{
    float scale = 1.0f;
    Point2D start, pen;
    bool open = false;
    std::vector<QuadraticBezier2D> curves;

    Point2D Map(const FT_Vector *v) const { return Point2D(float(v->x) * scale, float(v->y) * scale); }
    void Close()
    {
        if (open && (pen.x != start.x || pen.y != start.y)) curves.emplace_back(pen, start, start);
        open = false;
    }
};

int MoveTo(const FT_Vector *to, void *user)
{
    auto *sink = static_cast<OutlineSink *>(user);
    sink->Close();
    sink->start = sink->pen = sink->Map(to);
    sink->open = true;
    return 0;
}

int LineTo(const FT_Vector *to, void *user)
{
    auto *sink = static_cast<OutlineSink *>(user);
    Point2D p = sink->Map(to);
    sink->curves.emplace_back(sink->pen, p, p);
    sink->pen = p;
    return 0;
}

int ConicTo(const FT_Vector *control, const FT_Vector *to, void *user)
{
    auto *sink = static_cast<OutlineSink *>(user);
    Point2D p = sink->Map(to);
    sink->curves.emplace_back(sink->pen, sink->Map(control), p);
    sink->pen = p;
    return 0;
}

int CubicTo(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
{
    auto *sink = static_cast<OutlineSink *>(user);
    CubicBezier2D cubic;
    cubic.p0 = sink->pen;
    cubic.p1 = sink->Map(c1);
    cubic.p2 = sink->Map(c2);
    cubic.p3 = sink->Map(to);
    QuadraticBezier2D pieces[kMaxCubicQuadratics];
    int32_t n = ConvertCubicToQuadratics(cubic, 1.0f / 1024.0f, pieces);
    sink->curves.insert(sink->curves.end(), pieces, pieces + n);
    sink->pen = cubic.p3;
    return 0;
}

// Every glyph's curves of one font, read once.
const std::vector<std::vector<QuadraticBezier2D>> &GetGlyphs(int64_t font)
{
    static std::vector<std::vector<QuadraticBezier2D>> glyphs[4];
    static bool read[4];
    if (!read[font])
    {
        read[font] = true;
        FT_Library library;
        FT_Face face;
        if (FT_Init_FreeType(&library) != 0) return glyphs[font];
        if (FT_New_Face(library, kBenchFonts[font], 0, &face) == 0)
        {
            const FT_Outline_Funcs funcs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
            for (FT_Long g = 0; g < face->num_glyphs; ++g)
            {
                OutlineSink sink;
                sink.scale = 1.0f / float(face->units_per_EM);
                if (FT_Load_Glyph(face, FT_UInt(g), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
                    FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink) == 0)
                    sink.Close();
                glyphs[font].push_back(std::move(sink.curves));
            }
            FT_Done_Face(face);
        }
        FT_Done_FreeType(library);
    }
    return glyphs[font];
}

void SetPerGlyph(benchmark::State &state, size_t glyphs)
{
    state.counters["us_per_glyph"] = benchmark::Counter(double(glyphs) * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                                   benchmark::Counter::kInvert);
}

// Polygons of every glyph with the compiler's default edge factor; range(1) is the vertex limit.
void BM_GlyphPolygons(benchmark::State &state)
{
    const auto &glyphs = GetGlyphs(state.range(0));
    if (glyphs.empty())
    {
        state.SkipWithError("font missing");
        return;
    }
    uint16_t vertices[12];
    int64_t polygons = 0;
    for (auto _ : state)
    {
        for (const auto &curves : glyphs)
        {
            const int32_t count = int32_t(curves.size());
            const QuadraticBezier2D *list = curves.data();
            polygons += ComputeBoundingPolygon(1, &count, &list, vertices, int32_t(state.range(1)), 1.0f) != 0;
        }
    }
    benchmark::DoNotOptimize(polygons);
    SetPerGlyph(state, glyphs.size());
    state.SetLabel(std::to_string(glyphs.size()) + " glyphs, up to " + std::to_string(state.range(1)) + " vertices");
}

BENCHMARK(BM_GlyphPolygons)->ArgsProduct({{0, 1, 2, 3}, {4, 6}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oq
