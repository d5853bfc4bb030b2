// Zooming the view around the caret.
#include "editor/editing/Editor.h"

namespace oq {

bool Editor::ZoomKeepingCaret(float newZoom)
{
    Point2D caret = caretPoints[movingEnd > 0 ? 1 : 0];
    double before = pixelScale;
    SetZoom(newZoom);
    double after = pixelScale;
    // The caret's document point keeps its pixel: its offset from the view centre scales with the
    // pixel scale (the centre is a document point, y up, on both axes alike). In double, so that
    // only the stored centre rounds.
    viewCentre.x = float(viewCentre.x + (caret.x - double(viewCentre.x)) / before * (before - after));
    viewCentre.y = float(viewCentre.y + (caret.y - double(viewCentre.y)) / before * (before - after));
    UpdateViewTransform();
    viewChanged = true;
    return true;
}

}  // namespace oq
