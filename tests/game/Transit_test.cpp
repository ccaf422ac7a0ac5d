// Moving from scene to scene: what "Transit" saves and when, a scene that
// cannot load, a retried scene, a scene that moves on at once, and leaving
// or continuing from a thread the scheduler resumed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/screens/MenuScreen.h"
#include "gui/GuiWidget.h"
#include "script/runtime/execution/Thread.h"
#include "tests/game/SearchTestSupport.h"

namespace {

using Calls = std::vector<std::string>;

const testsupport::HeadlessGame* current = nullptr;

// "LastScene" as the player file on disk holds it at the moment of the call.
const char* DiskLastScene() {
    static std::string last;
    const std::string file = current->ReadSavedFile("data0.xml");
    const size_t at = file.find("LastScene=\"");
    last = at == std::string::npos ? "-" : file.substr(at + 11, file.find('"', at + 11) - at - 11);
    return last.c_str();
}

constexpr const char* kProbe =
    "function void ToKitchen() { Transit(\"kitchen\"); RecordCall(\"never\"); }\n"
    "function void ToHall() { Transit(\"hall\"); }\n"
    "function void ToNowhere() { Transit(\"nowhere\"); RecordCall(\"never\"); }\n"
    "function void Nap() { Sleep(1.0); RecordCall(\"woke\"); }\n"
    "function void ToKitchenLater() { Sleep(0.05); Transit(\"kitchen\"); RecordCall(\"never\"); }\n"
    "function void EndLater() { Sleep(0.05); GameStateEnd(); }\n"
    "function void ContinueLater() { Sleep(0.05); ContinueGame(); }\n";

class TransitTest : public searchtest::SearchFixture {
protected:
    void SetUp() override {
        harness.WriteScript("probe", kProbe);
        harness.WriteStubModule("mainmenu", {"Create(auto frame)"});
        harness.WriteScript("kitchen",
                            "function void OnLoadScene() { RecordCall(\"kitchen\", DiskLastScene()); }\n"
                            "function void OnSceneFailed() { RecordCall(\"failed\"); Transit(\"kitchen\"); }\n",
                            "scripts/scenes/");
        harness.WriteScript("hall", "function void OnLoadScene() { RecordCall(\"hall\"); Transit(\"kitchen\"); }\n",
                            "scripts/scenes/");
        SearchFixture::SetUp();
        current = &harness;
        Vrel::ScriptVM::Global().AddCFunction("DiskLastScene", Vrel::detail::AdapterFor<&DiskLastScene>());
        ASSERT_TRUE(Game::RunInclude("probe"));
        WriteSceneIn("kitchen", "kitchen", "Search", "<difficulty><low time=\"90\"/></difficulty>");
        WriteSceneIn("hall", "hall");
        harness.ClearCalls();
    }
    Game& game() { return harness.GetGame(); }
    SearchScreen* Shown() { return CastTo<SearchScreen>(game().currentScene.Get()); }
};

TEST_F(TransitTest, TransitSavesTheNextSceneBeforeItsScriptsRunAndEndsEveryThread) {
    halvo::WeakRef<Vrel::Thread> napping = Game::CallScript("Nap", "probe");
    halvo::WeakRef<halvo::GuiWidget> hudFrame(game().GetHudGui());
    game().playSeconds = 42;
    Game::CallScript("ToKitchen", "probe");
    EXPECT_EQ(CallsBesideItemList(), (Calls{"kitchen kitchen", "scene.OnLoadScene"}));
    EXPECT_FALSE(napping.Get() && napping->GetState() == Vrel::kThreadSleeping);
    EXPECT_FALSE(hudFrame.Get());
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_EQ(DataTree::GetInt("[STATS]/time"), 42);
    EXPECT_NE(harness.ReadSavedFile("gamedata.xml").find("time=\"42\""), std::string::npos);

    // From a resumed thread, twice over: each call counts.
    Game::CallScript("ToKitchenLater", "probe");
    harness.Step(10);
    EXPECT_EQ(DataTree::GetInt("[STATS]/transits"), 2);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_EQ(CallsBesideItemList().size(), 4u);
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(TransitTest, ASceneThatCannotLoadLeadsBackToTheMenuWithLastSceneKept) {
    Game::CallScript("ToKitchen", "probe");
    harness.ClearCalls();
    Game::CallScript("ToNowhere", "probe");
    ASSERT_EQ(CallsBesideItemList().size(), 1u);
    EXPECT_EQ(CallsBesideItemList()[0].rfind("mainmenu.Create", 0), 0u);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    EXPECT_STREQ(DataTree::GetString("[PLAYER]/LastScene"), "kitchen");
    EXPECT_STREQ(DiskLastScene(), "kitchen");
    EXPECT_EQ(DataTree::GetInt("[STATS]/transits"), 1) << "no scene change happened";
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_NE(harness.Messages()[0].find("Transit - unable to load scene 'nowhere'"), std::string::npos);
    EXPECT_EQ(harness.Messages()[0].rfind("probe(", 0), 0u) << harness.Messages()[0];

    // Continuing a game saved in a scene that is gone opens the menu too.
    DataTree::SetString("[PLAYER]/LastScene", "gone");
    harness.ClearCalls();
    game().ContinueGame();
    EXPECT_EQ(CallsBesideItemList().size(), 1u);
    EXPECT_TRUE(CastTo<MenuScreen>(game().currentScene.Get()));
    EXPECT_FALSE(game().gameStarted);
}

// Only a new game that did not begin played no time: a game under way keeps
// the time played in the scene it stays out of.
TEST_F(TransitTest, ASceneThatCannotLoadMidGameKeepsTheTimePlayedSinceTheLastOne) {
    Game::CallScript("ToKitchen", "probe");
    game().playSeconds = 42;
    Game::CallScript("ToNowhere", "probe");
    EXPECT_EQ(DataTree::GetInt("[STATS]/time"), 42);
}

TEST_F(TransitTest, ARetriedSceneOwnsItsModuleAndHearsItsEventsAgain) {
    Game::CallScript("ToKitchen", "probe");
    for (int round = 0; round < 2; ++round) {
        harness.ClearCalls();
        Shown()->GetScene()->timeLimit = 20;
        harness.Step(3);
        // The handler's thread ended with its transit: the fallback hears the
        // end as well.
        EXPECT_EQ(CallsBesideItemList(), (Calls{"failed", "kitchen kitchen", "scene.OnLoadScene", "scene.OnSceneFailed"}))
            << round;
        ASSERT_TRUE(Shown());
        EXPECT_EQ(Shown()->GetName(), "kitchen");
        EXPECT_TRUE(Vrel::ScriptVM::Global().HasFunction("kitchen", "OnSceneFailed"));
    }
    // Leaving lets the module go at once, not when the screen goes.
    halvo::AutoRef<GameScreen> held(Shown());
    game().EndGameState();
    EXPECT_FALSE(Vrel::ScriptVM::Global().FindModule("kitchen"));
    EXPECT_EQ(held->GetName(), "");
}

TEST_F(TransitTest, ASceneThatMovesOnFromItsLoadLeavesOnlyTheNextOne) {
    DataTree::SetInt("[SETTINGS]/difficulty", 1);
    Game::CallScript("ToHall", "probe");
    EXPECT_EQ(CallsBesideItemList(), (Calls{"hall", "kitchen kitchen", "scene.OnLoadScene"}));
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[SearchScreen, HudScreen]");
    EXPECT_EQ(Shown()->GetScene()->name, "kitchen");
    EXPECT_EQ(game().helpFactor, Game::kSceneHelpFactor * 0.5f);
    EXPECT_EQ(DataTree::GetInt("[STATS]/transits"), 2);
    EXPECT_FALSE(Vrel::ScriptVM::Global().FindModule("hall"));
}

TEST_F(TransitTest, EndingAndContinuingFromResumedThreadsResumeTheSavedGame) {
    Game::CallScript("ToKitchen", "probe");
    game().character = 2;
    DataTree::SetInt("[PLAYER]/CurrentChar", 2);
    game().playSeconds = 100;
    Game::CallScript("ToKitchen", "probe");  // saves character and time
    game().character = 0;
    game().playSeconds = 0;
    game().gameStarted = false;

    Game::CallScript("EndLater", "probe");
    harness.Step(5);
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[HudScreen]");
    EXPECT_FALSE(game().FindSceneScreen());

    harness.ClearCalls();
    Game::CallScript("ContinueLater", "probe");
    harness.Step(5);
    EXPECT_EQ(CallsBesideItemList(), (Calls{"kitchen kitchen", "scene.OnLoadScene"}));
    EXPECT_TRUE(Shown());
    EXPECT_EQ(game().character, 2);
    EXPECT_EQ(game().playSeconds, 100);
    EXPECT_TRUE(game().gameStarted);
    EXPECT_TRUE(harness.Messages().empty());
}

}  // namespace
