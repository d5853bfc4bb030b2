#include <gtest/gtest.h>

#include "editor/fonts/FontImportFixture.h"
#include "editor/fonts/FontImportWindow.h"
#include "editor/fonts/LoadableFont.h"
#include "editor/platform/FakeWindowSystem.h"
#include "editor/platform/TextButton.h"
#include "editor/platform/TextWidget.h"
#include "editor/platform/VirtualKeys.h"
#include "vorl/text/VorlFontValidator.h"

#include <algorithm>
#include <unistd.h>

namespace oq {
namespace {

using test::FakeWindowSystem;
using test::GroupGone;
using test::PathExists;
using test::ReadFile;

// The window over the fake window system and a recording renderer, with a completion callback
// that records the job statuses it saw.
class FontImportWindowTest : public test::FontImportFixture
{
protected:
    void TearDown() override
    {
        CloseDeferredDialogs();
        delete services.popups.GetActivePopup();
        test::FontImportFixture::TearDown();
    }

    FontImportWindow *Open(int32_t fonts, const std::string &compiler)
    {
        FontImportSettings settings = Settings(compiler);
        settings.wake = PushWakeEvent;
        auto *window = new FontImportWindow(FakeWindowSystem::kMainWindow, fonts, settings);
        window->SetCompletionCallback(&FontImportWindowTest::Completed, this);
        alive.SetTarget(window);
        services.popups.SetActivePopup(window);
        return window;
    }

    static void Completed(FontImportWindow *window, void *argument)
    {
        auto *test = static_cast<FontImportWindowTest *>(argument);
        std::vector<int32_t> statuses;
        for (FontImportJob *job = window->GetFirstJob(); job; job = FontImportWindow::GetNextJob(job))
            statuses.push_back(job->GetStatus());
        test->completions.push_back(statuses);
    }

