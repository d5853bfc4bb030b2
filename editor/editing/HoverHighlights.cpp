// The hover highlight of an anchor or an end handle and the hover outline of an object, with the
// outline's delay.
#include "editor/document/DocumentNode.h"
#include "editor/editing/Editor.h"
#include "editor/editing/OverlayItems.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/ShapeRenderObject.h"

namespace oq {

void Editor::BuildHighlightObject()
{
    List items;
    AppendOverlayBar(&items, highlight.point, highlight.halfSide, highlight.halfSide, highlight.color);
    BuildOverlayObject(&highlightOverlay, &items, ColorRGBA{1.0f, 1.0f, 1.0f, 1.0f});
    items.Purge();
}

bool Editor::HighlightEndHandle(const EndHandle &handle)
{
    if (highlight.shown && highlight.handleHovered && IsSameEndHandle(highlight.handle, handle)) return false;
    highlight = HoverHighlight();
    highlight.shown = true;
    highlight.handleHovered = true;
    highlight.handle = handle;
    highlight.point = Point2D(handle.x, handle.y);
    highlight.halfSide = 3.75f / zoom;
    highlight.color = 0xFF000000u;
    BuildHighlightObject();
    return true;
}

bool Editor::HighlightAnchor(const AnchorRecord &record, const Point2D &point)
{
    if (highlight.shown && highlight.anchorHovered && IsSameAnchor(highlight.anchor, record) &&
        highlight.point.x == point.x && highlight.point.y == point.y)
        return false;
    highlight = HoverHighlight();
    highlight.shown = true;
    highlight.anchorHovered = true;
    highlight.anchor = record;
    highlight.point = point;
    highlight.halfSide = 3.0f / zoom;
    const Preferences *preferences = &settings.preferences;
    const uint32_t *color = record.kind == 'anno' ? &preferences->colors[kColorAnnotationAnchor]
                                                  : record.node->GetAnchorHandleColor(preferences, record.kind);
    highlight.color = color != nullptr ? *color : 0xFF000000u;
    BuildHighlightObject();
    return true;
}

bool Editor::DiscardHoverHighlight()
{
    bool shown = highlight.shown;
    highlight = HoverHighlight();
    ReleaseOverlayObject(&highlightOverlay);
    return shown;
}

bool Editor::ShowObjectHoverOutline(DocumentNode *object)
{
    if (object == hoveredObject) return false;
    bool fromAnother = hoveredObject != nullptr;
    hoveredObject = object;
    hoverOutlineItems.Purge();
    object->BuildSelectionOutline(3.0f / zoom, &hoverOutlineItems);
    hoverOutlineColor = LinearOverlayColor(settings.preferences.colors[kColorSelection], 0.5f);
    BuildOverlayObject(&hoverOutlineObject, &hoverOutlineItems, hoverOutlineColor);
    if (fromAnother)
    {
        hoverDeadline = lastTickTime;
        return true;
    }
    hoverDeadline = lastTickTime + 100;
    return false;
}

bool Editor::DiscardObjectHoverOutline()
{
    bool shown = hoveredObject != nullptr;
    hoveredObject = nullptr;
    hoverOutlineItems.Purge();
    ReleaseOverlayObject(&hoverOutlineObject);
    return shown;
}

}  // namespace oq
