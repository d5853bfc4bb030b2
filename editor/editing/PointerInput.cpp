// The main window's mouse dispatcher: the bands, capture, panning, zooming and the hover highlights.
#include "editor/document/DocumentNode.h"
#include "editor/drawing/DrawingObject.h"
#include "editor/editing/DialogFactory.h"
#include "editor/editing/Editor.h"
#include "editor/platform/DialogWindow.h"
#include "editor/platform/Widget.h"

#include <cmath>

namespace oq {

namespace {

constexpr int32_t kHeldLeft = 1;
constexpr int32_t kHeldRight = 2;
constexpr int32_t kHeldMiddle = 4;

bool IsObjectSelected(const EquationDocument &document, const DocumentNode *node)
{
    for (const DocumentNode *selected : document.objectSelection)
    {
        if (selected == node) return true;
    }
    return false;
}

}  // namespace

Point2D Editor::GetDocumentPoint(const Point2D &pixel) const
{
    return Point2D((pixel.x - halfClientWidth) * pixelScale + viewCentre.x,
                   (halfClientHeight - pixel.y) * pixelScale + viewCentre.y);
}

void Editor::SetMouseCapture(bool capture)
{
    mouseCaptured = capture;
    if (WindowSystem *system = GetWindowSystem()) system->CaptureMouse(capture);
}

void Editor::CancelDrag()
{
    if (dragMode == 'draw')
    {
        delete previewObject;
        previewObject = nullptr;
        ReleasePreviewOverlay();
        static_cast<void>(DiscardHoverHighlight());
    }
    else if (dragMode == 'conn')
    {
        if (auto *drawing = dynamic_cast<DrawingObject *>(connectObject)) drawing->draggedEnd = -1;
        settings.layoutDue = true;
    }
    connectObject = nullptr;
    grabbedHandle = EndHandle();
    startAnchor = AnchorRecord();
    otherEnd = AnchorRecord();
    heldButtons = 0;
    dragMode = 0;
    if (mouseCaptured) SetMouseCapture(false);
}

void Editor::ForgetDrag()
{
    // The preview is no part of the tree, but its start anchor is.
    delete previewObject;
    previewObject = nullptr;
    ReleasePreviewOverlay();
    connectObject = nullptr;
    grabbedHandle = EndHandle();
    startAnchor = AnchorRecord();
    otherEnd = AnchorRecord();
    selectionAnchor = CaretPosition();
    dragMode = 0;
}

namespace {

// Forwards an event to a band root in UI points.
void ForwardToBand(Widget *root, const UIEvent &event, float uiScale)
{
    if (root == nullptr) return;
    UIEvent local = event;
    local.position = Point2D(event.position.x * uiScale, event.position.y * uiScale);
    root->HandleMouseEvent(local);
}

}  // namespace

bool Editor::HandleMouseEvent(const UIEvent &event)
{
    const float x = event.position.x;
    const float y = event.position.y;
    const float ux = x * uiScale;
    const bool inToolBand = y < float(toolBandHeight);
    const bool inStatusBand = y > float(clientHeight - statusBandHeight);
    bool redraw = false;
    switch (event.type)
    {
    case 'lmdn':
        if (heldButtons == 0) SetMouseCapture(true);
        heldButtons |= kHeldLeft;
        pressFlags = event.modifiers;
        dragMode = 0;
        if (inToolBand)
        {
            dragMode = 'tool';
            ForwardToBand(toolBandRoot, event, uiScale);
        }
        else if (inStatusBand)
        {
            dragMode = 'stat';
            if (ux < 50.0f)
            {
                uint32_t mode = GetEditMode();
                SetEditMode(mode == kEditModeMath ? kEditModeChem : mode == kEditModeChem ? kEditModeText : kEditModeMath);
                redraw = true;
            }
            else if (ux < 200.0f)
            {
                const DialogFactory &factory = GetDialogFactory();
                OwnerDialogFunction construct = ux < 120.0f ? factory.fontSizeDialog : factory.zoomDialog;
                DialogWindow *dialog = construct != nullptr ? construct(mainWindow) : nullptr;
                if (dialog != nullptr) SetActivePopup(dialog);
            }
        }
        else if ((event.modifiers & kModifierControl) != 0)
            dragMode = 'scrl';
        else
            redraw = HandleLeftPress(event);
        lastPointerPixel = event.position;
        lastAutoscrollTime = uint64_t(lastTickTime);
        break;
    case 'lmup':
        if ((heldButtons & kHeldLeft) == 0) break;
        if (dragMode == 'tool')
            ForwardToBand(toolBandRoot, event, uiScale);
        else
            redraw = HandleLeftRelease(event);
        heldButtons &= ~kHeldLeft;
        if ((heldButtons & (kHeldRight | kHeldMiddle)) == 0 && mouseCaptured) SetMouseCapture(false);
        dragMode = 0;
        break;
    case 'rmdn':
        if (dragMode != 0) break;
        if (heldButtons == 0) SetMouseCapture(true);
        heldButtons |= kHeldRight;
        pressFlags = event.modifiers;
        // The zoom drag measures from the press, not from a move before it.
        lastPointerPixel = event.position;
        if ((event.modifiers & kModifierControl) == 0)
        {
            redraw = HandleRightPress(GetDocumentPoint(event.position));
            if (!redraw && (event.modifiers & kModifierShift) == 0 && document.objectSelection.GetElementCount() > 0)
            {
                document.objectSelection.SetElementCount(0);
                DiscardSelectionOverlay();
                DiscardAnchorOverlay();
                redraw = true;
            }
        }
        break;
    case 'rmup':
        if ((heldButtons & kHeldRight) == 0) break;
        heldButtons &= ~kHeldRight;
        if ((heldButtons & (kHeldLeft | kHeldMiddle)) == 0 && mouseCaptured) SetMouseCapture(false);
        break;
    case 'mmdn':
        if (dragMode != 0) break;
        if (heldButtons == 0) SetMouseCapture(true);
        heldButtons |= kHeldMiddle;
        if (!inToolBand && !inStatusBand) dragMode = 'scrl';
        // The pan measures from the press, not from a move before it.
        lastPointerPixel = event.position;
        break;
    case 'mmup':
        if ((heldButtons & kHeldMiddle) == 0) break;
        heldButtons &= ~kHeldMiddle;
        if ((heldButtons & (kHeldLeft | kHeldRight)) == 0 && mouseCaptured) SetMouseCapture(false);
        if (dragMode == 'scrl') dragMode = 0;
        break;
    case 'msmv':
    {
        const float dx = x - lastPointerPixel.x;
        const float dy = y - lastPointerPixel.y;
        if ((heldButtons & kHeldLeft) != 0)
        {
            if (dragMode == 'tool')
                ForwardToBand(toolBandRoot, event, uiScale);
            else if (dragMode == 'scrl')
            {
                if ((pressFlags & kModifierControl) != 0) redraw = PanView(dx, dy);
            }
            else
                redraw = HandlePointerDrag(event);
        }
        else if ((heldButtons & kHeldRight) != 0 && (pressFlags & kModifierControl) != 0)
        {
            SetZoom(zoom * std::exp(-0.005f * dy));
            redraw = true;
        }
        else if ((heldButtons & kHeldMiddle) != 0 && dragMode == 'scrl')
            redraw = PanView(dx, dy);
        else
            redraw = HoverAt(event);
        lastPointerPixel = event.position;
        break;
    }
    case 'mwhl':
        if (inToolBand)
            ForwardToBand(toolBandRoot, event, uiScale);
        else if (!inStatusBand)
        {
            float z = std::exp(0.24f * event.wheel.y) * zoom;
            float whole = std::floor(z);
            if (z - whole < 0.125f) z = whole;
            float oldScale = pixelScale;
            SetZoom(z);
            float change = oldScale - pixelScale;
            viewCentre.x += (lastPointerPixel.x - halfClientWidth) * change;
            viewCentre.y -= (lastPointerPixel.y - halfClientHeight) * change;
            UpdateViewTransform();
            redraw = true;
        }
        break;
    case 'mlev': ForwardToBand(toolBandRoot, event, uiScale); break;
    default: break;
    }
    return redraw;
}

bool Editor::PanView(float dx, float dy)
{
    viewCentre.x -= pixelScale * dx;
    viewCentre.y += pixelScale * dy;
    UpdateViewTransform();
    return true;
}

bool Editor::HoverAt(const UIEvent &event)
{
    ForwardToBand(toolBandRoot, event, uiScale);
    const float y = event.position.y;
    if (y < float(toolBandHeight) || y > float(clientHeight - statusBandHeight))
    {
        // Both run: never short-circuited.
        bool highlightGone = DiscardHoverHighlight();
        bool outlineGone = DiscardObjectHoverOutline();
        return highlightGone || outlineGone;
    }
    Point2D p = GetDocumentPoint(event.position);
    if (handlesShown)
    {
        const EndHandle *handle = FindEndHandleAt(p);
        if (handle != nullptr)
        {
            bool outlineGone = DiscardObjectHoverOutline();
            bool shown = HighlightEndHandle(*handle);
            return outlineGone || shown;
        }
    }
    if (drawingToolGroup != kToolGroupEquation)
    {
        const AnchorRecord *anchor = FindAnchorAtPoint(p, nullptr);
        if (anchor != nullptr)
        {
            bool outlineGone = DiscardObjectHoverOutline();
            bool shown = HighlightAnchor(*anchor, Point2D(anchor->x, anchor->y));
            return outlineGone || shown;
        }
    }
    DocumentNode *object = FindObjectAtPoint(p);
    if (object != nullptr && !IsObjectSelected(document, object))
    {
        bool highlightGone = DiscardHoverHighlight();
        bool shown = ShowObjectHoverOutline(object);
        return highlightGone || shown;
    }
    bool highlightGone = DiscardHoverHighlight();
    bool outlineGone = DiscardObjectHoverOutline();
    return highlightGone || outlineGone;
}

const EndHandle *Editor::FindEndHandleAt(const Point2D &point) const
{
    float limit = 3.0f / zoom;
    float best = limit * limit;
    const EndHandle *found = nullptr;
    for (const EndHandle &handle : endHandles)
    {
        if (handle.link == nullptr) continue;
        float dx = point.x - handle.x;
        float dy = point.y - handle.y;
        float distance = dx * dx + dy * dy;
        // The start wins a tie: only a strictly nearer finish replaces it.
        if (distance < best)
        {
            best = distance;
            found = &handle;
        }
    }
    return found;
}

}  // namespace oq
