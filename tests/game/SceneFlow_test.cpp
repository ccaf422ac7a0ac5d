// Loading scenes into the tree, their entry scripts, finding screens, the
// HUD's input, and the characters with their inventories, in the headless
// game.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/screens/HudScreen.h"
#include "gui/GuiWidget.h"
#include "platform/DataTreeBounds.h"
#include "tests/game/SearchTestSupport.h"

namespace {

using Calls = std::vector<std::string>;
using searchtest::Square;

class SceneFlowTest : public searchtest::SearchFixture {
protected:
    void SetUp() override {
        harness.WriteStubModule("inventory", {"OnCharacterChange(int now, int before)",
                                              "AddToken(int c, string token, float x, float y)",
                                              "RemoveToken(int c, string token)"});
        SearchFixture::SetUp();
        ASSERT_TRUE(Game::RunInclude("inventory"));
    }
    Game& game() { return harness.GetGame(); }
};

TEST_F(SceneFlowTest, LoadingRunsTheEntryScriptsOncePerProfileAndPutsTheHudOnTop) {
    WriteSceneIn("kitchen", "kitchen_02");
    harness.WriteScript("kitchen_02",
                        "function void OnFirstEnter() { RecordCall(\"first\"); }\n"
                        "function void OnLoadScene() { RecordCall(\"load\"); }\n",
                        "scripts/scenes/");
    FileManager::Global().ResetDirectoryCaches();
    game().resetAccumulator = false;
    ASSERT_TRUE(game().LoadScene("kitchen_02"));
    EXPECT_EQ(CallsBesideItemList(), (Calls{"first", "load", "scene.OnLoadScene"}));
    EXPECT_TRUE(game().resetAccumulator);
    EXPECT_EQ(game().helpFactor, Game::kSceneHelpFactor);
    const auto& children = game().rootScreen->Children();
    ASSERT_FALSE(children.empty());
    EXPECT_EQ(children.back().Get(), game().hudScreen.Get());
    GameScreen* screen = game().currentScene.Get();
    ASSERT_TRUE(CastTo<SearchScreen>(screen));
    EXPECT_EQ(screen->GetName(), "kitchen_02");
    EXPECT_EQ(game().GetCurrentScene(), CastTo<SearchScreen>(screen)->GetScene());

    // Again, on the easy level, with a handler that waits: no first entry,
    // no fallback, half the help.
    searchtest::LeaveScene();
    harness.WriteScript("kitchen_02",
                        "function void OnFirstEnter() { RecordCall(\"first\"); }\n"
                        "function void OnLoadScene() { RecordCall(\"load\"); Sleep(1.0); }\n",
                        "scripts/scenes/");
    FileManager::Global().ResetDirectoryCaches();
    harness.ClearCalls();
    DataTree::SetInt("[SETTINGS]/difficulty", 1);
    ASSERT_TRUE(game().LoadScene("kitchen_02"));
    EXPECT_EQ(CallsBesideItemList(), Calls{"load"});
    EXPECT_EQ(game().helpFactor, Game::kSceneHelpFactor * 0.5f);

    // A new profile enters the scene for the first time again.
    searchtest::LeaveScene();
    ASSERT_TRUE(DataTree::CreateProfile(1, u"Second"));
    harness.ClearCalls();
    ASSERT_TRUE(game().LoadScene("kitchen_02"));
    ASSERT_FALSE(CallsBesideItemList().empty());
    EXPECT_EQ(CallsBesideItemList().front(), "first");
}

TEST_F(SceneFlowTest, ScenesThatCannotLoadChangeNothing) {
    WriteSceneIn("study", "study", "Bogus");
    harness.WriteDataFile("Scenes/study/study.xml", "<scene><gameinfo");
    const std::string tree = harness.ScreenTree();
    GameScreen* before = game().currentScene.Get();
    game().helpFactor = 1;
    for (const char* name : {"nowhere", "study", ""}) {
        EXPECT_FALSE(game().LoadScene(name)) << name;
        EXPECT_EQ(game().helpFactor, 0);
    }
    EXPECT_FALSE(game().LoadScene(nullptr));
    EXPECT_EQ(harness.ScreenTree(), tree);
    EXPECT_EQ(game().currentScene.Get(), before);
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/scenes/study/"));
}

TEST_F(SceneFlowTest, ScreensAreFoundByKindAndDirectChildrenWinOverDeeperOnes) {
    halvo::AutoRef<GameScreen> outer(new GameScreen()), nested(new SearchScreen()), direct(new SearchScreen());
    outer->AddChild(nested.Get());
    game().rootScreen->AddChild(outer.Get());
    EXPECT_EQ(Game::FindScreenRecursive(game().rootScreen.Get(), "SearchScreen"), nested.Get());
    EXPECT_EQ(game().FindSceneScreen(), nullptr);
    game().rootScreen->AddChild(direct.Get());
    EXPECT_EQ(Game::FindScreenRecursive(game().rootScreen.Get(), "SceneScreen"), direct.Get());
    ASSERT_FALSE(game().rootScreen->Children().empty());
    EXPECT_EQ(game().FindScreen("GameScreen"), game().rootScreen->Children().front().Get());
    EXPECT_EQ(game().FindSceneScreen(), direct.Get());
    EXPECT_EQ(game().FindScreen("Search"), nullptr);  // names compare exactly
    EXPECT_EQ(game().FindScreen(nullptr), nullptr);
    EXPECT_EQ(game().GetCurrentScene(), nullptr);  // the screen holds no scene
}

TEST_F(SceneFlowTest, HudInputDimsDirectChildrenExceptThoseAlwaysEnabled) {
    halvo::GuiWidget* frame = game().GetHudGui();
    ASSERT_TRUE(frame);
    Vrel::t_Named plain, always;
    *plain.GetOrAddMember("alpha") = Vrel::Var(0.8f);
    *always.GetOrAddMember("alpha") = Vrel::Var(0.8f);
    *always.GetOrAddMember("always_enable") = Vrel::Var(true);
    halvo::AutoRef<halvo::GuiWidget> button = halvo::GuiCreateWidget("Frame", plain, frame);
    halvo::AutoRef<halvo::GuiWidget> menu = halvo::GuiCreateWidget("Frame", always, frame);
    halvo::AutoRef<halvo::GuiWidget> inner = halvo::GuiCreateWidget("Frame", plain, button.Get());
    game().SetHudInput(false);
    EXPECT_FALSE(game().hudInputEnabled);
    EXPECT_FALSE(button->ReadBool(halvo::GuiWidget::kPropInput));
    EXPECT_FLOAT_EQ(button->ReadFloat(halvo::GuiWidget::kPropAlpha), 0.5f);
    EXPECT_FLOAT_EQ(menu->ReadFloat(halvo::GuiWidget::kPropAlpha), 0.8f);
    EXPECT_FLOAT_EQ(inner->ReadFloat(halvo::GuiWidget::kPropAlpha), 0.8f);
    game().SetHudInput(true);
    EXPECT_TRUE(button->ReadBool(halvo::GuiWidget::kPropInput));
    EXPECT_FLOAT_EQ(button->ReadFloat(halvo::GuiWidget::kPropAlpha), 1.0f);
}

TEST_F(SceneFlowTest, CharactersAndTokensRefuseNegativeIndexesAndTokensSurviveAReload) {
    harness.ClearCalls();
    EXPECT_TRUE(game().SetCharacter(2));
    EXPECT_TRUE(game().SetCharacter(2));
    for (int32_t bad : {-1, 4, INT32_MIN}) {
        EXPECT_FALSE(game().SetCharacter(bad));
        EXPECT_FALSE(game().AddToken("key", bad, false));
        EXPECT_FALSE(game().RemoveToken(bad, "key"));
        EXPECT_EQ(Game::CountInventoryItems(bad), 0);
        EXPECT_EQ(Game::GetInventoryItem(0, bad), "");
    }
    EXPECT_EQ(game().character, 2);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/CurrentChar"), 2);
    EXPECT_EQ(Game::CharacterIndex("MarenOld"), 3);
    EXPECT_EQ(Game::CharacterIndex("maren"), Game::kCharacterCount);

    EXPECT_TRUE(game().AddToken("1st key", 0, true));  // no adventure screen: no flight
    EXPECT_TRUE(game().AddToken("1st key", 0, false));
    EXPECT_TRUE(game().AddToken("rope", 0, false));
    ASSERT_TRUE(DataTree::SavePlayer());
    ASSERT_TRUE(DataTree::OpenProfile(0));
    EXPECT_EQ(Game::CountInventoryItems(0), 2);
    EXPECT_EQ(Game::GetInventoryItem(0, 0), "1st key");
    EXPECT_EQ(Game::GetInventoryItem(1, 0), "rope");
    EXPECT_EQ(Game::GetInventoryItem(2, 0), "");
    EXPECT_EQ(Game::GetInventoryItem(-1, 0), "");
    EXPECT_TRUE(game().RemoveToken(0, "1st key"));
    EXPECT_FALSE(game().RemoveToken(0, "1st key"));
    EXPECT_EQ(harness.Calls(), (Calls{"inventory.OnCharacterChange 2 0", "inventory.AddToken 0 1st key -1.000000 -1.000000",
                                      "inventory.AddToken 0 rope -1.000000 -1.000000", "inventory.RemoveToken 0 1st key"}));
}

// A player file at the bound on attributes in all, Tobin's inventory full:
// a token or a scene's kept state past it is not kept, so every later save
// still writes the file, and a token given back makes room for one.
TEST_F(SceneFlowTest, TokensAndSceneStatesPastABoundAreNotKept) {
    std::string full = "<root><Tobin><inv";
    for (int64_t n = 0; n < DataTree::kMaxAttributesPerElement; ++n) full += " t" + std::to_string(n) + "=\"1\"";
    full += "/></Tobin>";
    for (int64_t n = DataTree::kMaxAttributesPerElement; n < DataTree::kMaxAttributes; ++n)
        full += std::string(n % 10 ? "" : "<e") + " a" + std::to_string(n % 10) + "=\"1\"" + (n % 10 == 9 ? "/>" : "");
    harness.WriteSavedFile("data0.xml", full + "</root>");
    ASSERT_TRUE(DataTree::OpenProfile(0));
    harness.ClearCalls();

    EXPECT_TRUE(game().AddToken("rope", 0, false));
    Scene scene;
    scene.name = "shed";
    scene.type = kSceneSearch;
    scene.timeLimit = 10;
    scene.searchList.push_back(new SceneObject());
    scene.searchList[0]->label = "cup";
    scene.SaveState();
    EXPECT_EQ(Game::CountInventoryItems(0), DataTree::kMaxAttributesPerElement);
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/SceneState/shed/Time"));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/SceneState/shed/ObjectList/cup"));
    EXPECT_TRUE(harness.Calls().empty());
    EXPECT_TRUE(DataTree::SavePlayer());

    EXPECT_TRUE(game().RemoveToken(0, "t0"));
    EXPECT_TRUE(game().AddToken("rope", 0, false));
    EXPECT_EQ(Game::GetInventoryItem(DataTree::kMaxAttributesPerElement - 1, 0), "rope");
    EXPECT_TRUE(DataTree::SavePlayer());
}

}  // namespace
