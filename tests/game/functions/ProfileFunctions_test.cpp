// The script functions that keep values, settings, profiles and hotspot
// states, called the way scripts call them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/Game.h"
#include "harness/HeadlessGame.h"
#include "platform/DataTree.h"
#include "platform/FileManager.h"
#include "support/CbsiWriter.h"

namespace {

using Calls = std::vector<std::string>;

class ProfileFunctionsTest : public testing::Test {
protected:
    // Runs `body` as a function of a new module and answers what it recorded.
    Calls Run(const std::string& body) {
        harness.ClearCalls();
        const std::string module = "probe" + std::to_string(++probes);
        harness.WriteScript(module, "function void Run() {\n" + body + "\n}\n");
        FileManager::Global().ResetDirectoryCaches();
        EXPECT_TRUE(Game::RunInclude(module.c_str())) << body;
        Game::CallScript("Run", module.c_str());
        return harness.Calls();
    }
    bool Reported(const std::string& text) const {
        for (const std::string& message : harness.Messages())
            if (message.find(text) != std::string::npos) return true;
        return false;
    }

    testsupport::HeadlessGame harness;
    int probes = 0;
};

TEST_F(ProfileFunctionsTest, ProfilesAreCreatedInFourSlotsChosenAndDeleted) {
    ASSERT_TRUE(harness.Start());
    EXPECT_EQ(Run("RecordCall(CreateProfile(4, \"Ada\"), CreateProfile(-1, \"Ada\"), CreateProfile(1),"
                  " CreateProfile(1, 2), CanContinueGame(), GetCurrentProfileSlot());"),
              (Calls{"0 0 0 0 0 -1"}));
    EXPECT_EQ(harness.Messages().size(), 4u);
    EXPECT_TRUE(Reported("CreateProfile(int slot, unicode name) - bad parameter"));
    EXPECT_EQ(Run("RecordCall(CreateProfile(2, \"Ada\"), GetCurrentProfileSlot(), GetPlayerName(2), GetPlayerName(3));"
                  "RecordCall(CanContinueGame());"
                  "OptionsSetString(\"[PLAYER]/LastScene\", \"x\"); RecordCall(CanContinueGame());"
                  "OptionsSetString(\"[PLAYER]/LastScene\", \"scene2\"); RecordCall(CanContinueGame());"
                  "RecordCall(CreateProfile(0, \"Bea\"), SetCurrentProfileSlot(2), GetCurrentProfileSlot());"
                  "RecordCall(DeleteProfile(2), GetCurrentProfileSlot(), SetCurrentProfileSlot(2));"),
              (Calls{"1 2 uni(Ada) NULL", "0", "0", "1", "1 1 2", "1 -1 0"}));
    // Saved as it was last written: "scene2" was never saved to the file.
    EXPECT_EQ(harness.ReadSavedFile("data2.xml").find("scene2"), std::string::npos);
    EXPECT_NE(harness.ReadSavedFile("gamedata.xml").find("Bea"), std::string::npos);
    EXPECT_EQ(harness.ReadSavedFile("gamedata.xml").find("Ada"), std::string::npos);
}

// The open profile's game is traded only for a new one that can start: here
// no campaign is loaded, so it stays. Another slot starts over as before.
TEST_F(ProfileFunctionsTest, StartPlayerOverKeepsTheOpenGameWhenNoNewGameCanStart) {
    ASSERT_TRUE(harness.Start());
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run("CreateProfile(0, \"Ada\"); CreateProfile(1, \"Bea\");"
                  "OptionsSetString(\"[PLAYER]/LastScene\", \"garden\");"
                  "RecordCall(StartPlayerOver(1), CanContinueGame(), StartPlayerOver(0), GetCurrentProfileSlot());"),
              (Calls{"0 1 1 0"}));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("a new game cannot start: there is no module 'campain'"),
              std::string::npos);
}

