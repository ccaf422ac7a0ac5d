// Synthetic SDL events pushed into SDL's queue travel the whole way the real
// ones do: SDL_PollEvent, our translation, the window procedure, the queue.

#include <SDL.h>
#include <gtest/gtest.h>
// After the test framework: the X headers it brings define names as macros.
#include <SDL_syswm.h>

#include <vector>

#include "platform/InputQueue.h"
#include "platform/WindowProc.h"
#include "platform/os/Clock.h"
#include "platform/os/MessagePump.h"

namespace {

class EventTranslation : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError(); }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override {
        InputQueue::Global().Clear();
        UpdateMousePosition(0, 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        ShellState::Global() = {};
    }
    void TearDown() override { InputQueue::Global().Clear(); }

    // Runs a few passes of the loop, so that a quit posted in one is taken
    // by the next; false when a pass ended the loop.
    bool PumpAll(int* exitCode = nullptr) {
        for (int pass = 0; pass < 4; ++pass) {
            int code = -1;
            if (!pump_.PumpWaiting(code)) {
                if (exitCode) *exitCode = code;
                return false;
            }
        }
        return true;
    }

    std::vector<InputEvent> Drain() {
        std::vector<InputEvent> out;
        while (auto event = InputQueue::Global().PopFront()) out.push_back(*event);
        return out;
    }

    static void PushKey(SDL_Scancode scancode, SDL_Keycode keycode, uint16_t mod = 0,
                        Uint32 type = SDL_KEYDOWN, bool repeat = false) {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = keycode;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }
    static void PushText(const char* text) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        SDL_strlcpy(e.text.text, text, sizeof e.text.text);
        SDL_PushEvent(&e);
    }
    static void PushButton(Uint32 type, Uint8 button, int x, int y) {
        SDL_Event e{};
        e.type = type;
        e.button.button = button;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = x;
        e.button.y = y;
        SDL_PushEvent(&e);
    }
    static void PushMotion(int x, int y, Uint32 state) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = x;
        e.motion.y = y;
        e.motion.state = state;
        SDL_PushEvent(&e);
    }
    // The X server's own record of a button, as SDL hands it on before the
    // event it makes of it; or one that another client sent.
    static void PushServerEvent(int type, uint32_t serverMs, unsigned button = 1, bool sent = false) {
        SDL_SysWMmsg message{};
        message.subsystem = SDL_SYSWM_X11;
        message.msg.x11.event.type = type;
        message.msg.x11.event.xbutton.send_event = sent;
        message.msg.x11.event.xbutton.time = serverMs;
        message.msg.x11.event.xbutton.button = button;
        SDL_Event e{};
        e.type = SDL_SYSWMEVENT;
        e.syswm.msg = &message;
        SDL_PushEvent(&e);
    }
    static void PushWheel(int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = y;
        e.wheel.direction = direction;
        SDL_PushEvent(&e);
    }
    static void PushWindowEvent(Uint8 kind, int data1 = 0, int data2 = 0) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = kind;
        e.window.data1 = data1;
        e.window.data2 = data2;
        SDL_PushEvent(&e);
    }

    // Key records as (virtual key, character) pairs.
    std::vector<std::pair<int, int>> KeysOf(const std::vector<InputEvent>& events) {
        std::vector<std::pair<int, int>> out;
        for (const InputEvent& e : events) {
            EXPECT_EQ(e.kind, InputEvent::kKey);
            out.emplace_back(e.virtualKey, e.character);
        }
        return out;
    }

    os::MessagePump pump_{nullptr, MainWindowProc};
};

using Keys = std::vector<std::pair<int, int>>;

TEST_F(EventTranslation, LeftClickGivesPositionDownPositionUp) {
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 50);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 103, 52);
    ASSERT_TRUE(PumpAll());
    const auto events = Drain();
    ASSERT_EQ(events.size(), 4u);
    const uint8_t kinds[] = {InputEvent::kPointer, InputEvent::kButtonDown, InputEvent::kPointer,
                             InputEvent::kButtonUp};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(events[i].kind, kinds[i]) << i;
        EXPECT_EQ(events[i].button, InputEvent::kLeft) << i;
    }
    EXPECT_EQ(events[0].x, 100);
    EXPECT_EQ(events[0].dx, 100);
    EXPECT_EQ(events[3].x, 103);
    EXPECT_EQ(events[3].dy, 2);
}

