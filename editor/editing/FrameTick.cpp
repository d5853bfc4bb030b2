// The frame tick: the editor's timed work once per loop turn, and whether a frame is due.
#include "editor/editing/Editor.h"

#include "editor/platform/DialogWindow.h"
#include "editor/platform/WindowWidget.h"

namespace oq {

namespace {

bool IsRootDirty(const Widget *root)
{
    return root != nullptr && static_cast<const WindowWidget *>(root)->IsRedrawNeeded();
}

bool IsDragAutoscrolled(uint32_t mode)
{
    return mode == 'eqtn' || mode == 'draw' || mode == 'conn';
}

}  // namespace

bool Editor::TickAt(uint64_t now, bool shift, uint64_t *deadline)
{
    bool hoverDue = uint64_t(lastTickTime) < uint64_t(hoverDeadline);
    lastTickTime = int64_t(now);

    if (verbRequest != 0)
    {
        int32_t verb = verbRequest;
        verbRequest = 0;
        *deadline = now;
        ReloadDesignFonts(verb);
        return false;
    }
    if (fontLoadPending)
    {
        fontLoadPending = false;
        StartFontLoading();
    }

    bool redraw = settings.layoutDue || viewChanged || IsRootDirty(toolBandRoot) || IsRootDirty(statusBandRoot);

    if (DialogWindow *popup = GetActivePopup())
    {
        *deadline = 0;
        popup->Update(now, deadline, blinkPeriod);
        return redraw;
    }

    uint64_t next = 0;
    const Selection &selection = document.selection;
    if (document.objectSelection.GetElementCount() == 0 && selection.start.node == selection.end.node &&
        selection.start.index == selection.end.index)
    {
        next = uint64_t(nextBlinkTime);
        if (now >= next)
        {
            caretVisible = !caretVisible;
            next = now + blinkPeriod;
            nextBlinkTime = int64_t(next);
            if (ApplicationActive()) redraw = true;
        }
    }

    if (hoveredObject != nullptr)
    {
        uint64_t due = uint64_t(hoverDeadline);
        if (now >= due)
        {
            if (hoverDue) redraw = true;
        }
        else if (next == 0 || due < next)
            next = due;
    }

    if (IsDragAutoscrolled(dragMode))
    {
        UIEvent move = lastDragEvent;
        move.type = 'msmv';
        move.key = 0;
        bool wasShift = (lastDragEvent.modifiers & kModifierShift) != 0;
        move.modifiers = (lastDragEvent.modifiers & ~kModifierShift) | (shift ? kModifierShift : 0);
        if (AutoscrollWhileDragging(move.position))
        {
            static_cast<void>(HandlePointerDrag(move));
            redraw = true;
            next = now + 4;
        }
        else if (shift != wasShift)
        {
            // Never short-circuited: the handler runs whatever redraw already says.
            bool dragged = HandlePointerDrag(move);
            redraw = redraw || dragged;
        }
    }

    *deadline = next;
    return redraw;
}

bool TickEditorFrame(uint64_t *deadline)
{
    if (TheEditor == nullptr)
    {
        *deadline = 0;
        return false;
    }
    return TheEditor->TickAt(ElapsedMilliseconds(), IsShiftDown(), deadline);
}

}  // namespace oq
