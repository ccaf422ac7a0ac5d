#pragma once
// The window procedure: turns window messages into queued input records and
// keeps the shell's window state current.

#include <cstdint>

struct SDL_Window;

// The shell's view of its window, written by the window procedure.
struct ShellState {
    bool fullscreen = false;
    bool active = false;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;

    static ShellState& Global();
};

// True for the 23 virtual keys that reach the game as key records.
bool IsQueuedVirtualKey(uint16_t virtualKey);

intptr_t MainWindowProc(SDL_Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);
