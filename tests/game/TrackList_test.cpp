#include "game/TrackList.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "game/Game.h"

namespace {

// A stand-in for the sound thread's stream channels.
class TrackListTest : public testing::Test {
protected:
    TrackListTest() {
        MusicTracks.Clear();
        AmbientTracks.Clear();
        game->trackHooks.queryStream = [this](int channel, bool& playing) {
            ++queries;
            playing = channelPlaying[channel];
            return answers;
        };
        game->trackHooks.startStream = [this](int channel, const char* name, float, bool) {
            started.push_back(std::to_string(channel) + " " + name + " at " +
                              std::to_string(static_cast<int>(now)));
        };
    }
    ~TrackListTest() override {
        MusicTracks.Clear();
        AmbientTracks.Clear();
    }

    // Game time in steps of `stepMs`.
    void Run(double ms, double stepMs = 250) {
        for (double end = now + ms; now < end; now += stepMs) game->Update(stepMs);
    }

    halvo::AutoRef<Game> game{new Game()};
    bool answers = true;
    bool channelPlaying[2] = {false, false};
    int queries = 0;
    double now = 0;
    std::vector<std::string> started;
};

TEST_F(TrackListTest, EqualPausesOfFiveSecondsGiveExactlyFiveThousandMs) {
    MusicTracks.records.push_back({"theme", 0.3f, 5, 5});
    Run(5500);
    EXPECT_EQ(started, (std::vector<std::string>{"0 theme at 0", "0 theme at 5000"}));
}

TEST_F(TrackListTest, ZeroPausesStartTheNextTrackAtTheFirstSilentPoll) {
    AmbientTracks.records.push_back({"wind", 1, 0, 0});
    channelPlaying[1] = true;
    Run(1000);
    EXPECT_TRUE(started.empty());  // a running track is never cut
    channelPlaying[1] = false;
    Run(250);
    EXPECT_EQ(started, (std::vector<std::string>{"1 wind at 1000"}));
}

TEST_F(TrackListTest, AnEmptyNameUsesUpItsTurn) {
    MusicTracks.records.push_back({"", 1, 3, 3});
    Run(250);
    EXPECT_TRUE(started.empty());
    EXPECT_DOUBLE_EQ(MusicTracks.countdownMs, 3000);
}

TEST_F(TrackListTest, PollsAtMostOncePer250MsOfGameTime) {
    MusicTracks.records.push_back({"theme", 1, 60, 60});
    AmbientTracks.records.push_back({"rain", 1, 60, 60});
    for (int step = 0; step < 29; ++step) game->Update(17);  // 493 ms
    EXPECT_EQ(queries, 2);  // one poll of both lists, at 255 ms
    game->Update(17);
    EXPECT_EQ(queries, 4);
    EXPECT_EQ(started.size(), 2u);
}

TEST_F(TrackListTest, ARefusedQueryStartsNothingAndKeepsTheCountdown) {
    MusicTracks.records.push_back({"theme", 1, 5, 5});
    answers = false;
    channelPlaying[0] = false;
    Run(2000);
    EXPECT_TRUE(started.empty());
    EXPECT_DOUBLE_EQ(MusicTracks.countdownMs, 0);
    EXPECT_GT(queries, 0);
}

TEST_F(TrackListTest, DrawnPausesStayWithinTheBoundsEvenSwappedOrExtreme) {
    MusicTracks.records.push_back({"theme", 1, 2, 4});
    for (int i = 0; i < 50; ++i) {
        MusicTracks.countdownMs = 0;
        Run(250);
        EXPECT_GE(MusicTracks.countdownMs, 2000);
        EXPECT_LT(MusicTracks.countdownMs, 4000);
    }
    MusicTracks.records = {{"theme", 1, 9, 4}};  // stored as the script gave them
    MusicTracks.countdownMs = 0;
    Run(250);
    EXPECT_GE(MusicTracks.countdownMs, 9000);
    MusicTracks.records = {{"theme", 1, INT_MIN, INT_MAX}};
    MusicTracks.countdownMs = 0;
    Run(250);
    EXPECT_TRUE(std::isfinite(MusicTracks.countdownMs));
}

}  // namespace
