// The frame render: the layout when due, the cached GPU objects, and the draw in its fixed order.
#include "editor/editing/FrameLayers.h"

#include "editor/document/DocumentNode.h"
#include "editor/editing/Editor.h"
#include "editor/editing/MenuState.h"
#include "editor/editing/OverlayItems.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/ShapeRenderObject.h"
#include "editor/platform/WindowWidget.h"

namespace oq {

namespace {

void ReleaseShapes(Array<ShapeRenderObject *, 4> *objects)
{
    for (int32_t i = 0; i < objects->GetElementCount(); ++i) ReleaseOverlayObject(&(*objects)[i]);
    objects->SetElementCount(0);
}

// One object from the list; none when the list is empty.
ShapeRenderObject *BuildListObject(Renderer &renderer, const DisplayList *list, bool coverageGroup)
{
    if (list->IsEmpty()) return nullptr;
    auto *object = new ShapeRenderObject;
    if (coverageGroup)
        BuildCoverageGroupRenderObject(renderer, object, list);
    else
        BuildFillPathListRenderObject(renderer, object, list);
    return object;
}

// A drawing's path items: its fill item first when it fills, then its stroke pieces, all of the
// stroke colour, as one coverage group.
void BuildDrawingObjects(Renderer &renderer, const DocumentNode *drawing, DisplayList *items,
                         Array<ShapeRenderObject *, 4> *objects, int64_t *builds)
{
    NodeColor fill;
    if (drawing->GetFillColor(&fill))
    {
        if (ListElement *first = items->GetFirstListElement())
        {
            items->Remove(first);
            DisplayList fillList;
            fillList.Append(first);
            objects->AddElement(BuildListObject(renderer, &fillList, false));
            ++*builds;
            fillList.Purge();
        }
    }
    if (!items->IsEmpty())
    {
        objects->AddElement(BuildListObject(renderer, items, true));
        ++*builds;
    }
    items->Purge();
}

void DrawShape(Renderer &renderer, ShapeRenderObject *object, const Matrix4D &matrix)
{
    if (object != nullptr) object->Draw(renderer, matrix);
}

void DrawShapes(Renderer &renderer, Array<ShapeRenderObject *, 4> &objects, const Matrix4D &matrix)
{
    for (int32_t i = 0; i < objects.GetElementCount(); ++i) DrawShape(renderer, objects[i], matrix);
}

void RenderBand(Widget *root, const Matrix4D &transform)
{
    if (root == nullptr) return;
    root->UpdatePosition();
    if ((root->GetWidgetFlags() & kWidgetHidden) != 0) return;
    root->Render(transform);
    for (Widget *widget = root->GetFirstSubwidget(); widget != nullptr; widget = widget->GetNextWidget())
        widget->RenderTree(transform);
}

}  // namespace

FrameLayer GetFrameLayer(uint32_t family, bool equationSeen)
{
    if (family == kEquationNodeFamily) return FrameLayer::kEquation;
    return equationSeen ? FrameLayer::kForeground : FrameLayer::kBackground;
}

void Editor::ReleaseFrameObjects()
{
    glyphMeshItems.Purge();
    ReleaseOverlayObject(&equationPaths);
    ReleaseOverlayObject(&editingAids);
    ReleaseShapes(&backgroundPaths);
    ReleaseShapes(&foregroundPaths);
}

void Editor::ReleasePreviewOverlay() { ReleaseOverlayObject(&previewOverlay); }

void Editor::LayoutFrame(Renderer &renderer)
{
    UpdateFrameLayout();
    ReleaseFrameObjects();
    BuildFrameMeshes();
    BuildFramePaths(renderer);
    if (saveEnabled)
    {
        saveEnabled = false;
        EnableMenuItem(kMenuSave, true);
    }
}

void Editor::UpdateFrameLayout()
{
    DiscardSelectionOverlay();
    DiscardAnchorOverlay();
    for (TextString &name : missingFontNames) name = TextString();
    ++counters.updateLayout;
    static_cast<void>(document.UpdateLayout(missingFontNames));
    fontLoadPending = false;
    for (const TextString &name : missingFontNames)
    {
        if (name.GetLength() != 0) fontLoadPending = true;
    }
}

void Editor::BuildFrameMeshes()
{
    const Design *design = &document.design;
    KettricStructure *root = document.GetRootStructure();
    int32_t before = glyphMeshItems.GetListElementCount();
    for (KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (const DocumentNode *node = DocumentNode::FromStructure(s)) node->BuildMeshItems(design, &glyphMeshItems);
    }
    counters.meshBuilds += glyphMeshItems.GetListElementCount() - before;
}

void Editor::BuildFramePaths(Renderer &renderer)
{
    const Design *design = &document.design;
    KettricStructure *root = document.GetRootStructure();
    DisplayList equationList;
    DisplayList aidList;
    bool equationSeen = false;
    for (KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        const DocumentNode *node = DocumentNode::FromStructure(s);
        if (node == nullptr) continue;
        FrameLayer layer = GetFrameLayer(node->GetFamily(), equationSeen);
        if (layer == FrameLayer::kEquation)
        {
            equationSeen = true;
            node->BuildPathItems(design, &equationList);
            continue;
        }
        DisplayList items;
        node->BuildPathItems(design, &items);
        BuildDrawingObjects(renderer, node, &items,
                            layer == FrameLayer::kBackground ? &backgroundPaths : &foregroundPaths,
                            &counters.renderObjectBuilds);
    }
    const Preferences *preferences = &settings.preferences;
    for (KettricStructure *s = root->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (const DocumentNode *node = DocumentNode::FromStructure(s))
            node->BuildEditingAidItems(settings.state.viewFlags, preferences, design, &aidList);
    }
    equationPaths = BuildListObject(renderer, &equationList, false);
    editingAids = BuildListObject(renderer, &aidList, false);
    counters.renderObjectBuilds += (equationPaths != nullptr ? 1 : 0) + (editingAids != nullptr ? 1 : 0);
    equationList.Purge();
    aidList.Purge();
}

void Editor::DrawFrame(Renderer &renderer)
{
    if (settings.layoutDue)
    {
        settings.layoutDue = false;
        LayoutFrame(renderer);
    }
    if (selectionOverlay == nullptr)
    {
        BuildSelectionOverlay();
        if (selectionOverlay != nullptr) ++counters.overlayBuilds;
    }
    if (anchorOverlay == nullptr)
    {
        BuildAnchorOverlay();
        if (anchorOverlay != nullptr) ++counters.overlayBuilds;
    }
    if (previewObject != nullptr && previewOverlay == nullptr)
    {
        DisplayList items;
        previewObject->BuildPathItems(&document.design, &items);
        previewOverlay = BuildListObject(renderer, &items, false);
        items.Purge();
    }
    if (viewChanged)
    {
        viewChanged = false;
        ScrollToShowBox(caretBoxes[movingEnd > 0 ? 1 : 0]);
    }

    uint32_t back = settings.preferences.colors[kColorBackground];
    WindowTarget &target = renderer.mainTarget;
    target.clearColor[0] = kSrgbByteToLinear[back & 0xFFu];
    target.clearColor[1] = kSrgbByteToLinear[(back >> 8) & 0xFFu];
    target.clearColor[2] = kSrgbByteToLinear[(back >> 16) & 0xFFu];
    target.clearColor[3] = float((back >> 24) & 0xFFu) * 0.003921569f;
    target.BeginFrame();
    renderer.SetScissor(0, toolBandHeight, clientWidth, clientHeight - statusBandHeight);

    Matrix4D d = GetDocumentTransform();
    bool foregroundPreview = settings.state.toolPanel.drawInForeground;
    DrawShapes(renderer, backgroundPaths, d);
    if (selectionOverlayKind == 'eqtn') DrawShape(renderer, selectionOverlay, d);
    if (!foregroundPreview) DrawShape(renderer, previewOverlay, d);
    DrawShape(renderer, editingAids, d);
    for (ListElement *element = glyphMeshItems.GetFirstListElement(); element != nullptr;
         element = element->GetNextListElement())
    {
        auto *mesh = static_cast<GlyphMeshItem *>(element);
        if (mesh->vertexTotal != 0) mesh->Draw(d);
    }
    DrawShape(renderer, equationPaths, d);
    DrawShapes(renderer, foregroundPaths, d);
    if (selectionOverlayKind == 'objt') DrawShape(renderer, selectionOverlay, d);
    if (lastTickTime >= hoverDeadline) DrawShape(renderer, hoverOutlineObject, d);
    if (foregroundPreview) DrawShape(renderer, previewOverlay, d);
    DrawShape(renderer, anchorOverlay, d);
    DrawShape(renderer, highlightOverlay, d);
    DrawShape(renderer, handleOverlay, d);
    if (selectionOverlayKind == 0 && caretVisible && ApplicationActive()) DrawShape(renderer, selectionOverlay, d);

    renderer.SetScissor(0, 0, clientWidth, clientHeight);
    if (toolBandRoot != nullptr && toolBandRoot->GetFirstSubwidget() == nullptr) BuildToolPanel();
    Matrix4D ui = uiProjection * Matrix4D(1.0f, 0.0f, 0.0f, -halfClientWidth * uiScale, 0.0f, 1.0f, 0.0f,
                                          -halfClientHeight * uiScale, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    RenderBand(toolBandRoot, ui);
    RenderBand(statusBandRoot, ui);
    ++counters.frames;
    if (frameObserver != nullptr) frameObserver();
    target.Present();
}

void RenderEditorFrame()
{
    Renderer *renderer = GetRenderer();
    if (TheEditor == nullptr || renderer == nullptr || !renderer->IsStarted()) return;
    TheEditor->DrawFrame(*renderer);
}

}  // namespace oq
