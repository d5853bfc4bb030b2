// SDL events turned into the UI events of a dialog's root, as a table: no display needed.
#include "editor/platform/linux/EventTranslation.h"
#include "editor/platform/linux/SdlWindowSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace oq {
namespace {

SDL_Event ButtonEvent(uint32_t type, uint8_t button, uint8_t clicks, int32_t x, int32_t y)
{
    SDL_Event event{};
    event.type = type;
    event.button.windowID = 7;
    event.button.button = button;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event KeyEvent(SDL_Keycode key)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = 7;
    event.key.keysym.sym = key;
    return event;
}

SDL_Event WheelEvent(float preciseY, uint32_t direction, int32_t x, int32_t y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = 7;
    event.wheel.preciseY = preciseY;
    event.wheel.y = int32_t(preciseY);
    event.wheel.direction = direction;
    event.wheel.mouseX = x;
    event.wheel.mouseY = y;
    return event;
}

SDL_Event WindowEvent(uint8_t what)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = 7;
    event.window.event = what;
    return event;
}

struct TranslationCase
{
    const char *name;
    SDL_Event event;
    InputState state;
    WindowInputKind kind;
    UIEventType type;
    int32_t key;
    uint32_t modifiers;
    Point2D position;
    float wheel;
};

TEST(EventTranslation, Table)
{
    const uint32_t left = SDL_BUTTON_LMASK;
    const TranslationCase cases[] = {
        // Clicks: every second one is a double click; the key state holds the pressed button.
        {"click 1", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 200, 100), {left, 0}, kInputMouse, 'lmdn', 0, 1, {150, 75}, 0},
        {"click 2", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2, 200, 100), {left, 0}, kInputMouse, 'lmdn', 1, 1, {150, 75}, 0},
        {"click 3", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, 200, 100), {left, 0}, kInputMouse, 'lmdn', 0, 1, {150, 75}, 0},
        {"click 4", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 4, 200, 100), {left, 0}, kInputMouse, 'lmdn', 1, 1, {150, 75}, 0},
        {"right press with left held, Shift and Ctrl",
         ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 4, 8),
         {left | SDL_BUTTON_RMASK | SDL_BUTTON_MMASK, KMOD_LSHIFT | KMOD_RCTRL}, kInputMouse, 'rmdn', 0, 1 | 2 | 4 | 8 | 16, {3, 6}, 0},
        // Releases carry the key state (no double-click flag); the middle button has its own events.
        {"release with Shift", ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 2, 8, 4), {0, KMOD_SHIFT}, kInputMouse, 'lmup', 0, 4, {6, 3}, 0},
        {"right release with left held", ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 8, 4), {left, KMOD_LCTRL}, kInputMouse, 'rmup', 0, 1 | 8, {6, 3}, 0},
        {"middle press", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 2, 8, 4), {SDL_BUTTON_MMASK, 0}, kInputMouse, 'mmdn', 1, 16, {6, 3}, 0},
        {"middle release", ButtonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 8, 4), {0, 0}, kInputMouse, 'mmup', 0, 0, {6, 3}, 0},
        {"side button is not an event", ButtonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 8, 4), {}, kInputNone, 0, 0, 0, {0, 0}, 0},
        // Keys without Ctrl: virtual keys, Shift as 4.
        {"Left", KeyEvent(SDLK_LEFT), {}, kInputKey, 'kydn', kKeyLeft, 0, {0, 0}, 0},
        {"Shift+Tab", KeyEvent(SDLK_TAB), {0, KMOD_LSHIFT}, kInputKey, 'kydn', kKeyTab, 4, {0, 0}, 0},
        {"letter", KeyEvent('q'), {}, kInputKey, 'kydn', 'Q', 0, {0, 0}, 0},
        // With Ctrl: command characters only.
        {"Ctrl+C", KeyEvent('c'), {0, KMOD_LCTRL}, kInputKey, 'cmnd', 'C', 0, {0, 0}, 0},
        {"Ctrl+Shift+V", KeyEvent('v'), {0, KMOD_LCTRL | KMOD_RSHIFT}, kInputKey, 'cmnd', 'V', 0, {0, 0}, 0},
        {"Ctrl+1", KeyEvent('1'), {0, KMOD_RCTRL}, kInputKey, 'cmnd', '1', 0, {0, 0}, 0},
        {"Ctrl+Left", KeyEvent(SDLK_LEFT), {0, KMOD_LCTRL}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"Ctrl+Home", KeyEvent(SDLK_HOME), {0, KMOD_LCTRL}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"Ctrl+Delete", KeyEvent(SDLK_DELETE), {0, KMOD_LCTRL}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"Ctrl+Enter", KeyEvent(SDLK_RETURN), {0, KMOD_LCTRL}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"Ctrl+Tab", KeyEvent(SDLK_TAB), {0, KMOD_LCTRL}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"Ctrl+Escape", KeyEvent(SDLK_ESCAPE), {0, KMOD_LCTRL}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"Ctrl+F1", KeyEvent(SDLK_F1), {0, KMOD_LCTRL}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"AltGr+Q", KeyEvent('q'), {0, KMOD_RALT}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"Ctrl+AltGr+Q", KeyEvent('q'), {0, KMOD_LCTRL | KMOD_RALT}, kInputNone, 0, 0, 0, {0, 0}, 0},
        {"AltGr as mode key", KeyEvent('e'), {0, KMOD_MODE}, kInputNone, 0, 0, 0, {0, 0}, 0},
        // Wheel: notches at the pointer, flipped directions turned back.
        {"wheel", WheelEvent(1.0F, SDL_MOUSEWHEEL_NORMAL, 40, 20), {0, KMOD_LCTRL}, kInputMouse, 'mwhl', 0, 8, {30, 15}, 1.0F},
        {"flipped wheel", WheelEvent(0.5F, SDL_MOUSEWHEEL_FLIPPED, 40, 20), {}, kInputMouse, 'mwhl', 0, 0, {30, 15}, -0.5F},
        // Window events.
        {"leave", WindowEvent(SDL_WINDOWEVENT_LEAVE), {}, kInputMouse, 'mlev', 0, 0, {0, 0}, 0},
        {"close", WindowEvent(SDL_WINDOWEVENT_CLOSE), {}, kInputClose, 0, 0, 0, {0, 0}, 0},
        {"exposed", WindowEvent(SDL_WINDOWEVENT_EXPOSED), {}, kInputExpose, 0, 0, 0, {0, 0}, 0},
        {"shown", WindowEvent(SDL_WINDOWEVENT_SHOWN), {}, kInputExpose, 0, 0, 0, {0, 0}, 0},
        {"restored", WindowEvent(SDL_WINDOWEVENT_RESTORED), {}, kInputExpose, 0, 0, 0, {0, 0}, 0},
        {"focus gained", WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), {}, kInputFocusGained, 0, 0, 0, {0, 0}, 0},
        {"focus lost", WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), {}, kInputFocusLost, 0, 0, 0, {0, 0}, 0},
        {"moved", WindowEvent(SDL_WINDOWEVENT_MOVED), {}, kInputNone, 0, 0, 0, {0, 0}, 0},
    };
    for (const TranslationCase &c : cases)
    {
        SCOPED_TRACE(c.name);
        WindowInput input = TranslateEvent(c.event, c.state, 0.75F);
        EXPECT_EQ(input.kind, c.kind);
        if (c.kind == kInputNone) continue;
        EXPECT_EQ(input.windowId, 7u);
        EXPECT_EQ(input.event.type, c.type);
        EXPECT_EQ(input.event.key, c.key);
        EXPECT_EQ(input.event.modifiers, c.modifiers);
        EXPECT_FLOAT_EQ(input.event.position.x, c.position.x);
        EXPECT_FLOAT_EQ(input.event.position.y, c.position.y);
        EXPECT_FLOAT_EQ(input.event.wheel.y, c.wheel);
    }
}

