// Arbitrary SDL events through the translation layer and the window
// procedure: nothing may overrun the message batch or the text decoder.

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/InputQueue.h"
#include "platform/WindowProc.h"
#include "platform/os/EventTranslator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    os::EventTranslator translator;
    size_t offset = 0;
    while (offset < size) {
        SDL_Event event;
        std::memset(&event, 0, sizeof event);
        const size_t chunk = size - offset < sizeof event ? size - offset : sizeof event;
        std::memcpy(&event, data + offset, chunk);
        offset += chunk;
        // What SDL guarantees of its own events: terminated text, scancodes
        // within the enumeration.
        if (event.type == SDL_TEXTINPUT) event.text.text[sizeof event.text.text - 1] = 0;
        uint32_t scancode;
        std::memcpy(&scancode, &event.key.keysym.scancode, sizeof scancode);
        scancode %= SDL_NUM_SCANCODES;
        std::memcpy(&event.key.keysym.scancode, &scancode, sizeof scancode);
        os::MessageBatch batch;
        translator.Translate(event, batch);
        if (batch.count > os::MessageBatch::kCapacity) __builtin_trap();
        for (size_t i = 0; i < batch.count; ++i) {
            const os::OsMessage& m = batch.messages[i];
            if (m.message != os::WM_QUIT) MainWindowProc(nullptr, m.message, m.wParam, m.lParam);
        }
    }
    InputQueue::Global().Clear();
    return 0;
}
