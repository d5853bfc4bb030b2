#include "editor/platform/WindowWidget.h"

#include "editor/platform/VirtualKeys.h"

namespace oq {

namespace {

// Delivers a copy of the event in the widget's local coordinates, with the given hit code.
void Deliver(Widget *widget, const UIEvent &event, uint32_t hitCode)
{
    UIEvent local = event;
    local.position = Point2D(event.position - widget->GetGlobalPosition());
    local.hitCode = hitCode;
    widget->HandleMouseEvent(local);
}

// A widget Tab may reach: it accepts the focus and neither it nor a superior below the root is
// disabled or hidden.
bool CanTakeFocus(Widget *widget, const Widget *root)
{
    if (!widget->AcceptsFocus()) return false;
    for (const Widget *w = widget; w && w != root; w = w->GetSuperWidget())
    {
        if (w->GetWidgetFlags() & (kWidgetDisabled | kWidgetHidden)) return false;
    }
    return true;
}

}  // namespace

WindowWidget::WindowWidget(const Point2D &position, const Vector2D &size) : Widget('root', position, size)
{
    widgetFlags = 0;
}

WindowWidget::~WindowWidget()
{
    cancelButtonLink.SetTarget(nullptr);
    defaultButtonLink.SetTarget(nullptr);
    focusLink.SetTarget(nullptr);
    hoverLink.SetTarget(nullptr);
    captureLink.SetTarget(nullptr);
}

void WindowWidget::Render(const Matrix4D &) { redrawNeeded = false; }

void WindowWidget::FocusChanged(Widget *) {}

void WindowWidget::Update(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval)
{
    if (Widget *focus = focusLink.GetTarget()) focus->UpdateFocused(now, nextDeadline, blinkInterval);
    if (Widget *captured = captureLink.GetTarget()) captured->UpdateCaptured(now, nextDeadline, blinkInterval);
}

void WindowWidget::SetHover(Widget *widget)
{
    Widget *old = hoverLink.GetTarget();
    if (old == widget) return;
    // A widget that a HoverEnd destroys is not begun.
    Link<Widget> next;
    next.SetTarget(widget);
    if (old) old->HoverEnd();
    hoverLink.SetTarget(next.GetTarget());
    if (Widget *hovered = next.GetTarget()) hovered->HoverBegin();
}

void WindowWidget::SetFocus(Widget *widget)
{
    Widget *old = focusLink.GetTarget();
    Link<Widget> next;
    next.SetTarget(widget);
    if (old)
    {
        if (old == widget) return;
        old->FocusLost();
    }
    focusLink.SetTarget(next.GetTarget());
    if (Widget *focus = next.GetTarget()) focus->FocusGained();
    FocusChanged(next.GetTarget());
}

void WindowWidget::CycleFocus(bool backwards)
{
    Widget *current = focusLink.GetTarget();
    Widget *group = current ? current->GetSuperWidget() : nullptr;
    Widget *result = nullptr;
    if (group)
    {
        result = current;
        for (Widget *widget = current;;)
        {
            if (backwards)
                widget = widget->GetPreviousWidget() ? widget->GetPreviousWidget() : group->GetLastSubwidget();
            else
                widget = widget->GetNextWidget() ? widget->GetNextWidget() : group->GetFirstSubwidget();
            if (widget == current) break;
            if (CanTakeFocus(widget, this))
            {
                result = widget;
                break;
            }
        }
    }
    else
    {
        Widget *widget = backwards ? GetLastSubwidget() : GetFirstSubwidget();
        for (; widget; widget = backwards ? widget->GetPreviousWidget() : widget->GetNextWidget())
        {
            if (CanTakeFocus(widget, this))
            {
                result = widget;
                break;
            }
        }
    }
    if (result != current) SetFocus(result);
}

void WindowWidget::ActivateButton(Widget *button)
{
    if (button && !(button->GetWidgetFlags() & (kWidgetDisabled | kWidgetHidden))) button->Send('wgac');
}

void WindowWidget::HandleKeyEvent(const UIEvent &event)
{
    if (event.type == 'kydn')
    {
        switch (event.key)
        {
        case kKeyReturn:
            ActivateButton(defaultButtonLink.GetTarget());
            return;
        case kKeyEscape:
            ActivateButton(cancelButtonLink.GetTarget());
            return;
        case kKeyTab:
            CycleFocus((event.modifiers & kModifierShift) != 0);
            return;
        default:
            break;
        }
    }
    if (Widget *focus = focusLink.GetTarget()) focus->HandleKeyEvent(event);
}

void WindowWidget::HandleCharacter(uint32_t codePoint, uint64_t time)
{
    if (Widget *focus = focusLink.GetTarget()) focus->HandleCharacter(codePoint, time);
}

void WindowWidget::HandleMouseEvent(const UIEvent &event)
{
    if (event.type == 'mlev')
    {
        SetHover(nullptr);
        return;
    }

    if (Widget *captured = captureLink.GetTarget())
    {
        if (event.type == 'lmup')
        {
            captureLink.SetTarget(nullptr);
            captured->SetWidgetFlags(captured->GetWidgetFlags() & ~kWidgetCaptured);
        }
        Deliver(captured, event, captureHitCode);
        return;
    }

    if (widgetFlags & (kWidgetDisabled | kWidgetHidden))
    {
        SetHover(nullptr);
        return;
    }

    uint32_t hitCode = 0;
    Widget *target = nullptr;
    for (Widget *widget = GetLastSubwidget(); widget && !target; widget = widget->GetPreviousWidget())
        target = widget->FindWidgetAt(event.position, &hitCode);
    // A root that hits itself is treated as a miss: it never routes an event to itself again.
    if (!target)
    {
        SetHover(nullptr);
        return;
    }

    // The target is held weakly across the calls that precede delivery: a handler of those calls
    // may destroy it.
    Link<Widget> targetLink;
    targetLink.SetTarget(target);
    switch (event.type)
    {
    case 'lmdn':
        SetHover(nullptr);
        if (!targetLink.GetTarget()) return;
        if (target->AcceptsCapture())
        {
            captureLink.SetTarget(target);
            captureHitCode = hitCode;
            target->SetWidgetFlags(target->GetWidgetFlags() | kWidgetCaptured);
        }
        if (target->AcceptsFocus()) SetFocus(target);
        break;
    case 'msmv':
        SetHover(target);
        break;
    case 'lmup':
        SetHover(target);
        return;
    default:
        break;
    }
    if (Widget *receiver = targetLink.GetTarget()) Deliver(receiver, event, hitCode);
}

}  // namespace oq