// A size change carries the new client size in pixels, whatever the points per pixel.
TEST(EventTranslation, SizeChangesCarryTheClientSizeInPixels)
{
    SDL_Event event = WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED);
    event.window.data1 = 640;
    event.window.data2 = 480;
    WindowInput input = TranslateEvent(event, {}, 0.75F);
    EXPECT_EQ(input.kind, kInputSize);
    EXPECT_EQ(input.windowId, 7u);
    EXPECT_EQ(input.width, 640);
    EXPECT_EQ(input.height, 480);
    EXPECT_EQ(TranslateEvent(WindowEvent(SDL_WINDOWEVENT_RESIZED), {}, 0.75F).kind, kInputNone);
}

TEST(EventTranslation, MotionCarriesOnlyShift)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = 3;
    event.motion.x = 20;
    event.motion.y = 40;
    InputState state{SDL_BUTTON_LMASK, KMOD_LSHIFT | KMOD_LCTRL};
    WindowInput input = TranslateEvent(event, state, 0.5F);
    EXPECT_EQ(input.event.type, uint32_t('msmv'));
    EXPECT_EQ(input.event.modifiers, 4u);
    EXPECT_FLOAT_EQ(input.event.position.x, 10.0F);
    EXPECT_FLOAT_EQ(input.event.position.y, 20.0F);
}

