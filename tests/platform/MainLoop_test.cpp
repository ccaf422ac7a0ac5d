#include "platform/MainLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "platform/AppShell.h"

namespace {

class RecordingClient : public AppClient {
public:
    void CreateGame() override {}
    void SetUserFolder(const std::string&) override {}
    void StartFadeIn() override {}
    void SetDeveloperMode(bool) override {}
    void SetSizes(int32_t, int32_t, int32_t, int32_t) override {}
    void Init() override {}
    void ReleaseGame() override {}

    bool IsQuitRequested() const override { return quit; }
    bool TakeResetRequest() override { return std::exchange(reset, false); }
    double& FrameAccumulator() override { return accumulator; }
    double& TotalTime() override { return total; }
    void ProcessInput() override { log.push_back("input"); }
    void Update(double stepMs) override {
        EXPECT_EQ(stepMs, 17.0);
        ++updates;
    }
    void Render() override { log.push_back("render"); }

    bool quit = false;
    bool reset = true;
    double accumulator = 0;
    double total = 0;
    int updates = 0;
    std::vector<std::string> log;
};

class FakePlatform : public MainLoop::Platform {
public:
    bool PumpMessage(int& exitCode) override {
        if (quitNow) exitCode = 3;
        return !quitNow;
    }
    bool IsWindowActive() const override { return active; }
    void Present() override { ++presents; }
    void Sleep(uint32_t ms) override { slept += ms; }

    bool quitNow = false;
    bool active = true;
    int presents = 0;
    uint32_t slept = 0;
};

class MainLoopTest : public testing::Test {
protected:
    MainLoopTest() {
        hooks.updateScripts = [this](float t) { scriptTimes.push_back(t); };
        hooks.updateGui = [this](double total, double t) {
            client.log.push_back("gui");
            guiCalls.emplace_back(total, t);
        };
    }

    // One pass at the given clock time; the number of steps it ran.
    int PassAt(uint32_t time) {
        now = time;
        const int before = client.updates;
        int exitCode = -1;
        EXPECT_TRUE(loop.RunPass(exitCode));
        return client.updates - before;
    }

