#pragma once

// The benchmarks' editor on an offscreen SDL window: the process's window, GL context, renderer and
// fonts, and an editor holding a generated equation of fractions, laid out and drawn once.
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

#include <cstdlib>
#include <memory>
#include <string>

namespace oq::bench {

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
inline std::string MakeEquationText(int64_t structures)
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
inline std::unique_ptr<oq::Editor> MakeEditor(benchmark::State &state, FrameServices *services,
                                             const std::string &text)
{
    auto editor = std::make_unique<oq::Editor>();
    oq::EquationDocument parsed;
    if (parsed.ParseAndResolve(text.c_str()) != 0)
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

inline std::unique_ptr<oq::Editor> MakeEditor(benchmark::State &state, FrameServices *services)
{
    return MakeEditor(state, services, MakeEquationText(state.range(0)));
}

}  // namespace oq::bench
