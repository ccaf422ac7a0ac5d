#include "platform/os/EventClock.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include "platform/os/Clock.h"

namespace os {
namespace {

bool IsButton(const SDL_Event& event) {
    return event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP;
}

#if defined(SDL_VIDEO_DRIVER_X11)
// The X buttons 4 to 7 are wheel steps, which SDL does not queue as buttons.
bool IsWheelButton(unsigned int button) { return button >= 4 && button <= 7; }
#endif

}  // namespace

EventClock::EventClock() { SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE); }

void EventClock::Note(const SDL_Event& event) {
#if defined(SDL_VIDEO_DRIVER_X11)
    const SDL_SysWMmsg* message = event.syswm.msg;
    if (event.type != SDL_SYSWMEVENT || !message || message->subsystem != SDL_SYSWM_X11) return;
    const XEvent& x = message->msg.x11.event;
    switch (x.type) {
        case ButtonPress:
        case ButtonRelease:
            NoteServerTime(x.xbutton.time);
            buttonTimePending_ = !IsWheelButton(x.xbutton.button);
            buttonServerMs_ = static_cast<uint32_t>(x.xbutton.time);
            break;
        case MotionNotify: NoteServerTime(x.xmotion.time); break;
        case KeyPress:
        case KeyRelease: NoteServerTime(x.xkey.time); break;
        default: break;
    }
#else
    (void)event;
#endif
}

uint32_t EventClock::TimeOf(const SDL_Event& event) {
    if (IsButton(event) && buttonTimePending_) {
        buttonTimePending_ = false;
        return FromServer(buttonServerMs_);
    }
    // Unsigned differences: a wrap of either 32-bit clock still gives the age.
    const uint32_t age = SDL_GetTicks() - event.common.timestamp;
    return Milliseconds() - age;
}

void EventClock::NoteServerTime(uint32_t serverMs) {
    const auto offset = static_cast<int32_t>(Milliseconds() - serverMs);
    if (!offsetKnown_ || offset < serverOffset_) serverOffset_ = offset;
    offsetKnown_ = true;
}

uint32_t EventClock::FromServer(uint32_t serverMs) const {
    return serverMs + static_cast<uint32_t>(serverOffset_);
}

}  // namespace os