// A stalled game takes in one pass what the X server sent (no core motion:
// XInput2 takes it), the records of presses made 280 ms apart waiting ahead
// of either press: the two keep the server's gap. A record another client
// sent, a release's, another button's and a wheel step's time no press,
// which keeps SDL's own time.
TEST_F(EventTranslation, PressesKeepTheServersTimeWhenTakenLate) {
    const uint32_t now = os::Milliseconds();
    PushServerEvent(ButtonPress, now - 700);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    PushServerEvent(ButtonPress, now - 420);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    PushServerEvent(ButtonPress, now - 5000, 1, /*sent=*/true);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    PushServerEvent(ButtonRelease, now - 400);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    PushServerEvent(ButtonPress, now - 380, 3);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    PushServerEvent(ButtonPress, now - 250, 4);
    PushWheel(1);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    ASSERT_TRUE(PumpAll());
    std::vector<int32_t> presses;  // ms after `now`
    for (const InputEvent& event : Drain())
        if (event.kind == InputEvent::kButtonDown) presses.push_back(static_cast<int32_t>(event.timeMs - now));
    ASSERT_EQ(presses.size(), 6u);
    EXPECT_EQ(presses[1] - presses[0], 280);
    for (size_t i = 2; i < presses.size(); ++i) EXPECT_GE(presses[i], -2) << i;  // the clocks' ms rounding
}

// Two monotonic clocks started about together put the offsets noted either
// side of 0: the server's clock a little ahead of ours, a press noted late
// gives a small positive offset and the true one lies just below the wrap,
// where an unsigned comparison would keep the late one. The least offset is
// still found, and no press is timed after it was taken.
TEST_F(EventTranslation, PressesKeepTheServersTimeWhenTheOffsetsStraddleTheWrap) {
    constexpr uint32_t kOffset = 0u - 1500u;  // ours minus the server's: the server's 1.5 s ahead
    const uint32_t now = os::Milliseconds();
    PushServerEvent(ButtonPress, now - 5000 - kOffset);  // noted 5 s late: offset 3500, past the wrap
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    PushServerEvent(ButtonPress, now - 20 - kOffset);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 1);
    ASSERT_TRUE(PumpAll());
    const uint32_t taken = os::Milliseconds();
    std::vector<uint32_t> presses;
    for (const InputEvent& event : Drain())
        if (event.kind == InputEvent::kButtonDown) presses.push_back(event.timeMs);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[1] - presses[0], 4980u);
    EXPECT_LE(static_cast<int32_t>(presses[1] - taken), 0);
}

TEST_F(EventTranslation, RightButtonAndMotionHeldButtons) {
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 5);
    PushMotion(6, 7, SDL_BUTTON_RMASK);
    PushMotion(8, 9, SDL_BUTTON_LMASK | SDL_BUTTON_RMASK);
    PushMotion(10, 11, SDL_BUTTON_MMASK);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 12, 13);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 12, 13);
    ASSERT_TRUE(PumpAll());
    const auto events = Drain();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[1].kind, InputEvent::kButtonDown);
    EXPECT_EQ(events[1].button, InputEvent::kRight);
    EXPECT_EQ(events[2].button, InputEvent::kRight);
    EXPECT_EQ(events[3].button, InputEvent::kBothButtons);
    EXPECT_EQ(events[4].button, InputEvent::kNoButton);
    EXPECT_EQ(events[4].x, 10);  // the middle button moved nothing
}

