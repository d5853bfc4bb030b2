// Undo snapshots of generated documents (1k, 10k and 50k nodes of runs, spaces, fractions and rows,
// with 0, 20 or 200 straight lines linked to box anchors): UndoSnapshot::Capture, the restore (parse
// and swap), and the heap bytes of 1,000 steps that do not coalesce against twice their texts. Peer:
// RapidJSON writing and parsing the same tree as JSON.
#include "editor/document/DocumentNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeFactory.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/drawing/DrawingKinds.h"
#include "editor/editing/Editor.h"
#include "editor/platform/Heap.h"
#include "editor/structures/StructureKinds.h"

#include <benchmark/benchmark.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

void RegisterKinds()
{
    static bool registered = false;
    if (registered) return;
    registered = true;
    // As the editor does: the program's heap before the first node.
    oq::InstallMemoryManager();
    oq::RegisterDocumentKindsOnce();
    oq::RegisterStructureKinds();
    oq::RegisterDrawingKinds();
}

// About `nodes` nodes: rows of a run, a space, a fraction of two runs and a second run (11 nodes a
// row, slot groups and row begins counted); lines attached to the first runs of spread rows.
std::string MakeDocumentText(int64_t nodes, int64_t lines)
{
    int64_t rows = nodes / 11 > 0 ? nodes / 11 : 1;
    std::string text = "Gr\n{\n";
    for (int64_t r = 0; r < rows; ++r)
    {
        text += "\tBg {}\n\tSb $r" + std::to_string(r) + " {s{\"x+" + std::to_string(r) + "\"}}\n\tSp {}\n";
        text += "\tFr\n\t{\n\t\tGr (t='numr') { Bg {} Sb {s{\"a\"}} }\n\t\tGr (t='dnom') { Bg {} Sb {s{\"2.5\"}} }\n\t}\n";
        text += "\tSb (ro='oper') {s{\"=\"}}\n";
    }
    text += "}\n";
    for (int64_t l = 0; l < lines; ++l)
    {
        int64_t a = l * rows / (lines > 0 ? lines : 1);
        int64_t b = (a + 1) % rows;
        text += "Ln (s) { X { ref{$r" + std::to_string(a) + ",$r" + std::to_string(b) + "} u32{0,0} i32{0,1} } }\n";
    }
    return text;
}

// An editor holding the generated document.
std::unique_ptr<oq::Editor> MakeEditor(benchmark::State &state)
{
    RegisterKinds();
    auto editor = std::make_unique<oq::Editor>();
    std::string text = MakeDocumentText(state.range(0), state.range(1));
    oq::EquationDocument parsed;
    if (parsed.ParseAndResolve(text.c_str()) != 0)
    {
        state.SkipWithError("the generated document did not read");
        return editor;
    }
    editor->ReplaceDocumentTree(&parsed);
    oq::GroupNode *main = editor->document.GetMainGroup();
    editor->document.selection.start = {main->GetFirstMathSubnode(), 0};
    editor->document.selection.end = editor->document.selection.start;
    return editor;
}

void BM_UndoSnapshotCapture(benchmark::State &state)
{
    auto editor = MakeEditor(state);
    oq::UndoSnapshot snapshot;
    for (auto _ : state)
    {
        if (!snapshot.Capture(editor.get())) state.SkipWithError("no memory");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(snapshot.size));
    state.counters["text bytes"] = double(snapshot.size);
}

void BM_UndoSnapshotRestore(benchmark::State &state)
{
    auto editor = MakeEditor(state);
    oq::UndoStep *step = new (*editor->undoStepHeap) oq::UndoStep;
    if (!step->before.Capture(editor.get())) state.SkipWithError("no memory");
    for (auto _ : state)
    {
        if (!editor->RestoreUndoSnapshot(step, true)) state.SkipWithError("the snapshot did not read back");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(step->before.size));
    delete step;
}

