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

}  // namespace