TEST_F(EventTranslation, NegativeCoordinatesAndWheelAtLastPosition) {
    PushMotion(-20, -3, 0);
    PushWheel(1);
    PushWheel(2, SDL_MOUSEWHEEL_FLIPPED);
    PushWheel(50000000);  // a runaway device saturates instead of wrapping
    ASSERT_TRUE(PumpAll());
    const auto events = Drain();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[3].wheel, 32767);
    EXPECT_EQ(events[0].x, -20);
    EXPECT_EQ(events[0].y, -3);
    EXPECT_EQ(events[1].kind, InputEvent::kWheel);
    EXPECT_EQ(events[1].wheel, 120);
    EXPECT_EQ(events[1].x, -20);
    EXPECT_EQ(events[1].y, -3);
    EXPECT_EQ(events[2].wheel, -240);
}

TEST_F(EventTranslation, KeysAndTheirCharacters) {
    PushKey(SDL_SCANCODE_A, SDLK_a);
    PushText("a");
    PushKey(SDL_SCANCODE_BACKSPACE, SDLK_BACKSPACE);
    PushKey(SDL_SCANCODE_RETURN, SDLK_RETURN);
    PushKey(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER);
    PushKey(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    PushKey(SDL_SCANCODE_TAB, SDLK_TAB);
    PushKey(SDL_SCANCODE_A, SDLK_a, KMOD_LCTRL);
    PushKey(SDL_SCANCODE_Z, SDLK_z, KMOD_RCTRL);
    ASSERT_TRUE(PumpAll());
    EXPECT_EQ(KeysOf(Drain()), (Keys{{0, 'a'}, {8, 0}, {0, 8}, {13, 0}, {0, 13}, {13, 0},
                                     {0, 13}, {0, 27}, {0, 9}, {0, 1}, {0, 26}}));
}

TEST_F(EventTranslation, KeypadFollowsNumLock) {
    PushKey(SDL_SCANCODE_KP_4, SDLK_KP_4, KMOD_NUM);
    PushText("4");
    PushKey(SDL_SCANCODE_KP_4, SDLK_KP_4);
    PushKey(SDL_SCANCODE_KP_5, SDLK_KP_5);
    PushKey(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD);
    PushKey(SDL_SCANCODE_KP_0, SDLK_KP_0, KMOD_NUM);
    PushKey(SDL_SCANCODE_KP_9, SDLK_KP_9);
    PushKey(SDL_SCANCODE_KP_PERIOD, SDLK_KP_PERIOD, KMOD_NUM);
    ASSERT_TRUE(PumpAll());
    EXPECT_EQ(KeysOf(Drain()), (Keys{{100, 0}, {0, '4'}, {37, 0}, {46, 0}, {96, 0}, {33, 0}}));
}

TEST_F(EventTranslation, NavigationKeysRepeatsAndWhatIsNotQueued) {
    PushKey(SDL_SCANCODE_HOME, SDLK_HOME);
    PushKey(SDL_SCANCODE_HOME, SDLK_HOME, 0, SDL_KEYDOWN, true);  // auto-repeat is kept, and told
    PushKey(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, SDL_KEYDOWN, true);
    PushKey(SDL_SCANCODE_PAUSE, SDLK_PAUSE);
    PushKey(SDL_SCANCODE_DELETE, SDLK_DELETE, 0, SDL_KEYUP);
    PushKey(SDL_SCANCODE_F5, SDLK_F5);
    PushKey(SDL_SCANCODE_LEFT, SDLK_LEFT, KMOD_LALT);
    PushKey(SDL_SCANCODE_X, SDLK_x, KMOD_LALT);
    PushText("x");  // the text of a system key is dropped
    PushText("y");
    ASSERT_TRUE(PumpAll());
    const std::vector<InputEvent> events = Drain();
    EXPECT_EQ(KeysOf(events), (Keys{{36, 0}, {36, 0}, {0, 27}, {19, 0}, {0, 'y'}}));
    std::vector<bool> repeats;
    for (const InputEvent& event : events) repeats.push_back(event.repeat);
    EXPECT_EQ(repeats, (std::vector<bool>{false, true, true, false, false}));
}

TEST_F(EventTranslation, TextBecomesUtf16Units) {
    PushText("\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");  // a-umlaut, euro sign, an emoji
    ASSERT_TRUE(PumpAll());
    EXPECT_EQ(KeysOf(Drain()), (Keys{{0, 0xE4}, {0, 0x20AC}, {0, 0xD83D}, {0, 0xDE00}}));
}

TEST_F(EventTranslation, MalformedUtf8NeverOverrunsAndBecomesReplacement) {
    uint16_t units[4];
    EXPECT_EQ(os::DecodeUtf8ToUtf16("\xC3", units, 4), 1u);
    EXPECT_EQ(units[0], 0xFFFD);
    EXPECT_EQ(os::DecodeUtf8ToUtf16("\xF0\x9F\x98\x80\xF0\x9F\x98\x80\xF0\x9F\x98\x80", units, 4),
              4u);
    EXPECT_EQ(os::DecodeUtf8ToUtf16("\xED\xA0\x80", units, 4), 1u);  // an encoded surrogate
    EXPECT_EQ(units[0], 0xFFFD);
}

TEST_F(EventTranslation, WindowStateAndClosing) {
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    ASSERT_TRUE(PumpAll());
    EXPECT_TRUE(ShellState::Global().active);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 600);
    ASSERT_TRUE(PumpAll());
    EXPECT_FALSE(ShellState::Global().active);
    EXPECT_EQ(ShellState::Global().clientWidth, 800);
    EXPECT_EQ(ShellState::Global().clientHeight, 600);
    EXPECT_EQ(InputQueue::Global().Count(), 0u);

    PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    int exitCode = -1;
    EXPECT_FALSE(PumpAll(&exitCode));
    EXPECT_EQ(exitCode, 0);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    exitCode = -1;
    EXPECT_FALSE(PumpAll(&exitCode));
    EXPECT_EQ(exitCode, 0);
}

