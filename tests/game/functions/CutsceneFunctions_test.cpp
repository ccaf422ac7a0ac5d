// The script words that drive the cutscene and adventure screens, called
// from scripts the way scene modules call them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/game/CutsceneTestSupport.h"

namespace {

using Calls = std::vector<std::string>;
using cutscenetest::Square;

std::string Labels(const halvo::AutoRefVector<SceneObject>& list) {
    std::string text;
    for (const auto& object : list) text += (text.empty() ? "" : " ") + object->label;
    return text;
}

class CutsceneFunctionsTest : public cutscenetest::CutsceneFixture {
protected:
    void SetUp() override {
        CutsceneFixture::SetUp();
        WriteScene("Cutscene", Square("lamp", 100, 100) + Square("rug", 300, 100));
    }
    // Runs `body` as the body of "words"."Run" on a thread of its own.
    void RunScript(const std::string& body) {
        Vrel::ScriptVM::Global().ReleaseModule("words");
        harness.WriteScript("words", "function void Run() { " + body + " }\n");
        FileManager::Global().ResetDirectoryCaches();
        ASSERT_TRUE(Game::RunInclude("words"));
        Game::CallScript("Run", "words");
    }
};

TEST_F(CutsceneFunctionsTest, SetHotspotStateChangesTheShownSceneAtOnceAndAnotherOnlyInTheProfile) {
    WriteScene("Adventure", Square("lamp", 100, 100) + Square("rug", 300, 100));
    ASSERT_TRUE(harness.GetGame().LoadScene("test"));
    auto* hall = CastTo<AdventureScreen>(harness.GetGame().currentScene.Get());
    ASSERT_TRUE(hall);
    harness.ClearMessages();  // the fixture has no item list
    RunScript("SetHotspotState(\"lamp\", false); SetHotspotState(\"rug\", false, \"cellar\");");
    EXPECT_EQ(Labels(hall->GetScene()->remaining), "rug");
    EXPECT_FALSE(hall->GetScene()->FindObject("lamp")->visible);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/scenes/test/lamp"), 0);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/scenes/cellar/rug"), 0);
    EXPECT_EQ(DataTree::GetInt("[PLAYER]/scenes/test/rug"), 1);
    RunScript("SetHotspotState(\"lamp\", true);");
    EXPECT_EQ(Labels(hall->GetScene()->remaining), "lamp rug");
    for (const std::string& message : harness.Messages()) ADD_FAILURE() << message;
}

TEST_F(CutsceneFunctionsTest, AddSpeakerSleepsForItsSlideAndNotAtAllWhenNothingSlides) {
    CutsceneScreen* screen = Enter<CutsceneScreen>();
    RunScript("RecordCall(\"added\", AddSpeaker(\"Tobin\", \"left\", \"tobin_calm\"));"
              "RecordCall(\"again\", AddSpeaker(\"Maren\", \"middle\", \"maren_calm\"));");
    EXPECT_EQ(screen->GetSpeakerName(CutsceneScreen::kSlotLeft), "Tobin");
    harness.Step(29);  // 493 ms
    EXPECT_TRUE(harness.Calls().empty());
    harness.Step();
    // An unknown position slides nobody and the script runs straight on.
    EXPECT_EQ(harness.Calls(), (Calls{"added 500.000000", "again 0.000000"}));
    RunScript("SetPose(\"left\", \"tobin_glad\"); RemoveSpeaker(\"Tobin\"); RecordCall(\"gone\");");
    harness.Step(60);
    ASSERT_FALSE(harness.Calls().empty());
    EXPECT_EQ(harness.Calls().back(), "gone");
    EXPECT_EQ(screen->GetSpeakerName(CutsceneScreen::kSlotLeft), "");
}

TEST_F(CutsceneFunctionsTest, SaysWaitsForTheClickAndAPictureOverTheCutsceneResumesItsCaller) {
    CutsceneScreen* screen = Enter<CutsceneScreen>();
    RunScript("AddSpeakerNoWait(\"Tobin\", \"left\", \"tobin_calm\"); Says(\"Tobin\", \"Hi\");"
              "RecordCall(\"said\"); GroessterSuperGAU(\"Scenes/test/bg\"); RecordCall(\"seen\");");
    harness.Step(5);
    ASSERT_TRUE(screen->GetChatBubble());
    EXPECT_EQ(harness.Calls(), (Calls{"bubble uni(Hi) 672.000000 540.000000"}));
    harness.Step(testsupport::HeadlessGame::kReadPasses);
    harness.Click({960, 900});
    harness.Step(2);
    ASSERT_FALSE(harness.Calls().empty());
    EXPECT_EQ(harness.Calls().back(), "said");
    harness.Step(600);
    EXPECT_EQ(harness.Calls().back(), "seen");
}

TEST_F(CutsceneFunctionsTest, AdventureWordsPickHotspotsSwitchTheCutsceneModeAndFlyTokensIn) {
    Vrel::ScriptVM::Global().ReleaseModule("inventory");
    harness.WriteStubModule("inventory", {"OnHotspot(string place)", "AddToken(int c, string token, float x, float y)"});
    FileManager::Global().ResetDirectoryCaches();
    ASSERT_TRUE(Game::RunInclude("inventory"));
    WriteScene("Adventure", Square("lamp", 100, 100) + Square("rug", 300, 100));
    AdventureScreen* screen = Enter<AdventureScreen>();
    RunScript("RecordCall(\"picked\", PickHotspot(120.0, 120.0), PickHotspot(5.0, 5.0));"
              "EnterCutscene(); RecordCall(\"mode\"); ItemAdd(0, \"lamp\", \"lamp\"); ItemAdd(0, \"rug\");"
              "RecordCall(\"credits\", PlayCredits(0));");
    EXPECT_TRUE(screen->IsInCutsceneMode());
    EXPECT_EQ(harness.Calls(), (Calls{"picked lamp ", "mode", "inventory.AddToken 0 lamp 120.000000 120.000000",
                                      "inventory.AddToken 0 rug -1.000000 -1.000000", "credits 0"}));
    RunScript("LeaveCutscene();");
    EXPECT_FALSE(screen->IsInCutsceneMode());
}

}  // namespace