// The time a game counts is the player's it was counted for: with Bert
// playing, a script that opens another player leaves Bert his time so far
// and counts on from the other's own (0 for a new one), in memory and in
// the game data the next scene change saves.
TEST_F(ProfileFunctionsTest, OpeningAnotherPlayerDuringAGameLeavesEachTheirOwnPlayTime) {
    ASSERT_TRUE(harness.Start());
    const std::vector<uint8_t> picture = CbsiWriter::SingleTileImage(32);
    harness.WriteDataFile("Scenes/garden/bg.cbi", std::string(picture.begin(), picture.end()));
    harness.WriteDataFile("Scenes/garden/garden.xml",
                          "<scene><gameinfo gametype=\"Map\"/><background file=\"bg\"/><objects/></scene>");
    Game& game = harness.GetGame();
    const struct {
        std::string opens;
        int32_t slot, own;
    } rows[] = {{"SetCurrentProfileSlot(0)", 0, 1234},
                {"StartPlayerOver(0)", 0, 1234},
                {"CreateProfile(2, \"Cleo\")", 2, 0}};
    for (const auto& row : rows) {
        game.gameStarted = false;
        ASSERT_TRUE(DataTree::CreateProfile(0, u"Anna"));
        DataTree::SetInt("[STATS]/time", 1234);
        ASSERT_TRUE(DataTree::CreateProfile(1, u"Bert"));
        game.gameStarted = true;
        game.playSeconds = 99;
        Run(row.opens + ";");
        game.AddPlayTime(5000);
        Run("Transit(\"garden\");");
        ASSERT_EQ(DataTree::GetCurrentSlot(), row.slot) << row.opens;
        ASSERT_TRUE(game.GetCurrentScene()) << row.opens;
        EXPECT_EQ(DataTree::GetInt("[STATS]/time"), row.own + 5) << row.opens;
        EXPECT_EQ(DataTree::GetInt("[ROOT]/profiles/slot1/stats/time"), 99) << row.opens;
        const std::string saved = harness.ReadSavedFile("gamedata.xml");
        EXPECT_NE(saved.find("time=\"99\""), std::string::npos) << row.opens;
        EXPECT_NE(saved.find("time=\"" + std::to_string(row.own + 5) + "\""), std::string::npos) << row.opens;
    }
}

TEST_F(ProfileFunctionsTest, SavedValuesKeepTheirTypeAndSettingsGoByPath) {
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
    EXPECT_EQ(Run("SetValue(\"door\", 3); SetValue(\"hall/lamp\", 1.5); SetValue(\"name\", \"Ada\");"
                  "auto kept = GetValue(\"name\"); SetValue(\"name\", \"Bea\");"
                  "RecordCall(GetValue(\"door\") + 1, GetValue(\"hall/lamp\"), kept, GetValue(\"name\"),"
                  " GetValue(\"never\"));"
                  "SetValue(\"one\"); RecordCall(GetValue(), GetValue(7));"),
              (Calls{"4 1.500000 Ada Bea NULL", "NULL NULL"}));
    EXPECT_TRUE(Reported("SetValue() - bad parameters"));
    EXPECT_TRUE(Reported("GetValue() - bad parameters"));
    EXPECT_TRUE(DataTree::Exists("[PLAYER]/Data/hall/"));
    EXPECT_FALSE(DataTree::Exists("[PLAYER]/Data/one"));

    EXPECT_EQ(Run("RecordCall(OptionsSetString(\"[SETTINGS]/motto\", \"abc\"), OptionsGetString(\"[SETTINGS]/motto\"),"
                  " OptionsGetInt(\"[SETTINGS]/missing\"), OptionsSetInt(\"[NOPE]/x\", 1),"
                  " OptionsSetFloat(\"[SETTINGS]/volume_sfx\", 0.25), OptionsGetFloat(\"[SETTINGS]/volume_sfx\"),"
                  " GetLanguageByPos(99));"
                  "OptionsSave(0);"),
              (Calls{"1 abc 0 0 1 0.250000 "}));
    EXPECT_NE(harness.ReadSavedFile("gamedata.xml").find("motto=\"abc\""), std::string::npos);
}

TEST_F(ProfileFunctionsTest, HotspotStatesNeedASceneNamedOrShown) {
    ASSERT_TRUE(harness.Start());
    ASSERT_TRUE(DataTree::CreateProfile(0, u"Tester"));
    EXPECT_EQ(Run("SetHotspotState(\"lamp\", true); SetHotspotState(\"lamp\", 1, \"cellar\");"
                  "SetHotspotState(\"door\", false, \"cellar\");"
                  "RecordCall(GetHotspotState(\"lamp\", \"cellar\"), GetHotspotState(\"door\", \"cellar\"),"
                  " GetHotspotState(\"lamp\"), GetHotspotState(), GetHotspotState(\"lamp\", 3));"),
              (Calls{"1 0 0 0 0"}));
    EXPECT_TRUE(Reported("void SetHotspotState(\"lamp\", true) - adventure scene is missing"));
    EXPECT_TRUE(Reported("void GetHotspotState(string Name) - adventure scene is missing"));
    EXPECT_TRUE(Reported("void GetHotspotState(string Name, [string scene]) - bad parameters"));
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/scenes/cellar/lamp"), 1);
    EXPECT_TRUE(DataTree::Exists("[PLAYER]/scenes/cellar/door"));
}

}  // namespace
