// Relayout after a keystroke on generated equations of 200, 1k and 5k structures (fractions in rows
// of ten): CPU time per phase of one typed character (the edit batch with its snapshots, the
// document's layout, the glyph meshes, the path objects, the overlays) and the GL draw and swap on
// the offscreen SDL window (llvmpipe: indicative only); and the idle frame. No peer does this work.
#include "EditorFrameServices.h"

#include <chrono>

namespace {

using oq::bench::FrameServices;
using oq::bench::MakeEditor;

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// One typed character, phase by phase; the counters are milliseconds per keystroke.
void BM_KeystrokePhases(benchmark::State &state)
{
    FrameServices *services = FrameServices::GetOrSkip(state);
    if (services == nullptr) return;
    auto editor = MakeEditor(state, services);
    double phases[6] = {};
    const char *names[6] = {"batch_ms", "layout_ms", "mesh_ms", "path_ms", "overlay_ms", "draw_swap_ms"};
    for (auto _ : state)
    {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(editor->TypeCharacter('x', 0));
        auto t1 = std::chrono::steady_clock::now();
        editor->settings.layoutDue = false;
        editor->UpdateFrameLayout();
        auto t2 = std::chrono::steady_clock::now();
        editor->ReleaseFrameObjects();
        editor->BuildFrameMeshes();
        auto t3 = std::chrono::steady_clock::now();
        editor->BuildFramePaths(services->renderer);
        auto t4 = std::chrono::steady_clock::now();
        editor->BuildSelectionOverlay();
        editor->BuildAnchorOverlay();
        auto t5 = std::chrono::steady_clock::now();
        oq::RenderEditorFrame();
        auto t6 = std::chrono::steady_clock::now();
        auto stamps = {t0, t1, t2, t3, t4, t5, t6};
        auto previous = *stamps.begin();
        int i = -1;
        for (auto stamp : stamps)
        {
            if (i >= 0) phases[i] += Milliseconds(stamp - previous);
            previous = stamp;
            ++i;
        }
        // Undo keeps the run short, outside the timing.
        state.PauseTiming();
        benchmark::DoNotOptimize(editor->Undo());
        state.ResumeTiming();
    }
    for (int i = 0; i < 6; ++i) state.counters[names[i]] = phases[i] / double(state.iterations());
    editor->DetachMainWindow();
    oq::TheEditor = nullptr;
}
BENCHMARK(BM_KeystrokePhases)->Arg(200)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

// A whole frame with nothing to rebuild: the draw and the swap.
void BM_IdleFrame(benchmark::State &state)
{
    FrameServices *services = FrameServices::GetOrSkip(state);
    if (services == nullptr) return;
    auto editor = MakeEditor(state, services);
    for (auto _ : state) oq::RenderEditorFrame();
    editor->DetachMainWindow();
    oq::TheEditor = nullptr;
}
BENCHMARK(BM_IdleFrame)->Arg(200)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
