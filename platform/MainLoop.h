#pragma once
// The fixed-step main loop: one pass takes the messages waiting, measures the
// time since the previous pass and runs as many 17 ms game steps as are due.
// Between frames it waits for the next message, at most until the next frame
// is due: nothing of the game changes in the passes between, so passing round
// empty would only hold a processor core.

#include <cstdint>
#include <functional>

#include "platform/AppClient.h"

class MainLoop {
public:
    static constexpr double kStepMs = 17.0;
    // A longer gap (a debugger stop, a dragged window) counts as one step.
    static constexpr double kLargestGapMs = 1000.0;
    static constexpr uint32_t kInactiveSleepMs = 10;

    // The window side of the loop.
    class Platform {
    public:
        virtual ~Platform() = default;
        // Takes the messages waiting; false when the loop must end.
        virtual bool PumpMessage(int& exitCode) = 0;
        virtual bool IsWindowActive() const = 0;
        virtual void Present() = 0;
        virtual void Sleep(uint32_t milliseconds) = 0;
        // Returns once a message is waiting or the time is up, whichever
        // comes first, and leaves the message for the next pass. A platform
        // that cannot wait returns at once, and the loop polls.
        virtual void WaitForMessage(uint32_t milliseconds) { (void)milliseconds; }
    };

    MainLoop(AppClient& client, const ShellHooks& hooks, Platform& platform,
             std::function<uint32_t()> clock)
        : client_(client), hooks_(hooks), platform_(platform), clock_(std::move(clock)) {}

    // Remembers the clock as the time of the previous pass.
    void Start() { previous_ = clock_(); }
    // One pass; false when the loop ends, with the exit code set.
    bool RunPass(int& exitCode);
    // Start, then passes until one ends the loop; the exit code.
    int Run();

private:
    bool TakeResetRequest();
    void RunFrame();
    void WaitUntilFrameDue(uint32_t passTime);

    AppClient& client_;
    const ShellHooks& hooks_;
    Platform& platform_;
    std::function<uint32_t()> clock_;
    uint32_t previous_ = 0;
    // A reset asked for in the last frame, taken early so that the loop does
    // not wait for a frame whose measured time will be dropped anyway.
    bool resetTaken_ = false;
};
