// Bounding polygons of real glyphs: ComputeBoundingPolygon over every glyph of DejaVu Sans, FreeSerif,
// Latin Modern Math and the first face of Noto Sans CJK (outlines read with FreeType, in em units).
// outline_import_bench's BM_FreeType gives FreeType's load + decompose of the same glyphs for scale.
#include "base/Bezier.h"
#include "bench/FontBenchSupport.h"
#include "support/GlyphQuadratics.h"
#include "vorl/geometry/BoundingPolygon.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace oq {
namespace {

using bench::kBenchFonts;

// Every glyph's curves of one font, read once.
const std::vector<std::vector<QuadraticBezier2D>> &GetGlyphs(int64_t font)
{
    static std::vector<std::vector<QuadraticBezier2D>> glyphs[4];
    static bool read[4];
    if (!read[font])
    {
        read[font] = true;
        glyphs[font] = test::ReadGlyphQuadratics(kBenchFonts[font]);
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

BENCHMARK(BM_GlyphPolygons)->ArgsProduct({{0, 1, 2, 3}, {4, 5, 6}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oq
