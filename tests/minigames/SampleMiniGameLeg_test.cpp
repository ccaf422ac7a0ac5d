// The sample game's puzzle cutscene in the study starts each of the eight
// mini-games by its script, over the cutscene, with the sample files the
// script points them at; each one opens with its how-to, is skipped (or
// solved) through help, closes with its own line, and the scene is entered
// anew for the next, which it offers in the light; a lost one is offered
// again, in the light too; after the eighth it goes back to the map. The
// skip lantern shows when it can skip.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/screens/CutsceneScreen.h"
#include "game/Game.h"
#include "gui/GuiText.h"
#include "harness/HeadlessGame.h"
#include "minigames/MiniGameScreen.h"
#include "minigames/MiniGames.h"
#include "platform/DataTree.h"
#include "script/runtime/machine/ScriptVM.h"
#include "tests/game/SampleTestSupport.h"

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
    // The study's puzzle scene entered as the story would, its script
    // waiting on the first mini-game's host once its lines are clicked away.
    void EnterThePuzzleScene() {
        Game& game = harness.GetGame();
        // The splash goes, its waiting script with it, as a transit would do.
        game.currentScene->RemoveFromParent();
        Vrel::ScriptVM::Global().StopAllThreads();
        ASSERT_TRUE(game.LoadScene("study_03"));
        ASSERT_TRUE(CastTo<CutsceneScreen>(game.currentScene.Get()));
    }
    // The first mini-game's host, its how-to shown, once the lines before
    // it are clicked away.
    MiniGameScreen* ClickToTheFirstGame(const CutsceneScreen& cutscene) {
        MiniGameScreen* host = nullptr;
        for (int pass = 0; pass < kGamePasses && !host; ++pass) {
            host = Host(cutscene);
            if (!host && cutscene.GetWaitingThread()) harness.ReadAndClick({960, 140});
            harness.Step();
        }
        return host;
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
    ASSERT_NO_FATAL_FAILURE(EnterThePuzzleScene());
    std::vector<std::string> played;
    halvo::WeakRef<GameScreen> seen;
    halvo::WeakRef<GameScreen> helped;
    halvo::WeakRef<GameScreen> closed;
    int howTos = 0;
    int closings = 0;
    int linesAfterGames = 0;
    int visits = 0;
    halvo::WeakRef<GameScreen> visit;
    for (int pass = 0; pass < kGamePasses; ++pass) {
        auto* cutscene = CastTo<CutsceneScreen>(game.currentScene.Get());
        if (!cutscene) break;
        if (cutscene != visit.Get()) {
            visit = cutscene;
            ++visits;
        }
        MiniGameScreen* host = Host(*cutscene);
        if (host && !host->Children().empty()) {
            if (host != seen.Get()) {
                played.push_back(host->Children().front()->GetClassInfo()->name);
                seen = host;
                howTos += host->IsMessageShown();
            }
            // Help pages through a shown message; without one it skips (the
            // jigsaw and the sliding picture solve themselves first).
            if (host->IsMessageShown()) {
                if (host == helped.Get() && host != closed.Get()) {
                    closed = host;
                    ++closings;
                    const auto* text = CastTo<halvo::GuiText>(host->GetBubble()->GetFirstChild());
                    EXPECT_TRUE(text && text->GetLineCount() <= 2) << played.back();  // not a narrow column
                }
                host->OnHelp();
            } else if (host != helped.Get()) {
                helped = host;
                // The lock is lost once: it fades out without a closing line
                // and is offered again.
                if (played.size() == 1) host->Finish(kMiniGameLost);
                else host->OnHelp();
            }
        } else if (!host && cutscene->GetWaitingThread()) {
            // The host leaves the screen black; the next line is seen again.
            if (!played.empty()) {
                EXPECT_EQ(game.fadeLevel, 0.0f) << "after " << played.back();
            }
            if (harness.ReadAndClick({960, 140}) && !played.empty()) ++linesAfterGames;
        }
        harness.Step();
    }
    EXPECT_EQ(howTos, 9);
    EXPECT_EQ(closings, 8);
    EXPECT_EQ(linesAfterGames, 10);  // the welcome again after the lost lock
    EXPECT_EQ(visits, 10);           // one per puzzle played, and the last line
    EXPECT_EQ(played, (std::vector<std::string>{"MG_Lock", "MG_Lock", "MG_Senso", "MG_PushPuzzle", "MG_Match3",
                                                "MG_Pipes", "MG_WirePuzzle", "MG_Puzzle", "MG_Target"}));
    ASSERT_TRUE(game.currentScene.Get()) << Messages();
    EXPECT_STREQ(game.currentScene->GetClassInfo()->name, "MapScreen");
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini"), 9);
    EXPECT_EQ(DataTree::GetInt("[STATS]/mini_lost"), 1);
    EXPECT_TRUE(harness.Messages().empty()) << Messages();
}