    RecordingClient client;
    FakePlatform platform;
    ShellHooks hooks;
    uint32_t now = 0;
    MainLoop loop{client, hooks, platform, [this] { return now; }};
    std::vector<float> scriptTimes;
    std::vector<std::pair<double, double>> guiCalls;
};

TEST_F(MainLoopTest, FirstPassRunsOneStepWhateverTheLoadingTook) {
    now = 1000;
    loop.Start();
    EXPECT_EQ(PassAt(1900), 1);  // the constructor's reset drops the 900 ms
    EXPECT_DOUBLE_EQ(client.accumulator, -17);
    EXPECT_DOUBLE_EQ(client.total, 17);
    EXPECT_EQ(platform.presents, 1);
}

TEST_F(MainLoopTest, FrameOrderAndFrameTime) {
    loop.Start();
    PassAt(0);
    client.log.clear();
    scriptTimes.clear();
    guiCalls.clear();
    EXPECT_EQ(PassAt(17 + 50), 3);  // accumulator -17 + 67 = 50: steps at 50, 33, 16
    EXPECT_EQ(client.log, (std::vector<std::string>{"input", "gui", "render"}));
    ASSERT_EQ(scriptTimes.size(), 1u);
    EXPECT_FLOAT_EQ(scriptTimes[0], 51);
    ASSERT_EQ(guiCalls.size(), 1u);
    EXPECT_DOUBLE_EQ(guiCalls[0].first, 17);  // total time before this frame's steps
    EXPECT_DOUBLE_EQ(guiCalls[0].second, 51);
    EXPECT_DOUBLE_EQ(client.accumulator, -1);
}

TEST_F(MainLoopTest, NoFrameWhileAheadOfRealTime) {
    loop.Start();
    PassAt(0);
    EXPECT_EQ(PassAt(10), 0);  // -17 + 10 < 0
    EXPECT_EQ(platform.presents, 1);
    EXPECT_EQ(PassAt(17), 1);  // exactly 0: one step
    EXPECT_DOUBLE_EQ(client.accumulator, -17);
}

TEST_F(MainLoopTest, LongGapCountsAsOneStepAndResetDropsThePass) {
    loop.Start();
    PassAt(0);
    EXPECT_EQ(PassAt(5000), 1);  // a 5 s stop
    client.reset = true;
    EXPECT_EQ(PassAt(5500), 1);  // the 500 ms of this pass are dropped
    EXPECT_DOUBLE_EQ(client.accumulator, -17);
}

TEST_F(MainLoopTest, ClockWrapGivesTheTrueGap) {
    now = 0xFFFFFFF0u;
    loop.Start();
    PassAt(0xFFFFFFF0u);
    EXPECT_EQ(PassAt(0x00000030u), 3);  // -17 + 64 ms across the wrap
    EXPECT_DOUBLE_EQ(client.accumulator, -4);
}

TEST_F(MainLoopTest, AccumulatorStaysWithinOneStepBehind) {
    loop.Start();
    uint32_t t = 0;
    for (int pass = 0; pass < 500; ++pass) {
        t += static_cast<uint32_t>((pass * 7919) % 45);
        PassAt(t);
        ASSERT_GE(client.accumulator, -17);
        ASSERT_LT(client.accumulator, 0);
    }
    // Simulated time never falls behind real time by a step or more.
    EXPECT_GE(client.total, static_cast<double>(t));
    EXPECT_LT(client.total - t, 17 + 17);
}

TEST_F(MainLoopTest, QuitRequestEndsBeforeTheFrame) {
    loop.Start();
    PassAt(0);
    client.quit = true;
    int exitCode = -1;
    const int presents = platform.presents;
    now = 100;
    EXPECT_FALSE(loop.RunPass(exitCode));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(platform.presents, presents);
}

TEST_F(MainLoopTest, QuitMessageCarriesItsExitCode) {
    platform.quitNow = true;
    EXPECT_EQ(loop.Run(), 3);
    EXPECT_EQ(client.updates, 0);
}

TEST_F(MainLoopTest, InactiveWindowSleeps) {
    platform.active = false;
    loop.Start();
    PassAt(0);
    EXPECT_EQ(platform.slept, MainLoop::kInactiveSleepMs);
}

// Time passes only where the loop lets it: in its wait for a message, and in
// a frame's buffer swap when frames are given a cost. Messages arrive at set
// times; one ends a wait the moment it arrives, and the next pass takes it.
class WaitingPlatform : public FakePlatform {
public:
    WaitingPlatform(uint32_t& clock, std::vector<std::string>& log) : clock_(clock), log_(log) {}

    bool PumpMessage(int& exitCode) override {
        ++passes;
        if (!arrivals.empty() && arrivals.front() <= clock_) {
            takenAt.push_back(clock_);
            arrivals.pop_front();
            log_.push_back("message");
        }
        return FakePlatform::PumpMessage(exitCode);
    }
    void Present() override {
        FakePlatform::Present();
        presentedAt.push_back(clock_);
        clock_ += frameCostMs;
    }
    void WaitForMessage(uint32_t ms) override {
        waits.push_back(ms);
        uint32_t until = clock_ + ms;
        if (!arrivals.empty() && arrivals.front() < until) until = std::max(clock_, arrivals.front());
        clock_ = until;
    }

    std::deque<uint32_t> arrivals;
    uint32_t frameCostMs = 0;
    int passes = 0;
    std::vector<uint32_t> waits, takenAt, presentedAt;

private:
    uint32_t& clock_;
    std::vector<std::string>& log_;
};

class MainLoopWaitTest : public testing::Test {
protected:
    void Pass() {
        int exitCode = -1;
        ASSERT_TRUE(loop.RunPass(exitCode));
    }

