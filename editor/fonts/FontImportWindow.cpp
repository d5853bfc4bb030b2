#include "editor/fonts/FontImportWindow.h"

#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontImportJob.h"
#include "editor/fonts/FontLoader.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/TextButton.h"
#include "editor/platform/TextWidget.h"

namespace oq {

namespace {

constexpr int32_t kWindowWidth = 300;
constexpr int32_t kRowHeight = 20;
// The user-interface font's row of the master table.
constexpr int32_t kInterfaceFontRow = 57;

TextLayoutState MakeState(float size, TextAlignment alignment)
{
    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.size = size;
    state.alignment = alignment;
    return state;
}

}  // namespace

FontImportWindow::FontImportWindow(WindowHandle ownerWindow, int32_t fontCount, const FontImportSettings &importSettings)
    : DialogWindow(ownerWindow, "Font Import", kWindowWidth, 120 + kRowHeight * (fontCount > 0 ? fontCount : 0)),
      settings(importSettings), buttonObserver(this, ObserverHandler<&FontImportWindow::HandleButtonEvent>)
{
    font = LoadFontByIndex(kInterfaceFontRow);
    rowState = MakeState(11.0F, 'LEFT');
    TextLayoutState buttonState = MakeState(12.0F, 'CENT');
    button = new TextButton(font, &buttonState, "Stop", Point2D(width - 96.0F, height - 39.0F), Vector2D(80.0F, 23.0F),
                            1.5F, pointsPerPixel);
    button->SetObserver(&buttonObserver);
    AppendSubnode(button);
    SetDefaultButton(button);
    SetCancelButton(button);
    heading = new TextWidget('text', font, &rowState, "Importing the following fonts:", Point2D(16.0F, 24.0F),
                             Vector2D(width - 32.0F, float(kRowHeight)), pointsPerPixel);
    AppendSubnode(heading);
    rowContainer = new Widget('grup', Point2D(32.0F, 52.0F), Vector2D(width - 48.0F, height - 100.0F));
    AppendSubnode(rowContainer);
}

FontImportWindow::~FontImportWindow()
{
    button->SetObserver(nullptr);
    // Every compiler is told to stop before the first join, so the joins overlap.
    for (FontImportJob *job = GetFirstJob(); job; job = GetNextJob(job)) job->Stop();
    jobs.Purge();
    // The widgets go before the font they draw with.
    PurgeSubtree();
    if (font) font->Release();
}

void FontImportWindow::AddFont(int32_t callerValue, const FontFaceEntry &entry)
{
    jobs.Append(new FontImportJob(callerValue, entry, settings));
    AddRow(entry.GetFaceName());
}

void FontImportWindow::SetCompletionCallback(CompletionCallback callback, void *argument)
{
    completion = callback;
    completionArgument = argument;
}

void FontImportWindow::AddRow(const char *name)
{
    auto *row = new TextWidget('text', font, &rowState, name, Point2D(0.0F, float(kRowHeight * rowCount)),
                               Vector2D(rowContainer->GetWidgetSize().x, float(kRowHeight)), pointsPerPixel);
    rowContainer->AppendSubnode(row);
    rowCount++;
    rowContainer->InvalidatePosition();
    RequestRedraw();
}

void FontImportWindow::HandleButtonEvent(EventLink *, uint32_t event)
{
    if (event == 'wgac') OnButton();
}

void FontImportWindow::OnButton()
{
    if (done)
    {
        // Called inside the button's event dispatch: the window goes at the next loop turn.
        DeferDialogClose(this);
        return;
    }
    for (FontImportJob *job = GetFirstJob(); job; job = GetNextJob(job)) job->Stop();
}

void FontImportWindow::Update(uint64_t now, uint64_t *nextDeadline, uint32_t blinkInterval)
{
    if (!done)
    {
        bool running = false;
        bool allImported = true;
        for (FontImportJob *job = GetFirstJob(); job; job = GetNextJob(job))
        {
            int32_t status = job->GetStatus();
            running = running || status == kFontImportRunning;
            allImported = allImported && status == kFontImportDone;
        }
        if (running)
        {
            DialogWindow::Update(now, nextDeadline, blinkInterval);
            return;
        }
        if (completion) completion(this, completionArgument);
        if (allImported)
        {
            // Empties the editor's link to its active popup; nothing is touched after this.
            delete this;
            return;
        }
        done = true;
        button->text = "Close";
        button->Invalidate();
        heading->text = "The following fonts could not be imported:";
        heading->Invalidate();
        rowContainer->PurgeSubtree();
        rowCount = 0;
        for (FontImportJob *job = GetFirstJob(); job; job = GetNextJob(job))
        {
            if (job->GetStatus() != kFontImportDone) AddRow(job->GetFaceName());
        }
    }
    DialogWindow::Update(now, nextDeadline, blinkInterval);
}

FontImportJob *FontImportWindow::GetFirstJob() const { return static_cast<FontImportJob *>(jobs.GetFirstListElement()); }

FontImportJob *FontImportWindow::GetNextJob(const FontImportJob *job)
{
    return static_cast<FontImportJob *>(job->GetNextListElement());
}

}  // namespace oq
