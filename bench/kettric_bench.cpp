// Kettric ParseAndResolve against RapidJSON on the same generated data written as JSON.
#include "bench/KettricBenchData.h"

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

namespace {

using namespace oq;
using namespace oq::bench;

void KettricParseAndResolve(benchmark::State &state)
{
    const std::string &text = GetData().kettric;
    BenchDocument document;
    for (auto _ : state)
    {
        KettricResult result = document.ParseAndResolve(text.c_str());
        if (result != 0) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document.GetRootStructure()->GetFirstSubnode());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["MB"] = double(text.size()) / 1e6;
}

// Parsing alone, and the deletion of the parsed tree alone.
void KettricParseText(benchmark::State &state)
{
    const std::string &text = GetData().kettric;
    BenchDocument document;
    for (auto _ : state)
    {
        state.PauseTiming();
        document.GetGlobalNameMap()->RemoveAll();
        document.GetRootStructure()->TreeBase::PurgeSubtree();
        state.ResumeTiming();
        if (document.ParseText(text.c_str()) != 0) state.SkipWithError("parse failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void KettricDeleteTree(benchmark::State &state)
{
    const std::string &text = GetData().kettric;
    BenchDocument document;
    for (auto _ : state)
    {
        state.PauseTiming();
        if (document.ParseText(text.c_str()) != 0) state.SkipWithError("parse failed");
        state.ResumeTiming();
        // As the document replaces its tree: the global name map is emptied at once first.
        document.GetGlobalNameMap()->RemoveAll();
        document.GetRootStructure()->TreeBase::PurgeSubtree();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

template <unsigned flags>
void RapidJsonParse(benchmark::State &state)
{
    const std::string &text = GetData().json;
    for (auto _ : state)
    {
        rapidjson::Document document;
        document.Parse<flags>(text.c_str(), text.size());
        if (document.HasParseError()) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document.Size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["MB"] = double(text.size()) / 1e6;
}

BENCHMARK(KettricParseAndResolve)->Unit(benchmark::kMillisecond);
BENCHMARK(KettricParseText)->Unit(benchmark::kMillisecond);
BENCHMARK(KettricDeleteTree)->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonParse<rapidjson::kParseDefaultFlags>)->Name("RapidJsonParse")->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonParse<rapidjson::kParseFullPrecisionFlag>)
    ->Name("RapidJsonParseFullPrecision")
    ->Unit(benchmark::kMillisecond);

}  // namespace
