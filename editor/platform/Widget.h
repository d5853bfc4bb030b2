#pragma once

#include "base/Matrix4D.h"
#include "base/Point2D.h"
#include "base/Tree.h"
#include "editor/platform/EventObserver.h"
#include "editor/platform/Link.h"

#include <cstdint>

namespace oq {

// 4CC kinds: what a widget is ('root', 'txbt', 'edit', ...), what happened to a window ('lmdn',
// 'msmv', 'kydn', ...), and what a widget reports to its observer ('wgac', 'wgch', 'wgda', 'wgsa').
using WidgetType = uint32_t;
using UIEventType = uint32_t;
using WidgetEventType = uint32_t;

constexpr uint32_t kWidgetDisabled = 1;
constexpr uint32_t kWidgetHidden = 2;
constexpr uint32_t kWidgetCaptured = 4;
constexpr uint32_t kWidgetPressed = 8;

// Modifier bit of Shift in every event; buttons and the wheel also carry 1 left, 2 right, 8 Control,
// 16 middle.
constexpr uint32_t kModifierShift = 4;
constexpr uint32_t kModifierControl = 8;

// An input event as the window builds it (positions in window points) and a widget receives it
// (positions local to the widget).
struct UIEvent
{
    UIEventType type = 0;
    int32_t key = 0;  // virtual key, command character, or the double-click flag of a press
    uint32_t modifiers = 0;
    Point2D position{0.0f, 0.0f};
    Vector2D wheel{0.0f, 0.0f};  // 'mwhl': notches, positive away from the user
    uint32_t hitCode = 0;        // what the receiver's HitTest returned when it was found
};

// Base of every widget: a tree node positioned in points relative to its superior, that draws
// itself, takes routed input and reports to its observer through its event link.
class Widget : public TreeNode, public EventLink, public Observable<Widget>
{
public:
    // Built disabled and position-dirty; interactive widgets enable themselves.
    Widget(WidgetType type, const Point2D &localPosition, const Vector2D &size);
    // Empties the links to it and its own event link, destroys its subwidgets, then detaches.
    ~Widget() override;

    virtual void UpdatePosition();
    virtual void Render(const Matrix4D &projection);
    virtual void Enable();
    virtual void Disable();
    virtual void HoverBegin();
    virtual void HoverEnd();
    virtual bool AcceptsCapture();
    virtual bool AcceptsFocus();
    virtual void FocusGained();
    virtual void FocusLost();
    // 'intr' strictly inside the widget's box, else 0.
    virtual uint32_t HitTest(const Point2D &localPoint);
    virtual void HandleMouseEvent(const UIEvent &event);
    virtual void HandleKeyEvent(const UIEvent &event);
    virtual void HandleCharacter(uint32_t codePoint, uint64_t time);
    virtual void UpdateFocused(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval);
    virtual void UpdateCaptured(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval);
    // Called on the top of the tree by RequestRedraw; a window's root sets its redraw flag.
    virtual void RedrawRequested();

    // Marks the widget, its superiors and its whole subtree position-dirty.
    void InvalidatePosition();
    // Draws the subtree in sibling order unless the widget is hidden.
    void RenderTree(const Matrix4D &projection);
    // The deepest enabled, visible widget whose HitTest hits the global point; later siblings first.
    Widget *FindWidgetAt(const Point2D &point, uint32_t *hitCode);
    // Sets the redraw flag of the window root above the widget, if it is in a window.
    void RequestRedraw();

    WidgetType GetWidgetType() const { return widgetType; }
    uint32_t GetWidgetFlags() const { return widgetFlags; }
    void SetWidgetFlags(uint32_t flags) { widgetFlags = flags; }
    bool IsPositionDirty() const { return positionDirty; }

    const Point2D &GetLocalPosition() const { return localPosition; }
    // Callers follow with InvalidatePosition.
    void SetLocalPosition(const Point2D &position) { localPosition = position; }
    const Point2D &GetGlobalPosition() const { return globalPosition; }
    const Vector2D &GetWidgetSize() const { return widgetSize; }
    void SetWidgetSize(const Vector2D &size) { widgetSize = size; }

    Widget *GetSuperWidget() const { return static_cast<Widget *>(GetSuperNode()); }
    Widget *GetFirstSubwidget() const { return static_cast<Widget *>(GetFirstSubnode()); }
    Widget *GetLastSubwidget() const { return static_cast<Widget *>(GetLastSubnode()); }
    Widget *GetNextWidget() const { return static_cast<Widget *>(GetNextNode()); }
    Widget *GetPreviousWidget() const { return static_cast<Widget *>(GetPreviousNode()); }

protected:
    WidgetType widgetType;
    uint32_t widgetFlags = kWidgetDisabled;
    bool positionDirty = true;
    Point2D localPosition;
    Point2D globalPosition{0.0f, 0.0f};
    Vector2D widgetSize;
};

}  // namespace oq
