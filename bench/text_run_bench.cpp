// LayoutTextRun on paragraphs with format directives and on mixed left-to-right/right-to-left text.
// Items are characters: the items-per-second counter gives the time per character, and the
// complexity fit over lengths of 500 to 16000 characters shows whether the time grows linearly.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "vorl/text/TextRun.h"

namespace {

// A run with the full fixed-size arrays.
struct BenchRun
{
    std::vector<oq::TextRunCharacter> characters{size_t(oq::kTextRunCharacterEntries)};
    std::vector<oq::TextRunGlyph> glyphs{size_t(oq::kTextRunGlyphEntries)};
    std::vector<oq::TextLayoutState> states{size_t(oq::kTextRunMaxStates)};
    std::vector<float> directions{std::vector<float>(size_t(oq::kTextRunMaxSegments))};
    oq::TextRun run{};

    BenchRun()
    {
        run.characters = characters.data();
        run.glyphs = glyphs.data();
        run.states = states.data();
        run.segmentDirections = directions.data();
    }
};

// Words of Latin text with a directive block before every tenth character.
std::string DirectiveParagraph(int32_t characters)
{
    static const char *const kBlocks[] = {"{#size(18)}", "{#color(200, 30, 30)}", "{#kern(false); track(0.05)}",
                                          "{#font(1)}", "{#reset()}"};
    static const char kWords[] = "The quick brown fox jumps over the lazy dog. ";
    std::string text;
    for (int32_t i = 0; i < characters; i++)
    {
        if (i % 10 == 0) text += kBlocks[(i / 10) % 5];
        text += kWords[i % (sizeof(kWords) - 1)];
    }
    return text;
}

// Latin and Hebrew words alternating, with parentheses and digits.
std::string MixedParagraph(int32_t characters)
{
    static const char *const kPieces[] = {"text ", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D ", "(12) ",
                                          "\xD7\xA2\xD7\x95\xD7\x9C\xD7\x9D, ", "word "};
    static const int32_t kPieceCharacters[] = {5, 5, 5, 6, 5};
    std::string text;
    int32_t count = 0;
    for (int32_t i = 0; count < characters; i++)
    {
        text += kPieces[i % 5];
        count += kPieceCharacters[i % 5];
    }
    return text;
}

void RunLayout(benchmark::State &benchState, const std::string &text, uint32_t options)
{
    static BenchRun bench;
    oq::TextLayoutState state;
    oq::ResetTextLayoutState(&state);
    state.optionFlags = options;
    for (auto _ : benchState)
    {
        oq::LayoutTextRun(&bench.run, &state, text.data(), int32_t(text.size()));
        benchmark::DoNotOptimize(bench.run.characterCount);
    }
    benchState.SetItemsProcessed(int64_t(benchState.iterations()) * bench.run.characterCount);
    benchState.SetComplexityN(bench.run.characterCount);
    benchState.counters["ns_per_char"] = benchmark::Counter(
        double(bench.run.characterCount), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DirectiveParagraph(benchmark::State &benchState)
{
    RunLayout(benchState, DirectiveParagraph(int32_t(benchState.range(0))), oq::kTextOptionDirectives);
}

void BM_MixedDirectionParagraph(benchmark::State &benchState)
{
    RunLayout(benchState, MixedParagraph(int32_t(benchState.range(0))), oq::kTextOptionBidirectional);
}

}  // namespace

BENCHMARK(BM_DirectiveParagraph)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Arg(16000)->Complexity(benchmark::oN);
BENCHMARK(BM_MixedDirectionParagraph)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Arg(16000)->Complexity(benchmark::oN);
