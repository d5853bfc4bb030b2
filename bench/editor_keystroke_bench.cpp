// Relayout after a keystroke on generated equations of 200, 1k and 5k structures (fractions in rows
// of ten): CPU time per phase of one typed character (the edit batch with its snapshots, the
// document's layout, the glyph meshes, the path objects, the overlays) and the GL draw and swap on
// the offscreen SDL window (llvmpipe: indicative only); and the idle frame. No peer does this work.
#include "editor/document/GroupNode.h"
#include "editor/document/NodeFactory.h"
#include "editor/editing/Editor.h"
#include "editor/fonts/FontLoader.h"
#include "editor/fonts/FontManager.h"
#include "editor/platform/Heap.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/linux/GLDevice.h"
#include "editor/platform/linux/SdlWindowSystem.h"
#include "editor/structures/StructureKinds.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// The window, context, renderer and fonts of the process, started once and kept.
struct FrameServices
{
    oq::Heap heap{"bench", oq::GetProcessHeap()};
    oq::GLDevice device;
    oq::Renderer renderer{&device, OQ_DATA_DIR, &heap};
    oq::SdlWindowSystem windows;
    oq::FontManager fonts;
    bool started = false;

    static FrameServices *Get()
    {
        static FrameServices *services = [] {
            oq::InstallMemoryManager();
            oq::RegisterDocumentKindsOnce();
            oq::RegisterStructureKinds();
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            setenv("ORLENDOQUIST_DPI", "96", 1);
            auto *made = new FrameServices;
            static const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
            made->started = made->windows.Start("bench", 400, 300) &&
                            made->renderer.Start(made->windows.GetGLWindow(made->windows.GetMainWindow()), 400, 300,
                                                 kWhite);
            oq::SetWindowSystem(&made->windows);
            oq::SetRenderer(&made->renderer);
            oq::SetFontManager(&made->fonts);
            return made;
        }();
        return services->started ? services : nullptr;
    }

    // The services, or none with the benchmark marked skipped.
    static FrameServices *GetOrSkip(benchmark::State &state)
    {
        FrameServices *services = Get();
        if (services == nullptr) state.SkipWithError("no offscreen window");
        return services;
    }
};

// `structures` fractions of two runs, ten to a row, each row begun by a run.
std::string MakeEquationText(int64_t structures)
{
    std::string text = "Gr\n{\n";
    for (int64_t i = 0; i < structures; ++i)
    {
        if (i % 10 == 0) text += "\tBg {}\n\tSb {s{\"y=\"}}\n";
        text += "\tFr { Gr (t='numr') { Bg {} Sb {s{\"a+" + std::to_string(i % 97) +
                "\"}} } Gr (t='dnom') { Bg {} Sb {s{\"b\"}} } }\n";
    }
    return text + "}\n";
}

// The editor on the main window with the generated equation laid out and drawn once; the caret
// at the end of the first row's run.
std::unique_ptr<oq::Editor> MakeEditor(benchmark::State &state, FrameServices *services)
{
    auto editor = std::make_unique<oq::Editor>();
    oq::EquationDocument parsed;
    if (parsed.ParseAndResolve(MakeEquationText(state.range(0)).c_str()) != 0)
    {
        state.SkipWithError("the generated equation did not read");
        return editor;
    }
    editor->ReplaceDocumentTree(&parsed);
    oq::MathNode *run = editor->document.GetMainGroup()->GetFirstMathSubnode()->GetNextMathNode();
    editor->document.selection.start = {run, run->GetEndIndex()};
    editor->document.selection.end = editor->document.selection.start;
    oq::TheEditor = editor.get();
    editor->AttachMainWindow(services->windows.GetMainWindow(), 400, 300);
    oq::RenderEditorFrame();
    return editor;
}

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
