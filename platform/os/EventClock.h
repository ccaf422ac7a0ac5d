#pragma once
// When the player pressed, not when the game got round to it. A busy or
// stalled game takes its events late and in bunches; SDL stamps an event
// when it is taken from the window system, which under load is a frame or
// a stall after the press. On X11 the server's own time of a button event
// is used instead; elsewhere SDL's stamp is the best there is. Both are
// brought onto Milliseconds(), so times from either can be compared.

#include <cstdint>

union SDL_Event;

namespace os {

class EventClock {
public:
    // Asks SDL for the window system's own events, which carry its times.
    EventClock();

    // Takes what a window-system event tells: the server time of the
    // button event SDL queued right after it, and how the server's clock
    // stands to ours.
    void Note(const SDL_Event& event);
    // The time of an SDL event on Milliseconds().
    uint32_t TimeOf(const SDL_Event& event);

private:
    uint32_t FromServer(uint32_t serverMs) const;
    void NoteServerTime(uint32_t serverMs);

    bool buttonTimePending_ = false;
    uint32_t buttonServerMs_ = 0;
    // Our clock minus the server's, the least seen: an event reaches us
    // some time after the server stamped it, never before.
    bool offsetKnown_ = false;
    int32_t serverOffset_ = 0;
};

}  // namespace os
