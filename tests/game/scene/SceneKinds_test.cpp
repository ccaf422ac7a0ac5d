// Game::LoadScene for the cutscene, adventure and map scenes: the screen
// each kind gets, the order of its scripts, the help it gathers and the HUD
// it leaves; tokens flying in from an adventure scene's objects.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/screens/MapScreen.h"
#include "tests/game/CutsceneTestSupport.h"

namespace {

// Stands in for a transit: another screen becomes the current scene.
void MoveOn() {
    halvo::AutoRef<GameScreen> other(new GameScreen());
    Game::Current()->rootScreen->AddChild(other.Get());
    Game::Current()->currentScene = other.Get();
}

// Stands in for a scene script that leaves a help factor behind.
void LeaveHelp() { Game::Current()->helpFactor = 0.25f; }

using Calls = std::vector<std::string>;
using cutscenetest::Square;

class SceneKindsTest : public cutscenetest::CutsceneFixture {
protected:
    void SetUp() override {
        harness.WriteStubModule("scene", {"OnLoadScene()"});
        CutsceneFixture::SetUp();
        ASSERT_TRUE(Game::RunInclude("scene"));
        // The fixture's inventory hears hotspots only.
        Vrel::ScriptVM::Global().ReleaseModule("inventory");
        harness.WriteStubModule("inventory", {"OnHotspot(string place)",
                                              "AddToken(int c, string token, float x, float y)"});
        FileManager::Global().ResetDirectoryCaches();
        ASSERT_TRUE(Game::RunInclude("inventory"));
    }
    Game& game() { return harness.GetGame(); }
    // A scene "test" of the kind whose script records its entry and "Run".
    void WriteRecordingScene(const std::string& type, const std::string& onLoad = "", const std::string& run = "") {
        WriteScene(type, Square("lamp", 100, 100) + Square("door", 500, 100));
        harness.WriteScript("test",
                            "function void OnFirstEnter() { RecordCall(\"first\"); }\n"
                            "function void OnLoadScene() { RecordCall(\"load\"); " + onLoad + "}\n"
                            "function void Run() { RecordCall(\"run\"); " + run + "}\n",
                            "scripts/scenes/");
        FileManager::Global().ResetDirectoryCaches();
        harness.ClearCalls();
    }
    const char* CurrentClass() {
        GameScreen* screen = game().currentScene.Get();
        return screen ? screen->GetClassInfo()->name : "";
    }
};

TEST_F(SceneKindsTest, ACutscenePlaysItsRunAfterTheEntryScriptsWithoutHelpAndWithADimmedHud) {
    WriteRecordingScene("Cutscene");
    game().helpFactor = 1;
    ASSERT_TRUE(game().LoadScene("test"));
    EXPECT_STREQ(CurrentClass(), "CutsceneScreen");
    EXPECT_EQ(harness.Calls(), (Calls{"first", "load", "scene.OnLoadScene", "run"}));
    EXPECT_EQ(game().helpFactor, 0);
    EXPECT_FALSE(game().hudInputEnabled);
    ASSERT_FALSE(game().rootScreen->Children().empty());
    EXPECT_EQ(game().rootScreen->Children().back().Get(), game().hudScreen.Get());
    EXPECT_EQ(game().FindSceneScreen(), game().currentScene.Get());
    EXPECT_EQ(game().GetCurrentScene(), CastTo<CutsceneScreen>(game().currentScene.Get())->GetScene());

    // A mini-game its "Run" starts at once keeps its help, halved once when easy.
    Game::SetMiniGameStarter([](GameScreen&, const char*, Vrel::Thread*) { return MiniGameStart::kStarted; });
    DataTree::SetInt("[SETTINGS]/difficulty", 1);
    WriteRecordingScene("Cutscene", "", "StartMinigame(\"Schloss\");");
    game().Transit("test", nullptr);
    EXPECT_EQ(game().helpFactor, Game::kMiniGameHelpFactor * 0.5f);
    Game::SetMiniGameStarter(nullptr);
}

TEST_F(SceneKindsTest, ACutsceneWhoseEntryScriptMovedOnDoesNotPlay) {
    WriteRecordingScene("Cutscene", "MoveOn();");
    Vrel::ScriptVM::Global().AddCFunction("MoveOn", Vrel::detail::AdapterFor<&MoveOn>());
    ASSERT_TRUE(game().LoadScene("test"));
    EXPECT_EQ(harness.Calls(), (Calls{"first", "load"}));
}

TEST_F(SceneKindsTest, AnAdventureGathersHelpHalvedWhenEasyAndKeepsTheHudUsable) {
    WriteRecordingScene("Adventure");
    DataTree::SetInt("[SETTINGS]/difficulty", 1);
    ASSERT_TRUE(game().LoadScene("test"));
    EXPECT_STREQ(CurrentClass(), "AdventureScreen");
    EXPECT_EQ(harness.Calls(), (Calls{"first", "load", "scene.OnLoadScene"}));  // no "Run"
    EXPECT_EQ(game().helpFactor, Game::kSceneHelpFactor * 0.5f);
    EXPECT_TRUE(game().hudInputEnabled);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/scenes/test/lamp"), 1);
    // An adventure is no place for a mini-game, and the author hears why.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(game().StartMiniGame("Schloss", nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Game::StartMiniGame - 'Schloss' starts only over a cutscene\n");
}

TEST_F(SceneKindsTest, AMapGathersNoHelpAndKeepsWhatItsScriptsLeft) {
    WriteRecordingScene("Map");
    ASSERT_TRUE(game().LoadScene("test"));
    EXPECT_STREQ(CurrentClass(), "MapScreen");
    EXPECT_EQ(game().helpFactor, 0);
    EXPECT_EQ(game().GetCurrentScene(), CastTo<MapScreen>(game().currentScene.Get())->GetScene());

    // Nor does it set one after its scripts: what they left stands.
    Vrel::ScriptVM::Global().AddCFunction("LeaveHelp", Vrel::detail::AdapterFor<&LeaveHelp>());
    WriteRecordingScene("Map", "LeaveHelp();");
    game().Transit("test", nullptr);
    EXPECT_EQ(game().helpFactor, 0.25f);
}

TEST_F(SceneKindsTest, ATokenFliesInFromItsObjectLessTheScrollAndOnlyWhenAsked) {
    WriteRecordingScene("Adventure");
    ASSERT_TRUE(game().LoadScene("test"));
    auto* adventure = CastTo<AdventureScreen>(game().currentScene.Get());
    ASSERT_TRUE(adventure);
    adventure->ZoomByAt(2.0f, {1800, 1000});
    const Vec2 scroll = adventure->GetScroll();
    ASSERT_GT(scroll.x, 0);
    harness.ClearCalls();
    EXPECT_TRUE(game().AddToken("lamp", 0, true));
    EXPECT_TRUE(game().AddToken("door", 0, false));
    EXPECT_TRUE(game().AddToken("rope", 0, true));  // no object of that label
    const auto at = [](float x, float y) { return std::to_string(x) + " " + std::to_string(y); };
    EXPECT_EQ(harness.Calls(), (Calls{"inventory.AddToken 0 lamp " + at(120 - scroll.x, 120 - scroll.y),
                                      "inventory.AddToken 0 door -1.000000 -1.000000",
                                      "inventory.AddToken 0 rope -1.000000 -1.000000"}));
}

}  // namespace
