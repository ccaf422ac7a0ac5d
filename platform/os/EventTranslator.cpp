#include "platform/os/EventTranslator.h"

#include <SDL.h>

#include <algorithm>

namespace os {
namespace {

constexpr int kWheelDelta = 120;
constexpr uint16_t kVkBack = 8, kVkTab = 9, kVkReturn = 13, kVkEscape = 27;

int32_t ClampToInt16(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT16_MIN, INT16_MAX));
}

// Keypad digits 0-9 in scancode order (SDL lists KP_1 .. KP_9, KP_0): with
// NumLock off they are the navigation keys printed below the digits.
uint16_t KeypadVirtualKey(int scancode, bool numLock) {
    static const uint16_t kNavigation[10] = {45, 35, 40, 34, 37, 12, 39, 36, 38, 33};
    if (scancode == SDL_SCANCODE_KP_PERIOD) return numLock ? 110 : 46;
    const int digit = scancode == SDL_SCANCODE_KP_0 ? 0 : scancode - SDL_SCANCODE_KP_1 + 1;
    if (numLock) return static_cast<uint16_t>(96 + digit);
    return kNavigation[digit];
}

bool IsKeypadDigitOrPeriod(int scancode) {
    return (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_0) ||
           scancode == SDL_SCANCODE_KP_PERIOD;
}

// The control character a key produces on its own, 0 for none.
uint16_t ControlCharacterFor(int keycode, uint16_t modifiers) {
    const bool ctrl = (modifiers & KMOD_CTRL) != 0;
    const bool alt = (modifiers & KMOD_ALT) != 0;
    switch (keycode) {
        case SDLK_BACKSPACE: return kVkBack;
        case SDLK_TAB: return kVkTab;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return kVkReturn;
        case SDLK_ESCAPE: return kVkEscape;
        default: break;
    }
    if (ctrl && !alt && keycode >= SDLK_a && keycode <= SDLK_z)
        return static_cast<uint16_t>(keycode - SDLK_a + 1);
    return 0;
}

uintptr_t MouseButtonBits(uint32_t sdlState) {
    uintptr_t bits = 0;
    if (sdlState & SDL_BUTTON_LMASK) bits |= MK_LBUTTON;
    if (sdlState & SDL_BUTTON_RMASK) bits |= MK_RBUTTON;
    return bits;
}

void TranslateButton(const SDL_MouseButtonEvent& button, MessageBatch& out) {
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    uint32_t message = 0;
    if (button.button == SDL_BUTTON_LEFT) message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    if (button.button == SDL_BUTTON_RIGHT) message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    if (message == 0) return;
    out.Add(message, 0, MakeLParam(button.x, button.y));
}

void TranslateWheel(const SDL_MouseWheelEvent& wheel, MessageBatch& out) {
    if (wheel.y == 0) return;
    int32_t delta = ClampToInt16(static_cast<int64_t>(wheel.y) * kWheelDelta);
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = ClampToInt16(-static_cast<int64_t>(delta));
    out.Add(WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16, 0);
}

void TranslateWindowEvent(const SDL_WindowEvent& window, MessageBatch& out) {
    switch (window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED: out.Add(WM_ACTIVATE, 1, 0); break;
        case SDL_WINDOWEVENT_FOCUS_LOST: out.Add(WM_ACTIVATE, 0, 0); break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            out.Add(WM_SIZE, 0, MakeLParam(window.data1, window.data2));
            break;
        case SDL_WINDOWEVENT_CLOSE: out.Add(WM_DESTROY, 0, 0); break;
        default: break;
    }
}

}  // namespace

void MessageBatch::Add(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (count < kCapacity) messages[count++] = {message, wParam, lParam};
}

