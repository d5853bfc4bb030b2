// Zooming the view around the caret.
#include "editor/editing/Editor.h"

namespace oq {

bool Editor::ZoomKeepingCaret(float newZoom)
{
    Point2D caret = caretPoints[movingEnd > 0 ? 1 : 0];
    float before = pixelScale;
    SetZoom(newZoom);
    float after = pixelScale;
    // The caret's document point keeps its pixel: its offset from the view centre scales with the
    // pixel scale (the centre is a document point, y up, on both axes alike).
    viewCentre.x += (caret.x - viewCentre.x) / before * (before - after);
    viewCentre.y += (caret.y - viewCentre.y) / before * (before - after);
    UpdateViewTransform();
    viewChanged = true;
    return true;
}

}  // namespace oq
