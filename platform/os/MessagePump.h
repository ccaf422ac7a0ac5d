#pragma once
// The message loop's source: SDL events, translated into window messages and
// handed to a window procedure.

#include <cstdint>

#include "platform/os/EventClock.h"
#include "platform/os/EventTranslator.h"

struct SDL_Window;
union SDL_Event;

namespace os {

using WindowProcedure = intptr_t (*)(SDL_Window* window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

// Asks the loop to end with the given exit code once the current pass is over.
void PostQuitMessage(int exitCode);

// When the window system took the message being handed to the window
// procedure, on Milliseconds().
uint32_t GetMessageTime();

class MessagePump {
public:
    MessagePump(SDL_Window* window, WindowProcedure procedure)
        : window_(window), procedure_(procedure), clock_(window) {}

    // Takes every event waiting as it is called and dispatches what each
    // became: under load each pass of the loop runs a whole frame, and one
    // event a pass would leave the player's clicks queued behind one another
    // for seconds. False when the loop must end, with the exit code in
    // `exitCode`; a quit posted meanwhile ends it at the next call.
    bool PumpWaiting(int& exitCode);
    // Sleeps until an event is waiting, a quit has been posted or
    // `milliseconds` have passed; takes no event, so the next PumpWaiting
    // dispatches what woke it.
    void WaitForEvent(uint32_t milliseconds);

private:
    static bool TakePendingQuit(int& exitCode);
    bool Dispatch(const SDL_Event& event, int& exitCode);

    SDL_Window* window_;
    WindowProcedure procedure_;
    EventTranslator translator_;
    EventClock clock_;
    MessageBatch batch_;
};

}  // namespace os
