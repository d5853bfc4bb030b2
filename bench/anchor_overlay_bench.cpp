// Editing-aid overlays on generated documents: the anchor overlay on 1k and 10k nodes with 0, 20 and
// 200 drawings, with the line tool active (no dragged object) and with one drawing selected (its
// handles shown, itself the dragged object); the caret under points of a 2,000-node row; the
// selection boxes of a range over 50 rows. Layouts use the editing harness's recording renderer, so
// the overlays' render objects are built on the CPU as in the editor.
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/editing/Editor.h"
#include "editor/editing/SelectionOverlay.h"
#include "editor/editing/EditorHarness.h"
#include "editor/platform/Renderer.h"
#include "support/DocumentTestKinds.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// Rows of a run and four fractions (33 nodes a row) up to about the node count.
std::string MakeRowsText(int64_t nodes)
{
    std::string text = "Gr {\n";
    for (int64_t count = 0, row = 0; count < nodes; count += 33, ++row)
    {
        text += "Bg {}\n";
        for (int i = 0; i < 4; ++i)
        {
            text += "Sb {s{\"x" + std::to_string(row % 10) + "\"}}\n";
            text += "Fr { Gr (t='numr') { Bg {} Sb {s{\"a\"}} } Gr (t='dnom') { Bg {} Sb {s{\"b\"}} } }\n";
        }
    }
    return text + "}\n";
}

// TheEditor with the text laid out and `drawings` lines between 'axis' points of the main group's
// rows (laid out too); the caret at the start of the main group. Null when the text does not read.
oq::Editor *MakeEditor(const std::string &text, int64_t drawings)
{
    oq::test::ResetTheEditor();
    oq::Editor *editor = oq::TheEditor;
    if (!oq::test::LoadTestDocument(editor, text.c_str(), 0, 0) || !oq::test::LayoutTestDocument(editor)) return nullptr;
    oq::GroupNode *main = editor->document.GetMainGroup();
    int32_t axisPoints = 2 * main->GetRowCount();
    for (int64_t i = 0; i < drawings; ++i)
    {
        auto *drawing = new oq::test::TestDrawingNode("Ln");
        editor->document.GetRootStructure()->AppendSubnode(drawing);
        new oq::NodeLink(drawing, main, 'axis', int32_t((2 * i) % axisPoints), 0.0f);
        new oq::NodeLink(drawing, main, 'axis', int32_t((2 * i + 1) % axisPoints), 0.0f);
    }
    if (!oq::test::LayoutTestDocument(editor)) return nullptr;
    oq::CaretPosition start{main->GetFirstMathSubnode(), 0};
    editor->document.selection = oq::Selection{start, start};
    return editor;
}

// Arguments: nodes, drawings.
void BM_AnchorOverlayLineTool(benchmark::State &state)
{
    oq::Editor *editor = MakeEditor(MakeRowsText(state.range(0)), state.range(1));
    if (editor == nullptr)
    {
        state.SkipWithError("the document did not lay out");
        return;
    }
    editor->SetDrawingToolGroup(oq::kToolGroupLine);
    for (auto _ : state)
    {
        editor->BuildAnchorOverlay();
        benchmark::DoNotOptimize(editor->anchorRecords.GetElementCount());
    }
    state.counters["records"] = double(editor->anchorRecords.GetElementCount());
    oq::test::DestroyTheEditor();
}
BENCHMARK(BM_AnchorOverlayLineTool)
    ->ArgsProduct({{1000, 10000}, {0, 20, 200}})
    ->Unit(benchmark::kMicrosecond);

