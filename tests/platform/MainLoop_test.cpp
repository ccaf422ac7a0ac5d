#include "platform/MainLoop.h"

#include <gtest/gtest.h>

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

}  // namespace