    // Runs the active popup's update as the loop's tick does until no job runs (and the window
    // has gone or listed its failures).
    void TickUntilSettled()
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (FontImportWindow *window = Window())
        {
            uint64_t next = 0;
            window->Update(0, &next, kCaretBlinkTime);
            if (Window() == nullptr || Window()->IsDone()) return;
            ASSERT_LT(std::chrono::steady_clock::now(), deadline);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    FontImportWindow *Window() const { return static_cast<FontImportWindow *>(alive.GetTarget()); }

    // The process groups of the window's compilers once each has started.
    static std::vector<pid_t> StartedGroups(const FontImportWindow &window)
    {
        std::vector<pid_t> groups;
        for (FontImportJob *job = window.GetFirstJob(); job; job = FontImportWindow::GetNextJob(job))
            groups.push_back(test::WaitForProcessGroup(*job));
        return groups;
    }

    static std::vector<std::string> RowTexts(const FontImportWindow &window)
    {
        std::vector<std::string> rows;
        for (Widget *row = window.GetRowContainer()->GetFirstSubwidget(); row; row = row->GetNextWidget())
            rows.push_back(static_cast<TextWidget *>(row)->text.GetText());
        return rows;
    }

    test::FakeDialogServices services;
    Link<DialogWindow> alive;
    std::vector<std::vector<int32_t>> completions;
};

TEST_F(FontImportWindowTest, Layout)
{
    FontImportWindow *window = Open(2, WriteCompiler("compiler", "exit 1"));
    ASSERT_TRUE(window->IsOpen());
    EXPECT_EQ(window->width, 300.0F);
    EXPECT_EQ(window->height, 160.0F);
    EXPECT_EQ(services.windows.titles[window->GetWindow()], "Font Import");
    TextButton *button = window->GetButton();
    EXPECT_STREQ(button->text, "Stop");
    EXPECT_EQ(button->GetLocalPosition().x, 204.0F);
    EXPECT_EQ(button->GetLocalPosition().y, 121.0F);
    EXPECT_EQ(button->GetWidgetSize().x, 80.0F);
    EXPECT_EQ(button->GetWidgetSize().y, 23.0F);
    EXPECT_EQ(button->layoutState.size, 12.0F);
    EXPECT_EQ(button->layoutState.alignment, TextAlignment('CENT'));
    EXPECT_STREQ(window->GetHeading()->text, "Importing the following fonts:");
    EXPECT_EQ(window->GetHeading()->GetLocalPosition().x, 16.0F);
    EXPECT_EQ(window->GetHeading()->GetLocalPosition().y, 24.0F);
    EXPECT_EQ(window->GetHeading()->layoutState.size, 11.0F);
    EXPECT_EQ(window->GetRowContainer()->GetLocalPosition().x, 32.0F);
    EXPECT_EQ(window->GetRowContainer()->GetLocalPosition().y, 52.0F);
    window->AddFont(0, Face("Single"));
    window->AddFont(1, Face("Apart B"));
    EXPECT_EQ(RowTexts(*window), (std::vector<std::string>{"Single", "Apart B"}));
    Widget *second = window->GetRowContainer()->GetLastSubwidget();
    EXPECT_EQ(second->GetLocalPosition().y, 20.0F);
    EXPECT_EQ(static_cast<TextWidget *>(second)->layoutState.size, 11.0F);
}

TEST_F(FontImportWindowTest, AllImportedClosesAfterTheCallback)
{
    std::string valid = Save("valid.vorl", test::MakeLoadableFont(3));
    FontImportWindow *window = Open(2, WriteCompiler("compiler", "cp '" + valid + "' \"$3\""));
    window->AddFont(4, Face("Shared B"));
    window->AddFont(9, Face("Single"));
    WindowHandle handle = window->GetWindow();
    TickUntilSettled();
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(services.popups.GetActivePopup(), nullptr);
    const std::vector<std::string> &log = services.windows.log;
    EXPECT_NE(std::find(log.begin(), log.end(), "destroy " + std::to_string(handle)), log.end());
    EXPECT_EQ(completions, (std::vector<std::vector<int32_t>>{{kFontImportDone, kFontImportDone}}));
    EXPECT_TRUE(PathExists(localFolder + "Shared.ttc.vorl"));
    EXPECT_TRUE(PathExists(localFolder + "Single.ttf.vorl"));
    // Each worker woke the loop when it ended.
    EXPECT_EQ(services.windows.wakeCount.load(), 2);
}

TEST_F(FontImportWindowTest, FailuresAreListedUntilClosed)
{
    std::string valid = Save("valid.vorl", test::MakeLoadableFont(1));
    FontImportWindow *window = Open(3, WriteCompiler("compiler", "cp '" + valid + "' \"$3\""));
    FontFaceEntry builtIn("Times New Roman", nullptr);
    window->AddFont(0, Face("Single"));
    window->AddFont(1, builtIn);
    window->AddFont(2, Face("Absent"));
    TickUntilSettled();
    ASSERT_EQ(Window(), window);
    EXPECT_TRUE(window->IsDone());
    EXPECT_EQ(completions, (std::vector<std::vector<int32_t>>{{kFontImportDone, kFontImportFailed, kFontImportFailed}}));
    EXPECT_STREQ(window->GetButton()->text, "Close");
    EXPECT_STREQ(window->GetHeading()->text, "The following fonts could not be imported:");
    EXPECT_EQ(RowTexts(*window), (std::vector<std::string>{"Times New Roman", "Absent"}));
    EXPECT_EQ(window->GetRowContainer()->GetLastSubwidget()->GetLocalPosition().y, 20.0F);
    // Later updates call nothing again.
    uint64_t next = 0;
    window->Update(0, &next, kCaretBlinkTime);
    EXPECT_EQ(completions.size(), 1U);

    // Return presses Close inside the key dispatch: the window goes at the next loop turn.
    UIEvent key;
    key.type = 'kydn';
    key.key = kKeyReturn;
    window->HandleKeyEvent(key);
    EXPECT_EQ(Window(), window);
    CloseDeferredDialogs();
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(services.popups.GetActivePopup(), nullptr);
}

TEST_F(FontImportWindowTest, StopEndsEveryImport)
{
    FontImportWindow *window = Open(2, WriteCompiler("sleeper", "sleep 30 &\nsleep 30"));
    window->AddFont(0, Face("Single"));
    window->AddFont(1, Face("Apart C"));
    std::vector<pid_t> groups = StartedGroups(*window);
    UIEvent key;
    key.type = 'kydn';
    key.key = kKeyEscape;
    window->HandleKeyEvent(key);
    TickUntilSettled();
    ASSERT_EQ(Window(), window);
    EXPECT_EQ(completions, (std::vector<std::vector<int32_t>>{{kFontImportStopped, kFontImportStopped}}));
    EXPECT_EQ(RowTexts(*window), (std::vector<std::string>{"Single", "Apart C"}));
    for (pid_t group : groups)
    {
        EXPECT_NE(group, 0);
        EXPECT_TRUE(GroupGone(group));
    }
}

// Windows that go while their imports run stop and join them: deleted directly, or closed at the
// next loop turn because their window could not be made.
TEST_F(FontImportWindowTest, EndingWithRunningImports)
{
    std::string sleeper = WriteCompiler("sleeper", "sleep 30 &\nsleep 30");
    for (bool refused : {false, true})
    {
        SCOPED_TRACE(refused ? "window refused" : "deleted");
        services.windows.refuseWindows = refused;
        FontImportWindow *window = Open(2, sleeper);
        EXPECT_EQ(window->IsOpen(), !refused);
        window->AddFont(0, Face("Single"));
        window->AddFont(1, Face("Shared A"));
        std::vector<pid_t> groups = StartedGroups(*window);
        if (refused) CloseDeferredDialogs();
        else delete window;
        EXPECT_EQ(Window(), nullptr);
        EXPECT_EQ(services.popups.GetActivePopup(), nullptr);
        EXPECT_TRUE(completions.empty());
        for (pid_t group : groups)
        {
            EXPECT_NE(group, 0);
            EXPECT_TRUE(GroupGone(group));
        }
        EXPECT_TRUE(test::ListFolder(localFolder).empty());
    }
}

// Two imports of one output path (one name in two slots) each compile into their own temporary
// file: both succeed and leave one valid file.
TEST_F(FontImportWindowTest, TwoImportsOfOneFile)
{
    std::vector<uint8_t> image = test::MakeLoadableFont(1);
    std::string valid = Save("valid.vorl", image);
    // Written slowly in two halves, so the two compilers overlap.
    std::string body = "head -c 100 '" + valid + "' > \"$3\"\nsleep 0.2\ntail -c +101 '" + valid + "' >> \"$3\"";
    FontImportWindow *window = Open(2, WriteCompiler("compiler", body));
    window->AddFont(0, Face("Single"));
    window->AddFont(1, Face("Single"));
    TickUntilSettled();
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(completions, (std::vector<std::vector<int32_t>>{{kFontImportDone, kFontImportDone}}));
    std::string written = ReadFile(localFolder + "Single.ttf.vorl");
    EXPECT_EQ(written, std::string(image.begin(), image.end()));
    EXPECT_EQ(test::ListFolder(localFolder), (std::vector<std::string>{"Single.ttf.vorl"}));
}

}  // namespace
}  // namespace oq
