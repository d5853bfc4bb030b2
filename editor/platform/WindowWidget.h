#pragma once

#include "editor/platform/Widget.h"

namespace oq {

// Root of a window's widget tree: routes pointer input (capture, hover), keys and characters
// (focus, Tab, default and cancel buttons) and carries the window's redraw flag.
class WindowWidget : public Widget
{
public:
    // Type 'root', enabled, with every link empty and a first frame to draw.
    WindowWidget(const Point2D &localPosition, const Vector2D &size);
    ~WindowWidget() override;

    // Clears the redraw flag; the window draws the subwidgets with RenderTree.
    void Render(const Matrix4D &projection) override;
    // Events in window points.
    void HandleMouseEvent(const UIEvent &event) override;
    void HandleKeyEvent(const UIEvent &event) override;
    void HandleCharacter(uint32_t codePoint, uint64_t time) override;
    void RedrawRequested() override { redrawNeeded = true; }

    // Called after every focus move with the new focus widget (or null).
    virtual void FocusChanged(Widget *focus);
    // Per-frame work of the focus widget, then of the captured widget.
    virtual void Update(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval);

    // FocusLost of the old widget, then FocusGained of the new one, then FocusChanged; nothing when
    // the widget already has the focus.
    void SetFocus(Widget *widget);
    // Tab: the next (or previous) sibling of the focus widget that accepts the focus and is neither
    // disabled nor hidden, itself or through a superior; wraps within the focus widget's superior.
    void CycleFocus(bool backwards);
    // HoverEnd of the old hovered widget and HoverBegin of the new one when they differ.
    void SetHover(Widget *widget);
    void SetDefaultButton(Widget *widget) { defaultButtonLink.SetTarget(widget); }
    void SetCancelButton(Widget *widget) { cancelButtonLink.SetTarget(widget); }

    Widget *GetCaptureWidget() const { return captureLink.GetTarget(); }
    uint32_t GetCaptureHitCode() const { return captureHitCode; }
    Widget *GetHoverWidget() const { return hoverLink.GetTarget(); }
    Widget *GetFocusWidget() const { return focusLink.GetTarget(); }
    Widget *GetDefaultButton() const { return defaultButtonLink.GetTarget(); }
    Widget *GetCancelButton() const { return cancelButtonLink.GetTarget(); }

    bool IsRedrawNeeded() const { return redrawNeeded; }
    void SetRedrawNeeded() { redrawNeeded = true; }

protected:
    // Sends 'wgac' from an enabled, visible default or cancel button.
    static void ActivateButton(Widget *button);

    bool redrawNeeded = true;
    Link<Widget> captureLink;
    uint32_t captureHitCode = 0;
    Link<Widget> hoverLink;
    Link<Widget> focusLink;
    Link<Widget> defaultButtonLink;
    Link<Widget> cancelButtonLink;
};

}  // namespace oq
