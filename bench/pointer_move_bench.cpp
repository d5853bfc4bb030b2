// One pointer move during a drag, as the main window's dispatcher takes it: a selection drag across
// one row of 2,000 nodes (the caret search under the pointer and the ordering of the selection's
// ends), and a connection end dragged between anchors of a 1k-structure equation, with the
// relayout each move asks for. Compare with BM_KeystrokePhases/1000 of editor_keystroke_bench (its
// batch and layout phases). No peer does this work.
#include "EditorFrameServices.h"

#include "editor/drawing/DrawingKinds.h"
#include "editor/drawing/DrawingObject.h"
#include "editor/editing/AnchorHandles.h"

#include <vector>

namespace {

using oq::bench::FrameServices;
using oq::bench::MakeEditor;

// The window pixel where a document point (y up) is drawn.
oq::Point2D PixelOf(const oq::Editor &editor, const oq::Point2D &point)
{
    float s = editor.pixelScale;
    return {(point.x - editor.viewCentre.x) / s + editor.halfClientWidth,
            editor.halfClientHeight - (point.y - editor.viewCentre.y) / s};
}

bool Send(oq::Editor &editor, uint32_t type, const oq::Point2D &pixel, uint32_t modifiers = 0)
{
    oq::UIEvent event;
    event.type = type;
    event.position = pixel;
    event.modifiers = modifiers;
    return editor.HandleMouseEvent(event);
}

// One row of `nodes` nodes: runs and fractions by turns.
std::string MakeRowText(int64_t nodes)
{
    std::string text = "Gr\n{\n\tBg {}\n";
    for (int64_t i = 0; i < nodes; i += 2)
    {
        text += "\tSb {s{\"a+\"}}\n";
        text += "\tFr { Gr (t='numr') { Bg {} Sb {s{\"" + std::to_string(i % 97) +
                "\"}} } Gr (t='dnom') { Bg {} Sb {s{\"b\"}} } }\n";
    }
    return text + "}\n";
}

// A selection drag in the middle of the row: each move between two pixels a few nodes apart.
void BM_SelectionDragMove(benchmark::State &state)
{
    FrameServices *services = FrameServices::GetOrSkip(state);
    if (services == nullptr) return;
    auto editor = MakeEditor(state, services, MakeRowText(state.range(0)));
    oq::MathNode *middle = editor->document.GetMainGroup()->GetFirstMathSubnode();
    for (int64_t i = 0; i < state.range(0) / 2 && middle->GetNextMathNode() != nullptr; ++i)
        middle = middle->GetNextMathNode();
    editor->viewCentre = middle->absolutePosition;
    editor->UpdateViewTransform();
    oq::Point2D pixels[2] = {{editor->halfClientWidth - 60.0f, editor->halfClientHeight},
                             {editor->halfClientWidth + 60.0f, editor->halfClientHeight}};
    Send(*editor, 'lmdn', pixels[0], 1);
    if (editor->dragMode != uint32_t('eqtn')) state.SkipWithError("the press began no selection drag");
    size_t turn = 0;
    int64_t changes = 0;
    for (auto _ : state)
    {
        turn ^= 1u;
        if (Send(*editor, 'msmv', pixels[turn])) ++changes;
    }
    state.counters["selection_changes_per_move"] = double(changes) / double(state.iterations());
    Send(*editor, 'lmup', pixels[turn]);
    editor->DetachMainWindow();
    oq::TheEditor = nullptr;
}
BENCHMARK(BM_SelectionDragMove)->Arg(2000)->Unit(benchmark::kMicrosecond);

// The laid-out anchors of the line tool that a press finds at their own point.
std::vector<oq::AnchorRecord> FindableAnchors(oq::Editor &editor)
{
    editor.BuildAnchorOverlay();
    std::vector<oq::AnchorRecord> found;
    for (const oq::AnchorRecord &r : editor.anchorRecords)
    {
        if (oq::IsEdgeAnchorKind(r.kind)) continue;
        if (editor.FindAnchorAtPoint(oq::Point2D(r.x, r.y), nullptr) == &r) found.push_back(r);
    }
    return found;
}

// The one drawing at the top level, or none.
oq::DrawingObject *FindDrawing(oq::Editor &editor)
{
    for (oq::KettricStructure *s = editor.document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
         s = s->GetNextStructure())
    {
        if (auto *drawing = dynamic_cast<oq::DrawingObject *>(oq::DocumentNode::FromStructure(s))) return drawing;
    }
    return nullptr;
}

void Relayout(oq::Editor &editor)
{
    editor.settings.layoutDue = false;
    editor.UpdateFrameLayout();
}

// A line's end dragged between two anchors of the equation; each move reconnects the end and lays
// the document out again.
void BM_ConnectionDragMove(benchmark::State &state)
{
    FrameServices *services = FrameServices::GetOrSkip(state);
    if (services == nullptr) return;
    oq::RegisterDrawingKinds();
    auto editor = MakeEditor(state, services);
    // A line drawn with the tool between the first two anchors apart.
    editor->SetDrawingToolGroup(oq::kToolGroupLine);
    std::vector<oq::AnchorRecord> anchors = FindableAnchors(*editor);
    std::vector<oq::Point2D> points;
    for (const oq::AnchorRecord &r : anchors)
    {
        oq::Point2D p(r.x, r.y);
        bool apart = true;
        for (const oq::Point2D &q : points) apart = apart && (std::fabs(p.x - q.x) > 4.0f || std::fabs(p.y - q.y) > 4.0f);
        if (apart) points.push_back(p);
        if (points.size() == 3) break;
    }
    if (points.size() < 3)
    {
        state.SkipWithError("too few anchors");
        return;
    }
    editor->viewCentre = points[0];
    editor->UpdateViewTransform();
    Send(*editor, 'lmdn', PixelOf(*editor, points[0]), 1);
    Send(*editor, 'msmv', PixelOf(*editor, points[1]));
    Send(*editor, 'lmup', PixelOf(*editor, points[1]));
    Relayout(*editor);
    oq::DrawingObject *drawing = FindDrawing(*editor);
    // Selected alone with the equation tool, its finish handle pressed.
    editor->SetDrawingToolGroup(oq::kToolGroupEquation);
    if (drawing != nullptr) editor->document.objectSelection.AddElement(drawing);
    editor->DiscardSelectionOverlay();
    editor->BuildSelectionOverlay();
    if (drawing == nullptr || !editor->handlesShown)
    {
        state.SkipWithError("no line to drag");
        return;
    }
    const oq::EndHandle &finish = editor->endHandles[1];
    Send(*editor, 'lmdn', PixelOf(*editor, oq::Point2D(finish.x, finish.y)), 1);
    if (editor->dragMode != uint32_t('conn'))
    {
        state.SkipWithError("the press took no end handle");
        return;
    }
    int64_t relayouts = 0;
    size_t turn = 1;
    for (auto _ : state)
    {
        turn = turn == 1 ? 2 : 1;
        benchmark::DoNotOptimize(Send(*editor, 'msmv', PixelOf(*editor, points[turn])));
        if (editor->settings.layoutDue)
        {
            Relayout(*editor);
            ++relayouts;
        }
    }
    state.counters["relayouts_per_move"] = double(relayouts) / double(state.iterations());
    Send(*editor, 'lmup', PixelOf(*editor, points[turn]));
    editor->DetachMainWindow();
    oq::TheEditor = nullptr;
}
BENCHMARK(BM_ConnectionDragMove)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
