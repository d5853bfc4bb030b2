// Font compile stages on a generated Ambrel font of 400 glyphs (circles, polygons, rectangles and
// single references): glyph textures alone, with bounding polygons, with the outline records,
// texture compression, and the whole compile through the pipeline.

#include <benchmark/benchmark.h>

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "base/Compression.h"
#include "vorl/text/OutputSink.h"
#include "vorl/text/VorlFileHeader.h"
#include "vorlfont/compiler/FontCompiler.h"
#include "vorlfont/compiler/GlyphTextureBuild.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace oq {
namespace {

constexpr int32_t kGlyphCount = 400;

std::string MakeFontText()
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> u(0.05f, 0.75f);
    std::string text = "Font (glyph_count = " + std::to_string(kGlyphCount) + ")\n{\nCharMap (char = 0x4E00) {uint16 {";
    for (int32_t g = 1; g < kGlyphCount; ++g) text += std::to_string(g) + (g + 1 < kGlyphCount ? ", " : "}}\n");
    for (int32_t g = 0; g < kGlyphCount; ++g)
    {
        text += "Glyph (index = " + std::to_string(g) + ") {Advance {float {0.8}}\n";
        if (g % 10 == 9)
        {
            text += "Component {Translation {float[2] {{0.05, 0}}} uint32 {" + std::to_string(g - 1) + "}}\n";
        }
        else
        {
            for (int32_t k = 0; k < 1 + g % 3; ++k)
                text += "Circle {Radius {float {0.1}} float[2] {{" + std::to_string(u(random)) + ", " +
                        std::to_string(u(random)) + "}}}\n";
            text += "Polygon {float[2] {{0, 0}, {" + std::to_string(u(random)) + ", 0.05}, {" +
                    std::to_string(u(random)) + ", 0.7}, {0.1, " + std::to_string(u(random)) + "}}}\n";
            text += "Rect {float[2] {{0.05, 0.3}, {0.6, " + std::to_string(0.3f + u(random) / 4) + "}}}\n";
        }
        text += "}\n";
    }
    return text + "}\n";
}

struct Fixture
{
    AmbrelDocument document;
    std::vector<uint32_t> selection;
    std::vector<int32_t> numbers;
    std::vector<VorlGlyphRecord> records;
    void *curveTexels;
    void *bandTexels;

    Fixture() : selection(kGlyphCount), numbers(kGlyphCount), records(2 * kGlyphCount)
    {
        std::string text = MakeFontText();
        if (document.ParseAndResolve(text.c_str()) != 0) std::abort();
        for (int32_t g = 0; g < kGlyphCount; ++g) selection[g] = uint32_t(g), numbers[g] = g;
        curveTexels = std::calloc(size_t(4096) * 2048, 8);
        bandTexels = std::calloc(size_t(4096) * 8192, 4);
    }
    ~Fixture()
    {
        std::free(curveTexels);
        std::free(bandTexels);
    }

    // One build of every glyph's textures; gives the cursors' linear ends.
    void Build(uint32_t flags, TexelBuffer *curve, TexelBuffer *band)
    {
        *curve = {curveTexels, kTexelFormatHalf4, 4096, 2048, 0, 0};
        *band = {bandTexels, kTexelFormatUint16x2, 4096, 8192, 0, 0};
        for (VorlGlyphRecord &r : records) r = VorlGlyphRecord{};
        Array<uint32_t> contours;
        GlyphTextureInput input = {document.fontList.GetFirst(), uint32_t(kGlyphCount), selection.data(),
                                   numbers.data(), uint32_t(kGlyphCount), flags, &document.compileSettings};
        GlyphTextureOutput output = {records.data(), (flags & kCompileOutline) ? records.data() + kGlyphCount : nullptr,
                                     curve, band, &contours};
        if (BuildGlyphCurvesAndBands(input, output) != 0) std::abort();
    }
};

Fixture &GetFixture()
{
    static Fixture fixture;
    return fixture;
}

void BM_GlyphTextures(benchmark::State &state)
{
    Fixture &f = GetFixture();
    uint32_t flags = uint32_t(state.range(0));
    TexelBuffer curve, band;
    for (auto _ : state)
    {
        f.Build(flags, &curve, &band);
        benchmark::DoNotOptimize(f.records.data());
    }
    state.counters["curveTexels"] = double(curve.cursorY * 4096 + curve.cursorX);
    state.counters["bandTexels"] = double(band.cursorY * 4096 + band.cursorX);
}
BENCHMARK(BM_GlyphTextures)->ArgName("flags")->Arg(kCompileContours)->Arg(kCompileContours | kCompilePoly)
    ->Arg(kCompileContours | kCompileOutline)->Unit(benchmark::kMillisecond);

void BM_CompressTextures(benchmark::State &state)
{
    Fixture &f = GetFixture();
    TexelBuffer curve, band;
    f.Build(kCompileContours | kCompilePoly, &curve, &band);
    uint32_t curveBytes = uint32_t(curve.cursorY + 1) * 4096 * 8, bandBytes = uint32_t(band.cursorY + 1) * 4096 * 4;
    std::vector<uint8_t> out(curveBytes > bandBytes ? curveBytes : bandBytes);
    uint32_t packed = 0;
    for (auto _ : state)
    {
        packed = CompressData(f.curveTexels, curveBytes, out.data());
        packed += CompressData(f.bandTexels, bandBytes, out.data());
        benchmark::DoNotOptimize(packed);
    }
    state.counters["ratio"] = double(packed) / double(curveBytes + bandBytes);
}
BENCHMARK(BM_CompressTextures)->Unit(benchmark::kMillisecond);

bool Discard(const void *, uint32_t, void *) { return true; }

// The whole compile through the pipeline into a discarding sink (selection, lists and writing
// included; the texture buffers are allocated by each compile).
void BM_CompileAndWrite(benchmark::State &state)
{
    std::string text = MakeFontText();
    uint32_t flags = uint32_t(state.range(0));
    for (auto _ : state)
    {
        state.PauseTiming();
        AmbrelDocument document;
        if (document.ParseAndResolve(text.c_str()) != 0) std::abort();
        state.ResumeTiming();
        FontCompiler compiler(&document, flags, nullptr, 0, nullptr, 0);
        OutputSink sink(Discard, nullptr);
        if (compiler.CompileAndWrite(&sink, nullptr, 0) != 0) std::abort();
    }
}
BENCHMARK(BM_CompileAndWrite)->ArgName("flags")->Arg(0x0037D)->Arg(0x1037D)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace oq
