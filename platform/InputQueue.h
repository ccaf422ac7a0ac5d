#pragma once
// Input records queued by the window procedure and drained once per frame by
// the game. Records never travel between threads.

#include <cstdint>
#include <list>
#include <memory>

struct InputEvent {
    enum Kind : uint8_t { kKey = 0, kButtonDown = 1, kButtonUp = 2, kPointer = 3, kWheel = 4 };
    enum Button : uint8_t { kNoButton = 0, kLeft = 1, kRight = 2, kBothButtons = 3 };

    uint8_t kind = kKey;
    uint8_t button = kNoButton;  // down/up: the button; pointer: buttons held
    uint16_t virtualKey = 0;     // key press: the PC virtual-key code
    uint16_t character = 0;      // typed character: one UTF-16 unit
    float x = 0, y = 0;          // pointer position in window pixels
    float dx = 0, dy = 0;        // pointer motion of the last position change
    uint8_t handled = 0;
    int16_t wheel = 0;           // multiples of 120, positive away from the user
    // When the player made it, in ms of the clock the game runs on: a busy
    // or stalled game takes its input late, and the frame that does tells
    // nothing of how far apart two presses were.
    uint32_t timeMs = 0;
    // A key held down, sent again by the window system.
    bool repeat = false;
};

// The pointer as the window procedure last saw it.
struct PointerState {
    int32_t x = 0, y = 0, dx = 0, dy = 0;
    static PointerState& Global();
};

// Records the new pointer position and the motion from the previous one.
void UpdateMousePosition(int32_t x, int32_t y);

class InputQueue {
public:
    static InputQueue& Global();

    // Queues a new record carrying the current pointer state, made at
    // `timeMs`: whoever queues one says when, so that no press can pass for
    // one made at the clock's zero.
    void Push(uint8_t kind, uint16_t virtualKey, uint16_t character, uint8_t button, int16_t wheel,
              uint32_t timeMs, bool repeat = false);
    // The oldest record, now owned by the caller; null when the queue is empty.
    std::unique_ptr<InputEvent> PopFront();
    void Clear() { events_.clear(); }
    size_t Count() const { return events_.size(); }

private:
    std::list<std::unique_ptr<InputEvent>> events_;
};