// The lock's skip lantern only glows faintly while help time gathers and
// answers an early click with a line; clicked in every step once the how-to
// is read, it skips the lock the step after it lit in full, flared larger.
TEST_F(SampleMiniGameLegTest, TheSkipLanternLightsInFullTheStepAClickSkips) {
    Game& game = harness.GetGame();
    ASSERT_NO_FATAL_FAILURE(EnterThePuzzleScene());
    MiniGameScreen* host = ClickToTheFirstGame(*CastTo<CutsceneScreen>(game.currentScene.Get()));
    ASSERT_TRUE(host) << Messages();
    halvo::AutoRef<MiniGameScreen> held(host);
    for (int pass = 0; pass < kGamePasses && host->IsMessageShown(); ++pass) {
        harness.Click({960, 140});
        harness.Step(30);
    }
    ASSERT_FALSE(host->IsMessageShown());
    ASSERT_FALSE(host->Children().empty());
    ASSERT_STREQ(host->Children().front()->GetClassInfo()->name, "MG_Lock");
    halvo::AutoRef<halvo::GuiWidget> lantern = sampletest::Find(game.GetHudGui(), "name", "hud_hint");
    ASSERT_TRUE(lantern) << Messages();

    harness.Click(sampletest::MiddleOnScreen(*lantern));
    harness.Step(30);
    EXPECT_FALSE(host->IsFinished());
    EXPECT_TRUE(sampletest::Find(lantern.Get(), "name", sampletest::kLanternNotYet)) << Messages();

    const sampletest::LanternClicks seen = sampletest::ClickTheLanternUntilTaken(
        *lantern,
        [&](Vec2 point) {
            harness.Click(point);
            harness.Step();
        },
        [&] { return host->IsFinished(); }, kGamePasses);
    ASSERT_TRUE(seen.taken) << Messages();
    EXPECT_EQ(seen.clicksWhileLit, 1);
    EXPECT_GT(seen.brightestUnlit, 0.2f);
    EXPECT_LE(seen.brightestUnlit, 0.3f);
    EXPECT_GT(seen.scaleWhenLit, 1.2f);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/minigame_result"), kMiniGameSkipped);
    EXPECT_TRUE(harness.Messages().empty()) << Messages();
}

// The lantern lit while the how-to stands: a double-click on it (the
// clicks this many ms apart) turns the how-to away with its first click,
// and its second skips nothing the player has not seen.
class SampleMiniGameHowToTest : public SampleMiniGameLegTest, public testing::WithParamInterface<int> {};

TEST_P(SampleMiniGameHowToTest, ADoubleClickOnTheLitLanternOnlyTurnsItAway) {
    Game& game = harness.GetGame();
    ASSERT_NO_FATAL_FAILURE(EnterThePuzzleScene());
    halvo::AutoRef<MiniGameScreen> host(ClickToTheFirstGame(*CastTo<CutsceneScreen>(game.currentScene.Get())));
    ASSERT_TRUE(host) << Messages();
    halvo::AutoRef<halvo::GuiWidget> lantern = sampletest::Find(game.GetHudGui(), "name", "hud_hint");
    ASSERT_TRUE(lantern) << Messages();
    const halvo::AutoRef<halvo::GuiWidget> glass = sampletest::Find(lantern.Get(), "texture", sampletest::kLanternGlass);
    for (int pass = 0; pass < kGamePasses && glass->GetAlpha() < 1.0f; ++pass) harness.Step();
    ASSERT_TRUE(host->IsMessageShown());

    for (int click = 0; click < 2; ++click) {
        harness.Click(sampletest::MiddleOnScreen(*lantern));
        harness.Step((GetParam() + 8) / 17);
    }
    harness.Step(30);
    EXPECT_FALSE(host->IsMessageShown());
    EXPECT_FALSE(host->IsFinished());
}

INSTANTIATE_TEST_SUITE_P(Gaps, SampleMiniGameHowToTest, testing::Values(30, 120, 400),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "ms"; });

// A cutscene whose script goes on after StartMinigame (the game won, its
// configuration refused, its name unknown) has its Menu button back, and
// Escape leads to the menu.
struct GameThatEnds {
    const char* label;
    const char* name;
    bool won;
};

class SampleMiniGameGoesOnTest : public SampleMiniGameLegTest, public testing::WithParamInterface<GameThatEnds> {
protected:
    void SetUp() override {
        harness.WriteScript("goeson", "function void Play(string game) { StartMinigame(game); FadeIn(); "
                                      "RecordCall(\"went on\"); }\n");
        SampleMiniGameLegTest::SetUp();
    }
    bool WentOn() const {
        return std::find(harness.Calls().begin(), harness.Calls().end(), "went on") != harness.Calls().end();
    }
};

TEST_P(SampleMiniGameGoesOnTest, TheCutsceneHasItsMenuButtonAndEscapeBack) {
    Game& game = harness.GetGame();
    ASSERT_NO_FATAL_FAILURE(EnterThePuzzleScene());
    Vrel::ScriptVM::Global().StopAllThreads();  // the scene's own lines
    ASSERT_TRUE(Game::RunInclude("goeson"));
    DataTree::SetString("[PLAYER]/Data/Minigames/Rohre/Config", "nowhere");
    const Vrel::Var name(GetParam().name);
    halvo::AutoRef<Vrel::Thread> thread(new Vrel::Thread());
    Vrel::Thread::RunFunction(thread.Get(), "goeson", "Play", &name, 1);
    if (GetParam().won) {
        ASSERT_TRUE(Host(*game.currentScene.Get())) << Messages();
        Host(*game.currentScene.Get())->Finish(kMiniGameWon);
    }
    for (int pass = 0; pass < kGamePasses && !WentOn(); ++pass) harness.Step();
    ASSERT_TRUE(WentOn()) << Messages();
    EXPECT_TRUE(sampletest::Find(game.GetHudGui(), "name", "hud_menu")) << Messages();
    harness.Character(27);
    harness.Step(10);
    EXPECT_STREQ(game.currentScene->GetClassInfo()->name, "MenuScreen");
}

INSTANTIATE_TEST_SUITE_P(Ends, SampleMiniGameGoesOnTest,
                         testing::Values(GameThatEnds{"Won", "Schloss", true}, GameThatEnds{"Refused", "Rohre", false},
                                         GameThatEnds{"UnknownName", "Pipes", false}),
                         [](const testing::TestParamInfo<GameThatEnds>& info) { return info.param.label; });

}  // namespace
