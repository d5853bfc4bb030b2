// The font compile of real fonts stage by stage, with the editor's switches (-no-poly -contours
// -math) and with the defaults, against FreeType loading and decomposing every glyph of the same
// font in the same iteration (the median of five loads). Counters, in milliseconds an iteration:
// the import ("import", the whole file; "outlines" is its outline step alone, timed in a second
// import of the first face), then the compile's stages ("prepare": contexts and feature
// synthesis; "select"; "glyphs": curves, bands and polygons; "lists"; "write": layout, texture
// compression and the output) and "whole" (import and every stage: the benchmark's time).
// "outlines_x" and "whole_x" are those times over FreeType's. The heap is reused between runs
// unless the name says fresh_memory: then the freed pages go back to the system before each
// timed step, and the compile pays for faulting in its memory as the vorlfont program does.
// FreeType's loads are a yardstick, not a peer: FreeType reads the outlines, the compiler also
// compiles them. The whole program's peers (FreeType and fontTools reading every glyph, run as
// programs beside vorlfont) are in vorlfont_program_bench.cpp.
#include "ambrel/AmbrelDocument.h"
#include "bench/FontBenchSupport.h"
#include "vorl/text/OutputSink.h"
#include "vorlfont/compiler/FontCompiler.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <malloc.h>
#include <string>

namespace oq {
namespace {

using bench::SecondsSince;

constexpr const char *kFontNames[bench::kBenchFontCount] = {"DejaVuSans", "FreeSerif", "latinmodern-math",
                                                            "NotoSansCJK-Regular"};

enum Stage
{
    kImport,
    kPrepare,
    kSelect,
    kGlyphs,
    kLists,
    kWrite,
    kStageCount,
};
constexpr const char *kStageNames[kStageCount] = {"import_ms", "prepare_ms", "select_ms",
                                                  "glyphs_ms", "lists_ms",   "write_ms"};

bool CountBytes(const void *, uint32_t, void *) { return true; }

// The flags of the command line with the switches.
uint32_t GetSwitchFlags(bool editor)
{
    const char *const defaults[] = {"font.ttf", "-o", "font.vorl"};
    const char *const switches[] = {"font.ttf", "-no-poly", "-contours", "-math", "-o", "font.vorl"};
    VorlFontOptions options;
    const char *failure = editor ? ParseVorlFontCommandLine(6, switches, &options)
                                 : ParseVorlFontCommandLine(3, defaults, &options);
    return (failure == nullptr) ? options.flags : 0;
}

double TimeFreeType(bench::FreeTypeFont *font)
{
    double seconds[5];
    for (double &s : seconds)
    {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(font->LoadAndDecomposeAll());
        s = SecondsSince(start);
    }
    std::sort(seconds, seconds + 5);
    return seconds[2];
}

// The import and the compile stages into a sink that only counts; false on a failure.
bool TimeCompile(const std::vector<uint8_t> &bytes, uint32_t flags, double *stages)
{
    auto *document = new AmbrelDocument;
    auto start = std::chrono::steady_clock::now();
    bool ok = ImportOpenTypeFont(bytes.data(), bytes.size(), document) == 0;
    stages[kImport] += SecondsSince(start);
    if (ok)
    {
        FontCompiler compiler(document, flags, nullptr, 0, nullptr, 0);
        OutputSink sink(CountBytes, nullptr);
        auto time = [&](Stage stage, auto step) {
            if (!ok) return;
            auto begin = std::chrono::steady_clock::now();
            ok = step() == 0;
            stages[stage] += SecondsSince(begin);
        };
        time(kPrepare, [&] { return compiler.PrepareFont(0); });
        time(kSelect, [&] { return compiler.SelectGlyphs(); });
        time(kGlyphs, [&] { return compiler.BuildGlyphs(); });
        time(kLists, [&] { return compiler.BuildLists(); });
        time(kWrite, [&] { return compiler.WriteFile(&sink, nullptr); });
    }
    delete document;
    return ok;
}

void CompileStages(benchmark::State &state, int32_t fontNumber, bool editor, bool freshMemory)
{
    const char *path = bench::kBenchFonts[fontNumber];
    bench::FreeTypeFont freeType(path);
    std::vector<uint8_t> bytes = bench::ReadFontFile(path);
    if (!freeType.IsOpen() || bytes.empty())
    {
        state.SkipWithError("font missing");
        return;
    }
    FontBytes file{bytes.data(), bytes.size()};
    uint64_t face = bench::FirstFaceOffset(file);
    uint32_t flags = GetSwitchFlags(editor);

    double stages[kStageCount] = {};
    double freeTypeSeconds = 0.0, outlineSeconds = 0.0, wholeSeconds = 0.0;
    uint32_t glyphCount = 0;
    for (auto _ : state)
    {
        // Freed pages go back to the system, so the compile pays for its memory as a new process does.
        if (freshMemory) malloc_trim(0);
        freeTypeSeconds += TimeFreeType(&freeType);
        double outlines = bench::TimeOutlineImport(file, face, &glyphCount);
        if (freshMemory) malloc_trim(0);
        double before[kStageCount];
        std::copy(stages, stages + kStageCount, before);
        if (outlines < 0.0 || !TimeCompile(bytes, flags, stages))
        {
            state.SkipWithError("compile failed");
            return;
        }
        outlineSeconds += outlines;
        double whole = 0.0;
        for (int32_t s = 0; s < kStageCount; ++s) whole += stages[s] - before[s];
        wholeSeconds += whole;
        state.SetIterationTime(whole);
    }
    auto average = [](double seconds) { return benchmark::Counter(seconds * 1e3, benchmark::Counter::kAvgIterations); };
    state.counters["freetype_ms"] = average(freeTypeSeconds);
    state.counters["outlines_ms"] = average(outlineSeconds);
    for (int32_t s = 0; s < kStageCount; ++s) state.counters[kStageNames[s]] = average(stages[s]);
    state.counters["outlines_x"] = outlineSeconds / freeTypeSeconds;
    state.counters["whole_x"] = wholeSeconds / freeTypeSeconds;
    state.counters["glyph_count"] = double(glyphCount);
}

// Each font with both switch sets, and with the editor's switches on fresh memory; five runs
// (three for the CJK collection), medians shown.
[[maybe_unused]] const bool kRegistered = [] {
    const char *const variants[3] = {"/editor", "/default", "/editor/fresh_memory"};
    for (int32_t font = 0; font < bench::kBenchFontCount; ++font)
    {
        for (int32_t variant = 0; variant < 3; ++variant)
        {
            std::string name = std::string("CompileStages/") + kFontNames[font] + variants[variant];
            benchmark::RegisterBenchmark(name.c_str(), CompileStages, font, variant != 1, variant == 2)
                ->UseManualTime()
                ->Iterations(1)
                ->Repetitions(font == 3 ? 3 : 5)
                ->DisplayAggregatesOnly(true)
                ->Unit(benchmark::kMillisecond);
        }
    }
    return true;
}();

}  // namespace
}  // namespace oq
