// The game's ways into scripts: function calls by module, includes and the
// help time, run in the headless game.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Game.h"
#include "harness/HeadlessGame.h"
#include "platform/FileManager.h"
#include "script/runtime/machine/ScriptVM.h"
#include "script/runtime/execution/Thread.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kProbeModule =
    "int counter;\n"
    "function void Quick() { RecordCall(\"probe.Quick\"); }\n"
    "function void Waits() { Sleep(0.1); RecordCall(\"probe.Waits done\"); }\n";

class GameScriptsTest : public testing::Test {
protected:
    void SetUp() override {
        harness.WriteScript("probe", kProbeModule);
        ASSERT_TRUE(harness.Start());
        ASSERT_TRUE(Game::RunInclude("probe"));
    }

    testsupport::HeadlessGame harness;
};

TEST_F(GameScriptsTest, AFunctionThatFinishesAtOnceAnswersAnEmptyReference) {
    EXPECT_FALSE(Game::CallScript("Quick", "probe").Get());
    EXPECT_EQ(harness.Calls(), Calls{"probe.Quick"});
}

TEST_F(GameScriptsTest, AWaitingFunctionStaysReachableUntilItEnds) {
    halvo::WeakRef<Vrel::Thread> waiting = Game::CallScript("Waits", "probe");
    ASSERT_TRUE(waiting.Get());
    EXPECT_EQ(waiting->GetState(), Vrel::kThreadSleeping);
    EXPECT_TRUE(harness.Calls().empty());
    harness.Step(10);  // the scheduler counts the 100 ms down
    EXPECT_EQ(harness.Calls(), Calls{"probe.Waits done"});
    EXPECT_FALSE(waiting.Get());
}

TEST_F(GameScriptsTest, MissingModulesFunctionsAndNonCodeMembersRunNothing) {
    EXPECT_FALSE(Game::CallScript("Quick", "nowhere").Get());
    EXPECT_FALSE(Game::CallScript("Nothing", "probe").Get());
    EXPECT_FALSE(Game::CallScript("counter", "probe").Get());
    EXPECT_FALSE(Game::CallScript(nullptr, "probe").Get());
    EXPECT_FALSE(Game::CallScript("Quick", nullptr).Get());
    EXPECT_TRUE(harness.Calls().empty());
    EXPECT_TRUE(harness.Messages().empty());
}

TEST_F(GameScriptsTest, RunIncludeAnswersWhetherTheModuleIsThere) {
    EXPECT_FALSE(Game::RunInclude("missing"));
    EXPECT_FALSE(Game::RunInclude(nullptr));
    EXPECT_TRUE(Game::RunInclude("PROBE"));  // loaded already, names ignore case
    EXPECT_TRUE(harness.Messages().empty());

    harness.WriteScript("broken", "function void ( {\n");
    FileManager::Global().ResetDirectoryCaches();
    EXPECT_FALSE(Game::RunInclude("broken"));
    ASSERT_FALSE(harness.Messages().empty());
    EXPECT_NE(harness.Messages()[0].find("broken"), std::string::npos) << harness.Messages()[0];
}

TEST_F(GameScriptsTest, HelpTimeHandsTheScaledStepAndTheStep) {
    harness.WriteStubModule("help", {"IncHelpTime(float scaled, float step)"});
    FileManager::Global().ResetDirectoryCaches();
    ASSERT_TRUE(Game::RunInclude("help"));
    Game& game = harness.GetGame();
    game.helpFactor = 0.5f;
    game.IncHelpTime(17);
    game.cheatQuickHelp = true;
    game.IncHelpTime(17);
    EXPECT_EQ(harness.Calls(), (Calls{"help.IncHelpTime 8.500000 17.000000",
                                      "help.IncHelpTime 255.000000 17.000000"}));
}

}  // namespace