uint16_t VirtualKeyFor(int scancode, int keycode, uint16_t modifiers) {
    if (IsKeypadDigitOrPeriod(scancode)) return KeypadVirtualKey(scancode, modifiers & KMOD_NUM);
    switch (scancode) {
        case SDL_SCANCODE_BACKSPACE: return kVkBack;
        case SDL_SCANCODE_TAB: return kVkTab;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER: return kVkReturn;
        case SDL_SCANCODE_PAUSE: return 19;
        case SDL_SCANCODE_ESCAPE: return kVkEscape;
        case SDL_SCANCODE_SPACE: return 32;
        case SDL_SCANCODE_PAGEUP: return 33;
        case SDL_SCANCODE_PAGEDOWN: return 34;
        case SDL_SCANCODE_END: return 35;
        case SDL_SCANCODE_HOME: return 36;
        case SDL_SCANCODE_LEFT: return 37;
        case SDL_SCANCODE_UP: return 38;
        case SDL_SCANCODE_RIGHT: return 39;
        case SDL_SCANCODE_DOWN: return 40;
        case SDL_SCANCODE_INSERT: return 45;
        case SDL_SCANCODE_DELETE: return 46;
        default: break;
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return static_cast<uint16_t>(112 + scancode - SDL_SCANCODE_F1);
    if (keycode >= SDLK_a && keycode <= SDLK_z) return static_cast<uint16_t>('A' + keycode - SDLK_a);
    if (keycode >= SDLK_0 && keycode <= SDLK_9) return static_cast<uint16_t>(keycode);
    return 0;
}

size_t DecodeUtf8ToUtf16(const char* utf8, uint16_t* out, size_t capacity) {
    size_t written = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p && written < capacity) {
        uint32_t code = 0xFFFD;
        int extra = 0;
        if (*p < 0x80) code = *p;
        else if ((*p & 0xE0) == 0xC0) code = *p & 0x1F, extra = 1;
        else if ((*p & 0xF0) == 0xE0) code = *p & 0x0F, extra = 2;
        else if ((*p & 0xF8) == 0xF0) code = *p & 0x07, extra = 3;
        ++p;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                code = 0xFFFD;
                break;
            }
            code = (code << 6) | (*p & 0x3F);
        }
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = 0xFFFD;
        if (code >= 0x10000) {
            if (written + 2 > capacity) break;
            code -= 0x10000;
            out[written++] = static_cast<uint16_t>(0xD800 + (code >> 10));
            out[written++] = static_cast<uint16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out[written++] = static_cast<uint16_t>(code);
        }
    }
    return written;
}

void EventTranslator::Translate(const SDL_Event& event, MessageBatch& out) {
    switch (event.type) {
        case SDL_QUIT: out.Add(WM_QUIT, 0, 0); break;
        case SDL_MOUSEMOTION:
            out.Add(WM_MOUSEMOVE, MouseButtonBits(event.motion.state),
                    MakeLParam(event.motion.x, event.motion.y));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: TranslateButton(event.button, out); break;
        case SDL_MOUSEWHEEL: TranslateWheel(event.wheel, out); break;
        case SDL_KEYDOWN: TranslateKeyDown(event, out); break;
        case SDL_TEXTINPUT: TranslateText(event.text.text, out); break;
        case SDL_WINDOWEVENT: TranslateWindowEvent(event.window, out); break;
        default: break;
    }
}

void EventTranslator::TranslateKeyDown(const SDL_Event& event, MessageBatch& out) {
    const SDL_Keysym& key = event.key.keysym;
    const bool systemKey = (key.mod & KMOD_ALT) && !(key.mod & KMOD_CTRL);
    dropNextText_ = systemKey;
    const uint16_t virtualKey = VirtualKeyFor(key.scancode, key.sym, key.mod);
    if (virtualKey == 0) return;
    const intptr_t held = event.key.repeat ? kKeyWasDown : 0;
    out.Add(systemKey ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, held);
    if (systemKey) return;
    if (const uint16_t character = ControlCharacterFor(key.sym, key.mod))
        out.Add(WM_CHAR, character, held);
}

void EventTranslator::TranslateText(const char* utf8, MessageBatch& out) {
    if (dropNextText_) {
        dropNextText_ = false;
        return;
    }
    uint16_t units[MessageBatch::kCapacity];
    const size_t count = DecodeUtf8ToUtf16(utf8, units, MessageBatch::kCapacity);
    for (size_t i = 0; i < count; ++i) out.Add(WM_CHAR, units[i], 0);
}

}  // namespace os
