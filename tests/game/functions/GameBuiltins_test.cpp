// The game's script functions that the splash and the menus call: its own
// "Sleep" and "Include", and the way back to the main menu.

#include "game/functions/GameBuiltins.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/functions/TransitFunctions.h"
#include "game/Game.h"
#include "game/screens/HudScreen.h"
#include "game/screens/MenuScreen.h"
#include "gui/GuiWidget.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kProbeModule =
    "function void Nap() { Sleep(2); RecordCall(\"woke\"); }\n"
    "function void TwoArguments() { Sleep(1, 2); RecordCall(\"ran on\"); }\n"
    "function void TextArgument() { Sleep(\"long\"); RecordCall(\"woke\"); }\n"
    "function void IncludeHelper() { RecordCall(Include(\"helper\")); }\n"
    "function void Later() { Sleep(0.5); RecordCall(\"later\"); }\n"
    "function void LeaveAfterANap() { Sleep(0.05); RecordCall(\"leaving\"); ShowMainMenu(); "
    "RecordCall(\"never\"); }\n"
    "function void LeaveNow() { GameOver(1, 2); RecordCall(\"never\"); }\n"
    "function void Leave() { ShowMainMenu(); }\n";

class GameBuiltinsTest : public testing::Test {
protected:
    void SetUp() override {
        harness.WriteScript("probe", kProbeModule);
        harness.WriteScript("mainmenu",
                            "function void Create(auto frame) { RecordCall(\"mainmenu.Create\"); }\n");
        harness.WriteScript("helper", "RecordCall(\"helper ran\");\n");
    }
    void Start() {
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(Game::RunInclude("probe"));
        harness.ClearCalls();
    }
    Game& GetGame() { return harness.GetGame(); }
    static float SleepMs(const halvo::WeakRef<Vrel::Thread>& thread) {
        float ms = -1;
        thread->GetValue().ToFloat(ms);
        return ms;
    }

    testsupport::HeadlessGame harness;
};

TEST_F(GameBuiltinsTest, SleepTakesSecondsAndOnlyOneArgument) {
    Start();
    halvo::WeakRef<Vrel::Thread> napping = Game::CallScript("Nap", "probe");
    ASSERT_TRUE(napping.Get());
    EXPECT_EQ(napping->GetState(), Vrel::kThreadSleeping);
    EXPECT_FLOAT_EQ(SleepMs(napping), 2000);
    harness.Step(110);
    EXPECT_TRUE(harness.Calls().empty());
    harness.Step(10);
    EXPECT_EQ(harness.Calls(), Calls{"woke"});

    harness.ClearCalls();
    EXPECT_FALSE(Game::CallScript("TwoArguments", "probe").Get());
    EXPECT_EQ(harness.Calls(), Calls{"ran on"});
    ASSERT_EQ(harness.Messages().size(), 1u);
    EXPECT_NE(harness.Messages()[0].find("Sleep(float seconds) - bad parameter"), std::string::npos);
    EXPECT_EQ(harness.Messages()[0].rfind("probe(", 0), 0u) << harness.Messages()[0];

    harness.ClearCalls();
    halvo::WeakRef<Vrel::Thread> text = Game::CallScript("TextArgument", "probe");
    ASSERT_TRUE(text.Get());
    EXPECT_FLOAT_EQ(SleepMs(text), 0);
    harness.Step();
    EXPECT_EQ(harness.Calls(), Calls{"woke"});
}

