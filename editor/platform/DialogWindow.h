#pragma once

#include "base/Matrix4D.h"
#include "editor/platform/Link.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/WindowSystem.h"
#include "editor/platform/WindowWidget.h"

#include <cstdint>

namespace oq {

// A modal dialog: the root widget of a popup window of its own with its own target, laid out in
// points. Its owner window is disabled while it lives; it is ended by deleting it.
class DialogWindow : public WindowWidget, public Observable<DialogWindow>
{
public:
    // Opens the window centred over the owner. When the window or its target cannot be made the
    // owner stays enabled, a message says so, and the dialog closes at the next loop turn.
    DialogWindow(WindowHandle owner, const char *title, int32_t width, int32_t height);
    ~DialogWindow() override;

    // Links the dialog opened on top of this one (null unlinks) and ends this dialog's hover and
    // capture.
    void SetChildDialog(DialogWindow *child);
    // Only the innermost dialog of a chain updates its focus and captured widgets.
    void Update(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval) override;

    DialogWindow *GetChildDialog() const { return childDialog.GetTarget(); }
    WindowHandle GetWindow() const { return window; }
    WindowHandle GetOwnerWindow() const { return owner; }
    float GetPointsPerPixel() const { return pointsPerPixel; }
    // False when the window or target could not be made: never drawn nor presented.
    bool IsOpen() const { return open; }

    WindowTarget target;
    float width;
    float height;
    int32_t pixelWidth = 0;
    int32_t pixelHeight = 0;
    Matrix4D projection;

protected:
    WindowHandle window = 0;
    WindowHandle owner;
    Link<DialogWindow> childDialog;
    float pointsPerPixel = 1.0F;
    bool open = false;
};

// The clear colour of every dialog: linear sRGB grey 250.
extern const float kDialogClearColor[4];

// The title as at most 255 UTF-16 units would hold it, in UTF-8 with a NUL; a character that needs
// a pair where one unit is left ends it. The buffer holds kDialogTitleBytes.
constexpr int32_t kDialogTitleBytes = 255 * 3 + 1;
void CutDialogTitle(const char *title, char *buffer);

// Draws and presents every dialog of the chain whose redraw flag is set.
void RenderDialogChain(DialogWindow *first);

// Called after a dialog's frame is drawn and before it is presented (tests read pixels there).
using DialogFrameObserver = void (*)(DialogWindow &dialog);
void SetDialogFrameObserver(DialogFrameObserver observer);

// Dialogs closed at the next loop turn, held by links (a dialog that dies first leaves an empty one).
void DeferDialogClose(DialogWindow *dialog);
// Deletes every dialog still on the list, including those their deletion adds.
void CloseDeferredDialogs();
bool HasDeferredDialogs();

}  // namespace oq
