#include "platform/WindowProc.h"

#include <SDL.h>

#include "platform/InputQueue.h"
#include "platform/os/MessagePump.h"
#include "platform/os/Messages.h"

using namespace os;

namespace {

// What the system does with a message we do not act on; nothing here.
intptr_t DefaultProcessing() { return 0; }

// Stamped with the message's own time, for whatever compares presses.
void Queue(uint8_t kind, uint16_t virtualKey, uint16_t character, uint8_t button, int16_t wheel,
           bool repeat = false) {
    InputQueue::Global().Push(kind, virtualKey, character, button, wheel, GetMessageTime(), repeat);
}

bool IsRepeat(intptr_t lParam) { return (lParam & kKeyWasDown) != 0; }

void QueueButton(intptr_t lParam, uint8_t kind, uint8_t button) {
    UpdateMousePosition(SignedLowWord(lParam), SignedHighWord(lParam));
    Queue(InputEvent::kPointer, 0, 0, button, 0);
    Queue(kind, 0, 0, button, 0);
}

void OnActivate(SDL_Window* window, bool active) {
    ShellState& shell = ShellState::Global();
    shell.active = active;
    // Fullscreen covers the desktop in its own mode, so there is no display
    // mode to switch back and forth; only get out of the way.
    if (shell.fullscreen && !active && window) SDL_MinimizeWindow(window);
}

}  // namespace

ShellState& ShellState::Global() {
    static ShellState state;
    return state;
}

bool IsQueuedVirtualKey(uint16_t virtualKey) {
    switch (virtualKey) {
        case 8: case 13: case 19: case 33: case 34: case 35: case 36:
        case 37: case 38: case 39: case 40: case 45: case 46:
            return true;
        default:
            return virtualKey >= 96 && virtualKey <= 105;
    }
}

intptr_t MainWindowProc(SDL_Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            UpdateMousePosition(SignedLowWord(lParam), SignedHighWord(lParam));
            Queue(InputEvent::kPointer, 0, 0, static_cast<uint8_t>((wParam & MK_LBUTTON) + (wParam & MK_RBUTTON)),
                  0);
            return DefaultProcessing();
        case WM_LBUTTONDOWN: QueueButton(lParam, InputEvent::kButtonDown, InputEvent::kLeft); break;
        case WM_LBUTTONUP: QueueButton(lParam, InputEvent::kButtonUp, InputEvent::kLeft); break;
        case WM_RBUTTONDOWN: QueueButton(lParam, InputEvent::kButtonDown, InputEvent::kRight); break;
        case WM_RBUTTONUP: QueueButton(lParam, InputEvent::kButtonUp, InputEvent::kRight); break;
        case WM_MOUSEWHEEL:
            Queue(InputEvent::kWheel, 0, 0, 0, SignedHighWord(wParam));
            break;
        case WM_KEYDOWN:
            if (!IsQueuedVirtualKey(static_cast<uint16_t>(wParam))) break;
            Queue(InputEvent::kKey, static_cast<uint16_t>(wParam), 0, 0, 0, IsRepeat(lParam));
            return 0;
        case WM_CHAR:
            Queue(InputEvent::kKey, 0, LowWord(wParam), 0, 0, IsRepeat(lParam));
            break;
        case WM_ACTIVATE:
            OnActivate(window, LowWord(wParam) != 0);
            return 0;
        case WM_SIZE:
            ShellState::Global().clientWidth = LowWord(static_cast<uintptr_t>(lParam));
            ShellState::Global().clientHeight = HighWord(static_cast<uintptr_t>(lParam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default: break;
    }
    return DefaultProcessing();
}
