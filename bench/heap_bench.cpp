// The editor's heap against glibc malloc: a random allocate/free trace, and a Kettric document
// parsed and deleted with the heap installed as the library allocator (against the default
// allocator and RapidJSON).
#include "base/Memory.h"
#include "bench/KettricBenchData.h"
#include "editor/platform/Heap.h"

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

using namespace oq;
using namespace oq::bench;

// One step of the trace: allocate a block of this size into a slot, or free the slot's block.
struct TraceStep
{
    uint32_t slot;
    uint32_t size;  // 0 frees
};

// Sizes from 8 bytes to 64 KB, mostly small; about 4,000 blocks live at the peak; ends with every
// block freed.
const std::vector<TraceStep> &GetTrace()
{
    static std::vector<TraceStep> trace = [] {
        std::vector<TraceStep> steps;
        std::mt19937 random(7);
        std::vector<uint32_t> freeSlots;
        std::vector<uint32_t> usedSlots;
        const uint32_t kSlots = 4096;
        for (uint32_t i = 0; i < kSlots; ++i) freeSlots.push_back(kSlots - 1 - i);
        for (int i = 0; i < 200000; ++i)
        {
            bool allocate = usedSlots.empty() || (!freeSlots.empty() && random() % 100 < 52);
            if (allocate)
            {
                unsigned pick = random() % 100;
                uint32_t size = pick < 80 ? 8 + random() % 121 : pick < 97 ? 128 + random() % 1921 : 2048 + random() % 63489;
                steps.push_back({freeSlots.back(), size});
                usedSlots.push_back(freeSlots.back());
                freeSlots.pop_back();
            }
            else
            {
                size_t index = random() % usedSlots.size();
                steps.push_back({usedSlots[index], 0});
                freeSlots.push_back(usedSlots[index]);
                usedSlots[index] = usedSlots.back();
                usedSlots.pop_back();
            }
        }
        for (uint32_t slot : usedSlots) steps.push_back({slot, 0});
        return steps;
    }();
    return trace;
}

void HeapTrace(benchmark::State &state)
{
    const std::vector<TraceStep> &trace = GetTrace();
    Heap heap("MemoryManager");
    std::vector<HeapBlock *> slots(4096);
    for (auto _ : state)
    {
        for (const TraceStep &step : trace)
        {
            if (step.size)
            {
                HeapBlock *block = heap.Allocate(step.size, 0);
                *static_cast<char *>(block->GetMemory()) = 1;
                slots[step.slot] = block;
            }
            else
            {
                heap.Free(slots[step.slot]);
            }
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(trace.size()));
}

void MallocTrace(benchmark::State &state)
{
    const std::vector<TraceStep> &trace = GetTrace();
    std::vector<void *> slots(4096);
    for (auto _ : state)
    {
        for (const TraceStep &step : trace)
        {
            if (step.size)
            {
                void *block = std::malloc(step.size);
                *static_cast<char *>(block) = 1;
                slots[step.slot] = block;
            }
            else
            {
                std::free(slots[step.slot]);
            }
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(trace.size()));
}

// Parses the document and deletes its tree, as the editor does for every open, paste and undo snapshot.
void ParseAndDelete(benchmark::State &state)
{
    const std::string &text = GetData().kettric;
    {
        BenchDocument document;
        for (auto _ : state)
        {
            if (document.ParseAndResolve(text.c_str()) != 0) state.SkipWithError("parse failed");
            document.GetRootStructure()->TreeBase::PurgeSubtree();
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void KettricWithHeap(benchmark::State &state)
{
    InstallMemoryManager();
    ParseAndDelete(state);
    SetAllocator(nullptr, nullptr);
}

void KettricWithDefaultAllocator(benchmark::State &state) { ParseAndDelete(state); }

void RapidJsonParseAndDelete(benchmark::State &state)
{
    const std::string &text = GetData().json;
    for (auto _ : state)
    {
        rapidjson::Document document;
        document.Parse(text.c_str(), text.size());
        if (document.HasParseError()) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document.Size());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

BENCHMARK(HeapTrace)->Unit(benchmark::kMillisecond);
BENCHMARK(MallocTrace)->Unit(benchmark::kMillisecond);
BENCHMARK(KettricWithHeap)->Unit(benchmark::kMillisecond);
BENCHMARK(KettricWithDefaultAllocator)->Unit(benchmark::kMillisecond);
BENCHMARK(RapidJsonParseAndDelete)->Unit(benchmark::kMillisecond);

}  // namespace