// The same tree as JSON: kind, name, run text and subnodes of every node.
void WriteJsonNode(rapidjson::Writer<rapidjson::StringBuffer> &writer, oq::KettricStructure *structure)
{
    writer.StartObject();
    writer.Key("k");
    uint32_t kind = structure->GetStructureType();
    char kindText[5] = {char(kind >> 24), char(kind >> 16), char(kind >> 8), char(kind), 0};
    writer.String(kindText);
    if (!structure->GetStructureName().IsEmpty())
    {
        writer.Key("n");
        writer.String(structure->GetStructureName());
    }
    if (auto *run = dynamic_cast<oq::SymbolRunNode *>(structure))
    {
        writer.Key("t");
        writer.String(run->text, rapidjson::SizeType(run->text.GetLength()));
    }
    if (structure->GetFirstSubnodeStructure() != nullptr)
    {
        writer.Key("c");
        writer.StartArray();
        for (oq::KettricStructure *s = structure->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
            WriteJsonNode(writer, s);
        writer.EndArray();
    }
    writer.EndObject();
}

std::string WriteJson(oq::Editor *editor)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartArray();
    for (oq::KettricStructure *s = editor->document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
         s = s->GetNextStructure())
        WriteJsonNode(writer, s);
    writer.EndArray();
    return std::string(buffer.GetString(), buffer.GetSize());
}

void BM_RapidJsonWrite(benchmark::State &state)
{
    auto editor = MakeEditor(state);
    size_t size = 0;
    for (auto _ : state)
    {
        std::string json = WriteJson(editor.get());
        size = json.size();
        benchmark::DoNotOptimize(json.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
    state.counters["text bytes"] = double(size);
}

void BM_RapidJsonParse(benchmark::State &state)
{
    auto editor = MakeEditor(state);
    std::string json = WriteJson(editor.get());
    for (auto _ : state)
    {
        rapidjson::Document document;
        document.Parse(json.c_str());
        if (document.HasParseError()) state.SkipWithError("the JSON did not read");
        benchmark::DoNotOptimize(&document);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}

// 1,000 steps, each changing one run (so none coalesce): the bytes the two heaps hold against
// twice the text of a step's snapshot times the steps.
void BM_HistoryBytes(benchmark::State &state)
{
    for (auto _ : state)
    {
        state.PauseTiming();
        oq::Heap steps("bench steps");
        oq::Heap snapshots("bench snapshots");
        {
            auto editor = MakeEditor(state);
            editor->undoStepHeap = &steps;
            editor->snapshotHeap = &snapshots;
            oq::SymbolRunNode *run = nullptr;
            for (oq::KettricStructure *s = editor->document.GetMainGroup()->GetFirstSubnodeStructure(); s != nullptr;
                 s = s->GetNextStructure())
            {
                if (auto *found = dynamic_cast<oq::SymbolRunNode *>(s)) run = found;
            }
            uint64_t textBytes = 0;
            state.ResumeTiming();
            for (int32_t i = 0; i < 1000; ++i)
            {
                editor->BeginEditBatch();
                run->text = (i & 1) != 0 ? "y" : "z";
                editor->EndEditBatch();
                textBytes += editor->currentStep->before.size + editor->currentStep->after.size;
            }
            state.PauseTiming();
            uint64_t heapBytes = steps.GetBytesInUse() + snapshots.GetBytesInUse();
            state.counters["history MB"] = double(heapBytes) / 1e6;
            state.counters["history / texts"] = double(heapBytes) / double(textBytes);
        }
        state.ResumeTiming();
    }
}

const std::vector<std::vector<int64_t>> kSizes = {{1000, 10000, 50000}, {0, 20, 200}};

BENCHMARK(BM_UndoSnapshotCapture)->ArgsProduct(kSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RapidJsonWrite)->ArgsProduct(kSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoSnapshotRestore)->ArgsProduct(kSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RapidJsonParse)->ArgsProduct(kSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryBytes)->Args({1000, 0})->Args({10000, 20})->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
