#include "editor/platform/DialogWindow.h"

#include "base/TextUtils.h"

#include <cstring>
#include <memory>
#include <vector>

namespace oq {

const float kDialogClearColor[4] = {0.955973F, 0.955973F, 0.955973F, 1.0F};

namespace {

DialogFrameObserver frameObserver = nullptr;

// One entry of the deferred-close list.
struct DeferredClose
{
    Link<DialogWindow> link;
};

std::vector<std::unique_ptr<DeferredClose>> &DeferredCloses()
{
    static std::vector<std::unique_ptr<DeferredClose>> list;
    return list;
}

}  // namespace

void CutDialogTitle(const char *title, char *buffer)
{
    int32_t units = 0;
    int32_t size = 0;
    while (title && *title)
    {
        uint32_t codePoint = 0;
        int32_t length = DecodeUtf8(title, &codePoint);
        if (codePoint == 0) break;
        int32_t need = codePoint > 0xFFFF ? 2 : 1;
        if (units + need > 255) break;
        size += EncodeUtf8(buffer + size, codePoint);
        units += need;
        title += length;
    }
    buffer[size] = 0;
}

DialogWindow::DialogWindow(WindowHandle ownerWindow, const char *title, int32_t clientWidth, int32_t clientHeight)
    : WindowWidget({0.0F, 0.0F}, {0.0F, 0.0F}), width(float(clientWidth)), height(float(clientHeight)),
      owner(ownerWindow)
{
    WindowSystem *system = GetWindowSystem();
    system->EnableWindow(owner, false);

    float dpi = system->GetDpi();
    pixelWidth = int32_t(uint32_t(width * dpi / 72.0F));
    pixelHeight = int32_t(uint32_t(height * dpi / 72.0F));

    WindowRect ownerRect;
    if (!system->GetWindowRect(owner, &ownerRect)) ownerRect = WindowRect{};
    WindowRect client;
    client.left = (ownerRect.left + ownerRect.right - pixelWidth) >> 1;
    client.top = (ownerRect.top + ownerRect.bottom - pixelHeight) >> 1;
    client.right = client.left + pixelWidth;
    client.bottom = client.top + pixelHeight;

    char cutTitle[kDialogTitleBytes];
    CutDialogTitle(title, cutTitle);
    window = system->CreatePopupWindow(owner, cutTitle, client);
    if (window != 0) system->RegisterWindow(window, this, owner);

    pointsPerPixel = 72.0F / dpi;
    float hw = float(pixelWidth) * pointsPerPixel * 0.5F;
    float hh = float(pixelHeight) * pointsPerPixel * 0.5F;
    projection.Set(1.0F / hw, 0.0F, 0.0F, -1.0F,
                   0.0F, -1.0F / hh, 0.0F, 1.0F,
                   0.0F, 0.0F, 0.5F, 0.5F,
                   0.0F, 0.0F, 0.0F, 1.0F);

    Renderer *renderer = GetRenderer();
    open = window != 0 && renderer != nullptr &&
           target.Create(*renderer, system->GetTargetWindow(window), pixelWidth, pixelHeight, kDialogClearColor);
    if (!open)
    {
        // Creators add widgets and make the dialog their popup without checking: keep the owner
        // usable and close the dialog at the next turn.
        system->EnableWindow(owner, true);
        system->ShowMessage("Error", "A dialog window could not be opened.");
        DeferDialogClose(this);
    }
}

DialogWindow::~DialogWindow()
{
    target.Release();
    WindowSystem *system = GetWindowSystem();
    system->EnableWindow(owner, true);
    if (window != 0)
    {
        system->UnregisterWindow(window);
        system->DestroyWindow(window);
        // The widget tree releases its GPU objects below: the context must be current for that.
        system->RestoreContext();
    }
    // A linked child would stay open with nothing to drive it: it closes at the next turn.
    if (DialogWindow *child = childDialog.GetTarget()) DeferDialogClose(child);
    childDialog.SetTarget(nullptr);
}

void DialogWindow::SetChildDialog(DialogWindow *child)
{
    childDialog.SetTarget(child);
    if (Widget *hovered = hoverLink.GetTarget())
    {
        hoverLink.SetTarget(nullptr);
        hovered->HoverEnd();
    }
    if (Widget *captured = captureLink.GetTarget())
    {
        // The widget gets no release: it must not go on dragging on the next hover.
        captured->SetWidgetFlags(captured->GetWidgetFlags() & ~kWidgetCaptured);
        captureLink.SetTarget(nullptr);
    }
}

void DialogWindow::Update(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval)
{
    if (DialogWindow *child = childDialog.GetTarget())
    {
        child->Update(now, nextDeadline, blinkInterval);
        return;
    }
    WindowWidget::Update(now, nextDeadline, blinkInterval);
}

void RenderDialogChain(DialogWindow *first)
{
    for (DialogWindow *dialog = first; dialog; dialog = dialog->GetChildDialog())
    {
        if (!dialog->IsRedrawNeeded() || !dialog->IsOpen()) continue;
        dialog->target.BeginFrame();
        GetRenderer()->SetScissor(0, 0, dialog->pixelWidth, dialog->pixelHeight);
        dialog->UpdatePosition();
        if ((dialog->GetWidgetFlags() & kWidgetHidden) == 0)
        {
            dialog->Render(dialog->projection);
            for (Widget *widget = dialog->GetFirstSubwidget(); widget; widget = widget->GetNextWidget())
            {
                widget->RenderTree(dialog->projection);
            }
        }
        if (frameObserver) frameObserver(*dialog);
        dialog->target.Present();
    }
}

void SetDialogFrameObserver(DialogFrameObserver observer) { frameObserver = observer; }

void DeferDialogClose(DialogWindow *dialog)
{
    auto entry = std::make_unique<DeferredClose>();
    entry->link.SetTarget(dialog);
    DeferredCloses().push_back(std::move(entry));
}

void CloseDeferredDialogs()
{
    auto &list = DeferredCloses();
    while (!list.empty())
    {
        std::unique_ptr<DeferredClose> entry = std::move(list.front());
        list.erase(list.begin());
        DialogWindow *dialog = entry->link.GetTarget();
        entry.reset();
        delete dialog;
    }
}

bool HasDeferredDialogs()
{
    for (const auto &entry : DeferredCloses())
    {
        if (entry->link.GetTarget()) return true;
    }
    return false;
}

}  // namespace oq
