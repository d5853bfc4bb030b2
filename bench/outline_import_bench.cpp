// Outline import against FreeType: every glyph of DejaVu Sans, FreeSerif, Latin Modern Math and
// the first face of Noto Sans CJK. "FreeType" loads and decomposes each glyph unscaled; "Decode"
// runs our glyf or CFF decoder; "ReadOutlines" is the importer's outline step (decoding and the
// Ambrel Paths and Components); "ImportFile" imports the whole file (a collection: all faces).
#include "ambrel/AmbrelDocument.h"
#include "bench/FontBenchSupport.h"
#include "vorlfont/opentype/CffFont.h"
#include "vorlfont/opentype/GlyfOutline.h"

#include <benchmark/benchmark.h>

namespace oq {
namespace {

using bench::kBenchFonts;

void BM_FreeType(benchmark::State &state)
{
    bench::FreeTypeFont font(kBenchFonts[state.range(0)]);
    if (!font.IsOpen())
    {
        state.SkipWithError("font missing");
        return;
    }
    int64_t segments = 0;
    for (auto _ : state) segments += font.LoadAndDecomposeAll();
    benchmark::DoNotOptimize(segments);
    state.counters["us_per_glyph"] = benchmark::Counter(double(font.GetGlyphCount()) * 1e-6,
                                                        benchmark::Counter::kIsIterationInvariantRate |
                                                            benchmark::Counter::kInvert);
}

void BM_Decode(benchmark::State &state)
{
    std::vector<uint8_t> bytes = bench::ReadFontFile(kBenchFonts[state.range(0)]);
    FontBytes file{bytes.data(), bytes.size()};
    uint64_t face = bench::FirstFaceOffset(file);
    FontBytes glyf, loca, head, maxp, cff;
    if (FindSfntTable(file, face, 'glyf', &glyf) || FindSfntTable(file, face, 'loca', &loca) ||
        FindSfntTable(file, face, 'head', &head) || FindSfntTable(file, face, 'maxp', &maxp) ||
        FindSfntTable(file, face, 'CFF ', &cff) || !maxp.IsPresent())
    {
        state.SkipWithError("font missing");
        return;
    }
    uint32_t glyphCount = maxp.GetUInt16(4);
    float scale = 1.0f / float(head.GetUInt16(18));
    Array<GlyfPoint> points;
    Array<CubicBezier2D> segments;
    auto *font = new CffFont;
    for (auto _ : state)
    {
        if (glyf.IsPresent())
        {
            GlyfOutlineReader reader;
            if (reader.Open(glyf, loca, head.GetInt16(50), glyphCount, scale) != 0) state.SkipWithError("glyf");
            for (uint32_t g = 0; g < glyphCount; ++g)
            {
                if (reader.CountGlyfPoints(g) < 0 || reader.DecodeGlyfOutline(g, &points) < 0) state.SkipWithError("glyph");
            }
        }
        else
        {
            if (OpenCffFont(cff, glyphCount, font) != 0) state.SkipWithError("CFF");
            CffCharstringDecoder decoder(font->globalSubrs);
            for (uint32_t g = 0; g < glyphCount; ++g)
            {
                if (DecodeCffGlyph(*font, &decoder, g, &segments) != 0) state.SkipWithError("glyph");
            }
        }
    }
    delete font;
    state.counters["us_per_glyph"] =
        benchmark::Counter(double(glyphCount) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReadOutlines(benchmark::State &state)
{
    std::vector<uint8_t> bytes = bench::ReadFontFile(kBenchFonts[state.range(0)]);
    FontBytes file{bytes.data(), bytes.size()};
    uint64_t face = bench::FirstFaceOffset(file);
    uint32_t glyphCount = 0;
    for (auto _ : state)
    {
        double seconds = bench::TimeOutlineImport(file, face, &glyphCount);
        if (seconds < 0.0) state.SkipWithError("outlines");
        state.SetIterationTime(seconds < 0.0 ? 0.0 : seconds);
    }
    state.counters["us_per_glyph"] =
        benchmark::Counter(double(glyphCount) * 1e-6, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ImportFile(benchmark::State &state)
{
    std::vector<uint8_t> bytes = bench::ReadFontFile(kBenchFonts[state.range(0)]);
    for (auto _ : state)
    {
        auto *document = new AmbrelDocument;
        if (ImportOpenTypeFont(bytes.data(), bytes.size(), document) != 0) state.SkipWithError("import");
        state.PauseTiming();
        delete document;
        state.ResumeTiming();
    }
}

BENCHMARK(BM_FreeType)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadOutlines)->DenseRange(0, 3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportFile)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oq
