#pragma once

#include "base/List.h"
#include "editor/fonts/FontImportSettings.h"
#include "editor/platform/DialogWindow.h"
#include "editor/platform/EventObserver.h"
#include "vorl/text/TextLayoutState.h"

#include <cstdint>

namespace oq {

class Font;
class FontFaceEntry;
class FontImportJob;
class TextButton;
class TextWidget;
class Widget;

// The "Font Import" dialog: one row per running import and a Stop button; when the imports have
// ended it closes by itself if all succeeded, else lists the fonts that failed with a Close button.
class FontImportWindow : public DialogWindow
{
public:
    // Called once when every job has ended, before the window closes or lists the failures.
    using CompletionCallback = void (*)(FontImportWindow *window, void *argument);

    // 300 x (120 + 20 n) points for n fonts; every job gets the settings.
    FontImportWindow(WindowHandle owner, int32_t fontCount, const FontImportSettings &settings);
    // Clears its observer link, stops every job and joins their workers, then closes the window.
    ~FontImportWindow() override;

    // Starts an import of the face and shows its name in a new row.
    void AddFont(int32_t callerValue, const FontFaceEntry &entry);
    void SetCompletionCallback(CompletionCallback callback, void *argument);

    // The button's activation: closes the window when done, else stops every job.
    void OnButton();
    // While any job runs only the dialog updates; then, once, the completion callback, and the
    // window deletes itself when all succeeded or lists the failures.
    void Update(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval) override;

    FontImportJob *GetFirstJob() const;
    static FontImportJob *GetNextJob(const FontImportJob *job);
    bool IsDone() const { return done; }
    TextButton *GetButton() const { return button; }
    TextWidget *GetHeading() const { return heading; }
    Widget *GetRowContainer() const { return rowContainer; }

private:
    void HandleButtonEvent(EventLink *sender, uint32_t event);
    void AddRow(const char *name);

    FontImportSettings settings;
    List jobs;
    int32_t rowCount = 0;
    bool done = false;
    Font *font = nullptr;
    TextLayoutState rowState;
    TextButton *button = nullptr;
    TextWidget *heading = nullptr;
    Widget *rowContainer = nullptr;
    EventObserver buttonObserver;
    CompletionCallback completion = nullptr;
    void *completionArgument = nullptr;
};

}  // namespace oq
