// Outline collection through Components at its limits: a 65-deep Component chain and an 8-way
// fan-out over 8 levels (with and without ink), each read, resolved and prepared as one document.
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "tests/support/ComponentFontText.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void ReadFont(benchmark::State &state, const std::string &text)
{
    for (auto _ : state)
    {
        oq::AmbrelDocument document;
        bool ok = document.ParseAndResolve(text.c_str()) == 0 && document.fontList.GetFirst()->glyphTable[0]->tooLarge;
        if (!ok) state.SkipWithError("the root glyph is not marked too large");
        benchmark::DoNotOptimize(document.fontList.GetFirst());
    }
}

void BM_ComponentChain65(benchmark::State &state)
{
    ReadFont(state, oq::test::ComponentChainFontText(65));
}

void BM_ComponentFanOut8x8(benchmark::State &state)
{
    ReadFont(state, oq::test::ComponentFanOutFontText(8, 8, state.range(0) != 0));
}

}  // namespace

BENCHMARK(BM_ComponentChain65)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComponentFanOut8x8)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