    RecordingClient client;
    uint32_t now = 0;
    WaitingPlatform platform{now, client.log};
    ShellHooks hooks;
    MainLoop loop{client, hooks, platform, [this] { return now; }};
};

TEST_F(MainLoopWaitTest, WaitsExactlyUntilTheNextFrameIsDue) {
    loop.Start();
    Pass();  // the first frame, then the whole step to the next
    EXPECT_EQ(platform.waits, (std::vector<uint32_t>{17}));
    EXPECT_EQ(now, 17u);
    Pass();
    EXPECT_EQ(platform.presents, 2);

    // A frame's own time shortens the wait; frames stay 17 ms apart.
    platform.frameCostMs = 5;
    Pass();
    Pass();
    EXPECT_EQ(platform.waits, (std::vector<uint32_t>{17, 17, 12, 12}));
    EXPECT_EQ(platform.presentedAt, (std::vector<uint32_t>{0, 17, 34, 51}));

    // A frame slower than a step leaves nothing to wait for.
    platform.frameCostMs = 20;
    Pass();
    EXPECT_EQ(platform.waits.size(), 4u);
    Pass();
    EXPECT_EQ(platform.presents, 6);

    // An inactive window keeps its short sleep and never waits.
    platform.frameCostMs = 0;
    platform.active = false;
    Pass();
    EXPECT_EQ(platform.waits.size(), 4u);
    EXPECT_EQ(platform.slept, MainLoop::kInactiveSleepMs);
}

TEST_F(MainLoopWaitTest, AMessageEndsTheWaitAndIsTakenByTheNextPass) {
    platform.arrivals = {5};
    loop.Start();
    Pass();  // the frame, then a wait that the message cuts short
    EXPECT_EQ(now, 5u);
    Pass();
    EXPECT_EQ(platform.takenAt, (std::vector<uint32_t>{5}));
    EXPECT_EQ(platform.presents, 1);  // no frame is due yet
    EXPECT_EQ(platform.waits, (std::vector<uint32_t>{17, 12}));
    Pass();  // the frame at 17 takes in the message's input
    EXPECT_EQ(platform.presentedAt, (std::vector<uint32_t>{0, 17}));
    EXPECT_EQ(client.log, (std::vector<std::string>{"input", "render", "message", "input", "render"}));
}

TEST_F(MainLoopWaitTest, AResetOrQuitAskedInAFrameIsNotWaitedFor) {
    loop.Start();
    Pass();
    const size_t waits = platform.waits.size();
    hooks.updateScripts = [this](float) { client.reset = true; };
    Pass();  // the frame asks for a reset: the next pass follows at once
    EXPECT_EQ(platform.waits.size(), waits);
    hooks.updateScripts = nullptr;
    Pass();
    EXPECT_EQ(platform.presents, 3);
    EXPECT_DOUBLE_EQ(client.accumulator, -17);
    EXPECT_EQ(platform.waits.size(), waits + 1);

    hooks.updateScripts = [this](float) { client.quit = true; };
    Pass();
    EXPECT_EQ(platform.waits.size(), waits + 1);
    int exitCode = -1;
    EXPECT_FALSE(loop.RunPass(exitCode));
    EXPECT_EQ(exitCode, 0);
}

// A minute of play: the waiting loop runs as many steps as a loop that polls
// every millisecond, draws frames on the same 17 ms beat, and takes every
// message in the millisecond it arrives (or, arriving while a frame is drawn,
// as soon as the frame is done), with no pass beyond one per frame and one
// per message.
TEST_F(MainLoopWaitTest, AMinuteRunsTheStepsOfAPollingLoopAndTakesEachMessageOnArrival) {
    constexpr uint32_t kMinute = 60000;
    RecordingClient polled;
    FakePlatform polling;
    uint32_t polledNow = 0;
    MainLoop polledLoop{polled, hooks, polling, [&polledNow] { return polledNow; }};
    polledLoop.Start();
    for (; polledNow <= kMinute; ++polledNow) {
        int exitCode = -1;
        ASSERT_TRUE(polledLoop.RunPass(exitCode));
    }

    constexpr uint32_t kFrameCost = 3;
    std::vector<uint32_t> expectedTakes;
    for (uint32_t t = 3, n = 0; t <= kMinute; t += 1 + (n++ * 7919) % 40) {
        platform.arrivals.push_back(t);
        const uint32_t intoFrame = t % 17;
        expectedTakes.push_back(intoFrame > 0 && intoFrame < kFrameCost ? t - intoFrame + kFrameCost : t);
    }
    platform.frameCostMs = kFrameCost;
    loop.Start();
    while (now <= kMinute) Pass();

    EXPECT_EQ(client.updates, polled.updates);
    EXPECT_EQ(client.updates, static_cast<int>(kMinute / 17) + 1);
    EXPECT_EQ(platform.takenAt, expectedTakes);
    for (size_t i = 0; i < platform.presentedAt.size(); ++i) ASSERT_EQ(platform.presentedAt[i], 17 * i);
    EXPECT_LE(platform.passes, platform.presents + static_cast<int>(expectedTakes.size()));
}

}  // namespace