// The line tool's overlay after a keystroke on a 200-structure equation (50 rows of four fractions),
// with its render object (argument 1) or its records and items alone (0).
void BM_AnchorOverlay200Structures(benchmark::State &state)
{
    oq::Editor *editor = MakeEditor(MakeRowsText(50 * 33), 0);
    if (editor == nullptr)
    {
        state.SkipWithError("the document did not lay out");
        return;
    }
    editor->SetDrawingToolGroup(oq::kToolGroupLine);
    oq::Renderer *renderer = oq::GetRenderer();
    if (state.range(0) == 0) oq::SetRenderer(nullptr);
    for (auto _ : state)
    {
        editor->BuildAnchorOverlay();
        benchmark::DoNotOptimize(editor->anchorRecords.GetElementCount());
    }
    state.counters["records"] = double(editor->anchorRecords.GetElementCount());
    oq::SetRenderer(renderer);
    oq::test::DestroyTheEditor();
}
BENCHMARK(BM_AnchorOverlay200Structures)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Arguments: nodes, drawings (one of them selected alone).
void BM_AnchorOverlaySelectedDrawing(benchmark::State &state)
{
    oq::Editor *editor = MakeEditor(MakeRowsText(state.range(0)), state.range(1));
    if (editor == nullptr || !oq::test::SelectTestDrawings(editor))
    {
        state.SkipWithError("no drawing to select");
        return;
    }
    auto &selection = editor->document.objectSelection;
    oq::DocumentNode *middle = selection[selection.GetElementCount() / 2];
    selection.SetElementCount(0);
    selection.AddElement(middle);
    editor->BuildSelectionOverlay();
    if (!editor->handlesShown)
    {
        state.SkipWithError("no handles");
        return;
    }
    for (auto _ : state)
    {
        editor->BuildAnchorOverlay();
        benchmark::DoNotOptimize(editor->anchorRecords.GetElementCount());
    }
    state.counters["records"] = double(editor->anchorRecords.GetElementCount());
    oq::test::DestroyTheEditor();
}
BENCHMARK(BM_AnchorOverlaySelectedDrawing)
    ->ArgsProduct({{1000, 10000}, {20, 200}})
    ->Unit(benchmark::kMicrosecond);

// The caret under 64 points spread along one row of 2,000 nodes (runs and spaces), per point.
void BM_FindCaretAtPoint(benchmark::State &state)
{
    std::string text = "Gr { Bg {}\n";
    for (int i = 0; i < 1000; ++i) text += "Sb {s{\"ab\"}} Sp (s=3) {}\n";
    oq::Editor *editor = MakeEditor(text + "}\n", 0);
    if (editor == nullptr)
    {
        state.SkipWithError("the document did not lay out");
        return;
    }
    oq::GroupNode *main = editor->document.GetMainGroup();
    std::vector<oq::Point2D> points;
    for (int i = 0; i < 64; ++i)
        points.emplace_back(main->absolutePosition.x + main->width * (float(i) + 0.5f) / 64.0f, main->absolutePosition.y);
    for (auto _ : state)
    {
        for (const oq::Point2D &point : points)
        {
            oq::CaretPosition caret;
            benchmark::DoNotOptimize(editor->FindCaretAtPoint(main, point, &caret));
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(points.size()));
    oq::test::DestroyTheEditor();
}
BENCHMARK(BM_FindCaretAtPoint)->Unit(benchmark::kMicrosecond);

// The boxes of a range from the first to the last of 50 rows.
void BM_GetSelectionBoxes(benchmark::State &state)
{
    oq::Editor *editor = MakeEditor(MakeRowsText(50 * 33), 0);
    if (editor == nullptr)
    {
        state.SkipWithError("the document did not lay out");
        return;
    }
    oq::GroupNode *main = editor->document.GetMainGroup();
    oq::MathNode *last = main->GetLastMathSubnode();
    editor->document.selection.end = oq::CaretPosition{last, last->GetEndIndex()};
    oq::SelectionBoxes boxes;
    oq::Point2D start;
    oq::Point2D end;
    for (auto _ : state)
    {
        oq::GetSelectionBoxes(&editor->document, &boxes, &start, &end);
        benchmark::DoNotOptimize(boxes.GetElementCount());
    }
    state.counters["rows"] = double(boxes.GetElementCount());
    oq::test::DestroyTheEditor();
}
BENCHMARK(BM_GetSelectionBoxes)->Unit(benchmark::kMicrosecond);

}  // namespace