// The main loop's wait between frames ends at once for an event that is
// already queued, or for a posted quit, and leaves both to the next pass;
// with nothing queued it lasts its time.
TEST_F(EventTranslation, TheWaitForAnEventEndsAtOnceAndLeavesTheEventToThePump) {
    constexpr uint32_t kLongWaitMs = 10000;
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20);
    Uint64 start = SDL_GetTicks64();
    pump_.WaitForEvent(kLongWaitMs);
    EXPECT_LT(SDL_GetTicks64() - start, kLongWaitMs / 2);
    ASSERT_TRUE(PumpAll());
    const std::vector<InputEvent> events = Drain();
    ASSERT_EQ(events.size(), 2u);  // position, then the press
    EXPECT_EQ(events[1].kind, InputEvent::kButtonDown);

    os::PostQuitMessage(4);
    start = SDL_GetTicks64();
    pump_.WaitForEvent(kLongWaitMs);
    EXPECT_LT(SDL_GetTicks64() - start, kLongWaitMs / 2);
    int exitCode = -1;
    EXPECT_FALSE(pump_.PumpWaiting(exitCode));
    EXPECT_EQ(exitCode, 4);

    start = SDL_GetTicks64();
    pump_.WaitForEvent(20);
    EXPECT_GE(SDL_GetTicks64() - start, 20u);
}

// A frame on a busy machine takes longer than the player between clicks:
// the loop's pass takes everything queued meanwhile, so that the game sees
// it in the next frame rather than one event a frame, seconds behind.
TEST_F(EventTranslation, OneLoopPassTakesEveryEventWaiting) {
    constexpr int kClicks = 100;  // 300 events, far beyond any small batch
    for (int click = 0; click < kClicks; ++click) {
        PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 100, 50);
        PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 100, 50);
        PushKey(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    }
    int exitCode = -1;
    ASSERT_TRUE(pump_.PumpWaiting(exitCode));
    int ups = 0, escapes = 0;
    for (const InputEvent& event : Drain()) {
        ups += event.kind == InputEvent::kButtonUp;
        escapes += event.kind == InputEvent::kKey && event.character == 27;
    }
    EXPECT_EQ(ups, kClicks);
    EXPECT_EQ(escapes, kClicks);
}

}  // namespace
