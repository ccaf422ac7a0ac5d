#pragma once
// When the player pressed, not when the game got round to it. A busy or
// stalled game takes its events late and in bunches; SDL stamps an event
// when it is taken from the window system, which under load is a frame or
// a stall after the press. On X11 the server's own time of a button event
// is used instead; elsewhere SDL's stamp is the best there is. Both are
// brought onto Milliseconds(), so times from either can be compared.

#include <cstdint>
#include <optional>
#include <vector>

struct SDL_MouseButtonEvent;
struct SDL_Window;
union SDL_Event;

namespace os {

class EventClock {
public:
    // Asks SDL for the window system's own events, which carry its times.
    // On an X11 window it asks the server for its time at once, so that how
    // the server's clock stands to ours is known before the first press,
    // however late that press is taken.
    explicit EventClock(SDL_Window* window = nullptr);
    ~EventClock();
    EventClock(const EventClock&) = delete;
    EventClock& operator=(const EventClock&) = delete;

    // Takes how the server's clock stands to ours from every window-system
    // record waiting in SDL's queue, before any event of the pass is timed:
    // presses taken together in a late pass then keep their gaps.
    void NoteWaiting();
    // Takes what a window-system record tells: the server time of the
    // button event SDL queues right after it, and how the server's clock
    // stands to ours. A record another client sent tells nothing: its time
    // is whatever that client chose.
    void Note(const SDL_Event& event);
    // The time of an SDL event on Milliseconds().
    uint32_t TimeOf(const SDL_Event& event);

private:
    // A press or release as the server recorded it, in SDL's numbering.
    struct ButtonRecord {
        bool press = false;
        uint8_t button = 0;
        uint32_t serverMs = 0;

        bool Matches(const SDL_MouseButtonEvent& event) const;
    };

    void AskServerTime(SDL_Window* window);
    uint32_t FromServer(uint32_t serverMs) const;
    void NoteServerTime(uint32_t serverMs);

    // The record just taken, until the button event it belongs to is timed;
    // the next record or button event ends it.
    std::optional<ButtonRecord> buttonRecord_;
    // Our clock minus the server's, the least seen: an event reaches us
    // some time after the server stamped it, never before.
    bool offsetKnown_ = false;
    uint32_t serverOffset_ = 0;
    // Kept between passes, so that looking into the queue allocates nothing.
    std::vector<SDL_Event> waiting_;
};

}  // namespace os
