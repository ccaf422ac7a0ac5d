// Music, ambience and effects as scripts drive them, with the sound thread
// replaced by a recording stand-in through the game's track hooks.

#include "game/functions/SoundFunctions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/Game.h"
#include "game/TrackList.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"

namespace {

using Log = std::vector<std::string>;

constexpr const char* kProbe =
    "function void SameTrackTwice() { PlayMusic(\"theme\", 0.4, 5, 5); PlayMusic(\"theme\", 0.4, 5, 5); }\n"
    "function void Drawn() { PlayMusic(\"theme\", 1.0, 5, 10); }\n"
    "function void Stop() { StopMusic(2.0); }\n"
    "function void StopOther() { StopMsx(2.0); }\n"
    "function void Ambience() { PlayAmbient(\"wind\", 1.0, 0, 0); StopAmbient(0.5); }\n"
    "function void Loop() { PlayMsx(\"boss\", 0.8, true); }\n"
    "function void Leave() { PlaySfx(\"Sfx/Leave_forest\", 1.0); }\n"
    "function void LeaveOtherCase() { PlaySfx(\"Sfx/leave_forest\", 1.0); }\n"
    "function void Volumes() { UpdateSFXVolume(0.3); UpdateMusicVolume(0.3); }\n";

class SoundFunctionsTest : public testing::Test {
protected:
    void SetUp() override {
        harness.WriteScript("probe", kProbe);
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(Game::RunInclude("probe"));
        MusicTracks.Clear();
        AmbientTracks.Clear();
        TrackHooks& hooks = harness.GetGame().trackHooks;
        hooks.queryStream = [this](int channel, bool& playing) {
            playing = playingUntil[channel] > harness.Now();
            return true;
        };
        // Every track plays one second; a looping one plays on.
        hooks.startStream = [this](int channel, const char* name, float volume, bool loop) {
            log.push_back("start " + std::to_string(channel) + " " + name + (loop ? " loop" : ""));
            playingUntil[channel] = loop ? UINT32_MAX : harness.Now() + 1000;
            (void)volume;
        };
        hooks.stopStream = [this](int channel, float fade) {
            log.push_back("stop " + std::to_string(channel) + " " + std::to_string(fade));
            playingUntil[channel] = 0;
        };
        hooks.setVolumes = [this](float effect, float music) {
            log.push_back("volumes " + std::to_string(effect) + " " + std::to_string(music));
        };
    }
    void TearDown() override {
        MusicTracks.Clear();
        AmbientTracks.Clear();
    }
    void Run(const char* function) { Game::CallScript(function, "probe"); }
    testsupport::HeadlessGame harness;
    uint32_t playingUntil[2] = {0, 0};
    Log log;
};

TEST_F(SoundFunctionsTest, EqualPausesWaitExactlyThatLongAfterEachTrack) {
    Run("SameTrackTwice");
    ASSERT_EQ(MusicTracks.records.size(), 2u);
    EXPECT_FLOAT_EQ(MusicTracks.records[0].volume, 0.4f);
    size_t starts = 0;
    for (int step = 0; step < 900; ++step) {
        harness.Step();
        if (log.size() == starts) continue;
        starts = log.size();
        EXPECT_DOUBLE_EQ(MusicTracks.countdownMs, 5000.0) << "start " << starts;
    }
    ASSERT_GE(starts, 2u);
    EXPECT_EQ(log[0], "start 0 theme");
}

TEST_F(SoundFunctionsTest, UnequalPausesDrawWholeSecondsFromFiveToNine) {
    Run("Drawn");
    std::vector<double> drawn;
    for (int play = 0; play < 40; ++play) {
        MusicTracks.countdownMs = 0;
        playingUntil[0] = 0;
        harness.Step(15);
        const double pause = MusicTracks.countdownMs;
        EXPECT_TRUE(pause >= 5000 && pause <= 9000) << pause;
        EXPECT_DOUBLE_EQ(pause / 1000, static_cast<int>(pause / 1000)) << pause;
        drawn.push_back(pause);
    }
    EXPECT_NE(std::count(drawn.begin(), drawn.end(), drawn[0]), 40);
}

TEST_F(SoundFunctionsTest, StopMusicAndStopMsxEmptyTheListAndNothingStartsAfter) {
    for (const char* stop : {"Stop", "StopOther"}) {
        log.clear();
        Run("SameTrackTwice");
        MusicTracks.countdownMs = 3000;
        Run(stop);
        EXPECT_TRUE(MusicTracks.records.empty()) << stop;
        EXPECT_EQ(MusicTracks.countdownMs, 0) << stop;
        harness.Step(600);
        EXPECT_EQ(log, Log{"stop 0 2.000000"}) << stop;
    }
    log.clear();
    Run("Ambience");
    EXPECT_TRUE(AmbientTracks.records.empty());
    EXPECT_EQ(log, Log{"stop 1 0.500000"});
}

TEST_F(SoundFunctionsTest, ALoopingStreamKeepsTheListOffTheMusicChannel) {
    Run("SameTrackTwice");
    Run("Loop");
    harness.Step(600);
    EXPECT_EQ(log, Log{"start 0 boss loop"});
}

TEST_F(SoundFunctionsTest, OnlyTheExactLeavePrefixDropsTheMeasuredTime) {
    Game& game = harness.GetGame();
    game.resetAccumulator = false;
    Run("LeaveOtherCase");
    EXPECT_FALSE(game.resetAccumulator);
    Run("Leave");
    EXPECT_TRUE(game.resetAccumulator);
}

TEST_F(SoundFunctionsTest, VolumeUpdatesApplyTheStoredSettingsNotTheirArgument) {
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
    ASSERT_TRUE(DataTree::OpenProfile(0));
    DataTree::SetFloat("[SETTINGS]/volume_sfx", 0.7f);
    DataTree::SetFloat("[SETTINGS]/volume_music", 0.2f);
    Run("Volumes");
    EXPECT_EQ(log, (Log{"volumes 0.700000 -1.000000", "volumes -1.000000 0.200000"}));
}

}  // namespace
