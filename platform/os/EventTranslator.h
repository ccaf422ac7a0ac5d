#pragma once
// Turns SDL events into our window messages, including the character
// messages that a key press produces on a PC keyboard.

#include <cstddef>
#include <cstdint>

#include "platform/os/Messages.h"

union SDL_Event;

namespace os {

// The messages one SDL event became, in order: a key message always comes
// before the character it produced. Fixed capacity: a text event carries at
// most 32 bytes, which never decode to more UTF-16 units than that.
struct MessageBatch {
    static constexpr size_t kCapacity = 40;
    OsMessage messages[kCapacity];
    size_t count = 0;

    void Add(uint32_t message, uintptr_t wParam, intptr_t lParam);
};

class EventTranslator {
public:
    // Appends the messages for one event to `out`; events we have no message
    // for add nothing. SDL_QUIT becomes WM_QUIT with exit code 0.
    void Translate(const SDL_Event& event, MessageBatch& out);

private:
    void TranslateKeyDown(const SDL_Event& event, MessageBatch& out);
    void TranslateText(const char* utf8, MessageBatch& out);
    // Alt+key is a system key: neither the key nor its typed text reaches
    // the game. Set by such a key press, consumed by the next text event.
    bool dropNextText_ = false;
};

// The PC virtual-key code of a key (keypad keys follow NumLock as on a PC
// keyboard), or 0 when it has none we report.
uint16_t VirtualKeyFor(int scancode, int keycode, uint16_t modifiers);

// Appends the UTF-16 code units of a UTF-8 text; malformed bytes become
// U+FFFD. Returns the number of units written (at most `capacity`).
size_t DecodeUtf8ToUtf16(const char* utf8, uint16_t* out, size_t capacity);

}  // namespace os
