// The anchor overlay: the annotation anchors for the annotation tool, the anchors a selected
// drawing's ends may move to, or those of the caret's group for the line and shape tools.
#include "editor/document/DocumentNode.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/drawing/DrawingObject.h"
#include "editor/editing/Editor.h"
#include "editor/editing/OverlayItems.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/ShapeRenderObject.h"

namespace oq {

uint32_t GetDrawingCategory(const DocumentNode *object)
{
    if (const auto *drawing = dynamic_cast<const DrawingObject *>(object)) return drawing->GetCategory();
    return object != nullptr && object->GetFamily() == kDrawingNodeFamily ? object->GetKind() : 0;
}

void Editor::BuildAnchorOverlay()
{
    DiscardAnchorOverlay();
    float scale = 1.0f / zoom;
    const Preferences *preferences = &settings.preferences;
    if (drawingToolGroup == kToolGroupAnnotation)
    {
        uint32_t color = preferences->colors[kColorAnnotationAnchor];
        for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
             s = s->GetNextStructure())
        {
            DocumentNode *node = DocumentNode::FromStructure(s);
            const Point2D *points = nullptr;
            int32_t count = node != nullptr ? node->GetAnchorPoints('anno', &points) : 0;
            for (int32_t j = 0; j < count && points != nullptr; ++j)
            {
                anchorRecords.AddElement(AnchorRecord{node, 'anno', j, points[j].x, points[j].y});
                AppendOverlayBar(&anchorItems, points[j], 1.5f * scale, 1.5f * scale, color);
            }
        }
    }
    else if (handlesShown && document.objectSelection.GetElementCount() == 1)
    {
        DocumentNode *object = document.objectSelection[0];
        BuildAnchorHandles(&document, endHandles[0].link->GetTarget(), endHandles[1].link->GetTarget(), scale,
                           preferences, &anchorRecords, &anchorItems, GetDrawingCategory(object) == 'line', object);
    }
    else if (drawingToolGroup == kToolGroupLine || drawingToolGroup == kToolGroupShape)
    {
        MathNode *start = document.selection.start.node;
        anchorGroup = start != nullptr ? start->GetEnclosingGroup() : nullptr;
        if (anchorGroup == nullptr) return;
        BuildAnchorHandles(&document, anchorGroup, nullptr, scale, preferences, &anchorRecords, &anchorItems,
                           drawingToolGroup == kToolGroupLine, nullptr);
    }
    else
    {
        return;
    }
    BuildOverlayObject(&anchorOverlay, &anchorItems, ColorRGBA{1.0f, 1.0f, 1.0f, 1.0f});
}

void Editor::DiscardAnchorOverlay()
{
    ReleaseOverlayObject(&anchorOverlay);
    anchorItems.Purge();
    anchorRecords.SetElementCount(0);
    anchorGroup = nullptr;
}

}  // namespace oq
