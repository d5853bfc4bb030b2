// The keys as SDL key-down events on the real main window under the offscreen driver: each goes
// through one loop turn into the editor's key handler.
#include "KeyPress.h"
#include "NodeLabels.h"
#include "SdlEditorFixture.h"
#include "editor/document/GroupNode.h"

namespace oq {
namespace {

class KeysOffscreen : public test::SdlEditorTest
{
protected:
    void SetUp() override { StartEditor("offscreen"); }

    // A key-down event through one loop turn, Shift held or not (the loop reads SDL's key state).
    void Press(SDL_Keycode key, bool shift = false)
    {
        SDL_Event event = test::KeyDownEvent(windows.GetMainWindow(), key);
        event.key.keysym.mod = shift ? KMOD_LSHIFT : KMOD_NONE;
        SDL_SetModState(shift ? KMOD_LSHIFT : KMOD_NONE);
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        Turn();
        SDL_SetModState(KMOD_NONE);
    }

    std::string Selected() const { return test::DescribeSelection(TheEditor->document); }
};

TEST_F(KeysOffscreen, ArrowsBackspaceAndDeleteReachTheEditor)
{
    ASSERT_EQ(test::RunEditorScript("sdl focus\nsdl text abc\n"), "");
    ASSERT_EQ(Selected(), "abc:3 abc:3");
    struct Case
    {
        SDL_Keycode key;
        bool shift;
        const char *selected;
        const char *text;  // the run's text after the key
    } cases[] = {
        {SDLK_LEFT, false, "abc:2 abc:2", "abc"},
        {SDLK_LEFT, false, "abc:1 abc:1", "abc"},
        {SDLK_RIGHT, true, "abc:1 abc:2", "abc"},
        {SDLK_LEFT, false, "abc:1 abc:1", "abc"},
        {SDLK_DELETE, false, "ac:1 ac:1", "ac"},
        {SDLK_BACKSPACE, false, "bgin:0 bgin:0", "c"},
        {SDLK_END, false, "c:1 c:1", "c"},
        {SDLK_HOME, false, "bgin:0 bgin:0", "c"},
    };
    for (const Case &c : cases)
    {
        Press(c.key, c.shift);
        EXPECT_EQ(Selected(), c.selected) << SDL_GetKeyName(c.key);
        MathNode *run = TheEditor->document.GetMainGroup()->GetFirstMathSubnode()->GetNextMathNode();
        EXPECT_EQ(test::NodeLabel(run), c.text) << SDL_GetKeyName(c.key);
    }
    EXPECT_EQ(test::DescribeSteps(TheEditor), "3/3");  // the typing and the two deletions
}

TEST_F(KeysOffscreen, EnterBreaksTheRowAndUpReturns)
{
    ASSERT_EQ(test::RunEditorScript("sdl focus\nsdl text ab\nsdl key Return\nsdl text cd\n"), "");
    EXPECT_EQ(TheEditor->document.GetMainGroup()->GetRowCount(), 2);
    Press(SDLK_UP);
    EXPECT_EQ(TheEditor->document.selection.start.node->rowIndex, 0);
    Press(SDLK_DOWN);
    EXPECT_EQ(TheEditor->document.selection.start.node->rowIndex, 1);
}

}  // namespace
}  // namespace oq
