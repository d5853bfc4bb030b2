// The hover highlight of an anchor and the hover outline of an object, with the outline's delay.
#include "editor/document/DocumentNode.h"
#include "editor/editing/Editor.h"
#include "editor/fonts/Preferences.h"
#include "editor/platform/DisplayItems.h"

namespace oq {

bool Editor::HighlightAnchor(const AnchorRecord &record, const Point2D &point)
{
    if (highlight.shown && highlight.anchorHovered && IsSameAnchor(highlight.anchor, record) &&
        highlight.point.x == point.x && highlight.point.y == point.y)
        return false;
    highlight.shown = true;
    highlight.anchorHovered = true;
    highlight.anchor = record;
    highlight.point = point;
    highlight.halfSide = 3.0f / zoom;
    const Preferences *preferences = &settings.preferences;
    const uint32_t *color = record.kind == 'anno' ? &preferences->colors[kColorAnnotationAnchor]
                                                  : record.node->GetAnchorHandleColor(preferences, record.kind);
    highlight.color = color != nullptr ? *color : 0xFF000000u;
    return true;
}

bool Editor::DiscardHoverHighlight()
{
    bool shown = highlight.shown;
    highlight = HoverHighlight();
    return shown;
}

bool Editor::ShowObjectHoverOutline(DocumentNode *object)
{
    if (object == hoveredObject) return false;
    bool fromAnother = hoveredObject != nullptr;
    hoveredObject = object;
    hoverOutline.Purge();
    object->BuildSelectionOutline(3.0f / zoom, &hoverOutline);
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
    hoverOutline.Purge();
    return shown;
}

}  // namespace oq
