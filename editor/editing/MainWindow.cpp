// The main window as the editor sees it: its size, the view arithmetic, the band roots, the
// active popup and the window's input.
#include "editor/editing/Editor.h"

#include "editor/editing/MenuState.h"
#include "editor/editing/SharedUiResources.h"
#include "editor/editing/ToolPanel.h"
#include "editor/platform/DialogWindow.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/WindowWidget.h"

#include <cmath>

namespace oq {

namespace {

// x scale 2 / (width x scale), y scale -2 / (height x scale), z 0.5 + 0.5: centred units, y down.
void SetProjection(Matrix4D *matrix, int32_t width, int32_t height, float scale)
{
    float w = float(width) * scale;
    float h = float(height) * scale;
    matrix->Set(w > 0.0f ? 2.0f / w : 0.0f, 0.0f, 0.0f, 0.0f,
                0.0f, h > 0.0f ? -2.0f / h : 0.0f, 0.0f, 0.0f,
                0.0f, 0.0f, 0.5f, 0.5f,
                0.0f, 0.0f, 0.0f, 1.0f);
}

// The inverse of an affine matrix: the inverse of its 3 x 3 part with the negated rotated
// translation.
Matrix4D InvertAffine(const Matrix4D &m)
{
    float a = m(0, 0), b = m(0, 1), c = m(0, 2);
    float d = m(1, 0), e = m(1, 1), f = m(1, 2);
    float g = m(2, 0), h = m(2, 1), i = m(2, 2);
    float c00 = e * i - f * h, c01 = c * h - b * i, c02 = b * f - c * e;
    float c10 = f * g - d * i, c11 = a * i - c * g, c12 = c * d - a * f;
    float c20 = d * h - e * g, c21 = b * g - a * h, c22 = a * e - b * d;
    float determinant = a * c00 + b * c10 + c * c20;
    float r = determinant != 0.0f ? 1.0f / determinant : 0.0f;
    c00 *= r, c01 *= r, c02 *= r, c10 *= r, c11 *= r, c12 *= r, c20 *= r, c21 *= r, c22 *= r;
    float tx = m(0, 3), ty = m(1, 3), tz = m(2, 3);
    return Matrix4D(c00, c01, c02, -(c00 * tx + c01 * ty + c02 * tz),
                    c10, c11, c12, -(c10 * tx + c11 * ty + c12 * tz),
                    c20, c21, c22, -(c20 * tx + c21 * ty + c22 * tz),
                    0.0f, 0.0f, 0.0f, 1.0f);
}

}  // namespace

void Editor::UpdateViewTransform()
{
    uiScale = 72.0f / dpi;
    toolBandHeight = int32_t(dpi * (1.0f / 72.0f) * kToolBandHeight);
    statusBandHeight = int32_t(dpi * (1.0f / 72.0f) * kStatusBandHeight);
    halfClientWidth = float(clientWidth) * 0.5f;
    halfClientHeight = float(clientHeight) * 0.5f;
    SetProjection(&uiProjection, clientWidth, clientHeight, uiScale);
    SetProjection(&documentProjection, clientWidth, clientHeight, pixelScale);
    viewCamera.Set(1.0f, 0.0f, 0.0f, viewCentre.x, 0.0f, 1.0f, 0.0f, -viewCentre.y, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f,
                   0.0f, 0.0f, 1.0f);
}

Matrix4D Editor::GetDocumentTransform() const
{
    return documentProjection * InvertAffine(viewCamera);
}

void Editor::SetZoom(float newZoom)
{
    zoom = std::isnan(newZoom) ? 0.25f : newZoom < 0.25f ? 0.25f : newZoom > 10000.0f ? 10000.0f : newZoom;
    static_cast<void>(DiscardHoverHighlight());
    static_cast<void>(DiscardObjectHoverOutline());
    DiscardSelectionOverlay();
    DiscardAnchorOverlay();
    pixelScale = 72.0f / (zoom * dpi);
    UpdateViewTransform();
    for (int32_t n = 1; n <= 8; ++n) CheckMenuItem(kMenuZoomFirst + n - 1, zoom == float(n));
    UpdateZoomField();
}

void Editor::ResetView()
{
    SetZoom(2.0f);
    viewCentre.x = (halfClientWidth - dpi / 2.0f) * pixelScale;
    viewCentre.y = float(toolBandHeight - statusBandHeight) / 2.0f * pixelScale;
    UpdateViewTransform();
}

void Editor::ScrollToShowBox(const Box2D &box)
{
    float s = pixelScale;
    float margin = dpi / 2.0f;
    float left = viewCentre.x + (margin - halfClientWidth) * s;
    float right = viewCentre.x + (float(clientWidth) - margin - halfClientWidth) * s;
    float top = viewCentre.y + (halfClientHeight - float(toolBandHeight) - margin) * s;
    float bottom = viewCentre.y + (halfClientHeight - (float(clientHeight - statusBandHeight) - margin)) * s;
    if (box.min.x < left + 1.0f)
        viewCentre.x += std::fmin(box.min.x - left, 0.0f);
    else if (box.max.x > right - 1.0f)
        viewCentre.x += std::fmax(box.max.x - right, 0.0f);
    if (box.max.y > top - 1.0f)
        viewCentre.y += std::fmax(box.max.y - top, 0.0f);
    else if (box.min.y < bottom + 1.0f)
        viewCentre.y += std::fmin(box.min.y - bottom, 0.0f);
    UpdateViewTransform();
}

bool Editor::AutoscrollWhileDragging(const Point2D &pixel)
{
    // The tick's copy of the clock.
    auto now = uint64_t(lastTickTime);
    uint64_t since = now >= lastAutoscrollTime ? now - lastAutoscrollTime : 0;
    float elapsed = float(since < 16 ? since : 16);
    lastAutoscrollTime = now;
    float k = 0.2f / zoom;
    bool moved = false;
    if (pixel.x > float(clientWidth))
    {
        viewCentre.x += std::fmin((pixel.x - float(clientWidth)) / dpi, 8.0f) * elapsed * k;
        moved = true;
    }
    else if (pixel.x < 0.0f)
    {
        viewCentre.x += std::fmax(pixel.x / dpi, -8.0f) * elapsed * k;
        moved = true;
    }
    float stripBottom = float(clientHeight - statusBandHeight);
    if (pixel.y > stripBottom)
    {
        viewCentre.y -= std::fmin((pixel.y - stripBottom) / dpi, 8.0f) * elapsed * k;
        moved = true;
    }
    else if (pixel.y < float(toolBandHeight))
    {
        viewCentre.y -= std::fmax((pixel.y - float(toolBandHeight)) / dpi, -8.0f) * elapsed * k;
        moved = true;
    }
    if (moved) UpdateViewTransform();
    return moved;
}

void Editor::AttachMainWindow(WindowHandle window, int32_t width, int32_t height)
{
    mainWindow = window;
    if (WindowSystem *system = GetWindowSystem()) dpi = system->GetDpi();
    clientWidth = width;
    clientHeight = height;
    UpdateViewTransform();
    ResetView();
    if (toolBandRoot == nullptr) toolBandRoot = new WindowWidget({0.0f, 0.0f}, {0.0f, 0.0f});
    if (statusBandRoot == nullptr) statusBandRoot = new WindowWidget({0.0f, 0.0f}, {0.0f, 0.0f});
    toolBandRoot->SetWidgetSize({float(width) * uiScale, kToolBandHeight});
    statusBandRoot->SetWidgetSize({float(width) * uiScale, float(height) * uiScale});
    CreateSharedUiResources();
    settings.layoutDue = true;
    viewChanged = true;
}

void Editor::DetachMainWindow()
{
    delete toolBandRoot;
    toolBandRoot = nullptr;
    delete statusBandRoot;
    statusBandRoot = nullptr;
    ReleaseFrameObjects();
    ReleasePreviewOverlay();
    ReleaseSharedUiResources();
    mainWindow = 0;
}

bool Editor::OnSize(int32_t width, int32_t height)
{
    if (width == clientWidth && height == clientHeight) return false;
    float shownLeft = viewCentre.x - halfClientWidth * pixelScale;
    float shownTop = viewCentre.y + (halfClientHeight - float(toolBandHeight)) * pixelScale;
    clientWidth = width;
    clientHeight = height;
    UpdateViewTransform();
    viewCentre.x = shownLeft + halfClientWidth * pixelScale;
    viewCentre.y = shownTop - (halfClientHeight - float(toolBandHeight)) * pixelScale;
    UpdateViewTransform();
    if (toolBandRoot != nullptr) toolBandRoot->SetWidgetSize({float(width) * uiScale, kToolBandHeight});
    if (statusBandRoot != nullptr) statusBandRoot->SetWidgetSize({float(width) * uiScale, float(height) * uiScale});
    DeleteToolPanel();
    Renderer *renderer = GetRenderer();
    if (renderer != nullptr && renderer->IsStarted()) static_cast<void>(renderer->mainTarget.Resize(width, height));
    RenderEditorFrame();
    return true;
}

void Editor::SetActivePopup(DialogWindow *dialog)
{
    activePopup.SetTarget(dialog);
    CancelDrag();
}

DialogWindow *Editor::GetActivePopup() const { return activePopup.GetTarget(); }

bool Editor::HandleMainWindowInput(const WindowInput &input)
{
    switch (input.kind)
    {
    case kInputMouse: return HandleMouseEvent(input.event);
    case kInputKey: return input.event.type == 'kydn' && HandleKeyDown(input.event);
    case kInputText:
        for (int32_t i = 0; i < input.codePointCount && i < kWindowInputTextSize; ++i)
            static_cast<void>(TypeCharacter(input.codePoints[i], 0));
        return true;
    case kInputSize:
        static_cast<void>(OnSize(input.width, input.height));
        return false;
    case kInputExpose: return true;
    case kInputClose:
        SetQuitRequested(true);
        return false;
    default: return false;
    }
}

bool Editor::TickFrame(uint32_t modifiers, uint64_t *deadline)
{
    return TickAt(ElapsedMilliseconds(), (modifiers & kModifierShift) != 0, deadline);
}

void Editor::RenderFrame() { RenderEditorFrame(); }

}  // namespace oq
