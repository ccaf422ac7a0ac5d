// A new game's start, from "Start again" to its first scene: the game under
// way held aside and put back byte for byte, and everything "NewGame" set
// going counted as its own until it has ended or is stopped.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Game.h"
#include "game/NewGameStart.h"
#include "game/screens/MenuScreen.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"
#include "script/runtime/machine/ScriptVM.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kProbe =
    "function void Nap() { Sleep(0.5); RecordCall(\"woke\"); }\n"
    "function void LongNap() { Sleep(1.0); RecordCall(\"late\"); }\n"
    "function void StartNap() { ThreadCreate(Nap); }\n"
    "function void Nothing() {}\n";

class NewGameStartTest : public testing::Test {
protected:
    void SetUp() override {
        harness.WriteScript("probe", kProbe);
        harness.WriteScript("campain", "function void NewGame() {}\n");
        harness.WriteStubModule("mainmenu", {"Create(auto frame)"});
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(Game::RunInclude("probe"));
        ASSERT_TRUE(Game::RunInclude("campain"));
        ASSERT_TRUE(DataTree::CreateProfile(1, u"Bea"));
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Ada"));
        ASSERT_TRUE(DataTree::SetString("[PLAYER]/LastScene", "map"));
        ASSERT_TRUE(DataTree::SavePlayer());
        underWay = harness.ReadSavedFile("data0.xml");
    }
    // The campaign's NewGame from now on.
    void NewGame(const std::string& body) {
        Vrel::ScriptVM::Global().ReleaseModule("campain");
        ASSERT_TRUE(Vrel::ScriptVM::Global().CompileBuffer(("function void NewGame() { " + body + " }\n").c_str(),
                                                            "campain"));
    }
    // What the game said on standard error while `act` ran.
    template <class Act>
    static std::string Told(Act act) {
        testing::internal::CaptureStderr();
        act();
        return testing::internal::GetCapturedStderr();
    }
    const char* LastScene() {
        const char* scene = DataTree::GetString("[PLAYER]/LastScene");
        return scene ? scene : "-";
    }

    testsupport::HeadlessGame harness;
    NewGameStart start;
    std::string underWay;
};

// Saves of the new game reach no file while it is held; a rollback opens the
// game under way again, as it was, and a commit gives the file the new one.
// A slot whose game is not open has none to hold.
TEST_F(NewGameStartTest, HoldsTheGameUnderWayUntilItsFirstSceneAndPutsItBackWhole) {
    ASSERT_TRUE(start.Hold(0));
    EXPECT_TRUE(start.IsPending());
    EXPECT_STREQ(LastScene(), "-");
    ASSERT_TRUE(DataTree::SetString("[PLAYER]/LastScene", "garden"));
    EXPECT_TRUE(DataTree::SavePlayer());
    EXPECT_EQ(harness.ReadSavedFile("data0.xml"), underWay);
    EXPECT_TRUE(start.RollBack());
    EXPECT_FALSE(start.IsPending());
    EXPECT_STREQ(LastScene(), "map");
    EXPECT_EQ(harness.ReadSavedFile("data0.xml"), underWay);
    EXPECT_FALSE(start.RollBack()) << "nothing is pending";

    ASSERT_TRUE(start.Hold(0));
    EXPECT_TRUE(start.Commit());
    EXPECT_FALSE(start.IsPending());
    EXPECT_EQ(harness.ReadSavedFile("data0.xml").find("map"), std::string::npos);

    ASSERT_TRUE(start.Hold(1));
    EXPECT_FALSE(start.IsPending());
    EXPECT_FALSE(start.Hold(3));

    ASSERT_TRUE(start.Hold(1));
    ASSERT_TRUE(DataTree::OpenProfile(0));
    EXPECT_FALSE(start.IsPending()) << "the profile opened dropped the game held, and the start with it";
}

