#include "platform/os/EventClock.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <utility>

#include "platform/os/Clock.h"

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#endif

namespace os {
namespace {

bool IsButton(const SDL_Event& event) {
    return event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP;
}

#if defined(SDL_VIDEO_DRIVER_X11)
// A property of our own window that the clock grows by nothing: the server
// stamps the news of the change with its time.
constexpr const char* kTimeProbe = "_TAVRIN_SERVER_TIME";

// The X server's record an SDL event carries, or null.
const XEvent* ServerRecord(const SDL_Event& event) {
    if (event.type != SDL_SYSWMEVENT || !event.syswm.msg) return nullptr;
    const SDL_SysWMmsg& message = *event.syswm.msg;
    return message.subsystem == SDL_SYSWM_X11 ? &message.msg.x11.event : nullptr;
}

// The server's time of a record it made; none for one another client sent
// (its time is whatever that client chose) or one without a time.
std::optional<uint32_t> ServerTimeOf(const XEvent& x) {
    if (x.xany.send_event) return std::nullopt;
    switch (x.type) {
        case ButtonPress:
        case ButtonRelease: return static_cast<uint32_t>(x.xbutton.time);
        case MotionNotify: return static_cast<uint32_t>(x.xmotion.time);
        case KeyPress:
        case KeyRelease: return static_cast<uint32_t>(x.xkey.time);
        default: return std::nullopt;
    }
}

// SDL's number for an X button: the same up to the right button, the side
// buttons from X's 8 on counted from SDL's first side button; none for X's
// 4 to 7, the wheel steps, which SDL does not queue as buttons.
std::optional<uint8_t> SdlButton(unsigned int xButton) {
    if (xButton >= 1 && xButton <= 3) return static_cast<uint8_t>(xButton);
    if (xButton >= 8 && xButton <= 255) return static_cast<uint8_t>(xButton - 8 + SDL_BUTTON_X1);
    return std::nullopt;
}

struct ProbeNews {
    Window window;
    Atom property;
};

Bool IsProbeNews(Display*, XEvent* event, XPointer wanted) {
    const auto& probe = *reinterpret_cast<const ProbeNews*>(wanted);
    return event->type == PropertyNotify && event->xproperty.window == probe.window &&
           event->xproperty.atom == probe.property;
}

// The server's time as it took a request of ours, read once the request has
// been answered: on our clock it lies within that round trip. The news is
// taken from Xlib's queue, so SDL never sees it.
std::optional<uint32_t> ServerTimeNow(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
    if (!(attributes.your_event_mask & PropertyChangeMask))
        XSelectInput(display, window, attributes.your_event_mask | PropertyChangeMask);
    ProbeNews probe{window, XInternAtom(display, kTimeProbe, False)};
    XChangeProperty(display, window, probe.property, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XSync(display, False);
    XEvent news;
    if (!XCheckIfEvent(display, &news, IsProbeNews, reinterpret_cast<XPointer>(&probe)))
        return std::nullopt;
    return static_cast<uint32_t>(news.xproperty.time);
}
#endif

}  // namespace

EventClock::EventClock(SDL_Window* window) {
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    AskServerTime(window);
}

EventClock::~EventClock() = default;

void EventClock::AskServerTime(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    if (const std::optional<uint32_t> serverMs = ServerTimeNow(info.info.x11.display, info.info.x11.window))
        NoteServerTime(*serverMs);
#else
    (void)window;
#endif
}

void EventClock::NoteWaiting() {
#if defined(SDL_VIDEO_DRIVER_X11)
    const int count = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_SYSWMEVENT, SDL_SYSWMEVENT);
    if (count <= 0) return;
    if (waiting_.size() < static_cast<size_t>(count)) waiting_.resize(static_cast<size_t>(count));
    // The messages of peeked records stay valid until SDL's queue is next looked into.
    const int peeked = SDL_PeepEvents(waiting_.data(), count, SDL_PEEKEVENT, SDL_SYSWMEVENT, SDL_SYSWMEVENT);
    for (int i = 0; i < peeked; ++i) {
        const XEvent* x = ServerRecord(waiting_[static_cast<size_t>(i)]);
        if (!x) continue;
        if (const std::optional<uint32_t> serverMs = ServerTimeOf(*x)) NoteServerTime(*serverMs);
    }
#endif
}

void EventClock::Note(const SDL_Event& event) {
#if defined(SDL_VIDEO_DRIVER_X11)
    const XEvent* x = ServerRecord(event);
    if (!x) return;
    // SDL queues what it makes of a record right after it: a time not taken
    // by then belongs to no button event.
    buttonRecord_.reset();
    const std::optional<uint32_t> serverMs = ServerTimeOf(*x);
    if (!serverMs) return;
    NoteServerTime(*serverMs);
    if (x->type != ButtonPress && x->type != ButtonRelease) return;
    if (const std::optional<uint8_t> button = SdlButton(x->xbutton.button))
        buttonRecord_ = ButtonRecord{x->type == ButtonPress, *button, *serverMs};
#else
    (void)event;
#endif
}

bool EventClock::ButtonRecord::Matches(const SDL_MouseButtonEvent& event) const {
    return press == (event.type == SDL_MOUSEBUTTONDOWN) && button == event.button;
}

uint32_t EventClock::TimeOf(const SDL_Event& event) {
    if (IsButton(event)) {
        const std::optional<ButtonRecord> record = std::exchange(buttonRecord_, std::nullopt);
        if (record && record->Matches(event.button)) return FromServer(record->serverMs);
    }
    // Unsigned differences: a wrap of either 32-bit clock still gives the age.
    const uint32_t age = SDL_GetTicks() - event.common.timestamp;
    return Milliseconds() - age;
}

void EventClock::NoteServerTime(uint32_t serverMs) {
    const uint32_t offset = Milliseconds() - serverMs;
    // The signed difference: the offsets may lie either side of a wrap.
    if (!offsetKnown_ || static_cast<int32_t>(offset - serverOffset_) < 0) serverOffset_ = offset;
    offsetKnown_ = true;
}

uint32_t EventClock::FromServer(uint32_t serverMs) const {
    return serverMs + serverOffset_;
}

}  // namespace os
