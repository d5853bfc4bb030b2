// Layout of groups: many rows with alignment-mark columns, and one row holding a long run of marks
// (each mark's width comes from the spacing neighbour before the run).
#include "support/DocumentTestKinds.h"

#include "editor/fonts/Design.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void LayOut(benchmark::State &state, const std::string &text)
{
    oq::test::MathTestDocument document;
    if (document.ParseAndResolve(text.c_str()) != 0)
    {
        state.SkipWithError("the document did not read");
        return;
    }
    oq::Design design;
    for (auto _ : state) document.LayoutAll(&design);
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

// Rows of the form A, mark, B, mark, C.
void BM_GroupRowsWithColumns(benchmark::State &state)
{
    std::string text = "Gr {";
    for (int64_t i = 0; i < state.range(0); ++i)
        text += " Bg {} Fx (w=" + std::to_string(1 + i % 7) + ") {} Al {} Fx (w=2,rs=1) {} Al (al='rght') {} Fx {}";
    LayOut(state, text + " }");
}
BENCHMARK(BM_GroupRowsWithColumns)->Arg(100)->Arg(4000);

// One row: a node, then a run of marks.
void BM_GroupMarkRun(benchmark::State &state)
{
    std::string text = "Gr { Bg {} Fx (w=3,rs=1) {}";
    for (int64_t i = 0; i < state.range(0); ++i) text += " Al {}";
    LayOut(state, text + " }");
}
BENCHMARK(BM_GroupMarkRun)->Arg(100)->Arg(4000);

}  // namespace