// What "NewGame" started on a thread of its own is still its own; a rollback
// stops that and nothing else, and a rollback while its first run answers
// refuses it.
TEST_F(NewGameStartTest, CountsWhatNewGameSetGoingAndStopsOnlyThatOnRollBack) {
    Game::CallScript("Nothing", "probe", start.BeginRun());
    EXPECT_FALSE(start.CanStillLoad());
    EXPECT_TRUE(start.EndFirstRun());

    Game::CallScript("Nap", "probe");
    Game::CallScript("StartNap", "probe", start.BeginRun());
    EXPECT_TRUE(start.CanStillLoad());
    EXPECT_TRUE(start.RollBack());
    EXPECT_FALSE(start.EndFirstRun());
    EXPECT_FALSE(start.CanStillLoad());
    harness.Step(60);
    EXPECT_EQ(harness.Calls(), (Calls{"woke"})) << "only the nap it did not start";
}

// A NewGame that ends at once without a scene is answered false then and
// there, with the menu open; nothing is left for a later pass to tell.
TEST_F(NewGameStartTest, ANewGameThatEndsAtOnceIsAnsweredFalse) {
    ASSERT_TRUE(harness.GetGame().HoldForNewGame(0));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(harness.GetGame().ContinueOrNewGame());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("ended without loading a scene"), std::string::npos);
    EXPECT_TRUE(CastTo<MenuScreen>(harness.GetGame().currentScene.Get()));
    EXPECT_STREQ(LastScene(), "map");
}

// A campaign without NewGame, and a first scene a script named before
// Continue that does not load, each put the game under way back.
TEST_F(NewGameStartTest, ContinueOrNewGamePutsTheGameBackWhenItCannotStartOne) {
    Game& game = harness.GetGame();
    ASSERT_TRUE(game.HoldForNewGame(0));
    ASSERT_TRUE(DataTree::SetString("[PLAYER]/LastScene", "nowhere"));
    EXPECT_NE(Told([&] { EXPECT_FALSE(game.ContinueOrNewGame()); }).find("its first scene 'nowhere' did not load"),
              std::string::npos);
    EXPECT_STREQ(LastScene(), "map");

    ASSERT_TRUE(game.HoldForNewGame(0));
    Vrel::ScriptVM::Global().ReleaseModule("campain");
    Told([&] { EXPECT_FALSE(game.ContinueOrNewGame()); });
    EXPECT_STREQ(LastScene(), "map");
}

// Escape while NewGame waits before its first scene ends the start: the
// game under way back, the menu, the cause, and what NewGame set going
// stopped, nothing else.
TEST_F(NewGameStartTest, EscapeBeforeTheFirstSceneEndsTheStartAndStopsWhatItSetGoing) {
    NewGame("probe::StartNap();");
    Game::CallScript("LongNap", "probe");
    ASSERT_TRUE(harness.GetGame().HoldForNewGame(0));
    EXPECT_TRUE(harness.GetGame().ContinueOrNewGame());
    harness.Character(27);
    EXPECT_NE(Told([&] { harness.Step(); }).find("cannot start: the player left with Escape before its first scene"),
              std::string::npos);
    EXPECT_TRUE(CastTo<MenuScreen>(harness.GetGame().currentScene.Get()));
    EXPECT_STREQ(LastScene(), "map");
    harness.ClearCalls();
    for (int i = 0; i < testsupport::HeadlessGame::kDefaultMaxPasses && harness.Calls().empty(); ++i) harness.Step();
    EXPECT_EQ(harness.Calls(), (Calls{"late"})) << "the nap NewGame started never woke";
}

// A game that ends before the first scene (QuitGame from NewGame, the
// window closed, a signal) says so, keeps the game under way, writes no
// time played.
TEST_F(NewGameStartTest, AGameEndedBeforeItsFirstSceneSaysSoAndWritesNothing) {
    NewGame("QuitGame();");
    const std::string profiles = harness.ReadSavedFile("gamedata.xml");
    ASSERT_TRUE(harness.GetGame().HoldForNewGame(0));
    const std::string told = Told([&] {
        EXPECT_TRUE(harness.GetGame().ContinueOrNewGame());
        harness.GetGame().Shutdown();
    });
    EXPECT_NE(told.find("cannot start: the game ended before its first scene loaded\n"), std::string::npos) << told;
    EXPECT_EQ(told.find("ended without"), std::string::npos) << told;
    EXPECT_STREQ(LastScene(), "map");
    EXPECT_EQ(harness.ReadSavedFile("gamedata.xml"), profiles);
}

}  // namespace