TEST_F(GameBuiltinsTest, IncludeLoadsAModuleFromTheScriptsFolder) {
    Start();
    Game::CallScript("IncludeHelper", "probe");
    EXPECT_EQ(harness.Calls(), (Calls{"helper ran", "1"}));
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(GameBuiltinsTest, RegisteringAgainRebindsAnEmptiedMachine) {
    Start();
    Vrel::ScriptVM& vm = Vrel::ScriptVM::Global();
    vm.Release();
    RegisterGameBuiltins(vm);
    RegisterGameBuiltins(vm);
    ASSERT_TRUE(vm.CompileBuffer("function void Nap() { GuiGetChildCount(0); Sleep(1); }\n", "again"));
    halvo::WeakRef<Vrel::Thread> napping = Game::CallScript("Nap", "again");
    ASSERT_TRUE(napping.Get());
    EXPECT_FLOAT_EQ(SleepMs(napping), 1000);
    EXPECT_TRUE(harness.Messages().empty());  // the GUI's functions are back too
}

// The hazard: the call comes from a thread the scheduler resumed, and
// stopping every thread changes the scheduler's list during its pass.
TEST_F(GameBuiltinsTest, ShowMainMenuFromAResumedThreadEndsEveryScriptAndOpensTheMenu) {
    Start();
    Game& game = GetGame();
    halvo::WeakRef<GameScreen> splash(game.currentScene.Get());
    halvo::WeakRef<halvo::GuiWidget> oldHudFrame(game.GetHudGui());
    halvo::WeakRef<Vrel::Thread> later = Game::CallScript("Later", "probe");
    halvo::WeakRef<Vrel::Thread> leaving = Game::CallScript("LeaveAfterANap", "probe");
    ASSERT_TRUE(later.Get() && leaving.Get());
    harness.Step(40);

    EXPECT_EQ(harness.Calls(), (Calls{"leaving", "mainmenu.Create"}));
    EXPECT_FALSE(splash.Get());
    EXPECT_FALSE(later.Get());
    EXPECT_FALSE(leaving.Get());
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    EXPECT_TRUE(CastTo<MenuScreen>(game.currentScene.Get()));
    EXPECT_FALSE(oldHudFrame.Get());
    EXPECT_TRUE(game.GetHudGui());
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(GameBuiltinsTest, GameOverSavesTheSettingsAndDropsWhatThePlayerGainedSinceTheLastSave) {
    Start();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
    ASSERT_TRUE(DataTree::OpenProfile(0));
    DataTree::SetInt("[PLAYER]/gained", 5);
    DataTree::SetInt("[SETTINGS]/kept", 7);
    GetGame().gameStarted = true;

    EXPECT_FALSE(Game::CallScript("LeaveNow", "probe").Get());
    EXPECT_EQ(harness.Calls(), Calls{"mainmenu.Create"});
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/gained"), 0);
    EXPECT_NE(harness.ReadSavedFile("gamedata.xml").find("kept=\"7\""), std::string::npos);
    EXPECT_FALSE(GetGame().gameStarted);
    EXPECT_TRUE(harness.Messages().empty());
}

// "GameOver" ends the story: the profile, reopened from its file, keeps no
// scene to continue with, on disk too, and the rest of its file stays;
// "ShowMainMenu" leaves the scene to continue with.
TEST_F(GameBuiltinsTest, GameOverLeavesNothingToContinueWhereShowMainMenuKeepsTheScene) {
    Start();
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
    ASSERT_TRUE(DataTree::OpenProfile(0));
    DataTree::SetString("[PLAYER]/LastScene", "farewell");
    DataTree::SetInt("[PLAYER]/progress", 3);
    ASSERT_TRUE(DataTree::SavePlayer());

    Game::CallScript("Leave", "probe");
    EXPECT_TRUE(TransitFunctions::CanContinueGame());
    EXPECT_TRUE(harness.ReadSavedFile("data0.xml").find("LastScene=\"farewell\"") != std::string::npos);

    Game::CallScript("LeaveNow", "probe");
    EXPECT_EQ(harness.Calls(), (Calls{"mainmenu.Create", "mainmenu.Create"}));
    EXPECT_FALSE(TransitFunctions::CanContinueGame());
    const std::string saved = harness.ReadSavedFile("data0.xml");
    EXPECT_EQ(saved.find("LastScene"), std::string::npos) << saved;
    EXPECT_NE(saved.find("progress=\"3\""), std::string::npos) << saved;
    EXPECT_EQ(DataTree::GetCurrentSlot(), 0);
    EXPECT_TRUE(harness.Messages().empty());
}

// A menu button's handler that leaves the menu takes down the very frame
// and button whose event is being delivered.
TEST_F(GameBuiltinsTest, AMenuButtonWhoseHandlerRemovesItsOwnFrame) {
    harness.WriteScript("splash",
                        "function void Create(auto frame) {\n"
                        "  auto button = GuiCreate(frame, \"type\", \"Button\", \"color\", -1,\n"
                        "                          \"xpos\", 100.0, \"ypos\", 100.0, \"xsize\", 200.0, \"ysize\", 80.0);\n"
                        "  GuiAddListener(button, \"splash\");\n"
                        "}\n"
                        "function bool OnButton(auto button) { GameOver(); RecordCall(\"never\"); return true; }\n");
    Start();
    ASSERT_TRUE(harness.RunUntilFadeEnds());
    halvo::WeakRef<GameScreen> splash(GetGame().currentScene.Get());
    halvo::WeakRef<halvo::GuiWidget> button(splash->GetGuiFrame()->GetFirstChild());
    ASSERT_TRUE(button.Get());

    harness.Click({150, 120});
    harness.Step();
    EXPECT_FALSE(button.Get());
    EXPECT_FALSE(splash.Get());
    EXPECT_EQ(harness.Calls(), Calls{"mainmenu.Create"});
    EXPECT_EQ(harness.ScreenTree(), "GameScreen[MenuScreen]");
    EXPECT_TRUE(harness.Messages().empty());
}

}  // namespace
