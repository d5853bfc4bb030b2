#include "editor/platform/linux/EventTranslation.h"

#include "base/TextUtils.h"

namespace oq {

int32_t MapVirtualKey(SDL_Keycode key)
{
    if (key >= 'a' && key <= 'z') return key - 32;
    if (key >= '0' && key <= '9') return key;
    switch (key)
    {
    case SDLK_BACKSPACE: return kKeyBack;
    case SDLK_TAB: return kKeyTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return kKeyReturn;
    case SDLK_ESCAPE: return kKeyEscape;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return kKeyPageUp;
    case SDLK_PAGEDOWN: return kKeyPageDown;
    case SDLK_END: return kKeyEnd;
    case SDLK_HOME: return kKeyHome;
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_UP: return kKeyUp;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return kKeyDelete;
    case ';': return 0xBA;
    case '=': return 0xBB;
    case ',': return 0xBC;
    case '-': return 0xBD;
    case '.': return 0xBE;
    case '/': return 0xBF;
    case '`': return 0xC0;
    case '[': return 0xDB;
    case '\\': return 0xDC;
    case ']': return 0xDD;
    case '\'': return 0xDE;
    default: break;
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + int32_t(key - SDLK_F1);
    if (key > 0x20 && key < 0x7F) return 0xDF;  // other printable keys of a layout
    return 0;
}

uint32_t KeyModifierBits(uint32_t sdlModifiers)
{
    uint32_t bits = 0;
    if (sdlModifiers & KMOD_SHIFT) bits |= kModifierShift;
    if (sdlModifiers & KMOD_CTRL) bits |= kModifierControl;
    return bits;
}

uint32_t GetKeyStateBits(const InputState &state)
{
    uint32_t bits = KeyModifierBits(state.keyModifiers);
    if (state.mouseButtons & SDL_BUTTON_LMASK) bits |= 1;
    if (state.mouseButtons & SDL_BUTTON_RMASK) bits |= 2;
    if (state.mouseButtons & SDL_BUTTON_MMASK) bits |= 16;
    return bits;
}

namespace {

Point2D ScalePosition(int32_t x, int32_t y, float pointsPerPixel)
{
    return {float(x) * pointsPerPixel, float(y) * pointsPerPixel};
}

void TranslateKey(const SDL_KeyboardEvent &key, const InputState &state, WindowInput &input)
{
    uint32_t modifiers = state.keyModifiers;
    if (modifiers & (KMOD_RALT | KMOD_MODE)) return;  // AltGr
    int32_t virtualKey = MapVirtualKey(key.keysym.sym);
    if (virtualKey == 0) return;
    if ((modifiers & KMOD_CTRL) == 0)
    {
        input.kind = kInputKey;
        input.event.type = 'kydn';
        input.event.key = virtualKey;
        input.event.modifiers = (modifiers & KMOD_SHIFT) ? kModifierShift : 0;
        return;
    }
    // With Ctrl: a command character, never a navigation or editing key.
    SDL_Keycode sym = key.keysym.sym;
    if (virtualKey < 0x30 || sym < 0x21 || sym > 0x7E) return;
    int32_t character = int32_t(sym);
    if (character >= 'a' && character <= 'z') character -= 32;
    input.kind = kInputKey;
    input.event.type = 'cmnd';
    input.event.key = character;
}

}  // namespace

WindowInput TranslateEvent(const SDL_Event &event, const InputState &state, float pointsPerPixel)
{
    WindowInput input;
    switch (event.type)
    {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    {
        const SDL_MouseButtonEvent &button = event.button;
        if (button.which == SDL_TOUCH_MOUSEID) break;
        bool down = event.type == SDL_MOUSEBUTTONDOWN;
        if (button.button == SDL_BUTTON_LEFT) input.event.type = down ? 'lmdn' : 'lmup';
        else if (button.button == SDL_BUTTON_RIGHT) input.event.type = down ? 'rmdn' : 'rmup';
        else if (button.button == SDL_BUTTON_MIDDLE) input.event.type = down ? 'mmdn' : 'mmup';
        else break;
        input.kind = kInputMouse;
        input.windowId = button.windowID;
        input.event.position = ScalePosition(button.x, button.y, pointsPerPixel);
        // Windows alternates press and double click, so every second click is a double click.
        if (down) input.event.key = (button.clicks != 0 && (button.clicks & 1) == 0) ? 1 : 0;
        input.event.modifiers = GetKeyStateBits(state);
        break;
    }
    case SDL_MOUSEMOTION:
        if (event.motion.which == SDL_TOUCH_MOUSEID) break;
        input.kind = kInputMouse;
        input.windowId = event.motion.windowID;
        input.event.type = 'msmv';
        input.event.position = ScalePosition(event.motion.x, event.motion.y, pointsPerPixel);
        input.event.modifiers = (state.keyModifiers & KMOD_SHIFT) ? kModifierShift : 0;
        break;
    case SDL_MOUSEWHEEL:
    {
        const SDL_MouseWheelEvent &wheel = event.wheel;
        input.kind = kInputMouse;
        input.windowId = wheel.windowID;
        input.event.type = 'mwhl';
        input.event.position = ScalePosition(wheel.mouseX, wheel.mouseY, pointsPerPixel);
        input.event.modifiers = GetKeyStateBits(state);
        float amount = wheel.preciseY;
        if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) amount = -amount;
        input.event.wheel = {0.0F, amount};
        break;
    }
    case SDL_KEYDOWN:
        input.windowId = event.key.windowID;
        TranslateKey(event.key, state, input);
        break;
    case SDL_TEXTINPUT:
    {
        const char *text = event.text.text;
        const char *end = text + sizeof(event.text.text);
        // SDL ends the text with a NUL inside the buffer; decoding never passes it.
        while (text < end && *text != 0 && input.codePointCount < kWindowInputTextSize)
        {
            uint32_t codePoint = 0;
            text += DecodeUtf8(text, &codePoint);
            if (codePoint < 0x20 || codePoint == 0x7F) continue;
            input.codePoints[input.codePointCount++] = codePoint;
        }
        if (input.codePointCount > 0)
        {
            input.kind = kInputText;
            input.windowId = event.text.windowID;
        }
        break;
    }
    case SDL_WINDOWEVENT:
        input.windowId = event.window.windowID;
        switch (event.window.event)
        {
        case SDL_WINDOWEVENT_LEAVE:
            input.kind = kInputMouse;
            input.event.type = 'mlev';
            break;
        case SDL_WINDOWEVENT_CLOSE: input.kind = kInputClose; break;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED: input.kind = kInputExpose; break;
        case SDL_WINDOWEVENT_FOCUS_GAINED: input.kind = kInputFocusGained; break;
        case SDL_WINDOWEVENT_FOCUS_LOST: input.kind = kInputFocusLost; break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            input.kind = kInputSize;
            input.width = event.window.data1;
            input.height = event.window.data2;
            break;
        default: break;
        }
        break;
    default: break;
    }
    return input;
}

}  // namespace oq
