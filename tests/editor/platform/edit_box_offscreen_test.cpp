// The edit box drawn in a real dialog window under the offscreen driver: the selection behind the
// text while focused, the caret after a move, typing through SDL's text events.
#include "editor/platform/Clipboard.h"
#include "editor/platform/EditBox.h"
#include "FontProbe.h"
#include "SdlDialogFixture.h"

#include <algorithm>
#include <cstring>

namespace oq {
namespace {

using test::KeyDownEvent;
using test::SdlDialogTest;

class EditBoxOffscreen : public SdlDialogTest
{
protected:
    void SetUp() override { StartDriver("offscreen"); }

    // The darkest red value in a small square of pixels around (x, y).
    int Darkest(WindowHandle window, int x, int y)
    {
        int darkest = 255;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) darkest = std::min<int>(darkest, capture.Pixel(window, x + dx, y + dy)[0]);
        return darkest;
    }

    test::TempDirectory fonts;
};

TEST_F(EditBoxOffscreen, SelectionCaretAndTyping)
{
    EXPECT_NE(dynamic_cast<InProcessClipboard *>(GetClipboard()), nullptr);
    Font *font = test::LoadTestFont(test::SdlDialogProcess::Get().renderer, fonts, "label.vorl",
                                    test::MakeSquareFontFile(0.7F));
    ASSERT_NE(font, nullptr);
    TextLayoutState style;
    ResetTextLayoutState(&style);
    style.size = 10;
    auto *dialog = new DialogWindow(windows.GetMainWindow(), "Edit", 300, 150);
    float scale = 1.0F / dialog->GetPointsPerPixel();
    auto *box = new EditBox(font, &style, "AA", Point2D(20, 40), 100, 10, dialog->GetPointsPerPixel());
    dialog->AppendSubnode(box);
    dialog->SetFocus(box);
    popups.SetActivePopup(dialog);
    WindowHandle window = dialog->GetWindow();
    // The caret shows only while one of our windows has the keyboard focus.
    Push(test::WindowEvent(window, SDL_WINDOWEVENT_FOCUS_GAINED));
    Turn();
    ASSERT_GT(capture.frames[window].count, 0);
    auto px = [&](float points) { return int(points * scale); };
    // Where the caret stands after n letters (the snapped size is known after the first frame).
    auto caretX = [&](int n) { return px(20.0F + float(n) * 1.1F * box->layoutState.size + 0.5F); };

    // Everything selected: the highlight below the baseline (sRGB grey 192), white beyond it.
    const uint8_t *selected = capture.Pixel(window, px(30), px(42));
    EXPECT_LT(selected[0], 245);
    EXPECT_GT(Darkest(window, caretX(2), px(42)), 185) << "no caret while a selection shows";
    EXPECT_GT(selected[0], 100);
    EXPECT_GE(capture.Pixel(window, px(80), px(42))[0], 245);

    // End: the caret stands after the text, drawn at the first update.
    Push(KeyDownEvent(window, SDLK_END));
    Turn();
    EXPECT_LT(Darkest(window, caretX(2), px(42)), 185);
    EXPECT_GE(capture.Pixel(window, px(30), px(42))[0], 245) << "the selection is gone";

    // Typing arrives through SDL's text events and moves the caret one advance on.
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = window;
    std::strcpy(text.text.text, "A");
    Push(text);
    Turn();
    EXPECT_EQ(std::string(box->text.GetText()), "AAA");
    EXPECT_LT(Darkest(window, caretX(3), px(42)), 185);
    EXPECT_GT(Darkest(window, caretX(2), px(42)), 245) << "the old caret is gone";

    delete dialog;
    popups.SetActivePopup(nullptr);
    font->Release();
}

}  // namespace
}  // namespace oq
