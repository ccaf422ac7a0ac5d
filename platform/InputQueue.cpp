#include "platform/InputQueue.h"

PointerState& PointerState::Global() {
    static PointerState pointer;
    return pointer;
}

void UpdateMousePosition(int32_t x, int32_t y) {
    PointerState& pointer = PointerState::Global();
    pointer.dx = x - pointer.x;
    pointer.dy = y - pointer.y;
    pointer.x = x;
    pointer.y = y;
}

InputQueue& InputQueue::Global() {
    static InputQueue queue;
    return queue;
}

void InputQueue::Push(uint8_t kind, uint16_t virtualKey, uint16_t character, uint8_t button,
                      int16_t wheel, uint32_t timeMs, bool repeat) {
    auto event = std::make_unique<InputEvent>();
    event->kind = kind;
    event->virtualKey = virtualKey;
    event->character = character;
    event->button = button;
    event->wheel = wheel;
    event->timeMs = timeMs;
    event->repeat = repeat;
    const PointerState& pointer = PointerState::Global();
    event->x = static_cast<float>(pointer.x);
    event->y = static_cast<float>(pointer.y);
    event->dx = static_cast<float>(pointer.dx);
    event->dy = static_cast<float>(pointer.dy);
    events_.push_back(std::move(event));
}

std::unique_ptr<InputEvent> InputQueue::PopFront() {
    if (events_.empty()) return nullptr;
    std::unique_ptr<InputEvent> front = std::move(events_.front());
    events_.pop_front();
    return front;
}
