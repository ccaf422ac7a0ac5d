#include "platform/os/MessagePump.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>

namespace os {
namespace {

struct QuitRequest {
    bool posted = false;
    int exitCode = 0;
};

QuitRequest& PendingQuit() {
    static QuitRequest request;
    return request;
}

uint32_t& CurrentMessageTime() {
    static uint32_t time = 0;
    return time;
}

}  // namespace

void PostQuitMessage(int exitCode) {
    PendingQuit() = {true, exitCode};
}

uint32_t GetMessageTime() { return CurrentMessageTime(); }

bool MessagePump::PumpWaiting(int& exitCode) {
    if (TakePendingQuit(exitCode)) return false;
    SDL_PumpEvents();
    clock_.NoteWaiting();
    SDL_Event event;
    // Not pumped again meanwhile: what arrives during the pass is the next
    // pass's, so a stream of events cannot hold the frame back.
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
        if (!Dispatch(event, exitCode)) return false;
        // A posted quit ends the loop once this pass is over, as it would
        // after a single event.
        if (PendingQuit().posted) return true;
    }
    return true;
}

bool MessagePump::TakePendingQuit(int& exitCode) {
    QuitRequest& quit = PendingQuit();
    if (!quit.posted) return false;
    exitCode = quit.exitCode;
    quit = {};
    return true;
}

bool MessagePump::Dispatch(const SDL_Event& event, int& exitCode) {
    if (event.type == SDL_SYSWMEVENT) {
        clock_.Note(event);
        return true;
    }
    CurrentMessageTime() = clock_.TimeOf(event);
    batch_.count = 0;
    translator_.Translate(event, batch_);
    for (size_t i = 0; i < batch_.count; ++i) {
        const OsMessage& message = batch_.messages[i];
        if (message.message == WM_QUIT) {
            exitCode = static_cast<int>(message.wParam);
            return false;
        }
        procedure_(window_, message.message, message.wParam, message.lParam);
    }
    return true;
}

void MessagePump::WaitForEvent(uint32_t milliseconds) {
    if (PendingQuit().posted || milliseconds == 0) return;
    // A negative timeout would wait for ever.
    const int timeout = static_cast<int>(std::min<uint32_t>(milliseconds, INT32_MAX));
    // Without an event to fill, SDL only looks into its queue.
    SDL_WaitEventTimeout(nullptr, timeout);
}

}  // namespace os
