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

}  // namespace

void PostQuitMessage(int exitCode) {
    PendingQuit() = {true, exitCode};
}

bool MessagePump::PumpOne(int& exitCode) {
    QuitRequest& quit = PendingQuit();
    if (quit.posted) {
        exitCode = quit.exitCode;
        quit = {};
        return false;
    }
    SDL_Event event;
    if (!SDL_PollEvent(&event)) return true;
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