TEST(EventTranslation, TextGivesEveryCodePoint)
{
    struct TextCase
    {
        const char *name;
        const char *text;
        std::u32string codePoints;
    };
    const TextCase cases[] = {
        {"three code points of three lengths", "a\xC3\xA9\xF0\x9F\x98\x80", U"a\u00E9\U0001F600"},
        {"control characters never arrive", "x\ty\x7F", U"xy"},
        {"invalid byte", "\xFF" "b", U"\uFFFDb"},
        {"empty", "", U""},
    };
    for (const TextCase &c : cases)
    {
        SCOPED_TRACE(c.name);
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = 2;
        std::strncpy(event.text.text, c.text, sizeof(event.text.text) - 1);
        WindowInput input = TranslateEvent(event, {}, 1.0F);
        EXPECT_EQ(input.kind, c.codePoints.empty() ? kInputNone : kInputText);
        EXPECT_EQ(std::u32string(reinterpret_cast<const char32_t *>(input.codePoints), size_t(input.codePointCount)),
                  c.codePoints);
    }
    // A buffer filled to its end without a NUL inside is read only up to its size.
    SDL_Event full{};
    full.type = SDL_TEXTINPUT;
    std::memset(full.text.text, 'z', sizeof(full.text.text));
    WindowInput input = TranslateEvent(full, {}, 1.0F);
    EXPECT_EQ(input.codePointCount, int32_t(sizeof(full.text.text)));
}

TEST(EventTranslation, DpiFromTheEnvironmentThenXResourcesThen96)
{
    struct Case
    {
        const char *resources;
        float dpi;
    };
    const Case cases[] = {
        {"Xft.dpi:\t120\n", 120.0F},
        {"Xft.antialias:\t1\nXft.dpi:\t144\nXft.hinting:\t1\n", 144.0F},
        {"Xft.dpi:\tabc\n", 0.0F},
        {"Xft.dpi:\t-5\n", 0.0F},
        {"Xcursor.size:\t24\n", 0.0F},
        {"", 0.0F},
        {nullptr, 0.0F},
    };
    for (const Case &c : cases) EXPECT_FLOAT_EQ(ParseXftDpi(c.resources), c.dpi) << (c.resources ? c.resources : "null");

    // Without SDL's x11 driver the X server is not asked.
    setenv("ORLENDOQUIST_DPI", "120", 1);
    EXPECT_FLOAT_EQ(ReadSystemDpi(), 120.0F);
    setenv("ORLENDOQUIST_DPI", "none", 1);
    EXPECT_FLOAT_EQ(ReadSystemDpi(), 96.0F);
    unsetenv("ORLENDOQUIST_DPI");
    EXPECT_FLOAT_EQ(ReadSystemDpi(), 96.0F);
}

}  // namespace
}  // namespace oq
