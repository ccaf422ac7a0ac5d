// The sample game's puzzle cutscene in the study starts each of the eight
// mini-games by its script, over the cutscene, with the sample files the
// script points them at; each one is skipped (or solved) through help and
// the script goes on to the next, then back to the map.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game/CutsceneScreen.h"
#include "game/Game.h"
#include "harness/HeadlessGame.h"
#include "minigames/MiniGameScreen.h"
#include "minigames/MiniGames.h"
#include "platform/DataTree.h"
#include "script/runtime/ScriptVM.h"

namespace {

// Generous: the jigsaw and the sliding picture solve themselves step by step.
constexpr int kGamePasses = 20000;

class SampleMiniGameLegTest : public testing::Test {
protected:
    void SetUp() override {
        RegisterMiniGames();
        const char* source = std::getenv("TAVRIN_SOURCE_DIR");
        ASSERT_NE(source, nullptr);
        harness.MountGameData(std::string(source) + "/data");
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(harness.RunUntilFadeEnds());
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
        ASSERT_TRUE(DataTree::OpenProfile(0));
    }
    MiniGameScreen* Host(const GameScreen& cutscene) const {
        return cutscene.Children().empty() ? nullptr : CastTo<MiniGameScreen>(cutscene.Children().front().Get());
    }
    std::string Messages() const {
        std::string text;
        for (const std::string& message : harness.Messages()) text += message + "\n";
        return text;
    }

    testsupport::HeadlessGame harness;
};

TEST_F(SampleMiniGameLegTest, ThePuzzleCutsceneStartsAllEightGamesInTurnAndGoesBackToTheMap) {
    Game& game = harness.GetGame();
    // The splash goes, its waiting script with it, as a transit would do.
    game.currentScene->RemoveFromParent();
    Vrel::ScriptVM::Global().StopAllThreads();
    ASSERT_TRUE(game.LoadScene("study_03"));
    halvo::WeakRef<GameScreen> cutscene(game.currentScene.Get());
    ASSERT_TRUE(CastTo<CutsceneScreen>(cutscene.Get()));
    std::vector<std::string> played;
    halvo::WeakRef<GameScreen> helped;
    for (int pass = 0; pass < kGamePasses && cutscene.Get() && game.currentScene.Get() == cutscene.Get(); ++pass) {
        MiniGameScreen* host = Host(*cutscene.Get());
        if (host && !host->Children().empty() && host != helped.Get()) {
            played.push_back(host->Children().front()->GetClassInfo()->name);
            helped = host;
            host->OnHelp();
        } else if (!host && CastTo<CutsceneScreen>(cutscene.Get())->GetWaitingThread()) {
            harness.Click({960, 140});
        }
        harness.Step();
    }
    EXPECT_EQ(played, (std::vector<std::string>{"MG_Lock", "MG_Senso", "MG_PushPuzzle", "MG_Match3", "MG_Pipes",
                                                "MG_WirePuzzle", "MG_Puzzle", "MG_Target"}));
    ASSERT_TRUE(game.currentScene.Get()) << Messages();
    EXPECT_STREQ(game.currentScene->GetClassInfo()->name, "MapScreen");
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 8);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_lost"), 0);
    EXPECT_TRUE(harness.Messages().empty()) << Messages();
}

}  // namespace
